// CClipDlg: the hook library's notifications, a slot copied (WM_USER+1) and a clip pasted
// (WM_USER+3).
#include "ClipDlg.h"

#include "ClipRules.h"
#include "ListSupport.h"
#include "StoreFormat.h"
#include "SysClipBoard.h"
#include "fw/ScopeExit.h"

namespace {

bool g_bSlotReady = true;

}  // namespace

// The slot's contents are also filed as a history record (taken back when its text repeats
// the last text or it has nothing to show), and the slot's row is refreshed. The busy flag
// keeps a new slot copy from being stored meanwhile; both flags come down on every path.
void CClipDlg::OnSlotCopied(WPARAM digitKey) {
    if (digitKey < '0' || digitKey > '9')
        return;
    if (!g_bSlotReady || !m_hook.GetOperXmlStatus || m_hook.GetOperXmlStatus() != 0)
        return;
    m_hook.SetOperXmlStatus(1);
    g_bSlotReady = false;
    fw::ScopeExit done([this] {
        g_bSlotReady = true;
        m_hook.SetOperXmlStatus(0);
    });
    const char digit = static_cast<char>(digitKey);
    const std::string slot = store::slotClipName(digit);
    CSysClipBoard* store = CSysClipBoard::getInstance();
    const int number = store->findCanUseHisClip();
    if (number > store::kMaxHistoryNumber) {
        m_strLastText.clear();
        ShowClipRow(m_hHotkeys, slot, clip::slotNumberText(digit));
        return;
    }
    const std::string history = store::historyClipName(number);
    store->copyClip(slot, history);
    if (ShowClipRow(m_hCollection, history, clip::historyNumberText(number)))
        store->removeClip(history);
    ShowClipRow(m_hHotkeys, slot, clip::slotNumberText(digit));
    setRootText(true);
}

// The pasted history record's row gets its new use time, whatever view is on display, and the
// rows are sorted by use time; the sort column and its arrow stay as the user chose them.
void CClipDlg::OnClipPasted(WPARAM number) {
    if (number == 0 || number > static_cast<WPARAM>(store::kMaxHistoryNumber))
        return;
    const int n = static_cast<int>(number);
    const std::u16string kept = m_strLastText;
    m_strLastText.clear();
    fw::ScopeExit restore([&] { m_strLastText = kept; });
    ShowClipRow(m_tree.GetSelectedItem(), store::historyClipName(n), clip::historyNumberText(n));
    kit::SortByColumnText(m_list.hwnd(), 3, m_bSortAscending);
}
