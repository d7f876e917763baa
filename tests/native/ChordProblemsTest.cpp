// The chords the user sets, checked before they are saved.
#include "options/ChordProblems.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using options::ChordAction;
using options::ChordSettings;
using options::kAlt;
using options::kCtrl;
using options::kShift;
using options::kWin;
using options::ProblemKind;

struct Expected {
    ChordAction action;
    ProblemKind kind;
    bool refused;
    const char* message;  // a part of the message
};

TEST(ChordProblems, EachProblemSaysWhichAndWhy) {
    const ChordSettings saved = options::defaultChords();
    options::KeyboardFacts facts;
    facts.registeredElsewhere = {{kCtrl | kAlt, 'K'}, {kCtrl | kShift, '5'}};
    facts.altGrCharacters = {{'7', "{"}, {'Q', "@"}};
    struct Case {
        ChordAction action;
        options::Chord chord;
        std::vector<Expected> expected;
    };
    const Case cases[] = {
        {ChordAction::PasteQueueHead, {kCtrl, 'V', false},
         {{ChordAction::PasteQueueHead, ProblemKind::EditingKey, true, "“粘贴队列的下一条”的快捷键 Ctrl+V：会占用常用的按键 Ctrl+V（粘贴）"}}},
        {ChordAction::ShowMainWindow, {kShift, 0x2D, false},
         {{ChordAction::ShowMainWindow, ProblemKind::NoModifier, true, "没有 Ctrl、Alt 或 Win"}}},
        {ChordAction::ClipMenuAtCaret, {kShift | kAlt, 0x73, false},  // Alt+F4 itself stays the window's
         {}},
        {ChordAction::ClipMenuAtCaret, {kAlt, 0x73, false},
         {{ChordAction::ClipMenuAtCaret, ProblemKind::EditingKey, true, "Alt+F4（关闭窗口）"}}},
        {ChordAction::CopyToSlot, {kWin, 0, false},
         {{ChordAction::CopyToSlot, ProblemKind::EditingKey, true, "Win+0（打开任务栏上的程序）"}}},
        {ChordAction::ShowMainWindow, {kCtrl | kAlt, 'K', false},
         {{ChordAction::ShowMainWindow, ProblemKind::RegisteredElsewhere, true, "Ctrl+Alt+K 已被其他程序注册为系统热键"}}},
        {ChordAction::CopyToSlot, {kCtrl | kShift, 0, false},
         {{ChordAction::CopyToSlot, ProblemKind::RegisteredElsewhere, true, "Ctrl+Shift+5 已被其他程序注册"}}},
        {ChordAction::ShowMainWindow, {kCtrl | kAlt, '3', false},
         {{ChordAction::ShowMainWindow, ProblemKind::TakenByOurs, true, "与“粘贴槽位”的快捷键相同"}}},
        {ChordAction::PasteSlot, {kAlt, 0, false},
         {}},
        {ChordAction::PasteQueueHead, {kAlt, 'C', false},
         {{ChordAction::PasteQueueHead, ProblemKind::TakenByOurs, true, "“粘贴队列的下一条”的快捷键 Alt+C：与“显示主窗口”"}}},
    };
    for (const Case& c : cases) {
        ChordSettings chords = saved;
        chords[c.action] = c.chord;
        const std::vector<options::ChordProblem> problems = options::chordProblems(chords, saved, facts);
        ASSERT_EQ(problems.size(), c.expected.size()) << options::chordText(c.action, c.chord);
        for (std::size_t i = 0; i < problems.size(); ++i) {
            EXPECT_EQ(problems[i].action, c.expected[i].action);
            EXPECT_EQ(problems[i].kind, c.expected[i].kind);
            EXPECT_EQ(problems[i].refused, c.expected[i].refused);
            EXPECT_NE(problems[i].message.find(c.expected[i].message), std::string::npos) << problems[i].message;
        }
    }
}

TEST(ChordProblems, KeptChordsAreNotAskedAboutAgainAndAltGrOnlyWarns) {
    options::KeyboardFacts facts;
    facts.registeredElsewhere = {{kCtrl | kAlt, 'Q'}};
    facts.altGrCharacters = {{'7', "{"}};
    EXPECT_TRUE(options::chordProblems(options::defaultChords(), options::defaultChords(), facts).empty());
    ChordSettings saved = options::defaultChords();
    saved[ChordAction::PasteSlot].off = true;  // turned on again: checked as a change
    const auto problems = options::chordProblems(options::defaultChords(), saved, facts);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, ProblemKind::AltGrCharacter);
    EXPECT_FALSE(problems[0].refused);
    EXPECT_NE(problems[0].message.find("在当前键盘布局中 AltGr+7 输入“{”"), std::string::npos) << problems[0].message;
}

TEST(ChordProblems, ChordsTurnedOffAreNotChecked) {
    ChordSettings chords = options::defaultChords();
    chords[ChordAction::PasteSlot].off = true;
    chords[ChordAction::CopyToSlot] = {kCtrl | kAlt, 0, false};  // the keys paste had
    chords[ChordAction::RepeatTransform].off = true;
    EXPECT_TRUE(options::chordProblems(chords, options::defaultChords(), {}).empty());
    EXPECT_EQ(options::combosToProbe(chords).size(), 10u + 3u);
}

// At a start every chord that is on is looked at, kept or not; what only warns is no news.
TEST(ChordProblems, AtAStartTheChordsThatCannotActAreNamedOnce) {
    ChordSettings twice = options::defaultChords();
    twice[ChordAction::ShowMainWindow] = {kCtrl | kAlt, 'Q', false};  // the queue's keys
    ChordSettings off = options::defaultChords();
    off[ChordAction::PasteQueueHead].off = true;
    struct Case {
        const char* name;
        ChordSettings chords;
        std::vector<options::KeyCombo> registered;
        std::vector<ChordAction> unavailable;
        std::string notice;  // a part of it; empty: no notice
    };
    const Case cases[] = {
        {"defaults", options::defaultChords(), {}, {}, ""},
        {"two digits of one chord registered", options::defaultChords(), {{kCtrl, '1'}, {kCtrl, '2'}},
         {ChordAction::CopyToSlot},
         "这些快捷键现在无法使用：“复制到槽位”Ctrl+数字（已被其他程序注册）。可以在“选项”的“快捷键”页中更改。"},
        {"ours twice", twice, {}, {ChordAction::ShowMainWindow}, "Ctrl+Alt+Q（与另一个快捷键相同）"},
        {"turned off", off, {{kCtrl | kAlt, 'Q'}}, {}, ""},
        {"more than are shown", options::defaultChords(),
         {{kCtrl, '1'}, {kCtrl | kAlt, '1'}, {kCtrl | kAlt, 'Q'}, {kAlt, 'C'}, {kCtrl | kAlt, 0xC0}},
         {ChordAction::CopyToSlot, ChordAction::PasteSlot, ChordAction::PasteQueueHead, ChordAction::ClipMenuAtCaret,
          ChordAction::ShowMainWindow},
         "；另有 2 个。"},
    };
    for (const Case& c : cases) {
        options::KeyboardFacts facts;
        facts.registeredElsewhere = c.registered;
        facts.altGrCharacters = {{'5', "["}};
        const std::vector<options::ChordProblem> problems = options::unavailableChords(c.chords, facts);
        std::vector<ChordAction> actions;
        for (const options::ChordProblem& problem : problems)
            if (std::find(actions.begin(), actions.end(), problem.action) == actions.end())
                actions.push_back(problem.action);
        EXPECT_EQ(actions, c.unavailable) << c.name;
        const std::string notice = options::unavailableChordsNotice(c.chords, problems);
        if (c.notice.empty())
            EXPECT_EQ(notice, "") << c.name;
        else
            EXPECT_NE(notice.find(c.notice), std::string::npos) << c.name << ": " << notice;
    }
}

}  // namespace
