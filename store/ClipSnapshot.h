// A clip's contents in memory, format by format as the clipboard listed them, and how such a
// copy becomes a clip of the store. The clipboard is held open only while it is copied into a
// snapshot; the data files are written afterwards under temporary names, outside the store lock,
// and put in place in one short step while the index is rewritten. Both deliverables store
// clipboard contents this way (the history recorder of the main program, the chords of the
// hook library). Portable: no <windows.h>.
#pragma once

#include "store/StoreDocument.h"
#include "store/StorePaths.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xml { class XmlDocument; }

namespace store {

struct ClipSnapshot {
    struct Format {
        int index = 0;         // its place among the formats the clipboard handed out
        unsigned format = 0;   // the clipboard format number
        std::string bytes;     // the memory block; empty for a format whose data is a handle
    };
    std::vector<Format> formats;
    std::string bitmapFile;    // the clipboard's bitmap as a bitmap file, when it has one
    std::string source;        // the program that copied it (its full path), empty when not known
    // Formats the clipboard listed whose data could not be kept (over the budget, no memory for
    // it, or a kind no program can hand over as bytes): what went back on the clipboard would lack them.
    std::vector<unsigned> notKept;

    bool empty() const { return formats.empty(); }
    std::size_t byteCount() const;
};

// The width and height a bitmap file's headers give; nothing for bytes that are no bitmap file.
std::optional<std::pair<int, int>> bitmapFileSize(std::string_view file);

// A snapshot's files written beside the data folder, waiting to be put in place. Whatever is
// not put in place is removed when the object goes.
class StagedClip {
public:
    StagedClip(const StorePaths& paths, const ClipSnapshot& snapshot);
    ~StagedClip();
    StagedClip(const StagedClip&) = delete;
    StagedClip& operator=(const StagedClip&) = delete;

    // False when a file could not be written (a full disk): nothing should be stored then.
    bool written() const { return m_written; }

    // Inside an edit of the index (under the store lock): the snapshot becomes `clip`. Its old
    // format keys and copy time go, both times are stamped `stamp`, and each format gets its key
    // with its data file moved into place (a bitmap also the clip's bitmap file and thumbnail); the
    // source, when known, follows the times (an old one goes in any case). An empty snapshot only
    // removes the old format keys; a snapshot that could not be written changes nothing. Returns
    // whether the document changed.
    // The files go in place first, all or none: the old files of the clip (`replacesOldFiles`, or
    // a clip the index holds) are moved aside before the new ones take their names, and when one
    // cannot be moved (a program holds it open, it is read-only) every file goes back and the
    // document is left as it was: commit() returns false and failed() says why.
    bool commit(xml::XmlDocument& doc, std::string_view clip, const std::string& stamp, bool replacesOldFiles = false);
    bool failed() const { return m_failed; }
    // The index could not be written after commit(): the old files come back, the new ones go.
    // Otherwise the old files moved aside go with the object.
    void rollBack();
    // The data file names commit() put in place (formats, bitmap, thumbnail).
    const std::vector<std::string>& placed() const { return m_placed; }

private:
    struct Move {
        std::string staged;  // our file, or empty: the old file of that name only goes (a stale thumbnail)
        std::string name;    // its name in the data folder
        std::string aside;   // where the old file of that name went, if it had one
        bool done = false;
    };
    bool moveIntoPlace(std::vector<Move>& moves, bool keepOldFiles);
    void undo(std::vector<Move>& moves);

    const StorePaths& m_paths;
    const ClipSnapshot& m_snapshot;
    std::vector<std::string> m_formatFiles;  // temporary file of each format, in order
    std::string m_bitmapFile;
    std::string m_thumbnailFile;
    bool m_written = true;
    bool m_failed = false;
    std::vector<Move> m_moves;  // what commit() did, until the object goes or rolls back
    std::vector<std::string> m_placed;
};

// The snapshot becomes `clip` (a slot, or the kept clipboard "tempFile"), stamped with the time
// now: its files written first, then the index edited under the store lock (StagedClip::commit).
// An empty snapshot only removes the clip's old format keys. False when anything of it was not
// written.
bool writeClip(const StorePaths& paths, std::string_view clip, const ClipSnapshot& snapshot);

// The lowest history number that no "his" + n + "-0" element of the index takes (above 999 the
// history is full).
int lowestFreeHistoryNumber(xml::XmlDocument& doc);

// What a copy does when every history number is taken: it is refused (the user is told the
// history is full), or the oldest history clip that the user did not file goes to make room.
enum class WhenHistoryFull { Refuse, RemoveOldest };

// The history clip that goes to make room in a full history: of the clips filed in no category,
// the one used longest ago (by its use time, else its copy time; a clip with neither counts as the
// oldest), the lower number first between equal times. Slots are clips of their own ("copy" and a
// digit), never history clips, so they never go. 0 when every history clip is filed.
int historyNumberToMakeRoom(const std::vector<RootElement>& elements);

// What became of a copy filed as a history record, and what its row needs.
struct FiledRecord {
    enum class Outcome {
        Filed,        // stored as history record `number`, copied at `stamp`
        HistoryFull,  // every number up to 999 is taken: nothing was written
        Failed,       // the store could not be written (its data folder, its index): nothing changed
    };
    Outcome outcome = Outcome::Failed;
    int number = 0;
    std::string stamp;
    bool madeRoom = false;  // the record removed to make room had the number `number`
};

// The one way a history record is filed, by the recorder and by a slot copy alike: the snapshot's
// files are written under temporary names first, outside the store lock; then, in one section
// under the lock, the lowest free number is taken, the index written and the files put in place.
// So two writers (threads or processes) never take the same number, and no record is written over.
// Both times of the record are `stamp`. In a full history, RemoveOldest removes the clip that
// historyNumberToMakeRoom names, with its data files, bitmap and thumbnail, in that same section:
// the new record then takes its number.
FiledRecord fileHistoryRecord(const StorePaths& paths, const ClipSnapshot& snapshot, const std::string& stamp,
                              WhenHistoryFull whenFull = WhenHistoryFull::Refuse);

}  // namespace store
