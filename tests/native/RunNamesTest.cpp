// The names of the runs kept at start-up.
#include "store/RunNames.h"
#include "store/StorePaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace store;

// Kept runs are known by the one name the program makes: the marker, the start's time and the
// same-second number, read back strictly. Nothing else in the runs folder (the user's archives,
// names that come close) is ever pruned or taken for the newest; runs order by their time, then
// their same-second number, never by the text of the names.
TEST(ArchiveNames, KeptRunsAreTheProgramsNamesAlone) {
    EXPECT_EQ(store::runName("2026-12-08 14:03:22"), "Dravix-run 2026-12-08 14-03-22");
    EXPECT_EQ(store::runName("2026-12-08 14:03:22", 12), "Dravix-run 2026-12-08 14-03-22 (12)");
    const auto parsed = store::parseRunName("Dravix-run 2026-12-08 14-03-22 (12)");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->time, "2026-12-08 14-03-22");
    EXPECT_EQ(parsed->sameSecond, 12);
    EXPECT_EQ(store::parseRunName("Dravix-run 2026-12-08 14-03-22")->sameSecond, 1);
    for (const char* user : {"1", "2026-12-08 14-03-22", "dravix-run 2026-12-08 14-03-22", "Dravix-run 2026-12-08 14-03-22 ",
                             "Dravix-run 2026-12-08 14-03-22 (1)", "Dravix-run 2026-12-08 14-03-22 (02)",
                             "Dravix-run 2026-12-08 14-03-22 (2", "Dravix-run 2026-12-08 14-03-22 (12345)",
                             "Dravix-run 2026-13-08 14-03-22", "Dravix-run 2026-12-08 24-03-22", "Dravix-run 2026-12-08 14:03:22",
                             "Dravix-run 2026-12-08 14-03-2x", "Dravix-run 2026-12-08 14-03-22 copy", "Dravix-run 2026-12-08"})
        EXPECT_FALSE(store::parseRunName(user)) << user;
    EXPECT_TRUE(store::parseRunArchive("Dravix-run 2026-12-08 14-03-22.amc"));
    EXPECT_FALSE(store::parseRunArchive("Dravix-run 2026-12-08 14-03-22.AMC"));
    EXPECT_FALSE(store::parseRunArchive("Dravix-run 2026-12-08 14-03-22"));
    EXPECT_FALSE(store::parseRunArchive("Dravix-run 2026-12-08 14-03-22.damaged"));

    const std::vector<std::string> names = {
        "1.amc", "zzz.amc", "2099-01-01 10-00-00.amc", "note.txt", "Dravix-run 2026-01-03 10-00-00.amc",
        "Dravix-run 2026-01-02 10-00-00 (10).amc", "Dravix-run 2026-01-02 10-00-00 (9).amc",
        "Dravix-run 2026-01-01 10-00-00.amc", "Dravix-run 2026-01-02 10-00-00.amc", "Dravix-run 2099-01-01 10-00-00.AMC"};
    EXPECT_EQ(store::runsToRemove(names, 2),
              (std::vector<std::string>{"Dravix-run 2026-01-01 10-00-00.amc", "Dravix-run 2026-01-02 10-00-00.amc",
                                        "Dravix-run 2026-01-02 10-00-00 (9).amc"}));
    EXPECT_TRUE(store::runsToRemove(names, 5).empty());
    EXPECT_EQ(store::newestRun(names), "Dravix-run 2026-01-03 10-00-00.amc");
    EXPECT_EQ(store::newestRun({"1.amc", "zzz.amc", "note.txt"}), "");

    // What an ended start can leave beside a run, and nothing of the user's.
    EXPECT_TRUE(store::isRunLeftover("Dravix-run 2026-12-08 14-03-22.1234-5.tmp"));
    EXPECT_TRUE(store::isRunLeftover("Dravix-run 2026-12-08 14-03-22 (2).amc.77-1.tmp"));
    for (const char* other : {"Dravix-run 2026-12-08 14-03-22.tmp", "work.1234-5.tmp", "Dravix-run 2026-12-08 14-03-22.12x4-5.tmp",
                              "Dravix-run 2026-12-08 14-03-22.1234-.tmp", "Dravix-run 2026-12-08 14-03-22.amc",
                              "Dravix-run 2026-12-08 14-03-22.damaged.1-2.tmp"})
        EXPECT_FALSE(store::isRunLeftover(other)) << other;
    EXPECT_EQ(store::temporarySiblingBase("clipboard.xml.12-3.tmp"), "clipboard.xml");
    for (const char* other : {"clipboard.xml old.tmp", "clipboard.xml.tmp", "clipboard.xml.1-x.tmp", "label.xml.12-3"})
        EXPECT_EQ(store::temporarySiblingBase(other), std::nullopt) << other;
}

}  // namespace
