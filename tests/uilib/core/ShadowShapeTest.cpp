// The drop shadow's pixels, computed for given window shapes and parameters.
// Expected alphas come from the soft edge: a pixel at distance d from the
// nearest stamped edge pixel gets (1 - (d - inner) / (sharpness + 1)) times
// the darkness; where the window hides every darker pixel, the whole edge is
// deepened until its darkest visible pixel has the darkness.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "ShadowShape.h"

namespace {

using TavikUI::ComputeShadowImage;
using TavikUI::RowSpan;
using TavikUI::ShadowImage;
using TavikUI::ShadowParameters;

std::vector<RowSpan> Rectangle(int width, int height) { return std::vector<RowSpan>(height, RowSpan{0, width}); }

ShadowParameters Parameters(int darkness, int sharpness, int size, int offsetX, int offsetY,
                            COLORREF color = RGB(0, 0, 0)) {
    ShadowParameters parameters;
    parameters.darkness = static_cast<uint8_t>(darkness);
    parameters.sharpness = static_cast<uint8_t>(sharpness);
    parameters.size = static_cast<int8_t>(size);
    parameters.offsetX = static_cast<int8_t>(offsetX);
    parameters.offsetY = static_cast<int8_t>(offsetY);
    parameters.color = color;
    return parameters;
}

int AlphaAt(const ShadowImage& image, int x, int y) { return static_cast<int>(image.At(x, y) >> 24); }

// 1 - 5/6 lands a hair below or on 1/6 depending on rounding: 24 or 25 of
// 150, deepened as the rest of the soft edge by 150 / (its darkest alpha).
void ExpectOuterEdgeAlpha(const ShadowImage& image, int x, int y, int darkestBeforeDeepening) {
    const int alpha = AlphaAt(image, x, y);
    EXPECT_TRUE(alpha == 24 * 150 / darkestBeforeDeepening || alpha == 25 * 150 / darkestBeforeDeepening)
        << x << "," << y << ": " << alpha;
}

TEST(ShadowShapeTest, PremultipliesTheColourByTheAlpha) {
    EXPECT_EQ(TavikUI::PremultipliedPixel(RGB(255, 128, 0), 150), 0x96964B00u);
    EXPECT_EQ(TavikUI::PremultipliedPixel(RGB(10, 20, 30), 255), 0xFF0A141Eu);
    EXPECT_EQ(TavikUI::PremultipliedPixel(RGB(255, 255, 255), 0), 0u);
}

TEST(ShadowShapeTest, DefaultShadowFallsRightAndBelowAndNeverUnderTheWindow) {
    // Darkness 150, sharpness 5, size 0, offsets 5, 5; a 40 x 30 window.
    const ShadowImage image = ComputeShadowImage(Rectangle(40, 30), 40, 30, ShadowParameters());
    ASSERT_EQ(image.width, 40);
    ASSERT_EQ(image.height, 30);
    // The bitmap starts 5 right of and 5 below the window: everything up to
    // column 34 and row 24 is beneath it.
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 35; ++x) {
            ASSERT_EQ(image.At(x, y), 0u) << x << "," << y;
        }
    }
    // Fading to the right of the window's right edge, on a middle row. The
    // window hides the full part: the soft edge (125, 100, 75, 50, 25 of
    // 150) is deepened by 150/125 so that its darkest pixels have the
    // darkness ...
    EXPECT_EQ(image.At(35, 15), 150u << 24);
    EXPECT_EQ(image.At(36, 15), 120u << 24);
    EXPECT_EQ(image.At(37, 15), 90u << 24);
    EXPECT_EQ(image.At(38, 15), 60u << 24);
    ExpectOuterEdgeAlpha(image, 39, 15, 125);
    // ... and below the bottom edge.
    EXPECT_EQ(AlphaAt(image, 20, 25), 150);
    EXPECT_EQ(AlphaAt(image, 20, 26), 120);
    EXPECT_EQ(AlphaAt(image, 20, 27), 90);
    EXPECT_EQ(AlphaAt(image, 20, 28), 60);
    ExpectOuterEdgeAlpha(image, 20, 29, 125);
    // The corner is round: sqrt(18) from the last stamped pixel (34, 24)
    // (43, deepened), and nothing past the radius.
    EXPECT_EQ(AlphaAt(image, 37, 27), 51);
    EXPECT_EQ(image.At(39, 29), 0u);
    // The shadow begins softly below the window's top (46, deepened).
    EXPECT_EQ(image.At(35, 0), 0u);
    EXPECT_EQ(AlphaAt(image, 35, 1), 55);
}

TEST(ShadowShapeTest, ColouredShadowIsPremultiplied) {
    const ShadowImage image =
        ComputeShadowImage(Rectangle(40, 30), 40, 30, Parameters(150, 5, 0, 5, 5, RGB(255, 128, 0)));
    EXPECT_EQ(image.At(36, 15), 0x78783C00u);
    EXPECT_EQ(image.At(20, 27), TavikUI::PremultipliedPixel(RGB(255, 128, 0), 90));
}

TEST(ShadowShapeTest, SpreadShadowReachesSizePixelsOnEverySide) {
    // Darkness 150, sharpness 5, size 4, no offset; a 20 x 10 window.
    const ShadowImage image = ComputeShadowImage(Rectangle(20, 10), 20, 10, Parameters(150, 5, 4, 0, 0));
    ASSERT_EQ(image.width, 28);
    ASSERT_EQ(image.height, 18);
    // Left, right, top and bottom margins of 4, fading outwards. The window
    // hides the full part, so the soft edge (100, 75, 50, 25 of 150) is
    // deepened by 150/100 until its darkest pixels have the darkness.
    const int left[] = {AlphaAt(image, 1, 8), AlphaAt(image, 2, 8), AlphaAt(image, 3, 8)};
    EXPECT_EQ(std::vector<int>(left, left + 3), (std::vector<int>{75, 112, 150}));
    const int right[] = {AlphaAt(image, 24, 8), AlphaAt(image, 25, 8), AlphaAt(image, 26, 8)};
    EXPECT_EQ(std::vector<int>(right, right + 3), (std::vector<int>{150, 112, 75}));
    EXPECT_EQ(AlphaAt(image, 14, 3), 150);
    EXPECT_EQ(AlphaAt(image, 14, 1), 75);
    EXPECT_EQ(AlphaAt(image, 14, 14), 150);
    EXPECT_EQ(AlphaAt(image, 14, 16), 75);
    EXPECT_EQ(image.At(14, 3), TavikUI::PremultipliedPixel(RGB(0, 0, 0), 150));
    ExpectOuterEdgeAlpha(image, 0, 8, 100);
    ExpectOuterEdgeAlpha(image, 27, 8, 100);
    ExpectOuterEdgeAlpha(image, 14, 0, 100);
    ExpectOuterEdgeAlpha(image, 14, 17, 100);
    // Beneath the window nothing is drawn; the darkest pixels have 150.
    int darkest = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (x >= 4 && x < 24 && y >= 4 && y < 14) {
                ASSERT_EQ(image.At(x, y), 0u) << x << "," << y;
            }
            darkest = std::max(darkest, AlphaAt(image, x, y));
        }
    }
    EXPECT_EQ(darkest, 150);
    EXPECT_EQ(image.At(0, 0), 0u);
}

TEST(ShadowShapeTest, SpreadWiderThanTheSoftEdgeKeepsAFullBand) {
    // Size 8, sharpness 2: within 6 pixels of the edge the shadow is full.
    const ShadowImage image = ComputeShadowImage(Rectangle(20, 10), 20, 10, Parameters(200, 2, 8, 0, 0));
    ASSERT_EQ(image.width, 36);
    ASSERT_EQ(image.height, 26);
    EXPECT_EQ(AlphaAt(image, 7, 12), 200);
    EXPECT_EQ(AlphaAt(image, 3, 12), 200);
    EXPECT_EQ(AlphaAt(image, 2, 12), 200);
    EXPECT_EQ(AlphaAt(image, 1, 12), 133);
    EXPECT_EQ(AlphaAt(image, 18, 1), 133);
    EXPECT_EQ(AlphaAt(image, 8, 12), 0);  // beneath the window
    EXPECT_EQ(image.At(0, 0), 0u);
}

TEST(ShadowShapeTest, ShadowWithoutSoftEdgeIsACrispCopyOfTheShape) {
    // Sharpness 0, size 0, offsets 2, 3: full darkness two columns right of
    // and three rows below the window.
    const ShadowImage image = ComputeShadowImage(Rectangle(10, 8), 10, 8, Parameters(100, 0, 0, 2, 3));
    ASSERT_EQ(image.width, 10);
    ASSERT_EQ(image.height, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool shadowed = x >= 8 || y >= 5;
            EXPECT_EQ(AlphaAt(image, x, y), shadowed ? 100 : 0) << x << "," << y;
        }
    }
}

TEST(ShadowShapeTest, SymmetricShapeWithoutOffsetGivesASymmetricShadow) {
    // A 30 x 20 window with cut corners.
    std::vector<RowSpan> spans;
    for (int y = 0; y < 20; ++y) {
        const int inset = std::max(0, 4 - std::min(y, 19 - y));
        spans.push_back({inset, 30 - inset});
    }
    for (int size : {0, 3, 7}) {
        const ShadowImage image = ComputeShadowImage(spans, 30, 20, Parameters(180, 5, size, 0, 0));
        bool nonZero = false;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                ASSERT_EQ(image.At(x, y), image.At(image.width - 1 - x, y)) << size << ": " << x << "," << y;
                ASSERT_EQ(image.At(x, y), image.At(x, image.height - 1 - y)) << size << ": " << x << "," << y;
                nonZero = nonZero || image.At(x, y) != 0;
            }
        }
        EXPECT_EQ(nonZero, size > 0) << size;
    }
}

TEST(ShadowShapeTest, WindowWithoutShapeCastsNothing) {
    const std::vector<RowSpan> empty = TavikUI::RegionRowSpans(nullptr, 30, 20);
    ASSERT_EQ(empty.size(), 20u);
    const ShadowImage image = ComputeShadowImage(empty, 30, 20, Parameters(150, 5, 4, 0, 0));
    ASSERT_EQ(image.width, 38);
    EXPECT_TRUE(std::all_of(image.pixels.begin(), image.pixels.end(), [](uint32_t pixel) { return pixel == 0; }));
}

TEST(ShadowShapeTest, DegenerateSizesGiveAnEmptyOrClippedImage) {
    EXPECT_EQ(ComputeShadowImage({}, 0, 0, ShadowParameters()).width, 0);
    EXPECT_TRUE(ComputeShadowImage(Rectangle(4, 4), 4, 4, Parameters(150, 5, -3, 0, 0)).pixels.empty());
    // A negative spread shrinks the bitmap; every write stays inside it.
    const ShadowImage shrunk = ComputeShadowImage(Rectangle(10, 10), 10, 10, Parameters(150, 5, -2, 0, 0));
    EXPECT_EQ(shrunk.width, 6);
    EXPECT_EQ(shrunk.pixels.size(), 36u);
}

TEST(ShadowShapeTest, RegionRowsSpanFromTheFirstToTheLastPointInside) {
    HRGN box = CreateRectRgn(2, 1, 8, 4);
    const std::vector<RowSpan> spans = TavikUI::RegionRowSpans(box, 10, 6);
    ASSERT_EQ(spans.size(), 6u);
    for (int y : {0, 4, 5}) {
        EXPECT_TRUE(spans[y].IsEmpty()) << y;
    }
    for (int y : {1, 2, 3}) {
        EXPECT_EQ(spans[y].left, 2) << y;
        EXPECT_EQ(spans[y].right, 8) << y;
    }
    DeleteObject(box);

    // Two pieces on a row: the span covers the gap.
    HRGN pieces = CreateRectRgn(0, 0, 3, 2);
    HRGN second = CreateRectRgn(7, 0, 10, 2);
    CombineRgn(pieces, pieces, second, RGN_OR);
    const std::vector<RowSpan> joined = TavikUI::RegionRowSpans(pieces, 10, 2);
    EXPECT_EQ(joined[0].left, 0);
    EXPECT_EQ(joined[0].right, 10);
    DeleteObject(second);
    DeleteObject(pieces);

    // A rounded shape: narrower at the top than in the middle.
    HRGN round = CreateRoundRectRgn(0, 0, 21, 11, 10, 10);
    const std::vector<RowSpan> rounded = TavikUI::RegionRowSpans(round, 20, 10);
    EXPECT_GT(rounded[0].left, 0);
    EXPECT_LT(rounded[0].right, 20);
    EXPECT_EQ(rounded[5].left, 0);
    EXPECT_EQ(rounded[5].right, 20);
    DeleteObject(round);
}

TEST(ShadowShapeTest, BitmapHoldsTheRowsBottomUp) {
    ShadowImage image;
    image.width = 3;
    image.height = 2;
    image.pixels = {0x01000001, 0x02000002, 0x03000003, 0x04000004, 0x05000005, 0x06000006};
    HBITMAP bitmap = TavikUI::CreateShadowBitmap(image);
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION section = {};
    ASSERT_EQ(GetObjectW(bitmap, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBmih.biBitCount, 32);
    EXPECT_EQ(section.dsBmih.biHeight, 2);  // positive: bottom-up
    const auto* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    // The first stored row is the image's bottom row.
    EXPECT_EQ(std::vector<uint32_t>(bits, bits + 6),
              (std::vector<uint32_t>{0x04000004, 0x05000005, 0x06000006, 0x01000001, 0x02000002, 0x03000003}));
    DeleteObject(bitmap);
    EXPECT_EQ(TavikUI::CreateShadowBitmap(ShadowImage()), nullptr);
}

}  // namespace
