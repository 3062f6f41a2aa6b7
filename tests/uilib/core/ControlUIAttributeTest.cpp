#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "ControlUI.h"

using TavikUI::CControlUI;
using TavikUI::CUIRect;

namespace {

// A control outside any manager: attributes only store.
class AttributeTest : public ::testing::Test {
protected:
    void Apply(const wchar_t* name, const wchar_t* value) { control.ApplyAttribute(name, value); }
    CControlUI control;
};

TEST_F(AttributeTest, PosGivesFloatOffsetAndDeclaredSize) {
    Apply(L"pos", L"10,10,110,40");
    EXPECT_EQ(control.FloatOffset().x, 10);
    EXPECT_EQ(control.FloatOffset().y, 10);
    EXPECT_EQ(control.DeclaredWidth(), 100);
    EXPECT_EQ(control.DeclaredHeight(), 30);
}

TEST_F(AttributeTest, PosWithNegativeEdgesCountsFromTheFarEdges) {
    Apply(L"pos", L"-100,-50,-10,-20");
    EXPECT_EQ(control.FloatOffset().x, -10);
    EXPECT_EQ(control.FloatOffset().y, -20);
    EXPECT_EQ(control.DeclaredWidth(), 90);
    EXPECT_EQ(control.DeclaredHeight(), 30);
}

TEST_F(AttributeTest, ShortOrGarbledPosKeepsSizesItCannotUse) {
    Apply(L"width", L"70");
    Apply(L"height", L"20");
    // Missing right and bottom read as 0, so the sizes would be negative.
    Apply(L"pos", L"10,5");
    EXPECT_EQ(control.FloatOffset().x, 10);
    EXPECT_EQ(control.FloatOffset().y, 5);
    EXPECT_EQ(control.DeclaredWidth(), 70);
    EXPECT_EQ(control.DeclaredHeight(), 20);
    Apply(L"pos", L"junk");
    EXPECT_EQ(control.FloatOffset().x, 0);
    EXPECT_EQ(control.DeclaredWidth(), 0);
}

TEST_F(AttributeTest, RelativePosSetsTheFourValuesAndTheFlag) {
    EXPECT_FALSE(control.IsRelative());
    Apply(L"relativepos", L"50,0,25,100");
    const TavikUI::RelativePlacement placement = control.RelativePosition();
    EXPECT_TRUE(placement.relative);
    EXPECT_EQ(placement.moveX, 50);
    EXPECT_EQ(placement.moveY, 0);
    EXPECT_EQ(placement.zoomX, 25);
    EXPECT_EQ(placement.zoomY, 100);
    Apply(L"relativepos", L"");
    EXPECT_TRUE(control.IsRelative());
    EXPECT_EQ(control.RelativePosition().moveX, 0);
}

TEST_F(AttributeTest, PaddingReadsFourNumbers) {
    Apply(L"padding", L"1,2,3,4");
    const CUIRect padding = control.Padding();
    EXPECT_EQ(padding.left, 1);
    EXPECT_EQ(padding.top, 2);
    EXPECT_EQ(padding.right, 3);
    EXPECT_EQ(padding.bottom, 4);
}

TEST_F(AttributeTest, BackgroundColoursSkipBlanksAndHash) {
    Apply(L"bkcolor", L"#FF112233");
    EXPECT_EQ(control.BackgroundColor(), 0xFF112233u);
    Apply(L"bkcolor1", L"  #80FFFFFF");
    EXPECT_EQ(control.BackgroundColor(), 0x80FFFFFFu);
    Apply(L"bkcolor2", L"FF00FF00");
    EXPECT_EQ(control.BackgroundColor2(), 0xFF00FF00u);
    Apply(L"bkcolor3", L"#ff0000ff");
    EXPECT_EQ(control.BackgroundColor3(), 0xFF0000FFu);
    Apply(L"bkcolor", L"zz");
    EXPECT_EQ(control.BackgroundColor(), 0u);
}

TEST_F(AttributeTest, BorderColoursSkipOneHash) {
    Apply(L"bordercolor", L"#FFAABBCC");
    EXPECT_EQ(control.BorderColor(), 0xFFAABBCCu);
    Apply(L"focusbordercolor", L"FF010203");
    EXPECT_EQ(control.FocusBorderColor(), 0xFF010203u);
    Apply(L"bordercolor", L"##FF000000");
    EXPECT_EQ(control.BorderColor(), 0u);
}

TEST_F(AttributeTest, BooleansAreTrueOnlyForExactTrue) {
    Apply(L"colorhsl", L"true");
    EXPECT_TRUE(control.ColorHsl());
    Apply(L"colorhsl", L"True");
    EXPECT_FALSE(control.ColorHsl());

    Apply(L"enabled", L"false");
    EXPECT_FALSE(control.IsEnabled());
    Apply(L"enabled", L"true");
    EXPECT_TRUE(control.IsEnabled());
    Apply(L"mouse", L"1");
    EXPECT_FALSE(control.AcceptsMouse());
    Apply(L"keyboard", L"yes");
    EXPECT_FALSE(control.AcceptsKeyboard());
    Apply(L"visible", L"false");
    EXPECT_FALSE(control.IsVisible());
    Apply(L"visible", L"true");
    EXPECT_TRUE(control.IsVisible());
    Apply(L"float", L"true");
    EXPECT_TRUE(control.IsFloating());
    Apply(L"menu", L"true");
    EXPECT_TRUE(control.HasContextMenu());
    Apply(L"wanttab", L"true");
    EXPECT_TRUE(control.WantsTab());
    Apply(L"wanttab", L"TRUE");
    EXPECT_FALSE(control.WantsTab());
}

TEST_F(AttributeTest, SingleBorderSizeClearsSideWidths) {
    Apply(L"bordersize", L"1,2,3,4");
    Apply(L"bordersize", L"2");
    EXPECT_EQ(control.BorderThickness(), 2);
    const CUIRect sides = control.SideBorderWidths();
    EXPECT_EQ(sides.left, 0);
    EXPECT_EQ(sides.top, 0);
    EXPECT_EQ(sides.right, 0);
    EXPECT_EQ(sides.bottom, 0);
}

TEST_F(AttributeTest, BorderSizeListSetsSidesAndKeepsTheSize) {
    Apply(L"bordersize", L"3");
    Apply(L"bordersize", L"1,0,0,1");
    EXPECT_EQ(control.BorderThickness(), 3);
    const CUIRect sides = control.SideBorderWidths();
    EXPECT_EQ(sides.left, 1);
    EXPECT_EQ(sides.top, 0);
    EXPECT_EQ(sides.right, 0);
    EXPECT_EQ(sides.bottom, 1);
}

TEST_F(AttributeTest, OneSideAtATime) {
    Apply(L"leftbordersize", L"1");
    Apply(L"topbordersize", L"2");
    Apply(L"rightbordersize", L"3");
    Apply(L"bottombordersize", L"x");
    const CUIRect sides = control.SideBorderWidths();
    EXPECT_EQ(sides.left, 1);
    EXPECT_EQ(sides.top, 2);
    EXPECT_EQ(sides.right, 3);
    EXPECT_EQ(sides.bottom, 0);
}

TEST_F(AttributeTest, BorderStyleAndRounding) {
    Apply(L"borderstyle", L"2");
    EXPECT_EQ(control.BorderStyle(), 2);
    Apply(L"borderround", L"4,6");
    EXPECT_EQ(control.BorderRounding().cx, 4);
    EXPECT_EQ(control.BorderRounding().cy, 6);
    Apply(L"borderround", L"5");
    EXPECT_EQ(control.BorderRounding().cx, 5);
    EXPECT_EQ(control.BorderRounding().cy, 0);
}

TEST_F(AttributeTest, BackgroundImageIsStoredAsGiven) {
    Apply(L"bkimage", L"file='bk.png' corner='2,2,2,2'");
    EXPECT_STREQ(control.BackgroundImage().Text(), L"file='bk.png' corner='2,2,2,2'");
}

TEST_F(AttributeTest, SizesAndLimitsIgnoreNegativeValues) {
    Apply(L"width", L"120");
    Apply(L"height", L"-3");
    Apply(L"minwidth", L"10");
    Apply(L"minheight", L"-1");
    Apply(L"maxwidth", L"500");
    Apply(L"maxheight", L"abc");
    EXPECT_EQ(control.DeclaredWidth(), 120);
    EXPECT_EQ(control.DeclaredHeight(), 0);
    EXPECT_EQ(control.MinWidth(), 10);
    EXPECT_EQ(control.MinHeight(), 0);
    EXPECT_EQ(control.MaxWidth(), 500);
    // Not a number reads as 0, which is a valid limit.
    EXPECT_EQ(control.MaxHeight(), 0);
    Apply(L"width", L"-120");
    EXPECT_EQ(control.DeclaredWidth(), 120);
}

TEST_F(AttributeTest, TextsAreStored) {
    Apply(L"name", L"okbtn");
    Apply(L"text", L"确定");
    Apply(L"userdata", L"42");
    EXPECT_STREQ(control.Name().Text(), L"okbtn");
    EXPECT_STREQ(control.Text().Text(), L"确定");
    EXPECT_STREQ(control.UserData().Text(), L"42");
}

TEST_F(AttributeTest, TooltipLineMarksBecomeLineBreaks) {
    Apply(L"tooltip", L"a<n>b<n>");
    EXPECT_STREQ(control.ToolTip().Text(), L"a\r\nb\r\n");
}

TEST_F(AttributeTest, ShortcutTakesTheFirstCharacter) {
    Apply(L"shortcut", L"Fx");
    EXPECT_EQ(control.Shortcut(), L'F');
    Apply(L"shortcut", L"");
    EXPECT_EQ(control.Shortcut(), L'\0');
}

TEST_F(AttributeTest, VirtualWindowNameIsInherited) {
    CControlUI parent;
    parent.ApplyAttribute(L"virtualwnd", L"page");
    control.AttachToManager(nullptr, &parent, false);
    EXPECT_STREQ(control.VirtualWindowName().Text(), L"page");
    Apply(L"virtualwnd", L"own");
    EXPECT_STREQ(control.VirtualWindowName().Text(), L"own");
    CControlUI orphan;
    EXPECT_TRUE(orphan.VirtualWindowName().IsEmpty());
}

TEST_F(AttributeTest, UnknownAndMiscasedNamesAreIgnored) {
    Apply(L"Name", L"x");
    Apply(L"BKCOLOR", L"#FFFFFFFF");
    Apply(L"foreimage", L"a.png");
    EXPECT_TRUE(control.Name().IsEmpty());
    EXPECT_EQ(control.BackgroundColor(), 0u);
    EXPECT_TRUE(control.ForeImage().IsEmpty());
    control.ApplyAttribute(nullptr, L"x");
    control.ApplyAttribute(L"name", nullptr);
    EXPECT_TRUE(control.Name().IsEmpty());
}

TEST(AttributeString, PairsSeparatedBySpacesAreAllApplied) {
    CControlUI control;
    control.ApplyAttributeString(L"  name=\"a\" text=\"b c\"  tooltip=\"t\"");
    EXPECT_STREQ(control.Name().Text(), L"a");
    EXPECT_STREQ(control.Text().Text(), L"b c");
    EXPECT_STREQ(control.ToolTip().Text(), L"t");
}

TEST(AttributeString, MalformedPairEndsTheString) {
    CControlUI unquoted;
    unquoted.ApplyAttributeString(L"name=a text=\"b\"");
    EXPECT_TRUE(unquoted.Name().IsEmpty());
    EXPECT_TRUE(unquoted.Text().IsEmpty());

    CControlUI unterminated;
    unterminated.ApplyAttributeString(L"name=\"a\" text=\"never closed");
    EXPECT_STREQ(unterminated.Name().Text(), L"a");
    EXPECT_TRUE(unterminated.Text().IsEmpty());

    CControlUI noEquals;
    noEquals.ApplyAttributeString(L"name");
    EXPECT_TRUE(noEquals.Name().IsEmpty());

    CControlUI glued;
    glued.ApplyAttributeString(L"name=\"a\"text=\"b\"");
    EXPECT_STREQ(glued.Name().Text(), L"a");
    EXPECT_TRUE(glued.Text().IsEmpty());

    CControlUI empty;
    empty.ApplyAttributeString(L"");
    empty.ApplyAttributeString(nullptr);
    EXPECT_TRUE(empty.Name().IsEmpty());
}

TEST(AttributeString, EmptyValueAndTrailingSpaceAreFine) {
    CControlUI control;
    control.ApplyAttributeString(L"text=\"\" name=\"n\" ");
    EXPECT_TRUE(control.Text().IsEmpty());
    EXPECT_STREQ(control.Name().Text(), L"n");
}

// Attributes a subclass adds reach it through the attribute string too.
TEST(AttributeString, GoesThroughTheVirtualAttributeTable) {
    class Extended : public CControlUI {
    public:
        void ApplyAttribute(const wchar_t* name, const wchar_t* value) override {
            if (wcscmp(name, L"extra") == 0) {
                extra = value;
                return;
            }
            CControlUI::ApplyAttribute(name, value);
        }
        std::wstring extra;
    };
    Extended control;
    control.ApplyAttributeString(L"extra=\"1\" name=\"x\"");
    EXPECT_EQ(control.extra, L"1");
    EXPECT_STREQ(control.Name().Text(), L"x");
}

}  // namespace
