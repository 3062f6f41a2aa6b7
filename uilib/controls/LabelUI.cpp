#include "LabelUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "GdiRenderer.h"
#include "LabelAlignment.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const UINT kDefaultTextStyle = DT_VCENTER | DT_SINGLELINE;
const int kDefaultEffectAlpha = 60;
const int kDefaultTextAlpha = 168;
const int kOpaque = 255;
const DWORD kNoColor = 0xFFFFFFFFu;
const DWORD kBlack = 0xFF000000u;
const int kHighestRenderingHint = 5;
// Room above and below the font's height a label without a declared height
// asks for.
const int kDesiredHeightMargin = 4;

}  // namespace

CLabelUI::CLabelUI()
    : textColor_(0),
      disabledTextColor_(0),
      fontIndex_(-1),
      textStyle_(kDefaultTextStyle),
      showMarkup_(false),
      effectHorizontalAlign_(0),
      effectVerticalAlign_(1),
      shadowAlpha_(kDefaultEffectAlpha),
      secondShadowAlpha_(kDefaultEffectAlpha),
      textAlpha_(kDefaultTextAlpha),
      secondTextAlpha_(kDefaultTextAlpha),
      strokeAlpha_(kOpaque),
      gradientLength_(0),
      gradientAngle_(0),
      effectsEnabled_(false),
      strokeEnabled_(false),
      shadowEnabled_(false),
      secondTextColor_(kNoColor),
      shadowColorA_(kBlack),
      shadowColorB_(kNoColor),
      strokeColor_(0),
      shadowOffsetY_(0.0f),
      shadowOffsetX_(0.0f),
      textRenderingHint_(0) {}

const wchar_t* CLabelUI::ClassName() const { return L"LabelUI"; }

void* CLabelUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"Label") == 0) {
        return this;
    }
    return CControlUI::InterfaceByName(name);
}

void CLabelUI::HandleEvent(UIEvent& event) {
    // A plain label only notes its focus: it draws nothing for it.
    const bool focusEvent = event.type == kEventSetFocus || event.type == kEventKillFocus;
    if (focusEvent && wcscmp(ClassName(), L"LabelUI") == 0) {
        focused_ = event.type == kEventSetFocus;
        return;
    }
    CControlUI::HandleEvent(event);
}

void CLabelUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"align") == 0) {
        textStyle_ = ApplyAlignment(textStyle_, value);
    } else if (wcscmp(name, L"endellipsis") == 0) {
        textStyle_ = IsTrueText(value) ? (textStyle_ | DT_END_ELLIPSIS) : (textStyle_ & ~DT_END_ELLIPSIS);
    } else if (wcscmp(name, L"font") == 0) {
        SetFont(ReadDecimal(value));
    } else if (wcscmp(name, L"textcolor") == 0) {
        SetTextColor(ReadHexColor(value));
    } else if (wcscmp(name, L"disabledtextcolor") == 0) {
        SetDisabledTextColor(ReadHexColor(value));
    } else if (wcscmp(name, L"textpadding") == 0) {
        SetTextPadding(ReadRectText(value));
    } else if (wcscmp(name, L"showhtml") == 0) {
        SetShowMarkup(IsTrueText(value));
    } else if (wcscmp(name, L"enabledeffect") == 0) {
        effectsEnabled_ = IsTrueText(value);
    } else if (wcscmp(name, L"rhaa") == 0) {
        SetTextRenderingHint(ReadDecimal(value));
    } else if (wcscmp(name, L"transshadow") == 0) {
        shadowAlpha_ = ReadDecimal(value);
    } else if (wcscmp(name, L"transtext") == 0) {
        textAlpha_ = ReadDecimal(value);
    } else if (wcscmp(name, L"transshadow1") == 0) {
        secondShadowAlpha_ = ReadDecimal(value);
    } else if (wcscmp(name, L"transtext1") == 0) {
        secondTextAlpha_ = ReadDecimal(value);
    } else if (wcscmp(name, L"gradientangle") == 0) {
        gradientAngle_ = ReadDecimal(value);
    } else if (wcscmp(name, L"enabledstroke") == 0) {
        strokeEnabled_ = IsTrueText(value);
    } else if (wcscmp(name, L"enabledshadow") == 0) {
        shadowEnabled_ = IsTrueText(value);
    } else if (wcscmp(name, L"transstroke") == 0) {
        strokeAlpha_ = ReadDecimal(value);
    } else if (wcscmp(name, L"gradientlength") == 0) {
        gradientLength_ = ReadDecimal(value);
    } else if (wcscmp(name, L"shadowoffset") == 0) {
        int numbers[2] = {};
        ReadNumberList(value, numbers, 2);
        ApplyShadowOffset(numbers[0], numbers[1]);
    } else if (wcscmp(name, L"textcolor1") == 0) {
        secondTextColor_ = ReadHexColor(value);
    } else if (wcscmp(name, L"textshadowcolora") == 0) {
        shadowColorA_ = ReadHexColor(value);
    } else if (wcscmp(name, L"textshadowcolorb") == 0) {
        shadowColorB_ = ReadHexColor(value);
    } else if (wcscmp(name, L"strokecolor") == 0) {
        strokeColor_ = ReadHexColor(value);
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
}

SIZE CLabelUI::DesiredSize(SIZE available) {
    if (DeclaredHeight() != 0) {
        return CControlUI::DesiredSize(available);
    }
    const FontRecord* font = manager_ ? manager_->FontRecordAt(fontIndex_) : nullptr;
    const int fontHeight = font ? static_cast<int>(font->metrics.tmHeight) : 0;
    return CUISize(DeclaredWidth(), fontHeight + kDesiredHeightMargin);
}

void CLabelUI::PaintTextPart(HDC dc) {
    ResolveDefaultTextColors();
    // Text effects have no renderer in this library: a label that asks for
    // them shows no text rather than plain text it did not ask for.
    if (effectsEnabled_ || text_.IsEmpty()) {
        return;
    }
    DrawLabelText(dc, IsEnabled() ? textColor_ : disabledTextColor_, textStyle_ | DT_SINGLELINE);
}

void CLabelUI::SetTextColor(DWORD color) {
    textColor_ = color;
    InvalidateVisibleRect();
}

void CLabelUI::SetDisabledTextColor(DWORD color) {
    disabledTextColor_ = color;
    InvalidateVisibleRect();
}

void CLabelUI::SetFont(int index) {
    fontIndex_ = index;
    InvalidateVisibleRect();
}

void CLabelUI::SetTextPadding(const RECT& padding) {
    textPadding_ = padding;
    InvalidateVisibleRect();
}

void CLabelUI::SetTextStyle(UINT style) {
    textStyle_ = style;
    InvalidateVisibleRect();
}

void CLabelUI::SetShowMarkup(bool show) {
    if (showMarkup_ == show) {
        return;
    }
    showMarkup_ = show;
    InvalidateVisibleRect();
}

void CLabelUI::SetTextRenderingHint(int hint) {
    textRenderingHint_ = (hint >= 0 && hint <= kHighestRenderingHint) ? hint : 0;
}

void CLabelUI::ApplyShadowOffset(int offset, int angle) {
    if (angle < -180 || angle > 180) {
        return;
    }
    int y = rect_.top;
    if (angle >= 0) {
        y -= offset;
    } else if (angle > -180) {
        y += offset;
    }
    int x = rect_.left;
    if (angle >= -89 && angle <= 90) {
        x -= offset;
    } else if (angle != -90) {
        x += offset;
    }
    shadowOffsetY_ = static_cast<float>(y);
    shadowOffsetX_ = static_cast<float>(x);
}

void CLabelUI::ResolveDefaultTextColors() {
    if (!manager_) {
        return;
    }
    if (textColor_ == 0) {
        textColor_ = manager_->DefaultTextColor();
    }
    if (disabledTextColor_ == 0) {
        disabledTextColor_ = manager_->DisabledTextColor();
    }
}

CUIRect CLabelUI::TextRect() const {
    CUIRect rect = rect_;
    rect.left += textPadding_.left;
    rect.top += textPadding_.top;
    rect.right -= textPadding_.right;
    rect.bottom -= textPadding_.bottom;
    return rect;
}

void CLabelUI::DrawLabelText(HDC dc, DWORD color, UINT style) {
    CUIRect rect = TextRect();
    if (showMarkup_) {
        int linkCount = 0;
        CGdiRenderer::DrawMarkupText(dc, manager_, rect, text_.Text(), color, nullptr, nullptr, linkCount, style);
        return;
    }
    CGdiRenderer::DrawPlainText(dc, manager_, rect, text_.Text(), color, fontIndex_, style);
}

}  // namespace TavikUI
