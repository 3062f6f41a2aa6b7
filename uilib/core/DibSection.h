// The 32-bit DIB sections the renderer, the blender, the shadow and the ring
// bitmaps draw into.
#pragma once

#include <windows.h>

#include <cstdint>

namespace TavikUI {

enum class DibRows { kTopDown, kBottomUp };

// The header of a 32-bit BI_RGB bitmap (for making one, and for GetDIBits).
BITMAPINFO Dib32Info(int width, int height, DibRows rows);

// A 32-bit BI_RGB DIB section of `width` x `height` pixels and its pixels in
// `bits`; null (and nothing left behind) when either cannot be made.
HBITMAP CreateDibSection32(int width, int height, DibRows rows, void** bits);

// A 32-bit top-down DIB section selected into its own memory DC while it is
// drawn into; the pixels stay reachable for the alpha bytes GDI does not
// write. A bitmap is selected into one DC at a time: EndDrawing frees it for
// blending from another.
class CWorkBitmap {
public:
    CWorkBitmap(HDC compatible, int width, int height);
    ~CWorkBitmap();
    CWorkBitmap(const CWorkBitmap&) = delete;
    CWorkBitmap& operator=(const CWorkBitmap&) = delete;

    bool IsValid() const { return dc_ != nullptr && pixels_ != nullptr; }
    HDC DC() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }
    uint32_t* Pixels() const { return pixels_; }
    RECT Bounds() const { return {0, 0, width_, height_}; }
    void EndDrawing();
    // Sets every alpha byte to 255 (GDI drawing leaves them 0).
    void MakeOpaque();

private:
    int width_;
    int height_;
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* pixels_ = nullptr;
};

}  // namespace TavikUI
