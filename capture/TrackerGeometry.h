// The geometry of the screen capture's selection, as plain functions over plain data (no
// <windows.h>): the tracker's handles and hit test, the dragging of a side or a corner, the
// arrow keys, where the hints go, and which part of the frozen picture a selection copies.
#pragma once

namespace capture {

struct Point {
    int x = 0;
    int y = 0;
};

// May be inverted (right < left or bottom < top) while the user drags past the other side.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool operator!=(const Rect& other) const { return !(*this == other); }
};

Rect normalized(Rect r);
Rect inflated(Rect r, int by);
bool contains(const Rect& r, Point p);

// Tracker styles (bits).
enum Style : unsigned {
    kSolidLine = 0x01,
    kDottedLine = 0x02,
    kHatchedBorder = 0x04,
    kHandlesInside = 0x08,
    kHandlesOutside = 0x10,
    kHatchedInside = 0x20,
    kHandlesCentred = 0x40,
};

// Hit codes, also the handles' indices.
enum Hit : int {
    kHitNothing = -1,
    kHitTopLeft = 0,
    kHitTopRight = 1,
    kHitBottomRight = 2,
    kHitBottomLeft = 3,
    kHitTop = 4,
    kHitRight = 5,
    kHitBottom = 6,
    kHitLeft = 7,
    kHitInside = 8,
};

class TrackerGeometry {
public:
    // `profileHandleSize`: the handle size the user's profile gives (4 unless changed).
    TrackerGeometry(unsigned style, int profileHandleSize) : m_style(style), m_profileSize(profileHandleSize) {}

    unsigned style() const { return m_style; }
    int handleSize(const Rect& r) const;
    // A resize never makes the selection smaller than this, in either direction.
    int minimumSize() const { return 2 * m_profileSize; }
    // The area the tracker covers, handles included.
    Rect trueRect(const Rect& r) const;
    // The square of handle `hit` (0-7), placed on the normalised rectangle.
    Rect handleRect(const Rect& r, int hit) const;
    // Corners always; edge midpoints only where the side has room for them.
    bool handleVisible(const Rect& r, int hit) const;
    int hitTest(const Rect& r, Point p) const;
    // The hit code for the rectangle as it stands: the handles lie on the normalised rectangle,
    // so on an inverted one left and right (or top and bottom) trade places.
    static int mirrored(const Rect& r, int hit);
    // The rectangle after a drag of handle `hit` (on `start` as it stands) from `from` to `to`.
    Rect dragged(const Rect& start, int hit, Point from, Point to, bool allowInvert) const;

private:
    unsigned m_style;
    int m_profileSize;
};

// A new selection grows from 4 pixels right of and below the pressed point to the pointer.
Rect selectionFromAnchor(Point anchor, Point pointer);

// An arrow key (37 left, 38 up, 39 right, 40 down) moves the selection by a pixel; with Shift
// only its right or bottom edge moves. Other keys change nothing.
Rect nudged(Rect r, unsigned virtualKey, bool shift);

// The part of the frozen picture (`screenWidth` x `screenHeight`) a selection copies: normalised
// and clipped. Nothing to copy when it is empty.
bool copyArea(Rect selection, int screenWidth, int screenHeight, Rect& area);

// Where a hint of `lines` lines, `textWidth` wide, goes near the cursor: right of it and below,
// to the left where it would run off the screen, lower down near the top edge.
struct HintPlace {
    Rect box;    // the frame
    Point text;  // the first line's top left
};
HintPlace placeHint(Point cursor, int textWidth, int lineHeight, int lines, int screenWidth);

// The sizes of the texts drawn over the frozen picture, in pixels of their font.
struct OverlayMetrics {
    int hintWidth = 0;     // the widest line of the hint
    int lineHeight = 0;
    int readoutWidth = 0;  // the widest readout
    int readoutHeight = 0;
};
// Everything the hint (of one or two lines) and the readout may cover for a pointer at `cursor`
// and, when there is one, the selection `tracker` (drawn with its handles): what is repainted
// when they move. It grows with the texts, so it holds at every scaling.
Rect overlayReach(Point cursor, const OverlayMetrics& metrics, int screenWidth, const Rect* tracker);

}  // namespace capture
