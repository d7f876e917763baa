// The other programs on a user's desktop, as the recorder meets them:
//   clip_source.exe viewer                  joins the clipboard viewer chain and passes nothing on
//   clip_source.exe hold <text> <ms>        copies the text, then keeps the clipboard open
//   clip_source.exe rewrite <text> <ms> <ms2>  copies the text, opens the clipboard again and after
//                                           <ms> puts "<text> again" in it, closing it <ms2> later
//   clip_source.exe delayed <text> <ms>     promises the text (delayed rendering), then does not
//                                           answer for <ms> before it hands it out on request
//   clip_source.exe busy <text> <ms>        copies the text, then does not answer for <ms> (a
//                                           program busy after a copy)
//   clip_source.exe renderhang <text> <ms>  promises the text and answers what it is sent, but
//                                           hangs <ms> inside the request for it before it hands it out
//   clip_source.exe reader                  reads the text of every new clipboard at once, as a
//                                           clipboard tool that ignores the marks of private copies would
//   clip_source.exe burst <prefix> <n> <ms> copies "<prefix> 0" ... "<prefix> n-1", <ms> apart
//   clip_source.exe busyflag                raises the hook library's busy flag and ends with it
//                                           raised, as a program killed in the middle of a copy
// Each shows a hidden window titled "clip_source <mode>" once it has done its first step, and
// ends on WM_CLOSE (or after a minute).
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

std::wstring g_text;
bool g_delayed = false;  // the text is handed out on request
DWORD g_renderHang = 0;  // ... after hanging this long in the request

HGLOBAL textBlock(const std::wstring& text) {
    const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), text.c_str(), size);
    GlobalUnlock(memory);
    return memory;
}

// While it waits for the clipboard it answers what other programs send it: the one holding the
// clipboard may be telling it that it no longer owns it, and waits for the answer. Every copy it
// is told to make lands on the clipboard (tests count them), however long others hold it.
bool openClipboard(HWND owner) {
    for (int attempt = 0; attempt < 2000; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return false;
}

void copy(HWND owner, const std::wstring& text, bool delayed) {
    if (!openClipboard(owner))
        return;
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, delayed ? nullptr : textBlock(text));
    CloseClipboard();
}

// Like any program with windows it goes on answering while it waits (under Wine nobody can open
// the clipboard while the program that set it last does not).
void pumpFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_RENDERFORMAT:
        Sleep(std::exchange(g_renderHang, 0));
        if (wParam == CF_UNICODETEXT)
            SetClipboardData(CF_UNICODETEXT, textBlock(g_text));
        return 0;
    case WM_RENDERALLFORMATS:
        if (g_delayed && OpenClipboard(window)) {
            if (GetClipboardOwner() == window)
                SetClipboardData(CF_UNICODETEXT, textBlock(g_text));
            CloseClipboard();
        }
        return 0;
    case WM_CLIPBOARDUPDATE:
        if (openClipboard(window)) {
            GetClipboardData(CF_UNICODETEXT);
            CloseClipboard();
        }
        return 0;
    case WM_DRAWCLIPBOARD:
    case WM_CHANGECBCHAIN:
        return 0;  // a broken viewer: the news goes no further
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count < 2)
        return 2;
    const std::wstring mode = argv[1];
    g_text = count > 2 ? argv[2] : L"";
    const int number = count > 3 ? _wtoi(argv[3]) : 0;
    const int pause = count > 4 ? _wtoi(argv[4]) : 0;
    if (mode == L"busyflag") {
        HMODULE library = LoadLibraryW(L"Latchkit.dll");
        auto raise = reinterpret_cast<int(WINAPI*)(int)>(
            reinterpret_cast<void*>(library ? GetProcAddress(library, "SetOperXmlStatus") : nullptr));
        return raise && raise(1) == 1 ? 0 : 1;
    }

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"DravixClipSource";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);

    if (mode == L"viewer") {
        SetClipboardViewer(window);
    } else if (mode == L"reader") {
        AddClipboardFormatListener(window);
    } else if (mode == L"hold" || mode == L"rewrite") {
        copy(window, g_text, false);
        if (openClipboard(window)) {
            SetWindowTextW(window, (L"clip_source " + mode).c_str());
            Sleep(static_cast<DWORD>(number));
            if (mode == L"rewrite") {
                EmptyClipboard();
                SetClipboardData(CF_UNICODETEXT, textBlock(g_text + L" again"));
                Sleep(static_cast<DWORD>(pause));
            }
            CloseClipboard();
        }
    } else if (mode == L"delayed") {
        g_delayed = true;
        copy(window, g_text, true);
        SetWindowTextW(window, (L"clip_source " + mode).c_str());
        Sleep(static_cast<DWORD>(number));  // not answering
    } else if (mode == L"renderhang") {
        g_delayed = true;
        g_renderHang = static_cast<DWORD>(number);
        copy(window, g_text, true);
    } else if (mode == L"busy") {
        copy(window, g_text, false);
        SetWindowTextW(window, (L"clip_source " + mode).c_str());
        Sleep(static_cast<DWORD>(number));  // not answering
    } else if (mode == L"burst") {
        for (int i = 0; i < number; ++i) {
            copy(window, g_text + L" " + std::to_wstring(i), false);
            pumpFor(static_cast<DWORD>(pause));
        }
    }
    SetWindowTextW(window, (L"clip_source " + mode).c_str());
    SetTimer(window, 1, 60000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER)
            break;
        DispatchMessageW(&message);
    }
    DestroyWindow(window);
    return 0;
}
