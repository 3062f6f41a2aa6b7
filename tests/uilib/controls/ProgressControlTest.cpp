// The progress and ring progress as controls: what they answer, what the
// skin attributes set, and which values the setters take.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <memory>

#include "AnnulusProgressUI.h"
#include "ProgressTestSupport.h"
#include "ProgressUI.h"

namespace {

using ProgressTests::As;
using ProgressTests::BuildSkin;
using TavikUI::CAnnulusProgressUI;
using TavikUI::CControlUI;
using TavikUI::CProgressUI;

TEST(ProgressControlTest, AProgressIsACentredSingleLineLabelTwelvePixelsHigh) {
    CProgressUI progress;
    EXPECT_STREQ(progress.ClassName(), L"ProgressUI");
    EXPECT_EQ(progress.InterfaceByName(L"Progress"), &progress);
    EXPECT_EQ(progress.InterfaceByName(L"Label"), &progress);
    EXPECT_EQ(progress.InterfaceByName(L"Control"), &progress);
    EXPECT_EQ(progress.InterfaceByName(L"AnnulusProgressUI"), nullptr);
    EXPECT_EQ(progress.TextStyle(), static_cast<UINT>(DT_CENTER | DT_SINGLELINE));
    EXPECT_EQ(progress.DeclaredHeight(), 12);
    EXPECT_TRUE(progress.IsHorizontal());
    EXPECT_TRUE(progress.IsStretchFore());
    EXPECT_EQ(progress.MinValue(), 0);
    EXPECT_EQ(progress.MaxValue(), 100);
    EXPECT_EQ(progress.CurrentValue(), 0);
    EXPECT_TRUE(progress.ForeImage().IsEmpty());
}

TEST(ProgressControlTest, ARingAnswersTheProgressClassNameButOnlyItsOwnInterface) {
    CAnnulusProgressUI ring;
    EXPECT_STREQ(ring.ClassName(), L"ProgressUI");
    EXPECT_EQ(ring.InterfaceByName(L"AnnulusProgressUI"), &ring);
    EXPECT_EQ(ring.InterfaceByName(L"Control"), &ring);
    // The ring skips the progress and label queries.
    EXPECT_EQ(ring.InterfaceByName(L"Progress"), nullptr);
    EXPECT_EQ(ring.InterfaceByName(L"Label"), nullptr);
    EXPECT_EQ(ring.PercentFont(), 0);
    EXPECT_EQ(ring.PercentColor(), 0u);
    EXPECT_EQ(ring.PercentAlign(), 0u);
    EXPECT_EQ(ring.PercentPadding().left, 0);
    EXPECT_EQ(ring.ValueTextPadding().bottom, 0);
    EXPECT_EQ(ring.MaxValue(), 100);
}

TEST(ProgressControlTest, SkinAttributesSetTheBarAndReachTheLabel) {
    std::unique_ptr<CControlUI> built = BuildSkin(
        L"<Window><Progress name=\"bar\" foreimage=\"file='fill.png' corner='1,1,1,1'\" hor=\"false\" "
        L"isstretchfore=\"yes\" min=\"-20\" max=\"300\" value=\"250\" textcolor=\"#FF123456\" "
        L"bkcolor=\"#FF00FF00\"/></Window>");
    auto* bar = As<CProgressUI>(built.get(), L"Progress");
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->ForeImage().Text(), L"file='fill.png' corner='1,1,1,1'");
    EXPECT_FALSE(bar->IsHorizontal());
    // Only the exact text "true" is true.
    EXPECT_FALSE(bar->IsStretchFore());
    EXPECT_EQ(bar->MinValue(), -20);
    EXPECT_EQ(bar->MaxValue(), 300);
    EXPECT_EQ(bar->CurrentValue(), 250);
    EXPECT_EQ(bar->TextColor(), 0xFF123456u);
    EXPECT_EQ(bar->BackgroundColor(), 0xFF00FF00u);
    EXPECT_STREQ(bar->Name().Text(), L"bar");
}

TEST(ProgressControlTest, AValueOutsideTheRangeAtItsTimeIsIgnored) {
    std::unique_ptr<CControlUI> early = BuildSkin(L"<Window><Progress value=\"150\" max=\"200\"/></Window>");
    auto* bar = As<CProgressUI>(early.get(), L"Progress");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->MaxValue(), 200);
    EXPECT_EQ(bar->CurrentValue(), 0);

    std::unique_ptr<CControlUI> late = BuildSkin(L"<Window><Progress max=\"200\" value=\"150\"/></Window>");
    bar = As<CProgressUI>(late.get(), L"Progress");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->CurrentValue(), 150);
}

TEST(ProgressControlTest, SetCurrentValueTakesOnlyValuesInsideTheRange) {
    CProgressUI bar;
    bar.SetCurrentValue(150);
    EXPECT_EQ(bar.CurrentValue(), 0);
    bar.SetCurrentValue(-1);
    EXPECT_EQ(bar.CurrentValue(), 0);
    bar.SetCurrentValue(100);
    EXPECT_EQ(bar.CurrentValue(), 100);
    bar.SetCurrentValue(0);
    EXPECT_EQ(bar.CurrentValue(), 0);
    // The bounds themselves are stored without any check.
    bar.SetMinValue(500);
    bar.SetMaxValue(INT_MIN);
    EXPECT_EQ(bar.MinValue(), 500);
    EXPECT_EQ(bar.MaxValue(), INT_MIN);
    bar.SetCurrentValue(500);
    EXPECT_EQ(bar.CurrentValue(), 0);
    bar.SetMinValue(INT_MIN);
    bar.SetMaxValue(INT_MAX);
    bar.SetCurrentValue(INT_MAX);
    EXPECT_EQ(bar.CurrentValue(), INT_MAX);
}

TEST(ProgressControlTest, RingAttributesSetThePercentSignAndOthersReachTheProgress) {
    std::unique_ptr<CControlUI> built = BuildSkin(
        L"<Window><AnnulusProgress name=\"ring\" bktextfont=\"2\" bktextcolor=\"#FF00C000\" "
        L"bktextpadding=\"1,2,3,4\" foretextpadding=\"5,6,7,8\" foreimage=\"ring.png\" max=\"50\" value=\"30\" "
        L"textcolor=\"#FF101010\"/></Window>");
    auto* ring = As<CAnnulusProgressUI>(built.get(), L"AnnulusProgressUI");
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->PercentFont(), 2);
    EXPECT_EQ(ring->PercentColor(), 0xFF00C000u);
    EXPECT_EQ(ring->PercentPadding().left, 1);
    EXPECT_EQ(ring->PercentPadding().top, 2);
    EXPECT_EQ(ring->PercentPadding().right, 3);
    EXPECT_EQ(ring->PercentPadding().bottom, 4);
    EXPECT_EQ(ring->ValueTextPadding().left, 5);
    EXPECT_EQ(ring->ValueTextPadding().bottom, 8);
    EXPECT_STREQ(ring->ForeImage().Text(), L"ring.png");
    EXPECT_EQ(ring->MaxValue(), 50);
    // "value" is the progress's: it sets the value, not the text.
    EXPECT_EQ(ring->CurrentValue(), 30);
    EXPECT_TRUE(ring->Text().IsEmpty());
    EXPECT_EQ(ring->TextColor(), 0xFF101010u);
}

UINT AlignmentAfter(const wchar_t* value) {
    CAnnulusProgressUI ring;
    ring.ApplyAttribute(L"bkalign", value);
    return ring.PercentAlign();
}

TEST(ProgressControlTest, PercentAlignmentAppliesEveryWordFoundInTheValue) {
    EXPECT_EQ(AlignmentAfter(L"left"), 0u);
    EXPECT_EQ(AlignmentAfter(L"center"), static_cast<UINT>(DT_CENTER));
    EXPECT_EQ(AlignmentAfter(L"right"), static_cast<UINT>(DT_RIGHT));
    EXPECT_EQ(AlignmentAfter(L"top"), static_cast<UINT>(DT_SINGLELINE));
    EXPECT_EQ(AlignmentAfter(L"bottom"), static_cast<UINT>(DT_BOTTOM | DT_SINGLELINE));
    // "vcenter" also matches "center".
    EXPECT_EQ(AlignmentAfter(L"vcenter"), static_cast<UINT>(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
    // Words apply in the table's order, not the value's: "right" after
    // "bottom" in the text still comes first.
    EXPECT_EQ(AlignmentAfter(L"bottom,right"), static_cast<UINT>(DT_RIGHT | DT_BOTTOM | DT_SINGLELINE));
    EXPECT_EQ(AlignmentAfter(L"right;vcenter"), static_cast<UINT>(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE));
    EXPECT_EQ(AlignmentAfter(L"middle"), 0u);
    // Successive values build on each other.
    CAnnulusProgressUI ring;
    ring.ApplyAttribute(L"bkalign", L"right");
    ring.ApplyAttribute(L"bkalign", L"bottom");
    EXPECT_EQ(ring.PercentAlign(), static_cast<UINT>(DT_RIGHT | DT_BOTTOM | DT_SINGLELINE));
}

TEST(ProgressControlTest, SetValueWritesTheValueAsTextOnlyInsideTheRange) {
    CAnnulusProgressUI ring;
    ring.SetValue(42);
    EXPECT_EQ(ring.CurrentValue(), 42);
    EXPECT_STREQ(ring.Text().Text(), L"42");
    ring.SetValue(101);
    EXPECT_EQ(ring.CurrentValue(), 42);
    EXPECT_STREQ(ring.Text().Text(), L"42");
    ring.SetMinValue(-10);
    ring.SetValue(-7);
    EXPECT_STREQ(ring.Text().Text(), L"-7");
    // The same value again leaves a text changed meanwhile alone.
    ring.SetText(L"custom");
    ring.SetValue(-7);
    EXPECT_STREQ(ring.Text().Text(), L"custom");
    ring.SetMinValue(INT_MIN);
    ring.SetValue(INT_MIN);
    EXPECT_STREQ(ring.Text().Text(), L"-2147483648");
}

}  // namespace
