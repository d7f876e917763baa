// libFuzzer target: any bytes as a DIB block another program put on the clipboard. Nothing is read
// past the block, and what is made from it has the size its layout says.
#include "store/BmpLayout.h"
#include "store/DibBlocks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view dib(reinterpret_cast<const char*>(data), size);
    const auto info = store::readDibInfo(dib);
    if (const auto file = store::bmpFileFromTrueColourDib(dib, 24)) {
        store::BmpLayout layout;
        check(info && store::computeBmpLayout(info->width, info->height, 24, layout), "a file from a DIB without a layout");
        check(file->size() == layout.fileSize, "the file's size");
    }
    const auto v5 = store::dibV5FromDib(dib);
    check(v5.has_value() == info.has_value(), "a DIBV5 exactly from a readable DIB");
    if (v5)
        check(v5->size() == store::dibV5Size(dib).value_or(0), "the DIBV5's size");
    return 0;
}
