// Small integer rules the layouts share when they size children and read
// their container's scroll bars.
#pragma once

#include "ScrollBarUI.h"

namespace TavikUI {

// Raised to the minimum first, then lowered to the maximum (so a maximum
// below the minimum wins).
inline int ClampToLimits(int value, int minimum, int maximum) {
    if (value < minimum) {
        value = minimum;
    }
    if (value > maximum) {
        value = maximum;
    }
    return value;
}

inline int ZeroWhenNegative(int value) { return value < 0 ? 0 : value; }

inline bool IsBarVisible(const CScrollBarUI* bar) { return bar && bar->IsVisible(); }

// Position and range of a bar that is shown; 0 for an absent or hidden bar.
inline int VisibleBarPosition(const CScrollBarUI* bar) { return IsBarVisible(bar) ? bar->Position() : 0; }
inline int VisibleBarRange(const CScrollBarUI* bar) { return IsBarVisible(bar) ? bar->Range() : 0; }

}  // namespace TavikUI
