// What the engine was given to write into this machine's folder and had not written when the
// program ended (the folder was missing, full or read-only all along, or its queue was full): kept
// in a file of the store folder by key alone, never with a clip's content (that stays in the store,
// or in the run the store was kept as at the next start), and handed back then to go out in the
// order it happened. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipsync {

struct PendingRecord {
    enum class Kind : std::uint8_t { Publish = 1, Deleted = 2, Filed = 3 };
    Kind kind = Kind::Publish;
    std::string localKey;   // what the program calls the record: its clip name and copy time
    std::int64_t time = 0;  // when it happened, seconds since 1970 (UTC)
    std::string category;   // Filed: the category
    // Publish: the kept run (its archive) the clip lies in once the store it was copied into was
    // kept as a run; empty while it is the store's.
    std::string place;

    bool operator==(const PendingRecord& other) const {
        return kind == other.kind && localKey == other.localKey && time == other.time && category == other.category &&
               place == other.place;
    }
};

// Records kept at most: beyond them what waits is counted as not sent.
inline constexpr std::size_t kMaxPending = 9999;
// The file in the store folder.
inline constexpr std::string_view kPendingFileName = "syncpending.dat";

std::string pendingBytes(const std::vector<PendingRecord>& records);
// Read back strictly: nothing for bytes that are not a whole file of this layout or hold more than
// kMaxPending records.
std::optional<std::vector<PendingRecord>> parsePending(std::string_view bytes);

}  // namespace clipsync
