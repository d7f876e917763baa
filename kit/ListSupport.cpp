#include "kit/ListSupport.h"

#include "base/Handle.h"

#include <commctrl.h>

#include <string>

namespace kit {

namespace {

// Transparent pure blue replaced by the button face, since headers draw bitmaps opaque.
HBITMAP loadHeaderBitmap(UINT bitmapId) {
    return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0,
                                           LR_CREATEDIBSECTION));
}

}  // namespace

base::UniqueImageList LoadImageStrip(HMODULE module, UINT bitmapId, int width, int height, int count) {
    base::UniqueImageList images(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, count, 0));
    const base::UniqueBitmap strip(static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, 0)));
    if (images && strip)
        ImageList_AddMasked(images.get(), strip.get(), RGB(0, 0, 255));
    return images;
}

void SetHeaderBitmap(HWND list, int column, UINT bitmapId) {
    HWND header = ListView_GetHeader(list);
    HBITMAP bitmap = loadHeaderBitmap(bitmapId);
    if (!header || !bitmap)
        return;
    BITMAP description = {};
    GetObjectW(bitmap, sizeof description, &description);
    // Pure blue becomes the header's own background colour.
    if (description.bmBits && description.bmBitsPixel == 24) {
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        auto* row = static_cast<BYTE*>(description.bmBits);
        for (int y = 0; y < description.bmHeight; ++y, row += description.bmWidthBytes)
            for (int x = 0; x < description.bmWidth; ++x) {
                BYTE* pixel = row + x * 3;
                if (pixel[0] == 255 && pixel[1] == 0 && pixel[2] == 0) {
                    pixel[0] = GetBValue(face);
                    pixel[1] = GetGValue(face);
                    pixel[2] = GetRValue(face);
                }
            }
    }
    HDITEMW item = {};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    Header_GetItem(header, column, &item);
    // The header does not own its bitmaps: the one replaced is ours to delete.
    base::UniqueBitmap replaced(item.hbm);
    item.fmt |= HDF_BITMAP;
    item.hbm = bitmap;
    Header_SetItem(header, column, &item);
}

void ShowSortArrow(HWND list, int column, bool ascending) {
    HWND header = ListView_GetHeader(list);
    const int count = header ? Header_GetItemCount(header) : 0;
    for (int i = 0; i < count; ++i) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == column)
            item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        Header_SetItem(header, i, &item);
    }
}

}  // namespace kit
