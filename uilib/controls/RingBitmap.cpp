#include "RingBitmap.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "DibSection.h"

namespace TavikUI {
namespace {

const double kFullTurn = 2.0 * 3.14159265358979323846;
// The sweep per unit of fraction (slightly more than a full turn).
const double kSweepPerFraction = 6.2918;

}  // namespace

double RingSweepAngle(double fraction) { return kSweepPerFraction * fraction; }

bool IsPastSweep(int dx, int dy, double sweep) {
    if (dx == 0 && dy == 0) {
        return false;
    }
    // atan2(dx, dy) is the angle from the upward axis towards +x: clockwise
    // from twelve o'clock, in -pi..pi.
    double angle = std::atan2(static_cast<double>(dx), static_cast<double>(dy));
    if (angle < 0) {
        angle += kFullTurn;
    }
    return angle > sweep;
}

HBITMAP CreateRingBitmap(HBITMAP source, double fraction, bool sourceHasAlpha) {
    BITMAP size = {};
    if (!source || GetObjectType(source) != OBJ_BITMAP || GetObjectW(source, sizeof(size), &size) == 0) {
        return nullptr;
    }
    const int width = size.bmWidth;
    const int height = size.bmHeight < 0 ? -size.bmHeight : size.bmHeight;
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    // Always 32 bits: the pixel walk below reads four bytes per pixel, and
    // GetDIBits converts any source depth to it. Bottom-up: row 0 is the
    // bottom row.
    BITMAPINFO info = Dib32Info(width, height, DibRows::kBottomUp);
    void* bits = nullptr;
    HBITMAP ring = CreateDibSection32(width, height, DibRows::kBottomUp, &bits);
    if (!ring) {
        return nullptr;
    }
    auto* pixels = static_cast<uint32_t*>(bits);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::memset(pixels, 0, count * sizeof(uint32_t));
    if (fraction <= 0) {
        return ring;
    }
    HDC screen = GetDC(nullptr);
    const int copied =
        screen ? GetDIBits(screen, source, 0, static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS) : 0;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    if (copied == 0) {
        return ring;
    }
    if (!sourceHasAlpha) {
        // The alpha bytes of an opaque image mean nothing.
        for (size_t i = 0; i < count; ++i) {
            pixels[i] |= 0xFF000000u;
        }
    }
    if (fraction >= 1) {
        return ring;
    }
    const double sweep = RingSweepAngle(fraction);
    const int centreX = width / 2;
    const int centreY = height / 2;
    for (int row = 0; row < height; ++row) {
        uint32_t* line = pixels + static_cast<size_t>(row) * static_cast<size_t>(width);
        for (int column = 0; column < width; ++column) {
            if ((line[column] >> 24) != 0 && IsPastSweep(column - centreX, row - centreY, sweep)) {
                line[column] = 0;
            }
        }
    }
    return ring;
}

}  // namespace TavikUI
