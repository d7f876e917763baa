#include "hooklib/Chord.h"

#include "base/Check.h"

namespace hooklib {

CChord::~CChord() {
    stopStep();
}

void CChord::beginRun(LONG slot, HWND target, TIMERPROC stepProcedure) {
    m_slot = slot;
    m_target = target;
    m_stepProcedure = stepProcedure;
    m_stepBegan = GetTickCount();
}

bool CChord::startStep(UINT ms) {
    stopStep();
    m_stepBegan = GetTickCount();
    m_timer = CHECK_WIN32(SetTimer(nullptr, 0, ms, m_stepProcedure));
    return m_timer != 0;
}

void CChord::stopStep() {
    if (m_timer)
        KillTimer(nullptr, m_timer);
    m_timer = 0;
}

bool CChord::makeWindow(CChordWnd::Events events) {
    if (!m_window)
        m_window = std::make_unique<CChordWnd>(std::move(events));
    return m_window->hwnd() != nullptr;
}

void CChord::noteSeen(bool seen, DWORD sequence) {
    m_seen = seen;
    m_seenSequence = sequence;
}

}  // namespace hooklib
