#include "RowSelection.h"

namespace TavikUI {

void RenumberRows(CContainerUI& owner, int first, int last) {
    for (int i = first; i <= last; ++i) {
        if (IListItemUI* row = AsListItem(owner.ChildAt(i))) {
            row->SetIndex(i);
        }
    }
}

void AdoptRow(CControlUI* control, CControlUI& owner, int index) {
    if (IListItemUI* row = AsListItem(control)) {
        row->SetOwner(&owner);
        row->SetIndex(index);
    }
}

void FollowInsertedRow(CContainerUI& owner, CControlUI* control, int index, int& selection) {
    AdoptRow(control, owner, index);
    RenumberRows(owner, index + 1, owner.ChildCount() - 1);
    if (selection >= index) {
        ++selection;
    }
}

void FollowRemovedRow(IListOwnerUI& list, CContainerUI& owner, int index, int& selection) {
    RenumberRows(owner, index, owner.ChildCount() - 1);
    if (index == selection) {
        selection = -1;
        list.SelectItem(owner.NextSelectableIndex(index, false), false);
    } else if (index < selection) {
        --selection;
    }
}

void FollowMovedRow(CContainerUI& owner, int from, int to, const CControlUI* selected, int& selection) {
    RenumberRows(owner, from < to ? from : to, from < to ? to : from);
    if (selected) {
        selection = owner.IndexOfChild(selected);
    }
}

IListItemUI* SelectableRow(CControlUI* control) {
    IListItemUI* row = AsListItem(control);
    return row && control->IsVisible() && control->IsEnabled() ? row : nullptr;
}

}  // namespace TavikUI
