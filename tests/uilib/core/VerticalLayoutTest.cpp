#include <gtest/gtest.h>

#include <memory>

#include "LayoutTestSupport.h"
#include "ScrollBarUI.h"
#include "VerticalLayoutUI.h"

using LayoutTests::ChildGeometry;
using LayoutTests::FloatingChild;
using LayoutTests::HeightOf;
using LayoutTests::MakeChild;
using LayoutTests::RectIs;
using LayoutTests::SizedChild;
using LayoutTests::WidthOf;
using TavikUI::CControlUI;
using TavikUI::CScrollBarUI;
using TavikUI::CUIRect;
using TavikUI::CUISize;
using TavikUI::CVerticalLayoutUI;

namespace {

class VerticalLayoutTest : public ::testing::Test {
protected:
    CControlUI* Add(CControlUI* child) {
        EXPECT_TRUE(layout_.AddChild(child));
        return child;
    }
    void PlaceAt(int width, int height) { layout_.Place(CUIRect(0, 0, width, height)); }

    CVerticalLayoutUI layout_;
};

TEST_F(VerticalLayoutTest, AutomaticChildrenShareTheHeightAndTheLastTakesTheRemainder) {
    CControlUI* a = Add(SizedChild(0, 0));
    CControlUI* b = Add(SizedChild(0, 0));
    CControlUI* c = Add(SizedChild(0, 0));
    PlaceAt(200, 100);
    EXPECT_TRUE(RectIs(a->Rect(), 0, 0, 200, 33));
    EXPECT_TRUE(RectIs(b->Rect(), 0, 33, 200, 66));
    EXPECT_TRUE(RectIs(c->Rect(), 0, 66, 200, 100));
}

TEST_F(VerticalLayoutTest, ChildPaddingReducesTheLastShareTwice) {
    layout_.SetChildPadding(5);
    CControlUI* a = Add(SizedChild(0, 0));
    CControlUI* b = Add(SizedChild(0, 0));
    CControlUI* c = Add(SizedChild(0, 0));
    PlaceAt(200, 100);
    EXPECT_EQ(HeightOf(a), 30);
    EXPECT_EQ(HeightOf(b), 30);
    EXPECT_EQ(HeightOf(c), 20);
    EXPECT_EQ(b->Rect().top, 35);
    EXPECT_EQ(c->Rect().top, 70);
}

TEST_F(VerticalLayoutTest, FixedChildrenKeepTheirHeightAndAutomaticOnesShareTheRest) {
    CControlUI* fixed = Add(SizedChild(0, 40));
    CControlUI* automatic = Add(SizedChild(0, 0));
    CControlUI* last = Add(SizedChild(0, 15));
    PlaceAt(120, 100);
    EXPECT_TRUE(RectIs(fixed->Rect(), 0, 0, 120, 40));
    EXPECT_TRUE(RectIs(automatic->Rect(), 0, 40, 120, 85));
    EXPECT_TRUE(RectIs(last->Rect(), 0, 85, 120, 100));
}

TEST_F(VerticalLayoutTest, FixedHeightBelowTheMinimumIsRaisedBeforeTheShareIsComputed) {
    ChildGeometry small;
    small.height = 10;
    small.minHeight = 30;
    CControlUI* fixed = Add(MakeChild(small));
    CControlUI* automatic = Add(SizedChild(0, 0));
    PlaceAt(100, 100);
    EXPECT_EQ(HeightOf(fixed), 30);
    EXPECT_TRUE(RectIs(automatic->Rect(), 0, 30, 100, 100));
}

TEST_F(VerticalLayoutTest, HeightsAreClampedToTheChildsLimits) {
    ChildGeometry tall;
    tall.height = 80;
    tall.maxHeight = 25;
    ChildGeometry capped;
    capped.maxHeight = 20;
    ChildGeometry floor;
    floor.minHeight = 50;
    CControlUI* a = Add(MakeChild(tall));
    CControlUI* b = Add(MakeChild(capped));
    CControlUI* c = Add(MakeChild(floor));
    PlaceAt(100, 100);
    EXPECT_EQ(HeightOf(a), 25);
    // The share is (100 - 25) / 2 = 37, capped at 20.
    EXPECT_EQ(HeightOf(b), 20);
    // The last automatic child takes what remains: 100 - 25 - 20 = 55.
    EXPECT_EQ(HeightOf(c), 55);
}

TEST_F(VerticalLayoutTest, ChildRectangleReachesOverItsBottomPadding) {
    layout_.SetChildPadding(3);
    ChildGeometry padded;
    padded.height = 20;
    padded.padding = {0, 0, 0, 4};
    CControlUI* first = Add(MakeChild(padded));
    CControlUI* second = Add(SizedChild(0, 10));
    PlaceAt(100, 100);
    EXPECT_TRUE(RectIs(first->Rect(), 0, 0, 100, 24));
    EXPECT_EQ(second->Rect().top, 24 + 3);
}

TEST_F(VerticalLayoutTest, PaddingsMoveAndNarrowTheChild) {
    ChildGeometry padded;
    padded.height = 20;
    padded.padding = {5, 6, 7, 8};
    CControlUI* child = Add(MakeChild(padded));
    CControlUI* next = Add(SizedChild(0, 10));
    PlaceAt(100, 100);
    EXPECT_TRUE(RectIs(child->Rect(), 5, 6, 93, 34));
    EXPECT_EQ(next->Rect().top, 34);
}

TEST_F(VerticalLayoutTest, WidthIsDeclaredOrFullAndClampedToLimits) {
    CControlUI* declared = Add(SizedChild(60, 10));
    ChildGeometry narrow;
    narrow.height = 10;
    narrow.maxWidth = 50;
    CControlUI* capped = Add(MakeChild(narrow));
    ChildGeometry wide;
    wide.height = 10;
    wide.width = 20;
    wide.minWidth = 40;
    CControlUI* raised = Add(MakeChild(wide));
    ChildGeometry overPadded;
    overPadded.height = 10;
    overPadded.padding = {80, 0, 80, 0};
    CControlUI* squeezed = Add(MakeChild(overPadded));
    PlaceAt(150, 100);
    EXPECT_EQ(WidthOf(declared), 60);
    EXPECT_EQ(WidthOf(capped), 50);
    EXPECT_EQ(WidthOf(raised), 40);
    EXPECT_EQ(WidthOf(squeezed), 0);
}

TEST_F(VerticalLayoutTest, InsetShrinksTheAreaGivenToChildren) {
    layout_.SetInsetRect(CUIRect(10, 20, 30, 40));
    CControlUI* a = Add(SizedChild(0, 0));
    PlaceAt(200, 200);
    EXPECT_TRUE(RectIs(a->Rect(), 10, 20, 170, 160));
}

TEST_F(VerticalLayoutTest, AutomaticShareIsZeroWhenFixedChildrenOverflow) {
    CControlUI* fixed = Add(SizedChild(0, 150));
    CControlUI* automatic = Add(SizedChild(0, 0));
    PlaceAt(100, 100);
    EXPECT_EQ(HeightOf(fixed), 150);
    EXPECT_EQ(HeightOf(automatic), 0);
    EXPECT_EQ(automatic->Rect().top, 150);
}

TEST_F(VerticalLayoutTest, ChildrenAreOfferedTheFullAreaThenWhatRemains) {
    layout_.SetChildPadding(2);
    Add(SizedChild(0, 30));
    auto* probe = new LayoutTests::ProbeControl();
    probe->SetPadding(CUIRect(0, 5, 0, 0));
    Add(probe);
    PlaceAt(120, 100);
    ASSERT_EQ(probe->offers.size(), 2u);
    EXPECT_TRUE(LayoutTests::SameSize(probe->offers[0], 120, 100));
    // 100 less the first child, the child padding and its own top padding.
    EXPECT_TRUE(LayoutTests::SameSize(probe->offers[1], 120, 100 - 30 - 2 - 5));
}

TEST_F(VerticalLayoutTest, HiddenChildrenAreSkippedAndFloatingOnesPlacedByOffset) {
    CControlUI* hidden = Add(SizedChild(0, 40));
    hidden->ShowOrHide(false);
    CControlUI* floating = Add(FloatingChild(-10, -10, 20, 20));
    CControlUI* a = Add(SizedChild(0, 0));
    CControlUI* b = Add(SizedChild(0, 0));
    layout_.Place(CUIRect(50, 50, 250, 150));
    EXPECT_TRUE(RectIs(floating->Rect(), 220, 120, 240, 140));
    EXPECT_TRUE(RectIs(a->Rect(), 50, 50, 250, 100));
    EXPECT_TRUE(RectIs(b->Rect(), 50, 100, 250, 150));
    EXPECT_TRUE(RectIs(hidden->Rect(), 0, 0, 0, 0));
}

TEST_F(VerticalLayoutTest, OverflowShowsTheVerticalBarAndNarrowsTheChildren) {
    layout_.CreateScrollBars(true, false);
    CScrollBarUI* bar = layout_.VerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    CControlUI* a = Add(SizedChild(0, 60));
    Add(SizedChild(0, 60));
    CControlUI* c = Add(SizedChild(0, 60));
    PlaceAt(200, 100);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->Range(), 80);
    EXPECT_TRUE(RectIs(bar->Rect(), 184, 0, 200, 100));
    EXPECT_TRUE(RectIs(a->Rect(), 0, 0, 184, 60));
    EXPECT_TRUE(RectIs(c->Rect(), 0, 120, 184, 180));
}

TEST_F(VerticalLayoutTest, ScrollPositionMovesChildrenAndSurvivesRelayout) {
    layout_.CreateScrollBars(true, false);
    CControlUI* a = Add(SizedChild(0, 60));
    CControlUI* b = Add(SizedChild(0, 60));
    Add(SizedChild(0, 60));
    PlaceAt(200, 100);
    layout_.SetScrollPosition(CUISize(0, 30));
    EXPECT_EQ(layout_.VerticalScrollBar()->Position(), 30);
    EXPECT_EQ(a->Rect().top, -30);
    EXPECT_EQ(b->Rect().top, 30);
    PlaceAt(200, 100);
    EXPECT_EQ(a->Rect().top, -30);
    EXPECT_EQ(b->Rect().top, 30);
}

TEST_F(VerticalLayoutTest, ContentThatFitsHidesTheVerticalBar) {
    layout_.CreateScrollBars(true, false);
    CControlUI* a = Add(SizedChild(0, 30));
    PlaceAt(200, 100);
    EXPECT_FALSE(layout_.VerticalScrollBar()->IsVisible());
    EXPECT_EQ(WidthOf(a), 200);
}

TEST_F(VerticalLayoutTest, VisibleHorizontalBarWidensTheAvailableWidth) {
    layout_.CreateScrollBars(false, true);
    CScrollBarUI* bar = layout_.HorizontalScrollBar();
    ASSERT_NE(bar, nullptr);
    bar->SetRange(50);
    CControlUI* a = Add(SizedChild(0, 0));
    PlaceAt(200, 100);
    // 200 wide plus the bar's range; the bar's height is kept free below.
    EXPECT_TRUE(RectIs(a->Rect(), 0, 0, 250, 100 - bar->DeclaredHeight()));
}

TEST_F(VerticalLayoutTest, AttributesAndInterfaces) {
    layout_.ApplyAttribute(L"sepheight", L"6");
    layout_.ApplyAttribute(L"sepimm", L"true");
    layout_.ApplyAttribute(L"childpadding", L"4");
    EXPECT_EQ(layout_.SeparatorSize(), 6);
    EXPECT_TRUE(layout_.IsSeparatorImmediate());
    EXPECT_EQ(layout_.ChildPadding(), 4);
    layout_.ApplyAttribute(L"sepimm", L"TRUE");
    EXPECT_FALSE(layout_.IsSeparatorImmediate());
    EXPECT_STREQ(layout_.ClassName(), L"VerticalLayoutUI");
    EXPECT_EQ(layout_.InterfaceByName(L"VerticalLayout"), &layout_);
    EXPECT_NE(layout_.InterfaceByName(L"IContainer"), nullptr);
    EXPECT_EQ(layout_.InterfaceByName(L"HorizontalLayout"), nullptr);
}

}  // namespace
