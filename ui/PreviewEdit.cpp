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

// The marks after the first (which is the selection) on the lines in view, each line's piece drawn
// where the control drew it, in its font, within its formatting rectangle. A piece with a tab is
// left as it is (the control expands tabs its own way).
void CPreviewEdit::paintMarks() {
    const HWND edit = hwnd();
    RECT area;
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    base::WindowDc dc(edit);
    IntersectClipRect(dc.get(), area.left, area.top, area.right, area.bottom);
    base::SelectScope font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc.get(), &metrics);
    const int lines = static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    const int firstLine = static_cast<int>(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
    const int lastLine = firstLine + (area.bottom - area.top) / std::max<int>(1, metrics.tmHeight) + 1;
    const auto lineStart = [&](int line) {
        return line < lines ? static_cast<std::size_t>(SendMessageW(edit, EM_LINEINDEX, line, 0)) : m_text.size();
    };
    const std::size_t from = lineStart(firstLine), to = lineStart(lastLine + 1);
    SetBkColor(dc.get(), kMarkColour);
    SetBkMode(dc.get(), OPAQUE);
    SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
    // The marks are in order: the first that may end in view, then on until one begins after it.
    auto mark = std::lower_bound(m_marks.begin() + 1, m_marks.end(), from,
                                 [](const search::TextSpan& span, std::size_t at) { return span.start + span.length <= at; });
    for (; mark != m_marks.end() && mark->start < to; ++mark) {
        const std::size_t end = std::min({mark->start + mark->length, m_text.size(), to});
        for (std::size_t at = std::max(mark->start, from); at < end;) {
            const int line = static_cast<int>(SendMessageW(edit, EM_LINEFROMCHAR, at, 0));
            const std::size_t pieceEnd = std::max(at + 1, std::min(end, lineStart(line + 1)));
            std::wstring piece = m_text.substr(at, pieceEnd - at);
            piece.erase(piece.find_last_not_of(L"\r\n") + 1);
            const LRESULT position = SendMessageW(edit, EM_POSFROMCHAR, at, 0);
            if (position != -1 && !piece.empty() && piece.find(L'\t') == std::wstring::npos)
                TextOutW(dc.get(), static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)), piece.c_str(),
                         static_cast<int>(piece.size()));
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
