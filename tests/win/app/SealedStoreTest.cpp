// The real program keeps what the user copies sealed: no file under the store folder, kept runs
// included, holds a copied text, picture or file list in any encoding we write.
#include "DravixAppTest.h"

#include "search/SealedAccess.h"
#include "search/SealedBlocks.h"
#include "store/StorePaths.h"
#include "WinTestSupport.h"
#include "base/Handle.h"
#include "base/Text.h"

#include <filesystem>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string wideBytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::string codePageBytes(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// The files under the store folder holding any of `needles`, each read as it lies (`opened`: as
// the store reads it).
// What a file of the store holds as the program opens it: a data file unsealed, a search index
// sealed in blocks read whole.
std::string openedBytes(const std::string& path) {
    search::SealedBlocks blocks;
    std::string bytes;
    if (blocks.open(path, search::sealedStoreAccess().unseal) && blocks.part(0, static_cast<std::size_t>(blocks.size()), bytes))
        return bytes;
    return readStoredBytes(path);
}

std::vector<std::string> storeFilesHolding(const std::vector<std::string>& needles, bool opened) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(fs::u8path(store::userStoreFolder()), error)) {
        if (!entry.is_regular_file())
            continue;
        const std::string path = entry.path().u8string();
        const std::string bytes = opened ? openedBytes(path) : readBytes(path);
        for (const std::string& needle : needles)
            if (bytes.find(needle) != std::string::npos)
                found.push_back(path + " holds " + std::to_string(needle.size()) + " bytes of the copy");
    }
    return found;
}

HBITMAP filledPicture(COLORREF colour) {
    base::WindowDc screen(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen.get(), 40, 30);
    base::MemoryDc memory(screen.get());
    memory.select(picture);
    base::UniqueBrush brush(CreateSolidBrush(colour));
    RECT all = {0, 0, 40, 30};
    FillRect(memory.get(), &all, brush.get());
    return picture;
}

}  // namespace

using SealedStoreTest = DravixAppTest;

TEST_F(SealedStoreTest, NoStoreFileHoldsACopyInTheClearKeptRunsIncluded) {
    const std::wstring tag = std::to_wstring(GetTickCount());
    const std::wstring text = L"只属于这次的文字 sealed-" + tag;
    const std::wstring file = L"C:\\private\\plans-" + tag + L".txt";
    record(text);
    ASSERT_TRUE(putClipboard({{CF_BITMAP, filledPicture(RGB(0x12, 0x34, 0x56))}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 2; }));
    const std::string drop = dropFilesBlock(file + L'\0');
    ASSERT_TRUE(putClipboard({{CF_HDROP, globalFrom(drop.data(), drop.size())}}));
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return rows.size() == 3; }));

    const std::vector<std::string> needles = {base::toUtf8(text), wideBytes(text), codePageBytes(text), wideBytes(file),
                                              std::string("\x56\x34\x12\x56\x34\x12\x56\x34\x12"),
                                              std::string("\x56\x34\x12\x00\x56\x34\x12\x00", 8)};
    // What the store reads holds every copy: the search would see them in the clear.
    EXPECT_EQ(storeFilesHolding({wideBytes(text)}, true).size(), 1u);
    EXPECT_EQ(storeFilesHolding({wideBytes(file)}, true).size(), 1u);
    EXPECT_EQ(storeFilesHolding(needles, false), std::vector<std::string>{});

    // The next start keeps this run in the Runs folder, as it lies, with its search index (which
    // holds the text folded, sealed too) once the keep has ended.
    const std::size_t mark = m_log.mark();
    start();
    ASSERT_TRUE(pumpUntil([&] { return m_log.has("the run kept", mark); }, 10s));
    EXPECT_EQ(storeFilesHolding({wideBytes(text)}, true).size(), 2u);
    EXPECT_EQ(storeFilesHolding(needles, false), std::vector<std::string>{});
}
