// Integrity levels (Windows' mandatory labels): input and messages from a process go only to
// processes of the same level or below.
#pragma once

#include <windows.h>

#include <optional>

namespace fw {

// The level of this process (SECURITY_MANDATORY_MEDIUM_RID for a normal program); nothing when
// the system does not say.
std::optional<DWORD> OwnIntegrityLevel();

struct WindowProcessLevel {
    bool queryable = false;         // the window's process could be opened for a query
    std::optional<DWORD> level;     // its integrity level, when its token says
};
WindowProcessLevel IntegrityLevelOf(HWND window);

}  // namespace fw
