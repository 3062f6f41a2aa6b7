// The base row: a plain control that is a list item. It draws nothing of its
// own; activation and the keys and wheel it does not use go to its owner.
#pragma once

#include <windows.h>

#include "ControlUI.h"
#include "ListRow.h"

namespace TavikUI {

class CListElementUI : public CListRow<CControlUI> {
public:
    CListElementUI() = default;

    const wchar_t* ClassName() const override;
    // "ListElement" answers the row; "ListItem" its row interface.
    void* InterfaceByName(const wchar_t* name) override;
    void HandleEvent(UIEvent& event) override;
};

}  // namespace TavikUI
