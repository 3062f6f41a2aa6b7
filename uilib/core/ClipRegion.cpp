#include "ClipRegion.h"

namespace TavikUI {

CClipRegion::~CClipRegion() {
    if (dc_) {
        SelectClipRgn(dc_, savedRegion_);
    }
    if (newRegion_) {
        DeleteObject(newRegion_);
    }
    if (savedRegion_) {
        DeleteObject(savedRegion_);
    }
}

void CClipRegion::SaveAndSelect(HDC dc, const RECT& rect, HRGN region) {
    dc_ = dc;
    rect_ = rect;
    RECT box = {};
    GetClipBox(dc, &box);
    savedRegion_ = CreateRectRgnIndirect(&box);
    newRegion_ = region;
    ExtSelectClipRgn(dc, newRegion_, RGN_AND);
}

void CClipRegion::ClipToRect(HDC dc, const RECT& rect) {
    if (dc_) {
        return;
    }
    SaveAndSelect(dc, rect, CreateRectRgnIndirect(&rect));
}

void CClipRegion::ClipToRoundRect(HDC dc, const RECT& rect, int width, int height) {
    if (dc_) {
        return;
    }
    HRGN region = CreateRectRgnIndirect(&rect);
    HRGN rounded = CreateRoundRectRgn(rect.left, rect.top, rect.right + 1, rect.bottom + 1, width, height);
    CombineRgn(region, region, rounded, RGN_AND);
    DeleteObject(rounded);
    SaveAndSelect(dc, rect, region);
}

void CClipRegion::SelectSavedRegion() {
    if (dc_) {
        SelectClipRgn(dc_, savedRegion_);
    }
}

void CClipRegion::SelectNewRegion() {
    if (dc_) {
        SelectClipRgn(dc_, savedRegion_);
        ExtSelectClipRgn(dc_, newRegion_, RGN_AND);
    }
}

}  // namespace TavikUI
