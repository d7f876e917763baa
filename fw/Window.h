// Finding windows of other processes, a window's text, and data sent to another process's window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// The top-level window with exactly this title that also has the child control `childId`;
// null when there is none. (A title alone also finds message boxes that borrow it.)
HWND FindTopLevelWindow(const std::wstring& title, int childId);

// The work areas of all monitors (the screen without the taskbar), in screen coordinates.
std::vector<RECT> MonitorWorkAreas();

// The full path of a process's program file (QueryFullProcessImageNameW); empty when the process
// has ended or may not be asked.
std::wstring ProgramOfProcess(DWORD processId);
// The same for the process behind a window; empty for no window.
std::wstring ProgramOfWindow(HWND window);
// A window's class name; empty for no window.
std::wstring ClassOfWindow(HWND window);

// The whole text of a window or control.
std::wstring windowText(HWND window);

// `bytes` sent to `to` as WM_COPYDATA from `from` (its wParam), tagged `tag` (its dwData), waiting
// at most `timeoutMs` and not at all for a hung window; the receiver's answer, or nothing when it
// gave none in time. The system copies the bytes into the receiver for the time of the call.
std::optional<LRESULT> SendCopyData(HWND to, HWND from, ULONG_PTR tag, std::string_view bytes, UINT timeoutMs);

}  // namespace fw
