#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "ControlUI.h"
#include "GdiRenderer.h"
#include "UIEvent.h"

using ControlTests::PixelCanvas;
using TavikUI::CControlUI;
using TavikUI::CUIRect;

namespace {

const DWORD kWhite = 0x00FFFFFF;
const DWORD kRed = 0x00FF0000;
const DWORD kBlue = 0x000000FF;

// Records the order of the paint steps.
class PaintRecorder : public CControlUI {
public:
    void PaintBackgroundColor(HDC) override { steps.push_back(L"color"); }
    void PaintBackgroundImage(HDC) override { steps.push_back(L"image"); }
    void PaintStateImages(HDC) override { steps.push_back(L"state"); }
    void PaintTextPart(HDC) override { steps.push_back(L"text"); }
    void PaintBorderLines(HDC dc) override {
        steps.push_back(L"border");
        RECT clip = {};
        GetClipBox(dc, &clip);
        clipDuringPaint = clip;
    }
    std::vector<std::wstring> steps;
    RECT clipDuringPaint = {};
};

void Focus(CControlUI& control) {
    TavikUI::UIEvent event;
    event.type = TavikUI::kEventSetFocus;
    control.DeliverEvent(event);
}

int RedOf(DWORD pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }
int GreenOf(DWORD pixel) { return static_cast<int>((pixel >> 8) & 0xFF); }
int BlueOf(DWORD pixel) { return static_cast<int>(pixel & 0xFF); }

TEST(ControlPaintOrder, StepsRunInOrderInsideTheArea) {
    PixelCanvas canvas(100, 100);
    PaintRecorder control;
    control.Place(CUIRect(10, 10, 60, 60));
    control.Paint(canvas.DC(), CUIRect(0, 0, 30, 100));
    EXPECT_EQ(control.steps, (std::vector<std::wstring>{L"color", L"image", L"state", L"text", L"border"}));
    EXPECT_EQ(control.PaintRect().left, 10);
    EXPECT_EQ(control.PaintRect().top, 10);
    EXPECT_EQ(control.PaintRect().right, 30);
    EXPECT_EQ(control.PaintRect().bottom, 60);
}

TEST(ControlPaintOrder, AreaOutsideTheControlPaintsNothing) {
    PixelCanvas canvas(100, 100);
    PaintRecorder control;
    control.Place(CUIRect(10, 10, 60, 60));
    control.Paint(canvas.DC(), CUIRect(70, 70, 90, 90));
    EXPECT_TRUE(control.steps.empty());
}

TEST(ControlPaintOrder, RoundingClipsDuringPaintAndIsRestoredAfter) {
    PixelCanvas canvas(100, 100);
    PaintRecorder control;
    control.Place(CUIRect(10, 10, 60, 60));
    control.SetBorderRounding(SIZE{8, 8});
    control.Paint(canvas.DC(), CUIRect(0, 0, 100, 100));
    EXPECT_EQ(control.clipDuringPaint.left, 10);
    EXPECT_EQ(control.clipDuringPaint.right, 60);
    RECT after = {};
    GetClipBox(canvas.DC(), &after);
    EXPECT_EQ(after.left, 0);
    EXPECT_EQ(after.right, 100);
    EXPECT_EQ(after.bottom, 100);
}

TEST(ControlBackground, OpaqueColourFillsOnlyThePaintedPart) {
    PixelCanvas canvas(100, 100, kWhite);
    CControlUI control;
    control.Place(CUIRect(0, 0, 100, 100));
    control.SetBackgroundColor(0xFFFF0000);
    control.Paint(canvas.DC(), CUIRect(0, 0, 50, 100));
    EXPECT_EQ(canvas.At(25, 50), kRed);
    EXPECT_EQ(canvas.At(75, 50), kWhite);
}

TEST(ControlBackground, TranslucentColourBlendsOverTheWholeRectangle) {
    PixelCanvas canvas(100, 100, kWhite);
    CControlUI control;
    control.Place(CUIRect(0, 0, 100, 100));
    control.SetBackgroundColor(0x80FF0000);
    control.Paint(canvas.DC(), CUIRect(0, 0, 50, 100));
    for (int x : {25, 75}) {
        const DWORD pixel = canvas.At(x, 50);
        EXPECT_EQ(RedOf(pixel), 255) << x;
        EXPECT_NEAR(GreenOf(pixel), 127, 3) << x;
        EXPECT_NEAR(BlueOf(pixel), 127, 3) << x;
    }
}

TEST(ControlBackground, ColourWithoutAlphaDrawsNothing) {
    PixelCanvas canvas(50, 50, kWhite);
    CControlUI control;
    control.Place(CUIRect(0, 0, 50, 50));
    control.SetBackgroundColor(0x00FF0000);
    control.Paint(canvas.DC(), CUIRect(0, 0, 50, 50));
    EXPECT_EQ(canvas.At(25, 25), kWhite);
}

TEST(ControlBackground, TwoColoursMakeAVerticalGradient) {
    PixelCanvas canvas(20, 100, kWhite);
    CControlUI control;
    control.Place(CUIRect(0, 0, 20, 100));
    control.SetBackgroundColor(0xFFFF0000);
    control.SetBackgroundColor2(0xFF0000FF);
    control.Paint(canvas.DC(), CUIRect(0, 0, 20, 100));
    const DWORD top = canvas.At(10, 0);
    const DWORD bottom = canvas.At(10, 99);
    EXPECT_GT(RedOf(top), 240);
    EXPECT_LT(BlueOf(top), 15);
    EXPECT_LT(RedOf(bottom), 15);
    EXPECT_GT(BlueOf(bottom), 240);
    EXPECT_EQ(canvas.At(10, 0), canvas.At(19, 0));
}

TEST(ControlBackground, ThreeColoursMeetInTheMiddle) {
    PixelCanvas canvas(20, 100, kWhite);
    CControlUI control;
    control.Place(CUIRect(0, 0, 20, 100));
    control.SetBackgroundColor(0xFFFF0000);
    control.SetBackgroundColor2(0xFF00FF00);
    control.SetBackgroundColor3(0xFF0000FF);
    control.Paint(canvas.DC(), CUIRect(0, 0, 20, 100));
    EXPECT_GT(RedOf(canvas.At(5, 0)), 230);
    EXPECT_GT(GreenOf(canvas.At(5, 50)), 230);
    EXPECT_LT(RedOf(canvas.At(5, 50)), 25);
    EXPECT_GT(BlueOf(canvas.At(5, 99)), 230);
}

TEST(ControlBackground, ImageThatCannotBeDrawnIsDropped) {
    PixelCanvas canvas(20, 20);
    CControlUI control;
    control.Place(CUIRect(0, 0, 20, 20));
    control.SetBackgroundImage(L"file='missing.png'");
    // Without a manager no image can be drawn.
    EXPECT_FALSE(control.DrawImageInRect(canvas.DC(), L"missing.png"));
    control.Paint(canvas.DC(), CUIRect(0, 0, 20, 20));
    EXPECT_TRUE(control.BackgroundImage().IsEmpty());
}

class BorderTest : public ::testing::Test {
protected:
    BorderTest() : canvas(80, 80, kWhite) { control.Place(CUIRect(10, 10, 60, 60)); }
    void PaintAll() { control.Paint(canvas.DC(), CUIRect(0, 0, 80, 80)); }
    PixelCanvas canvas;
    CControlUI control;
};

TEST_F(BorderTest, NoColoursDrawNothing) {
    control.SetBorderThickness(2);
    PaintAll();
    EXPECT_EQ(canvas.At(10, 10), kWhite);
    EXPECT_EQ(canvas.At(10, 30), kWhite);
}

TEST_F(BorderTest, SizeDrawsAnOutlineInsideTheRectangle) {
    control.ApplyAttribute(L"bordercolor", L"#FFFF0000");
    control.ApplyAttribute(L"bordersize", L"2");
    PaintAll();
    EXPECT_EQ(canvas.At(10, 30), kRed);
    EXPECT_EQ(canvas.At(11, 30), kRed);
    EXPECT_EQ(canvas.At(12, 30), kWhite);
    EXPECT_EQ(canvas.At(59, 30), kRed);
    EXPECT_EQ(canvas.At(60, 30), kWhite);
    EXPECT_EQ(canvas.At(35, 59), kRed);
}

TEST_F(BorderTest, ColourWithoutSizeOrSidesDrawsNothing) {
    control.ApplyAttribute(L"bordercolor", L"#FFFF0000");
    PaintAll();
    EXPECT_EQ(canvas.At(10, 30), kWhite);
}

TEST_F(BorderTest, SideWidthsDrawOnlyThoseSides) {
    control.ApplyAttribute(L"bordercolor", L"#FFFF0000");
    control.ApplyAttribute(L"bordersize", L"1,0,0,1");
    PaintAll();
    EXPECT_EQ(canvas.At(10, 30), kRed);    // left
    EXPECT_EQ(canvas.At(35, 60), kRed);    // bottom, on the bottom edge line
    EXPECT_EQ(canvas.At(35, 10), kWhite);  // no top
    EXPECT_EQ(canvas.At(60, 30), kWhite);  // no right
}

TEST_F(BorderTest, FocusedControlUsesTheFocusColour) {
    control.ApplyAttribute(L"bordercolor", L"#FFFF0000");
    control.ApplyAttribute(L"focusbordercolor", L"#FF0000FF");
    control.ApplyAttribute(L"bordersize", L"1");
    PaintAll();
    EXPECT_EQ(canvas.At(10, 30), kRed);
    Focus(control);
    PaintAll();
    EXPECT_EQ(canvas.At(10, 30), kBlue);
}

TEST_F(BorderTest, FocusColourAloneDrawsOnlyWhileFocused) {
    control.ApplyAttribute(L"focusbordercolor", L"#FF0000FF");
    control.ApplyAttribute(L"bordersize", L"1");
    Focus(control);
    PaintAll();
    EXPECT_EQ(canvas.At(10, 30), kBlue);
}

TEST_F(BorderTest, RoundedBorderSkipsTheCorner) {
    control.ApplyAttribute(L"bordercolor", L"#FFFF0000");
    control.ApplyAttribute(L"bordersize", L"1");
    control.ApplyAttribute(L"borderround", L"20,20");
    PaintAll();
    EXPECT_EQ(canvas.At(10, 10), kWhite);
    EXPECT_EQ(canvas.At(35, 10), kRed);
    EXPECT_EQ(canvas.At(10, 35), kRed);
}

TEST_F(BorderTest, RoundingClipsTheBackground) {
    control.SetBackgroundColor(0xFF0000FF);
    control.SetBorderRounding(SIZE{20, 20});
    PaintAll();
    EXPECT_EQ(canvas.At(10, 10), kWhite);
    EXPECT_EQ(canvas.At(35, 35), kBlue);
    EXPECT_EQ(canvas.At(35, 10), kBlue);
}

TEST(ControlColours, HslAdjustmentIsNeutralAtTheManagersValues) {
    CControlUI control;
    EXPECT_EQ(control.AdjustColorByHsl(0xFF123456), 0xFF123456u);
    control.SetColorHsl(true);
    // The manager's hue, saturation and lightness are 180, 100, 100.
    EXPECT_EQ(control.AdjustColorByHsl(0xFF123456), 0xFF123456u);
}

}  // namespace

namespace {

TEST(ControlBackground, TranslucentGradientBlendsAtTheMeanAlpha) {
    PixelCanvas canvas(20, 40, kWhite);
    CControlUI control;
    control.Place(CUIRect(0, 0, 20, 40));
    control.SetBackgroundColor(0xFFFF0000);
    control.SetBackgroundColor2(0x01FF0000);  // mean alpha 0x80
    control.Paint(canvas.DC(), CUIRect(0, 0, 20, 40));
    const DWORD pixel = canvas.At(10, 20);
    EXPECT_EQ(RedOf(pixel), 255);
    EXPECT_NEAR(GreenOf(pixel), 127, 3);
}

TEST(ColorShift, HueSaturationAndLightnessMoveTheColour) {
    using TavikUI::CGdiRenderer;
    EXPECT_EQ(CGdiRenderer::ShiftColorHsl(0x80FF0000, 180, 100, 100), 0x80FF0000u);
    // Red turned by 120 degrees is green; the alpha stays.
    EXPECT_EQ(CGdiRenderer::ShiftColorHsl(0x80FF0000, 300, 100, 100), 0x8000FF00u);
    EXPECT_EQ(CGdiRenderer::ShiftColorHsl(0xFFFF0000, 180, 100, 0), 0xFF000000u);
    // No saturation leaves the grey of the lightness.
    EXPECT_EQ(CGdiRenderer::ShiftColorHsl(0xFFFF0000, 180, 0, 100), 0xFF808080u);
}

}  // namespace
