// The paste queue with the real dravix.exe, real targets and a person's keys: rows queued from
// the list's menu or by every copy, pasted one after another with Ctrl+Alt+Q (with Shift the text
// alone), seen under their node and in the tray's tooltip, and taken out again.
#include "DravixAppTest.h"
#include "store/Protocol.h"
#include "WinTestSupport.h"
#include "base/ScopeExit.h"
#include "base/Text.h"

#include <gtest/gtest.h>

namespace {

class PasteQueueTest : public DravixAppTest {
protected:
    void SetUp() override {
        DravixAppTest::SetUp();
        moveBesideTheTargets();
    }

    static std::string queue() { return storeValue(storeStatusPath(), "PasteQueue"); }

    // Ctrl+Alt+Q (with Shift when asked) typed in the target: `wanted` lands once, and the main
    // window hears of the paste of `number`.
    void pasteHead(Target& target, const std::wstring& wanted, const std::wstring& number, bool shift = false) {
        ASSERT_TRUE(target.focus());
        const std::size_t mark = m_log.mark();
        std::vector<WORD> modifiers = {VK_CONTROL, VK_MENU};
        if (shift)
            modifiers.push_back(VK_SHIFT);
        typeChord(modifiers, 'Q', 60);
        EXPECT_TRUE(pumpUntil([&] { return target.text() == wanted; }, 8s)) << base::toUtf8(target.text());
        EXPECT_TRUE(pumpUntil([&] { return m_log.has("notify 1027 " + base::toUtf8(number) + " posted", mark); }, 5s));
        EXPECT_TRUE(expectNothingFor(300ms, [&] { return target.text() != wanted; })) << "pasted twice";
        EXPECT_TRUE(pumpUntil([&] { return storeValue(storeStatusPath(), "SysClip").empty(); }, 5s));
    }

    std::vector<std::wstring> numbersShown() const {
        std::vector<std::wstring> numbers;
        for (const ListRow& row : m_app->rows())
            numbers.push_back(row.number);
        return numbers;
    }
};

std::string joined(const std::vector<std::wstring>& numbers) {
    std::string text;
    for (const std::wstring& number : numbers)
        text += (text.empty() ? "" : " ") + base::toUtf8(number);
    return text;
}

// Three rows queued from the list's menu (top to bottom), shown under the queue's node in that
// order and counted in the tooltip; three presses paste them once each in order, each taken from
// the queue; a fourth pastes nothing.
TEST_F(PasteQueueTest, RowsQueuedFromTheMenuPasteInOrderOnceEach) {
    for (const wchar_t* text : {L"queued one", L"queued two", L"queued three"})
        record(text);
    const std::vector<ListRow> rows = m_app->rows();
    ASSERT_EQ(rows.size(), 3u);
    std::vector<std::wstring> numbers;
    for (const ListRow& row : rows)
        numbers.push_back(row.number);

    const std::size_t mark = m_log.mark();
    ASSERT_TRUE(rowMenu({0, 1, 2}));
    pressKeys({'Q'});  // "加入粘贴队列(&Q)"
    ASSERT_TRUE(pumpUntil([&] { return queue() == joined(numbers); }, 5s)) << queue();
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("队列：3", mark); }, 5s));
    m_app->selectTreeNode(3);
    EXPECT_EQ(m_app->treeText(3), L"粘贴队列");
    EXPECT_TRUE(m_app->waitForRows([&](const auto&) { return numbersShown() == numbers; })) << joined(numbersShown());
    screenshot(L"paste-queue.png");

    Target target(L"Queue target", L"");
    std::wstring pasted;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        pasted += rows[i].content;
        pasteHead(target, pasted, numbers[i]);
        const std::vector<std::wstring> rest(numbers.begin() + static_cast<std::ptrdiff_t>(i) + 1, numbers.end());
        EXPECT_TRUE(pumpUntil([&] { return queue() == joined(rest); }, 5s)) << queue();
        EXPECT_TRUE(m_app->waitForRows([&](const auto&) { return numbersShown() == rest; })) << joined(numbersShown());
    }
    EXPECT_NE(m_log.lastLineWith("tray tooltip:").find("上次记录"), std::string::npos);
    EXPECT_EQ(m_log.lastLineWith("tray tooltip:").find("队列"), std::string::npos);

    const std::size_t empty = m_log.mark();
    ASSERT_TRUE(target.focus());
    typeChord({VK_CONTROL, VK_MENU}, 'Q', 60);
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("paste queue empty: nothing pasted", empty); }, 5s));
    EXPECT_TRUE(expectNothingFor(600ms, [&] { return target.text() != pasted || m_log.has("notify 1027", empty); }));
}

// With "复制时加入粘贴队列" on every copy joins the queue: three presses in another target paste
// them in copy order, the Shift press the text alone. Then the queue's own menu takes a row out
// and empties it, and a clip deleted from the history leaves it.
TEST_F(PasteQueueTest, CopiesJoinTheQueueAndItsMenuAndDeletionTakeThemOut) {
    // Read at a start (the options dialog changes it at once: OptionsTest).
    setUserSwitch(L"QueueOnCopy", true);
    const base::ScopeExit off([] { RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", L"QueueOnCopy"); });
    start();
    moveBesideTheTargets();
    record(L"copy one");
    const std::string rtf = "{\\rtf1 rich words}";
    ASSERT_TRUE(putClipboard({{CF_UNICODETEXT, globalFrom(L"plain words", sizeof(L"plain words"))},
                              {RegisterClipboardFormatW(L"Rich Text Format"), globalFrom(rtf.c_str(), rtf.size() + 1)}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 2; }));
    record(L"copy three");
    ASSERT_TRUE(pumpUntil([&] { return queue() == "1 2 3"; }, 5s)) << queue();

    Target target(L"Queue on copy target", L"");
    pasteHead(target, L"copy one", L"1");
    pasteHead(target, L"copy oneplain words", L"2", true);
    pasteHead(target, L"copy oneplain wordscopy three", L"3");
    EXPECT_EQ(queue(), "");

    for (const wchar_t* text : {L"again one", L"again two", L"again three"})
        record(text);
    ASSERT_TRUE(pumpUntil([&] { return queue() == "4 5 6"; }, 5s)) << queue();
    m_app->selectTreeNode(3);
    ASSERT_TRUE(m_app->waitForRows([&](const auto&) { return numbersShown() == std::vector<std::wstring>{L"4", L"5", L"6"}; }));
    ASSERT_TRUE(rowMenu({1}));
    pressKeys({VK_DOWN, VK_RETURN});  // "从队列中移除"
    EXPECT_TRUE(pumpUntil([&] { return queue() == "4 6"; }, 5s)) << queue();
    EXPECT_TRUE(m_app->waitForRows([&](const auto&) { return numbersShown() == std::vector<std::wstring>{L"4", L"6"}; }));

    // Deleted from the history: gone from the queue, and the tooltip counts what is left.
    m_app->selectTreeNode(1);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 6; }));
    m_app->selectRows({5});
    const std::size_t mark = m_log.mark();
    PostMessageW(m_app->list(), WM_KEYDOWN, VK_DELETE, 0);
    HWND question = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
        return (question = findProcessWindow(m_app->processId(), base::toWide(store::kMainWindowTitle), m_app->mainWindow())) != nullptr;
    }, 5s));
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(pumpUntil([&] { return queue() == "4"; }, 5s)) << queue();
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("队列：1", mark); }, 5s));

    m_app->selectTreeNode(3);
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1; }));
    ASSERT_TRUE(rowMenu({0}));
    pressKeys({VK_DOWN, VK_DOWN, VK_RETURN});  // "清空队列"
    EXPECT_TRUE(pumpUntil([&] { return queue().empty(); }, 5s)) << queue();
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.empty(); }));
    EXPECT_EQ(m_log.lastLineWith("tray tooltip:").find("队列"), std::string::npos);
}

}  // namespace
