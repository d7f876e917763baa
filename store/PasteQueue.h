// The paste queue: history clips waiting to be pasted one after another with Ctrl+Alt+Q, in the
// order they were queued. Both deliverables change it (the main window fills it, the hook
// library pastes its head), so it lives in the status file as one key, "PasteQueue", whose text
// is the history numbers in order ("7 3 12"), and every change is one step under the store lock.
// The start-up reset empties it with the rest of the store; a start that goes on with the last run
// (the restore of the last run on) keeps it. Portable C++17: no <windows.h>.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

inline constexpr std::string_view kPasteQueueKey = "PasteQueue";
// A clip is queued once at most, so the queue never holds more clips than the history can.
inline constexpr std::size_t kPasteQueueLimit = 999;

using PasteQueue = std::vector<int>;

// The decisions, over plain data.

// The numbers of the key's text in order; what is not a history number (1-999), or repeats one
// already read, is passed over.
PasteQueue parsePasteQueue(std::string_view text);
std::string pasteQueueText(const PasteQueue& queue);
struct QueueAppend {
    int added = 0;
    int alreadyQueued = 0;  // left in their places
    int refused = 0;        // no room, or not a history number
};
// `numbers` appended in their order: a clip already queued keeps its place, a queue at its limit
// takes no more.
QueueAppend appendToQueue(PasteQueue& queue, const std::vector<int>& numbers);
// False when the clip was not queued.
bool removeFromQueue(PasteQueue& queue, int number);
// The head goes only while it is still `pasted`: a clip removed from the queue while it was
// being pasted does not take another with it.
bool popQueueHead(PasteQueue& queue, int pasted);
// The history number of a history clip's name ("his12-" gives 12); nothing for any other name.
std::optional<int> historyNumberOfClip(std::string_view clip);

// The operations on the status file at `statusPath`, each one read-modify-write under the
// store lock. Nothing (or false) when the file could not be read or written: a queue that was not
// changed is never reported as changed.
std::optional<PasteQueue> readPasteQueue(const std::string& statusPath);
std::optional<QueueAppend> appendToPasteQueue(const std::string& statusPath, const std::vector<int>& numbers);
// Whether the file holds the queue without these clips now (true when none of them was queued).
bool removeFromPasteQueue(const std::string& statusPath, const std::vector<int>& numbers);
bool clearPasteQueue(const std::string& statusPath);
bool popPasteQueueHead(const std::string& statusPath, int pasted);
// The status file left with the queue alone, one step under the lock: the flags an operation of
// a run that ended raised (a paste under way) come down, the queue lasts. An unreadable file goes
// whole. False when it could not be rewritten.
bool keepOnlyPasteQueue(const std::string& statusPath);

}  // namespace store
