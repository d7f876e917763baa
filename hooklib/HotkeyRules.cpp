#include "hooklib/HotkeyRules.h"

#include "store/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace hotkey {

KeyDecision decideKey(int hookCode, unsigned virtualKey, bool released, bool ctrlDown, bool altDown, bool shiftDown,
                      bool rightAltDown) {
    KeyDecision decision;
    if (released || hookCode != 0 || rightAltDown)
        return decision;
    const bool mainDigit = virtualKey >= '0' && virtualKey <= '9';
    const bool keypadDigit = virtualKey >= 96 && virtualKey <= 105;
    if (mainDigit || keypadDigit) {
        if (!ctrlDown)
            return decision;
        decision.slotKey = static_cast<int>(keypadDigit ? virtualKey - 48 : virtualKey);
        decision.kind = altDown ? KeyDecision::PasteSlot : KeyDecision::CopyToSlot;
        return decision;
    }
    if (ctrlDown && altDown && virtualKey == kVkQ) {
        decision.kind = KeyDecision::PasteQueueHead;
        decision.plainText = shiftDown;
        return decision;
    }
    if (ctrlDown && altDown && virtualKey == kVkOem3) {
        decision.kind = KeyDecision::OpenClipMenu;
        return decision;
    }
    if (altDown && virtualKey == kVkC)
        decision.kind = KeyDecision::ShowMainWindow;
    return decision;
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

}  // namespace hotkey
