// Helpers of the layout tests: children with chosen declared sizes, limits
// and paddings, and rectangle checks on placed trees.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "ContainerTestSupport.h"
#include "ControlUI.h"
#include "UIRect.h"

namespace LayoutTests {

using ContainerTests::RectIs;
using TavikUI::CControlUI;
using TavikUI::CUIRect;

// A child's declared geometry; 0 sizes make an automatic child.
struct ChildGeometry {
    int width = 0;
    int height = 0;
    RECT padding = {0, 0, 0, 0};
    int minWidth = 0;
    int maxWidth = 9999;
    int minHeight = 0;
    int maxHeight = 9999;
};

inline CControlUI* MakeChild(const ChildGeometry& geometry) {
    auto* child = new CControlUI();
    child->SetDeclaredWidth(geometry.width);
    child->SetDeclaredHeight(geometry.height);
    child->SetPadding(geometry.padding);
    child->SetMinWidth(geometry.minWidth);
    child->SetMaxWidth(geometry.maxWidth);
    child->SetMinHeight(geometry.minHeight);
    child->SetMaxHeight(geometry.maxHeight);
    return child;
}

inline CControlUI* SizedChild(int width, int height) {
    ChildGeometry geometry;
    geometry.width = width;
    geometry.height = height;
    return MakeChild(geometry);
}

// A floating child of the given size at the float offset.
inline CControlUI* FloatingChild(int x, int y, int width, int height) {
    CControlUI* child = SizedChild(width, height);
    child->SetFloating(true);
    child->SetFloatOffset(POINT{x, y});
    return child;
}

// Records every size a layout offers it and answers what `answer` makes of
// the offer (by default its declared size).
class ProbeControl : public CControlUI {
public:
    SIZE DesiredSize(SIZE available) override {
        offers.push_back(available);
        return answer ? answer(available) : CControlUI::DesiredSize(available);
    }
    std::vector<SIZE> offers;
    std::function<SIZE(SIZE)> answer;
};

inline bool SameSize(const SIZE& a, int cx, int cy) { return a.cx == cx && a.cy == cy; }

inline int HeightOf(const CControlUI* control) { return control->Rect().Height(); }
inline int WidthOf(const CControlUI* control) { return control->Rect().Width(); }

}  // namespace LayoutTests
