// The container's placement arithmetic, placed without painting: the inner
// rectangle, floating and relatively positioned children, the vertical bar
// appearing and going as content overflows, scroll positions moving the
// children, the scroll steps and the keys and wheel that drive them.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "ContainerTestSupport.h"
#include "ContainerUI.h"
#include "ScrollBarUI.h"
#include "WindowManager.h"

using ContainerTests::KeyEvent;
using ContainerTests::MakeEvent;
using ContainerTests::RecordingContainer;
using ContainerTests::RectIs;
using ContainerTests::ScrollingStub;
using ContainerTests::TrackedControl;
using TavikUI::CContainerUI;
using TavikUI::CControlUI;
using TavikUI::CScrollBarUI;
using TavikUI::CUIRect;
using TavikUI::CUISize;
using TavikUI::CWindowManager;
using TavikUI::UIEvent;

namespace {

// Counts its placements.
class PlaceCounter : public CControlUI {
public:
    void Place(const RECT& rect) override {
        ++placements;
        CControlUI::Place(rect);
    }
    int placements = 0;
};

CControlUI* MakeFloating(POINT offset, int width, int height) {
    auto* child = new TrackedControl();
    child->SetFloating(true);
    child->SetFloatOffset(offset);
    child->SetDeclaredWidth(width);
    child->SetDeclaredHeight(height);
    return child;
}

// A plain container as the root of a window-less manager.
class ContainerPlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        container_ = new CContainerUI();
        manager_.AttachRoot(container_);
    }
    CWindowManager manager_;
    CContainerUI* container_ = nullptr;
};

TEST_F(ContainerPlacementTest, EveryChildGetsTheInnerRectangle) {
    auto* first = new TrackedControl();
    auto* second = new TrackedControl();
    container_->AddChild(first);
    container_->AddChild(second);
    container_->SetInsetRect(CUIRect(1, 2, 3, 4));
    container_->Place(CUIRect(0, 0, 100, 50));
    EXPECT_TRUE(RectIs(first->Rect(), 1, 2, 97, 46));
    EXPECT_TRUE(RectIs(second->Rect(), 1, 2, 97, 46));
}

TEST_F(ContainerPlacementTest, HiddenChildIsNotPlaced) {
    auto* hidden = new TrackedControl();
    container_->AddChild(hidden);
    hidden->ShowOrHide(false);
    container_->Place(CUIRect(0, 0, 100, 50));
    EXPECT_TRUE(RectIs(hidden->Rect(), 0, 0, 0, 0));
}

TEST_F(ContainerPlacementTest, FloatingChildFromTheTopLeft) {
    CControlUI* child = MakeFloating({5, 6}, 20, 10);
    container_->AddChild(child);
    container_->SetInsetRect(CUIRect(3, 3, 3, 3));
    container_->Place(CUIRect(100, 50, 300, 150));
    EXPECT_TRUE(RectIs(child->Rect(), 105, 56, 125, 66)) << "the inset does not move floating children";
}

TEST_F(ContainerPlacementTest, FloatingChildFromTheBottomRight) {
    CControlUI* child = MakeFloating({-10, -10}, 20, 20);
    container_->AddChild(child);
    container_->Place(CUIRect(0, 0, 200, 100));
    EXPECT_TRUE(RectIs(child->Rect(), 170, 70, 190, 90));
    container_->Place(CUIRect(0, 0, 300, 150));
    EXPECT_TRUE(RectIs(child->Rect(), 270, 120, 290, 140)) << "it follows the corner";
}

TEST_F(ContainerPlacementTest, RelativeChildMovesAndGrowsWithTheContainer) {
    CControlUI* child = MakeFloating({10, 10}, 20, 20);
    child->SetRelativePosition(50, 50, 100, 0);
    container_->AddChild(child);
    container_->Place(CUIRect(0, 0, 200, 100));
    EXPECT_TRUE(RectIs(child->Rect(), 10, 10, 30, 30)) << "the first placement only records the size";
    EXPECT_EQ(child->RelativePosition().parentCx, 200);
    EXPECT_EQ(child->RelativePosition().parentCy, 100);

    container_->Place(CUIRect(0, 0, 300, 150));
    EXPECT_TRUE(RectIs(child->Rect(), 60, 35, 180, 55));
    EXPECT_EQ(child->RelativePosition().parentCx, 300);

    // Shrinking by 3: 3 x 50 / 100 truncates toward zero to 1.
    container_->Place(CUIRect(0, 0, 297, 150));
    EXPECT_TRUE(RectIs(child->Rect(), 59, 35, 176, 55));
}

TEST_F(ContainerPlacementTest, FloatingPlacementIgnoresBadIndexesAndOtherChildren) {
    auto* plain = new TrackedControl();
    container_->AddChild(plain);
    container_->Place(CUIRect(0, 0, 100, 100));
    plain->SetFloatOffset({-5, -5});
    container_->PlaceFloatingChild(0);
    container_->PlaceFloatingChild(-1);
    container_->PlaceFloatingChild(7);
    EXPECT_TRUE(RectIs(plain->Rect(), 0, 0, 100, 100));
}

// A stand-in layout with a vertical bar, in a 200 x 100 root, starting with
// content that fits (the fresh bar, visible, is hidden by the first layout).
class ScrollBarUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        stub_ = new ScrollingStub();
        manager_.AttachRoot(stub_);
        stub_->CreateScrollBars(true, false);
        stub_->SetContentHeight(50);
        stub_->Place(kRect);
        bar_ = stub_->VerticalScrollBar();
        stub_->areas.clear();
        stub_->relayoutFlags.clear();
    }
    void LayOut(int contentHeight) {
        stub_->areas.clear();
        stub_->relayoutFlags.clear();
        stub_->SetContentHeight(contentHeight);
        stub_->Place(kRect);
    }
    const CUIRect kRect = CUIRect(0, 0, 200, 100);
    CWindowManager manager_;
    ScrollingStub* stub_ = nullptr;
    CScrollBarUI* bar_ = nullptr;
};

TEST_F(ScrollBarUpdateTest, ContentThatFitsHidesTheFreshBar) {
    EXPECT_FALSE(bar_->IsVisible());
    EXPECT_EQ(bar_->Range(), 0);
    EXPECT_EQ(bar_->Position(), 0);
    EXPECT_EQ(stub_->ScrollRange().cy, 0);
}

TEST_F(ScrollBarUpdateTest, OnePixelOverflowShowsTheBarAndLaysOutAgain) {
    LayOut(101);
    ASSERT_TRUE(bar_->IsVisible());
    EXPECT_EQ(bar_->Range(), 1);
    EXPECT_EQ(bar_->Position(), 0);
    ASSERT_EQ(stub_->areas.size(), 2u);
    EXPECT_TRUE(RectIs(stub_->areas[0], 0, 0, 200, 100));
    EXPECT_TRUE(RectIs(stub_->areas[1], 0, 0, 184, 100)) << "the second pass leaves room for the bar";
    EXPECT_EQ(stub_->relayoutFlags, (std::vector<bool>{false, true}));
    EXPECT_TRUE(RectIs(bar_->Rect(), 184, 0, 200, 100));
    EXPECT_EQ(stub_->ScrollRange().cy, 1);
}

TEST_F(ScrollBarUpdateTest, ContentThatFitsAgainHidesTheBar) {
    LayOut(150);
    ASSERT_TRUE(bar_->IsVisible());
    stub_->SetScrollPosition(CUISize(0, 20));
    LayOut(100);
    EXPECT_FALSE(bar_->IsVisible());
    EXPECT_EQ(bar_->Range(), 0);
    EXPECT_EQ(bar_->Position(), 0);
    ASSERT_EQ(stub_->areas.size(), 2u);
    EXPECT_TRUE(RectIs(stub_->areas[1], 0, 0, 200, 100));
}

TEST_F(ScrollBarUpdateTest, GrowingContentKeepsThePosition) {
    LayOut(300);
    stub_->SetScrollPosition(CUISize(0, 40));
    LayOut(400);
    EXPECT_EQ(bar_->Range(), 300);
    EXPECT_EQ(bar_->Position(), 40);
    EXPECT_EQ(stub_->areas.size(), 1u) << "no second pass when the position stays";
}

TEST_F(ScrollBarUpdateTest, RangeBelowThePositionLaysOutAgain) {
    LayOut(300);
    stub_->SetScrollPosition(CUISize(0, 150));
    LayOut(180);
    EXPECT_EQ(bar_->Range(), 80);
    EXPECT_EQ(bar_->Position(), 80);
    EXPECT_EQ(stub_->areas.size(), 2u);
    EXPECT_TRUE(bar_->IsVisible());
}

// Content that fits once the bar takes its width: the second pass finds
// nothing to scroll, so the bar goes again with range and position 0.
TEST_F(ScrollBarUpdateTest, RangeThatBecomesZeroHidesTheBar) {
    stub_->areas.clear();
    stub_->contentHeight = [](const RECT& area) { return area.right - area.left > 190 ? 101 : 100; };
    stub_->Place(kRect);
    EXPECT_FALSE(bar_->IsVisible());
    EXPECT_EQ(bar_->Range(), 0);
    EXPECT_EQ(bar_->Position(), 0);
    EXPECT_EQ(stub_->areas.size(), 2u);
}

TEST_F(ScrollBarUpdateTest, HorizontalBarSitsUnderTheArea) {
    stub_->CreateScrollBars(true, true);
    LayOut(50);
    CScrollBarUI* horizontal = stub_->HorizontalScrollBar();
    ASSERT_TRUE(horizontal->IsVisible());
    EXPECT_TRUE(RectIs(horizontal->Rect(), 0, 84, 200, 100));
    EXPECT_EQ(horizontal->Range(), 100) << "layouts leave the horizontal range alone";
}

// A root stand-in layout (200 x 100) whose content is 300 high, holding a
// plain child and a floating one.
class ScrollPositionTest : public ScrollBarUpdateTest {
protected:
    void SetUp() override {
        ScrollBarUpdateTest::SetUp();
        plain_ = new PlaceCounter();
        floating_ = MakeFloating({10, 10}, 20, 20);
        stub_->AddChild(plain_);
        stub_->AddChild(floating_);
        LayOut(300);
        plain_->placements = 0;
    }
    PlaceCounter* plain_ = nullptr;
    CControlUI* floating_ = nullptr;
};

TEST_F(ScrollPositionTest, ChildrenMoveFloatingOnesStay) {
    ASSERT_TRUE(RectIs(plain_->Rect(), 0, 0, 200, 100));
    stub_->SetScrollPosition(CUISize(0, 30));
    EXPECT_EQ(stub_->ScrollPosition().cy, 30);
    EXPECT_TRUE(RectIs(plain_->Rect(), 0, -30, 200, 70));
    EXPECT_TRUE(RectIs(floating_->Rect(), 10, 10, 30, 30));
}

TEST_F(ScrollPositionTest, PositionIsClampedAndChildrenMoveByTheClampedChange) {
    stub_->SetScrollPosition(CUISize(0, 30));
    stub_->SetScrollPosition(CUISize(0, 999));
    EXPECT_EQ(stub_->ScrollPosition().cy, 200);
    EXPECT_TRUE(RectIs(plain_->Rect(), 0, -200, 200, -100));
    stub_->SetScrollPosition(CUISize(0, -50));
    EXPECT_EQ(stub_->ScrollPosition().cy, 0);
    EXPECT_TRUE(RectIs(plain_->Rect(), 0, 0, 200, 100));
}

TEST_F(ScrollPositionTest, NoChangeMovesNothing) {
    stub_->SetScrollPosition(CUISize(0, 0));
    stub_->SetScrollPosition(CUISize(55, 0)) /* no horizontal bar */;
    EXPECT_EQ(plain_->placements, 0);
    stub_->SetScrollPosition(CUISize(0, 200));
    stub_->SetScrollPosition(CUISize(0, 300));
    EXPECT_EQ(plain_->placements, 1) << "the second call is clamped to where the bar already is";
}

TEST_F(ScrollPositionTest, HiddenBarNeitherScrollsNorReports) {
    bar_->ShowOrHide(false);
    stub_->SetScrollPosition(CUISize(0, 30));
    EXPECT_EQ(plain_->placements, 0);
    EXPECT_EQ(stub_->ScrollPosition().cy, 0);
    EXPECT_EQ(stub_->ScrollRange().cy, 0);
    EXPECT_EQ(bar_->Range(), 200);
}

TEST_F(ScrollPositionTest, VerticalSteps) {
    const int lineHeight = manager_.DefaultFontRecord()->metrics.tmHeight + 8;
    ASSERT_GT(lineHeight, 8);
    stub_->ScrollLineDown();
    EXPECT_EQ(stub_->ScrollPosition().cy, lineHeight);
    stub_->ScrollLineUp();
    EXPECT_EQ(stub_->ScrollPosition().cy, 0);
    stub_->ScrollLineUp();
    EXPECT_EQ(stub_->ScrollPosition().cy, 0);
    stub_->ScrollPageDown();
    EXPECT_EQ(stub_->ScrollPosition().cy, 100);
    stub_->ScrollToBottom();
    EXPECT_EQ(stub_->ScrollPosition().cy, 200);
    stub_->ScrollPageUp();
    EXPECT_EQ(stub_->ScrollPosition().cy, 100);
    stub_->ScrollToTop();
    EXPECT_EQ(stub_->ScrollPosition().cy, 0);
}

TEST_F(ScrollPositionTest, PagesLeaveOutTheInsetAndTheOtherBar) {
    stub_->SetInsetRect(CUIRect(4, 5, 6, 7));
    stub_->CreateScrollBars(true, true);
    stub_->HorizontalScrollBar()->SetDeclaredHeight(10);
    LayOut(300);
    // Page height: 100 - 5 - 7 - 10; page width: 200 - 4 - 6 - 16.
    stub_->ScrollPageDown();
    EXPECT_EQ(stub_->ScrollPosition().cy, 78);
    stub_->ScrollPageRight();
    EXPECT_EQ(stub_->ScrollPosition().cx, 100) << "clamped to the default range";
    stub_->ScrollToLeftEnd();
    stub_->HorizontalScrollBar()->SetRange(1000);
    stub_->ScrollPageRight();
    EXPECT_EQ(stub_->ScrollPosition().cx, 174);
    stub_->ScrollLineRight();
    EXPECT_EQ(stub_->ScrollPosition().cx, 182);
    stub_->ScrollLineLeft();
    EXPECT_EQ(stub_->ScrollPosition().cx, 174);
    stub_->ScrollPageLeft();
    EXPECT_EQ(stub_->ScrollPosition().cx, 0);
    stub_->ScrollToRightEnd();
    EXPECT_EQ(stub_->ScrollPosition().cx, 1000);
    EXPECT_EQ(stub_->ScrollPosition().cy, 78) << "horizontal steps keep the vertical position";
}

TEST(ContainerScrollSteps, LineHeightWithoutManagerIsEight) {
    ScrollingStub stub;
    stub.CreateScrollBars(true, false);
    stub.SetContentHeight(300);
    stub.Place(CUIRect(0, 0, 200, 100));
    stub.ScrollLineDown();
    EXPECT_EQ(stub.ScrollPosition().cy, 8);
}

// A recording root holding the stand-in layout, so events that climb out of
// the container show up at the root.
class ContainerEventTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = new RecordingContainer();
        manager_.AttachRoot(root_);
        stub_ = new ScrollingStub();
        root_->AddChild(stub_);
        stub_->CreateScrollBars(true, true);
        stub_->SetContentHeight(300);
        stub_->Place(CUIRect(0, 0, 200, 100));
        root_->seen.clear();
    }
    void Send(UIEvent event) { stub_->HandleEvent(event); }
    int Vertical() const { return stub_->ScrollPosition().cy; }
    int Horizontal() const { return stub_->ScrollPosition().cx; }

    CWindowManager manager_;
    RecordingContainer* root_ = nullptr;
    ScrollingStub* stub_ = nullptr;
};

TEST_F(ContainerEventTest, KeysDriveTheVerticalBar) {
    const int page = 100 - 16;
    const int range = stub_->ScrollRange().cy;
    ASSERT_GT(range, page);
    Send(KeyEvent(VK_NEXT));
    EXPECT_EQ(Vertical(), page);
    Send(KeyEvent(VK_PRIOR));
    EXPECT_EQ(Vertical(), 0);
    Send(KeyEvent(VK_END));
    EXPECT_EQ(Vertical(), range);
    Send(KeyEvent(VK_HOME));
    EXPECT_EQ(Vertical(), 0);
    Send(KeyEvent(VK_DOWN));
    const int line = Vertical();
    EXPECT_GT(line, 8);
    Send(KeyEvent(VK_UP));
    EXPECT_EQ(Vertical(), 0);
    EXPECT_EQ(Horizontal(), 0);
    EXPECT_TRUE(root_->seen.empty()) << "scroll keys end at the container";
}

TEST_F(ContainerEventTest, WheelScrollsByLines) {
    Send(MakeEvent(TavikUI::kEventScrollWheel, {10, 10}, 1));
    const int line = Vertical();
    EXPECT_GT(line, 0);
    Send(MakeEvent(TavikUI::kEventScrollWheel, {10, 10}, 1));
    EXPECT_EQ(Vertical(), 2 * line);
    Send(MakeEvent(TavikUI::kEventScrollWheel, {10, 10}, 0));
    EXPECT_EQ(Vertical(), line);
}

TEST_F(ContainerEventTest, DisabledVerticalBarHandsTheKeysToTheHorizontalOne) {
    stub_->VerticalScrollBar()->SetEnabledState(false);
    stub_->HorizontalScrollBar()->SetRange(1000);
    Send(KeyEvent(VK_DOWN));
    EXPECT_EQ(Horizontal(), 8);
    Send(MakeEvent(TavikUI::kEventScrollWheel, {10, 10}, 1));
    EXPECT_EQ(Horizontal(), 16);
    Send(MakeEvent(TavikUI::kEventScrollWheel, {10, 10}, 0));
    Send(KeyEvent(VK_UP));
    EXPECT_EQ(Horizontal(), 0);
    Send(KeyEvent(VK_END));
    EXPECT_EQ(Horizontal(), 1000) << "End goes to the right end";
    // Page width: 200 less the (disabled but shown) vertical bar.
    Send(KeyEvent(VK_PRIOR));
    EXPECT_EQ(Horizontal(), 1000 - 184);
    Send(KeyEvent(VK_NEXT));
    EXPECT_EQ(Horizontal(), 1000);
    Send(KeyEvent(VK_HOME));
    EXPECT_EQ(Horizontal(), 0) << "Home goes to the left end";
    EXPECT_EQ(Vertical(), 0);
    EXPECT_TRUE(root_->seen.empty());
}

TEST_F(ContainerEventTest, OtherKeysClimbToTheParent) {
    Send(KeyEvent(VK_LEFT));
    EXPECT_EQ(root_->seen, (std::vector<int>{TavikUI::kEventKeyDown}));
}

TEST_F(ContainerEventTest, KeysWithoutUsableBarsClimbToTheParent) {
    stub_->VerticalScrollBar()->ShowOrHide(false);
    stub_->HorizontalScrollBar()->SetEnabledState(false);
    Send(KeyEvent(VK_DOWN));
    EXPECT_EQ(Horizontal(), 0);
    EXPECT_EQ(root_->seen, (std::vector<int>{TavikUI::kEventKeyDown}));
}

TEST_F(ContainerEventTest, PressesEndAtTheContainerMovesClimb) {
    Send(MakeEvent(TavikUI::kEventButtonDown, {10, 10}));
    Send(MakeEvent(TavikUI::kEventRightButtonDown, {10, 10}));
    Send(MakeEvent(TavikUI::kEventCaptureLost));
    EXPECT_TRUE(root_->seen.empty());
    Send(MakeEvent(TavikUI::kEventMouseMove, {10, 10}));
    Send(MakeEvent(TavikUI::kEventButtonUp, {10, 10}));
    EXPECT_EQ(root_->seen, (std::vector<int>{TavikUI::kEventMouseMove, TavikUI::kEventButtonUp}));
}

TEST_F(ContainerEventTest, ContainerThatIgnoresTheMouseHandsMouseEventsUp) {
    stub_->SetAcceptsMouse(false);
    Send(MakeEvent(TavikUI::kEventButtonDown, {10, 10}));
    Send(MakeEvent(TavikUI::kEventScrollWheel, {10, 10}, 1));
    EXPECT_EQ(Vertical(), 0);
    EXPECT_EQ(root_->seen, (std::vector<int>{TavikUI::kEventButtonDown, TavikUI::kEventScrollWheel}));
}

TEST_F(ContainerEventTest, FocusEventsOnlySetTheFlag) {
    Send(MakeEvent(TavikUI::kEventSetFocus));
    EXPECT_TRUE(stub_->IsFocused());
    Send(MakeEvent(TavikUI::kEventKillFocus));
    EXPECT_FALSE(stub_->IsFocused());
    EXPECT_TRUE(root_->seen.empty());
}

}  // namespace
