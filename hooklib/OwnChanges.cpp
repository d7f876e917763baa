#include "hooklib/OwnChanges.h"

#include "hooklib/OwnChangeRules.h"
#include "hooklib/SharedState.h"
#include "base/Handle.h"

#include <vector>

namespace {

SharedOwnChange& slotOf(LONG ticket) {
    return g_ownChanges[static_cast<ULONG>(ticket) % kOwnChangeSlots];
}

// Writes a slot under its version: odd while the fields change.
template <typename Write>
void writeSlot(SharedOwnChange& slot, Write&& write) {
    InterlockedIncrement(&slot.version);
    write();
    InterlockedIncrement(&slot.version);
}

// A consistent copy of every slot; a slot being written is waited for a few turns, then left out
// (its writer was stopped in the middle: an application that hung or went away).
std::vector<ownchange::Range> noted() {
    std::vector<ownchange::Range> ranges;
    for (SharedOwnChange& slot : g_ownChanges) {
        for (int attempt = 0; attempt < 200; ++attempt) {
            const LONG before = slot.version;
            if (before & 1) {
                Sleep(0);
                continue;
            }
            ownchange::Range range;
            range.first = static_cast<std::uint32_t>(slot.first);
            range.end = static_cast<std::uint32_t>(slot.end);
            range.ownerProcess = static_cast<std::uint32_t>(slot.ownerProcess);
            range.startedTick = static_cast<std::uint32_t>(slot.startedTick);
            range.underWay = slot.underWay != 0;
            MemoryBarrier();
            if (slot.version == before) {
                ranges.push_back(range);
                break;
            }
        }
    }
    return ranges;
}

}  // namespace

DWORD processOfWindow(HWND window) {
    DWORD process = 0;
    if (window)
        GetWindowThreadProcessId(window, &process);
    return process;
}

COwnChange COwnChange::begin(DWORD ownerProcess) {
    COwnChange change;
    do
        change.m_ticket = InterlockedIncrement(&g_nOwnChangeTickets);
    while (change.m_ticket == 0);
    const LONG first = static_cast<LONG>(GetClipboardSequenceNumber() + 1);
    SharedOwnChange& slot = slotOf(change.m_ticket);
    writeSlot(slot, [&] {
        slot.ticket = change.m_ticket;
        slot.first = first;
        slot.end = first;
        slot.ownerProcess = static_cast<LONG>(ownerProcess);
        slot.startedTick = static_cast<LONG>(GetTickCount());
        slot.underWay = 1;
    });
    return change;
}

COwnChange& COwnChange::operator=(COwnChange&& other) noexcept {
    if (this != &other) {
        end();
        m_ticket = other.m_ticket;
        other.m_ticket = 0;
    }
    return *this;
}

void COwnChange::end() {
    endWith(GetClipboardSequenceNumber());
}

// A slot that sixteen later ranges took over meanwhile belongs to another range now.
void COwnChange::endWith(DWORD sequence) {
    if (!m_ticket)
        return;
    SharedOwnChange& slot = slotOf(m_ticket);
    const LONG end = static_cast<LONG>(sequence + 1);
    if (slot.ticket == m_ticket)
        writeSlot(slot, [&] {
            slot.end = end;
            slot.underWay = 0;
        });
    m_ticket = 0;
}

bool isOwnClipboardChange(DWORD sequence, DWORD ownerProcess) {
    InterlockedExchange(&g_nSeenSequence, static_cast<LONG>(sequence));
    return ownchange::isOwnChange(noted(), sequence, ownerProcess, GetTickCount());
}

bool recorderSawClipboard() {
    const LONG seen = g_nSeenSequence;
    return seen == 0 || static_cast<DWORD>(seen) == GetClipboardSequenceNumber();
}

bool waitUntilRecorderSaw(DWORD boundMs) {
    const DWORD start = GetTickCount();
    while (!recorderSawClipboard() && findMainWindow()) {
        if (GetTickCount() - start >= boundMs)
            return false;
        base::WaitAnsweringSentMessages(1);
    }
    return true;
}
