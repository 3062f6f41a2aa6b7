#include "AnnulusProgressUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "GdiRenderer.h"
#include "LabelAlignment.h"
#include "RingBitmap.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

// A ring whose maximum is not above its minimum paints as if it were a
// hundred above.
const int32_t kRingSpan = 100;

CUIRect Inset(const RECT& rect, const RECT& padding) {
    return CUIRect(rect.left + padding.left, rect.top + padding.top, rect.right - padding.right,
                   rect.bottom - padding.bottom);
}

}  // namespace

CAnnulusProgressUI::CAnnulusProgressUI() : percentFont_(0), percentColor_(0), percentAlign_(0) {}

const wchar_t* CAnnulusProgressUI::ClassName() const { return L"ProgressUI"; }

void* CAnnulusProgressUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"AnnulusProgressUI") == 0) {
        return this;
    }
    return CControlUI::InterfaceByName(name);
}

void CAnnulusProgressUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"bktextfont") == 0) {
        SetPercentFont(ReadDecimal(value));
    } else if (wcscmp(name, L"bktextcolor") == 0) {
        SetPercentColor(ReadHexColor(value));
    } else if (wcscmp(name, L"bktextpadding") == 0) {
        SetPercentPadding(ReadRectText(value));
    } else if (wcscmp(name, L"foretextpadding") == 0) {
        SetValueTextPadding(ReadRectText(value));
    } else if (wcscmp(name, L"bkalign") == 0) {
        // Each word found anywhere in the value applies the change the
        // label's "align" makes.
        percentAlign_ = ApplyAlignmentWords(percentAlign_, value);
    } else {
        CProgressUI::ApplyAttribute(name, value);
    }
}

void CAnnulusProgressUI::PaintStateImages(HDC dc) {
    const double fraction = ProgressFraction(MakeRangeUsable(kRingSpan));
    if (ForeImage().IsEmpty() || !manager_) {
        return;
    }
    const ImageRecord* image = manager_->ImageOrAdd(ForeImage().Text());
    if (!image) {
        return;
    }
    HBITMAP ring = CreateRingBitmap(image->bitmap, fraction, image->hasAlpha);
    if (!ring) {
        return;
    }
    const RECT whole = {0, 0, image->width, image->height};
    const RECT noCorners = {0, 0, 0, 0};
    // Always blended: the hidden part is transparent even for an opaque image.
    CGdiRenderer::DrawImageRect(dc, ring, rect_, paintRect_, whole, noCorners, true, 255, false, false, false);
    DeleteObject(ring);
}

void CAnnulusProgressUI::PaintTextPart(HDC dc) {
    ResolveDefaultTextColors();
    const CUIRect base = TextRect();
    const CUIRect valueRect = Inset(base, valueTextPadding_);
    const CUIRect percentRect = Inset(base, percentPadding_);
    if (text_.IsEmpty()) {
        return;
    }
    if (!IsEnabled()) {
        CUIRect rect = valueRect;
        CGdiRenderer::DrawPlainText(dc, manager_, rect, text_.Text(), DisabledTextColor(), FontIndex(),
                                    TextStyle() | DT_SINGLELINE);
        return;
    }
    DrawRingText(dc, valueRect, text_.Text(), TextColor(), FontIndex(), TextStyle() | DT_SINGLELINE);
    DrawRingText(dc, percentRect, L"%", percentColor_, percentFont_, percentAlign_ | DT_SINGLELINE);
}

void CAnnulusProgressUI::SetValue(int value) {
    if (value == CurrentValue() || value < MinValue() || value > MaxValue()) {
        return;
    }
    CWideString text;
    text.FormatText(L"%d", value);
    SetText(text.Text());
    StoreValue(value);
    InvalidateVisibleRect();
}

void CAnnulusProgressUI::SetPercentFont(int index) {
    if (percentFont_ == index) {
        return;
    }
    percentFont_ = index;
    InvalidateVisibleRect();
}

void CAnnulusProgressUI::SetPercentColor(DWORD color) {
    percentColor_ = color;
    InvalidateVisibleRect();
}

void CAnnulusProgressUI::SetPercentPadding(const RECT& padding) {
    percentPadding_ = padding;
    InvalidateVisibleRect();
}

void CAnnulusProgressUI::SetValueTextPadding(const RECT& padding) {
    valueTextPadding_ = padding;
    InvalidateVisibleRect();
}

void CAnnulusProgressUI::DrawRingText(HDC dc, RECT rect, const wchar_t* text, DWORD color, int font, UINT style) {
    if (ShowsMarkup()) {
        // Markup text starts in the default font: it has no font index.
        int linkCount = 0;
        CGdiRenderer::DrawMarkupText(dc, manager_, rect, text, color, nullptr, nullptr, linkCount, style);
        return;
    }
    CGdiRenderer::DrawPlainText(dc, manager_, rect, text, color, font, style);
}

}  // namespace TavikUI
