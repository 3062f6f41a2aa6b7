// The label: its attributes, its desired size, its focus handling and its
// text as painted from a skin (plain, markup, colours, padding, effects).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ButtonUI.h"
#include "ControlsTestSupport.h"
#include "LabelUI.h"

using ControlsTests::CountNear;
using ControlsTests::SkinWindowTest;
using RenderTests::IsDark;
using RenderTests::IsInk;
using RenderTests::IsReddish;
using RenderTests::RenderCanvas;
using TavikUI::CLabelUI;

namespace {

TEST(LabelAttributeTest, AlignValuesClearAndSetTheirStyleBits) {
    const struct {
        const wchar_t* value;
        UINT before;
        UINT after;
    } rows[] = {
        {L"left", 0x3F, 0x18},
        {L"center", 0x06, 0x05},
        {L"right", 0x25, 0x02},
        {L"top", 0x0C, 0x20},
        // "vcenter" also centres horizontally.
        {L"vcenter", 0x0A, 0x27},
        {L"bottom", 0x04, 0x28},
        {L"middle", 0x24, 0x24},
        {L"Left", 0x24, 0x24},
    };
    for (const auto& row : rows) {
        CLabelUI label;
        label.SetTextStyle(row.before);
        label.ApplyAttribute(L"align", row.value);
        EXPECT_EQ(label.TextStyle(), row.after) << row.value;
    }
}

TEST(LabelAttributeTest, EllipsisFontColoursAndPadding) {
    CLabelUI label;
    label.ApplyAttribute(L"endellipsis", L"true");
    EXPECT_EQ(label.TextStyle() & DT_END_ELLIPSIS, static_cast<UINT>(DT_END_ELLIPSIS));
    label.ApplyAttribute(L"endellipsis", L"TRUE");
    EXPECT_EQ(label.TextStyle() & DT_END_ELLIPSIS, 0u);

    label.ApplyAttribute(L"font", L"3");
    EXPECT_EQ(label.FontIndex(), 3);
    label.ApplyAttribute(L"textcolor", L"#FF112233");
    EXPECT_EQ(label.TextColor(), 0xFF112233u);
    CLabelUI plain;
    plain.ApplyAttribute(L"textcolor", L"FF112233");
    EXPECT_EQ(plain.TextColor(), label.TextColor());
    label.ApplyAttribute(L"disabledtextcolor", L"#80A0B0C0");
    EXPECT_EQ(label.DisabledTextColor(), 0x80A0B0C0u);
    label.ApplyAttribute(L"textpadding", L"1,2,3,4");
    EXPECT_EQ(label.TextPadding().left, 1);
    EXPECT_EQ(label.TextPadding().top, 2);
    EXPECT_EQ(label.TextPadding().right, 3);
    EXPECT_EQ(label.TextPadding().bottom, 4);
    label.ApplyAttribute(L"showhtml", L"true");
    EXPECT_TRUE(label.ShowsMarkup());
    // Anything else reaches the control attributes.
    label.ApplyAttribute(L"name", L"title");
    EXPECT_STREQ(label.Name().Text(), L"title");
}

TEST(LabelAttributeTest, RenderingHintOutsideItsRangeStoresZero) {
    CLabelUI label;
    label.ApplyAttribute(L"rhaa", L"5");
    EXPECT_EQ(label.TextRenderingHint(), 5);
    for (const wchar_t* outside : {L"9", L"-1", L"6"}) {
        label.ApplyAttribute(L"rhaa", L"2");
        label.ApplyAttribute(L"rhaa", outside);
        EXPECT_EQ(label.TextRenderingHint(), 0) << outside;
    }
}

TEST(LabelAttributeTest, ShadowOffsetDependsOnTheAngleQuadrant) {
    const struct {
        const wchar_t* value;
        float y;
        float x;
    } rows[] = {
        {L"3,45", 47, 97},  {L"3,0", 47, 97},   {L"3,90", 47, 97},   {L"3,91", 47, 103},  {L"3,180", 47, 103},
        {L"3,-45", 53, 97}, {L"3,-89", 53, 97}, {L"3,-90", 53, 100}, {L"3,-91", 53, 103}, {L"3,-180", 50, 103},
    };
    for (const auto& row : rows) {
        CLabelUI label;
        label.Place(RECT{100, 50, 200, 80});
        label.ApplyAttribute(L"shadowoffset", row.value);
        EXPECT_EQ(label.ShadowOffsetY(), row.y) << row.value;
        EXPECT_EQ(label.ShadowOffsetX(), row.x) << row.value;
    }
    CLabelUI label;
    label.Place(RECT{100, 50, 200, 80});
    label.ApplyAttribute(L"shadowoffset", L"3,45");
    for (const wchar_t* ignored : {L"3,181", L"3,-181", L"9,720"}) {
        label.ApplyAttribute(L"shadowoffset", ignored);
        EXPECT_EQ(label.ShadowOffsetY(), 47) << ignored;
        EXPECT_EQ(label.ShadowOffsetX(), 97) << ignored;
    }
}

TEST(LabelInterfaceTest, AnswersLabelAndControlOnly) {
    CLabelUI label;
    EXPECT_STREQ(label.ClassName(), L"LabelUI");
    EXPECT_EQ(label.InterfaceByName(L"Label"), &label);
    EXPECT_EQ(label.InterfaceByName(L"Control"), &label);
    EXPECT_EQ(label.InterfaceByName(L"Button"), nullptr);
    EXPECT_EQ(label.InterfaceByName(nullptr), nullptr);
}

TEST(LabelInterfaceTest, WithoutAManagerNothingIsDrawnOrMeasuredFromFonts) {
    CLabelUI label;
    label.SetText(L"text");
    label.Place(RECT{0, 0, 50, 20});
    RenderCanvas canvas(60, 30);
    label.Paint(canvas.DC(), RECT{0, 0, 60, 30});
    EXPECT_EQ(canvas.Count(canvas.Whole(), IsInk), 0);
    EXPECT_EQ(label.DesiredSize(SIZE{100, 100}).cy, 4);
}

class LabelWindowTest : public SkinWindowTest {};

TEST_F(LabelWindowTest, MarkupIsInterpretedOnlyWithShowHtml) {
    ASSERT_TRUE(BuildSkin(
        L"<Window><Container bkcolor=\"#FFFFFFFF\">"
        L"<Label name=\"markup\" float=\"true\" pos=\"10,10,390,50\" showhtml=\"true\" textcolor=\"#FF000000\" "
        L"text=\"{c #FF0000}RED RED{/c} and {b}black{/b}\"/>"
        L"<Label name=\"plain\" float=\"true\" pos=\"10,60,390,100\" textcolor=\"#FF000000\" "
        L"text=\"{c #FF0000}RED{/c}\"/>"
        L"</Container></Window>"));
    RenderCanvas canvas(400, 300);
    Print(canvas);
    const RECT markup = {10, 10, 390, 50};
    const RECT plain = {10, 60, 390, 100};
    EXPECT_GT(canvas.Count(markup, IsReddish), 20);
    EXPECT_GT(canvas.Count(markup, IsDark), 20);
    EXPECT_EQ(canvas.Count(plain, IsReddish), 0);
    EXPECT_GT(canvas.Count(plain, IsDark), 20);
    // Plain text shows the tags themselves: it is wider than the markup's
    // "RED" alone would be.
    const RECT box = canvas.BoxOf(plain, IsDark);
    EXPECT_GT(box.right - box.left, 60);
}

TEST_F(LabelWindowTest, ZeroTextColourTakesTheDefaultAtTheFirstPaintAndKeepsIt) {
    manager_->SetDefaultTextColor(0xFF0000E0);
    ASSERT_TRUE(
        BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                  L"<Label name=\"l\" float=\"true\" pos=\"10,10,200,50\" text=\"WWWWWW\"/>"
                  L"</Container></Window>"));
    auto* label = Find<CLabelUI>(L"l");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->TextColor(), 0xFF0000E0u);
    EXPECT_EQ(label->DisabledTextColor(), manager_->DisabledTextColor());
    manager_->SetDefaultTextColor(0xFFE00000);
    RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_EQ(label->TextColor(), 0xFF0000E0u);
    EXPECT_GT(canvas.Count(RECT{10, 10, 200, 50}, RenderTests::IsBluish), 20);
    EXPECT_EQ(canvas.Count(RECT{10, 10, 200, 50}, IsReddish), 0);
}

TEST_F(LabelWindowTest, DisabledPaddedAndEffectLabels) {
    ASSERT_TRUE(
        BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                  L"<Label name=\"off\" float=\"true\" pos=\"10,10,200,50\" text=\"WWWW\" enabled=\"false\" "
                  L"textcolor=\"#FF000000\" disabledtextcolor=\"#FFE00000\"/>"
                  L"<Label name=\"padded\" float=\"true\" pos=\"10,60,390,100\" text=\"WW\" align=\"left\" "
                  L"textcolor=\"#FF000000\" textpadding=\"200,0,0,0\"/>"
                  L"<Label name=\"effect\" float=\"true\" pos=\"10,110,390,150\" text=\"WWWW\" enabledeffect=\"true\" "
                  L"textcolor=\"#FF000000\"/>"
                  L"</Container></Window>"));
    RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_GT(canvas.Count(RECT{10, 10, 200, 50}, IsReddish), 20);
    EXPECT_EQ(canvas.Count(RECT{10, 10, 200, 50}, IsDark), 0);
    // Left-aligned text starts where the padding ends.
    const RECT padded = canvas.BoxOf(RECT{10, 60, 390, 100}, IsDark);
    EXPECT_GE(padded.left, 210);
    EXPECT_LT(padded.left, 220);
    // Effect drawing is not offered: such a label shows no text at all.
    EXPECT_EQ(canvas.Count(RECT{10, 110, 390, 150}, IsInk), 0);
}

TEST_F(LabelWindowTest, DesiredHeightIsTheFontHeightPlusFourUnlessDeclared) {
    ASSERT_NE(manager_->AddFont(RenderTests::TestFace(), 10, false, false, false), nullptr);
    ASSERT_NE(manager_->AddFont(RenderTests::TestFace(), 12, false, false, false), nullptr);
    ASSERT_NE(manager_->AddFont(RenderTests::TestFace(), 24, false, false, false), nullptr);
    ASSERT_TRUE(
        BuildSkin(L"<Window><VerticalLayout>"
                  L"<Label name=\"free\" font=\"2\" width=\"70\"/>"
                  L"<Label name=\"fixed\" font=\"2\" width=\"70\" height=\"9\"/>"
                  L"</VerticalLayout></Window>"));
    const int fontHeight = static_cast<int>(manager_->FontRecordAt(2)->metrics.tmHeight);
    ASSERT_NE(fontHeight, static_cast<int>(manager_->FontRecordAt(0)->metrics.tmHeight));
    const SIZE free = Find<CLabelUI>(L"free")->DesiredSize(SIZE{400, 300});
    EXPECT_EQ(free.cx, 70);
    EXPECT_EQ(free.cy, fontHeight + 4);
    const SIZE fixed = Find<CLabelUI>(L"fixed")->DesiredSize(SIZE{400, 300});
    EXPECT_EQ(fixed.cx, 70);
    EXPECT_EQ(fixed.cy, 9);
}

TEST_F(LabelWindowTest, APlainLabelNotesFocusWithoutRepaintingButAButtonRepaints) {
    ASSERT_TRUE(
        BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                  L"<Label name=\"l\" float=\"true\" pos=\"10,10,100,50\" text=\"x\"/>"
                  L"<Button name=\"b\" float=\"true\" pos=\"10,60,100,100\" text=\"x\"/>"
                  L"</Container></Window>"));
    ValidateRect(Handle(), nullptr);
    TavikUI::UIEvent focus;
    focus.type = TavikUI::kEventSetFocus;
    auto* label = Find<CLabelUI>(L"l");
    label->DeliverEvent(focus);
    EXPECT_TRUE(label->IsFocused());
    RECT update = {};
    EXPECT_FALSE(GetUpdateRect(Handle(), &update, FALSE));
    focus.type = TavikUI::kEventKillFocus;
    label->DeliverEvent(focus);
    EXPECT_FALSE(label->IsFocused());
    EXPECT_FALSE(GetUpdateRect(Handle(), &update, FALSE));

    auto* button = Find<TavikUI::CButtonUI>(L"b");
    focus.type = TavikUI::kEventSetFocus;
    button->DeliverEvent(focus);
    EXPECT_TRUE(button->IsFocused());
    EXPECT_TRUE(GetUpdateRect(Handle(), &update, FALSE));
    EXPECT_EQ(update.top, 60);
}

}  // namespace
