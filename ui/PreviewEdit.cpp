#include "PreviewEdit.h"

#include "PictureFit.h"
#include "fw/Handle.h"

#include <commctrl.h>

namespace {

constexpr UINT_PTR kSubclassId = 0x9E7;

}  // namespace

CPreviewEdit::~CPreviewEdit() {
    if (m_hWnd)
        RemoveWindowSubclass(m_hWnd, subclassProc, kSubclassId);
    dropImage();
}

void CPreviewEdit::Attach(HWND edit) {
    m_hWnd = edit;
    SetWindowSubclass(edit, subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void CPreviewEdit::dropImage() {
    m_bPictureShown = 0;
    if (m_imageDc) {
        SelectObject(m_imageDc, m_imageOld);
        DeleteDC(m_imageDc);
        m_imageDc = nullptr;
    }
    if (m_imageBitmap) {
        DeleteObject(m_imageBitmap);
        m_imageBitmap = nullptr;
    }
}

void CPreviewEdit::ShowText(const std::wstring& text) {
    dropImage();
    SetWindowTextW(m_hWnd, text.c_str());
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CPreviewEdit::ShowPicture(HBITMAP bitmap) {
    ShowText(L"");
    UpdateWindow(m_hWnd);
    fw::WindowDc client(m_hWnd);
    RECT area;
    GetClientRect(m_hWnd, &area);
    const int width = area.right, height = area.bottom;
    if (width <= 0 || height <= 0)
        return;

    // The stored image: the framed white pane with the fitted picture, drawn off screen.
    m_imageDc = CreateCompatibleDC(nullptr);
    m_imageBitmap = CreateCompatibleBitmap(client.get(), width, height);
    m_imageOld = SelectObject(m_imageDc, m_imageBitmap);
    SelectObject(m_imageDc, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(m_imageDc, GetStockObject(WHITE_BRUSH));
    Rectangle(m_imageDc, 0, 0, width, height);
    SelectObject(m_imageDc, oldBrush);

    BITMAP description = {};
    PictureFit fit;
    if (bitmap && GetObjectW(bitmap, sizeof description, &description) &&
        fitPicture(width, height, description.bmWidth, description.bmHeight, fit)) {
        HDC source = CreateCompatibleDC(client.get());
        HGDIOBJ old = SelectObject(source, bitmap);
        SetStretchBltMode(m_imageDc, HALFTONE);
        StretchBlt(m_imageDc, fit.x, fit.y, fit.width, fit.height, source, 0, 0, description.bmWidth,
                   description.bmHeight, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
    m_bPictureShown = 1;
    BitBlt(client.get(), 0, 0, width, height, m_imageDc, 0, 0, SRCCOPY);
}

// The stored image, stretched to the pane's current size.
void CPreviewEdit::paintImage() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT area;
    GetClientRect(m_hWnd, &area);
    BITMAP size = {};
    if (GetObjectW(m_imageBitmap, sizeof size, &size))
        StretchBlt(dc, 0, 0, area.right, area.bottom, m_imageDc, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    EndPaint(m_hWnd, &paint);
}

LRESULT CALLBACK CPreviewEdit::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR reference) {
    auto* self = reinterpret_cast<CPreviewEdit*>(reference);
    if (message == WM_PAINT && self->m_bPictureShown) {
        self->paintImage();
        return 0;
    }
    if (message == WM_ERASEBKGND && self->m_bPictureShown)
        return 1;
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, subclassProc, kSubclassId);
        self->m_hWnd = nullptr;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
