// What passes between the two deliverables besides the store's files: how the hook library
// finds the main window, and the window messages it posts there.
#pragma once

#include <string_view>

namespace store {

// The main window's exact title. A window counts as the main window only when it also has the
// clip list (control 1000): message boxes of the program carry the same caption.
inline constexpr std::string_view kMainWindowTitle = "\u201cTavenlow剪贴复制工具(Dravix)\u201dV4.7";
inline constexpr int kMainListId = 1000;

// Window messages to the main window (WM_USER = 0x400), always posted.
inline constexpr unsigned kMsgSlotCopied = 0x400 + 1;    // wParam: the slot key, '0' to '9'
inline constexpr unsigned kMsgClipPasted = 0x400 + 3;    // wParam: the history number pasted, or 0
inline constexpr unsigned kMsgStoreDamaged = 0x400 + 5;  // a store file could not be read and was set aside

}  // namespace store
