// The scrolling part of a list that holds its rows: rows are as wide as the
// header's columns need (a horizontal bar appears when that is wider than the
// body), events go to the list, and a horizontal scroll moves the header too.
#pragma once

#include <windows.h>

#include "VerticalLayoutUI.h"

namespace TavikUI {

class CListUI;

class CListBodyUI : public CVerticalLayoutUI {
public:
    explicit CListBodyUI(CListUI* owner);

    void Place(const RECT& rect) override;
    void HandleEvent(UIEvent& event) override;
    void SetScrollPosition(SIZE position) override;

private:
    // The width the rows need: the header's, else the widest row's.
    int NeededWidth(const CUIRect& inner) const;
    // Shows the horizontal bar with the range the rows overflow by, or hides
    // it; answers the change of the inner height.
    int UpdateHorizontalBar(int neededWidth, int innerWidth);

    CListUI* owner_;
};

}  // namespace TavikUI
