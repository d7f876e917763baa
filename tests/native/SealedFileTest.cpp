// The header of a sealed data file, and the data files written and read through it.
#include "store/DataFiles.h"
#include "store/SealedFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace store;
using sealed::Opened;

namespace {

const std::string kKey(32, 'k');

std::string sealedForUser(const std::string& plain) {
    return sealed::sealForUser(plain).value_or("sealing failed");
}

std::string withByte(std::string bytes, std::size_t at, char value) {
    bytes[at] = value;
    return bytes;
}

std::string damagedAt(std::string bytes, std::size_t at) {
    bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
    return bytes;
}

std::vector<std::string> g_unreadable;

// Sealing on, a reporter of our own, and both as they were afterwards.
class DataFilesTest : public ::testing::Test {
protected:
    DataFilesTest() { setUnreadableReporter([](const std::string& path) { g_unreadable.push_back(path); }); }
    ~DataFilesTest() override {
        setSealing(true);
        setUnreadableReporter(nullptr);
        g_unreadable.clear();
    }
    ScratchDir m_dir;
};

}  // namespace

TEST(SealedFile, EachKindOfFileOpensAsItShouldAndNeverAsGarbage) {
    const std::string seal = sealedForUser("the clip's bytes");
    const std::string magic(sealed::kMagic);
    struct Case {
        const char* what;
        std::string bytes;
        std::string key;
        Opened how;
        std::string content;
    };
    const Case cases[] = {
        {"sealed for the user", seal, "", Opened::Unsealed, "the clip's bytes"},
        {"an older plain file", std::string("plain text\0", 11), "", Opened::Plain, std::string("plain text\0", 11)},
        {"an empty plain file", "", "", Opened::Plain, ""},
        {"a bitmap file", "BM6\x0c", "", Opened::Plain, "BM6\x0c"},
        {"a damaged seal", damagedAt(seal, seal.size() - 1), "", Opened::Unreadable, ""},
        {"a truncated seal", seal.substr(0, seal.size() - 5), "", Opened::Unreadable, ""},
        {"a seal cut inside its header", seal.substr(0, 8), "", Opened::Unreadable, ""},
        {"a seal whose key is another's", damagedAt(seal, sealed::kHeaderSize + 4 + 10), "", Opened::Unreadable, ""},
        {"a seal whose key's length runs past its end", withByte(seal, sealed::kHeaderSize + 2, '\x7f'), "", Opened::Unreadable, ""},
        {"a seal of a version to come", withByte(seal, magic.size(), '\x02'), "", Opened::Unreadable, ""},
        {"a seal whose kind says plain", withByte(seal, magic.size() + 1, '\x00'), "", Opened::Unreadable, ""},
        {"a seal whose kind is unknown", withByte(seal, magic.size() + 1, '\x09'), "", Opened::Unreadable, ""},
        {"plain bytes like the magic's first three", "\x89" "Dr", "", Opened::Plain, "\x89" "Dr"},
        {"plain bytes that part from the magic", "\x89" "DravixSeaL and more", "", Opened::Plain, "\x89" "DravixSeaL and more"},
        {"a plain file beginning with the whole magic", magic + "\x01\x01 not ours", "", Opened::Unreadable, ""},
        {"bytes beginning like a seal, written marked", sealed::unsealed(magic + "rest"), "", Opened::Unsealed, magic + "rest"},
        {"a short beginning of the magic, written marked", sealed::unsealed("\x89" "Drav"), "", Opened::Unsealed, "\x89" "Drav"},
        {"a password's seal with its key", sealed::sealWithKey(kKey, "archived").value_or(""), kKey, Opened::Unsealed, "archived"},
        {"a password's seal without a key", sealed::sealWithKey(kKey, "archived").value_or(""), "", Opened::NeedsKey, ""},
        {"a password's seal with another key", sealed::sealWithKey(kKey, "archived").value_or(""), std::string(32, 'x'),
         Opened::Unreadable, ""},
        {"a user's seal made to look a password's", withByte(seal, magic.size() + 1, '\x02'), kKey, Opened::Unreadable, ""},
    };
    for (const Case& c : cases) {
        const sealed::OpenedFile opened = sealed::open(c.bytes, c.key);
        EXPECT_EQ(opened.how, c.how) << c.what;
        EXPECT_EQ(opened.bytes, c.content) << c.what;
    }
}

// Sealed or not, a file reads back as it was written; only the start of a plain one is read.
TEST_F(DataFilesTest, FilesReadBackSealedOrNot) {
    const std::string sealedText = m_dir.path("sealed"), plainText = m_dir.path("plain"), likeASeal = m_dir.path("like");
    const std::string ours = std::string(sealed::kMagic) + "copied from a sealed file";
    ASSERT_TRUE(writeDataFiles({{sealedText, "BM words of the clip"}}));
    setSealing(false);
    ASSERT_TRUE(writeDataFiles({{plainText, "words"}, {likeASeal, ours}}));
    EXPECT_EQ(readBytes(sealedText).find("words"), std::string::npos);
    EXPECT_EQ(readBytes(plainText), "words");
    EXPECT_EQ(readDataStart(sealedText, 4).bytes, "BM w");
    EXPECT_EQ(readDataStart(plainText, 2).bytes, "wo");
    EXPECT_EQ(readData(likeASeal), ours);
    EXPECT_EQ(readDataContent(m_dir.path("missing")).state, DataState::Missing);
    EXPECT_TRUE(g_unreadable.empty());
}
