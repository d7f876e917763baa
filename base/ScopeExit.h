// Runs a function when the scope ends, on every path out of it (early returns and exceptions):
// the flags an operation raises come down again however it ends.
#pragma once

#include <utility>

namespace base {

template <typename Function>
class ScopeExit {
public:
    explicit ScopeExit(Function function) : m_function(std::move(function)) {}
    ~ScopeExit() {
        if (m_armed)
            m_function();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void dismiss() { m_armed = false; }

private:
    Function m_function;
    bool m_armed = true;
};

}  // namespace base
