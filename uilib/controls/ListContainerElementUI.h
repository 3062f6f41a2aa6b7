// A row that is a container: it holds any child controls and behaves as a
// row (selection, hot state, activation, the owner's row background). The
// tree node builds on it.
#pragma once

#include <windows.h>

#include "ContainerUI.h"
#include "ListRow.h"

namespace TavikUI {

class CListContainerElementUI : public CListRow<CContainerUI> {
public:
    CListContainerElementUI() = default;

    const wchar_t* ClassName() const override;
    // "ListItem" its row interface, "ListContainerElement" the row; else as
    // the container.
    void* InterfaceByName(const wchar_t* name) override;
    void HandleEvent(UIEvent& event) override;
    // The row background, then the container's own painting and children.
    void Paint(HDC dc, const RECT& area) override;
};

}  // namespace TavikUI
