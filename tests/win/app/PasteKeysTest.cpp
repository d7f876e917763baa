// The keys each program pastes with, with the real dravix.exe and real input: a terminal that
// pastes on Shift+Insert alone (Ctrl+V does nothing there) gets a slot paste, a clip menu paste
// and a list paste once each; a plain edit still gets Ctrl+V; the user's own rules come first.
#include "DravixAppTest.h"
#include "store/Protocol.h"
#include "WinTestSupport.h"
#include "fw/Settings.h"
#include "base/Text.h"

#include <gtest/gtest.h>

namespace {

class PasteKeysTest : public DravixAppTest {
protected:
    void SetUp() override {
        DravixAppTest::SetUp();
        moveBesideTheTargets();
    }

    // The target's edit emptied and the target in front, for the next paste.
    static void emptyAndFocus(const Target& target) {
        SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        ASSERT_TRUE(target.focus());
    }

    // `text` arrives in the target, and once only (one notification of the paste too).
    void expectPastedOnce(const Target& target, const std::wstring& text, std::size_t mark) {
        EXPECT_TRUE(pumpUntil([&] { return target.text() == text; }, 8s)) << "pasted: " << base::toUtf8(target.text());
        EXPECT_TRUE(pumpUntil([&] { return m_log.has("notify 1027", mark); }, 5s));
        EXPECT_TRUE(expectNothingFor(300ms, [&] { return target.text() != text; })) << base::toUtf8(target.text());
    }

    // The first item of the clip menu (the last row) chosen in the target.
    void pasteFromClipMenu(const Target& target) {
        ctrlRightClick(centreOf(target.window()));
        ASSERT_TRUE(waitForProcessMenu(target.processId()));
        pressKeys({VK_DOWN, VK_RETURN});
    }

    // The row showing `content` double-clicked in the list: a paste into the window used last.
    void pasteFromList(const std::wstring& content) {
        ASSERT_TRUE(bringToFront(m_app->mainWindow()));
        const int row = rowOf(m_app->rows(), content);
        ASSERT_GE(row, 0);
        m_app->selectRows({row});
        const RECT rect = m_app->rowRect(row);
        clickAt({rect.left + 30, (rect.top + rect.bottom) / 2}, true);
    }

    UserKeyCleared m_rules{store::kPasteKeysKey};  // before the program starts, and after the test
};

TEST_F(PasteKeysTest, ATerminalGetsEveryPasteOnceAndAnEditStillGetsCtrlV) {
    Target terminal(L"Terminal target", L"slot text", L"PuTTY", L"", 0, PasteKeys::ShiftInsertOnly);
    ASSERT_TRUE(terminal.setTextAndSelectAll(L"slot text"));
    typeChord({VK_CONTROL}, '5', 30);
    ASSERT_TRUE(pumpUntil([] { return storedClipText("copy5") == L"slot text"; }, 8s));
    record(L"menu text");

    emptyAndFocus(terminal);
    std::size_t mark = m_log.mark();
    typeChord({VK_CONTROL, VK_MENU}, '5', 30);
    expectPastedOnce(terminal, L"slot text", mark);

    emptyAndFocus(terminal);
    mark = m_log.mark();
    pasteFromClipMenu(terminal);
    expectPastedOnce(terminal, L"menu text", mark);

    emptyAndFocus(terminal);
    mark = m_log.mark();
    pasteFromList(L"slot text");
    expectPastedOnce(terminal, L"slot text", mark);

    // A plain edit: Ctrl+V, no Insert.
    const std::string keys = m_dir.path("edit-keys.log");
    Target edit(L"Plain edit target", L"", L"DravixEditTarget", base::toWide(keys));
    emptyAndFocus(edit);
    mark = m_log.mark();
    typeChord({VK_CONTROL, VK_MENU}, '5', 30);
    expectPastedOnce(edit, L"slot text", mark);
    EXPECT_NE(readBytes(keys).find("down 86"), std::string::npos) << readBytes(keys);
    EXPECT_EQ(readBytes(keys).find("down 45"), std::string::npos) << readBytes(keys);
}

// A class of the user's own gets Shift+Insert, and the user's rule for a class the built-in
// rules know (PuTTY) overrides them.
TEST_F(PasteKeysTest, TheUsersRulesComeBeforeTheBuiltInOnes) {
    ASSERT_TRUE(fw::WriteUserString(store::kPasteKeysKey, L"DravixTestTerminal", L"Shift+Insert"));
    ASSERT_TRUE(fw::WriteUserString(store::kPasteKeysKey, L"PuTTY", L"Ctrl+V"));
    record(L"rule text");

    Target terminal(L"Rule terminal", L"", L"DravixTestTerminal", L"", 0, PasteKeys::ShiftInsertOnly);
    emptyAndFocus(terminal);
    std::size_t mark = m_log.mark();
    pasteFromClipMenu(terminal);
    expectPastedOnce(terminal, L"rule text", mark);

    const std::string keys = m_dir.path("putty-keys.log");
    Target putty(L"Rule putty", L"", L"PuTTY", base::toWide(keys));
    emptyAndFocus(putty);
    mark = m_log.mark();
    pasteFromClipMenu(putty);
    expectPastedOnce(putty, L"rule text", mark);
    EXPECT_NE(readBytes(keys).find("down 86"), std::string::npos) << readBytes(keys);
    EXPECT_EQ(readBytes(keys).find("down 45"), std::string::npos) << readBytes(keys);
}

}  // namespace
