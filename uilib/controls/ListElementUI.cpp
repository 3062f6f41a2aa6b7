#include "ListElementUI.h"

#include <cwchar>

namespace TavikUI {

const wchar_t* CListElementUI::ClassName() const { return L"ListElementUI"; }

void* CListElementUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ListElement") == 0) {
        return this;
    }
    return CListRow<CControlUI>::InterfaceByName(name);
}

void CListElementUI::HandleEvent(UIEvent& event) {
    if (!AcceptsMouse() && IsMouseEvent(event.type)) {
        ForwardToOwner(event);
        return;
    }
    if (HandleActivation(event)) {
        return;
    }
    ForwardToOwner(event);
}

}  // namespace TavikUI
