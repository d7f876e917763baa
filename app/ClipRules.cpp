#include "ClipRules.h"

#include <cstdio>

namespace clip {

std::u16string programFolder(std::u16string_view executablePath) {
    std::u16string folder(executablePath.substr(0, 512));
    for (char16_t& c : folder)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    const std::u16string name = u"dravix.exe";
    for (std::size_t at; (at = folder.find(name)) != std::u16string::npos;)
        folder.erase(at, name.size());
    return folder;
}

std::string historyNumberText(int number) {
    return std::to_string(number);
}

std::string slotNumberText(char digit) {
    return std::string("ctrl+alt+") + digit;
}

std::string clipNameFromNumberText(std::string_view numberText) {
    constexpr std::string_view slotPrefix = "ctrl+alt+";
    const std::size_t at = numberText.find(slotPrefix);
    if (at != std::string_view::npos) {
        std::string rest(numberText);
        rest.erase(at, slotPrefix.size());
        return "copy" + rest;
    }
    return "his" + std::string(numberText) + "-";
}

std::string pictureContent(int width, int height) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "picture:size %d*%d", width, height);
    return buffer;
}

std::u16string fileListContent(std::u16string_view firstPath) {
    return u"File:Path\"" + std::u16string(firstPath) + u"\"";
}

}  // namespace clip
