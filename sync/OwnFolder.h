// This machine's folder of the sync folder (<folder>\Dravix\<machine id>\), which no other machine
// writes: its salt, its name, its clips (each written once, under its keyed name) and its journal.
// Every file is replaced in one step; a failed write changes nothing here and says so, so the
// caller keeps what it meant to write and tries again. Portable: no <windows.h>.
#pragma once

#include "sync/ClipPayload.h"
#include "sync/Journal.h"
#include "sync/PruneRules.h"
#include "sync/Sealing.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipsync {

class OwnFolder {
public:
    enum class Opening {
        Ok,
        WrongPassphrase,  // the folder was sealed with another passphrase: nothing is written to it
        Unavailable,      // the folder cannot be made, read or written (missing drive, read-only)
        NoKeys,           // the system gave no random bytes or key
    };

    // `syncRoot`: the folder the engine keeps in step (the Dravix folder goes inside it).
    OwnFolder(std::string syncRoot, std::string machineId);

    // Makes the machine's folder (in a sync folder that is there) and its salt when missing,
    // derives the keys, checks the passphrase against the name file (writing the name when it is
    // missing or changed), removes temporary files its own writes left (by their exact names), and
    // reads the journal.
    Opening open(std::string_view passphrase, std::string_view machineName);

    // The machine's folder emptied when it was sealed under another passphrase and the user has
    // given the one to use: its files of ours go, by their exact names (the folder and anything
    // else in it stay). False when one of them stays.
    bool retire();

    // The clip's file (when no file of that name is there yet) and its Added entry. False when
    // nothing was written.
    bool publish(const PreparedClip& clip, std::string_view localKey, std::int64_t time);
    // A Deleted or Filed entry for the newest live record of `localKey`; true (and nothing
    // written) when there is none.
    bool recordDeleted(std::string_view localKey, std::int64_t time);
    bool recordFiled(std::string_view localKey, std::string_view category, std::int64_t time);
    // Whether the journal (what is kept of it) holds a record added under `localKey`, live or not.
    bool holdsRecordOf(std::string_view localKey) const;
    // Whether the opened folder takes a write now: one that holds this machine's files opens
    // without writing when made read-only, or on a disk with no room left.
    bool takesWrites() const;
    bool writeSeen(const SeenMarks& marks);
    // What this machine last wrote it had read of the others; nothing when it wrote none.
    std::optional<SeenMarks> readSeen() const;
    // Drops, then removes files and segments as planPruning says. False when a write failed.
    bool prune(std::int64_t now, const PruneLimits& limits, const std::vector<std::uint64_t>& othersNext);

    const std::string& folder() const { return m_folder; }
    const FolderKeys& keys() const { return m_keys; }
    const std::vector<Segment>& segments() const { return m_segments; }
    std::uint64_t nextSeq() const { return m_nextSeq; }

private:
    bool readJournal();
    bool append(std::vector<Entry>& entries);
    bool writeSegment(const Segment& segment);
    bool writeSealed(const std::string& fileName, Role role, std::string_view plain);
    std::optional<std::uint64_t> liveRecord(std::string_view localKey) const;
    // `entry` about the newest live record of `localKey`, appended; true when there is none.
    bool recordAbout(std::string_view localKey, Entry entry);
    std::string path(std::string_view fileName) const;
    void removeLeftovers();
    bool holdsSealedFiles() const;

    std::string m_machine;
    std::string m_root;
    std::string m_folder;
    FolderKeys m_keys;
    std::vector<Segment> m_segments;  // in number order; the last one is open unless closed
    std::uint64_t m_nextSeq = 1;
};

// Seconds since 1970 (UTC) now: the times of journal entries.
std::int64_t secondsNow();

}  // namespace clipsync
