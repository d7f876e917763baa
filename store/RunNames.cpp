#include "store/RunNames.h"

#include "store/ArchivePaths.h"
#include "store/StorePaths.h"

#include <algorithm>
#include <set>
#include <tuple>
#include <utility>

namespace store {

std::string runName(std::string_view stamp, int sameSecond) {
    std::string name(kRunMarker);
    name += stamp;
    for (std::size_t i = kRunMarker.size(); i < name.size(); ++i)
        if (name[i] == ':')
            name[i] = '-';
    if (sameSecond > 1)
        name += " (" + std::to_string(sameSecond) + ")";
    return name;
}

namespace {

// The number of the digits at [at, at + count) of `text`, or -1 when they are not all digits.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<RunName> parseRunName(std::string_view base) {
    // "YYYY-MM-DD HH-MM-SS" after the marker: separators where they belong, digits elsewhere.
    constexpr std::string_view kShape = "0000-00-00 00-00-00";
    if (base.size() < kRunMarker.size() + kShape.size() || base.compare(0, kRunMarker.size(), kRunMarker) != 0)
        return std::nullopt;
    const std::string_view time = base.substr(kRunMarker.size(), kShape.size());
    for (std::size_t i = 0; i < kShape.size(); ++i)
        if (kShape[i] != '0' && time[i] != kShape[i])
            return std::nullopt;
    const int year = digitsAt(time, 0, 4), month = digitsAt(time, 5, 2), day = digitsAt(time, 8, 2);
    const int hour = digitsAt(time, 11, 2), minute = digitsAt(time, 14, 2), second = digitsAt(time, 17, 2);
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    RunName run{std::string(time), 1};
    std::string_view rest = base.substr(kRunMarker.size() + kShape.size());
    if (rest.empty())
        return run;
    // " (n)": n from 2, no leading zero, at most four digits.
    if (rest.size() < 4 || rest.size() > 7 || rest.compare(0, 2, " (") != 0 || rest.back() != ')' || rest[2] == '0')
        return std::nullopt;
    run.sameSecond = digitsAt(rest, 2, rest.size() - 3);
    if (run.sameSecond < 2)
        return std::nullopt;
    return run;
}

namespace {

// `name` without `end`, when it ends so (and holds more).
std::optional<std::string_view> withoutEnd(std::string_view name, std::string_view end) {
    if (name.size() <= end.size() || name.compare(name.size() - end.size(), end.size(), end) != 0)
        return std::nullopt;
    return name.substr(0, name.size() - end.size());
}

}  // namespace

std::optional<RunName> parseRunArchive(std::string_view name) {
    const std::optional<std::string_view> base = withoutEnd(name, kArchiveExtension);
    return base ? parseRunName(*base) : std::nullopt;
}

namespace {

// The kept runs' archives among the names, oldest first.
std::vector<std::pair<RunName, std::string>> runArchives(const std::vector<std::string>& names) {
    std::vector<std::pair<RunName, std::string>> runs;
    for (const std::string& name : names)
        if (std::optional<RunName> run = parseRunArchive(name))
            runs.emplace_back(std::move(*run), name);
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return runs;
}

}  // namespace

std::vector<std::string> runsToRemove(const std::vector<std::string>& names, std::size_t keep) {
    return runsToRemove(names, RunLimit{keep, 0}, {});
}

std::vector<std::string> runsToRemove(const std::vector<std::string>& names, const RunLimit& limit,
                                      const std::map<std::string, std::uint64_t>& sizes) {
    const std::vector<std::pair<RunName, std::string>> runs = runArchives(names);
    std::size_t keep = std::clamp<std::size_t>(limit.count, 1, kMaxKeptRuns);
    if (limit.bytes > 0) {
        std::uint64_t taken = 0;
        keep = 0;
        for (auto run = runs.rbegin(); run != runs.rend(); ++run, ++keep) {
            const auto size = sizes.find(run->second);
            taken += size == sizes.end() ? 0 : size->second;
            if (keep > 0 && taken > limit.bytes)
                break;
        }
    }
    std::vector<std::string> old;
    for (std::size_t i = 0; i + keep < runs.size(); ++i)
        old.push_back(runs[i].second);
    return old;
}

std::map<std::string, std::uint64_t> runSizes(const std::vector<RunFiles>& newestFirst) {
    std::map<std::string, std::uint64_t> sizes;
    std::set<std::tuple<std::string, std::uint64_t, std::int64_t>> counted;
    for (const RunFiles& run : newestFirst) {
        std::uint64_t& size = sizes[run.archive];
        for (const files::FileEntry& file : run.files)
            if (counted.emplace(file.name, file.size, file.writeTime).second)
                size += file.size;
    }
    return sizes;
}

std::optional<RunName> parseRunIndex(std::string_view name) {
    const std::optional<std::string_view> archive = withoutEnd(name, kSearchIndexExtension);
    return archive ? parseRunArchive(*archive) : std::nullopt;
}

std::string newestRun(const std::vector<std::string>& names) {
    const std::vector<std::pair<RunName, std::string>> runs = runArchives(names);
    return runs.empty() ? std::string() : runs.back().second;
}

bool isRunLeftover(std::string_view name) {
    const std::optional<std::string_view> base = temporarySiblingBase(name);
    return base && (parseRunName(*base) || parseRunArchive(*base) || parseRunIndex(*base));
}

RunLimit runLimitFromSettings(std::optional<std::uint32_t> count, std::optional<std::uint32_t> megabytes) {
    RunLimit limit;
    if (count && *count > 0)
        limit.count = std::min<std::size_t>(*count, kMaxKeptRuns);
    if (megabytes)
        limit.bytes = static_cast<std::uint64_t>(*megabytes) << 20;
    return limit;
}

}  // namespace store
