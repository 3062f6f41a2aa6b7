// The GDI drawing functions of the UI library: images (decoding into
// premultiplied 32-bit bitmaps) and the drawing the controls do with them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "UIRect.h"
#include "WideString.h"

namespace TavikUI {

class CGifHandler;
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

// How one image of a description is drawn: what the description's keys set
// up before the image is drawn.
struct ImageDrawState {
    // Where the image goes (the control rectangle unless "dest" moves it).
    RECT destination = {0, 0, 0, 0};
    // The part of the image drawn; all zeros is the whole image.
    RECT source = {0, 0, 0, 0};
    // Nine-grid insets, in the image and in the destination alike.
    RECT corners = {0, 0, 0, 0};
    // 0xAARRGGBB made transparent when the image is first loaded; 0 = none.
    uint32_t maskColor = 0;
    // Constant alpha over the whole image.
    BYTE fade = 255;
    // Leaves the centre of the nine grid empty.
    bool hole = false;
    bool xTiled = false;
    bool yTiled = false;
};

class CGdiRenderer {
public:
    // Reads the image bytes from the skin sources and decodes them; null when
    // no source yields bytes or they cannot be decoded. The caller sets the
    // record's resource type and mask.
    static ImageRecord* DecodeImage(const wchar_t* name, const wchar_t* resourceType, uint32_t maskColor);
    // Deletes the bitmap and the record; null is ignored.
    static void ReleaseImage(ImageRecord* record);
    // Every frame of a GIF from the same sources as DecodeImage, each with its
    // delay (200 ms where the file gives none); null when no frame decodes.
    static CGifHandler* LoadGif(const wchar_t* name, const wchar_t* resourceType, uint32_t maskColor);

    // Draws an image description (an image name, or key='value' pairs) into
    // `destination`, clipped by `paint`; the modifier is parsed after it.
    // True when an image of it was found and drawn (as far as `paint` needs);
    // false when nothing could be drawn, so the holder can drop it.
    static bool DrawImageDescription(HDC dc, CWindowManager* manager, const RECT& destination, const RECT& paint,
                                     const wchar_t* description, const wchar_t* modifier);
    // Draws the manager's cached image of that name with the state; false
    // when the name is empty or the image cannot be loaded.
    static bool DrawImage(HDC dc, CWindowManager* manager, const RECT& control, const RECT& paint, const wchar_t* name,
                          const wchar_t* resourceType, const ImageDrawState& state);
    // Draws `source` of a 32-bit DIB section into `destination` as a nine
    // grid: corners at their size, edges stretched along their length, the
    // centre stretched or tiled. Pieces outside `paint` are skipped.
    static void DrawImageRect(HDC dc, HBITMAP bitmap, const RECT& destination, const RECT& paint, const RECT& source,
                              const RECT& corners, bool hasAlpha, BYTE fade, bool hole, bool xTiled, bool yTiled);

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
    // Hue in degrees (0 up to 360), saturation and lightness 0..1; the alpha
    // is ignored, and HslToRgb answers alpha 0.
    static void RgbToHsl(DWORD color, double& hue, double& saturation, double& lightness);
    static DWORD HslToRgb(double hue, double saturation, double lightness);
    // Each channel weightA x a + weightB x b, truncated (kept within 0..255);
    // alpha 0.
    static DWORD MixColors(DWORD a, double weightA, DWORD b, double weightB);

    // Plain text in the manager's font of that index through one DrawTextW,
    // with DT_NOPREFIX added to the style (DT_CALCRECT measures into `rect`).
    // Nothing for a null text or manager.
    static void DrawPlainText(HDC dc, CWindowManager* manager, RECT& rect, const wchar_t* text, DWORD color, int font,
                              UINT style);
    // Text in the markup language (tags for bold, italic, underline, colour,
    // font, links, images, line breaks, paragraphs, raw text), starting in
    // the root manager's default font. With DT_CALCRECT it only measures and
    // moves `rect`'s right and bottom edges to what the text reaches; else it
    // draws inside `rect`. The link arrays receive each link's rectangle and
    // text: `linkCount` is their capacity on entry (null arrays hold none)
    // and the number of links stored on return; the rectangles passed in are
    // the previous layout's, used to find the link under the mouse.
    static void DrawMarkupText(HDC dc, CWindowManager* manager, RECT& rect, const wchar_t* text, DWORD color,
                               CUIRect* linkRects, CWideString* linkTexts, int& linkCount, UINT style);
};

}  // namespace TavikUI
