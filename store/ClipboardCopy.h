// Copies the open clipboard into memory: every format as the clipboard lists it, and its bitmap
// as a bitmap file, within a budget over all formats (ClipBudget.h). Used by the hook library's
// transfer and by the main program's recorder; the Win32 side is in ClipboardCopy_win.cpp.
// Portable header: no <windows.h>.
#pragma once

#include "store/ClipSnapshot.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The bitmap handle as <windows.h> declares it (HBITMAP, under STRICT, its default), named here
// without it.
struct HBITMAP__;
struct HWND__;

namespace store {

// This process's budget for one copy: the architecture's own, lowered by the environment
// variable DRAVIX_CLIP_BUDGET_MB (read once).
std::size_t clipBudget();

// A copy of the clipboard made in one go or in several, the clipboard opened for each: formats
// rendered only on request are asked for one at a time, and a go ends before the next format
// when the caller says so (the clipboard has been open long enough, or its owner stopped
// answering). The texts are read first; a format that does not fit the budget is left out, and
// so is one whose memory cannot be had. A picture given as a DIB alone has its bitmap file and
// DIBV5 made from the DIB in take(), out of the clipboard (DibBlocks.h).
class ClipboardCopy {
public:
    explicit ClipboardCopy(std::size_t budget = clipBudget()) : m_budget(budget) {}

    // One go, with the clipboard open: lists its formats the first time, then copies those not
    // copied yet while `mayAskNext()` says yes (asked before each format's data is asked for).
    // True when every format has been copied or left out.
    bool copyOpenClipboard(const std::function<bool()>& mayAskNext);

    std::size_t copied() const { return m_copied; }
    std::size_t leftOut() const { return m_leftOut; }
    std::size_t leftOutBytes() const { return m_leftOutBytes; }
    std::size_t formatCount() const { return m_formats.size(); }
    // What was copied, in the clipboard's own order and numbered without gaps.
    ClipSnapshot take();

private:
    bool listFormats();
    bool copyFormat(std::size_t position);
    bool fits(std::size_t size);
    bool leaveOut(unsigned format);
    bool stillOpen() const;
    bool deriveFromDib(std::size_t position);
    const std::string* sourceDib();
    void finishDerived();

    std::size_t m_budget;
    std::size_t m_used = 0;
    bool m_listed = false;
    std::vector<unsigned> m_formats;            // the clipboard's formats, in its order
    std::vector<std::size_t> m_order;           // the order they are read in
    std::size_t m_next = 0;                     // the next place in m_order
    std::vector<std::optional<std::string>> m_data;  // by position: the bytes, once copied
    std::string m_bitmapFile;
    // The picture's DIB when the source gave nothing else: read once, for the formats made
    // from it and for its own place.
    bool m_pictureIsDib = false;
    std::optional<std::string> m_dib;
    bool m_dibRead = false;
    bool m_bitmapFromDib = false;
    std::optional<std::size_t> m_dibPosition, m_dibV5Position;
    std::size_t m_copied = 0, m_leftOut = 0, m_leftOutBytes = 0;
    HWND__* m_opener = nullptr;  // the window the clipboard was opened for at this go
    std::vector<unsigned> m_notKept;
};

// Every format of the open clipboard in one go. Data the source renders only on request is
// asked for here: the caller makes sure the source answers first.
ClipSnapshot readOpenClipboard();

// A format's kept bytes as the data the clipboard takes (ClipFormats.h: a memory block, or the
// handle of its kind made from them); null when there is nothing to put or it cannot be made.
// After SetClipboardData takes it the system owns it; until then freeClipboardData frees it.
void* clipboardDataFromBytes(unsigned format, const std::string& bytes);
void freeClipboardData(unsigned format, void* data);

// A Windows bitmap file with the display's depth; empty when the bitmap cannot be read.
std::string bitmapFileBytes(HBITMAP__* bitmap);
// The picture of a bitmap file's bytes (as bitmapFileBytes and the thumbnails make them) as a bitmap
// of the display's, `width` x `height` (0: its own size); the caller owns it. Null for bytes that are
// no such file. Sealed files are opened first (store/DataFiles.h), so nothing loads them by name.
HBITMAP__* bitmapFromFileBytes(std::string_view file, int width = 0, int height = 0);

}  // namespace store
