// The names of the runs kept at start-up.
#include "store/ArchivePaths.h"
#include "store/RunNames.h"
#include "store/StorePaths.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
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
    EXPECT_TRUE(store::isRunLeftover("Dravix-run 2026-12-08 14-03-22.amc.search.77-1.tmp"));
    for (const char* other : {"Dravix-run 2026-12-08 14-03-22.tmp", "work.1234-5.tmp", "Dravix-run 2026-12-08 14-03-22.12x4-5.tmp",
                              "Dravix-run 2026-12-08 14-03-22.1234-.tmp", "Dravix-run 2026-12-08 14-03-22.amc",
                              "Dravix-run 2026-12-08 14-03-22.damaged.1-2.tmp", "mine.amc.search.1-2.tmp"})
        EXPECT_FALSE(store::isRunLeftover(other)) << other;
    EXPECT_EQ(store::temporarySiblingBase("clipboard.xml.12-3.tmp"), "clipboard.xml");
    for (const char* other : {"clipboard.xml old.tmp", "clipboard.xml.tmp", "clipboard.xml.1-x.tmp", "label.xml.12-3"})
        EXPECT_EQ(store::temporarySiblingBase(other), std::nullopt) << other;
}

// A run's search index is named from its archive and goes with it; nothing else is taken for one.
TEST(ArchiveNames, ARunsSearchIndexIsNamedFromItsArchive) {
    EXPECT_EQ(store::searchIndexPath("C:\\Runs\\Dravix-run 2026-12-08 14-03-22.amc"),
              "C:\\Runs\\Dravix-run 2026-12-08 14-03-22.amc.search");
    EXPECT_TRUE(store::parseRunIndex("Dravix-run 2026-12-08 14-03-22 (2).amc.search"));
    for (const char* other : {"Dravix-run 2026-12-08 14-03-22.search", "mine.amc.search", "Dravix-run 2026-12-08 14-03-22.amc",
                              "Dravix-run 2026-12-08 14-03-22.amc.SEARCH"})
        EXPECT_FALSE(store::parseRunIndex(other)) << other;
}

// Runs kept by count (1 to 500) or by size on disk, the newest first; the newest always stays.
// A run's size is what it adds to the newer runs: a file it shares with them (a hard link: the
// same name, size and time) is theirs.
TEST(ArchiveNames, KeptRunsByCountOrBySize) {
    const std::vector<std::string> names = {"Dravix-run 2026-01-01 10-00-00.amc", "Dravix-run 2026-01-02 10-00-00.amc",
                                            "Dravix-run 2026-01-03 10-00-00.amc", "Dravix-run 2026-01-04 10-00-00.amc",
                                            "mine.amc"};
    const auto run = [](int day) { return "Dravix-run 2026-01-0" + std::to_string(day) + " 10-00-00.amc"; };
    const std::map<std::string, std::uint64_t> sizes = {{run(1), 50}, {run(2), 30}, {run(3), 40}, {run(4), 100}, {"mine.amc", 999}};
    struct Case {
        RunLimit limit;
        std::vector<int> removed;
    };
    const Case cases[] = {
        {{10, 0}, {}},        {{2, 0}, {1, 2}},        {{0, 0}, {1, 2, 3}},  // a count below one keeps one
        {{600, 0}, {}},       {{10, 170}, {1}},        {{10, 140}, {1, 2}},
        {{10, 139}, {1, 2, 3}},  {{10, 10}, {1, 2, 3}},  {{10, 220}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> expected;
        for (int day : c.removed)
            expected.push_back(run(day));
        EXPECT_EQ(store::runsToRemove(names, c.limit, sizes), expected) << c.limit.count << " " << c.limit.bytes;
    }
    std::vector<std::string> many;
    for (int n = 0; n < 520; ++n)
        many.push_back(store::runName("2026-01-01 10:00:00", n + 1) + ".amc");
    EXPECT_EQ(store::runsToRemove(many, RunLimit{1000, 0}, {}).size(), 20u);  // at most 500 stay

    // The user's settings: a count within 1 to 500 (0 or none the default), a size in megabytes.
    const struct {
        std::optional<std::uint32_t> count, megabytes;
        std::size_t keptCount;
        std::uint64_t bytes;
    } settings[] = {{{}, {}, 10, 0}, {0, 0, 10, 0}, {3, {}, 3, 0}, {100000, {}, 500, 0}, {{}, 5, 10, 5u << 20}};
    for (const auto& setting : settings) {
        const RunLimit limit = store::runLimitFromSettings(setting.count, setting.megabytes);
        EXPECT_EQ(limit.count, setting.keptCount);
        EXPECT_EQ(limit.bytes, setting.bytes);
    }

    using files::FileEntry;
    const std::map<std::string, std::uint64_t> measured = store::runSizes({
        {run(2), {{run(2), 10, 1}, {"his1-0", 100, 5}, {"his2-0", 7, 6}}},
        {run(1), {{run(1), 12, 1}, {"his1-0", 100, 5}, {"his2-0", 9, 3}}},  // his1-0 linked, his2-0 older
    });
    EXPECT_EQ(measured.at(run(2)), 117u);
    EXPECT_EQ(measured.at(run(1)), 21u);
}

}  // namespace
