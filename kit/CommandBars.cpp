#include "kit/CommandBars.h"

#include "kit/ListSupport.h"

#include <vector>

namespace kit {

namespace {

constexpr WORD kToolbarResourceType = 241;

}  // namespace

bool CCommandBars::SetMenu(HWND owner, UINT menuId) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId));
    return menu && ::SetMenu(owner, menu);
}

bool CCommandBars::AddToolbar(HWND owner, UINT toolbarId, int buttonWidth, int buttonHeight) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(toolbarId), MAKEINTRESOURCEW(kToolbarResourceType));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const WORD* data = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (!data || size < 8 || data[0] != 1 || size < 8u + data[3] * 2u)
        return false;
    const int imageWidth = data[1], imageHeight = data[2], count = data[3];

    m_toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER,
                                0, 0, 0, 0, owner, nullptr, module, nullptr);
    if (!m_toolbar)
        return false;
    SendMessageW(m_toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    m_images = LoadImageStrip(module, toolbarId, imageWidth, imageHeight, count);
    SendMessageW(m_toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images.get()));

    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        button.idCommand = data[4 + i];
        if (button.idCommand == 0) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = image++;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
            button.iString = -1;
        }
        buttons.push_back(button);
    }
    SendMessageW(m_toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(m_toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth, buttonHeight));
    SendMessageW(m_toolbar, TB_AUTOSIZE, 0, 0);
    return true;
}

int CCommandBars::toolbarHeight() const {
    if (!m_toolbar)
        return 0;
    RECT area = {};
    GetWindowRect(m_toolbar, &area);
    return area.bottom - area.top;
}

bool CCommandBars::HandleNotify(NMHDR& header) {
    if (header.code != TTN_GETDISPINFOW)
        return false;
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
    info.hinst = GetModuleHandleW(nullptr);
    info.lpszText = MAKEINTRESOURCEW(header.idFrom);
    return true;
}

}  // namespace kit
