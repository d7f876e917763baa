// A small target application for real-input tests: a top-level window holding one edit
// control, its text selected and focused. It logs every key press the edit receives.
//   edit_target.exe <title> <text> [window class] [key log path]
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

WNDPROC g_editProc = nullptr;
FILE* g_log = nullptr;
HWND g_edit = nullptr;

LRESULT CALLBACK editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_log && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
        std::fprintf(g_log, "%s %u\n", message == WM_KEYDOWN ? "down" : "sysdown", static_cast<unsigned>(wParam));
        std::fflush(g_log);
    }
    return CallWindowProcW(g_editProc, window, message, wParam, lParam);
}

LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(g_edit);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3)
        return 2;
    const wchar_t* className = argc > 3 ? argv[3] : L"DravixEditTarget";
    if (argc > 4)
        g_log = _wfopen(argv[4], L"w");

    WNDCLASSW frameClass = {};
    frameClass.lpfnWndProc = frameProc;
    frameClass.hInstance = instance;
    frameClass.lpszClassName = className;
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&frameClass);
    HWND frame = CreateWindowExW(0, className, argv[1], WS_OVERLAPPEDWINDOW, 100, 100, 400, 200, nullptr, nullptr,
                                 instance, nullptr);
    g_edit = CreateWindowExW(0, L"EDIT", argv[2], WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 400,
                             200, frame, nullptr, instance, nullptr);
    g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(g_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc)));
    ShowWindow(frame, SW_SHOW);
    SetForegroundWindow(frame);
    SetFocus(g_edit);
    SendMessageW(g_edit, EM_SETSEL, 0, -1);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (g_log)
        std::fclose(g_log);
    return 0;
}
