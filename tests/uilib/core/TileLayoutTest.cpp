#include <gtest/gtest.h>

#include <vector>

#include "LayoutTestSupport.h"
#include "ScrollBarUI.h"
#include "TileLayoutUI.h"

using LayoutTests::ChildGeometry;
using LayoutTests::FloatingChild;
using LayoutTests::MakeChild;
using LayoutTests::RectIs;
using LayoutTests::SizedChild;
using TavikUI::CControlUI;
using TavikUI::CTileLayoutUI;
using TavikUI::CUIRect;
using TavikUI::CUISize;

namespace {

class TileLayoutTest : public ::testing::Test {
protected:
    CControlUI* Add(CControlUI* child) {
        EXPECT_TRUE(layout_.AddChild(child));
        return child;
    }
    std::vector<CControlUI*> AddSized(int count, int width, int height) {
        std::vector<CControlUI*> added;
        for (int i = 0; i < count; ++i) {
            added.push_back(Add(SizedChild(width, height)));
        }
        return added;
    }

    CTileLayoutUI layout_;
};

TEST_F(TileLayoutTest, ItemWidthDecidesTheColumnsAndChildrenAreCentredInTheirCells) {
    layout_.ApplyAttribute(L"itemsize", L"100,50");
    const std::vector<CControlUI*> items = AddSized(4, 40, 30);
    layout_.Place(CUIRect(0, 0, 300, 200));
    EXPECT_EQ(layout_.Columns(), 3);
    EXPECT_TRUE(RectIs(items[0]->Rect(), 30, 0, 70, 30));
    EXPECT_TRUE(RectIs(items[1]->Rect(), 130, 0, 170, 30));
    EXPECT_TRUE(RectIs(items[2]->Rect(), 230, 0, 270, 30));
    EXPECT_TRUE(RectIs(items[3]->Rect(), 30, 30, 70, 60));
}

TEST_F(TileLayoutTest, NarrowerLayoutUsesFewerColumns) {
    layout_.SetItemSize(CUISize(100, 50));
    const std::vector<CControlUI*> items = AddSized(3, 40, 30);
    layout_.Place(CUIRect(0, 0, 250, 200));
    EXPECT_EQ(layout_.Columns(), 2);
    // Cells of 125: (0 + 125 - 40) / 2 = 42.
    EXPECT_TRUE(RectIs(items[0]->Rect(), 42, 0, 82, 30));
    EXPECT_TRUE(RectIs(items[1]->Rect(), 167, 0, 207, 30));
    EXPECT_TRUE(RectIs(items[2]->Rect(), 42, 30, 82, 60));
}

TEST_F(TileLayoutTest, AreaNarrowerThanOneItemStillHasOneColumn) {
    layout_.SetItemSize(CUISize(100, 50));
    layout_.SetInsetRect(CUIRect(0, 0, 100, 0));
    const std::vector<CControlUI*> items = AddSized(2, 10, 10);
    layout_.Place(CUIRect(0, 0, 60, 100));
    EXPECT_EQ(layout_.Columns(), 1);
    EXPECT_EQ(items[1]->Rect().top, 10);
}

TEST_F(TileLayoutTest, ColumnsAttributeSetsTheGridAndNonPositiveValuesAreIgnored) {
    layout_.ApplyAttribute(L"columns", L"2");
    layout_.ApplyAttribute(L"columns", L"0");
    layout_.ApplyAttribute(L"columns", L"-3");
    EXPECT_EQ(layout_.Columns(), 2);
    const std::vector<CControlUI*> items = AddSized(3, 0, 20);
    layout_.Place(CUIRect(0, 0, 300, 100));
    // Zero widths take the whole cell of 150.
    EXPECT_TRUE(RectIs(items[0]->Rect(), 0, 0, 150, 20));
    EXPECT_TRUE(RectIs(items[1]->Rect(), 150, 0, 300, 20));
    EXPECT_TRUE(RectIs(items[2]->Rect(), 0, 20, 150, 40));
}

TEST_F(TileLayoutTest, RowIsAsHighAsItsTallestChild) {
    layout_.SetColumns(2);
    CControlUI* low = Add(SizedChild(20, 20));
    CControlUI* tall = Add(SizedChild(20, 40));
    CControlUI* automatic = Add(SizedChild(20, 0));
    CControlUI* next = Add(SizedChild(20, 10));
    layout_.Place(CUIRect(0, 0, 100, 200));
    // Centred in the 40-pixel row.
    EXPECT_EQ(low->Rect().top, 10);
    EXPECT_EQ(tall->Rect().top, 0);
    // The second row is 10 high; a child without a height fills it.
    EXPECT_TRUE(RectIs(automatic->Rect(), 15, 40, 35, 50));
    EXPECT_EQ(next->Rect().top, 40);
}

TEST_F(TileLayoutTest, ChildPaddingSplitsBetweenNeighbouringCells) {
    layout_.SetColumns(3);
    layout_.SetChildPadding(10);
    const std::vector<CControlUI*> items = AddSized(4, 0, 20);
    layout_.Place(CUIRect(0, 0, 300, 200));
    EXPECT_TRUE(RectIs(items[0]->Rect(), 0, 0, 95, 20));
    EXPECT_TRUE(RectIs(items[1]->Rect(), 105, 0, 195, 20));
    EXPECT_TRUE(RectIs(items[2]->Rect(), 205, 0, 300, 20));
    // The next row starts a child padding below.
    EXPECT_TRUE(RectIs(items[3]->Rect(), 0, 30, 95, 50));
}

TEST_F(TileLayoutTest, RowHeightIsMeasuredWithTheWidthEachColumnLeaves) {
    layout_.SetColumns(3);
    layout_.SetChildPadding(10);
    std::vector<LayoutTests::ProbeControl*> probes;
    for (int i = 0; i < 3; ++i) {
        probes.push_back(new LayoutTests::ProbeControl());
        // Text that wraps: the narrower, the taller.
        probes.back()->answer = [](SIZE offer) { return SIZE{0, offer.cx > 0 ? 1900 / offer.cx : 0}; };
        Add(probes.back());
    }
    layout_.Place(CUIRect(0, 0, 300, 200));
    // Measuring: outer columns lose half the child padding, inner ones all.
    ASSERT_GE(probes[0]->offers.size(), 2u);
    EXPECT_TRUE(LayoutTests::SameSize(probes[0]->offers[0], 95, CTileLayoutUI::kMeasureHeight));
    EXPECT_TRUE(LayoutTests::SameSize(probes[1]->offers[0], 90, CTileLayoutUI::kMeasureHeight));
    EXPECT_TRUE(LayoutTests::SameSize(probes[2]->offers[0], 95, CTileLayoutUI::kMeasureHeight));
    // The middle child is the tallest (1900 / 90 = 21): the row is 21 high,
    // and each child is then offered its cell and that height.
    EXPECT_TRUE(LayoutTests::SameSize(probes[0]->offers[1], 95, 21));
    EXPECT_TRUE(LayoutTests::SameSize(probes[1]->offers[1], 90, 21));
    EXPECT_TRUE(RectIs(probes[0]->Rect(), 0, 0, 95, 20));
    EXPECT_TRUE(RectIs(probes[1]->Rect(), 105, 0, 195, 21));
}

TEST_F(TileLayoutTest, ChildPaddingsShrinkTheCellAndMoveTheRow) {
    layout_.SetColumns(1);
    ChildGeometry padded;
    padded.height = 20;
    padded.padding = {10, 5, 20, 5};
    CControlUI* child = Add(MakeChild(padded));
    CControlUI* next = Add(SizedChild(0, 10));
    layout_.Place(CUIRect(0, 0, 100, 200));
    // Row height 5 + 20 + 5; the cell is (10, 5)-(80, 30) and the centring
    // averages the cell top with the row's top: (5 + 0 + 30 - 20) / 2 = 7.
    EXPECT_TRUE(RectIs(child->Rect(), 10, 7, 80, 27));
    EXPECT_EQ(next->Rect().top, 30);
}

TEST_F(TileLayoutTest, FloatingChildrenTakeNoCell) {
    layout_.SetColumns(2);
    CControlUI* floating = Add(FloatingChild(1, 2, 5, 5));
    const std::vector<CControlUI*> items = AddSized(2, 0, 10);
    layout_.Place(CUIRect(0, 0, 100, 100));
    EXPECT_TRUE(RectIs(floating->Rect(), 1, 2, 6, 7));
    EXPECT_TRUE(RectIs(items[0]->Rect(), 0, 0, 50, 10));
    EXPECT_TRUE(RectIs(items[1]->Rect(), 50, 0, 100, 10));
}

TEST_F(TileLayoutTest, RowsBeyondTheHeightShowTheVerticalBar) {
    layout_.CreateScrollBars(true, false);
    layout_.SetColumns(2);
    AddSized(6, 0, 40);
    layout_.Place(CUIRect(0, 0, 116, 100));
    ASSERT_TRUE(layout_.VerticalScrollBar()->IsVisible());
    EXPECT_EQ(layout_.VerticalScrollBar()->Range(), 20);
}

TEST_F(TileLayoutTest, ItemSizeAttributeIsStoredAndInterfacesAnswer) {
    layout_.ApplyAttribute(L"itemsize", L"64,32");
    EXPECT_EQ(layout_.ItemSize().cx, 64);
    EXPECT_EQ(layout_.ItemSize().cy, 32);
    EXPECT_STREQ(layout_.ClassName(), L"TileLayoutUI");
    EXPECT_EQ(layout_.InterfaceByName(L"TileLayout"), &layout_);
    EXPECT_NE(layout_.InterfaceByName(L"IContainer"), nullptr);
}

}  // namespace
