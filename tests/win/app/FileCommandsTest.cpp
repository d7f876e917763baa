// Keeping clips beyond a run, with the real dravix.exe and real input: categories made in their
// dialog, archives saved and opened through the real file dialogs with typed paths, the help
// file and the homepage handed to the shell, and the intro shown once.
#include "DravixAppTest.h"
#include "store/Protocol.h"
#include "TestFiles.h"
#include "WinTestSupport.h"
#include "base/Handle.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

const std::wstring kRoot = L"我的剪贴板";
const std::wstring kRootChanged = L"我的剪贴板 *";

void postCommand(HWND window, int id) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

class FileCommandsTest : public DravixAppTest {
protected:
    HWND main() const { return m_app->mainWindow(); }
    HWND dialog() const { return waitForProcessDialog(m_app->processId(), main()); }
    // The file dialogs are the README's screenshots.
    void answerFileDialog(const std::wstring& path, bool replaces = false) {
        DravixAppTest::answerFileDialog(path, replaces, L"file-dialog");
    }
};

TEST_F(FileCommandsTest, CategoriesAreMadeRefusedStoredAndShown) {
    // The tree's own menu leads to the dialog.
    ASSERT_TRUE(bringToFront(main()));
    RECT tree = {};
    GetWindowRect(m_app->tree(), &tree);
    movePointer({tree.left + 40, tree.bottom - 30});
    sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
    sendMouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(pumpUntil([&] { return FindWindowW(L"#32768", nullptr) != nullptr; }, 5s));
    pressKeys({VK_DOWN});
    pressKeys({VK_RETURN});
    HWND named = dialog();
    ASSERT_TRUE(named);
    wchar_t title[64] = {};
    GetWindowTextW(named, title, 64);
    EXPECT_STREQ(title, L"Create New Categorie");
    bringToFront(named);
    typeText(L"A&B <x>");
    pressKeys({VK_RETURN});
    ASSERT_TRUE(pumpUntil([&] { return m_app->treeNodeCount() == 5; }, 5s));
    EXPECT_EQ(m_app->treeText(4), L"A&B <x>");
    EXPECT_NE(readBytes(storeIndexPath()).find("<AddNew>A&amp;B &lt;x&gt;</AddNew>"), std::string::npos);

    // Chinese with spaces at both ends, kept as typed.
    ASSERT_TRUE(nameCategory(L" 工作 "));
    ASSERT_TRUE(pumpUntil([&] { return m_app->treeNodeCount() == 6; }, 5s));
    EXPECT_EQ(m_app->treeText(5), L" 工作 ");
    EXPECT_NE(readBytes(storeIndexPath()).find("<AddNew> 工作 </AddNew>"), std::string::npos);

    // Taken names: the message, and the dialog stays.
    for (const wchar_t* taken : {L"InBox", L"HotKey", L" 工作 "}) {
        HWND again = nameCategory(taken);
        ASSERT_TRUE(again);
        HWND message = waitForProcessDialog(m_app->processId(), {again, main()});
        ASSERT_TRUE(message) << base::toUtf8(taken);
        wchar_t text[64] = {};
        GetDlgItemTextW(message, 0xFFFF, text, 64);
        EXPECT_STREQ(text, L"The name already exisit.");
        PostMessageW(message, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(pumpUntil([&] { return !IsWindow(message); }, 5s));
        EXPECT_TRUE(IsWindow(again));
        PostMessageW(again, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(pumpUntil([&] { return !IsWindow(again); }, 5s));
    }
    EXPECT_EQ(m_app->treeNodeCount(), 6);

    // The new category is offered in the list's menu; a clip moved there shows under its node.
    record(L"filed clip");
    m_app->selectRows({0});
    ASSERT_TRUE(bringToFront(main()));
    const RECT row = m_app->rowRect(0);
    movePointer({row.left + 30, (row.top + row.bottom) / 2});
    sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
    sendMouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(pumpUntil([&] { return FindWindowW(L"#32768", nullptr) != nullptr; }, 5s));
    for (WORD key : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN})
        pressKeys({key});
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.empty(); }));
    m_app->selectTreeNode(5);
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1 && rows[0].content == L"filed clip"; }));
}

TEST_F(FileCommandsTest, SaveSaveAsAndOpenThroughTheFileDialogs) {
    record(L"kept one");
    record(L"kept two");
    ASSERT_TRUE(nameCategory(L"Work"));
    ASSERT_TRUE(pumpUntil([&] { return m_app->treeNodeCount() == 5; }, 5s));
    EXPECT_EQ(m_app->treeText(0), kRootChanged);
    const std::string archive = m_dir.path("work.amc");
    const std::string folder = m_dir.path("work");

    // First save: the dialog.
    postCommand(main(), 32791);
    answerFileDialog(base::toWide(archive));
    ASSERT_TRUE(pumpUntil([&] { return fileExists(archive); }, 5s));
    EXPECT_EQ(readBytes(archive).rfind("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<UserInfo>\r\n", 0), 0u);
    EXPECT_NE(readBytes(archive).find("<AddNew>Work</AddNew>"), std::string::npos);
    EXPECT_TRUE(fileExists(folder + "\\his1-0"));
    EXPECT_TRUE(pumpUntil([&] { return m_app->treeText(0) == kRoot; }, 5s));

    // The next copy marks the store again; a second save writes without asking.
    record(L"kept three");
    EXPECT_TRUE(pumpUntil([&] { return m_app->treeText(0) == kRootChanged; }, 5s));
    postCommand(main(), 32791);
    EXPECT_TRUE(pumpUntil([&] { return readBytes(archive).find("his3-0") != std::string::npos; }, 5s));
    EXPECT_TRUE(expectNothingFor(800ms, [&] { return waitForProcessDialog(m_app->processId(), main(), 0ms) != nullptr; }));
    EXPECT_TRUE(pumpUntil([&] { return m_app->treeText(0) == kRoot; }, 5s));

    // Save as, in capitals.
    const std::string upper = m_dir.path("WORK2.AMC");
    postCommand(main(), 32795);
    answerFileDialog(base::toWide(upper));
    ASSERT_TRUE(pumpUntil([&] { return fileExists(upper); }, 5s));
    EXPECT_TRUE(fileExists(m_dir.path("WORK2") + "\\his3-0"));

    // More clips and another category, then the first archive opened: its rows and categories,
    // and nothing in the preview that the archive does not hold.
    record(L"not in the archive");
    ASSERT_TRUE(nameCategory(L"Later"));
    ASSERT_TRUE(pumpUntil([&] { return m_app->treeNodeCount() == 6; }, 5s));
    m_app->selectTreeNode(1);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 4; }));
    ASSERT_TRUE(bringToFront(main()));
    const RECT shown = m_app->rowRect(3);
    clickAt({shown.left + 30, (shown.top + shown.bottom) / 2});
    ASSERT_TRUE(pumpUntil([&] { return m_app->previewText() == L"not in the archive"; }, 5s));
    postCommand(main(), 32790);
    answerFileDialog(base::toWide(archive));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 3; }));
    EXPECT_EQ(m_app->previewText(), L"");
    EXPECT_EQ(m_app->rows()[2].content, L"kept three");
    EXPECT_TRUE(pumpUntil([&] { return m_app->treeNodeCount() == 5; }, 5s));
    EXPECT_EQ(m_app->treeText(4), L"Work");

    // A save that cannot be written says why and keeps the mark; the old archive stays whole.
    record(L"after opening");
    EXPECT_TRUE(pumpUntil([&] { return m_app->treeText(0) == kRootChanged; }, 5s));
    const std::string before = readBytes(upper);
    // The archive read-only: it may not be replaced.
    SetFileAttributesW(base::toWide(upper).c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string beforeData = readBytes(m_dir.path("WORK2") + "\\his3-0");
    postCommand(main(), 32795);
    answerFileDialog(base::toWide(upper), true);
    HWND failure = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
        failure = findProcessWindow(m_app->processId(), base::toWide(store::kMainWindowTitle), main());
        return failure != nullptr;
    }, 8s));
    wchar_t text[400] = {};
    GetDlgItemTextW(failure, 0xFFFF, text, 400);
    EXPECT_NE(std::wstring(text).find(L"原来的存档保持不变"), std::wstring::npos) << base::toUtf8(text);
    PostMessageW(failure, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(m_app->treeText(0), kRootChanged);
    SetFileAttributesW(base::toWide(upper).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readBytes(upper), before);
    EXPECT_EQ(readBytes(m_dir.path("WORK2") + "\\his3-0"), beforeData);
    EXPECT_FALSE(fileExists(m_dir.path("WORK2") + "\\his4-0"));

    // The refused file did not become the archive: a plain Save writes the one opened last.
    postCommand(main(), 32791);
    EXPECT_TRUE(pumpUntil([&] { return readBytes(archive).find("his4-0") != std::string::npos; }, 8s));
    EXPECT_TRUE(expectNothingFor(800ms, [&] { return waitForProcessDialog(m_app->processId(), main(), 0ms) != nullptr; }));
}

TEST_F(FileCommandsTest, HelpAndHomepageGoToTheShell) {
    const std::string help = base::toUtf8(binFolder()) + "\\help.chm";
    const std::string bytes = readBytes(help);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), "ITSF");
    for (const char* page : {"/index.html", "/slots.html", "/menu.html", "/archives.html", "/capture.html"})
        EXPECT_NE(bytes.find(page), std::string::npos) << page;

    // F1 wherever the focus is: in each control, and in none after a file dialog closed.
    record(L"a row to click");
    struct Focus {
        const char* name;
        std::function<void()> put;
    };
    const auto clickOn = [](HWND control) { clickAt(centreOf(control)); };
    const Focus places[] = {
        {"list", [&] { clickOn(m_app->list()); }},
        {"tree", [&] { clickOn(m_app->tree()); }},
        {"search box", [&] { clickOn(m_app->searchBox()); }},
        {"preview", [&] { clickOn(m_app->preview()); }},
        {"nothing, after a file dialog", [&] {
             postCommand(main(), 32795);
             HWND files = dialog();
             ASSERT_TRUE(files);
             PostMessageW(files, WM_COMMAND, IDCANCEL, 0);
             ASSERT_TRUE(pumpUntil([&] { return !IsWindow(files); }, 5s));
         }},
    };
    for (const Focus& place : places) {
        SCOPED_TRACE(place.name);
        ASSERT_TRUE(bringToFront(main()));
        place.put();
        ASSERT_TRUE(bringToFront(main()));
        const std::size_t mark = m_log.mark();
        pressKeys({VK_F1});
        EXPECT_TRUE(pumpUntil([&] { return m_log.has("shell open help.chm: ", mark); }, 8s));
        // Wine's own help viewer shows it; it is ended again here, every process of it (they
        // would keep the test's output open).
        EXPECT_TRUE(pumpUntil([&] { return FindWindowW(L"HH Parent", nullptr) != nullptr; }, 15s));
        if (&place == places)
            screenshot(L"help.png");
        endProcessesNamed(L"hh.exe");
    }
    postCommand(main(), 32800);
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("shell open https://dravix.example.com/: "); }, 8s));
}

// The intro from a program folder of its own: shown at the first start, its box ticked and
// closed, the file is gone and the next start shows nothing.
TEST(IntroTest, ShownOnceUntilItsBoxIsTicked) {
    ScratchDir dir;
    const std::wstring folder = base::toWide(dir.path("program"));
    for (const wchar_t* file : {L"dravix.exe", L"Latchkit.dll", L"Instro.dll"})
        ASSERT_TRUE(copyProgramFile(folder, file));
    const std::wstring title = L"\u201cTavenlow剪贴复制工具\u201dV4.7\u2014软件介绍";
    auto introOf = [&](DravixProcess& app) {
        HWND intro = nullptr;
        pumpUntil([&] { return (intro = findProcessWindow(app.processId(), title)) != nullptr && IsWindowVisible(intro); }, 15s);
        return intro;
    };
    {
        DravixProcess app(folder, true);
        HWND intro = introOf(app);
        ASSERT_TRUE(intro);
        wchar_t text[64] = {};
        GetDlgItemTextW(intro, 1014, text, 64);
        EXPECT_EQ(std::wstring(text).rfind(L"欢迎使用 Dravix", 0), 0u) << base::toUtf8(text);
        GetDlgItemTextW(intro, 1013, text, 64);
        EXPECT_STREQ(text, L"下次启动时不再显示");
        screenshot(L"intro.png");
        PostMessageW(intro, WM_CLOSE, 0, 0);  // unticked: the file stays
        ASSERT_TRUE(pumpUntil([&] { return !IsWindow(intro); }, 5s));
        EXPECT_TRUE(fileExists(base::toUtf8(folder + L"\\Instro.dll")));
    }
    {
        DravixProcess app(folder, true);
        HWND intro = introOf(app);
        ASSERT_TRUE(intro);
        SendMessageW(GetDlgItem(intro, 1013), BM_SETCHECK, BST_CHECKED, 0);
        PostMessageW(intro, WM_CLOSE, 0, 0);
        ASSERT_TRUE(pumpUntil([&] { return !IsWindow(intro); }, 5s));
        EXPECT_TRUE(pumpUntil([&] { return !fileExists(base::toUtf8(folder + L"\\Instro.dll")); }, 5s));
    }
    {
        DravixProcess app(folder, true);
        ASSERT_TRUE(app.waitForMainWindow());
        EXPECT_TRUE(expectNothingFor(1000ms, [&] { return findProcessWindow(app.processId(), title) != nullptr; }));
    }
}

}  // namespace
