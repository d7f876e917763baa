// The words a failed system call leaves in the trace.
#include "base/FailureText.h"

#include <gtest/gtest.h>

namespace {

TEST(FailureText, SaysWhereTheCallWasMadeWhatItWasAndTheSystemsText) {
    EXPECT_EQ(base::failureText("/home/builder/dravix/hooklib/ChordPaste.cpp", 160, "OpenClipboard(window)", 5,
                                "Access is denied.\r\n"),
              "hooklib/ChordPaste.cpp(160): OpenClipboard(window) failed: 5 Access is denied.");
    EXPECT_EQ(base::failureText("C:\\src\\app\\ClipReader.cpp", 7, "RegisterClassW(&windowClass)", 1410, ""),
              "app\\ClipReader.cpp(7): RegisterClassW(&windowClass) failed: 1410");
}

TEST(FailureText, KeepsTheFileFromItsFolderOn) {
    const struct {
        const char* file;
        const char* name;
    } cases[] = {
        {"/a/b/store/StoreLock_win.cpp", "store/StoreLock_win.cpp"},
        {"C:\\work\\base\\Check.cpp", "base\\Check.cpp"},
        {"fw/App.cpp", "fw/App.cpp"},
        {"App.cpp", "App.cpp"},
        {"/App.cpp", "/App.cpp"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(base::sourceName(c.file), c.name) << c.file;
}

}  // namespace
