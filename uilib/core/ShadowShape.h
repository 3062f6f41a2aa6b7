// The pixels of a drop shadow: the window's shape (one span per row, read
// from its window region) spread by `size`, softened over `sharpness` pixels,
// shifted by the offsets and cut out where the window itself lies.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace TavikUI {

struct ShadowParameters {
    // Alpha of the shadow's darkest part.
    uint8_t darkness = 150;
    // Width of the soft edge, pixels.
    uint8_t sharpness = 5;
    // Pixels by which the shadow reaches beyond the window on every side.
    int8_t size = 0;
    int8_t offsetX = 5;
    int8_t offsetY = 5;
    COLORREF color = RGB(0, 0, 0);
};

// The window pixels [left, right) of one row; empty when left >= right.
struct RowSpan {
    int left;
    int right;
    bool IsEmpty() const { return left >= right; }
};

// Premultiplied 0xAARRGGBB pixels, rows from the top.
struct ShadowImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The colour at that alpha, premultiplied: A in the top byte, R*A/255,
// G*A/255 and B*A/255 below it.
uint32_t PremultipliedPixel(COLORREF color, uint8_t alpha);

// For each row of a width x height window, the span from the first to the
// last point inside the region; every row is empty without a region.
std::vector<RowSpan> RegionRowSpans(HRGN region, int width, int height);

// The (width + 2*size) x (height + 2*size) shadow of a window with these row
// spans (one per window row). Empty when that size is not positive.
ShadowImage ComputeShadowImage(const std::vector<RowSpan>& windowSpans, int width, int height,
                               const ShadowParameters& parameters);

// A 32-bit bottom-up DIB section holding the image; null when it cannot be
// made. The caller deletes it.
HBITMAP CreateShadowBitmap(const ShadowImage& image);

}  // namespace TavikUI
