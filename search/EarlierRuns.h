// "在以前的记录中查找": one query over every kept run and every archive in the folders the user
// added, through their indexes (search/RunIndex.h). Searching reads an index's head (its rows'
// facts and signatures) and then the texts of the rows whose signatures admit the words, never a
// run's data files. An index that is missing, damaged or made from another archive is made
// again ahead of time (prepare) or on the way; an index whose bytes were checked once is
// trusted while its file stays the same. A clip kept in several runs (a lasting history keeps it
// in each) is one result, from the newest. The last whole outcomes are remembered while the
// sources stay the same: the same query again is answered from memory, and a query that narrows
// one (the user typed on) looks only at that one's results. Portable: no <windows.h>.
#pragma once

#include "search/Deadline.h"
#include "search/IndexBuilder.h"
#include "search/Matcher.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace search {

// A kept run or an archive the search looks in.
struct Source {
    std::string archive;    // its ".amc" file
    std::u16string origin;  // what a result says it came from: the run's start ("2026-12-08 14:03:22") or the archive's name
    bool keptRun = false;
    // The archive's size and time, and its index file's (nothing: none), as the folder was listed.
    ArchiveStamp stamp;
    std::optional<ArchiveStamp> indexFile;
};
// The kept runs of the runs folder (by the program's names alone, newest first), then the
// archives (".amc" in any case) of the folders the user added, the newest file first; each once.
std::vector<Source> searchSources(const std::string& runsFolder, const std::vector<std::string>& archiveFolders);

// The most results one search keeps; the search stops there and says there were more.
inline constexpr std::size_t kMaxHits = 2000;

struct Hit {
    std::size_t source = 0;  // its place among the sources searched
    int number = 0;
    int kind = 0;
    std::string clip;      // its name in the archive ("his12-")
    std::string copyTime;  // "YYYY-MM-DD HH:MM:SS"
    std::string program;   // the source program's full path, or empty
    std::string category;
    std::u16string line;          // the beginning of its text as typed (kLineUnits)
    std::vector<TextSpan> marks;  // what matched, within the line
};

struct SearchOutcome {
    std::vector<Hit> hits;  // the newest source first, in each the newest copy first
    bool more = false;      // more rows matched than were kept
    bool cutShort = false;  // the deadline or the stop came before the last source
    std::size_t searched = 0;        // sources searched whole
    std::size_t built = 0;           // indexes made on the way
    std::size_t unprepared = 0;      // sources passed over until prepare has made or checked their index
    std::size_t unread = 0;          // sources that could not be read (tried again at the next search)
    std::vector<std::string> notes;  // sources passed over and why, for the trace
};

// A hit's folded text as its index held it (a TextView's bytes), kept for a narrower query.
struct KeptText {
    bool narrow = true;
    std::string bytes;
};

class OpenIndex;

class EarlierRuns {
public:
    explicit EarlierRuns(IndexAccess access = {});

    // How a search goes: what ends it early (the outcome says so), the most results it keeps,
    // and whether it makes and checks the indexes it needs on the way (else it passes over their
    // sources and counts them, for prepare; a source prepare has looked at is made on the way all
    // the same).
    struct Limits {
        const std::atomic<bool>* stop = nullptr;
        std::size_t maxHits = kMaxHits;
        bool prepareOnTheWay = true;
    };
    // The rows of the sources that the matcher admits. An index made on the way stays made for
    // the next search.
    SearchOutcome search(const std::vector<Source>& sources, const Matcher& matcher, Deadline& deadline,
                         const Limits& limits);
    SearchOutcome search(const std::vector<Source>& sources, const Matcher& matcher, Deadline& deadline) {
        return search(sources, matcher, deadline, Limits{});
    }
    // Every source's index checked, and made where it is missing, damaged or out of date, ahead
    // of the search (by a thread of its own). How many were made; `stop` ends it between sources.
    std::size_t prepare(const std::vector<Source>& sources, const std::atomic<bool>& stop);
    // The outcomes remembered are forgotten (each search then reads the indexes again).
    void forget();

private:
    enum class Trust { Yes, No, Unchecked };
    // A source as it was listed: its archive, and its archive's and its index's size and time.
    using SourceKey = std::tuple<std::string, ArchiveStamp, std::optional<ArchiveStamp>>;
    static std::vector<SourceKey> sourcesKey(const std::vector<Source>& sources);
    bool open(const Source& source, OpenIndex& index, SearchOutcome& outcome, bool prepareOnTheWay);
    IndexState openSealed(const std::string& indexPath, OpenIndex& index, const Source& source);
    Trust trustworthy(const std::string& indexPath, const Source& source, OpenIndex& index, bool mayCheck);
    SearchOutcome searchIndexes(const std::vector<Source>& sources, const Matcher& matcher, Deadline& deadline,
                                const Limits& limits, std::vector<KeptText>& texts);
    std::optional<SearchOutcome> fromRemembered(const std::vector<Source>& sources, const Matcher& matcher,
                                                Deadline& deadline);
    void remember(const std::vector<Source>& sources, const Matcher& matcher, const SearchOutcome& outcome,
                  std::vector<KeptText> texts);

    IndexAccess m_access;
    std::mutex m_mutex;  // one search or preparation at a time
    // The index files whose digests were checked, with their size and time then.
    std::map<std::string, std::pair<std::uint64_t, std::int64_t>> m_checked;
    // Indexes made for archives in folders that cannot be written: kept for this run instead.
    std::map<std::string, std::string> m_unwritten;
    // The heads of sealed indexes as opened, with their file's size and time then.
    struct KnownHead {
        std::pair<std::uint64_t, std::int64_t> file;
        std::string bytes;
    };
    std::map<std::string, KnownHead> m_heads;
    std::size_t m_headBytes = 0;
    // The sources prepare looked at, as they were then: a search makes such a source's index on the
    // way when it needs one again (prepare could only keep it in memory, or it was damaged since).
    std::set<std::pair<std::string, std::pair<std::uint64_t, std::int64_t>>> m_prepared;
    // The last whole outcomes, the newest first, with the sources they were searched in and each
    // hit's text (none when they were over the bound), which a narrower query checks again; at
    // most eight, in at most 6 MB.
    struct Remembered {
        Sought sought;
        std::vector<SourceKey> sources;
        SearchOutcome outcome;
        std::vector<KeptText> texts;
    };
    std::list<Remembered> m_remembered;
};

}  // namespace search
