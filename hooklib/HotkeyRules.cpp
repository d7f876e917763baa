#include "HotkeyRules.h"

#include <cstdlib>
#include <string>

namespace hotkey {

KeyDecision decideKey(int hookCode, unsigned virtualKey, bool released, bool ctrlDown, bool altDown) {
    KeyDecision decision;
    if (released || hookCode != 0)
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
    if (altDown && virtualKey == kVkC)
        decision.kind = KeyDecision::ShowMainWindow;
    return decision;
}

std::vector<ChordKey> copyChord(bool mozillaWindow) {
    const ChordKey first = mozillaWindow ? ChordKey{kVkC, false} : ChordKey{kVkControl, false};
    return {first, {kVkControl, false}, {kVkC, false}, {kVkC, true}, {kVkControl, true}};
}

std::vector<ChordKey> pasteChord() {
    return {{kVkControl, false}, {kVkV, false}, {kVkV, true}, {kVkControl, true}};
}

bool isMozillaClass(std::string_view className) {
    std::string lower(className);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower.find("mozilla") != std::string::npos;
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

}  // namespace hotkey
