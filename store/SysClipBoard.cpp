// CSysClipBoard: the store operations themselves, portable. Archives are in SysClipBoardArchive.cpp,
// the runs kept at start-up in SysClipBoardRuns.cpp; the category tree and menu and the message box
// that show the store to the user are ui/'s (CategoryLists.h, StoreMessages.h).
#include "store/SysClipBoard.h"

#include "store/ArchivePaths.h"
#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/ClipSnapshot.h"
#include "store/DataFiles.h"
#include "store/DropFiles.h"
#include "store/FileSystem.h"
#include "store/PasteQueue.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "store/StorePaths.h"
#include "store/Text.h"
#include "xml/XmlDocument.h"

#include <algorithm>

#include <cstdio>
#include <functional>
#include <cstdlib>

using xml::XmlDocument;

using namespace store;

namespace {

CSysClipBoard::MessageHandler& messageHandler() {
    static CSysClipBoard::MessageHandler handler;
    return handler;
}

}  // namespace

CSysClipBoard::CSysClipBoard(std::string folder) : m_paths(std::move(folder)) {}

CSysClipBoard::~CSysClipBoard() = default;

void CSysClipBoard::setMessageHandler(MessageHandler handler) {
    messageHandler() = std::move(handler);
}

void CSysClipBoard::showMessage(const std::string& text) const {
    if (messageHandler())
        messageHandler()(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

CSysClipBoard::Load CSysClipBoard::loadIndex(XmlDocument& doc) const {
    switch (readStoreFile(m_paths.indexFile(), doc)) {
    case FileState::Loaded:
        return Load::Loaded;
    case FileState::Missing:
        return Load::Missing;
    default:
        return Load::Unreadable;
    }
}

bool CSysClipBoard::updateIndex(bool createIfMissing, const std::function<bool(XmlDocument&)>& edit) const {
    return updateStoreFile(m_paths.indexFile(), createIfMissing ? IfMissing::Create : IfMissing::Skip, edit);
}

void CSysClipBoard::resetStore(const PreviousRun& kept) const {
    if (!kept.spareIndex)
        files::remove(m_paths.indexFile());
    if (!kept.spareStatus)
        files::remove(m_paths.statusFile());
    if (!kept.spareData)
        deleteFolder(m_paths.dataFolder());
    removeTemporaryFiles();
}

// What an ended writer left half written, by the names our writers give their temporary files (a
// user's "clipboard.xml old.tmp" stays): the index's and the status file's beside them, a clip's
// staged files in the data folder. A writer that still runs (a chord in another program) is
// left to finish.
void CSysClipBoard::removeTemporaryFiles() const {
    const auto sweep = [](const std::string& folder, std::initializer_list<std::string_view> bases) {
        for (const std::string& name : files::filesIn(folder)) {
            const std::optional<std::string_view> base = temporarySiblingBase(name);
            if (!base || std::find(bases.begin(), bases.end(), *base) == bases.end())
                continue;
            const std::optional<unsigned long> writer = temporarySiblingProcess(name);
            if (writer && !files::processRunning(*writer))
                files::remove(joinPath(folder, name));
        }
    };
    sweep(m_paths.folder(), {kIndexFileName, kStatusFileName});
    sweep(m_paths.dataFolder(), {kStagedFileBase});
}

bool CSysClipBoard::isSysClipSet() const {
    XmlDocument doc;
    return readStoreFile(m_paths.statusFile(), doc) == FileState::Loaded && findRootChild(doc, kSysClipKey);
}

int CSysClipBoard::findCanUseHisClip() const {
    XmlDocument doc;
    const Load load = loadIndex(doc);
    if (load == Load::Unreadable) {
        showMessage("CSysClipBoard::findCanUseHisClip");
        return 1;
    }
    return load == Load::Missing ? 1 : lowestFreeHistoryNumber(doc);
}

std::string CSysClipBoard::getValue(std::string_view name) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded || !findRootChild(doc, name))
        return {};
    return doc.childElementText();
}

void CSysClipBoard::setValue(const char* text, std::string_view name, int update) const {
    if (!text)
        return;
    updateIndex(true, [&](XmlDocument& doc) {
        if (update)
            setRootChild(doc, name, text);
        else
            appendRootChild(doc, name, text);
        return true;
    });
}

bool CSysClipBoard::hasElement(std::string_view name, std::string_view text) const {
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        return false;
    for (const RootElement& element : rootElements(doc))
        if (element.name == name && element.text == text)
            return true;
    return false;
}

void CSysClipBoard::removeElement(std::string_view name) const {
    updateIndex(false, [&](XmlDocument& doc) {
        return findRootChild(doc, name) && doc.enterElement() && doc.deleteElement();
    });
}

void CSysClipBoard::removeClip(std::string_view clip) const {
    const std::string category = isHistoryClipName(clip) ? categoryElementName(historyBaseOf(clip)) : std::string();
    updateIndex(false, [&](XmlDocument& doc) {
        const std::vector<std::string> files = removeClipElements(doc, clip, category);
        if (files.empty())
            return false;
        for (const std::string& file : files)
            files::remove(m_paths.dataFile(file));
        return true;
    });
    // A clip gone from the history leaves the paste queue too (its number may be taken again).
    if (const std::optional<int> number = historyNumberOfClip(clip))
        removeFromPasteQueue(m_paths.statusFile(), {*number});
}

namespace {

// A clip of a loaded index with its data files, each read by its name in the data folder; none
// when a file it needs is missing or sealed out of this user's reach.
std::optional<StoredClip> clipOfIndex(XmlDocument& doc, std::string_view clip,
                                      const std::function<DataContent(const std::string&)>& dataFile) {
    StoredClip stored;
    auto valueOf = [&doc](const std::string& name) {
        return findRootChild(doc, name) ? doc.childElementText() : std::string();
    };
    stored.copyTime = valueOf(timeElementName(clip));
    stored.source = valueOf(sourceElementName(clip));
    std::vector<std::pair<int, int>> formats;
    for (int i = 0; i < kMaxFormatsPerClip; ++i) {
        const std::string value = valueOf(formatElementName(clip, i));
        if (!value.empty())
            formats.emplace_back(i, std::atoi(value.c_str()));
    }
    for (const auto& [index, format] : formats) {
        DataContent bytes = dataFile(formatElementName(clip, index));
        if (bytes.state != DataState::Read && formatHoldsMemory(format))
            return std::nullopt;
        stored.snapshot.formats.push_back({index, static_cast<unsigned>(format), std::move(bytes.bytes)});
    }
    DataContent bitmap = dataFile(bitmapFileName(clip));
    if (bitmap.state == DataState::Unreadable)
        return std::nullopt;
    stored.snapshot.bitmapFile = std::move(bitmap.bytes);
    return stored;
}

}  // namespace

std::optional<StoredClip> CSysClipBoard::readClip(std::string_view clip) const {
    XmlDocument doc;
    if (loadIndex(doc) == Load::Unreadable)
        return std::nullopt;
    return clipOfIndex(doc, clip, [this](const std::string& name) { return readDataContent(m_paths.dataFile(name)); });
}

std::optional<StoredClip> CSysClipBoard::readArchiveClip(const std::string& archivePath, std::string_view clip) {
    XmlDocument doc;
    if (!hasArchiveExtension(archivePath) || !doc.loadFile(archivePath))
        return std::nullopt;
    const std::string folder = archiveDataFolder(archivePath);
    std::optional<StoredClip> stored = clipOfIndex(doc, clip, [&folder](const std::string& name) {
        return isPlainFileName(name) ? readDataContent(joinPath(folder, name)) : DataContent{};
    });
    if (stored && stored->snapshot.formats.empty())
        return std::nullopt;  // no such clip there
    return stored;
}

store::FiledRecord CSysClipBoard::fileHistoryRecord(const store::ClipSnapshot& snapshot, const std::string& stamp,
                                                   store::WhenHistoryFull whenFull) const {
    return store::fileHistoryRecord(m_paths, snapshot, stamp, whenFull);
}

void CSysClipBoard::setCategory(std::string_view category, std::string_view hisName) const {
    updateIndex(false, [&](XmlDocument& doc) {
        if (findRootChild(doc, categoryElementName(hisName)))
            return doc.enterElement() && doc.setElementText(category);
        // Filed directly after the clip's time element.
        return findRootChild(doc, timeElementName(historyClipNameOfBase(hisName))) && doc.enterElement() &&
               doc.addElement(categoryElementName(hisName), category);
    });
}

bool CSysClipBoard::setOrigin(std::string_view clip, std::string_view originText) const {
    return updateIndex(false, [&](XmlDocument& doc) {
        if (findRootChild(doc, originElementName(clip)))
            return doc.enterElement() && doc.setElementText(originText);
        return findRootChild(doc, timeElementName(clip)) && doc.enterElement() &&
               doc.addElement(originElementName(clip), originText);
    });
}

std::vector<std::string> CSysClipBoard::categoryNames() const {
    std::vector<std::string> names;
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        return names;
    for (const RootElement& element : rootElements(doc))
        if (element.name == kCategoryListName)
            names.push_back(element.text);
    return names;
}

ClipElements CSysClipBoard::clipElements(std::string_view clip) const {
    ClipElements clipElements;
    XmlDocument doc;
    if (loadIndex(doc) != Load::Loaded)
        return clipElements;
    auto valueOf = [&doc](const std::string& name) {
        return findRootChild(doc, name) ? doc.childElementText() : std::string();
    };
    clipElements.copyTime = valueOf(timeElementName(clip));
    clipElements.useTime = valueOf(useTimeElementName(clip));
    clipElements.source = valueOf(sourceElementName(clip));
    clipElements.origin = valueOf(originElementName(clip));
    for (int i = 0; i < kMaxFormatsPerClip; ++i) {
        const std::string value = valueOf(formatElementName(clip, i));
        if (!value.empty())
            clipElements.formats.emplace_back(i, std::atoi(value.c_str()));
    }
    return clipElements;
}

std::optional<std::string> CSysClipBoard::readDataFile(std::string_view name) const {
    return readData(m_paths.dataFile(name));
}

// The first text format in index order wins: code-page text (1) or UTF-16 (13), up to its zero.
std::u16string CSysClipBoard::getTextFromName(std::string_view clip) const {
    for (const auto& [index, format] : clipElements(clip).formats) {
        if (format != kFormatText && format != kFormatUnicodeText)
            continue;
        const std::optional<std::string> data = readDataFile(formatElementName(clip, index));
        if (!data)
            continue;
        return clipboardText(*data, format);
    }
    return {};
}

// "File:Path\"" + the first file of the list + "\"".
std::u16string CSysClipBoard::getFileListText(std::string_view clip) const {
    for (const auto& [index, format] : clipElements(clip).formats) {
        if (format != kFormatFileList)
            continue;
        const std::optional<std::string> data = readDataFile(formatElementName(clip, index));
        std::u16string path;
        if (data && firstDroppedFilePath(*data, path))
            return fileListContent(path);
    }
    return {};
}

bool CSysClipBoard::deleteFolder(const std::string& path) const {
    return isDeletableFolder(path) && files::deleteTree(path);
}

CSysClipBoard*& CSysClipBoard::instanceSlot() {
    static CSysClipBoard* instance = nullptr;
    return instance;
}

CSysClipBoard* CSysClipBoard::getInstance() {
    CSysClipBoard*& instance = instanceSlot();
    if (!instance)
        instance = new (std::nothrow) CSysClipBoard(userStoreFolder());
    return instance;
}

void CSysClipBoard::releaseInstance() {
    delete instanceSlot();
    instanceSlot() = nullptr;
}
