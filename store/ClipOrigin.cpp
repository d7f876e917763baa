#include "store/ClipOrigin.h"

#include "store/ClipNames.h"

#include <charconv>
#include <set>

namespace store {

namespace {

bool isMachineId(std::string_view id) {
    if (id.empty() || id.size() > 64)
        return false;
    for (const char c : id)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_'))
            return false;
    return true;
}

}  // namespace

std::string originText(const ClipOrigin& origin) {
    const char* filed = !origin.filedHere ? "" : *origin.filedHere ? ":h" : ":o";
    return origin.machine + ' ' + std::to_string(origin.seq) + filed + ' ' + origin.name;
}

std::optional<ClipOrigin> parseOrigin(std::string_view text) {
    const std::size_t first = text.find(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::size_t second = text.find(' ', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    ClipOrigin origin;
    origin.machine = std::string(text.substr(0, first));
    std::string_view seq = text.substr(first + 1, second - first - 1);
    if (seq.size() > 2 && (seq.substr(seq.size() - 2) == ":h" || seq.substr(seq.size() - 2) == ":o")) {
        origin.filedHere = seq.back() == 'h';
        seq.remove_suffix(2);
    }
    const auto [end, error] = std::from_chars(seq.data(), seq.data() + seq.size(), origin.seq);
    origin.name = std::string(text.substr(second + 1));
    if (!isMachineId(origin.machine) || error != std::errc() || end != seq.data() + seq.size() || origin.seq == 0 ||
        origin.name.find_first_of("\r\n") != std::string::npos)
        return std::nullopt;
    return origin;
}

std::string originName(std::string_view text) {
    const std::optional<ClipOrigin> origin = parseOrigin(text);
    return origin ? origin->name : std::string();
}

std::vector<OriginRecord> originRecords(const std::vector<RootElement>& elements) {
    std::set<std::string> filedBases;
    for (const RootElement& element : elements)
        if (!element.text.empty() && element.name.size() > kCategorySuffix.size() &&
            element.name.compare(element.name.size() - kCategorySuffix.size(), kCategorySuffix.size(), kCategorySuffix) == 0)
            filedBases.insert(element.name.substr(0, element.name.size() - kCategorySuffix.size()));
    std::vector<OriginRecord> records;
    for (const RootElement& element : elements) {
        if (element.name.size() <= kOriginSuffix.size())
            continue;
        const std::string clip = element.name.substr(0, element.name.size() - kOriginSuffix.size());
        if (!isHistoryClipName(clip) || originElementName(clip) != element.name)
            continue;
        if (std::optional<ClipOrigin> origin = parseOrigin(element.text))
            records.push_back({clip, *origin, origin->filedHere.value_or(filedBases.count(std::string(historyBaseOf(clip))) > 0)});
    }
    return records;
}

}  // namespace store
