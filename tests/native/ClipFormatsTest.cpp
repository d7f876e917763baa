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

// What each kind of format keeps as bytes and whether it can go back on the clipboard from them.
TEST(StoreFormats, EachKindIsKeptAsItsOwnBytesOrNotAtAll) {
    const struct {
        int format;
        FormatData data;
        bool restores;
    } kinds[] = {
        {1, FormatData::Memory, true},          {13, FormatData::Memory, true},
        {8, FormatData::Memory, true},          {0xC0F0, FormatData::Memory, true},
        {14, FormatData::EnhancedMetafile, true}, {0x8E, FormatData::EnhancedMetafile, true},
        {3, FormatData::MetafilePicture, true}, {0x83, FormatData::MetafilePicture, true},
        {9, FormatData::Palette, true},         {2, FormatData::Bitmap, false},
        {0x80, FormatData::NotKept, false},     {0x82, FormatData::NotKept, false},
        {0x200, FormatData::NotKept, false},    {0x2FF, FormatData::NotKept, false},
        {0x3FF, FormatData::NotKept, false},    {0, FormatData::Memory, false},
    };
    for (const auto& kind : kinds) {
        EXPECT_EQ(formatData(kind.format), kind.data) << kind.format;
        EXPECT_EQ(formatRestoresFromBytes(kind.format), kind.restores) << kind.format;
    }
}

TEST(StoreFormats, MetafilePicturesAndPalettesRoundTripAndRefuseWhatIsNotTheirs) {
    const std::string bits = "a metafile's own 18-byte header, then its records";
    const std::string bytes = metafilePictureBytes({8, -2540, 1270, bits});
    const std::optional<MetafilePicture> back = parseMetafilePicture(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->mappingMode, 8);
    EXPECT_EQ(back->width, -2540);
    EXPECT_EQ(back->height, 1270);
    EXPECT_EQ(back->bits, bits);
    EXPECT_FALSE(parseMetafilePicture("short"));
    // What stores of earlier versions kept: METAFILEPICT's memory block, a handle in it.
    EXPECT_FALSE(parseMetafilePicture(std::string("\x08\0\0\0\x10\0\0\0\x10\0\0\0\x34\x12\0\0", 16)));
    EXPECT_FALSE(bytesRestore(3, std::string("\x08\0\0\0\x10\0\0\0\x10\0\0\0\x34\x12\0\0", 16)));
    EXPECT_TRUE(bytesRestore(3, bytes));
    EXPECT_FALSE(bytesRestore(14, "not a metafile"));
    EXPECT_FALSE(bytesRestore(13, ""));
    EXPECT_TRUE(bytesRestore(13, "u"));

    EXPECT_EQ(paletteEntryCount(std::string("\x00\x03\x02\x00", 4) + std::string(8, 'p')), 2u);
    for (const std::string& bad : {std::string("\x00\x03\x02\x00", 4) + std::string(7, 'p'),  // one byte short
                                   std::string("\x00\x03\x00\x00", 4),                        // no entries
                                   std::string("\x00\x02\x01\x00rgbf", 8), std::string("\x00\x03")})
        EXPECT_FALSE(paletteEntryCount(bad)) << bad.size();
}

}  // namespace
