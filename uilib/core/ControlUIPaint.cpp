// The base control's paint order and its background and border painting.
#include "ControlUI.h"
#include "ClipRegion.h"
#include "GdiRenderer.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const DWORD kOpaqueAlpha = 0xFF000000u;
const int kTwoColorGradientSteps = 16;
const int kThreeColorGradientSteps = 8;

}  // namespace

void CControlUI::Paint(HDC dc, const RECT& area) {
    if (!IntersectRect(&paintRect_, &area, &rect_)) {
        return;
    }
    CClipRegion clip;
    if (borderRounding_.cx > 0 || borderRounding_.cy > 0) {
        clip.ClipToRoundRect(dc, rect_, borderRounding_.cx, borderRounding_.cy);
    }
    PaintBackgroundColor(dc);
    PaintBackgroundImage(dc);
    PaintStateImages(dc);
    PaintTextPart(dc);
    PaintBorderLines(dc);
}

void CControlUI::PaintBackgroundColor(HDC dc) {
    if (backgroundColor_ == 0) {
        return;
    }
    const DWORD color = AdjustColorByHsl(backgroundColor_);
    if (backgroundColor2_ == 0) {
        // An opaque fill covers only what is being painted; a translucent one
        // blends over the whole rectangle.
        const bool opaque = (backgroundColor_ & kOpaqueAlpha) == kOpaqueAlpha;
        CGdiRenderer::FillColor(dc, opaque ? paintRect_ : rect_, color);
        return;
    }
    const DWORD color2 = AdjustColorByHsl(backgroundColor2_);
    if (backgroundColor3_ == 0) {
        CGdiRenderer::FillGradient(dc, rect_, color, color2, true, kTwoColorGradientSteps);
        return;
    }
    const DWORD color3 = AdjustColorByHsl(backgroundColor3_);
    const LONG middle = (rect_.top + rect_.bottom) / 2;
    CUIRect upper = rect_;
    upper.bottom = middle;
    CUIRect lower = rect_;
    lower.top = middle;
    CGdiRenderer::FillGradient(dc, upper, color, color2, true, kThreeColorGradientSteps);
    CGdiRenderer::FillGradient(dc, lower, color2, color3, true, kThreeColorGradientSteps);
}

void CControlUI::PaintBackgroundImage(HDC dc) {
    if (backgroundImage_.IsEmpty()) {
        return;
    }
    // A description that cannot be drawn is dropped, so it is not tried again.
    if (!DrawImageInRect(dc, backgroundImage_.Text(), nullptr)) {
        backgroundImage_.Clear();
    }
}

void CControlUI::PaintStateImages(HDC /*dc*/) {}

void CControlUI::PaintTextPart(HDC /*dc*/) {}

void CControlUI::PaintBorderLines(HDC dc) {
    if (borderColor_ == 0 && focusBorderColor_ == 0) {
        return;
    }
    const bool useFocusColor = focused_ && focusBorderColor_ != 0;
    if (borderSize_ > 0 && (borderRounding_.cx > 0 || borderRounding_.cy > 0)) {
        CGdiRenderer::DrawRoundRectOutline(dc, rect_, borderSize_, borderRounding_.cx, borderRounding_.cy,
                                           useFocusColor ? focusBorderColor_ : borderColor_);
        return;
    }
    if (useFocusColor && borderSize_ > 0) {
        CGdiRenderer::DrawRectOutline(dc, rect_, borderSize_, focusBorderColor_);
        return;
    }
    const CUIRect& sides = sideBorderWidths_;
    if (sides.left <= 0 && sides.top <= 0 && sides.right <= 0 && sides.bottom <= 0) {
        if (borderSize_ > 0) {
            CGdiRenderer::DrawRectOutline(dc, rect_, borderSize_, borderColor_);
        }
        return;
    }
    const CUIRect& r = rect_;
    if (sides.left > 0) {
        CGdiRenderer::StrokeLine(dc, CUIRect(r.left, r.top, r.left, r.bottom), sides.left, borderColor_, borderStyle_);
    }
    if (sides.top > 0) {
        CGdiRenderer::StrokeLine(dc, CUIRect(r.left, r.top, r.right, r.top), sides.top, borderColor_, borderStyle_);
    }
    if (sides.right > 0) {
        CGdiRenderer::StrokeLine(dc, CUIRect(r.right, r.top, r.right, r.bottom), sides.right, borderColor_,
                                 borderStyle_);
    }
    if (sides.bottom > 0) {
        CGdiRenderer::StrokeLine(dc, CUIRect(r.left, r.bottom, r.right, r.bottom), sides.bottom, borderColor_,
                                 borderStyle_);
    }
}

void CControlUI::PostPaint(HDC /*dc*/, const RECT& /*area*/) {}

DWORD CControlUI::AdjustColorByHsl(DWORD color) const {
    if (!colorHsl_) {
        return color;
    }
    int16_t hue = 0;
    int16_t saturation = 0;
    int16_t lightness = 0;
    CWindowManager::GetHsl(hue, saturation, lightness);
    return CGdiRenderer::ShiftColorHsl(color, hue, saturation, lightness);
}

bool CControlUI::DrawImageInRect(HDC dc, const wchar_t* description, const wchar_t* modifier) {
    return CGdiRenderer::DrawImageDescription(dc, manager_, rect_, paintRect_, description, modifier);
}

bool CControlUI::DrawImageOrDrop(HDC dc, CWideString& description) {
    if (description.IsEmpty()) {
        return false;
    }
    if (!DrawImageInRect(dc, description.Text())) {
        description.Clear();
        return false;
    }
    return true;
}

// Paint-field setters: the first group invalidates only on change.
void CControlUI::SetBackgroundColor(DWORD color) {
    if (backgroundColor_ != color) {
        backgroundColor_ = color;
        InvalidateVisibleRect();
    }
}

void CControlUI::SetBackgroundColor2(DWORD color) {
    if (backgroundColor2_ != color) {
        backgroundColor2_ = color;
        InvalidateVisibleRect();
    }
}

void CControlUI::SetBackgroundColor3(DWORD color) {
    if (backgroundColor3_ != color) {
        backgroundColor3_ = color;
        InvalidateVisibleRect();
    }
}

void CControlUI::SetBackgroundImage(const wchar_t* description) {
    if (!backgroundImage_.Equals(description)) {
        backgroundImage_.AssignText(description);
        InvalidateVisibleRect();
    }
}

void CControlUI::SetBorderColor(DWORD color) {
    if (borderColor_ != color) {
        borderColor_ = color;
        InvalidateVisibleRect();
    }
}

void CControlUI::SetFocusBorderColor(DWORD color) {
    if (focusBorderColor_ != color) {
        focusBorderColor_ = color;
        InvalidateVisibleRect();
    }
}

void CControlUI::SetColorHsl(bool adjust) {
    if (colorHsl_ != adjust) {
        colorHsl_ = adjust;
        InvalidateVisibleRect();
    }
}

void CControlUI::SetBorderThickness(int size) {
    if (borderSize_ != size) {
        borderSize_ = size;
        InvalidateVisibleRect();
    }
}

// The second group invalidates always.
void CControlUI::SetSideBorderWidths(const RECT& widths) {
    sideBorderWidths_ = widths;
    InvalidateVisibleRect();
}

void CControlUI::SetLeftBorderWidth(int width) {
    sideBorderWidths_.left = width;
    InvalidateVisibleRect();
}

void CControlUI::SetTopBorderWidth(int width) {
    sideBorderWidths_.top = width;
    InvalidateVisibleRect();
}

void CControlUI::SetRightBorderWidth(int width) {
    sideBorderWidths_.right = width;
    InvalidateVisibleRect();
}

void CControlUI::SetBottomBorderWidth(int width) {
    sideBorderWidths_.bottom = width;
    InvalidateVisibleRect();
}

void CControlUI::SetBorderStyle(int style) {
    borderStyle_ = style;
    InvalidateVisibleRect();
}

void CControlUI::SetBorderRounding(SIZE rounding) {
    borderRounding_ = rounding;
    InvalidateVisibleRect();
}

}  // namespace TavikUI
