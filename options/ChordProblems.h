// What is wrong with the chords the user set, before they are saved: a chord without a modifier, a
// common editing key or a key of the system, a chord another of ours takes, one another program
// registered with the system (the keyboard then never reaches a hook), or one that AltGr types a
// character with on the user's keyboard layout. Each problem says which and why, in Chinese.
#pragma once

#include "options/Chords.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace options {

// What the system tells of the user's keyboard, gathered by the Win32 side.
struct KeyboardFacts {
    // Key combinations another program registered (RegisterHotKey refused them).
    std::vector<KeyCombo> registeredElsewhere;
    // Keys that type a character with AltGr on the user's layout, with that character (UTF-8).
    std::vector<std::pair<unsigned, std::string>> altGrCharacters;
};

enum class ProblemKind { NoModifier, EditingKey, TakenByOurs, RegisteredElsewhere, AltGrCharacter };

struct ChordProblem {
    ChordAction action;
    ProblemKind kind;
    bool refused;         // false: a warning the user may accept
    std::string message;  // "“粘贴槽位”的快捷键 Ctrl+V 是常用的编辑键（粘贴），……"
};

// The key combinations to ask the system about: those of every chord that is on.
std::vector<KeyCombo> combosToProbe(const ChordSettings& chords);

// The problems of the chords that are on. Two chords taking the same keys are always refused;
// the other problems are looked for in the chords the user changed (from `saved`) alone, so that
// a chord kept as it was is not asked about again. AltGr's characters are a warning (the left Ctrl
// and Alt still make the chord, AltGr still types); the rest are refused.
std::vector<ChordProblem> chordProblems(const ChordSettings& chords, const ChordSettings& saved,
                                        const KeyboardFacts& facts);

// At a start: the problems that keep chords that are on from acting (each chord checked as if the
// user had just set it; warnings left out).
std::vector<ChordProblem> unavailableChords(const ChordSettings& chords, const KeyboardFacts& facts);
// What a balloon says of them: each chord once with why, at most `shown` of them, and that 选项
// changes them. Empty when there are none.
std::string unavailableChordsNotice(const ChordSettings& chords, const std::vector<ChordProblem>& problems,
                                    std::size_t shown = 3);

}  // namespace options
