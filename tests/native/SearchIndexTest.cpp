// The index of a kept run or an archive: its file read back as written, refused when damaged,
// truncated or made from another archive, made again then; and the search over many of them,
// which says where each result came from and never reads a run's data files.
#include "search/EarlierRuns.h"
#include "search/RunIndex.h"
#include "search/SealedAccess.h"
#include "search/SealedBlocks.h"

#include "StoreFixtures.h"
#include "TestFiles.h"
#include "store/ArchivePaths.h"
#include "store/StorePaths.h"
#include "xml/XmlText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>

namespace {

using namespace search;

const ArchiveStamp kStamp{1234, 5678};

std::vector<IndexRow> sampleRows() {
    std::u16string longText(kIndexedUnits - 1, u'a');
    longText += u"\U0001F600b";  // the pair would be cut in two: the cut comes before it
    return {
        {1, 0, "2026-01-01 09:00:00", "C:\\Windows\\notepad.exe", "", u"Hello World"},
        {2, 0, "2026-01-02 09:00:00", "", "工作", u"剪贴板 Text"},
        {3, 1, "2026-01-03 09:00:00", "C:\\Windows\\notepad.exe", "工作", u"picture:size 3*2"},
        {4, 0, "2026-01-04 09:00:00", "", "", longText},
    };
}

std::optional<IndexState> readHead(const std::string& file, IndexHead& head, const ArchiveStamp& stamp = kStamp) {
    const std::optional<std::uint64_t> size = IndexHead::headSize(file);
    if (!size || *size > file.size())
        return IndexState::Damaged;
    return head.read(std::string_view(file).substr(0, *size), file.size(), stamp);
}

TEST(SearchIndex, AnIndexReadsBackAsItWasMade) {
    const std::vector<IndexRow> rows = sampleRows();
    const std::optional<std::string> file = encodeIndex(kStamp, rows);
    ASSERT_TRUE(file);
    EXPECT_TRUE(digestMatches(*file));
    IndexHead head;
    ASSERT_EQ(readHead(*file, head), IndexState::Valid);
    ASSERT_EQ(head.rowCount(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const IndexedRow& row = head.row(i);
        EXPECT_EQ(row.number, rows[i].number);
        EXPECT_EQ(row.kind, rows[i].kind);
        EXPECT_EQ(row.copyTime, rows[i].copyTime);
        EXPECT_EQ(head.string(row.source), rows[i].source);
        EXPECT_EQ(head.string(row.category), rows[i].category);
        const std::u16string typed = rows[i].text.substr(0, i == 3 ? kIndexedUnits - 1 : std::u16string::npos);
        const FoldedText folded = foldedText(typed);
        const TextView text = textOf(row, std::string_view(*file).substr(row.textAt, row.textBytes));
        EXPECT_EQ(text.narrow, folded.narrow);
        EXPECT_EQ(text.bytes, viewOf(folded).bytes);
        EXPECT_EQ(lineOf(std::string_view(*file).substr(row.lineAt, 2 * row.lineUnits)), typed.substr(0, kLineUnits));
    }
    Signature hello;
    hello.addPair(u'l', u'o');
    EXPECT_TRUE(head.rowMayHold(0, hello));
}

TEST(SearchIndex, ADamagedTruncatedOrOutOfDateIndexIsRefused) {
    const std::string file = *encodeIndex(kStamp, sampleRows());
    IndexHead probe;
    ASSERT_EQ(readHead(file, probe), IndexState::Valid);
    const std::size_t firstRow = kIndexHeaderBytes;
    const std::uint64_t lastText = probe.row(3).textAt + 5;
    struct Case {
        const char* what;
        std::function<void(std::string&)> change;
        ArchiveStamp stamp;
        IndexState state;
        bool digest;
    };
    const Case cases[] = {
        {"as made", [](std::string&) {}, kStamp, IndexState::Valid, true},
        {"a byte of a text", [&](std::string& f) { f[lastText] ^= 1; }, kStamp, IndexState::Valid, false},
        {"truncated", [](std::string& f) { f.pop_back(); }, kStamp, IndexState::Damaged, false},
        {"cut to its head", [&](std::string& f) { f.resize(probe.linesAt()); }, kStamp, IndexState::Damaged, false},
        {"empty", [](std::string& f) { f.clear(); }, kStamp, IndexState::Damaged, false},
        {"not ours", [](std::string& f) { f[0] = 'X'; }, kStamp, IndexState::Damaged, false},
        {"another version", [](std::string& f) { f[8] = 9; }, kStamp, IndexState::OutOfDate, false},
        {"another archive", [](std::string&) {}, ArchiveStamp{1234, 5679}, IndexState::OutOfDate, true},
        {"a text outside", [&](std::string& f) { f[firstRow + 33] = 0x7F; }, kStamp, IndexState::Damaged, false},
        {"a source not there", [&](std::string& f) { f[firstRow + 6] = 50; }, kStamp, IndexState::Damaged, false},
        {"a kind not known", [&](std::string& f) { f[firstRow + 4] = 7; }, kStamp, IndexState::Damaged, false},
    };
    for (const Case& c : cases) {
        std::string changed = file;
        c.change(changed);
        IndexHead head;
        EXPECT_EQ(readHead(changed, head, c.stamp), c.state) << c.what;
        EXPECT_EQ(digestMatches(changed), c.digest) << c.what;
    }
}

// A stand-in for the store's seal: it marks and reverses the bytes.
IndexAccess reversingSeal() {
    IndexAccess access;
    access.seal = [](std::string_view plain) { return "SEALED" + std::string(plain.rbegin(), plain.rend()); };
    access.unseal = [](std::string_view sealed) -> std::optional<std::string> {
        if (sealed.substr(0, 6) != "SEALED")
            return std::nullopt;
        return std::string(sealed.rbegin(), sealed.rend() - 6);
    };
    return access;
}

// Runs and archives on disk, searched through their indexes.
class EarlierRunsTest : public ::testing::Test {
protected:
    std::string runs() const { return m_dir.path("Runs"); }
    std::string archives() const { return m_dir.path("Archives"); }
    std::string runArchive(int day) const {
        return store::joinPath(runs(), "Dravix-run 2026-05-0" + std::to_string(day) + " 10-00-00.amc");
    }
    SearchOutcome find(std::u16string_view text) { return find(text, m_search); }
    SearchOutcome find(std::u16string_view text, EarlierRuns& search) {
        const Matcher matcher(parseQuery(text), "2026-06-01");
        Deadline never;
        return search.search(searchSources(runs(), {archives()}), matcher, never);
    }
    // Each result as "origin/number".
    std::string found(const SearchOutcome& outcome) {
        const std::vector<Source> sources = searchSources(runs(), {archives()});
        std::string out;
        for (const Hit& hit : outcome.hits)
            out += (out.empty() ? "" : " ") + xml::utf16ToUtf8(sources[hit.source].origin) + "/" + std::to_string(hit.number);
        return out;
    }

    ScratchDir m_dir;
    EarlierRuns m_search;
};

// Nine runs and the user's archive: a word only in the third run and in the archive finds both,
// each with where it came from, the newest first; the matching part of its line is marked. Once
// indexed, a search reads no data file (the runs' data folders may be gone).
TEST_F(EarlierRunsTest, AWordIsFoundInEveryRunAndArchiveWithItsOrigin) {
    for (int day = 1; day <= 9; ++day)
        ASSERT_TRUE(writeArchive(runArchive(day), {{1, 0, "2026-05-0" + std::to_string(day) + " 09:00:00", "", "",
                                                    day == 3 ? u"the Zebra crossing" : u"plain words"}}));
    ASSERT_TRUE(writeArchive(store::joinPath(archives(), "工作.amc"),
                             {{7, 0, "2026-04-01 09:00:00", "C:\\x\\WINWORD.EXE", "报告", u"a zebra"},
                              {8, 1, "2026-04-01 09:00:01", "", "", u"16*9"}}));
    writeBytes(store::joinPath(archives(), "notes.txt"), "not an archive");
    SearchOutcome outcome = find(u"zebra");
    EXPECT_EQ(found(outcome), "2026-05-03 10:00:00/1 工作.amc/7");
    EXPECT_EQ(outcome.built, 10u);
    ASSERT_EQ(outcome.hits.size(), 2u);
    EXPECT_EQ(outcome.hits[0].line, u"the Zebra crossing");
    EXPECT_EQ(outcome.hits[0].marks, (std::vector<TextSpan>{{4, 5}}));
    EXPECT_EQ(outcome.hits[1].program, "C:\\x\\WINWORD.EXE");
    EXPECT_EQ(outcome.hits[1].category, "报告");
    EXPECT_EQ(outcome.hits[1].clip, "his7-");

    for (int day = 1; day <= 9; ++day)
        std::filesystem::remove_all(std::filesystem::u8path(store::archiveDataFolder(runArchive(day))));
    outcome = find(u"zebra");
    EXPECT_EQ(found(outcome), "2026-05-03 10:00:00/1 工作.amc/7");
    EXPECT_EQ(outcome.built, 0u);
    EXPECT_EQ(found(find(u"类型:图片")), "工作.amc/8");
}

// A damaged index, one of an older run put in another's place, and an archive saved again: each
// is made again from its archive, and the results are the archive's.
TEST_F(EarlierRunsTest, ADamagedOrOutOfDateIndexIsMadeAgain) {
    ASSERT_TRUE(writeArchive(runArchive(1), {{1, 0, "2026-05-01 09:00:00", "", "", u"alpha beta"}}));
    ASSERT_TRUE(writeArchive(runArchive(2), {{2, 0, "2026-05-02 09:00:00", "", "", u"gamma"}}));
    EXPECT_EQ(found(find(u"alpha")), "2026-05-01 10:00:00/1");
    const std::string index = store::searchIndexPath(runArchive(1));
    std::string bytes = readBytes(index);
    bytes[bytes.size() - 40] ^= 0x20;  // in its texts
    writeBytes(index, bytes);
    SearchOutcome outcome = find(u"alpha");
    EXPECT_EQ(found(outcome), "2026-05-01 10:00:00/1");
    EXPECT_EQ(outcome.built, 1u);
    EXPECT_TRUE(digestMatches(readBytes(index)));

    writeBytes(index, readBytes(store::searchIndexPath(runArchive(2))));
    outcome = find(u"gamma");
    EXPECT_EQ(found(outcome), "2026-05-02 10:00:00/2");
    EXPECT_EQ(outcome.built, 1u);

    ASSERT_TRUE(writeArchive(runArchive(1), {{1, 0, "2026-05-01 09:00:00", "", "", u"alpha delta and more"}}));
    EXPECT_EQ(found(find(u"delta")), "2026-05-01 10:00:00/1");
}

// A clip a lasting history kept in several runs is one result, from the newest run.
TEST_F(EarlierRunsTest, AClipKeptInSeveralRunsIsOneResult) {
    const ArchiveClip kept{1, 0, "2026-05-01 09:00:00", "", "", u"kept along"};
    ASSERT_TRUE(writeArchive(runArchive(1), {kept}));
    ASSERT_TRUE(writeArchive(runArchive(2), {kept, {2, 0, "2026-05-02 09:00:00", "", "", u"kept later"}}));
    EXPECT_EQ(found(find(u"kept")), "2026-05-02 10:00:00/2 2026-05-02 10:00:00/1");
}

// With the store sealed, an index is written through the caller's seal and read through its
// unseal (here a stand-in that marks and reverses the bytes); one that does not unseal is made
// again.
TEST_F(EarlierRunsTest, AnIndexIsSealedAsTheStoreIs) {
    EarlierRuns sealed(reversingSeal());
    ASSERT_TRUE(writeArchive(runArchive(1), {{1, 0, "2026-05-01 09:00:00", "", "", u"sealed words"}}));
    EXPECT_EQ(found(find(u"words", sealed)), "2026-05-01 10:00:00/1");
    const std::string index = store::searchIndexPath(runArchive(1));
    EXPECT_EQ(readBytes(index).substr(0, kBlocksMagic.size()), kBlocksMagic);
    EXPECT_NE(readBytes(index).find("SEALED"), std::string::npos);
    EXPECT_EQ(find(u"words", sealed).built, 0u);
    writeBytes(index, "plain bytes");
    const SearchOutcome outcome = find(u"sealed", sealed);
    EXPECT_EQ(found(outcome), "2026-05-01 10:00:00/1");
    EXPECT_EQ(outcome.built, 1u);

    // An index of many blocks: the rows at both ends are found, every block opened in turn.
    std::vector<ArchiveClip> clips;
    for (int n = 1; n <= 40; ++n)
        clips.push_back({n, 0, "2026-05-02 09:00:00", "", "", (n == 1 || n == 40 ? u"needle " : u"") + std::u16string(8000, u'x')});
    ASSERT_TRUE(writeArchive(runArchive(2), clips));
    EXPECT_EQ(found(find(u"needle", sealed)), "2026-05-02 10:00:00/1 2026-05-02 10:00:00/40");
    EXPECT_GT(readBytes(store::searchIndexPath(runArchive(2))).size(), 4 * kIndexBlockBytes);

    // An index the system would not seal is not written, in the clear or at all: kept in memory.
    IndexAccess refusing = reversingSeal();
    refusing.seal = [](std::string_view) { return std::string(); };
    EarlierRuns unsealable(refusing);
    std::filesystem::remove(std::filesystem::u8path(store::searchIndexPath(runArchive(2))));
    EXPECT_EQ(find(u"needle", unsealable).built, 1u);
    EXPECT_FALSE(fileExists(store::searchIndexPath(runArchive(2))));
    EXPECT_EQ(find(u"needle", unsealable).built, 0u);
}

// A file sealed in blocks reads back any part, within a block or across several, opening only
// the blocks it needs; a block that does not open fails the parts in it alone, and a file whose
// table does not fit it is refused.
TEST_F(EarlierRunsTest, AFileSealedInBlocksReadsBackAnyPart) {
    std::mt19937 random(20261209);
    std::string plain(1000, '\0');
    for (char& byte : plain)
        byte = static_cast<char>(random());
    int opened = 0;
    const UnsealBytes unseal = [&](std::string_view sealed) -> std::optional<std::string> {
        ++opened;
        if (sealed.substr(0, 2) != "S:")
            return std::nullopt;
        return std::string(sealed.substr(2));
    };
    const std::optional<std::string> file = sealInBlocks(plain, 100, [](std::string_view piece) { return "S:" + std::string(piece); }, 64);
    ASSERT_TRUE(file);
    const std::string path = m_dir.path("blocks");
    writeBytes(path, *file);
    SealedBlocks blocks;
    ASSERT_TRUE(blocks.open(path, unseal));
    EXPECT_EQ(blocks.size(), plain.size());
    std::string buffer;
    for (const auto& [offset, count] : std::vector<std::pair<std::size_t, std::size_t>>{
             {0, 100}, {0, 1000}, {99, 2}, {100, 64}, {150, 300}, {999, 1}, {1000, 0}, {500, 0}}) {
        const std::optional<std::string_view> part = blocks.part(offset, count, buffer);
        ASSERT_TRUE(part) << offset << "+" << count;
        EXPECT_EQ(*part, std::string_view(plain).substr(offset, count)) << offset << "+" << count;
    }
    EXPECT_FALSE(blocks.part(1000, 1, buffer));
    opened = 0;
    ASSERT_TRUE(blocks.open(path, unseal));
    ASSERT_TRUE(blocks.part(10, 5, buffer));
    ASSERT_TRUE(blocks.part(20, 5, buffer));
    EXPECT_EQ(opened, 1) << "the head's block, once";

    std::string damaged = *file;
    damaged[damaged.size() - 6] = 'X';  // the last block (its last 4 bytes) no longer opens
    writeBytes(path, damaged);
    ASSERT_TRUE(blocks.open(path, unseal));
    EXPECT_TRUE(blocks.part(0, 996, buffer));
    EXPECT_FALSE(blocks.part(995, 3, buffer));
    std::string huge(kBlocksMagic);
    huge += std::string("\1\0\0\0" "\xff\xff\xff\xff" "\2\0\0\0" "S:", 14);  // one block of 4 GB, it says
    for (const std::string& refused : {file->substr(0, file->size() - 1), *file + "x", std::string("plain bytes"), std::string(), huge}) {
        writeBytes(path, refused);
        EXPECT_FALSE(blocks.open(path, unseal)) << refused.size();
    }
    EXPECT_FALSE(sealInBlocks(plain, 100, [](std::string_view) { return std::string(); }));
}

// The store's own door: the archive's files read as the store reads them, the index sealed for the
// user (no row's text in it in the clear) and opened again without being made anew.
TEST_F(EarlierRunsTest, TheStoresAccessSealsTheIndexForTheUser) {
    EarlierRuns sealed(sealedStoreAccess());
    ASSERT_TRUE(writeArchive(runArchive(1), {{1, 0, "2026-05-01 09:00:00", "", "", u"sealed words"}}));
    EXPECT_EQ(found(find(u"words", sealed)), "2026-05-01 10:00:00/1");
    const std::string index = readBytes(store::searchIndexPath(runArchive(1)));
    EXPECT_EQ(index.find(std::string("s\0e\0a\0l\0e\0d", 11)), std::string::npos);
    EXPECT_EQ(index.find("sealed"), std::string::npos);
    EXPECT_EQ(find(u"sealed", sealed).built, 0u);
}

// The window's searches leave the indexes to prepare: a run with none, and one whose index this
// process has not checked, are passed over and counted; once prepared they are searched (also
// those prepare could only keep in memory). A stop ends a search within a run.
TEST_F(EarlierRunsTest, AQueryLeavesIndexesToPrepareAndAStopEndsItWithinARun) {
    ASSERT_TRUE(writeArchive(runArchive(1), {{1, 0, "2026-05-01 09:00:00", "", "", u"alpha one"}}));
    EXPECT_EQ(find(u"alpha").built, 1u);  // made and checked by another process, say
    ASSERT_TRUE(writeArchive(runArchive(2), {{2, 0, "2026-05-02 09:00:00", "", "", u"alpha two"}}));
    EarlierRuns window;
    EarlierRuns::Limits leaveToPrepare;
    leaveToPrepare.prepareOnTheWay = false;
    const Matcher matcher(parseQuery(u"alpha"), "2026-06-01");
    const auto query = [&](EarlierRuns& earlier) {
        Deadline never;
        return earlier.search(searchSources(runs(), {archives()}), matcher, never, leaveToPrepare);
    };
    SearchOutcome outcome = query(window);
    EXPECT_EQ(outcome.hits.size(), 0u);
    EXPECT_EQ(outcome.unprepared, 2u);
    EXPECT_EQ(outcome.built, 0u);
    const std::atomic<bool> go{false};
    EXPECT_EQ(window.prepare(searchSources(runs(), {archives()}), go), 1u);
    outcome = query(window);
    EXPECT_EQ(found(outcome), "2026-05-02 10:00:00/2 2026-05-01 10:00:00/1");
    EXPECT_EQ(outcome.unprepared, 0u);

    IndexAccess refusing = reversingSeal();
    refusing.seal = [](std::string_view) { return std::string(); };
    std::vector<ArchiveClip> clips;
    for (int n = 1; n <= 40; ++n)
        clips.push_back({n, 0, "2026-05-03 09:00:00", "", "", u"alpha " + std::u16string(8000, u'x')});
    ASSERT_TRUE(writeArchive(runArchive(3), clips));
    EarlierRuns unsealable(refusing);  // its indexes are kept in memory by prepare
    EXPECT_EQ(query(unsealable).unprepared, 3u);
    EXPECT_EQ(unsealable.prepare(searchSources(runs(), {archives()}), go), 3u);
    EXPECT_EQ(query(unsealable).hits.size(), 42u);

    std::atomic<bool> stop{false};
    int opened = 0;
    IndexAccess stopping = reversingSeal();
    stopping.unseal = [&, unseal = stopping.unseal](std::string_view sealed) {
        if (++opened == 3)
            stop = true;  // a newer query, as the run's third block is read
        return unseal(sealed);
    };
    EarlierRuns stopped(stopping);
    stopped.prepare(searchSources(runs(), {archives()}), go);
    opened = 0;
    Deadline never;
    EarlierRuns::Limits limits;
    limits.stop = &stop;
    outcome = stopped.search(searchSources(runs(), {archives()}), matcher, never, limits);
    EXPECT_TRUE(outcome.cutShort);
    EXPECT_LT(outcome.hits.size(), 40u);
}

// The content a clip's row shows, as the list shows it.
std::u16string shownContent(const ArchiveClip& clip) {
    if (clip.kind == 1)
        return u"picture:size " + clip.text;
    return clip.kind == 2 ? u"File:Path\"" + clip.text + u"\"" : clip.text;
}

// Random rows in five runs and random queries of words, filters and patterns: the search through
// the indexes (sealed in blocks, as the program's are) finds exactly the rows that a plain scan of
// the same rows admits.
TEST_F(EarlierRunsTest, ResultsAreThoseOfALinearScan) {
    std::mt19937 random(20261208);
    const auto pick = [&](const auto& list) { return list[random() % list.size()]; };
    const std::vector<std::u16string> words = {u"alpha", u"Beta", u"剪贴板", u"报告", u"zebra", u"CAFÉ", u"42", u"Ωmega", u"复制"};
    const std::vector<std::string> programs = {"", "C:\\w\\notepad.exe", "C:\\w\\WINWORD.EXE"};
    const std::vector<std::string> categories = {"", "工作", "Home"};
    std::map<std::string, std::vector<ArchiveClip>> clipsByOrigin;
    for (int day = 1; day <= 5; ++day) {
        std::vector<ArchiveClip>& clips = clipsByOrigin["2026-05-0" + std::to_string(day) + " 10:00:00"];
        for (int n = 1; n <= 60; ++n) {
            ArchiveClip clip{n, random() % 6 == 0 ? 1 : random() % 6 == 0 ? 2 : 0,
                             "2026-05-0" + std::to_string(day) + " 09:" + std::to_string(10 + n / 60) + ":" + std::to_string(10 + n % 60 % 50),
                             pick(programs), pick(categories), u""};
            for (int w = 1 + static_cast<int>(random() % 6); w > 0; --w)
                clip.text += pick(words) + (random() % 2 ? u" " : u", ");
            clip.text = clip.kind == 1 ? u"16*9" : clip.kind == 2 ? u"C:\\files\\" + clip.text : clip.text;
            clips.push_back(clip);
        }
        ASSERT_TRUE(writeArchive(runArchive(day), clips));
    }
    EarlierRuns sealed(reversingSeal());
    const std::vector<std::u16string> filters = {u"", u"类型:文本", u"type:image", u"类型:文件", u"程序:notepad", u"app:word",
                                                 u"日期:2026-05-02..2026-05-04", u"date:2026-05-05", u"分类:工作", u"cat:home"};
    const std::vector<std::u16string> patterns = {u"re:alpha|zebra", u"re:b[e]ta,", u"re:\\d+ ", u"re:^报告", u"re:(剪贴板|复制) c",
                                                  u"re:4\\d,", u"re:\\d\\d"};
    const auto expectedFor = [&](const std::u16string& text) {
        const Matcher matcher(parseQuery(text), "2026-06-01");
        std::set<std::string> expected;
        for (const auto& [origin, clips] : clipsByOrigin) {
            for (const ArchiveClip& clip : clips) {
                const FoldedText folded = foldedText(shownContent(clip));
                Deadline never;
                if (matcher.matches({clip.kind, clip.copyTime, clip.source, clip.category, viewOf(folded)}, never) == Verdict::Yes)
                    expected.insert(origin + "/" + std::to_string(clip.number));
            }
        }
        return expected;
    };
    const auto actualFor = [&](const std::u16string& text) {
        std::set<std::string> actual;
        const std::string results = found(find(text, sealed));
        for (std::size_t at = 0; at < results.size();) {
            const std::size_t end = std::min(results.find(' ', results.find('/', at)), results.size());
            actual.insert(results.substr(at, end - at));
            at = end + 1;
        }
        return actual;
    };
    for (int q = 0; q < 150; ++q) {
        std::u16string text = q % 6 == 5 ? pick(patterns) : (random() % 3 ? pick(words) : u"") + u" " + (random() % 3 ? pick(words) : u"");
        text += u" " + pick(filters) + u" " + (random() % 4 ? u"" : pick(filters));
        EXPECT_EQ(actualFor(text), expectedFor(text)) << xml::utf16ToUtf8(text);
    }
    // Typed a character at a time and taken back, as a user does: the results remembered for
    // each step (and narrowed from the step before) are those of a fresh search.
    for (const std::u16string typed : {u"alpha beta", u"类型:文本 剪贴板 42", u"zebra, 复制", u"re:b[e]ta"}) {
        for (std::size_t step = 1; step < 2 * typed.size(); ++step) {
            const std::u16string text = typed.substr(0, step <= typed.size() ? step : 2 * typed.size() - step);
            EXPECT_EQ(actualFor(text), expectedFor(text)) << xml::utf16ToUtf8(text);
        }
    }
}

}  // namespace
