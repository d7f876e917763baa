// CMyClipboard: moving clipboard contents to and from the store.
#include "MyClipboard.h"

#include "SharedState.h"
#include "StatusKeys.h"
#include "StoreFormat.h"
#include "XmlDocument.h"
#include "fw/Handle.h"
#include "fw/Text.h"

#include <cstdlib>
#include <vector>

using namespace store;

CMyClipboard theClipboard;

namespace {

fw::UniqueFile createFileForWriting(const std::string& path, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return fw::UniqueFile(
        CreateFileW(fw::toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, flags, nullptr));
}

bool writeAll(HANDLE file, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

// The data file of one format: the memory block's bytes, or an empty file for a handle that
// is not memory.
void writeFormatFile(const std::string& path, HANDLE data, UINT format) {
    fw::UniqueFile file = createFileForWriting(path);
    if (!file || !formatHoldsMemory(static_cast<int>(format)))
        return;
    fw::GlobalLockScope lock(data);
    if (lock.data() && lock.size())
        writeAll(file.get(), lock.data(), lock.size());
}

// The stored bytes of a format as a movable memory block for the clipboard; null when the file
// is missing or empty.
HGLOBAL readFormatFile(const std::string& path) {
    fw::UniqueFile file(CreateFileW(fw::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
        static_cast<unsigned long long>(size.QuadPart) > static_cast<SIZE_T>(-1) / 2)
        return nullptr;
    fw::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size.QuadPart)));
    if (!memory)
        return nullptr;
    {
        fw::GlobalLockScope lock(memory.get());
        char* at = static_cast<char*>(lock.data());
        if (!at)
            return nullptr;
        for (long long left = size.QuadPart; left > 0;) {
            const DWORD chunk = left > (1 << 30) ? (1u << 30) : static_cast<DWORD>(left);
            DWORD read = 0;
            if (!ReadFile(file.get(), at, chunk, &read, nullptr) || read == 0)
                return nullptr;
            at += read;
            left -= read;
        }
    }
    return memory.release();
}

void removeIndexKeys(const std::string& indexPath, const std::vector<std::string>& keys) {
    XmlDocument doc;
    if (!doc.loadFile(indexPath))
        return;
    bool changed = false;
    for (const std::string& key : keys)
        if (findRootChild(doc, key) && doc.enterElement() && doc.deleteElement())
            changed = true;
    if (changed)
        doc.saveFile(indexPath);
}

std::vector<std::string> formatKeys(std::string_view clip) {
    std::vector<std::string> keys;
    for (int i = 0; i < kMaxFormatsPerClip; ++i)
        keys.push_back(formatElementName(clip, i));
    return keys;
}

}  // namespace

CMyClipboard::CMyClipboard() {
    wchar_t buffer[MAX_PATH] = {};
    GetWindowsDirectoryW(buffer, MAX_PATH);
    m_strWindowsDir = fw::toUtf8(buffer);
}

CMyClipboard::~CMyClipboard() = default;

std::string CMyClipboard::indexPath() const {
    return m_strWindowsDir + "\\" + std::string(kIndexFileName);
}

std::string CMyClipboard::statusPath() const {
    return m_strWindowsDir + "\\" + std::string(kStatusFileName);
}

std::string CMyClipboard::dataFolder() const {
    return m_strWindowsDir + "\\" + std::string(kDataFolderName);
}

void CMyClipboard::SetStoreValue(std::string_view text, std::string_view key) {
    XmlDocument doc;
    if (!doc.loadFile(indexPath()))
        startEmptyStore(doc);
    setRootChild(doc, key, text);
    doc.saveFile(indexPath());
}

// Every format on the clipboard, in the clipboard's own order: a key and a data file each.
// The index is loaded once and saved once, with the same result as writing key by key.
int CMyClipboard::SaveClip(std::string_view clip) {
    fw::ClipboardScope clipboard(GetClipboardOwner());
    if (!clipboard.isOpen())
        return 0;
    const int count = CountClipboardFormats();
    if (count <= 0)
        return clipboard.close();

    std::vector<std::string> oldKeys = formatKeys(clip);
    oldKeys.push_back(timeElementName(clip));
    removeIndexKeys(indexPath(), oldKeys);

    XmlDocument doc;
    if (!doc.loadFile(indexPath()))
        startEmptyStore(doc);
    const std::string stamp = currentTimeStamp();
    setRootChild(doc, timeElementName(clip), stamp);
    setRootChild(doc, useTimeElementName(clip), stamp);

    CreateDirectoryW(fw::toWide(dataFolder()).c_str(), nullptr);
    UINT format = 0;
    for (int i = 0; i < count; ++i) {
        format = EnumClipboardFormats(format);
        if (format == 0)
            continue;  // the next index enumerates from the start again
        const std::string key = formatElementName(clip, i);
        setRootChild(doc, key, std::to_string(format));
        HANDLE data = GetClipboardData(format);
        if (!data)
            continue;
        writeFormatFile(dataFolder() + "\\" + key, data, format);
        if (format == CF_BITMAP)
            SaveBitmapFile(static_cast<HBITMAP>(data), dataFolder() + "\\" + bitmapFileName(clip));
    }
    doc.saveFile(indexPath());
    return clipboard.close();
}

// Puts the clip's formats back, in index order, with the main window as the clipboard's owner.
void CMyClipboard::SetClipData(std::string_view clip) {
    HWND target = GetActiveWindow();
    HWND main = findMainWindow();
    if (!main)
        return;
    if (target)
        SetWindowPos(target, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(main);
    {
        fw::ClipboardScope clipboard(main);
        if (clipboard.isOpen()) {
            EmptyClipboard();
            XmlDocument doc;
            doc.loadFile(indexPath());
            doc.resetPosition();
            if (doc.findElement() && doc.enterElement()) {
                for (int i = 0; doc.findElement(formatElementName(clip, i)); ++i) {
                    const int format = std::atoi(doc.elementText().c_str());
                    if (format < 1)
                        break;
                    if (!formatRestoresFromBytes(format))
                        continue;
                    const std::string name = formatElementName(clip, i);
                    if (!isPlainFileName(name))
                        continue;
                    if (HGLOBAL memory = readFormatFile(dataFolder() + "\\" + name))
                        if (!SetClipboardData(static_cast<UINT>(format), memory))
                            GlobalFree(memory);
                }
            }
        }
    }
    if (target) {
        SetWindowPos(target, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(target);
    }
}

void CMyClipboard::SaveTempClip() {
    removeIndexKeys(indexPath(), formatKeys(kTempClipName));
    SaveClip(kTempClipName);
    fw::ClipboardScope clipboard(GetActiveWindow());
    if (clipboard.isOpen())
        EmptyClipboard();
}

// A Windows bitmap file with the display's depth: the 54 bytes of headers, the colour table
// and the rows bottom-up.
int CMyClipboard::SaveBitmapFile(HBITMAP bitmap, const std::string& path) {
    fw::WindowDc screen(nullptr);
    const int displayBits = GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
    BITMAP description;
    BmpLayout layout;
    if (!GetObjectW(bitmap, sizeof description, &description) ||
        !computeBmpLayout(description.bmWidth, description.bmHeight, bitCountForDisplay(displayBits), layout))
        return 0;
    const std::size_t infoSize = sizeof(BITMAPINFOHEADER);
    std::vector<char> block(infoSize + layout.colorTableSize + layout.pixelDataSize);
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
    info->biSize = static_cast<DWORD>(infoSize);
    info->biWidth = layout.width;
    info->biHeight = layout.height;
    info->biPlanes = 1;
    info->biBitCount = static_cast<WORD>(layout.bitCount);
    info->biCompression = BI_RGB;

    HPALETTE previous = SelectPalette(screen.get(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    RealizePalette(screen.get());
    GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(layout.height), block.data() + infoSize + layout.colorTableSize,
              reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS);
    if (previous) {
        SelectPalette(screen.get(), previous, TRUE);
        RealizePalette(screen.get());
    }

    fw::UniqueFile file = createFileForWriting(path, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
    if (!file)
        return 0;
    // Our own headers, so that the fields the conversion may fill in stay as the format says.
    const auto headers = bmpHeaders(layout);
    const bool written = writeAll(file.get(), headers.data(), headers.size()) &&
                         writeAll(file.get(), block.data() + infoSize, block.size() - infoSize);
    return written ? 1 : 0;
}
