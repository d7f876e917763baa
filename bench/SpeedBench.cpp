// Each path a user feels in the real dravix.exe, measured beside its floor: the least a bare
// program of ours (floor_bench.exe) or a bare loop needs for the same thing, in the same session
// on the same desktop. Prints one line per path ("row" and the times in milliseconds, ours then
// the floor's) and notes ("note ..."); bench/table.py turns them into the table. Run under Wine
// by scripts/bench on a 1920 x 1080 screen; `speed_bench.exe menu paste` measures only those
// paths, and with DRAVIX_BENCH_LOG set the program's debug log and each long stall are printed too.
#include "store/ArchivePaths.h"
#include "store/BmpLayout.h"
#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "options/SyncSettingsRegistry.h"
#include "sync/SyncEngine.h"
#include "BenchRuns.h"
#include "BenchTexts.h"
#include "DebugLog.h"
#include "DravixProcess.h"
#include "DravixcRun.h"
#include "options/ChordRecord.h"
#include "store/PasteQueue.h"
#include "store/Protocol.h"
#include "store/RunNames.h"
#include "store/StoreDocument.h"
#include "store/StorePaths.h"
#include "TestFiles.h"
#include "store/Thumbnail.h"
#include "WinTestSupport.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"
#include "base/Text.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <thread>

using xml::XmlDocument;
using xml::textFileBytes;

namespace {

using Clock = std::chrono::steady_clock;
using Times = std::vector<double>;  // milliseconds
constexpr int kTries = 30;
// A start that restores 999 clips and 200 pictures is long enough that fewer tries tell it.
constexpr int kLastingTries = 10;
constexpr int kScreenWidth = 1920, kScreenHeight = 1080;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double medianOf(Times times) {
    std::sort(times.begin(), times.end());
    return times.empty() ? -1 : times[times.size() / 2];
}

// Polls `done` without the 20 ms slices of the tests' pumping: a measurement waits on it. Each
// poll is a few calls into Wine's server; `pause` between polls leaves the server to a program
// that is starting (a start makes hundreds of calls, each queued behind the poller's).
bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 30s,
               std::chrono::milliseconds pause = 0ms) {
    const auto end = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(static_cast<DWORD>(pause.count()));
    }
    return true;
}

void printTimes(const Times& times) {
    for (double ms : times)
        std::printf("\t%.2f", ms);
}

// One row of the table: the path, its goal (a ratio to the floor, or with no floor a bound in the
// row's unit), our times and the floor's.
void row(const char* path, const char* goal, const Times& ours, const Times& floor = {}) {
    std::printf("row\t%s\t%s\tours", path, goal);
    printTimes(ours);
    std::printf("\tfloor");
    printTimes(floor);
    std::printf("\n");
    std::fflush(stdout);
}

void note(const std::string& text) {
    std::printf("note\t%s\n", text.c_str());
    std::fflush(stdout);
}

// The tick count a log line was written at (its third field), or 0.
unsigned long tickOf(const std::string& line) {
    unsigned long process = 0, thread = 0, tick = 0;
    return std::sscanf(line.c_str(), "%lu %lu %lu", &process, &thread, &tick) == 3 ? tick : 0;
}

std::string bitmapFile(int width, int height) {
    store::BmpLayout layout;
    store::computeBmpLayout(width, height, 24, layout);
    const auto headers = store::bmpHeaders(layout);
    std::string file(reinterpret_cast<const char*>(headers.data()), headers.size());
    file.resize(layout.fileSize);
    for (std::uint32_t i = 0; i < layout.pixelDataSize; ++i)
        file[layout.pixelOffset + i] = static_cast<char>((i * 7) & 0xFF);
    return file;
}

// The store as the program would have written it after `clips` copies: texts of `textLength`
// characters and `pictures` screen-sized pictures with their thumbnails, spread evenly.
void writeHistory(int clips, std::size_t textLength, int pictures) {
    const store::StorePaths paths(store::userStoreFolder());
    std::filesystem::remove_all(std::filesystem::u8path(paths.dataFolder()));
    std::filesystem::create_directories(std::filesystem::u8path(paths.dataFolder()));
    const std::string picture = pictures ? bitmapFile(kScreenWidth, kScreenHeight) : std::string();
    const std::string thumbnail = store::thumbnailFileBytes(picture);
    const int every = pictures ? clips / pictures : 0;
    XmlDocument index;
    store::startEmptyStore(index);
    for (int n = 1; n <= clips; ++n) {
        const std::string clip = store::historyClipName(n);
        store::appendRootChild(index, store::timeElementName(clip), "2026-12-07 10:00:00");
        store::appendRootChild(index, store::useTimeElementName(clip), "2026-12-07 10:00:00");
        if (every && n % every == 0 && n / every <= pictures) {
            store::appendRootChild(index, store::formatElementName(clip, 0), std::to_string(store::kFormatBitmap));
            writeBytes(paths.dataFile(store::formatElementName(clip, 0)), "");
            writeBytes(paths.bitmapFile(clip), picture);
            writeBytes(paths.thumbnailFile(clip), thumbnail);
        } else {
            const std::wstring text = rowText(n, textLength);
            store::appendRootChild(index, store::formatElementName(clip, 0), "13");
            writeBytes(paths.dataFile(store::formatElementName(clip, 0)),
                       std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t)));
        }
    }
    writeBytes(paths.indexFile(), textFileBytes(index.documentText()));
}

// The program shows the store again (the history node selected afresh) with all its rows.
bool showHistory(const DravixProcess& app, std::size_t rows) {
    app.selectTreeNode(0);
    app.selectTreeNode(1);
    return app.waitForRows([&](const auto& shown) { return shown.size() == rows; }, 120s);
}

HGLOBAL dibOfScreenSize() {
    const std::string file = bitmapFile(kScreenWidth, kScreenHeight);
    return globalFrom(file.data() + 14, file.size() - 14);  // a DIB is the file without its file header
}

// How long the main window leaves a message unanswered while `work` runs: the longest of its
// answers to WM_NULL, asked for one after another.
double longestStall(HWND window, const std::function<bool()>& workDone) {
    double longest = 0;
    while (!workDone()) {
        const auto start = Clock::now();
        const unsigned long tick = GetTickCount();
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
        longest = std::max(longest, msSince(start));
        if (std::getenv("DRAVIX_BENCH_LOG") && msSince(start) > 100)
            std::printf("note\tstall of %.0f ms from tick %lu\n", msSince(start), tick);
        Sleep(2);
    }
    return longest;
}

// What each try puts on the clipboard: a new text each time, or a screen-sized picture.
struct Copied {
    UINT format;
    std::function<HANDLE(int)> make;
};
const Copied kText = {CF_UNICODETEXT, [](int i) {
                          const std::wstring text = L"copied text " + std::to_wstring(i) + L" at " + std::to_wstring(GetTickCount());
                          return globalFrom(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
                      }};
const Copied kPicture = {CF_DIB, [](int) { return dibOfScreenSize(); }};

// Copies from this process, from the clipboard closed until `recorded` says the copy was taken.
Times copyTimes(const Copied& copied, const std::function<int()>& recordedCount) {
    Times times;
    for (int i = 0; i < kTries; ++i) {
        const int before = recordedCount();
        putClipboard({{copied.format, copied.make(i)}});
        const auto start = Clock::now();
        spinUntil([&] { return recordedCount() > before; });
        times.push_back(msSince(start));
        letTimePass(50ms);
    }
    return times;
}

// Where a copy's time goes in the program, from its debug log: the clipboard read after the
// source closed it, the clip safe on disk, the row shown.
void noteCopySteps(const DebugLog& log, const char* what) {
    const std::vector<std::string> lines = log.lines();
    Times read, stored, shown;
    unsigned long readAt = 0, storedAt = 0;
    for (const std::string& line : lines) {
        if (line.find("clipboard ") != std::string::npos && line.find(" read (announced") != std::string::npos)
            readAt = tickOf(line);
        else if (line.find("recorded as his") != std::string::npos)
            storedAt = tickOf(line);
        else if (line.find("row shown for his") != std::string::npos && readAt && storedAt) {
            stored.push_back(static_cast<double>(storedAt - readAt));
            shown.push_back(static_cast<double>(tickOf(line) - storedAt));
            readAt = storedAt = 0;
        }
    }
    char text[200];
    std::snprintf(text, sizeof text, "copy to row (%s), from the program's log: read to safe on disk median %.0f ms, safe on "
                  "disk to row shown median %.0f ms", what, medianOf(stored), medianOf(shown));
    note(text);
}

double workingSetMb(DWORD process);
DWORD processOf(HWND window);

// Wine keeps every format a program has read until it next opens the clipboard: an empty
// clipboard, once the program has read it, leaves none of that in what is measured.
void emptyClipboardSeenBy(const DebugLog& log) {
    const std::size_t mark = log.mark();
    putClipboard({});
    spinUntil([&] { return log.has(": 0 formats", mark); }, 10s);
}

// Copy to row against a bare listener (which runs alone: two readers would slow each other),
// and the main window's longest stall while a 20 MB text is recorded.
void measureCopies(const DebugLog& log) {
    Times floorText, floorPicture;
    {
        Target listener(ProgramByClass{L"floor_bench.exe listener", L"DravixFloor-listener"});
        // Polled as the program is: the rows of its list, asked across the processes.
        HWND list = FindWindowExW(listener.window(), nullptr, WC_LISTVIEWW, nullptr);
        const auto readCount = [&] { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); };
        floorText = copyTimes(kText, readCount);
        floorPicture = copyTimes(kPicture, readCount);
    }
    // The same copies with the store's data files written in the clear: the cost of sealing.
    Times unsealed;
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, store::kSettingsKey, store::kSealStoreSetting, REG_DWORD, "\0\0\0\0", 4);
        DravixProcess plain;
        plain.waitForMainWindow();
        unsealed = copyTimes(kText, [&] { return plain.rowCount(); });
        RegDeleteKeyValueW(HKEY_CURRENT_USER, store::kSettingsKey, store::kSealStoreSetting);
    }
    DravixProcess app;
    app.waitForMainWindow();
    const auto rowCount = [&] { return app.rowCount(); };
    const Times intoEmpty = copyTimes(kText, rowCount);
    row("copy to row (text)", "1.5; 30 ms; p95 60 ms", intoEmpty, floorText);
    row("a sealed copy to row; floor: the same copy unsealed", "1.2", intoEmpty, unsealed);
    noteCopySteps(log, "text");
    // The same copies into a history that they fill up to its 999 clips.
    writeHistory(999 - kTries, 60, 0);
    showHistory(app, 999 - kTries);
    row("a copy at 999 clips; floor: the same copy into an empty history", "1.2", copyTimes(kText, rowCount), intoEmpty);
    writeHistory(0, 0, 0);
    showHistory(app, 0);
    row("copy to row (1920x1080 picture)", "1.5; 100 ms", copyTimes(kPicture, rowCount), floorPicture);
    noteCopySteps(log, "picture");

    const std::wstring large(10 * 1024 * 1024, L'x');  // 20 MB
    const int before = app.rowCount();
    putClipboardText(large);
    const double stall = longestStall(app.mainWindow(), [&] { return app.rowCount() > before; });
    row("main window's longest stall while a 20 MB text is recorded", "250 ms", {stall});
    emptyClipboardSeenBy(log);
    row("main program's working set right after a 20 MB copy, clipboard emptied", "40 MB", {workingSetMb(app.processId())});
}

std::wstring windowTitle(HWND window) {
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return title;
}

// A control's text asked with WM_GETTEXT (GetWindowText does not ask another process's control).
std::wstring controlText(HWND control, int size = 64) {
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    text.resize(static_cast<std::size_t>(SendMessageW(control, WM_GETTEXT, size, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// Typed into the search box `edit` (real keys, a person's 100-150 ms apart: `typed` letter by
// letter, then back), each key until the box shows it, `list` has nothing left to paint and
// `settled` says the rest of the key's work is done. The box answers WM_GETTEXT only between
// messages, so a new text read means the key's filtering is done.
Times searchTimes(HWND edit, HWND list, const std::wstring& typed = L"number 7",
                  const std::function<bool(const std::wstring& text)>& settled = nullptr) {
    std::vector<WORD> keys;
    for (wchar_t letter : typed)
        keys.push_back(letter == L' ' ? VK_SPACE : static_cast<WORD>(std::towupper(letter)));
    const int length = static_cast<int>(typed.size());
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    bringToFront(GetAncestor(edit, GA_ROOT));
    SetCursorPos(centreOf(edit).x, centreOf(edit).y);
    sendMouseButton(MOUSEEVENTF_LEFTDOWN);
    sendMouseButton(MOUSEEVENTF_LEFTUP);
    std::wstring expected;
    Times times;
    for (int i = 0; i < kTries; ++i) {
        const bool back = i % (2 * length) >= length;
        expected = back ? expected.substr(0, expected.size() - 1) : expected + typed[static_cast<std::size_t>(i % length)];
        letTimePass(std::chrono::milliseconds(100 + (i * 37) % 51));
        const WORD key = back ? VK_BACK : keys[static_cast<std::size_t>(i % length)];
        const auto start = Clock::now();
        sendKeys({{key, false}, {key, true}});
        spinUntil([&] {
            return controlText(edit) == expected && (!settled || settled(expected)) && !GetUpdateRect(list, nullptr, FALSE);
        }, 10s);
        times.push_back(msSince(start));
    }
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    return times;
}

// Against a bare edit and owner-data list of the same 999 texts, filtering as the user types.
void measureSearch(const DravixProcess& app, const DebugLog& log) {
    writeHistory(999, 1000, 0);
    showHistory(app, 999);
    const Times ours = searchTimes(GetDlgItem(app.mainWindow(), 1003), app.list());
    Target floorSearch(ProgramByClass{L"floor_bench.exe search", L"DravixFloor-search"});
    const Times floor = searchTimes(FindWindowExW(floorSearch.window(), nullptr, WC_EDITW, nullptr),
                                    FindWindowExW(floorSearch.window(), nullptr, WC_LISTVIEWW, nullptr));
    row("search keystroke to list painted, 999 rows of 1,000 characters", "1.5; p95 50 ms", ours, floor);
    Times own;  // the program's refilter and list update, from its log
    for (const std::string& line : log.lines())
        if (const auto at = line.find(" rows shown in "); at != std::string::npos && line.find("search: ") != std::string::npos)
            own.push_back(std::atof(line.c_str() + at + 15) / 1000.0);
    char text[160];
    std::snprintf(text, sizeof text, "search: the program's own refilter and list update median %.2f ms of the keystroke", medianOf(own));
    note(text);
}

// "在以前的记录中查找" over 100 kept runs of 999 clips (benchruns): each key typed until the status
// line gives the earlier runs' count for the box's text and the list is painted; floor: the same
// keys with the checkbox off (the live list alone). Then the program's working set against the
// one it had right after an empty start. The runs' indexes are made by a first search, not timed.
void measureEarlierSearch(double emptyStartMb) {
    const store::StorePaths paths(store::userStoreFolder());
    const std::string runs = store::joinPath(paths.folder(), store::kRunsFolderName);
    std::filesystem::remove_all(std::filesystem::u8path(runs));
    if (!benchruns::writeRuns(runs, benchruns::kRuns)) {
        note("earlier runs: the runs could not be written");
        return;
    }
    const DWORD keptRuns = 500;  // none of them is taken away at the start
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", store::kKeptRunsSetting, REG_DWORD, &keptRuns, sizeof keptRuns);
    {
        DravixProcess app;
        // The start keeps the history it finds as a run: the live rows are written after it.
        if (!app.waitForMainWindow() || (writeHistory(999, 1000, 0), !showHistory(app, 999))) {
            note("earlier runs: the program did not show its history");
            return;
        }
        const HWND edit = GetDlgItem(app.mainWindow(), 1003);
        const HWND status = FindWindowExW(app.mainWindow(), nullptr, STATUSCLASSNAMEW, nullptr);
        const HWND checkbox = GetDlgItem(app.mainWindow(), 1351);  // IDC_SEARCH_EARLIER
        const auto earlierCounted = [&](const std::wstring& text) {
            return text.empty() || controlText(status, 256).find(L"以前的记录：") != std::wstring::npos;
        };
        const Times floor = searchTimes(edit, app.list(), L"zeppelin");
        SendMessageW(checkbox, BM_CLICK, 0, 0);
        // Turned on, the program makes every run's index; the first search is answered again once
        // they are all made.
        const std::wstring word(benchruns::kWord, benchruns::kWord + std::char_traits<char16_t>::length(benchruns::kWord));
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(word.c_str()));
        const auto indexing = Clock::now();
        spinUntil([&] { return earlierCounted(word) && controlText(status, 256).find(L"正在准备") == std::wstring::npos; }, 600s);
        note("earlier runs: the first search, with every run's index made, " + std::to_string(static_cast<int>(msSince(indexing))) +
             " ms; status: " + base::toUtf8(controlText(status, 256)));
        const Times ours = searchTimes(edit, app.list(), word, earlierCounted);
        row("search keystroke to list painted, 100 earlier runs of 999 clips searched too; floor: the checkbox off",
            "p95 150 ms", ours, floor);
        const double workingSet = workingSetMb(app.processId());
        note("earlier runs: main program's working set after the searches " + std::to_string(static_cast<int>(workingSet)) +
             " MB, " + std::to_string(static_cast<int>(workingSet - emptyStartMb)) +
             " MB over an empty start (goal: at most 40 MB over)");
        SendMessageW(checkbox, BM_CLICK, 0, 0);
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", store::kKeptRunsSetting);
    std::filesystem::remove_all(std::filesystem::u8path(runs));
}

// A menu of `process` on screen and painted: there with nothing of it left to paint, and its
// thread back at its messages (a paint that has begun has ended).
bool menuPainted(DWORD process) {
    HWND menu = visibleProcessMenu(process);
    DWORD_PTR answer = 0;
    return menu && !GetUpdateRect(menu, nullptr, FALSE) &&
           SendMessageTimeoutW(menu, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer);
}

// Ctrl+right button released over `target`, until a menu of `process` is on screen and painted.
Times menuTimes(HWND target, DWORD process, bool ctrl) {
    Times times;
    const POINT at = centreOf(target);
    for (int i = 0; i < kTries; ++i) {
        bringToFront(target);
        SetCursorPos(at.x, at.y);
        if (ctrl)
            sendKeys({{VK_CONTROL, false}});
        letTimePass(40ms);
        sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
        letTimePass(40ms);
        const auto start = Clock::now();
        sendMouseButton(MOUSEEVENTF_RIGHTUP);
        spinUntil([&] { return menuPainted(process); }, 10s);
        times.push_back(msSince(start));
        if (ctrl)
            sendKeys({{VK_CONTROL, true}});
        sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
        pumpUntil([&] { return !visibleProcessMenu(process); }, 5s);
        letTimePass(200ms);
    }
    return times;
}

// Ctrl, then Alt, pressed and held with a person's gaps.
void holdControlAndAlt() {
    sendKeys({{VK_CONTROL, false}});
    letTimePass(40ms);
    sendKeys({{VK_MENU, false}});
    letTimePass(40ms);
}

// Ctrl+Alt+` typed in `target` (its ` pressed, the modifiers held), until a menu of `process` is on
// screen.
Times keyboardMenuTimes(const Target& target) {
    Times times;
    for (int i = 0; i < kTries; ++i) {
        target.focus();
        holdControlAndAlt();
        const auto start = Clock::now();
        sendKeys({{VK_OEM_3, false}});
        spinUntil([&] { return menuPainted(target.processId()); }, 10s);
        times.push_back(msSince(start));
        sendKeys({{VK_OEM_3, true}, {VK_MENU, true}, {VK_CONTROL, true}});
        sendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
        pumpUntil([&] { return !visibleProcessMenu(target.processId()); }, 5s);
        letTimePass(200ms);
    }
    return times;
}

DWORD processOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

double workingSetMb(DWORD process) {
    if (!process)
        return -1;
    HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    const bool read = handle && GetProcessMemoryInfo(handle, &counters, sizeof counters);
    if (handle)
        CloseHandle(handle);
    return read ? static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0) : -1;
}

// The clip menu in a target, and what the hook library costs the target: its working set before
// the library entered it, once it has, and after 30 menus, less what a bare program's own 30
// menus of 999 items cost it.
void measureMenu(const DravixProcess& app, const DebugLog& log, const Target& target, double targetBefore) {
    writeHistory(999, 60, 200);
    showHistory(app, 999);
    bringToFront(target.window());
    SetCursorPos(centreOf(target.window()).x, centreOf(target.window()).y);
    const double targetEntered = workingSetMb(processOf(target.window()));
    const Times ours = menuTimes(target.window(), processOf(target.window()), true);
    const double targetAfter = workingSetMb(processOf(target.window()));
    Target floorMenu(ProgramByClass{L"floor_bench.exe menu", L"DravixFloor-menu"});
    const double floorBefore = workingSetMb(processOf(floorMenu.window()));
    const Times floor = menuTimes(floorMenu.window(), processOf(floorMenu.window()), false);
    const double floorAfter = workingSetMb(processOf(floorMenu.window()));
    row("clip menu, 999 clips with 200 pictures of 1920x1080", "1.3; 150 ms", ours, floor);
    note(log.lastLineWith("clip menu: ").substr(log.lastLineWith("clip menu: ").find("clip menu: ")));
    note(log.lastLineWith("clip menu closed").substr(log.lastLineWith("clip menu closed").find("clip menu closed")));
    row("Ctrl+Alt+` to the menu on screen; floor: the Ctrl+right-click menu (same 999 clips)", "1.3",
        keyboardMenuTimes(target), ours);
    row("what the hook library adds to another application after 30 menus, less a bare program's own 30 menus", "1 MB",
        {(targetAfter - targetBefore) - (floorAfter - floorBefore)});
    char text[200];
    std::snprintf(text, sizeof text, "the menu target's working set: %.1f MB before the library entered it, %.1f MB once it "
                  "had, %.1f MB after 30 menus; the bare menu program's 30 menus cost it %.1f MB",
                  targetBefore, targetEntered, targetAfter, floorAfter - floorBefore);
    note(text);

    emptyClipboardSeenBy(log);
    Target floorDialog(ProgramByClass{L"floor_bench.exe dialog", L"DravixFloor-dialog"});
    row("main program's working set, 999 clips (200 pictures), clipboard emptied; floor: a bare dialog of the same "
        "controls", "40 MB", {workingSetMb(app.processId())}, {workingSetMb(processOf(floorDialog.window()))});
}

// A chord typed in `target` as a person does (a gap after each key), timed from its last key let
// go (the library acts then) until the target holds `wanted`; the paste's end (the user's
// clipboard back, the status key gone) is waited for outside the time.
double pasteTime(const Target& target, WORD key, const std::wstring& wanted) {
    SendMessageW(target.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    target.focus();
    holdControlAndAlt();
    sendKeys({{key, false}});
    letTimePass(40ms);
    sendKeys({{key, true}});
    letTimePass(40ms);
    sendKeys({{VK_MENU, true}});
    letTimePass(40ms);
    const auto start = Clock::now();
    sendKeys({{VK_CONTROL, true}});
    spinUntil([&] { return target.text() == wanted; }, 10s);
    const double ms = msSince(start);
    pumpUntil([] { return storeValue(storeStatusPath(), "SysClip").empty(); }, 10s);
    letTimePass(200ms);
    return ms;
}

// Ctrl+Alt+Q pastes the queue's head; its floor is the slot paste it is built on (Ctrl+Alt+5).
// Thirty copies join the queue once they are recorded.
void measureQueuePaste(const DravixProcess& app) {
    writeHistory(0, 0, 0);
    showHistory(app, 0);
    Target target(L"Paste bench target", L"");
    target.setTextAndSelectAll(L"slot text");
    typeChord({VK_CONTROL}, '5', 40);
    pumpUntil([] { return storedClipText("copy5") == L"slot text"; }, 10s);
    for (int i = 1; i <= kTries; ++i) {
        putClipboardText(L"queued " + std::to_wstring(i));
        app.waitForRows([&](const auto& rows) { return static_cast<int>(rows.size()) >= i + 1; }, 10s);
    }
    // Queued in copy order, as "复制时加入粘贴队列" would have queued them.
    std::vector<int> numbers;
    const std::vector<ListRow> rows = app.rows();
    for (int i = 1; i <= kTries; ++i)
        for (const ListRow& row : rows)
            if (row.content == L"queued " + std::to_wstring(i))
                numbers.push_back(std::stoi(row.number));
    store::appendToPasteQueue(storeStatusPath(), numbers);
    Times queued, slot;
    for (int i = 1; i <= kTries; ++i) {
        queued.push_back(pasteTime(target, 'Q', L"queued " + std::to_wstring(i)));
        slot.push_back(pasteTime(target, '5', L"slot text"));
    }
    row("Ctrl+Alt+Q to the text in the target; floor: the slot paste (Ctrl+Alt+5)", "1.3", queued, slot);
}

HWND findWindowOfClass(const wchar_t* windowClass, DWORD process) {
    for (HWND window = FindWindowW(windowClass, nullptr); window; window = FindWindowExW(nullptr, window, windowClass, nullptr))
        if (processOf(window) == process)
            return window;
    return nullptr;
}

void measureCapture(const DravixProcess& app, const DebugLog& log) {
    writeHistory(0, 0, 0);  // room for the pictures copied
    showHistory(app, 0);
    Times shown, copied;
    for (int i = 0; i < kTries; ++i) {
        const unsigned long sent = GetTickCount();
        PostMessageW(app.mainWindow(), WM_COMMAND, 32783, 0);
        spinUntil([&] { return tickOf(log.lastLineWith("capture: on screen")) >= sent; }, 10s);
        shown.push_back(static_cast<double>(tickOf(log.lastLineWith("capture: on screen")) - sent));
        HWND capture = waitForProcessDialog(app.processId(), app.mainWindow());
        // The whole screen selected, then Enter.
        SetCursorPos(0, 0);
        letTimePass(100ms);
        sendMouseButton(MOUSEEVENTF_LEFTDOWN);
        SetCursorPos(kScreenWidth / 2, kScreenHeight / 2);
        letTimePass(60ms);
        SetCursorPos(kScreenWidth - 1, kScreenHeight - 1);
        letTimePass(60ms);
        sendMouseButton(MOUSEEVENTF_LEFTUP);
        letTimePass(100ms);
        const int rowsBefore = app.rowCount();
        const unsigned long enter = GetTickCount();
        sendKeys({{VK_RETURN, false}, {VK_RETURN, true}});
        pumpUntil([&] { return !IsWindow(capture) && tickOf(log.lastLineWith("on the clipboard")) >= enter; }, 10s);
        copied.push_back(static_cast<double>(tickOf(log.lastLineWith("on the clipboard")) - enter));
        pumpUntil([&] { return app.rowCount() > rowsBefore; }, 10s);  // the picture recorded meanwhile
    }

    Target floorCapture(ProgramByClass{L"floor_bench.exe capture", L"DravixFloor-capture"});
    Times floorShown;
    wchar_t title[16] = {};
    for (int i = 0; i < kTries; ++i) {
        const auto start = Clock::now();
        PostMessageW(floorCapture.window(), WM_APP + 1, 0, 0);
        spinUntil([&] { return GetWindowTextW(floorCapture.window(), title, 16) && _wtoi(title) > i; }, 10s);
        floorShown.push_back(msSince(start));
        PostMessageW(floorCapture.window(), WM_APP + 2, 0, 0);
        pumpUntil([&] { return !findWindowOfClass(L"DravixFloorPicture", processOf(floorCapture.window())); }, 5s);
    }
    row("capture window on screen at 1920x1080", "1.3; 100 ms", shown, floorShown);

    // The floor of Enter: the same picture put on the clipboard by a bare program, with the
    // program's recording paused (it would read each one meanwhile).
    PostMessageW(app.mainWindow(), WM_COMMAND, 32775, 0);
    pumpUntil([&] { return base::toUtf8(windowTitle(app.mainWindow())).find("(暂停)") != std::string::npos; }, 5s);
    Times floorCopied;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    for (int i = 0; i < kTries; ++i) {
        HBITMAP picture = CreateCompatibleBitmap(screen, kScreenWidth, kScreenHeight);
        HGDIOBJ old = SelectObject(memory, picture);
        BitBlt(memory, 0, 0, kScreenWidth, kScreenHeight, screen, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        const auto start = Clock::now();
        OpenClipboard(nullptr);
        EmptyClipboard();
        SetClipboardData(CF_BITMAP, picture);
        CloseClipboard();
        floorCopied.push_back(msSince(start));
        letTimePass(100ms);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    putClipboard({});  // nothing for the resume to record
    PostMessageW(app.mainWindow(), WM_COMMAND, 32779, 0);  // recording again
    row("Enter to bitmap on the clipboard", "1.2; 30 ms", copied, floorCopied);
}

// A copy of the file at `from`, written through to the disk before it returns.
void copyDurably(const std::wstring& from, const std::wstring& to) {
    CopyFileW(from.c_str(), to.c_str(), FALSE);
    const HANDLE file = CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    FlushFileBuffers(file);
    CloseHandle(file);
}

// Save As through the real file dialog, from its OK to the archive complete, with the main
// window's longest stall meanwhile; the floor is a plain copy of the same files, each written
// through to the disk, the index under a temporary name put in place as the program puts its
// own (an archive reported saved must outlive a crash).
void measureArchive(const DravixProcess& app, const DebugLog& log, const std::string& folder) {
    writeHistory(999, 60, 32);  // 200 MB
    showHistory(app, 999);
    const store::StorePaths paths(store::userStoreFolder());
    Times ours, stalls, floor, dialogEnds;
    for (int i = 0; i < 5; ++i) {
        const std::string archive = store::joinPath(folder, "bench" + std::to_string(i) + ".amc");
        PostMessageW(app.mainWindow(), WM_COMMAND, 32795, 0);
        HWND files = waitForProcessDialog(app.processId(), app.mainWindow());
        bringToFront(files);
        typeText(base::toWide(archive));
        const std::size_t mark = log.mark();
        const auto start = Clock::now();
        sendKeys({{VK_RETURN, false}, {VK_RETURN, true}});
        // The save begins once the platform's file dialog has returned (under Wine that takes
        // two seconds after it closes, in the dialog's own code).
        spinUntil([&] { return log.has("archive command 0 started", mark); });
        dialogEnds.push_back(msSince(start));
        stalls.push_back(longestStall(app.mainWindow(), [&] { return log.has("archive command 0 done", mark); }));
        ours.push_back(msSince(start));

        const std::string copy = store::joinPath(folder, "plain" + std::to_string(i));
        CreateDirectoryW(base::toWide(copy).c_str(), nullptr);
        const auto copying = Clock::now();
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(paths.dataFolder())))
            copyDurably(entry.path().wstring(), base::toWide(copy) + L"\\" + entry.path().filename().wstring());
        copyDurably(base::toWide(paths.indexFile()), base::toWide(copy + "\\index.xml.tmp"));
        MoveFileExW(base::toWide(copy + "\\index.xml.tmp").c_str(), base::toWide(copy + "\\index.xml").c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        floor.push_back(msSince(copying));
        std::filesystem::remove_all(std::filesystem::u8path(copy));
        std::filesystem::remove_all(std::filesystem::u8path(store::archiveDataFolder(archive)));
    }
    row("archive Save As of 999 clips (200 MB), dialog's OK to the archive complete", "1.2", ours, floor);
    row("main window's longest stall during that save", "50 ms", stalls);
    note("archive Save As: the file dialog's OK to the save begun (the platform's dialog returning) median " +
         std::to_string(static_cast<int>(medianOf(dialogEnds))) + " ms");
}

void runToEnd(const std::wstring& command) {
    const PROCESS_INFORMATION process = startProcess(command, binFolder());
    if (!process.hProcess)
        return;
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

// From process start to the main window shown with its rows, against a bare dialog. Each
// program is then ended the way its user ends it (`close`).
Times startTimes(const std::function<HWND(DWORD)>& shownWindow, const std::wstring& command,
                 const std::function<void(HWND, DWORD)>& close, int tries = kTries) {
    Times times;
    for (int i = 0; i < tries; ++i) {
        const auto start = Clock::now();
        const PROCESS_INFORMATION process = startProcess(command, binFolder());
        if (!process.hProcess)
            return times;
        HWND window = nullptr;
        spinUntil([&] { return (window = shownWindow(process.dwProcessId)) != nullptr; }, 30s, 1ms);
        times.push_back(msSince(start));
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
        close(window, process.dwProcessId);
        if (!pumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 10s))
            TerminateProcess(process.hProcess, 0);
        // Under Wine the first process started after dravix.exe has ended waits about two
        // seconds (a bare program too): a throwaway start takes that wait, not the next try.
        runToEnd(L"floor_bench.exe none");
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        letTimePass(100ms);
    }
    return times;
}

// dravix.exe started until its window shows with `rows` rows, then ended with File > Exit (once
// `beforeExit` returned, when given).
Times dravixStartTimes(int rows, int tries = kTries, const std::function<void()>& beforeExit = nullptr) {
    putClipboard({});  // a start records what the clipboard holds: a row the count would not expect
    const std::wstring title = base::toWide(store::kMainWindowTitle);
    return startTimes(
        [&](DWORD process) {
            HWND main = findProcessWindow(process, title);
            HWND list = main ? GetDlgItem(main, store::kMainListId) : nullptr;
            return main && IsWindowVisible(main) && list && IsWindowVisible(list) &&
                           SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == rows
                       ? main
                       : nullptr;
        },
        L"\"" + binFolder() + L"\\dravix.exe\"", [&](HWND main, DWORD process) {
            if (beforeExit)
                beforeExit();
            PostMessageW(main, WM_COMMAND, 32797, 0);  // File > Exit, and Yes to the question
            HWND question = nullptr;
            pumpUntil([&] { return (question = findProcessWindow(process, title, main)) && IsWindowVisible(question); }, 5s);
            PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
        },
        tries);
}

void measureStartUp() {
    const Times ours = dravixStartTimes(0);
    const Times floor = startTimes(
        [](DWORD process) {
            HWND window = findWindowOfClass(L"DravixFloor-dialog", process);
            return window && IsWindowVisible(window) ? window : nullptr;
        },
        L"floor_bench.exe dialog", [](HWND window, DWORD) { PostMessageW(window, WM_CLOSE, 0, 0); });
    row("start-up to the window with its rows", "2.0; 500 ms", ours, floor);
}

// The bytes of the files below `folder`, counted per name and once per file (the names a hard link
// gives one file count once, as the disk holds it).
struct FolderSize {
    std::uint64_t perName = 0, onDisk = 0;
};
FolderSize folderSize(const std::string& folder) {
    FolderSize size;
    std::set<std::pair<DWORD, std::uint64_t>> seen;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::u8path(folder), error)) {
        if (!entry.is_regular_file())
            continue;
        HANDLE file = CreateFileW(entry.path().wstring().c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        BY_HANDLE_FILE_INFORMATION information = {};
        const bool told = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &information);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        if (!told)
            continue;
        const std::uint64_t bytes = (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
        const std::uint64_t index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
        size.perName += bytes;
        if (seen.insert({information.dwVolumeSerialNumber, index}).second)
            size.onDisk += bytes;
    }
    return size;
}

std::string megabytes(std::uint64_t bytes) {
    return std::to_string((bytes + (1u << 19)) >> 20) + " MB";
}

// With "启动时恢复上次的记录" on: ten starts with a 200 MB history, and what the store folder then
// holds (the runs kept share what did not change); then the start with 999 clips (200 pictures)
// restored, against an empty start.
int runArchives(const std::filesystem::path& runs) {
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(runs, error))
        count += store::parseRunArchive(entry.path().filename().u8string()) ? 1 : 0;
    return count;
}

void measureLastingStartUp() {
    const store::StorePaths paths(store::userStoreFolder());
    const std::filesystem::path runs = std::filesystem::u8path(store::joinPath(paths.folder(), store::kRunsFolderName));
    std::filesystem::remove_all(runs);
    setUserSwitch(L"RestoreLastRun", true);
    writeHistory(999, 60, 32);
    const FolderSize history = folderSize(paths.folder());
    // Each start keeps its run once its window is up (an exit before that stops the keep, and the
    // next start keeps the store): each start is left to finish its keep.
    int kept = 0;
    const Times ten = dravixStartTimes(999, 10, [&] {
        ++kept;
        spinUntil([&] { return runArchives(runs) >= kept; }, 120s);
    });
    const FolderSize after = folderSize(paths.folder());
    note("store folder after " + std::to_string(ten.size()) + " starts with the restore on, 999 clips (" +
         megabytes(history.onDisk) + "): " + megabytes(after.onDisk) + " on disk, " + megabytes(after.perName) +
         " counted per name (ten runs and the store)");

    std::filesystem::remove_all(runs);
    writeHistory(999, 60, 200);
    const Times lasting = dravixStartTimes(999, kLastingTries);
    setUserSwitch(L"RestoreLastRun", false);
    std::filesystem::remove_all(runs);
    writeHistory(0, 0, 0);
    const Times empty = dravixStartTimes(0, kLastingTries);
    std::filesystem::remove_all(runs);
    row("start-up with 999 clips (200 pictures of 1920x1080) restored; floor: an empty start", "2.0; 500 ms", lasting, empty);
}

// Sync on, to a plain folder: a copy's time to its row against the same copy with sync off (the
// other machine's engine not running: in the user's case it is not on this one), then a copy's
// time to its arrival at another machine's engine on the same folder (in this process, polling
// the folder every 200 ms).
void measureSync(const DebugLog& log, const std::string& folder) {
    constexpr const char* kPassphrase = "bench passphrase of both machines";
    Times off, on, arrival;
    {
        DravixProcess plain;
        plain.waitForMainWindow();
        off = copyTimes(kText, [&] { return plain.rowCount(); });
    }
    std::filesystem::create_directories(std::filesystem::u8path(folder));
    options::SyncSettings settings;
    settings.enabled = true;
    settings.folder = folder;
    settings.machineName = "台式机";
    options::writeSyncSettings(settings, kPassphrase);
    {
        DravixProcess app;
        app.waitForMainWindow();
        // Once its folder is open (the keys derived).
        spinUntil([&] { return log.lastLineWith("tray tooltip:").find("等待其他电脑") != std::string::npos; }, 120s);
        on = copyTimes(kText, [&] { return app.rowCount(); });
        clipsync::EngineOptions other;
        other.folder = folder;
        other.passphrase = kPassphrase;
        other.machineId = clipsync::SyncEngine::newMachineId();
        other.machineName = "笔记本";
        other.poll = 200ms;
        other.mayLeave = [](const store::ClipSnapshot&) { return true; };
        clipsync::SyncEngine laptop(nullptr);
        laptop.start(std::move(other));
        for (int i = 0; i < kTries; ++i) {
            const std::wstring text = L"sync bench copy " + std::to_wstring(i);
            const std::string bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
            putClipboardText(text);
            const auto start = Clock::now();
            spinUntil([&] {
                const std::vector<clipsync::SyncEvent> events = laptop.takeEvents();
                return std::any_of(events.begin(), events.end(),
                                   [&](const auto& event) { return !event.clip.formats.empty() && event.clip.formats[0].bytes == bytes; });
            }, 120s);
            arrival.push_back(msSince(start));
            letTimePass(50ms);
        }
    }
    for (const wchar_t* value : {store::kSyncEnabledSetting, store::kSyncFolderSetting, store::kSyncMachineNameSetting,
                                 store::kSyncMachineIdSetting, store::kSyncPassphraseSetting})
        RegDeleteKeyValueW(HKEY_CURRENT_USER, store::kSettingsKey, value);
    row("copy to row with sync on; floor: the same copy with sync off", "1.1", on, off);
    row("a copy to its arrival at the other machine's engine through a plain shared folder", "p95 1000 ms", arrival);
}

// `dravixc.exe list --limit 20` at 999 clips against a bare console program sending the same
// request and writing the answer (floor_command.exe), alternating, each from its start until it
// has ended, its output in a file.
void measureCommandLine(const DravixProcess& app, const ScratchDir& files) {
    writeHistory(999, 60, 0);
    if (!showHistory(app, 999)) {
        note("command line: the program did not show its history");
        return;
    }
    Times ours, floor, started;
    std::string oursOutput, floorOutput, none;
    int failed = 0;  // runs that did not end with 0: not timed, counted
    const auto timed = [&](const wchar_t* program, const wchar_t* arguments, Times& times, std::string& output) {
        const auto start = Clock::now();
        const Ended run = runDravixc(files, arguments, {}, program);
        if (run.exitCode != 0) {
            ++failed;
            return;
        }
        times.push_back(msSince(start));
        output = run.output;
    };
    for (int i = 0; i < kTries; ++i) {
        timed(L"dravixc.exe", L"list --limit 20", ours, oursOutput);
        timed(L"floor_command.exe", L"", floor, floorOutput);
        timed(L"floor_command.exe", L"start-only", started, none);
    }
    const auto lines = [](const std::string& output) { return std::to_string(std::count(output.begin(), output.end(), '\n')); };
    note("command line: " + std::to_string(failed) + " runs did not end with 0 (not timed)");
    note("command line: dravixc printed " + lines(oursOutput) + " lines, the floor " + lines(floorOutput) +
         (oursOutput == floorOutput ? " (the same bytes)" : " (different bytes: " + oursOutput.substr(0, 80) + ")"));
    note("command line: a console program that only starts and ends, median " + std::to_string(static_cast<int>(medianOf(started))) +
         " ms");
    row("dravixc.exe list --limit 20 at 999 clips, start to end; floor: a bare console program sending the same request",
        "1.5; 50 ms", ours, floor);
    writeHistory(0, 0, 0);
    showHistory(app, 0);
}

// A chord changed as the options dialog changes it (published through the hook library), then its
// first key typed in a program the library is already in: the slot copy chord moved between
// Ctrl+digit and Ctrl+Shift+digit at each try. Counts the tries whose first key did not copy.
void measureChordChange(const DebugLog& log) {
    HMODULE library = LoadLibraryW(L"Latchkit.dll");  // the program's own file: its shared section
    const auto publish = reinterpret_cast<BOOL(WINAPI*)(const options::ChordRecord*)>(
        reinterpret_cast<void*>(GetProcAddress(library, "PublishChordOptions")));
    if (!publish || !spinUntil([&] { return log.has("chords published"); }, 10s)) {
        note("chord change: the hook library's chords could not be published");
        if (library)
            FreeLibrary(library);
        return;
    }
    const Target target(L"Chord bench target", L"");
    // The library enters the target with its first key.
    target.setTextAndSelectAll(L"hooked");
    typeChord({VK_CONTROL}, '1', 30);
    spinUntil([] { return storedClipText("copy1") == L"hooked"; }, 10s);
    int missed = 0;
    for (int i = 0; i < kTries; ++i) {
        const bool shifted = i % 2 == 0;
        options::ChordOptions chords;
        chords.chords[options::ChordAction::CopyToSlot].modifiers = shifted ? options::kCtrl | options::kShift : options::kCtrl;
        const options::ChordRecord record = options::packChords(chords);
        publish(&record);
        const std::wstring text = L"chord changed " + std::to_wstring(i);
        target.setTextAndSelectAll(text);
        typeChord(shifted ? std::vector<WORD>{VK_CONTROL, VK_SHIFT} : std::vector<WORD>{VK_CONTROL}, '2', 30);
        const bool copied = spinUntil([&] { return storedClipText("copy2") == text; }, 5s) && target.text() == text;
        missed += copied ? 0 : 1;
        letTimePass(100ms);
    }
    const options::ChordRecord defaults = options::packChords(options::ChordOptions{});
    publish(&defaults);
    FreeLibrary(library);
    row("a chord changed in the options, its first key in a program already hooked: tries of 30 whose first key did not act",
        "0 tries", {static_cast<double>(missed)});
}

// How the start, the working set and a copy to its row grow with the runs the program keeps: 0,
// 10, 100 and 500 runs of 999 clips. scripts/bench prepares them (the search benchmark's 100 runs,
// linked under names of their own) in the folder DRAVIX_GROWTH_RUNS names, as runs-0 ... runs-500;
// each is moved in as the store's runs folder for its measurements and back after. Each figure
// against its value at 10 runs (the default limit).
struct GrowthFigures {
    Times start, copies;
    double workingSet = 0;
};

std::optional<GrowthFigures> growthWithRuns(const DebugLog& log, const std::wstring& prepared, const std::wstring& runs) {
    if (!MoveFileW(prepared.c_str(), runs.c_str()))
        return std::nullopt;
    GrowthFigures figures;
    bool shown = false;
    {
        DravixProcess app;
        if ((shown = app.waitForMainWindow() != nullptr)) {
            emptyClipboardSeenBy(log);
            figures.workingSet = workingSetMb(app.processId());
            figures.copies = copyTimes(kText, [&] { return app.rowCount(); });
        }
    }
    if (shown) {
        // An empty history at every start: no start keeps a run of its own beside the prepared ones.
        writeHistory(0, 0, 0);
        figures.start = dravixStartTimes(0, kLastingTries);
    }
    if (!MoveFileW(runs.c_str(), prepared.c_str()))
        note("growth: the runs could not be moved back to " + base::toUtf8(prepared));
    if (!shown || figures.workingSet <= 0)
        return std::nullopt;
    return figures;
}

void measureGrowth(const DebugLog& log) {
    const char* prepared = std::getenv("DRAVIX_GROWTH_RUNS");
    if (!prepared) {
        note("growth: no runs prepared (scripts/bench prepares them)");
        return;
    }
    const store::StorePaths paths(store::userStoreFolder());
    const std::wstring runs = base::toWide(store::joinPath(paths.folder(), store::kRunsFolderName));
    std::filesystem::remove_all(runs);
    const DWORD keptRuns = 500;
    RegSetKeyValueW(HKEY_CURRENT_USER, store::kSettingsKey, store::kKeptRunsSetting, REG_DWORD, &keptRuns, sizeof keptRuns);
    writeHistory(0, 0, 0);
    std::map<int, GrowthFigures> figures;
    for (int count : {10, 0, 100, 500}) {
        const std::wstring folder = base::toWide(prepared) + L"\\runs-" + std::to_wstring(count);
        if (std::optional<GrowthFigures> measured = growthWithRuns(log, folder, runs))
            figures[count] = std::move(*measured);
        else
            note("growth: with " + base::toUtf8(folder) + " the program could not be measured");
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, store::kSettingsKey, store::kKeptRunsSetting);
    if (!figures.count(10))
        return;
    const GrowthFigures& ten = figures[10];
    for (const auto& [count, at] : figures) {
        if (count == 10)
            continue;
        const std::string runsText = std::to_string(count) + " kept runs of 999 clips; floor: 10 runs";
        row(("growth: start-up to the window, " + runsText).c_str(), "1.2", at.start, ten.start);
        row(("growth: working set right after start, " + runsText).c_str(), "1.2", {at.workingSet}, {ten.workingSet});
        row(("growth: copy to row (text), " + runsText).c_str(), "1.2", at.copies, ten.copies);
    }
}

}  // namespace

// Every path, or those named: copy, sync, search, earlier, menu, paste, capture, archive, command,
// chord, start-up, lasting, growth.
int wmain(int argc, wchar_t** argv) {
    const std::vector<std::wstring> named(argv + 1, argv + argc);
    const auto wanted = [&](const wchar_t* path) {
        return named.empty() || std::find(named.begin(), named.end(), path) != named.end();
    };
    const DebugLog log;
    const ScratchDir scratch;
    if (wanted(L"copy"))
        measureCopies(log);
    if (wanted(L"sync"))
        measureSync(log, scratch.path("sync"));
    // The menu's target starts before the program and its hooks, so that nothing of the hook
    // library is in it yet.
    const Target menuTarget(L"Menu bench target", L"");
    const double targetBefore = workingSetMb(processOf(menuTarget.window()));
    putClipboard({});
    double emptyStartMb = 0;
    if (wanted(L"search") || wanted(L"earlier") || wanted(L"menu") || wanted(L"paste") || wanted(L"capture") ||
        wanted(L"archive") || wanted(L"command") || wanted(L"chord")) {
        DravixProcess app;
        if (!app.waitForMainWindow())
            return 1;
        emptyStartMb = workingSetMb(app.processId());
        note("main program's working set right after start, empty store: " + std::to_string(static_cast<int>(emptyStartMb)) +
             " MB");
        if (wanted(L"search"))
            measureSearch(app, log);
        if (wanted(L"menu"))
            measureMenu(app, log, menuTarget, targetBefore);
        if (wanted(L"paste"))
            measureQueuePaste(app);
        if (wanted(L"capture"))
            measureCapture(app, log);
        if (wanted(L"archive"))
            measureArchive(app, log, scratch.path(""));
        if (wanted(L"command"))
            measureCommandLine(app, scratch);
        if (wanted(L"chord"))
            measureChordChange(log);
    }
    if (wanted(L"earlier"))
        measureEarlierSearch(emptyStartMb);
    if (wanted(L"start-up"))
        measureStartUp();
    if (wanted(L"lasting"))
        measureLastingStartUp();
    if (wanted(L"growth"))
        measureGrowth(log);
    if (std::getenv("DRAVIX_BENCH_LOG"))
        for (const std::string& line : log.lines())
            std::printf("log\t%s\n", line.c_str());
    return 0;
}
