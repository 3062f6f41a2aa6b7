// Colour fills, gradients, lines, outlines and the HSL colour shift.
#include <algorithm>
#include <cmath>

#include "ColorChannels.h"
#include "DibSection.h"
#include "GdiRenderer.h"
#include "GradientPainter.h"
#include "ImageBlend.h"

namespace TavikUI {
namespace {

int BandShift(int steps) {
    if (steps >= 64) {
        return 6;
    }
    if (steps >= 32) {
        return 5;
    }
    if (steps >= 16) {
        return 4;
    }
    if (steps >= 8) {
        return 3;
    }
    if (steps >= 4) {
        return 2;
    }
    return 1;
}

// Band i (0 at the far edge: bottom, or right) takes (to x (N - i) + from x i) / N.
void FillGradientBands(HDC dc, const RECT& rect, DWORD from, DWORD to, bool vertical, int steps) {
    const int bands = 1 << BandShift(steps);
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

void CallGradientFill(GradientFillFunction gradientFill, HDC dc, const RECT& rect, DWORD from, DWORD to,
                      bool vertical) {
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

const RECT kNoCorners = {0, 0, 0, 0};

}  // namespace

GradientFillFunction SystemGradientFill() {
    static const auto entry = BlendingLibrary() ? reinterpret_cast<GradientFillFunction>(reinterpret_cast<void*>(
                                                      GetProcAddress(BlendingLibrary(), "GradientFill")))
                                                : nullptr;
    return entry;
}

void FillGradientWith(HDC dc, const RECT& rect, DWORD from, DWORD to, bool vertical, int steps,
                      GradientFillFunction gradientFill) {
    const int alpha = (AlphaOf(from) + AlphaOf(to)) / 2;
    if (!dc || alpha == 0 || IsRectEmpty(&rect)) {
        return;
    }
    if (alpha == 0xFF && gradientFill) {
        CallGradientFill(gradientFill, dc, rect, from, to, vertical);
        return;
    }
    // Drawn at the origin of a working bitmap, then copied or blended on.
    // The bands leave alpha 0 in the pixels as every GDI fill does: the
    // bitmap is made opaque before it is used.
    CWorkBitmap work(dc, rect.right - rect.left, rect.bottom - rect.top);
    if (!work.IsValid()) {
        return;
    }
    const RECT local = work.Bounds();
    if (gradientFill) {
        CallGradientFill(gradientFill, work.DC(), local, from, to, vertical);
    } else {
        FillGradientBands(work.DC(), local, from, to, vertical, steps);
    }
    work.MakeOpaque();
    if (alpha == 0xFF) {
        BitBlt(dc, rect.left, rect.top, local.right, local.bottom, work.DC(), 0, 0, SRCCOPY);
        return;
    }
    work.EndDrawing();
    CGdiRenderer::DrawImageRect(dc, work.Bitmap(), rect, rect, local, kNoCorners, true, static_cast<BYTE>(alpha), false,
                                false, false);
}

void CGdiRenderer::FillColor(HDC dc, const RECT& rect, DWORD color) {
    const BYTE alpha = AlphaOf(color);
    if (!dc || alpha == 0 || IsRectEmpty(&rect)) {
        return;
    }
    if (alpha == 0xFF) {
        const COLORREF old = SetBkColor(dc, ToColorRef(color));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
        SetBkColor(dc, old);
        return;
    }
    CWorkBitmap pixel(dc, 1, 1);
    if (!pixel.IsValid()) {
        return;
    }
    pixel.EndDrawing();
    // Per-pixel blending takes premultiplied colours: the plain colour value
    // would add its full strength over what lies below.
    GdiFlush();
    pixel.Pixels()[0] = static_cast<DWORD>(alpha) << 24 | static_cast<DWORD>(RedOf(color) * alpha / 255) << 16 |
                        static_cast<DWORD>(GreenOf(color) * alpha / 255) << 8 |
                        static_cast<DWORD>(BlueOf(color) * alpha / 255);
    CGdiRenderer::DrawImageRect(dc, pixel.Bitmap(), rect, rect, pixel.Bounds(), kNoCorners, true, 255, false, false,
                                false);
}

void CGdiRenderer::FillGradient(HDC dc, const RECT& rect, DWORD from, DWORD to, bool vertical, int steps) {
    FillGradientWith(dc, rect, from, to, vertical, steps, SystemGradientFill());
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

BYTE ClampWeighted(double value) {
    // Truncated, as the mix is defined; kept inside the channel.
    return static_cast<BYTE>(std::min(255.0, std::max(0.0, std::trunc(value))));
}

}  // namespace

void CGdiRenderer::RgbToHsl(DWORD color, double& hue, double& saturation, double& lightness) {
    const double red = RedOf(color) / 255.0;
    const double green = GreenOf(color) / 255.0;
    const double blue = BlueOf(color) / 255.0;
    const double high = std::max({red, green, blue});
    const double low = std::min({red, green, blue});
    lightness = (high + low) / 2.0;
    hue = 0.0;
    saturation = 0.0;
    const double spread = high - low;
    if (spread <= 0.0) {
        return;
    }
    saturation = lightness > 0.5 ? spread / (2.0 - high - low) : spread / (high + low);
    if (high == red) {
        hue = (green - blue) / spread + (green < blue ? 6.0 : 0.0);
    } else if (high == green) {
        hue = (blue - red) / spread + 2.0;
    } else {
        hue = (red - green) / spread + 4.0;
    }
    hue *= 60.0;
}

DWORD CGdiRenderer::HslToRgb(double hue, double saturation, double lightness) {
    double red = lightness;
    double green = lightness;
    double blue = lightness;
    if (saturation > 0.0) {
        const double q =
            lightness < 0.5 ? lightness * (1.0 + saturation) : lightness + saturation - lightness * saturation;
        const double p = 2.0 * lightness - q;
        double degrees = std::fmod(hue, 360.0);
        if (degrees < 0.0) {
            degrees += 360.0;
        }
        const double h = degrees / 360.0;
        red = HueChannel(p, q, h + 1.0 / 3.0);
        green = HueChannel(p, q, h);
        blue = HueChannel(p, q, h - 1.0 / 3.0);
    }
    return static_cast<DWORD>(ClampChannel(red)) << 16 | static_cast<DWORD>(ClampChannel(green)) << 8 |
           ClampChannel(blue);
}

DWORD CGdiRenderer::ShiftColorHsl(DWORD color, short hue, short saturation, short lightness) {
    if (hue == 180 && saturation == 100 && lightness == 100) {
        return color;
    }
    double h = 0.0;
    double s = 0.0;
    double l = 0.0;
    RgbToHsl(color, h, s, l);
    h += hue - 180;
    if (h <= 0.0) {
        h += 360.0;
    }
    s = std::min(1.0, s * saturation / 100.0);
    l = std::min(1.0, l * lightness / 100.0);
    return (color & 0xFF000000u) | HslToRgb(h, s, l);
}

DWORD CGdiRenderer::MixColors(DWORD a, double weightA, DWORD b, double weightB) {
    auto mix = [&](BYTE channelA, BYTE channelB) { return ClampWeighted(weightA * channelA + weightB * channelB); };
    return static_cast<DWORD>(mix(RedOf(a), RedOf(b))) << 16 | static_cast<DWORD>(mix(GreenOf(a), GreenOf(b))) << 8 |
           mix(BlueOf(a), BlueOf(b));
}

}  // namespace TavikUI
