// The GDI drawing functions of the UI library: images (decoding into
// premultiplied 32-bit bitmaps) and the drawing the controls do with them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "WideString.h"

namespace TavikUI {

class CWindowManager;

// One decoded image (or GIF frame): a 32-bit top-down DIB section with
// premultiplied BGRA pixels. Owned by a manager's image cache or a GIF frame
// list; released with CGdiRenderer::ReleaseImage.
struct ImageRecord {
    HBITMAP bitmap = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    bool hasAlpha = false;
    // Milliseconds; GIF frames only.
    int32_t frameDelay = 0;
    // The resource type the image was loaded with ("" for files).
    CWideString resourceType;
    // The colour made transparent at load (0 = none).
    uint32_t maskColor = 0;
};

class CGdiRenderer {
public:
    // Reads the image bytes from the skin sources and decodes them; null when
    // no source yields bytes or they cannot be decoded. The caller sets the
    // record's resource type and mask.
    static ImageRecord* DecodeImage(const wchar_t* name, const wchar_t* resourceType, uint32_t maskColor);
    // Deletes the bitmap and the record; null is ignored.
    static void ReleaseImage(ImageRecord* record);

    // Draws an image description (an image name, or key='value' pairs) into
    // `destination`, clipped by `paint`; the modifier is parsed after it.
    static bool DrawImageDescription(HDC dc, CWindowManager* manager, const RECT& destination, const RECT& paint,
                                     const wchar_t* description, const wchar_t* modifier);

    // Colours are 0xAARRGGBB. Alpha 0 draws nothing, 0xFF fills opaquely,
    // anything between blends.
    static void FillColor(HDC dc, const RECT& rect, DWORD color);
    // A gradient in `steps` bands; its alpha is the mean of the two alphas.
    static void FillGradient(HDC dc, const RECT& rect, DWORD from, DWORD to, bool vertical, int steps);
    // A line from (left, top) to (right, bottom) with a pen of that style.
    static void StrokeLine(HDC dc, const RECT& line, int width, DWORD color, int penStyle);
    static void DrawRectOutline(HDC dc, const RECT& rect, int width, DWORD color);
    static void DrawRoundRectOutline(HDC dc, const RECT& rect, int width, int cornerWidth, int cornerHeight,
                                     DWORD color);
    // Shifts hue by (hue - 180) degrees and scales saturation and lightness by
    // percent; 180, 100, 100 leave the colour unchanged.
    static DWORD ShiftColorHsl(DWORD color, short hue, short saturation, short lightness);
};

}  // namespace TavikUI
