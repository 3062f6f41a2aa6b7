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
    const SIZE moved = MoveScrollPosition(position);
    if (moved.cx != 0 && owner_) {
        owner_->FollowHorizontalScroll(moved.cx);
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
    if (children_.IsEmpty()) {
        UpdateScrollBars(inner, neededWidth, 0);
        return;
    }
    const CUISize available(inner.Width() + VisibleBarRange(HorizontalScrollBar()), inner.Height());
    const int rowSpan = neededWidth > available.cx ? neededWidth : available.cx;
    const POINT origin = {inner.left - VisibleBarPosition(HorizontalScrollBar()),
                          inner.top - VisibleBarPosition(VerticalScrollBar())};
    // Rows span the columns, whatever width they declare.
    const int needed = PlaceAlongAxis(origin, available, [rowSpan](const CControlUI& child, const CUIRect& padding) {
        return ClampToLimits(rowSpan - padding.left - padding.right, child.MinWidth(), child.MaxWidth());
    });
    UpdateScrollBars(inner, neededWidth, needed);
}

}  // namespace TavikUI
