// The number texts of the clip list and the clips they name.
#include "store/NumberText.h"

#include <gtest/gtest.h>

namespace {

using namespace store;

TEST(StoreNames, NumberTextsAndClipNames) {
    EXPECT_EQ(historyNumberText(12), "12");
    EXPECT_EQ(slotNumberText('5'), "ctrl+alt+5");
    EXPECT_EQ(clipNameFromNumberText("12"), "his12-");
    EXPECT_EQ(clipNameFromNumberText("ctrl+alt+5"), "copy5");
    // A text that names no clip gives no name, never one that reaches other elements.
    for (const char* odd : {"", "0", "012", "1000", "12-", "-time", "1 2", "ctrl+alt+", "ctrl+alt+55", "ctrl+alt+x",
                            "x", "999999999999"})
        EXPECT_EQ(clipNameFromNumberText(odd), "") << odd;
    EXPECT_EQ(clipNameFromNumberText("999"), "his999-");
}

}  // namespace
