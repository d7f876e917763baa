// CClipDlg: the store view of the selected tree node, the preview, sorting and the window a
// paste from the list goes to.
#include "ClipDlg.h"

#include "ClipRules.h"
#include "FileRecordReader.h"
#include "ListSupport.h"
#include "Protocol.h"
#include "StoreFormat.h"
#include "StoreFile.h"
#include "SysClipBoard.h"
#include "XmlDocument.h"
#include "fw/Handle.h"
#include "fw/Text.h"
#include "fw/Trace.h"

#include <algorithm>

namespace {

std::u16string toUtf16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

bool modifierHeld() {
    for (int key : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN})
        if (GetAsyncKeyState(key) & 0x8000)
            return true;
    return false;
}

}  // namespace

void CClipDlg::OnTreeSelectionChanged() {
    HTREEITEM node = m_tree.GetSelectedItem();
    FillClipList(node);
    ShowPreview(-1);
    if (node == m_hCollection)
        setStatusText(fw::toWide(clip::kStatusCollection));
    else if (node == m_hHotkeys)
        setStatusText(fw::toWide(clip::kStatusHotkeys));
    else if (node == m_hRoot)
        setStatusText(L"");
}

// Rewrites the rows in place from the store and removes the surplus; an index that exists
// but cannot be read leaves the list as it is.
void CClipDlg::FillClipList(HTREEITEM node) {
    const store::StorePaths& paths = CSysClipBoard::getInstance()->paths();
    XmlDocument index;
    if (store::readStoreFile(paths.indexFile(), index) == store::FileState::Unreadable)
        return;
    const clip::ViewNode kind = node == m_hCollection ? clip::ViewNode::Collection
                                : node == m_hHotkeys  ? clip::ViewNode::Hotkeys
                                                      : clip::ViewNode::Other;
    FileRecordReader reader(paths);
    const std::vector<clip::ViewRow> rows = clip::buildStoreView(index, kind, toUtf16(m_tree.GetItemText(node)), reader);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        const clip::ViewRow& view = rows[i];
        if (row >= m_list.GetItemCount())
            m_list.InsertItem(row, L"", view.kind);
        m_list.SetItemText(row, 0, std::wstring(view.content.begin(), view.content.end()));
        m_list.SetItemText(row, 1, fw::toWide(view.copyTime));
        m_list.SetItemText(row, 2, fw::toWide(view.number));
        m_list.SetItemText(row, 3, fw::toWide(view.useTime));
        m_list.SetItemImage(row, view.kind);
    }
    for (int row = m_list.GetItemCount() - 1; row >= static_cast<int>(rows.size()); --row)
        m_list.DeleteItem(row);
}

// The rows for the clip menu of another process, written into the block it made; the block's
// size is checked before anything is written.
LRESULT CClipDlg::CopyListRows(WPARAM processId, LPARAM request) {
    const std::string name = store::listRowsBlockName(static_cast<unsigned long>(processId), static_cast<unsigned long>(request));
    const fw::UniqueKernelObject mapping(OpenFileMappingW(FILE_MAP_WRITE, FALSE, fw::toWide(name).c_str()));
    if (!mapping)
        return 0;
    const fw::MappedView view(mapping.get());
    MEMORY_BASIC_INFORMATION region = {};
    if (!view.data() || !VirtualQuery(view.data(), &region, sizeof region) || region.RegionSize < sizeof(store::ListRowsHeader))
        return 0;
    auto* header = static_cast<store::ListRowsHeader*>(view.data());
    const std::size_t room = (region.RegionSize - sizeof(store::ListRowsHeader)) / sizeof(store::ListRowRecord);
    const std::size_t capacity = std::min<std::size_t>(header->capacity, room);
    auto* records = reinterpret_cast<store::ListRowRecord*>(header + 1);
    const int count = std::min(m_list.GetItemCount(), static_cast<int>(capacity));

    for (int row = 0; row < count; ++row) {
        store::ListRowRecord& record = records[row];
        record = {};
        record.image = m_list.GetItemImage(row);
        const std::wstring number = m_list.GetItemText(row, 2), content = m_list.GetItemText(row, 0);
        std::copy_n(number.begin(), std::min<std::size_t>(number.size(), std::size(record.number)), record.number);
        std::copy_n(content.begin(), std::min<std::size_t>(content.size(), std::size(record.content)), record.content);
    }
    header->count = static_cast<std::uint32_t>(count);
    return count + 1;
}

void CClipDlg::RefreshView() {
    FillClipList(m_tree.GetSelectedItem());
}

void CClipDlg::PasteClip(const std::string& clip) {
    ActivateTargetWindow();
    if (m_hook.PasteData2Window)
        m_hook.PasteData2Window(clip.c_str());
}

void CClipDlg::ShowPreview(int row) {
    const std::string number = row < 0 ? std::string() : fw::toUtf8(m_list.GetItemText(row, 2));
    if (number.empty()) {
        m_preview.ShowText(L"");
        return;
    }
    const std::string clipName = store::clipNameFromNumberText(number);
    CSysClipBoard* store = CSysClipBoard::getInstance();
    std::u16string text;
    switch (m_list.GetItemImage(row)) {
    case clip::kRowPicture:
        if (fw::UniqueBitmap bitmap = FileRecordReader(store->paths()).loadBitmap(clipName))
            m_preview.ShowPicture(bitmap.get());
        return;
    case clip::kRowText:
        text = store->getTextFromName(clipName);
        break;
    case clip::kRowFileList:
        text = store->getFileListText(clipName);
        break;
    default:
        return;
    }
    m_preview.ShowText(std::wstring(text.begin(), text.end()));
}

// The sorted column again turns its direction; another column sorts in the direction its own
// header was last sorted in (ascending at first).
void CClipDlg::OnHeaderClick(int column) {
    if (column < 0 || column >= 4)
        return;
    SortByColumn(column, column == m_nSortColumn ? !m_bSortAscending : m_columnAscending[column]);
}

void CClipDlg::SortByColumn(int column, bool ascending) {
    m_nSortColumn = column;
    m_bSortAscending = ascending;
    if (column >= 0 && column < 4)
        m_columnAscending[column] = ascending;
    kit::ShowSortArrow(m_list.hwnd(), column, ascending);
    kit::SortByColumnText(m_list.hwnd(), column, ascending);
}

// The program in the foreground (the user just worked in it) may hand the foreground on. Only
// when that is refused are the two threads' input joined, for this one call and never while
// the user holds a modifier: joining resets the shared key state, which would break a chord.
void CClipDlg::ActivateTargetWindow() {
    if (!IsWindow(m_hTargetWnd) || GetForegroundWindow() == m_hTargetWnd)
        return;
    if (SetForegroundWindow(m_hTargetWnd) || modifierHeld())
        return;
    const DWORD mine = GetCurrentThreadId();
    const DWORD target = GetWindowThreadProcessId(m_hTargetWnd, nullptr);
    if (target != mine && AttachThreadInput(mine, target, TRUE)) {
        SetForegroundWindow(m_hTargetWnd);
        AttachThreadInput(mine, target, FALSE);
    }
}

// Escape and Enter do nothing in the main window (its own dialogs and message boxes keep them).
// The last foreground window of another application (not the taskbar, not a tooltip) is kept as
// the target of pastes from the list: only noted, the input of the threads is not joined.
bool CClipDlg::PreTranslateMessage(MSG* message) {
    const bool inMainWindow = message->hwnd == hwnd() || IsChild(hwnd(), message->hwnd);
    if (inMainWindow && message->message == WM_KEYDOWN &&
        (message->wParam == VK_ESCAPE || message->wParam == VK_RETURN))
        return true;
    HWND foreground = GetForegroundWindow();
    if (IsWindow(foreground) && foreground != hwnd() && foreground != m_hTargetWnd) {
        wchar_t className[256] = {};
        GetClassNameW(foreground, className, 255);
        if (clip::isPasteTargetClass(fw::toUtf8(className)))
            m_hTargetWnd = foreground;
    }
    return false;
}
