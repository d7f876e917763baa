// CClipDlg: the hook library's notifications, a slot copied (WM_USER+1) and a clip pasted
// (WM_USER+3).
#include "ClipDlg.h"

#include "ClipRules.h"
#include "StoreFormat.h"
#include "SysClipBoard.h"

namespace {

bool g_bSlotReady = true;

}  // namespace

// The slot's contents are also filed as a history record (taken back when its text repeats
// the last text), and the slot's row is refreshed. The busy flag keeps a new slot copy from
// being stored meanwhile.
void CClipDlg::OnSlotCopied(WPARAM digitKey) {
    if (!g_bSlotReady || !m_hook.GetOperXmlStatus || m_hook.GetOperXmlStatus() != 0)
        return;
    m_hook.SetOperXmlStatus(1);
    g_bSlotReady = false;
    const char digit = static_cast<char>(digitKey);
    const std::string slot = store::slotClipName(digit);
    CSysClipBoard* store = CSysClipBoard::getInstance();
    const int number = store->findCanUseHisClip();
    if (number > store::kMaxHistoryNumber) {
        m_strLastText.clear();
        g_bSlotReady = true;
        ShowClipRow(m_hHotkeys, slot, clip::slotNumberText(digit));
        m_hook.SetOperXmlStatus(0);
        return;
    }
    const std::string history = store::historyClipName(number);
    store->copyClip(slot, history);
    if (ShowClipRow(m_hCollection, history, clip::historyNumberText(number))) {
        store->removeElement(store::timeElementName(history));
        for (int i = 0; i < store::kMaxFormatsPerClip; ++i)
            store->removeElement(store::formatElementName(history, i));
    }
    ShowClipRow(m_hHotkeys, slot, clip::slotNumberText(digit));
    g_bSlotReady = true;
    m_hook.SetOperXmlStatus(0);
    setRootText(true);
}

// The pasted history record's row gets its new use time, whatever view is on display, and the
// rows are sorted by use time.
void CClipDlg::OnClipPasted(WPARAM number) {
    if (number == 0)
        return;
    const int n = static_cast<int>(number);
    const std::u16string kept = m_strLastText;
    m_strLastText.clear();
    ShowClipRow(m_tree.GetSelectedItem(), store::historyClipName(n), clip::historyNumberText(n));
    m_strLastText = kept;
    SortByColumn(3, m_bSortAscending);
}
