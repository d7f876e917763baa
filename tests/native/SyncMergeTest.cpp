// The merge of other machines' journals into rows here, as a table: each case gives the journals
// as read, which clip files have arrived, what is here, and the actions and reading marks expected.
#include "sync/MergeRules.h"
#include "sync/PruneRules.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using namespace clipsync;

namespace {

const std::string A(32, 'a');
const std::string B(32, 'b');

// An entry written as text: "+3 x" adds content x (its clip "x"), "+3 x pic" a picture, "-4 3" deletes the
// record of entry 3, "=5 3 工作" files it, "~6 x" drops clip x.
Entry entry(const std::string& text) {
    Entry e;
    std::istringstream in(text.substr(1));
    in >> e.seq;
    switch (text[0]) {
    case '+': {
        std::string kind;
        in >> e.clip >> kind;
        e.kind = EntryKind::Added;
        e.digest = "digest of " + e.clip;
        e.clipKind = kind == "pic" ? ClipKind::Picture : ClipKind::Text;
        break;
    }
    case '-':
        e.kind = EntryKind::Deleted;
        in >> e.target;
        break;
    case '=':
        e.kind = EntryKind::Filed;
        in >> e.target >> e.category;
        break;
    default:
        e.kind = EntryKind::Dropped;
        in >> e.clip;
    }
    return e;
}

std::string describe(const Action& action) {
    const std::string row = std::string(1, action.row.machine[0]) + std::to_string(action.row.seq);
    switch (action.kind) {
    case Action::Kind::AddRow:
        return "add " + row + " " + action.entry.clip;
    case Action::Kind::RemoveRow:
        return "remove " + row;
    case Action::Kind::FileRow:
        return "file " + row + " " + action.entry.category;
    }
    return "";
}

struct Journal {
    std::string machine;
    std::vector<std::string> entries;
    std::uint64_t firstSeq = 1;
};

TEST(SyncMerge, JournalsBecomeRowsByTheRules) {
    const struct {
        const char* what;
        std::vector<Journal> journals;
        std::set<std::string> pending;  // clips not fully here yet
        std::map<RowKey, RowHere> rows;
        std::map<std::string, std::uint64_t> next;
        std::string lastText;
        std::vector<std::string> actions;
        std::uint64_t nextOfA;
    } cases[] = {
        {"adds", {{A, {"+1 x", "+2 y pic"}}}, {}, {}, {}, "", {"add a1 x", "add a2 y"}, 3},
        {"an entry seen twice is one row", {{A, {"+1 x", "+1 x", "+2 y"}}}, {}, {}, {}, "", {"add a1 x", "add a2 y"}, 3},
        {"taken before: nothing again", {{A, {"+1 x", "+2 y"}}}, {}, {}, {{A, 2}}, "", {"add a2 y"}, 3},
        {"a delete removes the row", {{A, {"+1 x", "-2 1"}}}, {}, {{{A, 1}, {"digest of x", false}}}, {{A, 2}}, "",
         {"remove a1"}, 3},
        {"added and deleted before it was taken: nothing", {{A, {"+1 x", "+2 y", "-3 1"}}}, {"x"}, {}, {}, "", {"add a2 y"}, 4},
        {"added after a delete: a row again", {{A, {"+1 x", "-2 1", "+3 x"}}}, {}, {}, {}, "", {"add a3 x"}, 4},
        {"deleted there but filed here since: kept", {{A, {"-2 1"}}}, {}, {{{A, 1}, {"digest of x", true}}}, {{A, 2}}, "", {}, 3},
        {"filed there: filed here", {{A, {"=2 1 工作"}}}, {}, {{{A, 1}, {"digest of x", false}}}, {{A, 2}}, "",
         {"file a1 工作"}, 3},
        {"a later segment first: waits for the gap", {{A, {"+3 z", "-4 3"}}}, {}, {}, {{A, 2}}, "", {}, 2},
        {"the gap filled: in order", {{A, {"+3 z", "+2 y", "-4 3"}}}, {}, {}, {{A, 2}}, "", {"add a2 y"}, 5},
        {"a clip still arriving holds its machine", {{A, {"+1 x", "+2 y", "+3 z"}}, {B, {"+1 w"}}}, {"y"}, {}, {}, "",
         {"add a1 x", "add b1 w"}, 2},
        {"pruned by its machine: begins where it kept", {{A, {"+7 x"}, 7}}, {}, {}, {{A, 2}}, "", {"add a7 x"}, 8},
        {"the same content from two machines: one row", {{A, {"+1 x pic"}}, {B, {"+1 x pic"}}}, {}, {}, {}, "", {"add a1 x"}, 2},
        {"the same text as the last text here", {{A, {"+1 x"}}}, {}, {}, {}, "digest of x", {}, 2},
        {"the same picture as the last text's digest is no text", {{A, {"+1 x pic"}}}, {}, {}, {}, "digest of x",
         {"add a1 x"}, 2},
        {"a repeat after another text: a row", {{A, {"+1 x", "+2 y", "+3 x"}}}, {}, {}, {}, "", {"add a1 x", "add a2 y", "add a3 x"}, 4},
        {"dropped there before it was taken: no wait for its file", {{A, {"+1 x", "~2 x", "+3 y"}}}, {"x"}, {}, {}, "",
         {"add a3 y"}, 4},
    };
    for (const auto& c : cases) {
        std::vector<MachineJournal> journals;
        for (const Journal& journal : c.journals) {
            MachineJournal read{journal.machine, journal.firstSeq, {}};
            for (const std::string& text : journal.entries)
                read.entries.push_back(entry(text));
            journals.push_back(read);
        }
        MergeState state{c.next, c.rows, c.lastText};
        const auto clipFile = [&](const std::string&, const Entry& added) {
            return c.pending.count(added.clip) ? ClipFile::Pending : ClipFile::Ready;
        };
        std::vector<std::string> actions;
        for (const Action& action : merge(journals, state, clipFile))
            actions.push_back(describe(action));
        EXPECT_EQ(actions, c.actions) << c.what;
        EXPECT_EQ(state.nextSeq[A], c.nextOfA) << c.what;
    }
}

Segment segment(std::uint64_t number, bool closed, const std::vector<std::string>& entries, std::int64_t time) {
    Segment s{number, closed, 1, {}};
    for (const std::string& text : entries) {
        s.entries.push_back(entry(text));
        s.entries.back().time = time;
        s.entries.back().size = 100;
    }
    return s;
}

// Files go by their entries: a clip deleted or too old; segments only as a prefix whose clips all
// ended and that every other machine has read (or long ago).
TEST(SyncMerge, PruningNamesOnlyEndedClipsAndAReadPrefix) {
    const std::int64_t now = 100 * kDay;
    const std::vector<Segment> journal = {
        segment(1, true, {"+1 x", "+2 y"}, now - 40 * kDay),
        segment(2, true, {"-3 1", "+4 z"}, now - 10 * kDay),
        segment(3, false, {"+5 w", "-6 4"}, now - kDay),
    };
    PrunePlan plan = planPruning(journal, {7}, now, {});
    EXPECT_EQ(plan.toDrop, std::vector<std::string>{"y"});
    EXPECT_EQ(plan.clipFilesToRemove, (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(plan.segmentsToRemove, (std::vector<std::uint64_t>{1, 2}));

    EXPECT_EQ(planPruning(journal, {7, 3}, now, {}).segmentsToRemove, std::vector<std::uint64_t>{1});
    EXPECT_TRUE(planPruning(journal, {2}, now, {}).segmentsToRemove.empty());
    EXPECT_EQ(planPruning(journal, {2}, now + 60 * kDay, {}).segmentsToRemove, (std::vector<std::uint64_t>{1, 2}));

    PruneLimits small;
    small.maxBytes = 100;
    plan = planPruning({segment(1, false, {"+1 x", "+2 y", "+3 z"}, now)}, {}, now, small);
    EXPECT_EQ(plan.toDrop.size(), 2u);
    EXPECT_TRUE(plan.segmentsToRemove.empty());
}

}  // namespace
