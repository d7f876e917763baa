#include "ui/StoreMessages.h"

#include "store/Protocol.h"
#include "base/Text.h"

#include <windows.h>

namespace ui {

void showStoreMessage(const std::string& text) {
    MessageBoxW(GetActiveWindow(), base::toWide(text).c_str(), base::toWide(store::kMainWindowTitle).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace ui
