#include <gtest/gtest.h>

#include "UIRect.h"

using TavikUI::CUIRect;
using TavikUI::CUISize;
using TavikUI::ReadNumberList;
using TavikUI::ReadRectText;
using TavikUI::ReadSizeText;

namespace {

void ExpectRect(const RECT& rect, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right, right);
    EXPECT_EQ(rect.bottom, bottom);
}

}  // namespace

TEST(UIRect, ConstructionAndExtent) {
    static_assert(sizeof(CUIRect) == sizeof(RECT), "passed to Win32 as a RECT");
    static_assert(sizeof(CUISize) == sizeof(SIZE), "laid out as a SIZE");
    ExpectRect(CUIRect(), 0, 0, 0, 0);
    const RECT raw{1, 2, 3, 4};
    ExpectRect(CUIRect(raw), 1, 2, 3, 4);
    const CUIRect rect(10, 20, 110, 70);
    EXPECT_EQ(rect.Width(), 100);
    EXPECT_EQ(rect.Height(), 50);
    EXPECT_EQ(CUIRect(5, 5, 2, 1).Width(), -3);
    const CUISize size(7, -8);
    EXPECT_EQ(size.cx, 7);
    EXPECT_EQ(size.cy, -8);
}

TEST(UIRect, MovingAndCombining) {
    CUIRect rect(10, 20, 110, 70);
    rect.Offset(-5, 7);
    ExpectRect(rect, 5, 27, 105, 77);
    rect.MoveToOrigin();
    ExpectRect(rect, 0, 0, 100, 50);
    rect.ShrinkBy(10, 5);
    ExpectRect(rect, 10, 5, 90, 45);
    rect.ShrinkBy(-2, -1);
    ExpectRect(rect, 8, 4, 92, 46);

    CUIRect joined(0, 10, 20, 30);
    joined.Union(CUIRect(-5, 15, 10, 40));
    ExpectRect(joined, -5, 10, 20, 40);
    // No special case for an empty rectangle: its edges count too.
    CUIRect withEmpty(10, 10, 20, 20);
    withEmpty.Union(CUIRect());
    ExpectRect(withEmpty, 0, 0, 20, 20);

    // Works with the Win32 functions directly.
    CUIRect target;
    EXPECT_TRUE(IntersectRect(&target, &joined, &withEmpty));
    ExpectRect(target, 0, 10, 20, 20);
}

TEST(UIRectText, ReadsNumbersAfterOneSeparatorEach) {
    ExpectRect(ReadRectText(L"1,2,3,4"), 1, 2, 3, 4);
    ExpectRect(ReadRectText(L"-5 10 -15 20"), -5, 10, -15, 20);
    ExpectRect(ReadRectText(L"1, 2, 3, 4"), 1, 2, 3, 4);
    const CUISize size = ReadSizeText(L"120,36");
    EXPECT_EQ(size.cx, 120);
    EXPECT_EQ(size.cy, 36);
    // Exactly one separator: a doubled one makes an empty number.
    ExpectRect(ReadRectText(L"1,,3,4"), 1, 0, 3, 4);
}

TEST(UIRectText, NeverStepsPastTheEndOfTheText) {
    // The text sits in front of a sentinel that a reader skipping a
    // separator at the terminator would parse as the next number.
    const wchar_t buffer[] =
        L"7,8\0"
        L"99,99";
    ExpectRect(ReadRectText(buffer), 7, 8, 0, 0);
    const wchar_t trailing[] =
        L"7,\0"
        L"55";
    ExpectRect(ReadRectText(trailing), 7, 0, 0, 0);
    const wchar_t empty[] =
        L"\0"
        L"12,12";
    ExpectRect(ReadRectText(empty), 0, 0, 0, 0);
    ExpectRect(ReadRectText(nullptr), 0, 0, 0, 0);
    const wchar_t single[] =
        L"4\0"
        L"44";
    const CUISize size = ReadSizeText(single);
    EXPECT_EQ(size.cx, 4);
    EXPECT_EQ(size.cy, 0);

    int values[6] = {-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(ReadNumberList(L"1,2,3", values, 6), 3);
    EXPECT_EQ(values[2], 3);
    EXPECT_EQ(values[3], 0);
    EXPECT_EQ(values[5], 0);
    EXPECT_EQ(ReadNumberList(L"x", values, 2), 0);
    EXPECT_EQ(values[0], 0);
}
