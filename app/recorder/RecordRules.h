// The decisions of the history recorder as plain functions and data (no <windows.h>): when the
// clipboard's owner is asked whether it answers, when a copy that waits is looked at again and
// when the rest of it is given up, what becomes of a copy a newer one replaced or one over the
// budget, how many copies may wait to be stored, what a missed copy is called, the text a new
// record is compared with, and what the tray's tooltip says.
#pragma once

#include "store/ClipSnapshot.h"
#include "app/StoreView.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace app::recorder {

// Whether the change of a clipboard sequence number, owned by a process, is the hook library's
// own (a paste's clip, the user's clipboard put back): such a change is never recorded.
using OwnChangeTest = std::function<bool(std::uint32_t sequence, std::uint32_t ownerProcess)>;

// Why a copy that the clipboard announced did not become a record.
enum class MissReason {
    HeldOpen,      // another program kept the clipboard open
    NotAnswering,  // the source did not hand out the data it had promised
    StoreFailed,   // the store could not be written
    TooLarge,      // what fits the budget of a copy shows nothing
    QueueFull,     // replaced while copies read before it waited for the store
    ReplacedUnread,  // the next copy came before this one could be read
};
// How many sequence numbers back a change replaced unread is looked for among the hook library's
// own (each change moves the number on by a few).
inline constexpr std::uint32_t kOwnChangeLookBack = 256;
// What the user reads in the tray's balloon, under its title.
std::string_view missText(MissReason reason);
inline constexpr std::string_view kMissedCopyTitle = "复制没有记录下来";
// What the debug log calls it.
std::string_view missName(MissReason reason);

// The pause before try `attempt` (from 0) of opening a clipboard another program holds: ten
// quick tries over about a second, then a slower look while the clipboard stays taken.
std::chrono::milliseconds reopenDelay(int attempt);

// The clipboard's owner, as far as asking it for data goes.
struct ClipboardOwner {
    bool alive = false;  // a window that exists: nobody renders for a clipboard without one
    bool ours = false;   // a window of this program, which puts data on the clipboard, never promises
};
// Whether the owner can be asked (WM_NULL with SMTO_ABORTIFHUNG, up to kSourceAnswerTimeout)
// whether it answers: Windows has no way to tell data already handed over from data promised, and
// asking a source that does not answer for promised data holds the asker until it answers.
bool asksOwner(const ClipboardOwner& owner);
inline constexpr std::chrono::milliseconds kSourceAnswerTimeout{100};
// Whether a go at the clipboard waits for the owner's answer first. Formats already on the
// clipboard need nobody: a program busy right after its copy (a script, a console tool, a
// spreadsheet after a large range) is read at once. Only a copy whose owner was found rendering on
// request and not answering (a go had to let go of the clipboard in the middle of a format) waits
// for an answer before its data is asked for again.
bool pingsBeforeGo(const ClipboardOwner& owner, bool foundNotAnswering);
// Whether the owner is asked again before the next format, the last one having taken
// `lastFormat`: a format that took long was rendered on request, and a program may hang right
// after it rendered. Formats that come at once are read one after the other without asking: a
// program that waits for the clipboard we hold does not answer either, and asking it would cost
// its copy.
inline constexpr std::chrono::milliseconds kRenderedOnRequest{10};
bool asksAgain(std::chrono::milliseconds lastFormat);
// The longest the recorder keeps the clipboard open at one go: others may want it.
inline constexpr std::chrono::milliseconds kOpenBound{500};
// Whether another format may be asked for `open` after the clipboard was opened: its owner's
// answer and the copy must both fit in what is left of kOpenBound. Otherwise the clipboard is
// closed and the copy goes on at the next go.
bool mayAskAnotherFormat(std::chrono::milliseconds open);
// A go that has not ended kOpenBound after it began is told to let go of the clipboard (it does
// so from inside the wait a source that renders on request keeps it in), and is waited for this
// much longer; one that still has not ended is held up (the source hangs in its rendering, or
// under Wine the clipboard's opening waits for an owner that does not answer), and the next go
// runs in a new worker thread. At most kHeldUpWorkers such threads are left to end alone.
inline constexpr std::chrono::milliseconds kLetGoWait{100};
inline constexpr int kHeldUpWorkers = 2;

// Why a copy waits before its next look.
enum class Wait {
    HeldOpen,      // another program has the clipboard open: `attempt` tries so far
    NotAnswering,  // its owner did not answer
    GoHeldUp,      // a go at the clipboard has not ended
    Resumed,       // the clipboard was closed after kOpenBound with formats left to read
};
std::chrono::milliseconds nextLookAfter(Wait why, int attempt);
// Windows calls a program that has not answered for five seconds hung: a copy of which formats
// were read is then recorded with those rather than wait for the rest.
inline constexpr std::chrono::seconds kHungAfter{5};
bool givesUpOnRest(std::size_t formatsRead, std::chrono::milliseconds sinceLastAnswer);

// A change that comes while a copy waits is that copy released by its owner, not a newer copy,
// when the owner's window went, the clipboard has had no owner since and still holds formats, and
// the sequence number moved by at most two: a program whose window goes renders what it promised
// (under Wine, also the formats the system makes of its data); a newer copy empties the clipboard
// and sets its formats, more steps than that.
struct ChangeWhileWaiting {
    bool ownerGone = false;
    bool hasOwner = false;
    bool holdsFormats = false;
    unsigned steps = 0;
    bool caughtBeingMade = false;  // the copy was first seen with its writer holding the clipboard open
    bool sameOwner = false;        // the clipboard's owner is still that writer's window
    bool stillOpen = false;        // ... which still has it open
};
bool isReleaseByOwner(const ChangeWhileWaiting& change);
// It is the copy caught being made, now closed, when the same window owns the clipboard and has
// let go of it: the copy goes on from the new number. A close is the one notice of a copy, so the
// notice that had the copy looked at was an earlier copy's, which this one replaced unread; should
// the same writer have made more copies meanwhile, their notices are counted unread as well.
bool isCloseOfCopyBeingMade(const ChangeWhileWaiting& change);

// What becomes of a copy that a newer copy replaced while it waited: recorded with the formats read
// of it, or missed, counted and reported for the reason it waited (one that nothing held up was
// replaced before it could be looked at). A change that was no whole copy when it was taken up
// (the clipboard emptied behind a program that ended, or a copy caught half made, its writer
// still holding the clipboard open: its close is the copy) is no copy to miss.
struct Replaced {
    bool recorded = false;
    bool missed = false;
    MissReason reason = MissReason::ReplacedUnread;
};
Replaced whenReplaced(std::size_t formatsRead, std::optional<MissReason> waitedFor, bool wholeCopy);

// A copy of which `leftOut` formats did not fit the budget: refused (TooLarge) when what was kept
// shows no row, else recorded with what was kept.
bool refusedForBudget(const store::ClipSnapshot& kept, std::size_t leftOut);
inline constexpr std::string_view kPartlyRecordedTitle = "复制只记录了一部分";
inline constexpr std::string_view kPartlyRecordedText = "复制的内容超过了大小上限，只记录了能容纳的格式（文本优先）。";

// How many copies read may wait to be stored, and how many bytes they may hold (a full copy
// always fits an empty queue). Beyond that, reading waits.
struct QueueLimits {
    std::size_t copies = 0;
    std::size_t bytes = 0;
};
QueueLimits queueLimits(std::size_t clipBudget);
bool mayQueue(std::size_t queuedCopies, std::size_t queuedBytes, std::size_t bytes, const QueueLimits& limits);

// The text of the last text clip recorded or shown: a new record repeating it is dropped. The
// recorder and the main window both use it, from their own threads. A text of up to kWholeUnits
// is kept whole; a longer one as its length and a 64-bit digest (a copy of megabytes would
// otherwise be held once more), which takes another text of the same length for it with a chance
// of one in 2^64.
class LastText {
public:
    static constexpr std::size_t kWholeUnits = 64 * 1024;

    void set(std::u16string_view text);
    // The test and the set in one step: false when `text` repeats the last text, else it is the
    // last text now. Two threads filing the same text (the user's copy and the slot copy of it)
    // file it once.
    bool admit(std::u16string_view text);

private:
    mutable std::mutex m_mutex;
    std::u16string m_text;  // whole, when short
    std::size_t m_length = 0;
    std::uint64_t m_digest = 0;
};

// The row a clip not yet stored will show: its first part that can be shown, read from memory
// the way the list reads a stored clip from its files. Nothing when no part can be shown.
std::optional<PartRow> snapshotRow(const store::ClipSnapshot& snapshot);

// The tray icon's tooltip: the program's name, when the last copy was recorded ("HH:MM:SS" of its
// time stamp) or that none has been yet, and how many copies wait (for their source, the
// clipboard or room in the queue) while any do, how many clips the paste queue holds while it
// holds any, how many copies of the run could not be recorded, and how many were kept out as
// plainly secret, once there are any.
std::u16string trayTooltip(std::string_view lastRecordedStamp, int waiting = 0, int queued = 0, int missed = 0,
                           int secrets = 0);

}  // namespace app::recorder
