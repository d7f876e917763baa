#include "ui/PreviewEdit.h"

#include "ui/PictureFit.h"
#include "base/Handle.h"

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
    SetWindowTextW(hwnd(), text.c_str());
    InvalidateRect(hwnd(), nullptr, TRUE);
}

// The control keeps its selection shown without the focus (ES_NOHIDESEL).
void CPreviewEdit::MarkText(std::size_t start, std::size_t length) {
    SendMessageW(hwnd(), EM_SETSEL, start, static_cast<LPARAM>(start + length));
    SendMessageW(hwnd(), EM_SCROLLCARET, 0, 0);
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
    return CallOriginal(message, wParam, lParam);
}

}  // namespace ui
