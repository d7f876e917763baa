// CClipDlg: the hook library's notifications, a slot copied (WM_USER+1) and a clip pasted
// (WM_USER+3).
#include "app/ClipDlg.h"

#include "store/ClipNames.h"
#include "app/ClipRules.h"
#include "store/NumberText.h"
#include "store/Protocol.h"
#include "store/SysClipBoard.h"
#include "store/TimeStamp.h"
#include "app/UserSwitches.h"
#include "base/ScopeExit.h"
#include "base/Trace.h"

namespace {

bool g_bSlotReady = true;
constexpr UINT kSlotRetryMs = 50;
constexpr int kSlotRetries = 100;

}  // namespace

// A copy notified while another slot copy holds the busy flag is filed once the flag is free,
// rather than dropped (its history record would be lost).
void CClipDlg::OnSlotCopied(WPARAM digitKey) {
    if (digitKey < '0' || digitKey > '9' || !m_hook.GetOperXmlStatus)
        return;
    if (!fileSlotCopy(static_cast<char>(digitKey))) {
        m_slotRetries.emplace_back(static_cast<char>(digitKey), 0);
        SetTimer(hwnd(), kSlotRetryTimer, kSlotRetryMs, nullptr);
    }
}

// An archive under way may take longer than the tries: they wait for it without counting.
void CClipDlg::retrySlotCopies() {
    while (!m_slotRetries.empty()) {
        auto& [digit, tries] = m_slotRetries.front();
        const bool filed = fileSlotCopy(digit);
        if (!filed && (m_archive.CommandRunning() || ++tries < kSlotRetries))
            return;
        if (!filed) {
            base::Trace("slot %c not filed: the busy flag stayed held", digit);
            m_tray.ReportMissedCopy(clip::MissReason::StoreFailed);
        }
        m_slotRetries.pop_front();
    }
    KillTimer(hwnd(), kSlotRetryTimer);
}

// The slot's contents are also filed as a history record, unless they have nothing to show or
// their text repeats the last text (decided before anything is written), and the slot's row is
// refreshed. The record is filed the one way every history record is (the number taken and the
// record written in one step under the store lock, whatever the recorder files meanwhile), and its
// row comes from the contents filed. A slot that cannot be read or a record that cannot be
// written is reported in the tray; the history full changes nothing but the last text. The busy
// flag keeps a new slot copy from being stored meanwhile; both flags come down on every path.
// False when the flag is held elsewhere.
bool CClipDlg::fileSlotCopy(char digit) {
    // The flag is free, or handed over with this copy's notification (Protocol.h).
    if (!g_bSlotReady || m_hook.GetOperXmlStatus() == store::kBusySlotCopy || m_archive.CommandRunning())
        return false;
    m_hook.SetOperXmlStatus(store::kBusySlotCopy);
    g_bSlotReady = false;
    base::ScopeExit done([this] {
        g_bSlotReady = true;
        m_hook.SetOperXmlStatus(store::kBusyFree);
    });
    const std::string slot = store::slotClipName(digit);
    const std::optional<StoredClip> contents = m_store.readClip(slot);
    const std::optional<clip::PartRow> row = contents ? clip::snapshotRow(contents->snapshot) : std::nullopt;
    if (!contents) {
        base::Trace("slot %c not filed: it cannot be read", digit);
        m_tray.ReportMissedCopy(clip::MissReason::StoreFailed);
    } else if (row && (row->kind != clip::kRowText || lastText().admit(row->content))) {
        const std::string stamp = contents->copyTime.empty() ? store::currentTimeStamp() : contents->copyTime;
        const store::FiledRecord filed = fileMakingRoomWhenAsked([&](store::WhenHistoryFull whenFull) {
            return m_store.fileHistoryRecord(contents->snapshot, stamp, whenFull);
        });
        switch (filed.outcome) {
        case store::FiledRecord::Outcome::Filed:
            base::Trace("slot %c filed as his%d-%s", digit, filed.number,
                      filed.madeRoom ? " in place of the oldest unfiled clip" : "");
            if (m_tree.GetSelectedItem() == m_hCollection)
                showRow(clip::ViewRow{row->kind, row->content, filed.stamp, store::historyNumberText(filed.number),
                                      filed.stamp, {}, store::historyClipName(filed.number)});  // a slot copy names no program
            setRootText(true);
            if (filed.madeRoom)
                queueChanged();  // the number made free left the paste queue
            break;
        case store::FiledRecord::Outcome::HistoryFull:
            lastText().set({});
            break;
        case store::FiledRecord::Outcome::Failed:
            lastText().set({});
            base::Trace("slot %c not filed: the store cannot be written", digit);
            m_tray.ReportMissedCopy(clip::MissReason::StoreFailed);
            break;
        }
    }
    ShowClipRow(m_hHotkeys, slot, store::slotNumberText(digit));
    return true;
}

// A slot copy whose clip could not be written (a data file held open by another program, a
// read-only one, a full disk): the slot kept its old clip, and the tray says the copy was not saved.
void CClipDlg::OnSlotCopyFailed(WPARAM digit) {
    base::Trace("slot %c copy not stored", static_cast<char>(digit));
    m_tray.ReportMissedCopy(clip::MissReason::StoreFailed);
}

// The pasted history record's row gets its new use time, whatever view is on display but the
// queue's (read again), the repeat test does not apply, and the last text stays; the rows are
// sorted by use time; the sort column and its arrow stay as the user chose them.
void CClipDlg::OnClipPasted(WPARAM number) {
    queueChanged();  // a paste from the queue took its head (a number 0 too: a head that was gone)
    if (number == 0 || number > static_cast<WPARAM>(store::kMaxHistoryNumber) || ShowsQueue())
        return;
    const int n = static_cast<int>(number);
    ShowClipRow(m_tree.GetSelectedItem(), store::historyClipName(n), store::historyNumberText(n), false);
    changeRowsKeepingSelection([](cliplist::ClipListModel& rows) {
        rows.sortOnce(3, rows.sortAscending());
        return true;
    });
}
