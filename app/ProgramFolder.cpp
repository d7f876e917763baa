#include "app/ProgramFolder.h"

#include "app/ClipRules.h"
#include "base/Text.h"

#include <windows.h>

namespace app {

std::wstring programFolder() {
    wchar_t path[513] = {};
    GetModuleFileNameW(nullptr, path, 512);
    return base::toWide(app::programFolder(reinterpret_cast<const char16_t*>(path)));
}

}  // namespace app
