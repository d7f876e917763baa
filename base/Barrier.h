// The one exception barrier for code that Windows calls (dialog and window procedures, hooks,
// timers, exports): nothing may unwind through user32 or into another application, and what was
// caught is written to the trace with where it was caught before the fallback is returned.
#pragma once

#include <utility>

namespace base {

// Inside a catch block: traces the exception being handled and `where` it was caught.
void TraceCaughtException(const char* where) noexcept;

template <typename Result, typename Body>
Result Guarded(const char* where, Result fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        TraceCaughtException(where);
        return fallback;
    }
}

// The same for a body that returns nothing.
template <typename Body>
void Guarded(const char* where, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
        TraceCaughtException(where);
    }
}

}  // namespace base
