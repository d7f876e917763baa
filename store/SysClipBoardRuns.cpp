// CSysClipBoard: the runs kept at start-up. The store is emptied at every start; the store of the
// run before is first kept beside it, so that a crash, a restart of Windows or an accidental exit
// loses nothing. The runs folder may hold the user's own archives too: only the names the program
// makes (store::runName) are ever kept, completed, pruned or opened as "the last run".
//
// Every step can be the last one a start makes (the program killed, the machine off), and each
// leaves what the next start completes or keeps again:
//   readable store:   data folder moved into the run  ->  index moved in as the run's archive
//                     (the next start finds a run folder without its archive and moves the live
//                     index there);
//   unreadable store: data folder, status file, then index moved into the ".damaged" folder (the
//                     next start finds a damaged folder without an index and completes it).
// The reset, which always follows, deletes nothing that was not kept: what could not be moved is
// copied, what could be neither is renamed aside in the store folder, or else spared by the reset.
//
// With the restore of the last run on, a readable store is neither moved nor reset: it goes on as
// the new run's store (continueLastRun), and is kept as a run once the window is up
// (keepLiveRun). A start ended before that keeps nothing less: the store still holds it all.
#include "store/SysClipBoard.h"

#include "store/ArchivePaths.h"
#include "store/FileSystem.h"
#include "store/PasteQueue.h"
#include "store/RunNames.h"
#include "store/StoreDocument.h"
#include "store/StorePaths.h"
#include "store/Text.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

using xml::XmlDocument;
using xml::textFileBytes;

#include <algorithm>
#include <map>

using namespace store;

namespace {

std::string archiveOf(const std::string& runs, const std::string& name) {
    return joinPath(runs, name) + std::string(kArchiveExtension);
}

std::string damagedOf(const std::string& runs, const std::string& name) {
    return joinPath(runs, name) + std::string(kDamagedRunSuffix);
}

// The first base name of a run of the start at `stamp` that nothing in the runs folder uses yet
// (two starts in one second get " (2)", " (3)"...).
std::string unusedRunName(const std::string& runs, const std::string& stamp) {
    for (int n = 1;; ++n) {
        const std::string name = runName(stamp, n);
        if (!files::exists(joinPath(runs, name)) && !files::exists(archiveOf(runs, name)) &&
            !files::exists(damagedOf(runs, name)))
            return name;
    }
}

// The newest run folder that an ended start left without what completes it: a run's data folder
// without its archive, or (`damaged`) a damaged store's folder without its index. "" when none.
std::string newestIncompleteRun(const std::string& runs, bool damaged) {
    std::optional<RunName> newest;
    std::string found;
    for (const std::string& folder : files::foldersIn(runs)) {
        std::string_view base = folder;
        if (damaged) {
            if (base.size() <= kDamagedRunSuffix.size() ||
                base.compare(base.size() - kDamagedRunSuffix.size(), kDamagedRunSuffix.size(), kDamagedRunSuffix) != 0)
                continue;
            base.remove_suffix(kDamagedRunSuffix.size());
        }
        const std::optional<RunName> run = parseRunName(base);
        if (!run)
            continue;
        const bool complete = damaged ? files::exists(joinPath(joinPath(runs, folder), kIndexFileName))
                                      : files::exists(archiveOf(runs, std::string(base)));
        if (!complete && (!newest || *newest < *run)) {
            newest = run;
            found = std::string(base);
        }
    }
    return found;
}

// `path` renamed to `path` + "." + the run's name in its own folder, where the reset does not
// delete it; when even that fails it is spared by the reset. Either way it is noted.
void setAside(const std::string& path, const std::string& name, bool& spare, PreviousRun& run) {
    run.kept = KeptRun::Failed;
    const std::string aside = path + "." + name;
    if (files::rename(path, aside)) {
        run.notes.push_back("kept aside as " + aside);
    } else {
        spare = true;
        run.notes.push_back("could be neither moved, copied nor renamed: left in place, " + path);
    }
}

// `path` (a file, or a folder with `folder`) moved to `target`; or copied there (the reset then
// deletes the original); or set aside. A partial copy goes again.
void keepWhole(const std::string& path, const std::string& target, bool folder, const std::string& name, bool& spare,
               PreviousRun& run, bool targetUsable) {
    if (!files::exists(path))
        return;
    if (targetUsable && files::rename(path, target))
        return;
    if (targetUsable && !files::exists(target)) {
        if (folder ? files::copyTree(path, target) : files::copy(path, target)) {
            run.notes.push_back("could not be moved, copied instead: " + path);
            return;
        }
        if (folder)
            files::deleteTree(target);
        else
            files::remove(target);
    }
    setAside(path, name, spare, run);
}

}  // namespace

std::string CSysClipBoard::runsFolder() const {
    return joinPath(m_paths.folder(), kRunsFolderName);
}

PreviousRun CSysClipBoard::keepPreviousRun(const std::string& stamp, const KeepStep& step) const {
    PreviousRun run;
    const auto told = [&step](std::string_view what) {
        if (step)
            step(what);
    };
    const std::string runs = runsFolder();
    removeRunLeftovers(run.notes);

    XmlDocument index;
    const Load load = loadIndex(index);
    if (load == Load::Unreadable) {
        keepDamaged(stamp, run, step);
    } else if (load == Load::Loaded && holdsUserClips(rootElements(index))) {
        run.kept = KeptRun::Kept;
        const bool runsMade = files::createFolder(runs);
        std::string name;
        // A start that ended after it moved the data folder into its run: the live index is that
        // run's, and completes it. (Should a data folder have come back meanwhile, the run gets a
        // copy of the index and the store is kept once more below.)
        const std::string incomplete = runsMade ? newestIncompleteRun(runs, false) : std::string();
        if (!incomplete.empty()) {
            if (!files::exists(m_paths.dataFolder())) {
                name = incomplete;
                run.notes.push_back("completing the run " + incomplete);
            } else if (files::writeAtomically(archiveOf(runs, incomplete), textFileBytes(index.documentText()))) {
                run.notes.push_back("completed the run " + incomplete + " with a copy of the index");
            }
        }
        if (name.empty()) {
            name = unusedRunName(runs, stamp);
            const std::string folder = joinPath(runs, name);
            if (files::exists(m_paths.dataFolder()) && (!runsMade || !files::rename(m_paths.dataFolder(), folder))) {
                // The data folder cannot be moved: copied as Save As copies it (the files the
                // index names, their bytes as they are: sealed ones stay sealed), it is kept with
                // its index, and the reset deletes the original.
                if (runsMade && saveStore(archiveOf(runs, name), nullptr, SavedFiles::AsTheyAre, nullptr, false) ==
                                    ArchiveResult::Done) {
                    run.keptAs = archiveOf(runs, name);
                    run.notes.push_back("the data folder could not be moved: copied");
                    told("data moved");
                    told("index moved");
                } else {
                    setAside(m_paths.dataFolder(), name, run.spareData, run);
                    setAside(m_paths.indexFile(), name, run.spareIndex, run);
                }
                pruneRuns(run.notes);
                told("pruned");
                return run;
            }
        }
        told("data moved");
        const std::string archive = archiveOf(runs, name);
        run.keptAs = archive;
        if (!runsMade || !files::rename(m_paths.indexFile(), archive)) {
            const std::optional<std::string> bytes = files::readAll(m_paths.indexFile());
            if (runsMade && bytes && files::writeAtomically(archive, *bytes))
                run.notes.push_back("the index could not be moved: copied");
            else
                setAside(m_paths.indexFile(), name, run.spareIndex, run);
        }
        told("index moved");
    }
    pruneRuns(run.notes);
    told("pruned");
    return run;
}

// What an ended start's copy (or an ended keep of the live store) left half made: the store it
// copied is still whole.
void CSysClipBoard::removeRunLeftovers(std::vector<std::string>& notes) const {
    const std::string runs = runsFolder();
    for (const std::string& name : files::filesIn(runs))
        if (isRunLeftover(name) && files::remove(joinPath(runs, name)))
            notes.push_back("removed the leftover " + name);
    for (const std::string& name : files::foldersIn(runs))
        if (isRunLeftover(name) && deleteFolder(joinPath(runs, name)))
            notes.push_back("removed the leftover " + name);
}

bool CSysClipBoard::continueLastRun(std::vector<std::string>& notes) const {
    {
        XmlDocument index;
        if (loadIndex(index) != Load::Loaded || !holdsUserClips(rootElements(index)) || !dataFolderReadable())
            return false;
    }
    if (files::exists(runsFolder()) && !newestIncompleteRun(runsFolder(), false).empty())
        return false;
    removeRunLeftovers(notes);
    removeTemporaryFiles();
    return keepOnlyPasteQueue(m_paths.statusFile());
}

// The store is not moved: it is saved into the runs folder with its files linked, without the
// store lock while the files are linked, so the window, the recorder and the chords in other
// applications go on meanwhile. A file the store replaces or deletes meanwhile keeps its old bytes
// under the run's name (the store replaces by rename and never writes in place), and the end
// under the lock takes up what changed in the clips it held, as Save As does; clips recorded
// meanwhile stay out: the run is the store of the start, as the user left it.
LiveRunKept CSysClipBoard::keepLiveRun(const std::string& stamp, const std::atomic<bool>& stop,
                                       const ArchiveProgress& progress) const {
    LiveRunKept kept;
    const std::string runs = runsFolder();
    kept.keptAs = archiveOf(runs, unusedRunName(runs, stamp));
    kept.result = saveStore(kept.keptAs, progress, SavedFiles::Linked, &stop, true);
    if (kept.result == ArchiveResult::Done)
        pruneRuns(kept.notes);
    return kept;
}

// Kept whole in the run's ".damaged" folder: the data folder, the status file, and the index last,
// so that a folder without the index is one an ended start did not finish.
void CSysClipBoard::keepDamaged(const std::string& stamp, PreviousRun& run, const KeepStep& step) const {
    const std::string runs = runsFolder();
    const bool runsMade = files::createFolder(runs);
    std::string name = runsMade ? newestIncompleteRun(runs, true) : std::string();
    if (name.empty())
        name = unusedRunName(runs, stamp);
    else
        run.notes.push_back("completing the damaged run " + name);
    const std::string folder = damagedOf(runs, name);
    const bool made = runsMade && files::createFolder(folder);
    run.kept = KeptRun::Damaged;
    run.keptAs = folder;
    keepWhole(m_paths.dataFolder(), joinPath(folder, kDataFolderName), true, name, run.spareData, run, made);
    if (step)
        step("damaged data moved");
    keepWhole(m_paths.statusFile(), joinPath(folder, kStatusFileName), false, name, run.spareStatus, run, made);
    if (step)
        step("damaged status moved");
    keepWhole(m_paths.indexFile(), joinPath(folder, kIndexFileName), false, name, run.spareIndex, run, made);
}

namespace {

// What each kept run takes on disk beyond the newer ones (store::runSizes).
std::map<std::string, std::uint64_t> measureRuns(const std::string& runs, const std::vector<std::string>& names) {
    std::vector<std::pair<RunName, std::string>> archives;
    for (const std::string& name : names)
        if (std::optional<RunName> run = parseRunArchive(name))
            archives.emplace_back(std::move(*run), name);
    std::sort(archives.begin(), archives.end(), [](const auto& a, const auto& b) { return b.first < a.first; });
    std::vector<RunFiles> newestFirst;
    for (const auto& [run, archive] : archives) {
        const std::string path = joinPath(runs, archive);
        RunFiles files{archive, files::fileEntriesIn(archiveDataFolder(path))};
        for (const std::string& own : {path, searchIndexPath(path)})
            if (std::optional<files::FileEntry> entry = files::entryOf(own))
                files.files.push_back(std::move(*entry));
        newestFirst.push_back(std::move(files));
    }
    return runSizes(newestFirst);
}

}  // namespace

void CSysClipBoard::setRunLimit(const RunLimit& limit) {
    m_keptRuns = limit.count;
    m_keptRunBytes = limit.bytes;
}

// The kept runs beyond the limit go, each archive with its data folder and its search index, and
// so does a run's search index whose archive is gone; nothing else.
void CSysClipBoard::pruneRuns(std::vector<std::string>& notes) const {
    const std::string runs = runsFolder();
    const std::vector<std::string> names = files::filesIn(runs);
    const RunLimit limit{m_keptRuns.load(), m_keptRunBytes.load()};
    const std::map<std::string, std::uint64_t> sizes = limit.bytes > 0 ? measureRuns(runs, names) : decltype(sizes){};
    for (const std::string& old : runsToRemove(names, limit, sizes)) {
        const std::string base = old.substr(0, old.size() - kArchiveExtension.size());
        files::remove(searchIndexPath(joinPath(runs, old)));
        files::remove(joinPath(runs, old));
        deleteFolder(joinPath(runs, base));
        notes.push_back("removed the oldest run " + base);
    }
    for (const std::string& name : names) {
        const std::string archive = name.substr(0, name.size() - std::min(name.size(), kSearchIndexExtension.size()));
        if (parseRunIndex(name) && !files::exists(joinPath(runs, archive)) && files::remove(joinPath(runs, name)))
            notes.push_back("removed the search index of a run that is gone, " + name);
    }
}

std::string CSysClipBoard::newestKeptRun() const {
    const std::string newest = newestRun(files::filesIn(runsFolder()));
    return newest.empty() ? std::string() : joinPath(runsFolder(), newest);
}
