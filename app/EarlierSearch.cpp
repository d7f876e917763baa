#include "app/EarlierSearch.h"

#include "base/Barrier.h"
#include "base/Trace.h"

#include <chrono>

namespace app {

namespace {

// How long one search of the earlier runs may take before it ends with what it found.
constexpr std::chrono::seconds kSearchTime{10};
// How many times a query is searched while runs it passed over are being prepared.
constexpr int kPreparedSearches = 4;

}  // namespace

void CEarlierSearch::Start(HWND window, UINT doneMessage, std::string runsFolder) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_window = window;
    m_doneMessage = doneMessage;
    m_runsFolder = std::move(runsFolder);
    if (m_waiting || m_preparing)
        wakeThread();
}

// The thread starts with the first work given it once there is a window for its results: most
// runs never search the earlier ones, and an idle thread costs its stack (about a megabyte of the
// working set under Wine).
void CEarlierSearch::wakeThread() {
    if (!m_thread.joinable() && !m_ending && m_window)
        m_thread = std::thread([this] { base::Guarded("earlier runs search", [&] { run(); }); });
    m_wake.notify_one();
}

unsigned CEarlierSearch::Search(std::u16string text, bool patternToggle, std::string today,
                                std::vector<std::string> archiveFolders) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const unsigned query = ++m_lastQuery;
    if (m_waiting)
        base::Trace("earlier runs: query %u replaced by %u before it began", m_waiting->query, query);
    m_waiting = Request{query, std::move(text), patternToggle, std::move(today), std::move(archiveFolders)};
    m_stopSearch = true;
    m_busy = true;
    wakeThread();
    return query;
}

void CEarlierSearch::Cancel() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_lastQuery;
    m_waiting.reset();
    m_stopSearch = true;
}

void CEarlierSearch::Prepare(std::vector<std::string> archiveFolders) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_preparing = std::move(archiveFolders);
    wakeThread();
}

std::optional<CEarlierSearch::Results> CEarlierSearch::Take() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::optional<Results> results = std::move(m_results);
    m_results.reset();
    if (results && results->query != m_lastQuery)
        return std::nullopt;  // a newer query is on its way
    return results;
}

void CEarlierSearch::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ending = true;
        m_stopSearch = true;
        m_wake.notify_one();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void CEarlierSearch::run() {
    for (;;) {
        std::optional<Request> request;
        std::vector<std::string> preparing;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_ending || m_waiting.has_value() || m_preparing.has_value(); });
            if (m_ending)
                return;
            if (m_waiting) {
                request = std::move(m_waiting);
                m_waiting.reset();
            } else {
                preparing = std::move(*m_preparing);
                m_preparing.reset();
            }
            m_stopSearch = false;
        }
        if (!request) {
            // Stopped by a query, which prepares what it needs; stopped by a cancel (a short word, the
            // box emptied), it goes on.
            if (!prepareIndexes(preparing)) {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (!m_ending && !m_waiting && !m_preparing)
                    m_preparing = std::move(preparing);
            }
            continue;
        }
        // The runs passed over are prepared, and the query searched again with them (a few times
        // at most: a run or archive may come meanwhile, or one be unpreparable).
        bool unprepared = true;
        for (int round = 0; round < kPreparedSearches && unprepared; ++round) {
            if (round > 0 && !prepareIndexes(request->archiveFolders))
                break;
            Results results = base::Guarded("earlier runs query", Results{request->query, {}, {}}, [&] { return searchFor(*request); });
            unprepared = results.outcome.unprepared > 0;
            post(std::move(results));
        }
    }
}

void CEarlierSearch::post(Results results) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_results = std::move(results);
    m_busy = m_waiting.has_value();
    PostMessageW(m_window, m_doneMessage, 0, 0);
}

// Below the window's and the recorder's threads: the preparation reads and unseals every index. False
// when a query (or the end) stopped it.
bool CEarlierSearch::prepareIndexes(const std::vector<std::string>& archiveFolders) {
    const auto started = std::chrono::steady_clock::now();
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    const std::size_t made = base::Guarded("earlier runs preparation", std::size_t{0}, [&] {
        return m_runs.prepare(search::searchSources(m_runsFolder, archiveFolders), m_stopSearch);
    });
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    const bool whole = !m_stopSearch;
    base::Trace("earlier runs: indexes prepared%s, %u made, in %lld ms", whole ? "" : " in part (stopped)",
                static_cast<unsigned>(made),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - started).count()));
    return whole;
}

CEarlierSearch::Results CEarlierSearch::searchFor(const Request& request) {
    const auto started = std::chrono::steady_clock::now();
    Results results{request.query, search::searchSources(m_runsFolder, request.archiveFolders), {}};
    const search::Query query = search::parseQuery(request.text, request.patternToggle);
    const search::Matcher matcher(query, request.today);
    if (!matcher.usable())
        return results;
    search::Deadline deadline = search::Deadline::in(kSearchTime);
    search::EarlierRuns::Limits limits;
    limits.stop = &m_stopSearch;
    limits.prepareOnTheWay = false;
    results.outcome = m_runs.search(results.sources, matcher, deadline, limits);
    for (const std::string& note : results.outcome.notes)
        base::Trace("earlier runs: %s", note.c_str());
    base::Trace("earlier runs: query %u, %u hits%s in %u of %u sources (%u indexes made, %u left to prepare) in %lld ms",
                request.query, static_cast<unsigned>(results.outcome.hits.size()), results.outcome.more ? " and more" : "",
                static_cast<unsigned>(results.outcome.searched), static_cast<unsigned>(results.sources.size()),
                static_cast<unsigned>(results.outcome.built), static_cast<unsigned>(results.outcome.unprepared),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - started).count()));
    return results;
}

}  // namespace app
