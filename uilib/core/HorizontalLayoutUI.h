// Places its children from left to right: children with a desired width keep
// it, the others share what is left; every child gets the full height unless
// it declares one. An optional separator strip resizes the layout.
#pragma once

#include <windows.h>

#include "SeparatorLayoutUI.h"

namespace TavikUI {

class CHorizontalLayoutUI : public CSeparatorLayoutUI {
public:
    CHorizontalLayoutUI();

    const wchar_t* ClassName() const override;
    // "HorizontalLayout" answers the layout.
    void* InterfaceByName(const wchar_t* name) override;
    void Place(const RECT& rect) override;
    // "sepwidth"; the rest goes to the shared separator and the container.
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
};

}  // namespace TavikUI
