// CSysClipBoard: the store operations themselves, portable; platform pieces are in
// SysClipBoard_win.cpp and SysClipBoard_posix.cpp.
#include "SysClipBoard.h"

#include "FileUtf8.h"
#include "StoreFormat.h"
#include "XmlDocument.h"

#include <cstdlib>
#include <optional>
#include <unordered_set>

using namespace store;

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string join(std::string_view folder, std::string_view name) {
    std::string out(folder);
    out += kSeparator;
    out.append(name);
    return out;
}

CSysClipBoard::MessageHandler& messageHandler() {
    static CSysClipBoard::MessageHandler handler;
    return handler;
}

// Walks the root's children named `name` in order, handing each one's text to `visit`
// (which returns false to stop).
template <typename Visit>
void forEachRootChild(XmlDocument& doc, std::string_view name, Visit visit) {
    doc.resetPosition();
    if (!doc.findElement() || !doc.enterElement())
        return;
    while (doc.findElement(name))
        if (!visit(doc.elementText()))
            return;
}

// The number of a history clip's first format element, "his" + n + "-0"; 0 for other names.
long historyNumberOfFirstFormat(std::string_view name) {
    if (name.size() < 6 || name.compare(0, 3, "his") != 0 || name.compare(name.size() - 2, 2, "-0") != 0)
        return 0;
    const std::string_view digits = name.substr(3, name.size() - 5);
    if (digits.empty() || digits.size() > 9 || digits[0] == '0')
        return 0;
    long n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

// Copies, from one folder to another, the data file of each element name that names one:
// "-time" elements give the clip's bitmap. Names that are not plain file names are skipped, and
// so are files that are not there (listed once, rather than tried one by one).
void CSysClipBoard::copyElementFiles(const std::vector<std::string>& names, const std::string& from,
                                     const std::string& to) const {
    std::unordered_set<std::string> present;
    for (const std::string& file : filesIn(from))
        present.insert(lowerAscii(file));
    for (const std::string& name : names) {
        const std::string file = archiveFileForElement(name);
        if (isPlainFileName(file) && present.count(lowerAscii(file)))
            copyFile(join(from, file), join(to, file));
    }
}

CSysClipBoard::CSysClipBoard(std::string windowsDir) : m_strWindowsDir(std::move(windowsDir)) {}

CSysClipBoard::~CSysClipBoard() = default;

void CSysClipBoard::setMessageHandler(MessageHandler handler) {
    messageHandler() = std::move(handler);
}

void CSysClipBoard::showMessage(const std::string& text) const {
    if (messageHandler())
        messageHandler()(text);
    else
        defaultMessage(text);
}

std::string CSysClipBoard::indexPath() const {
    return join(m_strWindowsDir, kIndexFileName);
}

std::string CSysClipBoard::statusPath() const {
    return join(m_strWindowsDir, kStatusFileName);
}

std::string CSysClipBoard::dataFolder() const {
    return join(m_strWindowsDir, kDataFolderName);
}

std::string CSysClipBoard::dataFile(std::string_view name) const {
    return join(dataFolder(), name);
}

CSysClipBoard::Load CSysClipBoard::loadIndex(XmlDocument& doc) const {
    const std::string path = indexPath();
    if (doc.loadFile(path))
        return Load::Loaded;
    return isReadableFile(path) ? Load::Unreadable : Load::Missing;
}

bool CSysClipBoard::isSysClipSet() const {
    XmlDocument doc;
    return doc.loadFile(statusPath()) && findRootChild(doc, kSysClipKey);
}

// One pass over the root's children: every "his" + n + "-0" marks n as taken; the answer is the
// lowest n that is not. It can be at most the number of children + 1.
int CSysClipBoard::findCanUseHisClip() const {
    XmlDocument doc;
    const Load load = loadIndex(doc);
    if (load == Load::Unreadable) {
        showMessage("CSysClipBoard::findCanUseHisClip");
        return 1;
    }
    if (load == Load::Missing)
        return 1;
    std::vector<bool> taken(1);
    doc.resetPosition();
    if (doc.findElement() && doc.enterElement()) {
        while (doc.findElement()) {
            const long n = historyNumberOfFirstFormat(doc.elementName());
            if (n <= 0)
                continue;
            if (static_cast<std::size_t>(n) >= taken.size()) {
                if (n > kMaxHistoryNumber * 64L && static_cast<std::size_t>(n) > taken.size() * 2)
                    continue;  // far beyond any free number this index can leave
                taken.resize(static_cast<std::size_t>(n) + 1);
            }
            taken[static_cast<std::size_t>(n)] = true;
        }
    }
    std::size_t n = 1;
    while (n < taken.size() && taken[n])
        ++n;
    return static_cast<int>(n);
}

std::string CSysClipBoard::getValue(std::string_view name) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded || !findRootChild(doc, name))
        return {};
    return doc.childElementText();
}

void CSysClipBoard::setValue(const char* text, std::string_view name, int update) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        startEmptyStore(doc);
    if (!text)
        return;
    if (update)
        setRootChild(doc, name, text);
    else
        appendRootChild(doc, name, text);
    doc.saveFile(indexPath());
}

bool CSysClipBoard::hasElement(std::string_view name, std::string_view text) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        return false;
    bool found = false;
    forEachRootChild(doc, name, [&](const std::string& value) {
        found = value == text;
        return !found;
    });
    return found;
}

// A missing index has nothing to remove: nothing is written (an empty file would later read as a
// damaged index).
void CSysClipBoard::removeElement(std::string_view name) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        return;
    if (findRootChild(doc, name)) {
        doc.enterElement();
        doc.deleteElement();
    }
    doc.saveFile(indexPath());
}

// Searches only forward, relying on the order a clip is written in: "-time", "-usetime", then
// the formats by index.
void CSysClipBoard::removeClip(std::string_view clip) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        return;
    doc.resetPosition();
    if (!doc.findElement() || !doc.enterElement())
        return;
    if (!doc.findElement(timeElementName(clip)))
        return;
    doc.deleteElement();
    if (!doc.findElement(useTimeElementName(clip)))
        return;
    doc.deleteElement();
    for (int i = 0; doc.findElement(formatElementName(clip, i)); ++i)
        doc.deleteElement();
    doc.saveFile(indexPath());
}

// The index is read once and written once; the outcome is that of copying value by value.
void CSysClipBoard::copyClip(std::string_view from, std::string_view to) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        startEmptyStore(doc);
    auto valueOf = [&doc](const std::string& name) {
        return findRootChild(doc, name) ? doc.childElementText() : std::string();
    };
    setRootChild(doc, timeElementName(to), valueOf(timeElementName(from)));
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < kMaxFormatsPerClip; ++i) {
        const std::string format = valueOf(formatElementName(from, i));
        if (format.empty())
            break;
        setRootChild(doc, formatElementName(to, i), format);
        files.emplace_back(formatElementName(from, i), formatElementName(to, i));
    }
    doc.saveFile(indexPath());
    for (const auto& [source, target] : files)
        if (isPlainFileName(source) && isPlainFileName(target))
            copyFile(dataFile(source), dataFile(target));
}

void CSysClipBoard::setCategory(std::string_view category, std::string_view hisName) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        return;
    if (findRootChild(doc, categoryElementName(hisName))) {
        doc.enterElement();
        doc.setElementText(category);
    } else if (findRootChild(doc, std::string(hisName) + "--time")) {
        // Filed directly after the clip's time element.
        doc.enterElement();
        doc.addElement(categoryElementName(hisName), category);
    } else {
        return;
    }
    doc.saveFile(indexPath());
}

std::vector<std::string> CSysClipBoard::categoryNames() const {
    std::vector<std::string> names;
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        return names;
    forEachRootChild(doc, kCategoryListName, [&](const std::string& value) {
        names.push_back(value);
        return true;
    });
    return names;
}

std::vector<std::pair<int, int>> CSysClipBoard::clipFormats(XmlDocument& doc, std::string_view clip) const {
    std::vector<std::pair<int, int>> formats;
    for (int i = 0; i < kMaxFormatsPerClip; ++i) {
        if (!findRootChild(doc, formatElementName(clip, i)))
            continue;
        const std::string value = doc.childElementText();
        if (!value.empty())
            formats.emplace_back(i, std::atoi(value.c_str()));
    }
    return formats;
}

std::optional<std::string> CSysClipBoard::readDataFile(std::string_view name) const {
    if (!isPlainFileName(name))
        return std::nullopt;
    return readFileBytes(dataFile(name));
}

// The first text format in index order wins: code-page text (1) or UTF-16 (13), up to its zero.
std::u16string CSysClipBoard::getTextFromName(std::string_view clip) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        return {};
    for (const auto& [index, format] : clipFormats(doc, clip)) {
        if (format != kFormatText && format != kFormatUnicodeText)
            continue;
        const std::optional<std::string> data = readDataFile(formatElementName(clip, index));
        if (!data)
            continue;
        if (format == kFormatText)
            return codePageToUtf16(std::string_view(data->c_str()));
        return utf16FromBytes(*data);
    }
    return {};
}

// "File:Path\"" + the first file of the list + "\"".
std::u16string CSysClipBoard::getFileListText(std::string_view clip) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        return {};
    for (const auto& [index, format] : clipFormats(doc, clip)) {
        if (format != kFormatFileList)
            continue;
        const std::optional<std::string> data = readDataFile(formatElementName(clip, index));
        DroppedFileName name;
        if (!data || !firstDroppedFile(*data, name))
            continue;
        std::u16string path = name.isWide ? name.wide : codePageToUtf16(name.narrow);
        if (path.size() > 259)
            path.resize(259);  // the shell's MAX_PATH buffer
        return u"File:Path\"" + path + u"\"";
    }
    return {};
}

bool CSysClipBoard::deleteFolder(const std::string& path) const {
    return isDeletableFolder(path) && deleteTree(path);
}

// The archive index is written under a temporary name beside the archive and then moved over
// it; the data folder (the archive path without ".amc") is emptied of clip files and refilled.
bool CSysClipBoard::saveArchive(const std::string& path) const {
    const std::string folder = archiveDataFolder(path);
    if (folder == path || folder.empty())
        return false;
    XmlDocument source;
    if (loadIndex(source) == Load::Unreadable)
        return false;
    XmlDocument archive;
    startEmptyStore(archive, source.documentText().size() + 64);
    createFolder(folder);
    for (const std::string& name : filesIn(folder))
        if (isClipFileName(name))
            removeFile(join(folder, name));
    std::vector<std::string> names;
    source.resetPosition();
    if (source.findElement() && source.enterElement()) {
        while (source.findElement()) {
            names.push_back(source.tagName());
            appendRootChild(archive, names.back(), source.elementText());
        }
    }
    copyElementFiles(names, dataFolder(), folder);
    const std::string temporary = path + ".saving";
    const bool saved = archive.saveFile(temporary) && replaceFile(temporary, path);
    if (!saved)
        removeFile(temporary);
    return saved;
}

// The store is replaced only by an archive that can be read: a missing or empty file, or a
// damaged one in which nothing under the root could be read, leaves the store as it was.
// Element names are file names here: one that is not a plain file name is still copied into the
// index, but its file is not.
bool CSysClipBoard::openArchive(const std::string& path) const {
    const std::string folder = archiveDataFolder(path);
    if (folder == path || folder.empty())
        return false;
    XmlDocument archive;
    const bool wellFormed = archive.loadFile(path);
    std::vector<std::pair<std::string, std::string>> elements;
    archive.resetPosition();
    if (archive.findElement() && archive.enterElement())
        while (archive.findElement())
            elements.emplace_back(archive.tagName(), archive.elementText());
    if (!wellFormed && elements.empty())
        return false;

    removeFile(indexPath());
    deleteFolder(dataFolder());
    createFolder(dataFolder());
    XmlDocument index;
    startEmptyStore(index, archive.documentText().size() + 64);
    std::vector<std::string> names;
    for (const auto& [name, text] : elements) {
        appendRootChild(index, name, text);
        names.push_back(name);
    }
    copyElementFiles(names, folder, dataFolder());
    return index.saveFile(indexPath());
}

CSysClipBoard*& CSysClipBoard::instanceSlot() {
    static CSysClipBoard* instance = nullptr;
    return instance;
}

void CSysClipBoard::releaseInstance() {
    delete instanceSlot();
    instanceSlot() = nullptr;
}
