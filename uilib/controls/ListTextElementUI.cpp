#include "ListTextElementUI.h"

#include <cwchar>

#include "GdiRenderer.h"
#include "WindowManager.h"

namespace TavikUI {

CListTextElementUI::~CListTextElementUI() {
    for (int i = 0; i < columnTexts_.Count(); ++i) {
        delete static_cast<CWideString*>(columnTexts_.AtUnchecked(i));
    }
}

const wchar_t* CListTextElementUI::ClassName() const { return L"ListTextElementUI"; }

void* CListTextElementUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ListTextElement") == 0) {
        return this;
    }
    return CListLabelElementUI::InterfaceByName(name);
}

UINT CListTextElementUI::BehaviourFlags() const {
    return IsEnabled() && linkCount_ > 0 ? (kRowBehaviour | kBehaviourSetCursor) : kRowBehaviour;
}

void CListTextElementUI::SetOwner(CControlUI* owner) {
    CListLabelElementUI::SetOwner(owner);
    list_ = owner ? static_cast<IListUI*>(owner->InterfaceByName(L"IList")) : nullptr;
}

int CListTextElementUI::LinkAt(POINT point) const {
    for (int i = 0; i < linkCount_; ++i) {
        if (PtInRect(&linkRects_[i], point)) {
            return i;
        }
    }
    return -1;
}

void CListTextElementUI::HandleEvent(UIEvent& event) {
    if (!AcceptsMouse() && IsMouseEvent(event.type)) {
        if (list_) {
            list_->ForwardEvent(event);
        } else {
            CListLabelElementUI::HandleEvent(event);
        }
        return;
    }
    switch (event.type) {
    case kEventSetCursor:
        if (LinkAt(event.point) >= 0) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            return;
        }
        break;
    case kEventButtonUp:
        if (IsEnabled()) {
            const int link = LinkAt(event.point);
            if (link >= 0) {
                if (manager_) {
                    manager_->SendNotification(this, L"link", static_cast<WPARAM>(link), 0, false);
                }
                return;
            }
        }
        break;
    case kEventMouseMove:
        if (linkCount_ > 0) {
            const int link = LinkAt(event.point);
            if (link != hotLink_) {
                InvalidateRow();
                hotLink_ = link;
            }
        }
        break;
    case kEventMouseLeave:
        if (linkCount_ > 0 && hotLink_ != -1) {
            InvalidateRow();
            hotLink_ = -1;
        }
        break;
    default:
        break;
    }
    CListLabelElementUI::HandleEvent(event);
}

SIZE CListTextElementUI::DesiredSize(SIZE /*available*/) {
    CUISize size(DeclaredWidth(), DeclaredHeight());
    if (size.cy == 0 && list_ && manager_) {
        size.cy = RowHeightFor(manager_, *list_->ListInfo());
    }
    return size;
}

const wchar_t* CListTextElementUI::StoredText(int column) const {
    const auto* text = static_cast<const CWideString*>(columnTexts_.At(column));
    return text ? text->Text() : L"";
}

void CListTextElementUI::DrawItemText(HDC dc, const RECT& rect) {
    if (!list_) {
        return;
    }
    const CListInfo& info = *list_->ListInfo();
    const DWORD color = StateTextColor(info);
    ICellTextProvider* provider = list_->CellTextProvider();
    linkCount_ = 0;
    for (int i = 0; i < info.columnCount; ++i) {
        RECT cell = {info.columns[i].left + info.textPadding.left, rect.top + info.textPadding.top,
                     info.columns[i].right - info.textPadding.right, rect.bottom - info.textPadding.bottom};
        const wchar_t* text = provider ? provider->CellText(this, index_, i) : StoredText(i);
        // A provider with nothing for a cell leaves it empty.
        if (!text) {
            text = L"";
        }
        if (info.showMarkup) {
            int links = kMaxLinks - linkCount_;
            CGdiRenderer::DrawMarkupText(dc, manager_, cell, text, color, &linkRects_[linkCount_],
                                         &linkTexts_[linkCount_], links, info.textStyle | DT_SINGLELINE);
            linkCount_ += links;
        } else {
            CGdiRenderer::DrawPlainText(dc, manager_, cell, text, color, info.font, info.textStyle | DT_SINGLELINE);
        }
    }
    for (int i = linkCount_; i < kMaxLinks; ++i) {
        linkRects_[i] = CUIRect();
        linkTexts_[i].Clear();
    }
}

}  // namespace TavikUI
