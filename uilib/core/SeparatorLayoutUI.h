// The part the vertical and horizontal layouts share: the pass that places
// the children one after the other along the layout's axis, and a separator
// strip along one edge of the layout that the user drags to resize the
// layout along that axis. In immediate mode the layout follows the pointer;
// else a translucent bar shows the new edge and the size changes on release.
#pragma once

#include <windows.h>

#include <functional>

#include "ContainerUI.h"
#include "FlowAxis.h"
#include "UIRect.h"

namespace TavikUI {

class CSeparatorLayoutUI : public CContainerUI {
public:
    enum class Axis { kVertical, kHorizontal };

    // Fill of the bar that marks the new edge during a pending drag.
    static constexpr DWORD kDragBarColor = 0xAA000000;

    ~CSeparatorLayoutUI() override;

    // Positive: a strip at the bottom (right) edge; negative: at the top
    // (left) edge; 0: no separator.
    int SeparatorSize() const { return separatorSize_; }
    void SetSeparatorSize(int size) { separatorSize_ = size; }
    bool IsSeparatorImmediate() const { return immediate_; }
    void SetSeparatorImmediate(bool immediate);
    bool IsDragging() const { return dragging_; }
    // The rectangle the layout will take when the drag ends.
    const CUIRect& DragRect() const { return dragRect_; }
    // The separator's strip of the rectangle; empty without a separator.
    CUIRect SeparatorStrip(const RECT& rect) const;

    UINT BehaviourFlags() const override;
    // A pending drag ends when the layout leaves its manager, so the manager
    // keeps no post-paint pointer to it.
    void AttachToManager(CWindowManager* manager, CControlUI* parent, bool init = true) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void PostPaint(HDC dc, const RECT& area) override;

protected:
    explicit CSeparatorLayoutUI(Axis axis);

    // The first pass of placing: what the children with a desired extent
    // along the axis take (with paddings and gaps), and the share of the
    // rest each of the others gets.
    struct FlowShare {
        // Children placed in the flow (visible, not floating).
        int placedCount = 0;
        int fixedTotal = 0;
        int automaticCount = 0;
        int automaticExtent = 0;
    };
    FlowShare ShareAlongAxis(CUISize available) const;
    // A placed child's extent across the axis, from its padding.
    using AcrossExtent = std::function<int(const CControlUI& child, const CUIRect& padding)>;
    // The declared extent across, else all of `available` less the padding;
    // within the child's limits.
    int DeclaredOrFillAcross(const CControlUI& child, const CUIRect& padding, int available) const;
    // The second pass: places the children one after the other from the
    // origin, each rectangle reaching over its trailing padding along the
    // axis, the floating ones on their own; the last automatic child takes
    // the rounding remainder. Answers the extent needed along the axis.
    int PlaceAlongAxis(POINT origin, CUISize available, const AcrossExtent& across);
    CFlowAxis Flow() const { return CFlowAxis(axis_ == Axis::kVertical); }

private:
    // The coordinate along the layout's axis, and the two edges across it.
    int Along(POINT point) const;
    LONG& NearEdge(RECT& rect) const;
    LONG& FarEdge(RECT& rect) const;
    int Extent(const RECT& rect) const;
    int MinExtent() const;
    int MaxExtent() const;
    LPCWSTR ResizeCursor() const;

    bool StartDrag(const UIEvent& event);
    void ContinueDrag(const UIEvent& event);
    void EndDrag();
    // Moves the dragged edge of the drag rectangle; false when the move is
    // ignored.
    bool MoveDraggedEdge(int pointer, int delta);
    // Drops a drag that would leave a post-paint registration behind.
    void AbandonDrag();

    Axis axis_;
    int separatorSize_;
    bool dragging_;
    POINT lastPoint_;
    CUIRect dragRect_;
    bool immediate_;
};

}  // namespace TavikUI
