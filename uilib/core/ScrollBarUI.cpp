// The scroll bar: settings, placement of buttons and thumb, and the press,
// drag and repeat handling. Painting and attributes are in
// ScrollBarUIPaint.cpp.
#include "ScrollBarUI.h"

#include <algorithm>
#include <cstdint>

#include "ContainerUI.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

constexpr int kDefaultThickness = 16;
constexpr int kDefaultRange = 100;
constexpr int kDefaultLineSize = 8;

// The integer quotient of a product, computed wide so that large ranges from
// skin attributes cannot overflow; 0 for a zero divisor.
int ScaledQuotient(int64_t a, int64_t b, int64_t divisor) {
    return divisor == 0 ? 0 : static_cast<int>(a * b / divisor);
}

}  // namespace

CScrollBarUI::CScrollBarUI()
    : horizontal_(false),
      range_(kDefaultRange),
      position_(0),
      lineSize_(kDefaultLineSize),
      owner_(nullptr),
      dragStart_{0, 0},
      dragStartPosition_(0),
      dragDelta_(0),
      repeatTicks_(0) {
    SetDeclaredWidth(kDefaultThickness);
}

const wchar_t* CScrollBarUI::ClassName() const { return L"ScrollBarUI"; }

void* CScrollBarUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ScrollBar") == 0) {
        return this;
    }
    return CControlUI::InterfaceByName(name);
}

void CScrollBarUI::SetOwnerContainer(CContainerUI* owner) { owner_ = owner; }

void CScrollBarUI::SetHorizontalMode(bool horizontal) {
    if (horizontal_ == horizontal) {
        return;
    }
    horizontal_ = horizontal;
    // The thickness moves to the other declared dimension unless the skin
    // already set that one.
    if (horizontal && DeclaredHeight() == 0) {
        SetDeclaredWidth(0);
        SetDeclaredHeight(kDefaultThickness);
    } else if (!horizontal && DeclaredWidth() == 0) {
        SetDeclaredHeight(0);
        SetDeclaredWidth(kDefaultThickness);
    }
    if (owner_) {
        owner_->MarkForLayout();
    } else if (parent_) {
        parent_->MarkForLayout();
    }
}

void CScrollBarUI::SetRange(int range) {
    if (range == range_) {
        return;
    }
    range_ = std::max(range, 0);
    position_ = std::min(position_, range_);
    const CUIRect current = rect_;
    Place(current);
}

void CScrollBarUI::SetPosition(int position) {
    if (position == position_) {
        return;
    }
    position_ = std::clamp(position, 0, range_);
    const CUIRect current = rect_;
    Place(current);
}

void CScrollBarUI::SetLineSize(int size) { lineSize_ = size; }

void CScrollBarUI::SetShowButton1(bool show) {
    button1_.shown = show;
    const CUIRect current = rect_;
    Place(current);
}

void CScrollBarUI::SetShowButton2(bool show) {
    button2_.shown = show;
    const CUIRect current = rect_;
    Place(current);
}

void CScrollBarUI::ShowOrHide(bool show) {
    if (OwnVisibility() == show) {
        return;
    }
    StoreOwnVisibility(show);
    focused_ = false;
}

void CScrollBarUI::SetEnabledState(bool enabled) {
    CControlUI::SetEnabledState(enabled);
    if (!IsEnabled()) {
        button1_.state = 0;
        button2_.state = 0;
        thumb_.state = 0;
    }
}

void CScrollBarUI::TakeFocus() {
    if (owner_) {
        owner_->TakeFocus();
    } else {
        CControlUI::TakeFocus();
    }
}

// --- Geometry ------------------------------------------------------------------

int CScrollBarUI::Thickness() const { return horizontal_ ? DeclaredHeight() : DeclaredWidth(); }

int CScrollBarUI::Length() const { return horizontal_ ? rect_.Width() : rect_.Height(); }

int CScrollBarUI::AlongAxis(POINT point) const { return horizontal_ ? point.x : point.y; }

CUIRect CScrollBarUI::AxisRect(int alongStart, int alongEnd, int acrossStart, int acrossEnd) const {
    return horizontal_ ? CUIRect(alongStart, acrossStart, alongEnd, acrossEnd)
                       : CUIRect(acrossStart, alongStart, acrossEnd, alongEnd);
}

void CScrollBarUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    const int length = Length();
    const int thickness = Thickness();
    const int start = horizontal_ ? rect_.left : rect_.top;
    const int end = horizontal_ ? rect_.right : rect_.bottom;
    const int across = horizontal_ ? rect_.top : rect_.left;
    int track = length;
    if (button1_.shown) {
        track -= thickness;
    }
    if (button2_.shown) {
        track -= thickness;
    }

    if (thickness >= track) {
        // Too short for a thumb: the buttons share the length.
        const int buttonLength = std::min(thickness, length / 2);
        button1_.rect = AxisRect(start, start + (button1_.shown ? buttonLength : 0), across, across + thickness);
        button2_.rect = AxisRect(end - (button2_.shown ? buttonLength : 0), end, across, across + thickness);
        thumb_.rect = CUIRect();
        return;
    }

    button1_.rect = button1_.shown ? AxisRect(start, start + thickness, across, across + thickness)
                                   : AxisRect(start, start, across, across);
    button2_.rect = button2_.shown ? AxisRect(end - thickness, end, across, across + thickness)
                                   : AxisRect(end, end, across, across);
    const int trackStart = horizontal_ ? button1_.rect.right : button1_.rect.bottom;
    const int trackEnd = horizontal_ ? button2_.rect.left : button2_.rect.top;
    if (range_ <= 0) {
        thumb_.rect = AxisRect(trackStart, trackEnd, across, across + thickness);
        return;
    }
    const int thumbLength = std::max(ScaledQuotient(length, track, static_cast<int64_t>(length) + range_), thickness);
    int thumbStart = trackStart + ScaledQuotient(track - thumbLength, position_, range_);
    if (thumbStart + thumbLength > trackEnd) {
        thumbStart = trackEnd - thumbLength;
    }
    thumb_.rect = AxisRect(thumbStart, thumbStart + thumbLength, across, across + thickness);
}

// --- Steps ---------------------------------------------------------------------------

void CScrollBarUI::StepBack() {
    if (!owner_) {
        SetPosition(position_ - lineSize_);
    } else if (horizontal_) {
        owner_->ScrollLineLeft();
    } else {
        owner_->ScrollLineUp();
    }
}

void CScrollBarUI::StepForward() {
    if (!owner_) {
        SetPosition(position_ + lineSize_);
    } else if (horizontal_) {
        owner_->ScrollLineRight();
    } else {
        owner_->ScrollLineDown();
    }
}

void CScrollBarUI::PageBack() {
    if (!owner_) {
        SetPosition(position_ - Length());
    } else if (horizontal_) {
        owner_->ScrollPageLeft();
    } else {
        owner_->ScrollPageUp();
    }
}

void CScrollBarUI::PageForward() {
    if (!owner_) {
        SetPosition(position_ + Length());
    } else if (horizontal_) {
        owner_->ScrollPageRight();
    } else {
        owner_->ScrollPageDown();
    }
}

// --- Events ----------------------------------------------------------------------------

void CScrollBarUI::HandleEvent(UIEvent& event) {
    if (!AcceptsMouse() && IsMouseEvent(event.type)) {
        if (owner_) {
            owner_->HandleEvent(event);
        } else {
            CControlUI::HandleEvent(event);
        }
        return;
    }
    switch (event.type) {
    case kEventButtonDown:
    case kEventDoubleClick:
        if (!IsEnabled()) {
            break;
        }
        OnButtonDown(event);
        NotifyScrollWithoutOwner();
        return;
    case kEventMouseMove:
        OnMouseMove(event);
        return;
    case kEventTimer:
        if (event.wParam != kRepeatTimerId) {
            break;
        }
        OnRepeatTimer();
        NotifyScrollWithoutOwner();
        return;
    case kEventCaptureLost:
        EndPress();
        return;
    case kEventButtonUp:
    case kEventContextMenu:
    case kEventKillFocus:
    case kEventSetFocus:
        return;
    case kEventMouseEnter:
        if (!IsEnabled()) {
            break;
        }
        button1_.state |= kStateHot;
        button2_.state |= kStateHot;
        if (PtInRect(&thumb_.rect, event.point)) {
            thumb_.state |= kStateHot;
        }
        InvalidateVisibleRect();
        return;
    case kEventMouseLeave:
        if (!IsEnabled()) {
            break;
        }
        button1_.state &= ~kStateHot;
        button2_.state &= ~kStateHot;
        thumb_.state &= ~kStateHot;
        InvalidateVisibleRect();
        return;
    default:
        break;
    }
    if (owner_) {
        owner_->HandleEvent(event);
    } else {
        CControlUI::HandleEvent(event);
    }
}

void CScrollBarUI::OnButtonDown(const UIEvent& event) {
    dragDelta_ = 0;
    repeatTicks_ = 0;
    if (manager_) {
        manager_->SetControlTimer(this, kRepeatTimerId, kRepeatPeriod);
    }
    CaptureMouse();
    const POINT point = event.point;
    if (PtInRect(&button1_.rect, point)) {
        button1_.state |= kStatePushed;
        StepBack();
    } else if (PtInRect(&button2_.rect, point)) {
        button2_.state |= kStatePushed;
        StepForward();
    } else if (PtInRect(&thumb_.rect, point)) {
        thumb_.state |= kStatePushed | kStateDragging;
        dragStart_ = point;
        dragStartPosition_ = position_;
    } else if (AlongAxis(point) < (horizontal_ ? thumb_.rect.left : thumb_.rect.top)) {
        PageBack();
    } else {
        PageForward();
    }
}

void CScrollBarUI::OnMouseMove(const UIEvent& event) {
    if (thumb_.state & kStateDragging) {
        const int thumbLength = horizontal_ ? thumb_.rect.Width() : thumb_.rect.Height();
        const int travelSpan = Length() - 2 * Thickness() - thumbLength;
        if (travelSpan != 0) {
            const int travel = AlongAxis(event.point) - AlongAxis(dragStart_);
            dragDelta_ = ScaledQuotient(travel, range_, travelSpan);
        }
        return;
    }
    const uint32_t before = thumb_.state;
    if (IsEnabled() && PtInRect(&thumb_.rect, event.point)) {
        thumb_.state |= kStateHot;
    } else {
        thumb_.state &= ~kStateHot;
    }
    if (thumb_.state != before) {
        InvalidateVisibleRect();
    }
}

void CScrollBarUI::OnRepeatTimer() {
    ++repeatTicks_;
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    if (manager_ && manager_->Window()) {
        ScreenToClient(manager_->Window(), &cursor);
    }
    if (thumb_.state & kStateDragging) {
        const int target = dragStartPosition_ + dragDelta_;
        if (owner_) {
            const SIZE now = owner_->ScrollPosition();
            owner_->SetScrollPosition(horizontal_ ? CUISize(target, now.cy) : CUISize(now.cx, target));
        } else {
            SetPosition(target);
        }
        InvalidateVisibleRect();
        return;
    }
    if (repeatTicks_ < kFirstRepeatTick) {
        return;
    }
    if (button1_.state & kStatePushed) {
        if (PtInRect(&button1_.rect, cursor)) {
            StepBack();
        }
        return;
    }
    if (button2_.state & kStatePushed) {
        if (PtInRect(&button2_.rect, cursor)) {
            StepForward();
        }
        return;
    }
    // Pressed on the track: page toward the cursor until the thumb reaches it.
    const int along = AlongAxis(cursor);
    if (along < (horizontal_ ? thumb_.rect.left : thumb_.rect.top)) {
        PageBack();
    } else if (along > (horizontal_ ? thumb_.rect.right : thumb_.rect.bottom)) {
        PageForward();
    }
}

void CScrollBarUI::EndPress() {
    if (manager_) {
        manager_->KillControlTimer(this, kRepeatTimerId);
    }
    repeatTicks_ = 0;
    dragDelta_ = 0;
    thumb_.state &= ~(kStatePushed | kStateDragging);
    button1_.state &= ~kStatePushed;
    button2_.state &= ~kStatePushed;
}

void CScrollBarUI::NotifyScrollWithoutOwner() {
    if (!owner_ && manager_) {
        manager_->SendNotification(this, L"scroll", 0, 0, false);
    }
}

}  // namespace TavikUI
