#include "fw/App.h"

#include "base/Barrier.h"
#include "base/Check.h"

namespace fw {

CApp* CApp::s_current = nullptr;

CApp::CApp() {
    s_current = this;
}

CApp::~CApp() {
    if (s_current == this)
        s_current = nullptr;
}

bool CApp::ProcessMessageFilter(int, MSG*) {
    return false;
}

LRESULT CALLBACK CApp::filterHook(int code, WPARAM wParam, LPARAM lParam) {
    CApp* app = s_current;
    if (code >= 0 && app &&
        base::Guarded("message filter", false, [&] { return app->ProcessMessageFilter(code, reinterpret_cast<MSG*>(lParam)); }))
        return 1;
    return CallNextHookEx(app ? app->m_filterHook.get() : nullptr, code, wParam, lParam);
}

int CApp::Run() {
    // Without the hook the program runs, but keys inside modal loops pass the filter by.
    m_filterHook.reset(CHECK_WIN32(SetWindowsHookExW(WH_MSGFILTER, filterHook, nullptr, GetCurrentThreadId())));
    int result = 0;
    if (InitInstance()) {
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (ProcessMessageFilter(kMainLoop, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        result = static_cast<int>(message.wParam);
    }
    const int exitCode = ExitInstance();
    m_filterHook.reset();
    return exitCode ? exitCode : result;
}

}  // namespace fw
