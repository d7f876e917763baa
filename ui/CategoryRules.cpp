#include "ui/CategoryRules.h"

#include <algorithm>

namespace ui::category {

NameProblem checkName(std::u16string_view name, const std::vector<std::u16string>& stored) {
    if (name.size() > kMaxNameLength)
        return NameProblem::TooLong;
    if (name == u"InBox" || name == u"HotKey" || std::find(stored.begin(), stored.end(), name) != stored.end())
        return NameProblem::Taken;
    return NameProblem::None;
}

}  // namespace ui::category
