// The hotkey engine's decisions: which keys make which chord, and the chords it sends.
#include "hooklib/HotkeyRules.h"

#include <gtest/gtest.h>

namespace {

using hooklib::KeyDecision;

KeyDecision::Kind kindOf(unsigned key, bool ctrl, bool alt, bool released = false, int code = 0) {
    return hooklib::decideKey(code, key, released, ctrl, alt).kind;
}

TEST(HotkeyRules, DigitsWithCtrlCopyAndWithCtrlAltPaste) {
    for (unsigned key = '0'; key <= '9'; ++key) {
        const KeyDecision copy = hooklib::decideKey(0, key, false, true, false);
        EXPECT_EQ(copy.kind, KeyDecision::CopyToSlot);
        EXPECT_EQ(copy.slotKey, static_cast<int>(key));
        const KeyDecision paste = hooklib::decideKey(0, key, false, true, true);
        EXPECT_EQ(paste.kind, KeyDecision::PasteSlot);
        EXPECT_EQ(paste.slotKey, static_cast<int>(key));
    }
    EXPECT_EQ(kindOf('5', false, true), KeyDecision::PassOn);   // Alt+digit
    EXPECT_EQ(kindOf('5', false, false), KeyDecision::PassOn);
    EXPECT_EQ(kindOf('5', true, false, true), KeyDecision::PassOn);   // release
    EXPECT_EQ(kindOf('5', true, false, false, 3), KeyDecision::PassOn);  // HC_NOREMOVE
}

// The hook's decision under the user's chords: a changed chord acts and the default's keys reach
// the program, a chord turned off keeps its keys for the program, and a program on the no-chords
// list gets no chord at all.
TEST(HotkeyRules, TheUsersChordsDecide) {
    options::ChordOptions user;
    user.chords[options::ChordAction::CopyToSlot].modifiers = options::kCtrl | options::kShift;
    user.chords[options::ChordAction::PasteSlot].off = true;
    user.noChordPrograms = {"mstsc.exe"};
    const unsigned ctrl = options::kCtrl, ctrlShift = options::kCtrl | options::kShift,
                   ctrlAlt = options::kCtrl | options::kAlt;
    struct Row {
        unsigned key;
        unsigned held;
        const char* program;
        KeyDecision::Kind kind;
    };
    const Row rows[] = {
        {'1', ctrlShift, "C:\\Tools\\editor.exe", KeyDecision::CopyToSlot},
        {'1', ctrl, "C:\\Tools\\editor.exe", KeyDecision::PassOn},
        {'5', ctrlAlt, "", KeyDecision::PassOn},
        {'Q', ctrlAlt, "", KeyDecision::PasteQueueHead},
        {'1', ctrlShift, "C:\\Windows\\System32\\MSTSC.EXE", KeyDecision::PassOn},
        {'Q', ctrlAlt, "mstsc.exe", KeyDecision::PassOn},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << static_cast<char>(row.key) << " held " << row.held << " in " << row.program);
        EXPECT_EQ(hooklib::decideKey(user, {0, row.key, false, row.held, false}, row.program).kind, row.kind);
    }
    EXPECT_EQ(hooklib::decideKey(options::ChordOptions{}, {0, '5', false, ctrlAlt, false}).kind, KeyDecision::PasteSlot);
}

TEST(HotkeyRules, KeypadDigitsActAsMainDigitsOnlyWithCtrl) {
    const KeyDecision keypad7 = hooklib::decideKey(0, 103, false, true, false);
    EXPECT_EQ(keypad7.kind, KeyDecision::CopyToSlot);
    EXPECT_EQ(keypad7.slotKey, 55);
    EXPECT_EQ(hooklib::decideKey(0, 96, false, true, true).slotKey, 48);
    EXPECT_EQ(kindOf(103, false, false), KeyDecision::PassOn);
}

TEST(HotkeyRules, CtrlAltBackquoteOpensTheClipMenu) {
    EXPECT_EQ(kindOf(hooklib::kVkOem3, true, true), KeyDecision::OpenClipMenu);
    EXPECT_EQ(kindOf(hooklib::kVkOem3, true, false), KeyDecision::PassOn);
    EXPECT_EQ(kindOf(hooklib::kVkOem3, false, true), KeyDecision::PassOn);
    EXPECT_EQ(kindOf(hooklib::kVkOem3, true, true, true), KeyDecision::PassOn);
}

TEST(HotkeyRules, AltCShowsTheMainWindow) {
    EXPECT_EQ(kindOf('C', false, true), KeyDecision::ShowMainWindow);
    EXPECT_EQ(kindOf('C', true, true), KeyDecision::ShowMainWindow);
    EXPECT_EQ(kindOf('C', true, false), KeyDecision::PassOn);
    EXPECT_EQ(kindOf('C', false, true, true), KeyDecision::PassOn);
}

// AltGr is the right Alt with a left Ctrl that Windows adds: no key is a chord while it is down.
TEST(HotkeyRules, AltGrIsNeverAChord) {
    for (unsigned key : {unsigned{'Q'}, unsigned{'7'}, unsigned{'0'}, hooklib::kVkOem3, unsigned{'C'}, 103u}) {
        EXPECT_EQ(hooklib::decideKey(0, key, false, true, true, false, true).kind, KeyDecision::PassOn) << key;
        EXPECT_EQ(hooklib::decideKey(0, key, false, true, true, true, true).kind, KeyDecision::PassOn) << key;
    }
    EXPECT_EQ(hooklib::decideKey(0, 'Q', false, true, true, false, false).kind, KeyDecision::PasteQueueHead);
    EXPECT_EQ(hooklib::decideKey(0, '7', false, true, true, false, false).kind, KeyDecision::PasteSlot);
}

TEST(HotkeyRules, ChordsAndTheMozillaRule) {
    const auto plain = hooklib::copyChord(false);
    ASSERT_EQ(plain.size(), 5u);
    EXPECT_EQ(plain[0].virtualKey, 17);
    EXPECT_EQ(plain[1].virtualKey, 17);
    EXPECT_EQ(plain[2].virtualKey, 'C');
    EXPECT_TRUE(plain[3].release);
    EXPECT_EQ(plain[4].virtualKey, 17);
    EXPECT_TRUE(plain[4].release);
    EXPECT_EQ(hooklib::copyChord(true)[0].virtualKey, 'C');
    EXPECT_TRUE(hooklib::copyChord(true)[0].release);  // never a press: it would type over the selection
    const auto paste = hooklib::pasteChord();
    ASSERT_EQ(paste.size(), 4u);
    EXPECT_EQ(paste[1].virtualKey, 'V');
    EXPECT_TRUE(hooklib::isMozillaClass("MozillaWindowClass"));
    EXPECT_TRUE(hooklib::isMozillaClass("xMOZILLAx"));
    EXPECT_FALSE(hooklib::isMozillaClass("Edit"));
    for (const char* edit : {"Edit", "EDIT", "RichEdit20W", "RICHEDIT50W"})
        EXPECT_TRUE(hooklib::showsCaretWhenFocused(edit)) << edit;
    for (const char* other : {"ConsoleWindowClass", "SysListView32", "MozillaWindowClass", "TEdit2"})
        EXPECT_FALSE(hooklib::showsCaretWhenFocused(other)) << other;
}

TEST(HotkeyRules, HistoryIndexFromClipNames) {
    int index = -1;
    ASSERT_TRUE(hooklib::historyIndexFromName("his12-", index));
    EXPECT_EQ(index, 12);
    index = 7;
    EXPECT_FALSE(hooklib::historyIndexFromName("copy3", index));
    EXPECT_EQ(index, 7);
    ASSERT_TRUE(hooklib::historyIndexFromName("his999-", index));
    EXPECT_EQ(index, 999);
}

// A table of what a decision sees and what it must decide.
template <typename Watch, typename Step>
struct StepCase {
    const char* what;
    Watch watch;
    Step step;
};

template <typename Watch, typename Step, std::size_t N>
void expectSteps(const StepCase<Watch, Step> (&cases)[N], Step (*decide)(const Watch&)) {
    for (const StepCase<Watch, Step>& c : cases)
        EXPECT_EQ(decide(c.watch), c.step) << c.what;
}

// What follows the copy chord: the target's answer is stored; an answer that did not come is
// asked for again a few times, then the copy is given up (the slot stays as it was).
TEST(HotkeyRules, AfterTheCopyChord) {
    using hooklib::CopyStep;
    const StepCase<hooklib::CopyWatch, CopyStep> cases[] = {
        {"just sent", {0, false, false, 0, 1}, CopyStep::Wait},
        {"answered", {20, true, true, 5, 1}, CopyStep::Store},
        {"answered on the last chord", {20, true, true, 500, 3}, CopyStep::Store},
        {"keys handled a moment ago", {60, false, true, 149, 1}, CopyStep::Wait},
        {"keys handled, no answer", {200, false, true, 150, 1}, CopyStep::SendAgain},
        {"keys handled, no answer twice", {200, false, true, 150, 2}, CopyStep::SendAgain},
        {"keys handled, no answer three times", {200, false, true, 150, 3}, CopyStep::GiveUp},
        {"keys not watched, waiting", {999, false, false, 0, 1}, CopyStep::Wait},
        {"keys not watched, no answer", {1000, false, false, 0, 1}, CopyStep::SendAgain},
        {"keys not watched, no answer three times", {1000, false, false, 0, 3}, CopyStep::GiveUp},
    };
    expectSteps(cases, hooklib::afterCopyChord);
}

// The user's clipboard comes back only once the target has read the paste and is idle again, or
// at the bound; never over another program's copy.
TEST(HotkeyRules, AfterThePasteChord) {
    using hooklib::PasteStep;
    const StepCase<hooklib::PasteWatch, PasteStep> cases[] = {
        {"nothing asked yet", {100, 0, 0, true, false}, PasteStep::Wait},
        {"nothing asked for a long while", {4999, 0, 0, true, false}, PasteStep::Wait},
        {"nothing asked by the bound", {5000, 0, 0, false, false}, PasteStep::Restore},
        {"read a moment ago", {400, 2, 299, true, false}, PasteStep::Wait},
        {"read, quiet and idle", {400, 2, 300, true, false}, PasteStep::Restore},
        {"read, quiet but busy", {400, 1, 1000, false, false}, PasteStep::Wait},
        {"read late, quiet and idle", {1900, 1, 300, true, false}, PasteStep::Restore},
        {"busy until the bound", {5000, 1, 4000, false, false}, PasteStep::Restore},
        {"another program copied", {400, 1, 300, true, true}, PasteStep::LeaveAlone},
        {"another program copied before the bound", {6000, 0, 0, false, true}, PasteStep::LeaveAlone},
    };
    expectSteps(cases, hooklib::afterPasteChord);
    EXPECT_FALSE(hooklib::pasteReadQuiet({400, 0, 1000, true, false}));
    EXPECT_TRUE(hooklib::pasteReadQuiet({400, 1, 300, false, false}));
}

}  // namespace
