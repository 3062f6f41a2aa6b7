#include "TabLayoutUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "LayoutArithmetic.h"
#include "WindowManager.h"

namespace TavikUI {

CTabLayoutUI::CTabLayoutUI() : selectedIndex_(-1) {}

const wchar_t* CTabLayoutUI::ClassName() const { return L"TabLayoutUI"; }

void* CTabLayoutUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"TabLayout") == 0) {
        return this;
    }
    return CContainerUI::InterfaceByName(name);
}

void CTabLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"selectedid") == 0) {
        SelectTab(ReadDecimal(value));
        return;
    }
    CContainerUI::ApplyAttribute(name, value);
}

bool CTabLayoutUI::AddChild(CControlUI* control) {
    if (!CContainerUI::AddChild(control)) {
        return false;
    }
    if (selectedIndex_ == -1 && control->IsVisible()) {
        selectedIndex_ = IndexOfChild(control);
    } else {
        control->ShowOrHide(false);
    }
    return true;
}

bool CTabLayoutUI::InsertChild(CControlUI* control, int index) {
    if (!CContainerUI::InsertChild(control, index)) {
        return false;
    }
    if (selectedIndex_ == -1 && control->IsVisible()) {
        selectedIndex_ = index;
    } else {
        control->ShowOrHide(false);
        if (selectedIndex_ != -1 && index <= selectedIndex_) {
            ++selectedIndex_;
        }
    }
    return true;
}

bool CTabLayoutUI::RemoveChild(CControlUI* control) {
    const int index = IndexOfChild(control);
    // The child may be gone once removed: only its index is used after.
    if (!CContainerUI::RemoveChild(control)) {
        return false;
    }
    if (index == selectedIndex_) {
        if (ChildCount() > 0) {
            selectedIndex_ = 0;
            ChildAt(0)->ShowOrHide(true);
        } else {
            selectedIndex_ = -1;
        }
        MarkParentForLayout();
    } else if (index < selectedIndex_) {
        --selectedIndex_;
    }
    return true;
}

void CTabLayoutUI::RemoveAllChildren() {
    selectedIndex_ = -1;
    CContainerUI::RemoveAllChildren();
    MarkParentForLayout();
}

bool CTabLayoutUI::SelectTab(int index) {
    if (index < 0 || index >= ChildCount()) {
        return false;
    }
    if (index == selectedIndex_) {
        return true;
    }
    const int previous = selectedIndex_;
    selectedIndex_ = index;
    for (int i = 0; i < ChildCount(); ++i) {
        CControlUI* child = ChildAt(i);
        if (i == index) {
            child->ShowOrHide(true);
            child->TakeFocus();
            const CUIRect current = rect_;
            Place(current);
        } else {
            child->ShowOrHide(false);
        }
    }
    MarkParentForLayout();
    if (manager_) {
        manager_->MoveFocusToNextTabStop(true);
        manager_->SendNotification(this, L"tabselect", static_cast<WPARAM>(index), static_cast<LPARAM>(previous));
    }
    return true;
}

void CTabLayoutUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    const CUIRect inner = InnerRect();
    for (int i = 0; i < children_.Count(); ++i) {
        CControlUI* child = static_cast<CControlUI*>(children_.AtUnchecked(i));
        if (!child->IsVisible()) {
            continue;
        }
        if (child->IsFloating()) {
            PlaceFloatingChild(i);
            continue;
        }
        if (i != selectedIndex_) {
            continue;
        }
        const CUIRect padding = child->Padding();
        const CUIRect area(inner.left + padding.left, inner.top + padding.top, inner.right - padding.right,
                           inner.bottom - padding.bottom);
        const SIZE desired = child->DesiredSize(CUISize(area.Width(), area.Height()));
        const int width = ClampToLimits(desired.cx == 0 ? ZeroWhenNegative(area.Width()) : desired.cx,
                                        child->MinWidth(), child->MaxWidth());
        const int height = ClampToLimits(desired.cy == 0 ? ZeroWhenNegative(area.Height()) : desired.cy,
                                         child->MinHeight(), child->MaxHeight());
        child->Place(CUIRect(area.left, area.top, area.left + width, area.top + height));
    }
}

}  // namespace TavikUI
