// The other machines' folders of the sync folder, as this machine reads them: their names, their
// journals, how far they read this one, and their clips, taken only once each file is complete and
// opens. Files are read again only when their size or time changed; closed segments are kept.
// A machine whose name does not open under the passphrase is sealed with another one: nothing of
// it is read. A file that does not open is reported once. Portable: no <windows.h>.
#pragma once

#include "store/ClipSnapshot.h"
#include "sync/MergeRules.h"
#include "sync/Sealing.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipsync {

class PeerFolders {
public:
    PeerFolders(std::string syncRoot, std::string ownMachineId, std::string passphrase);

    // Looks at the folders again. False when the sync folder cannot be listed.
    bool refresh();

    std::vector<MachineJournal> journals() const;
    // For merge(): opens the clip of an Added entry and keeps it for takeClip. Within one round,
    // clips are kept up to a bound of bytes; beyond it a clip is Pending (the next round takes it).
    ClipFile clipFile(const std::string& machine, const Entry& added);
    std::optional<store::ClipSnapshot> takeClip(const std::string& machine, std::uint64_t seq);
    // Forgets the clips kept and not taken, and begins a new budget.
    void endRound();

    std::string machineName(const std::string& machine) const;
    // What each readable machine last said it read of this one (its next seq).
    std::vector<std::uint64_t> othersNextForUs() const;
    // Machines whose files are sealed with another passphrase.
    int machinesWithOtherPassphrase() const;
    int machinesRead() const;
    // Files that did not open though whole (each named once, "machine/file"), since the last call.
    std::vector<std::string> takeUnreadable();

    // A whole clip file that does not open is taken as still being written until it has not
    // changed for this long (an engine may write a file in place).
    // (A file's own time says nothing here: engines give it the time it had on its machine.)
    static constexpr std::chrono::seconds kSettleTime{120};
    static constexpr std::size_t kRoundBytes = std::size_t{64} << 20;

private:
    struct CachedSegment {
        std::uint64_t size = 0;
        std::int64_t writeTime = 0;
        Segment segment;
    };
    struct Machine {
        enum class State { Waiting, Reading, OtherPassphrase } state = State::Waiting;
        bool everRead = false;  // read in this run: how far it read us holds our pruning from then on
        std::string saltBytes;
        std::optional<FolderKeys> keys;
        std::string name;
        std::map<std::string, std::pair<std::uint64_t, std::int64_t>> files;  // name: size, time
        std::map<std::uint64_t, CachedSegment> segments;
        std::optional<std::uint64_t> nextForUs;
    };

    void refreshMachine(const std::string& id, Machine& machine);
    bool readKeys(const std::string& id, Machine& machine);
    // The file opened, or why not; a whole file that does not open, once settled, is reported.
    OpenedFile openListed(const std::string& id, const Machine& machine, const std::string& fileName, Role role,
                          std::uint64_t bound);
    std::string folderOf(const std::string& id) const;
    // Whether the file has kept this size and time for kSettleTime as this machine saw it.
    bool settled(const std::string& where, std::pair<std::uint64_t, std::int64_t> stamp);

    std::string m_root;
    std::string m_own;
    std::string m_passphrase;
    std::map<std::string, Machine> m_machines;
    std::map<std::pair<std::string, std::uint64_t>, store::ClipSnapshot> m_kept;
    std::size_t m_keptBytes = 0;
    std::map<std::string, std::pair<std::uint64_t, std::int64_t>> m_reported;  // "machine/file": size, time
    std::vector<std::string> m_unreadable;
    std::map<std::string, std::pair<std::pair<std::uint64_t, std::int64_t>, std::chrono::steady_clock::time_point>>
        m_unchangedSince;
};

}  // namespace clipsync
