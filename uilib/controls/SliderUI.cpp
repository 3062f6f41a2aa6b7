#include "SliderUI.h"

#include <cwchar>
#include <cwctype>

#include "ControlValueText.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const int kDefaultThumbSize = 10;
const UINT kSliderTextStyle = DT_CENTER | DT_SINGLELINE;
// Low words of the wheel event's wParam.
const WORD kWheelLineUp = 0;
const WORD kWheelLineDown = 1;

}  // namespace

CSliderUI::CSliderUI()
    : thumbWidth_(kDefaultThumbSize), thumbHeight_(kDefaultThumbSize), thumbState_(0), step_(1), dragStartValue_(0) {
    SetTextStyle(kSliderTextStyle);
}

const wchar_t* CSliderUI::ClassName() const { return L"SliderUI"; }

void* CSliderUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"Slider") == 0) {
        return this;
    }
    return CProgressUI::InterfaceByName(name);
}

UINT CSliderUI::BehaviourFlags() const { return IsEnabled() ? static_cast<UINT>(kBehaviourSetCursor) : 0u; }

void CSliderUI::SetEnabledState(bool enabled) {
    CProgressUI::SetEnabledState(enabled);
    if (!IsEnabled()) {
        thumbState_ = 0;
    }
}

void CSliderUI::SetThumbSize(int width, int height) {
    thumbWidth_ = width;
    thumbHeight_ = height;
}

void CSliderUI::SetThumbImage(const wchar_t* description) { StoreImage(thumbImage_, description); }

void CSliderUI::SetThumbHotImage(const wchar_t* description) { StoreImage(thumbHotImage_, description); }

void CSliderUI::SetThumbPushedImage(const wchar_t* description) { StoreImage(thumbPushedImage_, description); }

CUIRect CSliderUI::ThumbRect() const {
    // 64-bit: a range may span most of the 32-bit values.
    const int64_t span = static_cast<int64_t>(MaxValue()) - MinValue();
    // Without a span the thumb stands at the minimum's end (no division).
    const int64_t offset = span > 0 ? static_cast<int64_t>(CurrentValue()) - MinValue() : 0;
    const int64_t divisor = span > 0 ? span : 1;
    CUIRect thumb;
    if (IsHorizontal()) {
        thumb.left = rect_.left + static_cast<LONG>((rect_.Width() - thumbWidth_) * offset / divisor);
        thumb.top = (rect_.bottom + rect_.top - thumbHeight_) / 2;
        thumb.right = thumb.left + thumbWidth_;
        thumb.bottom = thumb.top + thumbHeight_;
    } else {
        thumb.bottom = rect_.bottom - static_cast<LONG>((rect_.Height() - thumbHeight_) * offset / divisor);
        thumb.top = thumb.bottom - thumbHeight_;
        thumb.left = (rect_.right + rect_.left - thumbWidth_) / 2;
        thumb.right = thumb.left + thumbWidth_;
    }
    return thumb;
}

int CSliderUI::ValueAt(POINT point) const {
    const int minimum = MinValue();
    const int maximum = MaxValue();
    const int64_t span = static_cast<int64_t>(maximum) - minimum;
    // The end tests come first and leave a track longer than the thumb for
    // the division.
    if (IsHorizontal()) {
        const int half = thumbWidth_ / 2;
        if (point.x >= rect_.right - half) {
            return maximum;
        }
        if (point.x <= rect_.left + half) {
            return minimum;
        }
        return static_cast<int>(minimum + (point.x - rect_.left - half) * span / (rect_.Width() - thumbWidth_));
    }
    const int half = thumbHeight_ / 2;
    if (point.y >= rect_.bottom - half) {
        return minimum;
    }
    if (point.y <= rect_.top + half) {
        return maximum;
    }
    return static_cast<int>(minimum + (rect_.bottom - half - point.y) * span / (rect_.Height() - thumbHeight_));
}

void CSliderUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToParent(event, [this](UIEvent& e) { CLabelUI::HandleEvent(e); })) {
        return;
    }
    const bool enabled = IsEnabled();
    switch (event.type) {
    case kEventButtonDown:
    case kEventDoubleClick: {
        const CUIRect thumb = ThumbRect();
        if (enabled && PtInRect(&thumb, event.point)) {
            thumbState_ |= kThumbPushed;
            dragStartValue_ = CurrentValue();
        }
        return;
    }
    case kEventButtonUp: {
        const bool dragged = (thumbState_ & kThumbPushed) != 0;
        thumbState_ &= ~kThumbPushed;
        const int value = ValueAt(event.point);
        const bool moved = value != CurrentValue() && value >= MinValue() && value <= MaxValue();
        if (moved) {
            StoreValue(value);
        }
        // The moves of a drag already took the value: the release announces
        // the drag's change even where it adds none of its own.
        if (moved || (dragged && CurrentValue() != dragStartValue_)) {
            if (manager_) {
                manager_->SendNotification(this, L"valuechanged");
            }
            InvalidateVisibleRect();
        }
        return;
    }
    case kEventContextMenu:
        return;
    case kEventScrollWheel: {
        const WORD direction = LOWORD(event.wParam);
        if (direction == kWheelLineUp || direction == kWheelLineDown) {
            SetCurrentValue(direction == kWheelLineUp ? CurrentValue() + step_ : CurrentValue() - step_);
            if (manager_) {
                manager_->SendNotification(this, L"valuechanged");
            }
            return;
        }
        break;
    }
    case kEventMouseMove:
        if (thumbState_ & kThumbPushed) {
            StoreValue(ValueAt(event.point));
            InvalidateVisibleRect();
        }
        return;
    case kEventSetCursor: {
        const CUIRect thumb = ThumbRect();
        if (enabled && PtInRect(&thumb, event.point)) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            return;
        }
        break;
    }
    case kEventMouseEnter:
    case kEventMouseLeave:
        if (enabled) {
            if (event.type == kEventMouseEnter) {
                thumbState_ |= kThumbHot;
            } else {
                thumbState_ &= ~kThumbHot;
            }
            InvalidateVisibleRect();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

void CSliderUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"thumbimage") == 0) {
        SetThumbImage(value);
    } else if (wcscmp(name, L"thumbhotimage") == 0) {
        SetThumbHotImage(value);
    } else if (wcscmp(name, L"thumbpushedimage") == 0) {
        SetThumbPushedImage(value);
    } else if (wcscmp(name, L"thumbsize") == 0) {
        // Any one character may separate the two numbers.
        wchar_t* end = nullptr;
        const int width = static_cast<int>(wcstol(value, &end, 10));
        const int height = *end ? static_cast<int>(wcstol(end + 1, nullptr, 10)) : 0;
        SetThumbSize(width, height);
    } else if (wcscmp(name, L"step") == 0) {
        SetStep(ReadDecimal(value));
    } else {
        CProgressUI::ApplyAttribute(name, value);
    }
}

bool CSliderUI::DrawThumbImage(HDC dc, CWideString& description) {
    if (DrawImageInRect(dc, description.Text(), modifier_.Text())) {
        return true;
    }
    description.Clear();
    return false;
}

void CSliderUI::PaintStateImages(HDC dc) {
    CProgressUI::PaintStateImages(dc);
    CUIRect thumb = ThumbRect();
    thumb.Offset(-rect_.left, -rect_.top);
    modifier_.FormatText(L"dest='%d,%d,%d,%d'", thumb.left, thumb.top, thumb.right, thumb.bottom);
    CWideString* stateImage = nullptr;
    if (thumbState_ & kThumbPushed) {
        stateImage = &thumbPushedImage_;
    } else if (thumbState_ & kThumbHot) {
        stateImage = &thumbHotImage_;
    }
    if (stateImage && !stateImage->IsEmpty() && DrawThumbImage(dc, *stateImage)) {
        return;
    }
    if (!thumbImage_.IsEmpty()) {
        DrawThumbImage(dc, thumbImage_);
    }
}

}  // namespace TavikUI
