// The sync folder moved by a real engine: two Syncthing daemons on loopback keep two local folders
// in step (scripts/syncthing-pair); one machine writes its folder, the other reads its copy. What
// is written arrives whole and is taken once; an engine stopped while clips are written delivers
// all of them once started again, none twice.
#include "sync/MergeRules.h"
#include "sync/OwnFolder.h"
#include "sync/PeerFolders.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>

using namespace clipsync;

namespace {

const std::string kA(32, 'a');
const std::string kB(32, 'b');

class SyncthingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pair("start " + dir.path("state") + " " + dir.path("A") + " " + dir.path("B"))); }
    void TearDown() override { pair("stop " + dir.path("state")); }

    static bool pair(const std::string& arguments) {
        return std::system((std::string(DRAVIX_SOURCE_DIR "/scripts/syncthing-pair ") + arguments).c_str()) == 0;
    }

    PreparedClip text(const std::string& ascii) {
        std::string bytes;
        for (char c : ascii + '\0')
            bytes += {c, '\0'};
        return *prepareClip({ClipKind::Text, {{{0, 13, bytes}}, "", "notepad.exe"}});
    }

    // B reads its copy of the folder until it has taken `adds` rows and `removes` removals (30 s at most).
    bool arrivesOnB(PeerFolders& b, std::size_t adds, std::size_t removes) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < until) {
            b.refresh();
            for (const Action& action : merge(b.journals(), state, [&](const std::string& m, const Entry& e) {
                     return b.clipFile(m, e);
                 })) {
                if (action.kind == Action::Kind::AddRow) {
                    EXPECT_TRUE(added.insert(action.row.seq).second) << "taken twice: " << action.row.seq;
                    EXPECT_TRUE(b.takeClip(action.row.machine, action.row.seq));
                } else if (action.kind == Action::Kind::RemoveRow) {
                    ++removed;
                }
            }
            b.endRound();
            if (added.size() >= adds && removed >= removes)
                return added.size() == adds && removed == removes;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    ScratchDir dir;
    MergeState state;
    std::set<std::uint64_t> added;
    std::size_t removed = 0;
};

TEST_F(SyncthingTest, ClipsWrittenOnOneSideAreTakenOnTheOtherOnceEach) {
    OwnFolder a(dir.path("A"), kA);
    ASSERT_EQ(a.open("secret", "A"), OwnFolder::Opening::Ok);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(a.publish(text("first " + std::to_string(i)), "his" + std::to_string(i) + "-", 100 + i));
    PeerFolders b(dir.path("B"), kB, "secret");
    ASSERT_TRUE(arrivesOnB(b, 3, 0));

    ASSERT_TRUE(pair("stop-side " + dir.path("state") + " B"));
    for (int i = 3; i < 8; ++i)
        ASSERT_TRUE(a.publish(text("while B was off " + std::to_string(i)), "his" + std::to_string(i) + "-", 100 + i));
    ASSERT_TRUE(a.recordDeleted("his0-", 200));
    ASSERT_TRUE(pair("start-side " + dir.path("state") + " B"));
    EXPECT_TRUE(arrivesOnB(b, 8, 1));
    EXPECT_TRUE(b.takeUnreadable().empty());
}

}  // namespace
