// The running program's answers to the command line, against a fake of its actions: each command
// reaches the one action it names with its arguments, rows come newest first as lines or JSON,
// and what is not there or failed says so in the exit status.
#include "app/CommandRules.h"
#include "app/JsonText.h"
#include "CommandFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace store::command;
using app::CommandOutcome;
using app::CommandRow;

namespace {

using Result = CommandOutcome::Result;

TEST(CommandRules, EachCommandCallsItsActionOnceWithItsArguments) {
    struct Case {
        Request request;
        Result result;
        Status status;
        std::vector<std::string> calls;
        std::string output;
    };
    Request paste = commandRequest(Verb::Paste, 3);
    paste.transform = store::Transform::OneLine;
    paste.targetWindow = 4242;
    Request setSlot = commandRequest(Verb::Slot, 7);
    setSlot.slot = 2;
    Request showSlot = commandRequest(Verb::Slot);
    showSlot.slot = 5;
    Request emptySlot = commandRequest(Verb::Slot);
    emptySlot.slot = 6;
    Request add = commandRequest(Verb::Add);
    add.text = "第一行\n第二行";
    Request bitmap = commandRequest(Verb::Get, 3);
    bitmap.format = DataFormat::Bitmap;
    const Case cases[] = {
        {commandRequest(Verb::Copy, 3), Result::Done, Status::Done, {"copy 3"}, ""},
        {commandRequest(Verb::Copy, 4), Result::NotFound, Status::NothingMatched, {"copy 4"}, ""},
        {commandRequest(Verb::Delete, 7), Result::Failed, Status::Failed, {"delete 7"}, ""},
        {paste, Result::Done, Status::Done, {"paste 3 oneline 4242"}, ""},
        {commandRequest(Verb::Paste, 9), Result::Done, Status::Done, {"paste 9 whole 0"}, ""},
        {setSlot, Result::Done, Status::Done, {"set slot 2 7"}, ""},
        {showSlot, Result::Done, Status::Done, {"slot 5"}, "5\t2026-12-08 08:00:00\ttext\t\t槽\n"},
        {emptySlot, Result::Done, Status::NothingMatched, {"slot 6"}, ""},
        {add, Result::Done, Status::Done, {"add 8 crlf"}, "13\n"},
        {add, Result::Failed, Status::Failed, {"add 8 crlf"}, ""},
        {bitmap, Result::Done, Status::Done, {"data 3 2"}, "季度报告"},
        {commandRequest(Verb::Get, 4), Result::Done, Status::NothingMatched, {"data 4 0"}, ""},
        {commandRequest(Verb::Pause), Result::Done, Status::Done, {"pause"}, ""},
        {commandRequest(Verb::Resume), Result::Done, Status::Done, {"resume"}, ""},
        {commandRequest(Verb::Show), Result::Done, Status::Done, {"show"}, ""},
        {commandRequest(Verb::Get, 0), Result::Done, Status::BadArguments, {}, ""},
    };
    for (const Case& c : cases) {
        FakeCommandActions actions;
        actions.result = c.result;
        const Answer answer = app::answerCommand(c.request, actions);
        EXPECT_EQ(answer.status, c.status) << c.calls.size() << " " << answer.message;
        EXPECT_EQ(actions.calls, c.calls);
        EXPECT_EQ(answer.output, c.output);
        EXPECT_EQ(answer.message.empty(), c.status == Status::Done) << answer.message;
    }
}

TEST(CommandRules, RowsComeNewestFirstAsLinesOrJson) {
    FakeCommandActions actions;
    Request list = commandRequest(Verb::List);
    EXPECT_EQ(app::answerCommand(list, actions).output,
              "12\t2026-12-08 11:30:00\tpicture\t\tpicture:size 640*480\n"
              "7\t2026-12-08 10:15:00\ttext\tnotepad.exe\ttab here \"quoted\" \x01 \n"
              "3\t2026-12-08 09:00:00\ttext\tWINWORD.EXE\t季度报告 Draft\n");
    list.json = true;
    list.limit = 2;
    EXPECT_EQ(app::answerCommand(list, actions).output,
              "[\n{\"number\":12,\"time\":\"2026-12-08 11:30:00\",\"type\":\"picture\",\"source\":\"\",\"text\":\"picture:size 640*480\"},\n"
              "{\"number\":7,\"time\":\"2026-12-08 10:15:00\",\"type\":\"text\",\"source\":\"C:\\\\Tools\\\\notepad.exe\","
              "\"text\":\"tab\\there \\\"quoted\\\" \\u0001 \"}\n]\n");
    // A long first line is cut between characters, with a mark.
    actions.rows = {{1, "t", RowKind::Text, "", std::u16string(app::kFirstLineUnits - 1, u'a') + u"😀z"}};
    EXPECT_EQ(app::answerCommand(commandRequest(Verb::List), actions).output,
              "1\tt\ttext\t\t" + std::string(app::kFirstLineUnits - 1, 'a') + "…\n");
    actions.rows.clear();
    EXPECT_EQ(app::answerCommand(list, actions).output, "[]\n");
}

TEST(CommandRules, ASearchKeepsRowsWithEveryWordOfTheKindAndProgramAsked) {
    struct Case {
        const char* words;
        std::optional<RowKind> kind;
        const char* source;
        std::vector<int> numbers;
    };
    const Case cases[] = {
        {"报告", std::nullopt, "", {3}},
        {"draft 季度", std::nullopt, "", {3}},
        {"draft nowhere", std::nullopt, "", {}},
        {"e", RowKind::Text, "", {7, 3}},
        {"", RowKind::Picture, "", {12}},
        {"", std::nullopt, "winword", {3}},
        {"", std::nullopt, "office", {}},  // the program's file name, not its folder
    };
    for (const Case& c : cases) {
        FakeCommandActions actions;
        Request search = commandRequest(Verb::Search);
        search.text = c.words;
        search.kind = c.kind;
        search.source = c.source;
        std::vector<int> numbers;
        for (const CommandRow& row : app::searchRows(actions.rows, search))
            numbers.push_back(row.number);
        std::sort(numbers.rbegin(), numbers.rend());
        EXPECT_EQ(numbers, c.numbers) << c.words << "|" << c.source;
        const Answer answer = app::answerCommand(search, actions);
        EXPECT_EQ(answer.status, c.numbers.empty() ? Status::NothingMatched : Status::Done) << c.words;
    }
}

TEST(CommandRules, JsonStringsEscapeWhatJsonAndJavaScriptNeed) {
    EXPECT_EQ(app::jsonString("a\"b\\c\n\r\t\x01\x1f é你😀"), "\"a\\\"b\\\\c\\n\\r\\t\\u0001\\u001f é你😀\"");
    EXPECT_EQ(app::jsonString("\u2028\u2029/"), "\"\\u2028\\u2029/\"");
    EXPECT_EQ(app::jsonString("bad \xFF byte"), "\"bad ? byte\"");
    EXPECT_EQ(app::jsonString(""), "\"\"");
}

}  // namespace
