#include "hooklib/Chord.h"

#include "base/Check.h"

namespace hooklib {

void CStepTimer::use(TIMERPROC procedure) {
    m_procedure = procedure;
    m_began = GetTickCount();
}

bool CStepTimer::start(UINT ms) {
    stop();
    m_began = GetTickCount();
    m_timer = CHECK_WIN32(SetTimer(nullptr, 0, ms, m_procedure));
    return m_timer != 0;
}

void CStepTimer::stop() {
    if (m_timer)
        KillTimer(nullptr, m_timer);
    m_timer = 0;
}

CChord::~CChord() = default;

void CChord::beginRun(LONG slot, HWND target, TIMERPROC stepProcedure) {
    m_slot = slot;
    m_target = target;
    m_stepTimer.use(stepProcedure);
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
