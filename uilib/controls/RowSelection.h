// The selection model the list and the combo share: rows are numbered by
// their place among the owner's rows, and the owner's current selection
// (an index, -1 for none) follows them as rows come, go and move.
#pragma once

#include "ContainerUI.h"
#include "ListInterfaces.h"

namespace TavikUI {

// Gives the rows from `first` to `last` (both included) their index.
void RenumberRows(CContainerUI& owner, int first, int last);

// A control joining the owner's rows at `index` gets the owner and the
// index when it is a row.
void AdoptRow(CControlUI* control, CControlUI& owner, int index);

// `control` was inserted at `index`: it is adopted, the rows after it are
// renumbered and a selection at or after it moves up by one.
void FollowInsertedRow(CContainerUI& owner, CControlUI* control, int index, int& selection);

// A row was removed from `index`: the rows from there are renumbered; the
// selected row's removal selects the one now at that index, or the nearest
// selectable one before it, without focus; a later selection moves down.
void FollowRemovedRow(IListOwnerUI& list, CContainerUI& owner, int index, int& selection);

// A row moved between `from` and `to`: the rows in between are renumbered
// and the selection follows `selected`, the row selected before the move.
void FollowMovedRow(CContainerUI& owner, int from, int to, const CControlUI* selected, int& selection);

// The row interface of a control that can be selected (visible, enabled,
// a row); null otherwise.
IListItemUI* SelectableRow(CControlUI* control);

}  // namespace TavikUI
