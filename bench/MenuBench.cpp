// The real dravix.exe with a full history: 999 clips, 200 of them pictures. How fast the clip
// menu opens, from the release of Ctrl+right button in another application to the menu on
// screen, and (from the program's debug log) the remote read of the rows and the loading of the
// item pictures on their own; and how long a keystroke in the search box takes to refilter the
// list. Run under Wine by scripts/bench.
#include "DebugLog.h"
#include "DravixProcess.h"
#include "RemoteList.h"
#include "StoreFormat.h"
#include "StorePaths.h"
#include "TestFiles.h"
#include "WinTestSupport.h"
#include "XmlDocument.h"
#include "fw/Handle.h"
#include "fw/Text.h"

#include <algorithm>
#include <cstdlib>
#include <commctrl.h>
#include <cstdio>
#include <filesystem>

namespace {

using Clock = std::chrono::steady_clock;

std::string bitmapFile(int width, int height) {
    store::BmpLayout layout;
    store::computeBmpLayout(width, height, 24, layout);
    const auto headers = store::bmpHeaders(layout);
    std::string file(reinterpret_cast<const char*>(headers.data()), headers.size());
    for (std::uint32_t i = 0; i < layout.pixelDataSize; ++i)
        file += static_cast<char>((i * 7) & 0xFF);
    return file;
}

// The store as the hook library would have written it after 999 copies.
void writeFullHistory() {
    const store::StorePaths paths(store::userStoreFolder());
    std::filesystem::create_directories(std::filesystem::u8path(paths.dataFolder()));
    const std::string picture = bitmapFile(320, 200);
    XmlDocument index;
    store::startEmptyStore(index);
    for (int n = 1; n <= 999; ++n) {
        const std::string clip = store::historyClipName(n);
        store::appendRootChild(index, store::timeElementName(clip), "2026-12-07 10:00:00");
        store::appendRootChild(index, store::useTimeElementName(clip), "2026-12-07 10:00:00");
        if (n % 5 == 0) {
            store::appendRootChild(index, store::formatElementName(clip, 0), "2");
            writeBytes(paths.dataFile(store::formatElementName(clip, 0)), "");
            writeBytes(paths.bitmapFile(clip), picture);
        } else {
            const std::wstring text = L"clip number " + std::to_wstring(n) + L" with some text in it";
            store::appendRootChild(index, store::formatElementName(clip, 0), "13");
            writeBytes(paths.dataFile(store::formatElementName(clip, 0)),
                       std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t)));
        }
    }
    writeBytes(paths.indexFile(), textFileBytes(index.documentText()));
}

long long microsecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

// Each keystroke is one character sent to the box: the call returns once the box has taken it
// and the main window has refiltered the rows and given the list their number (the box's change
// notification is sent, not posted); the program's own share comes from its debug log.
void measureSearch(const DravixProcess& app, const DebugLog& log) {
    HWND search = GetDlgItem(app.mainWindow(), 1003);
    std::vector<long long> narrowing, widening;
    for (int round = 0; round < 5; ++round) {
        for (wchar_t key : std::wstring(L"number 7")) {
            const auto start = Clock::now();
            SendMessageW(search, WM_CHAR, key, 0);
            narrowing.push_back(microsecondsSince(start));
        }
        for (int i = 0; i < 8; ++i) {
            const auto start = Clock::now();
            SendMessageW(search, WM_CHAR, VK_BACK, 0);
            widening.push_back(microsecondsSince(start));
        }
    }
    std::vector<long long> handled;
    for (const std::string& line : log.lines())
        if (const auto at = line.find(" rows shown in "); at != std::string::npos && line.find("search: ") != std::string::npos)
            handled.push_back(std::atoll(line.c_str() + at + 15));
    for (auto* times : {&narrowing, &widening, &handled})
        std::sort(times->begin(), times->end());
    if (handled.empty())
        handled.push_back(-1);
    std::printf("search box, 999 rows: a typed character, box to list, median %.1f ms (max %.1f); a deleted one "
                "median %.1f ms (max %.1f); of which the main window's refilter and list update median %.1f ms (max %.1f)\n",
                narrowing[narrowing.size() / 2] / 1000.0, narrowing.back() / 1000.0,
                widening[widening.size() / 2] / 1000.0, widening.back() / 1000.0,
                handled[handled.size() / 2] / 1000.0, handled.back() / 1000.0);
}

}  // namespace

int wmain() {
    const DebugLog log;
    DravixProcess app;
    if (!app.waitForMainWindow())
        return 1;
    writeFullHistory();
    app.selectTreeNode(0);
    app.selectTreeNode(1);
    if (!app.waitForRows([](const auto& rows) { return rows.size() == 999; }, 60s))
        return 2;
    Target target(L"Menu bench target", L"");
    RECT area = {};
    GetWindowRect(target.window(), &area);
    SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    target.focus();
    pumpUntil([] { return false; }, 500ms);
    DWORD targetProcess = 0;
    GetWindowThreadProcessId(target.window(), &targetProcess);

    std::vector<long long> times;
    for (int round = 0; round < 7; ++round) {
        sendKeys({{VK_CONTROL, false}});
        Sleep(40);
        sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
        Sleep(40);
        const auto start = Clock::now();
        sendMouseButton(MOUSEEVENTF_RIGHTUP);
        HWND menu = nullptr;
        while (!(menu = visibleProcessMenu(targetProcess)) && Clock::now() - start < 10s)
            Sleep(1);
        times.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        sendKeys({{VK_CONTROL, true}});
        sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
        pumpUntil([&] { return !visibleProcessMenu(targetProcess); }, 5s);
        pumpUntil([] { return false; }, 300ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("clip menu with 999 clips (200 pictures): button up to menu on screen, median %lld ms (min %lld, max %lld)\n",
                times[times.size() / 2], times.front(), times.back());
    // The last round's figures from the debug log: the rows read, the thumbnails drawn.
    std::string read, thumbnails;
    for (const std::string& line : log.lines()) {
        if (line.find("clip menu: ") != std::string::npos)
            read = line.substr(line.find("clip menu: "));
        if (line.find("clip menu closed") != std::string::npos)
            thumbnails = line.substr(line.find("clip menu closed"));
    }
    std::printf("  %s\n  %s\n", read.c_str(), thumbnails.c_str());

    // Every thumbnail, as a menu scrolled to its end would read them.
    const store::StorePaths paths(store::userStoreFolder());
    const auto loading = Clock::now();
    int loaded = 0;
    for (int n = 5; n <= 999; n += 5)
        loaded += fw::UniqueBitmap(static_cast<HBITMAP>(LoadImageW(nullptr, fw::toWide(paths.bitmapFile(store::historyClipName(n))).c_str(),
                                                                     IMAGE_BITMAP, 32, 32, LR_LOADFROMFILE))) ? 1 : 0;
    std::printf("  all %d thumbnails read: %lld ms\n", loaded,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - loading).count()));

    // The rows read one by one with list-view messages, as a main window that does not answer
    // the copy request is read.
    std::vector<RemoteRow> rows;
    const auto start = Clock::now();
    readListRowsByMessages(app.list(), rows);
    std::printf("  the same %u rows read row by row across processes: %lld ms\n", static_cast<unsigned>(rows.size()),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count()));
    measureSearch(app, log);
    return 0;
}
