// What the hook library needs of the options in every program: the chords and the programs where
// no chord acts (by file name: games, remote desktops, terminals with bindings of their own).
#pragma once

#include "options/Chords.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace options {

// The shared record holds this many programs, each name of at most this many UTF-8 bytes.
inline constexpr std::size_t kMaxNoChordPrograms = 32;
inline constexpr std::size_t kMaxProgramNameBytes = 127;

struct ChordOptions {
    ChordSettings chords = defaultChords();
    std::vector<std::string> noChordPrograms;  // file names, "mstsc.exe"
    bool operator==(const ChordOptions& other) const {
        return chords == other.chords && noChordPrograms == other.noChordPrograms;
    }
    bool operator!=(const ChordOptions& other) const { return !(*this == other); }
};

// UTF-8 without a zero or another control character: a text that fits a registry value, an
// options file and a line of a .reg file.
bool isPlainText(std::string_view text);

// The program's file name as the list keeps it, from a typed name or a whole path (its last part,
// spaces around it trimmed); nothing when that is empty, longer than the record holds, or not
// plain text.
std::optional<std::string> noChordProgramName(std::string_view typed);
// Whether `programPath` (a full path or a file name; empty when not known) is one of `programs`,
// by file name, ASCII case ignored as Windows compares file names.
bool isNoChordProgram(const std::vector<std::string>& programs, std::string_view programPath);

}  // namespace options
