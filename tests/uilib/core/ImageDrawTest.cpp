// Nine-grid drawing of 32-bit bitmaps into a memory DC, checked by pixels,
// and the own blending routine against the system's AlphaBlend.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "ControlTestSupport.h"
#include "ImageBlend.h"
#include "ImageTestSupport.h"

using namespace ImageTests;
using ControlTests::PixelCanvas;

namespace {

const DWORD kGrey = 0x00808080;
const DWORD kWhite = 0x00FFFFFF;

// 12 x 12 in nine 4 x 4 parts, each of its own colour.
const uint32_t kGridColors[3][3] = {
    {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, {0xFFFFFF00, 0xFFFFFFFF, 0xFF00FFFF}, {0xFFFF00FF, 0xFF800000, 0xFF008000}};

std::vector<uint32_t> GridPixels() {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            pixels.push_back(kGridColors[y / 4][x / 4]);
        }
    }
    return pixels;
}

DWORD Rgb(uint32_t color) { return color & 0x00FFFFFF; }

// Selects a bitmap into a memory DC for the blending routines.
class SelectedBitmap {
public:
    explicit SelectedBitmap(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)) { old_ = SelectObject(dc_, bitmap); }
    ~SelectedBitmap() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    HDC DC() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

class NineGridTest : public ::testing::Test {
protected:
    NineGridTest() : canvas(60, 60, kGrey), grid(12, 12, GridPixels()) {}

    void Draw(const RECT& paint, bool hole = false, BYTE fade = 255, bool hasAlpha = false) {
        CGdiRenderer::DrawImageRect(canvas.DC(), grid.Handle(), RECT{10, 10, 50, 50}, paint, RECT{0, 0, 12, 12},
                                    RECT{4, 4, 4, 4}, hasAlpha, fade, hole, false, false);
    }
    // The colour of the grid part drawn around each probe point.
    void ExpectParts(bool centre) {
        const int probes[3] = {11, 30, 48};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const DWORD expected = (row == 1 && column == 1 && !centre) ? kGrey : Rgb(kGridColors[row][column]);
                EXPECT_EQ(canvas.At(probes[column], probes[row]), expected) << row << "," << column;
            }
        }
    }

    PixelCanvas canvas;
    TestBitmap grid;
};

TEST_F(NineGridTest, CornersKeepTheirSizeAndEdgesStretch) {
    Draw(RECT{0, 0, 60, 60});
    ExpectParts(true);
    // Corners are 4 x 4 at the destination's corners, not scaled.
    EXPECT_EQ(canvas.At(10, 10), Rgb(kGridColors[0][0]));
    EXPECT_EQ(canvas.At(13, 13), Rgb(kGridColors[0][0]));
    EXPECT_EQ(canvas.At(15, 11), Rgb(kGridColors[0][1]));
    EXPECT_EQ(canvas.At(49, 49), Rgb(kGridColors[2][2]));
    EXPECT_EQ(canvas.At(46, 46), Rgb(kGridColors[2][2]));
    // Nothing outside the destination.
    EXPECT_EQ(canvas.At(9, 9), kGrey);
    EXPECT_EQ(canvas.At(50, 30), kGrey);
    EXPECT_EQ(canvas.At(30, 50), kGrey);
}

TEST_F(NineGridTest, HoleLeavesTheCentreEmpty) {
    Draw(RECT{0, 0, 60, 60}, true);
    ExpectParts(false);
}

TEST_F(NineGridTest, PiecesOutsideThePaintRectangleAreSkipped) {
    Draw(RECT{0, 0, 20, 60});
    // The left column meets the paint rectangle; the top edge and the centre
    // meet it too and are drawn whole.
    EXPECT_EQ(canvas.At(11, 11), Rgb(kGridColors[0][0]));
    EXPECT_EQ(canvas.At(40, 11), Rgb(kGridColors[0][1]));
    EXPECT_EQ(canvas.At(40, 30), Rgb(kGridColors[1][1]));
    // The right column does not.
    EXPECT_EQ(canvas.At(48, 11), kGrey);
    EXPECT_EQ(canvas.At(48, 30), kGrey);
    EXPECT_EQ(canvas.At(48, 48), kGrey);
}

TEST_F(NineGridTest, FadeBlendsAtThatStrength) {
    PixelCanvas white(60, 60, kWhite);
    CGdiRenderer::DrawImageRect(white.DC(), grid.Handle(), RECT{10, 10, 50, 50}, RECT{0, 0, 60, 60}, RECT{0, 0, 12, 12},
                                RECT{4, 4, 4, 4}, false, 128, false, false, false);
    // Red at 128 over white.
    const DWORD corner = white.At(11, 11);
    EXPECT_EQ(Red(corner), 255);
    EXPECT_NEAR(Green(corner), 127, 2);
    EXPECT_NEAR(Blue(corner), 127, 2);
}

TEST(ImageRect, SourcePartGoesToTheDestination) {
    PixelCanvas canvas(40, 40, kGrey);
    TestBitmap grid(12, 12, GridPixels());
    // The top-right part only, stretched over 20 x 10.
    CGdiRenderer::DrawImageRect(canvas.DC(), grid.Handle(), RECT{5, 5, 25, 15}, RECT{0, 0, 40, 40}, RECT{8, 0, 12, 4},
                                RECT{0, 0, 0, 0}, false, 255, false, false, false);
    for (POINT p : {POINT{5, 5}, POINT{15, 10}, POINT{24, 14}}) {
        EXPECT_EQ(canvas.At(p.x, p.y), Rgb(kGridColors[0][2])) << p.x << "," << p.y;
    }
    EXPECT_EQ(canvas.At(25, 10), kGrey);
    EXPECT_EQ(canvas.At(4, 10), kGrey);
    // A destination of the source's size is copied as it is.
    CGdiRenderer::DrawImageRect(canvas.DC(), grid.Handle(), RECT{0, 20, 12, 32}, RECT{0, 0, 40, 40}, RECT{0, 0, 12, 12},
                                RECT{0, 0, 0, 0}, false, 255, false, false, false);
    EXPECT_EQ(canvas.At(3, 23), Rgb(kGridColors[0][0]));
    EXPECT_EQ(canvas.At(4, 23), Rgb(kGridColors[0][1]));
    EXPECT_EQ(canvas.At(11, 31), Rgb(kGridColors[2][2]));
}

TEST(ImageRect, TranslucentPixelsBlendOverTheBackground) {
    PixelCanvas canvas(10, 10, kWhite);
    // Half-transparent red (premultiplied) and fully transparent.
    TestBitmap bitmap(2, 1, {0x80800000, 0x00000000});
    CGdiRenderer::DrawImageRect(canvas.DC(), bitmap.Handle(), RECT{0, 0, 10, 10}, RECT{0, 0, 10, 10}, RECT{0, 0, 2, 1},
                                RECT{0, 0, 0, 0}, true, 255, false, false, false);
    const DWORD half = canvas.At(2, 5);
    EXPECT_EQ(Red(half), 255);
    EXPECT_NEAR(Green(half), 127, 2);
    EXPECT_EQ(canvas.At(8, 5), kWhite);
}

TEST(ImageRect, NullBitmapOrDCDrawsNothing) {
    PixelCanvas canvas(10, 10, kGrey);
    CGdiRenderer::DrawImageRect(canvas.DC(), nullptr, RECT{0, 0, 10, 10}, RECT{0, 0, 10, 10}, RECT{0, 0, 2, 2},
                                RECT{0, 0, 0, 0}, false, 255, false, false, false);
    TestBitmap bitmap(1, 1, {0xFFFF0000});
    CGdiRenderer::DrawImageRect(nullptr, bitmap.Handle(), RECT{0, 0, 10, 10}, RECT{0, 0, 10, 10}, RECT{0, 0, 1, 1},
                                RECT{0, 0, 0, 0}, false, 255, false, false, false);
    EXPECT_EQ(canvas.At(5, 5), kGrey);
}

class TiledCentreTest : public ::testing::Test {
protected:
    TiledCentreTest() : canvas(20, 20, kGrey) {}
    void Draw(const TestBitmap& bitmap, const RECT& source, const RECT& destination, bool x, bool y,
              const RECT& corners = RECT{0, 0, 0, 0}) {
        CGdiRenderer::DrawImageRect(canvas.DC(), bitmap.Handle(), destination, RECT{0, 0, 20, 20}, source, corners,
                                    false, 255, false, x, y);
    }
    PixelCanvas canvas;
};

const uint32_t kRed = 0xFFFF0000;
const uint32_t kBlue = 0xFF0000FF;
const uint32_t kGreen = 0xFF00FF00;

TEST_F(TiledCentreTest, AcrossTilesLeftToRightAndCutsTheLast) {
    const TestBitmap columns(4, 2, {kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue});
    Draw(columns, RECT{0, 0, 4, 2}, RECT{0, 0, 10, 4}, true, false);
    const uint32_t expected[10] = {kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue, kRed, kRed};
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(canvas.At(x, 0), Rgb(expected[x])) << x;
        // Each tile is stretched to the full height.
        EXPECT_EQ(canvas.At(x, 3), Rgb(expected[x])) << x;
    }
    EXPECT_EQ(canvas.At(10, 1), kGrey);
    EXPECT_EQ(canvas.At(3, 4), kGrey);
}

TEST_F(TiledCentreTest, DownTilesTopToBottom) {
    const TestBitmap rows(2, 4, {kRed, kRed, kRed, kRed, kBlue, kBlue, kBlue, kBlue});
    Draw(rows, RECT{0, 0, 2, 4}, RECT{0, 0, 6, 9}, false, true);
    const uint32_t expected[9] = {kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue, kRed};
    for (int y = 0; y < 9; ++y) {
        EXPECT_EQ(canvas.At(0, y), Rgb(expected[y])) << y;
        EXPECT_EQ(canvas.At(5, y), Rgb(expected[y])) << y;
    }
    EXPECT_EQ(canvas.At(1, 9), kGrey);
}

TEST_F(TiledCentreTest, BothWaysTilesAtTheSourceSize) {
    const TestBitmap quad(2, 2, {kRed, kBlue, kGreen, 0xFFFFFFFF});
    Draw(quad, RECT{0, 0, 2, 2}, RECT{0, 0, 5, 5}, true, true);
    EXPECT_EQ(canvas.At(0, 0), Rgb(kRed));
    EXPECT_EQ(canvas.At(1, 0), Rgb(kBlue));
    EXPECT_EQ(canvas.At(2, 0), Rgb(kRed));
    EXPECT_EQ(canvas.At(3, 2), Rgb(kBlue));
    EXPECT_EQ(canvas.At(0, 1), Rgb(kGreen));
    EXPECT_EQ(canvas.At(1, 3), kWhite);
    EXPECT_EQ(canvas.At(4, 4), Rgb(kRed));
    EXPECT_EQ(canvas.At(5, 4), kGrey);
    EXPECT_EQ(canvas.At(4, 5), kGrey);
}

TEST_F(TiledCentreTest, TilesInsideCornersUseTheCentreOfTheSource) {
    // 6 x 1: red corner, two centre columns blue and green, red corner.
    const TestBitmap strip(6, 1, {kRed, kRed, kBlue, kGreen, kRed, kRed});
    Draw(strip, RECT{0, 0, 6, 1}, RECT{0, 0, 11, 1}, true, false, RECT{2, 0, 2, 0});
    const uint32_t expected[11] = {kRed, kRed, kBlue, kGreen, kBlue, kGreen, kBlue, kGreen, kBlue, kRed, kRed};
    for (int x = 0; x < 11; ++x) {
        EXPECT_EQ(canvas.At(x, 0), Rgb(expected[x])) << x;
    }
}

TEST_F(TiledCentreTest, ZeroTileExtentDrawsNoCentre) {
    const TestBitmap strip(4, 2, {kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue});
    // The corners take the whole source width: the centre has nothing to tile.
    Draw(strip, RECT{0, 0, 4, 2}, RECT{0, 0, 10, 2}, true, false, RECT{2, 0, 2, 0});
    EXPECT_EQ(canvas.At(0, 0), Rgb(kRed));
    EXPECT_EQ(canvas.At(9, 0), Rgb(kBlue));
    EXPECT_EQ(canvas.At(5, 0), kGrey);
    // A source without width or height.
    Draw(strip, RECT{2, 0, 2, 2}, RECT{0, 5, 10, 7}, true, false);
    Draw(strip, RECT{0, 1, 4, 1}, RECT{0, 5, 10, 7}, false, true);
    Draw(strip, RECT{0, 1, 4, 1}, RECT{0, 5, 10, 7}, true, true);
    EXPECT_EQ(canvas.At(3, 6), kGrey);
    // Corners larger than the source and the destination: drawn at their
    // size as far as the image goes, nothing beyond them.
    Draw(strip, RECT{0, 0, 4, 2}, RECT{0, 10, 3, 12}, true, true, RECT{5, 5, 5, 5});
    EXPECT_EQ(canvas.At(8, 11), kGrey);
    EXPECT_EQ(canvas.At(2, 17), kGrey);
}

TEST(ImageBlending, OwnRoutineMatchesAlphaBlend) {
    // Premultiplied pixels of several strengths.
    const std::vector<uint32_t> pixels = {0xFFFF0000, 0x80800000, 0x40004020, 0x00000000, 0xC0C0C0C0, 0xFF00FF00,
                                          0x10101010, 0x80008080, 0xFF123456, 0x20201000, 0xE0E000E0, 0x60303030};
    const TestBitmap source(4, 3, pixels);
    const SelectedBitmap selected(source.Handle());
    for (BYTE fade : {BYTE(255), BYTE(200), BYTE(64)}) {
        for (RECT to : {RECT{3, 2, 7, 5}, RECT{1, 1, 9, 7}}) {
            PixelCanvas system(12, 10, 0x00336699);
            PixelCanvas own(12, 10, 0x00336699);
            // Destination pixels of every kind.
            for (int i = 0; i < 12; ++i) {
                SetPixel(system.DC(), i, i % 10, RGB(i * 20, 255 - i * 20, 128));
                SetPixel(own.DC(), i, i % 10, RGB(i * 20, 255 - i * 20, 128));
            }
            ASSERT_TRUE(TavikUI::BlendImagePart(system.DC(), to, selected.DC(), RECT{0, 0, 4, 3}, fade));
            ASSERT_TRUE(TavikUI::BlendImagePartByHand(own.DC(), to, selected.DC(), RECT{0, 0, 4, 3}, fade));
            for (int y = 0; y < 10; ++y) {
                for (int x = 0; x < 12; ++x) {
                    const DWORD a = system.At(x, y);
                    const DWORD b = own.At(x, y);
                    EXPECT_NEAR(Red(a), Red(b), 2) << x << "," << y << " fade " << int(fade);
                    EXPECT_NEAR(Green(a), Green(b), 2) << x << "," << y << " fade " << int(fade);
                    EXPECT_NEAR(Blue(a), Blue(b), 2) << x << "," << y << " fade " << int(fade);
                }
            }
        }
    }
}

TEST(ImageBlending, OwnRoutineGivesTheExpectedMix) {
    const TestBitmap source(1, 1, {0x80800000});
    const SelectedBitmap selected(source.Handle());
    PixelCanvas canvas(4, 4, 0x000000FF);
    ASSERT_TRUE(TavikUI::BlendImagePartByHand(canvas.DC(), RECT{0, 0, 4, 4}, selected.DC(), RECT{0, 0, 1, 1}, 255));
    // 0x80 red over blue: red 128, blue 255 x 127 / 255.
    EXPECT_EQ(canvas.At(2, 2), 0x0080007Fu);
    ASSERT_TRUE(TavikUI::BlendImagePartByHand(canvas.DC(), RECT{0, 0, 1, 1}, selected.DC(), RECT{0, 0, 1, 1}, 0));
    EXPECT_EQ(canvas.At(0, 0), 0x0080007Fu);
}

TEST(ImageBlending, OwnRoutineStaysInsideTheClipAndTheSource) {
    const TestBitmap source(2, 2, {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000});
    const SelectedBitmap selected(source.Handle());
    PixelCanvas canvas(10, 10, kGrey);
    IntersectClipRect(canvas.DC(), 0, 0, 5, 10);
    ASSERT_TRUE(TavikUI::BlendImagePartByHand(canvas.DC(), RECT{0, 0, 10, 10}, selected.DC(), RECT{0, 0, 2, 2}, 255));
    EXPECT_EQ(canvas.At(4, 4), 0x00FF0000u);
    EXPECT_EQ(canvas.At(5, 4), kGrey);
    SelectClipRgn(canvas.DC(), nullptr);
    // Parts beyond the bitmap, and empty parts, are refused.
    EXPECT_FALSE(TavikUI::BlendImagePartByHand(canvas.DC(), RECT{0, 0, 10, 10}, selected.DC(), RECT{0, 0, 3, 2}, 255));
    EXPECT_FALSE(TavikUI::BlendImagePartByHand(canvas.DC(), RECT{0, 0, 10, 10}, selected.DC(), RECT{-1, 0, 2, 2}, 255));
    EXPECT_FALSE(TavikUI::BlendImagePartByHand(canvas.DC(), RECT{0, 0, 0, 10}, selected.DC(), RECT{0, 0, 2, 2}, 255));
    EXPECT_FALSE(TavikUI::BlendImagePartByHand(canvas.DC(), RECT{0, 0, 10, 10}, selected.DC(), RECT{1, 0, 1, 2}, 255));
    EXPECT_EQ(canvas.At(7, 7), kGrey);
}

}  // namespace
