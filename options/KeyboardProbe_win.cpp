#include "options/KeyboardProbe.h"

#include "base/Text.h"

#include <windows.h>

namespace options {

namespace {

// A thread's own id for RegisterHotKey (0x0000-0xBFFF); registered and let go at once.
constexpr int kProbeId = 0x7D01;

UINT hotKeyModifiers(unsigned modifiers) {
    return ((modifiers & kCtrl) ? MOD_CONTROL : 0u) | ((modifiers & kAlt) ? MOD_ALT : 0u) |
           ((modifiers & kShift) ? MOD_SHIFT : 0u) | ((modifiers & kWin) ? MOD_WIN : 0u);
}

bool registeredElsewhere(const KeyCombo& combo) {
    if (RegisterHotKey(nullptr, kProbeId, hotKeyModifiers(combo.modifiers), combo.key)) {
        UnregisterHotKey(nullptr, kProbeId);
        return false;
    }
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

// VkKeyScanExW tells, for each character, the key and the shift state that type it on the layout;
// Ctrl+Alt in that state is AltGr. Asked character by character: nothing of the keyboard's state
// changes (ToUnicodeEx would move a dead key's state).
std::vector<std::pair<unsigned, std::string>> altGrCharacters(HKL layout) {
    std::vector<std::pair<unsigned, std::string>> characters;
    for (wchar_t character = 0x21; character < 0x3000; ++character) {
        const SHORT scan = VkKeyScanExW(character, layout);
        if (scan == -1 || (HIBYTE(scan) & 6) != 6)
            continue;
        const unsigned key = LOBYTE(scan);
        bool known = false;
        for (const auto& entry : characters)
            known = known || entry.first == key;
        if (!known)
            characters.emplace_back(key, base::toUtf8(std::wstring(1, character)));
    }
    return characters;
}

}  // namespace

KeyboardLayout currentKeyboardLayout() {
    return reinterpret_cast<KeyboardLayout>(GetKeyboardLayout(0));
}

KeyboardFacts probeKeyboard(const ChordSettings& chords, KeyboardLayout layout) {
    KeyboardFacts facts;
    for (const KeyCombo& combo : combosToProbe(chords))
        if (registeredElsewhere(combo))
            facts.registeredElsewhere.push_back(combo);
    facts.altGrCharacters = altGrCharacters(reinterpret_cast<HKL>(layout));
    return facts;
}

}  // namespace options
