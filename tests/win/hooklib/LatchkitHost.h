// A stand-in for the main program in tests of the hook library: loads Latchkit.dll by name,
// binds its eleven exports, owns a window with the main window's exact title and records the
// WM_USER+1 and WM_USER+3 it receives.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

struct LatchkitExports {
    int(WINAPI* installhook)(HWND) = nullptr;
    int(WINAPI* UnHook)() = nullptr;
    int(WINAPI* SaveClipData)(const char*) = nullptr;
    UINT_PTR(WINAPI* Paste2Window)(int) = nullptr;
    void(WINAPI* PasteData2Window)(const char*) = nullptr;
    void(WINAPI* PastePlainText2Window)(const char*) = nullptr;
    HANDLE(WINAPI* SetCurrentClipData)(const char*) = nullptr;
    UINT_PTR(WINAPI* ResumeClipData)() = nullptr;
    int(WINAPI* GetOperXmlStatus)() = nullptr;
    int(WINAPI* SetOperXmlStatus)(int) = nullptr;
    BOOL(WINAPI* IsOwnClipboardChange)(DWORD, DWORD) = nullptr;
};

struct HostMessage {
    UINT message;
    WPARAM wParam;
};

class LatchkitHost {
public:
    LatchkitHost();
    ~LatchkitHost();

    bool loaded() const { return m_library != nullptr; }
    const LatchkitExports& dll() const { return m_exports; }
    HWND window() const { return m_window; }
    const std::vector<HostMessage>& messages() const { return m_messages; }

    bool waitForMessage(UINT message, WPARAM* wParam, std::chrono::milliseconds timeout);

    // The store in the per-user store folder, emptied as the main program does at start.
    static std::string windowsDir();
    static std::string indexPath() { return windowsDir() + "\\clipboard.xml"; }
    static std::string statusPath() { return windowsDir() + "\\label.xml"; }
    static std::string dataFile(const std::string& name) { return windowsDir() + "\\Brindlecote\\" + name; }
    static void emptyStore();

private:
    static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);

    HMODULE m_library = nullptr;
    LatchkitExports m_exports;
    HWND m_window = nullptr;
    std::vector<HostMessage> m_messages;
};

