// The application object: InitInstance, the message loop when it asks for one, ExitInstance,
// and ProcessMessageFilter, fed by a thread WH_MSGFILTER hook for the whole run so that it also
// sees keys inside modal dialog and menu loops.
#pragma once

#include "base/Handle.h"

#include <windows.h>

namespace fw {

class CApp {
public:
    CApp();
    virtual ~CApp();
    CApp(const CApp&) = delete;
    CApp& operator=(const CApp&) = delete;

    // InitInstance; the message loop only if it returned true; then always ExitInstance.
    int Run();

    virtual bool InitInstance() { return false; }
    virtual int ExitInstance() { return 0; }
    // True swallows the message.
    virtual bool ProcessMessageFilter(int code, MSG* message);

    static CApp* current() { return s_current; }
    // The filter code for messages of the main loop itself (MSGF_ codes of modal loops are below it).
    static constexpr int kMainLoop = 0x7FFF;

private:
    static LRESULT CALLBACK filterHook(int code, WPARAM wParam, LPARAM lParam);

    base::UniqueHook m_filterHook;
    static CApp* s_current;
};

}  // namespace fw
