// Blends part of a premultiplied 32-bit bitmap over a device context: with
// AlphaBlend where the system has it, else with an own per-pixel routine that
// gives the same result.
#pragma once

#include <windows.h>

namespace TavikUI {

// msimg32, where AlphaBlend and GradientFill live: loaded once, on first
// use; null where the system lacks it.
HMODULE BlendingLibrary();

// Source-over with per-pixel alpha and `fade` as constant alpha; `from` is a
// part of the 32-bit bitmap selected into `sourceDC`, stretched to `to`.
// False when nothing could be blended (empty or out-of-bitmap parts, no
// memory).
bool BlendImagePart(HDC dc, const RECT& to, HDC sourceDC, const RECT& from, BYTE fade);

// The own routine: copies the source part and the visible part of the
// destination into 32-bit bitmaps, blends each destination pixel with its
// nearest source pixel at weight source alpha x fade / 255 / 255, and copies
// the result back.
bool BlendImagePartByHand(HDC dc, const RECT& to, HDC sourceDC, const RECT& from, BYTE fade);

}  // namespace TavikUI
