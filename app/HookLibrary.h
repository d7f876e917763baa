// The hook library's exports as the main program binds them, by name. Some are not called
// today but are bound all the same: a library without them is not the one we ship.
#pragma once

#include "options/ChordRecord.h"
#include "base/Handle.h"

#include <windows.h>

#include <functional>

namespace app {

struct HookLibrary {
    base::UniqueModule module;
    int(WINAPI* installhook)(HWND) = nullptr;
    int(WINAPI* UnHook)() = nullptr;
    UINT_PTR(WINAPI* Paste2Window)(int) = nullptr;
    void(WINAPI* PasteData2Window)(const char*) = nullptr;
    void(WINAPI* PastePlainText2Window)(const char*) = nullptr;
    int(WINAPI* SaveClipData)(const char*) = nullptr;
    HANDLE(WINAPI* SetCurrentClipData)(const char*) = nullptr;
    UINT_PTR(WINAPI* ResumeClipData)() = nullptr;
    int(WINAPI* GetOperXmlStatus)() = nullptr;
    int(WINAPI* SetOperXmlStatus)(int) = nullptr;
    BOOL(WINAPI* IsOwnClipboardChange)(DWORD sequence, DWORD ownerProcessId) = nullptr;
    // The user's chords and the programs where none acts (options::packChords), for the library
    // in every program: at the start and whenever they change.
    BOOL(WINAPI* PublishChordOptions)(const options::ChordRecord* record) = nullptr;
    void(WINAPI* SetSealStore)(BOOL on) = nullptr;
    // "粘贴为": optional, so that a library from before it still loads (the items then do nothing).
    void(WINAPI* PasteTransformed2Window)(const char*, int transform) = nullptr;

    // Loads the library by name (the platform's search order) and resolves the exports in
    // their order; false when the library or any export is missing.
    bool load(const wchar_t* fileName);
    // Whether the library carries the pictures of its clip menu (icons 1000 to 1002).
    bool hasMenuImages() const;
    bool loaded() const { return static_cast<bool>(module); }
    // IsOwnClipboardChange for the recorder's threads: it holds its own reference to the
    // library, so a thread still reading when the library is unloaded does not call into nothing.
    std::function<bool(DWORD sequence, DWORD ownerProcessId)> ownChangeTest() const;
    // The hooks off and the library unloaded; the entry points are cleared.
    void unload();
};

}  // namespace app
