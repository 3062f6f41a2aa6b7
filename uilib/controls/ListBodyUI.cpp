#include "ListBodyUI.h"

#include "LayoutArithmetic.h"
#include "ListHeaderUI.h"
#include "ListUI.h"
#include "ScrollBarUI.h"

namespace TavikUI {

CListBodyUI::CListBodyUI(CListUI* owner) : owner_(owner) {}

void CListBodyUI::HandleEvent(UIEvent& event) {
    // Keys and the wheel are the list's: the body never scrolls by itself.
    if (owner_) {
        owner_->HandleEvent(event);
    } else {
        CControlUI::HandleEvent(event);
    }
}

void CListBodyUI::SetScrollPosition(SIZE position) {
    int dy = 0;
    CScrollBarUI* vertical = VerticalScrollBar();
    if (IsBarVisible(vertical)) {
        const int old = vertical->Position();
        vertical->SetPosition(position.cy);
        dy = vertical->Position() - old;
    }
    int dx = 0;
    CScrollBarUI* horizontal = HorizontalScrollBar();
    if (IsBarVisible(horizontal)) {
        const int old = horizontal->Position();
        horizontal->SetPosition(position.cx);
        dx = horizontal->Position() - old;
    }
    if (dx == 0 && dy == 0) {
        return;
    }
    for (int i = 0; i < children_.Count(); ++i) {
        auto* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
        if (!child->IsVisible() || child->IsFloating()) {
            continue;
        }
        CUIRect moved = child->Rect();
        moved.Offset(-dx, -dy);
        child->Place(moved);
    }
    InvalidateVisibleRect();
    if (dx != 0 && owner_) {
        owner_->FollowHorizontalScroll(dx);
    }
}

int CListBodyUI::NeededWidth(const CUIRect& inner) const {
    const CListHeaderUI* header = owner_ ? owner_->Header() : nullptr;
    if (header && header->ChildCount() > 0) {
        const int width = const_cast<CListHeaderUI*>(header)->DesiredSize(CUISize(inner.Width(), inner.Height())).cx;
        return ZeroWhenNegative(width);
    }
    int widest = 0;
    for (int i = 0; i < children_.Count(); ++i) {
        auto* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
        if (!child->IsVisible() || child->IsFloating()) {
            continue;
        }
        const int width = ClampToLimits(child->DesiredSize(CUISize(inner.Width(), inner.Height())).cx,
                                        child->MinWidth(), child->MaxWidth());
        if (width > widest) {
            widest = width;
        }
    }
    return widest;
}

int CListBodyUI::UpdateHorizontalBar(int neededWidth, int innerWidth) {
    CScrollBarUI* bar = HorizontalScrollBar();
    if (!bar) {
        return 0;
    }
    if (neededWidth > innerWidth) {
        bar->SetRange(neededWidth - innerWidth);
        if (!bar->IsVisible()) {
            bar->ShowOrHide(true);
            bar->SetPosition(0);
            return -bar->DeclaredHeight();
        }
    } else if (bar->IsVisible()) {
        bar->ShowOrHide(false);
        bar->SetRange(0);
        bar->SetPosition(0);
        return bar->DeclaredHeight();
    }
    return 0;
}

void CListBodyUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    CUIRect inner = ClientRect();
    const int neededWidth = NeededWidth(inner);
    inner.bottom += UpdateHorizontalBar(neededWidth, inner.Width());
    const CScrollBarUI* verticalBar = VerticalScrollBar();
    const CScrollBarUI* horizontalBar = HorizontalScrollBar();
    if (children_.IsEmpty()) {
        UpdateScrollBars(inner, neededWidth, 0);
        return;
    }

    const int availableWidth = inner.Width() + VisibleBarRange(horizontalBar);
    const int availableHeight = inner.Height();
    const int rowSpan = neededWidth > availableWidth ? neededWidth : availableWidth;

    // As the vertical layout: fixed heights first, the rest shared.
    const HeightShare share = ShareHeights(availableWidth, availableHeight);

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
        // Rows span the columns, whatever width they declare.
        const int width =
            ClampToLimits(rowSpan - padding.left - padding.right, child->MinWidth(), child->MaxWidth());
        const int left = x + padding.left;
        const int top = y + padding.top;
        child->Place(CUIRect(left, top, left + width, top + height + padding.bottom));

        y += padding.top + height + padding.bottom + childPadding_;
        needed += padding.top + height + padding.bottom;
        remaining -= height + padding.bottom + childPadding_;
    }
    needed += childPadding_ * (share.placedCount - 1);
    UpdateScrollBars(inner, neededWidth, needed);
}

}  // namespace TavikUI
