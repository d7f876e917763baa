// The store's messages to the user (CSysClipBoard::setMessageHandler) in a message box.
#pragma once

#include <string>

namespace ui {

// A warning box over the active window, under the main window's title.
void showStoreMessage(const std::string& text);

}  // namespace ui
