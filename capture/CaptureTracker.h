// CCaptureTracker: the selection rectangle of the screen capture on screen: its outline and
// handles in its colour, its cursors, and the drag of a handle or the whole rectangle.
#pragma once

#include "capture/TrackerGeometry.h"
#include "base/Handle.h"

#include <windows.h>

#include <functional>

namespace capture {

class CCaptureTracker {
public:
    CCaptureTracker();

    capture::Rect m_rect{-1, -2, -3, -4};

    void SetColor(COLORREF color);
    // Cursor resources: top and bottom edges, right and left edges, top-left and bottom-right
    // corners, top-right and bottom-left corners, inside.
    void SetCursors(UINT topBottom, UINT rightLeft, UINT mainDiagonal, UINT otherDiagonal, UINT inside);
    int HitTest(POINT point) const;
    void Draw(HDC dc) const;
    // For WM_SETCURSOR over `window`: sets the cursor of the handle under it; false over none.
    bool SetCursor(HWND window, UINT hitTestCode) const;
    // The drag loop from `point` (client coordinates): true when the rectangle changed. Esc or
    // the right button put it back.
    bool Track(HWND window, POINT point, bool allowInvert);

    // Called at every change during a drag (the capture window repaints).
    std::function<void()> OnChangedRect;

    const capture::TrackerGeometry& geometry() const { return m_geometry; }

private:
    capture::TrackerGeometry m_geometry;
    COLORREF m_color = RGB(0, 0, 0);
    base::UniquePen m_solidPen;
    base::UniquePen m_dottedPen;
    HCURSOR m_cursors[9] = {};  // by hit code; shared resources, never destroyed
};

}  // namespace capture
