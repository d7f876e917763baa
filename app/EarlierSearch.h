// CEarlierSearch: "在以前的记录中查找". The search box's query run over every kept run and the
// archives of the folders given (search::EarlierRuns, through their indexes) in a thread of its
// own, so the window never waits for the disk: a new query stops the one under way, only the
// newest query waits (an older one waiting is replaced), and a search ends within its time bound
// with at most search::kMaxHits results. The window is told with a message and takes the results.
#pragma once

#include "search/EarlierRuns.h"
#include "search/SealedAccess.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace app {

class CEarlierSearch {
public:
    struct Results {
        unsigned query = 0;  // the number Search gave
        std::vector<search::Source> sources;
        search::SearchOutcome outcome;
    };

    CEarlierSearch() = default;
    ~CEarlierSearch() { Stop(); }
    CEarlierSearch(const CEarlierSearch&) = delete;
    CEarlierSearch& operator=(const CEarlierSearch&) = delete;

    // Where results go: `doneMessage` is posted to `window` when results wait. The thread starts
    // with the first query or preparation.
    void Start(HWND window, UINT doneMessage, std::string runsFolder);
    // A query for the thread (the one under way stops); its number, which its results carry.
    unsigned Search(std::u16string text, bool patternToggle, std::string today, std::vector<std::string> archiveFolders);
    // The search under way stops and its results, when they come, are not the newest.
    void Cancel();
    // The indexes of the runs and of the archives in `archiveFolders` made or checked, when no
    // query waits.
    void Prepare(std::vector<std::string> archiveFolders);
    // In the window's thread, at `doneMessage`: the newest results, once.
    std::optional<Results> Take();
    // Whether a query is waiting or searched now.
    bool Busy() const { return m_busy; }
    // At the window's end: the thread ends.
    void Stop();

private:
    struct Request {
        unsigned query = 0;
        std::u16string text;
        bool patternToggle = false;
        std::string today;
        std::vector<std::string> archiveFolders;
    };
    void run();
    void wakeThread();  // with m_mutex held
    Results searchFor(const Request& request);
    void post(Results results);
    bool prepareIndexes(const std::vector<std::string>& archiveFolders);

    HWND m_window = nullptr;
    UINT m_doneMessage = 0;
    std::string m_runsFolder;
    search::EarlierRuns m_runs{search::sealedStoreAccess()};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Request> m_waiting;  // the newest query not yet begun
    std::optional<std::vector<std::string>> m_preparing;  // the archive folders of a preparation asked for
    std::optional<Results> m_results;
    unsigned m_lastQuery = 0;
    bool m_ending = false;
    std::atomic<bool> m_stopSearch{false};
    std::atomic<bool> m_busy{false};
    std::thread m_thread;
};

}  // namespace app
