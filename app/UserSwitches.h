// The user's switches that outlive a run: each a DWORD under HKCU\Software\Dravix, on when it is
// not 0 (a missing or wrongly typed value is off), turned on and off from the tray menu.
#pragma once

#include "store/ClipSnapshot.h"

#include <functional>

bool userSwitchOn(const wchar_t* setting);
void toggleUserSwitch(const wchar_t* setting);

// A history record filed by `file`; in a full history it is filed again making room when the
// user's "make room when full" switch is on (the setting is read only then, off every copy's path).
store::FiledRecord fileMakingRoomWhenAsked(const std::function<store::FiledRecord(store::WhenHistoryFull)>& file);
