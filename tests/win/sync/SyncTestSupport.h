// Shared by the sync engine's Windows tests: texts as the clipboard holds them, and the events an
// engine hands over, gathered until there are enough.
#pragma once

#include "store/BmpLayout.h"
#include "store/ClipFormats.h"
#include "sync/SyncEngine.h"
#include "WinTestSupport.h"

#include <string>
#include <vector>

// UTF-16 bytes with their terminating zero, as format 13 holds them.
inline std::string utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

inline store::ClipSnapshot textClip(const std::wstring& text, std::string source = "C:\\Windows\\notepad.exe") {
    return {{{0, store::kFormatUnicodeText, utf16(text)}}, "", std::move(source), {}};
}

// A picture as the recorder keeps one: the DIB the clipboard gave, the bitmap's place, and the
// picture's file (its pixels grey; only the DIB goes back on a clipboard).
inline store::ClipSnapshot pictureClip(const std::string& dib, int width, int height) {
    store::BmpLayout layout;
    if (!store::computeBmpLayout(width, height, 24, layout))
        return {};
    const auto headers = store::bmpHeaders(layout);
    return {{{0, CF_DIB, dib}, {1, store::kFormatBitmap, ""}}, std::string(headers.begin(), headers.end()) +
            std::string(layout.pixelDataSize, '\x20'), "mspaint.exe", {}};
}

// Waits until `engine` has handed over `count` events in all, gathering them into `events`.
inline bool eventsArrive(clipsync::SyncEngine& engine, std::vector<clipsync::SyncEvent>& events, std::size_t count,
                         std::chrono::milliseconds bound) {
    return pumpUntil(
        [&] {
            for (clipsync::SyncEvent& event : engine.takeEvents())
                events.push_back(std::move(event));
            return events.size() >= count;
        },
        bound);
}
