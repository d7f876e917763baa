// The Windows-only parts of the store operations: code-page text, the shell's folder deletion and
// the instance in the per-user store folder.
#include "store/SysClipBoard.h"
#include "TestFiles.h"
#include "xml/XmlText.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>

using xml::utf8ToUtf16;

namespace {

class WinStoreTest : public ::testing::Test {
protected:
    WinStoreTest() : m_store(m_dir.path("win")) {
        std::filesystem::create_directories(std::filesystem::u8path(m_dir.path("win") + "\\Brindlecote"));
    }
    ScratchDir m_dir;
    store::CSysClipBoard m_store;
};

TEST_F(WinStoreTest, CodePageTextIsConvertedWithTheAnsiCodePage) {
    // 中文 in the code page of the user's system: GBK on a Chinese system.
    std::string bytes;
    if (GetACP() == 936)
        bytes = "\xD6\xD0\xCE\xC4";
    else
        bytes = "plain";
    m_store.setValue("2012-05-07 09:03:41", "his1--time", 1);
    m_store.setValue("1", "his1-0", 1);
    writeBytes(m_dir.path("win") + "\\Brindlecote\\his1-0", bytes + std::string(1, '\0'));
    EXPECT_EQ(m_store.getTextFromName("his1-"), GetACP() == 936 ? u"中文" : u"plain");
}

TEST_F(WinStoreTest, FileListFromARealDropFilesBlock) {
    const wchar_t files[] = L"C:\\docs\\one.txt\0C:\\docs\\two.txt\0C:\\docs\\three.txt\0";
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    memcpy(block.data(), &header, sizeof header);
    block.append(reinterpret_cast<const char*>(files), sizeof files);
    // The shell reads the same block.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
    memcpy(GlobalLock(memory), block.data(), block.size());
    GlobalUnlock(memory);
    EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(memory), 0xFFFFFFFF, nullptr, 0), 3u);
    GlobalFree(memory);

    m_store.setValue("2012-05-07 09:03:41", "his1--time", 1);
    m_store.setValue("15", "his1-0", 1);
    writeBytes(m_dir.path("win") + "\\Brindlecote\\his1-0", block);
    EXPECT_EQ(m_store.getFileListText("his1-"), u"File:Path\"C:\\docs\\one.txt\"");
}

TEST_F(WinStoreTest, ShellDeletesTheDataFolderButNeverADriveRoot) {
    writeBytes(m_dir.path("win") + "\\Brindlecote\\his1-0", "x");
    EXPECT_FALSE(m_store.deleteFolder("C:\\"));
    EXPECT_FALSE(m_store.deleteFolder("C:\\*"));
    EXPECT_TRUE(m_store.deleteFolder(m_dir.path("win") + "\\Brindlecote"));
    EXPECT_FALSE(fileExists(m_dir.path("win") + "\\Brindlecote"));
}

TEST(WinStoreInstance, LivesInTheUsersLocalApplicationDataUntilReleased) {
    store::CSysClipBoard* store = store::CSysClipBoard::getInstance();
    ASSERT_TRUE(store);
    EXPECT_EQ(store::CSysClipBoard::getInstance(), store);
    wchar_t local[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local), S_OK);
    const std::u16string dir = utf8ToUtf16(store->getWindowsDir());
    EXPECT_EQ(std::wstring(dir.begin(), dir.end()), std::wstring(local) + L"\\Dravix");
    EXPECT_TRUE(fileExists(store->getWindowsDir()));  // made on first use
    store::CSysClipBoard::releaseInstance();
}

}  // namespace
