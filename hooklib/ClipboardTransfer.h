// Moving clipboard contents to and from the store, for the chords and the exports. The clipboard
// is held open only to copy its contents into memory (or back); the store is written afterwards
// under the store lock, so that no process ever waits for the lock while holding the clipboard.
// Every change the library makes to the clipboard is noted as its own (OwnChanges.h), and every
// failure reaches the caller.
#pragma once

#include "store/ClipSnapshot.h"
#include "store/RestorableFormats.h"
#include "store/StorePaths.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace hooklib::transfer {

using Formats = store::RestorableFormats;  // (format, bytes)

// The clipboard as read by readClipboard.
struct ClipboardRead {
    bool opened = false;
    bool taken = false;  // `wanted` said yes and the formats were read
    DWORD sequence = 0;
    store::ClipSnapshot snapshot;
};
// The clipboard opened for `opener` (a window of ours: Wine lets a second opener without a
// window take over a clipboard opened without one); `wanted` decides from its change and owner,
// before any data is asked for, whether it is read at all.
ClipboardRead readClipboard(HWND opener, const std::function<bool(DWORD sequence, DWORD ownerProcess)>& wanted,
                            int openTries = 20);

enum class Put { Done, Changed, Failed };
struct PutRequest {
    HWND opener = nullptr;                // the clipboard's owner afterwards
    bool delayed = false;                 // data rendered on request: the range stays under way
    std::optional<DWORD> unchangedSince;  // only over the contents of this change, once the
    bool requireSeen = false;             // ... main program has read them
    Formats marks;                        // put with their data after the formats
    static PutRequest ownedBy(HWND opener, std::optional<DWORD> unchangedSince = std::nullopt) {
        PutRequest request;
        request.opener = opener;
        request.unchangedSince = unchangedSince;
        return request;
    }
};
// The clipboard emptied and the formats put on it, owned by `request.opener`; Changed when the
// clipboard is no longer what `unchangedSince` names (nothing was put).
Put putFormats(const Formats& formats, const PutRequest& request);
// A format's bytes on the open clipboard; false (traced) when not taken.
bool setFormatData(unsigned format, const std::string& bytes);

// The clipboard stored as `clip`: 1 when it was written (an empty clipboard stores nothing and
// leaves the clip as it was), 0 when the clipboard could not be opened or the store not written.
int saveClip(const store::StorePaths& paths, std::string_view clip);

// The user's clipboard, read into memory (the clipboard opened for `opener`) and written as the
// clip "tempFile" before anything of ours replaces it (an empty clipboard leaves no "tempFile");
// nothing when it could not be read or written, and then the clipboard must stay as it is.
struct Kept {
    store::ClipSnapshot snapshot;
    DWORD sequence = 0;  // the change it was read from
};
std::optional<Kept> keepUserClipboard(const store::StorePaths& paths, HWND opener);
// The clip put on the clipboard for the user, over the contents just kept (SetCurrentClipData).
bool putClipOverKept(const store::StorePaths& paths, std::string_view clip);
// "tempFile" put back (ResumeClipData); false, and the clipboard as it is, without one.
bool restoreKeptClip(const store::StorePaths& paths);

}  // namespace hooklib::transfer
