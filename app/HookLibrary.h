// The hook library's nine exports as the main program binds them, by name.
#pragma once

#include <windows.h>

struct HookLibrary {
    HMODULE module = nullptr;
    int(WINAPI* installhook)(HWND) = nullptr;
    int(WINAPI* UnHook)() = nullptr;
    UINT_PTR(WINAPI* Paste2Window)(int) = nullptr;
    void(WINAPI* PasteData2Window)(const char*) = nullptr;
    int(WINAPI* SaveClipData)(const char*) = nullptr;
    HANDLE(WINAPI* SetCurrentClipData)(const char*) = nullptr;
    UINT_PTR(WINAPI* ResumeClipData)() = nullptr;
    int(WINAPI* GetOperXmlStatus)() = nullptr;
    int(WINAPI* SetOperXmlStatus)(int) = nullptr;

    // Resolves the exports in their order; false when any is missing.
    bool bind(HMODULE library);
};
