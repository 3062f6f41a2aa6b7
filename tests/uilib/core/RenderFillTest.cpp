#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "GdiRenderer.h"
#include "GradientPainter.h"
#include "RenderTestSupport.h"

using RenderTests::Alpha;
using RenderTests::Blue;
using RenderTests::Green;
using RenderTests::Red;
using RenderTests::RenderCanvas;
using TavikUI::CGdiRenderer;

namespace {

const DWORD kWhite = 0x00FFFFFF;
const DWORD kBlack = 0x00000000;

TEST(ColorFill, TranslucentColourBlendsOverBlackAtItsStrength) {
    // A colour value that is not premultiplied would add its full strength
    // over black and come out at 255.
    RenderCanvas canvas(20, 20, kBlack);
    CGdiRenderer::FillColor(canvas.DC(), RECT{0, 0, 20, 20}, 0x80FF0000);
    const DWORD pixel = canvas.At(10, 10);
    EXPECT_NEAR(Red(pixel), 128, 2);
    EXPECT_EQ(Green(pixel), 0);
    EXPECT_EQ(Blue(pixel), 0);
}

TEST(ColorFill, TranslucentFillStaysInsideItsRectangle) {
    RenderCanvas canvas(30, 30, kBlack);
    CGdiRenderer::FillColor(canvas.DC(), RECT{10, 10, 11, 11}, 0x8000FF00);
    EXPECT_NEAR(Green(canvas.At(10, 10)), 128, 2);
    EXPECT_EQ(canvas.At(11, 10), kBlack);
    EXPECT_EQ(canvas.At(10, 11), kBlack);
    EXPECT_EQ(canvas.At(9, 9), kBlack);
}

TEST(ColorFill, EmptyRectangleOrNullDcIsIgnored) {
    RenderCanvas canvas(20, 20, kWhite);
    CGdiRenderer::FillColor(canvas.DC(), RECT{10, 10, 10, 20}, 0xFF000000);
    CGdiRenderer::FillColor(canvas.DC(), RECT{10, 10, 5, 5}, 0x80000000);
    CGdiRenderer::FillColor(nullptr, RECT{0, 0, 20, 20}, 0x80000000);
    EXPECT_EQ(canvas.Count(canvas.Whole(), RenderTests::IsInk), 0);
}

TEST(GradientFill, HorizontalRunsFromLeftToRightAndIsFlatDown) {
    RenderCanvas canvas(100, 20, kWhite);
    CGdiRenderer::FillGradient(canvas.DC(), RECT{0, 0, 100, 20}, 0xFF00FF00, 0xFF000000, false, 64);
    EXPECT_GT(Green(canvas.At(0, 5)), 245);
    EXPECT_LT(Green(canvas.At(99, 5)), 10);
    for (int x : {0, 40, 99}) {
        EXPECT_EQ(canvas.At(x, 0), canvas.At(x, 19)) << x;
    }
}

TEST(GradientFill, BothEndsWithoutAlphaDrawNothing) {
    RenderCanvas canvas(20, 20, kWhite);
    CGdiRenderer::FillGradient(canvas.DC(), RECT{0, 0, 20, 20}, 0x00FF0000, 0x000000FF, true, 16);
    CGdiRenderer::FillGradient(canvas.DC(), RECT{0, 0, 20, 20}, 0x01FF0000, 0x000000FF, true, 16);
    EXPECT_EQ(canvas.Count(canvas.Whole(), RenderTests::IsInk), 0);
}

TEST(GradientFill, TranslucentGradientStaysInsideItsRectangle) {
    RenderCanvas canvas(40, 40, kWhite);
    CGdiRenderer::FillGradient(canvas.DC(), RECT{10, 10, 30, 30}, 0x80000000, 0x80000000, false, 16);
    EXPECT_NEAR(Red(canvas.At(10, 10)), 127, 3);
    EXPECT_NEAR(Red(canvas.At(29, 29)), 127, 3);
    EXPECT_EQ(canvas.At(9, 20), kWhite);
    EXPECT_EQ(canvas.At(30, 20), kWhite);
    EXPECT_EQ(canvas.At(20, 30), kWhite);
}

// The band fallback, for systems without GradientFill.
TEST(GradientBands, BandsRunFromTheFarEdgeInwards) {
    RenderCanvas canvas(10, 100, kWhite);
    // Four bands of 25 rows: band i from the bottom is (to x (4 - i) + from x i) / 4.
    TavikUI::FillGradientWith(canvas.DC(), RECT{0, 0, 10, 100}, 0xFF000000, 0xFFC8C8C8, true, 4, nullptr);
    EXPECT_EQ(canvas.At(5, 99), 0xC8C8C8u);
    EXPECT_EQ(canvas.At(5, 75), 0xC8C8C8u);
    EXPECT_EQ(canvas.At(5, 74), 0x969696u);
    EXPECT_EQ(canvas.At(5, 50), 0x969696u);
    EXPECT_EQ(canvas.At(5, 49), 0x646464u);
    EXPECT_EQ(canvas.At(5, 25), 0x646464u);
    EXPECT_EQ(canvas.At(5, 24), 0x323232u);
    EXPECT_EQ(canvas.At(5, 0), 0x323232u);
}

TEST(GradientBands, HorizontalBandsStartAtTheRightEdge) {
    RenderCanvas canvas(40, 4, kWhite);
    TavikUI::FillGradientWith(canvas.DC(), RECT{0, 0, 40, 4}, 0xFF0000FF, 0xFFFF0000, false, 1, nullptr);
    // Two bands: the right one is `to`, the left one the mean.
    EXPECT_EQ(canvas.At(39, 0), 0xFF0000u);
    EXPECT_EQ(canvas.At(20, 0), 0xFF0000u);
    EXPECT_EQ(canvas.At(19, 0), 0x7F007Fu);
    EXPECT_EQ(canvas.At(0, 3), 0x7F007Fu);
}

TEST(GradientBands, StepsChooseTheBandCount) {
    const struct {
        int steps;
        size_t bands;
    } cases[] = {{1, 2}, {3, 2}, {4, 4}, {8, 8}, {16, 16}, {31, 16}, {32, 32}, {64, 64}, {500, 64}};
    for (const auto& item : cases) {
        RenderCanvas canvas(2, 256, kWhite);
        TavikUI::FillGradientWith(canvas.DC(), RECT{0, 0, 2, 256}, 0xFF000000, 0xFFFFFFFF, true, item.steps, nullptr);
        std::set<DWORD> colours;
        for (int y = 0; y < 256; ++y) {
            colours.insert(canvas.At(0, y));
        }
        EXPECT_EQ(colours.size(), item.bands) << item.steps;
    }
}

TEST(GradientBands, OpaqueBandsWriteOpaqueAlpha) {
    RenderCanvas canvas(8, 32, 0x00FFFFFF);
    TavikUI::FillGradientWith(canvas.DC(), RECT{0, 0, 8, 32}, 0xFF102030, 0xFF405060, true, 8, nullptr);
    for (int y : {0, 15, 31}) {
        EXPECT_EQ(Alpha(canvas.Raw(3, y)), 0xFF) << y;
    }
}

TEST(GradientBands, TranslucentBandsBlendLikeAnOpaqueLayer) {
    // Bands left with alpha 0 in the working bitmap would add their colour
    // over white without covering it, and come out white.
    RenderCanvas canvas(10, 20, kWhite);
    TavikUI::FillGradientWith(canvas.DC(), RECT{0, 0, 10, 20}, 0x80FF0000, 0x80FF0000, true, 4, nullptr);
    const DWORD pixel = canvas.At(5, 10);
    EXPECT_EQ(Red(pixel), 255);
    EXPECT_NEAR(Green(pixel), 127, 3);
    EXPECT_NEAR(Blue(pixel), 127, 3);
}

TEST(GradientBands, ZeroExtentAndTinyRectanglesAreSafe) {
    RenderCanvas canvas(10, 10, kWhite);
    TavikUI::FillGradientWith(canvas.DC(), RECT{2, 2, 2, 8}, 0xFF000000, 0xFF000000, true, 64, nullptr);
    TavikUI::FillGradientWith(canvas.DC(), RECT{2, 2, 8, 2}, 0xFF000000, 0xFF000000, false, 64, nullptr);
    EXPECT_EQ(canvas.Count(canvas.Whole(), RenderTests::IsInk), 0);
    TavikUI::FillGradientWith(canvas.DC(), RECT{3, 3, 4, 4}, 0xFF000000, 0xFF000000, true, 64, nullptr);
    EXPECT_EQ(canvas.At(3, 3), kBlack);
    EXPECT_EQ(canvas.Count(canvas.Whole(), RenderTests::IsInk), 1);
}

TEST(Lines, StrokeLineDrawsOnlyItsRow) {
    RenderCanvas canvas(40, 20, kWhite);
    CGdiRenderer::StrokeLine(canvas.DC(), RECT{5, 10, 35, 10}, 1, 0xFFFF0000, PS_SOLID);
    EXPECT_EQ(canvas.At(5, 10), 0xFF0000u);
    EXPECT_EQ(canvas.At(34, 10), 0xFF0000u);
    EXPECT_EQ(canvas.At(20, 9), kWhite);
    EXPECT_EQ(canvas.At(20, 11), kWhite);
    EXPECT_EQ(canvas.At(4, 10), kWhite);
}

TEST(ColourMath, RgbToHslOfPrimaries) {
    double hue = -1;
    double saturation = -1;
    double lightness = -1;
    CGdiRenderer::RgbToHsl(0xFFFF0000, hue, saturation, lightness);
    EXPECT_DOUBLE_EQ(hue, 0.0);
    EXPECT_DOUBLE_EQ(saturation, 1.0);
    EXPECT_DOUBLE_EQ(lightness, 0.5);
    CGdiRenderer::RgbToHsl(0x000000FF, hue, saturation, lightness);
    EXPECT_DOUBLE_EQ(hue, 240.0);
    CGdiRenderer::RgbToHsl(0x00808080, hue, saturation, lightness);
    EXPECT_DOUBLE_EQ(saturation, 0.0);
    EXPECT_NEAR(lightness, 128.0 / 255.0, 1e-9);
}

TEST(ColourMath, HslToRgbAnswersWithoutAlpha) {
    EXPECT_EQ(CGdiRenderer::HslToRgb(120.0, 1.0, 0.5), 0x0000FF00u);
    EXPECT_EQ(CGdiRenderer::HslToRgb(0.0, 0.0, 1.0), 0x00FFFFFFu);
    EXPECT_EQ(CGdiRenderer::HslToRgb(-120.0, 1.0, 0.5), 0x000000FFu);
    EXPECT_EQ(CGdiRenderer::HslToRgb(480.0, 1.0, 0.5), 0x0000FF00u);
}

TEST(ColourMath, HslRoundTripKeepsColours) {
    for (DWORD color : {0x00123456u, 0x00FEDCBAu, 0x00808000u, 0x00010203u, 0x00FF00FFu}) {
        double hue = 0;
        double saturation = 0;
        double lightness = 0;
        CGdiRenderer::RgbToHsl(color, hue, saturation, lightness);
        const DWORD back = CGdiRenderer::HslToRgb(hue, saturation, lightness);
        EXPECT_NEAR(Red(back), Red(color), 1) << std::hex << color;
        EXPECT_NEAR(Green(back), Green(color), 1) << std::hex << color;
        EXPECT_NEAR(Blue(back), Blue(color), 1) << std::hex << color;
    }
}

TEST(ColourMath, MixColorsWeighsEachChannelAndDropsAlpha) {
    EXPECT_EQ(CGdiRenderer::MixColors(0xFFFF0000, 0.5, 0xFF0000FF, 0.5), 0x007F007Fu);
    EXPECT_EQ(CGdiRenderer::MixColors(0x00102030, 1.0, 0x00FFFFFF, 0.0), 0x00102030u);
    EXPECT_EQ(CGdiRenderer::MixColors(0x00646464, 0.25, 0x00C8C8C8, 0.75), 0x00AFAFAFu);
    // Sums past a channel stay in it.
    EXPECT_EQ(CGdiRenderer::MixColors(0x00F0F0F0, 1.0, 0x00F0F0F0, 1.0), 0x00FFFFFFu);
}

}  // namespace
