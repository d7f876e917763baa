#include "app/SlotFiling.h"

#include "app/ClipRules.h"
#include "store/ClipNames.h"
#include "store/NumberText.h"
#include "store/Protocol.h"
#include "store/SecretRules.h"
#include "store/TimeStamp.h"
#include "base/ScopeExit.h"
#include "base/Trace.h"

namespace app {

namespace {

constexpr UINT kRetryMs = 50;
constexpr int kRetries = 100;

}  // namespace

void CSlotFiling::OnSlotCopied(WPARAM digitKey) {
    if (digitKey < '0' || digitKey > '9' || !m_parts.hook.GetOperXmlStatus)
        return;
    if (!fileSlotCopy(static_cast<char>(digitKey))) {
        m_retries.emplace_back(static_cast<char>(digitKey), 0);
        SetTimer(m_window, m_retryTimer, kRetryMs, nullptr);
    }
}

// An archive under way may take longer than the tries: they wait for it without counting.
void CSlotFiling::RetryWaitingCopies() {
    while (!m_retries.empty()) {
        auto& [digit, tries] = m_retries.front();
        const bool filed = fileSlotCopy(digit);
        if (!filed && (m_parts.archive.CommandRunning() || ++tries < kRetries))
            return;
        if (!filed) {
            base::Trace("slot %c not filed: the busy flag stayed held", digit);
            m_parts.tray.ReportMissedCopy(app::recorder::MissReason::StoreFailed);
        }
        m_retries.pop_front();
    }
    KillTimer(m_window, m_retryTimer);
}

// Filed by app::recorder::fileCopy: unless it has nothing to show or its text repeats the last text, with
// the number taken and the record written in one step under the store lock, whatever the recorder
// files meanwhile. The busy flag keeps a new slot copy from being stored meanwhile; both flags come
// down on every path. False when the flag is held elsewhere.
bool CSlotFiling::fileSlotCopy(char digit) {
    HookLibrary& hook = m_parts.hook;
    // The flag is free, or handed over with this copy's notification (Protocol.h).
    if (m_filing || hook.GetOperXmlStatus() == store::kBusySlotCopy || m_parts.archive.CommandRunning())
        return false;
    hook.SetOperXmlStatus(store::kBusySlotCopy);
    m_filing = true;
    base::ScopeExit done([this, &hook] {
        m_filing = false;
        hook.SetOperXmlStatus(store::kBusyFree);
    });
    const std::string slot = store::slotClipName(digit);
    const std::optional<store::StoredClip> contents = m_parts.store.readClip(slot);
    if (contents && m_parts.monitor.SkipsSecrets() && store::secretKindOfCopy(contents->snapshot) != store::SecretKind::None) {
        base::Trace("slot %c holds what is plainly a secret: not filed in the history", digit);
        m_parts.tray.NoteSecretSkipped();
    } else if (contents) {
        const std::string stamp = contents->copyTime.empty() ? store::currentTimeStamp() : contents->copyTime;
        app::recorder::Filing filing = app::recorder::fileCopy(m_parts.store.paths(), contents->snapshot, stamp, m_parts.monitor.lastText());
        if (filing.outcome == app::recorder::Filing::Outcome::Filed && m_onFiled)
            m_onFiled(contents->snapshot, filing.row, filing.madeRoom);
        showFiling(digit, std::move(filing));
    } else {
        base::Trace("slot %c not filed: it cannot be read", digit);
        m_parts.tray.ReportMissedCopy(app::recorder::MissReason::StoreFailed);
    }
    // The repeat test was the filing's: the slot's row only shows what it holds now.
    m_parts.view.ShowClipRow(m_parts.view.nodes().hotkeys, slot, store::slotNumberText(digit));
    return true;
}

void CSlotFiling::showFiling(char digit, app::recorder::Filing filing) {
    switch (filing.outcome) {
    case app::recorder::Filing::Outcome::Filed:
        base::Trace("slot %c filed as his%d-", digit, filing.number);
        if (m_parts.view.ShowsHistory())
            m_parts.view.ShowRecordedRows({std::move(filing.row)});
        m_parts.view.SetRootText(true);
        if (filing.madeRoom)
            m_parts.view.queue().Changed();  // the number made free left the paste queue
        break;
    case app::recorder::Filing::Outcome::Failed:
        base::Trace("slot %c not filed: the store cannot be written", digit);
        m_parts.tray.ReportMissedCopy(app::recorder::MissReason::StoreFailed);
        break;
    case app::recorder::Filing::Outcome::HistoryFull:
    case app::recorder::Filing::Outcome::Repeat:
    case app::recorder::Filing::Outcome::NothingToShow:
        break;
    }
}

// The library could not write the slot's clip (a data file held open by another program, a
// read-only one, a full disk): the slot kept its old clip, and the tray says the copy was not saved.
void CSlotFiling::OnSlotCopyFailed(WPARAM digitKey) {
    base::Trace("slot %c copy not stored", static_cast<char>(digitKey));
    m_parts.tray.ReportMissedCopy(app::recorder::MissReason::StoreFailed);
}

}  // namespace app
