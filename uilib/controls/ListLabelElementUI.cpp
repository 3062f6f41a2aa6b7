#include "ListLabelElementUI.h"

#include <cwchar>

#include "GdiRenderer.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

// Room a row keeps above and below its text.
const int kRowTextMargin = 8;
// The line a text is measured on.
const int kMeasureWidth = 9999;

}  // namespace

const wchar_t* CListLabelElementUI::ClassName() const { return L"ListLabelElementUI"; }

void* CListLabelElementUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ListLabelElement") == 0) {
        return this;
    }
    return CListElementUI::InterfaceByName(name);
}

void CListLabelElementUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToOwner(event, [this](UIEvent& e) { CListElementUI::HandleEvent(e); })) {
        return;
    }
    if (HandleRowPointer(event)) {
        return;
    }
    CListElementUI::HandleEvent(event);
}

int CListLabelElementUI::RowHeightFor(CWindowManager* manager, const CListInfo& info) {
    const FontRecord* font = manager->FontRecordAt(info.font);
    const int fontHeight = font ? static_cast<int>(font->metrics.tmHeight) : 0;
    return fontHeight + info.textPadding.top + info.textPadding.bottom + kRowTextMargin;
}

SIZE CListLabelElementUI::DesiredSize(SIZE /*available*/) {
    if (!owner_) {
        return CUISize(0, 0);
    }
    const CListInfo& info = *owner_->ListInfo();
    CUISize size(DeclaredWidth(), DeclaredHeight());
    if (size.cy == 0 && manager_) {
        size.cy = RowHeightFor(manager_, info);
    }
    if (size.cx == 0 && manager_) {
        RECT measured = {0, 0, kMeasureWidth, kMeasureWidth};
        const UINT style = (info.textStyle & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT | DT_SINGLELINE;
        if (info.showMarkup) {
            int links = 0;
            CGdiRenderer::DrawMarkupText(manager_->PaintDC(), manager_, measured, text_.Text(), 0, nullptr, nullptr,
                                         links, style);
        } else {
            CGdiRenderer::DrawPlainText(manager_->PaintDC(), manager_, measured, text_.Text(), 0, info.font, style);
        }
        size.cx = measured.right - measured.left + info.textPadding.left + info.textPadding.right;
    }
    return size;
}

void CListLabelElementUI::Paint(HDC dc, const RECT& area) {
    if (!IntersectRect(&paintRect_, &area, &rect_)) {
        return;
    }
    PaintRowBackground(dc);
    DrawItemText(dc, rect_);
}

void CListLabelElementUI::DrawItemText(HDC dc, const RECT& rect) {
    if (text_.IsEmpty() || !owner_) {
        return;
    }
    const CListInfo& info = *owner_->ListInfo();
    RECT inner = {rect.left + info.textPadding.left, rect.top + info.textPadding.top,
                  rect.right - info.textPadding.right, rect.bottom - info.textPadding.bottom};
    const DWORD color = StateTextColor(info);
    if (info.showMarkup) {
        int links = 0;
        CGdiRenderer::DrawMarkupText(dc, manager_, inner, text_.Text(), color, nullptr, nullptr, links,
                                     info.textStyle | DT_SINGLELINE);
    } else {
        CGdiRenderer::DrawPlainText(dc, manager_, inner, text_.Text(), color, info.font,
                                    info.textStyle | DT_SINGLELINE);
    }
}

}  // namespace TavikUI
