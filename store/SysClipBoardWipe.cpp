// CSysClipBoard: the store wiped at the user's word. Only entries the program names go
// (store/WipeNames.h); a folder goes only when it is ours and nothing else is left in it.
#include "store/SysClipBoard.h"

#include "store/FileSystem.h"
#include "store/StoreLock.h"
#include "store/StorePaths.h"
#include "store/WipeNames.h"

using namespace store;

namespace {

bool isEmptyFolder(const std::string& folder) {
    return files::isFolder(folder) && files::filesIn(folder).empty() && files::foldersIn(folder).empty();
}

}  // namespace

WipeOutcome CSysClipBoard::wipeAll() const {
    WipeOutcome outcome;
    StoreLock lock;
    if (!lock.held()) {
        outcome.storeBusy = true;
        return outcome;
    }
    const auto removeEach = [&](const std::string& folder, bool (*wiped)(std::string_view)) {
        for (const std::string& name : files::filesIn(folder))
            if (wiped(name) && !files::remove(joinPath(folder, name)))
                outcome.notRemoved.push_back(joinPath(folder, name));
        for (const std::string& name : files::foldersIn(folder))
            if (wiped(name) && !deleteFolder(joinPath(folder, name)))
                outcome.notRemoved.push_back(joinPath(folder, name));
    };
    const auto removeIfEmpty = [&](const std::string& folder) {
        if (isEmptyFolder(folder) && !deleteFolder(folder))
            outcome.notRemoved.push_back(folder);
    };
    // The index first: once it is gone, no clip is shown or pasted from files still to go.
    removeEach(m_paths.folder(), isWipedFromStoreFolder);
    removeEach(m_paths.dataFolder(), isWipedFromDataFolder);
    removeIfEmpty(m_paths.dataFolder());
    removeEach(runsFolder(), isWipedFromRunsFolder);
    removeIfEmpty(runsFolder());
    return outcome;
}
