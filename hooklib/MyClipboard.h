// CMyClipboard: the hook library's clipboard and store operations, one instance per process
// that maps the library (`theClipboard`).
#pragma once

#include "StorePaths.h"

#include <windows.h>

#include <optional>

#include <string>
#include <string_view>
#include <vector>

class CMyClipboard {
public:
    CMyClipboard() = default;
    virtual ~CMyClipboard();
    CMyClipboard(const CMyClipboard&) = delete;
    CMyClipboard& operator=(const CMyClipboard&) = delete;

    // Clipboard transfer (ClipboardTransfer.cpp).
    int SaveClip(std::string_view clip);
    // False when the clipboard could not be opened or the main window is not there, and (for
    // `plainText`, the clip's text alone) when the clip holds no text.
    bool SetClipData(std::string_view clip, bool plainText = false);
    void SaveTempClip();
    static int SaveBitmapFile(HBITMAP bitmap, const std::string& path);

    // Hotkey engine (HotkeyEngine.cpp). `physicalKey` is the key the user pressed (a keypad
    // digit for a keypad chord); the work is done in timers after the user let go of the chord.
    void CopyToSlot(int slotKey, int physicalKey);
    UINT_PTR PasteSlot(int slotKey, int physicalKey);
    // The clip pasted into `target` (null: the foreground window); false when another chord is
    // being carried out.
    bool pasteFromClipboard(std::string_view clip, bool plainText = false, HWND target = nullptr);
    static void SendEditChord(char letter);
    // SysClip and PressNum gone from the status file.
    void removeStatusKeys();

    // The store folder, read on first use (never from DllMain: it may need the shell).
    const store::StorePaths& paths();

    int m_nHistoryIndex = 0;
    int m_nCopyKey = 0;
    int m_bReady = 1;

private:
    enum class Kind { None, Copy, PasteSlot, PasteClip };
    struct Pending {
        Kind kind = Kind::None;
        std::string clip;               // the clip a paste puts on the clipboard
        bool plainText = false;         // ... its text alone
        HWND target = nullptr;          // the window the chord was meant for
        std::vector<int> heldKeys;      // waited for until the user lets go of them
        DWORD since = 0;
        DWORD clipboardSequence = 0;    // after the copy chord: the clipboard before the application copied
        LONG chord = 0;                 // the desktop's chord slot, as taken
        bool busyFlagTaken = false;     // a copy holds g_bOperXml while it works
        bool restore = false;           // a paste gives the clipboard back what it held before
        bool pasteKeyToggle = false;    // the V key's toggle state before our Ctrl+V
    };

    int storeClipboard(std::string_view clip, HWND openFor, bool emptyAfterwards);
    bool start(LONG chord, Kind kind, std::string clip, std::vector<int> heldKeys, bool plainText = false,
               HWND target = nullptr);
    void act();
    void finish(bool posted);
    static void CALLBACK timerProcKeysReleased(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK timerProcAfterCopy(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK timerProcPasteData(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK timerProcAfterPaste(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK timerProcAfterRestore(HWND, UINT, UINT_PTR, DWORD);
    bool pasteTaken() const;

    std::optional<store::StorePaths> m_paths;
    Pending m_pending;
};

extern CMyClipboard theClipboard;

void CALLBACK timerProcAfterResume(HWND, UINT, UINT_PTR, DWORD);
