// The slider built from a skin in the test window: clicks on the track, drags
// of the thumb and the wheel, as window messages, and the thumb's pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ControlsTestSupport.h"
#include "SliderUI.h"

using ControlsTests::SkinWindowTest;
using RenderTests::RenderCanvas;
using TavikUI::CSliderUI;

namespace {

const DWORD kWhite = 0xFFFFFF;
const DWORD kRed = 0xFF0000;
const DWORD kBlue = 0x0000FF;

// A horizontal slider over 10..210 x 10..30 and a vertical one over
// 250..270 x 10..210, both 0..100 with 10 x 10 thumbs.
class SliderWindowTest : public SkinWindowTest {
protected:
    void SetUp() override {
        SkinWindowTest::SetUp();
        WriteSolidImage(L"red.png", 0xFFFF0000u);
        WriteSolidImage(L"blue.png", 0xFF0000FFu);
        ASSERT_TRUE(
            BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                      L"<Slider name=\"across\" float=\"true\" pos=\"10,10,210,30\" thumbsize=\"10x10\" "
                      L"thumbimage=\"red.png\" thumbpushedimage=\"missing.png\" step=\"5\"/>"
                      L"<Slider name=\"up\" float=\"true\" pos=\"250,10,270,210\" hor=\"false\" thumbsize=\"10,10\" "
                      L"thumbimage=\"blue.png\"/>"
                      L"<Slider name=\"flat\" float=\"true\" pos=\"10,250,210,270\" min=\"50\" max=\"50\" value=\"50\" "
                      L"thumbimage=\"red.png\"/>"
                      L"</Container></Window>"));
        across_ = Find<CSliderUI>(L"across");
        up_ = Find<CSliderUI>(L"up");
        ASSERT_NE(across_, nullptr);
        ASSERT_NE(up_, nullptr);
    }
    void Wheel(int x, int y, int delta) {
        Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), MAKELPARAM(x, y));
    }
    std::vector<std::wstring> Changes() const { return Notes(); }

    CSliderUI* across_ = nullptr;
    CSliderUI* up_ = nullptr;
};

TEST_F(SliderWindowTest, ATrackClickJumpsOnReleaseWithOneNotification) {
    Press(110, 20);
    EXPECT_EQ(across_->CurrentValue(), 0);
    Release(110, 20);
    // (110 - 10 - 5) x 100 / (200 - 10).
    EXPECT_EQ(across_->CurrentValue(), 50);
    EXPECT_EQ(Changes(), (std::vector<std::wstring>{L"valuechanged:across"}));
    // The same value again sends nothing; the ends clamp.
    Click(110, 20);
    Click(300, 20);
    EXPECT_EQ(Changes().size(), 1u);
    Click(11, 20);
    EXPECT_EQ(across_->CurrentValue(), 0);
    // The vertical slider has its maximum at the top.
    Click(260, 12);
    EXPECT_EQ(up_->CurrentValue(), 100);
    Click(260, 205);
    EXPECT_EQ(up_->CurrentValue(), 0);
}

TEST_F(SliderWindowTest, ADragFollowsTheMouseAndNotifiesOnlyOnRelease) {
    Press(15, 20);
    EXPECT_EQ(across_->ThumbState() & CSliderUI::kThumbPushed, CSliderUI::kThumbPushed);
    MoveTo(60, 20);
    EXPECT_EQ(across_->CurrentValue(), 23);
    MoveTo(100, 20);
    EXPECT_EQ(across_->CurrentValue(), 44);
    EXPECT_TRUE(Changes().empty());
    // The pushed image is missing: the plain thumb shows at the new place.
    RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_EQ(canvas.At(100, 20), kRed);
    EXPECT_EQ(canvas.At(15, 20), kWhite);
    EXPECT_TRUE(across_->ThumbPushedImage().IsEmpty());
    Release(100, 20);
    EXPECT_EQ(Changes(), (std::vector<std::wstring>{L"valuechanged:across"}));
    EXPECT_EQ(across_->ThumbState() & CSliderUI::kThumbPushed, 0u);
}

TEST_F(SliderWindowTest, TheWheelStepsAndAlwaysNotifies) {
    Wheel(100, 20, WHEEL_DELTA);
    EXPECT_EQ(across_->CurrentValue(), 5);
    Wheel(100, 20, -WHEEL_DELTA);
    EXPECT_EQ(across_->CurrentValue(), 0);
    Wheel(100, 20, -WHEEL_DELTA);
    EXPECT_EQ(across_->CurrentValue(), 0);
    EXPECT_EQ(Changes().size(), 3u);
}

TEST_F(SliderWindowTest, ThumbsStandWhereTheValueSaysHorizontalAndVertical) {
    across_->SetCurrentValue(50);
    up_->SetCurrentValue(25);
    RenderCanvas canvas(400, 300);
    Print(canvas);
    // Horizontal: left 10 + 190 x 50 / 100 = 105, rows 15..24.
    EXPECT_EQ(canvas.At(105, 15), kRed);
    EXPECT_EQ(canvas.At(114, 24), kRed);
    EXPECT_EQ(canvas.At(104, 20), kWhite);
    EXPECT_EQ(canvas.At(115, 20), kWhite);
    EXPECT_EQ(canvas.At(110, 25), kWhite);
    // Vertical: bottom 210 - 190 x 25 / 100 = 163, columns 255..264.
    EXPECT_EQ(canvas.At(255, 153), kBlue);
    EXPECT_EQ(canvas.At(264, 162), kBlue);
    EXPECT_EQ(canvas.At(260, 152), kWhite);
    EXPECT_EQ(canvas.At(260, 163), kWhite);
    EXPECT_EQ(canvas.At(254, 158), kWhite);
}

TEST_F(SliderWindowTest, AnEmptyRangeNeitherDividesByZeroNorChanges) {
    auto* flat = Find<CSliderUI>(L"flat");
    flat->SetMaxValue(50);
    Click(110, 260);
    Wheel(110, 260, WHEEL_DELTA);
    EXPECT_EQ(flat->CurrentValue(), 50);
    EXPECT_EQ(flat->ThumbRect().left, 10);
}

}  // namespace
