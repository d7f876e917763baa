// Every option of the user's, as the options dialog shows them and an options file carries them:
// the switches, the chords and the programs without chords, the paste-key rules and the programs
// whose copies are never recorded. Plain data; the registry's side is options/OptionsRegistry.h.
#pragma once

#include "options/ChordOptions.h"
#include "options/PasteKeys.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace options {

struct Switches {
    bool restoreClipboard = false;
    bool restoreLastRun = false;
    bool makeRoomWhenFull = false;
    bool queueOnCopy = false;
    bool startWithWindows = false;
    bool alwaysOnTop = false;
    bool sealStore = true;    // new data files sealed for the user (store/DataFiles.h)
    bool skipSecrets = true;  // text that is plainly a secret is not recorded (store/SecretRules.h)
    bool operator==(const Switches& other) const;
    bool operator!=(const Switches& other) const { return !(*this == other); }
};

// A switch: its member, its value's name (under Software\Dravix, and in an options file) and what
// the user reads for it. Start with Windows is kept as the Run value of the system instead.
// `whenMissing`: its value where none is kept.
struct SwitchInfo {
    bool Switches::*member;
    std::string_view setting;
    std::string_view label;
    bool whenMissing = false;
};
inline constexpr std::size_t kSwitchCount = 8;
const std::array<SwitchInfo, kSwitchCount>& allSwitches();

// How many earlier runs stay in the runs folder: the newest `count`, and with `megabytes` above
// zero no more than fit in that much disk together (store::RunLimit).
struct RunKeeping {
    std::uint32_t count = 10;
    std::uint32_t megabytes = 0;
    bool operator==(const RunKeeping& other) const { return count == other.count && megabytes == other.megabytes; }
    bool operator!=(const RunKeeping& other) const { return !(*this == other); }
};

// A number of the options: its member, its value's name (a DWORD under Software\Dravix, and in an
// options file beside the switches), what the user reads for it, and the values it may take.
struct NumberInfo {
    std::uint32_t RunKeeping::*member;
    std::string_view setting;
    std::string_view label;
    std::uint32_t least, most;
    std::uint32_t whenMissing;
};
inline constexpr std::size_t kNumberCount = 2;
const std::array<NumberInfo, kNumberCount>& allNumbers();
const NumberInfo* numberInfo(std::string_view setting);
// `value` as the number may take it ("20"), or why it cannot.
std::optional<std::string> numberProblem(const NumberInfo& info, std::string_view value);
// A stored value brought within the number's range (none: its default).
std::uint32_t numberWithin(const NumberInfo& info, std::optional<std::uint32_t> stored);

struct ExcludedProgram {
    std::string path;   // UTF-8
    std::string added;  // "2026-12-08 14:03:22"
    bool operator==(const ExcludedProgram& other) const { return path == other.path && added == other.added; }
    bool operator!=(const ExcludedProgram& other) const { return !(*this == other); }
};

inline constexpr std::size_t kMaxPasteKeyRules = 100;
inline constexpr std::size_t kMaxExcludedPrograms = 500;
inline constexpr std::size_t kMaxTextBytes = 1000;  // a path, a window class, a rule's keys

struct Options {
    Switches switches;
    RunKeeping runs;
    ChordOptions chords;
    std::vector<PasteKeyRule> pasteKeyRules;
    std::vector<ExcludedProgram> excludedPrograms;
    bool operator==(const Options& other) const;
    bool operator!=(const Options& other) const { return !(*this == other); }
};

// What is wrong with the lists, in Chinese: an entry that is empty, too long or not UTF-8, one
// named twice (ASCII case ignored, as Windows compares names), rule keys that cannot be read, a
// list beyond its bound. Nothing when they are fine.
std::optional<std::string> listProblem(const Options& options);
// The same for one paste-key rule about to join `rules` (`replacing`: the index it takes the place
// of, or -1).
std::optional<std::string> pasteKeyRuleProblem(const std::vector<PasteKeyRule>& rules, const PasteKeyRule& rule,
                                               int replacing = -1);

// An entry the user typed (or picked) joins a list: the program without chords by its file name,
// the excluded program by its full path, added at `now`. A message instead when it cannot: not a
// name, already there, the list full.
std::optional<std::string> addNoChordProgram(std::vector<std::string>& programs, std::string_view typed);
std::optional<std::string> addExcludedProgram(std::vector<ExcludedProgram>& programs, std::string_view typed,
                                              const std::string& now);

// What changes from `before` to `after`, a line each ("粘贴后恢复剪贴板：关 → 开").
std::vector<std::string> describeChanges(const Options& before, const Options& after);
// Lines as a message shows them: each after a bullet, at most `shown` of them, then how many more.
std::string bulletedLines(const std::vector<std::string>& lines, std::size_t shown);

}  // namespace options
