// The header row of a list: a horizontal layout of column headers whose
// desired width is the sum of its items' (hidden ones included), so the body
// knows how wide its rows must be.
#pragma once

#include <windows.h>

#include "HorizontalLayoutUI.h"

namespace TavikUI {

class CListHeaderUI : public CHorizontalLayoutUI {
public:
    CListHeaderUI() = default;

    const wchar_t* ClassName() const override;
    // "ListHeader" answers the header.
    void* InterfaceByName(const wchar_t* name) override;
    SIZE DesiredSize(SIZE available) override;
};

}  // namespace TavikUI
