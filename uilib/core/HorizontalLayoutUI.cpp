#include "HorizontalLayoutUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "LayoutArithmetic.h"
#include "ScrollBarUI.h"

namespace TavikUI {

CHorizontalLayoutUI::CHorizontalLayoutUI() : CSeparatorLayoutUI(Axis::kHorizontal) {}

const wchar_t* CHorizontalLayoutUI::ClassName() const { return L"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"HorizontalLayout") == 0) {
        return this;
    }
    return CContainerUI::InterfaceByName(name);
}

void CHorizontalLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"sepwidth") == 0) {
        SetSeparatorSize(ReadDecimal(value));
        return;
    }
    CSeparatorLayoutUI::ApplyAttribute(name, value);
}

void CHorizontalLayoutUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    if (children_.IsEmpty()) {
        UpdateScrollBars(InnerRect(), 0, 0);
        return;
    }
    const CUIRect inner = ClientRect();
    const CUISize available(inner.Width() + VisibleBarRange(HorizontalScrollBar()), inner.Height());
    // The vertical scroll position does not move the children.
    const POINT origin = {inner.left - VisibleBarPosition(HorizontalScrollBar()), inner.top};
    const int needed = PlaceAlongAxis(origin, available, [&](const CControlUI& child, const CUIRect& padding) {
        return DeclaredOrFillAcross(child, padding, available.cy);
    });
    UpdateScrollBars(inner, needed, 0);
}

}  // namespace TavikUI
