// Runs kept at start-up, in the store folder's "Runs" folder, where the user may keep archives of
// their own too. Only names the program makes count as kept runs: the marker, the time of the start
// that kept the run and, when two starts fall in one second, " (2)", " (3)"... after it:
//   "Dravix-run 2026-12-08 14-03-22.amc" and its data folder "Dravix-run 2026-12-08 14-03-22",
//   "Dravix-run 2026-12-08 14-03-22.damaged" (a folder: a store that could not be read, kept whole).
// Pruning and "the last run" look at those names alone; the last ten runs stay (or as many, or as
// much on disk, as the user set), damaged ones always. A run's search index beside its archive
// ("Dravix-run 2026-12-08 14-03-22.amc.search") goes with the run.
// Portable: no <windows.h>.
#pragma once

#include "store/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

inline constexpr std::string_view kRunsFolderName = "Runs";
inline constexpr std::string_view kRunMarker = "Dravix-run ";
inline constexpr std::string_view kDamagedRunSuffix = ".damaged";
inline constexpr std::size_t kKeptRuns = 10;
inline constexpr std::size_t kMaxKeptRuns = 500;
// How many runs stay: the newest `count` (1 to kMaxKeptRuns), or, with `bytes` above zero, the
// newest that fit in that much disk together (the newest one always stays).
struct RunLimit {
    std::size_t count = kKeptRuns;
    std::uint64_t bytes = 0;
};
// The limit the user's settings give: a count (kept within 1 to kMaxKeptRuns; none or 0 is the
// default ten) and a size in megabytes (none or 0: no size limit).
RunLimit runLimitFromSettings(std::optional<std::uint32_t> count, std::optional<std::uint32_t> megabytes);
struct RunName {
    std::string time;    // "2026-12-08 14-03-22": fixed width, so it orders as text
    int sameSecond = 1;  // 1, or the n of " (n)"
    bool operator<(const RunName& other) const {
        return time != other.time ? time < other.time : sameSecond < other.sameSecond;
    }
};
// The base name (no extension) of the run kept at the time stamp `stamp` ("2026-12-08 14:03:22");
// `sameSecond` > 1 adds " (n)".
std::string runName(std::string_view stamp, int sameSecond = 1);
// A base name that runName makes, read back strictly (a valid date and time, no other text);
// nothing for any other name.
std::optional<RunName> parseRunName(std::string_view base);
// The kept run whose archive is the file `name` (base + ".amc"); nothing for any other file.
std::optional<RunName> parseRunArchive(std::string_view name);
// Of the file names of a runs folder, the kept runs' archives to remove so that the newest `keep`
// stay, oldest first (by their time, then their same-second number). No other name is ever named.
std::vector<std::string> runsToRemove(const std::vector<std::string>& names, std::size_t keep = kKeptRuns);
// The same by a limit; `sizes` gives what each run's archive (by its file name) takes on disk
// beyond the newer runs (runSizes), a run not named there taking nothing.
std::vector<std::string> runsToRemove(const std::vector<std::string>& names, const RunLimit& limit,
                                      const std::map<std::string, std::uint64_t>& sizes);
// The files of one kept run: its archive's file name, then every file that is its (the archive,
// its search index, its data folder's files).
struct RunFiles {
    std::string archive;
    std::vector<files::FileEntry> files;
};
// What each run takes on disk beyond the runs after it, given newest first: a file of a newer run
// under the same name, size and time is that file again (the runs share unchanged data files as
// hard links), and counts with the newer run.
std::map<std::string, std::uint64_t> runSizes(const std::vector<RunFiles>& newestFirst);
// The search index of a kept run: the run's archive name + kSearchIndexExtension; nothing for any
// other name. (The archive, which it names, may be gone: then the index goes too.)
std::optional<RunName> parseRunIndex(std::string_view name);
// The newest kept run's archive among the file names, or "".
std::string newestRun(const std::vector<std::string>& names);
// What a start that was ended while it kept a run can leave in the runs folder besides it: a
// temporary file or folder beside a run's archive, data folder or search index (its base name,
// + ".amc", or + ".amc.search", then "." + process + "-" + counter + ".tmp", as
// files::temporarySibling makes them).
bool isRunLeftover(std::string_view name);

}  // namespace store
