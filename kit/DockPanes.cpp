#include "kit/DockPanes.h"

#include "base/Handle.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace kit {

namespace {

void place(HWND window, int x, int y, int width, int height) {
    if (window)
        SetWindowPos(window, nullptr, x, y, std::max(width, 0), std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

HWND CDockPanes::makeCaption(const std::wstring& text) const {
    HWND caption = CreateWindowExW(WS_EX_STATICEDGE, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE,
                                   0, 0, 0, 0, m_owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(caption, WM_SETFONT, SendMessageW(m_owner, WM_GETFONT, 0, 0), FALSE);
    return caption;
}

// Sizes at 96 dots per inch, scaled to the screen's.
void CDockPanes::Create(HWND owner, HWND tree, const std::wstring& treeCaption, HWND preview,
                        const std::wstring& previewCaption, HWND status, std::function<void()> relayout) {
    const int dpi = GetDeviceCaps(base::WindowDc(owner).get(), LOGPIXELSY);
    const auto scaled = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    m_gap = scaled(5);
    m_captionHeight = scaled(18);
    m_statusHeight = scaled(22);
    m_minimum = scaled(40);
    m_treeWidth = scaled(160);
    m_previewHeight = scaled(130);
    m_owner = owner;
    m_tree = tree;
    m_preview = preview;
    m_status = status;
    m_relayout = std::move(relayout);
    m_treeCaption = makeCaption(treeCaption);
    m_previewCaption = makeCaption(previewCaption);
    Subclass(owner);
}

RECT CDockPanes::Layout(RECT area) {
    m_area = area;
    const int width = area.right - area.left, height = area.bottom - area.top;
    m_treeWidth = std::clamp(m_treeWidth, m_minimum, std::max(m_minimum, width - m_minimum));
    m_previewHeight = std::clamp(m_previewHeight, m_minimum, std::max(m_minimum, height - m_statusHeight - 2 * m_minimum));

    const int statusTop = area.bottom - m_statusHeight;
    place(m_status, area.left, statusTop, width, m_statusHeight);
    const int previewTop = statusTop - m_previewHeight;
    place(m_previewCaption, area.left, previewTop, width, m_captionHeight);
    place(m_preview, area.left, previewTop + m_captionHeight, width, m_previewHeight - m_captionHeight);
    m_previewGap = {area.left, previewTop - m_gap, area.right, previewTop};

    const int middleBottom = previewTop - m_gap;
    place(m_treeCaption, area.left, area.top, m_treeWidth, m_captionHeight);
    place(m_tree, area.left, area.top + m_captionHeight, m_treeWidth, middleBottom - area.top - m_captionHeight);
    m_treeGap = {area.left + m_treeWidth, area.top, area.left + m_treeWidth + m_gap, middleBottom};
    return RECT{area.left + m_treeWidth + m_gap, area.top, area.right, middleBottom};
}

CDockPanes::Drag CDockPanes::hitTest(POINT point) const {
    if (PtInRect(&m_treeGap, point))
        return Drag::TreeWidth;
    if (PtInRect(&m_previewGap, point))
        return Drag::PreviewHeight;
    return Drag::None;
}

LRESULT CDockPanes::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = hwnd();
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_SETCURSOR: {
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(window, &cursor);
        const Drag over = m_drag != Drag::None ? m_drag : hitTest(cursor);
        if (over != Drag::None) {
            SetCursor(LoadCursorW(nullptr, over == Drag::TreeWidth ? IDC_SIZEWE : IDC_SIZENS));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONDOWN:
        m_drag = hitTest(point);
        if (m_drag != Drag::None) {
            SetCapture(window);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (m_drag == Drag::TreeWidth)
            m_treeWidth = point.x - m_area.left;
        else if (m_drag == Drag::PreviewHeight)
            m_previewHeight = m_area.bottom - m_statusHeight - point.y;
        else
            break;
        if (m_relayout)
            m_relayout();
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (m_drag != Drag::None) {
            m_drag = Drag::None;
            if (message == WM_LBUTTONUP)
                ReleaseCapture();
            return 0;
        }
        break;
    }
    return CallOriginal(message, wParam, lParam);
}

}  // namespace kit
