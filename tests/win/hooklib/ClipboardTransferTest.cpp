// The hook library's clipboard transfer, through its exports, in this process: the clipboard
// is stored as a clip and put back, format by format.
#include "LatchkitHost.h"
#include "store/StoreDocument.h"
#include "TestFiles.h"
#include "WinTestSupport.h"
#include "xml/XmlDocument.h"
#include "base/Handle.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

using xml::XmlDocument;

namespace {

std::string globalBytes(HANDLE memory) {
    base::GlobalLockScope lock(memory);
    return lock.data() ? std::string(static_cast<const char*>(lock.data()), lock.size()) : std::string();
}

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_host.loaded());
        LatchkitHost::emptyStore();
    }

    std::wstring clipboardUnicodeText() {
        base::ClipboardScope clipboard(m_host.window());
        HANDLE data = clipboard.isOpen() ? GetClipboardData(CF_UNICODETEXT) : nullptr;
        base::GlobalLockScope lock(data);
        return lock.data() ? std::wstring(static_cast<const wchar_t*>(lock.data())) : std::wstring();
    }

    std::vector<UINT> clipboardFormats() {
        std::vector<UINT> formats;
        base::ClipboardScope clipboard(m_host.window());
        for (UINT format = 0; clipboard.isOpen() && (format = EnumClipboardFormats(format)) != 0;)
            formats.push_back(format);
        return formats;
    }

    LatchkitHost m_host;
};

TEST_F(TransferTest, TextIsStoredFormatByFormatAndPutBack) {
    const std::wstring text = L"héllo 中文 clip";
    ASSERT_TRUE(putClipboardText(text));
    const std::vector<UINT> offered = clipboardFormats();
    ASSERT_FALSE(offered.empty());
    ASSERT_NE(m_host.dll().SaveClipData("his1-"), 0);

    // Elements in the order the store writes them: time, use time, then the formats in the
    // clipboard's own order.
    const auto elements = storeElements(LatchkitHost::indexPath());
    ASSERT_EQ(elements.size(), offered.size() + 2);
    EXPECT_EQ(elements[0].first, "his1--time");
    EXPECT_EQ(elements[1].first, "his1--usetime");
    EXPECT_EQ(elements[0].second, elements[1].second);
    EXPECT_EQ(elements[0].second.size(), 19u);
    for (std::size_t i = 0; i < offered.size(); ++i) {
        EXPECT_EQ(elements[i + 2].first, "his1-" + std::to_string(i));
        EXPECT_EQ(elements[i + 2].second, std::to_string(offered[i]));
    }
    const std::string unicodeFile = readStoredBytes(LatchkitHost::dataFile("his1-0"));
    ASSERT_GE(unicodeFile.size(), (text.size() + 1) * 2);
    EXPECT_EQ(std::memcmp(unicodeFile.data(), text.c_str(), (text.size() + 1) * 2), 0);

    ASSERT_TRUE(putClipboardText(L"something else"));
    m_host.dll().SetCurrentClipData("his1-");
    EXPECT_EQ(clipboardUnicodeText(), text);
    EXPECT_EQ(storeValue(LatchkitHost::statusPath(), "SysClip"), "");
    // The previous contents were kept as the clip "tempFile"; ResumeClipData puts them back.
    m_host.dll().ResumeClipData();
    EXPECT_TRUE(pumpUntil([&] { return clipboardUnicodeText() == L"something else"; }, 5s));
    EXPECT_TRUE(pumpUntil([] { return storeElements(LatchkitHost::statusPath()).empty(); }, 5s));
}

TEST_F(TransferTest, BitmapGivesABmpFileAtTheDisplaysDepth) {
    base::WindowDc screen(nullptr);
    const int displayBits = GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
    ASSERT_GT(displayBits, 8);  // a true-colour display: files are 24 bits per pixel
    HBITMAP one = CreateCompatibleBitmap(screen.get(), 1, 1);
    ASSERT_TRUE(putClipboard({{CF_BITMAP, one}}));
    ASSERT_NE(m_host.dll().SaveClipData("copy0"), 0);

    const std::string bmp = readStoredBytes(LatchkitHost::dataFile("copy0.bmp"));
    ASSERT_EQ(bmp.size(), 58u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    auto word = [&](std::size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(bmp[at])) |
                                             static_cast<unsigned>(static_cast<unsigned char>(bmp[at + 1])) << 8; };
    EXPECT_EQ(word(2), 58u);        // file size
    EXPECT_EQ(word(10), 54u);       // pixel data offset
    EXPECT_EQ(word(14), 40u);       // information header
    EXPECT_EQ(word(18), 1u);        // width
    EXPECT_EQ(word(22), 1u);        // height
    EXPECT_EQ(word(26), 1u);        // planes
    EXPECT_EQ(word(28), 24u);       // bits per pixel
    EXPECT_EQ(bmp.substr(30, 24), std::string(24, '\0'));

    // The bitmap's own data file is empty; a device-independent format stands beside it.
    const auto elements = storeElements(LatchkitHost::indexPath());
    bool sawBitmap = false, sawDib = false;
    for (const auto& [name, value] : elements) {
        if (value == "2") {
            sawBitmap = true;
            EXPECT_EQ(readStoredBytes(LatchkitHost::dataFile(name)), "");
            EXPECT_TRUE(fileExists(LatchkitHost::dataFile(name)));
        }
        if (value == "8") {
            sawDib = true;
            EXPECT_GT(readStoredBytes(LatchkitHost::dataFile(name)).size(), 40u);
        }
    }
    EXPECT_TRUE(sawBitmap);
    EXPECT_TRUE(sawDib);

    // Restored through the device-independent format, the picture is back.
    ASSERT_TRUE(putClipboardText(L"x"));
    m_host.dll().SetCurrentClipData("copy0");
    const std::vector<UINT> formats = clipboardFormats();
    EXPECT_NE(std::find(formats.begin(), formats.end(), static_cast<UINT>(CF_DIB)), formats.end());
}

TEST_F(TransferTest, WideBitmapRowsArePadded) {
    base::WindowDc screen(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen.get(), 37, 20);
    ASSERT_TRUE(putClipboard({{CF_BITMAP, picture}}));
    ASSERT_NE(m_host.dll().SaveClipData("his2-"), 0);
    // ((24 * 37 + 31) / 32) * 4 = 112 bytes a row.
    EXPECT_EQ(readStoredBytes(LatchkitHost::dataFile("his2-.bmp")).size(), 54u + 112u * 20u);
}

TEST_F(TransferTest, FileListAndRegisteredFormatRoundTrip) {
    const std::string drop = dropFilesBlock(std::wstring(L"C:\\docs\\one.txt\0C:\\docs\\two.txt\0", 32));
    const UINT custom = RegisterClipboardFormatW(L"Dravix Test Format");
    const std::string customBytes("\x01\x02\x00\xFFpayload", 11);
    ASSERT_TRUE(putClipboard({{CF_HDROP, globalFrom(drop.data(), drop.size())},
                  {custom, globalFrom(customBytes.data(), customBytes.size())}}));
    ASSERT_NE(m_host.dll().SaveClipData("his3-"), 0);
    EXPECT_EQ(readStoredBytes(LatchkitHost::dataFile("his3-0")).substr(0, drop.size()), drop);

    ASSERT_TRUE(putClipboardText(L"other"));
    m_host.dll().SetCurrentClipData("his3-");
    base::ClipboardScope clipboard(m_host.window());
    ASSERT_TRUE(clipboard.isOpen());
    HANDLE restoredDrop = GetClipboardData(CF_HDROP);
    ASSERT_TRUE(restoredDrop);
    EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(restoredDrop), 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(globalBytes(GetClipboardData(custom)).substr(0, customBytes.size()), customBytes);
}

TEST_F(TransferTest, LargeTextAndFullScreenBitmapRoundTrip) {
    // 50 MB of text.
    std::wstring big(25 * 1024 * 1024, L'x');
    for (std::size_t i = 0; i < big.size(); i += 4096)
        big[i] = static_cast<wchar_t>(L'a' + (i / 4096) % 26);
    ASSERT_TRUE(putClipboardText(big));
    ASSERT_NE(m_host.dll().SaveClipData("his1-"), 0);
    EXPECT_GE(readStoredBytes(LatchkitHost::dataFile("his1-0")).size(), big.size() * 2);
    ASSERT_TRUE(putClipboardText(L"small"));
    m_host.dll().SetCurrentClipData("his1-");
    EXPECT_TRUE(clipboardUnicodeText() == big);

    // A bitmap as large as the screen.
    base::WindowDc screen(nullptr);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HBITMAP full = CreateCompatibleBitmap(screen.get(), width, height);
    ASSERT_TRUE(putClipboard({{CF_BITMAP, full}}));
    ASSERT_NE(m_host.dll().SaveClipData("his2-"), 0);
    const std::size_t row = ((24u * static_cast<unsigned>(width) + 31u) / 32u) * 4u;
    EXPECT_EQ(readStoredBytes(LatchkitHost::dataFile("his2-.bmp")).size(), 54u + row * static_cast<unsigned>(height));
    ASSERT_TRUE(putClipboardText(L"small"));
    m_host.dll().SetCurrentClipData("his2-");
    base::ClipboardScope clipboard(m_host.window());
    ASSERT_TRUE(clipboard.isOpen());
    EXPECT_TRUE(GetClipboardData(CF_DIB));
}

TEST_F(TransferTest, EmptyClipboardStoresNothing) {
    ASSERT_TRUE(putClipboard({}));
    EXPECT_NE(m_host.dll().SaveClipData("his1-"), 0);
    EXPECT_FALSE(fileExists(LatchkitHost::indexPath()));
}

TEST_F(TransferTest, StoringANameAgainWithFewerFormatsLeavesNoOldKey) {
    const UINT custom = RegisterClipboardFormatW(L"Dravix Test Format");
    ASSERT_TRUE(putClipboard({{custom, globalFrom("a", 1)}, {CF_HDROP, globalFrom("\0\0\0\0", 4)}}));
    ASSERT_NE(m_host.dll().SaveClipData("copy1"), 0);
    ASSERT_EQ(storeValue(LatchkitHost::indexPath(), "copy11"), std::to_string(CF_HDROP));
    ASSERT_TRUE(putClipboard({{custom, globalFrom("b", 1)}}));
    ASSERT_NE(m_host.dll().SaveClipData("copy1"), 0);
    const auto elements = storeElements(LatchkitHost::indexPath());
    std::vector<std::string> names;
    for (const auto& element : elements)
        names.push_back(element.first);
    // The use time keeps its place; time and formats are written anew behind it.
    EXPECT_EQ(names, (std::vector<std::string>{"copy1-usetime", "copy1-time", "copy10"}));
}

TEST_F(TransferTest, PasteDataToWindowPastesAndRecordsTheUseTime) {
    ASSERT_TRUE(putClipboardText(L"pasted history text"));
    ASSERT_NE(m_host.dll().SaveClipData("his12-"), 0);
    // Make the use time older, so that the update shows.
    {
        XmlDocument doc;
        ASSERT_TRUE(doc.loadFile(LatchkitHost::indexPath()));
        ASSERT_TRUE(store::findRootChild(doc, "his12--usetime"));
        doc.enterElement();
        doc.setElementText("2001-01-01 00:00:00");
        ASSERT_TRUE(doc.saveFile(LatchkitHost::indexPath()));
    }
    ASSERT_TRUE(putClipboardText(L""));
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_TRUE(edit);
    SetForegroundWindow(edit);
    SetFocus(edit);
    m_host.dll().PasteData2Window("his12-");
    WPARAM index = 0;
    ASSERT_TRUE(m_host.waitForMessage(WM_USER + 3, &index, std::chrono::seconds(5)));
    EXPECT_EQ(index, 12u);
    pumpUntil([&] { return GetWindowTextLengthW(edit) > 0; }, std::chrono::seconds(2));
    wchar_t text[64] = {};
    GetWindowTextW(edit, text, 64);
    EXPECT_STREQ(text, L"pasted history text");
    EXPECT_NE(storeValue(LatchkitHost::indexPath(), "his12--usetime"), "2001-01-01 00:00:00");
    EXPECT_EQ(storeValue(LatchkitHost::statusPath(), "SysClip"), "");
    DestroyWindow(edit);
}

TEST_F(TransferTest, BusyFlagIsSharedState) {
    EXPECT_EQ(m_host.dll().GetOperXmlStatus(), 0);
    EXPECT_EQ(m_host.dll().SetOperXmlStatus(1), 1);
    EXPECT_EQ(m_host.dll().GetOperXmlStatus(), 1);
    m_host.dll().SetOperXmlStatus(0);
}

}  // namespace
