// The ring image: which pixels lie past a value's clockwise angle from twelve
// o'clock, and the bitmap that keeps only the swept part of a ring image.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "DibSection.h"
#include "RingBitmap.h"

namespace {

using TavikUI::CreateRingBitmap;
using TavikUI::IsPastSweep;
using TavikUI::RingSweepAngle;

const double kPi = 3.14159265358979323846;

// The point at `radius` and the clockwise angle (degrees) from twelve o'clock,
// y counted upwards.
POINT PointAt(double degrees, double radius) {
    const double radians = degrees * kPi / 180.0;
    return POINT{static_cast<LONG>(std::lround(radius * std::sin(radians))),
                 static_cast<LONG>(std::lround(radius * std::cos(radians)))};
}

bool PastAt(double degrees, double fraction) {
    const POINT point = PointAt(degrees, 40);
    return IsPastSweep(point.x, point.y, RingSweepAngle(fraction));
}

TEST(RingSweepTest, EveryQuadrantOutsideTheSweepIsPastAndInsideIsNot) {
    const double fractions[] = {0.1, 0.3, 0.5, 0.55, 0.7, 0.8, 0.95};
    for (double fraction : fractions) {
        const double end = fraction * 360.0;
        for (int degrees = 5; degrees < 360; degrees += 10) {
            if (std::fabs(degrees - end) < 3) {
                continue;
            }
            EXPECT_EQ(PastAt(degrees, fraction), degrees > end) << "fraction " << fraction << " at " << degrees;
        }
    }
}

TEST(RingSweepTest, CentreAndTwelveOClockAreNeverPastTheAxesFollowTheSweep) {
    EXPECT_FALSE(IsPastSweep(0, 0, 0.0));
    EXPECT_FALSE(IsPastSweep(0, 10, 0.0));
    EXPECT_TRUE(IsPastSweep(1, 10, 0.0));
    // Straight down is half a turn: past below 50 %, swept at it.
    EXPECT_TRUE(IsPastSweep(0, -10, RingSweepAngle(0.49)));
    EXPECT_FALSE(IsPastSweep(0, -10, RingSweepAngle(0.5)));
    // The left half is past at 50 %; the right half is not.
    EXPECT_TRUE(IsPastSweep(-10, 5, RingSweepAngle(0.5)));
    EXPECT_TRUE(IsPastSweep(-10, -5, RingSweepAngle(0.5)));
    EXPECT_FALSE(IsPastSweep(10, -5, RingSweepAngle(0.5)));
    EXPECT_FALSE(IsPastSweep(-1, 40, RingSweepAngle(0.999)));
}

// A 32-bit top-down DIB section filled with one premultiplied pixel value.
class SourceBitmap {
public:
    SourceBitmap(int width, int height, uint32_t pixel) {
        void* bits = nullptr;
        bitmap_ = TavikUI::CreateDibSection32(width, height, TavikUI::DibRows::kTopDown, &bits);
        pixels_ = static_cast<uint32_t*>(bits);
        for (int i = 0; bitmap_ && i < width * height; ++i) {
            pixels_[i] = pixel;
        }
    }
    ~SourceBitmap() { DeleteObject(bitmap_); }
    SourceBitmap(const SourceBitmap&) = delete;
    SourceBitmap& operator=(const SourceBitmap&) = delete;
    HBITMAP Handle() const { return bitmap_; }
    // Row 0 is the top row.
    void Set(int width, int x, int y, uint32_t pixel) { pixels_[y * width + x] = pixel; }

private:
    HBITMAP bitmap_ = nullptr;
    uint32_t* pixels_ = nullptr;
};

// The pixels of a ring bitmap, top row first, with its size.
struct RingPixels {
    int width = 0;
    int height = 0;
    bool bottomUp = false;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

RingPixels ReadRing(HBITMAP ring) {
    RingPixels result;
    DIBSECTION section = {};
    if (GetObjectW(ring, sizeof(section), &section) != sizeof(section)) {
        return result;
    }
    GdiFlush();
    result.width = section.dsBm.bmWidth;
    result.height = section.dsBm.bmHeight;
    result.bottomUp = section.dsBmih.biHeight > 0;
    const auto* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    for (int y = 0; y < result.height; ++y) {
        const int row = result.bottomUp ? result.height - 1 - y : y;
        result.pixels.insert(result.pixels.end(), bits + static_cast<size_t>(row) * result.width,
                             bits + static_cast<size_t>(row + 1) * result.width);
    }
    return result;
}

struct RingDeleter {
    void operator()(HBITMAP__* bitmap) const { DeleteObject(bitmap); }
};
using RingPtr = std::unique_ptr<HBITMAP__, RingDeleter>;

const uint32_t kOpaqueRed = 0xFFFF0000u;

TEST(RingBitmapTest, NoFractionGivesAFullyTransparentBitmapOfTheSourcesSize) {
    SourceBitmap source(40, 30, kOpaqueRed);
    RingPtr ring(CreateRingBitmap(source.Handle(), 0.0));
    ASSERT_NE(ring, nullptr);
    const RingPixels pixels = ReadRing(ring.get());
    EXPECT_EQ(pixels.width, 40);
    EXPECT_EQ(pixels.height, 30);
    EXPECT_TRUE(pixels.bottomUp);
    for (uint32_t pixel : pixels.pixels) {
        ASSERT_EQ(pixel, 0u);
    }
}

TEST(RingBitmapTest, AFullFractionCopiesTheSourceUnchanged) {
    SourceBitmap source(40, 30, kOpaqueRed);
    source.Set(40, 3, 2, 0x80102030u);
    RingPtr ring(CreateRingBitmap(source.Handle(), 1.0));
    ASSERT_NE(ring, nullptr);
    const RingPixels pixels = ReadRing(ring.get());
    EXPECT_EQ(pixels.At(3, 2), 0x80102030u);
    EXPECT_EQ(pixels.At(0, 0), kOpaqueRed);
    EXPECT_EQ(pixels.At(39, 29), kOpaqueRed);
    EXPECT_EQ(pixels.At(5, 25), kOpaqueRed);
}

TEST(RingBitmapTest, AboveHalfTheSweptLeftPartStaysAndTheRestIsCleared) {
    SourceBitmap source(100, 100, kOpaqueRed);
    RingPtr ring(CreateRingBitmap(source.Handle(), 0.75));
    ASSERT_NE(ring, nullptr);
    const RingPixels pixels = ReadRing(ring.get());
    // Whole right half and lower left swept; the upper left quarter is not.
    EXPECT_EQ(pixels.At(80, 20), kOpaqueRed);
    EXPECT_EQ(pixels.At(80, 80), kOpaqueRed);
    EXPECT_EQ(pixels.At(20, 80), kOpaqueRed);
    EXPECT_EQ(pixels.At(20, 20), 0u);
    EXPECT_EQ(pixels.At(5, 40), 0u);
    EXPECT_EQ(pixels.At(5, 60), kOpaqueRed);
}

TEST(RingBitmapTest, TransparentPixelsAreLeftAlone) {
    // Only pixels with alpha are cleared; one without alpha keeps its bytes.
    SourceBitmap source(20, 20, kOpaqueRed);
    source.Set(20, 2, 2, 0x00123456u);
    RingPtr ring(CreateRingBitmap(source.Handle(), 0.25));
    ASSERT_NE(ring, nullptr);
    const RingPixels pixels = ReadRing(ring.get());
    EXPECT_EQ(pixels.At(2, 2), 0x00123456u);
    EXPECT_EQ(pixels.At(3, 2), 0u);
}

TEST(RingBitmapTest, AnOpaqueSourceKeepsItsSweptPartOpaqueAndItsHiddenPartClear) {
    // An image without alpha: its alpha bytes are 0 and mean nothing.
    SourceBitmap source(100, 100, 0x00FF0000u);
    RingPtr ring(CreateRingBitmap(source.Handle(), 0.75, false));
    ASSERT_NE(ring, nullptr);
    const RingPixels pixels = ReadRing(ring.get());
    EXPECT_EQ(pixels.At(80, 20), kOpaqueRed);
    EXPECT_EQ(pixels.At(20, 80), kOpaqueRed);
    EXPECT_EQ(pixels.At(20, 20), 0u);
    RingPtr full(CreateRingBitmap(source.Handle(), 1.0, false));
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(ReadRing(full.get()).At(20, 20), kOpaqueRed);
}

TEST(RingBitmapTest, NoSourceGivesNoBitmap) {
    EXPECT_EQ(CreateRingBitmap(nullptr, 0.5), nullptr);
    HBRUSH notABitmap = CreateSolidBrush(RGB(1, 2, 3));
    HBITMAP ring = CreateRingBitmap(reinterpret_cast<HBITMAP>(notABitmap), 0.5);
    EXPECT_EQ(ring, nullptr);
    if (ring) {
        DeleteObject(ring);
    }
    DeleteObject(notABitmap);
}

}  // namespace
