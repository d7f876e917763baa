// The user's switches that outlive a run: each a DWORD under HKCU\Software\Dravix, on when it is
// not 0 (a missing or wrongly typed value is off), changed in the options dialog (app/OptionsCommands).
#pragma once

namespace app {

bool userSwitchOn(const wchar_t* setting);

}  // namespace app
