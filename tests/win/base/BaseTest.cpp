// The base layer: owned handles and scope classes, and the text converters, tested where they
// can break.
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <string>
#include <string_view>
#include <utility>

namespace {

TEST(BaseHandles, OwnersFreeAndScopesRestore) {
    HGDIOBJ brush = nullptr;
    {
        base::UniqueGdiObject owned(CreateSolidBrush(RGB(1, 2, 3)));
        brush = owned.get();
        EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
        base::UniqueGdiObject moved(std::move(owned));
        EXPECT_FALSE(owned);
        EXPECT_EQ(moved.get(), brush);
    }
    EXPECT_EQ(GetObjectType(brush), 0u);

    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 16);
    {
        base::GlobalLockScope lock(memory);
        ASSERT_TRUE(lock.data());
        EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 1u);
    }
    EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 0u);
    GlobalFree(memory);

    {
        base::ClipboardScope clipboard(nullptr);
        ASSERT_TRUE(clipboard.isOpen());
        EXPECT_TRUE(clipboard.close());
        EXPECT_FALSE(clipboard.isOpen());
    }
    base::ClipboardScope again(nullptr, 1);
    EXPECT_TRUE(again.isOpen());  // the first scope closed it

    // A DC gets its first object back, from a select scope and from a memory DC before it goes.
    // A bitmap is selected in one DC at a time, so another DC can take it only once it is back.
    base::UniqueGdiObject picture(CreateBitmap(8, 8, 1, 1, nullptr));
    const auto selectableElsewhere = [&] {
        base::MemoryDc elsewhere(nullptr);
        const HGDIOBJ previous = SelectObject(elsewhere.get(), picture.get());
        if (previous)
            SelectObject(elsewhere.get(), previous);
        return previous != nullptr;
    };
    {
        base::MemoryDc dc(nullptr);
        const HGDIOBJ first = GetCurrentObject(dc.get(), OBJ_BITMAP);
        {
            base::SelectScope selected(dc.get(), picture.get());
            EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), picture.get());
            EXPECT_FALSE(selectableElsewhere());
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), first);
        dc.select(picture.get());
        EXPECT_FALSE(selectableElsewhere());
    }
    EXPECT_TRUE(selectableElsewhere());
}

TEST(BaseText, Utf8AndUtf16RoundTrip) {
    EXPECT_EQ(base::toWide("剪贴板 clip"), L"剪贴板 clip");
    EXPECT_EQ(base::toUtf8(L"剪贴板 clip"), "剪贴板 clip");
    EXPECT_EQ(base::toWide(""), L"");
}

// A path or a name with broken text reads the same way wherever it is converted.
TEST(BaseText, BadInputBecomesTheReplacementCharacterBothWays) {
    EXPECT_EQ(base::toWide("a\xFF" "b"), L"a\xFFFD" L"b");
    EXPECT_EQ(base::toWide("a\xE5\x89" "b"), L"a\xFFFD" L"b");  // a sequence cut short
    EXPECT_EQ(base::toWide(std::string_view("a\0b", 3)), std::wstring(L"a\0b", 3));
    EXPECT_EQ(base::toUtf8(std::wstring{L'a', wchar_t(0xD800), L'b'}), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(base::toUtf8(std::wstring{L'a', wchar_t(0xDC00)}), "a\xEF\xBF\xBD");
}

// A failed call is traced where it was made, with its own text and the system's, and its result
// and error still reach the caller. (The log's path is read once per process, at the first trace.)
TEST(BaseCheck, AFailedCallIsTracedAndItsResultReachesTheCaller) {
    wchar_t folder[MAX_PATH] = {};
    ASSERT_TRUE(GetTempPathW(MAX_PATH, folder));
    const std::wstring log = std::wstring(folder) + L"dravix-base-check-" + std::to_wstring(GetCurrentProcessId()) + L".log";
    ASSERT_TRUE(SetEnvironmentVariableW(L"DRAVIX_LOG", log.c_str()));
    EXPECT_FALSE(CHECK_WIN32(CloseHandle(nullptr)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CHECK_WIN32(GetCurrentProcessId()));
    const std::wstring missing = std::wstring(folder) + L"dravix-base-check-missing\\file";
    EXPECT_EQ(CHECK_WIN32_HANDLE(CreateFileW(missing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(CHECK_WIN32_ERROR(GetLastError()));  // zero, and no error set
    EXPECT_FALSE(CHECK_WIN32_ERROR(GetWindowLongPtrW(nullptr, GWLP_USERDATA)));
    std::stringstream written;
    written << std::ifstream(log.c_str(), std::ios::binary).rdbuf();
    const std::string text = written.str();
    EXPECT_NE(text.find("base/BaseTest.cpp("), std::string::npos) << text;
    EXPECT_NE(text.find("): CloseHandle(nullptr) failed: 6 "), std::string::npos) << text;
    EXPECT_NE(text.find("): CreateFileW(missing.c_str(), "), std::string::npos) << text;
    EXPECT_NE(text.find("): GetWindowLongPtrW(nullptr, GWLP_USERDATA) failed: 1400 "), std::string::npos) << text;
    EXPECT_EQ(text.find("GetCurrentProcessId"), std::string::npos) << text;
    EXPECT_EQ(text.find("GetLastError"), std::string::npos) << text;
    DeleteFileW(log.c_str());
}

}  // namespace
