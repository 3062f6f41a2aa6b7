// The progress arithmetic: how a range is made usable before a paint and how
// much of a bar a value fills, down to the extremes of the 32-bit range.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "ProgressRange.h"

namespace {

using TavikUI::ProgressFillRect;
using TavikUI::ProgressFraction;
using TavikUI::ProgressRange;
using TavikUI::ScaleExtent;
using TavikUI::UsableProgressRange;

const int32_t kLowest = std::numeric_limits<int32_t>::min();
const int32_t kHighest = std::numeric_limits<int32_t>::max();

void ExpectRange(const ProgressRange& range, int32_t minimum, int32_t maximum, int32_t value) {
    EXPECT_EQ(range.minimum, minimum);
    EXPECT_EQ(range.maximum, maximum);
    EXPECT_EQ(range.value, value);
}

TEST(ProgressRangeTest, EmptyOrReversedRangesGetTheirSpanAboveTheMinimum) {
    ExpectRange(UsableProgressRange({50, 50, 50}, 1), 50, 51, 50);
    ExpectRange(UsableProgressRange({50, 50, 50}, 100), 50, 150, 50);
    ExpectRange(UsableProgressRange({10, -5, 0}, 1), 10, 11, 10);
    // A proper range is kept as it is.
    ExpectRange(UsableProgressRange({-5, 10, 3}, 1), -5, 10, 3);
}

TEST(ProgressRangeTest, ValuesAreClampedIntoTheRange) {
    ExpectRange(UsableProgressRange({0, 100, 150}, 1), 0, 100, 100);
    ExpectRange(UsableProgressRange({0, 100, -3}, 1), 0, 100, 0);
    ExpectRange(UsableProgressRange({20, 20, 70}, 100), 20, 120, 70);
    ExpectRange(UsableProgressRange({20, 20, 500}, 100), 20, 120, 120);
}

TEST(ProgressRangeTest, AMinimumAtTheTopOfTheInt32RangeDoesNotWrapTheMaximum) {
    ExpectRange(UsableProgressRange({kHighest, kHighest, kHighest}, 1), kHighest - 1, kHighest, kHighest);
    ExpectRange(UsableProgressRange({kHighest - 50, 0, 0}, 100), kHighest - 100, kHighest, kHighest - 100);
    // One below the limit still fits above the minimum.
    ExpectRange(UsableProgressRange({kHighest - 1, 0, 0}, 1), kHighest - 1, kHighest, kHighest - 1);
}

TEST(ProgressRangeTest, HorizontalBarsFillFromTheLeft) {
    EXPECT_EQ(ProgressFillRect({0, 100, 37}, 200, 20, true).right, 74);
    const RECT full = ProgressFillRect({0, 100, 100}, 200, 20, true);
    EXPECT_EQ(full.left, 0);
    EXPECT_EQ(full.top, 0);
    EXPECT_EQ(full.right, 200);
    EXPECT_EQ(full.bottom, 20);
    EXPECT_EQ(ProgressFillRect({0, 100, 0}, 200, 20, true).right, 0);
    // Truncated: 3 of 7 of 10 pixels is 4.28.
    EXPECT_EQ(ProgressFillRect({0, 7, 3}, 10, 5, true).right, 4);
    EXPECT_EQ(ProgressFillRect({-50, 50, 0}, 200, 20, true).right, 100);
}

TEST(ProgressRangeTest, VerticalBarsFillFromTheBottom) {
    const RECT fill = ProgressFillRect({0, 100, 25}, 30, 40, false);
    EXPECT_EQ(fill.left, 0);
    EXPECT_EQ(fill.top, 30);
    EXPECT_EQ(fill.right, 30);
    EXPECT_EQ(fill.bottom, 40);
    EXPECT_EQ(ProgressFillRect({0, 100, 100}, 30, 40, false).top, 0);
    EXPECT_EQ(ProgressFillRect({0, 100, 0}, 30, 40, false).top, 40);
}

TEST(ProgressRangeTest, ExtremeRangesAndLargeBarsDoNotOverflow) {
    // The whole int32 range: the differences alone pass 32 bits.
    EXPECT_EQ(ProgressFillRect({kLowest, kHighest, 0}, 200, 20, true).right, 100);
    EXPECT_EQ(ProgressFillRect({kLowest, kHighest, kHighest}, 200, 20, true).right, 200);
    EXPECT_EQ(ProgressFillRect({kLowest, kHighest, kLowest}, 200, 20, true).right, 0);
    EXPECT_EQ(ProgressFillRect({kLowest, kHighest, 0}, 30, 200, false).top, 99);
    // Width x (value - min) passes 32 bits for ordinary large values.
    EXPECT_EQ(ProgressFillRect({0, 2000000000, 1500000000}, 400, 20, true).right, 300);
    EXPECT_EQ(ProgressFillRect({-2000000000, 2000000000, 1000000000}, 200, 20, true).right, 150);
    EXPECT_EQ(ScaleExtent(kHighest, 4294967295LL, 4294967295LL), kHighest);
    EXPECT_EQ(ScaleExtent(kHighest, 1, 4294967295LL), 0);
}

TEST(ProgressRangeTest, EmptyExtentsAndPartsScaleToNothing) {
    EXPECT_EQ(ScaleExtent(0, 5, 10), 0);
    EXPECT_EQ(ScaleExtent(100, 0, 10), 0);
    EXPECT_EQ(ScaleExtent(100, 5, 0), 0);
    EXPECT_EQ(ScaleExtent(-100, 5, 10), 0);
}

TEST(ProgressRangeTest, FractionIsTheValuesShareOfTheRange) {
    EXPECT_DOUBLE_EQ(ProgressFraction({0, 100, 25}), 0.25);
    EXPECT_DOUBLE_EQ(ProgressFraction({0, 100, 0}), 0.0);
    EXPECT_DOUBLE_EQ(ProgressFraction({0, 100, 100}), 1.0);
    EXPECT_DOUBLE_EQ(ProgressFraction({50, 150, 110}), 0.6);
    EXPECT_DOUBLE_EQ(ProgressFraction({kLowest, kHighest, kHighest}), 1.0);
    EXPECT_NEAR(ProgressFraction({kLowest, kHighest, 0}), 0.5, 1e-9);
}

}  // namespace
