#include "capture/TrackerGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace capture {

Rect normalized(Rect r) {
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

Rect inflated(Rect r, int by) {
    return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

bool contains(const Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

int TrackerGeometry::handleSize(const Rect& r) const {
    const int s = m_profileSize;
    if (m_style & kHandlesOutside)
        return s;
    const Rect n = normalized(r);
    const int smaller = std::min(n.width(), n.height());
    return smaller < 2 * s ? smaller / 2 : s;
}

Rect TrackerGeometry::trueRect(const Rect& r) const {
    Rect t = normalized(r);
    if (m_style & (kHandlesOutside | kHatchedBorder))
        t = inflated(t, handleSize(r) - 1);
    if (m_style & (kSolidLine | kDottedLine))
        t = inflated(t, 1);
    return t;
}

Rect TrackerGeometry::handleRect(const Rect& r, int hit) const {
    const int s = handleSize(r);
    Rect around = normalized(r);
    if (m_style & (kSolidLine | kDottedLine))
        around = inflated(around, 1);
    if (m_style & kHandlesOutside)
        around = inflated(around, (m_style & kHandlesCentred) ? s - s / 2 - 1 : s - 1);
    const int middleX = around.left + (around.width() - s) / 2;
    const int middleY = around.top + (around.height() - s) / 2;
    int x = around.left, y = around.top;
    switch (hit) {
    case kHitTopLeft: break;
    case kHitTopRight: x = around.right - s; break;
    case kHitBottomRight: x = around.right - s; y = around.bottom - s; break;
    case kHitBottomLeft: y = around.bottom - s; break;
    case kHitTop: x = middleX; break;
    case kHitRight: x = around.right - s; y = middleY; break;
    case kHitBottom: x = middleX; y = around.bottom - s; break;
    case kHitLeft: y = middleY; break;
    default: return {};
    }
    return {x, y, x + s, y + s};
}

bool TrackerGeometry::handleVisible(const Rect& r, int hit) const {
    const Rect n = normalized(r);
    const int s = handleSize(r);
    if (hit == kHitTop || hit == kHitBottom)
        return n.width() - 3 * s >= 5;
    if (hit == kHitLeft || hit == kHitRight)
        return n.height() - 3 * s >= 5;
    return hit >= kHitTopLeft && hit <= kHitBottomLeft;
}

int TrackerGeometry::hitTest(const Rect& r, Point p) const {
    if (!contains(trueRect(r), p))
        return kHitNothing;
    if (m_style & (kHandlesInside | kHandlesOutside)) {
        for (int hit = kHitTopLeft; hit <= kHitLeft; ++hit)
            if (handleVisible(r, hit) && contains(handleRect(r, hit), p))
                return hit;
        if (m_style & kHatchedBorder)
            return kHitInside;
        return contains(inflated(normalized(r), 1), p) ? kHitInside : kHitNothing;
    }
    return kHitInside;
}

int TrackerGeometry::mirrored(const Rect& r, int hit) {
    if (hit < kHitTopLeft || hit > kHitLeft)
        return hit;
    static const int kLeftRight[] = {kHitTopRight, kHitTopLeft, kHitBottomLeft, kHitBottomRight,
                                     kHitTop,      kHitLeft,    kHitBottom,     kHitRight};
    static const int kTopBottom[] = {kHitBottomLeft, kHitBottomRight, kHitTopRight, kHitTopLeft,
                                     kHitBottom,     kHitRight,       kHitTop,      kHitLeft};
    if (r.right < r.left)
        hit = kLeftRight[hit];
    if (r.bottom < r.top)
        hit = kTopBottom[hit];
    return hit;
}

namespace {

// One side moved to `moved`, the other side fixed at `fixed`: at least `minimum` apart, on the
// side the drag put it (`sign` > 0: the moved side stays the larger one).
int keepApart(int fixed, int moved, int minimum, bool allowInvert, int sign) {
    const int span = (moved - fixed) * sign;
    if (span >= minimum)
        return moved;
    if (allowInvert && span < 0)
        return span > -minimum ? fixed - minimum * sign : moved;
    return fixed + minimum * sign;
}

}  // namespace

Rect TrackerGeometry::dragged(const Rect& start, int hit, Point from, Point to, bool allowInvert) const {
    const int dx = to.x - from.x, dy = to.y - from.y;
    Rect r = start;
    if (hit == kHitInside) {
        r.left += dx, r.right += dx, r.top += dy, r.bottom += dy;
        return r;
    }
    // The sides the handle moves, on the rectangle as it stands (not normalised).
    const int side = mirrored(start, hit);
    const bool left = side == kHitTopLeft || side == kHitBottomLeft || side == kHitLeft;
    const bool right = side == kHitTopRight || side == kHitBottomRight || side == kHitRight;
    const bool top = side == kHitTopLeft || side == kHitTopRight || side == kHitTop;
    const bool bottom = side == kHitBottomLeft || side == kHitBottomRight || side == kHitBottom;
    const int minimum = minimumSize();
    const int across = start.right >= start.left ? 1 : -1;
    const int down = start.bottom >= start.top ? 1 : -1;
    if (left)
        r.left = keepApart(start.right, start.left + dx, minimum, allowInvert, -across);
    if (right)
        r.right = keepApart(start.left, start.right + dx, minimum, allowInvert, across);
    if (top)
        r.top = keepApart(start.bottom, start.top + dy, minimum, allowInvert, -down);
    if (bottom)
        r.bottom = keepApart(start.top, start.bottom + dy, minimum, allowInvert, down);
    return r;
}

Rect selectionFromAnchor(Point anchor, Point pointer) {
    return {anchor.x + 4, anchor.y + 4, pointer.x, pointer.y};
}

Rect nudged(Rect r, unsigned virtualKey, bool shift) {
    switch (virtualKey) {
    case 37:  // left
        --r.right;
        if (!shift)
            --r.left;
        break;
    case 38:  // up
        --r.bottom;
        if (!shift)
            --r.top;
        break;
    case 39:  // right
        ++r.right;
        if (!shift)
            ++r.left;
        break;
    case 40:  // down
        ++r.bottom;
        if (!shift)
            ++r.top;
        break;
    default:
        break;
    }
    return r;
}

bool copyArea(Rect selection, int screenWidth, int screenHeight, Rect& area) {
    const Rect n = normalized(selection);
    if (n.width() <= 0 || n.height() <= 0)
        return false;
    area.left = std::max(n.left, 0);
    area.top = std::max(n.top, 0);
    area.right = std::min(screenWidth, n.right);
    area.bottom = std::min(screenHeight, n.bottom);
    return area.width() > 0 && area.height() > 0;
}

HintPlace placeHint(Point cursor, int textWidth, int lineHeight, int lines, int screenWidth) {
    HintPlace place;
    Rect& box = place.box;
    if (cursor.x + textWidth >= screenWidth) {
        box.left = cursor.x - textWidth - 10;
        box.right = cursor.x - 10;
    } else {
        box.left = cursor.x + 10;
        box.right = cursor.x + textWidth + 10;
    }
    const int height = lineHeight * lines;
    box.top = cursor.y + 25;
    if (cursor.y - height < 1)
        box.top += height + 20;
    box.bottom = box.top + height;
    place.text = {box.left, box.top + 2};
    return place;
}

namespace {

Rect unite(const Rect& a, const Rect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

}  // namespace

Rect overlayReach(Point cursor, const OverlayMetrics& metrics, int screenWidth, const Rect* tracker) {
    constexpr int kMargin = 2;  // the hint's frame and the text's overhang
    Rect reach = unite(placeHint(cursor, metrics.hintWidth, metrics.lineHeight, 1, screenWidth).box,
                       placeHint(cursor, metrics.hintWidth, metrics.lineHeight, 2, screenWidth).box);
    reach = {reach.left - kMargin, reach.top - kMargin, reach.right + kMargin, reach.bottom + metrics.lineHeight};
    if (tracker) {
        const Rect readout = {tracker->left, tracker->top - 6 - metrics.readoutHeight,
                              std::max(tracker->right, tracker->left + metrics.readoutWidth),
                              tracker->bottom + 6 + metrics.readoutHeight};
        reach = unite(reach, {readout.left - kMargin, readout.top - kMargin, readout.right + kMargin, readout.bottom + kMargin});
    }
    return reach;
}

}  // namespace capture
