#include "store/ClipNames.h"

#include "store/Text.h"

namespace store {

namespace {

std::string concat(std::string_view a, std::string_view b) {
    std::string out;
    out.reserve(a.size() + b.size());
    out.append(a);
    out.append(b);
    return out;
}

bool isDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A clip name of the store: "copy" + one digit, "his" + number + "-", or "tempFile".
bool isClipName(std::string_view clip) {
    if (clip == kTempClipName)
        return true;
    if (clip.size() == 5 && clip.compare(0, 4, "copy") == 0)
        return clip[4] >= '0' && clip[4] <= '9';
    return clip.size() > 4 && clip.compare(0, 3, "his") == 0 && clip.back() == '-' &&
           isDigits(clip.substr(3, clip.size() - 4));
}

}  // namespace

std::string slotClipName(char slotKey) {
    return slotClipName(std::string_view(&slotKey, 1));
}

std::string slotClipName(std::string_view digit) {
    return concat(kSlotPrefix, digit);
}

std::string historyClipName(int number) {
    return historyBaseName(number) + "-";
}

std::string historyClipName(std::string_view number) {
    return historyBaseName(number) + "-";
}

std::string historyBaseName(int number) {
    return historyBaseName(std::to_string(number));
}

std::string historyBaseName(std::string_view number) {
    return concat(kHistoryPrefix, number);
}

bool isHistoryClipName(std::string_view clip) {
    return clip.size() > kHistoryPrefix.size() + 1 && clip.compare(0, kHistoryPrefix.size(), kHistoryPrefix) == 0 &&
           clip.back() == '-';
}

std::string historyClipNameOfBase(std::string_view base) {
    return concat(base, "-");
}

std::string_view historyBaseOf(std::string_view historyClip) {
    return historyClip.substr(0, historyClip.size() - 1);
}

std::string timeElementName(std::string_view clip) {
    return concat(clip, kTimeSuffix);
}

std::string useTimeElementName(std::string_view clip) {
    return concat(clip, kUseTimeSuffix);
}

std::string sourceElementName(std::string_view clip) {
    return concat(clip, kSourceSuffix);
}

std::string originElementName(std::string_view clip) {
    return concat(clip, kOriginSuffix);
}

std::string formatElementName(std::string_view clip, int index) {
    return concat(clip, std::to_string(index));
}

std::string categoryElementName(std::string_view historyBase) {
    return concat(historyBase, kCategorySuffix);
}

std::string bitmapFileName(std::string_view clip) {
    return concat(clip, kBitmapExtension);
}

std::string thumbnailFileName(std::string_view clip) {
    return concat(clip, kThumbnailExtension);
}

bool belongsToClip(std::string_view name, std::string_view clip) {
    if (name.size() <= clip.size() || name.compare(0, clip.size(), clip) != 0)
        return false;
    const std::string_view rest = name.substr(clip.size());
    if (rest == kTimeSuffix || rest == kUseTimeSuffix || rest == kSourceSuffix || rest == kOriginSuffix)
        return true;
    if (rest.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    return rest.size() == 1 || rest[0] != '0';
}

std::vector<std::string> dataFilesOfElement(std::string_view elementName) {
    std::vector<std::string> files;
    dataFilesOfElement(elementName, files);
    return files;
}

void dataFilesOfElement(std::string_view elementName, std::vector<std::string>& files) {
    if (elementName.find(kTimeSuffix) == std::string_view::npos) {
        files.resize(1);
        files[0].assign(elementName);
        return;
    }
    files = {replaceAll(elementName, kTimeSuffix, kBitmapExtension), replaceAll(elementName, kTimeSuffix, kThumbnailExtension)};
}

bool isClipFileName(std::string_view name) {
    if (name.size() > kThumbnailExtension.size() &&
        name.substr(name.size() - kThumbnailExtension.size()) == kThumbnailExtension)
        return isClipName(name.substr(0, name.size() - kThumbnailExtension.size()));
    if (name.size() > kBitmapExtension.size() &&
        name.substr(name.size() - kBitmapExtension.size()) == kBitmapExtension)
        return isClipName(name.substr(0, name.size() - kBitmapExtension.size()));
    // Clip name + format index: the clip name is the longest prefix that is one.
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    for (std::size_t cut = digits; cut < name.size(); ++cut)
        if (isClipName(name.substr(0, cut)))
            return true;
    return false;
}

}  // namespace store
