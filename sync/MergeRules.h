// How the journals of the other machines become rows here: a plain decision over what has been
// read and what is here, tested natively. Each machine's entries are taken in its own sequence
// order, from where this machine stopped reading it; an entry whose clip file has not fully
// arrived holds that machine's later entries back (engines deliver files in any order), so a
// deletion is never applied before the clip it deletes. Portable: no <windows.h>.
#pragma once

#include "sync/Journal.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace clipsync {

// A row here that came from another machine: that machine and the seq of the entry that added it.
struct RowKey {
    std::string machine;
    std::uint64_t seq = 0;
    bool operator<(const RowKey& other) const {
        return machine != other.machine ? machine < other.machine : seq < other.seq;
    }
    bool operator==(const RowKey& other) const { return machine == other.machine && seq == other.seq; }
};

struct RowHere {
    std::string digest;      // its content's digest (empty until its entry was read again)
    bool filedHere = false;  // the user here filed it into a category since it arrived
};

// What this machine has taken so far. `nextSeq` lasts across runs (the machine's seen file); the
// caller gives `rows` at a start (the synced rows its store still holds).
struct MergeState {
    std::map<std::string, std::uint64_t> nextSeq;  // per machine: the next entry to take
    std::map<RowKey, RowHere> rows;
    std::string lastTextDigest;                    // the last text here, copied or arrived
};

// One machine's journal as read: entries in any order, repeats allowed; `firstSeq` is its oldest
// entry still kept (its machine pruned those before: they are taken as read).
struct MachineJournal {
    std::string machine;
    std::uint64_t firstSeq = 1;
    std::vector<Entry> entries;
};

// An added clip's file as the reader finds it.
enum class ClipFile {
    Ready,       // complete, and it opens
    Pending,     // missing or still arriving: later entries of its machine wait for it
    Unreadable,  // complete, but it does not open: skipped (the reader reports it)
};
using ClipFileState = std::function<ClipFile(const std::string& machine, const Entry& added)>;

struct Action {
    enum class Kind {
        AddRow,     // a row of `entry`'s clip from `row.machine`
        RemoveRow,  // the row `row` goes
        FileRow,    // the row `row` was filed into `entry.category` on its machine
    };
    Kind kind = Kind::AddRow;
    RowKey row;
    Entry entry;
};

// The actions the journals call for, in each machine's order (machines by id), with `state`
// brought up to date. An entry already taken is never taken again.
// - Added: a row, unless its own machine deleted or dropped it later (already read), the row is
//   here already, the same content is a row here from another machine, or it is a text repeating
//   the last text here.
// - Deleted: the row goes, unless the user here filed it since it arrived (it stays, no longer
//   followed).
// - Filed: the row is filed into the same category, when it is here.
// - Dropped: nothing here (the rows keep their bytes); only the files' pruning.
std::vector<Action> merge(const std::vector<MachineJournal>& journals, MergeState& state, const ClipFileState& clipFile);

}  // namespace clipsync
