// Where each clip came from, and programs whose copies are never kept, with the real dravix.exe:
// each row's record names the program that copied it; "不记录此程序的复制" on a row keeps that
// program's later copies out (another program's are recorded); the list outlives a restart, is
// shown by File > "排除的程序(&E)…" (the options dialog's 隐私 page), and a program taken off it is
// recorded again.
#include "store/ClipNames.h"
#include "DravixAppTest.h"
#include "store/NumberText.h"
#include "store/Protocol.h"
#include "store/Text.h"
#include "WinTestSupport.h"
#include "base/Text.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

constexpr UINT kExcludedProgramsCommand = 32807;
constexpr int kExcludedList = 1150;  // on the options dialog's 隐私 page
constexpr int kRemoveButton = 1154;

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && store::asciiLower(text.substr(text.size() - end.size())) == end;
}

class SourcesTest : public DravixAppTest {
protected:
    void SetUp() override {
        DravixAppTest::SetUp();
        moveBesideTheTargets();
    }

    bool hasRow(const std::wstring& content) const { return rowOf(m_app->rows(), content) >= 0; }
    // The program the record of a row names.
    std::string sourceOf(const std::wstring& content) const {
        const int row = rowOf(m_app->rows(), content);
        if (row < 0)
            return "row missing";
        const std::string clip = store::clipNameFromNumberText(base::toUtf8(m_app->rows()[static_cast<std::size_t>(row)].number));
        return storeValue(storeIndexPath(), store::sourceElementName(clip));
    }
    // File > "排除的程序(&E)…": the options dialog on its 隐私 page, the list's rows (path, time)
    // read. The dialog, or null.
    HWND openExcludedPrograms(std::vector<std::pair<std::wstring, std::wstring>>& shown) {
        PostMessageW(m_app->mainWindow(), WM_COMMAND, kExcludedProgramsCommand, 0);
        HWND dialog = waitForProcessDialog(m_app->processId(), m_app->mainWindow());
        if (!dialog)
            return nullptr;
        HWND list = GetDlgItem(page(dialog), kExcludedList);
        const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row)
            shown.emplace_back(m_app->itemText(list, row, 0), m_app->itemText(list, row, 1));
        return dialog;
    }
    static HWND page(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }
    void expectClosedBy(HWND dialog, WORD key) {
        ASSERT_TRUE(bringToFront(dialog));
        pressKeys({key});
        EXPECT_TRUE(pumpUntil([&] { return !IsWindow(dialog); }, 5s)) << "key " << key;
    }

    UserKeyCleared m_excluded{store::kExcludedProgramsKey};  // before the program starts, and after the test
};

TEST_F(SourcesTest, RowsKnowTheirProgramAndAnExcludedProgramsCopiesAreNotKept) {
    {
        ClipSource source(L"burst \"from source\" 3 150");
        ASSERT_TRUE(source.ready());
        ASSERT_TRUE(m_app->waitForRows([&](const auto&) {
            return hasRow(L"from source 0") && hasRow(L"from source 1") && hasRow(L"from source 2");
        }));
    }
    for (const wchar_t* text : {L"from source 0", L"from source 1", L"from source 2"})
        EXPECT_TRUE(endsWith(sourceOf(text), "\\clip_source.exe")) << sourceOf(text);
    std::string program = sourceOf(L"from source 1");

    // The row's menu, its item chosen by its letter, asks once.
    const int row = rowOf(m_app->rows(), L"from source 1");
    m_app->selectRows({row});
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    const RECT rect = m_app->rowRect(row);
    SetCursorPos(rect.left + 30, (rect.top + rect.bottom) / 2);
    sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
    sendMouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(waitForProcessMenu(m_app->processId()));
    pressKeys({'N'});
    HWND question = nullptr;
    const std::wstring title = base::toWide(store::kMainWindowTitle);
    ASSERT_TRUE(pumpUntil([&] { return (question = findProcessWindow(m_app->processId(), title, m_app->mainWindow())) != nullptr; }, 5s));
    wchar_t text[128] = {};
    GetDlgItemTextW(question, 0xFFFF, text, 128);
    EXPECT_STREQ(text, L"以后不再记录 clip_source.exe 的复制？");
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(question); }, 5s));

    // Three more copies of that program, then one of another: only the other one is a row.
    const std::size_t mark = m_log.mark();
    {
        ClipSource source(L"burst \"kept out\" 3 150");
        ASSERT_TRUE(source.ready());
        EXPECT_TRUE(pumpUntil([&] { return m_log.has("copy of an excluded program not recorded", mark); }, 8s));
    }
    record(L"from another program");
    EXPECT_FALSE(endsWith(sourceOf(L"from another program"), "\\clip_source.exe"));
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 4; })) << m_app->rows().size();
    for (const ListRow& shown : m_app->rows())
        EXPECT_EQ(shown.content.rfind(L"kept out", 0), std::wstring::npos) << base::toUtf8(shown.content);
    for (const auto& element : storeElements(storeIndexPath()))
        EXPECT_EQ(element.second.find("kept out"), std::string::npos) << element.first;

    // The dialog lists it (Esc closes it); after a restart too (Enter closes it).
    std::vector<std::pair<std::wstring, std::wstring>> shown;
    HWND dialog = openExcludedPrograms(shown);
    ASSERT_TRUE(dialog);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(base::toUtf8(shown[0].first), program);
    EXPECT_EQ(shown[0].second.size(), 19u) << base::toUtf8(shown[0].second);  // "2026-12-08 14:03:22"
    expectClosedBy(dialog, VK_ESCAPE);

    start();
    shown.clear();
    dialog = openExcludedPrograms(shown);
    ASSERT_TRUE(dialog);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(base::toUtf8(shown[0].first), program);
    // "删除" takes the selected program (the first, selected as the page opens) off; Enter (OK)
    // closes; its copies are recorded again.
    const HWND list = GetDlgItem(page(dialog), kExcludedList);
    ASSERT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    PostMessageW(page(dialog), WM_COMMAND, MAKEWPARAM(kRemoveButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page(dialog), kRemoveButton)));
    ASSERT_TRUE(pumpUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 0; }, 5s));
    expectClosedBy(dialog, VK_RETURN);
    {
        ClipSource source(L"burst \"recorded again\" 1 0");
        ASSERT_TRUE(source.ready());
        EXPECT_TRUE(m_app->waitForRows([&](const auto&) { return hasRow(L"recorded again 0"); }));
    }
    EXPECT_TRUE(endsWith(sourceOf(L"recorded again 0"), "\\clip_source.exe"));
}

}  // namespace
