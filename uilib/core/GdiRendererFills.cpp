// Colour fills, gradients, lines, outlines and the HSL colour shift. Image
// descriptions are not drawn yet: DrawImageDescription answers that it drew
// nothing.
#include <algorithm>
#include <cmath>

#include "GdiRenderer.h"

namespace TavikUI {
namespace {

using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using GradientFillFunction = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

HMODULE BlendLibrary() {
    static const HMODULE library = [] {
        HMODULE loaded = GetModuleHandleW(L"msimg32.dll");
        return loaded ? loaded : LoadLibraryW(L"msimg32.dll");
    }();
    return library;
}

AlphaBlendFunction AlphaBlendEntry() {
    static const auto entry =
        BlendLibrary() ? reinterpret_cast<AlphaBlendFunction>(
                             reinterpret_cast<void*>(GetProcAddress(BlendLibrary(), "AlphaBlend")))
                       : nullptr;
    return entry;
}

GradientFillFunction GradientFillEntry() {
    static const auto entry =
        BlendLibrary() ? reinterpret_cast<GradientFillFunction>(
                             reinterpret_cast<void*>(GetProcAddress(BlendLibrary(), "GradientFill")))
                       : nullptr;
    return entry;
}

BYTE AlphaOf(DWORD color) { return static_cast<BYTE>(color >> 24); }
BYTE RedOf(DWORD color) { return static_cast<BYTE>(color >> 16); }
BYTE GreenOf(DWORD color) { return static_cast<BYTE>(color >> 8); }
BYTE BlueOf(DWORD color) { return static_cast<BYTE>(color); }

// GDI takes red in the low byte.
COLORREF ToColorRef(DWORD color) { return RGB(RedOf(color), GreenOf(color), BlueOf(color)); }

// A 32-bit top-down DIB section; `bits` receives its pixels.
HBITMAP CreateDib(int width, int height, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Blends `source` (premultiplied when perPixel) over the destination.
void BlendBitmap(HDC dc, const RECT& destination, HBITMAP source, int sourceWidth, int sourceHeight,
                 BYTE constantAlpha, bool perPixel) {
    const AlphaBlendFunction alphaBlend = AlphaBlendEntry();
    if (!alphaBlend) {
        return;
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, source);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, constantAlpha, static_cast<BYTE>(perPixel ? AC_SRC_ALPHA : 0)};
    alphaBlend(dc, destination.left, destination.top, destination.right - destination.left,
               destination.bottom - destination.top, memory, 0, 0, sourceWidth, sourceHeight, blend);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void FillOpaque(HDC dc, const RECT& rect, COLORREF color) {
    const COLORREF old = SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

// Bands from the far edge inwards when GradientFill is missing.
void FillGradientBands(HDC dc, const RECT& rect, DWORD from, DWORD to, bool vertical, int steps) {
    int shift = 1;
    if (steps >= 64) {
        shift = 6;
    } else if (steps >= 32) {
        shift = 5;
    } else if (steps >= 16) {
        shift = 4;
    } else if (steps >= 8) {
        shift = 3;
    } else if (steps >= 4) {
        shift = 2;
    }
    const int bands = 1 << shift;
    const int extent = vertical ? rect.bottom - rect.top : rect.right - rect.left;
    for (int i = 0; i < bands; ++i) {
        RECT band = rect;
        const int nearEdge = extent - extent * (i + 1) / bands;
        const int farEdge = extent - extent * i / bands;
        if (vertical) {
            band.top = rect.top + nearEdge;
            band.bottom = rect.top + farEdge;
        } else {
            band.left = rect.left + nearEdge;
            band.right = rect.left + farEdge;
        }
        if (IsRectEmpty(&band)) {
            continue;
        }
        auto mix = [&](BYTE a, BYTE b) { return static_cast<BYTE>((b * (bands - i) + a * i) / bands); };
        HBRUSH brush = CreateSolidBrush(
            RGB(mix(RedOf(from), RedOf(to)), mix(GreenOf(from), GreenOf(to)), mix(BlueOf(from), BlueOf(to))));
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
}

void FillGradientOpaque(HDC dc, const RECT& rect, DWORD from, DWORD to, bool vertical, int steps) {
    const GradientFillFunction gradientFill = GradientFillEntry();
    if (!gradientFill) {
        FillGradientBands(dc, rect, from, to, vertical, steps);
        return;
    }
    TRIVERTEX vertices[2] = {};
    vertices[0].x = rect.left;
    vertices[0].y = rect.top;
    vertices[0].Red = static_cast<COLOR16>(RedOf(from) << 8);
    vertices[0].Green = static_cast<COLOR16>(GreenOf(from) << 8);
    vertices[0].Blue = static_cast<COLOR16>(BlueOf(from) << 8);
    vertices[0].Alpha = 0xFF00;
    vertices[1].x = rect.right;
    vertices[1].y = rect.bottom;
    vertices[1].Red = static_cast<COLOR16>(RedOf(to) << 8);
    vertices[1].Green = static_cast<COLOR16>(GreenOf(to) << 8);
    vertices[1].Blue = static_cast<COLOR16>(BlueOf(to) << 8);
    vertices[1].Alpha = 0xFF00;
    GRADIENT_RECT gradient = {0, 1};
    gradientFill(dc, vertices, 2, &gradient, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

}  // namespace

bool CGdiRenderer::DrawImageDescription(HDC /*dc*/, CWindowManager* /*manager*/, const RECT& /*destination*/,
                                        const RECT& /*paint*/, const wchar_t* /*description*/,
                                        const wchar_t* /*modifier*/) {
    // Image drawing is not built yet: nothing was drawn.
    return false;
}

void CGdiRenderer::FillColor(HDC dc, const RECT& rect, DWORD color) {
    const BYTE alpha = AlphaOf(color);
    if (alpha == 0 || IsRectEmpty(&rect)) {
        return;
    }
    if (alpha == 0xFF) {
        FillOpaque(dc, rect, ToColorRef(color));
        return;
    }
    void* bits = nullptr;
    HBITMAP pixel = CreateDib(1, 1, &bits);
    if (!pixel) {
        return;
    }
    // Premultiplied, as per-pixel blending expects.
    *static_cast<DWORD*>(bits) = static_cast<DWORD>(alpha) << 24 | (RedOf(color) * alpha / 255) << 16 |
                                 (GreenOf(color) * alpha / 255) << 8 | (BlueOf(color) * alpha / 255);
    BlendBitmap(dc, rect, pixel, 1, 1, 0xFF, true);
    DeleteObject(pixel);
}

void CGdiRenderer::FillGradient(HDC dc, const RECT& rect, DWORD from, DWORD to, bool vertical, int steps) {
    const int alpha = (AlphaOf(from) + AlphaOf(to)) / 2;
    if (alpha == 0 || IsRectEmpty(&rect)) {
        return;
    }
    if (alpha == 0xFF) {
        FillGradientOpaque(dc, rect, from, to, vertical, steps);
        return;
    }
    // Translucent: draw at the origin of a working bitmap, then blend it on.
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP work = CreateCompatibleBitmap(dc, width, height);
    if (!memory || !work) {
        if (work) {
            DeleteObject(work);
        }
        if (memory) {
            DeleteDC(memory);
        }
        return;
    }
    HGDIOBJ old = SelectObject(memory, work);
    const RECT local = {0, 0, width, height};
    FillGradientOpaque(memory, local, from, to, vertical, steps);
    SelectObject(memory, old);
    DeleteDC(memory);
    BlendBitmap(dc, rect, work, width, height, static_cast<BYTE>(alpha), false);
    DeleteObject(work);
}

void CGdiRenderer::StrokeLine(HDC dc, const RECT& line, int width, DWORD color, int penStyle) {
    LOGPEN description = {static_cast<UINT>(penStyle), {width, 0}, ToColorRef(color)};
    HPEN pen = CreatePenIndirect(&description);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, line.left, line.top, nullptr);
    LineTo(dc, line.right, line.bottom);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void CGdiRenderer::DrawRectOutline(HDC dc, const RECT& rect, int width, DWORD color) {
    HPEN pen = CreatePen(PS_INSIDEFRAME, width, ToColorRef(color));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void CGdiRenderer::DrawRoundRectOutline(HDC dc, const RECT& rect, int width, int cornerWidth, int cornerHeight,
                                        DWORD color) {
    HPEN pen = CreatePen(PS_INSIDEFRAME, width, ToColorRef(color));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, cornerWidth, cornerHeight);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

namespace {

struct Hsl {
    double hue;  // degrees
    double saturation;
    double lightness;
};

Hsl ToHsl(double red, double green, double blue) {
    const double high = std::max({red, green, blue});
    const double low = std::min({red, green, blue});
    Hsl hsl = {0.0, 0.0, (high + low) / 2.0};
    const double spread = high - low;
    if (spread <= 0.0) {
        return hsl;
    }
    hsl.saturation = hsl.lightness > 0.5 ? spread / (2.0 - high - low) : spread / (high + low);
    if (high == red) {
        hsl.hue = (green - blue) / spread + (green < blue ? 6.0 : 0.0);
    } else if (high == green) {
        hsl.hue = (blue - red) / spread + 2.0;
    } else {
        hsl.hue = (red - green) / spread + 4.0;
    }
    hsl.hue *= 60.0;
    return hsl;
}

double HueChannel(double p, double q, double t) {
    if (t < 0.0) {
        t += 1.0;
    }
    if (t > 1.0) {
        t -= 1.0;
    }
    if (t < 1.0 / 6.0) {
        return p + (q - p) * 6.0 * t;
    }
    if (t < 0.5) {
        return q;
    }
    if (t < 2.0 / 3.0) {
        return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
    }
    return p;
}

BYTE ClampChannel(double value) {
    const long scaled = std::lround(value * 255.0);
    return static_cast<BYTE>(std::min(255L, std::max(0L, scaled)));
}

}  // namespace

DWORD CGdiRenderer::ShiftColorHsl(DWORD color, short hue, short saturation, short lightness) {
    if (hue == 180 && saturation == 100 && lightness == 100) {
        return color;
    }
    Hsl hsl = ToHsl(RedOf(color) / 255.0, GreenOf(color) / 255.0, BlueOf(color) / 255.0);
    hsl.hue += hue - 180;
    if (hsl.hue <= 0.0) {
        hsl.hue += 360.0;
    }
    hsl.hue = std::fmod(hsl.hue, 360.0);
    hsl.saturation = std::min(1.0, hsl.saturation * saturation / 100.0);
    hsl.lightness = std::min(1.0, hsl.lightness * lightness / 100.0);
    double red = hsl.lightness;
    double green = hsl.lightness;
    double blue = hsl.lightness;
    if (hsl.saturation > 0.0) {
        const double q = hsl.lightness < 0.5 ? hsl.lightness * (1.0 + hsl.saturation)
                                             : hsl.lightness + hsl.saturation - hsl.lightness * hsl.saturation;
        const double p = 2.0 * hsl.lightness - q;
        const double h = hsl.hue / 360.0;
        red = HueChannel(p, q, h + 1.0 / 3.0);
        green = HueChannel(p, q, h);
        blue = HueChannel(p, q, h - 1.0 / 3.0);
    }
    return (color & 0xFF000000u) | static_cast<DWORD>(ClampChannel(red)) << 16 |
           static_cast<DWORD>(ClampChannel(green)) << 8 | ClampChannel(blue);
}

}  // namespace TavikUI
