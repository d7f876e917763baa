#include "app/HistoryView.h"

#include "app/ArchiveFolders.h"
#include "app/ClipRules.h"
#include "app/ExcludedPrograms.h"
#include "app/FileRecordReader.h"
#include "app/SearchRules.h"
#include "ui/ColumnFit.h"
#include "kit/ListSupport.h"
#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/ClipOrigin.h"
#include "store/NumberText.h"
#include "store/PasteQueue.h"
#include "store/Protocol.h"
#include "store/StoreFile.h"
#include "store/TimeStamp.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"
#include "base/Check.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/FileDialog.h"
#include "fw/Window.h"
#include "resource.h"

#include <algorithm>
#include <array>
#include <chrono>

namespace app {

using xml::XmlDocument;

namespace {

std::wstring wide(std::string_view text) {
    return base::toWide(text);
}

// The list's columns, its pictures and the headers' bitmaps.
base::UniqueImageList setUpList(fw::CListView& list) {
    // By the row's kind: text, picture, file list. No alpha channel: Wine would blend each row's
    // picture through a new bitmap.
    base::UniqueImageList images = kit::LoadImageStrip(GetModuleHandleW(nullptr), IDB_LIST_KINDS, 16, 16, 3);
    list.SetImageList(images.get(), LVSIL_SMALL);
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    list.InsertColumn(0, L"内容", 160);
    list.InsertColumn(1, L"复制时间", 130);
    list.InsertColumn(2, L"编号", 80);
    list.InsertColumn(3, L"使用时间", 130);
    const UINT headerBitmaps[] = {IDB_HEADER_CONTENT, IDB_HEADER_TIME, IDB_HEADER_NUMBER, IDB_HEADER_TIME};
    for (int column = 0; column < 4; ++column)
        kit::SetHeaderBitmap(list.hwnd(), column, headerBitmaps[column]);
    return images;
}

// The fixed nodes under the root.
CHistoryView::Nodes makeNodes(fw::CTreeView& tree) {
    CHistoryView::Nodes nodes;
    nodes.root = tree.InsertItem(wide(app::kRootText), 0, TVI_ROOT);
    nodes.collection = tree.InsertItem(wide(app::kCollectionText), 1, nodes.root);
    nodes.hotkeys = tree.InsertItem(wide(app::kHotkeysText), 2, nodes.root);
    nodes.queue = tree.InsertItem(wide(app::kQueueText), 1, nodes.root);
    tree.Expand(nodes.root);
    return nodes;
}

}  // namespace

// The rows for the clip menu of another process, written into the block it made; the block's
// size is checked before anything is written.
LRESULT copyListRows(const ui::cliplist::ClipListModel& rows, WPARAM processId, LPARAM request) {
    const std::string name = store::listRowsBlockName(static_cast<unsigned long>(processId), static_cast<unsigned long>(request));
    const base::UniqueKernelObject mapping(OpenFileMappingW(FILE_MAP_WRITE, FALSE, base::toWide(name).c_str()));
    if (!mapping)
        return 0;
    const base::MappedView view(mapping.get());
    MEMORY_BASIC_INFORMATION region = {};
    if (!view.data() || !VirtualQuery(view.data(), &region, sizeof region) || region.RegionSize < sizeof(store::ListRowsHeader))
        return 0;
    auto* header = static_cast<store::ListRowsHeader*>(view.data());
    const std::size_t room = (region.RegionSize - sizeof(store::ListRowsHeader)) / sizeof(store::ListRowRecord);
    const std::size_t capacity = std::min<std::size_t>(header->capacity, room);
    auto* records = reinterpret_cast<store::ListRowRecord*>(header + 1);
    const std::size_t count = std::min(rows.shownCount(), capacity);
    for (std::size_t position = 0; position < count; ++position) {
        const app::ViewRow& row = rows.shown(position);
        store::ListRowRecord& record = records[position];
        record = {};
        record.image = row.kind;
        std::copy_n(row.number.begin(), std::min(row.number.size(), std::size(record.number)), record.number);
        std::copy_n(row.content.begin(), std::min(row.content.size(), std::size(record.content)), record.content);
    }
    header->count = static_cast<std::uint32_t>(count);
    return static_cast<LRESULT>(count) + 1;
}

CHistoryView::CHistoryView(store::CSysClipBoard& store, CClipTrayIcon& tray, HookLibrary& hook, StatusLine status)
    : m_store(store), m_status(std::move(status)), m_clipList(listActions(), store),
      m_queue(store.paths().statusFile(), tray, [this] { return showsQueue(); }, [this] { FillClipList(m_nodes.queue); }),
      m_target(hook, tray),
      m_search(store, m_clipList,
               {[this](int row) { showPreview(row); }, [this] { ShowRowsStatus(); }, [this] { return categoryNames(); },
                [this](const std::wstring& question, const std::function<bool()>& save, const wchar_t* failed) {
                    return askThenSave(question, save, failed);
                }}) {}

ui::CClipListCtrl::Actions CHistoryView::listActions() {
    ui::CClipListCtrl::Actions actions;
    actions.previewRow = [this](int row) { showPreview(row); };
    actions.refreshRows = [this] { RefreshShown(); };
    // A row of an earlier run or an archive is brought back first.
    actions.pasteRow = [this](const std::string& clip, bool plainText) {
        const ui::cliplist::ClipListModel& rows = m_clipList.Rows();
        const std::size_t position = rows.shownPosition(clip);
        if (position < rows.shownCount() && !rows.shown(position).archive.empty())
            bringBack(rows.shown(position), plainText);
        else if (!ui::cliplist::isEarlierClip(clip))  // not one found earlier and gone meanwhile
            m_target.Paste(m_window, clip, plainText);
    };
    actions.pasteRowAs = [this](const std::string& clip, store::Transform transform) {
        m_target.Paste(m_window, clip, true, transform);
    };
    actions.rowsRemoved = [this](const std::vector<std::string>& clips) { removeRows(clips); };
    actions.queueClips = [this](const std::vector<std::string>& clips) { m_queue.Append(clips); };
    actions.unqueueClips = [this](const std::vector<std::string>& clips) { m_queue.Remove(clips); };
    actions.emptyQueue = [this] { m_queue.Clear(); };
    actions.queueShown = [this] { return showsQueue(); };
    actions.clipFiled = [this](const std::string& clip, const std::string& category) {
        if (m_changes.filed)
            m_changes.filed(clip, category);
    };
    actions.openArchive = [this](const std::string& archive) {
        if (m_openArchive)
            m_openArchive(base::toWide(archive));
    };
    // Asked once; the rows already recorded stay until the user deletes them.
    actions.excludeSource = [this](const std::string& path) {
        if (askThenSave(wide(xml::utf16ToUtf8(app::excludeQuestion(path))), [&] { return app::excluded::add(path); },
                        L"无法保存排除的程序。"))
            base::Trace("copies of %s are recorded no more", path.c_str());
    };
    return actions;
}

// Selecting the history fills the list: the rows of the store the window opens with.
void CHistoryView::Create(HWND window, HWND list, HWND tree, HWND preview, const CSearchBar::Ids& searchIds) {
    m_window = window;
    m_list = fw::CListView(list);
    m_clipList.Attach(list);
    m_tree = fw::CTreeView(tree);
    m_preview.Attach(preview);
    m_listImages = setUpList(m_list);
    m_treeImages = kit::LoadImageStrip(GetModuleHandleW(nullptr), IDB_TREE_NODES, 16, 16, 4);  // root, history, slots, category
    m_tree.SetImageList(m_treeImages.get());
    m_nodes = makeNodes(m_tree);
    m_categories.Attach(tree, m_nodes.root);
    m_search.Create(window, list, searchIds);
    m_controls = {list, tree, preview, m_search.bar().box()};
    m_tree.SelectItem(m_nodes.collection);
}

// Tab goes through the search box, the list, the tree and the preview, in the order of the
// children (the dialog manager follows it). Each has a hidden label just before it: Microsoft
// Active Accessibility names a control by the static text before it (GetWindow GW_HWNDPREV), and
// the pane captions are the original program's.
void orderForTabAndName(HWND window, HWND search, HWND list, HWND tree, HWND preview) {
    const std::pair<HWND, std::string_view> controls[] = {
        {search, app::kSearchLabel}, {list, app::kListLabel}, {tree, app::kTreeLabel}, {preview, app::kPreviewLabel}};
    HWND before = HWND_TOP;
    for (const auto& [control, name] : controls) {
        HWND label = CHECK_WIN32(CreateWindowExW(0, L"STATIC", wide(name).c_str(), WS_CHILD | SS_LEFT | SS_NOPREFIX, 0, 0,
                                                 0, 0, window, nullptr, GetModuleHandleW(nullptr), nullptr));
        constexpr UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        if (label) {
            SetWindowPos(label, before, 0, 0, 0, 0, kOrderOnly);
            before = label;
        }
        SetWindowPos(control, before, 0, 0, 0, 0, kOrderOnly);
        before = control;
    }
}

// The times and the number get what their widest text needs in the list's font (the widest digit
// in every place), the content the rest, with room kept for the vertical scroll bar: no
// horizontal one while the columns fit. A divider the user dragged stays until the next resize.
void fitColumns(HWND list) {
    const auto width = [list](const std::wstring& text) {
        return static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
    };
    wchar_t widest = L'0';
    for (wchar_t digit = L'1'; digit <= L'9'; ++digit)
        if (width(std::wstring(1, digit)) > width(std::wstring(1, widest)))
            widest = digit;
    const std::wstring d(1, widest);
    base::WindowDc screen(list);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
    const int margins = MulDiv(16, dpi, 96);
    const int headerExtras = MulDiv(16 + 14, dpi, 96);  // the header's picture and sort arrow
    ui::ColumnNeeds needs;
    needs.time = std::max(width(d + d + d + d + L"-" + d + d + L"-" + d + d + L" " + d + d + L":" + d + d + L":" + d + d),
                          width(L"使用时间") + headerExtras) +
                 margins;
    needs.number = std::max({width(L"ctrl+alt+" + d), width(d + d + d), width(L"编号") + headerExtras}) + margins;
    needs.minContent = MulDiv(80, dpi, 96);
    RECT client = {};
    GetClientRect(list, &client);
    const bool scrolls = (GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL) != 0;
    const int rowWidth = client.right - (scrolls ? 0 : GetSystemMetrics(SM_CXVSCROLL));
    const std::array<int, 4> widths = ui::fitColumns(rowWidth, needs);
    for (int column = 0; column < 4; ++column)
        ListView_SetColumnWidth(list, column, widths[static_cast<std::size_t>(column)]);
}

void CHistoryView::SetRootText(bool unsaved) {
    m_tree.SetItemText(m_nodes.root, wide(unsaved ? app::kRootTextChanged : app::kRootText));
}

// The rows of the node read from the store; an index that exists but cannot be read leaves the
// view as it is.
void CHistoryView::FillClipList(HTREEITEM node) {
    const store::StorePaths& paths = m_store.paths();
    XmlDocument index;
    if (store::readStoreFile(paths.indexFile(), index) == store::FileState::Unreadable)
        return;
    const app::ViewNode kind = node == m_nodes.collection || node == m_nodes.queue ? app::ViewNode::Collection
                                : node == m_nodes.hotkeys                           ? app::ViewNode::Hotkeys
                                                                                    : app::ViewNode::Other;
    FileRecordReader reader(paths);
    // The queue's rows are the history's, in the queue's order.
    const std::wstring nodeText = m_tree.GetItemText(node == m_nodes.queue ? m_nodes.collection : node);
    std::vector<app::ViewRow> rows = app::buildStoreView(index, kind, base::toUtf16(nodeText), reader);
    if (node == m_nodes.collection && !std::exchange(m_bOpened, true))
        m_newestHistoryText = app::newestHistoryText(rows);  // the history as the window opens
    if (node == m_nodes.queue) {
        const std::optional<store::PasteQueue> queue = store::readPasteQueue(paths.statusFile());
        rows = app::queueView(std::move(rows), queue.value_or(store::PasteQueue{}));
    }
    m_clipList.Assign(std::move(rows));
    ShowRows();
}

// The category nodes and the history view made again from the store; the preview shows nothing
// of what was there before.
void CHistoryView::ShowOpenedStore() {
    m_categories.RebuildCategories({m_nodes.collection, m_nodes.hotkeys, m_nodes.queue});
    m_queue.Changed();  // opening an archive emptied it
    if (ShowsHistory())
        FillClipList(m_nodes.collection);
    else
        m_tree.SelectItem(m_nodes.collection);  // the selection change fills the history view
    showPreview(-1);
}

// The list shows the model's rows by position: it learns their number and asks for each row
// it draws. The status line counts them while a search is on.
void CHistoryView::ShowRows() {
    m_clipList.Refill();
    ShowRowsStatus();
}

// The hint of the node on display (a category has none), or while a search is on the count.
void CHistoryView::ShowRowsStatus() {
    if (m_clipList.Rows().filter().empty()) {
        const HTREEITEM node = m_tree.GetSelectedItem();
        m_status(node == m_nodes.collection ? wide(app::kStatusCollection)
                 : node == m_nodes.hotkeys  ? wide(app::kStatusHotkeys)
                 : node == m_nodes.queue    ? wide(app::kStatusQueue)
                                            : std::wstring());
        return;
    }
    m_status(m_search.Status());
}

// The user's categories, for the filter menu.
std::vector<std::u16string> CHistoryView::categoryNames() const {
    std::vector<std::u16string> names;
    for (HTREEITEM node = m_tree.GetChild(m_nodes.root); node; node = m_tree.GetNextSibling(node))
        if (node != m_nodes.collection && node != m_nodes.hotkeys && node != m_nodes.queue)
            names.push_back(base::toUtf16(m_tree.GetItemText(node)));
    return names;
}

void CHistoryView::ShowRecordedRows(std::vector<app::ViewRow> rows) {
    if (rows.empty())
        return;
    for (app::ViewRow& row : rows)
        m_clipList.Upsert(std::move(row));
    ShowRows();
}

// A stored record as a row from its first displayable part; a record with nothing to show is
// removed.
void CHistoryView::ShowClipRow(HTREEITEM node, const std::string& recordName, const std::string& numberText) {
    const store::ClipElements elements = m_store.clipElements(recordName);
    FileRecordReader reader(m_store.paths());
    const bool onDisplay = m_tree.GetSelectedItem() == node;
    for (const auto& [index, format] : elements.formats) {
        // A file list is only read for the view on display.
        if (format == store::kFormatFileList && !onDisplay)
            return;
        std::optional<app::PartRow> row =
            app::partRow(format, store::formatElementName(recordName, index), recordName, reader);
        if (!row)
            continue;
        if (onDisplay)
            ShowRecordedRows({app::ViewRow{row->kind, row->content, elements.copyTime, numberText, elements.useTime,
                                            elements.source, recordName, store::originName(elements.origin)}});
        return;
    }
    m_store.removeClip(recordName);
}

// The pasted history record's row gets its new use time, whatever view is on display but the
// queue's (read again), the repeat test does not apply, and the last text stays; the rows are
// sorted by use time; the sort column and its arrow stay as the user chose them.
void CHistoryView::ShowPasted(int number) {
    if (showsQueue())
        return;
    ShowClipRow(m_tree.GetSelectedItem(), store::historyClipName(number), store::historyNumberText(number));
    m_clipList.ChangeKeepingSelection([](ui::cliplist::ClipListModel& rows) {
        rows.sortOnce(3, rows.sortAscending());
        return true;
    });
    ShowRowsStatus();
}

// The tree's selection and right button, and the list's questions (it is virtual: it asks for
// each row it draws) and clicks.
bool CHistoryView::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.hwndFrom == m_tree.hwnd() && (header.code == TVN_SELCHANGEDW || header.code == TVN_SELCHANGEDA)) {
        FillClipList(m_tree.GetSelectedItem());
        showPreview(-1);
        result = 0;
        return true;
    }
    if (header.hwndFrom == m_tree.hwnd() && header.code == NM_RCLICK) {
        m_categories.OnRightClick();
        result = 0;
        return true;
    }
    if (header.hwndFrom == m_list.hwnd()) {
        switch (header.code) {
        case LVN_GETDISPINFOW:
            m_clipList.FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header).item);
            return true;
        case LVN_GETINFOTIPW:
            m_clipList.FillInfoTip(reinterpret_cast<NMLVGETINFOTIPW&>(header));
            return true;
        case LVN_ODFINDITEMW:
            result = m_clipList.FindRow(reinterpret_cast<const NMLVFINDITEMW&>(header));
            return true;
        case NM_CUSTOMDRAW:
            result = m_clipList.DrawMarks(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
            return true;
        case NM_CLICK:
            showPreview(m_list.GetNextItem(-1, LVNI_SELECTED));
            result = 0;
            return true;
        default:
            return false;
        }
    }
    // A quick second click arrives as a double click; it sorts again like a click.
    if (header.hwndFrom == ListView_GetHeader(m_list.hwnd()) &&
        (header.code == HDN_ITEMCLICKW || header.code == HDN_ITEMCLICKA || header.code == HDN_ITEMDBLCLICKW ||
         header.code == HDN_ITEMDBLCLICKA)) {
        m_clipList.SortByHeader(reinterpret_cast<const NMHEADERW&>(header).iItem);
        ShowRowsStatus();
    }
    return false;
}

void CHistoryView::showPreview(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= m_clipList.Rows().shownCount()) {
        m_preview.ShowText(L"");
        return;
    }
    const app::ViewRow& shown = m_clipList.Rows().shown(static_cast<std::size_t>(row));
    std::u16string text;
    // A row of an earlier run shows the beginning its index keeps; its data stays unread until
    // it is brought back.
    switch (shown.archive.empty() ? shown.kind : app::kRowText) {
    case app::kRowPicture:
        if (base::UniqueBitmap bitmap = FileRecordReader(m_store.paths()).loadBitmap(shown.clip))
            m_preview.ShowPicture(bitmap.get());
        return;
    case app::kRowText:
        text = shown.archive.empty() ? m_store.getTextFromName(shown.clip) : shown.content;
        break;
    case app::kRowFileList:
        text = m_store.getFileListText(shown.clip);
        break;
    default:
        return;
    }
    m_preview.ShowText(base::toWide(text));
    m_preview.MarkText(m_clipList.Rows().marksIn(text));
}

void CHistoryView::removeRows(const std::vector<std::string>& clips) {
    m_clipList.Remove(clips);
    ShowRows();
    m_queue.Changed();  // the clips deleted left the queue too
    if (m_changes.removed)
        m_changes.removed(clips);
}

// A row of an earlier run or an archive comes back into the history as a new record (a copy's
// number and time), shown where the history is on display, and is pasted as the store's rows are.
void CHistoryView::bringBack(const ui::cliplist::Row& row, bool plainText) {
    const std::optional<store::StoredClip> stored = store::CSysClipBoard::readArchiveClip(row.archive, row.archiveClip);
    const store::FiledRecord filed =
        stored ? m_store.fileHistoryRecord(stored->snapshot, store::currentTimeStamp()) : store::FiledRecord{};
    if (filed.outcome != store::FiledRecord::Outcome::Filed) {
        base::Trace("earlier runs: %s of %s not brought back (%d)", row.archiveClip.c_str(), row.archive.c_str(),
                    stored ? static_cast<int>(filed.outcome) : -1);
        MessageBoxW(m_window, wide(app::kNotBroughtBackText).c_str(), wide(store::kMainWindowTitle).c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::string name = store::historyClipName(filed.number);
    ShowClipRow(m_nodes.collection, name, store::historyNumberText(filed.number));
    m_target.Paste(m_window, name, plainText);
}

// A setting changed once the user said yes to `question`; one that cannot be saved says `failed`.
bool CHistoryView::askThenSave(const std::wstring& question, const std::function<bool()>& save, const wchar_t* failed) const {
    const std::wstring title = wide(store::kMainWindowTitle);
    if (MessageBoxW(m_window, question.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    if (save())
        return true;
    MessageBoxW(m_window, failed, title.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

}  // namespace app
