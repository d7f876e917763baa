// Drives dravix.exe from a test: starts it, finds its main window, reads its clip list across
// processes, and ends it.
#pragma once

#include "WinTestSupport.h"

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

struct ListRow {
    std::wstring content, copyTime, number, useTime;
    int image = -1;
};

class DravixProcess {
public:
    // Starts dravix.exe from `folder` (the build's bin folder when empty). The intro is switched
    // off (the user's "do not show again") unless asked for.
    explicit DravixProcess(const std::wstring& folder = L"", bool showIntro = false);
    ~DravixProcess();
    DravixProcess(const DravixProcess&) = delete;
    DravixProcess& operator=(const DravixProcess&) = delete;

    bool started() const { return m_process.hProcess != nullptr; }
    // Waits for the main window, by its exact title, to be shown; null after the time-out.
    HWND waitForMainWindow(std::chrono::milliseconds timeout = 15s);
    HWND mainWindow() const { return m_main; }
    // The exit code, or -1 when it is still running after the time-out.
    long waitForExit(std::chrono::milliseconds timeout);
    DWORD processId() const { return m_process.dwProcessId; }

    HWND list() const { return GetDlgItem(m_main, 1000); }
    // The tray icon's own window, which takes the tray menu's commands.
    HWND trayWindow() const;
    HWND tree() const { return GetDlgItem(m_main, 1001); }
    HWND preview() const { return GetDlgItem(m_main, 1002); }
    HWND searchBox() const { return GetDlgItem(m_main, 1003); }
    // The status line's text, and the preview's.
    std::wstring statusText() const;
    std::wstring previewText() const;
    std::wstring searchText() const;
    std::vector<ListRow> rows() const;
    // The text of a cell of any list view of the program (its dialogs' lists too).
    std::wstring itemText(HWND view, int row, int column) const;
    // The number of rows alone: one message, for waiting on many rows.
    int rowCount() const;
    // Waits until `done(rows)` holds.
    bool waitForRows(const std::function<bool(const std::vector<ListRow>&)>& done,
                     std::chrono::milliseconds timeout = 10s) const;
    // LVM_FINDITEM from this process: the first row (from the top, around) whose text is
    // `text` or, with `prefix`, begins with it; -1 for none.
    int findRow(const std::wstring& text, bool prefix) const;
    // The widths of the list's columns, and the width of a text in the list's font.
    std::vector<int> columnWidths() const;
    int stringWidth(const std::wstring& text) const;
    // A row's rectangle and a header item's rectangle, in screen coordinates.
    RECT rowRect(int row) const;
    RECT headerItemRect(int column) const;
    // Selects a tree node by its position: 0 root, 1 collection, 2 hotkeys, 3 paste queue.
    void selectTreeNode(int which) const;
    // The text of a tree node by its position (0 root, 1 collection, 2 hotkeys, 3 paste queue,
    // 4... categories).
    std::wstring treeText(int which) const;
    int treeNodeCount() const;
    // Exactly these rows selected (none for an empty list).
    void selectRows(const std::vector<int>& rows) const;
    // The selected rows, top to bottom.
    std::vector<int> selectedRows() const;

private:
    // Memory in dravix's process for list-view messages that take pointers.
    void* remoteAlloc(std::size_t size) const;

    PROCESS_INFORMATION m_process = {};
    HWND m_main = nullptr;
    HANDLE m_remoteProcess = nullptr;
    mutable void* m_remote = nullptr;
};

// The position of the first row showing `content`, or -1.
int rowOf(const std::vector<ListRow>& rows, const std::wstring& content);
// How many rows show `content`.
std::size_t rowsHolding(const std::vector<ListRow>& rows, const std::wstring& content);
// A window of `processId` whose title is `title` (the exit dialog, a message box), or null.
HWND findProcessWindow(DWORD processId, const std::wstring& title, HWND except = nullptr);
// A left click (or double click) at a screen point with real mouse input.
void clickAt(POINT point, bool doubleClick = false);
// Clicks into `control` (its window brought to the front) until it takes the keys: a click that
// did not take is clicked again, as a person would (a window just started may still be placed
// where the X server put it after the click was aimed). At most three clicks.
bool clickIntoKeys(HWND control);
// A visible, enabled dialog of the process (class #32770) other than `except` (so not the owner
// of a modal dialog), or null after the time-out.
HWND waitForProcessDialog(DWORD processId, HWND except, std::chrono::milliseconds timeout = 8s);
// The same, other than any of `except` (the main window is a dialog too: a message box over another
// dialog is told from it this way, whether it is up yet or not).
HWND waitForProcessDialog(DWORD processId, std::initializer_list<HWND> except, std::chrono::milliseconds timeout = 8s);
// Text typed as a person would, one character at a time.
void typeText(const std::wstring& text);
std::wstring binFolder();
// Copies a file of the build's folder into `folder` (made if missing) as `as` (its own name by
// default): a program folder of its own, as another installation has.
bool copyProgramFile(const std::wstring& folder, const std::wstring& file, const std::wstring& as = L"");
// The file that keeps the intro switched off, in the user's store folder.
std::string introOffMarker();
