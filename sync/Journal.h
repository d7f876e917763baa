// A machine's journal: what happened to its clips, entry by entry, numbered by one sequence per
// machine. The journal is kept in segments; a segment, once closed, is never written again; the
// open one is replaced whole (by rename) each time entries are added. Readers take entries in
// sequence order, so what a later entry says about an earlier one always counts. Portable: no
// <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipsync {

// What a clip shows as its row: its first part of these kinds.
enum class ClipKind : std::uint8_t { Text = 1, Picture = 2, FileList = 3 };

enum class EntryKind : std::uint8_t {
    Added = 1,    // a clip was recorded: its file is `clip`
    Deleted = 2,  // the clip added by entry `target` left the machine's history
    Filed = 3,    // the clip added by entry `target` was filed into `category`
    Dropped = 4,  // the file of `clip` was removed by pruning (age or size), not by the user
};

struct Entry {
    EntryKind kind = EntryKind::Added;
    std::uint64_t seq = 0;     // from 1, one sequence per machine
    std::uint64_t target = 0;  // Deleted, Filed: the seq of the Added entry meant
    // Added (and Dropped: `clip`)
    std::string clip;          // the clip's name digest: its file is clipFileName(clip)
    std::string digest;        // SHA-256 of the clip's content: the same content from any machine
    ClipKind clipKind = ClipKind::Text;
    std::int64_t time = 0;     // when it was recorded, seconds since 1970 (UTC)
    std::uint64_t size = 0;    // the size of the clip's file
    std::string source;        // the file name of the program it was copied from, or empty
    std::string localKey;      // what the machine's own program calls the record
    // Filed
    std::string category;

    bool operator==(const Entry& other) const;
};

// Texts of an entry are short (a file name, a category); a segment holds a bounded count.
inline constexpr std::size_t kMaxEntryText = 4096;
inline constexpr std::size_t kEntriesPerSegment = 256;
inline constexpr std::size_t kMaxSegmentEntries = 4096;

struct Segment {
    std::uint64_t number = 1;
    bool closed = false;  // no entry is ever added to it again
    // The seq of the oldest entry its machine still kept when it wrote this segment: in the newest
    // segment, where readers begin (what came before was pruned, and will never arrive).
    std::uint64_t firstKept = 1;
    std::vector<Entry> entries;
};
// The plain bytes of a segment (the sealed file holds them), and the segment read back strictly:
// nothing for bytes that are not a whole segment of this layout.
std::string segmentBytes(const Segment& segment);
std::optional<Segment> parseSegment(std::string_view bytes);

// How far a machine has read each other machine: the next seq it would take, by machine id.
using SeenMarks = std::map<std::string, std::uint64_t>;
std::string seenBytes(const SeenMarks& marks);
std::optional<SeenMarks> parseSeen(std::string_view bytes);

// A machine's readable name (what a row from it says it came from), bounded.
inline constexpr std::size_t kMaxMachineName = 256;
std::string nameBytes(std::string_view name);
std::optional<std::string> parseName(std::string_view bytes);

}  // namespace clipsync
