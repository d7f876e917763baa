#include "ui/PictureFit.h"

namespace ui {

bool fitPicture(int paneWidth, int paneHeight, int pictureWidth, int pictureHeight, PictureFit& fit) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || paneWidth <= 0 || paneHeight <= 0)
        return false;
    // Integer arithmetic with truncated quotients; 64-bit so that large pictures cannot overflow.
    const long long w = paneWidth, h = paneHeight, bw = pictureWidth, bh = pictureHeight;
    long long drawnWidth, drawnHeight;
    if (w * 100 / h > bw * 100 / bh) {
        drawnHeight = h;
        drawnWidth = h * bw / bh;
    } else {
        drawnWidth = w;
        drawnHeight = w * bh / bw;
    }
    if (drawnWidth > bw) {
        drawnWidth = bw;
        drawnHeight = bh;
    }
    fit.width = static_cast<int>(drawnWidth);
    fit.height = static_cast<int>(drawnHeight);
    fit.x = static_cast<int>((w - drawnWidth) / 2);
    fit.y = static_cast<int>((h - drawnHeight) / 2);
    return true;
}

}  // namespace ui
