// CPasteChord: a paste into the chord's target (Ctrl+Alt+digit a slot, the clip menu or the main
// window's list a history clip; CQueuePasteChord below, Ctrl+Alt+Q, the paste queue's head). The
// clip goes on the clipboard and the paste keys to the target. With the tray's "restore the clipboard after a paste" on, the
// user's clipboard is kept first (in memory and as "tempFile") and the clip is offered with its
// data rendered on request: the chord sees the target ask for each format, and gives the user's
// clipboard back, byte for byte, only once the target has read what it wanted and is idle again
// (or at a bound), never before.
#pragma once

#include "hooklib/Chord.h"
#include "hooklib/ClipboardTransfer.h"
#include "store/TextTransforms.h"

#include <memory>
#include <optional>
#include <string>

namespace hooklib {

class CPasteChord : public CChord {
public:
    // The slot `slotKey` ('0' to '9'), pressed as `physicalKey`; with `transform` its text alone,
    // transformed ("粘贴为", the repeat chord that holds Shift too).
    static std::unique_ptr<CPasteChord> slot(int slotKey, int physicalKey, int historyNumber,
                                             std::optional<store::Transform> transform = std::nullopt);
    // A clip of the store (its text alone with `plainText`, or transformed with `transform`).
    static std::unique_ptr<CPasteChord> clip(std::string clip, bool plainText, int historyNumber,
                                             std::optional<store::Transform> transform = std::nullopt);

    bool textOnly() const override { return m_plainText; }
    Next act() override;
    Next step() override;
    void renderFormat(UINT format) override;
    void renderAllFormats() override;
    void clipboardReplaced() override;
    void settle() override;
    Notice ending(bool completed) override;

protected:
    // `historyNumber`: what the main window hears was pasted (0: none).
    CPasteChord(Kind kind, std::vector<int> heldKeys, std::string clip, bool plainText, int historyNumber);
    // Whether the clip, read to be pasted, is gone from the store (nothing is pasted then).
    virtual bool clipGone(const transfer::Formats&) { return false; }

private:
    Next putClip(const transfer::Formats& clip);
    Next sendPasteChord();
    Next watchPaste();
    bool targetAsks() const;
    bool render(UINT format);
    bool renderAll();
    void restoreUserClipboard();

    const std::string m_clip;
    const bool m_plainText;
    std::optional<store::Transform> m_transform;  // its text transformed (the clip in the store stays)
    const int m_historyNumber;
    int m_tries = 0;               // keeping the user's clipboard, when another copy came between
    int m_frontWaits = 0;          // steps waited for the target to take the keyboard
    std::optional<transfer::Kept> m_kept;  // the user's clipboard, to give back after the paste
    bool m_keysSent = false;
    // A paste that gives the user's clipboard back: the clip offered with its data rendered on
    // request, and what the target asked for.
    bool m_restore = false;
    transfer::Formats m_offered;
    bool m_offering = false;       // the clip is on the clipboard, its data rendered on request
    int m_rendered = 0;
    DWORD m_lastRenderAt = 0;
    bool m_replaced = false;       // another program's copy took the clipboard
    bool m_restoring = false;
};

// Ctrl+Alt+Q: the paste queue's head, the history clip `number`, pasted as a slot is; taken from
// the queue once pasted (or when its clip is gone from the history), left at the head when it
// could not be pasted.
class CQueuePasteChord final : public CPasteChord {
public:
    CQueuePasteChord(int number, bool plainText, int physicalKey);
    Notice ending(bool completed) override;

private:
    bool clipGone(const transfer::Formats& clip) override;

    const int m_number;
    bool m_gone = false;  // no longer in the history
};

}  // namespace hooklib
