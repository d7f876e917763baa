// The user's chords: their text both ways, and which key makes which chord under them.
#include "options/ChordDecision.h"

#include <gtest/gtest.h>

namespace {

using options::Chord;
using options::ChordAction;
using options::ChordOptions;
using options::kAlt;
using options::kCtrl;
using options::kShift;
using options::kWin;

TEST(ChordSettings, TheDefaultsReadAsTheUserSeesThem) {
    const std::pair<ChordAction, const char*> cases[] = {
        {ChordAction::CopyToSlot, "Ctrl+数字"},
        {ChordAction::PasteSlot, "Ctrl+Alt+数字"},
        {ChordAction::RepeatTransform, "Ctrl+Alt+Shift+数字"},
        {ChordAction::PasteQueueHead, "Ctrl+Alt+Q"},
        {ChordAction::ClipMenuAtCaret, "Ctrl+Alt+`"},
        {ChordAction::ShowMainWindow, "Alt+C"},
        {ChordAction::ClipMenuAtPointer, "Ctrl+右键单击"},
    };
    for (const auto& [action, text] : cases) {
        const Chord chord = options::defaultChords()[action];
        EXPECT_EQ(options::chordSetting(action, chord), text);
        EXPECT_EQ(options::parseChordSetting(action, text), chord) << text;
        EXPECT_EQ(options::actionOfSettingName(options::actionSettingName(action)), action);
    }
}

TEST(ChordSettings, StoredTextsAreReadStrictlyAndAWrongOneIsTheDefault) {
    struct Case {
        ChordAction action;
        const char* text;
        std::optional<Chord> chord;
    };
    const Case cases[] = {
        {ChordAction::CopyToSlot, " ctrl + SHIFT+数字 ", Chord{kCtrl | kShift, 0, false}},
        {ChordAction::CopyToSlot, "关闭:Alt+Shift+数字", Chord{kAlt | kShift, 0, true}},
        {ChordAction::PasteSlot, "Control+Win+数字", Chord{kCtrl | kWin, 0, false}},
        {ChordAction::PasteQueueHead, "Ctrl+Shift+F12", Chord{kCtrl | kShift, 0x7B, false}},
        {ChordAction::ShowMainWindow, "Alt+Insert", Chord{kAlt, 0x2D, false}},
        {ChordAction::ClipMenuAtCaret, "Ctrl+Alt+Num5", Chord{kCtrl | kAlt, 0x65, false}},
        {ChordAction::ClipMenuAtPointer, "Alt+右键单击", Chord{kAlt, 0, false}},
        {ChordAction::ClipMenuAtPointer, "关闭:Ctrl+右键单击", Chord{kCtrl, 0, true}},
        {ChordAction::CopyToSlot, "Ctrl+1", std::nullopt},           // the digits are fixed
        {ChordAction::PasteQueueHead, "Ctrl+数字", std::nullopt},     // not a slot action
        {ChordAction::PasteQueueHead, "Ctrl+Ctrl+Q", std::nullopt},
        {ChordAction::PasteQueueHead, "Ctrl+Hyper+Q", std::nullopt},
        {ChordAction::PasteQueueHead, "Ctrl+F25", std::nullopt},
        {ChordAction::PasteQueueHead, "Ctrl+F05", std::nullopt},
        {ChordAction::PasteQueueHead, "Ctrl+", std::nullopt},
        {ChordAction::PasteQueueHead, "", std::nullopt},
        {ChordAction::ClipMenuAtPointer, "Ctrl+Alt+右键单击", std::nullopt},  // one modifier
        {ChordAction::ClipMenuAtPointer, "Win+右键单击", std::nullopt},
        {ChordAction::ClipMenuAtPointer, "右键单击", std::nullopt},
        {ChordAction::ShowMainWindow, "关闭", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(options::parseChordSetting(c.action, c.text), c.chord) << c.text;
        const Chord read = options::chordFromSetting(c.action, std::string(c.text));
        EXPECT_EQ(read, c.chord.value_or(options::defaultChords()[c.action])) << c.text;
        if (c.chord) {
            EXPECT_EQ(options::parseChordSetting(c.action, options::chordSetting(c.action, *c.chord)), c.chord);
        }
    }
    EXPECT_EQ(options::chordFromSetting(ChordAction::PasteSlot, std::nullopt), options::defaultChords()[ChordAction::PasteSlot]);
}

TEST(ChordSettings, KeyNamesBothWays) {
    for (unsigned key = 0; key < 256; ++key) {
        const std::string name = options::keyName(key);
        if (!name.empty()) {
            EXPECT_EQ(options::keyFromName(name), key) << name;
        }
    }
    EXPECT_EQ(options::keyFromName("ins"), 0x2Du);
    EXPECT_EQ(options::keyFromName("DEL"), 0x2Eu);
    EXPECT_EQ(options::keyName(0x10), "");  // a modifier is never a chord's key
    EXPECT_EQ(options::keyFromName("Shift"), std::nullopt);
}

options::KeyPress press(unsigned key, unsigned held, bool rightAlt = false) {
    return {0, key, false, held, rightAlt};
}

TEST(ChordSettings, WhichKeyMakesWhichChord) {
    ChordOptions moved;
    moved.chords[ChordAction::CopyToSlot] = {kCtrl | kShift, 0, false};
    moved.chords[ChordAction::PasteSlot].off = true;
    moved.chords[ChordAction::ClipMenuAtCaret] = {kCtrl | kWin, 'M', false};
    moved.noChordPrograms = {"mstsc.exe"};
    const ChordOptions defaults;
    struct Case {
        const ChordOptions* options;
        options::KeyPress press;
        const char* program;
        std::optional<ChordAction> action;
        int slotKey;
    };
    const Case cases[] = {
        {&defaults, press('1', kCtrl | kShift), "", ChordAction::CopyToSlot, '1'},    // Shift beyond the chord
        {&defaults, press('7', kCtrl | kAlt | kShift), "", ChordAction::RepeatTransform, '7'},
        {&defaults, press('7', kCtrl | kAlt | kWin), "", std::nullopt, 0},            // Win held: the shell's
        {&defaults, press(0x61, kCtrl), "", ChordAction::CopyToSlot, '1'},             // the keypad's 1
        {&moved, press('1', kCtrl), "", std::nullopt, 0},                              // Ctrl+1 reaches the program
        {&moved, press('1', kCtrl | kShift), "", ChordAction::CopyToSlot, '1'},
        {&moved, press('1', kCtrl | kAlt), "", std::nullopt, 0},   // paste is off: its keys stay the program's
        {&moved, press('1', kCtrl | kAlt | kShift), "", ChordAction::RepeatTransform, '1'},
        {&moved, press('M', kCtrl | kWin), "", ChordAction::ClipMenuAtCaret, 0},
        {&moved, press('M', kCtrl), "", std::nullopt, 0},
        {&moved, press('Q', kCtrl | kAlt), "C:\\Windows\\System32\\MSTSC.EXE", std::nullopt, 0},
        {&moved, press('Q', kCtrl | kAlt), "C:\\Windows\\notepad.exe", ChordAction::PasteQueueHead, 0},
        {&moved, press('Q', kCtrl | kAlt, true), "", std::nullopt, 0},  // AltGr
    };
    for (const Case& c : cases) {
        const options::ChordMatch match = options::matchKey(*c.options, c.press, c.program);
        EXPECT_EQ(match.action, c.action) << c.press.virtualKey << " held " << c.press.held << " in " << c.program;
        EXPECT_EQ(match.slotKey, c.slotKey) << c.press.virtualKey;
    }
}

TEST(ChordSettings, TheClipMenuAtThePointer) {
    ChordOptions alt;
    alt.chords[ChordAction::ClipMenuAtPointer] = {kAlt, 0, false};
    alt.noChordPrograms = {"game.exe"};
    ChordOptions off;
    off.chords[ChordAction::ClipMenuAtPointer].off = true;
    const ChordOptions defaults;
    EXPECT_TRUE(options::opensPointerMenu(defaults, kCtrl));
    EXPECT_TRUE(options::opensPointerMenu(defaults, kCtrl | kShift));
    EXPECT_FALSE(options::opensPointerMenu(defaults, kCtrl | kWin));
    EXPECT_FALSE(options::opensPointerMenu(defaults, kAlt));
    EXPECT_FALSE(options::opensPointerMenu(off, kCtrl));
    EXPECT_TRUE(options::opensPointerMenu(alt, kAlt, "D:\\tools\\edit.exe"));
    EXPECT_FALSE(options::opensPointerMenu(alt, kCtrl));
    EXPECT_FALSE(options::opensPointerMenu(alt, kAlt, "D:\\games\\GAME.exe"));
}

TEST(ChordSettings, ProgramNamesAsTheListKeepsThem) {
    EXPECT_EQ(options::noChordProgramName("  C:\\Program Files\\Game\\game.exe "), "game.exe");
    EXPECT_EQ(options::noChordProgramName("远程桌面.exe"), "远程桌面.exe");
    EXPECT_EQ(options::noChordProgramName("C:\\folder\\"), std::nullopt);
    EXPECT_EQ(options::noChordProgramName(std::string(128, 'a')), std::nullopt);
    EXPECT_EQ(options::noChordProgramName("bad\xff.exe"), std::nullopt);
}

}  // namespace
