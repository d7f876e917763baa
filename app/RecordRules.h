// The decisions of the history recorder as plain functions and data (no <windows.h>): when a
// clipboard that another program holds is tried again, what a missed copy is called, the text a
// new record is compared with, and what the tray's tooltip says.
#pragma once

#include "ClipSnapshot.h"
#include "StoreView.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace clip {

// Why a copy that the clipboard announced did not become a record.
enum class MissReason {
    HeldOpen,      // another program kept the clipboard open
    NotAnswering,  // the source did not hand out the data it had promised
    StoreFailed,   // the store could not be written
};
// What the user reads in the tray's balloon, under its title.
std::string_view missText(MissReason reason);
inline constexpr std::string_view kMissedCopyTitle = "复制没有记录下来";
// What the debug log calls it.
std::string_view missName(MissReason reason);

// The pause before try `attempt` (from 0) of opening a clipboard another program holds: ten
// quick tries over about a second, then a slower look while the clipboard stays taken.
std::chrono::milliseconds reopenDelay(int attempt);
// How long a change may wait for the clipboard, or for its source to answer, before it counts as
// missed.
inline constexpr std::chrono::seconds kGiveUpAfter{30};
// How long the source of the clipboard is given to answer before its data is asked for.
inline constexpr std::chrono::milliseconds kSourceAnswerTimeout{200};

// The text of the last text clip recorded or shown: a new record repeating it is dropped. The
// recorder and the main window both use it, from their own threads.
class LastText {
public:
    bool repeats(const std::u16string& text) const;
    void set(std::u16string text);
    std::u16string get() const;

private:
    mutable std::mutex m_mutex;
    std::u16string m_text;
};

// The row a clip not yet stored will show: its first part that can be shown, read from memory
// the way the list reads a stored clip from its files. Nothing when no part can be shown.
std::optional<PartRow> snapshotRow(const store::ClipSnapshot& snapshot);

// The tray icon's tooltip: the program's name and when the last copy was recorded ("HH:MM:SS"
// of its time stamp), or that none has been yet.
std::u16string trayTooltip(std::string_view lastRecordedStamp);

}  // namespace clip
