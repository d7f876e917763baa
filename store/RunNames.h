// Runs kept at start-up, in the store folder's "Runs" folder, where the user may keep archives of
// their own too. Only names the program makes count as kept runs: the marker, the time of the start
// that kept the run and, when two starts fall in one second, " (2)", " (3)"... after it:
//   "Dravix-run 2026-12-08 14-03-22.amc" and its data folder "Dravix-run 2026-12-08 14-03-22",
//   "Dravix-run 2026-12-08 14-03-22.damaged" (a folder: a store that could not be read, kept whole).
// Pruning and "the last run" look at those names alone; the last ten runs stay, damaged ones always.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

inline constexpr std::string_view kRunsFolderName = "Runs";
inline constexpr std::string_view kRunMarker = "Dravix-run ";
inline constexpr std::string_view kDamagedRunSuffix = ".damaged";
inline constexpr std::size_t kKeptRuns = 10;
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
// The newest kept run's archive among the file names, or "".
std::string newestRun(const std::vector<std::string>& names);
// What a start that was ended while it kept a run can leave in the runs folder besides it: a
// temporary file or folder beside a run's archive or data folder (its base name + ".amc" or not,
// then "." + process + "-" + counter + ".tmp", as files::temporarySibling makes them).
bool isRunLeftover(std::string_view name);

}  // namespace store
