// The chords and the programs without chords as a record of fixed size, without pointers and of the
// same layout in the x86 and x64 builds, for the hook library's shared section: the main program
// publishes it whenever the options change, and the library in every program reads it again on
// its next key when its sequence number moved. A record of another layout, one never published
// and one caught while it was being written read as the defaults.
#pragma once

#include "options/ChordOptions.h"

#include <atomic>
#include <cstdint>

namespace options {

inline constexpr std::uint32_t kChordRecordLayout = 1;
inline constexpr std::size_t kChordRecordSlots = 8;  // room for actions to come

struct ChordRecord {
    std::uint32_t layout;         // kChordRecordLayout; 0 in a record never published
    std::uint32_t chordCount;
    std::uint32_t chords[kChordRecordSlots];  // modifiers | off << 4 | key << 8
    std::uint32_t programCount;
    char programs[kMaxNoChordPrograms][kMaxProgramNameBytes + 1];  // UTF-8, each ends with a zero
};
static_assert(sizeof(ChordRecord) == 4 * (3 + kChordRecordSlots) + kMaxNoChordPrograms * (kMaxProgramNameBytes + 1),
              "the record's layout is the same in both builds");

// Programs beyond the bound, and names too long for it, are left out (the dialog refuses them).
ChordRecord packChords(const ChordOptions& options);
// The defaults for a record of another layout or with a value out of its range.
ChordOptions unpackChords(const ChordRecord& record);

// The record as it lies in shared memory: a sequence number, odd while a write is under way, and
// the record's words.
inline constexpr std::size_t kChordRecordWords = sizeof(ChordRecord) / 4;
struct SharedChordRecord {
    std::atomic<std::uint32_t> sequence;
    std::atomic<std::uint32_t> words[kChordRecordWords];
};
static_assert(sizeof(std::atomic<std::uint32_t>) == 4 && std::atomic<std::uint32_t>::is_always_lock_free,
              "the shared words are plain 32-bit words");
static_assert(sizeof(SharedChordRecord) == 4 + sizeof(ChordRecord) && alignof(SharedChordRecord) == 4,
              "the shared record's layout is the same in both builds");

// The main program is the one writer (through the hook library's export, which takes the record
// as packed).
void publishChords(SharedChordRecord& shared, const ChordOptions& options);
void publishChordRecord(SharedChordRecord& shared, const ChordRecord& record);

struct ChordRecordRead {
    ChordOptions options;
    std::uint32_t sequence = 0;
    bool complete = false;  // false: caught during a write (the options are then the defaults)
};
ChordRecordRead readChords(const SharedChordRecord& shared);

// The options as one thread last read them (the hooks run in several threads of a process: one
// cache each): read again only when the sequence number moved. A read caught during a write
// keeps the options read before and tries again on the next call.
class ChordOptionsCache {
public:
    const ChordOptions& current(const SharedChordRecord& shared);
    // The sequence number of the record the options were read from (0: none was read).
    std::uint32_t sequence() const { return m_sequence; }

private:
    ChordOptions m_options;
    std::uint32_t m_sequence = 0;  // a record never published has 0, and the defaults
};

}  // namespace options
