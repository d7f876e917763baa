// CMyClipboard: moving clipboard contents to and from the store. The clipboard is held open
// only to copy its contents into memory (or back); the store is written afterwards under the
// store lock, so that no process ever waits for the lock while holding the clipboard.
#include "MyClipboard.h"

#include "ClipboardCapture.h"
#include "FileSystem.h"
#include "SharedState.h"
#include "StoreFile.h"
#include "StoreFormat.h"
#include "XmlDocument.h"
#include "fw/Handle.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

using xml::XmlDocument;

using namespace store;

CMyClipboard theClipboard;

namespace {

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
    ClipSnapshot snapshot;
    bool closed;
    {
        fw::ClipboardScope clipboard(openFor);
        if (!clipboard.isOpen())
            return 0;
        snapshot = captureOpenClipboard();
        if (emptyAfterwards)
            EmptyClipboard();
        closed = clipboard.close();
    }
    if (snapshot.empty() && !emptyAfterwards)
        return closed ? 1 : 0;
    StagedClip staged(paths(), snapshot);
    updateStoreFile(paths().indexFile(), snapshot.empty() ? IfMissing::Skip : IfMissing::Create,
                    [&](XmlDocument& doc) { return staged.commit(doc, clip, currentTimeStamp()); });
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
    storeClipboard(kTempClipName, findMainWindow(), true);
}

int CMyClipboard::SaveBitmapFile(HBITMAP bitmap, const std::string& path) {
    const std::string file = bitmapFileBytes(bitmap);
    return !file.empty() && files::writeAtomically(path, file) ? 1 : 0;
}
