// A row that shows its own text in its owner's style and selects itself on a
// click ("itemclick" first).
#pragma once

#include <windows.h>

#include "ListElementUI.h"

namespace TavikUI {

class CListLabelElementUI : public CListElementUI {
public:
    CListLabelElementUI() = default;

    const wchar_t* ClassName() const override;
    // "ListLabelElement" answers the row; else as the element.
    void* InterfaceByName(const wchar_t* name) override;
    void HandleEvent(UIEvent& event) override;
    // Without an owner 0 x 0; else the declared size, a missing height from
    // the style font and a missing width from the text on one line.
    SIZE DesiredSize(SIZE available) override;
    // The background, then the text; nothing of the base control's painting.
    void Paint(HDC dc, const RECT& area) override;
    void DrawItemText(HDC dc, const RECT& rect) override;

protected:
    // The style font's height plus the vertical text padding and a margin.
    static int RowHeightFor(CWindowManager* manager, const CListInfo& info);
};

}  // namespace TavikUI
