// The container: child list and ownership, scroll bars and scrolling,
// floating children, visiting, events and attributes. Painting is in
// ContainerUIPaint.cpp.
#include "ContainerUI.h"

#include <cstdlib>
#include <cwchar>
#include <initializer_list>

#include "ControlValueText.h"
#include "LayoutArithmetic.h"
#include "ScrollBarUI.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

// Wheel codes the manager puts in the low word of wParam.
constexpr WORD kWheelAwayFromUser = 0;
constexpr WORD kWheelTowardsUser = 1;

// One scroll operation per key or wheel code, for one axis.
struct ScrollKeyMap {
    void (CContainerUI::*pageBack)();
    void (CContainerUI::*pageForward)();
    void (CContainerUI::*end)();
    void (CContainerUI::*home)();
    void (CContainerUI::*lineBack)();
    void (CContainerUI::*lineForward)();
};

const ScrollKeyMap kVerticalKeys = {&CContainerUI::ScrollPageUp,   &CContainerUI::ScrollPageDown,
                                    &CContainerUI::ScrollToBottom, &CContainerUI::ScrollToTop,
                                    &CContainerUI::ScrollLineUp,   &CContainerUI::ScrollLineDown};

const ScrollKeyMap kHorizontalKeys = {&CContainerUI::ScrollPageLeft,   &CContainerUI::ScrollPageRight,
                                      &CContainerUI::ScrollToRightEnd, &CContainerUI::ScrollToLeftEnd,
                                      &CContainerUI::ScrollLineLeft,   &CContainerUI::ScrollLineRight};

// The operation a key-down or wheel event asks for; null for any other event.
void (CContainerUI::*ScrollOperationFor(const ScrollKeyMap& keys, const UIEvent& event))() {
    if (event.type == kEventKeyDown) {
        switch (event.keyCharacter) {
        case VK_PRIOR:
            return keys.pageBack;
        case VK_NEXT:
            return keys.pageForward;
        case VK_END:
            return keys.end;
        case VK_HOME:
            return keys.home;
        case VK_UP:
            return keys.lineBack;
        case VK_DOWN:
            return keys.lineForward;
        default:
            return nullptr;
        }
    }
    if (event.type == kEventScrollWheel) {
        switch (LOWORD(event.wParam)) {
        case kWheelAwayFromUser:
            return keys.lineBack;
        case kWheelTowardsUser:
            return keys.lineForward;
        default:
            return nullptr;
        }
    }
    return nullptr;
}

bool IsUsableBar(const CScrollBarUI* bar) { return bar && bar->IsVisible() && bar->IsEnabled(); }

}  // namespace

CContainerUI::CContainerUI()
    : childPadding_(0),
      deletesChildren_(true),
      deletesLater_(true),
      childrenReceiveMouse_(true),
      scrollRelayout_(false),
      verticalScrollBar_(nullptr),
      horizontalScrollBar_(nullptr) {}

CContainerUI::~CContainerUI() {
    // The container itself is going: its children go with it, now.
    deletesLater_ = false;
    CContainerUI::RemoveAllChildren();
    delete verticalScrollBar_;
    verticalScrollBar_ = nullptr;
    delete horizontalScrollBar_;
    horizontalScrollBar_ = nullptr;
    children_.Clear();
}

// --- Children ------------------------------------------------------------------

CControlUI* CContainerUI::ChildAt(int index) const { return static_cast<CControlUI*>(children_.At(index)); }

int CContainerUI::IndexOfChild(const CControlUI* control) const { return control ? children_.IndexOf(control) : -1; }

bool CContainerUI::MoveChildTo(CControlUI* control, int index) {
    const int from = IndexOfChild(control);
    // An index outside the list would drop the child from it (and from the
    // container's ownership), so it is refused before anything changes.
    if (from < 0 || index < 0 || index >= children_.Count()) {
        return false;
    }
    MarkForLayout();
    children_.RemoveAt(from);
    // The slot just freed means the insertion needs no new memory.
    return children_.InsertAt(index, control);
}

int CContainerUI::ChildCount() const { return children_.Count(); }

void CContainerUI::AdoptChild(CControlUI* child) {
    if (manager_) {
        manager_->AdoptControlTree(child, this);
    }
    if (IsVisible()) {
        MarkForLayout();
    } else {
        child->SetParentGivenVisibility(false);
    }
}

bool CContainerUI::AddChild(CControlUI* control) {
    if (!control) {
        return false;
    }
    AdoptChild(control);
    return children_.Append(control);
}

bool CContainerUI::InsertChild(CControlUI* control, int index) {
    if (!control || index < 0 || index > children_.Count()) {
        return false;
    }
    AdoptChild(control);
    return children_.InsertAt(index, control);
}

void CContainerUI::DestroyChild(CControlUI* child) {
    // A child may be inside its own event handling: the manager deletes it
    // once the current message is done.
    if (deletesLater_ && manager_) {
        manager_->DeleteLater(child);
    } else {
        delete child;
    }
}

bool CContainerUI::RemoveChild(CControlUI* control) {
    const int index = IndexOfChild(control);
    if (index < 0) {
        return false;
    }
    MarkForLayout();
    // Out of the list first, so nothing reached from the child's destructor
    // finds it there.
    const bool removed = children_.RemoveAt(index);
    if (deletesChildren_) {
        DestroyChild(control);
    }
    return removed;
}

bool CContainerUI::RemoveChildAt(int index) {
    CControlUI* child = ChildAt(index);
    return child ? RemoveChild(child) : false;
}

void CContainerUI::RemoveAllChildren() {
    if (deletesChildren_) {
        for (int i = 0; i < children_.Count(); ++i) {
            if (auto* child = static_cast<CControlUI*>(children_.AtUnchecked(i))) {
                DestroyChild(child);
            }
        }
    }
    children_.Clear();
    MarkForLayout();
}

// --- Control overrides -------------------------------------------------------------

const wchar_t* CContainerUI::ClassName() const { return L"ContainerUI"; }

void* CContainerUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"IContainer") == 0) {
        return static_cast<IContainerUI*>(this);
    }
    if (name && wcscmp(name, L"Container") == 0) {
        return this;
    }
    return CControlUI::InterfaceByName(name);
}

void CContainerUI::AttachToManager(CWindowManager* manager, CControlUI* parent, bool init) {
    for (int i = 0; i < children_.Count(); ++i) {
        static_cast<CControlUI*>(children_.AtUnchecked(i))->AttachToManager(manager, this, init);
    }
    if (verticalScrollBar_) {
        verticalScrollBar_->AttachToManager(manager, this, init);
    }
    if (horizontalScrollBar_) {
        horizontalScrollBar_->AttachToManager(manager, this, init);
    }
    CControlUI::AttachToManager(manager, parent, init);
}

void CContainerUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    if (children_.IsEmpty()) {
        return;
    }
    PlaceChildrenIn(InnerRect());
}

void CContainerUI::PlaceChildrenIn(const RECT& area) {
    for (int i = 0; i < children_.Count(); ++i) {
        auto* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
        if (!child->IsVisible()) {
            continue;
        }
        if (child->IsFloating()) {
            PlaceFloatingChild(i);
        } else {
            child->Place(area);
        }
    }
}

void CContainerUI::ShowOrHide(bool show) {
    if (OwnVisibility() == show) {
        return;
    }
    CControlUI::ShowOrHide(show);
    const bool visible = IsVisible();
    for (int i = 0; i < children_.Count(); ++i) {
        static_cast<CControlUI*>(children_.AtUnchecked(i))->SetParentGivenVisibility(visible);
    }
}

void CContainerUI::SetParentGivenVisibility(bool visible) {
    CControlUI::SetParentGivenVisibility(visible);
    const bool nowVisible = IsVisible();
    for (int i = 0; i < children_.Count(); ++i) {
        static_cast<CControlUI*>(children_.AtUnchecked(i))->SetParentGivenVisibility(nowVisible);
    }
}

void CContainerUI::SetAcceptsMouse(bool accepts) {
    if (verticalScrollBar_) {
        verticalScrollBar_->SetAcceptsMouse(accepts);
    }
    if (horizontalScrollBar_) {
        horizontalScrollBar_->SetAcceptsMouse(accepts);
    }
    CControlUI::SetAcceptsMouse(accepts);
}

CControlUI* CContainerUI::VisitControls(ControlVisitor visitor, void* data, UINT flags) {
    if ((flags & kVisitVisibleOnly) && !IsVisible()) {
        return nullptr;
    }
    if ((flags & kVisitEnabledOnly) && !IsEnabled()) {
        return nullptr;
    }
    const bool hitTest = (flags & kVisitHitTest) != 0;
    const auto* point = static_cast<const POINT*>(data);
    if (hitTest) {
        if (!point || !PtInRect(&rect_, *point)) {
            return nullptr;
        }
        if (!childrenReceiveMouse_) {
            if (CControlUI* found = VisitScrollBars(visitor, data, flags)) {
                return found;
            }
            return CControlUI::VisitControls(visitor, data, flags);
        }
    }
    if (CControlUI* found = VisitScrollBars(visitor, data, flags)) {
        return found;
    }
    const bool selfFirst = (flags & kVisitContainerFirst) != 0;
    if (selfFirst) {
        if (CControlUI* found = CControlUI::VisitControls(visitor, data, flags)) {
            return found;
        }
    }
    const bool lastFirst = (flags & kVisitLastChildFirst) != 0;
    const int count = children_.Count();
    const CUIRect client = hitTest ? ClientRect() : CUIRect();
    for (int step = 0; step < count; ++step) {
        auto* child = static_cast<CControlUI*>(children_.AtUnchecked(lastFirst ? count - 1 - step : step));
        CControlUI* found = child->VisitControls(visitor, data, flags);
        // A hit in a scrolled-away part of a child does not count; floating
        // children are not clipped by the scroll area.
        if (found && (!hitTest || found->IsFloating() || PtInRect(&client, *point))) {
            return found;
        }
    }
    return selfFirst ? nullptr : CControlUI::VisitControls(visitor, data, flags);
}

CControlUI* CContainerUI::VisitScrollBars(ControlVisitor visitor, void* data, UINT flags) {
    for (CScrollBarUI* bar : {verticalScrollBar_, horizontalScrollBar_}) {
        if (!bar) {
            continue;
        }
        if (CControlUI* found = bar->VisitControls(visitor, data, flags)) {
            return found;
        }
    }
    return nullptr;
}

void CContainerUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToParent(event, [this](UIEvent& e) { CControlUI::HandleEvent(e); })) {
        return;
    }
    if (event.type == kEventSetFocus) {
        focused_ = true;
        return;
    }
    if (event.type == kEventKillFocus) {
        focused_ = false;
        return;
    }
    if (IsUsableBar(verticalScrollBar_)) {
        if (auto operation = ScrollOperationFor(kVerticalKeys, event)) {
            (this->*operation)();
            return;
        }
    } else if (IsUsableBar(horizontalScrollBar_)) {
        if (auto operation = ScrollOperationFor(kHorizontalKeys, event)) {
            (this->*operation)();
            return;
        }
    }
    if (event.type == kEventButtonDown || event.type == kEventRightButtonDown || event.type == kEventCaptureLost) {
        return;
    }
    CControlUI::HandleEvent(event);
}

void CContainerUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"inset") == 0) {
        SetInsetRect(ReadRectText(value));
    } else if (wcscmp(name, L"mousechild") == 0) {
        SetChildrenReceiveMouse(IsTrueText(value));
    } else if (wcscmp(name, L"vscrollbar") == 0) {
        CreateScrollBars(IsTrueText(value), horizontalScrollBar_ != nullptr);
    } else if (wcscmp(name, L"vscrollbarstyle") == 0) {
        CreateScrollBars(true, horizontalScrollBar_ != nullptr);
        if (verticalScrollBar_) {
            verticalScrollBar_->ApplyAttributeString(value);
        }
    } else if (wcscmp(name, L"hscrollbar") == 0) {
        CreateScrollBars(verticalScrollBar_ != nullptr, IsTrueText(value));
    } else if (wcscmp(name, L"hscrollbarstyle") == 0) {
        CreateScrollBars(verticalScrollBar_ != nullptr, true);
        if (horizontalScrollBar_) {
            horizontalScrollBar_->ApplyAttributeString(value);
        }
    } else if (wcscmp(name, L"childpadding") == 0) {
        SetChildPadding(static_cast<int>(wcstol(value, nullptr, 10)));
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
}

// --- Own settings ------------------------------------------------------------------

CUIRect CContainerUI::InsetRect() const { return inset_; }

void CContainerUI::SetInsetRect(const RECT& inset) {
    inset_ = inset;
    MarkForLayout();
}

int CContainerUI::ChildPadding() const { return childPadding_; }

void CContainerUI::SetChildPadding(int padding) {
    childPadding_ = padding;
    MarkForLayout();
}

bool CContainerUI::DeletesChildren() const { return deletesChildren_; }

void CContainerUI::SetDeletesChildren(bool deletes) { deletesChildren_ = deletes; }

bool CContainerUI::DeletesLater() const { return deletesLater_; }

void CContainerUI::SetDeletesLater(bool later) { deletesLater_ = later; }

bool CContainerUI::ChildrenReceiveMouse() const { return childrenReceiveMouse_; }

void CContainerUI::SetChildrenReceiveMouse(bool receive) { childrenReceiveMouse_ = receive; }

int CContainerUI::NextSelectableIndex(int start, bool forward) {
    const int count = ChildCount();
    if (count == 0) {
        return -1;
    }
    if (start > count - 1) {
        start = count - 1;
    }
    if (start < 0) {
        start = 0;
    }
    auto qualifies = [this](int index) {
        CControlUI* child = ChildAt(index);
        return child && child->InterfaceByName(L"ListItem") && child->IsVisible() && child->IsEnabled();
    };
    if (forward) {
        for (int i = start; i < count; ++i) {
            if (qualifies(i)) {
                return i;
            }
        }
        return -1;
    }
    for (int i = start; i >= 0; --i) {
        if (qualifies(i)) {
            return i;
        }
    }
    return NextSelectableIndex(0, true);
}

CUIRect CContainerUI::InnerRect() const {
    return CUIRect(rect_.left + inset_.left, rect_.top + inset_.top, rect_.right - inset_.right,
                   rect_.bottom - inset_.bottom);
}

CUIRect CContainerUI::ClientRect() const {
    CUIRect client = InnerRect();
    if (IsBarVisible(verticalScrollBar_)) {
        client.right -= verticalScrollBar_->DeclaredWidth();
    }
    if (IsBarVisible(horizontalScrollBar_)) {
        client.bottom -= horizontalScrollBar_->DeclaredHeight();
    }
    return client;
}

// --- Scrolling -----------------------------------------------------------------------

SIZE CContainerUI::ScrollPosition() const {
    return CUISize(VisibleBarPosition(horizontalScrollBar_), VisibleBarPosition(verticalScrollBar_));
}

SIZE CContainerUI::ScrollRange() const {
    return CUISize(VisibleBarRange(horizontalScrollBar_), VisibleBarRange(verticalScrollBar_));
}

void CContainerUI::SetScrollPosition(SIZE position) { MoveScrollPosition(position); }

SIZE CContainerUI::MoveScrollPosition(SIZE position) {
    int dy = 0;
    if (IsBarVisible(verticalScrollBar_)) {
        const int old = verticalScrollBar_->Position();
        verticalScrollBar_->SetPosition(position.cy);
        dy = verticalScrollBar_->Position() - old;
    }
    int dx = 0;
    if (IsBarVisible(horizontalScrollBar_)) {
        const int old = horizontalScrollBar_->Position();
        horizontalScrollBar_->SetPosition(position.cx);
        dx = horizontalScrollBar_->Position() - old;
    }
    if (dx == 0 && dy == 0) {
        return CUISize(0, 0);
    }
    for (int i = 0; i < children_.Count(); ++i) {
        auto* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
        if (!child->IsVisible() || child->IsFloating()) {
            continue;
        }
        CUIRect moved = child->Rect();
        moved.Offset(-dx, -dy);
        child->Place(moved);
    }
    InvalidateVisibleRect();
    return CUISize(dx, dy);
}

int CContainerUI::LineHeight() const {
    if (!manager_) {
        return kLineStep;
    }
    return static_cast<int>(manager_->DefaultFontRecord()->metrics.tmHeight) + kLineStep;
}

int CContainerUI::PageHeight() const {
    int height = rect_.Height() - inset_.top - inset_.bottom;
    if (IsBarVisible(horizontalScrollBar_)) {
        height -= horizontalScrollBar_->DeclaredHeight();
    }
    return height;
}

int CContainerUI::PageWidth() const {
    int width = rect_.Width() - inset_.left - inset_.right;
    if (IsBarVisible(verticalScrollBar_)) {
        width -= verticalScrollBar_->DeclaredWidth();
    }
    return width;
}

void CContainerUI::ScrollTo(int cx, int cy) { SetScrollPosition(CUISize(cx, cy)); }

void CContainerUI::ScrollLineUp() {
    const SIZE now = ScrollPosition();
    ScrollTo(now.cx, now.cy - LineHeight());
}

void CContainerUI::ScrollLineDown() {
    const SIZE now = ScrollPosition();
    ScrollTo(now.cx, now.cy + LineHeight());
}

void CContainerUI::ScrollPageUp() {
    const SIZE now = ScrollPosition();
    ScrollTo(now.cx, now.cy - PageHeight());
}

void CContainerUI::ScrollPageDown() {
    const SIZE now = ScrollPosition();
    ScrollTo(now.cx, now.cy + PageHeight());
}

void CContainerUI::ScrollToTop() { ScrollTo(ScrollPosition().cx, 0); }

void CContainerUI::ScrollToBottom() { ScrollTo(ScrollPosition().cx, ScrollRange().cy); }

void CContainerUI::ScrollLineLeft() {
    const SIZE now = ScrollPosition();
    ScrollTo(now.cx - kLineStep, now.cy);
}

void CContainerUI::ScrollLineRight() {
    const SIZE now = ScrollPosition();
    ScrollTo(now.cx + kLineStep, now.cy);
}

void CContainerUI::ScrollPageLeft() {
    const SIZE now = ScrollPosition();
    ScrollTo(now.cx - PageWidth(), now.cy);
}

void CContainerUI::ScrollPageRight() {
    const SIZE now = ScrollPosition();
    ScrollTo(now.cx + PageWidth(), now.cy);
}

void CContainerUI::ScrollToLeftEnd() { ScrollTo(0, ScrollPosition().cy); }

void CContainerUI::ScrollToRightEnd() { ScrollTo(ScrollRange().cx, ScrollPosition().cy); }

// --- Scroll bars ------------------------------------------------------------------------

CScrollBarUI* CContainerUI::MakeScrollBar(bool horizontal) {
    auto* bar = new CScrollBarUI();
    if (horizontal) {
        bar->SetHorizontalMode(true);
    }
    bar->SetOwnerContainer(this);
    bar->AttachToManager(manager_, nullptr, false);
    if (manager_) {
        if (const wchar_t* defaults = manager_->DefaultAttributesFor(horizontal ? L"HScrollBar" : L"VScrollBar")) {
            bar->ApplyAttributeString(defaults);
        }
    }
    return bar;
}

void CContainerUI::CreateScrollBars(bool vertical, bool horizontal) {
    if (!vertical) {
        delete verticalScrollBar_;
        verticalScrollBar_ = nullptr;
    } else if (!verticalScrollBar_) {
        verticalScrollBar_ = MakeScrollBar(false);
    }
    if (!horizontal) {
        delete horizontalScrollBar_;
        horizontalScrollBar_ = nullptr;
    } else if (!horizontalScrollBar_) {
        horizontalScrollBar_ = MakeScrollBar(true);
    }
    MarkForLayout();
}

CScrollBarUI* CContainerUI::VerticalScrollBar() const { return verticalScrollBar_; }

CScrollBarUI* CContainerUI::HorizontalScrollBar() const { return horizontalScrollBar_; }

void CContainerUI::PlaceFloatingChild(int index) {
    CControlUI* child = ChildAt(index);
    if (!child || !child->IsVisible() || !child->IsFloating()) {
        return;
    }
    const POINT offset = child->FloatOffset();
    const int width = child->DeclaredWidth();
    const int height = child->DeclaredHeight();
    CUIRect placed;
    if (offset.x >= 0) {
        placed.left = rect_.left + offset.x;
        placed.right = placed.left + width;
    } else {
        placed.right = rect_.right + offset.x;
        placed.left = placed.right - width;
    }
    placed.top = offset.y >= 0 ? rect_.top + offset.y : rect_.bottom + offset.y - height;
    placed.bottom = placed.top + height;
    const RelativePlacement relative = child->RelativePosition();
    if (relative.relative) {
        const int parentWidth = rect_.Width();
        const int parentHeight = rect_.Height();
        if (relative.parentCx != 0) {
            const int grownX = parentWidth - relative.parentCx;
            const int grownY = parentHeight - relative.parentCy;
            placed.left += grownX * relative.moveX / 100;
            placed.top += grownY * relative.moveY / 100;
            placed.right = placed.left + width + grownX * relative.zoomX / 100;
            placed.bottom = placed.top + height + grownY * relative.zoomY / 100;
        }
        child->SetRelativeParentSize(parentWidth, parentHeight);
    }
    child->Place(placed);
}

void CContainerUI::UpdateScrollBars(const RECT& area, int /*neededWidth*/, int neededHeight) {
    if (IsBarVisible(horizontalScrollBar_)) {
        horizontalScrollBar_->Place(
            CUIRect(area.left, area.bottom, area.right, area.bottom + horizontalScrollBar_->DeclaredHeight()));
    }
    CScrollBarUI* bar = verticalScrollBar_;
    if (!bar) {
        return;
    }
    const int over = neededHeight - (area.bottom - area.top);
    const CUIRect current = rect_;
    if (over > 0 && !bar->IsVisible()) {
        // Content overflows: show the bar and lay out again with its width
        // taken off.
        bar->ShowOrHide(true);
        bar->SetRange(over);
        bar->SetPosition(0);
        scrollRelayout_ = true;
        Place(current);
        scrollRelayout_ = false;
        return;
    }
    if (!bar->IsVisible()) {
        return;
    }
    if (over <= 0 && !scrollRelayout_) {
        bar->ShowOrHide(false);
        bar->SetPosition(0);
        bar->SetRange(0);
        Place(current);
        return;
    }
    bar->Place(CUIRect(area.right, area.top, area.right + bar->DeclaredWidth(), area.bottom));
    if (bar->Range() == over) {
        return;
    }
    const int oldPosition = bar->Position();
    bar->SetRange(std::abs(over));
    if (bar->Range() == 0) {
        bar->ShowOrHide(false);
        bar->SetPosition(0);
    }
    if (oldPosition > bar->Position()) {
        Place(current);
    }
}

}  // namespace TavikUI
