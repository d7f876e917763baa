// Clipboard formats by their kind.
#include "store/ClipFormats.h"

#include <gtest/gtest.h>

namespace {

using namespace store;

TEST(StoreFormats, PlainTextKeepsTheTextsAndTheLocale) {
    for (int format : {1, 7, 13, 16})
        EXPECT_TRUE(isPlainTextFormat(format)) << format;
    for (int format : {0, 2, 8, 15, 17, 0xC0F0})
        EXPECT_FALSE(isPlainTextFormat(format)) << format;
}

}  // namespace
