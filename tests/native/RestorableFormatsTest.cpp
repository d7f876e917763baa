// What of a clip goes back on the clipboard: the stored formats in index order (up to a gap or a
// format number below 1) that their bytes restore, and those of a copy in memory; a clip written
// from a copy comes back as it went in.
#include "store/ClipSnapshot.h"
#include "store/RestorableFormats.h"
#include "store/SysClipBoard.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace store;

namespace {

namespace fs = std::filesystem;

class RestorableFormatsTest : public ::testing::Test {
protected:
    RestorableFormatsTest() : m_store(m_dir.path("store")) { fs::create_directories(fs::u8path(m_store.paths().dataFolder())); }

    // Format elements of `clip` in index order, each with its data file unless its bytes are null.
    void storeClip(const std::string& clip, std::initializer_list<std::pair<const char*, const char*>> formats) {
        int index = 0;
        for (const auto& [format, bytes] : formats) {
            const std::string element = clip + std::to_string(index++);
            m_store.setValue(format, element, 1);
            if (bytes)
                writeBytes(m_store.paths().dataFile(element), bytes);
        }
    }

    ScratchDir m_dir;
    store::CSysClipBoard m_store;
};

TEST_F(RestorableFormatsTest, StoredFormatsInIndexOrderThatTheirBytesRestore) {
    EXPECT_FALSE(storedFormats(m_store.paths(), "copy5", false)) << "no index";
    // A bitmap and a metafile picture are handles; a missing or empty data file gives nothing; the
    // gap after place 6 ends the list.
    storeClip("copy5", {{"13", "u"}, {"2", ""}, {"3", "m"}, {"49300", "p"}, {"1", nullptr}, {"7", ""}, {"16", "l"}});
    m_store.setValue("1", "copy58", 1);
    writeBytes(m_store.paths().dataFile("copy58"), "after the gap");
    EXPECT_EQ(storedFormats(m_store.paths(), "copy5", false),
              (RestorableFormats{{13, "u"}, {49300, "p"}, {16, "l"}}));
    EXPECT_EQ(storedFormats(m_store.paths(), "copy5", true), (RestorableFormats{{13, "u"}, {16, "l"}}));
    // A format number below 1 ends the list too.
    storeClip("copy6", {{"1", "t"}, {"0", "x"}, {"13", "u"}});
    EXPECT_EQ(storedFormats(m_store.paths(), "copy6", false), (RestorableFormats{{1, "t"}}));
    EXPECT_EQ(storedFormats(m_store.paths(), "copy7", false), RestorableFormats{});
}

TEST_F(RestorableFormatsTest, ACopyInMemoryAndTheClipWrittenFromItGiveTheSameFormats) {
    ClipSnapshot snapshot;
    snapshot.formats = {{0, 13, "u"}, {1, 2, ""}, {2, 3, "m"}, {3, 49300, ""}, {4, 1, "t"}};
    const RestorableFormats expected{{13, "u"}, {1, "t"}};
    EXPECT_EQ(restorableFormats(snapshot), expected);
    ASSERT_TRUE(writeClip(m_store.paths(), "copy5", snapshot));
    EXPECT_EQ(storedFormats(m_store.paths(), "copy5", false), expected);
    EXPECT_FALSE(m_store.getValue("copy5-time").empty());
    // An empty copy takes the clip's formats away.
    ASSERT_TRUE(writeClip(m_store.paths(), "copy5", ClipSnapshot{}));
    EXPECT_EQ(storedFormats(m_store.paths(), "copy5", false), RestorableFormats{});
}

}  // namespace
