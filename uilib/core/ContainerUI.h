// The control that owns child controls: the child list and its ownership
// rules, an inset and a child padding for the layouts, optional vertical and
// horizontal scroll bars, placement of floating children, scrolling by keys
// and wheel, and hit tests and painting that descend into the children.
#pragma once

#include <windows.h>

#include "ControlUI.h"
#include "PointerArray.h"
#include "UIRect.h"

namespace TavikUI {

class CScrollBarUI;

// Reaches the children of any container; obtained through
// InterfaceByName(L"IContainer").
class IContainerUI {
public:
    // Null for an index outside the list.
    virtual CControlUI* ChildAt(int index) const = 0;
    // -1 when the control is not a child.
    virtual int IndexOfChild(const CControlUI* control) const = 0;
    // False, leaving the list unchanged, for a control that is not a child or
    // an index outside 0..ChildCount() - 1.
    virtual bool MoveChildTo(CControlUI* control, int index) = 0;
    virtual int ChildCount() const = 0;
    // The container's manager adopts the child's tree; a hidden container
    // hides the child through its parent-given visibility.
    virtual bool AddChild(CControlUI* control) = 0;
    // 0 <= index <= ChildCount().
    virtual bool InsertChild(CControlUI* control, int index) = 0;
    // Destroys the child when the container deletes its children (through
    // the manager's delayed delete when the container deletes later).
    virtual bool RemoveChild(CControlUI* control) = 0;
    virtual bool RemoveChildAt(int index) = 0;
    virtual void RemoveAllChildren() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    // Fixed step of the horizontal line scroll; also the vertical line step
    // of a container without a manager.
    static constexpr int kLineStep = 8;

    CContainerUI();
    // Destroys the children at once and both scroll bars.
    ~CContainerUI() override;

    // --- IContainerUI --------------------------------------------------------

    CControlUI* ChildAt(int index) const override;
    int IndexOfChild(const CControlUI* control) const override;
    bool MoveChildTo(CControlUI* control, int index) override;
    int ChildCount() const override;
    bool AddChild(CControlUI* control) override;
    bool InsertChild(CControlUI* control, int index) override;
    bool RemoveChild(CControlUI* control) override;
    bool RemoveChildAt(int index) override;
    void RemoveAllChildren() override;

    // --- CControlUI ------------------------------------------------------------

    const wchar_t* ClassName() const override;
    // "IContainer" answers the IContainerUI part, "Container" the container.
    void* InterfaceByName(const wchar_t* name) override;
    void AttachToManager(CWindowManager* manager, CControlUI* parent, bool init = true) override;
    // Floating children by their float offset; every other visible child
    // gets the inner rectangle.
    void Place(const RECT& rect) override;
    void ShowOrHide(bool show = true) override;
    void SetParentGivenVisibility(bool visible) override;
    void SetAcceptsMouse(bool accepts = true) override;
    CControlUI* VisitControls(ControlVisitor visitor, void* data, UINT flags) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void Paint(HDC dc, const RECT& area) override;

    // --- Own operations ------------------------------------------------------------

    virtual CUIRect InsetRect() const;
    virtual void SetInsetRect(const RECT& inset);
    virtual int ChildPadding() const;
    virtual void SetChildPadding(int padding);
    virtual bool DeletesChildren() const;
    virtual void SetDeletesChildren(bool deletes);
    virtual bool DeletesLater() const;
    virtual void SetDeletesLater(bool later);
    virtual bool ChildrenReceiveMouse() const;
    virtual void SetChildrenReceiveMouse(bool receive);
    // The first visible, enabled list item from `start` in the direction; -1
    // when none (a backward search then retries forward from 0).
    virtual int NextSelectableIndex(int start, bool forward);

    // cx from the horizontal bar, cy from the vertical; 0 for a bar that is
    // absent or hidden.
    virtual SIZE ScrollPosition() const;
    virtual SIZE ScrollRange() const;
    // The bars clamp; children move by the change, floating ones stay.
    virtual void SetScrollPosition(SIZE position);
    virtual void ScrollLineUp();
    virtual void ScrollLineDown();
    virtual void ScrollPageUp();
    virtual void ScrollPageDown();
    virtual void ScrollToTop();
    virtual void ScrollToBottom();
    virtual void ScrollLineLeft();
    virtual void ScrollLineRight();
    virtual void ScrollPageLeft();
    virtual void ScrollPageRight();
    virtual void ScrollToLeftEnd();
    virtual void ScrollToRightEnd();
    // Makes or destroys each bar; a bar asked for again stays as it is.
    virtual void CreateScrollBars(bool vertical, bool horizontal);
    virtual CScrollBarUI* VerticalScrollBar() const;
    virtual CScrollBarUI* HorizontalScrollBar() const;
    virtual void PlaceFloatingChild(int index);
    // Called by the layouts at the end of their placement with the area they
    // gave the children and the content size they needed: places the bars,
    // shows or hides the vertical one and sets its range.
    virtual void UpdateScrollBars(const RECT& area, int neededWidth, int neededHeight);

protected:
    // The control rectangle less the inset.
    CUIRect InnerRect() const;
    // The inner rectangle less the space of the visible bars.
    CUIRect ClientRect() const;
    // The container's painting, clipped to the control, with `content`
    // drawn between its own painting and the children (null: nothing).
    void PaintWithContent(HDC dc, const RECT& area, const std::function<void()>& content);
    // Places every visible child in `area`; floating ones by their own
    // position.
    void PlaceChildrenIn(const RECT& area);
    // Sets the visible bars' positions and moves the children with them;
    // answers how far they moved.
    SIZE MoveScrollPosition(SIZE position);

    CPointerArray children_;
    CUIRect inset_;
    int childPadding_;
    bool deletesChildren_;
    bool deletesLater_;
    bool childrenReceiveMouse_;
    // Set only while the container re-places itself right after showing its
    // vertical bar.
    bool scrollRelayout_;
    CScrollBarUI* verticalScrollBar_;
    CScrollBarUI* horizontalScrollBar_;

private:
    // Destroys a child that leaves the list, delayed or at once.
    void DestroyChild(CControlUI* child);
    // The common part of AddChild and InsertChild before the list changes.
    void AdoptChild(CControlUI* child);
    // The children clipped to the client rectangle (floating ones to the
    // container), then the visible scroll bars.
    void PaintChildrenAndScrollBars(HDC dc, const RECT& area);
    // The vertical bar, then the horizontal one; the first control found.
    CControlUI* VisitScrollBars(ControlVisitor visitor, void* data, UINT flags);
    CScrollBarUI* MakeScrollBar(bool horizontal);
    int LineHeight() const;
    int PageHeight() const;
    int PageWidth() const;
    void ScrollTo(int cx, int cy);
};

}  // namespace TavikUI
