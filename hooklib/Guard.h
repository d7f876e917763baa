// Code called by Windows on behalf of another application (hooks, timers, exports) must never
// let an exception out: `guarded` runs a body and turns any exception into the fallback.
#pragma once

template <typename Result, typename Body>
Result guarded(Result fallback, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}
