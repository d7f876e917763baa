#include "capture/CaptureTracker.h"

#include <windowsx.h>

namespace capture {

namespace {

// The handle size from the user's profile, read once per process.
int profileHandleSize() {
    static const int size = static_cast<int>(GetProfileIntW(L"windows", L"oleinplaceborderwidth", 4));
    return size > 0 ? size : 4;
}

RECT toRect(const capture::Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

CCaptureTracker::CCaptureTracker()
    : m_geometry(capture::kSolidLine | capture::kHandlesOutside | capture::kHandlesCentred, profileHandleSize()) {}

void CCaptureTracker::SetColor(COLORREF color) {
    m_color = color;
    m_solidPen.reset(CreatePen(PS_SOLID, 1, color));
    m_dottedPen.reset(CreatePen(PS_DOT, 1, color));
}

void CCaptureTracker::SetCursors(UINT topBottom, UINT rightLeft, UINT mainDiagonal, UINT otherDiagonal, UINT inside) {
    auto load = [](UINT id) { return LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)); };
    m_cursors[capture::kHitTopLeft] = m_cursors[capture::kHitBottomRight] = load(mainDiagonal);
    m_cursors[capture::kHitTopRight] = m_cursors[capture::kHitBottomLeft] = load(otherDiagonal);
    m_cursors[capture::kHitTop] = m_cursors[capture::kHitBottom] = load(topBottom);
    m_cursors[capture::kHitRight] = m_cursors[capture::kHitLeft] = load(rightLeft);
    m_cursors[capture::kHitInside] = load(inside);
}

int CCaptureTracker::HitTest(POINT point) const {
    return m_geometry.hitTest(m_rect, {point.x, point.y});
}

void CCaptureTracker::Draw(HDC dc) const {
    const unsigned style = m_geometry.style();
    if (style & (capture::kSolidLine | capture::kDottedLine)) {
        base::SelectScope pen(dc, (style & capture::kDottedLine) ? m_dottedPen.get() : m_solidPen.get());
        base::SelectScope brush(dc, GetStockObject(NULL_BRUSH));
        const int oldMode = SetROP2(dc, R2_COPYPEN);
        const capture::Rect outline = capture::inflated(capture::normalized(m_rect), 1);
        Rectangle(dc, outline.left, outline.top, outline.right, outline.bottom);
        SetROP2(dc, oldMode);
    }
    if (style & (capture::kHandlesInside | capture::kHandlesOutside)) {
        const base::UniqueBrush fill(CreateSolidBrush(m_color));
        for (int hit = capture::kHitTopLeft; hit <= capture::kHitLeft; ++hit)
            if (m_geometry.handleVisible(m_rect, hit)) {
                const RECT square = toRect(m_geometry.handleRect(m_rect, hit));
                FillRect(dc, &square, fill.get());
            }
    }
}

bool CCaptureTracker::SetCursor(HWND window, UINT hitTestCode) const {
    if (hitTestCode != HTCLIENT)
        return false;
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    const int hit = HitTest(cursor);
    if (hit < 0)
        return false;
    ::SetCursor(m_cursors[capture::TrackerGeometry::mirrored(m_rect, hit)]);
    return true;
}

bool CCaptureTracker::Track(HWND window, POINT point, bool allowInvert) {
    if (GetCapture())
        return false;
    const int hit = HitTest(point);
    if (hit < 0)
        return false;
    const capture::Rect start = m_rect;
    SetCapture(window);
    bool dragging = true;
    while (dragging && GetCapture() == window) {
        MSG message;
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        switch (message.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            const capture::Rect moved = m_geometry.dragged(
                start, hit, {point.x, point.y}, {GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)}, allowInvert);
            if (moved != m_rect) {
                m_rect = moved;
                if (OnChangedRect)
                    OnChangedRect();
            }
            dragging = message.message == WM_MOUSEMOVE;
            break;
        }
        case WM_KEYDOWN:
            if (message.wParam != VK_ESCAPE)
                break;
            [[fallthrough]];
        case WM_RBUTTONDOWN:
            m_rect = start;
            if (OnChangedRect)
                OnChangedRect();
            dragging = false;
            break;
        default:
            DispatchMessageW(&message);
            break;
        }
    }
    if (GetCapture() == window)
        ReleaseCapture();
    return m_rect != start;
}

}  // namespace capture
