// A small target application for real-input tests: a top-level window (or, with the class
// "#dialog", a dialog) holding one multi-line edit control, its text selected and focused. It
// logs every key press and right button the edit receives, and answers WM_APP+1 with its
// thread's view of Ctrl (GetKeyState). Like a word processor it prefers rich text: a paste of a
// clipboard that holds "Rich Text Format" inserts that (its bytes as text), not the plain text.
// With a paste delay it answers a paste as programs that hand it to another process do: it reads
// the clipboard only that many milliseconds later, answering messages meanwhile. With
// "shift-insert" it pastes as a terminal does: on Shift+Insert alone, Ctrl+V does nothing.
// Its edit answers WM_APP+2 with what a popup menu shown in this process holds, read here, where
// the menu lives (see readMenu), as a screen reader's helper in the process would.
//   edit_target.exe <title> <text> [window class | #dialog] [key log path ("": none)] [paste delay ms]
//                   [shift-insert]
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr UINT kQueryControlState = WM_APP + 1;
constexpr UINT kReadMenu = WM_APP + 2;
constexpr int kEditId = 100;

WNDPROC g_editProc = nullptr;
FILE* g_log = nullptr;
HWND g_edit = nullptr;
const wchar_t* g_text = L"";
DWORD g_pasteDelayMs = 0;
bool g_shiftInsertOnly = false;

bool isDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

// A terminal's keys: Shift+Insert pastes (through WM_PASTE, as the edit's own would), Ctrl+V
// and its character do nothing. True when the message was taken.
bool terminalKey(HWND window, UINT message, WPARAM wParam) {
    if (message == WM_KEYDOWN && wParam == VK_INSERT && isDown(VK_SHIFT) && !isDown(VK_CONTROL)) {
        SendMessageW(window, WM_PASTE, 0, 0);
        return true;
    }
    return (message == WM_KEYDOWN && wParam == 'V' && isDown(VK_CONTROL)) || (message == WM_CHAR && wParam == 0x16);
}

bool pasteRichText(HWND edit) {
    const UINT richText = RegisterClipboardFormatW(L"Rich Text Format");
    if (!IsClipboardFormatAvailable(richText) || !OpenClipboard(edit))
        return false;
    std::wstring text;
    if (HANDLE data = GetClipboardData(richText)) {
        const char* bytes = static_cast<const char*>(GlobalLock(data));
        for (SIZE_T i = 0; bytes && i < GlobalSize(data) && bytes[i]; ++i)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
        GlobalUnlock(data);
    }
    CloseClipboard();
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    return true;
}

void answerMessagesFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// wParam: the menu's window (class "#32768"); LOWORD(lParam): an item's position; HIWORD(lParam):
// what of it: 0 the menu's item count, 1 the item's type (MFT_*), 2 its data (an address in this
// process), 3 the address of a copy of its text in this process. -1 when there is no such item.
LRESULT readMenu(WPARAM wParam, LPARAM lParam) {
    static wchar_t text[512];
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(reinterpret_cast<HWND>(wParam), MN_GETHMENU, 0, 0));
    const UINT position = LOWORD(lParam);
    if (!menu)
        return -1;
    if (HIWORD(lParam) == 0)
        return GetMenuItemCount(menu);
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_STRING;
    item.dwTypeData = text;
    item.cch = sizeof text / sizeof text[0];
    text[0] = 0;
    if (!GetMenuItemInfoW(menu, position, TRUE, &item))
        return -1;
    switch (HIWORD(lParam)) {
    case 1:
        return static_cast<LRESULT>(item.fType);
    case 2:
        return static_cast<LRESULT>(item.dwItemData);
    default:
        return reinterpret_cast<LRESULT>(text);
    }
}

LRESULT CALLBACK editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kReadMenu)
        return readMenu(wParam, lParam);
    if (g_log && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
        std::fprintf(g_log, "%s %u\n", message == WM_KEYDOWN ? "down" : "sysdown", static_cast<unsigned>(wParam));
        std::fflush(g_log);
    }
    if (g_log && (message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_CHAR)) {
        std::fprintf(g_log, "%s %u\n", message == WM_SETFOCUS ? "focus" : message == WM_KILLFOCUS ? "blur" : "char",
                     static_cast<unsigned>(wParam));
        std::fflush(g_log);
    }
    if (g_log && (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_RBUTTONDBLCLK)) {
        std::fprintf(g_log, "%s\n", message == WM_RBUTTONDOWN ? "rdown" : message == WM_RBUTTONUP ? "rup" : "rdouble");
        std::fflush(g_log);
    }
    if (g_shiftInsertOnly && terminalKey(window, message, wParam))
        return 0;
    if (message == WM_PASTE) {
        answerMessagesFor(g_pasteDelayMs);
        if (pasteRichText(window))
            return 0;
    }
    return CallWindowProcW(g_editProc, window, message, wParam, lParam);
}

void adoptEdit(HWND edit) {
    g_edit = edit;
    SetWindowTextW(edit, g_text);
    g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc)));
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(g_edit);
        return 0;
    case kQueryControlState:
        return GetKeyState(VK_CONTROL);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        adoptEdit(GetDlgItem(dialog, kEditId));
        return FALSE;  // the focus is set
    case kQueryControlState:
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, GetKeyState(VK_CONTROL));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

void appendWord(std::vector<WORD>& out, WORD value) {
    out.push_back(value);
}

void appendText(std::vector<WORD>& out, const wchar_t* text) {
    for (; *text; ++text)
        out.push_back(static_cast<WORD>(*text));
    out.push_back(0);
}

// A dialog template in memory: a captioned dialog with one multi-line edit.
std::vector<WORD> dialogTemplate(const wchar_t* title) {
    std::vector<WORD> t;
    const DWORD style = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    appendWord(t, LOWORD(style));
    appendWord(t, HIWORD(style));
    appendWord(t, 0), appendWord(t, 0);      // extended style
    appendWord(t, 1);                        // one control
    appendWord(t, 70), appendWord(t, 70), appendWord(t, 200), appendWord(t, 100);
    appendWord(t, 0), appendWord(t, 0);      // no menu, default class
    appendText(t, title);
    appendWord(t, 9);
    appendText(t, L"MS Shell Dlg");
    if (t.size() % 2)
        appendWord(t, 0);                    // controls start on a DWORD boundary
    const DWORD editStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL;
    appendWord(t, LOWORD(editStyle));
    appendWord(t, HIWORD(editStyle));
    appendWord(t, 0), appendWord(t, 0);
    appendWord(t, 5), appendWord(t, 5), appendWord(t, 190), appendWord(t, 90);
    appendWord(t, kEditId);
    appendWord(t, 0xFFFF), appendWord(t, 0x0081);  // the EDIT class
    appendWord(t, 0);                              // no text
    appendWord(t, 0);                              // no creation data
    return t;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3)
        return 2;
    const std::wstring className = argc > 3 ? argv[3] : L"DravixEditTarget";
    if (argc > 4 && *argv[4])
        g_log = _wfopen(argv[4], L"w");
    if (argc > 5)
        g_pasteDelayMs = static_cast<DWORD>(_wtoi(argv[5]));
    g_shiftInsertOnly = argc > 6 && std::wstring(argv[6]) == L"shift-insert";
    g_text = argv[2];

    if (className == L"#dialog") {
        std::vector<WORD> layout = dialogTemplate(argv[1]);
        DialogBoxIndirectParamW(instance, reinterpret_cast<DLGTEMPLATE*>(layout.data()), nullptr, dialogProc, 0);
    } else {
        WNDCLASSW frameClass = {};
        frameClass.lpfnWndProc = frameProc;
        frameClass.hInstance = instance;
        frameClass.lpszClassName = className.c_str();
        frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassW(&frameClass);
        HWND frame = CreateWindowExW(0, className.c_str(), argv[1], WS_OVERLAPPEDWINDOW, 100, 100, 400, 200, nullptr,
                                     nullptr, instance, nullptr);
        HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 400,
                                    200, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), instance, nullptr);
        ShowWindow(frame, SW_SHOW);
        SetForegroundWindow(frame);
        adoptEdit(edit);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (g_log)
        std::fclose(g_log);
    return 0;
}
