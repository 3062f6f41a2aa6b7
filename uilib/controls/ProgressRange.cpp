#include "ProgressRange.h"

#include <limits>

namespace TavikUI {

ProgressRange UsableProgressRange(ProgressRange range, int32_t span) {
    if (range.minimum >= range.maximum) {
        const int32_t highest = std::numeric_limits<int32_t>::max();
        if (range.minimum > highest - span) {
            range.minimum = highest - span;
            range.maximum = highest;
        } else {
            range.maximum = range.minimum + span;
        }
    }
    if (range.value < range.minimum) {
        range.value = range.minimum;
    } else if (range.value > range.maximum) {
        range.value = range.maximum;
    }
    return range;
}

int ScaleExtent(int extent, int64_t part, int64_t whole) {
    if (whole <= 0 || extent <= 0 || part <= 0) {
        return 0;
    }
    // |extent| < 2^31 and part <= whole < 2^32: the product stays below 2^63.
    return static_cast<int>(static_cast<int64_t>(extent) * part / whole);
}

RECT ProgressFillRect(const ProgressRange& range, int width, int height, bool horizontal) {
    const int64_t whole = static_cast<int64_t>(range.maximum) - range.minimum;
    if (horizontal) {
        const int right = ScaleExtent(width, static_cast<int64_t>(range.value) - range.minimum, whole);
        return RECT{0, 0, right, height};
    }
    const int top = ScaleExtent(height, static_cast<int64_t>(range.maximum) - range.value, whole);
    return RECT{0, top, width, height};
}

double ProgressFraction(const ProgressRange& range) {
    const double whole = static_cast<double>(range.maximum) - range.minimum;
    if (whole <= 0) {
        return 0.0;
    }
    return 1.0 - (static_cast<double>(range.maximum) - range.value) / whole;
}

}  // namespace TavikUI
