// What careful programs mark private stays out of the history, and the search box finds rows as
// the user types; both with the real dravix.exe, real clipboard contents and real keys.
#include "DravixAppTest.h"
#include "WinTestSupport.h"
#include "base/Text.h"

#include <commctrl.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

const std::wstring kRoot = L"我的剪贴板";

HGLOBAL dword(DWORD value) {
    return globalFrom(&value, sizeof value);
}

HGLOBAL unicode(const std::wstring& text) {
    return globalFrom(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// Whether any file of the store's data folder holds `text` (as stored: UTF-16), sealed files opened.
bool storeFilesHold(const std::wstring& text) {
    const std::string needle(reinterpret_cast<const char*>(text.c_str()), text.size() * sizeof(wchar_t));
    const fs::path folder = fs::u8path(storeDataFile("x")).parent_path();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file() && readStoredBytes(entry.path().u8string()).find(needle) != std::string::npos)
            return true;
    return false;
}

bool rowsHold(const std::vector<ListRow>& rows, const std::wstring& text) {
    for (const ListRow& row : rows)
        if (row.content == text)
            return true;
    return false;
}

using SearchAndPrivacyTest = DravixAppTest;

TEST_F(SearchAndPrivacyTest, MarkedClipboardsAreNotRecordedAndUnmarkedOnesAre) {
    struct Mark {
        const wchar_t* format;
        DWORD value;
    };
    const Mark privateMarks[] = {
        {L"ExcludeClipboardContentFromMonitorProcessing", 0},
        {L"Clipboard Viewer Ignore", 0},
        {L"CanIncludeInClipboardHistory", 0},
    };
    for (const Mark& mark : privateMarks) {
        const std::wstring secret = std::wstring(L"secret under ") + mark.format;
        const std::size_t before = m_log.mark();
        ASSERT_TRUE(putClipboard({{CF_UNICODETEXT, unicode(secret)}, {RegisterClipboardFormatW(mark.format), dword(mark.value)}}));
        ASSERT_TRUE(pumpUntil([&] { return m_log.has("private clipboard not recorded", before); }, 8s)) << m_log.text();
        EXPECT_TRUE(m_app->rows().empty()) << base::toUtf8(secret);
        EXPECT_FALSE(storeFilesHold(secret)) << base::toUtf8(secret);
        for (const auto& element : storeElements(storeIndexPath()))
            EXPECT_NE(element.first.rfind("his", 0), 0u) << element.first;
        EXPECT_EQ(m_app->treeText(0), kRoot) << "no unsaved change";
    }
    // Allowed into the history, or not marked at all: recorded as always.
    ASSERT_TRUE(putClipboard({{CF_UNICODETEXT, unicode(L"history allowed")},
                              {RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), dword(1)}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rowsHold(rows, L"history allowed"); }));
    record(L"secret under nothing");
    EXPECT_TRUE(storeFilesHold(L"secret under nothing"));
    EXPECT_EQ(m_app->rows().size(), 2u);
}

TEST_F(SearchAndPrivacyTest, TheSearchBoxFiltersAsTheUserTypesAndEscShowsEverything) {
    for (const wchar_t* text : {L"Hello World", L"hello again", L"多重剪贴板：复制的文字", L"Other text"})
        record(text);
    const std::wstring hint = m_app->statusText();
    ASSERT_FALSE(hint.empty());
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    RECT area = {};
    GetWindowRect(m_app->list(), &area);
    movePointer({(area.left + area.right) / 2, (area.top + area.bottom) / 2});
    typeChord({VK_CONTROL}, 'F', 60);
    ASSERT_TRUE(waitUntilTakesKeys(m_app->searchBox(), 3s));

    auto shows = [&](std::vector<std::wstring> wanted, const std::wstring& status) {
        return m_app->waitForRows([&](const auto& rows) {
            std::vector<std::wstring> contents;
            for (const ListRow& row : rows)
                contents.push_back(row.content);
            return contents == wanted && m_app->statusText() == status;
        }, 5s);
    };
    typeText(L"HELLO");
    EXPECT_TRUE(shows({L"Hello World", L"hello again"}, L"2 / 4"));
    screenshot(L"search-box.png");
    for (int i = 0; i < 5; ++i)
        sendKeys({{VK_BACK, false}, {VK_BACK, true}});
    typeText(L"剪贴");
    EXPECT_TRUE(shows({L"多重剪贴板：复制的文字"}, L"1 / 4"));

    // Copies made meanwhile: shown only when they hold the text, counted either way.
    putClipboardText(L"not about it");
    EXPECT_TRUE(shows({L"多重剪贴板：复制的文字"}, L"1 / 5"));
    putClipboardText(L"剪贴 again");
    EXPECT_TRUE(shows({L"多重剪贴板：复制的文字", L"剪贴 again"}, L"2 / 6"));

    sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
    EXPECT_TRUE(shows({L"Hello World", L"hello again", L"多重剪贴板：复制的文字", L"Other text", L"not about it",
                       L"剪贴 again"},
                      hint));
    EXPECT_EQ(SendMessageW(m_app->searchBox(), WM_GETTEXTLENGTH, 0, 0), 0);
}

// The list finds rows by their text as a list does: letters typed in it move the selection to the
// next row that begins with them, and another program's LVM_FINDITEM finds a row by its text.
TEST_F(SearchAndPrivacyTest, TheListFindsRowsByTheirText) {
    for (const wchar_t* text : {L"apple", L"banana", L"apricot", L"Blueberry"})
        record(text);
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    const RECT first = m_app->rowRect(0);
    clickAt({first.left + 30, (first.top + first.bottom) / 2});
    const auto selected = [&] { return static_cast<int>(SendMessageW(m_app->list(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); };
    ASSERT_TRUE(pumpUntil([&] { return selected() == 0; }, 5s));
    typeText(L"b");
    EXPECT_TRUE(pumpUntil([&] { return selected() == 1; }, 5s));
    letTimePass(1500ms);  // the list starts a new search after a pause in typing
    typeText(L"ap");
    EXPECT_TRUE(pumpUntil([&] { return selected() == 2; }, 5s)) << selected();
    EXPECT_EQ(m_app->findRow(L"blue", true), 3);
    EXPECT_EQ(m_app->findRow(L"banana", false), 1);
    EXPECT_EQ(m_app->findRow(L"cherry", true), -1);
}

}  // namespace
