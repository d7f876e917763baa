#include "app/ListSearch.h"

#include "app/ArchiveFolders.h"
#include "app/SearchRules.h"
#include "store/Protocol.h"
#include "store/TimeStamp.h"
#include "xml/XmlText.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/FileDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>

namespace app {

namespace {

// Today for the search's date filters: "YYYY-MM-DD".
std::string today() {
    return store::currentTimeStamp().substr(0, 10);
}

int firstSelectedRow(HWND list) {
    return ListView_GetNextItem(list, -1, LVNI_SELECTED);
}

}  // namespace

CListSearch::CListSearch(store::CSysClipBoard& store, ui::CClipListCtrl& clipList, View view)
    : m_store(store), m_clipList(clipList), m_view(std::move(view)) {}

void CListSearch::Create(HWND window, HWND list, const CSearchBar::Ids& ids) {
    m_window = window;
    m_list = list;
    m_bar.Create(window, ids);
    m_earlier.Start(window, kMsgEarlierResults, m_store.runsFolder());
}

// The preview follows the first selected row only when that is another row now.
void CListSearch::OnSearchChanged() {
    const auto started = std::chrono::steady_clock::now();
    const std::u16string text = m_bar.Text();
    const std::string previewed = m_clipList.FirstSelectedClip();
    bool changed = false;
    // A change that moves rows: the rows selected before stay selected where they are still shown.
    m_clipList.ChangeKeepingSelection([&](ui::cliplist::ClipListModel& rows) {
        changed = rows.setFilter(text, m_bar.PatternToggle(), today());
        return changed && rows.shownChanged();
    });
    if (changed)
        searchEarlierRuns();
    m_bar.ShowFault(!m_clipList.Rows().searchError().empty());
    m_view.restoreStatus();
    if (!changed)
        return;
    InvalidateRect(m_list, nullptr, FALSE);  // the marks of what matched
    if (m_clipList.FirstSelectedClip() != previewed)
        m_view.previewRow(firstSelectedRow(m_list));
    base::Trace("search: %u of %u rows shown in %lld us", static_cast<unsigned>(m_clipList.Rows().shownCount()),
                static_cast<unsigned>(m_clipList.Rows().totalCount()),
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count()));
}

// The programs of the rows on display and the user's categories, to pick from.
void CListSearch::OnFilterButton() {
    std::vector<std::string> sources;
    const ui::cliplist::ClipListModel& rows = m_clipList.Rows();
    for (std::size_t i = 0; i < rows.shownCount(); ++i)
        sources.push_back(rows.shown(i).source);
    CSearchBar::FolderMenu folders;
    folders.added = app::archivefolders::added();
    for (std::string& folder : app::archivefolders::searched(m_store.runsFolder()))
        if (std::find(folders.added.begin(), folders.added.end(), folder) == folders.added.end())
            folders.others.push_back(std::move(folder));
    const CSearchBar::MenuChoice choice =
        m_bar.ShowFilterMenu(app::searchbox::programsOfRows(sources), m_view.listCategories(), folders);
    if (choice.searchAgain)
        OnSearchChanged();
    if (choice.addFolder)
        addArchiveFolder();
    else if (!choice.removeFolder.empty())
        removeArchiveFolder(choice.removeFolder);
}

// A folder whose archives the search of earlier runs looks in from now on.
void CListSearch::addArchiveFolder() {
    const std::wstring folder = fw::PickFolder(m_window, L"选择要在其中查找存档（.amc）的文件夹：");
    if (folder.empty())
        return;
    if (!app::archivefolders::add(base::toUtf8(folder))) {
        MessageBoxW(m_window, L"无法保存查找存档的文件夹。", base::toWide(store::kMainWindowTitle).c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    base::Trace("archives searched in %s too", base::toUtf8(folder).c_str());
    OnEarlierToggled();
}

// Asked once; the archives in it stay where they are.
void CListSearch::removeArchiveFolder(const std::string& folder) {
    if (!m_view.askToSave(L"不再在“" + base::toWide(folder) + L"”中查找存档？",
                            [&] { return app::archivefolders::remove(folder); }, L"无法保存查找存档的文件夹。"))
        return;
    base::Trace("archives no longer searched in %s", folder.c_str());
    OnEarlierToggled();
}

// Turned on, the indexes are made ready while the user types.
void CListSearch::OnEarlierToggled() {
    if (m_bar.SearchesEarlier())
        m_earlier.Prepare(app::archivefolders::searched(m_store.runsFolder()));
    searchEarlierRuns();
    m_view.restoreStatus();
}

// The rows found before go at once; those of this query come with its results. With nothing
// asked (no words and no filter) or the checkbox off nothing is searched; filters alone ("日期:7天")
// are a search of their own. Words too short to narrow every run ("ze") wait for a longer word, or
// for Enter in the box (`asked`).
void CListSearch::searchEarlierRuns(bool asked) {
    m_earlierOutcome.reset();
    m_earlierTooShort = false;
    const std::u16string text = m_bar.Text();
    const ui::cliplist::ClipListModel& model = m_clipList.Rows();
    const search::Query& query = model.query();
    const bool wanted = m_bar.SearchesEarlier() && (query.hasText() || !query.filters.empty()) &&
                        model.searchError().empty() && model.matcher();
    if (model.earlierCount() > 0)
        m_clipList.ChangeKeepingSelection([](ui::cliplist::ClipListModel& rows) {
            rows.assignEarlier({});
            return true;
        });
    m_earlierTooShort = wanted && !asked && !model.matcher()->selectiveEnough();
    if (!wanted || m_earlierTooShort) {
        m_earlier.Cancel();
        return;
    }
    m_earlier.Search(text, m_bar.PatternToggle(), today(), app::archivefolders::searched(m_store.runsFolder()));
}

bool CListSearch::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_CTLCOLOREDIT)
        return m_bar.ColourBox(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam), result);
    if (message != kMsgEarlierResults)
        return false;
    showEarlierResults();
    return true;
}

void CListSearch::showEarlierResults() {
    std::optional<CEarlierSearch::Results> results = m_earlier.Take();
    if (!results) {
        m_view.restoreStatus();
        return;
    }
    std::vector<ui::cliplist::Row> rows;
    rows.reserve(results->outcome.hits.size());
    for (search::Hit& hit : results->outcome.hits) {
        const search::Source& source = results->sources[hit.source];
        rows.push_back(ui::cliplist::earlierRow(hit.kind, std::move(hit.line), hit.copyTime, xml::utf16ToUtf8(source.origin),
                                            hit.number, hit.program, hit.category, source.archive, hit.clip));
    }
    m_earlierOutcome = std::move(results->outcome);
    m_clipList.ChangeKeepingSelection([&](ui::cliplist::ClipListModel& model) {
        model.assignEarlier(std::move(rows));
        return true;
    });
    m_view.restoreStatus();
}

bool CListSearch::HandleKey(HWND window, WPARAM key) {
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const HWND box = m_bar.box();
    if (key == 'F' && control && shift) {
        m_bar.ToggleEarlier();
        OnEarlierToggled();
        return true;
    }
    if (key == 'F' && control) {
        SetFocus(box);
        SendMessageW(box, EM_SETSEL, 0, -1);
        return true;
    }
    if (key == VK_ESCAPE && (window == box || window == m_list))
        return m_bar.ClearOneStep();
    if (key == VK_RETURN && window == box && m_earlierTooShort) {
        searchEarlierRuns(true);
        m_view.restoreStatus();
        return true;
    }
    // Enter on a row of an earlier run brings it back, as a double click does.
    if (key == VK_RETURN && window == m_list) {
        const std::size_t position = static_cast<std::size_t>(firstSelectedRow(m_list));
        const ui::cliplist::ClipListModel& rows = m_clipList.Rows();
        if (position >= rows.shownCount() || rows.shown(position).archive.empty())
            return false;
        m_clipList.PasteSelected(shift);
        return true;
    }
    if (key == VK_DOWN && window == box && ListView_GetItemCount(m_list) > 0) {
        SetFocus(m_list);
        ListView_SetItemState(m_list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_view.previewRow(0);
        return true;
    }
    return false;
}

std::wstring CListSearch::Status() const {
    const ui::cliplist::ClipListModel& rows = m_clipList.Rows();
    app::searchbox::SearchState state{rows.shownCount(), rows.totalCount(), rows.query().pattern,
                                 search::filtersStatus(rows.query()), rows.searchError(), rows.searchCutShort()};
    if (m_bar.SearchesEarlier()) {
        state.earlier = m_earlierTooShort  ? app::searchbox::EarlierState::TooShort
                        : m_earlier.Busy() ? app::searchbox::EarlierState::Searching
                                           : app::searchbox::EarlierState::Done;
        state.earlierHits = rows.earlierCount();
        state.earlierMore = m_earlierOutcome && (m_earlierOutcome->more || m_earlierOutcome->cutShort);
        state.earlierUnprepared = m_earlierOutcome ? m_earlierOutcome->unprepared : 0;
    }
    return base::toWide(app::searchbox::searchStatus(state));
}

}  // namespace app
