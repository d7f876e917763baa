#include "ui/PreviewEdit.h"

#include "ui/PictureFit.h"
#include "ui/SearchMarks.h"
#include "base/Handle.h"

#include <algorithm>

namespace ui {

CPreviewEdit::~CPreviewEdit() {
    Unsubclass();
    dropImage();
}

void CPreviewEdit::Attach(HWND edit) {
    Subclass(edit);
}

void CPreviewEdit::dropImage() {
    m_bPictureShown = false;
    m_imageDc.reset();
    m_imageBitmap.reset();
}

void CPreviewEdit::ShowText(const std::wstring& text) {
    dropImage();
    m_marks.clear();
    m_text = text;
    SetWindowTextW(hwnd(), text.c_str());
    InvalidateRect(hwnd(), nullptr, TRUE);
}

// The control keeps its selection shown without the focus (ES_NOHIDESEL).
void CPreviewEdit::MarkText(std::vector<search::TextSpan> marks) {
    m_marks = std::move(marks);
    if (m_marks.empty())
        return;
    const search::TextSpan& first = m_marks.front();
    SendMessageW(hwnd(), EM_SETSEL, first.start, static_cast<LPARAM>(first.start + first.length));
    SendMessageW(hwnd(), EM_SCROLLCARET, 0, 0);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

// The marks after the first (which is the selection), each line's piece drawn where the control
// drew it, in its font, within its formatting rectangle. A piece with a tab is left as it is (the
// control expands tabs its own way).
void CPreviewEdit::paintMarks() {
    const HWND edit = hwnd();
    RECT area;
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    base::WindowDc dc(edit);
    IntersectClipRect(dc.get(), area.left, area.top, area.right, area.bottom);
    base::SelectScope font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    SetBkColor(dc.get(), kMarkColour);
    SetBkMode(dc.get(), OPAQUE);
    SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
    const int lines = static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    for (std::size_t m = 1; m < m_marks.size(); ++m) {
        const std::size_t end = std::min(m_marks[m].start + m_marks[m].length, m_text.size());
        for (std::size_t at = m_marks[m].start; at < end;) {
            const int line = static_cast<int>(SendMessageW(edit, EM_LINEFROMCHAR, at, 0));
            const LRESULT next = line + 1 < lines ? SendMessageW(edit, EM_LINEINDEX, line + 1, 0) : -1;
            const std::size_t pieceEnd = next > static_cast<LRESULT>(at) ? std::min(end, static_cast<std::size_t>(next)) : end;
            std::wstring piece = m_text.substr(at, pieceEnd - at);
            piece.erase(piece.find_last_not_of(L"\r\n") + 1);
            const LRESULT position = SendMessageW(edit, EM_POSFROMCHAR, at, 0);
            const int x = static_cast<short>(LOWORD(position)), y = static_cast<short>(HIWORD(position));
            if (position != -1 && !piece.empty() && piece.find(L'\t') == std::wstring::npos && y >= area.top - 64 && y < area.bottom)
                TextOutW(dc.get(), x, y, piece.c_str(), static_cast<int>(piece.size()));
            at = pieceEnd;
        }
    }
}

void CPreviewEdit::ShowPicture(HBITMAP bitmap) {
    ShowText(L"");
    UpdateWindow(hwnd());
    base::WindowDc client(hwnd());
    RECT area;
    GetClientRect(hwnd(), &area);
    const int width = area.right, height = area.bottom;
    if (width <= 0 || height <= 0)
        return;

    // The stored image: the framed white pane with the fitted picture, drawn off screen.
    m_imageBitmap.reset(CreateCompatibleBitmap(client.get(), width, height));
    m_imageDc = base::MemoryDc(nullptr);
    m_imageDc.select(m_imageBitmap.get());
    {
        base::SelectScope pen(m_imageDc.get(), GetStockObject(BLACK_PEN));
        base::SelectScope brush(m_imageDc.get(), GetStockObject(WHITE_BRUSH));
        Rectangle(m_imageDc.get(), 0, 0, width, height);
    }
    BITMAP description = {};
    PictureFit fit;
    if (bitmap && GetObjectW(bitmap, sizeof description, &description) &&
        fitPicture(width, height, description.bmWidth, description.bmHeight, fit)) {
        base::MemoryDc source(client.get());
        base::SelectScope picture(source.get(), bitmap);
        SetStretchBltMode(m_imageDc.get(), HALFTONE);
        StretchBlt(m_imageDc.get(), fit.x, fit.y, fit.width, fit.height, source.get(), 0, 0, description.bmWidth,
                   description.bmHeight, SRCCOPY);
    }
    m_bPictureShown = true;
    BitBlt(client.get(), 0, 0, width, height, m_imageDc.get(), 0, 0, SRCCOPY);
}

// The stored image, stretched to the pane's current size.
void CPreviewEdit::paintImage() {
    base::PaintScope paint(hwnd());
    RECT area;
    GetClientRect(hwnd(), &area);
    BITMAP size = {};
    if (GetObjectW(m_imageBitmap.get(), sizeof size, &size))
        StretchBlt(paint.get(), 0, 0, area.right, area.bottom, m_imageDc.get(), 0, 0, size.bmWidth, size.bmHeight,
                   SRCCOPY);
}

LRESULT CPreviewEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && m_bPictureShown) {
        paintImage();
        return 0;
    }
    if (message == WM_ERASEBKGND && m_bPictureShown)
        return 1;
    if (message == WM_PAINT && m_marks.size() > 1) {
        const LRESULT painted = CallOriginal(message, wParam, lParam);
        paintMarks();
        return painted;
    }
    return CallOriginal(message, wParam, lParam);
}

}  // namespace ui
