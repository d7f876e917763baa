// What the program keeps of syncing: a record's origin (its text both ways, found again in the
// index, gone with its record, shown in the row), the checks of the 同步 page, the tray's words.
#include "app/ClipRules.h"
#include "app/StoreView.h"
#include "options/SyncSettings.h"
#include "store/ClipNames.h"
#include "store/ClipOrigin.h"
#include "store/StoreFile.h"
#include "store/SysClipBoard.h"
#include "sync/SyncStatus.h"
#include "TestFiles.h"
#include "ui/ClipListModel.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace store;

namespace {

TEST(ClipOrigin, TextRoundTripsAndOnlyWholeOnesParse) {
    const ClipOrigin laptop{"a1B2-c_3", 42, "我的 笔记本"};
    EXPECT_EQ(parseOrigin(originText(laptop)), laptop);
    struct Case {
        const char* text;
        bool parses;
    } const cases[] = {
        {"abc 1 台式机", true},      {"abc 1 ", true},           // a name may be empty
        {"abc 0 x", false},          {"abc -1 x", false},         {"abc 1x x", false},
        {"a/c 1 x", false},          {" 1 x", false},             {"abc 1", false},
        {"abc 1 a\nb", false},       {"", false},                 {"abc 18446744073709551616 x", false},
        {"abc 1:h x", true},         {"abc 1:o x", true},         {"abc 1:x x", false},
        {"abc :h x", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseOrigin(c.text).has_value(), c.parses) << c.text;
    EXPECT_EQ(originName("abc 7 台式机"), "台式机");
    EXPECT_EQ(originName("not one"), "");
}

TEST(ClipOrigin, RecordsOfTheIndexWithWhetherTheyWereFiledHere) {
    const std::vector<RootElement> elements = {
        {"his1--time", "t"},  {"his1--origin", "m1 5 A"}, {"his1-0", "13"},
        {"his2--time", "t"},  {"his2--origin", "m2 9 B"}, {"his2category", "工作"},
        {"his3--time", "t"},  {"his3--origin", "broken"}, {"copy5--origin", "m1 6 A"},
        {"his4--time", "t"},  {"his4category", ""},       {"his4--origin", "m1 7 A"},
        // Filed on its machine (a category, not filed here), and filed here.
        {"his5--time", "t"},  {"his5category", "工作"},   {"his5--origin", "m1 8:o A"},
        {"his6--time", "t"},  {"his6category", "工作"},   {"his6--origin", "m1 9:h A"},
    };
    const std::vector<OriginRecord> records = originRecords(elements);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_FALSE(records[3].filed);
    EXPECT_EQ(records[3].origin, (ClipOrigin{"m1", 8, "A", false}));
    EXPECT_TRUE(records[4].filed);
    EXPECT_EQ(originText(records[4].origin), "m1 9:h A");
    EXPECT_EQ(records[0].clip, "his1-");
    EXPECT_EQ(records[0].origin, (ClipOrigin{"m1", 5, "A"}));
    EXPECT_FALSE(records[0].filed);
    EXPECT_EQ(records[1].clip, "his2-");
    EXPECT_TRUE(records[1].filed);
    EXPECT_EQ(records[2].clip, "his4-");
    EXPECT_FALSE(records[2].filed);  // an empty category files nothing
}

// The origin sits after the record's time, shows in its row and tooltip, and goes with the record.
TEST(ClipOrigin, KeptWithItsRecordShownInItsRowAndRemovedWithIt) {
    ScratchDir dir;
    std::filesystem::create_directories(std::filesystem::u8path(dir.path("win") + kSep + "Brindlecote"));
    store::CSysClipBoard store(dir.path("win"));
    const std::string clip = historyClipName(1);
    store.setValue("2026-12-09 08:00:00", timeElementName(clip), 1);
    store.setValue("13", formatElementName(clip, 0), 1);
    ASSERT_TRUE(store.setOrigin(clip, originText({"m1", 3, "笔记本"})));
    EXPECT_EQ(store.clipElements(clip).origin, "m1 3 笔记本");

    xml::XmlDocument index;
    ASSERT_EQ(readStoreFile(dir.path("win") + kSep + "clipboard.xml", index), FileState::Loaded);
    const std::vector<RootElement> elements = rootElements(index);
    ASSERT_GE(elements.size(), 3u);
    EXPECT_EQ(elements[1].name, originElementName(clip));
    struct : RecordReader {
        std::optional<std::u16string> text(const std::string&, int) override { return u"来了"; }
        std::optional<std::pair<int, int>> pictureSize(const std::string&) override { return std::nullopt; }
        std::optional<std::u16string> firstFile(const std::string&) override { return std::nullopt; }
    } reader;
    const std::vector<app::ViewRow> rows = app::buildStoreView(index, app::ViewNode::Collection, xml::utf8ToUtf16(app::kCollectionText), reader);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].content, u"来了");
    EXPECT_EQ(rows[0].origin, "笔记本");
    EXPECT_EQ(ui::cliplist::rowTip(rows[0]), u"来自：笔记本");

    store.removeClip(clip);
    EXPECT_EQ(store.getValue(originElementName(clip)), "");
}

TEST(SyncSettings, TheFolderOfferedFirstIsInOneDrive) {
    EXPECT_EQ(options::defaultSyncFolder("C:\\Users\\li\\OneDrive"), "C:\\Users\\li\\OneDrive");
    EXPECT_EQ(options::defaultSyncFolder("D:\\OneDrive\\"), "D:\\OneDrive");
    EXPECT_EQ(options::defaultSyncFolder("E:\\"), "E:\\");
    EXPECT_EQ(options::defaultSyncFolder(""), "");
}

TEST(SyncSettings, WhatThePageRefuses) {
    options::SyncSettings on;
    on.enabled = true;
    on.folder = "C:\\Sync";
    on.machineName = "台式机";
    struct Case {
        const char* what;
        std::function<void(options::SyncEntry&)> change;
        bool refused;
    } const cases[] = {
        {"a passphrase typed twice", [](options::SyncEntry&) {}, false},
        {"the two differ", [](options::SyncEntry& e) { e.repeated = "another one"; }, true},
        {"too short (characters, not bytes)", [](options::SyncEntry& e) { e.passphrase = e.repeated = "七个汉字的密码"; }, true},
        {"eight characters", [](options::SyncEntry& e) { e.passphrase = e.repeated = "八个汉字的同步密码"; }, false},
        {"none typed, none kept", [](options::SyncEntry& e) { e.passphrase = e.repeated = ""; }, true},
        {"none typed, one kept", [](options::SyncEntry& e) { e.passphrase = e.repeated = ""; e.settings.hasPassphrase = true; }, false},
        {"no folder", [](options::SyncEntry& e) { e.settings.folder.clear(); }, true},
        {"no name", [](options::SyncEntry& e) { e.settings.machineName.clear(); }, true},
        {"a name of two lines", [](options::SyncEntry& e) { e.settings.machineName = "a\nb"; }, true},
        {"pictures over the limit", [](options::SyncEntry& e) { e.settings.pictureMegabytes = 65; }, true},
        {"the folder's size too small", [](options::SyncEntry& e) { e.settings.folderMegabytes = 15; }, true},
        {"the folder's size at its bounds", [](options::SyncEntry& e) { e.settings.folderMegabytes = 16; }, false},
        {"the folder's size over its bound", [](options::SyncEntry& e) { e.settings.folderMegabytes = 1024 * 1024 + 1; }, true},
        {"off: nothing else needed", [](options::SyncEntry& e) { e = {}; }, false},
    };
    for (const Case& c : cases) {
        options::SyncEntry entry{on, "shared secret", "shared secret"};
        c.change(entry);
        EXPECT_EQ(options::syncEntryProblem(entry).has_value(), c.refused) << c.what;
    }
}

// What the tray's tooltip says of syncing, line by line.
TEST(SyncStatusText, EachStateInTheTraysWords) {
    using clipsync::SyncState;
    struct Case {
        clipsync::SyncStatus status;
        const char16_t* text;
    } const cases[] = {
        {{SyncState::Off, 2, 0, 5, 0, 0}, u""},
        {{SyncState::Starting, 0, 0, 0, 0, 0}, u"同步：正在准备"},
        {{SyncState::Running, 0, 0, 0, 0, 0}, u"同步：等待其他电脑"},
        {{SyncState::Running, 2, 0, 0, 0, 0}, u"同步：2 台电脑，已是最新"},
        {{SyncState::Running, 1, 0, 3, 0, 0}, u"同步：1 台电脑\n待写入：3"},
        {{SyncState::FolderUnavailable, 1, 0, 7, 1, 0}, u"同步：无法写入同步文件夹，稍后重试\n待写入：7\n未能同步：1"},
        {{SyncState::Running, 1, 1, 0, 0, 2}, u"同步：1 台电脑，已是最新\n1 台电脑的密码不同\n无法验证的文件：2"},
        {{SyncState::OwnPassphrase, 0, 0, 0, 0, 0}, u"同步：密码与同步文件夹不符"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(clipsync::syncStatusText(c.status), c.text) << static_cast<int>(c.status.state);
}

}  // namespace
