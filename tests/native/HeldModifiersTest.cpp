// What the keyboard hook counts as a held modifier: the key state, or the thread's own key-down
// without its key-up for a moment (a key state set anew without a message loses a typed Ctrl).
#include "hooklib/HeldModifiers.h"
#include "hooklib/HotkeyRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Key {
    unsigned virtualKey;
    bool released;
    unsigned long tick;
    bool extended = false;
};

struct Case {
    const char* what;
    std::vector<Key> keys;  // the thread's key messages, in order
    unsigned modifier;
    bool keyStateDown;
    unsigned long at;
    bool held;
};

TEST(HeldModifiers, TheKeyStateOrTheThreadsOwnKeyDownForAMoment) {
    using namespace hooklib;
    const Case cases[] = {
        {"nothing taken, the key state up", {}, kVkControl, false, 100, false},
        {"the key state down", {}, kVkControl, true, 100, true},
        {"Ctrl down, its state set up without a message", {{kVkControl, false, 100}}, kVkControl, false, 130, true},
        {"the left Ctrl counts as Ctrl", {{0xA2, false, 100}}, kVkControl, false, 130, true},
        {"the right Alt counts as Alt", {{0xA5, false, 100}}, kVkAlt, false, 130, true},
        {"the left Shift counts as Shift", {{0xA0, false, 100}}, kVkShift, false, 130, true},
        {"Ctrl down and up again", {{kVkControl, false, 100}, {kVkControl, true, 120}}, kVkControl, false, 130, false},
        {"Ctrl's memory is not Alt's", {{kVkControl, false, 100}}, kVkAlt, false, 130, false},
        {"a digit between changes nothing", {{kVkControl, false, 100}, {'5', false, 110}}, kVkControl, false, 130, true},
        {"forgotten after the moment", {{kVkControl, false, 100}}, kVkControl, false, 100 + kModifierMemoryMs, false},
        {"a repeated key-down renews it", {{kVkControl, false, 100}, {kVkControl, false, 900}}, kVkControl, false, 1500, true},
        // AltGr types characters: a right Alt whose state was set up without a message is still AltGr.
        {"the right Alt, as a hook is told it", {{kVkAlt, false, 100, true}}, kVkRightAlt, false, 130, true},
        {"the right Alt, by its own key", {{kVkRightAlt, false, 100}}, kVkRightAlt, false, 130, true},
        {"the left Alt is no right Alt", {{kVkAlt, false, 100}}, kVkRightAlt, false, 130, false},
        {"the right Alt down and up again", {{kVkAlt, false, 100, true}, {kVkAlt, true, 120, true}}, kVkRightAlt, false, 130, false},
        {"across the tick count's wrap", {{kVkControl, false, 0xFFFFFFF0ul}}, kVkControl, false, 0x20, true},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        ModifierMemory memory;
        for (const Key& key : each.keys)
            memory.onKey(key.virtualKey, key.released, key.extended, key.tick);
        EXPECT_EQ(memory.held(each.modifier, each.keyStateDown, each.at), each.held);
    }
}

}  // namespace
