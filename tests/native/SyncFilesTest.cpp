// The sync folder's files: names read back strictly (an engine's conflict copies and temporary
// names are never taken), journal segments and the other small files round trip and refuse what
// is not whole, sealing refuses a wrong key, another place, a cut or altered file, and what of a
// clip goes.
#include "store/ClipFormats.h"
#include "store/Crypto.h"
#include "sync/ClipPayload.h"
#include "sync/Journal.h"
#include "sync/PendingRecords.h"
#include "sync/Sealing.h"
#include "sync/SyncNames.h"

#include <gtest/gtest.h>

using namespace clipsync;

namespace {

const std::string kClip(64, 'a');
const std::string kMachine(32, '7');

Entry added(std::uint64_t seq, std::string localKey) {
    Entry entry;
    entry.seq = seq;
    entry.clip = kClip;
    entry.digest = std::string(32, '\x01');
    entry.clipKind = ClipKind::Picture;
    entry.time = 1765000000;
    entry.size = 1234;
    entry.source = "WINWORD.EXE";
    entry.localKey = std::move(localKey);
    return entry;
}

TEST(SyncFiles, OnlyOurOwnNamesAreTaken) {
    EXPECT_EQ(parseSyncFileName(segmentFileName(12))->segment, 12u);
    EXPECT_EQ(parseSyncFileName(clipFileName(kClip))->clipName, kClip);
    EXPECT_EQ(parseSyncFileName("salt.dvx")->role, Role::Salt);
    EXPECT_EQ(parseSyncFileName("seen.dvx")->role, Role::Seen);
    for (const std::string& other : std::vector<std::string>{
             "journal-0000000012 (1).dvx", "journal-0000000012-LAPTOP.dvx", "name.sync-conflict-20261208-140322-ABCDEFG.dvx",
          "clip-" + kClip + " (1).dvx", "clip-" + kClip + "-DESKTOP.dvx", "~clip-" + kClip + ".dvx", "." + kClip + ".dvx",
          "clip-" + kClip + ".dvx.1234-5.tmp", ".syncthing.name.dvx.tmp", "journal-0000000000.dvx", "journal-12.dvx",
          "clip-" + std::string(64, 'A') + ".dvx", "clip-" + std::string(63, 'a') + ".dvx", "name.DVX", "name", "desktop.ini"})
        EXPECT_FALSE(parseSyncFileName(other)) << other;
    EXPECT_TRUE(isMachineId(machineIdFrom(std::string(16, '\xAB'))));
    EXPECT_FALSE(isMachineId(kMachine + " (1)"));
    EXPECT_EQ(clipFileName("not a digest"), "");
}

TEST(SyncFiles, SegmentsAndSmallFilesRoundTripAndRefuseWhatIsNotWhole) {
    Segment segment;
    segment.number = 3;
    segment.closed = true;
    segment.firstKept = 9;
    segment.entries = {added(9, "his1-"), added(10, "his2-")};
    Entry filed;
    filed.kind = EntryKind::Filed;
    filed.seq = 11;
    filed.target = 9;
    filed.category = "工作";
    segment.entries.push_back(filed);
    const std::string bytes = segmentBytes(segment);
    const std::optional<Segment> back = parseSegment(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->number, 3u);
    EXPECT_TRUE(back->closed);
    EXPECT_EQ(back->firstKept, 9u);
    EXPECT_EQ(back->entries, segment.entries);
    for (std::size_t cut : {std::size_t{0}, std::size_t{5}, bytes.size() / 2, bytes.size() - 1})
        EXPECT_FALSE(parseSegment(bytes.substr(0, cut))) << cut;
    EXPECT_FALSE(parseSegment(bytes + "x"));
    Entry unnamed = added(1, "");
    unnamed.clip = "../../evil";
    segment.entries = {unnamed};
    EXPECT_FALSE(parseSegment(segmentBytes(segment)));

    const SeenMarks marks{{kMachine, 42}, {std::string(32, 'b'), 7}};
    EXPECT_EQ(parseSeen(seenBytes(marks)), marks);
    EXPECT_FALSE(parseSeen(seenBytes({{"not an id", 1}})));
    EXPECT_EQ(parseName(nameBytes("办公室电脑")), "办公室电脑");
    EXPECT_FALSE(parseName(nameBytes("x").substr(1)));

    // What waited to be written when a run ended: by key, and read back whole or not at all.
    using Kind = PendingRecord::Kind;
    const std::vector<PendingRecord> pending{{Kind::Publish, "his1-@2026-12-11 03:49:19", 1765424959, "", "C:\\runs\\r.amc"},
                                             {Kind::Filed, "his1-@2026-12-11 03:49:19", 1765424960, "工作", ""},
                                             {Kind::Deleted, "his1-@2026-12-11 03:49:19", 1765424961, "", ""}};
    const std::string waiting = pendingBytes(pending);
    EXPECT_EQ(parsePending(waiting), pending);
    EXPECT_EQ(parsePending(pendingBytes({})), std::vector<PendingRecord>{});
    for (std::size_t cut : {std::size_t{0}, std::size_t{5}, waiting.size() - 1})
        EXPECT_FALSE(parsePending(waiting.substr(0, cut))) << cut;
    EXPECT_FALSE(parsePending(waiting + "x"));
    EXPECT_FALSE(parsePending(pendingBytes({{static_cast<Kind>(4), "his1-@t", 1, "", ""}})));
    EXPECT_FALSE(parsePending(pendingBytes({{Kind::Deleted, "", 1, "", ""}})));
    EXPECT_FALSE(parsePending(pendingBytes(std::vector<PendingRecord>(kMaxPending + 1, pending[2]))));
}

TEST(SyncFiles, ASealedFileOpensOnlyWithItsKeyAndPlaceAndWhole) {
    const std::optional<Salt> salt = makeSalt();
    ASSERT_TRUE(salt);
    EXPECT_GE(salt->iterations, store::crypto::kMinPasswordIterations);
    ASSERT_EQ(parseSaltFile(saltFileBytes(*salt))->bytes, salt->bytes);
    EXPECT_FALSE(parseSaltFile(saltFileBytes({salt->bytes, 1000})));
    const std::optional<FolderKeys> keys = deriveFolderKeys("correct horse", *salt);
    const std::optional<FolderKeys> wrong = deriveFolderKeys("correct hors", *salt);
    ASSERT_TRUE(keys && wrong);
    EXPECT_NE(keys->cipher, keys->naming);

    const std::string name = segmentFileName(1);
    const std::optional<std::string> sealed = sealFile(*keys, kMachine, name, Role::Journal, "the entries");
    ASSERT_TRUE(sealed);
    EXPECT_EQ(sealed->size(), sealedSize(11));
    EXPECT_EQ(sealed->find("the entries"), std::string::npos);
    const OpenedFile opened = openFile(*keys, kMachine, name, Role::Journal, *sealed);
    EXPECT_EQ(opened.state, Opened::Ok);
    EXPECT_EQ(opened.plain, "the entries");

    std::string flipped = *sealed;
    flipped[flipped.size() - 20] ^= 1;
    std::string shorter = *sealed, longer = *sealed;
    shorter[5] ^= 1;  // the length in the header: the body is longer than it says
    longer[8] ^= 1;   // or shorter, as if still arriving
    const struct {
        const char* what;
        const FolderKeys& key;
        std::string machine, name;
        Role role;
        std::string bytes;
        Opened expected;
    } cases[] = {
        {"wrong passphrase", *wrong, kMachine, name, Role::Journal, *sealed, Opened::NotAuthentic},
        {"another machine's folder", *keys, std::string(32, '8'), name, Role::Journal, *sealed, Opened::NotAuthentic},
        {"another name", *keys, kMachine, segmentFileName(2), Role::Journal, *sealed, Opened::NotAuthentic},
        {"another role", *keys, kMachine, name, Role::Seen, *sealed, Opened::NotAuthentic},
        {"a flipped byte", *keys, kMachine, name, Role::Journal, flipped, Opened::NotAuthentic},
        {"a byte too many", *keys, kMachine, name, Role::Journal, *sealed + "x", Opened::NotAuthentic},
        {"a length altered lower", *keys, kMachine, name, Role::Journal, shorter, Opened::NotAuthentic},
        {"a length altered higher", *keys, kMachine, name, Role::Journal, longer, Opened::Incomplete},
        {"cut short", *keys, kMachine, name, Role::Journal, sealed->substr(0, sealed->size() - 1), Opened::Incomplete},
        {"only a header's start", *keys, kMachine, name, Role::Journal, sealed->substr(0, 4), Opened::Incomplete},
        {"an empty placeholder", *keys, kMachine, name, Role::Journal, "", Opened::Incomplete},
        {"not ours", *keys, kMachine, name, Role::Journal, "<html>", Opened::NotAuthentic},
    };
    for (const auto& c : cases)
        EXPECT_EQ(openFile(c.key, c.machine, c.name, c.role, c.bytes).state, c.expected) << c.what;

    // Names differ per machine key and tell nothing without it.
    const std::string digest(32, '\x05');
    EXPECT_TRUE(isClipName(*clipNameOf(*keys, digest)));
    EXPECT_NE(clipNameOf(*keys, digest), clipNameOf(*wrong, digest));
    EXPECT_NE(clipNameOf(*keys, digest), hexOf(*store::crypto::sha256(digest)));
}

store::ClipSnapshot::Format format(unsigned number, std::string bytes) {
    return {0, number, std::move(bytes)};
}

TEST(SyncFiles, TextsFileListsAndPicturesUpToTheirSizeGo) {
    const std::string unicode("h\0i\0\0\0", 6);
    const std::string bitmap = "BM" + std::string(100, '\0');
    const struct {
        const char* what;
        store::ClipSnapshot recorded;
        std::size_t maxPicture;
        std::optional<ClipKind> kind;
        std::vector<unsigned> formats;
    } cases[] = {
        {"unicode text, locale kept, code page texts and registered formats left", 
         {{format(13, unicode), format(16, "\x04\x08\0\0"), format(1, "hi"), format(7, "hi"), format(0xC123, "<b>")}, "", "C:\\a\\x.exe"},
         8, ClipKind::Text, {13, 16}},
        {"a code page text alone goes as unicode", {{format(1, std::string("hi\0", 3))}, "", ""}, 8, ClipKind::Text, {13}},
        {"a file list", {{format(15, "drop"), format(0xC200, "shell")}, "", ""}, 8, ClipKind::FileList, {15}},
        {"a picture within the size", {{format(2, ""), format(8, "dib"), format(17, "v5")}, bitmap, ""}, 200,
         ClipKind::Picture, {2, 8, 17}},
        {"a picture over the size", {{format(2, ""), format(8, "dib")}, bitmap, ""}, 50, std::nullopt, {}},
        {"text and a picture over the size: the text", {{format(13, unicode), format(2, ""), format(8, "dib")}, bitmap, ""}, 50,
         ClipKind::Text, {13}},
        {"nothing that shows", {{format(0xC123, "<b>"), format(14, "")}, "", ""}, 8, std::nullopt, {}},
    };
    for (const auto& c : cases) {
        const std::optional<Outgoing> out = selectForSync(c.recorded, c.maxPicture);
        ASSERT_EQ(out.has_value(), c.kind.has_value()) << c.what;
        if (!out)
            continue;
        EXPECT_EQ(out->kind, *c.kind) << c.what;
        std::vector<unsigned> numbers;
        for (const auto& kept : out->snapshot.formats)
            numbers.push_back(kept.format);
        EXPECT_EQ(numbers, c.formats) << c.what;
        const std::optional<store::ClipSnapshot> back = parsePayload(payloadBytes(out->snapshot));
        ASSERT_TRUE(back) << c.what;
        EXPECT_EQ(back->formats.size(), out->snapshot.formats.size());
        EXPECT_EQ(back->bitmapFile, out->snapshot.bitmapFile);
        EXPECT_EQ(back->source, out->snapshot.source);
    }
    EXPECT_EQ(selectForSync(cases[0].recorded, 8)->snapshot.source, "x.exe");
    EXPECT_EQ(store::utf16FromBytes(selectForSync(cases[1].recorded, 8)->snapshot.formats[0].bytes), u"hi");
    const std::string payload = payloadBytes(cases[3].recorded);
    EXPECT_FALSE(parsePayload(payload.substr(0, payload.size() - 1)));
}

}  // namespace
