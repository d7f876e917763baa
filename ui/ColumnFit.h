// How the clip list's four columns (content, copy time, number, use time) share its width: the
// times and the number take what their widest text needs, the content the rest. Widths are in
// pixels of the list's own font, so the fit holds at every scaling.
#pragma once

#include <array>

namespace ui {

struct ColumnNeeds {
    int time = 0;        // a time stamp with its margins, or its header when that is wider
    int number = 0;      // the widest number text ("ctrl+alt+9", "999") or its header
    int minContent = 0;  // below this the content column stops shrinking: the list then scrolls
};

// The widths for a list whose rows are `listWidth` wide.
std::array<int, 4> fitColumns(int listWidth, const ColumnNeeds& needs);

}  // namespace ui
