#include "WinTestSupport.h"

#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/DataFiles.h"
#include "store/FileSystem.h"
#include "store/StoreDocument.h"
#include "store/StorePaths.h"
#include "xml/XmlDocument.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using xml::XmlDocument;

HGLOBAL globalFrom(const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    return memory;
}

HWND clipboardOpener() {
    thread_local HWND window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    return window;
}

bool putClipboard(const std::vector<std::pair<UINT, HANDLE>>& formats) {
    bool open = false;
    for (int attempt = 0; attempt < 50 && !(open = OpenClipboard(clipboardOpener())); ++attempt)
        Sleep(20);
    if (!open)
        return false;
    EmptyClipboard();
    bool set = true;
    for (const auto& [format, data] : formats)
        if (data && !SetClipboardData(format, data)) {
            GlobalFree(data);
            set = false;
        }
    CloseClipboard();
    return set;
}

bool putClipboardText(const std::wstring& text) {
    return putClipboard({{CF_UNICODETEXT, globalFrom(text.c_str(), (text.size() + 1) * sizeof(wchar_t))}});
}

std::string dropFilesBlock(const std::wstring& files) {
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);
    block.append(reinterpret_cast<const char*>(files.c_str()), (files.size() + 1) * sizeof(wchar_t));
    return block;
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 20 ? static_cast<DWORD>(left) : 20, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

bool expectNothingFor(std::chrono::milliseconds time, const std::function<bool()>& happened) {
    return !pumpUntil(happened, time);
}

void letTimePass(std::chrono::milliseconds time) {
    pumpUntil([] { return false; }, time);
}

void waitForANewSecond() {
    const auto second = [] {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return now.wSecond;
    };
    const WORD start = second();
    pumpUntil([&] { return second() != start; }, 2s);
}

void pressKeys(std::initializer_list<WORD> keys, bool shift, std::chrono::milliseconds gap) {
    if (shift)
        sendKeys({{VK_SHIFT, false}});
    for (WORD key : keys) {
        sendKeys({{key, false}, {key, true}});
        letTimePass(gap);
    }
    if (shift)
        sendKeys({{VK_SHIFT, true}});
}

namespace {

GUITHREADINFO guiThreadOf(HWND window) {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui))
        gui = {};
    return gui;
}

}  // namespace

// In front, and active in its own thread: the thread has taken the activation up, so a dialog
// no longer puts the focus back where it was at its last deactivation over a click sent now.
bool bringToFront(HWND window) {
    const bool inFront = pumpUntil(
        [&] {
            if (GetForegroundWindow() == window)
                return guiThreadOf(window).hwndActive == window;
            SetForegroundWindow(window);
            return false;
        },
        5s);
    if (inFront) {
        // Wine hands the X input focus to the window's thread, which takes up the FocusIn only when
        // it next reads its X events; taken up after another window came to the front (a menu
        // opened a moment later), it takes the foreground back. A message the thread answers has
        // it read them now.
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    } else {
        // Which window kept the foreground says why, the next time it happens.
        const HWND front = GetForegroundWindow();
        wchar_t title[128] = L"", windowClass[64] = L"";
        GetWindowTextW(front, title, 128);
        GetClassNameW(front, windowClass, 64);
        DWORD process = 0;
        GetWindowThreadProcessId(front, &process);
        std::fprintf(stderr, "bringToFront: %p stayed behind %p \"%ls\" (%ls, process %lu); visible %d, active in its thread %p\n",
                     static_cast<void*>(window), static_cast<void*>(front), title, windowClass,
                     static_cast<unsigned long>(process), IsWindowVisible(window) ? 1 : 0,
                     static_cast<void*>(guiThreadOf(window).hwndActive));
    }
    return inFront;
}

HWND focusInThreadOf(HWND window) {
    return guiThreadOf(window).hwndFocus;
}

bool waitUntilTakesKeys(HWND control, std::chrono::milliseconds timeout) {
    const bool takes = pumpUntil(
        [&] { return GetForegroundWindow() == GetAncestor(control, GA_ROOT) && focusInThreadOf(control) == control; }, timeout);
    if (!takes) {
        wchar_t focusClass[64] = L"";
        const HWND focus = focusInThreadOf(control);
        GetClassNameW(focus, focusClass, 64);
        std::fprintf(stderr, "waitUntilTakesKeys: %p not in keys: foreground %p (its root %p), focus %p (%ls)\n",
                     static_cast<void*>(control), static_cast<void*>(GetForegroundWindow()),
                     static_cast<void*>(GetAncestor(control, GA_ROOT)), static_cast<void*>(focus), focusClass);
    }
    return takes;
}

void sendKeys(const std::vector<KeyStroke>& strokes) {
    std::vector<INPUT> inputs(strokes.size());
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = strokes[i].key;
        // The right-hand Alt and Ctrl are extended keys (E0 scan codes), as a keyboard sends them.
        const bool extended = strokes[i].key == VK_RMENU || strokes[i].key == VK_RCONTROL;
        inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(strokes[i].key, MAPVK_VK_TO_VSC));
        inputs[i].ki.dwFlags = (strokes[i].up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

namespace {

// Modifiers down, the key down and up, modifiers up in reverse.
std::vector<KeyStroke> chordStrokes(const std::vector<WORD>& modifiers, WORD key) {
    std::vector<KeyStroke> strokes;
    for (WORD modifier : modifiers)
        strokes.push_back({modifier, false});
    strokes.push_back({key, false});
    strokes.push_back({key, true});
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        strokes.push_back({*it, true});
    return strokes;
}

}  // namespace

void pressChord(std::vector<WORD> modifiers, WORD key) {
    sendKeys(chordStrokes(modifiers, key));
}

void sendMouseButton(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// A person's Ctrl+right click: one event at a time. The pointer is moved there first and given
// time to settle: when it enters a window X tells Wine which keys it holds, and a key pressed
// with SendInput (which X never saw) would read as up again.
void movePointer(POINT at) {
    SetCursorPos(at.x, at.y);
    letTimePass(300ms);
}

void rightClickWith(POINT at, WORD modifier) {
    movePointer(at);
    // The gaps do not pump this thread's messages: a test's own window that stands in for the
    // main window may be meant to stay silent while the menu asks it for rows.
    const auto gap = [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); };
    sendKeys({{modifier, false}});
    gap(40ms);
    sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
    gap(60ms);
    sendMouseButton(MOUSEEVENTF_RIGHTUP);
    gap(40ms);
    sendKeys({{modifier, true}});
}

void ctrlRightClick(POINT at) {
    rightClickWith(at, VK_CONTROL);
}

namespace {

// The slot of the last icon the notification area shows (the area has room for several icons
// of 20 pixels; an icon's slot shows something besides the background), or -1 for none.
int lastPaintedTraySlot(HWND tray, int slotSize) {
    RECT area = {};
    GetClientRect(tray, &area);
    HDC dc = GetDC(tray);
    const COLORREF background = GetPixel(dc, 0, 0);
    int last = -1;
    for (int slot = 0; (slot + 1) * slotSize <= area.right; ++slot)
        for (int y = 4; y < slotSize - 4; y += 2)
            for (int x = 4; x < slotSize - 4; x += 2)
                if (GetPixel(dc, slot * slotSize + x, y) != background)
                    last = slot;
    ReleaseDC(tray, dc);
    return last;
}

}  // namespace

// The session keeps an icon of its own in the first slot (scripts/test, tray_keeper.exe): the
// program's icon is drawn after it, a moment after the program added it.
POINT newestTrayIcon() {
    constexpr int kSlot = 20;
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    int newest = 0;
    pumpUntil([&] { return (newest = lastPaintedTraySlot(tray, kSlot)) >= 1; }, 5s);
    POINT icon{std::max(newest, 0) * kSlot + kSlot / 2, kSlot / 2};
    ClientToScreen(tray, &icon);
    return icon;
}

POINT centreOf(HWND window) {
    RECT area = {};
    GetWindowRect(window, &area);
    return {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
}

std::string windowStates(const std::vector<HWND>& windows) {
    const auto named = [](HWND window) {
        wchar_t windowClass[64] = L"";
        GetClassNameW(window, windowClass, 64);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char text[160];
        std::snprintf(text, sizeof text, "%p (%ls, process %lu)", static_cast<void*>(window), windowClass,
                      static_cast<unsigned long>(process));
        return std::string(text);
    };
    std::string states = "in front: " + named(GetForegroundWindow());
    for (HWND window : windows) {
        const GUITHREADINFO gui = guiThreadOf(window);
        states += "; " + named(window) + ": its thread's active " + named(gui.hwndActive) + ", focus " +
                  named(gui.hwndFocus) + ((gui.flags & GUI_INMENUMODE) ? ", in a menu" : "");
    }
    for (HWND menu = FindWindowW(L"#32768", nullptr); menu; menu = FindWindowExW(nullptr, menu, L"#32768", nullptr))
        if (IsWindowVisible(menu))
            states += "; menu " + named(menu);
    return states;
}

HWND visibleProcessMenu(DWORD processId) {
    for (HWND window = FindWindowW(L"#32768", nullptr); window; window = FindWindowExW(nullptr, window, L"#32768", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

namespace {

// A menu takes keys once its thread tracks it (in menu mode, which Wine reports without the
// popup flag) and is the foreground thread: a key sent as soon as the menu shows may still go to
// the window that had the focus.
bool menuTakesKeys(HWND menu) {
    const DWORD thread = GetWindowThreadProcessId(menu, nullptr);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE) &&
           GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == thread;
}

}  // namespace

HWND waitForProcessMenu(DWORD processId, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    pumpUntil([&] { return (found = visibleProcessMenu(processId)) != nullptr && menuTakesKeys(found); }, timeout);
    return found && menuTakesKeys(found) ? found : nullptr;
}

void typeChord(std::vector<WORD> modifiers, WORD key, int gapMs) {
    if (gapMs <= 0) {
        pressChord(modifiers, key);
        return;
    }
    const std::vector<KeyStroke> strokes = chordStrokes(modifiers, key);
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        if (i > 0)
            letTimePass(std::chrono::milliseconds(gapMs));
        // Keys sent with SendInput are unknown to the X server under Wine. When a Wine program takes
        // up an EnterNotify it was late to read (a busy window thread reads its X events only when
        // it goes idle), Wine sets the state of every key back to the X server's: a modifier held
        // here reads as released. It is still meant down, as a person's finger still is: pressed again.
        if (!strokes[i].up && strokes[i].key == key)
            for (WORD modifier : modifiers)
                if ((GetAsyncKeyState(modifier) & 0x8000) == 0) {
                    std::fprintf(stderr, "typeChord: key %#x read released before key %#x: pressed again\n", modifier, key);
                    sendKeys({{modifier, false}});
                }
        sendKeys({strokes[i]});
    }
}

namespace {

// Read as any other program might, without the store lock, sharing deletion so that the
// writers are never held up.
bool loadStoreFile(const std::string& path, XmlDocument& doc) {
    std::optional<std::string> bytes = store::files::readAll(path);
    return bytes && doc.loadFileBytes(std::move(*bytes));
}

}  // namespace

std::vector<std::pair<std::string, std::string>> storeElements(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> elements;
    XmlDocument doc;
    if (!loadStoreFile(path, doc))
        return elements;
    for (const store::RootElement& element : store::rootElements(doc))
        elements.emplace_back(element.name, element.text);
    return elements;
}

std::string storeValue(const std::string& path, const std::string& name) {
    XmlDocument doc;
    if (!loadStoreFile(path, doc) || !store::findRootChild(doc, name))
        return {};
    return doc.childElementText();
}

void setUserSwitch(const wchar_t* name, bool on) {
    const DWORD value = on ? 1 : 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Dravix", name, REG_DWORD, &value, sizeof value);
}

std::string storeIndexPath() {
    return store::StorePaths(store::userStoreFolder()).indexFile();
}

std::string storeStatusPath() {
    return store::StorePaths(store::userStoreFolder()).statusFile();
}

std::string storeDataFile(const std::string& name) {
    return store::StorePaths(store::userStoreFolder()).dataFile(name);
}

std::wstring storedClipText(const std::string& clip) {
    for (int i = 0; i < store::kMaxFormatsPerClip; ++i) {
        const std::string element = store::formatElementName(clip, i);
        if (storeValue(storeIndexPath(), element) != "13")
            continue;
        const std::u16string text = store::utf16FromBytes(store::readData(storeDataFile(element)).value_or(""));
        return std::wstring(text.begin(), text.end());
    }
    return {};
}

std::vector<std::string> fileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream text(store::files::readAll(path).value_or(""));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void endProcessesNamed(const std::wstring& executable) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, executable.c_str()) != 0)
            continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

PROCESS_INFORMATION startProcess(std::wstring command, const std::wstring& folder, const StandardHandles& handles,
                                 DWORD flags) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = handles.input;
    startup.hStdOutput = handles.output;
    startup.hStdError = handles.errors;
    PROCESS_INFORMATION process = {};
    DWORD error = ERROR_SUCCESS;
    // Wine now and then loses a new process while it starts (ERROR_INTERNAL_ERROR: it did not come
    // up): started again, as a person starts a program again that did not come up.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, flags,
                           nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
            error = ERROR_SUCCESS;
            break;
        }
        error = GetLastError();
        process = {};
        if (error != ERROR_INTERNAL_ERROR)
            break;
        std::fprintf(stderr, "startProcess: %ls did not start (error %lu): started again\n", command.c_str(), error);
    }
    SetLastError(error);  // the caller may report why it failed
    return process;
}

PROCESS_INFORMATION startProcess(std::wstring command, const std::wstring& folder) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const HANDLE nothing = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                       OPEN_EXISTING, 0, nullptr);
    const PROCESS_INFORMATION process = startProcess(std::move(command), folder, {nothing, nothing, nothing});
    const DWORD error = GetLastError();
    CloseHandle(nothing);
    SetLastError(error);
    return process;
}

bool runUnix(const std::wstring& program, const std::wstring& arguments) {
    const std::wstring path = L"Z:" + program;
    std::wstring command = path + L" " + arguments;
    for (wchar_t& c : command)
        if (c == L'/' && &c < command.data() + path.size())
            c = L'\\';
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring executable = command.substr(0, path.size());
    if (!CreateProcessW(executable.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    // For a Linux program Wine makes no Windows thread (its id is 0) and no process handle, and
    // leaves in hThread a value that is no handle of it: closing that closed another handle of this
    // process (measured: the registry's cached HKEY_CURRENT_USER key, every later write refused).
    if (process.dwThreadId)
        CloseHandle(process.hThread);
    if (process.hProcess)
        CloseHandle(process.hProcess);
    return true;
}

bool xdotool(const std::wstring& arguments) {
    return runUnix(L"/usr/bin/xdotool", arguments);
}

std::wstring sessionName() {
    wchar_t prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH))
        return L"session";
    const std::wstring path(prefix);
    return path.substr(path.find_last_of(L"/\\") + 1);
}

std::wstring buildFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder = folder.substr(0, folder.find_last_of(L'\\'));  // build\<tree>\bin
    folder = folder.substr(0, folder.find_last_of(L'\\'));  // build\<tree>
    return folder.substr(0, folder.find_last_of(L'\\'));    // build
}

namespace {

// The session's pause file of scripts/window-states.c, a Unix path in DRAVIX_STATES_PAUSE, seen
// from Wine on Z:.
std::wstring statesPauseFile() {
    wchar_t unixPath[MAX_PATH] = L"";
    const DWORD length = GetEnvironmentVariableW(L"DRAVIX_STATES_PAUSE", unixPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return buildFolder() + L"\\window-states.pause";
    std::wstring path = std::wstring(L"Z:") + unixPath;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

}  // namespace

BareDisplayTiming::BareDisplayTiming() : m_pauseFile(statesPauseFile()) {
    HANDLE file = CreateFileW(m_pauseFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

BareDisplayTiming::~BareDisplayTiming() {
    DeleteFileW(m_pauseFile.c_str());
}

void screenshot(const std::wstring& name) {
    const std::wstring folder = buildFolder() + L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring unix = folder.substr(2);  // drop "Z:"
    for (wchar_t& c : unix)
        if (c == L'\\')
            c = L'/';
    const std::wstring file = folder + L"\\" + name;
    DeleteFileW(file.c_str());
    runUnix(L"/usr/bin/import", L"-window root " + unix + L"/" + name);
    // Done when the picture's last chunk is written.
    const std::string end("IEND\xAE\x42\x60\x82", 8);
    pumpUntil([&] {
        std::ifstream in(std::filesystem::path(file), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return bytes.size() > end.size() && bytes.compare(bytes.size() - end.size(), end.size(), end) == 0;
    }, 10s);
}

Target::Target(const std::wstring& title, const std::wstring& text, const std::wstring& windowClass,
               const std::wstring& log, int pasteDelayMs, PasteKeys keys) {
    std::wstring command = L"edit_target.exe \"" + title + L"\" \"" + text + L"\" \"" + windowClass + L"\"";
    const bool terminal = keys == PasteKeys::ShiftInsertOnly;
    if (!log.empty() || pasteDelayMs > 0 || terminal)
        command += L" \"" + log + L"\"";
    if (pasteDelayMs > 0 || terminal)
        command += L" " + std::to_wstring(pasteDelayMs);
    if (terminal)
        command += L" shift-insert";
    start(command, [title] { return FindWindowW(nullptr, title.c_str()); });
}

Target::Target(const ProgramByClass& program) {
    start(program.command, [&program] { return FindWindowW(program.windowClass.c_str(), nullptr); });
}

Target::~Target() {
    if (m_window)
        PostMessageW(m_window, WM_CLOSE, 0, 0);
    if (m_process.hProcess) {
        if (WaitForSingleObject(m_process.hProcess, 3000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.hProcess, 0);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
}

// A target that did not come up says why, the next time it happens.
void Target::start(std::wstring command, const std::function<HWND()>& find) {
    m_process = startProcess(command);
    if (!m_process.hProcess) {
        std::fprintf(stderr, "Target: %ls could not be started (error %lu)\n", command.c_str(), GetLastError());
        return;
    }
    if (!pumpUntil([&] { return (m_window = find()) != nullptr; }, 10s))
        std::fprintf(stderr, "Target: no window of %ls within 10 s; the process %s\n", command.c_str(),
                     WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0 ? "ended" : "runs");
    // It has finished starting once its message loop answers.
    if (m_window)
        SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
}

HWND Target::edit() const {
    return FindWindowExW(m_window, nullptr, L"EDIT", nullptr);
}

bool Target::setTextAndSelectAll(const std::wstring& text) const {
    HWND control = edit();
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    const DWORD all = MAKELONG(0, static_cast<WORD>(text.size()));
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!focus())
            continue;
        SendMessageW(control, EM_SETSEL, 0, -1);
        if (pumpUntil([&] { return static_cast<DWORD>(SendMessageW(control, EM_GETSEL, 0, 0)) == all; }, 1s))
            return true;
    }
    return false;
}

// The bits of an enhanced metafile, or a metafile picture's fields and its metafile's bits.
std::string metafileBits(UINT format, HANDLE data) {
    if (!data)
        return {};
    if (format == CF_ENHMETAFILE) {
        std::string bits(GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr), '\0');
        GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), static_cast<UINT>(bits.size()), reinterpret_cast<BYTE*>(bits.data()));
        return bits;
    }
    const auto* picture = static_cast<const METAFILEPICT*>(GlobalLock(data));
    if (!picture)
        return {};
    std::string bits = std::to_string(picture->mm) + " " + std::to_string(picture->xExt) + " " + std::to_string(picture->yExt) + " ";
    std::string metafile(GetMetaFileBitsEx(picture->hMF, 0, nullptr), '\0');
    GetMetaFileBitsEx(picture->hMF, static_cast<UINT>(metafile.size()), metafile.data());
    GlobalUnlock(data);
    return bits + metafile;
}

std::string dibBlock(int width, int height, int bitCount, const std::string& table, const std::string& rows) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitCount);
    header.biClrUsed = static_cast<DWORD>(table.size() / 4);
    return std::string(reinterpret_cast<const char*>(&header), sizeof header) + table + rows;
}

std::map<UINT, std::string> clipboardContents() {
    std::map<UINT, std::string> contents;
    if (!OpenClipboard(clipboardOpener()))
        return contents;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
        std::string& bytes = contents[format];
        if (format == CF_BITMAP || format == CF_PALETTE)
            continue;
        if (format == CF_ENHMETAFILE || format == CF_METAFILEPICT) {
            bytes = metafileBits(format, GetClipboardData(format));
            continue;
        }
        if (HANDLE data = GetClipboardData(format))
            if (const char* block = static_cast<const char*>(GlobalLock(data))) {
                bytes.assign(block, GlobalSize(data));
                GlobalUnlock(data);
            }
        if (format == CF_TEXT || format == CF_OEMTEXT)
            bytes = bytes.c_str();
    }
    CloseClipboard();
    return contents;
}

bool clipboardHoldsText(const std::wstring& text) {
    if (!OpenClipboard(clipboardOpener()))
        return false;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* held = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    const bool same = held && text == held;
    if (held)
        GlobalUnlock(data);
    CloseClipboard();
    return same;
}

// Asked with a bound: a target that stopped answering fails the test and says so, rather than
// holding it until ctest ends it.
std::wstring Target::text() const {
    wchar_t buffer[256] = {};
    if (!SendMessageTimeoutW(edit(), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL, 10000, nullptr))
        std::fprintf(stderr, "Target::text: %p did not answer WM_GETTEXT within 10 s\n", static_cast<void*>(m_window));
    return buffer;
}

std::wstring Target::pointerOverCommand() const {
    RECT area = {};
    GetWindowRect(m_window, &area);
    return L"mousemove " + std::to_wstring((area.left + area.right) / 2) + L" " +
           std::to_wstring((area.top + area.bottom) / 2);
}

// The window in front is not enough: its thread may not have given the focus to the edit yet.
bool Target::focus() const {
    const HWND keys = edit() ? edit() : m_window;
    return bringToFront(m_window) && waitUntilTakesKeys(keys);
}

ClipSource::ClipSource(const std::wstring& arguments, const std::wstring& program) {
    m_process = startProcess(L"\"" + program + L"\" " + arguments);
    if (!m_process.hProcess)
        return;
    const std::wstring title = L"clip_source " + arguments.substr(0, arguments.find(L' '));
    pumpUntil(
        [&] {
            for (HWND window = FindWindowW(L"DravixClipSource", title.c_str()); window;
                 window = FindWindowExW(nullptr, window, L"DravixClipSource", title.c_str())) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == m_process.dwProcessId)
                    m_window = window;
            }
            return m_window != nullptr;
        },
        120s);
}

ClipSource::~ClipSource() {
    if (m_window)
        PostMessageW(m_window, WM_CLOSE, 0, 0);
    if (m_process.hProcess && WaitForSingleObject(m_process.hProcess, 3000) != WAIT_OBJECT_0)
        kill();
    CloseHandle(m_process.hProcess);
    CloseHandle(m_process.hThread);
}

void ClipSource::kill() {
    TerminateProcess(m_process.hProcess, 1);
    WaitForSingleObject(m_process.hProcess, 5000);
    m_window = nullptr;
}
