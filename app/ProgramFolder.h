// The folder dravix.exe runs from: where its help, its intro text and its updater are, and where
// the file dialogs start before the user chose a folder.
#pragma once

#include <string>

namespace app {

// Lower-cased, with its trailing backslash.
std::wstring programFolder();

}  // namespace app
