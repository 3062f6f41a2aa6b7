#include "ComboUI.h"

#include <cwchar>

#include "ComboWnd.h"
#include "ControlValueText.h"
#include "RowSelection.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

// Room around the default font a combo without a declared height keeps.
const int kComboTextMargin = 12;
// The popup's default maximum height.
const int kDropBoxHeight = 150;

}  // namespace

CComboUI::CComboUI() : state_(0), popup_(nullptr), currentSelection_(-1), dropBoxSize_{0, kDropBoxHeight} {}

CComboUI::~CComboUI() {
    if (popup_) {
        CComboWnd* popup = popup_;
        popup_ = nullptr;
        popup->DestroyForGoneOwner();
    }
}

const wchar_t* CComboUI::ClassName() const { return L"ComboUI"; }

void* CComboUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"Combo") == 0) {
        return this;
    }
    if (name && wcscmp(name, L"IListOwner") == 0) {
        return static_cast<IListOwnerUI*>(this);
    }
    return CContainerUI::InterfaceByName(name);
}

UINT CComboUI::BehaviourFlags() const { return kBehaviourTabStop; }

bool CComboUI::IsActivatable() {
    if (!CControlUI::IsActivatable()) {
        return false;
    }
    if (!popup_) {
        popup_ = CComboWnd::Open(this);
        // Without a window nothing opened: the next click tries again.
        if (!popup_) {
            return false;
        }
        if (manager_) {
            manager_->SendNotification(this, L"dropdown", 0, 0, false);
        }
        InvalidateVisibleRect();
    }
    return true;
}

void CComboUI::PopupClosed() {
    popup_ = nullptr;
    state_ &= ~kPushed;
    InvalidateVisibleRect();
}

CWideString CComboUI::Text() const {
    const CControlUI* selected = currentSelection_ >= 0 ? ChildAt(currentSelection_) : nullptr;
    return selected ? selected->Text() : CWideString();
}

void CComboUI::Place(const RECT& rect) {
    // The rows have no place of their own in the combo.
    for (int i = 0; i < children_.Count(); ++i) {
        static_cast<CControlUI*>(children_.AtUnchecked(i))->Place(CUIRect());
    }
    CControlUI::Place(rect);
}

void CComboUI::SetEnabledState(bool enabled) {
    CContainerUI::SetEnabledState(enabled);
    if (!IsEnabled()) {
        state_ = 0;
    }
}

// --- Selection -----------------------------------------------------------------

bool CComboUI::SelectItem(int index, bool takeFocus) {
    if (index == currentSelection_) {
        return true;
    }
    const int previous = currentSelection_;
    if (currentSelection_ >= 0) {
        CControlUI* current = ChildAt(currentSelection_);
        if (!current) {
            return false;
        }
        if (IListItemUI* row = AsListItem(current)) {
            row->Select(false);
        }
        currentSelection_ = -1;
    }
    const int count = ChildCount();
    if (index < 0 || count == 0) {
        return false;
    }
    if (index >= count) {
        index = count - 1;
    }
    CControlUI* control = ChildAt(index);
    IListItemUI* row = SelectableRow(control);
    if (!row) {
        return false;
    }
    currentSelection_ = index;
    if (popup_ || takeFocus) {
        control->TakeFocus();
    }
    row->Select(true);
    if (manager_) {
        manager_->SendNotification(this, L"itemselect", static_cast<WPARAM>(index), static_cast<LPARAM>(previous));
    }
    InvalidateVisibleRect();
    return true;
}

// --- Children ------------------------------------------------------------------------

bool CComboUI::AddChild(CControlUI* control) {
    AdoptRow(control, *this, ChildCount());
    return CContainerUI::AddChild(control);
}

bool CComboUI::InsertChild(CControlUI* control, int index) {
    if (!CContainerUI::InsertChild(control, index)) {
        return false;
    }
    FollowInsertedRow(*this, control, index, currentSelection_);
    return true;
}

bool CComboUI::RemoveChild(CControlUI* control) { return RemoveChildAt(IndexOfChild(control)); }

bool CComboUI::RemoveChildAt(int index) {
    CControlUI* row = ChildAt(index);
    if (!row) {
        return false;
    }
    if (popup_) {
        popup_->ForgetRow(row);
    }
    // The container's own removal: its RemoveChildAt would come back here.
    if (!CContainerUI::RemoveChild(row)) {
        return false;
    }
    FollowRemovedRow(*this, *this, index, currentSelection_);
    return true;
}

void CComboUI::RemoveAllChildren() {
    currentSelection_ = -1;
    if (popup_) {
        popup_->ForgetRow(nullptr);
    }
    CContainerUI::RemoveAllChildren();
}

bool CComboUI::MoveChildTo(CControlUI* control, int index) {
    const int from = IndexOfChild(control);
    CControlUI* selected = currentSelection_ >= 0 ? ChildAt(currentSelection_) : nullptr;
    if (!CContainerUI::MoveChildTo(control, index)) {
        return false;
    }
    FollowMovedRow(*this, from, index, selected, currentSelection_);
    return true;
}

// --- Events ----------------------------------------------------------------------------

void CComboUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToParent(event, [this](UIEvent& e) { CContainerUI::HandleEvent(e); })) {
        return;
    }
    switch (event.type) {
    case kEventSetFocus:
    case kEventKillFocus:
        InvalidateVisibleRect();
        break;
    case kEventButtonDown:
        if (IsEnabled()) {
            IsActivatable();
            state_ |= kPushed | kCaptured;
        }
        return;
    case kEventButtonUp:
        if (state_ & kCaptured) {
            state_ &= ~kCaptured;
            InvalidateVisibleRect();
        }
        return;
    case kEventMouseMove:
    case kEventContextMenu:
        return;
    case kEventKeyDown:
        switch (event.keyCharacter) {
        case VK_PRIOR:
        case VK_UP:
            SelectItem(NextSelectableIndex(currentSelection_ - 1, false), false);
            return;
        case VK_NEXT:
        case VK_DOWN:
            SelectItem(NextSelectableIndex(currentSelection_ + 1, true), false);
            return;
        case VK_END:
            SelectItem(NextSelectableIndex(ChildCount() - 1, true), false);
            return;
        case VK_HOME:
            SelectItem(NextSelectableIndex(0, false), false);
            return;
        case VK_F4:
            IsActivatable();
            return;
        default:
            break;
        }
        break;
    case kEventScrollWheel:
        if (event.wParam == 1) {
            SelectItem(NextSelectableIndex(currentSelection_ + 1, true), false);
        } else {
            SelectItem(NextSelectableIndex(currentSelection_ - 1, false), false);
        }
        return;
    case kEventMouseEnter:
        if (PtInRect(&rect_, event.point)) {
            state_ |= kHot;
            InvalidateVisibleRect();
        }
        return;
    case kEventMouseLeave:
        if (state_ & kHot) {
            state_ &= ~kHot;
            InvalidateVisibleRect();
        }
        return;
    default:
        break;
    }
    CControlUI::HandleEvent(event);
}

// --- Attributes -------------------------------------------------------------------------

void CComboUI::SetTextPadding(const RECT& padding) {
    textPadding_ = padding;
    InvalidateVisibleRect();
}

void CComboUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"textpadding") == 0) {
        SetTextPadding(ReadRectText(value));
    } else if (wcscmp(name, L"normalimage") == 0) {
        StoreImage(normalImage_, value);
    } else if (wcscmp(name, L"hotimage") == 0) {
        StoreImage(hotImage_, value);
    } else if (wcscmp(name, L"pushedimage") == 0) {
        StoreImage(pushedImage_, value);
    } else if (wcscmp(name, L"focusedimage") == 0) {
        StoreImage(focusedImage_, value);
    } else if (wcscmp(name, L"disabledimage") == 0) {
        StoreImage(disabledImage_, value);
    } else if (wcscmp(name, L"dropbox") == 0) {
        dropBoxAttributes_.AssignText(value);
    } else if (wcscmp(name, L"dropboxsize") == 0) {
        SetDropBoxSize(ReadSizeText(value));
    } else {
        const ItemStyleChange change = ApplyItemStyleAttribute(info_, name, value);
        if (change == ItemStyleChange::kUnknown) {
            CContainerUI::ApplyAttribute(name, value);
            return;
        }
        // Only these show in the combo's own rectangle.
        if (wcscmp(name, L"itemtextpadding") == 0 || wcscmp(name, L"itemtextcolor") == 0 ||
            (wcscmp(name, L"itemshowhtml") == 0 && change == ItemStyleChange::kRelayout)) {
            InvalidateVisibleRect();
        }
    }
}

SIZE CComboUI::DesiredSize(SIZE available) {
    if (DeclaredHeight() != 0 || !manager_) {
        return CControlUI::DesiredSize(available);
    }
    return CUISize(DeclaredWidth(),
                   static_cast<int>(manager_->DefaultFontRecord()->metrics.tmHeight) + kComboTextMargin);
}

// --- Painting ------------------------------------------------------------------------------

void CComboUI::Paint(HDC dc, const RECT& area) { CControlUI::Paint(dc, area); }

void CComboUI::RefreshStateBits() { state_ = WithCurrentFocusAndEnabled(state_, *this); }

void CComboUI::PaintStateImages(HDC dc) {
    RefreshStateBits();
    CWideString* stateImage = nullptr;
    if (state_ & kDisabled) {
        stateImage = &disabledImage_;
    } else if (state_ & kPushed) {
        stateImage = &pushedImage_;
    } else if (state_ & kHot) {
        stateImage = &hotImage_;
    } else if (state_ & kFocused) {
        stateImage = &focusedImage_;
    }
    if (stateImage && DrawImageOrDrop(dc, *stateImage)) {
        return;
    }
    DrawImageOrDrop(dc, normalImage_);
}

void CComboUI::PaintSelectedRow(HDC dc, const RECT& textRect) {
    CControlUI* selected = currentSelection_ >= 0 ? ChildAt(currentSelection_) : nullptr;
    if (!selected) {
        return;
    }
    if (IListItemUI* row = AsListItem(selected)) {
        row->DrawItemText(dc, textRect);
        return;
    }
    const CUIRect previous = selected->Rect();
    selected->Place(textRect);
    selected->Paint(dc, textRect);
    selected->Place(previous);
}

void CComboUI::PaintTextPart(HDC dc) {
    const RECT textRect = {rect_.left + textPadding_.left, rect_.top + textPadding_.top,
                           rect_.right - textPadding_.right, rect_.bottom - textPadding_.bottom};
    PaintSelectedRow(dc, textRect);
}

}  // namespace TavikUI
