// CPreviewEdit: the read-only edit control of the preview pane, which can also show a picture.
// In picture mode it paints a stored image of itself; the caller keeps its bitmap.
#pragma once

#include "base/Handle.h"
#include "fw/Subclass.h"
#include "search/Folding.h"

#include <windows.h>

#include <string>
#include <vector>

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
    // What the search matched in the text: the first part selected and scrolled into view, every
    // other drawn on the marks' colour as the list draws them.
    void MarkText(std::vector<search::TextSpan> marks);
    // Scaled into the pane (proportions kept, never enlarged, centred) on white with a black
    // frame; null shows the empty frame.
    void ShowPicture(HBITMAP bitmap);

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void dropImage();
    void paintImage();
    void paintMarks();

    // The bitmap is declared first so that the DC lets go of it before it is deleted.
    base::UniqueBitmap m_imageBitmap;
    base::MemoryDc m_imageDc;
    bool m_bPictureShown = false;
    std::wstring m_text;
    std::vector<search::TextSpan> m_marks;
};

}  // namespace ui
