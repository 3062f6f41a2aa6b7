#include "ListContainerElementUI.h"

#include <cwchar>

namespace TavikUI {

const wchar_t* CListContainerElementUI::ClassName() const { return L"ListContainerElementUI"; }

void* CListContainerElementUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ListContainerElement") == 0) {
        return this;
    }
    return CListRow<CContainerUI>::InterfaceByName(name);
}

void CListContainerElementUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToOwner(event, [this](UIEvent& e) { CContainerUI::HandleEvent(e); })) {
        return;
    }
    if (HandleActivation(event) || HandleRowPointer(event)) {
        return;
    }
    ForwardToOwner(event);
}

void CListContainerElementUI::Paint(HDC dc, const RECT& area) {
    if (!IntersectRect(&paintRect_, &area, &rect_)) {
        return;
    }
    PaintRowBackground(dc);
    CContainerUI::Paint(dc, area);
}

}  // namespace TavikUI
