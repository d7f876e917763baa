// The options dialog in the real dravix.exe: "选项(&O)…" of the tray menu and of the 工具 menu open
// it by their access keys, one dialog at a time; a switch changed on 常规 acts once OK is pressed
// and outlives a restart; a chord the program cannot have is told at the start.
#include "DravixAppTest.h"
#include "WinTestSupport.h"
#include "base/ScopeExit.h"
#include "base/Text.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int kQueueOnCopyBox = 1106;

class OptionsTest : public DravixAppTest {
protected:
    void SetUp() override {
        DravixAppTest::SetUp();
        moveBesideTheTargets();
    }

    // The item's access key pressed in the menu that the program tracks in front.
    static bool chooseOptions(HWND menu) {
        if (!menu)
            return false;
        pressKeys({'O'});
        return true;
    }
    // Wine may take the first click on a freshly added icon for the window under the icon's place,
    // whose own menu opens instead: a person closes it and clicks again. The tray's menu is the
    // one the program says it made.
    bool openFromTray() {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const std::size_t mark = m_log.mark();
            const HWND menu = trayMenu();
            if (menu && m_log.has("tray menu item", mark))
                return chooseOptions(menu);
            pressKeys({VK_ESCAPE});
            pumpUntil([&] { return !visibleProcessMenu(m_app->processId()); }, 3s);
        }
        return false;
    }
    // A dialog that closed may leave no control of the window with the focus: a person clicks
    // into the list first.
    bool openFromToolsMenu() {
        if (!waitUntilTakesKeys(m_app->list(), 2s) && !clickIntoKeys(m_app->list()))
            return false;
        pressChord({VK_MENU}, 'T');
        return chooseOptions(waitForProcessMenu(m_app->processId()));
    }
    static std::string queue() { return storeValue(storeStatusPath(), "PasteQueue"); }
    std::string numberOf(const std::wstring& content) const {
        const std::vector<ListRow> rows = m_app->rows();
        const int row = rowOf(rows, content);
        return row < 0 ? "no row" : base::toUtf8(rows[static_cast<std::size_t>(row)].number);
    }
};

TEST_F(OptionsTest, TheTrayAndTheToolsMenuOpenOneDialog) {
    const struct {
        const char* way;
        std::function<bool()> open;
    } ways[] = {{"tray", [this] { return openFromTray(); }}, {"工具", [this] { return openFromToolsMenu(); }}};
    for (const auto& way : ways) {
        ASSERT_TRUE(bringToFront(m_app->mainWindow())) << way.way;
        ASSERT_TRUE(way.open()) << way.way;
        const HWND sheet = optionsSheet();
        ASSERT_TRUE(sheet) << way.way;
        // Asked again while it is open: the same dialog, no second one.
        PostMessageW(m_app->mainWindow(), WM_COMMAND, kOptionsCommand, 0);
        EXPECT_TRUE(expectNothingFor(600ms, [&] {
            return waitForProcessDialog(m_app->processId(), {m_app->mainWindow(), sheet}, 0ms) != nullptr;
        })) << way.way;
        pressKeys({VK_ESCAPE});
        EXPECT_TRUE(pumpUntil([&] { return !IsWindow(sheet); }, 5s)) << way.way;
    }
}

TEST_F(OptionsTest, ASwitchActsOnceOKIsPressedAndOutlivesARestart) {
    const base::ScopeExit off([] { RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", L"QueueOnCopy"); });
    record(L"before the switch");
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    ASSERT_TRUE(openFromToolsMenu());
    const HWND sheet = optionsSheet();
    ASSERT_TRUE(sheet);
    pressChord({VK_MENU}, 'Q');  // "复制时加入粘贴队列(&Q)"
    ASSERT_TRUE(pumpUntil([&] { return IsDlgButtonChecked(PropSheet_GetCurrentPageHwnd(sheet), kQueueOnCopyBox) == BST_CHECKED; }, 3s));
    const std::size_t mark = m_log.mark();
    pressKeys({VK_RETURN});
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(sheet) && m_log.has("options applied", mark); }, 5s));
    EXPECT_EQ(queue(), "");

    record(L"queued at once");
    EXPECT_TRUE(pumpUntil([&] { return queue() == numberOf(L"queued at once"); }, 5s)) << queue();
    start();
    record(L"queued after a restart");
    EXPECT_TRUE(pumpUntil([&] { return queue() == numberOf(L"queued after a restart"); }, 5s)) << queue();
}

// A chord another program registered with the system is named at the start.
TEST_F(OptionsTest, AChordAnotherProgramRegisteredIsToldAtTheStart) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x5A5B, MOD_ALT, 'C'));
    const base::ScopeExit unregister([] { UnregisterHotKey(nullptr, 0x5A5B); });
    const std::size_t mark = m_log.mark();
    start();
    const std::string told = "tray balloon: 这些快捷键现在无法使用：“显示主窗口”Alt+C（已被其他程序注册）。可以在“选项”的“快捷键”页中更改。";
    EXPECT_TRUE(pumpUntil([&] { return m_log.has(told, mark); }, 5s)) << m_log.lastLineWith("tray balloon");
}

}  // namespace
