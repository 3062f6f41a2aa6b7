#include "ListHeaderItemUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "GdiRenderer.h"
#include "ListInterfaces.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const int kMinimumColumnWidth = 16;
// Room around the default font a header item without a declared height keeps.
const int kHeaderItemTextMargin = 14;

}  // namespace

CListHeaderItemUI::CListHeaderItemUI()
    : lastPoint_{0, 0},
      draggable_(true),
      state_(0),
      separatorWidth_(4),
      textColor_(0),
      font_(-1),
      textStyle_(DT_CENTER | DT_VCENTER | DT_SINGLELINE),
      showMarkup_(false),
      textPadding_(2, 0, 2, 0) {
    SetMinWidth(kMinimumColumnWidth);
}

const wchar_t* CListHeaderItemUI::ClassName() const { return L"ListHeaderItemUI"; }

void* CListHeaderItemUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ListHeaderItem") == 0) {
        return this;
    }
    return CControlUI::InterfaceByName(name);
}

UINT CListHeaderItemUI::BehaviourFlags() const {
    return IsEnabled() && separatorWidth_ != 0 ? static_cast<UINT>(kBehaviourSetCursor) : 0u;
}

void CListHeaderItemUI::SetEnabledState(bool enabled) {
    CControlUI::SetEnabledState(enabled);
    if (!IsEnabled()) {
        state_ = 0;
    }
}

void CListHeaderItemUI::SetDraggable(bool draggable) {
    draggable_ = draggable;
    if (!draggable_) {
        state_ &= ~kDragging;
    }
}

CUIRect CListHeaderItemUI::GripRect() const {
    CUIRect grip = rect_;
    if (separatorWidth_ >= 0) {
        grip.left = rect_.right - separatorWidth_ - kGripReach;
    } else {
        grip.right = rect_.left - separatorWidth_ + kGripReach;
    }
    return grip;
}

void CListHeaderItemUI::MarkListForLayout() {
    if (parent_ && parent_->Parent()) {
        parent_->Parent()->MarkForLayout();
    } else {
        MarkParentForLayout();
    }
}

void CListHeaderItemUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToParent(event, [this](UIEvent& e) { CControlUI::HandleEvent(e); })) {
        return;
    }
    const CUIRect grip = GripRect();
    const bool inGrip = PtInRect(&grip, event.point) != FALSE;
    switch (event.type) {
    case kEventSetFocus:
    case kEventKillFocus:
        InvalidateVisibleRect();
        break;
    case kEventButtonDown:
    case kEventDoubleClick:
        if (!IsEnabled()) {
            return;
        }
        if (!inGrip) {
            state_ |= kPushed;
            if (manager_) {
                manager_->SendNotification(this, L"headerclick", 0, 0, false);
            }
            InvalidateVisibleRect();
        } else if (draggable_) {
            state_ |= kDragging;
            lastPoint_ = event.point;
        }
        return;
    case kEventMouseMove:
        if (state_ & kDragging) {
            CUIRect moved = rect_;
            if (separatorWidth_ >= 0) {
                moved.right += event.point.x - lastPoint_.x;
            } else {
                moved.left += event.point.x - lastPoint_.x;
            }
            // At or below the minimum the drag waits at the last good point.
            if (moved.Width() > MinWidth()) {
                StoreDeclaredWidth(moved.Width());
                lastPoint_ = event.point;
                MarkListForLayout();
            }
        }
        return;
    case kEventButtonUp:
        if (state_ & kDragging) {
            state_ &= ~kDragging;
            MarkListForLayout();
        } else if (state_ & kPushed) {
            state_ &= ~kPushed;
            InvalidateVisibleRect();
        }
        return;
    case kEventSetCursor:
        if (IsEnabled() && draggable_ && inGrip) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)));
            return;
        }
        break;
    case kEventMouseEnter:
    case kEventMouseLeave:
        if (IsEnabled()) {
            if (event.type == kEventMouseEnter) {
                state_ |= kHot;
            } else {
                state_ &= ~kHot;
            }
            InvalidateVisibleRect();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

void CListHeaderItemUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"dragable") == 0) {
        SetDraggable(IsTrueText(value));
    } else if (wcscmp(name, L"sepwidth") == 0) {
        separatorWidth_ = ReadDecimal(value);
    } else if (wcscmp(name, L"align") == 0) {
        textStyle_ = ApplyHorizontalAlignWords(textStyle_, value);
    } else if (wcscmp(name, L"endellipsis") == 0) {
        textStyle_ = IsTrueText(value) ? (textStyle_ | DT_END_ELLIPSIS) : (textStyle_ & ~DT_END_ELLIPSIS);
    } else if (wcscmp(name, L"font") == 0) {
        font_ = ReadDecimal(value);
    } else if (wcscmp(name, L"textcolor") == 0) {
        textColor_ = ReadHexColor(value);
    } else if (wcscmp(name, L"textpadding") == 0) {
        textPadding_ = ReadRectText(value);
        InvalidateVisibleRect();
    } else if (wcscmp(name, L"showhtml") == 0) {
        const bool show = IsTrueText(value);
        if (show != showMarkup_) {
            showMarkup_ = show;
            InvalidateVisibleRect();
        }
    } else if (wcscmp(name, L"normalimage") == 0) {
        StoreImage(normalImage_, value);
    } else if (wcscmp(name, L"hotimage") == 0) {
        StoreImage(hotImage_, value);
    } else if (wcscmp(name, L"pushedimage") == 0) {
        StoreImage(pushedImage_, value);
    } else if (wcscmp(name, L"focusedimage") == 0) {
        StoreImage(focusedImage_, value);
    } else if (wcscmp(name, L"sepimage") == 0) {
        StoreImage(separatorImage_, value);
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
}

SIZE CListHeaderItemUI::DesiredSize(SIZE available) {
    if (DeclaredHeight() != 0 || !manager_) {
        return CControlUI::DesiredSize(available);
    }
    return CUISize(DeclaredWidth(),
                   static_cast<int>(manager_->DefaultFontRecord()->metrics.tmHeight) + kHeaderItemTextMargin);
}

void CListHeaderItemUI::PaintStateImages(HDC dc) {
    if (IsFocused()) {
        state_ |= kFocused;
    } else {
        state_ &= ~kFocused;
    }
    CWideString* stateImage = nullptr;
    if (state_ & kPushed) {
        stateImage = &pushedImage_;
    } else if (state_ & kHot) {
        stateImage = &hotImage_;
    } else if (state_ & kFocused) {
        stateImage = &focusedImage_;
    }
    if (stateImage) {
        if (stateImage->IsEmpty()) {
            DrawImageOrDrop(dc, normalImage_);
        }
        DrawImageOrDrop(dc, *stateImage);
    } else {
        DrawImageOrDrop(dc, normalImage_);
    }
    if (separatorImage_.IsEmpty()) {
        return;
    }
    CUIRect separator(rect_.right - separatorWidth_, 0, rect_.right, rect_.Height());
    if (separatorWidth_ < 0) {
        separator = CUIRect(rect_.left, 0, rect_.left - separatorWidth_, rect_.Height());
    }
    separator.left -= rect_.left;
    separator.right -= rect_.left;
    separatorModifier_.FormatText(L"dest='%d,%d,%d,%d'", static_cast<int>(separator.left),
                                  static_cast<int>(separator.top), static_cast<int>(separator.right),
                                  static_cast<int>(separator.bottom));
    if (!DrawImageInRect(dc, separatorImage_.Text(), separatorModifier_.Text())) {
        separatorImage_.Clear();
    }
}

void CListHeaderItemUI::PaintTextPart(HDC dc) {
    if (textColor_ == 0 && manager_) {
        textColor_ = manager_->DefaultTextColor();
    }
    if (text_.IsEmpty()) {
        return;
    }
    RECT inner = {rect_.left + textPadding_.left, rect_.top + textPadding_.top, rect_.right - textPadding_.right,
                  rect_.bottom - textPadding_.bottom};
    if (showMarkup_) {
        int links = 0;
        CGdiRenderer::DrawMarkupText(dc, manager_, inner, text_.Text(), textColor_, nullptr, nullptr, links,
                                     textStyle_ | DT_SINGLELINE);
    } else {
        CGdiRenderer::DrawPlainText(dc, manager_, inner, text_.Text(), textColor_, font_, textStyle_ | DT_SINGLELINE);
    }
}

}  // namespace TavikUI
