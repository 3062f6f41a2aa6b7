// Reads a child's sizes, limits and paddings along the axis its layout
// places children on (the flow) and across it, so one placing pass serves
// the vertical and the horizontal layout alike.
#pragma once

#include <windows.h>

#include "ControlUI.h"
#include "UIRect.h"

namespace TavikUI {

class CFlowAxis {
public:
    explicit CFlowAxis(bool vertical) : vertical_(vertical) {}

    int Along(SIZE size) const { return vertical_ ? size.cy : size.cx; }
    int MinAlong(const CControlUI& child) const { return vertical_ ? child.MinHeight() : child.MinWidth(); }
    int MaxAlong(const CControlUI& child) const { return vertical_ ? child.MaxHeight() : child.MaxWidth(); }
    int DeclaredAcross(const CControlUI& child) const {
        return vertical_ ? child.DeclaredWidth() : child.DeclaredHeight();
    }
    int MinAcross(const CControlUI& child) const { return vertical_ ? child.MinWidth() : child.MinHeight(); }
    int MaxAcross(const CControlUI& child) const { return vertical_ ? child.MaxWidth() : child.MaxHeight(); }
    int LeadAlong(const RECT& padding) const { return vertical_ ? padding.top : padding.left; }
    int TrailAlong(const RECT& padding) const { return vertical_ ? padding.bottom : padding.right; }
    int LeadAcross(const RECT& padding) const { return vertical_ ? padding.left : padding.top; }
    int TrailAcross(const RECT& padding) const { return vertical_ ? padding.right : padding.bottom; }
    CUISize Size(int along, int across) const { return vertical_ ? CUISize(across, along) : CUISize(along, across); }
    CUIRect Rect(int alongStart, int alongEnd, int acrossStart, int acrossEnd) const {
        return vertical_ ? CUIRect(acrossStart, alongStart, acrossEnd, alongEnd)
                         : CUIRect(alongStart, acrossStart, alongEnd, acrossEnd);
    }

private:
    bool vertical_;
};

}  // namespace TavikUI
