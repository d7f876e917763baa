// CSysClipBoard: saving the store as an archive and opening one. Neither ever leaves a half
// state behind: the new data files are gathered in a temporary folder beside the old one, and
// the old files and index are replaced only once everything new is in place.
#include "SysClipBoard.h"

#include "FileSystem.h"
#include "StoreFile.h"
#include "StoreFormat.h"
#include "StoreLock.h"
#include "Text.h"
#include "XmlDocument.h"
#include "XmlText.h"

#include <unordered_set>

using xml::XmlDocument;
using xml::textFileBytes;

using namespace store;

namespace {

// Copies, from one folder to another, the data file of each element that names one ("-time"
// elements give the clip's bitmap), telling `progress` after each. Names that are not plain
// file names are skipped, and so are files that are not there (listed once, rather than tried
// one by one).
bool copyElementFiles(const std::vector<RootElement>& elements, const std::string& from, const std::string& to,
                      const ArchiveProgress& progress) {
    std::unordered_set<std::string> present;
    for (const std::string& file : files::filesIn(from))
        present.insert(asciiLower(file));
    std::vector<std::string> copies;
    for (const RootElement& element : elements)
        for (const std::string& file : dataFilesOfElement(element.name))
            if (isPlainFileName(file) && present.count(asciiLower(file)))
                copies.push_back(file);
    for (std::size_t done = 0; done < copies.size(); ++done) {
        if (!files::copy(joinPath(from, copies[done]), joinPath(to, copies[done])))
            return false;
        if (progress)
            progress(done + 1, copies.size());
    }
    return true;
}

// The elements of `now` that `before` did not have with the same text: their files may have
// changed since they were copied.
std::vector<RootElement> changedSince(const std::vector<RootElement>& before, const std::vector<RootElement>& now) {
    std::unordered_set<std::string> seen;
    for (const RootElement& element : before)
        seen.insert(element.name + '\0' + element.text);
    std::vector<RootElement> changed;
    for (const RootElement& element : now)
        if (!seen.count(element.name + '\0' + element.text))
            changed.push_back(element);
    return changed;
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
// (the user's own files and folders) stays. The replaced files wait in a folder of their own
// until the index is in place too: then they are deleted (commit), or put back (rollBack).
class ClipFileSwap {
public:
    ClipFileSwap(std::string staged, std::string folder)
        : m_staged(std::move(staged)), m_folder(std::move(folder)), m_backup(files::temporarySibling(m_folder)) {}

    bool swap() {
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
    void commit() {
        files::deleteTree(m_backup);
        files::deleteTree(m_staged);
    }
    void rollBack() {
        for (const std::string& name : m_added)
            files::rename(joinPath(m_folder, name), joinPath(m_staged, name));
        for (const std::string& name : m_replaced)
            files::rename(joinPath(m_backup, name), joinPath(m_folder, name));
        commit();
    }

private:
    std::string m_staged, m_folder, m_backup;
    std::vector<std::string> m_replaced, m_added;
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

// Fills a fresh folder beside `folder` with the element files from `source`; empty on failure.
std::string stageFolder(const std::vector<RootElement>& elements, const std::string& source, const std::string& folder,
                        const ArchiveProgress& progress) {
    const std::string staged = files::temporarySibling(folder);
    if (files::createFolder(staged) && copyElementFiles(elements, source, staged, progress))
        return staged;
    files::deleteTree(staged);
    return {};
}

// The staged files and `elements` as the index at `indexPath` take the place of the clip files
// of `folder` and the old index: all of it, or nothing changes. The staged folder goes.
ArchiveResult putStoreInPlace(const std::string& staged, const std::vector<RootElement>& elements,
                              std::size_t expectedSize, const std::string& folder, const std::string& indexPath) {
    const std::string stagedIndex = files::temporarySibling(indexPath);
    if (!files::writeAtomically(stagedIndex, storeText(elements, expectedSize))) {
        files::deleteTree(staged);
        return ArchiveResult::WriteFailed;
    }
    return putInPlace(staged, folder, stagedIndex, indexPath) ? ArchiveResult::Done : ArchiveResult::WriteFailed;
}

// The data folder of an archive may not be, hold or lie inside the store's data folder, nor be or
// hold the store folder (the runs kept at start-up lie inside the store folder, beside the data).
bool overlapsStore(const std::string& archiveFolder, const StorePaths& paths) {
    return archiveFolder.empty() || foldersOverlap(archiveFolder, paths.dataFolder()) ||
           folderIsOrHolds(archiveFolder, paths.folder());
}

}  // namespace

// The store's files are copied without holding the store lock, so that the program and the
// chords in other applications go on meanwhile. Under the lock at the end, the files of what
// changed since are copied again, and the index of that moment becomes the archive's.
ArchiveResult CSysClipBoard::saveArchive(const std::string& path, const ArchiveProgress& progress) const {
    if (!hasArchiveExtension(path))
        return ArchiveResult::NotAnArchive;
    const std::string folder = archiveDataFolder(path);
    if (overlapsStore(folder, m_paths))
        return ArchiveResult::OverlapsStore;
    std::vector<RootElement> elements;
    {
        StoreLock lock;
        XmlDocument index;
        if (!lock.held())
            return ArchiveResult::StoreBusy;
        if (readStoreFile(m_paths.indexFile(), index) == FileState::Unreadable)
            return ArchiveResult::StoreUnreadable;
        elements = rootElements(index);
    }
    const std::size_t parent = folder.find_last_of("\\/");
    if (parent != std::string::npos && parent > 0)
        files::createFolder(folder.substr(0, parent));
    const std::string staged = stageFolder(elements, m_paths.dataFolder(), folder, progress);
    if (staged.empty())
        return ArchiveResult::WriteFailed;
    StoreLock lock;
    XmlDocument index;
    const FileState state = lock.held() ? readStoreFile(m_paths.indexFile(), index) : FileState::Unreadable;
    if (!lock.held() || state == FileState::Unreadable) {
        files::deleteTree(staged);
        return lock.held() ? ArchiveResult::StoreUnreadable : ArchiveResult::StoreBusy;
    }
    const std::vector<RootElement> now = rootElements(index);
    if (!copyElementFiles(changedSince(elements, now), m_paths.dataFolder(), staged, nullptr)) {
        files::deleteTree(staged);
        return ArchiveResult::WriteFailed;
    }
    return putStoreInPlace(staged, now, index.documentText().size(), folder, path);
}

// The store is replaced only by an archive that reads whole: a missing, empty or damaged file
// leaves the store as it was (the user keeps what they have rather than half an archive).
// Element names are file names here: one that is not a plain file name is still copied into the
// index, but its file is not. The archive's files are copied beside the store first; the store
// lock is held only while they and the index take the store's place.
ArchiveResult CSysClipBoard::openArchive(const std::string& path, const ArchiveProgress& progress) const {
    if (!hasArchiveExtension(path))
        return ArchiveResult::NotAnArchive;
    const std::string folder = archiveDataFolder(path);
    if (overlapsStore(folder, m_paths))
        return ArchiveResult::OverlapsStore;
    XmlDocument archive;
    if (!archive.loadFile(path))
        return ArchiveResult::ArchiveUnreadable;
    const std::vector<RootElement> elements = rootElements(archive);
    const std::string staged = stageFolder(elements, folder, m_paths.dataFolder(), progress);
    if (staged.empty())
        return ArchiveResult::WriteFailed;
    StoreLock lock;
    if (!lock.held()) {
        files::deleteTree(staged);
        return ArchiveResult::StoreBusy;
    }
    return putStoreInPlace(staged, elements, archive.documentText().size(), m_paths.dataFolder(), m_paths.indexFile());
}
