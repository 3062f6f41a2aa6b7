// A guard that narrows a device context's clip region and restores it.
#pragma once

#include <windows.h>

namespace TavikUI {

// Narrows a DC's clip for the life of the guard; the old clip box is selected
// back at the end.
class CClipRegion {
public:
    CClipRegion() = default;
    CClipRegion(const CClipRegion&) = delete;
    CClipRegion& operator=(const CClipRegion&) = delete;
    ~CClipRegion();

    void ClipToRect(HDC dc, const RECT& rect);
    // The rectangle and a rounded rectangle one pixel larger to the right and
    // bottom.
    void ClipToRoundRect(HDC dc, const RECT& rect, int width, int height);
    void SelectSavedRegion();
    void SelectNewRegion();

private:
    void SaveAndSelect(HDC dc, const RECT& rect, HRGN region);

    HDC dc_ = nullptr;
    RECT rect_ = {0, 0, 0, 0};
    HRGN newRegion_ = nullptr;
    HRGN savedRegion_ = nullptr;
};

}  // namespace TavikUI
