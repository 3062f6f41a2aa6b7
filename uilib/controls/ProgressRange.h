// The arithmetic of a progress bar: how its range is made usable before a
// paint and how much of the bar a value fills. Kept apart from the controls
// so that the extremes of the 32-bit range can be checked without a window.
#pragma once

#include <windows.h>

#include <cstdint>

namespace TavikUI {

struct ProgressRange {
    int32_t minimum;
    int32_t maximum;
    int32_t value;
};

// A range a bar can paint: when the minimum is not below the maximum, the
// maximum is moved `span` (> 0) above the minimum, or, where that would pass
// the largest int32, the range becomes the last `span` values below it. The
// value is then clamped into the range.
ProgressRange UsableProgressRange(ProgressRange range, int32_t span);

// extent x part / whole, truncated toward zero, with `whole` > 0 and
// 0 <= part <= whole; computed in 64 bits so that neither the differences of
// extreme int32 values nor their product with the extent overflow.
int ScaleExtent(int extent, int64_t part, int64_t whole);

// The filled part of a bar `width` x `height` for a usable range, relative to
// the bar's top-left corner: horizontal bars fill from the left, vertical
// bars from the bottom.
RECT ProgressFillRect(const ProgressRange& range, int width, int height, bool horizontal);

// How far the value stands in a usable range, 0..1.
double ProgressFraction(const ProgressRange& range);

}  // namespace TavikUI
