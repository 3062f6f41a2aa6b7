#include "SeparatorLayoutUI.h"

#include <algorithm>
#include <cwchar>

#include "ControlValueText.h"
#include "GdiRenderer.h"
#include "LayoutArithmetic.h"
#include "WindowManager.h"

namespace TavikUI {

CSeparatorLayoutUI::CSeparatorLayoutUI(Axis axis)
    : axis_(axis), separatorSize_(0), dragging_(false), lastPoint_{0, 0}, immediate_(false) {}

CSeparatorLayoutUI::~CSeparatorLayoutUI() { AbandonDrag(); }

void CSeparatorLayoutUI::SetSeparatorImmediate(bool immediate) {
    // A drag that switches to immediate mode no longer draws its bar.
    if (!immediate_ && immediate && dragging_ && manager_) {
        manager_->UnregisterPostPaintControl(this);
    }
    immediate_ = immediate;
}

CSeparatorLayoutUI::FlowShare CSeparatorLayoutUI::ShareAlongAxis(CUISize available) const {
    const CFlowAxis flow = Flow();
    FlowShare share;
    for (int i = 0; i < children_.Count(); ++i) {
        CControlUI* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
        if (!child->IsVisible() || child->IsFloating()) {
            continue;
        }
        const int desired = flow.Along(child->DesiredSize(available));
        int extent = 0;
        if (desired == 0) {
            ++share.automaticCount;
        } else {
            extent = ClampToLimits(desired, flow.MinAlong(*child), flow.MaxAlong(*child));
        }
        const CUIRect padding = child->Padding();
        share.fixedTotal += flow.LeadAlong(padding) + flow.TrailAlong(padding) + extent;
        ++share.placedCount;
    }
    share.fixedTotal += childPadding_ * (share.placedCount - 1);
    if (share.automaticCount > 0) {
        share.automaticExtent = ZeroWhenNegative((flow.Along(available) - share.fixedTotal) / share.automaticCount);
    }
    return share;
}

int CSeparatorLayoutUI::DeclaredOrFillAcross(const CControlUI& child, const CUIRect& padding, int available) const {
    const CFlowAxis flow = Flow();
    int extent = flow.DeclaredAcross(child);
    if (extent == 0) {
        extent = ZeroWhenNegative(available - flow.LeadAcross(padding) - flow.TrailAcross(padding));
    }
    return ClampToLimits(extent, flow.MinAcross(child), flow.MaxAcross(child));
}

int CSeparatorLayoutUI::PlaceAlongAxis(POINT origin, CUISize available, const AcrossExtent& across) {
    const CFlowAxis flow = Flow();
    const FlowShare share = ShareAlongAxis(available);
    const bool vertical = axis_ == Axis::kVertical;
    int position = vertical ? origin.y : origin.x;
    const int acrossOrigin = vertical ? origin.x : origin.y;
    const int availableAcross = vertical ? available.cx : available.cy;
    int remaining = flow.Along(available);
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
        const int lead = flow.LeadAlong(padding);
        const int trail = flow.TrailAlong(padding);
        remaining -= lead;
        const int desired = flow.Along(child->DesiredSize(flow.Size(remaining, availableAcross)));
        int extent = 0;
        if (desired != 0) {
            extent = ClampToLimits(desired, flow.MinAlong(*child), flow.MaxAlong(*child));
            fixedBudget -= extent;
        } else {
            extent = share.automaticExtent;
            ++automaticSeen;
            if (automaticSeen == share.automaticCount) {
                extent = ZeroWhenNegative(remaining - trail - fixedBudget);
            }
            extent = ClampToLimits(extent, flow.MinAlong(*child), flow.MaxAlong(*child));
        }
        const int start = position + lead;
        const int acrossStart = acrossOrigin + flow.LeadAcross(padding);
        child->Place(flow.Rect(start, start + extent + trail, acrossStart, acrossStart + across(*child, padding)));

        position += lead + extent + trail + childPadding_;
        needed += lead + extent + trail;
        remaining -= extent + trail + childPadding_;
    }
    return needed + childPadding_ * (share.placedCount - 1);
}

CUIRect CSeparatorLayoutUI::SeparatorStrip(const RECT& rect) const {
    CUIRect strip(rect);
    const int s = separatorSize_;
    if (s == 0) {
        return CUIRect();
    }
    if (axis_ == Axis::kVertical) {
        if (s > 0) {
            strip.top = std::max<LONG>(rect.top, rect.bottom - s);
        } else {
            strip.bottom = std::min<LONG>(rect.top - s, rect.bottom);
        }
    } else if (s > 0) {
        // The horizontal strip is not clamped to the rectangle.
        strip.left = rect.right - s;
    } else {
        strip.right = rect.left - s;
    }
    return strip;
}

UINT CSeparatorLayoutUI::BehaviourFlags() const {
    return IsEnabled() && separatorSize_ != 0 ? static_cast<UINT>(kBehaviourSetCursor) : 0u;
}

void CSeparatorLayoutUI::AttachToManager(CWindowManager* manager, CControlUI* parent, bool init) {
    if (manager != manager_) {
        AbandonDrag();
    }
    CContainerUI::AttachToManager(manager, parent, init);
}

void CSeparatorLayoutUI::HandleEvent(UIEvent& event) {
    if (separatorSize_ == 0) {
        CContainerUI::HandleEvent(event);
        return;
    }
    switch (event.type) {
    case kEventButtonDown:
        if (StartDrag(event)) {
            return;
        }
        break;
    case kEventMouseMove:
        if (dragging_) {
            ContinueDrag(event);
            return;
        }
        break;
    case kEventButtonUp:
        if (dragging_) {
            EndDrag();
            return;
        }
        break;
    case kEventSetCursor: {
        const CUIRect strip = SeparatorStrip(rect_);
        if (IsEnabled() && PtInRect(&strip, event.point)) {
            SetCursor(LoadCursorW(nullptr, ResizeCursor()));
            return;
        }
        break;
    }
    default:
        break;
    }
    CContainerUI::HandleEvent(event);
}

void CSeparatorLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"sepimm") == 0) {
        SetSeparatorImmediate(IsTrueText(value));
        return;
    }
    CContainerUI::ApplyAttribute(name, value);
}

void CSeparatorLayoutUI::PostPaint(HDC dc, const RECT& /*area*/) {
    if (dragging_ && !immediate_) {
        CGdiRenderer::FillColor(dc, SeparatorStrip(dragRect_), kDragBarColor);
    }
}

int CSeparatorLayoutUI::Along(POINT point) const { return axis_ == Axis::kVertical ? point.y : point.x; }

LONG& CSeparatorLayoutUI::NearEdge(RECT& rect) const { return axis_ == Axis::kVertical ? rect.top : rect.left; }

LONG& CSeparatorLayoutUI::FarEdge(RECT& rect) const { return axis_ == Axis::kVertical ? rect.bottom : rect.right; }

int CSeparatorLayoutUI::Extent(const RECT& rect) const {
    return axis_ == Axis::kVertical ? rect.bottom - rect.top : rect.right - rect.left;
}

int CSeparatorLayoutUI::MinExtent() const { return axis_ == Axis::kVertical ? MinHeight() : MinWidth(); }

int CSeparatorLayoutUI::MaxExtent() const { return axis_ == Axis::kVertical ? MaxHeight() : MaxWidth(); }

LPCWSTR CSeparatorLayoutUI::ResizeCursor() const { return axis_ == Axis::kVertical ? IDC_SIZENS : IDC_SIZEWE; }

bool CSeparatorLayoutUI::StartDrag(const UIEvent& event) {
    const CUIRect strip = SeparatorStrip(rect_);
    if (!IsEnabled() || !PtInRect(&strip, event.point)) {
        return false;
    }
    dragging_ = true;
    lastPoint_ = event.point;
    dragRect_ = rect_;
    if (!immediate_ && manager_) {
        manager_->RegisterPostPaintControl(this);
    }
    return true;
}

void CSeparatorLayoutUI::ContinueDrag(const UIEvent& event) {
    const int delta = Along(event.point) - Along(lastPoint_);
    lastPoint_ = event.point;
    const CUIRect oldStrip = SeparatorStrip(dragRect_);
    if (!MoveDraggedEdge(Along(event.point), delta)) {
        return;
    }
    // The declared size follows the drag; the relayout comes from the
    // immediate move or from the release.
    if (axis_ == Axis::kVertical) {
        StoreDeclaredHeight(dragRect_.Height());
    } else {
        StoreDeclaredWidth(dragRect_.Width());
    }
    if (immediate_) {
        rect_ = dragRect_;
        MarkParentForLayout();
        return;
    }
    if (manager_) {
        CUIRect dirty = oldStrip;
        dirty.Union(SeparatorStrip(dragRect_));
        dirty.Union(SeparatorStrip(rect_));
        manager_->InvalidateArea(dirty);
    }
}

void CSeparatorLayoutUI::EndDrag() {
    rect_ = dragRect_;
    dragging_ = false;
    if (!immediate_ && manager_) {
        manager_->UnregisterPostPaintControl(this);
    }
    MarkParentForLayout();
}

bool CSeparatorLayoutUI::MoveDraggedEdge(int pointer, int delta) {
    const int s = separatorSize_;
    // The vertical layout's thresholds add the separator size where the
    // horizontal one's subtract it.
    const int signedSize = axis_ == Axis::kVertical ? s : -s;
    const int currentExtent = Extent(dragRect_);
    const int minExtent = MinExtent();
    const int maxExtent = MaxExtent();
    LONG& nearEdge = NearEdge(dragRect_);
    LONG& farEdge = FarEdge(dragRect_);
    if (s > 0) {
        if ((delta > 0 && pointer < farEdge + signedSize) || (delta < 0 && pointer > farEdge)) {
            return false;
        }
        int newFar = farEdge + delta;
        if (newFar - nearEdge <= minExtent) {
            if (currentExtent <= minExtent) {
                return false;
            }
            newFar = nearEdge + minExtent;
        }
        if (newFar - nearEdge >= maxExtent) {
            if (currentExtent >= maxExtent) {
                return false;
            }
            newFar = nearEdge + maxExtent;
        }
        farEdge = newFar;
        return true;
    }
    if ((delta > 0 && pointer < nearEdge) || (delta < 0 && pointer > nearEdge + signedSize)) {
        return false;
    }
    int newNear = nearEdge + delta;
    if (farEdge - newNear <= minExtent) {
        if (currentExtent <= minExtent) {
            return false;
        }
        newNear = farEdge - minExtent;
    }
    if (farEdge - newNear >= maxExtent) {
        if (currentExtent >= maxExtent) {
            return false;
        }
        newNear = farEdge - maxExtent;
    }
    nearEdge = newNear;
    return true;
}

void CSeparatorLayoutUI::AbandonDrag() {
    if (dragging_ && !immediate_ && manager_) {
        manager_->UnregisterPostPaintControl(this);
    }
    dragging_ = false;
}

}  // namespace TavikUI
