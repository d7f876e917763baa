// CMyClipboard: moving clipboard contents to and from the store. The clipboard is held open
// only to copy its contents into memory (or back); the store is written afterwards under the
// store lock, so that no process ever waits for the lock while holding the clipboard.
#include "hooklib/MyClipboard.h"

#include "store/ClipNames.h"
#include "store/ClipboardCapture.h"
#include "store/FileSystem.h"
#include "hooklib/OwnChanges.h"
#include "hooklib/SharedState.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Trace.h"

#include <algorithm>

using namespace store;

CMyClipboard theClipboard;

// A format's bytes on the open clipboard. The data made of them is ours until SetClipboardData
// takes it; false (the failure traced) when it could not be made or was not taken.
bool CMyClipboard::setFormatData(unsigned format, const std::string& bytes) {
    void* data = store::clipboardDataFromBytes(format, bytes);
    if (!data) {
        base::Trace("clipboard format %u could not be made from %u bytes", format, static_cast<unsigned>(bytes.size()));
        return false;
    }
    if (CHECK_WIN32(SetClipboardData(format, data)))
        return true;
    store::freeClipboardData(format, data);
    return false;
}

CMyClipboard::~CMyClipboard() = default;

const StorePaths& CMyClipboard::paths() {
    if (!m_paths)
        m_paths.emplace(userStoreFolder());
    return *m_paths;
}

// The clipboard is opened to read it; `wanted` decides from its change and owner, before any
// data is asked for, whether it is read at all. It is opened for a window of ours: Wine lets a
// second opener without a window take over a clipboard opened without one.
CMyClipboard::Captured CMyClipboard::captureClipboard(HWND opener, const std::function<bool(DWORD, DWORD)>& wanted,
                                                      int openTries) {
    Captured captured;
    base::ClipboardScope clipboard(opener, openTries, 200 / openTries);
    if (!clipboard.isOpen()) {
        base::ReportFailure("OpenClipboard");
        return captured;
    }
    captured.opened = true;
    captured.sequence = GetClipboardSequenceNumber();
    if (wanted && !wanted(captured.sequence, processOfWindow(GetClipboardOwner())))
        return captured;
    captured.taken = true;
    captured.snapshot = captureOpenClipboard();
    return captured;
}

int CMyClipboard::SaveClip(std::string_view clip) {
    const Captured captured = captureClipboard(findMainWindow(), nullptr);
    if (!captured.opened)
        return 0;
    if (captured.snapshot.empty())
        return 1;
    followSharedSealing();
    if (writeClip(paths(), clip, captured.snapshot))
        return 1;
    base::Trace("clip %.*s not stored: the store could not be written", static_cast<int>(clip.size()), clip.data());
    return 0;
}

std::map<std::string, std::u16string> CMyClipboard::fileListTexts(const std::vector<std::string>& clips) {
    return store::fileListTexts(paths(), clips);
}

// The clipboard emptied and the formats put on it, owned by `opener`. Delayed, each format is
// promised and its data handed out when asked for (CChordWnd). The change is noted as the
// library's from the moment the clipboard is open, so no other program's change falls inside.
CMyClipboard::Put CMyClipboard::putFormats(const Formats& formats, const PutRequest& request) {
    base::ClipboardScope clipboard(request.opener);
    if (!clipboard.isOpen()) {
        base::ReportFailure("OpenClipboard");
        return Put::Failed;
    }
    // Another program copied since the user's clipboard was kept, or the main program has not
    // read it yet: emptying it now would lose that copy.
    if (request.unchangedSince && (GetClipboardSequenceNumber() != *request.unchangedSince ||
                                   (request.requireSeen && !recorderSawClipboard())))
        return Put::Changed;
    COwnChange change = COwnChange::begin(processOfWindow(request.opener));
    bool put = EmptyClipboard() != 0;
    if (!put)
        base::ReportFailure("EmptyClipboard");
    for (const auto& [format, bytes] : formats) {
        if (!put)
            break;
        if (!request.delayed) {
            put = setFormatData(format, bytes);
            continue;
        }
        // A promise (no data) succeeds with a null handle: only the error tells.
        SetLastError(ERROR_SUCCESS);
        if (!SetClipboardData(format, nullptr) && GetLastError() != ERROR_SUCCESS) {
            base::ReportFailure("SetClipboardData");
            put = false;
        }
    }
    // What keeps other readers (the system's clipboard history, other clipboard tools) away from
    // a clip offered for one target: the marks careful programs put on what they copy.
    for (const auto& [format, bytes] : request.marks)
        if (put)
            put = setFormatData(format, bytes);
    if (!clipboard.close()) {
        base::ReportFailure("CloseClipboard");
        put = false;
    }
    return put ? Put::Done : Put::Failed;
}

// Nothing else changes: no window is activated, brought up or made topmost.
bool CMyClipboard::SetClipData(std::string_view clip, bool plainText) {
    HWND main = findMainWindow();
    const std::optional<Formats> stored = storedFormats(paths(), clip, plainText);
    if (!main || !stored || (plainText && stored->empty()))
        return false;  // nothing to paste (or sealed out of reach): the user's clipboard stays as it is
    return putFormats(stored.value_or(Formats{}), PutRequest::ownedBy(main)) == Put::Done;
}

// The clipboard is left as it is unless the user's contents were written first.
std::optional<CMyClipboard::Kept> CMyClipboard::SaveTempClip(HWND opener) {
    Captured captured = captureClipboard(opener, nullptr);
    if (!captured.opened) {
        base::Trace("the user's clipboard could not be read: it is not kept");
        return std::nullopt;
    }
    followSharedSealing();
    if (!writeClip(paths(), kTempClipName, captured.snapshot)) {
        base::Trace("the user's clipboard could not be written as %s: it stays as it is", std::string(kTempClipName).c_str());
        return std::nullopt;
    }
    return Kept{std::move(captured.snapshot), captured.sequence};
}

bool CMyClipboard::SetClipDataOverKept(std::string_view clip) {
    HWND main = findMainWindow();
    const std::optional<Formats> stored = storedFormats(paths(), clip, false);
    for (int attempt = 0; main && stored && attempt < 3; ++attempt) {
        const std::optional<Kept> kept = SaveTempClip(main);
        if (!kept)
            return false;
        const Put put = putFormats(*stored, PutRequest::ownedBy(main, kept->sequence));
        if (put != Put::Changed)
            return put == Put::Done;
    }
    return false;
}

bool CMyClipboard::RestoreTempClip() {
    HWND main = findMainWindow();
    const std::optional<Formats> kept = storedFormats(paths(), kTempClipName, false);
    if (!kept || kept->empty()) {
        base::Trace("no kept copy of the user's clipboard: the clipboard stays as it is");
        return false;
    }
    return main && putFormats(*kept, PutRequest::ownedBy(main)) == Put::Done;
}

int CMyClipboard::SaveBitmapFile(HBITMAP bitmap, const std::string& path) {
    const std::string file = bitmapFileBytes(bitmap);
    return !file.empty() && files::writeAtomically(path, file) ? 1 : 0;
}
