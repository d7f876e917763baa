#include "hooklib/ClipboardTransfer.h"

#include "hooklib/OwnChanges.h"
#include "hooklib/SharedState.h"
#include "store/ClipNames.h"
#include "store/ClipboardCopy.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Trace.h"

namespace hooklib::transfer {

// The data made of the bytes is ours until SetClipboardData takes it.
bool setFormatData(unsigned format, const std::string& bytes) {
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

ClipboardRead readClipboard(HWND opener, const std::function<bool(DWORD, DWORD)>& wanted, int openTries) {
    ClipboardRead read;
    base::ClipboardScope clipboard(opener, openTries, 200 / openTries);
    if (!CHECK_WIN32(clipboard.isOpen()))
        return read;
    read.opened = true;
    read.sequence = GetClipboardSequenceNumber();
    if (wanted && !wanted(read.sequence, processOfWindow(GetClipboardOwner())))
        return read;
    read.taken = true;
    read.snapshot = store::readOpenClipboard();
    return read;
}

namespace {

// Each format promised: its data is handed out when asked for (CChordWnd). A promise succeeds
// with a null handle: only the error tells.
bool promiseFormat(unsigned format) {
    return CHECK_WIN32_ERROR(SetClipboardData(format, nullptr));
}

}  // namespace

// The change is noted as the library's from the moment the clipboard is open, so no other
// program's change falls inside.
Put putFormats(const Formats& formats, const PutRequest& request) {
    base::ClipboardScope clipboard(request.opener);
    if (!CHECK_WIN32(clipboard.isOpen()))
        return Put::Failed;
    // Another program copied since the user's clipboard was kept, or the main program has not
    // read it yet: emptying it now would lose that copy.
    if (request.unchangedSince && (GetClipboardSequenceNumber() != *request.unchangedSince ||
                                   (request.requireSeen && !recorderSawClipboard())))
        return Put::Changed;
    COwnChange change = COwnChange::begin(processOfWindow(request.opener));
    bool put = CHECK_WIN32(EmptyClipboard()) != 0;
    for (const auto& [format, bytes] : formats)
        put = put && (request.delayed ? promiseFormat(format) : setFormatData(format, bytes));
    // What keeps other readers (the system's clipboard history, other clipboard tools) away from
    // a clip offered for one target: the marks careful programs put on what they copy.
    for (const auto& [format, bytes] : request.marks)
        put = put && setFormatData(format, bytes);
    put = CHECK_WIN32(clipboard.close()) && put;
    return put ? Put::Done : Put::Failed;
}

int saveClip(const store::StorePaths& paths, std::string_view clip) {
    const ClipboardRead read = readClipboard(findMainWindow(), nullptr);
    if (!read.opened)
        return 0;
    if (read.snapshot.empty())
        return 1;
    followSharedSealing();
    if (store::writeClip(paths, clip, read.snapshot))
        return 1;
    base::Trace("clip %.*s not stored: the store could not be written", static_cast<int>(clip.size()), clip.data());
    return 0;
}

// The clipboard is left as it is unless the user's contents were written first.
std::optional<Kept> keepUserClipboard(const store::StorePaths& paths, HWND opener) {
    ClipboardRead read = readClipboard(opener, nullptr);
    if (!read.opened) {
        base::Trace("the user's clipboard could not be read: it is not kept");
        return std::nullopt;
    }
    followSharedSealing();
    if (!store::writeClip(paths, store::kTempClipName, read.snapshot)) {
        base::Trace("the user's clipboard could not be written as %s: it stays as it is",
                    std::string(store::kTempClipName).c_str());
        return std::nullopt;
    }
    return Kept{std::move(read.snapshot), read.sequence};
}

// Nothing else changes: no window is activated, brought up or made topmost.
bool putClipOverKept(const store::StorePaths& paths, std::string_view clip) {
    HWND main = findMainWindow();
    const std::optional<Formats> stored = store::storedFormats(paths, clip, false);
    for (int attempt = 0; main && stored && attempt < 3; ++attempt) {
        const std::optional<Kept> kept = keepUserClipboard(paths, main);
        if (!kept)
            return false;
        const Put put = putFormats(*stored, PutRequest::ownedBy(main, kept->sequence));
        if (put != Put::Changed)
            return put == Put::Done;
    }
    return false;
}

bool restoreKeptClip(const store::StorePaths& paths) {
    HWND main = findMainWindow();
    const std::optional<Formats> kept = store::storedFormats(paths, store::kTempClipName, false);
    if (!kept || kept->empty()) {
        base::Trace("no kept copy of the user's clipboard: the clipboard stays as it is");
        return false;
    }
    return main && putFormats(*kept, PutRequest::ownedBy(main)) == Put::Done;
}

}  // namespace hooklib::transfer
