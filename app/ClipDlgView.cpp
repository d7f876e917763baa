// CClipDlg: the store view of the selected tree node, the preview, sorting and the window a
// paste from the list goes to.
#include "app/ClipDlg.h"

#include "app/ClipRules.h"
#include "app/FileRecordReader.h"
#include "kit/ListSupport.h"
#include "store/NumberText.h"
#include "store/PasteQueue.h"
#include "store/Protocol.h"
#include "store/StoreFile.h"
#include "store/SysClipBoard.h"
#include "xml/XmlDocument.h"
#include "base/Handle.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Integrity.h"
#include "fw/Window.h"

#include <algorithm>
#include <chrono>
#include <functional>

using xml::XmlDocument;

void CClipDlg::OnTreeSelectionChanged() {
    FillClipList(m_tree.GetSelectedItem());
    ShowPreview(-1);
}

// The hint of the node on display; a category has none.
std::wstring CClipDlg::nodeStatusText() const {
    HTREEITEM node = m_tree.GetSelectedItem();
    if (node == m_hCollection)
        return base::toWide(clip::kStatusCollection);
    if (node == m_hHotkeys)
        return base::toWide(clip::kStatusHotkeys);
    if (node == m_hQueue)
        return base::toWide(clip::kStatusQueue);
    return L"";
}

// The rows of the node read from the store; an index that exists but cannot be read leaves the
// view as it is.
void CClipDlg::FillClipList(HTREEITEM node) {
    const store::StorePaths& paths = m_store.paths();
    XmlDocument index;
    if (store::readStoreFile(paths.indexFile(), index) == store::FileState::Unreadable)
        return;
    const clip::ViewNode kind = node == m_hCollection || node == m_hQueue ? clip::ViewNode::Collection
                                : node == m_hHotkeys                      ? clip::ViewNode::Hotkeys
                                                                          : clip::ViewNode::Other;
    FileRecordReader reader(paths);
    // The queue's rows are the history's, in the queue's order.
    const std::wstring nodeText = m_tree.GetItemText(node == m_hQueue ? m_hCollection : node);
    std::vector<clip::ViewRow> rows = clip::buildStoreView(index, kind, base::toUtf16(nodeText), reader);
    if (node == m_hCollection && !m_recorder)
        m_newestHistoryText = clip::newestHistoryText(rows);  // the history as the window opens
    if (node == m_hQueue) {
        const std::optional<store::PasteQueue> queue = store::readPasteQueue(paths.statusFile());
        rows = clip::queueView(std::move(rows), queue.value_or(store::PasteQueue{}));
    }
    m_clipList.Assign(std::move(rows));
    showRows();
}

// The list shows the model's rows by position: it learns their number and asks for each row
// it draws. The status line counts them while a search is on.
void CClipDlg::showRows() {
    m_clipList.Refill();
    showRowsStatus();
}

void CClipDlg::showRowsStatus() {
    if (rows().filter().empty()) {
        setStatusText(nodeStatusText());
        return;
    }
    const std::u16string status = clip::filterStatus(rows().shownCount(), rows().totalCount());
    setStatusText(base::toWide(status));
}

// A change that moves rows (a search, a sort): the rows selected before stay selected where
// they are still shown.
void CClipDlg::changeRowsKeepingSelection(const std::function<bool(cliplist::ClipListModel&)>& change) {
    m_clipList.ChangeKeepingSelection(change);
    showRowsStatus();
}

// A row recorded or changed while its view is on display: in its place, or after the others.
void CClipDlg::showRow(clip::ViewRow row) {
    addRow(std::move(row));
    showRows();
}

void CClipDlg::addRow(clip::ViewRow row) {
    m_clipList.Upsert(std::move(row));
}

void CClipDlg::RowsRemoved(const std::vector<std::string>& clips) {
    m_clipList.Remove(clips);
    showRows();
    queueChanged();  // the clips deleted left the queue too
}

// The preview follows the first selected row only when that is another row now.
void CClipDlg::OnSearchChanged() {
    const auto started = std::chrono::steady_clock::now();
    const std::wstring text = fw::windowText(m_search);
    const std::string previewed = m_clipList.FirstSelectedClip();
    bool changed = false;
    changeRowsKeepingSelection([&](cliplist::ClipListModel& rows) {
        changed = rows.setFilter(base::toUtf16(text));
        return changed && rows.shownChanged();
    });
    if (!changed)
        return;
    if (m_clipList.FirstSelectedClip() != previewed)
        ShowPreview(m_list.GetNextItem(-1, LVNI_SELECTED));
    base::Trace("search: %u of %u rows shown in %lld us", static_cast<unsigned>(rows().shownCount()),
              static_cast<unsigned>(rows().totalCount()),
              static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                         std::chrono::steady_clock::now() - started)
                                         .count()));
}

// The rows for the clip menu of another process, written into the block it made; the block's
// size is checked before anything is written.
LRESULT CClipDlg::CopyListRows(WPARAM processId, LPARAM request) {
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
    const std::size_t count = std::min(rows().shownCount(), capacity);

    for (std::size_t position = 0; position < count; ++position) {
        const clip::ViewRow& row = rows().shown(position);
        store::ListRowRecord& record = records[position];
        record = {};
        record.image = row.kind;
        std::copy_n(row.number.begin(), std::min(row.number.size(), std::size(record.number)), record.number);
        std::copy_n(row.content.begin(), std::min(row.content.size(), std::size(record.content)), record.content);
    }
    header->count = static_cast<std::uint32_t>(count);
    return static_cast<LRESULT>(count) + 1;
}

void CClipDlg::RefreshView() {
    FillClipList(m_tree.GetSelectedItem());
}

// A window that Windows will not let us send keys to (one running as administrator) gets
// nothing: the clip waits on the clipboard for the user, and the tray says so.
void CClipDlg::PasteClip(const std::string& clip, bool plainText) {
    const fw::WindowProcessLevel target = fw::IntegrityLevelOf(m_hTargetWnd);
    if (IsWindow(m_hTargetWnd) &&
        clip::pasteRoute({target.queryable, target.level}, fw::OwnIntegrityLevel()) == clip::PasteRoute::ClipboardOnly) {
        base::Trace("paste target runs at a higher level: the clip waits on the clipboard");
        // The hook library notes its change of the clipboard: the recorder skips it.
        if (m_hook.SetCurrentClipData)
            m_hook.SetCurrentClipData(clip.c_str());
        m_tray.ShowNotice(base::toWide(clip::kElevatedTargetText));
        return;
    }
    ActivateTargetWindow();
    if (auto paste = plainText ? m_hook.PastePlainText2Window : m_hook.PasteData2Window)
        paste(clip.c_str());
}

void CClipDlg::ShowPreview(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows().shownCount()) {
        m_preview.ShowText(L"");
        return;
    }
    const clip::ViewRow& shown = rows().shown(static_cast<std::size_t>(row));
    const std::string clipName = shown.clip;
    std::u16string text;
    switch (shown.kind) {
    case clip::kRowPicture:
        if (base::UniqueBitmap bitmap = FileRecordReader(m_store.paths()).loadBitmap(clipName))
            m_preview.ShowPicture(bitmap.get());
        return;
    case clip::kRowText:
        text = m_store.getTextFromName(clipName);
        break;
    case clip::kRowFileList:
        text = m_store.getFileListText(clipName);
        break;
    default:
        return;
    }
    m_preview.ShowText(base::toWide(text));
}

// A paste from the list is chosen in our window, which is then in front: Windows lets the
// program in front hand the foreground on, so no input of threads is ever joined (that would
// reset the key state a held chord depends on).
void CClipDlg::ActivateTargetWindow() {
    if (IsWindow(m_hTargetWnd) && GetForegroundWindow() != m_hTargetWnd && !SetForegroundWindow(m_hTargetWnd))
        base::ReportFailure("SetForegroundWindow");
}

bool CClipDlg::handleSearchKeys(HWND window, WPARAM key) {
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (key == 'F' && control) {
        SetFocus(m_search);
        SendMessageW(m_search, EM_SETSEL, 0, -1);
        return true;
    }
    if (key == VK_ESCAPE && (window == m_search || window == m_list.hwnd()) && !rows().filter().empty()) {
        SetWindowTextW(m_search, L"");  // the box's change notification shows every row again
        return true;
    }
    if (key == VK_DOWN && window == m_search && m_list.GetItemCount() > 0) {
        SetFocus(m_list.hwnd());
        ListView_SetItemState(m_list.hwnd(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ShowPreview(0);
        return true;
    }
    return false;
}

// Escape and Enter do nothing in the main window (its own dialogs and message boxes keep them).
// The last foreground window of another application (not the taskbar, not a tooltip) is kept as
// the target of pastes from the list: only noted, the input of the threads is not joined.
// Ctrl+F goes to the search box; Esc there (or in the list) clears the search, and the Down
// arrow in the box goes on to the list.
bool CClipDlg::PreTranslateMessage(MSG* message) {
    const bool inMainWindow = message->hwnd == hwnd() || IsChild(hwnd(), message->hwnd);
    // F1 opens the help wherever the focus is, and with none (a key then arrives as a system key
    // for the window itself, and no WM_HELP follows).
    if (inMainWindow && (message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN) &&
        message->wParam == VK_F1) {
        OnHelp();
        return true;
    }
    if (inMainWindow && message->message == WM_KEYDOWN && handleSearchKeys(message->hwnd, message->wParam))
        return true;
    if (inMainWindow && message->message == WM_KEYDOWN &&
        (message->wParam == VK_ESCAPE || message->wParam == VK_RETURN))
        return true;
    NoteForegroundWindow(GetForegroundWindow());
    return false;
}

void CClipDlg::NoteForegroundWindow(HWND window) {
    if (!IsWindow(window) || window == hwnd() || window == m_hTargetWnd)
        return;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        return;  // our own dialogs and menus
    wchar_t className[256] = {};
    GetClassNameW(window, className, 255);
    if (clip::isPasteTargetClass(base::toUtf8(className))) {
        m_hTargetWnd = window;
        base::Trace("paste target %p", static_cast<void*>(window));
    }
}
