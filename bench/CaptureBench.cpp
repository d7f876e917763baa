// How fast the screen capture is, with the real dravix.exe on a 1920 x 1080 screen: from the
// command to the frozen picture on screen, and a selection of the whole screen copied to the
// clipboard. The times come from the program's debug log (one clock for both processes). Run
// under Wine by scripts/bench.
#include "DebugLog.h"
#include "DravixProcess.h"
#include "TestFiles.h"
#include "WinTestSupport.h"
#include "fw/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// The tick count a log line was written at (its third field), or 0.
unsigned long tickOf(const std::string& line) {
    unsigned long process = 0, thread = 0, tick = 0;
    return std::sscanf(line.c_str(), "%lu %lu %lu", &process, &thread, &tick) == 3 ? tick : 0;
}

}  // namespace

int wmain() {
    const DebugLog log;
    DravixProcess app;
    if (!app.waitForMainWindow())
        return 1;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<long long> shown, frozen, copied;
    for (int round = 0; round < 5; ++round) {
        const std::size_t mark = log.mark();
        const unsigned long sent = GetTickCount();
        PostMessageW(app.mainWindow(), WM_COMMAND, 32783, 0);
        if (!pumpUntil([&] { return log.mark() > mark && !log.lastLineWith("capture: on screen").empty() &&
                                    tickOf(log.lastLineWith("capture: on screen")) >= sent; },
                       10s))
            return 2;
        shown.push_back(static_cast<long long>(tickOf(log.lastLineWith("capture: on screen")) - sent));
        frozen.push_back(static_cast<long long>(tickOf(log.lastLineWith("capture: screen ")) -
                                                tickOf(log.lastLineWith("capture: freezing the screen"))));
        HWND capture = waitForProcessDialog(app.processId(), app.mainWindow());
        // The whole screen selected, then Enter.
        SetCursorPos(0, 0);
        pumpUntil([] { return false; }, 300ms);
        sendMouseButton(MOUSEEVENTF_LEFTDOWN);
        SetCursorPos(width / 2, height / 2);
        pumpUntil([] { return false; }, 60ms);
        SetCursorPos(width - 1, height - 1);
        pumpUntil([] { return false; }, 100ms);
        sendMouseButton(MOUSEEVENTF_LEFTUP);
        pumpUntil([] { return false; }, 150ms);
        const unsigned long enter = GetTickCount();
        sendKeys({{VK_RETURN, false}, {VK_RETURN, true}});
        pumpUntil([&] { return !IsWindow(capture); }, 10s);
        pumpUntil([&] { return tickOf(log.lastLineWith("on the clipboard")) >= enter; }, 5s);
        copied.push_back(static_cast<long long>(tickOf(log.lastLineWith("on the clipboard")) - enter));
        pumpUntil([] { return false; }, 1500ms);  // the main window records the picture meanwhile
    }
    std::sort(shown.begin(), shown.end());
    std::sort(copied.begin(), copied.end());
    std::sort(frozen.begin(), frozen.end());
    std::printf("screen capture at %dx%d: command to the picture on screen, median %lld ms (min %lld, max %lld)\n", width,
                height, shown[shown.size() / 2], shown.front(), shown.back());
    std::printf("  of which the picture of the screen taken: median %lld ms\n", frozen[frozen.size() / 2]);
    std::printf("  Enter on a selection of the whole screen to the bitmap on the clipboard: median %lld ms (min %lld, max %lld)\n",
                copied[copied.size() / 2], copied.front(), copied.back());
    return 0;
}
