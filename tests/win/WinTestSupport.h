// Shared by the Windows tests that drive real processes: pumping messages while waiting, real
// keyboard input (SendInput, and xdotool on the X display), and target processes.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace std::chrono_literals;

// The window this thread opens the clipboard for. Under Wine an opener without a window takes
// over a clipboard that another opened without one (the program's recorder opens it so): a
// test that opened it so could find it closed under its hands, or close it under the recorder's.
HWND clipboardOpener();
// A movable memory block holding a copy of `data`, for SetClipboardData.
HGLOBAL globalFrom(const void* data, std::size_t size);
// Replaces the clipboard's contents with these formats (null data: an empty clipboard), waiting
// while another program has it open; false when it never could be opened or a format was not
// taken.
bool putClipboard(const std::vector<std::pair<UINT, HANDLE>>& formats);
bool putClipboardText(const std::wstring& text);
// A DROPFILES block with a wide file list ("a\0b\0", the final zero is added).
std::string dropFilesBlock(const std::wstring& files);
// A DIB block: the 40-byte header, `table` (a palette), then the rows as given.
std::string dibBlock(int width, int height, int bitCount, const std::string& table, const std::string& rows);

// Dispatches this thread's messages (and timers) until `done` or the time-out.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
// For a check that something does not happen: pumps for the whole time and answers whether
// `happened` stayed false throughout.
bool expectNothingFor(std::chrono::milliseconds time, const std::function<bool()>& happened);
// For the few waits a behaviour itself needs (a person's gap between two inputs, two clicks that
// must not make a double click): pumps for the time, saying why in the caller.
void letTimePass(std::chrono::milliseconds time);
// Until the clock shows a new second: a time stamp made afterwards is later than any before.
void waitForANewSecond();

// Every format of the clipboard with its bytes (the metafiles' bits; empty for a bitmap or a
// palette). The texts the system makes from another text hold their text up to its end: the size
// of such a block is the system's own (under Wine it differs from one process to another).
std::map<UINT, std::string> clipboardContents();
// Whether the clipboard holds `text` as Unicode text.
bool clipboardHoldsText(const std::wstring& text);

// Makes `window` the foreground window and waits until it is.
bool bringToFront(HWND window);
// The window with the keyboard focus in `window`'s thread, or null.
HWND focusInThreadOf(HWND window);
// Waits until keys typed now reach `control`: its top-level window is the foreground window and
// `control` has the focus in its thread.
bool waitUntilTakesKeys(HWND control, std::chrono::milliseconds timeout = 5s);

struct KeyStroke {
    WORD key;
    bool up;
};
void sendKeys(const std::vector<KeyStroke>& strokes);
// One mouse button event (MOUSEEVENTF_LEFTDOWN, ...) where the pointer is.
void sendMouseButton(DWORD flags);
// The pointer moved to a screen point, and the moment X needs to tell the window under it which
// keys are held as it comes in.
void movePointer(POINT at);
// A person's Ctrl+right click at a screen point, one event at a time.
void ctrlRightClick(POINT at);
// A right click at `at` with `modifier` held, a person's gaps between the events.
void rightClickWith(POINT at, WORD modifier);
// The middle of the icon added last to the notification area (without a desktop window Wine
// shows the area as a window of its own, icons side by side in the order they came), waited for
// until one shows beside the session's own icon.
POINT newestTrayIcon();
// The middle of a window, in screen coordinates.
POINT centreOf(HWND window);
// A visible popup menu of the process, or null.
HWND visibleProcessMenu(DWORD processId);
// For a failure's message: the window in front and, for each of `windows`, its thread's active
// and focus windows and whether it is in a menu, and every visible menu's process.
std::string windowStates(const std::vector<HWND>& windows);
// The same, waited for until it takes keys (its thread tracks it, in the foreground); null after
// the time-out.
HWND waitForProcessMenu(DWORD processId, std::chrono::milliseconds timeout = 8s);
// Each key pressed and released in turn, as a person types them (a gap after each), with Shift
// held throughout when asked.
void pressKeys(std::initializer_list<WORD> keys, bool shift = false, std::chrono::milliseconds gap = 60ms);
// Modifiers down, the key pressed and released, modifiers up: one SendInput call.
void pressChord(std::vector<WORD> modifiers, WORD key);
// The same chord as a person types it: one event at a time, `gapMs` apart (0: one batch).
void typeChord(std::vector<WORD> modifiers, WORD key, int gapMs);

// The names of the root's children of an XML store file, in order, with their texts.
std::vector<std::pair<std::string, std::string>> storeElements(const std::string& path);
std::string storeValue(const std::string& path, const std::string& name);
// The store in the per-user store folder: its index, status file and a data file.
std::string storeIndexPath();
// A key of the user's settings (under HKEY_CURRENT_USER) removed now and again when this goes.
class UserKeyCleared {
public:
    explicit UserKeyCleared(const wchar_t* key) : m_key(key) { RegDeleteKeyW(HKEY_CURRENT_USER, m_key); }
    ~UserKeyCleared() { RegDeleteKeyW(HKEY_CURRENT_USER, m_key); }
    UserKeyCleared(const UserKeyCleared&) = delete;
    UserKeyCleared& operator=(const UserKeyCleared&) = delete;

private:
    const wchar_t* m_key;
};
// A switch of the user's (a DWORD under HKCU\Software\Dravix) turned on or off.
void setUserSwitch(const wchar_t* name, bool on);
std::string storeStatusPath();
std::string storeDataFile(const std::string& name);
// The Unicode text a stored clip holds (its format 13), or empty.
std::wstring storedClipText(const std::string& clip);
// Lines of a text file (a log), without their line ends.
std::vector<std::string> fileLines(const std::string& path);

// Ends every process of this executable name (programs the program under test started).
void endProcessesNamed(const std::wstring& executable);
// Starts `command` in `folder` (the current one when empty) with its standard handles on NUL:
// a program that outlives the test must not hold the test's output, for which ctest would wait.
// All members are null when it could not be started (GetLastError says why).
PROCESS_INFORMATION startProcess(std::wstring command, const std::wstring& folder = {});
// The same with the given standard handles (inheritable) and creation flags.
struct StandardHandles {
    HANDLE input, output, errors;
};
PROCESS_INFORMATION startProcess(std::wstring command, const std::wstring& folder, const StandardHandles& handles,
                                 DWORD flags = 0);
// Starts a Linux program through Wine (by its Z: path); Wine gives no handle that ends with it.
bool runUnix(const std::wstring& program, const std::wstring& arguments);
// Real X input from xdotool.
bool xdotool(const std::wstring& arguments);
// A screenshot of the whole display into build/screenshots/`name` (for people to look at).
void screenshot(const std::wstring& name);
// The name of this test's Wine session (its prefix's folder name: "wineprefix", "wineprefix-2"),
// for what a test makes outside it that tests of the other session must not share.
std::wstring sessionName();
// The build folder (the one above build\x64), seen from Wine as a Z: path.
std::wstring buildFolder();

// While it lives, windows shown are timed as on a bare X display: the session's stand-in for a
// window manager (scripts/window-states.c) marks none of them shown, so Wine waits two seconds
// before it hides each one, as it does for users without a window manager.
class BareDisplayTiming {
public:
    BareDisplayTiming();
    ~BareDisplayTiming();
    BareDisplayTiming(const BareDisplayTiming&) = delete;
    BareDisplayTiming& operator=(const BareDisplayTiming&) = delete;

private:
    std::wstring m_pauseFile;
};

// A program started by `command` whose window is found by its class.
struct ProgramByClass {
    std::wstring command;
    std::wstring windowClass;
};

// Which keys paste in an edit target: those of an edit control, or Shift+Insert alone (a terminal).
enum class PasteKeys { Edit, ShiftInsertOnly };

// A running process with a top-level window: our edit target, or any program found by class.
class Target {
public:
    // `pasteDelayMs`: a paste is read from the clipboard that long after the key (see EditTarget.cpp).
    Target(const std::wstring& title, const std::wstring& text, const std::wstring& windowClass = L"DravixEditTarget",
           const std::wstring& log = L"", int pasteDelayMs = 0, PasteKeys keys = PasteKeys::Edit);
    explicit Target(const ProgramByClass& program);
    ~Target();
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    HWND window() const { return m_window; }
    DWORD processId() const { return m_process.dwProcessId; }
    HWND edit() const;
    std::wstring text() const;
    // Without a window manager X sends keys to the window under the pointer: the xdotool command
    // that puts it there.
    std::wstring pointerOverCommand() const;
    // Brings the target to the front and waits until its edit control takes the keys.
    bool focus() const;
    // Puts `text` into the target's edit control, brings it to the front and selects it all,
    // checking the selection.
    bool setTextAndSelectAll(const std::wstring& text) const;

private:
    void start(std::wstring command, const std::function<HWND()>& find);

    PROCESS_INFORMATION m_process = {};
    HWND m_window = nullptr;
};

// A run of clip_source.exe (see ClipSource.cpp; `program` names another build of it), found by its
// window once it has done its first step.
class ClipSource {
public:
    explicit ClipSource(const std::wstring& arguments, const std::wstring& program = L"clip_source.exe");
    ~ClipSource();
    ClipSource(const ClipSource&) = delete;
    ClipSource& operator=(const ClipSource&) = delete;

    bool ready() const { return m_window != nullptr; }
    // Ends it the way a crash does: nothing it joined is left.
    void kill();

private:
    PROCESS_INFORMATION m_process = {};
    HWND m_window = nullptr;
};
