#include "app/SearchBar.h"

#include "base/Check.h"
#include "base/Handle.h"
#include "base/Text.h"
#include "fw/Window.h"

#include <algorithm>

namespace app {

namespace {

constexpr std::wstring_view kSearchCue = L"搜索 (Ctrl+F)";
constexpr std::wstring_view kPatternCue = L"正则表达式 (Ctrl+F)";
constexpr std::wstring_view kFilterButton = L"筛选(&L)";
constexpr std::wstring_view kEarlierBox = L"在以前的记录中查找(&E) (Ctrl+Shift+F)";
constexpr COLORREF kFaultColour = RGB(255, 214, 214);

HWND createChild(HWND window, const wchar_t* className, std::wstring_view text, DWORD style, DWORD exStyle, int id) {
    HWND child = CHECK_WIN32(CreateWindowExW(exStyle, className, std::wstring(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                             0, 0, 100, 20, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                             GetModuleHandleW(nullptr), nullptr));
    SendMessageW(child, WM_SETFONT, SendMessageW(window, WM_GETFONT, 0, 0), FALSE);
    return child;
}

// A row's height and a text's width in the window's font.
std::pair<int, int> measure(HWND control, std::wstring_view text) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    base::WindowDc screen(control);
    base::SelectScope selected(screen.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(screen.get(), &metrics);
    SIZE size = {};
    GetTextExtentPoint32W(screen.get(), text.data(), static_cast<int>(text.size()), &size);
    return {metrics.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE) + 6, size.cx};
}

HMENU appendSubmenu(HMENU menu, const wchar_t* label) {
    HMENU submenu = CreatePopupMenu();
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), label);
    return submenu;  // the menu it is in destroys it
}

// A path as a menu shows it: its "&" doubled (no access key), after the access key `number`.
std::wstring folderItem(std::size_t number, const std::string& folder) {
    std::wstring label;
    for (const wchar_t c : base::toWide(folder))
        label += c == L'&' ? std::wstring(L"&&") : std::wstring(1, c);
    return number < 9 ? L"&" + std::to_wstring(number + 1) + L" " + label : label;
}

// The "存档文件夹" submenu, its ids from `firstId` on: the user's folders, then "添加文件夹".
void appendFolders(HMENU menu, const CSearchBar::FolderMenu& folders, UINT firstId) {
    HMENU submenu = appendSubmenu(menu, L"存档文件夹(&A)");
    for (std::size_t i = 0; i < folders.added.size(); ++i)
        AppendMenuW(submenu, MF_STRING | MF_CHECKED, firstId + 1 + i, folderItem(i, folders.added[i]).c_str());
    for (const std::string& folder : folders.others)
        AppendMenuW(submenu, MF_STRING | MF_GRAYED | MF_CHECKED, 0, folderItem(9, folder).c_str());
    AppendMenuW(submenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(submenu, MF_STRING, firstId, L"添加文件夹(&N)…");
}

}  // namespace

void CSearchBar::Create(HWND window, const Ids& ids) {
    m_box = createChild(window, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, ids.box);
    // The button and the checkbox are reached by their access keys (and Ctrl+Shift+F): Tab keeps
    // going through the box, the list, the tree and the preview.
    m_filters = createChild(window, L"BUTTON", kFilterButton, BS_PUSHBUTTON, 0, ids.filters);
    m_earlier = createChild(window, L"BUTTON", kEarlierBox, BS_AUTOCHECKBOX, 0, ids.earlier);
    m_firstMenuId = ids.firstMenuId;
    const auto [height, width] = measure(m_filters, L"筛选(L)");
    m_rowHeight = height;
    m_buttonWidth = width + 4 * GetSystemMetrics(SM_CXEDGE) + 12;
    showPatternCue();
}

int CSearchBar::Layout(const RECT& area) const {
    const int width = std::max<int>(0, area.right - area.left);
    const int rowHeight = std::min<int>(m_rowHeight, std::max<int>(0, (area.bottom - area.top) / 2));
    const int buttonWidth = std::min(m_buttonWidth, width);
    constexpr UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(m_box, nullptr, area.left, area.top, width - buttonWidth, rowHeight, kPlace);
    SetWindowPos(m_filters, nullptr, area.right - buttonWidth, area.top, buttonWidth, rowHeight, kPlace);
    SetWindowPos(m_earlier, nullptr, area.left + 4, area.top + rowHeight, std::max(0, width - 4), rowHeight, kPlace);
    return 2 * rowHeight;
}

std::u16string CSearchBar::Text() const {
    return base::toUtf16(fw::windowText(m_box));
}

void CSearchBar::ToggleEarlier() const {
    CheckDlgButton(GetParent(m_earlier), GetDlgCtrlID(m_earlier), SearchesEarlier() ? BST_UNCHECKED : BST_CHECKED);
}

CSearchBar::MenuChoice CSearchBar::ShowFilterMenu(const std::vector<std::u16string>& programs,
                                                  const std::vector<std::u16string>& categories, const FolderMenu& folders) {
    const std::vector<app::searchbox::MenuItem> items = app::searchbox::filterMenu(programs, categories, m_firstMenuId);
    UINT folderIds = m_firstMenuId;
    for (const app::searchbox::MenuItem& item : items)
        folderIds = std::max<UINT>(folderIds, item.id + 1);
    base::UniqueMenu menu(CreatePopupMenu());
    const std::pair<search::FilterKind, const wchar_t*> kinds[] = {{search::FilterKind::Type, L"类型(&T)"},
                                                                   {search::FilterKind::Date, L"日期(&D)"},
                                                                   {search::FilterKind::Program, L"程序(&P)"},
                                                                   {search::FilterKind::Category, L"分类(&C)"}};
    for (const auto& [kind, label] : kinds) {
        HMENU submenu = appendSubmenu(menu.get(), label);
        for (const app::searchbox::MenuItem& item : items)
            if (!item.patternToggle && item.kind == kind)
                AppendMenuW(submenu, MF_STRING, item.id, base::toWide(item.label).c_str());
        if (GetMenuItemCount(submenu) == 0)
            AppendMenuW(submenu, MF_STRING | MF_GRAYED, 0, L"（无）");
    }
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING | (m_pattern ? MF_CHECKED : 0), items.front().id,
                base::toWide(items.front().label).c_str());
    appendFolders(menu.get(), folders, folderIds);
    RECT button = {};
    GetWindowRect(m_filters, &button);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_TOPALIGN,
                                                         button.right, button.bottom, 0, GetParent(m_filters), nullptr));
    MenuChoice choice;
    if (chosen == folderIds)
        choice.addFolder = true;
    else if (chosen > folderIds && chosen - folderIds - 1 < folders.added.size())
        choice.removeFolder = folders.added[chosen - folderIds - 1];
    const auto picked = std::find_if(items.begin(), items.end(), [&](const auto& item) { return item.id == chosen; });
    if (chosen == 0 || picked == items.end())
        return choice;
    if (picked->patternToggle) {
        m_pattern = !m_pattern;
        showPatternCue();
        choice.searchAgain = true;
        return choice;
    }
    const std::u16string text = search::withFilter(Text(), picked->kind, picked->value);
    SetWindowTextW(m_box, base::toWide(text).c_str());
    SetFocus(m_box);
    SendMessageW(m_box, EM_SETSEL, text.size(), static_cast<LPARAM>(text.size()));
    return choice;
}

bool CSearchBar::ClearOneStep() const {
    const std::u16string text = Text();
    if (text.empty())
        return false;
    const std::u16string left = search::clearOneStep(text, m_pattern);
    SetWindowTextW(m_box, base::toWide(left).c_str());  // its change notification runs the search
    SendMessageW(m_box, EM_SETSEL, left.size(), static_cast<LPARAM>(left.size()));
    return true;
}

void CSearchBar::showPatternCue() const {
    const std::wstring cue(m_pattern ? kPatternCue : kSearchCue);
    SendMessageW(m_box, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
}

void CSearchBar::ShowFault(bool fault) {
    if (fault == m_fault)
        return;
    m_fault = fault;
    InvalidateRect(m_box, nullptr, TRUE);
}

bool CSearchBar::ColourBox(HWND control, HDC dc, LRESULT& result) {
    if (control != m_box || !m_fault)
        return false;
    if (!m_faultBrush)
        m_faultBrush.reset(CreateSolidBrush(kFaultColour));
    SetBkColor(dc, kFaultColour);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    result = reinterpret_cast<LRESULT>(m_faultBrush.get());
    return static_cast<bool>(m_faultBrush);
}

}  // namespace app
