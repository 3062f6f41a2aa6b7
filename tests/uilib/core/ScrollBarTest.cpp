// The scroll bar: placement of buttons and thumb, range and position
// clamping, orientation, presses, thumb drags and held-button repeats through
// events (free-standing and owned by a container), hot states and painting.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <vector>

#include "ContainerTestSupport.h"
#include "ContainerUI.h"
#include "ControlTestSupport.h"
#include "ImageTestSupport.h"
#include "ScrollBarUI.h"
#include "WindowManager.h"

using ContainerTests::MakeEvent;
using ContainerTests::RectIs;
using ContainerTests::ScrollingStub;
using ControlTests::NotificationRecorder;
using ControlTests::PixelCanvas;
using TavikUI::CContainerUI;
using TavikUI::CScrollBarUI;
using TavikUI::CUIRect;
using TavikUI::CWindowManager;
using TavikUI::UIEvent;

namespace {

constexpr uint32_t kPushed = CScrollBarUI::kStatePushed;
constexpr uint32_t kHot = CScrollBarUI::kStateHot;
constexpr uint32_t kDragging = CScrollBarUI::kStateDragging;

// A 100-pixel vertical bar of thickness 16 with both buttons, range 100.
class ScrollBarGeometryTest : public ::testing::Test {
protected:
    void SetUp() override { bar_.Place(CUIRect(0, 0, 16, 100)); }
    CScrollBarUI bar_;
};

TEST_F(ScrollBarGeometryTest, ThumbIsProportionalAndFollowsThePosition) {
    EXPECT_TRUE(RectIs(bar_.Button1Rect(), 0, 0, 16, 16));
    EXPECT_TRUE(RectIs(bar_.Button2Rect(), 0, 84, 16, 100));
    // Track 68, thumb 100 x 68 / 200 = 34.
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 16, 16, 50));
    bar_.SetPosition(50);
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 33, 16, 67));
    bar_.SetPosition(100);
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 50, 16, 84));
}

TEST_F(ScrollBarGeometryTest, TooShortForAThumb) {
    bar_.Place(CUIRect(0, 0, 16, 20));
    EXPECT_TRUE(RectIs(bar_.Button1Rect(), 0, 0, 16, 10));
    EXPECT_TRUE(RectIs(bar_.Button2Rect(), 0, 10, 16, 20));
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 0, 0, 0));
}

TEST_F(ScrollBarGeometryTest, TooShortWithAHiddenButton) {
    bar_.SetShowButton2(false);
    bar_.Place(CUIRect(0, 0, 16, 20));
    EXPECT_TRUE(RectIs(bar_.Button1Rect(), 0, 0, 16, 10));
    EXPECT_TRUE(RectIs(bar_.Button2Rect(), 0, 20, 16, 20));
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 0, 0, 0));
}

TEST_F(ScrollBarGeometryTest, HiddenButtonsGiveTheTrackTheirLength) {
    bar_.SetShowButton1(false);
    EXPECT_FALSE(bar_.ShowsButton1());
    EXPECT_TRUE(RectIs(bar_.Button1Rect(), 0, 0, 0, 0));
    // Track 84, thumb 100 x 84 / 200 = 42.
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 0, 16, 42));
    bar_.SetShowButton2(false);
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 0, 16, 50));
    bar_.SetPosition(100);
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 50, 16, 100));
}

TEST_F(ScrollBarGeometryTest, ZeroRangeThumbFillsTheTrack) {
    bar_.SetRange(0);
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 16, 16, 84));
}

TEST_F(ScrollBarGeometryTest, ThumbIsNeverShorterThanTheThickness) {
    bar_.SetRange(1000);
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 16, 16, 32));
}

TEST_F(ScrollBarGeometryTest, HugeRangeDoesNotOverflow) {
    bar_.SetRange(INT_MAX);
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 16, 16, 32));
    bar_.SetPosition(INT_MAX);
    EXPECT_EQ(bar_.Position(), INT_MAX);
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 68, 16, 84));
    bar_.SetPosition(INT_MAX / 2);
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 0, 41, 16, 57));
}

TEST_F(ScrollBarGeometryTest, RangeAndPositionAreClamped) {
    bar_.SetPosition(150);
    EXPECT_EQ(bar_.Position(), 100);
    bar_.SetPosition(-3);
    EXPECT_EQ(bar_.Position(), 0);
    bar_.SetPosition(50);
    bar_.SetRange(30);
    EXPECT_EQ(bar_.Position(), 30);
    bar_.SetRange(-5);
    EXPECT_EQ(bar_.Range(), 0);
    EXPECT_EQ(bar_.Position(), 0);
}

TEST_F(ScrollBarGeometryTest, HorizontalBarRunsAlongX) {
    bar_.SetHorizontalMode(true);
    EXPECT_TRUE(bar_.IsHorizontal());
    EXPECT_EQ(bar_.DeclaredWidth(), 0);
    EXPECT_EQ(bar_.DeclaredHeight(), 16);
    bar_.Place(CUIRect(0, 0, 100, 16));
    EXPECT_TRUE(RectIs(bar_.Button1Rect(), 0, 0, 16, 16));
    EXPECT_TRUE(RectIs(bar_.Button2Rect(), 84, 0, 100, 16));
    EXPECT_TRUE(RectIs(bar_.ThumbRect(), 16, 0, 50, 16));
    bar_.SetHorizontalMode(false);
    EXPECT_EQ(bar_.DeclaredWidth(), 16);
    EXPECT_EQ(bar_.DeclaredHeight(), 0);
}

TEST_F(ScrollBarGeometryTest, Attributes) {
    bar_.ApplyAttribute(L"range", L"40");
    bar_.ApplyAttribute(L"value", L"99");
    bar_.ApplyAttribute(L"linesize", L"3");
    bar_.ApplyAttribute(L"showbutton1", L"false");
    bar_.ApplyAttribute(L"hor", L"true");
    bar_.ApplyAttribute(L"name", L"bar");
    EXPECT_EQ(bar_.Range(), 40);
    EXPECT_EQ(bar_.Position(), 40);
    EXPECT_EQ(bar_.LineSize(), 3);
    EXPECT_FALSE(bar_.ShowsButton1());
    EXPECT_TRUE(bar_.IsHorizontal());
    EXPECT_STREQ(bar_.Name().Text(), L"bar");
}

// A free-standing bar as the root of a window-less manager, placed at
// (0,0)-(16,100) with the default range 100, its notifications recorded.
class FreeBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar_ = new CScrollBarUI();
        manager_.AttachRoot(bar_);
        manager_.RegisterNotifyReceiver(&recorder_);
        bar_->Place(CUIRect(0, 0, 16, 100));
    }
    void TearDown() override {
        manager_.UnregisterNotifyReceiver(&recorder_);
        // Park the pointer where no test window lies.
        SetCursorPos(1200, 1000);
    }
    void Send(int type, int x = 0, int y = 0, WPARAM wParam = 0) {
        UIEvent event = MakeEvent(type, POINT{x, y}, wParam);
        bar_->HandleEvent(event);
    }
    void Press(int x, int y) { Send(TavikUI::kEventButtonDown, x, y); }
    void Tick() { Send(TavikUI::kEventTimer, 0, 0, CScrollBarUI::kRepeatTimerId); }
    int ScrollNotifications() const {
        int count = 0;
        for (const auto& entry : recorder_.entries) {
            if (entry.type == L"scroll" && entry.sender == bar_) {
                ++count;
            }
        }
        return count;
    }

    CWindowManager manager_;
    NotificationRecorder recorder_;
    CScrollBarUI* bar_ = nullptr;
};

TEST_F(FreeBarTest, ButtonsStepByTheLineSize) {
    Press(8, 90);
    EXPECT_EQ(bar_->Position(), 8);
    EXPECT_EQ(bar_->Button2State() & kPushed, kPushed);
    Send(TavikUI::kEventCaptureLost);
    EXPECT_EQ(bar_->Button2State() & kPushed, 0u);
    bar_->SetLineSize(5);
    Press(8, 5);
    EXPECT_EQ(bar_->Position(), 3);
    EXPECT_EQ(ScrollNotifications(), 2);
}

TEST_F(FreeBarTest, TrackPressesPageByTheBarLength) {
    bar_->SetRange(250);
    Press(8, 80);
    EXPECT_EQ(bar_->Position(), 100);
    Send(TavikUI::kEventCaptureLost);
    Press(8, 80);
    EXPECT_EQ(bar_->Position(), 200);
    Send(TavikUI::kEventCaptureLost);
    Press(8, 17);
    EXPECT_EQ(bar_->Position(), 100);
}

TEST_F(FreeBarTest, DisabledBarIgnoresPressesAndForgetsItsStates) {
    Press(8, 90);
    ASSERT_NE(bar_->Button2State(), 0u);
    bar_->SetEnabledState(false);
    EXPECT_EQ(bar_->Button1State(), 0u);
    EXPECT_EQ(bar_->Button2State(), 0u);
    EXPECT_EQ(bar_->ThumbState(), 0u);
    const int before = bar_->Position();
    const int notified = ScrollNotifications();
    Press(8, 90);
    EXPECT_EQ(bar_->Position(), before);
    EXPECT_EQ(ScrollNotifications(), notified);
}

TEST_F(FreeBarTest, ThumbDragMovesAtTheNextTick) {
    Press(8, 20);
    EXPECT_EQ(bar_->ThumbState() & (kPushed | kDragging), kPushed | kDragging);
    // Travel 17 over 100 - 2 x 16 - 34 = 34 pixels is half the range.
    Send(TavikUI::kEventMouseMove, 8, 37);
    EXPECT_EQ(bar_->Position(), 0);
    Tick();
    EXPECT_EQ(bar_->Position(), 50);
    EXPECT_TRUE(RectIs(bar_->ThumbRect(), 0, 33, 16, 67));
    Send(TavikUI::kEventMouseMove, 8, 300);
    Tick();
    EXPECT_EQ(bar_->Position(), 100);
    Send(TavikUI::kEventMouseMove, 8, 0);
    Tick();
    EXPECT_EQ(bar_->Position(), 0);
}

TEST_F(FreeBarTest, CaptureLossEndsTheDrag) {
    Press(8, 20);
    Send(TavikUI::kEventMouseMove, 8, 37);
    Send(TavikUI::kEventCaptureLost);
    EXPECT_EQ(bar_->ThumbState() & (kPushed | kDragging), 0u);
    Send(TavikUI::kEventMouseMove, 8, 60);
    Tick();
    EXPECT_EQ(bar_->Position(), 0);
}

// With both buttons hidden and range 47 the thumb is 68 of 100 pixels: the
// travel divisor 100 - 32 - 68 is 0 and a drag must not divide by it.
TEST_F(FreeBarTest, DragWithZeroTravelSpanChangesNothing) {
    bar_->SetShowButton1(false);
    bar_->SetShowButton2(false);
    bar_->SetRange(47);
    ASSERT_EQ(bar_->ThumbRect().bottom - bar_->ThumbRect().top, 68);
    Press(8, 10);
    Send(TavikUI::kEventMouseMove, 8, 40);
    Tick();
    EXPECT_EQ(bar_->Position(), 0);
}

TEST_F(FreeBarTest, HeldButtonRepeatsFromTheSixthTick) {
    ASSERT_TRUE(SetCursorPos(8, 90));
    Press(8, 90);
    EXPECT_EQ(bar_->Position(), 8);
    for (int tick = 1; tick <= 5; ++tick) {
        Tick();
    }
    EXPECT_EQ(bar_->Position(), 8);
    Tick();
    EXPECT_EQ(bar_->Position(), 16);
    Tick();
    EXPECT_EQ(bar_->Position(), 24);
    ASSERT_TRUE(SetCursorPos(300, 300));
    Tick();
    EXPECT_EQ(bar_->Position(), 24) << "no repeat while the pointer is off the button";
    EXPECT_EQ(ScrollNotifications(), 1 + 8);
}

TEST_F(FreeBarTest, HeldTrackPagesTowardThePointerUntilTheThumbIsThere) {
    bar_->SetRange(1000);
    ASSERT_TRUE(SetCursorPos(8, 70));
    Press(8, 70);
    EXPECT_EQ(bar_->Position(), 100);
    for (int tick = 1; tick <= 20; ++tick) {
        Tick();
    }
    // The thumb (16 pixels) stops once it covers y = 70: at 800 it spans
    // 57..73.
    EXPECT_EQ(bar_->Position(), 800);
}

TEST_F(FreeBarTest, EnterLeaveAndMovesSetTheHotStates) {
    Send(TavikUI::kEventMouseEnter, 8, 20);
    EXPECT_EQ(bar_->Button1State() & kHot, kHot);
    EXPECT_EQ(bar_->Button2State() & kHot, kHot);
    EXPECT_EQ(bar_->ThumbState() & kHot, kHot);
    Send(TavikUI::kEventMouseMove, 8, 70);
    EXPECT_EQ(bar_->ThumbState() & kHot, 0u);
    Send(TavikUI::kEventMouseMove, 8, 30);
    EXPECT_EQ(bar_->ThumbState() & kHot, kHot);
    Send(TavikUI::kEventMouseLeave);
    EXPECT_EQ(bar_->Button1State() | bar_->Button2State() | bar_->ThumbState(), 0u);
    bar_->SetEnabledState(false);
    Send(TavikUI::kEventMouseEnter, 8, 20);
    Send(TavikUI::kEventMouseMove, 8, 30);
    EXPECT_EQ(bar_->Button1State() | bar_->Button2State() | bar_->ThumbState(), 0u);
}

TEST_F(FreeBarTest, PaintsFramesWhereImagesAreMissing) {
    PixelCanvas canvas(16, 100);
    bar_->ApplyAttribute(L"thumbnormalimage", L"no-such-image.png");
    bar_->Paint(canvas.DC(), CUIRect(0, 0, 16, 100));
    const DWORD frame = 0x85E4FF;
    EXPECT_EQ(canvas.At(0, 0), frame);
    EXPECT_EQ(canvas.At(15, 15), frame);
    EXPECT_EQ(canvas.At(8, 8), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(0, 84), frame);
    EXPECT_EQ(canvas.At(0, 20), frame) << "thumb";
    EXPECT_EQ(canvas.At(8, 60), 0xFFFFFFu) << "bare track";
}

TEST_F(FreeBarTest, ShortBarPaintsOnlyItsButtons) {
    PixelCanvas canvas(16, 20);
    bar_->Place(CUIRect(0, 0, 16, 20));
    bar_->Paint(canvas.DC(), CUIRect(0, 0, 16, 20));
    EXPECT_EQ(canvas.At(0, 0), 0x85E4FFu);
    EXPECT_EQ(canvas.At(0, 19), 0x85E4FFu);
    EXPECT_EQ(canvas.At(8, 5), 0xFFFFFFu);
}

// A stand-in layout 200 x 100 whose content is 300 high: its vertical bar
// (range 200) sits at (184,0)-(200,100) with a 22-pixel thumb.
class OwnedBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = new ScrollingStub();
        owner_->CreateScrollBars(true, false);
        manager_.AttachRoot(owner_);
        manager_.RegisterNotifyReceiver(&recorder_);
        owner_->SetContentHeight(300);
        owner_->Place(CUIRect(0, 0, 200, 100));
        bar_ = owner_->VerticalScrollBar();
    }
    void TearDown() override { manager_.UnregisterNotifyReceiver(&recorder_); }
    void Send(int type, int x = 0, int y = 0, WPARAM wParam = 0) {
        UIEvent event = MakeEvent(type, POINT{x, y}, wParam);
        bar_->HandleEvent(event);
    }
    CWindowManager manager_;
    NotificationRecorder recorder_;
    ScrollingStub* owner_ = nullptr;
    CScrollBarUI* bar_ = nullptr;
};

TEST_F(OwnedBarTest, PlacedByTheOwner) {
    EXPECT_EQ(bar_->OwnerContainer(), owner_);
    EXPECT_EQ(bar_->Range(), 200);
    EXPECT_TRUE(RectIs(bar_->Rect(), 184, 0, 200, 100));
    EXPECT_TRUE(RectIs(bar_->ThumbRect(), 184, 16, 200, 38));
}

TEST_F(OwnedBarTest, ButtonsAndTrackScrollTheOwner) {
    const int line = manager_.DefaultFontRecord()->metrics.tmHeight + 8;
    Send(TavikUI::kEventButtonDown, 190, 90);
    EXPECT_EQ(owner_->ScrollPosition().cy, line);
    Send(TavikUI::kEventCaptureLost);
    Send(TavikUI::kEventButtonDown, 190, 5);
    EXPECT_EQ(owner_->ScrollPosition().cy, 0);
    Send(TavikUI::kEventCaptureLost);
    Send(TavikUI::kEventButtonDown, 190, 70);
    EXPECT_EQ(owner_->ScrollPosition().cy, 100) << "a page is the owner's height";
    EXPECT_TRUE(recorder_.entries.empty()) << "an owned bar sends nothing itself";
}

TEST_F(OwnedBarTest, DragScrollsTheOwner) {
    Send(TavikUI::kEventButtonDown, 190, 20);
    // Travel 23 over 100 - 32 - 22 = 46 pixels is half the range.
    Send(TavikUI::kEventMouseMove, 190, 43);
    Send(TavikUI::kEventTimer, 0, 0, CScrollBarUI::kRepeatTimerId);
    EXPECT_EQ(owner_->ScrollPosition().cy, 100);
    EXPECT_EQ(bar_->Position(), 100);
}

TEST_F(OwnedBarTest, ShowingAndHidingAsksForNoLayout) {
    ASSERT_FALSE(owner_->NeedsLayout());
    bar_->ShowOrHide(false);
    EXPECT_FALSE(bar_->IsVisible());
    bar_->ShowOrHide(true);
    EXPECT_TRUE(bar_->IsVisible());
    EXPECT_FALSE(owner_->NeedsLayout());
}

TEST_F(OwnedBarTest, FocusGoesToTheOwner) {
    bar_->TakeFocus();
    EXPECT_EQ(manager_.FocusedControl(), owner_);
}

TEST_F(OwnedBarTest, BarThatIgnoresTheMouseHandsEventsToTheOwner) {
    owner_->SetAcceptsMouse(false);
    Send(TavikUI::kEventButtonDown, 190, 90);
    EXPECT_EQ(owner_->ScrollPosition().cy, 0);
    owner_->SetAcceptsMouse(true);
    bar_->SetAcceptsMouse(false);
    Send(TavikUI::kEventScrollWheel, 190, 50, 1);
    EXPECT_GT(owner_->ScrollPosition().cy, 0) << "the owner scrolls for the wheel";
}

// A 16 x 100 bar at (4,10) in a window-less manager painting solid images
// from a skin folder: thumb (4,26)-(20,60), its grip square (4,35)-(20,51).
class ScrollBarImageTest : public ImageTests::SkinSourceTest {
protected:
    static constexpr DWORD kRed = 0xFF0000;
    static constexpr DWORD kGreen = 0x00FF00;
    static constexpr DWORD kBlue = 0x0000FF;
    static constexpr DWORD kWhite = 0xFFFFFF;

    void SetUp() override {
        SkinSourceTest::SetUp();
        Write(L"red.png", ImageTests::SolidPng(4, 4, 0xFFFF0000));
        Write(L"green.png", ImageTests::SolidPng(4, 4, 0xFF00FF00));
        Write(L"blue.png", ImageTests::SolidPng(4, 4, 0xFF0000FF));
        Write(L"white.png", ImageTests::SolidPng(4, 4, 0xFFFFFFFF));
        bar_ = new CScrollBarUI();
        manager_.AttachRoot(bar_);
        bar_->Place(CUIRect(4, 10, 20, 110));
    }
    void Paint() { bar_->Paint(canvas_.DC(), CUIRect(0, 0, 24, 120)); }

    CWindowManager manager_;
    CScrollBarUI* bar_ = nullptr;
    PixelCanvas canvas_{24, 120, 0x00000000};
};

TEST_F(ScrollBarImageTest, BackgroundThumbAndGripInTheirPlaces) {
    bar_->ApplyAttribute(L"bknormalimage", L"blue.png");
    bar_->ApplyAttribute(L"thumbnormalimage", L"red.png");
    bar_->ApplyAttribute(L"railnormalimage", L"white.png");
    Paint();
    EXPECT_EQ(canvas_.At(12, 70), kBlue) << "background over the whole bar";
    EXPECT_EQ(canvas_.At(12, 18), kBlue) << "inside the framed button";
    EXPECT_EQ(canvas_.At(4, 10), 0x85E4FFu);
    EXPECT_EQ(canvas_.At(12, 28), kRed);
    EXPECT_EQ(canvas_.At(12, 58), kRed);
    EXPECT_EQ(canvas_.At(12, 40), kWhite);
    EXPECT_EQ(canvas_.At(12, 34), kRed);
    EXPECT_EQ(canvas_.At(12, 51), kRed);
    EXPECT_EQ(canvas_.At(12, 61), kBlue);
}

TEST_F(ScrollBarImageTest, PushedThumbTakesItsImageOrFallsBack) {
    bar_->ApplyAttribute(L"thumbnormalimage", L"red.png");
    bar_->ApplyAttribute(L"thumbpushedimage", L"green.png");
    UIEvent press = MakeEvent(TavikUI::kEventButtonDown, POINT{12, 30});
    bar_->HandleEvent(press);
    Paint();
    EXPECT_EQ(canvas_.At(12, 40), kGreen);
    bar_->ApplyAttribute(L"thumbpushedimage", L"missing.png");
    Paint();
    EXPECT_EQ(canvas_.At(12, 40), kRed);
}

TEST_F(ScrollBarImageTest, DisabledBarUsesTheDisabledImages) {
    bar_->ApplyAttribute(L"bknormalimage", L"blue.png");
    bar_->ApplyAttribute(L"bkdisabledimage", L"green.png");
    bar_->ApplyAttribute(L"button1normalimage", L"red.png");
    bar_->SetEnabledState(false);
    Paint();
    EXPECT_EQ(canvas_.At(12, 70), kGreen);
    EXPECT_EQ(canvas_.At(12, 18), kRed) << "buttons keep their own state";
    EXPECT_EQ(canvas_.At(4, 10), kRed) << "no frame where an image was drawn";
}

}  // namespace
