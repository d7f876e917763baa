// The programs the user has windows of, for lists that name programs: picked rather than typed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui::running {

// The full paths of the programs behind the visible top-level windows, each once (Windows compares
// paths without letter case), in order of their file names; this program left out.
std::vector<std::wstring> programs();

// A menu of them under `button`: the path chosen, or empty (Esc, or no program to show).
std::wstring pickProgram(HWND button);

}  // namespace ui::running
