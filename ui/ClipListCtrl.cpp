#include "ui/ClipListCtrl.h"

#include "ui/CategoryLists.h"
#include "store/ClipNames.h"
#include "store/NumberText.h"
#include "store/Protocol.h"
#include "store/SysClipBoard.h"
#include "base/Handle.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <commctrl.h>
#include <windowsx.h>

namespace ui {

namespace {

const wchar_t kDeleteQuestion[] = L"您确定要清空该块剪贴板的内容吗";

bool contains(const RECT& area, POINT point) {
    return point.x >= area.left && point.x <= area.right && point.y >= area.top && point.y <= area.bottom;
}

}  // namespace

void CClipListCtrl::Attach(HWND list) {
    m_list = fw::CListView(list);
    Subclass(list);
}

std::vector<int> CClipListCtrl::selectedRows() const {
    std::vector<int> rows;
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list.GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

// The clips of the selected rows, top to bottom.
std::vector<std::string> CClipListCtrl::selectedClips(bool storeOnly) const {
    std::vector<std::string> clips;
    for (int row : selectedRows())
        if (!storeOnly || m_rows.shown(static_cast<std::size_t>(row)).archive.empty())
            clips.push_back(m_rows.clipAt(static_cast<std::size_t>(row)));
    return clips;
}

void CClipListCtrl::DeleteSelected() {
    // Named before the question: rows recorded while it waits may move the rows.
    const std::vector<std::string> clips = selectedClips(true);
    if (clips.empty())
        return;
    if (m_actions.queueShown()) {
        m_actions.unqueueClips(clips);
        return;
    }
    if (MessageBoxW(m_list.hwnd(), kDeleteQuestion, base::toWide(store::kMainWindowTitle).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    for (const std::string& clip : clips)
        if (!clip.empty())
            m_store.removeClip(clip);
    m_actions.rowsRemoved(clips);
    m_actions.previewRow(-1);
}

void CClipListCtrl::PasteSelected(bool plainText) {
    const std::vector<int> rows = selectedRows();
    if (rows.size() != 1)
        return;
    const std::string clip = m_rows.clipAt(static_cast<std::size_t>(rows.front()));
    if (!clip.empty())
        m_actions.pasteRow(clip, plainText);
}

// Only over the first selected row, and only when it shows something.
void CClipListCtrl::showContextMenu(POINT point) {
    const int first = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (first < 0 || static_cast<std::size_t>(first) >= m_rows.shownCount() ||
        m_rows.shown(static_cast<std::size_t>(first)).content.empty())
        return;
    // Copied: rows recorded while the menu is open may move the model's rows.
    const std::string clip = m_rows.shown(static_cast<std::size_t>(first)).clip;
    const std::string source = m_rows.shown(static_cast<std::size_t>(first)).source;
    const std::string archive = m_rows.shown(static_cast<std::size_t>(first)).archive;
    RECT bounds = {};
    if (!ListView_GetItemRect(m_list.hwnd(), first, &bounds, LVIR_BOUNDS) || !contains(bounds, point))
        return;
    if (m_actions.queueShown()) {
        const UINT chosen = trackQueueMenu();
        if (chosen == kMenuUnqueue)
            m_actions.unqueueClips(selectedClips(true));
        else if (chosen == kMenuClearQueue)
            m_actions.emptyQueue();
        return;
    }
    if (!archive.empty()) {
        showEarlierRowMenu(clip, archive);
        return;
    }
    base::UniqueMenu menu(CreatePopupMenu());
    base::UniqueMenu moveTo(CreatePopupMenu());
    if (!menu || !moveTo)
        return;
    AppendMenuW(menu.get(), MF_STRING, kMenuDelete, L"删除(&D)");
    const bool categories = ui::category::fillMenu(m_store, moveTo.get()) &&
                            AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(moveTo.get()), L"移动到(&M)");
    if (categories)
        moveTo.release();  // the menu owns it now
    // History clips only: a slot row is no history record.
    const bool historyRow = store::isHistoryClipName(clip);
    if (historyRow)
        AppendMenuW(menu.get(), MF_STRING, kMenuQueue, L"加入粘贴队列(&Q)");
    if (!source.empty())
        AppendMenuW(menu.get(), MF_STRING, kMenuExclude, L"不记录此程序的复制(&N)");
    if (m_rows.shown(static_cast<std::size_t>(first)).kind == 0)  // a text row
        appendPasteAsMenu(menu.get());
    AppendMenuW(menu.get(), MF_STRING, kMenuPaste, kPasteItem);  // last, where the user finds it
    base::Trace("list menu with %d items%s%s", GetMenuItemCount(menu.get()), categories ? ", move to" : "",
                historyRow ? ", queue" : "");
    POINT cursor;
    GetCursorPos(&cursor);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, m_list.hwnd(), nullptr));
    if (chosen == kMenuQueue)
        m_actions.queueClips(selectedClips(true));
    else if (chosen == kMenuDelete)
        DeleteSelected();
    else if (chosen == kMenuPaste)
        PasteSelected((GetKeyState(VK_SHIFT) & 0x8000) != 0);  // Shift as the item was chosen
    else if (chosen == kMenuExclude)
        m_actions.excludeSource(source);
    else if (const auto transform = chosen >= kMenuPasteAs ? store::transformFromNumber(chosen - kMenuPasteAs) : std::nullopt)
        m_actions.pasteRowAs(clip, *transform);
    else if (chosen >= ui::category::kFirstMenuCommand && chosen < kMenuDelete)
        moveToCategory(clip, chosen - ui::category::kFirstMenuCommand);
}

// A row found in an earlier run or an archive: its run or archive opened, or the row pasted (it
// comes back into the history first).
void CClipListCtrl::showEarlierRowMenu(const std::string& clip, const std::string& archive) {
    base::UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return;
    AppendMenuW(menu.get(), MF_STRING, kMenuOpenArchive, L"打开所在的记录(&O)");
    AppendMenuW(menu.get(), MF_STRING, kMenuPaste, kPasteItem);
    base::Trace("list menu with %d items of an earlier run", GetMenuItemCount(menu.get()));
    POINT cursor;
    GetCursorPos(&cursor);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, m_list.hwnd(), nullptr));
    if (chosen == kMenuOpenArchive)
        m_actions.openArchive(archive);
    else if (chosen == kMenuPaste)
        m_actions.pasteRow(clip, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
}

// "粘贴为(&A)" before "粘贴": each transform, in menu order, with its access key.
void CClipListCtrl::appendPasteAsMenu(HMENU menu) {
    base::UniqueMenu pasteAs(CreatePopupMenu());
    if (!pasteAs)
        return;
    for (const store::TransformName& name : store::kTransformNames)
        AppendMenuW(pasteAs.get(), MF_STRING, kMenuPasteAs + static_cast<UINT>(name.transform),
                    base::toWide(name.menuText).c_str());
    if (AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(pasteAs.get()), L"粘贴为(&A)"))
        pasteAs.release();  // the menu owns it now
}

// The queue's view: its rows leave the queue, or the whole queue is emptied.
UINT CClipListCtrl::trackQueueMenu() {
    const base::UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return 0;
    AppendMenuW(menu.get(), MF_STRING, kMenuUnqueue, L"从队列中移除");
    AppendMenuW(menu.get(), MF_STRING, kMenuClearQueue, L"清空队列");
    base::Trace("queue menu with %d items", GetMenuItemCount(menu.get()));
    POINT cursor;
    GetCursorPos(&cursor);
    return static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, m_list.hwnd(), nullptr));
}

// The command's position among the categories names the category (the item's text would lose
// an "&" to the menu's underlining).
void CClipListCtrl::moveToCategory(const std::string& clip, unsigned categoryIndex) {
    const std::vector<std::string> categories = m_store.categoryNames();
    if (categoryIndex >= categories.size())
        return;
    // A category element names a history clip by its base ("his12"); a slot's clip has none.
    if (store::isHistoryClipName(clip)) {
        m_store.setCategory(categories[categoryIndex], store::historyBaseOf(clip));
        m_actions.clipFiled(clip, categories[categoryIndex]);
    }
    m_actions.refreshRows();
}

LRESULT CClipListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_RBUTTONDOWN: {
        const LRESULT result = CallOriginal(message, wParam, lParam);  // selects the row
        showContextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return result;
    }
    case WM_LBUTTONDBLCLK:
        PasteSelected();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_DELETE)
            DeleteSelected();
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == kCommandDelete) {
            DeleteSelected();
            return 0;
        }
        break;
    case WM_DESTROY:
        RemovePropW(m_list.hwnd(), store::kListChangesProperty);
        break;
    default:
        break;
    }
    return CallOriginal(message, wParam, lParam);
}

}  // namespace ui
