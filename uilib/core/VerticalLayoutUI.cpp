#include "VerticalLayoutUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "LayoutArithmetic.h"
#include "ScrollBarUI.h"

namespace TavikUI {

CVerticalLayoutUI::CVerticalLayoutUI() : CSeparatorLayoutUI(Axis::kVertical) {}

const wchar_t* CVerticalLayoutUI::ClassName() const { return L"VerticalLayoutUI"; }

void* CVerticalLayoutUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"VerticalLayout") == 0) {
        return this;
    }
    return CContainerUI::InterfaceByName(name);
}

void CVerticalLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"sepheight") == 0) {
        SetSeparatorSize(ReadDecimal(value));
        return;
    }
    CSeparatorLayoutUI::ApplyAttribute(name, value);
}

void CVerticalLayoutUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    const CUIRect inner = ClientRect();
    if (children_.IsEmpty()) {
        UpdateScrollBars(inner, 0, 0);
        return;
    }
    const CUISize available(inner.Width() + VisibleBarRange(HorizontalScrollBar()), inner.Height());
    const POINT origin = {inner.left - VisibleBarPosition(HorizontalScrollBar()),
                          inner.top - VisibleBarPosition(VerticalScrollBar())};
    const int needed = PlaceAlongAxis(origin, available, [&](const CControlUI& child, const CUIRect& padding) {
        return DeclaredOrFillAcross(child, padding, available.cx);
    });
    UpdateScrollBars(inner, 0, needed);
}

}  // namespace TavikUI
