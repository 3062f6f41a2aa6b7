#include "ListUI.h"

#include <cwchar>

#include "ControlValueText.h"
#include "ListBodyUI.h"
#include "ListHeaderUI.h"
#include "RowSelection.h"
#include "ScrollBarUI.h"
#include "WindowManager.h"

namespace TavikUI {

CListUI::CListUI()
    : scrollSelect_(false),
      currentSelection_(-1),
      expandedItem_(-1),
      cellTextProvider_(nullptr),
      body_(new CListBodyUI(this)),
      header_(new CListHeaderUI()) {
    // The list's own children: the header above the body.
    CContainerUI::AddChild(header_);
    CContainerUI::AddChild(body_);
}

const wchar_t* CListUI::ClassName() const { return L"ListUI"; }

void* CListUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"List") == 0) {
        return this;
    }
    if (name && (wcscmp(name, L"IList") == 0 || wcscmp(name, L"IListOwner") == 0)) {
        return static_cast<IListUI*>(this);
    }
    return CVerticalLayoutUI::InterfaceByName(name);
}

UINT CListUI::BehaviourFlags() const { return kBehaviourTabStop; }

// --- Routing of children ------------------------------------------------------------

bool CListUI::IsHeader(CControlUI* control) const {
    return control && control->InterfaceByName(L"ListHeader") != nullptr;
}

bool CListUI::IsColumnHeader(const CControlUI* control) {
    return control && wcsstr(control->ClassName(), L"ListHeaderItemUI") != nullptr;
}

void CListUI::CountColumns() {
    const int count = header_ ? header_->ChildCount() : 0;
    info_.columnCount = count < kMaxListColumns ? count : kMaxListColumns;
}

bool CListUI::TakeHeader(CControlUI* header) {
    // Twice in the child list would be deleted twice.
    if (CContainerUI::IndexOfChild(header) >= 0) {
        return false;
    }
    if (header != header_ && header_ && header_->ChildCount() == 0) {
        CContainerUI::RemoveChild(header_);
        header_ = static_cast<CListHeaderUI*>(header->InterfaceByName(L"ListHeader"));
    }
    CountColumns();
    return CContainerUI::InsertChild(header, 0);
}

CControlUI* CListUI::ChildAt(int index) const { return body_->ChildAt(index); }

int CListUI::ChildCount() const { return body_->ChildCount(); }

int CListUI::IndexOfChild(const CControlUI* control) const {
    auto* mutableControl = const_cast<CControlUI*>(control);
    if (IsHeader(mutableControl)) {
        return CContainerUI::IndexOfChild(control);
    }
    if (IsColumnHeader(control)) {
        return header_ ? header_->IndexOfChild(control) : -1;
    }
    return body_->IndexOfChild(control);
}

bool CListUI::MoveChildTo(CControlUI* control, int index) {
    if (IsHeader(control)) {
        return CContainerUI::MoveChildTo(control, index);
    }
    if (IsColumnHeader(control)) {
        return header_ && header_->MoveChildTo(control, index);
    }
    const int from = body_->IndexOfChild(control);
    if (from < 0) {
        return false;
    }
    if (from == index) {
        return true;
    }
    CControlUI* selected = currentSelection_ >= 0 ? body_->ChildAt(currentSelection_) : nullptr;
    if (!body_->MoveChildTo(control, index)) {
        return false;
    }
    FollowMovedRow(*this, from, index, selected, currentSelection_);
    return true;
}

bool CListUI::AddChild(CControlUI* control) {
    if (IsHeader(control)) {
        return TakeHeader(control);
    }
    if (IsColumnHeader(control)) {
        const bool added = header_ && header_->AddChild(control);
        CountColumns();
        return added;
    }
    AdoptRow(control, *this, body_->ChildCount());
    return body_->AddChild(control);
}

bool CListUI::InsertChild(CControlUI* control, int index) {
    if (IsHeader(control)) {
        return TakeHeader(control);
    }
    if (IsColumnHeader(control)) {
        const bool inserted = header_ && header_->InsertChild(control, index);
        CountColumns();
        return inserted;
    }
    if (!body_->InsertChild(control, index)) {
        return false;
    }
    FollowInsertedRow(*this, control, index, currentSelection_);
    return true;
}

bool CListUI::RemoveChild(CControlUI* control) {
    if (IsHeader(control)) {
        if (!CContainerUI::RemoveChild(control)) {
            return false;
        }
        if (control == header_) {
            header_ = nullptr;
            info_.columnCount = 0;
        }
        return true;
    }
    if (IsColumnHeader(control)) {
        const bool removed = header_ && header_->RemoveChild(control);
        CountColumns();
        return removed;
    }
    // The list's own removal: a subclass's RemoveChildAt may route back here.
    return CListUI::RemoveChildAt(body_->IndexOfChild(control));
}

bool CListUI::RemoveChildAt(int index) {
    if (index < 0 || !body_->RemoveChildAt(index)) {
        return false;
    }
    FollowRemovedRow(*this, *this, index, currentSelection_);
    return true;
}

void CListUI::RemoveAllChildren() {
    currentSelection_ = -1;
    expandedItem_ = -1;
    body_->RemoveAllChildren();
}

// --- Forwarded to the body ------------------------------------------------------------

int CListUI::ChildPadding() const { return body_->ChildPadding(); }
void CListUI::SetChildPadding(int padding) { body_->SetChildPadding(padding); }
SIZE CListUI::ScrollPosition() const { return body_->ScrollPosition(); }
SIZE CListUI::ScrollRange() const { return body_->ScrollRange(); }
void CListUI::SetScrollPosition(SIZE position) { body_->SetScrollPosition(position); }
void CListUI::ScrollLineUp() { body_->ScrollLineUp(); }
void CListUI::ScrollLineDown() { body_->ScrollLineDown(); }
void CListUI::ScrollPageUp() { body_->ScrollPageUp(); }
void CListUI::ScrollPageDown() { body_->ScrollPageDown(); }
void CListUI::ScrollToTop() { body_->ScrollToTop(); }
void CListUI::ScrollToBottom() { body_->ScrollToBottom(); }
void CListUI::ScrollLineLeft() { body_->ScrollLineLeft(); }
void CListUI::ScrollLineRight() { body_->ScrollLineRight(); }
void CListUI::ScrollPageLeft() { body_->ScrollPageLeft(); }
void CListUI::ScrollPageRight() { body_->ScrollPageRight(); }
void CListUI::ScrollToLeftEnd() { body_->ScrollToLeftEnd(); }
void CListUI::ScrollToRightEnd() { body_->ScrollToRightEnd(); }
void CListUI::CreateScrollBars(bool vertical, bool horizontal) { body_->CreateScrollBars(vertical, horizontal); }
CScrollBarUI* CListUI::VerticalScrollBar() const { return body_->VerticalScrollBar(); }
CScrollBarUI* CListUI::HorizontalScrollBar() const { return body_->HorizontalScrollBar(); }

// --- Selection and expansion ------------------------------------------------------------

bool CListUI::SelectItem(int index, bool takeFocus) {
    if (index == currentSelection_) {
        return true;
    }
    const int previous = currentSelection_;
    if (currentSelection_ >= 0) {
        if (IListItemUI* row = AsListItem(ChildAt(currentSelection_))) {
            row->Select(false);
        }
        currentSelection_ = -1;
    }
    if (index < 0) {
        return false;
    }
    CControlUI* control = ChildAt(index);
    IListItemUI* row = SelectableRow(control);
    if (!row) {
        return false;
    }
    currentSelection_ = index;
    if (!row->Select(true)) {
        currentSelection_ = -1;
        return false;
    }
    EnsureSelectionVisible();
    if (takeFocus) {
        control->TakeFocus();
    }
    // A list not yet in a window has nobody to tell.
    if (manager_) {
        manager_->SendNotification(this, L"itemselect", static_cast<WPARAM>(index), static_cast<LPARAM>(previous));
    }
    return true;
}

bool CListUI::ExpandItem(int index, bool expand) {
    if (expandedItem_ >= 0 && !info_.multiExpanding) {
        if (IListItemUI* row = AsListItem(ChildAt(expandedItem_))) {
            row->Expand(false);
        }
        expandedItem_ = -1;
    }
    if (expand) {
        CControlUI* control = ChildAt(index);
        IListItemUI* row = AsListItem(control);
        if (!row || !control->IsVisible()) {
            return false;
        }
        expandedItem_ = index;
        if (!row->Expand(true)) {
            expandedItem_ = -1;
            return false;
        }
    }
    MarkForLayout();
    return true;
}

void CListUI::ScrollBodyBy(int dx, int dy) {
    if (dx == 0 && dy == 0) {
        return;
    }
    const SIZE now = body_->ScrollPosition();
    body_->SetScrollPosition(CUISize(now.cx + dx, now.cy + dy));
}

void CListUI::EnsureSelectionVisible() {
    CControlUI* row = currentSelection_ >= 0 ? ChildAt(currentSelection_) : nullptr;
    if (!row) {
        return;
    }
    const CUIRect item = row->Rect();
    const CUIRect inset = body_->InsetRect();
    const int top = body_->Rect().top + inset.top;
    int bottom = body_->Rect().bottom - inset.bottom;
    const CScrollBarUI* bar = body_->HorizontalScrollBar();
    if (bar && bar->IsVisible()) {
        bottom -= bar->DeclaredHeight();
    }
    if (item.top >= top && item.bottom < bottom) {
        return;
    }
    ScrollBodyBy(0, item.bottom > bottom ? item.bottom - bottom : item.top - top);
}

// --- Layout -------------------------------------------------------------------------------

void CListUI::SetHeaderItemsVisible(bool visible) {
    for (int i = 0; i < header_->ChildCount(); ++i) {
        header_->ChildAt(i)->SetParentGivenVisibility(visible);
    }
}

void CListUI::ShiftColumns(int dx) {
    for (int i = 0; i < info_.columnCount; ++i) {
        CControlUI* item = header_->ChildAt(i);
        if (dx != 0 && item->IsVisible() && !item->IsFloating()) {
            CUIRect moved = item->Rect();
            moved.Offset(-dx, 0);
            item->Place(moved);
        }
        info_.columns[i] = item->Rect();
    }
}

void CListUI::Place(const RECT& rect) {
    CVerticalLayoutUI::Place(rect);
    if (!header_) {
        return;
    }
    CountColumns();
    // A hidden header still lays out its items, so text rows keep columns.
    const bool hidden = !header_->IsVisible();
    if (hidden) {
        SetHeaderItemsVisible(true);
        header_->Place(CUIRect(rect.left, 0, rect.right, 0));
    }
    const int scrolled = body_->ScrollPosition().cx;
    ShiftColumns(scrolled > 0 ? scrolled : 0);
    if (hidden) {
        SetHeaderItemsVisible(false);
    }
}

void CListUI::FollowHorizontalScroll(int dx) {
    if (!header_) {
        return;
    }
    CountColumns();
    const bool hidden = !header_->IsVisible();
    if (hidden) {
        SetHeaderItemsVisible(true);
    }
    ShiftColumns(dx);
    if (hidden) {
        SetHeaderItemsVisible(false);
    }
}

// --- Events ------------------------------------------------------------------------------

void CListUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToParent(event, [this](UIEvent& e) { CVerticalLayoutUI::HandleEvent(e); })) {
        return;
    }
    switch (event.type) {
    case kEventSetFocus:
        focused_ = true;
        return;
    case kEventKillFocus:
        focused_ = false;
        return;
    case kEventKeyDown:
        switch (event.keyCharacter) {
        case VK_RETURN:
            if (currentSelection_ >= 0) {
                if (CControlUI* row = ChildAt(currentSelection_)) {
                    row->IsActivatable();
                }
            }
            return;
        case VK_PRIOR:
            ScrollPageUp();
            return;
        case VK_NEXT:
            ScrollPageDown();
            return;
        case VK_END:
            SelectItem(NextSelectableIndex(ChildCount() - 1, true), true);
            return;
        case VK_HOME:
            SelectItem(NextSelectableIndex(0, false), true);
            return;
        case VK_UP:
            SelectItem(NextSelectableIndex(currentSelection_ - 1, false), true);
            return;
        case VK_DOWN:
            SelectItem(NextSelectableIndex(currentSelection_ + 1, true), true);
            return;
        default:
            break;
        }
        break;
    case kEventScrollWheel:
        if (event.wParam == 0) {
            if (scrollSelect_) {
                SelectItem(NextSelectableIndex(currentSelection_ - 1, false), true);
            } else {
                ScrollLineUp();
            }
            return;
        }
        if (event.wParam == 1) {
            if (scrollSelect_) {
                SelectItem(NextSelectableIndex(currentSelection_ + 1, true), true);
            } else {
                ScrollLineDown();
            }
            return;
        }
        break;
    default:
        break;
    }
    CVerticalLayoutUI::HandleEvent(event);
}

// --- Attributes ----------------------------------------------------------------------------

void CListUI::SetItemTextPadding(const RECT& padding) {
    info_.textPadding = padding;
    MarkForLayout();
}

void CListUI::SetItemShowMarkup(bool show) {
    if (info_.showMarkup == show) {
        return;
    }
    info_.showMarkup = show;
    MarkForLayout();
}

void CListUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"header") == 0) {
        if (header_) {
            header_->ShowOrHide(wcscmp(value, L"hidden") != 0);
        }
    } else if (wcscmp(name, L"headerbkimage") == 0) {
        if (header_) {
            header_->SetBackgroundImage(value);
        }
    } else if (wcscmp(name, L"scrollselect") == 0) {
        SetScrollSelect(IsTrueText(value));
    } else if (wcscmp(name, L"multiexpanding") == 0) {
        SetMultiExpanding(IsTrueText(value));
    } else if (wcscmp(name, L"itemendellipsis") == 0) {
        if (IsTrueText(value)) {
            info_.textStyle |= DT_END_ELLIPSIS;
        } else {
            info_.textStyle &= ~DT_END_ELLIPSIS;
        }
    } else {
        switch (ApplyItemStyleAttribute(info_, name, value)) {
        case ItemStyleChange::kUnknown:
            CVerticalLayoutUI::ApplyAttribute(name, value);
            break;
        case ItemStyleChange::kStored:
            break;
        case ItemStyleChange::kRepaint:
            InvalidateVisibleRect();
            break;
        case ItemStyleChange::kRelayout:
            MarkForLayout();
            break;
        }
    }
}

}  // namespace TavikUI
