// dravixc.exe's arguments: each command read into its request, anything else refused with a
// reason (exit code 2 with the usage); the standard input's text for `add` in its encodings.
#include "cli/Arguments.h"
#include "CommandFakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using cli::Invocation;
using namespace store::command;

namespace {

TEST(CliArguments, EachCommandBecomesItsRequest) {
    struct Case {
        std::vector<std::string> arguments;
        Request expected;
        std::string outFile;
        bool textFromInput;
    };
    Request listJson = commandRequest(Verb::List);
    listJson.json = true;
    listJson.limit = 20;
    Request html = commandRequest(Verb::Get, 12);
    html.format = DataFormat::Html;
    Request add = commandRequest(Verb::Add);
    add.text = "--不是选项";
    Request paste = commandRequest(Verb::Paste, 3);
    paste.transform = store::Transform::HalfWidth;
    Request slot = commandRequest(Verb::Slot, 45);
    slot.slot = 0;
    Request showSlot = commandRequest(Verb::Slot);
    showSlot.slot = 9;
    Request search = commandRequest(Verb::Search);
    search.text = "季度 报告";
    search.kind = RowKind::Text;
    search.source = "winword";
    search.limit = 5;
    const Case cases[] = {
        {{"list", "--limit", "20", "--json"}, listJson, "", false},
        {{"get", "--format=html", "12", "--out", "页.html"}, html, "页.html", false},
        {{"add", "--", "--不是选项"}, add, "", false},
        {{"add"}, commandRequest(Verb::Add), "", true},
        {{"paste", "3", "--as", "halfwidth"}, paste, "", false},
        {{"slot", "0", "45"}, slot, "", false},
        {{"slot", "9"}, showSlot, "", false},
        {{"search", "季度", "--type", "text", "报告", "--from=winword", "--limit", "5"}, search, "", false},
        {{"delete", "999"}, commandRequest(Verb::Delete, 999), "", false},
        {{"resume"}, commandRequest(Verb::Resume), "", false},
    };
    for (const Case& c : cases) {
        const Invocation invocation = cli::parseArguments(c.arguments);
        EXPECT_EQ(invocation.kind, Invocation::Kind::Command) << c.arguments[0] << ": " << invocation.problem;
        EXPECT_TRUE(invocation.request == c.expected) << c.arguments[0];
        EXPECT_EQ(invocation.outFile, c.outFile);
        EXPECT_EQ(invocation.textFromInput, c.textFromInput);
    }
}

TEST(CliArguments, HelpAndWhatIsNotACommandOfOurs) {
    for (const char* help : {"--help", "-h", "/?", "help"})
        EXPECT_EQ(cli::parseArguments({help}).kind, Invocation::Kind::Help) << help;
    EXPECT_EQ(cli::parseArguments({"get", "--help"}).kind, Invocation::Kind::Help);
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"lst"},
        {"list", "--limit"},
        {"list", "--limit", "0"},
        {"list", "--limit", "1000"},
        {"list", "3"},
        {"list", "--json", "--json"},
        {"list", "--json=yes"},
        {"get"},
        {"get", "0"},
        {"get", "-5"},
        {"get", "12", "--format", "pdf"},
        {"get", "12", "--out="},
        {"get", "12", "--as", "upper"},
        {"copy", "1", "2"},
        {"paste", "3", "--as", "shout"},
        {"slot", "10"},
        {"slot", "a", "3"},
        {"search"},
        {"search", "x", "--type", "sound"},
        {"pause", "now"},
        {"show", "--json"},
    };
    for (const std::vector<std::string>& arguments : bad) {
        const Invocation invocation = cli::parseArguments(arguments);
        EXPECT_EQ(invocation.kind, Invocation::Kind::Bad) << (arguments.empty() ? "" : arguments.back());
        EXPECT_NE(invocation.problem, "");
    }
}

TEST(CliArguments, TheUsageNamesEveryCommandAndTransform) {
    const std::string usage = cli::usageText();
    for (const char* command : {"list", "get", "add", "copy", "paste", "slot", "search", "delete", "pause", "resume", "show"})
        EXPECT_NE(usage.find(std::string("  ") + command), std::string::npos) << command;
    for (const store::TransformName& name : store::kTransformNames)
        EXPECT_NE(usage.find(name.id), std::string::npos) << name.id;
}

TEST(CliArguments, TheStandardInputsTextInItsEncoding) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"hello\r\n", "hello"},
        {"a\n\n", "a\n"},
        {"\xEF\xBB\xBF你好\n", "你好"},
        {std::string("\xFF\xFEh\0i\0\r\0\n\0", 10), "hi"},
        {std::string("ab\0cd", 5), "ab"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cli::textFromInput(c.bytes), c.text);
}

}  // namespace
