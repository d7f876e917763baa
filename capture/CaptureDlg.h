// CCaptureDlg: the screen capture. The whole screen (every monitor) is frozen in a picture
// before the window shows; the user draws, moves and resizes a selection on it with the mouse
// and the arrow keys; a double click inside it or Enter puts that part of the frozen picture on
// the clipboard as a bitmap. The right button or Esc takes the selection away, and closes the
// window when there is none.
#pragma once

#include "capture/CaptureTracker.h"
#include "base/Handle.h"
#include "fw/Dialog.h"

namespace capture {

class CCaptureDlg : public fw::CDialog {
public:
    CCaptureDlg();
    ~CCaptureDlg() override;

    // The capture window that is open, or null: the arrow keys and Enter reach it through the
    // application's message filter.
    static CCaptureDlg* current() { return s_current; }

    bool hasSelection() const { return m_bSelection; }
    capture::Rect selection() const { return m_tracker.m_rect; }
    void SetSelection(const capture::Rect& rect);
    // Enter: the selection to the clipboard and the window closed; nothing without a selection.
    void OnEnterKey();

    // A bitmap of part of the screen: from the frozen picture (and onto the clipboard) or from
    // the live screen. Null when the part is empty.
    base::UniqueBitmap CopyRect(capture::Rect rect, bool toClipboard);

private:
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    void OnDestroy() override;

    void onLeftDown(POINT point);
    void onDoubleClick(POINT point);
    void onMouseMove(POINT point);
    void onRightUp();
    bool onSetCursor(HWND window, UINT hitTestCode);
    void paint();
    void drawHint(HDC dc, POINT cursor) const;
    void drawReadout(HDC dc, POINT cursor) const;
    void clearSelection();
    void copyAndClose();
    // Repaints what the overlays covered and cover now.
    void repaint();
    RECT overlayBounds(POINT cursor) const;
    POINT cursorInWindow() const;

    static CCaptureDlg* s_current;

    POINT m_origin = {};       // the virtual screen's top left, in screen coordinates
    int m_nScreenWidth = 0;
    int m_nScreenHeight = 0;
    base::UniqueBitmap m_snapshot;
    base::MemoryDc m_snapshotDc;
    base::UniqueBitmap m_frame;  // what the window shows, drawn off screen
    base::MemoryDc m_frameDc;
    base::UniqueFont m_hintFont;
    capture::OverlayMetrics m_overlayMetrics;
    CCaptureTracker m_tracker;
    POINT m_anchor = {};
    bool m_bButtonDown = false;
    bool m_bDrawing = false;
    bool m_bSelection = false;
    bool m_bOwnDoubleClicks = false;
    bool m_bShown = false;  // the window class sends no double clicks: told apart here
    DWORD m_lastClickTime = 0;
    POINT m_lastClick = {};
    RECT m_lastOverlay = {};
    HCURSOR m_cursor = nullptr;
    HICON m_icon = nullptr;
};

}  // namespace capture
