// Places its children from top to bottom: children with a desired height keep
// it, the others share what is left; every child gets the full width unless
// it declares one. An optional separator strip resizes the layout.
#pragma once

#include <windows.h>

#include "SeparatorLayoutUI.h"

namespace TavikUI {

class CVerticalLayoutUI : public CSeparatorLayoutUI {
public:
    CVerticalLayoutUI();

    const wchar_t* ClassName() const override;
    // "VerticalLayout" answers the layout.
    void* InterfaceByName(const wchar_t* name) override;
    void Place(const RECT& rect) override;
    // "sepheight"; the rest goes to the shared separator and the container.
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
};

}  // namespace TavikUI
