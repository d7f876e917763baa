#include "DravixProcess.h"

#include "store/Protocol.h"
#include "store/StorePaths.h"
#include "TestFiles.h"
#include "base/Handle.h"
#include "base/Text.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>

namespace {

constexpr std::size_t kRemoteSize = 8192;

HTREEITEM treeNode(HWND view, int which) {
    auto item = [&](WPARAM flag, HTREEITEM from) {
        return reinterpret_cast<HTREEITEM>(SendMessageW(view, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(from)));
    };
    HTREEITEM node = item(TVGN_ROOT, nullptr);
    if (which >= 1)
        node = item(TVGN_CHILD, node);
    for (int i = 1; i < which && node; ++i)
        node = item(TVGN_NEXT, node);
    return node;
}

}  // namespace

std::wstring binFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

bool copyProgramFile(const std::wstring& folder, const std::wstring& file, const std::wstring& as) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder), ignored);
    return CopyFileW((binFolder() + L"\\" + file).c_str(), (folder + L"\\" + (as.empty() ? file : as)).c_str(), FALSE) != 0;
}

std::string introOffMarker() {
    return store::joinPath(store::userStoreFolder(), "intro.off");
}

DravixProcess::DravixProcess(const std::wstring& folder, bool showIntro) {
    const std::wstring dir = folder.empty() ? binFolder() : folder;
    if (showIntro)
        DeleteFileW(base::toWide(introOffMarker()).c_str());
    else
        writeBytes(introOffMarker(), "off");
    std::wstring command = L"\"" + dir + L"\\dravix.exe\"";
    SetEnvironmentVariableW(L"DRAVIX_STARTUP_PAUSE_MS", L"0");
    // The programs it starts (the help viewer, a browser) outlive it.
    m_process = startProcess(command, dir);
}

DravixProcess::~DravixProcess() {
    if (m_remote)
        VirtualFreeEx(m_remoteProcess, m_remote, 0, MEM_RELEASE);
    if (m_remoteProcess)
        CloseHandle(m_remoteProcess);
    if (m_process.hProcess) {
        if (WaitForSingleObject(m_process.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(m_process.hProcess, 0);
            WaitForSingleObject(m_process.hProcess, 5000);
        }
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
}

HWND DravixProcess::waitForMainWindow(std::chrono::milliseconds timeout) {
    const std::wstring title = base::toWide(store::kMainWindowTitle);
    pumpUntil(
        [&] {
            m_main = FindWindowW(nullptr, title.c_str());
            DWORD owner = 0;
            if (m_main)
                GetWindowThreadProcessId(m_main, &owner);
            // The title is set during initialisation; the dialog is shown after it.
            return m_main && owner == m_process.dwProcessId && IsWindowVisible(m_main);
        },
        timeout);
    if (m_main)
        SendMessageTimeoutW(m_main, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
    return m_main;
}

long DravixProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (!m_process.hProcess)
        return -1;
    const bool ended = pumpUntil([&] { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0; }, timeout);
    DWORD code = 0;
    if (!ended || !GetExitCodeProcess(m_process.hProcess, &code))
        return -1;
    return static_cast<long>(code);
}

void* DravixProcess::remoteAlloc(std::size_t size) const {
    if (!m_remote) {
        auto* self = const_cast<DravixProcess*>(this);
        self->m_remoteProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                            m_process.dwProcessId);
        m_remote = VirtualAllocEx(m_remoteProcess, nullptr, kRemoteSize, MEM_COMMIT, PAGE_READWRITE);
    }
    return size <= kRemoteSize ? m_remote : nullptr;
}

std::wstring DravixProcess::itemText(HWND view, int row, int column) const {
    char* remote = static_cast<char*>(remoteAlloc(sizeof(LVITEMW) + 2048));
    if (!view || !remote)
        return {};
    wchar_t* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = 1000;
    WriteProcessMemory(m_remoteProcess, remote, &item, sizeof item, nullptr);
    const LRESULT length = SendMessageW(view, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ReadProcessMemory(m_remoteProcess, remoteText, text.data(), text.size() * sizeof(wchar_t), nullptr);
    return text;
}

std::vector<ListRow> DravixProcess::rows() const {
    std::vector<ListRow> rows;
    HWND view = list();
    char* remote = static_cast<char*>(remoteAlloc(sizeof(LVITEMW) + 2048));
    if (!view || !remote)
        return rows;
    const int count = static_cast<int>(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        ListRow read;
        std::wstring* columns[] = {&read.content, &read.copyTime, &read.number, &read.useTime};
        for (int column = 0; column < 4; ++column)
            *columns[column] = itemText(view, row, column);
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        WriteProcessMemory(m_remoteProcess, remote, &item, sizeof item, nullptr);
        SendMessageW(view, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(m_remoteProcess, remote, &item, sizeof item, nullptr);
        read.image = item.iImage;
        rows.push_back(read);
    }
    return rows;
}

int DravixProcess::rowCount() const {
    return static_cast<int>(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0));
}

bool DravixProcess::waitForRows(const std::function<bool(const std::vector<ListRow>&)>& done,
                                std::chrono::milliseconds timeout) const {
    return pumpUntil([&] { return done(rows()); }, timeout);
}

int DravixProcess::findRow(const std::wstring& text, bool prefix) const {
    char* remote = static_cast<char*>(remoteAlloc(sizeof(LVFINDINFOW) + (text.size() + 1) * sizeof(wchar_t)));
    if (!remote)
        return -2;
    LVFINDINFOW find = {};
    find.flags = LVFI_STRING | LVFI_WRAP | (prefix ? LVFI_PARTIAL : 0);
    find.psz = reinterpret_cast<const wchar_t*>(remote + sizeof find);
    WriteProcessMemory(m_remoteProcess, remote, &find, sizeof find, nullptr);
    WriteProcessMemory(m_remoteProcess, remote + sizeof find, text.c_str(), (text.size() + 1) * sizeof(wchar_t), nullptr);
    return static_cast<int>(SendMessageW(list(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote)));
}

std::vector<int> DravixProcess::columnWidths() const {
    std::vector<int> widths;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list(), LVM_GETHEADER, 0, 0));
    const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < count; ++column)
        widths.push_back(static_cast<int>(SendMessageW(list(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0)));
    return widths;
}

int DravixProcess::stringWidth(const std::wstring& text) const {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    void* remote = remoteAlloc(bytes);
    if (!remote)
        return 0;
    WriteProcessMemory(m_remoteProcess, remote, text.c_str(), bytes, nullptr);
    return static_cast<int>(SendMessageW(list(), LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(remote)));
}

RECT DravixProcess::rowRect(int row) const {
    RECT rect = {LVIR_BOUNDS, 0, 0, 0};
    void* remote = remoteAlloc(sizeof rect);
    WriteProcessMemory(m_remoteProcess, remote, &rect, sizeof rect, nullptr);
    SendMessageW(list(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(m_remoteProcess, remote, &rect, sizeof rect, nullptr);
    MapWindowPoints(list(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT DravixProcess::headerItemRect(int column) const {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list(), LVM_GETHEADER, 0, 0));
    RECT rect = {};
    void* remote = remoteAlloc(sizeof rect);
    SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(m_remoteProcess, remote, &rect, sizeof rect, nullptr);
    MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void DravixProcess::selectTreeNode(int which) const {
    SendMessageW(tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(treeNode(tree(), which)));
}

std::wstring DravixProcess::statusText() const {
    wchar_t text[512] = {};
    if (HWND status = FindWindowExW(m_main, nullptr, STATUSCLASSNAMEW, nullptr))
        SendMessageW(status, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

HWND DravixProcess::trayWindow() const {
    for (HWND window = FindWindowW(L"DravixTrayIconWindow", nullptr); window;
         window = FindWindowExW(nullptr, window, L"DravixTrayIconWindow", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == m_process.dwProcessId)
            return window;
    }
    return nullptr;
}

namespace {

std::wstring controlText(HWND control) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

}  // namespace

std::wstring DravixProcess::previewText() const {
    return controlText(preview());
}

std::wstring DravixProcess::searchText() const {
    return controlText(searchBox());
}

std::wstring DravixProcess::treeText(int which) const {
    HTREEITEM node = treeNode(tree(), which);
    char* remote = static_cast<char*>(remoteAlloc(sizeof(TVITEMW) + 1024));
    if (!node || !remote)
        return {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TVITEMW));
    item.cchTextMax = 500;
    WriteProcessMemory(m_remoteProcess, remote, &item, sizeof item, nullptr);
    SendMessageW(tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
    wchar_t text[500] = {};
    ReadProcessMemory(m_remoteProcess, remote + sizeof(TVITEMW), text, sizeof text - sizeof(wchar_t), nullptr);
    return text;
}

int DravixProcess::treeNodeCount() const {
    return static_cast<int>(SendMessageW(tree(), TVM_GETCOUNT, 0, 0));
}

void DravixProcess::selectRows(const std::vector<int>& rows) const {
    void* remote = remoteAlloc(sizeof(LVITEMW));
    auto setState = [&](int row, UINT state) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = state;
        WriteProcessMemory(m_remoteProcess, remote, &item, sizeof item, nullptr);
        SendMessageW(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
    };
    setState(-1, 0);
    for (int row : rows)
        setState(row, LVIS_SELECTED | LVIS_FOCUSED);
}

std::vector<int> DravixProcess::selectedRows() const {
    std::vector<int> rows;
    for (int row = -1; (row = static_cast<int>(SendMessageW(list(), LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

int rowOf(const std::vector<ListRow>& rows, const std::wstring& content) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].content == content)
            return static_cast<int>(i);
    return -1;
}

std::size_t rowsHolding(const std::vector<ListRow>& rows, const std::wstring& content) {
    return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [&](const ListRow& row) { return row.content == content; }));
}

HWND findProcessWindow(DWORD processId, const std::wstring& title, HWND except) {
    for (HWND window = FindWindowW(nullptr, title.c_str()); window;
         window = FindWindowExW(nullptr, window, nullptr, title.c_str())) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && window != except)
            return window;
    }
    return nullptr;
}

HWND waitForProcessDialog(DWORD processId, HWND except, std::chrono::milliseconds timeout) {
    return waitForProcessDialog(processId, {except}, timeout);
}

HWND waitForProcessDialog(DWORD processId, std::initializer_list<HWND> except, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    pumpUntil(
        [&] {
            for (HWND window = FindWindowW(L"#32770", nullptr); window && !found;
                 window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                // Enabled: the owners of a modal dialog (the main window, a dialog under its
                // message box) are disabled, and one of them is never the dialog waited for.
                if (owner == processId && std::find(except.begin(), except.end(), window) == except.end() &&
                    IsWindowVisible(window) && IsWindowEnabled(window))
                    found = window;
            }
            return found != nullptr;
        },
        timeout);
    return found;
}

void typeText(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT keys[2] = {};
        for (INPUT& key : keys) {
            key.type = INPUT_KEYBOARD;
            key.ki.wScan = c;
            key.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
        letTimePass(15ms);  // a person's typing
    }
}

void clickAt(POINT point, bool doubleClick) {
    SetCursorPos(point.x, point.y);
    std::vector<INPUT> inputs;
    for (int i = 0; i < (doubleClick ? 2 : 1); ++i)
        for (DWORD flag : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
            INPUT input = {};
            input.type = INPUT_MOUSE;
            input.mi.dwFlags = flag;
            inputs.push_back(input);
        }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool clickIntoKeys(HWND control) {
    if (!bringToFront(GetAncestor(control, GA_ROOT)))
        return false;
    for (int click = 0; click < 3; ++click) {
        clickAt(centreOf(control));
        if (waitUntilTakesKeys(control, 2s))
            return true;
    }
    return false;
}
