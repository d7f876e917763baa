// The paste queue: its decisions over plain data, its steps on a status file, the store's
// deletion of a queued clip, the queue's view and the tray's count, and the key that pastes it.
#include "store/ClipNames.h"
#include "hooklib/HotkeyRules.h"
#include "store/PasteQueue.h"
#include "app/recorder/RecordRules.h"
#include "app/StoreView.h"
#include "store/SysClipBoard.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace store;

namespace {

TEST(PasteQueue, TheKeysTextReadsAsHistoryNumbersInOrder) {
    const struct {
        const char* text;
        PasteQueue queue;
    } cases[] = {
        {"", {}},
        {"7 3 12", {7, 3, 12}},
        {"7  3 ", {7, 3}},                  // empty tokens passed over
        {"0 1000 -4 x9 999 1", {999, 1}},   // not history numbers
        {"5 5 6 5", {5, 6}},                // a repeat is passed over
        {"0012", {}},                       // more digits than a number has
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parsePasteQueue(c.text), c.queue) << c.text;
        EXPECT_EQ(parsePasteQueue(pasteQueueText(c.queue)), c.queue) << c.text;
    }
    EXPECT_EQ(pasteQueueText({7, 3, 12}), "7 3 12");
}

TEST(PasteQueue, AppendKeepsOrderPlacesAndTheLimit) {
    PasteQueue queue = {4};
    QueueAppend appended = appendToQueue(queue, {9, 4, 2, 0, 1000});
    EXPECT_EQ(queue, (PasteQueue{4, 9, 2}));
    EXPECT_EQ(appended.added, 2);
    EXPECT_EQ(appended.alreadyQueued, 1);
    EXPECT_EQ(appended.refused, 2);

    PasteQueue full;
    for (int n = 1; n <= static_cast<int>(kPasteQueueLimit); ++n)
        full.push_back(n);
    PasteQueue fuller = full;
    appended = appendToQueue(fuller, {1, 5});
    EXPECT_EQ(fuller, full);
    EXPECT_EQ(appended.alreadyQueued, 2);
    fuller.pop_back();
    appended = appendToQueue(fuller, {999, 999});
    EXPECT_EQ(fuller, full);
    EXPECT_EQ(appended.added, 1);
    EXPECT_EQ(appended.alreadyQueued, 1);
}

TEST(PasteQueue, TheHeadGoesOnlyWhileItIsTheClipPasted) {
    PasteQueue queue = {3, 8, 5};
    EXPECT_FALSE(popQueueHead(queue, 8));  // not the head
    EXPECT_TRUE(popQueueHead(queue, 3));
    EXPECT_EQ(queue, (PasteQueue{8, 5}));
    EXPECT_TRUE(removeFromQueue(queue, 5));
    EXPECT_FALSE(removeFromQueue(queue, 5));
    EXPECT_TRUE(popQueueHead(queue, 8));
    EXPECT_FALSE(popQueueHead(queue, 8));
    EXPECT_TRUE(queue.empty());

    EXPECT_EQ(historyNumberOfClip("his12-"), 12);
    EXPECT_EQ(historyNumberOfClip("his999-"), 999);
    for (const char* name : {"his12", "copy5", "his1000-", "his012-", "hisx-", "tempFile", "his-"})
        EXPECT_EQ(historyNumberOfClip(name), std::nullopt) << name;
}

TEST(PasteQueue, EachStepOnTheStatusFileAndItsOtherKeysStay) {
    ScratchDir dir;
    const std::string status = dir.path("label.xml");
    EXPECT_EQ(readPasteQueue(status), PasteQueue{});  // no file: an empty queue
    const std::optional<QueueAppend> appended = appendToPasteQueue(status, {6, 2, 6});
    ASSERT_TRUE(appended);
    EXPECT_EQ(appended->added, 2);
    EXPECT_EQ(readPasteQueue(status), (PasteQueue{6, 2}));
    EXPECT_NE(readBytes(status).find("<PasteQueue>6 2</PasteQueue>"), std::string::npos) << readBytes(status);

    ASSERT_TRUE(appendToPasteQueue(status, {9}));
    EXPECT_TRUE(popPasteQueueHead(status, 2));  // not the head: the file holds the queue as it was
    EXPECT_EQ(readPasteQueue(status), (PasteQueue{6, 2, 9}));
    EXPECT_TRUE(popPasteQueueHead(status, 6));
    EXPECT_TRUE(removeFromPasteQueue(status, {9, 40}));
    EXPECT_EQ(readPasteQueue(status), (PasteQueue{2}));
    EXPECT_TRUE(clearPasteQueue(status));
    EXPECT_EQ(readPasteQueue(status), PasteQueue{});
    EXPECT_EQ(readBytes(status).find("PasteQueue"), std::string::npos);  // no key left behind
}

TEST(PasteQueue, AFileThatCannotBeWrittenIsNoChange) {
    ScratchDir dir;
    const std::string folder = dir.path("gone");  // a status file in a folder that is not there
    const std::string status = folder + "/label.xml";
    EXPECT_EQ(appendToPasteQueue(status, {1}), std::nullopt);
    EXPECT_FALSE(fileExists(status));
}

TEST(PasteQueue, AClipDeletedFromTheHistoryLeavesTheQueue) {
    ScratchDir dir;
    std::filesystem::create_directories(std::filesystem::u8path(dir.path("store")) / "Brindlecote");
    store::CSysClipBoard clips(dir.path("store"));
    clips.setValue("2012-05-07 09:03:41", timeElementName("his4-"), 1);
    ASSERT_TRUE(appendToPasteQueue(clips.paths().statusFile(), {3, 4, 5}));
    clips.removeClip("his4-");
    clips.removeClip("copy5");  // a slot has no place in the queue
    EXPECT_EQ(readPasteQueue(clips.paths().statusFile()), (PasteQueue{3, 5}));
}

TEST(PasteQueue, TheViewShowsTheQueuedRowsInTheQueuesOrder) {
    std::vector<app::ViewRow> history;
    for (const char* number : {"1", "2", "3", "4"})
        history.push_back({0, u"row", "", number, "", "", "", ""});
    std::vector<std::string> shown;
    for (const app::ViewRow& row : app::queueView(history, {3, 9, 1}))
        shown.push_back(row.number);
    EXPECT_EQ(shown, (std::vector<std::string>{"3", "1"}));

    EXPECT_EQ(app::recorder::trayTooltip("2026-12-08 14:03:22", 0, 3), u"Dravix\n上次记录：14:03:22\n队列：3");
    EXPECT_EQ(app::recorder::trayTooltip("", 2, 1), u"Dravix\n还没有记录到复制\n等待中：2\n队列：1");
    EXPECT_EQ(app::recorder::trayTooltip("", 0, 1, 2), u"Dravix\n还没有记录到复制\n队列：1\n未能记录：2");
}

TEST(PasteQueue, CtrlAltQPastesTheHeadAndShiftItsTextAlone) {
    using hooklib::KeyDecision;
    const struct {
        bool ctrl, alt, shift, released;
        KeyDecision::Kind kind;
        bool plainText;
    } cases[] = {
        {true, true, false, false, KeyDecision::PasteQueueHead, false},
        {true, true, true, false, KeyDecision::PasteQueueHead, true},
        {true, true, false, true, KeyDecision::PassOn, false},
        {true, false, false, false, KeyDecision::PassOn, false},
        {false, true, false, false, KeyDecision::PassOn, false},
    };
    for (const auto& c : cases) {
        const KeyDecision decision = hooklib::decideKey(0, hooklib::kVkQ, c.released, c.ctrl, c.alt, c.shift);
        EXPECT_EQ(decision.kind, c.kind) << c.ctrl << c.alt << c.shift << c.released;
        EXPECT_EQ(decision.plainText, c.plainText);
    }
}

}  // namespace
