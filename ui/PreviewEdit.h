// CPreviewEdit: the read-only edit control of the preview pane, which can also show a picture.
// In picture mode it paints a stored image of itself; the caller keeps its bitmap.
#pragma once

#include "base/Handle.h"
#include "fw/Subclass.h"

#include <windows.h>

#include <string>

namespace ui {

class CPreviewEdit : private fw::CSubclassedWindow {
public:
    CPreviewEdit() = default;
    ~CPreviewEdit() override;
    CPreviewEdit(const CPreviewEdit&) = delete;
    CPreviewEdit& operator=(const CPreviewEdit&) = delete;

    void Attach(HWND edit);
    using fw::CSubclassedWindow::hwnd;

    void ShowText(const std::wstring& text);
    // A part of the text shown selected (what the search matched) and scrolled into view.
    void MarkText(std::size_t start, std::size_t length);
    // Scaled into the pane (proportions kept, never enlarged, centred) on white with a black
    // frame; null shows the empty frame.
    void ShowPicture(HBITMAP bitmap);

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void dropImage();
    void paintImage();

    // The bitmap is declared first so that the DC lets go of it before it is deleted.
    base::UniqueBitmap m_imageBitmap;
    base::MemoryDc m_imageDc;
    bool m_bPictureShown = false;
};

}  // namespace ui
