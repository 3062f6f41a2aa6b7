// Image descriptions drawn through a manager's image cache into a memory DC,
// and the control that drops a description it cannot draw.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "ControlTestSupport.h"
#include "ControlUI.h"
#include "ImageTestSupport.h"

using namespace ImageTests;
using ControlTests::PixelCanvas;
using TavikUI::CControlUI;
using TavikUI::CUIRect;

namespace {

const DWORD kGrey = 0x00808080;
const DWORD kWhite = 0x00FFFFFF;
const DWORD kRedRgb = 0x00FF0000;
const DWORD kBlueRgb = 0x000000FF;
const RECT kControl = {10, 10, 50, 50};
const RECT kWholeCanvas = {0, 0, 60, 60};

std::vector<uint32_t> FramePixels() {
    // 12 x 12: red corners, green edges, white centre.
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool edgeX = x < 4 || x >= 8;
            const bool edgeY = y < 4 || y >= 8;
            pixels.push_back(edgeX && edgeY ? 0xFFFF0000 : (edgeX || edgeY ? 0xFF00FF00 : 0xFFFFFFFF));
        }
    }
    return pixels;
}

// A skin archive of test images in memory and a fresh manager for each test.
class DescriptionTest : public SkinSourceTest {
protected:
    void SetUp() override {
        SkinSourceTest::SetUp();
        UseMemoryArchive({
            ZipTest::FileItem("a.png", SolidPng(4, 4, 0xFFFF0000)),
            ZipTest::FileItem("b.png", SolidPng(4, 4, 0xFF0000FF)),
            ZipTest::FileItem("frame.png", PngBytes(12, 12, FramePixels()), true),
            ZipTest::FileItem("half.png", SolidPng(2, 2, 0x80FF0000)),
            // Four magenta, then four red: wide plateaus that stretching keeps.
            ZipTest::FileItem("m.png", PngBytes(8, 1,
                                                {0xFFFF00FF, 0xFFFF00FF, 0xFFFF00FF, 0xFFFF00FF, 0xFFFF0000, 0xFFFF0000,
                                                 0xFFFF0000, 0xFFFF0000})),
            ZipTest::FileItem("cols.png", PngBytes(4, 1, {0xFFFF0000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF})),
            ZipTest::FileItem("101", SolidPng(2, 2, 0x80FF0000)),
        });
        manager_ = std::make_unique<CWindowManager>();
    }
    void TearDown() override {
        manager_.reset();
        SkinSourceTest::TearDown();
    }

    bool Draw(const wchar_t* description, const wchar_t* modifier = nullptr, const RECT& paint = kWholeCanvas) {
        return CGdiRenderer::DrawImageDescription(canvas_.DC(), manager_.get(), kControl, paint, description, modifier);
    }
    DWORD At(int x, int y) const { return canvas_.At(x, y); }

    PixelCanvas canvas_{60, 60, kGrey};
    std::unique_ptr<CWindowManager> manager_;
};

TEST_F(DescriptionTest, PlainNameFillsTheControl) {
    EXPECT_TRUE(Draw(L"a.png"));
    EXPECT_EQ(At(10, 10), kRedRgb);
    EXPECT_EQ(At(49, 49), kRedRgb);
    EXPECT_EQ(At(9, 30), kGrey);
    EXPECT_EQ(At(50, 30), kGrey);
}

TEST_F(DescriptionTest, DestinationIsRelativeToTheControlAndCutToIt) {
    EXPECT_TRUE(Draw(L"file='a.png' dest='0,0,10,10'"));
    EXPECT_EQ(At(10, 10), kRedRgb);
    EXPECT_EQ(At(19, 19), kRedRgb);
    EXPECT_EQ(At(20, 15), kGrey);
    EXPECT_EQ(At(15, 20), kGrey);
    EXPECT_TRUE(Draw(L"file='b.png' dest='30,30,100,100'"));
    EXPECT_EQ(At(40, 40), kBlueRgb);
    EXPECT_EQ(At(49, 49), kBlueRgb);
    EXPECT_EQ(At(50, 45), kGrey);
    EXPECT_EQ(At(45, 50), kGrey);
}

TEST_F(DescriptionTest, ModifierIsParsedAfterTheDescription) {
    EXPECT_TRUE(Draw(L"file='a.png'", L"file='b.png'"));
    EXPECT_EQ(At(30, 30), kBlueRgb);
    EXPECT_EQ(At(11, 11), kBlueRgb);
    // A modifier without an image key moves the description's image.
    PixelCanvas fresh(60, 60, kGrey);
    EXPECT_TRUE(CGdiRenderer::DrawImageDescription(fresh.DC(), manager_.get(), kControl, kWholeCanvas, L"a.png",
                                                   L"dest='0,0,5,5'"));
    EXPECT_EQ(fresh.At(12, 12), kRedRgb);
    EXPECT_EQ(fresh.At(20, 20), kGrey);
}

TEST_F(DescriptionTest, SecondFileKeyDrawsTheFirstImageBeforeIt) {
    EXPECT_TRUE(Draw(L"file='a.png' dest='0,0,10,10' file='b.png' dest='10,0,20,10'"));
    EXPECT_EQ(At(12, 12), kRedRgb);
    EXPECT_EQ(At(22, 12), kBlueRgb);
    EXPECT_EQ(At(35, 30), kGrey);
}

TEST_F(DescriptionTest, EachDrawBlendsOnceMore) {
    // Half-transparent red over white: once, then twice.
    PixelCanvas once(60, 60, kWhite);
    PixelCanvas twice(60, 60, kWhite);
    CGdiRenderer::DrawImageDescription(once.DC(), manager_.get(), kControl, kWholeCanvas, L"file='half.png'", nullptr);
    CGdiRenderer::DrawImageDescription(twice.DC(), manager_.get(), kControl, kWholeCanvas,
                                       L"file='half.png' file='half.png'", nullptr);
    EXPECT_NEAR(Green(once.At(30, 30)), 127, 2);
    EXPECT_NEAR(Green(twice.At(30, 30)), 63, 2);
}

TEST_F(DescriptionTest, ResourceKeysCountDrawsAsTheyShould) {
    // "res" then "restype": one draw of the program's green resource.
    PixelCanvas resource(60, 60, kWhite);
    EXPECT_TRUE(CGdiRenderer::DrawImageDescription(resource.DC(), manager_.get(), kControl, kWholeCanvas,
                                                   L"res='101' restype='PNG' fade='128'", nullptr));
    EXPECT_NEAR(Red(resource.At(30, 30)), 127, 2);
    EXPECT_EQ(Green(resource.At(30, 30)), 255);

    // "file" then "restype": the name is drawn without the type, then with
    // it; the cache holds the first load of the name, the archive's item.
    CWindowManager other;
    PixelCanvas file(60, 60, kWhite);
    EXPECT_TRUE(CGdiRenderer::DrawImageDescription(file.DC(), &other, kControl, kWholeCanvas,
                                                   L"file='101' restype='PNG'", nullptr));
    EXPECT_EQ(Red(file.At(30, 30)), 255);
    EXPECT_NEAR(Green(file.At(30, 30)), 63, 2);
}

TEST_F(DescriptionTest, CornersWithHoleDrawOnlyTheFrame) {
    EXPECT_TRUE(Draw(L"file='frame.png' corner='4,4,4,4' hole='true'"));
    EXPECT_EQ(At(11, 11), kRedRgb);
    EXPECT_EQ(At(48, 48), kRedRgb);
    EXPECT_EQ(At(30, 11), 0x0000FF00u);
    EXPECT_EQ(At(11, 30), 0x0000FF00u);
    EXPECT_EQ(At(30, 30), kGrey);
    // "hole" other than "true" keeps the centre.
    EXPECT_TRUE(Draw(L"file='frame.png' corner='4,4,4,4' hole='yes'"));
    EXPECT_EQ(At(30, 30), kWhite);
}

TEST_F(DescriptionTest, SourceFadeAndTiling) {
    EXPECT_TRUE(Draw(L"file='frame.png' source='4,4,8,8'"));
    EXPECT_EQ(At(11, 11), kWhite);
    EXPECT_EQ(At(48, 48), kWhite);

    PixelCanvas faded(60, 60, kWhite);
    EXPECT_TRUE(CGdiRenderer::DrawImageDescription(faded.DC(), manager_.get(), kControl, kWholeCanvas,
                                                   L"file='a.png' fade='128'", nullptr));
    EXPECT_EQ(Red(faded.At(30, 30)), 255);
    EXPECT_NEAR(Green(faded.At(30, 30)), 127, 2);

    // Tiles of 4 along x over 12 pixels: R R B B R R B B R R B B.
    EXPECT_TRUE(Draw(L"file='cols.png' dest='0,0,12,2' xtiled='true'"));
    EXPECT_EQ(At(12, 10), kBlueRgb);
    EXPECT_EQ(At(14, 10), kRedRgb);
    EXPECT_EQ(At(19, 10), kRedRgb);
    EXPECT_EQ(At(21, 11), kBlueRgb);
}

TEST_F(DescriptionTest, MaskMakesItsColourTransparentAtFirstLoad) {
    EXPECT_TRUE(Draw(L"file='m.png' mask='#FFFF00FF'"));
    EXPECT_EQ(At(15, 30), kGrey);
    EXPECT_EQ(At(45, 30), kRedRgb);
    // The mask of a name's first load stays with it.
    CWindowManager other;
    PixelCanvas canvas(60, 60, kGrey);
    CGdiRenderer::DrawImageDescription(canvas.DC(), &other, kControl, kWholeCanvas, L"m.png", nullptr);
    CGdiRenderer::DrawImageDescription(canvas.DC(), &other, kControl, kWholeCanvas, L"file='m.png' mask='FFFF00FF'",
                                       nullptr);
    EXPECT_EQ(canvas.At(15, 30), 0x00FF00FFu);
}

TEST_F(DescriptionTest, MissingNumbersAndMalformedPairs) {
    // Missing numbers read as 0: an empty destination or source draws
    // nothing, yet the image was there.
    EXPECT_TRUE(Draw(L"file='a.png' dest='5'"));
    EXPECT_TRUE(Draw(L"file='a.png' source='2'"));
    EXPECT_TRUE(Draw(L"file='a.png' dest=',,'"));
    EXPECT_EQ(At(30, 30), kGrey);
    EXPECT_TRUE(Draw(L"file='a.png' dest='0,0,10,10,99,99'"));
    EXPECT_EQ(At(15, 15), kRedRgb);
    EXPECT_EQ(At(30, 30), kGrey);
    // Corners of 4, 4, 0, 0: the top-left corner at its size, the centre
    // (the image less its top and left bands) stretched over the rest.
    EXPECT_TRUE(Draw(L"file='frame.png' corner='4,4'"));
    EXPECT_EQ(At(11, 11), kRedRgb);
    EXPECT_EQ(At(18, 18), kWhite);

    // A pair without its "=" or apostrophes ends the string; the name is
    // still the whole text, which names no image.
    EXPECT_FALSE(Draw(L"file='a.png"));
    EXPECT_FALSE(Draw(L"file=a.png"));
    EXPECT_FALSE(Draw(L"file"));
    EXPECT_FALSE(Draw(L"file=''"));
    EXPECT_FALSE(Draw(L""));
    EXPECT_FALSE(Draw(L"bogus='1' a.png"));

    // Blanks around "=" are allowed; anything but a blank after a value
    // ends the string there.
    PixelCanvas spaced(60, 60, kGrey);
    EXPECT_TRUE(CGdiRenderer::DrawImageDescription(spaced.DC(), manager_.get(), kControl, kWholeCanvas,
                                                   L"  file =\t'b.png'   ", nullptr));
    EXPECT_EQ(spaced.At(30, 30), kBlueRgb);
    PixelCanvas ended(60, 60, kGrey);
    EXPECT_TRUE(CGdiRenderer::DrawImageDescription(ended.DC(), manager_.get(), kControl, kWholeCanvas,
                                                   L"file='a.png'x dest='0,0,1,1'", nullptr));
    EXPECT_EQ(ended.At(30, 30), kRedRgb);
    // Unknown keys and empty values are passed over.
    PixelCanvas skipped(60, 60, kGrey);
    EXPECT_TRUE(CGdiRenderer::DrawImageDescription(skipped.DC(), manager_.get(), kControl, kWholeCanvas,
                                                   L"colour='red' fade='' mask='#' file='b.png'", nullptr));
    EXPECT_EQ(skipped.At(30, 30), kBlueRgb);
}

TEST_F(DescriptionTest, ExtremeNumbersStayInRange) {
    EXPECT_TRUE(
        Draw(L"file='frame.png' dest='-2147483648,-99999999999,2147483647,99999999999' "
             L"corner='2147483647,2147483647,-2147483648,5' source='-5,-5,99999,99999'"));
    EXPECT_TRUE(Draw(L"file='cols.png' xtiled='true' ytiled='true' source='1,0,1,1' corner='-3,-3,-3,-3'"));
    EXPECT_TRUE(Draw(L"file='a.png' fade='99999' mask='#FFFFFFFFFFFFFFFF'"));
}

TEST_F(DescriptionTest, AnswerSaysWhetherAnImageWasDrawn) {
    EXPECT_FALSE(Draw(L"file='missing.png'"));
    EXPECT_FALSE(Draw(L"missing.png", L"dest='0,0,5,5'"));
    EXPECT_FALSE(
        CGdiRenderer::DrawImageDescription(nullptr, manager_.get(), kControl, kWholeCanvas, L"a.png", nullptr));
    EXPECT_FALSE(CGdiRenderer::DrawImageDescription(canvas_.DC(), nullptr, kControl, kWholeCanvas, L"a.png", nullptr));
    EXPECT_FALSE(
        CGdiRenderer::DrawImageDescription(canvas_.DC(), manager_.get(), kControl, kWholeCanvas, nullptr, nullptr));
    // One image of two found: something was drawn.
    EXPECT_TRUE(Draw(L"file='missing.png' dest='0,0,5,5' file='a.png'"));
    // Outside the paint rectangle nothing needs drawing, and the image is
    // there: the description stays good.
    PixelCanvas clipped(60, 60, kGrey);
    EXPECT_TRUE(CGdiRenderer::DrawImageDescription(clipped.DC(), manager_.get(), kControl, RECT{0, 0, 5, 5}, L"b.png",
                                                   nullptr));
    EXPECT_EQ(clipped.At(30, 30), kGrey);
    EXPECT_TRUE(CGdiRenderer::DrawImage(canvas_.DC(), manager_.get(), kControl, kWholeCanvas, L"a.png", L"",
                                        TavikUI::ImageDrawState{}));
    EXPECT_FALSE(CGdiRenderer::DrawImage(canvas_.DC(), manager_.get(), kControl, kWholeCanvas, L"", L"",
                                         TavikUI::ImageDrawState{}));
}

// A control on a manager without a window, painting into the canvas.
class ControlImageTest : public SkinSourceTest {
protected:
    void SetUp() override {
        SkinSourceTest::SetUp();
        control_ = std::make_unique<CControlUI>();
        control_->AttachToManager(&manager_, nullptr, false);
        control_->Place(CUIRect(10, 10, 50, 50));
    }
    void TearDown() override {
        control_.reset();
        SkinSourceTest::TearDown();
    }
    void Paint() { control_->Paint(canvas_.DC(), CUIRect(0, 0, 60, 60)); }

    PixelCanvas canvas_{60, 60, kGrey};
    CWindowManager manager_;
    std::unique_ptr<CControlUI> control_;
};

TEST_F(ControlImageTest, DescriptionThatCannotBeDrawnIsClearedAndNotTriedAgain) {
    control_->SetBackgroundImage(L"file='late.png'");
    Paint();
    EXPECT_TRUE(control_->BackgroundImage().IsEmpty());
    EXPECT_EQ(canvas_.At(30, 30), kGrey);
    // The file appearing later changes nothing: the description is gone.
    Write(L"late.png", SolidPng(2, 2, 0xFFFF0000));
    Paint();
    EXPECT_EQ(canvas_.At(30, 30), kGrey);
}

TEST_F(ControlImageTest, DrawableDescriptionStaysAndDraws) {
    Write(L"bk.png", SolidPng(2, 2, 0xFF0000FF));
    control_->SetBackgroundImage(L"file='bk.png' dest='0,0,20,40'");
    Paint();
    EXPECT_STREQ(control_->BackgroundImage().Text(), L"file='bk.png' dest='0,0,20,40'");
    EXPECT_EQ(canvas_.At(15, 30), kBlueRgb);
    EXPECT_EQ(canvas_.At(40, 30), kGrey);
    // A paint that does not reach the image leaves the description alone.
    control_->Paint(canvas_.DC(), CUIRect(40, 40, 50, 50));
    EXPECT_FALSE(control_->BackgroundImage().IsEmpty());
}

}  // namespace
