#include "HorizontalLayoutUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "LayoutArithmetic.h"
#include "ScrollBarUI.h"

namespace TavikUI {

CHorizontalLayoutUI::CHorizontalLayoutUI() : CSeparatorLayoutUI(Axis::kHorizontal) {}

const wchar_t* CHorizontalLayoutUI::ClassName() const { return L"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"HorizontalLayout") == 0) {
        return this;
    }
    return CContainerUI::InterfaceByName(name);
}

void CHorizontalLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"sepwidth") == 0) {
        SetSeparatorSize(ReadDecimal(value));
        return;
    }
    CSeparatorLayoutUI::ApplyAttribute(name, value);
}

void CHorizontalLayoutUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    const CScrollBarUI* horizontalBar = HorizontalScrollBar();

    if (children_.IsEmpty()) {
        UpdateScrollBars(InnerRect(), 0, 0);
        return;
    }
    const CUIRect inner = ClientRect();

    const int availableWidth = inner.Width() + VisibleBarRange(horizontalBar);
    const int availableHeight = inner.Height();

    // First pass: the fixed widths and the number of children that share
    // the rest.
    int fixedTotal = 0;
    int automaticCount = 0;
    int placedCount = 0;
    for (int i = 0; i < children_.Count(); ++i) {
        CControlUI* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
        if (!child->IsVisible() || child->IsFloating()) {
            continue;
        }
        const SIZE desired = child->DesiredSize(CUISize(availableWidth, availableHeight));
        int width = 0;
        if (desired.cx == 0) {
            ++automaticCount;
        } else {
            width = ClampToLimits(desired.cx, child->MinWidth(), child->MaxWidth());
        }
        const CUIRect padding = child->Padding();
        fixedTotal += padding.left + padding.right + width;
        ++placedCount;
    }
    fixedTotal += childPadding_ * (placedCount - 1);
    int automaticWidth = 0;
    if (automaticCount > 0) {
        automaticWidth = ZeroWhenNegative((availableWidth - fixedTotal) / automaticCount);
    }

    // Second pass: place them; the last automatic child takes the rounding
    // remainder. The vertical scroll position does not move the children.
    int x = inner.left - VisibleBarPosition(horizontalBar);
    int remaining = availableWidth;
    int fixedBudget = fixedTotal;
    int needed = 0;
    int automaticSeen = 0;
    for (int i = 0; i < children_.Count(); ++i) {
        CControlUI* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
        if (!child->IsVisible()) {
            continue;
        }
        if (child->IsFloating()) {
            PlaceFloatingChild(i);
            continue;
        }
        const CUIRect padding = child->Padding();
        remaining -= padding.left;
        const SIZE desired = child->DesiredSize(CUISize(remaining, availableHeight));
        int width = 0;
        if (desired.cx != 0) {
            width = ClampToLimits(desired.cx, child->MinWidth(), child->MaxWidth());
            fixedBudget -= width;
        } else {
            width = automaticWidth;
            ++automaticSeen;
            if (automaticSeen == automaticCount) {
                width = ZeroWhenNegative(remaining - padding.right - fixedBudget);
            }
            width = ClampToLimits(width, child->MinWidth(), child->MaxWidth());
        }
        int height = child->DeclaredHeight();
        if (height == 0) {
            height = ZeroWhenNegative(availableHeight - padding.top - padding.bottom);
        }
        height = ClampToLimits(height, child->MinHeight(), child->MaxHeight());

        // The rectangle reaches over the right padding.
        const int left = x + padding.left;
        const int top = inner.top + padding.top;
        child->Place(CUIRect(left, top, left + width + padding.right, top + height));

        x += padding.left + width + padding.right + childPadding_;
        needed += padding.left + width + padding.right;
        remaining -= width + padding.right + childPadding_;
    }
    needed += childPadding_ * (placedCount - 1);
    UpdateScrollBars(inner, needed, 0);
}

}  // namespace TavikUI
