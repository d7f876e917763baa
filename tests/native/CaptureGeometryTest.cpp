// The screen capture's geometry: the selection from a drag, the handles, the minimum size, the
// mirroring of an inverted selection, the arrow keys, the hints and the copied area.
#include "capture/TrackerGeometry.h"

#include <gtest/gtest.h>

namespace {

using namespace capture;

const TrackerGeometry kTracker(kSolidLine | kHandlesOutside | kHandlesCentred, 4);

TEST(CaptureGeometry, ADragFromTheAnchorGivesTheWorkedExample) {
    const Rect selection = selectionFromAnchor({100, 100}, {300, 200});
    EXPECT_EQ(selection, (Rect{104, 104, 300, 200}));
    Rect area;
    ASSERT_TRUE(copyArea(selection, 1280, 1024, area));
    EXPECT_EQ(area.width(), 196);
    EXPECT_EQ(area.height(), 96);
    // Inverted selections are normalised, parts off the screen clipped, empty ones copy nothing.
    ASSERT_TRUE(copyArea({300, 200, 104, 104}, 1280, 1024, area));
    EXPECT_EQ(area, (Rect{104, 104, 300, 200}));
    ASSERT_TRUE(copyArea({-20, -10, 50, 40}, 1280, 1024, area));
    EXPECT_EQ(area, (Rect{0, 0, 50, 40}));
    EXPECT_FALSE(copyArea({10, 10, 10, 50}, 1280, 1024, area));
    EXPECT_FALSE(copyArea({1300, 10, 1400, 50}, 1280, 1024, area));
}

TEST(CaptureGeometry, HandlesSitOnTheOutlineAndEdgeHandlesNeedRoom) {
    const Rect r{104, 104, 300, 200};
    EXPECT_EQ(kTracker.handleSize(r), 4);
    EXPECT_EQ(kTracker.trueRect(r), (Rect{100, 100, 304, 204}));
    EXPECT_EQ(kTracker.handleRect(r, kHitTopLeft), (Rect{102, 102, 106, 106}));
    EXPECT_EQ(kTracker.handleRect(r, kHitBottomRight), (Rect{298, 198, 302, 202}));
    EXPECT_EQ(kTracker.hitTest(r, {103, 103}), kHitTopLeft);
    EXPECT_EQ(kTracker.hitTest(r, {300, 200}), kHitBottomRight);
    EXPECT_EQ(kTracker.hitTest(r, {200, 150}), kHitInside);
    EXPECT_EQ(kTracker.hitTest(r, {99, 150}), kHitNothing);
    // Edge handles from 17 pixels on (3 x 4 + 5).
    EXPECT_FALSE(kTracker.handleVisible({0, 0, 16, 40}, kHitTop));
    EXPECT_TRUE(kTracker.handleVisible({0, 0, 17, 40}, kHitTop));
    EXPECT_FALSE(kTracker.handleVisible({0, 0, 40, 16}, kHitLeft));
    EXPECT_TRUE(kTracker.handleVisible({0, 0, 40, 17}, kHitRight));
    EXPECT_TRUE(kTracker.handleVisible({0, 0, 4, 4}, kHitBottomLeft));
}

TEST(CaptureGeometry, ResizingKeepsEightByEightAndMovingKeepsTheSize) {
    const Rect r{104, 104, 300, 200};
    EXPECT_EQ(kTracker.dragged(r, kHitBottomRight, {300, 200}, {106, 106}, false), (Rect{104, 104, 112, 112}));
    EXPECT_EQ(kTracker.dragged(r, kHitTopLeft, {104, 104}, {299, 199}, false), (Rect{292, 192, 300, 200}));
    EXPECT_EQ(kTracker.dragged(r, kHitRight, {300, 150}, {350, 10}, false), (Rect{104, 104, 350, 200}));
    EXPECT_EQ(kTracker.dragged(r, kHitInside, {150, 150}, {160, 140}, false), (Rect{114, 94, 310, 190}));
    // Past the other corner: inverted, and never closer than 8 in the inverted direction.
    EXPECT_EQ(kTracker.dragged(r, kHitBottomRight, {300, 200}, {50, 60}, true), (Rect{104, 104, 50, 60}));
    EXPECT_EQ(kTracker.dragged(r, kHitBottomRight, {300, 200}, {102, 101}, true), (Rect{104, 104, 96, 96}));
}

TEST(CaptureGeometry, AnInvertedSelectionMirrorsItsHandles) {
    const Rect both{300, 200, 104, 104};
    EXPECT_EQ(TrackerGeometry::mirrored(both, kHitTopLeft), kHitBottomRight);
    EXPECT_EQ(TrackerGeometry::mirrored({300, 104, 104, 200}, kHitTopLeft), kHitTopRight);
    EXPECT_EQ(TrackerGeometry::mirrored({300, 104, 104, 200}, kHitRight), kHitLeft);
    EXPECT_EQ(TrackerGeometry::mirrored({104, 200, 300, 104}, kHitTop), kHitBottom);
    EXPECT_EQ(TrackerGeometry::mirrored({104, 104, 300, 200}, kHitTopRight), kHitTopRight);
    // Dragging the handle shown at the top left of an inverted selection moves its right and
    // bottom sides, which stand there.
    EXPECT_EQ(kTracker.dragged(both, kHitTopLeft, {104, 104}, {90, 80}, true), (Rect{300, 200, 90, 80}));
}

TEST(CaptureGeometry, ArrowKeysMoveAndShiftArrowsResize) {
    const Rect r{10, 10, 50, 40};
    EXPECT_EQ(nudged(r, 39, false), (Rect{11, 10, 51, 40}));
    EXPECT_EQ(nudged(r, 37, false), (Rect{9, 10, 49, 40}));
    EXPECT_EQ(nudged(r, 40, false), (Rect{10, 11, 50, 41}));
    EXPECT_EQ(nudged(r, 38, false), (Rect{10, 9, 50, 39}));
    EXPECT_EQ(nudged(r, 39, true), (Rect{10, 10, 51, 40}));
    EXPECT_EQ(nudged(r, 38, true), (Rect{10, 10, 50, 39}));
    EXPECT_EQ(nudged(r, 65, true), r);
}

TEST(CaptureGeometry, HintsStayOnTheScreen) {
    const HintPlace usual = placeHint({100, 300}, 400, 12, 1, 1280);
    EXPECT_EQ(usual.box, (Rect{110, 325, 510, 337}));
    EXPECT_EQ(usual.text.y, 327);
    const HintPlace right = placeHint({1000, 300}, 400, 12, 1, 1280);
    EXPECT_EQ(right.box.left, 590);
    EXPECT_EQ(right.box.right, 990);
    const HintPlace top = placeHint({100, 10}, 400, 12, 2, 1280);
    EXPECT_EQ(top.box.top, 10 + 25 + 24 + 20);
    EXPECT_EQ(top.box.bottom, top.box.top + 24);
}

// What is repainted around the pointer grows with the texts: at 200% scaling the hint and the
// readout, wherever they go, lie inside it (nothing of them stays on the frozen picture).
TEST(CaptureGeometry, TheRepaintedAreaHoldsTheTextsAtEveryScaling) {
    const auto inside = [](const Rect& part, const Rect& whole) {
        return part.left >= whole.left && part.top >= whole.top && part.right <= whole.right && part.bottom <= whole.bottom;
    };
    for (const int scale : {100, 175, 200}) {
        const OverlayMetrics metrics{480 * scale / 100, 14 * scale / 100, 260 * scale / 100, 14 * scale / 100};
        const Rect tracker = {300, 200, 340, 230};
        for (const Point cursor : {Point{5, 5}, Point{640, 500}, Point{1270, 1010}}) {
            SCOPED_TRACE(scale);
            const Rect reach = overlayReach(cursor, metrics, 1280, &tracker);
            for (int lines : {1, 2})
                EXPECT_TRUE(inside(placeHint(cursor, metrics.hintWidth, metrics.lineHeight, lines, 1280).box, reach));
            EXPECT_TRUE(inside({tracker.left, tracker.bottom + 6, tracker.left + metrics.readoutWidth,
                                tracker.bottom + 6 + metrics.readoutHeight}, reach));
            EXPECT_TRUE(inside({tracker.left, tracker.top - 6 - metrics.readoutHeight, tracker.left + metrics.readoutWidth,
                                tracker.top - 6}, reach));
        }
    }
}

}  // namespace
