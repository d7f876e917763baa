#include "ClipRules.h"

#include "Text.h"

#include <cstdio>

namespace clip {

std::u16string programFolder(std::u16string_view executablePath) {
    return store::replaceAll(store::asciiLower(executablePath.substr(0, 512)), u"dravix.exe", u"");
}

bool isPasteTargetClass(std::string_view className) {
    return !store::containsIgnoringCase(className, "shell_traywnd") && !store::containsIgnoringCase(className, "tooltips");
}

std::string pictureContent(int width, int height) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "picture:size %d*%d", width, height);
    return buffer;
}


}  // namespace clip
