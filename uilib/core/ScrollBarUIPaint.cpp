// The scroll bar's paint order (background, buttons, thumb, grip) and its
// attribute table.
#include <cwchar>

#include "ControlValueText.h"
#include "GdiRenderer.h"
#include "ScrollBarUI.h"

namespace TavikUI {
namespace {

// Frame drawn round a button or thumb that has no drawable image.
constexpr DWORD kFallbackFrameColor = 0x0085E4FF;
constexpr int kFallbackFrameWidth = 2;

bool IsAllZero(const RECT& rect) { return rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0; }

using ImageSetter = void (CScrollBarUI::*)(const wchar_t*);

struct ImageAttribute {
    const wchar_t* name;
    ImageSetter setter;
};

const ImageAttribute kImageAttributes[] = {
    {L"button1normalimage", &CScrollBarUI::SetButton1NormalImage},
    {L"button1hotimage", &CScrollBarUI::SetButton1HotImage},
    {L"button1pushedimage", &CScrollBarUI::SetButton1PushedImage},
    {L"button1disabledimage", &CScrollBarUI::SetButton1DisabledImage},
    {L"button2normalimage", &CScrollBarUI::SetButton2NormalImage},
    {L"button2hotimage", &CScrollBarUI::SetButton2HotImage},
    {L"button2pushedimage", &CScrollBarUI::SetButton2PushedImage},
    {L"button2disabledimage", &CScrollBarUI::SetButton2DisabledImage},
    {L"thumbnormalimage", &CScrollBarUI::SetThumbNormalImage},
    {L"thumbhotimage", &CScrollBarUI::SetThumbHotImage},
    {L"thumbpushedimage", &CScrollBarUI::SetThumbPushedImage},
    {L"thumbdisabledimage", &CScrollBarUI::SetThumbDisabledImage},
    {L"railnormalimage", &CScrollBarUI::SetRailNormalImage},
    {L"railhotimage", &CScrollBarUI::SetRailHotImage},
    {L"railpushedimage", &CScrollBarUI::SetRailPushedImage},
    {L"raildisabledimage", &CScrollBarUI::SetRailDisabledImage},
    {L"bknormalimage", &CScrollBarUI::SetBackgroundNormalImage},
    {L"bkhotimage", &CScrollBarUI::SetBackgroundHotImage},
    {L"bkpushedimage", &CScrollBarUI::SetBackgroundPushedImage},
    {L"bkdisabledimage", &CScrollBarUI::SetBackgroundDisabledImage},
};

}  // namespace

// --- Images ---------------------------------------------------------------------

void CScrollBarUI::SetBackgroundNormalImage(const wchar_t* d) { StoreImage(background_.normal, d); }
void CScrollBarUI::SetBackgroundHotImage(const wchar_t* d) { StoreImage(background_.hot, d); }
void CScrollBarUI::SetBackgroundPushedImage(const wchar_t* d) { StoreImage(background_.pushed, d); }
void CScrollBarUI::SetBackgroundDisabledImage(const wchar_t* d) { StoreImage(background_.disabled, d); }
void CScrollBarUI::SetButton1NormalImage(const wchar_t* d) { StoreImage(button1_.images.normal, d); }
void CScrollBarUI::SetButton1HotImage(const wchar_t* d) { StoreImage(button1_.images.hot, d); }
void CScrollBarUI::SetButton1PushedImage(const wchar_t* d) { StoreImage(button1_.images.pushed, d); }
void CScrollBarUI::SetButton1DisabledImage(const wchar_t* d) { StoreImage(button1_.images.disabled, d); }
void CScrollBarUI::SetButton2NormalImage(const wchar_t* d) { StoreImage(button2_.images.normal, d); }
void CScrollBarUI::SetButton2HotImage(const wchar_t* d) { StoreImage(button2_.images.hot, d); }
void CScrollBarUI::SetButton2PushedImage(const wchar_t* d) { StoreImage(button2_.images.pushed, d); }
void CScrollBarUI::SetButton2DisabledImage(const wchar_t* d) { StoreImage(button2_.images.disabled, d); }
void CScrollBarUI::SetThumbNormalImage(const wchar_t* d) { StoreImage(thumb_.images.normal, d); }
void CScrollBarUI::SetThumbHotImage(const wchar_t* d) { StoreImage(thumb_.images.hot, d); }
void CScrollBarUI::SetThumbPushedImage(const wchar_t* d) { StoreImage(thumb_.images.pushed, d); }
void CScrollBarUI::SetThumbDisabledImage(const wchar_t* d) { StoreImage(thumb_.images.disabled, d); }
void CScrollBarUI::SetRailNormalImage(const wchar_t* d) { StoreImage(rail_.normal, d); }
void CScrollBarUI::SetRailHotImage(const wchar_t* d) { StoreImage(rail_.hot, d); }
void CScrollBarUI::SetRailPushedImage(const wchar_t* d) { StoreImage(rail_.pushed, d); }
void CScrollBarUI::SetRailDisabledImage(const wchar_t* d) { StoreImage(rail_.disabled, d); }

// --- Attributes -------------------------------------------------------------------

void CScrollBarUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    for (const ImageAttribute& row : kImageAttributes) {
        if (wcscmp(name, row.name) == 0) {
            (this->*row.setter)(value);
            return;
        }
    }
    if (wcscmp(name, L"hor") == 0) {
        SetHorizontalMode(IsTrueText(value));
    } else if (wcscmp(name, L"linesize") == 0) {
        SetLineSize(ReadDecimal(value));
    } else if (wcscmp(name, L"range") == 0) {
        SetRange(ReadDecimal(value));
    } else if (wcscmp(name, L"value") == 0) {
        SetPosition(ReadDecimal(value));
    } else if (wcscmp(name, L"showbutton1") == 0) {
        SetShowButton1(IsTrueText(value));
    } else if (wcscmp(name, L"showbutton2") == 0) {
        SetShowButton2(IsTrueText(value));
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
}

// --- Painting ----------------------------------------------------------------------

const wchar_t* CScrollBarUI::DestinationModifier(const RECT& rect) {
    imageModifier_.FormatShort(L"dest='%d,%d,%d,%d'", static_cast<int>(rect.left - rect_.left),
                               static_cast<int>(rect.top - rect_.top), static_cast<int>(rect.right - rect_.left),
                               static_cast<int>(rect.bottom - rect_.top));
    return imageModifier_.Text();
}

bool CScrollBarUI::PaintStateImage(HDC dc, ImageSet& images, uint32_t state, const wchar_t* modifier) {
    CWideString* chosen = nullptr;
    if (state & kStateDisabled) {
        chosen = &images.disabled;
    } else if (state & kStatePushed) {
        chosen = &images.pushed;
    } else if (state & kStateHot) {
        chosen = &images.hot;
    }
    if (chosen && !chosen->IsEmpty()) {
        if (DrawImageInRect(dc, chosen->Text(), modifier)) {
            return true;
        }
        chosen->Clear();
    }
    if (!images.normal.IsEmpty()) {
        if (DrawImageInRect(dc, images.normal.Text(), modifier)) {
            return true;
        }
        images.normal.Clear();
    }
    return false;
}

void CScrollBarUI::PaintPart(HDC dc, Part& part) {
    // The modifier is copied: drawing may not keep pointing into the scratch
    // string while it is rebuilt.
    const CWideString modifier(DestinationModifier(part.rect));
    if (!PaintStateImage(dc, part.images, part.state, modifier.Text())) {
        CGdiRenderer::DrawRectOutline(dc, part.rect, kFallbackFrameWidth, kFallbackFrameColor);
    }
}

void CScrollBarUI::PaintRail(HDC dc) {
    if (IsAllZero(thumb_.rect)) {
        return;
    }
    const int thickness = Thickness();
    CUIRect grip = thumb_.rect;
    if (horizontal_) {
        grip.left = (thumb_.rect.left + thumb_.rect.right) / 2 - thickness / 2;
        grip.right = grip.left + thickness;
    } else {
        grip.top = (thumb_.rect.top + thumb_.rect.bottom) / 2 - thickness / 2;
        grip.bottom = grip.top + thickness;
    }
    const CWideString modifier(DestinationModifier(grip));
    PaintStateImage(dc, rail_, thumb_.state, modifier.Text());
}

void CScrollBarUI::Paint(HDC dc, const RECT& area) {
    if (!IntersectRect(&paintRect_, &area, &rect_)) {
        return;
    }
    if (IsEnabled()) {
        thumb_.state &= ~kStateDisabled;
    } else {
        thumb_.state |= kStateDisabled;
    }
    PaintStateImage(dc, background_, thumb_.state, nullptr);
    if (button1_.shown) {
        PaintPart(dc, button1_);
    }
    if (button2_.shown) {
        PaintPart(dc, button2_);
    }
    if (!IsAllZero(thumb_.rect)) {
        PaintPart(dc, thumb_);
    }
    PaintRail(dc);
}

}  // namespace TavikUI
