#include "hooklib/HotkeyRules.h"

#include "store/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace hooklib {

namespace {

KeyDecision::Kind kindOf(options::ChordAction action) {
    switch (action) {
    case options::ChordAction::CopyToSlot: return KeyDecision::CopyToSlot;
    case options::ChordAction::PasteSlot: return KeyDecision::PasteSlot;
    case options::ChordAction::RepeatTransform: return KeyDecision::RepeatTransform;
    case options::ChordAction::PasteQueueHead: return KeyDecision::PasteQueueHead;
    case options::ChordAction::ClipMenuAtCaret: return KeyDecision::OpenClipMenu;
    case options::ChordAction::ShowMainWindow: return KeyDecision::ShowMainWindow;
    default: return KeyDecision::PassOn;
    }
}

}  // namespace

KeyDecision decideKey(const options::ChordOptions& chords, const options::KeyPress& press, std::string_view programPath) {
    const options::ChordMatch match = options::matchKey(chords, press, programPath);
    KeyDecision decision;
    if (!match.action)
        return decision;
    decision.kind = kindOf(*match.action);
    decision.slotKey = match.slotKey;
    decision.plainText = match.plainText;
    return decision;
}

KeyDecision decideKey(int hookCode, unsigned virtualKey, bool released, bool ctrlDown, bool altDown, bool shiftDown,
                      bool rightAltDown) {
    static const options::ChordOptions defaults;
    const unsigned held = (ctrlDown ? unsigned{options::kCtrl} : 0u) | (altDown ? unsigned{options::kAlt} : 0u) |
                          (shiftDown ? unsigned{options::kShift} : 0u);
    return decideKey(defaults, {hookCode, virtualKey, released, held, rightAltDown});
}

// Mozilla windows get a lone release of "C" first, a press would type the letter over the
// user's selection before the chord copies it.
std::vector<ChordKey> copyChord(bool mozillaWindow) {
    const ChordKey first = mozillaWindow ? ChordKey{kVkC, true} : ChordKey{kVkControl, false};
    return {first, {kVkControl, false}, {kVkC, false}, {kVkC, true}, {kVkControl, true}};
}

std::vector<ChordKey> pasteChord() {
    return {{kVkControl, false}, {kVkV, false}, {kVkV, true}, {kVkControl, true}};
}

std::vector<ChordKey> withoutKey(std::vector<ChordKey> chord, unsigned virtualKey) {
    chord.erase(std::remove_if(chord.begin(), chord.end(), [&](const ChordKey& key) { return key.virtualKey == virtualKey; }),
                chord.end());
    return chord;
}

bool isChordStale(unsigned long started, unsigned long now) {
    // Tick counts are 32-bit and wrap after 49 days.
    return static_cast<std::uint32_t>(now - started) >= kStaleChordMs;
}

bool isMozillaClass(std::string_view className) {
    return store::containsIgnoringCase(className, "mozilla");
}

bool showsCaretWhenFocused(std::string_view className) {
    const std::string name = store::asciiLower(className);
    return name == "edit" || name.rfind("richedit", 0) == 0;
}

bool historyIndexFromName(std::string_view clipName, int& index) {
    if (clipName.find("his") == std::string_view::npos)
        return false;
    std::string rest(clipName);
    for (std::size_t at; (at = rest.find("his")) != std::string::npos;)
        rest.erase(at, 3);
    std::string digits;
    for (char c : rest)
        if (c != '-')
            digits += c;
    index = std::atoi(digits.c_str());
    return true;
}

CopyStep afterCopyChord(const CopyWatch& watch) {
    if (watch.answered)
        return CopyStep::Store;
    const bool unanswered = watch.chordHandled ? watch.sinceHandledMs >= kCopyAnswerGraceMs
                                               : watch.sinceChordMs >= kCopyAnswerWaitMs;
    if (!unanswered)
        return CopyStep::Wait;
    return watch.chordsSent < kCopyChords ? CopyStep::SendAgain : CopyStep::GiveUp;
}

bool pasteReadQuiet(const PasteWatch& watch) {
    return watch.rendered > 0 && watch.sinceLastRenderMs >= kPasteQuietMs;
}

// Never before the target has read (or the bound); never over another program's copy.
PasteStep afterPasteChord(const PasteWatch& watch) {
    if (watch.clipboardReplaced)
        return PasteStep::LeaveAlone;
    if (watch.sinceKeyMs >= kPasteBoundMs || (pasteReadQuiet(watch) && watch.targetAnswers))
        return PasteStep::Restore;
    return PasteStep::Wait;
}

}  // namespace hooklib
