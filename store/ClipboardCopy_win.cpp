// ClipboardCopy: the clipboard's formats read with the Win32 clipboard calls, and a bitmap
// handle written out as a bitmap file.
#include "store/ClipboardCopy.h"

#include "store/BmpLayout.h"
#include "store/ClipBudget.h"
#include "store/ClipFormats.h"
#include "store/DibBlocks.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Trace.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

namespace store {

namespace {

std::string blockBytes(HANDLE data) {
    base::GlobalLockScope lock(data);
    if (!lock.data() || !lock.size())
        return {};
    return std::string(static_cast<const char*>(lock.data()), lock.size());
}

// The bit count of the bitmap files kept: the display's.
int fileBitCount(HDC screen) {
    return bitCountForDisplay(GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES));
}

// The bitmap's file layout at the display's depth; false for a bitmap that cannot make one.
bool bitmapLayout(HDC screen, HBITMAP bitmap, BmpLayout& layout) {
    BITMAP description;
    return GetObjectW(bitmap, sizeof description, &description) &&
           computeBmpLayout(description.bmWidth, description.bmHeight, fileBitCount(screen), layout);
}

// The bitmap file of a DIB, as the bitmap the system would derive from it gives: straight from
// the bytes when they are true colour already, else through a bitmap of the display's.
std::string bitmapFileFromDib(const std::string& dib) {
    base::WindowDc screen(nullptr);
    if (std::optional<std::string> file = bmpFileFromTrueColourDib(dib, fileBitCount(screen.get())))
        return std::move(*file);
    const std::optional<DibInfo> layout = readDibInfo(dib);
    if (!layout)
        return {};
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    base::UniqueBitmap bitmap(
        CreateDIBitmap(screen.get(), &info->bmiHeader, CBM_INIT, dib.data() + layout->pixelOffset, info, DIB_RGB_COLORS));
    return bitmap ? bitmapFileBytes(bitmap.get()) : std::string();
}

// The bytes a handle format is kept as (ClipFormats.h), and their size before they are made.
std::optional<std::size_t> handleDataSize(UINT format, HANDLE data) {
    switch (formatData(static_cast<int>(format))) {
    case FormatData::EnhancedMetafile:
        if (const UINT size = GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr))
            return size;
        return std::nullopt;
    case FormatData::MetafilePicture: {
        base::GlobalLockScope picture(data);
        if (!picture.data() || picture.size() < sizeof(METAFILEPICT))
            return std::nullopt;
        const UINT bits = GetMetaFileBitsEx(static_cast<const METAFILEPICT*>(picture.data())->hMF, 0, nullptr);
        return bits ? std::optional<std::size_t>(12 + bits) : std::nullopt;
    }
    case FormatData::Palette:
        if (const UINT entries = GetPaletteEntries(static_cast<HPALETTE>(data), 0, 0, nullptr))
            return 4 + 4 * static_cast<std::size_t>(entries);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::string handleDataBytes(UINT format, HANDLE data) {
    switch (formatData(static_cast<int>(format))) {
    case FormatData::EnhancedMetafile: {
        std::string bits(GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr), '\0');
        GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), static_cast<UINT>(bits.size()),
                           reinterpret_cast<BYTE*>(bits.data()));
        return bits;
    }
    case FormatData::MetafilePicture: {
        base::GlobalLockScope lock(data);
        const auto* picture = static_cast<const METAFILEPICT*>(lock.data());
        std::string bits(GetMetaFileBitsEx(picture->hMF, 0, nullptr), '\0');
        GetMetaFileBitsEx(picture->hMF, static_cast<UINT>(bits.size()), bits.data());
        return metafilePictureBytes({picture->mm, picture->xExt, picture->yExt, bits});
    }
    case FormatData::Palette: {
        const UINT entries = GetPaletteEntries(static_cast<HPALETTE>(data), 0, 0, nullptr);
        std::string bytes(4 + 4 * static_cast<std::size_t>(entries), '\0');
        bytes[1] = 0x03;  // palVersion 0x300
        bytes[2] = static_cast<char>(entries & 0xFF);
        bytes[3] = static_cast<char>(entries >> 8);
        GetPaletteEntries(static_cast<HPALETTE>(data), 0, entries, reinterpret_cast<PALETTEENTRY*>(bytes.data() + 4));
        return bytes;
    }
    default:
        return {};
    }
}

}  // namespace

HANDLE clipboardDataFromBytes(unsigned format, const std::string& bytes) {
    if (bytes.empty())
        return nullptr;
    switch (formatData(static_cast<int>(format))) {
    case FormatData::Memory: {
        base::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
        base::GlobalLockScope lock(memory.get());
        if (!lock.data())
            return nullptr;
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(lock.data()));
        return memory.release();
    }
    case FormatData::EnhancedMetafile:
        return SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), reinterpret_cast<const BYTE*>(bytes.data()));
    case FormatData::MetafilePicture: {
        const std::optional<MetafilePicture> picture = parseMetafilePicture(bytes);
        if (!picture)
            return nullptr;
        HMETAFILE metafile = SetMetaFileBitsEx(static_cast<UINT>(picture->bits.size()),
                                               reinterpret_cast<const BYTE*>(picture->bits.data()));
        base::UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT)));
        base::GlobalLockScope lock(block.get());
        if (!metafile || !lock.data()) {
            if (metafile)
                DeleteMetaFile(metafile);
            return nullptr;
        }
        *static_cast<METAFILEPICT*>(lock.data()) = METAFILEPICT{picture->mappingMode, picture->width, picture->height, metafile};
        return block.release();
    }
    case FormatData::Palette: {
        if (!paletteEntryCount(bytes))
            return nullptr;
        std::vector<char> palette(bytes.begin(), bytes.end());
        return CreatePalette(reinterpret_cast<const LOGPALETTE*>(palette.data()));
    }
    default:
        return nullptr;
    }
}

void freeClipboardData(unsigned format, HANDLE data) {
    if (!data)
        return;
    switch (formatData(static_cast<int>(format))) {
    case FormatData::EnhancedMetafile:
        DeleteEnhMetaFile(static_cast<HENHMETAFILE>(data));
        break;
    case FormatData::MetafilePicture:
        if (base::GlobalLockScope lock(data); lock.data())
            DeleteMetaFile(static_cast<const METAFILEPICT*>(lock.data())->hMF);
        GlobalFree(data);
        break;
    case FormatData::Palette:
        DeleteObject(data);
        break;
    default:
        GlobalFree(data);
        break;
    }
}

std::size_t clipBudget() {
    static const std::size_t budget = [] {
        wchar_t value[16] = {};
        const DWORD length = GetEnvironmentVariableW(L"DRAVIX_CLIP_BUDGET_MB", value, 16);
        std::string digits;
        for (DWORD i = 0; i < length && i < 16; ++i)
            digits += value[i] < 0x80 ? static_cast<char>(value[i]) : '?';
        return clipBudgetBytes(digits, sizeof(void*) >= 8);
    }();
    return budget;
}

// The 54 bytes of headers, the colour table and the rows bottom-up.
std::string bitmapFileBytes(HBITMAP bitmap) {
    base::WindowDc screen(nullptr);
    BmpLayout layout;
    if (!bitmapLayout(screen.get(), bitmap, layout))
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
        base::PaletteScope palette(screen.get(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
        GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(layout.height), block.data() + infoSize + layout.colorTableSize,
                  reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS);
    }
    // Our own headers, so that the fields the conversion may fill in stay as the format says.
    const auto headers = bmpHeaders(layout);
    std::string file(reinterpret_cast<const char*>(headers.data()), headers.size());
    file.append(block.data() + infoSize, block.size() - infoSize);
    return file;
}

HBITMAP bitmapFromFileBytes(std::string_view file, int width, int height) {
    constexpr std::size_t kFileHeaderSize = 14;
    if (file.size() <= kFileHeaderSize || file[0] != 'B' || file[1] != 'M')
        return nullptr;
    // The headers read as GDI's structures: copied to memory aligned for them.
    const std::string_view dib = file.substr(kFileHeaderSize);
    const std::optional<DibInfo> layout = readDibInfo(dib);
    if (!layout)
        return nullptr;
    std::vector<DWORD> aligned((dib.size() + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(aligned.data(), dib.data(), dib.size());
    const auto* info = reinterpret_cast<const BITMAPINFO*>(aligned.data());
    width = width > 0 ? width : layout->width;
    height = height > 0 ? height : layout->height;
    base::WindowDc screen(nullptr);
    base::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    base::MemoryDc canvas(screen.get());
    if (!bitmap || !canvas)
        return nullptr;
    canvas.select(bitmap.get());
    SetStretchBltMode(canvas.get(), HALFTONE);
    if (!CHECK_WIN32(StretchDIBits(canvas.get(), 0, 0, width, height, 0, 0, layout->width, layout->height,
                                   reinterpret_cast<const char*>(aligned.data()) + layout->pixelOffset, info,
                                   DIB_RGB_COLORS, SRCCOPY)))
        return nullptr;
    canvas.reset();
    return bitmap.release();
}

// A request for data that returned after the clipboard was let go of (the recorder's go was cut
// short in it) hands out a handle that is no longer ours to read.
bool ClipboardCopy::stillOpen() const {
    return !m_opener || GetOpenClipboardWindow() == m_opener;
}

bool ClipboardCopy::fits(std::size_t size) {
    if (!fitsBudget(m_used, size, m_budget)) {
        ++m_leftOut;
        m_leftOutBytes += size;
        return false;
    }
    m_used += size;
    return true;
}

// A format whose data the source did not hand out counts as read (there is nothing to keep).
// What is kept counts against the budget: a memory block's bytes, a bitmap's file. False when
// the clipboard is no longer open for us.
bool ClipboardCopy::copyFormat(std::size_t position) {
    const UINT format = m_formats[position];
    if (m_pictureIsDib && deriveFromDib(position))
        return true;
    SetLastError(ERROR_SUCCESS);
    HANDLE data = GetClipboardData(format);
    if (!data)
        return GetLastError() != ERROR_CLIPBOARD_NOT_OPEN;
    if (!stillOpen())
        return false;
    try {
        std::string bytes;
        switch (formatData(static_cast<int>(format))) {
        case FormatData::Memory:
            if (!fits(GlobalSize(data)))
                return leaveOut(format);
            bytes = blockBytes(data);
            break;
        case FormatData::Bitmap: {
            base::WindowDc screen(nullptr);
            BmpLayout layout;
            if (bitmapLayout(screen.get(), static_cast<HBITMAP>(data), layout)) {
                if (!fits(layout.fileSize))
                    return leaveOut(format);
                m_bitmapFile = bitmapFileBytes(static_cast<HBITMAP>(data));
            }
            break;
        }
        case FormatData::NotKept:
            m_notKept.push_back(format);  // listed with the clip, but no program can have it back
            break;
        default: {
            const std::optional<std::size_t> size = handleDataSize(format, data);
            if (!size || !fits(*size))
                return leaveOut(format);
            bytes = handleDataBytes(format, data);
            break;
        }
        }
        m_data[position] = std::move(bytes);
        ++m_copied;
    } catch (const std::bad_alloc&) {
        leaveOut(format);
        base::Trace("clipboard format %u left out: no memory for it", format);
    }
    return true;
}

// A format over the budget, or whose memory or bytes could not be had, is left out of the copy.
bool ClipboardCopy::leaveOut(unsigned format) {
    if (std::find(m_notKept.begin(), m_notKept.end(), format) == m_notKept.end())
        m_notKept.push_back(format);
    return true;
}

// The DIB, read once: null when the source did not hand it out or it is over the budget alone.
const std::string* ClipboardCopy::sourceDib() {
    if (!m_dibRead) {
        SetLastError(ERROR_SUCCESS);
        HANDLE data = GetClipboardData(CF_DIB);
        if (data && !stillOpen())
            return nullptr;  // tried again at the next go
        m_dibRead = data || GetLastError() != ERROR_CLIPBOARD_NOT_OPEN;  // else tried again at the next go
        if (data && GlobalSize(data) <= m_budget) {
            try {
                m_dib = blockBytes(data);
            } catch (const std::bad_alloc&) {
                base::Trace("the picture's DIB left out: no memory for it");
            }
        }
    }
    return m_dib && !m_dib->empty() ? &*m_dib : nullptr;
}

// The picture's formats when the source gave a DIB alone: each counted against the budget here,
// the bitmap file and the DIBV5 made in take(). False: the clipboard is asked, as for any format
// (the DIB cannot be read, or it is of a kind only the system converts).
bool ClipboardCopy::deriveFromDib(std::size_t position) {
    const unsigned format = m_formats[position];
    if (format != CF_BITMAP && format != CF_DIB && format != CF_DIBV5)
        return false;
    const std::string* dib = sourceDib();
    if (!dib)
        return false;
    std::optional<std::size_t> size;
    if (format == CF_DIB) {
        size = dib->size();
    } else if (format == CF_DIBV5) {
        size = dibV5Size(*dib);
    } else if (const std::optional<DibInfo> info = readDibInfo(*dib)) {
        base::WindowDc screen(nullptr);
        BmpLayout layout;
        if (computeBmpLayout(info->width, info->height, fileBitCount(screen.get()), layout))
            size = layout.fileSize;
    }
    if (!size)
        return false;
    if (fits(*size)) {
        if (format == CF_DIB)
            m_dibPosition = position;
        else if (format == CF_DIBV5)
            m_dibV5Position = position;
        else
            m_bitmapFromDib = true;
        m_data[position] = std::string();  // filled in take()
        ++m_copied;
    }
    return true;
}

void ClipboardCopy::finishDerived() {
    if (!m_dib)
        return;
    try {
        if (m_bitmapFromDib)
            m_bitmapFile = bitmapFileFromDib(*m_dib);
        if (m_dibV5Position)
            m_data[*m_dibV5Position] = dibV5FromDib(*m_dib).value_or(std::string());
    } catch (const std::bad_alloc&) {
        ++m_leftOut;
        base::Trace("the picture's bitmap left out: no memory for it");
    }
    if (m_dibPosition)
        m_data[*m_dibPosition] = std::move(*m_dib);
    m_dib.reset();
}

// Under Wine the clipboard can be taken from a reader while the owner's window is destroyed:
// a listing or a format that fails for that is tried again at the next go.
bool ClipboardCopy::copyOpenClipboard(const std::function<bool()>& mayAskNext) {
    m_opener = GetOpenClipboardWindow();
    if (!m_listed && !listFormats())
        return false;
    for (; m_next < m_order.size(); ++m_next) {
        if (!mayAskNext() || !copyFormat(m_order[m_next]))
            return false;
    }
    return true;
}

bool ClipboardCopy::listFormats() {
    std::vector<unsigned> formats;
    SetLastError(ERROR_SUCCESS);
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        formats.push_back(format);
    if (GetLastError() != ERROR_SUCCESS)
        return false;
    m_listed = true;
    m_formats = std::move(formats);
    m_order = readingOrder(m_formats);
    m_pictureIsDib = sourcePictureFormat(m_formats) == CF_DIB;
    m_data.resize(m_formats.size());
    return true;
}

ClipSnapshot ClipboardCopy::take() {
    finishDerived();
    ClipSnapshot snapshot;
    for (std::size_t position = 0; position < m_formats.size(); ++position) {
        if (!m_data[position])
            continue;
        snapshot.formats.push_back({static_cast<int>(snapshot.formats.size()), m_formats[position], std::move(*m_data[position])});
        m_data[position].reset();
    }
    snapshot.bitmapFile = std::move(m_bitmapFile);
    snapshot.notKept = std::move(m_notKept);
    return snapshot;
}

ClipSnapshot readOpenClipboard() {
    ClipboardCopy copy;
    copy.copyOpenClipboard([] { return true; });
    if (copy.leftOut())
        base::Trace("clipboard copied without %u formats (%u MB): over the budget of %u MB",
                  static_cast<unsigned>(copy.leftOut()), static_cast<unsigned>(copy.leftOutBytes() / kMegabyte),
                  static_cast<unsigned>(clipBudget() / kMegabyte));
    return copy.take();
}

}  // namespace store
