// How the preview fits a picture into its pane: proportions kept, never enlarged, centred.
#pragma once

namespace ui {

struct PictureFit {
    int x, y, width, height;
};

// False when the picture has no size (nothing is drawn then).
bool fitPicture(int paneWidth, int paneHeight, int pictureWidth, int pictureHeight, PictureFit& fit);

}  // namespace ui
