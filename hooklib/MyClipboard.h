// CMyClipboard: the hook library's clipboard and store operations, one instance per process
// that maps the library (`theClipboard`).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

class XmlDocument;

class CMyClipboard {
public:
    CMyClipboard();
    virtual ~CMyClipboard();
    CMyClipboard(const CMyClipboard&) = delete;
    CMyClipboard& operator=(const CMyClipboard&) = delete;

    // Clipboard transfer.
    int SaveClip(std::string_view clip);
    void SetClipData(std::string_view clip);
    void SaveTempClip();
    void SetStoreValue(std::string_view text, std::string_view key);
    static int SaveBitmapFile(HBITMAP bitmap, const std::string& path);

    // Hotkey engine.
    void CopyToSlot(int slotKey);
    UINT_PTR PasteSlot(int slotKey);
    void pasteFromClipboard(std::string_view clip);
    static void SendEditChord(char letter);

    // Paths in the Windows directory.
    std::string indexPath() const;
    std::string statusPath() const;
    std::string dataFolder() const;

    std::string m_strWindowsDir;
    int m_nHistoryIndex = 0;
    int m_nCopyKey = 0;
    int m_bReady = 1;

private:
    int storeClipboard(std::string_view clip, bool clearTempKeys);
    static void CALLBACK timerProcAfterCopy(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK timerProcPasteData(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK timerProcAfterPaste(HWND, UINT, UINT_PTR, DWORD);
};

extern CMyClipboard theClipboard;

void CALLBACK timerProcAfterResume(HWND, UINT, UINT_PTR, DWORD);
