// CMyClipboard: the hook library's clipboard and store operations, one instance per process
// that maps the library (`theClipboard`).
#pragma once

#include "hooklib/ChordWindow.h"
#include "store/ClipSnapshot.h"
#include "hooklib/OwnChanges.h"
#include "store/RestorableFormats.h"
#include "store/StorePaths.h"
#include "store/TextTransforms.h"
#include "base/Handle.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CMyClipboard {
public:
    CMyClipboard() = default;
    virtual ~CMyClipboard();
    CMyClipboard(const CMyClipboard&) = delete;
    CMyClipboard& operator=(const CMyClipboard&) = delete;

    // Clipboard transfer (ClipboardTransfer.cpp). Every change the library makes to the
    // clipboard is noted as its own (OwnChanges.h), and every failure reaches the caller.

    // The clipboard stored as `clip`: 1 when it was written (an empty clipboard stores nothing
    // and leaves the clip as it was), 0 when the clipboard could not be opened or the store not
    // written.
    int SaveClip(std::string_view clip);
    // The clip's formats put on the clipboard, owned by the main window. False when the main
    // window is not there, the clipboard could not be opened, a format was not taken, or (for
    // `plainText`, the clip's text alone) the clip holds no text.
    bool SetClipData(std::string_view clip, bool plainText = false);
    // The user's clipboard, read into memory (the clipboard opened for `opener`) and written as
    // the clip "tempFile" before anything of ours replaces it (an empty clipboard leaves no
    // "tempFile"); nothing when it could not be read or written, and then the clipboard must
    // stay as it is.
    struct Kept {
        store::ClipSnapshot snapshot;
        DWORD sequence = 0;  // the change it was read from
    };
    std::optional<Kept> SaveTempClip(HWND opener);
    // The clip put on the clipboard for the user, over the contents just kept (SetCurrentClipData).
    bool SetClipDataOverKept(std::string_view clip);
    // "tempFile" put back (ResumeClipData); false, and the clipboard as it is, without one.
    bool RestoreTempClip();
    static int SaveBitmapFile(HBITMAP bitmap, const std::string& path);

    // Hotkey engine (HotkeyEngine.cpp, ChordPaste.cpp). `physicalKey` is the key the user
    // pressed (a keypad digit for a keypad chord); the work is done in timers after the user let
    // go of the chord.
    void CopyToSlot(int slotKey, int physicalKey);
    // With `transform`, the slot's text alone, transformed ("粘贴为").
    UINT_PTR PasteSlot(int slotKey, int physicalKey, std::optional<store::Transform> transform = std::nullopt);
    // Ctrl+Alt+Q: the head of the paste queue pasted as a slot is (with `plainText` its text
    // alone), and taken from the queue once pasted; an empty queue pastes nothing and beeps.
    void PasteQueueHead(bool plainText, int physicalKey);
    // The clip pasted into `target` (null: the foreground window), with `transform` its text
    // alone, transformed (the transform noted for its chord to repeat); false when another chord
    // is being carried out.
    bool pasteFromClipboard(std::string_view clip, bool plainText = false, HWND target = nullptr,
                            std::optional<store::Transform> transform = std::nullopt);
    // The copy or paste chord to the chord's target, in the keys that target understands. False
    // when the keys could not be sent (the failure is traced).
    bool SendEditChord(char letter);
    // In the keyboard hook, as the target's thread takes a key: our copy chord's C is held there
    // until the main program has read what the clipboard holds (the target's copy replaces it).
    void keyArriving(unsigned virtualKey, bool released);
    // SysClip and PressNum gone from the status file.
    void removeStatusKeys();

    // The content texts ("File:Path\"...\"", the first file's whole path) of these file-list
    // clips, from one reading of the index; a clip whose list cannot be read has none.
    std::map<std::string, std::u16string> fileListTexts(const std::vector<std::string>& clips);

    // The store folder, read on first use (never from DllMain: it may need the shell).
    const store::StorePaths& paths();

    int m_nHistoryIndex = 0;
    int m_nCopyKey = 0;

private:
    using Formats = store::RestorableFormats;  // (format, bytes)
    enum class Kind { None, Copy, PasteSlot, PasteClip, PasteQueued };
    struct Captured {
        bool opened = false;
        bool taken = false;                    // `wanted` said yes and the formats were read
        DWORD sequence = 0;
        store::ClipSnapshot snapshot;
    };
    struct Pending {
        Kind kind = Kind::None;
        std::string clip;               // the clip a paste puts on the clipboard
        int queued = 0;                 // the paste queue's head being pasted (its history number)
        bool queuedGone = false;        // ... is no longer in the history
        bool plainText = false;         // ... its text alone
        std::optional<store::Transform> transform;  // ... its text transformed
        HWND target = nullptr;          // the window the chord was meant for
        std::vector<int> heldKeys;      // waited for until the user lets go of them
        DWORD since = 0;                // when the step under way began
        UINT_PTR timer = 0;             // the step's timer
        LONG chord = 0;                 // the desktop's chord slot, as taken
        bool busyFlagTaken = false;     // a copy holds g_bOperXml while it works
        int tries = 0;                  // keeping the user's clipboard, when another copy came between
        int frontWaits = 0;             // steps waited for the target to take the keyboard
        bool seen = false;              // the main program had looked at the clipboard ...
        DWORD seenSequence = 0;         // ... at this change
        std::unique_ptr<CChordWnd> window;  // hears of changes; owns an offered clip
        std::optional<Kept> kept;       // the user's clipboard, to give back after a paste
        // A copy: the target's answer to the chord.
        COwnChange answer;
        int chordsSent = 0;
        bool awaitingAnswer = false;    // the chord was sent and its answer not yet seen
        base::UniqueHook copyHook;        // sees the target's WM_COPY coming (its own thread) ...
        base::UniqueHook copyReturnHook;  // ... and returning
        HWND openedFor = nullptr;       // the clipboard opened for the window about to copy
        DWORD checkedSequence = 0;      // the last change looked at
        std::optional<Captured> answerAtCopy;  // the target's copy, read as its WM_COPY returned
        bool copyKeyToggle = false;     // the C key's toggle state before our chord
        DWORD handledAt = 0;            // when the target's thread had handled the chord (0: not yet)
        bool checking = false;
        // A paste that gives the user's clipboard back: the clip offered with its data rendered
        // on request, and what the target asked for.
        bool restore = false;
        Formats offered;
        bool offering = false;          // the clip is on the clipboard, its data rendered on request
        int rendered = 0;
        DWORD lastRenderAt = 0;
        bool replaced = false;          // another program's copy took the clipboard
        bool restoring = false;
    };
    enum class Put { Done, Changed, Failed };
    struct PutRequest {
        HWND opener = nullptr;                 // the clipboard's owner afterwards
        bool delayed = false;                  // data rendered on request: `offer` stays under way
        std::optional<DWORD> unchangedSince;   // only over the contents of this change, once the
        bool requireSeen = false;              // ... main program has read them
        Formats marks;                         // put with their data after the formats
        static PutRequest ownedBy(HWND opener, std::optional<DWORD> unchangedSince = std::nullopt) {
            PutRequest request;
            request.opener = opener;
            request.unchangedSince = unchangedSince;
            return request;
        }
    };
    // Transfer (ClipboardTransfer.cpp).
    Captured captureClipboard(HWND opener, const std::function<bool(DWORD sequence, DWORD ownerProcess)>& wanted,
                              int openTries = 20);
    Put putFormats(const Formats& formats, const PutRequest& request);
    // A format's bytes on the open clipboard; false when not taken.
    static bool setFormatData(unsigned format, const std::string& bytes);

    // A chord that waits for the one under way to end.
    struct WaitingChord {
        std::function<void(LONG chord)> begin;
        DWORD since = 0;
        UINT_PTR timer = 0;
    };
    bool whenChordFree(std::function<void(LONG chord)> begin);
    static void CALLBACK timerProcChordFree(HWND, UINT, UINT_PTR, DWORD);
    void tryWaitingChord();

    // The chord's steps (HotkeyEngine.cpp).
    bool start(LONG chord, Kind kind, std::string clip, std::vector<int> heldKeys, bool plainText = false,
               HWND target = nullptr, std::optional<store::Transform> transform = std::nullopt);
    bool startStep(UINT ms, TIMERPROC procedure);
    void stopStep();
    void waitUntilSeen();
    void act();
    bool makeWindow();
    void sendCopyChord();
    void checkAnswer();
    Captured readAnswer(bool recorderFirst);
    void openForCopy(HWND window);
    void releaseOpenedForCopy();
    static LRESULT CALLBACK callWndProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK callWndProcReturned(int code, WPARAM wParam, LPARAM lParam);
    void storeSlot(const store::ClipSnapshot& snapshot);
    void finish(bool completed);
    static void guardedStep(void (CMyClipboard::*step)());
    void keysReleased();
    void clipboardSeen();
    static void CALLBACK timerProcKeysReleased(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK timerProcSeen(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK timerProcAfterCopy(HWND, UINT, UINT_PTR, DWORD);

    // A paste's steps (ChordPaste.cpp).
    void actPaste();
    bool targetAsks() const;
    bool render(UINT format);
    bool renderAll();
    void restoreUserClipboard();
    void settleOffer();
    void sendPasteChord();
    void watchPaste();
    static void CALLBACK timerProcPasteData(HWND, UINT, UINT_PTR, DWORD);
    static void CALLBACK timerProcAfterPaste(HWND, UINT, UINT_PTR, DWORD);

    std::optional<store::StorePaths> m_paths;
    Pending m_pending;
    std::optional<WaitingChord> m_waitingChord;
};

extern CMyClipboard theClipboard;

void CALLBACK timerProcAfterResume(HWND, UINT, UINT_PTR, DWORD);
