#include "ButtonUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "GdiRenderer.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const UINT kButtonTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
// Room around the font's height a button without a declared height asks for.
const int kDesiredHeightMargin = 8;
const uint16_t kKeySpace = VK_SPACE;
const uint16_t kKeyEnter = VK_RETURN;

}  // namespace

CButtonUI::CButtonUI()
    : handCursor_(false), buttonState_(0), hotBkColor_(0), hotTextColor_(0), pushedTextColor_(0), focusedTextColor_(0) {
    SetTextStyle(kButtonTextStyle);
}

const wchar_t* CButtonUI::ClassName() const { return L"ButtonUI"; }

void* CButtonUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"Button") == 0) {
        return this;
    }
    return CLabelUI::InterfaceByName(name);
}

UINT CButtonUI::BehaviourFlags() const {
    UINT flags = 0;
    if (IsEnabled() && handCursor_) {
        flags |= kBehaviourSetCursor;
    }
    if (AcceptsKeyboard()) {
        flags |= kBehaviourTabStop;
    }
    return flags;
}

bool CButtonUI::IsActivatable() {
    if (!CLabelUI::IsActivatable()) {
        return false;
    }
    if (manager_) {
        manager_->SendNotification(this, L"click", 0, 0, false);
    }
    return true;
}

void CButtonUI::SetEnabledState(bool enabled) {
    CLabelUI::SetEnabledState(enabled);
    if (!IsEnabled()) {
        buttonState_ = 0;
    }
}

bool CButtonUI::Contains(POINT point) const { return PtInRect(&rect_, point) != FALSE; }

void CButtonUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToParent(event, [this](UIEvent& e) { CLabelUI::HandleEvent(e); })) {
        return;
    }
    switch (event.type) {
    case kEventKeyDown:
        if (AcceptsKeyboard() && (event.keyCharacter == kKeySpace || event.keyCharacter == kKeyEnter)) {
            IsActivatable();
            return;
        }
        break;
    case kEventMouseMove:
        if (buttonState_ & kButtonCaptured) {
            if (Contains(event.point)) {
                buttonState_ |= kButtonPushed;
            } else {
                buttonState_ &= ~kButtonPushed;
            }
            InvalidateVisibleRect();
        }
        return;
    case kEventMouseLeave:
    case kEventMouseEnter:
        if (IsEnabled()) {
            if (event.type == kEventMouseEnter) {
                buttonState_ |= kButtonHot;
            } else {
                buttonState_ &= ~kButtonHot;
            }
            InvalidateVisibleRect();
        }
        break;
    case kEventButtonDown:
    case kEventDoubleClick:
        if (Contains(event.point) && IsEnabled()) {
            CaptureMouse();
            buttonState_ |= kButtonPushed | kButtonCaptured;
            InvalidateVisibleRect();
        }
        return;
    case kEventButtonUp:
        // The captured bit stays until the capture is lost.
        if ((buttonState_ & kButtonCaptured) && Contains(event.point)) {
            IsActivatable();
        }
        return;
    case kEventContextMenu:
        if (HasContextMenu()) {
            if (manager_) {
                manager_->SendNotification(this, L"menu", event.wParam, event.lParam, false);
            }
            return;
        }
        break;
    case kEventCaptureLost:
        buttonState_ &= ~(kButtonPushed | kButtonHot | kButtonCaptured);
        if (Contains(event.point)) {
            buttonState_ |= kButtonHot;
        }
        InvalidateVisibleRect();
        return;
    case kEventSetCursor:
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

void CButtonUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"normalimage") == 0) {
        SetNormalImage(value);
    } else if (wcscmp(name, L"hotimage") == 0) {
        SetHotImage(value);
    } else if (wcscmp(name, L"pushedimage") == 0) {
        SetPushedImage(value);
    } else if (wcscmp(name, L"focusedimage") == 0) {
        SetFocusedImage(value);
    } else if (wcscmp(name, L"disabledimage") == 0) {
        SetDisabledImage(value);
    } else if (wcscmp(name, L"foreimage") == 0) {
        SetForeImage(value);
    } else if (wcscmp(name, L"hotforeimage") == 0) {
        SetHotForeImage(value);
    } else if (wcscmp(name, L"hotbkcolor") == 0) {
        hotBkColor_ = ReadHexColor(value);
    } else if (wcscmp(name, L"hottextcolor") == 0) {
        hotTextColor_ = ReadHexColor(value);
    } else if (wcscmp(name, L"pushedtextcolor") == 0) {
        pushedTextColor_ = ReadHexColor(value);
    } else if (wcscmp(name, L"focusedtextcolor") == 0) {
        focusedTextColor_ = ReadHexColor(value);
    } else if (wcscmp(name, L"hand") == 0) {
        handCursor_ = IsTrueText(value);
    } else {
        CLabelUI::ApplyAttribute(name, value);
    }
}

SIZE CButtonUI::DesiredSize(SIZE available) {
    if (DeclaredHeight() != 0) {
        return CControlUI::DesiredSize(available);
    }
    const FontRecord* font = manager_ ? manager_->FontRecordAt(FontIndex()) : nullptr;
    const int fontHeight = font ? static_cast<int>(font->metrics.tmHeight) : 0;
    return CUISize(DeclaredWidth(), fontHeight + kDesiredHeightMargin);
}

void CButtonUI::RefreshStateBits() { buttonState_ = WithCurrentFocusAndEnabled(buttonState_, *this); }

void CButtonUI::PaintStateImages(HDC dc) {
    RefreshStateBits();
    if (buttonState_ & kButtonDisabled) {
        // A disabled image that is missing or fails gives way to the normal one.
        if (!DrawImageOrDrop(dc, disabledImage_)) {
            PaintNormalImage(dc);
        }
    } else if (buttonState_ & kButtonPushed) {
        // A pushed image that fails shows nothing this time; later paints
        // find it empty and draw the normal image.
        if (pushedImage_.IsEmpty()) {
            PaintNormalImage(dc);
        } else {
            DrawImageOrDrop(dc, pushedImage_);
        }
    } else if (buttonState_ & kButtonHot) {
        PaintHotImages(dc);
        return;
    } else if (buttonState_ & kButtonFocused) {
        if (!DrawImageOrDrop(dc, focusedImage_)) {
            PaintNormalImage(dc);
        }
    } else {
        PaintNormalImage(dc);
    }
    PaintForeImage(dc);
}

void CButtonUI::PaintHotImages(HDC dc) {
    if (hotImage_.IsEmpty()) {
        if (hotBkColor_ != 0) {
            // The colour stands for the whole hot look: no image over it.
            CGdiRenderer::FillColor(dc, paintRect_, AdjustColorByHsl(hotBkColor_));
            return;
        }
        PaintNormalImage(dc);
    } else {
        DrawImageOrDrop(dc, hotImage_);
    }
    if (hotForeImage_.IsEmpty()) {
        PaintForeImage(dc);
    } else {
        DrawImageOrDrop(dc, hotForeImage_);
    }
}

void CButtonUI::PaintNormalImage(HDC dc) { DrawImageOrDrop(dc, normalImage_); }

void CButtonUI::PaintForeImage(HDC dc) {
    if (ForeImage().IsEmpty()) {
        return;
    }
    if (!DrawImageInRect(dc, ForeImage().Text())) {
        SetForeImage(nullptr);
    }
}

void CButtonUI::PaintTextPart(HDC dc) {
    RefreshStateBits();
    PaintButtonText(dc);
}

void CButtonUI::PaintButtonText(HDC dc) {
    ResolveDefaultTextColors();
    if (text_.IsEmpty()) {
        return;
    }
    DWORD color = IsEnabled() ? TextColor() : DisabledTextColor();
    if ((buttonState_ & kButtonPushed) && pushedTextColor_ != 0) {
        color = pushedTextColor_;
    } else if ((buttonState_ & kButtonHot) && hotTextColor_ != 0) {
        color = hotTextColor_;
    } else if ((buttonState_ & kButtonFocused) && focusedTextColor_ != 0) {
        color = focusedTextColor_;
    }
    DrawLabelText(dc, color, TextStyle());
}

void CButtonUI::SetNormalImage(const wchar_t* description) { StoreImage(normalImage_, description); }

void CButtonUI::SetHotImage(const wchar_t* description) { StoreImage(hotImage_, description); }

void CButtonUI::SetHotForeImage(const wchar_t* description) { StoreImage(hotForeImage_, description); }

void CButtonUI::SetPushedImage(const wchar_t* description) { StoreImage(pushedImage_, description); }

void CButtonUI::SetFocusedImage(const wchar_t* description) { StoreImage(focusedImage_, description); }

void CButtonUI::SetDisabledImage(const wchar_t* description) { StoreImage(disabledImage_, description); }

}  // namespace TavikUI
