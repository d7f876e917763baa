#include "StoreFormat.h"

#include "Text.h"
#include "XmlDocument.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

using xml::XmlDocument;
using xml::kDeclarationLine;

namespace store {

namespace {

std::string concat(std::string_view a, std::string_view b) {
    std::string out;
    out.reserve(a.size() + b.size());
    out.append(a);
    out.append(b);
    return out;
}

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9, LPT1-9, also with an extension ("nul.txt").
bool isDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    if (base.size() < 3 || base.size() > 7)
        return false;
    const std::string word = asciiLower(base);
    if (word == "con" || word == "prn" || word == "aux" || word == "nul" || word == "conin$" || word == "conout$")
        return true;
    return word.size() == 4 && (word.compare(0, 3, "com") == 0 || word.compare(0, 3, "lpt") == 0) && word[3] >= '1' &&
           word[3] <= '9';
}

void putLittleEndian(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
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

std::string historyNumberText(int number) {
    return std::to_string(number);
}

std::string slotNumberText(char digit) {
    return concat(kSlotNumberPrefix, std::string_view(&digit, 1));
}

std::string clipNameFromNumberText(std::string_view numberText) {
    if (numberText.size() == kSlotNumberPrefix.size() + 1 && numberText.compare(0, kSlotNumberPrefix.size(), kSlotNumberPrefix) == 0) {
        const char digit = numberText.back();
        return digit >= '0' && digit <= '9' ? slotClipName(digit) : std::string();
    }
    if (numberText.empty() || numberText.size() > 3 || numberText[0] == '0' ||
        numberText.find_first_not_of("0123456789") != std::string_view::npos)
        return {};
    return historyClipName(numberText);
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
    if (rest == kTimeSuffix || rest == kUseTimeSuffix || rest == kSourceSuffix)
        return true;
    if (rest.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    return rest.size() == 1 || rest[0] != '0';
}

std::vector<std::string> removeClipElements(xml::XmlDocument& doc, std::string_view clip, std::string_view alsoElement) {
    std::vector<std::string> files;
    doc.resetPosition();
    if (!doc.findElement() || !doc.enterElement())
        return files;
    while (doc.findElement()) {
        const std::string name(doc.elementName());
        if (!belongsToClip(name, clip) && (alsoElement.empty() || name != alsoElement))
            continue;
        for (std::string& file : dataFilesOfElement(name))
            files.push_back(std::move(file));
        doc.deleteElement();
    }
    return files;
}

std::vector<std::string> dataFilesOfElement(std::string_view elementName) {
    if (elementName.find(kTimeSuffix) == std::string_view::npos)
        return {std::string(elementName)};
    return {replaceAll(elementName, kTimeSuffix, kBitmapExtension),
            replaceAll(elementName, kTimeSuffix, kThumbnailExtension)};
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > 200 || name == "." || name == "..")
        return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|')
            return false;
    }
    // Windows drops trailing dots and spaces, so "a." would name "a"; refuse them outright.
    if (name.back() == '.' || name.back() == ' ')
        return false;
    return !isDeviceName(name);
}

namespace {

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

std::uint32_t readLittleEndian(std::string_view bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
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

std::u16string utf16FromBytes(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                                    (static_cast<unsigned char>(bytes[at + 1]) << 8));
        if (unit == 0)
            break;
        text += unit;
    }
    return text;
}

bool firstDroppedFile(std::string_view block, DroppedFileName& name) {
    // DROPFILES: pFiles (offset of the list), pt (two LONGs), fNC, fWide; 20 bytes.
    constexpr std::size_t kHeaderSize = 20;
    if (block.size() < kHeaderSize)
        return false;
    const std::size_t offset = readLittleEndian(block, 0);
    name.isWide = readLittleEndian(block, 16) != 0;
    if (offset < kHeaderSize || offset >= block.size())
        return false;
    if (name.isWide) {
        name.wide = utf16FromBytes(block.substr(offset));
        // The name must end inside the block, with its zero.
        const std::size_t end = offset + name.wide.size() * 2;
        return !name.wide.empty() && end + 1 < block.size();
    }
    const std::size_t end = block.find('\0', offset);
    if (end == std::string_view::npos || end == offset)
        return false;
    name.narrow.assign(block.substr(offset, end - offset));
    return true;
}

bool firstDroppedFilePath(std::string_view block, std::u16string& path) {
    DroppedFileName name;
    if (!firstDroppedFile(block, name))
        return false;
    path = name.isWide ? name.wide : codePageToUtf16(name.narrow);
    if (path.size() > 259)
        path.resize(259);  // the shell's MAX_PATH buffer
    return true;
}

std::u16string fileListContent(std::u16string_view firstPath) {
    return std::u16string(kFileListContentPrefix) + std::u16string(firstPath) + u"\"";
}

bool isDeletableFolder(std::string_view path) {
    if (path.empty() || path.size() >= 259 || path.find_first_of("*?") != std::string_view::npos)
        return false;
    // Length of the root part: "C:\", "\\server\share\" or "/".
    std::size_t root;
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/') &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (drive) {
        root = 3;
    } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        const std::size_t server = path.find('\\', 2);
        if (server == std::string_view::npos)
            return false;
        const std::size_t share = path.find('\\', server + 1);
        if (share == std::string_view::npos)
            return false;
        root = share + 1;
    } else if (path[0] == '/') {
        root = 1;
    } else {
        return false;  // relative, or "C:name", or a rooted path without a drive
    }
    std::string_view rest = path.substr(root);
    bool hasComponent = false;
    while (!rest.empty()) {
        const std::size_t cut = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, cut);
        if (part == "." || part == ".." || part.find(':') != std::string_view::npos)
            return false;
        hasComponent = hasComponent || !part.empty();
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    return hasComponent;
}

std::string formatTimeStamp(const LocalTime& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buffer;
}

std::string currentTimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return formatTimeStamp(
        {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
}

bool hasArchiveExtension(std::string_view path) {
    return path.size() > kArchiveExtension.size() && endsWithIgnoringCase(path, kArchiveExtension);
}

std::string archiveIndexPath(std::string_view archivePath) {
    return replaceAll(archivePath, kArchiveExtension, kArchiveIndexExtension, true);
}

std::string archiveDataFolder(std::string_view archivePath) {
    return replaceAll(archivePath, kArchiveExtension, {}, true);
}

std::string runName(std::string_view stamp, int sameSecond) {
    std::string name = concat(kRunMarker, stamp);
    for (std::size_t i = kRunMarker.size(); i < name.size(); ++i)
        if (name[i] == ':')
            name[i] = '-';
    if (sameSecond > 1)
        name += " (" + std::to_string(sameSecond) + ")";
    return name;
}

namespace {

// The number of the digits at [at, at + count) of `text`, or -1 when they are not all digits.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<RunName> parseRunName(std::string_view base) {
    // "YYYY-MM-DD HH-MM-SS" after the marker: separators where they belong, digits elsewhere.
    constexpr std::string_view kShape = "0000-00-00 00-00-00";
    if (base.size() < kRunMarker.size() + kShape.size() || base.compare(0, kRunMarker.size(), kRunMarker) != 0)
        return std::nullopt;
    const std::string_view time = base.substr(kRunMarker.size(), kShape.size());
    for (std::size_t i = 0; i < kShape.size(); ++i)
        if (kShape[i] != '0' && time[i] != kShape[i])
            return std::nullopt;
    const int year = digitsAt(time, 0, 4), month = digitsAt(time, 5, 2), day = digitsAt(time, 8, 2);
    const int hour = digitsAt(time, 11, 2), minute = digitsAt(time, 14, 2), second = digitsAt(time, 17, 2);
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    RunName run{std::string(time), 1};
    std::string_view rest = base.substr(kRunMarker.size() + kShape.size());
    if (rest.empty())
        return run;
    // " (n)": n from 2, no leading zero, at most four digits.
    if (rest.size() < 4 || rest.size() > 7 || rest.compare(0, 2, " (") != 0 || rest.back() != ')' || rest[2] == '0')
        return std::nullopt;
    run.sameSecond = digitsAt(rest, 2, rest.size() - 3);
    if (run.sameSecond < 2)
        return std::nullopt;
    return run;
}

std::optional<RunName> parseRunArchive(std::string_view name) {
    if (name.size() <= kArchiveExtension.size() ||
        name.compare(name.size() - kArchiveExtension.size(), kArchiveExtension.size(), kArchiveExtension) != 0)
        return std::nullopt;
    return parseRunName(name.substr(0, name.size() - kArchiveExtension.size()));
}

namespace {

// The kept runs' archives among the names, oldest first.
std::vector<std::pair<RunName, std::string>> runArchives(const std::vector<std::string>& names) {
    std::vector<std::pair<RunName, std::string>> runs;
    for (const std::string& name : names)
        if (std::optional<RunName> run = parseRunArchive(name))
            runs.emplace_back(std::move(*run), name);
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return runs;
}

}  // namespace

std::vector<std::string> runsToRemove(const std::vector<std::string>& names, std::size_t keep) {
    const std::vector<std::pair<RunName, std::string>> runs = runArchives(names);
    std::vector<std::string> old;
    for (std::size_t i = 0; i + keep < runs.size(); ++i)
        old.push_back(runs[i].second);
    return old;
}

std::string newestRun(const std::vector<std::string>& names) {
    const std::vector<std::pair<RunName, std::string>> runs = runArchives(names);
    return runs.empty() ? std::string() : runs.back().second;
}

bool isRunLeftover(std::string_view name) {
    constexpr std::string_view kTemporary = ".tmp";
    if (name.size() <= kTemporary.size() || name.compare(name.size() - kTemporary.size(), kTemporary.size(), kTemporary) != 0)
        return false;
    name.remove_suffix(kTemporary.size());
    // "." + digits + "-" + digits
    const std::size_t dot = name.rfind('.');
    const std::size_t dash = name.rfind('-');
    if (dot == std::string_view::npos || dash == std::string_view::npos || dash < dot + 2 || dash + 1 == name.size())
        return false;
    for (std::size_t i = dot + 1; i < name.size(); ++i)
        if (i != dash && (name[i] < '0' || name[i] > '9'))
            return false;
    name = name.substr(0, dot);
    return parseRunName(name) || parseRunArchive(name);
}

namespace {

// Lower case, one kind of separator, no separator at the end.
std::string comparableFolder(std::string_view path) {
    std::string out = asciiLower(path);
    for (char& c : out)
        if (c == '/')
            c = '\\';
    while (out.size() > 1 && out.back() == '\\')
        out.pop_back();
    return out;
}

bool isInside(const std::string& inner, const std::string& outer) {
    return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == '\\';
}

}  // namespace

bool foldersOverlap(std::string_view a, std::string_view b) {
    const std::string first = comparableFolder(a), second = comparableFolder(b);
    return first == second || isInside(first, second) || isInside(second, first);
}

bool folderIsOrHolds(std::string_view outer, std::string_view inner) {
    const std::string first = comparableFolder(outer), second = comparableFolder(inner);
    return first == second || isInside(second, first);
}

int bitCountForDisplay(int displayBits) {
    if (displayBits <= 1)
        return 1;
    if (displayBits <= 4)
        return 4;
    if (displayBits <= 8)
        return 8;
    return 24;
}

bool computeBmpLayout(int width, int height, int bitCount, BmpLayout& layout) {
    if (width <= 0 || height <= 0 || (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24))
        return false;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * static_cast<unsigned>(bitCount) + 31) / 32) * 4;
    const std::uint64_t pixels = stride * static_cast<std::uint64_t>(height);
    const std::uint64_t colorTable = bitCount <= 8 ? (std::uint64_t{1} << bitCount) * 4 : 0;
    const std::uint64_t fileSize = kBmpHeadersSize + colorTable + pixels;
    if (fileSize > 0xFFFFFFFFull)
        return false;
    layout.width = width;
    layout.height = height;
    layout.bitCount = bitCount;
    layout.stride = static_cast<std::uint32_t>(stride);
    layout.colorTableSize = static_cast<std::uint32_t>(colorTable);
    layout.pixelDataSize = static_cast<std::uint32_t>(pixels);
    layout.pixelOffset = static_cast<std::uint32_t>(kBmpHeadersSize + colorTable);
    layout.fileSize = static_cast<std::uint32_t>(fileSize);
    return true;
}

std::array<std::uint8_t, kBmpHeadersSize> bmpHeaders(const BmpLayout& layout) {
    std::array<std::uint8_t, kBmpHeadersSize> out{};
    // BITMAPFILEHEADER
    out[0] = 'B';
    out[1] = 'M';
    putLittleEndian(&out[2], layout.fileSize, 4);
    putLittleEndian(&out[10], layout.pixelOffset, 4);
    // BITMAPINFOHEADER: size, width, height, planes, bit count; no compression, the rest 0.
    putLittleEndian(&out[14], 40, 4);
    putLittleEndian(&out[18], static_cast<std::uint32_t>(layout.width), 4);
    putLittleEndian(&out[22], static_cast<std::uint32_t>(layout.height), 4);
    putLittleEndian(&out[26], 1, 2);
    putLittleEndian(&out[28], static_cast<std::uint32_t>(layout.bitCount), 2);
    return out;
}

void startEmptyStore(XmlDocument& doc, std::size_t expectedSize) {
    doc.setDocument(kDeclarationLine);
    doc.reserveText(expectedSize);
    doc.addElement(kRootName);
}

// In a document cut short the root has no end tag, and the elements read after its start tag
// stand beside it rather than in it: they are the root's children all the same.
std::vector<RootElement> rootElements(XmlDocument& doc) {
    std::vector<RootElement> elements;
    doc.resetPosition();
    if (!doc.findElement())
        return elements;
    if (doc.enterElement()) {
        while (doc.findElement())
            elements.push_back({doc.tagName(), doc.elementText()});
        doc.leaveElement();
    }
    while (doc.findElement())
        elements.push_back({doc.tagName(), doc.elementText()});
    return elements;
}

bool holdsUserClips(const std::vector<RootElement>& elements) {
    for (const RootElement& element : elements) {
        const std::string_view name = element.name;
        if (name.rfind(kHistoryPrefix, 0) == 0 || name.rfind(kSlotPrefix, 0) == 0 || name == kCategoryListName)
            return true;
    }
    return false;
}

bool findRootChild(XmlDocument& doc, std::string_view name) {
    // With no current element the search first makes the root current, then walks its children.
    doc.resetPosition();
    return doc.findChildElement(name);
}

void appendRootChild(XmlDocument& doc, std::string_view name, std::string_view text) {
    doc.resetPosition();
    doc.findElement();
    doc.enterElement();
    doc.addElement(name, text);
    doc.leaveElement();
}

void setRootChild(XmlDocument& doc, std::string_view name, std::string_view text) {
    if (findRootChild(doc, name)) {
        doc.enterElement();
        doc.setElementText(text);
    } else {
        appendRootChild(doc, name, text);
    }
}

bool formatHoldsMemory(int format) {
    switch (format) {
    case 2:     // CF_BITMAP
    case 9:     // CF_PALETTE
    case 14:    // CF_ENHMETAFILE
    case 0x80:  // CF_OWNERDISPLAY
    case 0x82:  // CF_DSPBITMAP
    case 0x8E:  // CF_DSPENHMETAFILE
        return false;
    default:
        return true;
    }
}

bool isPlainTextFormat(int format) {
    return format == 1 /* CF_TEXT */ || format == 7 /* CF_OEMTEXT */ || format == 13 /* CF_UNICODETEXT */ ||
           format == 16 /* CF_LOCALE */;
}

bool formatRestoresFromBytes(int format) {
    return format > 0 && formatHoldsMemory(format) && format != 3 /* CF_METAFILEPICT */ &&
           format != 0x83 /* CF_DSPMETAFILEPICT */;
}

}  // namespace store
