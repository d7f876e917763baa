#include "app/UserSwitches.h"

#include "store/Protocol.h"
#include "fw/Settings.h"

namespace app {

bool userSwitchOn(const wchar_t* setting) {
    return fw::ReadUserDword(store::kSettingsKey, setting).value_or(0) != 0;
}

}  // namespace app
