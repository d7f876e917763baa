// CSysClipBoard: the runs kept at start-up. The store is emptied at every start; the store of the
// run before is first kept as an archive beside it, so that a crash, a restart of Windows or an
// accidental exit loses nothing.
#include "SysClipBoard.h"

#include "FileSystem.h"
#include "StoreFormat.h"
#include "Text.h"
#include "XmlDocument.h"
#include "XmlText.h"

using xml::XmlDocument;
using xml::textFileBytes;

using namespace store;

namespace {

// `name`, or `name` (2), (3)... when a run of that name is kept already (two starts in one second).
std::string unusedRunPath(const std::string& folder, const std::string& name) {
    std::string path = joinPath(folder, name);
    for (int n = 2; files::exists(path + std::string(kArchiveExtension)) || files::exists(path); ++n)
        path = joinPath(folder, name + " (" + std::to_string(n) + ")");
    return path;
}

}  // namespace

std::string CSysClipBoard::runsFolder() const {
    return joinPath(m_paths.folder(), kRunsFolderName);
}

KeptRun CSysClipBoard::keepPreviousRun(const std::string& name) const {
    XmlDocument index;
    const Load load = loadIndex(index);
    if (load == Load::Missing)
        return KeptRun::Nothing;
    const std::string runs = runsFolder();
    if (!files::createFolder(runs))
        return KeptRun::Failed;
    if (load == Load::Unreadable) {
        const std::string kept = unusedRunPath(runs, name) + ".damaged";
        if (!files::createFolder(kept))
            return KeptRun::Failed;
        files::rename(m_paths.indexFile(), joinPath(kept, kIndexFileName));
        files::rename(m_paths.statusFile(), joinPath(kept, kStatusFileName));
        files::rename(m_paths.dataFolder(), joinPath(kept, kDataFolderName));
        return files::exists(m_paths.indexFile()) ? KeptRun::Failed : KeptRun::Damaged;
    }
    const std::vector<RootElement> elements = rootElements(index);
    if (!holdsUserClips(elements))
        return KeptRun::Nothing;

    // The data folder moves whole (one step on the same disk); the index is written as the
    // archive beside it, as Save As writes one. A folder that cannot be moved is copied.
    const std::string archive = unusedRunPath(runs, name) + std::string(kArchiveExtension);
    const std::string archiveFolder = archiveDataFolder(archive);
    bool kept;
    if (files::rename(m_paths.dataFolder(), archiveFolder) || !files::exists(m_paths.dataFolder())) {
        kept = files::writeAtomically(archive, textFileBytes(index.documentText()));
        if (!kept)
            files::rename(archiveFolder, m_paths.dataFolder());
    } else {
        kept = saveArchive(archive) == ArchiveResult::Done;
    }
    if (!kept)
        return KeptRun::Failed;
    for (const std::string& old : runsToRemove(files::filesIn(runs))) {
        files::remove(joinPath(runs, old));
        deleteFolder(archiveDataFolder(joinPath(runs, old)));
    }
    return KeptRun::Kept;
}

std::string CSysClipBoard::newestKeptRun() const {
    const std::string newest = newestRun(files::filesIn(runsFolder()));
    return newest.empty() ? std::string() : joinPath(runsFolder(), newest);
}
