// What the command line (dravixc.exe) and the running program say to each other: a request,
// sent as one WM_COPYDATA message to the main window, and its answer, sent back in chunks as
// WM_COPYDATA messages to the window the request named. Both are bytes of a fixed little-endian
// layout, checked strictly and bounded in size: whatever bytes come, decoding refuses what it
// cannot read whole and never reads past them. Portable: no <windows.h>.
#pragma once

#include "store/TextTransforms.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace store::command {

// COPYDATASTRUCT::dwData of a request and of an answer's chunk.
inline constexpr std::uint32_t kRequestTag = 0x51585244;  // "DRXQ"
inline constexpr std::uint32_t kAnswerTag = 0x41585244;   // "DRXA"

// Bounds: the text of an added row, a search's program filter, a request; a chunk's share of the
// output, an answer's message, the output of one answer (a picture within the clip budget).
inline constexpr std::size_t kMaxAddedText = 1u << 20;
inline constexpr std::size_t kMaxSourceFilter = 1024;
inline constexpr std::size_t kMaxRequestBytes = 64 + kMaxAddedText + kMaxSourceFilter;
inline constexpr std::size_t kMaxChunkOutput = 1u << 20;
inline constexpr std::size_t kMaxAnswerMessage = 4096;
inline constexpr std::uint64_t kMaxAnswerOutput = 512ull << 20;

// History numbers and slot keys as the list shows them.
inline constexpr int kMaxNumber = 999;
inline constexpr int kMaxSlot = 9;
inline constexpr int kMaxLimit = 999;

enum class Verb : std::uint8_t { List = 1, Get, Add, Copy, Paste, Slot, Search, Delete, Pause, Resume, Show };
inline constexpr Verb kLastVerb = Verb::Show;
// What `get` asks of a clip: its text (UTF-8), its HTML block (as the clipboard holds it), its
// picture as a bitmap file.
enum class DataFormat : std::uint8_t { Text = 0, Html = 1, Bitmap = 2 };
// A row's kind, as the list's image says it.
enum class RowKind : std::uint8_t { Text = 0, Picture = 1, Files = 2 };

struct Request {
    std::uint32_t id = 0;            // the answer's chunks carry it back
    std::uint64_t replyWindow = 0;   // the window the answer goes to: the one that sends the request
                                     // (its low 32 bits, a handle's in either bitness)
    std::uint64_t targetWindow = 0;  // paste: the window in front when the command was given
    Verb verb = Verb::List;
    int number = 0;                  // get, copy, paste, delete, slot (to set): a history number
    int slot = -1;                   // slot: its key, 0 to 9
    int limit = 0;                   // list, search: at most this many rows (0: all)
    bool json = false;               // list, search: rows as JSON
    DataFormat format = DataFormat::Text;  // get
    std::optional<Transform> transform;    // paste: the text alone, transformed (none: the whole clip)
    std::optional<RowKind> kind;     // search: rows of this kind only
    std::string text;                // add: the text; search: the words (UTF-8)
    std::string source;              // search: rows copied from a program whose file name holds this

    bool operator==(const Request& other) const;
};

// What is wrong with a request's arguments (a message for the user); empty when nothing is. The
// command line asks before it sends, the program again when it takes a request.
std::string requestProblem(const Request& request);

std::string encodeRequest(const Request& request);
// The request in these bytes; nothing when they are not one whole request of this layout
// (`problem` says why).
std::optional<Request> decodeRequest(std::string_view bytes, std::string* problem = nullptr);

// The main window's answer to the request's WM_COPYDATA (its LRESULT). 0 is what a window that
// does not know the message answers.
enum class Receipt : std::uint32_t {
    NotUnderstood = 0,  // not a request of ours
    Taken = 1,          // the answer follows in chunks to the reply window
    TooLarge = 2,       // over kMaxRequestBytes: not even read
    Malformed = 3,      // not a request of this layout, or its reply window is not the sender
    Busy = 4,           // the program has as many requests waiting as it takes
};
struct Received {
    Receipt receipt = Receipt::NotUnderstood;
    std::optional<Request> request;  // when Taken
    std::string problem;             // when Malformed
};
// Whether the main window takes a WM_COPYDATA message with this tag and bytes, sent by
// `senderWindow` (its wParam). The size is looked at before anything else.
Received receiveRequest(std::uint64_t tag, std::string_view bytes, std::uint64_t senderWindow);

// How a command ended: dravixc.exe's exit code. 3 (the program is not running or did not answer)
// is the command line's own.
enum class Status : std::uint8_t { Done = 0, NothingMatched = 1, BadArguments = 2, Failed = 4 };
inline constexpr int kExitNotRunning = 3;

struct Answer {
    Status status = Status::Done;
    std::string output;   // for the standard output (or the file of get --out)
    std::string message;  // for the standard error (UTF-8), cut to kMaxAnswerMessage
};

// An answer goes as chunks 0 .. count-1, each with its share of the output (at most
// kMaxChunkOutput); the first carries the status and the message too.
std::uint32_t chunkCount(const Answer& answer);
std::string encodeAnswerChunk(std::uint32_t requestId, const Answer& answer, std::uint32_t index);

// The chunks of one request's answer taken in order as they come.
class AnswerAssembly {
public:
    explicit AnswerAssembly(std::uint32_t requestId) : m_requestId(requestId) {}

    enum class Step {
        More,      // taken; more chunks follow
        Complete,  // taken; that was the last
        Stray,     // not a chunk of this request's answer: ignored
        Broken,    // a chunk of this answer out of order or malformed, or the output not taken
    };
    // The output of a chunk goes to `write` (false: it could not be written).
    Step take(std::string_view chunk, const std::function<bool(std::string_view output)>& write);

    Status status() const { return m_status; }
    const std::string& message() const { return m_message; }

private:
    std::uint32_t m_requestId;
    std::uint32_t m_next = 0;
    std::uint32_t m_count = 0;
    std::uint64_t m_outputBytes = 0;
    Status m_status = Status::Done;
    std::string m_message;
};

}  // namespace store::command
