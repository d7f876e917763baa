// CClipRecorder: every change of the clipboard becomes one history record, away from the main
// window's thread. The window announces each change (the viewer chain and the format listener
// both tell it), and the reader thread listens for changes itself as well; the clipboard's
// sequence number makes one change count once. The reader copies the clipboard into memory
// within the budget of a copy, asking its owner first whether it answers; a copy whose owner
// does not answer yet, or whose clipboard another program holds open, waits and is read later
// (or counts as missed once a newer copy replaced it), and the clipboard is never kept open by
// us for more than half a second at a go. A store thread writes each copy as the next free
// history record; the queue between the two is bounded, and reading waits when it is full. The
// window hears of each outcome by a posted message and takes the results in order, so a quick
// run of copies is a run of records and a large clip never holds the window up.
#pragma once

#include "app/StoreView.h"
#include "app/recorder/RecordRules.h"
#include "store/ClipSnapshot.h"
#include "store/StorePaths.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace app::recorder {

class CClipRecorder {
public:
    enum class Outcome {
        Recorded,       // filed as history record `number`, showing `row`
        Repeat,         // its text repeats the last text: not stored
        NothingToShow,  // no text, picture or file list: not stored
        HistoryFull,    // no free history number
        Missed,         // announced but never read or stored: `reason`
        PartlyRecorded, // formats over the budget were left out of the copy recorded next
        Waiting,        // `waiting` copies now wait for their source, the clipboard or the queue
        Secret,         // its text is plainly a secret (store/SecretRules.h): not stored
    };
    struct Result {
        Outcome outcome = Outcome::Missed;
        int number = 0;
        app::ViewRow row;      // the record's row in the list
        bool madeRoom = false;  // the number was an older clip's, removed to make room
        std::shared_ptr<const store::ClipSnapshot> copy;  // what was recorded, for the sync folder
        MissReason reason = MissReason::HeldOpen;
        bool initial = false;  // the contents found when recording began
        int waiting = 0;
    };

    // Whether a change, its sequence number and the process of the clipboard's owner, is the hook
    // library's own (never recorded); asked with the clipboard open, before any data is read.
    using OwnChangeTest = OwnChangeTest;
    // Outcomes are announced to `window` by posting `message`.
    CClipRecorder(const store::StorePaths& paths, HWND window, UINT message, OwnChangeTest isOwnChange);
    ~CClipRecorder();
    CClipRecorder(const CClipRecorder&) = delete;
    CClipRecorder& operator=(const CClipRecorder&) = delete;

    // Whether changes are recorded (off while the user pauses recording).
    void Listen(bool on);
    // A change of the clipboard was announced (in the window's thread). `initial`: the
    // contents present when recording begins.
    void Announce(bool initial = false);
    // The outcomes since the last call, in the order of the changes.
    std::vector<Result> TakeResults();
    // The text a new record is compared with; the window compares and sets it too, from its own
    // thread.
    LastText& lastText();
    // Whether a copy whose text is plainly a secret is kept out (on until told otherwise).
    void SkipSecrets(bool on);

private:
    struct State;
    std::shared_ptr<State> m_state;
    HWND m_reader = nullptr;  // the reader thread's window
    DWORD m_lastAnnounced = 0;
};

}  // namespace app::recorder
