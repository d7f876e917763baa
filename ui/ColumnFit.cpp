#include "ui/ColumnFit.h"

#include <algorithm>

namespace ui {

std::array<int, 4> fitColumns(int listWidth, const ColumnNeeds& needs) {
    const int fixed = 2 * needs.time + needs.number;
    return {std::max(needs.minContent, listWidth - fixed), needs.time, needs.number, needs.time};
}

}  // namespace ui
