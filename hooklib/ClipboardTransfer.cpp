// CMyClipboard: moving clipboard contents to and from the store. The clipboard is held open
// only to copy its contents into memory (or back); the store is written afterwards under the
// store lock, so that no process ever waits for the lock while holding the clipboard.
#include "MyClipboard.h"

#include "FileSystem.h"
#include "SharedState.h"
#include "StoreFile.h"
#include "StoreFormat.h"
#include "XmlDocument.h"
#include "fw/Handle.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace store;

CMyClipboard theClipboard;

namespace {

struct CapturedFormat {
    int index;             // its place in the clipboard's enumeration
    UINT format;
    std::string bytes;     // the memory block; empty for a format whose data is a handle
};

struct CapturedClipboard {
    std::vector<CapturedFormat> formats;
    std::string bitmapFile;  // CF_BITMAP as a bitmap file, when there is one
};

std::string blockBytes(HANDLE data) {
    fw::GlobalLockScope lock(data);
    if (!lock.data() || !lock.size())
        return {};
    return std::string(static_cast<const char*>(lock.data()), lock.size());
}

// A Windows bitmap file with the display's depth: the 54 bytes of headers, the colour table
// and the rows bottom-up. Empty when the bitmap cannot be read.
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

// Every format of the open clipboard, in the clipboard's own order.
void captureClipboard(CapturedClipboard& captured) {
    const int count = CountClipboardFormats();
    UINT format = 0;
    for (int i = 0; i < count; ++i) {
        format = EnumClipboardFormats(format);
        if (format == 0)
            continue;  // the next index enumerates from the start again
        HANDLE data = GetClipboardData(format);
        CapturedFormat entry{i, format, {}};
        if (data && formatHoldsMemory(static_cast<int>(format)))
            entry.bytes = blockBytes(data);
        if (data && format == CF_BITMAP)
            captured.bitmapFile = bitmapFileBytes(static_cast<HBITMAP>(data));
        captured.formats.push_back(std::move(entry));
    }
}

// The stored bytes of a format as a movable memory block for the clipboard; null when empty.
HGLOBAL globalBlock(const std::string& bytes) {
    if (bytes.empty())
        return nullptr;
    fw::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!memory)
        return nullptr;
    {
        fw::GlobalLockScope lock(memory.get());
        if (!lock.data())
            return nullptr;
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(lock.data()));
    }
    return memory.release();
}

}  // namespace

CMyClipboard::~CMyClipboard() = default;

const StorePaths& CMyClipboard::paths() {
    if (!m_paths)
        m_paths.emplace(userStoreFolder());
    return *m_paths;
}

int CMyClipboard::SaveClip(std::string_view clip) {
    return storeClipboard(clip, GetClipboardOwner(), false);
}

// The clipboard's formats become the clip: the old format keys and the copy time go, the times
// are stamped, and each format gets its key and data file (a bitmap also its bitmap file). An
// empty clipboard stores nothing and leaves the clip as it was, except the kept clipboard
// (`emptyAfterwards`), whose old keys go so that no earlier contents come back for it.
int CMyClipboard::storeClipboard(std::string_view clip, HWND openFor, bool emptyAfterwards) {
    CapturedClipboard captured;
    bool closed;
    {
        fw::ClipboardScope clipboard(openFor);
        if (!clipboard.isOpen())
            return 0;
        captureClipboard(captured);
        if (emptyAfterwards)
            EmptyClipboard();
        closed = clipboard.close();
    }
    const bool empty = captured.formats.empty();
    if (empty && !emptyAfterwards)
        return closed ? 1 : 0;

    const StorePaths& store = paths();
    updateStoreFile(store.indexFile(), empty ? IfMissing::Skip : IfMissing::Create, [&](XmlDocument& doc) {
        bool removed = false;
        const int oldKeys = std::max(kMaxFormatsPerClip, static_cast<int>(captured.formats.size()));
        for (int i = 0; i < oldKeys; ++i)
            if (findRootChild(doc, formatElementName(clip, i)) && doc.enterElement() && doc.deleteElement())
                removed = true;
        if (empty)
            return removed;
        if (findRootChild(doc, timeElementName(clip)) && doc.enterElement())
            doc.deleteElement();
        const std::string stamp = currentTimeStamp();
        setRootChild(doc, timeElementName(clip), stamp);
        setRootChild(doc, useTimeElementName(clip), stamp);
        files::createFolder(store.dataFolder());
        for (const CapturedFormat& entry : captured.formats) {
            const std::string key = formatElementName(clip, entry.index);
            setRootChild(doc, key, std::to_string(entry.format));
            files::writeAtomically(store.dataFile(key), entry.bytes);
        }
        if (!captured.bitmapFile.empty())
            files::writeAtomically(store.bitmapFile(clip), captured.bitmapFile);
        return true;
    });
    return closed ? 1 : 0;
}

// Puts the clip's formats back, in index order, with the main window as the clipboard's owner.
// Nothing else changes: no window is activated, brought up or made topmost.
bool CMyClipboard::SetClipData(std::string_view clip, bool plainText) {
    HWND main = findMainWindow();
    if (!main)
        return false;
    std::vector<std::pair<UINT, std::string>> stored;
    XmlDocument doc;
    if (readStoreFile(paths().indexFile(), doc) == FileState::Loaded) {
        doc.resetPosition();
        if (doc.findElement() && doc.enterElement()) {
            for (int i = 0; doc.findElement(formatElementName(clip, i)); ++i) {
                const int format = std::atoi(doc.elementText().c_str());
                if (format < 1)
                    break;
                if (!formatRestoresFromBytes(format) || (plainText && !isPlainTextFormat(format)))
                    continue;
                std::optional<std::string> bytes = files::readAll(paths().dataFile(formatElementName(clip, i)));
                if (bytes && !bytes->empty())
                    stored.emplace_back(static_cast<UINT>(format), std::move(*bytes));
            }
        }
    }
    if (plainText && stored.empty())
        return false;  // nothing to paste: the user's clipboard stays as it is
    fw::ClipboardScope clipboard(main);
    if (!clipboard.isOpen())
        return false;
    EmptyClipboard();
    for (const auto& [format, bytes] : stored)
        if (HGLOBAL memory = globalBlock(bytes))
            if (!SetClipboardData(format, memory))
                GlobalFree(memory);
    return true;
}

// The user's clipboard is kept as the clip "tempFile" (an empty clipboard leaves no old
// "tempFile" behind) and the clipboard is emptied.
void CMyClipboard::SaveTempClip() {
    storeClipboard(kTempClipName, GetActiveWindow(), true);
}

int CMyClipboard::SaveBitmapFile(HBITMAP bitmap, const std::string& path) {
    const std::string file = bitmapFileBytes(bitmap);
    return !file.empty() && files::writeAtomically(path, file) ? 1 : 0;
}
