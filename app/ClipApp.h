// CClipApp: start-up (updates, companions, single instance, the hook library, the store of the
// previous run), the main window run modally, and teardown.
#pragma once

#include "store/SysClipBoard.h"
#include "fw/App.h"

#include <string>

namespace app {

class CClipDlg;

class CClipApp : public fw::CApp {
public:
    bool InitInstance() override;
    int ExitInstance() override;
    bool ProcessMessageFilter(int code, MSG* message) override;

    static DWORD startupPauseMs();
    static store::KeepStep endAtKeepStep();

private:
    static bool filterCaptureKeys(const MSG& message);
    static void startStore(const store::CSysClipBoard& store, CClipDlg& dialog);
    static bool restoreLastRun(const store::CSysClipBoard& store, const store::PreviousRun& previous, CClipDlg& dialog);
    CClipDlg* m_pMainDlg = nullptr;
};

}  // namespace app
