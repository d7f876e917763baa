// Two engines, each with its own folder, the folders kept in step by two real Syncthing daemons:
// what one machine copies and deletes reaches the other, also when the daemon of the other was
// stopped meanwhile.
#include "base/Text.h"
#include "sync/SyncEngine.h"
#include "SyncTestSupport.h"
#include "SyncthingPair.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace clipsync;

namespace {

EngineOptions options(const std::string& folder, const std::string& id, const std::string& name) {
    EngineOptions o;
    o.folder = folder;
    o.passphrase = "shared by both";
    o.machineId = id;
    o.machineName = name;
    o.poll = 500ms;
    o.mayLeave = [](const store::ClipSnapshot&) { return true; };
    return o;
}

TEST(SyncthingEngine, CopiesAndDeletionsReachTheOtherMachineThroughSyncthing) {
    ScratchDir dir;
    SyncthingPair pair(buildFolder() + L"\\syncthing-test", base::toWide(dir.path("A")), base::toWide(dir.path("B")));
    ASSERT_TRUE(pair.ready());
    SyncEngine a(nullptr), b(nullptr);
    a.start(options(dir.path("A"), SyncEngine::newMachineId(), "台式机"));
    b.start(options(dir.path("B"), SyncEngine::newMachineId(), "笔记本"));
    std::vector<SyncEvent> events;
    const auto arrive = [&](std::size_t count) { return eventsArrive(b, events, count, 60s); };
    ASSERT_TRUE(a.publish(textClip(L"第一条"), "his1-"));
    ASSERT_TRUE(arrive(1));
    EXPECT_EQ(events[0].machineName, "台式机");
    EXPECT_EQ(events[0].clip.formats[0].bytes, utf16(L"第一条"));

    ASSERT_TRUE(pair.stopSide('B'));
    for (int i = 2; i <= 4; ++i)
        ASSERT_TRUE(a.publish(textClip(L"copy " + std::to_wstring(i)), "his" + std::to_string(i) + "-"));
    a.publishDeleted("his1-");
    ASSERT_TRUE(pumpUntil([&] { return a.status().waiting == 0; }, 30s));
    ASSERT_TRUE(pair.startSide('B'));
    ASSERT_TRUE(arrive(5));
    for (int i = 2; i <= 4; ++i)
        EXPECT_EQ(events[static_cast<std::size_t>(i - 1)].clip.formats[0].bytes, utf16(L"copy " + std::to_wstring(i)));
    EXPECT_EQ(events[4].kind, SyncEvent::Kind::Removed);
    EXPECT_EQ(events[4].row, events[0].row);
    EXPECT_TRUE(expectNothingFor(2s, [&] { return !b.takeEvents().empty(); }));
}

}  // namespace
