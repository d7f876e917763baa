// Finding windows of other processes.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The top-level window with exactly this title that also has the child control `childId`;
// null when there is none. (A title alone also finds message boxes that borrow it.)
HWND FindTopLevelWindow(const std::wstring& title, int childId);

}  // namespace fw
