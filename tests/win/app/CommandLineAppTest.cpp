// The command line (dravixc.exe) against the real running dravix.exe, and "粘贴为" from the list's
// menu into a real target: rows listed as JSON, a clip written to a file byte for byte, a row
// added and deleted, each exit code, requests too large or malformed refused with the program
// going on, a paste transformed and its transform repeated by the slot chord, and the program
// started by `show` alone.
#include "DravixAppTest.h"
#include "cli/DravixcRun.h"
#include "store/CommandProtocol.h"
#include "store/Protocol.h"
#include "WinTestSupport.h"
#include "base/ScopeExit.h"
#include "base/Text.h"
#include "fw/Window.h"

#include <gtest/gtest.h>

#include <random>

namespace {

class CommandLineAppTest : public DravixAppTest {
protected:
    Ended dravixc(const std::wstring& arguments) { return runDravixc(m_dir, arguments); }
    bool rowShown(const std::wstring& content) {
        return m_app->waitForRows([&](const std::vector<ListRow>& rows) {
            return std::any_of(rows.begin(), rows.end(), [&](const ListRow& row) { return row.content == content; });
        });
    }
};

TEST_F(CommandLineAppTest, ListGetAddSearchDeleteAndTheirExitCodes) {
    record(L"第一条 first");
    record(L"second line\r\nmore");

    Ended run = dravixc(L"list --json");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.output.rfind("[\n{\"number\":2,", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("\"text\":\"second line\"}"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\"text\":\"第一条 first\"}"), std::string::npos) << run.output;
    run = dravixc(L"list --limit 1");
    EXPECT_EQ(run.output.rfind("2\t", 0), 0u) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;

    const std::string file = m_dir.path("第二条.txt");
    run = dravixc(L"get 2 --out \"" + base::toWide(file) + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(readBytes(file), "second line\r\nmore");

    run = dravixc(L"add \"加上的 text\"");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.output, "3\n");
    EXPECT_TRUE(rowShown(L"加上的 text"));
    run = dravixc(L"search 加上 --type text");
    EXPECT_EQ(run.output.rfind("3\t", 0), 0u) << run.output;

    const std::pair<const wchar_t*, DWORD> cases[] = {
        {L"get 9", 1}, {L"delete 9", 1}, {L"search 没有这个词", 1}, {L"get 0", 2}, {L"list --limit", 2}, {L"delete 3", 0},
    };
    for (const auto& [arguments, exitCode] : cases)
        EXPECT_EQ(dravixc(arguments).exitCode, exitCode) << base::toUtf8(arguments);
    EXPECT_TRUE(m_app->waitForRows([](const std::vector<ListRow>& rows) { return rows.size() == 2; }));
}

// Sent as dravixc sends, from a window of ours: a request one byte over the bound is refused
// before it is read, random bytes as malformed, and 100 MB never taken (Wine's server refuses to
// carry a message that large, Windows carries it and the program refuses it as too large); the
// program answers the next command.
TEST_F(CommandLineAppTest, OversizedAndMalformedRequestsAreRefusedAndTheProgramGoesOn) {
    using store::command::Receipt;
    HWND sender = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const base::ScopeExit destroy([&] { DestroyWindow(sender); });
    const auto send = [&](const std::string& bytes) {
        return fw::SendCopyData(m_app->mainWindow(), sender, store::command::kRequestTag, bytes, 20000);
    };
    std::string noise(4096, '\0');
    std::mt19937 random(44);
    for (char& byte : noise)
        byte = static_cast<char>(random());
    EXPECT_EQ(send(std::string(store::command::kMaxRequestBytes + 1, 'x')), static_cast<LRESULT>(Receipt::TooLarge));
    EXPECT_EQ(send(noise), static_cast<LRESULT>(Receipt::Malformed));
    EXPECT_EQ(send(std::string(100u << 20, 'x')).value_or(static_cast<LRESULT>(Receipt::TooLarge)),
              static_cast<LRESULT>(Receipt::TooLarge));
    record(L"still here");
    const Ended run = dravixc(L"list");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_NE(run.output.find("still here"), std::string::npos) << run.output;
}

// Each item of "粘贴为", from the list's menu and from the clip menu in the target, pastes the
// transformed text into the target once; the row keeps the original.
TEST_F(CommandLineAppTest, PasteAsFromEitherMenuPastesTheTransformedTextOnce) {
    moveBesideTheTargets();
    const std::wstring original = L"  Mixed Wörld ＡＢＣ１２３  ";
    ASSERT_TRUE(putClipboardText(original));
    ASSERT_TRUE(m_app->waitForRows([](const std::vector<ListRow>& rows) { return rows.size() == 1; }));
    const std::wstring shown = m_app->rows()[0].content;
    Target target(L"Paste as target", L"");
    const std::pair<WORD, std::wstring> cases[] = {
        {'P', original},
        {'U', L"  MIXED WÖRLD ＡＢＣ１２３  "},
        {'W', L"Mixed Wörld ＡＢＣ１２３"},
        {'H', L"  Mixed Wörld ABC123  "},
    };
    for (const bool listMenu : {true, false})
        for (const auto& [key, wanted] : cases) {
            SCOPED_TRACE(testing::Message() << (listMenu ? "list menu " : "clip menu ") << static_cast<char>(key));
            SetWindowTextW(target.edit(), L"");
            ASSERT_TRUE(target.focus());
            if (listMenu) {
                ASSERT_TRUE(rowMenu({0}));
                pressKeys({'A', key});  // "粘贴为(&A)", then the transform's key
            } else {
                ctrlRightClick(centreOf(target.window()));
                ASSERT_TRUE(waitForProcessMenu(target.processId()));
                pressKeys({'A', VK_RIGHT, key});  // "粘贴为(&A)", its one clip, the transform
            }
            EXPECT_TRUE(pumpUntil([&] { return target.text() == wanted; }, 8s)) << base::toUtf8(target.text());
            EXPECT_TRUE(expectNothingFor(300ms, [&] { return target.text() != wanted; })) << "pasted twice";
            EXPECT_TRUE(pumpUntil([&] { return storeValue(storeStatusPath(), "SysClip").empty(); }, 5s));
            ASSERT_EQ(m_app->rows().size(), 1u);  // the paste made no row
            EXPECT_EQ(m_app->rows()[0].content, shown);
        }
    EXPECT_EQ(storedClipText("his1-"), original);
}

// `paste --as` into the window in front; the chord Ctrl+Alt+Shift+digit then pastes that slot
// with the same transform.
TEST_F(CommandLineAppTest, PasteAsFromTheCommandLineAndTheSlotChordRepeatsIt) {
    record(L"quiet words");
    Target target(L"Command paste target", L"");
    ASSERT_TRUE(target.focus());
    Ended run = dravixc(L"paste 1 --as upper");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_TRUE(pumpUntil([&] { return target.text() == L"QUIET WORDS"; }, 8s)) << base::toUtf8(target.text());

    EXPECT_EQ(dravixc(L"slot 2 1").exitCode, 0u);
    run = dravixc(L"slot 2");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_NE(run.output.find("quiet words"), std::string::npos) << run.output;
    ASSERT_TRUE(pumpUntil([&] { return storeValue(storeStatusPath(), "SysClip").empty(); }, 5s));
    SetWindowTextW(target.edit(), L"");
    ASSERT_TRUE(target.focus());
    typeChord({VK_CONTROL, VK_MENU, VK_SHIFT}, '2', 60);
    EXPECT_TRUE(pumpUntil([&] { return target.text() == L"QUIET WORDS"; }, 8s)) << base::toUtf8(target.text());
}

class CommandLineWithoutProgramTest : public DravixAppTest {
protected:
    CommandLineWithoutProgramTest() : DravixAppTest(Start::ByTheTest) {}
};

// Every command but `show` answers 3 while the program is not running; `show` starts it.
TEST_F(CommandLineWithoutProgramTest, OnlyShowStartsTheProgram) {
    const base::ScopeExit end([] { endProcessesNamed(L"dravix.exe"); });
    Ended run = runDravixc(m_dir, L"list");
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_NE(run.errors.find("没有运行"), std::string::npos) << run.errors;
    EXPECT_FALSE(fw::FindTopLevelWindow(base::toWide(store::kMainWindowTitle), store::kMainListId));
    run = runDravixc(m_dir, L"show");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_TRUE(fw::FindTopLevelWindow(base::toWide(store::kMainWindowTitle), store::kMainListId));
}

}  // namespace
