// CSysClipBoard: saving the store as an archive and opening one. Neither ever leaves a half
// state behind: the new data files are gathered in a temporary folder beside the old one, and
// the old files and index are replaced only once everything new is in place. A data file is opened
// on its way (DataFiles.h) and written as its new place wants it: in the clear in an open archive,
// sealed under the password's key in a protected one, as the store writes its own when opened.
#include "store/SysClipBoard.h"

#include "store/ArchiveKey.h"
#include "store/ArchivePaths.h"
#include "store/ClipNames.h"
#include "store/Crypto.h"
#include "store/DataFiles.h"
#include "store/FileSystem.h"
#include "store/PasteQueue.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "store/StoreLock.h"
#include "store/SealedFile.h"
#include "store/StorePaths.h"
#include "store/Text.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include <algorithm>
#include <atomic>
#include <unordered_set>

using xml::XmlDocument;
using xml::textFileBytes;

using namespace store;

namespace {

// The plain files of a folder by their names in lower case (Windows compares file names so).
using Listing = std::unordered_map<std::string, files::FileEntry>;

// A file stamped this close to the listing may be rewritten later within the same stamp (file
// systems stamp coarsely; FAT by two seconds): its size and time do not tell its content.
constexpr std::int64_t kUncertainStampUs = 3 * 1000 * 1000;

Listing listFolder(const std::string& folder) {
    Listing listing;
    for (files::FileEntry& entry : files::fileEntriesIn(folder)) {
        std::string key = asciiLower(entry.name);
        listing.emplace(std::move(key), std::move(entry));
    }
    return listing;
}

// Whether the file now is, by its size and time, the one copied: one stamped too close to the
// listing for its stamp to tell is taken as changed (and copied again, under the lock).
bool sameContent(const files::FileEntry& copied, const files::FileEntry& now, std::int64_t listedAt) {
    return copied.size == now.size && copied.writeTime == now.writeTime && copied.writeTime < listedAt - kUncertainStampUs;
}

// The data files that the elements name ("-time" elements give the clip's bitmap) and the folder
// holds, once each, in the order of the elements. Names that are not plain file names are left
// out, and so are files that are not there (listed once, rather than tried one by one).
std::vector<std::string> elementFiles(const std::vector<RootElement>& elements, const Listing& present) {
    std::vector<std::string> names;
    if (present.empty())
        return names;
    std::unordered_set<std::string> seen;
    // Buffers reused: most elements name no file of the folder (times, sources, categories).
    std::vector<std::string> files;
    std::string key;
    for (const RootElement& element : elements) {
        dataFilesOfElement(element.name, files);
        for (const std::string& file : files) {
            key.assign(file);
            asciiLowerInPlace(key);  // the folder's names are compared in any case
            if (present.count(key) && isPlainFileName(file) && seen.insert(key).second)
                names.push_back(file);
        }
    }
    return names;
}

// The history number an element of a history clip carries ("his12-0", "his12--time",
// "his12category"); 0 for any other element.
long historyNumberOfElement(std::string_view name) {
    if (name.compare(0, 3, "his") != 0)
        return 0;
    std::size_t at = 3;
    long number = 0;
    while (at < name.size() && name[at] >= '0' && name[at] <= '9' && number < 100000)
        number = number * 10 + (name[at++] - '0');
    const std::string_view rest = name.substr(at);
    return at > 3 && (rest.compare(0, 1, "-") == 0 || rest == "category") ? number : 0;
}

// The elements of `now` without the history clips that `then` did not hold: what was copied
// since stays out of a run kept as the store was.
std::vector<RootElement> withoutHistoryAddedSince(std::vector<RootElement> now, const std::vector<RootElement>& then) {
    std::unordered_set<long> held;
    for (const RootElement& element : then)
        held.insert(historyNumberOfElement(element.name));
    now.erase(std::remove_if(now.begin(), now.end(),
                             [&](const RootElement& element) {
                                 const long number = historyNumberOfElement(element.name);
                                 return number != 0 && !held.count(number);
                             }),
              now.end());
    return now;
}

bool stopped(const std::atomic<bool>* stop) {
    return stop && stop->load();
}

// How each data file goes from one folder to the other: linked or copied with its bytes as they
// are, or opened (a sealed file of the store, or of an archive under `openKey`) and written anew as
// `write` makes its bytes.
struct FileCarry {
    enum class Way { Link, Copy, Reopen };
    Way way = Way::Copy;
    std::string openKey;
    std::function<std::optional<std::string>(std::string_view content)> write;
};

bool carryFile(const FileCarry& carry, const std::string& source, const std::string& target) {
    switch (carry.way) {
    case FileCarry::Way::Link:
        return files::linkOrCopy(source, target);
    case FileCarry::Way::Copy:
        return files::copy(source, target);
    case FileCarry::Way::Reopen:
        break;
    }
    const DataContent content = readDataContent(source, carry.openKey);
    // A file this user cannot open goes on as it is: it is never lost on the way.
    if (content.state == DataState::Unreadable)
        return files::copy(source, target);
    const std::optional<std::string> bytes = content.state == DataState::Read ? carry.write(content.bytes) : std::nullopt;
    return bytes && files::writeFile(target, *bytes);
}

// The store's files opened and written into an open archive, or sealed under a protected one's key.
FileCarry savedCarry(std::string key) {
    FileCarry carry{FileCarry::Way::Reopen, {}, [](std::string_view content) {
                        return std::optional<std::string>(sealed::unsealed(content));
                    }};
    if (!key.empty())
        carry.write = [key = std::move(key)](std::string_view content) { return sealed::sealWithKey(key, content); };
    return carry;
}

void createParentFolder(const std::string& path) {
    const std::size_t parent = path.find_last_of("\\/");
    if (parent != std::string::npos && parent > 0)
        files::createFolder(path.substr(0, parent));
}

// The elements without an archive's key: it belongs to an archive, never to the store.
std::vector<RootElement> withoutArchiveKey(std::vector<RootElement> elements) {
    elements.erase(std::remove_if(elements.begin(), elements.end(),
                                  [](const RootElement& element) { return element.name == kArchiveKeyElement; }),
                   elements.end());
    return elements;
}

// The elements of a protected archive's index: its key first, then the store's.
std::vector<RootElement> withArchiveKey(const std::vector<RootElement>& elements, const ArchiveKey& key) {
    std::vector<RootElement> all{{std::string(kArchiveKeyElement), archiveKeyText(key)}};
    for (RootElement& element : withoutArchiveKey(elements))
        all.push_back(std::move(element));
    return all;
}

// Copies the files from one folder to another, telling `progress` after each. With `copied`, a
// file that went meanwhile is passed over (whoever holds the lock next decides about it) and each
// file copied is noted there with the identity that the listing `before` gave it; without, every
// file must be copied. `stop` raised ends it before the next file, unfinished.
bool copyFiles(const std::vector<std::string>& names, const std::string& from, const std::string& to,
               const ArchiveProgress& progress, const FileCarry& carry, const Listing* before = nullptr,
               Listing* copied = nullptr, const std::atomic<bool>* stop = nullptr) {
    for (std::size_t done = 0; done < names.size(); ++done) {
        if (stopped(stop))
            return false;
        const std::string& name = names[done];
        const std::string source = joinPath(from, name);
        const std::string target = joinPath(to, name);
        if (carryFile(carry, source, target)) {
            if (copied && before) {
                files::FileEntry entry = before->at(asciiLower(name));
                entry.name = name;
                copied->emplace(asciiLower(name), std::move(entry));
            }
        } else if (!copied || files::exists(source)) {
            return false;
        }
        if (progress)
            progress(done + 1, names.size());
    }
    return true;
}

// A store document holding `elements` in order.
std::string storeText(const std::vector<RootElement>& elements, std::size_t expectedSize) {
    XmlDocument doc;
    startEmptyStore(doc, expectedSize + 64);
    for (const RootElement& element : elements)
        appendRootChild(doc, element.name, element.text);
    return textFileBytes(doc.documentText());
}

// The clip files of `staged` take the place of those in `folder`; anything else in the folder
// (the user's own files and folders) stays. A folder that holds clip files alone is replaced in
// one step, the staged folder renamed into its place; otherwise the files move one by one. The
// replaced files wait in a folder of their own until the index is in place too: then they are
// deleted (commit), or put back (rollBack).
class ClipFileSwap {
public:
    ClipFileSwap(std::string staged, std::string folder)
        : m_staged(std::move(staged)), m_folder(std::move(folder)), m_backup(files::temporarySibling(m_folder)) {}

    bool swap() {
        if (holdsClipFilesAlone(m_folder)) {
            if (swapWhole())
                return true;
            if (m_whole)
                return false;  // half done: rollBack puts it back
        }
        return swapFiles();
    }
    void commit() {
        if (m_whole)
            keepWhatIsNotOurs();
        files::deleteTree(m_backup);
        files::deleteTree(m_staged);
    }
    void rollBack() {
        if (m_whole) {
            if (m_stagedInPlace)
                files::rename(m_folder, m_staged);
            if (m_folderMoved)
                files::rename(m_backup, m_folder);
        }
        for (const std::string& name : m_added)
            files::rename(joinPath(m_folder, name), joinPath(m_staged, name));
        for (const std::string& name : m_replaced)
            files::rename(joinPath(m_backup, name), joinPath(m_folder, name));
        m_whole = false;
        commit();
    }

private:
    // A file in the folder's place is not ours: it stops the swap (createFolder refuses it).
    static bool holdsClipFilesAlone(const std::string& folder) {
        if (files::exists(folder) && !files::isFolder(folder))
            return false;
        if (!files::foldersIn(folder).empty())
            return false;
        for (const std::string& name : files::filesIn(folder))
            if (!isClipFileName(name))
                return false;
        return true;
    }

    // False with nothing changed when a rename is refused (Windows refuses to rename a folder
    // while a file in it is open): the files then move one by one.
    bool swapWhole() {
        if (files::exists(m_folder)) {
            if (!files::rename(m_folder, m_backup))
                return false;
            if (!files::rename(m_staged, m_folder)) {
                m_whole = m_folderMoved = !files::rename(m_backup, m_folder);
                return false;
            }
            m_folderMoved = true;
        } else if (!files::rename(m_staged, m_folder)) {
            return false;
        }
        m_whole = m_stagedInPlace = true;
        return true;
    }

    bool swapFiles() {
        if (!files::createFolder(m_folder) || !files::createFolder(m_backup))
            return false;
        for (const std::string& name : files::filesIn(m_folder)) {
            if (!isClipFileName(name))
                continue;
            if (!files::rename(joinPath(m_folder, name), joinPath(m_backup, name)))
                return false;
            m_replaced.push_back(name);
        }
        for (const std::string& name : files::filesIn(m_staged)) {
            if (!files::rename(joinPath(m_staged, name), joinPath(m_folder, name)))
                return false;
            m_added.push_back(name);
        }
        return true;
    }

    // A file the user put into the folder while it was being replaced went with the old one:
    // it comes back before the old clip files go.
    void keepWhatIsNotOurs() {
        for (const std::string& name : files::filesIn(m_backup))
            if (!isClipFileName(name))
                files::rename(joinPath(m_backup, name), joinPath(m_folder, name));
        for (const std::string& name : files::foldersIn(m_backup))
            files::rename(joinPath(m_backup, name), joinPath(m_folder, name));
    }

    std::string m_staged, m_folder, m_backup;
    std::vector<std::string> m_replaced, m_added;
    bool m_whole = false, m_folderMoved = false, m_stagedInPlace = false;
};

// The staged folder and index replace the live ones, both or neither.
bool putInPlace(const std::string& staged, const std::string& folder, const std::string& stagedIndex,
                const std::string& index) {
    ClipFileSwap swap(staged, folder);
    if (swap.swap() && files::replace(stagedIndex, index)) {
        swap.commit();
        return true;
    }
    swap.rollBack();
    files::remove(stagedIndex);
    return false;
}

// Fills a fresh folder beside `folder` with the element files from `source`; empty on failure (or
// when `stop` was raised). With `copied`: noted as copyFiles notes them (the source may change
// meanwhile).
std::string stageFolder(const std::vector<RootElement>& elements, const std::string& source, const std::string& folder,
                        const ArchiveProgress& progress, const FileCarry& carry, Listing* copied = nullptr,
                        const std::atomic<bool>* stop = nullptr) {
    const std::string staged = files::temporarySibling(folder);
    const Listing present = listFolder(source);
    if (files::createFolder(staged) && copyFiles(elementFiles(elements, present), source, staged, progress, carry,
                                                 copied ? &present : nullptr, copied, stop))
        return staged;
    files::deleteTree(staged);
    return {};
}

// Under the store lock at the end of a Save: the staged copy made to match the store as it is
// now. A file is copied again when the index now names one that was not copied, or one whose
// content may not be what was copied (another size or time, or a time too recent to tell: a slot
// rewritten, a number reused, while the element texts may all be the same); a copied file that the
// index no longer names, or that is no longer there, goes from the copy. A file copied again
// replaces the staged one, which goes first: a shared (linked) copy is a second name of the old
// file, and a link is refused where a name exists.
bool bringUpToDate(const std::vector<RootElement>& now, const std::string& source, const std::string& staged,
                   const Listing& copied, std::int64_t listedAt, const FileCarry& carry) {
    const Listing present = listFolder(source);
    std::vector<std::string> again;
    std::unordered_set<std::string> current;
    for (const std::string& name : elementFiles(now, present)) {
        const std::string key = asciiLower(name);
        current.insert(key);
        const auto was = copied.find(key);
        if (was == copied.end() || !sameContent(was->second, present.at(key), listedAt))
            again.push_back(name);
    }
    for (const auto& [key, entry] : copied)
        if (!current.count(key))
            files::remove(joinPath(staged, entry.name));
    for (const std::string& name : again)
        if (copied.count(asciiLower(name)))
            files::remove(joinPath(staged, name));
    return copyFiles(again, source, staged, nullptr, carry);
}

// The staged files and `indexBytes` as the index at `indexPath` take the place of the clip files
// of `folder` and the old index: all of it, or nothing changes. The staged folder goes.
ArchiveResult putStoreInPlace(const std::string& staged, const std::string& indexBytes, const std::string& folder,
                              const std::string& indexPath) {
    // A temporary name already: written in place, flushed, then renamed as the index below.
    const std::string stagedIndex = files::temporarySibling(indexPath);
    if (!files::writeFile(stagedIndex, indexBytes)) {
        files::deleteTree(staged);
        return ArchiveResult::WriteFailed;
    }
    return putInPlace(staged, folder, stagedIndex, indexPath) ? ArchiveResult::Done : ArchiveResult::WriteFailed;
}

// The key of a protected archive whose elements are `elements`, from the password `askPassword`
// gives, into `key`, and its element taken out of them; Done with no key for an open archive.
ArchiveResult openKeyOf(std::vector<RootElement>& elements, const PasswordPrompt& askPassword, std::string& key) {
    const auto found = std::find_if(elements.begin(), elements.end(),
                                    [](const RootElement& element) { return element.name == kArchiveKeyElement; });
    if (found == elements.end())
        return ArchiveResult::Done;
    const std::optional<ArchiveKey> element = parseArchiveKey(found->text);
    if (!element)
        return ArchiveResult::ArchiveUnreadable;
    const std::optional<std::string> password = askPassword ? askPassword() : std::nullopt;
    if (!password)
        return ArchiveResult::PasswordNeeded;
    std::optional<std::string> opened = openArchiveKey(*element, *password);
    if (!opened)
        return ArchiveResult::WrongPassword;
    key = std::move(*opened);
    elements = withoutArchiveKey(std::move(elements));
    return ArchiveResult::Done;
}

// The data folder of an archive may not be, hold or lie inside the store's data folder, nor be or
// hold the store folder (the runs kept at start-up lie inside the store folder, beside the data).
bool overlapsStore(const std::string& archiveFolder, const StorePaths& paths) {
    return archiveFolder.empty() || foldersOverlap(archiveFolder, paths.dataFolder()) ||
           folderIsOrHolds(archiveFolder, paths.folder());
}

}  // namespace

// The store's data folder is a folder, or not there at all (a store without data).
bool CSysClipBoard::dataFolderReadable() const {
    return files::isFolder(m_paths.dataFolder()) || !files::exists(m_paths.dataFolder());
}

ArchiveResult CSysClipBoard::saveArchive(const std::string& path, const ArchiveProgress& progress,
                                         std::string_view password) const {
    if (password.empty())
        return saveStore(path, progress, SavedFiles::Opened, nullptr, false);
    const std::optional<MadeArchiveKey> key = makeArchiveKey(password, crypto::kMinPasswordIterations);
    return key ? saveStore(path, progress, SavedFiles::Opened, nullptr, false, &*key) : ArchiveResult::WriteFailed;
}

// The store's files are copied without holding the store lock, so that the program and the
// chords in other applications go on meanwhile. Under the lock at the end, the files of what
// changed since are copied again, and the index of that moment becomes the archive's; with
// `asBegun`, history clips recorded meanwhile stay out (a run kept is the store as it began).
ArchiveResult CSysClipBoard::saveStore(const std::string& path, const ArchiveProgress& progress, SavedFiles how,
                                       const std::atomic<bool>* stop, bool asBegun, const MadeArchiveKey* key) const {
    if (!hasArchiveExtension(path))
        return ArchiveResult::NotAnArchive;
    const std::string folder = archiveDataFolder(path);
    if (overlapsStore(folder, m_paths))
        return ArchiveResult::OverlapsStore;
    std::vector<RootElement> elements;
    std::string listedBytes, listedFileBytes;  // the index as read then, and as the archive's
    {
        StoreLock lock;
        XmlDocument index;
        if (!lock.held())
            return ArchiveResult::StoreBusy;
        // A data folder that is no folder (a file in its place) holds nothing that could be saved.
        const FileState state = readStoreFile(m_paths.indexFile(), index, &listedBytes);
        if (state == FileState::Unreadable || !dataFolderReadable())
            return ArchiveResult::StoreUnreadable;
        if (state == FileState::Missing)
            listedBytes.clear();
        elements = rootElements(index);
        listedFileBytes = textFileBytes(index.documentText());
    }
    createParentFolder(folder);
    const FileCarry carry = how == SavedFiles::Linked      ? FileCarry{FileCarry::Way::Link, {}, nullptr}
                            : how == SavedFiles::AsTheyAre ? FileCarry{}
                                                           : savedCarry(key ? key->key : std::string());
    Listing copied;
    const std::int64_t listedAt = files::currentFileTime();
    const std::string staged = stageFolder(elements, m_paths.dataFolder(), folder, progress, carry, &copied, stop);
    if (staged.empty())
        return stopped(stop) ? ArchiveResult::Stopped : ArchiveResult::WriteFailed;
    StoreLock lock;
    // An index whose bytes did not change meanwhile is not read again as a document, and is
    // written as it was then; its files are still compared, since a slot rewritten within the
    // same second leaves every element text as it was.
    const std::optional<std::string> bytesNow = lock.held() ? files::readAll(m_paths.indexFile()) : std::nullopt;
    const bool indexUnchanged = !listedBytes.empty() && bytesNow == listedBytes;
    XmlDocument index;
    const FileState state = !lock.held() ? FileState::Unreadable
                            : indexUnchanged ? FileState::Loaded
                                             : readStoreFile(m_paths.indexFile(), index);
    if (!lock.held() || state == FileState::Unreadable || !dataFolderReadable()) {
        files::deleteTree(staged);
        return lock.held() ? ArchiveResult::StoreUnreadable : ArchiveResult::StoreBusy;
    }
    const std::vector<RootElement> now = indexUnchanged ? std::move(elements)
                                         : asBegun        ? withoutHistoryAddedSince(rootElements(index), elements)
                                                          : rootElements(index);
    if (!bringUpToDate(now, m_paths.dataFolder(), staged, copied, listedAt, carry)) {
        files::deleteTree(staged);
        return ArchiveResult::WriteFailed;
    }
    const std::string indexBytes = key              ? storeText(withArchiveKey(now, key->element), listedBytes.size())
                                   : indexUnchanged ? std::move(listedFileBytes)
                                                    : storeText(now, index.documentText().size());
    return putStoreInPlace(staged, indexBytes, folder, path);
}

// The store is replaced only by an archive that reads whole: a missing, empty or damaged file
// leaves the store as it was (the user keeps what they have rather than half an archive).
// Element names are file names here: one that is not a plain file name is still copied into the
// index, but its file is not. The archive's files are copied (or, Shared, linked) beside the store
// first; the store lock is held only while they and the index take the store's place.
ArchiveResult CSysClipBoard::openArchive(const std::string& path, const ArchiveProgress& progress, ArchiveFiles how,
                                         const PasswordPrompt& askPassword) const {
    if (!hasArchiveExtension(path))
        return ArchiveResult::NotAnArchive;
    const std::string folder = archiveDataFolder(path);
    if (overlapsStore(folder, m_paths))
        return ArchiveResult::OverlapsStore;
    XmlDocument archive;
    if (!archive.loadFile(path))
        return ArchiveResult::ArchiveUnreadable;
    std::vector<RootElement> elements = rootElements(archive);
    FileCarry carry{FileCarry::Way::Reopen, {}, dataFileBytes};
    if (const ArchiveResult keyed = openKeyOf(elements, askPassword, carry.openKey); keyed != ArchiveResult::Done)
        return keyed;
    // A kept run's files are the store's own bytes; a protected archive's are always opened.
    if (how == ArchiveFiles::Shared && carry.openKey.empty())
        carry = FileCarry{FileCarry::Way::Link, {}, nullptr};
    const std::string staged = stageFolder(elements, folder, m_paths.dataFolder(), progress, carry);
    if (staged.empty())
        return ArchiveResult::WriteFailed;
    StoreLock lock;
    if (!lock.held()) {
        files::deleteTree(staged);
        return ArchiveResult::StoreBusy;
    }
    const ArchiveResult result = putStoreInPlace(staged, storeText(elements, archive.documentText().size()),
                                                 m_paths.dataFolder(), m_paths.indexFile());
    // The queue named clips of the history that was replaced: their numbers now name others.
    if (result == ArchiveResult::Done)
        clearPasteQueue(m_paths.statusFile());
    return result;
}
