#include <gtest/gtest.h>

#include "HorizontalLayoutUI.h"
#include "LayoutTestSupport.h"
#include "ScrollBarUI.h"

using LayoutTests::ChildGeometry;
using LayoutTests::FloatingChild;
using LayoutTests::HeightOf;
using LayoutTests::MakeChild;
using LayoutTests::RectIs;
using LayoutTests::SizedChild;
using LayoutTests::WidthOf;
using TavikUI::CControlUI;
using TavikUI::CHorizontalLayoutUI;
using TavikUI::CScrollBarUI;
using TavikUI::CUIRect;
using TavikUI::CUISize;

namespace {

class HorizontalLayoutTest : public ::testing::Test {
protected:
    CControlUI* Add(CControlUI* child) {
        EXPECT_TRUE(layout_.AddChild(child));
        return child;
    }
    void PlaceAt(int width, int height) { layout_.Place(CUIRect(0, 0, width, height)); }

    CHorizontalLayoutUI layout_;
};

TEST_F(HorizontalLayoutTest, AutomaticChildrenShareTheWidthAndTheLastTakesTheRemainder) {
    CControlUI* a = Add(SizedChild(0, 0));
    CControlUI* b = Add(SizedChild(0, 0));
    CControlUI* c = Add(SizedChild(0, 0));
    PlaceAt(100, 50);
    EXPECT_TRUE(RectIs(a->Rect(), 0, 0, 33, 50));
    EXPECT_TRUE(RectIs(b->Rect(), 33, 0, 66, 50));
    EXPECT_TRUE(RectIs(c->Rect(), 66, 0, 100, 50));
}

TEST_F(HorizontalLayoutTest, ChildPaddingReducesTheLastShareTwice) {
    layout_.SetChildPadding(5);
    CControlUI* a = Add(SizedChild(0, 0));
    CControlUI* b = Add(SizedChild(0, 0));
    CControlUI* c = Add(SizedChild(0, 0));
    PlaceAt(100, 50);
    EXPECT_EQ(WidthOf(a), 30);
    EXPECT_EQ(WidthOf(b), 30);
    EXPECT_EQ(WidthOf(c), 20);
    EXPECT_EQ(b->Rect().left, 35);
    EXPECT_EQ(c->Rect().left, 70);
}

TEST_F(HorizontalLayoutTest, FixedWidthsAreClampedAndAutomaticOnesShareTheRest) {
    ChildGeometry small;
    small.width = 10;
    small.minWidth = 30;
    ChildGeometry large;
    large.width = 90;
    large.maxWidth = 40;
    CControlUI* raised = Add(MakeChild(small));
    CControlUI* automatic = Add(SizedChild(0, 0));
    CControlUI* lowered = Add(MakeChild(large));
    PlaceAt(200, 50);
    EXPECT_TRUE(RectIs(raised->Rect(), 0, 0, 30, 50));
    EXPECT_TRUE(RectIs(automatic->Rect(), 30, 0, 160, 50));
    EXPECT_TRUE(RectIs(lowered->Rect(), 160, 0, 200, 50));
}

TEST_F(HorizontalLayoutTest, ChildRectangleReachesOverItsRightPaddingAndTopIsFixed) {
    ChildGeometry padded;
    padded.width = 20;
    padded.padding = {3, 4, 5, 6};
    CControlUI* first = Add(MakeChild(padded));
    CControlUI* second = Add(SizedChild(10, 0));
    PlaceAt(100, 50);
    // Height: 50 less the top and bottom paddings; the rectangle does not
    // reach over the bottom padding.
    EXPECT_TRUE(RectIs(first->Rect(), 3, 4, 3 + 20 + 5, 44));
    EXPECT_EQ(second->Rect().left, 28);
}

TEST_F(HorizontalLayoutTest, HeightIsDeclaredOrFullAndClampedToLimits) {
    CControlUI* declared = Add(SizedChild(10, 20));
    ChildGeometry capped;
    capped.width = 10;
    capped.maxHeight = 30;
    CControlUI* lowered = Add(MakeChild(capped));
    ChildGeometry overPadded;
    overPadded.width = 10;
    overPadded.padding = {0, 40, 0, 40};
    CControlUI* squeezed = Add(MakeChild(overPadded));
    PlaceAt(100, 50);
    EXPECT_EQ(HeightOf(declared), 20);
    EXPECT_EQ(HeightOf(lowered), 30);
    EXPECT_EQ(HeightOf(squeezed), 0);
}

TEST_F(HorizontalLayoutTest, FloatingChildrenArePlacedByOffsetAndTakeNoShare) {
    CControlUI* floating = Add(FloatingChild(5, 6, 20, 10));
    CControlUI* a = Add(SizedChild(0, 0));
    CControlUI* b = Add(SizedChild(0, 0));
    layout_.Place(CUIRect(100, 100, 300, 150));
    EXPECT_TRUE(RectIs(floating->Rect(), 105, 106, 125, 116));
    EXPECT_TRUE(RectIs(a->Rect(), 100, 100, 200, 150));
    EXPECT_TRUE(RectIs(b->Rect(), 200, 100, 300, 150));
}

TEST_F(HorizontalLayoutTest, HorizontalBarRangeWidensTheAreaAndItsPositionMovesChildren) {
    layout_.CreateScrollBars(false, true);
    CScrollBarUI* bar = layout_.HorizontalScrollBar();
    ASSERT_NE(bar, nullptr);
    CControlUI* a = Add(SizedChild(0, 0));
    CControlUI* b = Add(SizedChild(0, 0));
    PlaceAt(200, 100);
    // The bar keeps the range it was given (100 at construction).
    EXPECT_EQ(bar->Range(), 100);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_TRUE(RectIs(bar->Rect(), 0, 84, 200, 100));
    EXPECT_TRUE(RectIs(a->Rect(), 0, 0, 150, 84));
    EXPECT_TRUE(RectIs(b->Rect(), 150, 0, 300, 84));
    layout_.SetScrollPosition(CUISize(40, 0));
    EXPECT_EQ(a->Rect().left, -40);
    PlaceAt(200, 100);
    EXPECT_EQ(a->Rect().left, -40);
    EXPECT_EQ(b->Rect().left, 110);
}

TEST_F(HorizontalLayoutTest, PlacementHidesItsVerticalBar) {
    layout_.CreateScrollBars(true, false);
    Add(SizedChild(0, 500));
    PlaceAt(200, 100);
    EXPECT_FALSE(layout_.VerticalScrollBar()->IsVisible());
}

TEST_F(HorizontalLayoutTest, EmptyLayoutTakesNoBarSpaceFromItsArea) {
    // Without children no bar space is taken off, so the horizontal bar goes
    // below the full area.
    layout_.CreateScrollBars(true, true);
    PlaceAt(200, 100);
    EXPECT_TRUE(RectIs(layout_.Rect(), 0, 0, 200, 100));
    EXPECT_TRUE(RectIs(layout_.HorizontalScrollBar()->Rect(), 0, 100, 200, 116));
}

TEST_F(HorizontalLayoutTest, AttributesAndInterfaces) {
    layout_.ApplyAttribute(L"sepwidth", L"-5");
    EXPECT_EQ(layout_.SeparatorSize(), -5);
    layout_.ApplyAttribute(L"sepheight", L"7");
    EXPECT_EQ(layout_.SeparatorSize(), -5);
    EXPECT_STREQ(layout_.ClassName(), L"HorizontalLayoutUI");
    EXPECT_EQ(layout_.InterfaceByName(L"HorizontalLayout"), &layout_);
    EXPECT_EQ(layout_.InterfaceByName(L"Container"), &layout_);
    EXPECT_EQ(layout_.InterfaceByName(L"VerticalLayout"), nullptr);
}

}  // namespace
