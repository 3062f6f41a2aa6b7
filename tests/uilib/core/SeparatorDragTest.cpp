#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "ControlTestSupport.h"
#include "HorizontalLayoutUI.h"
#include "LayoutTestSupport.h"
#include "VerticalLayoutUI.h"

using ContainerTests::MakeEvent;
using ControlTests::ManagedWindow;
using ControlTests::PixelCanvas;
using LayoutTests::RectIs;
using LayoutTests::SizedChild;
using TavikUI::CControlUI;
using TavikUI::CHorizontalLayoutUI;
using TavikUI::CUIRect;
using TavikUI::CVerticalLayoutUI;
using TavikUI::CWindowManager;
using TavikUI::UIEvent;

namespace {

void Send(CControlUI* target, int type, int x, int y) {
    UIEvent event = MakeEvent(type, POINT{x, y});
    event.sender = target;
    target->DeliverEvent(event);
}

// Registration probe: unregistering answers whether the control was
// registered; a registered one is registered again.
bool IsPostPaintRegistered(CWindowManager& manager, CControlUI* control) {
    const bool registered = manager.UnregisterPostPaintControl(control);
    if (registered) {
        manager.RegisterPostPaintControl(control);
    }
    return registered;
}

// An outer vertical layout (200 x 300) holding a 100-pixel vertical layout
// with a 4-pixel separator at its bottom (limits 40..150) and an automatic
// control below it.
class VerticalSeparatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        outer_ = std::make_unique<CVerticalLayoutUI>();
        sized_ = new CVerticalLayoutUI();
        sized_->ApplyAttribute(L"sepheight", L"4");
        sized_->ApplyAttribute(L"height", L"100");
        sized_->ApplyAttribute(L"minheight", L"40");
        sized_->ApplyAttribute(L"maxheight", L"150");
        below_ = SizedChild(0, 0);
        ASSERT_TRUE(outer_->AddChild(sized_));
        ASSERT_TRUE(outer_->AddChild(below_));
        Relayout();
    }
    void Relayout() { outer_->Place(CUIRect(0, 0, 200, 300)); }

    std::unique_ptr<CVerticalLayoutUI> outer_;
    CVerticalLayoutUI* sized_ = nullptr;
    CControlUI* below_ = nullptr;
};

TEST_F(VerticalSeparatorTest, StripIsTheBottomEdgeAndWantsSetCursorEvents) {
    EXPECT_TRUE(RectIs(sized_->SeparatorStrip(sized_->Rect()), 0, 96, 200, 100));
    EXPECT_EQ(sized_->BehaviourFlags(), static_cast<UINT>(TavikUI::kBehaviourSetCursor));
    sized_->SetEnabledState(false);
    EXPECT_EQ(sized_->BehaviourFlags(), 0u);
    EXPECT_EQ(outer_->BehaviourFlags(), 0u);
}

TEST_F(VerticalSeparatorTest, ImmediateDragResizesTheLayoutAsThePointerMoves) {
    sized_->SetSeparatorImmediate(true);
    Send(sized_, TavikUI::kEventButtonDown, 50, 98);
    ASSERT_TRUE(sized_->IsDragging());
    Send(sized_, TavikUI::kEventMouseMove, 50, 130);
    EXPECT_TRUE(RectIs(sized_->Rect(), 0, 0, 200, 132));
    EXPECT_EQ(sized_->DeclaredHeight(), 132);
    EXPECT_TRUE(outer_->NeedsLayout());
    Relayout();
    EXPECT_TRUE(RectIs(sized_->Rect(), 0, 0, 200, 132));
    EXPECT_TRUE(RectIs(below_->Rect(), 0, 132, 200, 300));
    Send(sized_, TavikUI::kEventButtonUp, 50, 130);
    EXPECT_FALSE(sized_->IsDragging());
}

TEST_F(VerticalSeparatorTest, PressOutsideTheStripStartsNoDrag) {
    Send(sized_, TavikUI::kEventButtonDown, 50, 95);
    EXPECT_FALSE(sized_->IsDragging());
    sized_->SetEnabledState(false);
    Send(sized_, TavikUI::kEventButtonDown, 50, 98);
    EXPECT_FALSE(sized_->IsDragging());
}

TEST_F(VerticalSeparatorTest, SmallMovesDownInsideTheStripAreIgnored) {
    sized_->SetSeparatorImmediate(true);
    Send(sized_, TavikUI::kEventButtonDown, 50, 98);
    // Down, but still above the bottom plus the separator size.
    Send(sized_, TavikUI::kEventMouseMove, 50, 101);
    EXPECT_EQ(sized_->Rect().bottom, 100);
    // The ignored move still became the last point: this one moves by 5.
    Send(sized_, TavikUI::kEventMouseMove, 50, 106);
    EXPECT_EQ(sized_->Rect().bottom, 105);
    Send(sized_, TavikUI::kEventMouseMove, 50, 108);
    EXPECT_EQ(sized_->Rect().bottom, 105);
    // Up while below the bottom edge is ignored too.
    Send(sized_, TavikUI::kEventMouseMove, 50, 107);
    EXPECT_EQ(sized_->Rect().bottom, 105);
}

TEST_F(VerticalSeparatorTest, DragStopsAtTheMinimumHeight) {
    sized_->SetSeparatorImmediate(true);
    Send(sized_, TavikUI::kEventButtonDown, 50, 98);
    Send(sized_, TavikUI::kEventMouseMove, 50, 20);
    EXPECT_EQ(sized_->Rect().Height(), 40);
    Send(sized_, TavikUI::kEventMouseMove, 50, 10);
    EXPECT_EQ(sized_->Rect().Height(), 40);
    EXPECT_EQ(sized_->DeclaredHeight(), 40);
}

TEST_F(VerticalSeparatorTest, DragStopsAtTheMaximumHeight) {
    sized_->SetSeparatorImmediate(true);
    Send(sized_, TavikUI::kEventButtonDown, 50, 98);
    Send(sized_, TavikUI::kEventMouseMove, 50, 290);
    EXPECT_EQ(sized_->Rect().Height(), 150);
    Send(sized_, TavikUI::kEventMouseMove, 50, 299);
    EXPECT_EQ(sized_->Rect().Height(), 150);
}

TEST_F(VerticalSeparatorTest, TopSeparatorMovesTheTopEdge) {
    sized_->SetSeparatorSize(-4);
    sized_->Place(CUIRect(0, 50, 200, 150));
    EXPECT_TRUE(RectIs(sized_->SeparatorStrip(sized_->Rect()), 0, 50, 200, 54));
    Send(sized_, TavikUI::kEventButtonDown, 50, 52);
    ASSERT_TRUE(sized_->IsDragging());
    Send(sized_, TavikUI::kEventMouseMove, 50, 30);
    EXPECT_TRUE(RectIs(sized_->DragRect(), 0, 28, 200, 150));
    EXPECT_EQ(sized_->DeclaredHeight(), 122);
    Send(sized_, TavikUI::kEventMouseMove, 50, 10);
    EXPECT_EQ(sized_->DragRect().top, 8);
    // Up while below the top edge plus the (negative) size is ignored, and
    // so is down while above the top edge.
    Send(sized_, TavikUI::kEventMouseMove, 50, 5);
    EXPECT_EQ(sized_->DragRect().top, 8);
    Send(sized_, TavikUI::kEventMouseMove, 50, 6);
    EXPECT_EQ(sized_->DragRect().top, 8);
    Send(sized_, TavikUI::kEventButtonUp, 50, 6);
    EXPECT_TRUE(RectIs(sized_->Rect(), 0, 8, 200, 150));
}

TEST_F(VerticalSeparatorTest, StripOfALargeSeparatorIsClampedToTheRectangle) {
    sized_->SetSeparatorSize(500);
    EXPECT_TRUE(RectIs(sized_->SeparatorStrip(CUIRect(0, 0, 10, 100)), 0, 0, 10, 100));
    sized_->SetSeparatorSize(-500);
    EXPECT_TRUE(RectIs(sized_->SeparatorStrip(CUIRect(0, 0, 10, 100)), 0, 0, 10, 100));
    sized_->SetSeparatorSize(0);
    const CUIRect none = sized_->SeparatorStrip(CUIRect(0, 0, 10, 100));
    EXPECT_TRUE(IsRectEmpty(&none));
}

TEST_F(VerticalSeparatorTest, WithoutASeparatorEventsGoToTheContainer) {
    sized_->SetSeparatorSize(0);
    Send(sized_, TavikUI::kEventButtonDown, 50, 99);
    EXPECT_FALSE(sized_->IsDragging());
    EXPECT_EQ(sized_->BehaviourFlags(), 0u);
}

TEST(HorizontalSeparatorTest, StripIsNotClampedAndThresholdsSubtractTheSize) {
    CHorizontalLayoutUI layout;
    layout.ApplyAttribute(L"sepwidth", L"4");
    layout.ApplyAttribute(L"sepimm", L"true");
    layout.Place(CUIRect(0, 0, 100, 50));
    EXPECT_TRUE(RectIs(layout.SeparatorStrip(CUIRect(0, 0, 100, 50)), 96, 0, 100, 50));
    EXPECT_TRUE(RectIs(layout.SeparatorStrip(CUIRect(0, 0, 2, 50)), -2, 0, 2, 50));
    Send(&layout, TavikUI::kEventButtonDown, 98, 10);
    ASSERT_TRUE(layout.IsDragging());
    // A move of one pixel inside the strip counts for the horizontal layout.
    Send(&layout, TavikUI::kEventMouseMove, 99, 10);
    EXPECT_TRUE(RectIs(layout.Rect(), 0, 0, 101, 50));
    EXPECT_EQ(layout.DeclaredWidth(), 101);
    Send(&layout, TavikUI::kEventMouseMove, 120, 10);
    EXPECT_EQ(layout.Rect().right, 122);
    Send(&layout, TavikUI::kEventButtonUp, 120, 10);
    EXPECT_FALSE(layout.IsDragging());
}

TEST(HorizontalSeparatorTest, LeftSeparatorMovesTheLeftEdgeWithinTheLimits) {
    CHorizontalLayoutUI layout;
    layout.ApplyAttribute(L"sepwidth", L"-6");
    layout.ApplyAttribute(L"sepimm", L"true");
    layout.ApplyAttribute(L"minwidth", L"30");
    layout.Place(CUIRect(100, 0, 200, 50));
    EXPECT_TRUE(RectIs(layout.SeparatorStrip(layout.Rect()), 100, 0, 106, 50));
    Send(&layout, TavikUI::kEventButtonDown, 103, 10);
    Send(&layout, TavikUI::kEventMouseMove, 80, 10);
    EXPECT_TRUE(RectIs(layout.Rect(), 77, 0, 200, 50));
    Send(&layout, TavikUI::kEventMouseMove, 190, 10);
    EXPECT_TRUE(RectIs(layout.Rect(), 170, 0, 200, 50));
}

// The same drags through a window and its manager.
class SeparatorWindowTest : public VerticalSeparatorTest {
protected:
    void SetUp() override {
        SetCursorPos(1200, 1000);
        ASSERT_NE(window_.Handle(), nullptr) << "no X display?";
        VerticalSeparatorTest::SetUp();
        root_ = outer_.release();
        ASSERT_TRUE(window_.manager.AttachRoot(root_));
        root_->Place(CUIRect(0, 0, 200, 300));
    }
    void TearDown() override { ReleaseCapture(); }
    LRESULT Message(UINT message, WPARAM wParam, int x, int y) {
        return SendMessageW(window_.Handle(), message, wParam, MAKELPARAM(x, y));
    }

    ManagedWindow window_;
    CControlUI* root_ = nullptr;
};

TEST_F(SeparatorWindowTest, PendingDragDrawsABarAndResizesOnRelease) {
    Message(WM_LBUTTONDOWN, MK_LBUTTON, 50, 98);
    ASSERT_TRUE(sized_->IsDragging());
    EXPECT_TRUE(IsPostPaintRegistered(window_.manager, sized_));
    Message(WM_MOUSEMOVE, MK_LBUTTON, 50, 130);
    // The layout keeps its place until the release; the bar shows the edge.
    EXPECT_TRUE(RectIs(sized_->Rect(), 0, 0, 200, 100));
    EXPECT_TRUE(RectIs(sized_->DragRect(), 0, 0, 200, 132));
    EXPECT_EQ(sized_->DeclaredHeight(), 132);
    {
        PixelCanvas canvas(200, 300);
        sized_->PostPaint(canvas.DC(), CUIRect(0, 0, 200, 300));
        EXPECT_NE(canvas.At(50, 130), 0xFFFFFFu);
        EXPECT_EQ(canvas.At(50, 127), 0xFFFFFFu);
        EXPECT_EQ(canvas.At(50, 98), 0xFFFFFFu);
    }
    Message(WM_LBUTTONUP, 0, 50, 130);
    EXPECT_FALSE(sized_->IsDragging());
    EXPECT_FALSE(IsPostPaintRegistered(window_.manager, sized_));
    EXPECT_TRUE(RectIs(sized_->Rect(), 0, 0, 200, 132));
    root_->Place(root_->Rect());
    EXPECT_TRUE(RectIs(below_->Rect(), 0, 132, 200, 300));
    PixelCanvas canvas(200, 300);
    sized_->PostPaint(canvas.DC(), CUIRect(0, 0, 200, 300));
    EXPECT_EQ(canvas.At(50, 130), 0xFFFFFFu);
}

TEST_F(SeparatorWindowTest, SwitchingToImmediateDuringADragDropsThePostPaintRegistration) {
    Message(WM_LBUTTONDOWN, MK_LBUTTON, 50, 98);
    ASSERT_TRUE(IsPostPaintRegistered(window_.manager, sized_));
    sized_->ApplyAttribute(L"sepimm", L"true");
    EXPECT_FALSE(IsPostPaintRegistered(window_.manager, sized_));
    Message(WM_MOUSEMOVE, MK_LBUTTON, 50, 130);
    EXPECT_TRUE(RectIs(sized_->Rect(), 0, 0, 200, 132));
    Message(WM_LBUTTONUP, 0, 50, 130);
}

TEST_F(SeparatorWindowTest, LayoutLeavingItsManagerMidDragIsNoLongerPostPainted) {
    Message(WM_LBUTTONDOWN, MK_LBUTTON, 50, 98);
    ASSERT_TRUE(IsPostPaintRegistered(window_.manager, sized_));
    static_cast<TavikUI::CContainerUI*>(root_)->RemoveChild(sized_);
    EXPECT_FALSE(IsPostPaintRegistered(window_.manager, sized_));
    Message(WM_LBUTTONUP, 0, 50, 130);
}

TEST_F(SeparatorWindowTest, SetCursorOverTheStripShowsTheResizeCursor) {
    Send(sized_, TavikUI::kEventSetCursor, 50, 98);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZENS));
    Send(sized_, TavikUI::kEventSetCursor, 50, 50);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    CHorizontalLayoutUI horizontal;
    horizontal.SetSeparatorSize(4);
    horizontal.Place(CUIRect(0, 0, 100, 50));
    Send(&horizontal, TavikUI::kEventSetCursor, 98, 10);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
}

}  // namespace
