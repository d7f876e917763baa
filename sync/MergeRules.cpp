#include "sync/MergeRules.h"

#include <algorithm>

namespace clipsync {

namespace {

// Whether a later entry of the same machine (one already read) ends the clip of `added`.
bool endedLater(const std::vector<Entry>& entries, const Entry& added) {
    return std::any_of(entries.begin(), entries.end(), [&](const Entry& later) {
        return later.seq > added.seq && ((later.kind == EntryKind::Deleted && later.target == added.seq) ||
                                         (later.kind == EntryKind::Dropped && later.clip == added.clip));
    });
}

bool isDuplicate(const MergeState& state, const std::string& machine, const Entry& added) {
    if (added.clipKind == ClipKind::Text && added.digest == state.lastTextDigest)
        return true;
    return std::any_of(state.rows.begin(), state.rows.end(), [&](const auto& row) {
        return row.first.machine != machine && row.second.digest == added.digest;
    });
}

class MachineMerge {
public:
    MachineMerge(const MachineJournal& journal, MergeState& state, std::vector<Action>& actions)
        : m_machine(journal.machine), m_state(state), m_actions(actions), m_entries(journal.entries) {
        std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) { return a.seq < b.seq; });
        m_entries.erase(std::unique(m_entries.begin(), m_entries.end(),
                                    [](const Entry& a, const Entry& b) { return a.seq == b.seq; }),
                        m_entries.end());
        auto next = state.nextSeq.find(m_machine);
        m_next = std::max(next == state.nextSeq.end() ? 1 : next->second, journal.firstSeq);
    }

    void run(const ClipFileState& clipFile) {
        for (const Entry& entry : m_entries) {
            if (entry.seq < m_next) {
                learnDigest(entry);
                continue;
            }
            if (entry.seq != m_next || !take(entry, clipFile))
                break;  // a gap (a segment not here yet) or a clip still arriving
            ++m_next;
        }
        m_state.nextSeq[m_machine] = m_next;
    }

private:
    // A row given at a start knows its key only; its content's digest comes from its entry.
    void learnDigest(const Entry& entry) {
        if (entry.kind != EntryKind::Added)
            return;
        auto row = m_state.rows.find({m_machine, entry.seq});
        if (row != m_state.rows.end() && row->second.digest.empty())
            row->second.digest = entry.digest;
    }

    // False when the entry must wait.
    bool take(const Entry& entry, const ClipFileState& clipFile) {
        const RowKey key{m_machine, entry.kind == EntryKind::Added ? entry.seq : entry.target};
        auto row = m_state.rows.find(key);
        switch (entry.kind) {
        case EntryKind::Added:
            if (row != m_state.rows.end() || endedLater(m_entries, entry))
                return true;
            switch (clipFile(m_machine, entry)) {
            case ClipFile::Pending:
                return false;
            case ClipFile::Unreadable:
                return true;
            case ClipFile::Ready:
                break;
            }
            if (!isDuplicate(m_state, m_machine, entry)) {
                m_state.rows[key] = RowHere{entry.digest, false};
                m_actions.push_back({Action::Kind::AddRow, key, entry});
            }
            if (entry.clipKind == ClipKind::Text)
                m_state.lastTextDigest = entry.digest;
            return true;
        case EntryKind::Deleted:
            if (row != m_state.rows.end()) {
                if (!row->second.filedHere)
                    m_actions.push_back({Action::Kind::RemoveRow, key, entry});
                m_state.rows.erase(row);
            }
            return true;
        case EntryKind::Filed:
            if (row != m_state.rows.end())
                m_actions.push_back({Action::Kind::FileRow, key, entry});
            return true;
        case EntryKind::Dropped:
            return true;
        }
        return true;
    }

    const std::string& m_machine;
    MergeState& m_state;
    std::vector<Action>& m_actions;
    std::vector<Entry> m_entries;
    std::uint64_t m_next = 1;
};

}  // namespace

std::vector<Action> merge(const std::vector<MachineJournal>& journals, MergeState& state, const ClipFileState& clipFile) {
    std::vector<const MachineJournal*> ordered;
    for (const MachineJournal& journal : journals)
        ordered.push_back(&journal);
    std::sort(ordered.begin(), ordered.end(),
              [](const MachineJournal* a, const MachineJournal* b) { return a->machine < b->machine; });
    std::vector<Action> actions;
    for (const MachineJournal* journal : ordered)
        MachineMerge(*journal, state, actions).run(clipFile);
    return actions;
}

}  // namespace clipsync
