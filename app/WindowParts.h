// The main window's parts that its command objects work with: held by reference, owned by the
// window (CClipDlg), which builds them before the objects that use them.
#pragma once

namespace store { class CSysClipBoard; }

namespace app {

class CArchiveCommands;
class CClipboardMonitor;
class CClipTrayIcon;
class CHistoryView;
struct HookLibrary;

struct WindowParts {
    store::CSysClipBoard& store;
    HookLibrary& hook;
    CHistoryView& view;
    CClipTrayIcon& tray;
    const CArchiveCommands& archive;
    CClipboardMonitor& monitor;
};

}  // namespace app
