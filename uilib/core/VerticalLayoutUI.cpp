#include "VerticalLayoutUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "LayoutArithmetic.h"
#include "ScrollBarUI.h"

namespace TavikUI {

CVerticalLayoutUI::CVerticalLayoutUI() : CSeparatorLayoutUI(Axis::kVertical) {}

const wchar_t* CVerticalLayoutUI::ClassName() const { return L"VerticalLayoutUI"; }

void* CVerticalLayoutUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"VerticalLayout") == 0) {
        return this;
    }
    return CContainerUI::InterfaceByName(name);
}

void CVerticalLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"sepheight") == 0) {
        SetSeparatorSize(ReadDecimal(value));
        return;
    }
    CSeparatorLayoutUI::ApplyAttribute(name, value);
}

CVerticalLayoutUI::HeightShare CVerticalLayoutUI::ShareHeights(int availableWidth, int availableHeight) const {
    HeightShare share;
    for (int i = 0; i < children_.Count(); ++i) {
        CControlUI* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
        if (!child->IsVisible() || child->IsFloating()) {
            continue;
        }
        const SIZE desired = child->DesiredSize(CUISize(availableWidth, availableHeight));
        int height = 0;
        if (desired.cy == 0) {
            ++share.automaticCount;
        } else {
            height = ClampToLimits(desired.cy, child->MinHeight(), child->MaxHeight());
        }
        const CUIRect padding = child->Padding();
        share.fixedTotal += padding.top + padding.bottom + height;
        ++share.placedCount;
    }
    share.fixedTotal += childPadding_ * (share.placedCount - 1);
    if (share.automaticCount > 0) {
        share.automaticHeight = ZeroWhenNegative((availableHeight - share.fixedTotal) / share.automaticCount);
    }
    return share;
}

void CVerticalLayoutUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    const CScrollBarUI* verticalBar = VerticalScrollBar();
    const CScrollBarUI* horizontalBar = HorizontalScrollBar();

    const CUIRect inner = ClientRect();
    if (children_.IsEmpty()) {
        UpdateScrollBars(inner, 0, 0);
        return;
    }

    const int availableWidth = inner.Width() + VisibleBarRange(horizontalBar);
    const int availableHeight = inner.Height();

    const HeightShare share = ShareHeights(availableWidth, availableHeight);

    // Second pass: place them; the last automatic child takes the rounding
    // remainder.
    int y = inner.top - VisibleBarPosition(verticalBar);
    const int x = inner.left - VisibleBarPosition(horizontalBar);
    int remaining = availableHeight;
    int fixedBudget = share.fixedTotal;
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
        remaining -= padding.top;
        const SIZE desired = child->DesiredSize(CUISize(availableWidth, remaining));
        int height = 0;
        if (desired.cy != 0) {
            height = ClampToLimits(desired.cy, child->MinHeight(), child->MaxHeight());
            fixedBudget -= height;
        } else {
            height = share.automaticHeight;
            ++automaticSeen;
            if (automaticSeen == share.automaticCount) {
                height = ZeroWhenNegative(remaining - padding.bottom - fixedBudget);
            }
            height = ClampToLimits(height, child->MinHeight(), child->MaxHeight());
        }
        int width = child->DeclaredWidth();
        if (width == 0) {
            width = ZeroWhenNegative(availableWidth - padding.left - padding.right);
        }
        width = ClampToLimits(width, child->MinWidth(), child->MaxWidth());

        // The rectangle reaches over the bottom padding.
        const int left = x + padding.left;
        const int top = y + padding.top;
        child->Place(CUIRect(left, top, left + width, top + height + padding.bottom));

        y += padding.top + height + padding.bottom + childPadding_;
        needed += padding.top + height + padding.bottom;
        remaining -= height + padding.bottom + childPadding_;
    }
    needed += childPadding_ * (share.placedCount - 1);
    UpdateScrollBars(inner, 0, needed);
}

}  // namespace TavikUI
