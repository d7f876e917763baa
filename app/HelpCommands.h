// The Help menu's commands and the introduction shown once: the help file and the homepage open
// with the user's programs for them.
#pragma once

#include <string>

namespace app {

// The help file beside the program (F1 and 帮助 > 帮助主题).
void openHelp();
void openHomepage();
// The introduction, until the user ticks it off (a marker in the store's folder `storeFolder`).
void showIntroOnce(const std::string& storeFolder);

}  // namespace app
