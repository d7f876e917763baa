// Where a history record came from when it arrived through the sync folder: the other machine's
// id, the sequence number of the journal entry that added it there, whether the user here filed it
// into a category since, and the machine's name as its user called it. Kept as the record's
// "-origin" element ("his12--origin"), one line of text, so that a row deleted or filed on its
// machine is found here again, also after a restart (a row filed here stays when its machine
// deletes it). Portable: no <windows.h>.
#pragma once

#include "store/StoreDocument.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

struct ClipOrigin {
    std::string machine;  // the machine's id (letters and digits, no spaces)
    std::uint64_t seq = 0;
    std::string name;     // shown to the user; any text but a line break
    // Whether the user here filed it since it arrived; not known for a record kept before this was
    // (its category then tells).
    std::optional<bool> filedHere;
    bool operator==(const ClipOrigin& other) const {
        return machine == other.machine && seq == other.seq && name == other.name && filedHere == other.filedHere;
    }
};

// "<machine> <seq>[:h|:o] <name>" (":h" filed here since, ":o" not); and back, nothing for a text
// that is not one.
std::string originText(const ClipOrigin& origin);
std::optional<ClipOrigin> parseOrigin(std::string_view text);
// The machine's name an origin text gives; empty for none.
std::string originName(std::string_view text);

// A history record that arrived, as the index holds it: its clip name, its origin, and whether
// the user filed it into a category here.
struct OriginRecord {
    std::string clip;
    ClipOrigin origin;
    bool filed = false;
};
std::vector<OriginRecord> originRecords(const std::vector<RootElement>& elements);

}  // namespace store
