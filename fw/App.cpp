#include "App.h"

#include "base/Barrier.h"

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
    return CallNextHookEx(app ? app->m_filterHook : nullptr, code, wParam, lParam);
}

int CApp::Run() {
    m_filterHook = SetWindowsHookExW(WH_MSGFILTER, filterHook, nullptr, GetCurrentThreadId());
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
    if (m_filterHook)
        UnhookWindowsHookEx(m_filterHook);
    m_filterHook = nullptr;
    return exitCode ? exitCode : result;
}

}  // namespace fw
