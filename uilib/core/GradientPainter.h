// The gradient fill behind CGdiRenderer::FillGradient, with the GradientFill
// entry as a parameter so that the band fallback for systems without it can
// be run and checked anywhere.
#pragma once

#include <windows.h>

namespace TavikUI {

using GradientFillFunction = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// msimg32's GradientFill, looked up once; null where the system lacks it.
GradientFillFunction SystemGradientFill();

// FillGradient drawing through `gradientFill`, or in 2^n solid bands when it
// is null. The bands are drawn opaque (alpha 0xFF in the pixels), so that
// per-pixel blending and layered windows see them as GradientFill's.
void FillGradientWith(HDC dc, const RECT& rect, DWORD from, DWORD to, bool vertical, int steps,
                      GradientFillFunction gradientFill);

}  // namespace TavikUI
