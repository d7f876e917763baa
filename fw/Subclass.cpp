#include "fw/Subclass.h"

#include "base/Barrier.h"
#include "base/Check.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace fw {

namespace {

// A window under our procedure: the procedure it had before, and our objects on it, oldest first.
struct Chain {
    WNDPROC original = nullptr;
    std::vector<CSubclassedWindow*> subclasses;
};

// Messages come on each window's own thread; the lock covers windows of several threads.
std::mutex g_chainsMutex;
std::unordered_map<HWND, Chain> g_chains;

// What a message of `window` goes to below `below` (null: below the newest): the next older of
// our objects, else the window's own procedure. Not ours: nothing.
struct Next {
    CSubclassedWindow* subclass = nullptr;
    WNDPROC original = nullptr;
};
std::optional<Next> nextBelow(HWND window, const CSubclassedWindow* below) {
    const std::lock_guard<std::mutex> lock(g_chainsMutex);
    const auto chain = g_chains.find(window);
    if (chain == g_chains.end())
        return std::nullopt;
    const std::vector<CSubclassedWindow*>& subclasses = chain->second.subclasses;
    auto at = below ? std::find(subclasses.begin(), subclasses.end(), below) : subclasses.end();
    return Next{at == subclasses.begin() ? nullptr : *(at - 1), chain->second.original};
}

}  // namespace

bool CSubclassedWindow::Subclass(HWND window) {
    Unsubclass();
    const std::lock_guard<std::mutex> lock(g_chainsMutex);
    auto [chain, first] = g_chains.try_emplace(window);
    if (first) {
        // Replacing a procedure sends the window no message: nothing comes back in under the lock.
        chain->second.original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
        if (!chain->second.original ||
            !CHECK_WIN32(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure)))) {
            g_chains.erase(chain);
            return false;
        }
    }
    chain->second.subclasses.push_back(this);
    m_hWnd = window;
    return true;
}

// The window keeps our procedure while another was put on after it, or another object of ours
// is on it; the window's own comes back when ours is on top and nothing of ours is left.
void CSubclassedWindow::Unsubclass() {
    if (!m_hWnd)
        return;
    const std::lock_guard<std::mutex> lock(g_chainsMutex);
    if (const auto chain = g_chains.find(m_hWnd); chain != g_chains.end()) {
        std::vector<CSubclassedWindow*>& subclasses = chain->second.subclasses;
        subclasses.erase(std::remove(subclasses.begin(), subclasses.end(), this), subclasses.end());
        if (subclasses.empty() &&
            GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&procedure) &&
            SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->second.original)))
            g_chains.erase(chain);
    }
    m_hWnd = nullptr;
}

LRESULT CSubclassedWindow::CallOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
    const std::optional<Next> next = m_hWnd ? nextBelow(m_hWnd, this) : std::nullopt;
    if (!next)
        return DefWindowProcW(m_hWnd, message, wParam, lParam);
    return next->subclass ? next->subclass->handle(message, wParam, lParam)
                          : CallWindowProcW(next->original, m_hWnd, message, wParam, lParam);
}

// No exception unwinds through user32: a handler that throws gets the next procedure's answer.
LRESULT CSubclassedWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const std::optional<LRESULT> handled = base::Guarded("subclass procedure", std::optional<LRESULT>(), [&] {
        return std::optional<LRESULT>(WindowProc(message, wParam, lParam));
    });
    return handled ? *handled : CallOriginal(message, wParam, lParam);
}

// At WM_NCDESTROY every object of ours lets go of the window, and the window's own procedure
// ends it.
LRESULT CALLBACK CSubclassedWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::optional<Next> newest = nextBelow(window, nullptr);
    if (!newest)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        while (const std::optional<Next> left = nextBelow(window, nullptr)) {
            if (!left->subclass)
                break;
            left->subclass->Unsubclass();
        }
        const std::lock_guard<std::mutex> lock(g_chainsMutex);
        g_chains.erase(window);
        return CallWindowProcW(newest->original, window, message, wParam, lParam);
    }
    return newest->subclass ? newest->subclass->handle(message, wParam, lParam)
                            : CallWindowProcW(newest->original, window, message, wParam, lParam);
}

}  // namespace fw
