// Reads the rows of the main window's list from another process (or from this one): the texts
// of columns 0 and 2 and the row's image. The main window is asked to copy them into a shared
// block in one message; a main window that does not answer is read row by row with list-view
// messages through two blocks of memory reserved in its process, the records laid out as that
// process lays out LVITEMW (32 or 64 bits). Across processes a message costs about half a
// millisecond under Wine: two per row would keep a long menu waiting for a second. Every message
// waits for the main window a bounded time: the application the menu opens in waits with it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hooklib {

struct RemoteRow {
    std::u16string content;  // column 0, at most 40 units
    std::u16string number;   // column 2, at most 24 units
    int image = -1;
};

enum class RemoteReadResult { Read, NoMemory, NotReleased, Busy };

// How long the application waits for the main window's answer to one message.
inline constexpr UINT kRemoteAnswerMs = 500;

// The rows from the last to the first (the order of the clip menu).
RemoteReadResult readListRowsReversed(HWND main, HWND list, std::vector<RemoteRow>& rows);
// The same, only ever row by row through the remote blocks.
RemoteReadResult readListRowsByMessages(HWND list, std::vector<RemoteRow>& rows);

}  // namespace hooklib
