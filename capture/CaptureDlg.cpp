#include "capture/CaptureDlg.h"

#include "base/Check.h"
#include "base/Trace.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace capture {

namespace {

constexpr UINT kDialog = 160;
constexpr UINT kWindowCursor = 161;
constexpr UINT kIcon = 128;
const wchar_t kOneLineHint[] = L"Press the left_click and don't put down to choose intercepting range.";
const wchar_t kFirstLine[] = L"1.double_click in rectange to store the image to clipboard ";
const wchar_t kSecondLine[] = L"2.Right_click to reselect. ";

RECT united(const RECT& a, const RECT& b) {
    RECT out;
    if (!UnionRect(&out, &a, &b))
        out = {};
    return out;
}

SIZE textSize(HDC dc, const wchar_t* text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    return size;
}

}  // namespace

CCaptureDlg* CCaptureDlg::s_current = nullptr;

CCaptureDlg::CCaptureDlg() : fw::CDialog(kDialog) {
    base::Trace("capture: freezing the screen");
    m_tracker.SetColor(RGB(10, 101, 130));
    m_tracker.SetCursors(166, 165, 162, 163, 164);
    m_tracker.m_rect = {-1, -2, -3, -4};
    m_cursor = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kWindowCursor));
    m_icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIcon));
    // Every monitor, negative coordinates included: the window covers the virtual screen and its
    // client coordinates are the picture's.
    m_origin = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN)};
    m_nScreenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    m_nScreenHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    m_snapshot = CopyRect({0, 0, m_nScreenWidth, m_nScreenHeight}, false);
    base::WindowDc screen(nullptr);
    m_snapshotDc = base::MemoryDc(screen.get());
    m_snapshotDc.select(m_snapshot.get());
    m_frame.reset(CreateCompatibleBitmap(screen.get(), m_nScreenWidth, m_nScreenHeight));
    m_frameDc = base::MemoryDc(screen.get());
    m_frameDc.select(m_frame.get());
    const int height = -MulDiv(9, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    m_hintFont.reset(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体"));
    {
        base::MemoryDc measure(screen.get());
        base::SelectScope font(measure.get(), m_hintFont.get());
        TEXTMETRICW metrics = {};
        GetTextMetricsW(measure.get(), &metrics);
        m_overlayMetrics.lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
        for (const wchar_t* line : {kOneLineHint, kFirstLine, kSecondLine})
            m_overlayMetrics.hintWidth = std::max<int>(m_overlayMetrics.hintWidth, textSize(measure.get(), line).cx);
        const SIZE readout = textSize(measure.get(), L" 99999 \u00D7 99999   RGB(255, 255, 255) ");
        m_overlayMetrics.readoutWidth = readout.cx;
        m_overlayMetrics.readoutHeight = readout.cy;
    }
    m_tracker.OnChangedRect = [this] {
        repaint();
        UpdateWindow(hwnd());
    };
    s_current = this;
    base::Trace("capture: screen %dx%d frozen", m_nScreenWidth, m_nScreenHeight);
}

CCaptureDlg::~CCaptureDlg() {
    if (s_current == this)
        s_current = nullptr;
}

bool CCaptureDlg::OnInitDialog() {
    SetWindowPos(hwnd(), HWND_TOPMOST, m_origin.x, m_origin.y, m_nScreenWidth, m_nScreenHeight, SWP_SHOWWINDOW);
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    m_bOwnDoubleClicks = !(GetClassLongPtrW(hwnd(), GCL_STYLE) & CS_DBLCLKS);
    SetForegroundWindow(hwnd());
    // A drag begun while the window was being prepared: its press went to the window below,
    // which holds the mouse. The drag is taken over from where the pointer is now.
    if (GetAsyncKeyState(GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000) {
        base::Trace("capture: a drag begun before the window showed is taken over");
        SetCapture(hwnd());
        onLeftDown(cursorInWindow());
    }
    return true;
}

void CCaptureDlg::OnDestroy() {
    if (s_current == this)
        s_current = nullptr;
}

base::UniqueBitmap CCaptureDlg::CopyRect(capture::Rect rect, bool toClipboard) {
    capture::Rect area;
    if (!capture::copyArea(rect, m_nScreenWidth, m_nScreenHeight, area))
        return base::UniqueBitmap();
    base::WindowDc screen(nullptr);
    base::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), area.width(), area.height()));
    {
        base::MemoryDc copy(screen.get());
        base::SelectScope selected(copy.get(), bitmap.get());
        if (toClipboard)
            BitBlt(copy.get(), 0, 0, area.width(), area.height(), m_snapshotDc.get(), area.left, area.top, SRCCOPY);
        else
            BitBlt(copy.get(), 0, 0, area.width(), area.height(), screen.get(), m_origin.x + area.left,
                   m_origin.y + area.top, SRCCOPY | CAPTUREBLT);
    }
    if (!toClipboard)
        return bitmap;
    // The clipboard owns the bitmap once it has taken it; until then the bitmap is ours.
    base::ClipboardScope clipboard(hwnd());
    const bool placed = CHECK_WIN32(clipboard.isOpen()) && CHECK_WIN32(EmptyClipboard()) &&
                        CHECK_WIN32(SetClipboardData(CF_BITMAP, bitmap.get()));
    if (placed)
        bitmap.release();
    clipboard.close();
    if (placed)
        base::Trace("capture: %dx%d on the clipboard", area.width(), area.height());
    else
        base::Trace("capture: %dx%d could not be put on the clipboard", area.width(), area.height());
    return base::UniqueBitmap();
}

void CCaptureDlg::SetSelection(const capture::Rect& rect) {
    m_tracker.m_rect = rect;
    repaint();
}

void CCaptureDlg::clearSelection() {
    m_bSelection = false;
    m_bDrawing = false;
    m_tracker.m_rect = {-1, -1, -1, -1};
    repaint();
}

void CCaptureDlg::copyAndClose() {
    CopyRect(m_tracker.m_rect, true);
    EndDialog(IDOK);
}

void CCaptureDlg::OnEnterKey() {
    if (m_bSelection)
        copyAndClose();
}

void CCaptureDlg::OnCancel() {
    if (m_bSelection)
        clearSelection();
    else
        EndDialog(IDCANCEL);
}

void CCaptureDlg::onLeftDown(POINT point) {
    if (m_bOwnDoubleClicks) {
        const DWORD now = GetMessageTime();
        const bool twice = now - m_lastClickTime <= GetDoubleClickTime() &&
                           std::abs(point.x - m_lastClick.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                           std::abs(point.y - m_lastClick.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        m_lastClickTime = twice ? 0 : now;
        m_lastClick = point;
        if (twice && m_tracker.HitTest(point) == capture::kHitInside) {
            onDoubleClick(point);
            return;
        }
    }
    const int hit = m_tracker.HitTest(point);
    if (hit == capture::kHitNothing) {
        if (m_bSelection)
            return;
        m_anchor = point;
        m_bDrawing = m_bSelection = m_bButtonDown = true;
        m_tracker.m_rect = {point.x, point.y, point.x + 4, point.y + 4};
        repaint();
        return;
    }
    m_bButtonDown = true;
    repaint();
    if (m_bSelection) {
        m_tracker.Track(hwnd(), point, true);
        m_bButtonDown = false;  // the drag took the button's release
        repaint();
    }
}

void CCaptureDlg::onDoubleClick(POINT point) {
    if (m_tracker.HitTest(point) == capture::kHitInside)
        copyAndClose();
}

void CCaptureDlg::onMouseMove(POINT point) {
    if (m_bDrawing)
        m_tracker.m_rect = capture::selectionFromAnchor({m_anchor.x, m_anchor.y}, {point.x, point.y});
    repaint();  // the hint and the readout follow the pointer
}

void CCaptureDlg::onRightUp() {
    if (m_bSelection)
        clearSelection();
    else
        EndDialog(IDCANCEL);
}

bool CCaptureDlg::onSetCursor(HWND window, UINT hitTestCode) {
    if (window == hwnd() && !m_bDrawing && m_bSelection && m_tracker.SetCursor(window, hitTestCode))
        return true;
    ::SetCursor(m_cursor);
    return true;
}

POINT CCaptureDlg::cursorInWindow() const {
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(hwnd(), &cursor);
    return cursor;
}

// The hint: one line while nothing is selected, two once a selection is there and the button
// is up; none while it is being drawn.
void CCaptureDlg::drawHint(HDC dc, POINT cursor) const {
    if (m_bButtonDown && m_bSelection)
        return;
    const bool twoLines = !m_bButtonDown && m_bSelection;
    base::SelectScope font(dc, m_hintFont.get());
    const SIZE first = textSize(dc, twoLines ? kFirstLine : kOneLineHint);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    const capture::HintPlace place =
        capture::placeHint({cursor.x, cursor.y}, first.cx, lineHeight, twoLines ? 2 : 1, m_nScreenWidth);
    {
        base::SelectScope pen(dc, GetStockObject(WHITE_PEN));
        base::SelectScope brush(dc, GetStockObject(WHITE_BRUSH));
        Rectangle(dc, place.box.left, place.box.top, place.box.right, place.box.bottom);
    }
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    RECT line = {place.text.x, place.text.y, place.text.x + first.cx, place.text.y + lineHeight};
    if (twoLines) {
        DrawTextW(dc, kFirstLine, -1, &line, DT_LEFT | DT_NOPREFIX | DT_SINGLELINE);
        OffsetRect(&line, 0, lineHeight);
        DrawTextW(dc, kSecondLine, -1, &line, DT_LEFT | DT_NOPREFIX | DT_SINGLELINE);
    } else {
        DrawTextW(dc, kOneLineHint, -1, &line, DT_CENTER | DT_NOPREFIX | DT_SINGLELINE);
    }
    SetBkMode(dc, oldMode);
}

// Beside the selection: its size and the colour of the frozen picture under the pointer.
void CCaptureDlg::drawReadout(HDC dc, POINT cursor) const {
    if (!m_bSelection)
        return;
    const capture::Rect area = capture::normalized(m_tracker.m_rect);
    const COLORREF colour = GetPixel(m_snapshotDc.get(), cursor.x, cursor.y);
    wchar_t text[96];
    std::swprintf(text, 96, L" %d \u00D7 %d   RGB(%d, %d, %d) ", area.width(), area.height(), GetRValue(colour),
                  GetGValue(colour), GetBValue(colour));
    base::SelectScope font(dc, m_hintFont.get());
    const SIZE size = textSize(dc, text);
    int top = area.bottom + 6;
    if (top + size.cy > m_nScreenHeight)
        top = area.top - 6 - size.cy;
    RECT box = {area.left, top, area.left + size.cx, top + size.cy};
    const base::UniqueBrush fill(CreateSolidBrush(RGB(10, 101, 130)));
    FillRect(dc, &box, fill.get());
    const COLORREF oldColor = SetTextColor(dc, RGB(255, 255, 255));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &box, DT_LEFT | DT_NOPREFIX | DT_SINGLELINE);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColor);
}

RECT CCaptureDlg::overlayBounds(POINT cursor) const {
    const capture::Rect tracker = m_tracker.geometry().trueRect(m_tracker.m_rect);
    const capture::Rect reach =
        capture::overlayReach({cursor.x, cursor.y}, m_overlayMetrics, m_nScreenWidth, m_bSelection ? &tracker : nullptr);
    return {reach.left, reach.top, reach.right, reach.bottom};
}

void CCaptureDlg::repaint() {
    const RECT now = overlayBounds(cursorInWindow());
    const RECT both = united(m_lastOverlay, now);
    InvalidateRect(hwnd(), &both, FALSE);
}

// Everything is drawn into the frame off screen, the frozen picture first, so that nothing
// flickers; only the part that changed goes to the screen.
void CCaptureDlg::paint() {
    base::PaintScope paint(hwnd());
    const RECT& area = paint.area();
    const POINT cursor = cursorInWindow();
    HDC frame = m_frameDc.get();
    BitBlt(frame, area.left, area.top, area.right - area.left, area.bottom - area.top, m_snapshotDc.get(), area.left,
           area.top, SRCCOPY);
    drawHint(frame, cursor);
    if (m_bSelection) {
        m_tracker.Draw(frame);
        drawReadout(frame, cursor);
    }
    BitBlt(paint.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, frame, area.left, area.top,
           SRCCOPY);
    m_lastOverlay = overlayBounds(cursor);
    if (!m_bShown) {
        m_bShown = true;
        base::Trace("capture: on screen");
    }
}

bool CCaptureDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_LBUTTONDOWN:
        onLeftDown(point);
        return true;
    case WM_LBUTTONDBLCLK:
        onDoubleClick(point);
        return true;
    case WM_MOUSEMOVE:
        onMouseMove(point);
        return true;
    case WM_LBUTTONUP:
        m_bButtonDown = m_bDrawing = false;
        if (GetCapture() == hwnd())
            ReleaseCapture();
        repaint();
        return true;
    case WM_RBUTTONUP:
        onRightUp();
        return true;
    case WM_SETCURSOR:
        result = onSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam));
        return true;
    case WM_ERASEBKGND:
        result = 1;  // the frozen picture is drawn with everything else
        return true;
    case WM_PAINT:
        paint();
        return true;
    default:
        return fw::CDialog::WindowProc(message, wParam, lParam, result);
    }
}

}  // namespace capture
