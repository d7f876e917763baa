// The running program's side of the command line (dravixc.exe): a request taken by the main
// window is checked, carried out through the program's actions and answered. The actions are an
// interface the main program implements (and tests fake); everything here decides, nothing waits
// for a window. Portable: no <windows.h>.
#pragma once

#include "store/CommandProtocol.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace app {

// A clip as the command line shows it.
struct CommandRow {
    int number = 0;     // the history number (a slot's row: the slot's key)
    std::string time;   // its copy time, as the list shows it ("2026-12-08 14:03:22")
    store::command::RowKind kind = store::command::RowKind::Text;
    std::string source;  // the full path of the program it was copied from, or empty
    std::u16string text;  // the row's whole content text, as the list's search looks in it
};

// How an action ended. NotFound: there is no such clip (or slot), or it holds nothing of what
// was asked. Failed: it could not be done; `message` tells the user why (Chinese).
struct CommandOutcome {
    enum class Result { Done, NotFound, Failed };
    Result result = Result::Done;
    std::string message;
};

// What the running program does for the command line. Called from the thread that answers the
// requests (never the main window's): what must happen on the window's thread is handed to it.
class CommandActions {
public:
    virtual ~CommandActions() = default;
    // Every history clip's row, in any order.
    virtual std::vector<CommandRow> historyRows() = 0;
    // History clip `number`'s data: Text its Unicode text (else its system code page text) as
    // UTF-8; Html the bytes of its "HTML Format"; Bitmap its picture as a bitmap file (the store's
    // bitmap file). Nothing when there is no such clip or it holds no such data.
    virtual std::optional<std::string> clipData(int number, store::command::DataFormat format) = 0;
    // `text` (Windows line ends) filed as a new history row, as a copy of it would be (its
    // CF_UNICODETEXT; refused like a copy when the history is full); `added` gets its number.
    virtual CommandOutcome addText(const std::u16string& text, int& added) = 0;
    // History clip `number` put on the clipboard, every format it has (as the list's copy).
    virtual CommandOutcome copyClip(int number) = 0;
    // History clip `number` pasted into `targetWindow` (when it is still a window in front, else
    // the window in front), as the list pastes: the whole clip, or with `transform` its text alone,
    // transformed (store::transformedPaste). NotFound also when a transform finds no text.
    virtual CommandOutcome pasteClip(int number, std::optional<store::Transform> transform,
                                     std::uint64_t targetWindow) = 0;
    // Slot `slot`'s row (number: the slot's key); nothing for an empty slot.
    virtual std::optional<CommandRow> slotRow(int slot) = 0;
    // Slot `slot` made to hold history clip `number`'s formats, as a slot copy of it would.
    virtual CommandOutcome setSlot(int slot, int number) = 0;
    // History clip `number` deleted, as the list's delete does (without asking).
    virtual CommandOutcome deleteClip(int number) = 0;
    // Recording paused (false) or resumed (true), as the tray's item does.
    virtual CommandOutcome setRecording(bool on) = 0;
    // The main window shown and brought to the front, as a second start does.
    virtual CommandOutcome showWindow() = 0;
};

// The answer to a decoded request: checked (store::command::requestProblem), carried out, and
// its output made (rows as lines or JSON, newest first).
store::command::Answer answerCommand(const store::command::Request& request, CommandActions& actions);

// The rows a search keeps, in the order given: each word (split at white space) is in the text
// (Latin letters in any case), the kind is the one asked for, the program's file name holds the
// `source` text (in any case).
std::vector<CommandRow> searchRows(std::vector<CommandRow> rows, const store::command::Request& request);

// A row as one line of `list`: number, time, kind, program's file name and the text's first line
// (cut to kFirstLineUnits, tabs as spaces), separated by tabs; or as a JSON object (the full path).
inline constexpr std::size_t kFirstLineUnits = 200;
std::string rowLine(const CommandRow& row);
std::string rowJson(const CommandRow& row);

}  // namespace app
