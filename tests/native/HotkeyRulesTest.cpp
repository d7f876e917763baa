// The hotkey engine's decisions: which keys make which chord, and the chords it sends.
#include "HotkeyRules.h"

#include <gtest/gtest.h>

namespace {

using hotkey::KeyDecision;

KeyDecision::Kind kindOf(unsigned key, bool ctrl, bool alt, bool released = false, int code = 0) {
    return hotkey::decideKey(code, key, released, ctrl, alt).kind;
}

TEST(HotkeyRules, DigitsWithCtrlCopyAndWithCtrlAltPaste) {
    for (unsigned key = '0'; key <= '9'; ++key) {
        const KeyDecision copy = hotkey::decideKey(0, key, false, true, false);
        EXPECT_EQ(copy.kind, KeyDecision::CopyToSlot);
        EXPECT_EQ(copy.slotKey, static_cast<int>(key));
        const KeyDecision paste = hotkey::decideKey(0, key, false, true, true);
        EXPECT_EQ(paste.kind, KeyDecision::PasteSlot);
        EXPECT_EQ(paste.slotKey, static_cast<int>(key));
    }
    EXPECT_EQ(kindOf('5', false, true), KeyDecision::PassOn);   // Alt+digit
    EXPECT_EQ(kindOf('5', false, false), KeyDecision::PassOn);
    EXPECT_EQ(kindOf('5', true, false, true), KeyDecision::PassOn);   // release
    EXPECT_EQ(kindOf('5', true, false, false, 3), KeyDecision::PassOn);  // HC_NOREMOVE
}

TEST(HotkeyRules, KeypadDigitsActAsMainDigitsOnlyWithCtrl) {
    const KeyDecision keypad7 = hotkey::decideKey(0, 103, false, true, false);
    EXPECT_EQ(keypad7.kind, KeyDecision::CopyToSlot);
    EXPECT_EQ(keypad7.slotKey, 55);
    EXPECT_EQ(hotkey::decideKey(0, 96, false, true, true).slotKey, 48);
    EXPECT_EQ(kindOf(103, false, false), KeyDecision::PassOn);
}

TEST(HotkeyRules, AltCShowsTheMainWindow) {
    EXPECT_EQ(kindOf('C', false, true), KeyDecision::ShowMainWindow);
    EXPECT_EQ(kindOf('C', true, true), KeyDecision::ShowMainWindow);
    EXPECT_EQ(kindOf('C', true, false), KeyDecision::PassOn);
    EXPECT_EQ(kindOf('C', false, true, true), KeyDecision::PassOn);
}

TEST(HotkeyRules, ChordsAndTheMozillaRule) {
    const auto plain = hotkey::copyChord(false);
    ASSERT_EQ(plain.size(), 5u);
    EXPECT_EQ(plain[0].virtualKey, 17);
    EXPECT_EQ(plain[1].virtualKey, 17);
    EXPECT_EQ(plain[2].virtualKey, 'C');
    EXPECT_TRUE(plain[3].release);
    EXPECT_EQ(plain[4].virtualKey, 17);
    EXPECT_TRUE(plain[4].release);
    EXPECT_EQ(hotkey::copyChord(true)[0].virtualKey, 'C');
    EXPECT_TRUE(hotkey::copyChord(true)[0].release);  // never a press: it would type over the selection
    const auto paste = hotkey::pasteChord();
    ASSERT_EQ(paste.size(), 4u);
    EXPECT_EQ(paste[1].virtualKey, 'V');
    EXPECT_TRUE(hotkey::isMozillaClass("MozillaWindowClass"));
    EXPECT_TRUE(hotkey::isMozillaClass("xMOZILLAx"));
    EXPECT_FALSE(hotkey::isMozillaClass("Edit"));
}

TEST(HotkeyRules, HistoryIndexFromClipNames) {
    int index = -1;
    ASSERT_TRUE(hotkey::historyIndexFromName("his12-", index));
    EXPECT_EQ(index, 12);
    index = 7;
    EXPECT_FALSE(hotkey::historyIndexFromName("copy3", index));
    EXPECT_EQ(index, 7);
    ASSERT_TRUE(hotkey::historyIndexFromName("his999-", index));
    EXPECT_EQ(index, 999);
}

}  // namespace
