// Find anything with the real dravix.exe: filters typed into the search box, or picked from the
// menu beside it, narrow the rows together with words, the status line says what is on, Esc
// steps back one filter or word at a time, and a pattern that does not compile says so; a clip
// of a run kept at an earlier start is found with "在以前的记录中查找" and brought back.
#include "DravixAppTest.h"
#include "WinTestSupport.h"
#include "store/ArchivePaths.h"
#include "store/ClipFormats.h"
#include "store/ClipSnapshot.h"
#include "store/FileSystem.h"
#include "store/Protocol.h"
#include "store/RunNames.h"
#include "store/StorePaths.h"
#include "store/SysClipBoard.h"
#include "store/TimeStamp.h"
#include "base/Text.h"
#include "fw/Settings.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kSearchBox = 1003;
constexpr int kEarlierBox = 1351;
constexpr int kSaveAs = 32795;  // res/resource.h
const std::wstring kFiles = L"File:Path\"C:\\data\\report.txt\"";

std::vector<std::wstring> contentsOf(const std::vector<ListRow>& rows) {
    std::vector<std::wstring> contents;
    for (const ListRow& row : rows)
        contents.push_back(row.content);
    return contents;
}

class FindAnythingTest : public DravixAppTest {
protected:
    // A click into the box, as a user starts a search.
    void focusSearchBox() { ASSERT_TRUE(clickIntoKeys(m_app->searchBox())); }
    // Typed into the box; done when the box holds it, every key taken up before the next is sent.
    void typeSearch(const std::wstring& text) {
        const std::wstring before = m_app->searchText();
        typeText(text);
        ASSERT_TRUE(pumpUntil([&] { return m_app->searchText() == before + text; }, 5s)) << base::toUtf8(m_app->searchText());
    }
    // The history saved with Save As (the real file dialog) as `name` in the new folder `folder`
    // of the scratch folder, until the program remembers that folder as the last archive's.
    std::string saveAsIn(const char* folder, const std::string& name) {
        const std::string path = m_dir.path(folder);
        EXPECT_TRUE(CreateDirectoryW(base::toWide(path).c_str(), nullptr));
        PostMessageW(m_app->mainWindow(), WM_COMMAND, kSaveAs, 0);
        answerFileDialog(path + "\\" + name);
        EXPECT_TRUE(pumpUntil([&] { return lastArchiveFolder() == path; }, 8s)) << lastArchiveFolder();
        return path;
    }
    // The folder of the last archive saved or opened, as the program remembers it once it is done.
    static std::string lastArchiveFolder() {
        for (const auto& [name, value] : fw::ReadUserStrings(store::kSettingsKey))
            if (name == store::kLastArchiveFolderSetting)
                return base::toUtf8(value);
        return std::string();
    }
    // Waits until the list shows exactly `contents` and the status line passes `status`.
    bool shows(const std::vector<std::wstring>& contents, const std::function<bool(const std::wstring&)>& status) {
        return m_app->waitForRows([&](const auto& rows) { return contentsOf(rows) == contents && status(m_app->statusText()); },
                                  5s);
    }
};

std::function<bool(const std::wstring&)> is(const std::wstring& wanted) {
    return [wanted](const std::wstring& status) { return status == wanted; };
}

void press(WORD key) {
    sendKeys({{key, false}, {key, true}});
}

TEST_F(FindAnythingTest, FiltersAndWordsNarrowTheRowsAndEscStepsBack) {
    for (const wchar_t* text : {L"report alpha", L"report beta", L"other note"})
        record(text);
    const std::string drop = dropFilesBlock(std::wstring(L"C:\\data\\report.txt") + L'\0');
    ASSERT_TRUE(putClipboard({{CF_HDROP, globalFrom(drop.data(), drop.size())}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 4; }));
    const std::wstring hint = m_app->statusText();
    const std::vector<std::wstring> all = contentsOf(m_app->rows());
    focusSearchBox();

    // The box's colour at its right end, inside its frame: light red while it cannot be searched.
    const HWND box = GetDlgItem(m_app->mainWindow(), kSearchBox);
    const auto boxShowsFault = [&] {
        RECT area;
        GetWindowRect(box, &area);
        const HDC screen = GetDC(nullptr);
        const COLORREF colour = GetPixel(screen, area.right - 4, (area.top + area.bottom) / 2);
        ReleaseDC(nullptr, screen);
        return colour == RGB(255, 214, 214);
    };
    // Each step: keys typed (or Esc), then the rows and the status line they leave.
    const struct {
        const wchar_t* typed;  // null: Esc
        std::vector<std::wstring> rows;
        std::function<bool(const std::wstring&)> status;
    } steps[] = {
        {L"类型:文本 report", {L"report alpha", L"report beta"}, is(L"2 / 4\u3000筛选：类型：文本")},
        {nullptr, {L"report alpha", L"report beta", L"other note"}, is(L"3 / 4\u3000筛选：类型：文本")},
        {nullptr, all, is(hint)},
        {L"type:files", {kFiles}, is(L"1 / 4\u3000筛选：类型：文件")},
        {L" 日期:昨天", {}, is(L"0 / 4\u3000筛选：类型：文件，日期：昨天")},
        {nullptr, {kFiles}, is(L"1 / 4\u3000筛选：类型：文件")},
        {nullptr, all, is(hint)},
        {L"re:(report", {}, [](const std::wstring& status) { return status.rfind(L"模式有误", 0) == 0; }},
        {nullptr, all, is(hint)},
    };
    for (const auto& step : steps) {
        if (step.typed)
            typeText(step.typed);
        else
            press(VK_ESCAPE);
        EXPECT_TRUE(shows(step.rows, step.status)) << (step.typed ? base::toUtf8(step.typed) : "Esc") << ": "
                                                   << base::toUtf8(m_app->statusText());
        const bool fault = m_app->statusText().rfind(L"模式有误", 0) == 0;
        EXPECT_TRUE(pumpUntil([&] { return boxShowsFault() == fault; }, 5s)) << (step.typed ? base::toUtf8(step.typed) : "Esc");
    }

    // Picked from the menu beside the box, by its access keys: 筛选 > 类型 > 文件.
    typeText(L"report");
    ASSERT_TRUE(shows({L"report alpha", L"report beta", kFiles}, is(L"3 / 4")));
    typeChord({VK_MENU}, 'L', 60);
    ASSERT_TRUE(waitForProcessMenu(m_app->processId()));
    pressKeys({'T', 'F'});
    EXPECT_TRUE(shows({kFiles}, is(L"1 / 4\u3000筛选：类型：文件")));
    screenshot(L"find-filters.png");
}

// Every place the words matched is marked in the preview: the first selected, the others on the
// highlighter's colour, and nothing else.
TEST_F(FindAnythingTest, EveryMatchIsMarkedInThePreview) {
    const std::wstring text = L"note one, note two, note three";
    record(text);
    focusSearchBox();
    typeSearch(L"note");
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 1; }));
    ASSERT_TRUE(previewShows(0, text));
    // Some pixel of the top of the character's cell on the marks' colour.
    const auto marked = [&](std::size_t at) {
        const LRESULT position = SendMessageW(m_app->preview(), EM_POSFROMCHAR, at, 0);
        POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        ClientToScreen(m_app->preview(), &point);
        const HDC screen = GetDC(nullptr);
        bool found = false;
        for (int across = 1; across < 10 && !found; ++across)
            found = GetPixel(screen, point.x + across, point.y + 1) == RGB(255, 226, 80);
        ReleaseDC(nullptr, screen);
        return found;
    };
    EXPECT_TRUE(pumpUntil([&] { return marked(10) && marked(20); }, 5s));
    EXPECT_FALSE(marked(5));  // "one"
}

// The clip of a run kept at the last start is found among the runs kept (with the run's date),
// and Enter brings it back as a new row of the history and onto the clipboard; the row's menu
// offers its run (opened as 打开 opens an archive) and the paste, nothing that would change the
// store through it.
TEST_F(FindAnythingTest, AClipOfAKeptRunIsFoundAndBroughtBack) {
    const std::wstring kept = L"kept needle 4711 " + std::to_wstring(GetTickCount());
    record(kept);
    record(L"copied after it");  // what the clipboard holds at the next start
    start();                     // the run before is kept, with its index
    focusSearchBox();
    typeChord({VK_CONTROL, VK_SHIFT}, 'F', 60);
    ASSERT_TRUE(pumpUntil([&] { return IsDlgButtonChecked(m_app->mainWindow(), kEarlierBox) == BST_CHECKED; }, 3s));
    // Its row says the run's date and its number there. A filter alone searches the runs too.
    const auto fromRun = [&](const ListRow& row) {
        return row.content == kept && row.number.rfind(L"20", 0) == 0 && row.number.find(L" #1") != std::wstring::npos;
    };
    typeSearch(L"类型:文本 ");
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) { return std::count_if(rows.begin(), rows.end(), fromRun) == 1; }))
        << base::toUtf8(m_app->statusText());
    // Two letters search the kept runs only when asked with Enter.
    typeSearch(L"ne");
    EXPECT_TRUE(pumpUntil([&] { return m_app->statusText().find(L"以前的记录：输入至少 3 个字母或 2 个汉字，或按 Enter 查找") != std::wstring::npos; }, 5s))
        << base::toUtf8(m_app->statusText());
    press(VK_RETURN);
    EXPECT_TRUE(m_app->waitForRows([&](const auto& rows) { return std::count_if(rows.begin(), rows.end(), fromRun) == 1; }))
        << base::toUtf8(m_app->statusText());
    pressKeys({VK_BACK, VK_BACK});
    ASSERT_TRUE(pumpUntil([&] { return m_app->searchText() == L"类型:文本 "; }, 5s)) << base::toUtf8(m_app->searchText());
    typeSearch(kept.substr(5));
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) { return rows.size() == 1 && fromRun(rows.front()); }))
        << base::toUtf8(m_app->statusText());
    EXPECT_TRUE(pumpUntil([&] { return m_app->statusText().find(L"以前的记录：1 条") != std::wstring::npos; }, 5s))
        << base::toUtf8(m_app->statusText());

    // Its index damaged: the next key finds it no longer whole, the index is made again and the
    // clip found as before.
    const std::string runs = store::joinPath(store::userStoreFolder(), store::kRunsFolderName);
    std::string index;
    for (const std::string& name : store::files::filesIn(runs))
        if (name.size() > store::kSearchIndexExtension.size() && name.substr(name.size() - store::kSearchIndexExtension.size()) == store::kSearchIndexExtension)
            index = store::joinPath(runs, name);
    ASSERT_FALSE(index.empty());
    ASSERT_TRUE(store::files::writeAtomically(index, "damaged"));
    const std::wstring shorter = m_app->searchText().substr(0, m_app->searchText().size() - 1);
    press(VK_BACK);
    ASSERT_TRUE(pumpUntil([&] { return m_app->searchText() == shorter; }, 5s));
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) { return rows.size() == 1 && fromRun(rows.front()); }))
        << base::toUtf8(m_app->statusText());
    EXPECT_TRUE(pumpUntil([&] { return m_app->statusText().find(L"以前的记录：1 条") != std::wstring::npos; }, 5s))
        << base::toUtf8(m_app->statusText());
    EXPECT_GT(store::files::entryOf(index).value_or(store::files::FileEntry{}).size, 100u);

    const RECT row = m_app->rowRect(0);
    clickAt({row.left + 20, (row.top + row.bottom) / 2});
    ASSERT_TRUE(pumpUntil([&] { return m_app->selectedRows() == std::vector<int>{0}; }, 3s));
    press(VK_RETURN);
    // A new history row beside the one it came from, its clip stored again; the clipboard holds it.
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) {
        return rows.size() == 2 && (fromRun(rows[0]) != fromRun(rows[1])) && contentsOf(rows) == std::vector<std::wstring>{kept, kept};
    }));
    EXPECT_TRUE(pumpUntil([&] { return storedClipText("his2-") == kept; }, 5s)) << base::toUtf8(storedClipText("his2-"));
    EXPECT_TRUE(pumpUntil([&] { return clipboardHoldsText(kept); }, 5s));

    // Delete passes over it; its menu opens its run, once the user agreed, and the run becomes the
    // store as it was.
    const int earlier = fromRun(m_app->rows()[0]) ? 0 : 1;
    m_app->selectRows({earlier});
    PostMessageW(m_app->list(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(expectNothingFor(500ms, [&] { return waitForProcessDialog(m_app->processId(), m_app->mainWindow(), 0ms) != nullptr; }));
    const std::size_t mark = m_log.mark();
    ASSERT_TRUE(rowMenu({earlier}));
    EXPECT_TRUE(m_log.has("list menu with 2 items of an earlier run", mark));
    pressKeys({'O'});
    HWND question = waitForProcessDialog(m_app->processId(), m_app->mainWindow());
    ASSERT_TRUE(question && bringToFront(question));
    pressKeys({VK_RETURN});  // Yes, the default
    ASSERT_TRUE(pumpUntil([&] { return m_log.has("archive command 3 done: 0", mark); }, 30s)) << m_log.text();
    EXPECT_EQ(storedClipText("his1-"), kept);
    EXPECT_EQ(storedClipText("his2-"), L"copied after it");
}

// An archive in a folder the user added is searched with the kept runs, though another folder
// holds the archive saved last; the filter menu's 存档文件夹 lists the folder and takes it off.
TEST_F(FindAnythingTest, TheArchivesOfAFolderTheUserAddedAreSearchedUntilItIsTakenOff) {
    const std::wstring needle = L"archived needle " + std::to_wstring(GetTickCount());
    record(needle);
    // Saved, and its folder remembered; then another Save As elsewhere, as far as the program knows.
    const std::string folder = saveAsIn("my archives", "needle.amc");
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(fw::WriteUserString(store::kSettingsKey, store::kLastArchiveFolderSetting, base::toWide(m_dir.path("elsewhere"))));
    ASSERT_TRUE(fw::WriteUserString(store::kArchiveFoldersKey, base::toWide(folder).c_str(), L"2026-12-09 10:00:00"));

    focusSearchBox();
    typeSearch(needle.substr(9));
    typeChord({VK_CONTROL, VK_SHIFT}, 'F', 60);
    const auto fromArchive = [&](const std::vector<ListRow>& rows) {
        return std::count_if(rows.begin(), rows.end(), [&](const ListRow& row) {
            return row.content == needle && row.number.find(L"needle.amc") != std::wstring::npos;
        });
    };
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) { return fromArchive(rows) == 1; })) << base::toUtf8(m_app->statusText());

    typeChord({VK_MENU}, 'L', 60);
    ASSERT_TRUE(waitForProcessMenu(m_app->processId()));
    pressKeys({'A', '1'});
    HWND question = waitForProcessDialog(m_app->processId(), m_app->mainWindow());
    ASSERT_TRUE(question && bringToFront(question));
    pressKeys({VK_RETURN});
    EXPECT_TRUE(m_app->waitForRows([&](const auto& rows) { return fromArchive(rows) == 0 && !rows.empty(); }));
    EXPECT_TRUE(fw::ReadUserStrings(store::kArchiveFoldersKey).empty());
}

// Twelve runs kept by real starts, 50 clips each, and an archive the user saved: a word only in
// the third run and in the archive finds both, each with where it came from; Enter brings the
// run's clip back and the clipboard holds the same text as the original.
TEST_F(FindAnythingTest, AWordOfTheThirdOfTwelveRunsAndOfAnArchiveFindsBoth) {
    struct KeptRunsSetting {
        KeptRunsSetting() {
            const DWORD twelve = 12;
            RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", store::kKeptRunsSetting, REG_DWORD, &twelve, sizeof twelve);
        }
        ~KeptRunsSetting() { RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", store::kKeptRunsSetting); }
    } twelveRuns;
    const std::wstring word = L"quasar" + std::to_wstring(GetTickCount());
    const std::wstring third = L"run 3 clip 7 " + word;
    store::CSysClipBoard history(store::userStoreFolder());
    for (int run = 1; run <= 12; ++run) {
        m_app.reset();
        for (int clip = 1; clip <= 50; ++clip) {
            const std::wstring text = run == 3 && clip == 7 ? third : L"run " + std::to_wstring(run) + L" clip " + std::to_wstring(clip);
            store::ClipSnapshot snapshot;
            snapshot.formats = {{0, store::kFormatUnicodeText,
                                 std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t))}};
            ASSERT_EQ(history.fileHistoryRecord(snapshot, store::currentTimeStamp()).outcome, store::FiledRecord::Outcome::Filed);
        }
        ASSERT_NO_FATAL_FAILURE(start());  // the start keeps them as a run
    }
    const std::wstring archived = L"archived " + word;
    record(archived);
    saveAsIn("saved", "mine.amc");
    ASSERT_FALSE(HasFailure());

    focusSearchBox();
    typeChord({VK_CONTROL, VK_SHIFT}, 'F', 60);
    typeSearch(word);
    const auto fromThirdRun = [&](const ListRow& row) {
        return row.content == third && row.number.rfind(L"20", 0) == 0 && row.number.find(L" #7") != std::wstring::npos;
    };
    const auto fromArchive = [&](const ListRow& row) { return row.content == archived && row.number.find(L"mine.amc") != std::wstring::npos; };
    ASSERT_TRUE(m_app->waitForRows([&](const auto& rows) {
        return rows.size() == 3 && std::count_if(rows.begin(), rows.end(), fromThirdRun) == 1 &&
               std::count_if(rows.begin(), rows.end(), fromArchive) == 1;
    }, 30s)) << base::toUtf8(m_app->statusText());
    EXPECT_TRUE(pumpUntil([&] { return m_app->statusText().find(L"以前的记录：2 条") != std::wstring::npos; }, 5s))
        << base::toUtf8(m_app->statusText());

    const std::vector<ListRow> rows = m_app->rows();
    const int found = static_cast<int>(std::find_if(rows.begin(), rows.end(), fromThirdRun) - rows.begin());
    const RECT row = m_app->rowRect(found);
    clickAt({row.left + 20, (row.top + row.bottom) / 2});
    ASSERT_TRUE(pumpUntil([&] { return m_app->selectedRows() == std::vector<int>{found}; }, 3s));
    press(VK_RETURN);
    EXPECT_TRUE(pumpUntil([&] { return clipboardHoldsText(third); }, 5s));
}

}  // namespace
