#include "ClipboardCapture.h"

#include "StoreFormat.h"
#include "fw/Handle.h"

#include <vector>

using namespace store;

namespace {

std::string blockBytes(HANDLE data) {
    fw::GlobalLockScope lock(data);
    if (!lock.data() || !lock.size())
        return {};
    return std::string(static_cast<const char*>(lock.data()), lock.size());
}

}  // namespace

// The 54 bytes of headers, the colour table and the rows bottom-up.
std::string bitmapFileBytes(HBITMAP bitmap) {
    fw::WindowDc screen(nullptr);
    const int displayBits = GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
    BITMAP description;
    BmpLayout layout;
    if (!GetObjectW(bitmap, sizeof description, &description) ||
        !computeBmpLayout(description.bmWidth, description.bmHeight, bitCountForDisplay(displayBits), layout))
        return {};
    const std::size_t infoSize = sizeof(BITMAPINFOHEADER);
    std::vector<char> block(infoSize + layout.colorTableSize + layout.pixelDataSize);
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
    info->biSize = static_cast<DWORD>(infoSize);
    info->biWidth = layout.width;
    info->biHeight = layout.height;
    info->biPlanes = 1;
    info->biBitCount = static_cast<WORD>(layout.bitCount);
    info->biCompression = BI_RGB;
    {
        fw::PaletteScope palette(screen.get(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
        GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(layout.height), block.data() + infoSize + layout.colorTableSize,
                  reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS);
    }
    // Our own headers, so that the fields the conversion may fill in stay as the format says.
    const auto headers = bmpHeaders(layout);
    std::string file(reinterpret_cast<const char*>(headers.data()), headers.size());
    file.append(block.data() + infoSize, block.size() - infoSize);
    return file;
}

// A format whose data the source did not hand out is left out: the formats kept are numbered
// without gaps.
ClipSnapshot captureOpenClipboard() {
    ClipSnapshot snapshot;
    const int count = CountClipboardFormats();
    UINT format = 0;
    for (int i = 0; i < count; ++i) {
        format = EnumClipboardFormats(format);
        if (format == 0)
            continue;  // the next index enumerates from the start again
        HANDLE data = GetClipboardData(format);
        if (!data)
            continue;
        ClipSnapshot::Format entry{static_cast<int>(snapshot.formats.size()), format, {}};
        if (formatHoldsMemory(static_cast<int>(format)))
            entry.bytes = blockBytes(data);
        if (format == CF_BITMAP)
            snapshot.bitmapFile = bitmapFileBytes(static_cast<HBITMAP>(data));
        snapshot.formats.push_back(std::move(entry));
    }
    return snapshot;
}
