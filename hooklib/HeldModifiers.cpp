#include "hooklib/HeldModifiers.h"

#include "hooklib/HotkeyRules.h"

#include <cstdint>

namespace hooklib {

namespace {

constexpr unsigned kVkLeftShift = 0xA0, kVkRightShift = 0xA1;
constexpr unsigned kVkLeftControl = 0xA2, kVkRightControl = 0xA3;
constexpr unsigned kVkLeftAlt = 0xA4;

}  // namespace

int ModifierMemory::slotOf(unsigned virtualKey) {
    switch (virtualKey) {
    case kVkControl:
    case kVkLeftControl:
    case kVkRightControl:
        return 0;
    case kVkAlt:
    case kVkLeftAlt:
    case kVkRightAlt:
        return 1;
    case kVkShift:
    case kVkLeftShift:
    case kVkRightShift:
        return 2;
    default:
        return -1;
    }
}

void ModifierMemory::onKey(unsigned virtualKey, bool released, bool extended, unsigned long tick) {
    const int slot = slotOf(virtualKey);
    if (slot >= 0)
        m_keys[slot] = {!released, tick};
    if (virtualKey == kVkRightAlt || (virtualKey == kVkAlt && extended))
        m_keys[kRightAltSlot] = {!released, tick};
}

bool ModifierMemory::held(unsigned modifier, bool keyStateDown, unsigned long tick) const {
    const int slot = modifier == kVkRightAlt ? kRightAltSlot : slotOf(modifier);
    if (keyStateDown || slot < 0 || !m_keys[slot].down)
        return keyStateDown;
    // Tick counts are 32-bit and wrap after 49 days.
    return static_cast<std::uint32_t>(tick - m_keys[slot].at) < kModifierMemoryMs;
}

}  // namespace hooklib
