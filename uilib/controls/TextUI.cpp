#include "TextUI.h"

#include <algorithm>
#include <cwchar>

#include "GdiRenderer.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const int kSidePadding = 2;
// The measuring rectangle's open height.
const int kMeasureHeight = 9999;

}  // namespace

CTextUI::CTextUI() : linkCount_(0), hotLink_(-1) {
    SetTextStyle(DT_WORDBREAK);
    SetTextPadding(RECT{kSidePadding, 0, kSidePadding, 0});
}

const wchar_t* CTextUI::ClassName() const { return L"TextUI"; }

void* CTextUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"Text") == 0) {
        return this;
    }
    return CLabelUI::InterfaceByName(name);
}

UINT CTextUI::BehaviourFlags() const {
    return IsEnabled() && linkCount_ > 0 ? static_cast<UINT>(kBehaviourSetCursor) : 0u;
}

int CTextUI::LinkAt(POINT point) const {
    for (int i = 0; i < linkCount_; ++i) {
        if (PtInRect(&linkRects_[i], point)) {
            return i;
        }
    }
    return -1;
}

void CTextUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToParent(event, [this](UIEvent& e) { CLabelUI::HandleEvent(e); })) {
        return;
    }
    const int link = LinkAt(event.point);
    switch (event.type) {
    case kEventSetCursor:
        if (link >= 0) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            return;
        }
        break;
    case kEventButtonDown:
    case kEventDoubleClick:
        if (IsEnabled() && link >= 0) {
            InvalidateVisibleRect();
            return;
        }
        break;
    case kEventButtonUp:
        if (IsEnabled() && link >= 0) {
            if (manager_) {
                manager_->SendNotification(this, L"link", static_cast<WPARAM>(link));
            }
            return;
        }
        break;
    case kEventContextMenu:
        return;
    case kEventMouseMove:
        if (IsEnabled() && linkCount_ > 0) {
            if (link != hotLink_) {
                hotLink_ = link;
                InvalidateVisibleRect();
            }
            return;
        }
        break;
    case kEventMouseLeave:
        if (IsEnabled() && linkCount_ > 0 && hotLink_ != -1) {
            hotLink_ = -1;
            InvalidateVisibleRect();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::HandleEvent(event);
}

SIZE CTextUI::DesiredSize(SIZE available) {
    const CUIRect padding = TextPadding();
    const LONG width = std::max<LONG>(DeclaredWidth(), available.cx) - padding.right;
    RECT measured = {padding.left, 0, width, kMeasureHeight};
    const UINT style = TextStyle() | DT_CALCRECT;
    if (ShowsMarkup()) {
        int noLinks = 0;
        CGdiRenderer::DrawMarkupText(manager_ ? manager_->PaintDC() : nullptr, manager_, measured, text_.Text(), 0,
                                     nullptr, nullptr, noLinks, style);
    } else {
        CGdiRenderer::DrawPlainText(manager_ ? manager_->PaintDC() : nullptr, manager_, measured, text_.Text(), 0,
                                    FontIndex(), style);
    }
    SIZE size = CUISize(measured.right - measured.left + padding.left + padding.right,
                        measured.bottom - measured.top + padding.top + padding.bottom);
    if (DeclaredHeight() != 0) {
        size.cy = DeclaredHeight();
    }
    return size;
}

void CTextUI::PaintTextPart(HDC dc) {
    if (text_.IsEmpty()) {
        linkCount_ = 0;
        return;
    }
    ResolveDefaultTextColors();
    const DWORD color = IsEnabled() ? TextColor() : DisabledTextColor();
    CUIRect rect = TextRect();
    if (ShowsMarkup()) {
        linkCount_ = kMaxLinks;
        CGdiRenderer::DrawMarkupText(dc, manager_, rect, text_.Text(), color, linkRects_, linkTexts_, linkCount_,
                                     TextStyle());
        return;
    }
    linkCount_ = 0;
    CGdiRenderer::DrawPlainText(dc, manager_, rect, text_.Text(), color, FontIndex(), TextStyle());
}

}  // namespace TavikUI
