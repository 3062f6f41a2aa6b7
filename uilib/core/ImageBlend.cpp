#include "ImageBlend.h"

#include <algorithm>
#include <cstdint>

#include "DibSection.h"
#include "UIRect.h"

namespace TavikUI {
namespace {

using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

// Looked up once; null sends every blend to the own routine.
AlphaBlendFunction SystemAlphaBlend() {
    static const AlphaBlendFunction entry = [] {
        HMODULE library = BlendingLibrary();
        return library ? reinterpret_cast<AlphaBlendFunction>(
                             reinterpret_cast<void*>(GetProcAddress(library, "AlphaBlend")))
                       : nullptr;
    }();
    return entry;
}

// True when the DC's bitmap holds the whole part.
bool BitmapHolds(HDC sourceDC, const RECT& part) {
    BITMAP bitmap = {};
    HGDIOBJ selected = GetCurrentObject(sourceDC, OBJ_BITMAP);
    if (!selected || GetObjectW(selected, sizeof(bitmap), &bitmap) != sizeof(bitmap)) {
        return false;
    }
    return part.left >= 0 && part.top >= 0 && part.right <= bitmap.bmWidth && part.bottom <= bitmap.bmHeight;
}

// One premultiplied source pixel, faded, over one destination pixel.
uint32_t BlendPixel(uint32_t source, uint32_t destination, unsigned fade) {
    const unsigned alpha = (source >> 24) * fade / 255;
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const unsigned s = ((source >> shift) & 0xFF) * fade / 255;
        const unsigned d = (destination >> shift) & 0xFF;
        const unsigned blended = std::min(255u, s + d * (255 - alpha) / 255);
        result |= static_cast<uint32_t>(blended) << shift;
    }
    return result;
}

}  // namespace

HMODULE BlendingLibrary() {
    static const HMODULE library = [] {
        HMODULE loaded = GetModuleHandleW(L"msimg32.dll");
        return loaded ? loaded : LoadLibraryW(L"msimg32.dll");
    }();
    return library;
}

bool BlendImagePartByHand(HDC dc, const RECT& to, HDC sourceDC, const RECT& from, BYTE fade) {
    if (WidthOf(to) <= 0 || HeightOf(to) <= 0 || WidthOf(from) <= 0 || HeightOf(from) <= 0 ||
        !BitmapHolds(sourceDC, from)) {
        return false;
    }
    // Only the part the clip lets through is worked on.
    RECT clip = {};
    RECT visible = to;
    if (GetClipBox(dc, &clip) != ERROR && !IntersectRect(&visible, &to, &clip)) {
        return true;
    }
    const int width = WidthOf(visible);
    const int height = HeightOf(visible);
    // Copies of known layout: the source part and the destination part.
    const CWorkBitmap source(dc, WidthOf(from), HeightOf(from));
    const CWorkBitmap work(dc, width, height);
    if (!source.IsValid() || !work.IsValid()) {
        return false;
    }
    BitBlt(source.DC(), 0, 0, WidthOf(from), HeightOf(from), sourceDC, from.left, from.top, SRCCOPY);
    BitBlt(work.DC(), 0, 0, width, height, dc, visible.left, visible.top, SRCCOPY);
    GdiFlush();
    const int64_t toWidth = WidthOf(to);
    const int64_t toHeight = HeightOf(to);
    for (int y = 0; y < height; ++y) {
        // The nearest source pixel of each destination pixel's place in `to`.
        const int64_t sourceY = (int64_t(visible.top) - to.top + y) * HeightOf(from) / toHeight;
        const uint32_t* sourceRow = source.Pixels() + sourceY * WidthOf(from);
        uint32_t* row = work.Pixels() + static_cast<ptrdiff_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const int64_t sourceX = (int64_t(visible.left) - to.left + x) * WidthOf(from) / toWidth;
            row[x] = BlendPixel(sourceRow[sourceX], row[x], fade);
        }
    }
    BitBlt(dc, visible.left, visible.top, width, height, work.DC(), 0, 0, SRCCOPY);
    return true;
}

bool BlendImagePart(HDC dc, const RECT& to, HDC sourceDC, const RECT& from, BYTE fade) {
    const AlphaBlendFunction alphaBlend = SystemAlphaBlend();
    if (!alphaBlend) {
        return BlendImagePartByHand(dc, to, sourceDC, from, fade);
    }
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
    return alphaBlend(dc, to.left, to.top, WidthOf(to), HeightOf(to), sourceDC, from.left, from.top, WidthOf(from),
                      HeightOf(from), blend) != FALSE;
}

}  // namespace TavikUI
