// "在以前的记录中查找": one query over every kept run and every archive in the folders the user
// added, through their indexes (search/RunIndex.h). Searching reads an index's head (its rows'
// facts and signatures) and then the texts of the rows whose signatures admit the words, never a
// run's data files. An index that is missing, damaged or made from another archive is made
// again on the way (or ahead of time, prepare); an index whose bytes were checked once is
// trusted while its file stays the same. A clip kept in several runs (a lasting history keeps it
// in each) is one result, from the newest. Portable: no <windows.h>.
#pragma once

#include "search/Deadline.h"
#include "search/IndexBuilder.h"
#include "search/Matcher.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace search {

// A kept run or an archive the search looks in.
struct Source {
    std::string archive;    // its ".amc" file
    std::u16string origin;  // what a result says it came from: the run's start ("2026-12-08 14:03:22") or the archive's name
    bool keptRun = false;
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
    std::vector<std::string> notes;  // sources passed over and why, for the trace
};

class OpenIndex;

class EarlierRuns {
public:
    explicit EarlierRuns(IndexAccess access = {});

    // The rows of the sources that the matcher admits. `deadline` and `stop` end it early (the
    // outcome says so); an index made on the way stays made for the next search.
    SearchOutcome search(const std::vector<Source>& sources, const Matcher& matcher, Deadline& deadline,
                         const std::atomic<bool>* stop = nullptr, std::size_t maxHits = kMaxHits);
    // Every source's index checked, and made where it is missing, damaged or out of date, ahead
    // of the first search (by a thread after the start). How many were made.
    std::size_t prepare(const std::vector<Source>& sources, const std::atomic<bool>& stop);

private:
    bool open(const Source& source, OpenIndex& index, SearchOutcome& outcome);
    IndexState openSealed(const std::string& indexPath, OpenIndex& index, const ArchiveStamp& stamp);
    bool trustworthy(const std::string& indexPath, OpenIndex& index);

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
};

}  // namespace search
