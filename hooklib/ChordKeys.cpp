#include "hooklib/ChordKeys.h"

#include "hooklib/HotkeyRules.h"
#include "hooklib/PasteKeyRules.h"
#include "store/Protocol.h"
#include "base/Check.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Settings.h"
#include "fw/Window.h"

#include <vector>

namespace hooklib {

namespace {

// The system inserts none of the keys when input is blocked or a window of a higher integrity
// level is in front, and only some when another thread blocked input meanwhile: either way the
// chord did not reach the target whole.
bool sendKeys(const std::vector<hooklib::ChordKey>& chord) {
    std::vector<INPUT> inputs(chord.size());
    for (std::size_t i = 0; i < chord.size(); ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = chord[i].virtualKey;
        inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(chord[i].virtualKey, MAPVK_VK_TO_VSC));
        inputs[i].ki.dwFlags = (chord[i].release ? KEYEVENTF_KEYUP : 0) |
                               (hooklib::isExtendedKey(chord[i].virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0);
    }
    const UINT count = static_cast<UINT>(inputs.size());
    const UINT sent = CHECK_WIN32(SendInput(count, inputs.data(), sizeof(INPUT)));
    if (sent != 0 && sent != count)
        base::Trace("SendInput inserted %u of %u key events: the chord did not reach the target whole", sent, count);
    return sent == count;
}

// Modifiers the user still holds are used as they are when the chord has them, and let go of
// first when it has not.
bool sendWithHeldModifiers(std::vector<hooklib::ChordKey> chord) {
    hooklib::HeldModifiers held;
    held.control = isPhysicallyDown(VK_CONTROL);
    held.alt = isPhysicallyDown(VK_MENU);
    held.shift = isPhysicallyDown(VK_SHIFT);
    return sendKeys(hooklib::withHeldModifiers(std::move(chord), held));
}

std::string windowClass(HWND window) {
    return base::toUtf8(fw::ClassOfWindow(window));
}

// A change in the registry counts from the next paste.
std::vector<hooklib::PasteKeyRule> userPasteKeyRules() {
    std::vector<hooklib::PasteKeyRule> rules;
    for (const auto& [match, keys] : fw::ReadUserStrings(store::kPasteKeysKey))
        rules.push_back({base::toUtf8(match), base::toUtf8(keys)});
    return rules;
}

}  // namespace

bool isPhysicallyDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

bool sendCopyKeys() {
    return sendWithHeldModifiers(hooklib::copyChord(hooklib::isMozillaClass(windowClass(GetForegroundWindow()))));
}

bool sendPasteKeys(HWND target) {
    if (!IsWindow(target))
        target = GetForegroundWindow();
    return sendWithHeldModifiers(
        hooklib::pasteKeysFor(userPasteKeyRules(), windowClass(target), base::toUtf8(fw::ProgramOfWindow(target))));
}

}  // namespace hooklib
