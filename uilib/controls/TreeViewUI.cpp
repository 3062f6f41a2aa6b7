#include "TreeViewUI.h"

#include <cwchar>

#include "CheckBoxUI.h"
#include "ControlValueText.h"
#include "ListHeaderUI.h"
#include "MemberDelegate.h"
#include "NotifyPump.h"
#include "TreeNodeUI.h"

namespace TavikUI {

CTreeViewUI::CTreeViewUI() : itemMinWidth_(0), showFolderButtons_(true), showCheckButtons_(false) {
    Header()->ShowOrHide(false);
}

const wchar_t* CTreeViewUI::ClassName() const { return L"TreeViewUI"; }

void* CTreeViewUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"TreeView") == 0) {
        return this;
    }
    return CListUI::InterfaceByName(name);
}

CTreeNodeUI* CTreeViewUI::AsTreeNode(CControlUI* control) {
    if (!control || _wcsicmp(control->ClassName(), L"TreeNodeUI") != 0) {
        return nullptr;
    }
    return static_cast<CTreeNodeUI*>(control);
}

template <class Action>
void CTreeViewUI::ForEachNode(Action action) {
    for (int i = 0; i < ChildCount(); ++i) {
        if (CTreeNodeUI* node = AsTreeNode(ChildAt(i))) {
            action(node);
        }
    }
}

void CTreeViewUI::PrepareNode(CTreeNodeUI* node) {
    // The delegate lists refuse duplicates: hooking twice adds nothing.
    node->NotifyDelegates().Add(CDelegate<CTreeViewUI>(this, &CTreeViewUI::OnItemDoubleClick));
    node->FolderButton()->NotifyDelegates().Add(CDelegate<CTreeViewUI>(this, &CTreeViewUI::OnFolderChanged));
    node->CheckBox()->NotifyDelegates().Add(CDelegate<CTreeViewUI>(this, &CTreeViewUI::OnCheckBoxChanged));
    node->SetFolderButtonVisible(showFolderButtons_);
    node->SetCheckBoxVisible(showCheckButtons_);
    if (itemMinWidth_ > 0) {
        node->SetMinWidth(itemMinWidth_);
    }
}

bool CTreeViewUI::AddNode(CTreeNodeUI* node) {
    if (!AsTreeNode(node)) {
        return false;
    }
    PrepareNode(node);
    if (!CListUI::AddChild(node)) {
        return false;
    }
    node->SetTreeView(this);
    node->LinkChildNodes();
    for (int i = 0; i < node->ChildNodeCount(); ++i) {
        AddNode(node->ChildNodeAt(i));
    }
    return true;
}

bool CTreeViewUI::AddNodeBefore(CTreeNodeUI* node, CControlUI* row) {
    if (!node || !row || ChildCount() == 0) {
        return false;
    }
    const int index = IndexOfChild(row);
    return index >= 0 && AddNodeAt(node, index) >= 0;
}

int CTreeViewUI::AddNodeAt(CTreeNodeUI* node, int index) {
    // The row count itself appends.
    if (!AsTreeNode(node) || index < 0 || index > ChildCount()) {
        return -1;
    }
    PrepareNode(node);
    if (!CListUI::InsertChild(node, index)) {
        return -1;
    }
    // Every row of an added subtree must know its tree, or later additions
    // and removals below it lose their rows.
    node->SetTreeView(this);
    node->LinkChildNodes();
    // The whole subtree follows in row order.
    int next = index + 1;
    for (int i = 0; i < node->ChildNodeCount(); ++i) {
        if (CTreeNodeUI* child = node->ChildNodeAt(i)) {
            const int after = AddNodeAt(child, next);
            if (after < 0) {
                return -1;
            }
            next = after;
        }
    }
    return next;
}

bool CTreeViewUI::RemoveNode(CTreeNodeUI* node) {
    if (!AsTreeNode(node)) {
        return true;
    }
    while (node->HasChildNodes()) {
        node->RemoveChildNode(node->ChildNodeAt(0));
    }
    // No parent keeps a pointer to a row that is about to go.
    if (CTreeNodeUI* parent = node->ParentNode()) {
        parent->UnlinkChildNode(node);
    }
    CListUI::RemoveChild(node);
    return true;
}

bool CTreeViewUI::RemoveChild(CControlUI* control) {
    if (CTreeNodeUI* node = AsTreeNode(control)) {
        if (IndexOfChild(node) < 0) {
            return false;
        }
        return RemoveNode(node);
    }
    return CListUI::RemoveChild(control);
}

bool CTreeViewUI::RemoveChildAt(int index) {
    CControlUI* row = ChildAt(index);
    if (!row) {
        return false;
    }
    if (CTreeNodeUI* node = AsTreeNode(row)) {
        return RemoveNode(node);
    }
    return CListUI::RemoveChildAt(index);
}

bool CTreeViewUI::OnCheckBoxChanged(NotifyMessage& message) {
    if (!message.type.Equals(L"selectchanged")) {
        return true;
    }
    auto* checkBox = static_cast<CCheckBoxUI*>(message.sender);
    CControlUI* layout = checkBox ? checkBox->Parent() : nullptr;
    CTreeNodeUI* node = layout ? AsTreeNode(layout->Parent()) : nullptr;
    if (node) {
        SetChildrenChecked(checkBox->IsSelected(), node);
    }
    return true;
}

bool CTreeViewUI::OnFolderChanged(NotifyMessage& message) {
    if (!message.type.Equals(L"selectchanged")) {
        return true;
    }
    auto* folder = static_cast<CCheckBoxUI*>(message.sender);
    CControlUI* layout = folder ? folder->Parent() : nullptr;
    CTreeNodeUI* node = layout ? AsTreeNode(layout->Parent()) : nullptr;
    if (node) {
        node->SetExpandedFlag(!folder->IsSelected());
        SetChildrenVisible(!folder->IsSelected(), node);
    }
    return true;
}

bool CTreeViewUI::OnItemDoubleClick(NotifyMessage& message) {
    if (!message.type.Equals(L"itemdbclick")) {
        return false;
    }
    CTreeNodeUI* node = AsTreeNode(message.sender);
    if (!node) {
        return false;
    }
    CCheckBoxUI* folder = node->FolderButton();
    folder->Select(!folder->IsSelected());
    node->SetExpandedFlag(!folder->IsSelected());
    SetChildrenVisible(!folder->IsSelected(), node);
    return true;
}

bool CTreeViewUI::SetChildrenChecked(bool checked, CTreeNodeUI* node) {
    auto check = [&](CTreeNodeUI* child) {
        child->CheckBox()->Select(checked);
        if (child->HasChildNodes()) {
            SetChildrenChecked(checked, child);
        }
    };
    if (!node) {
        ForEachNode(check);
        return true;
    }
    for (int i = 0; i < node->ChildNodeCount(); ++i) {
        check(node->ChildNodeAt(i));
    }
    return true;
}

void CTreeViewUI::SetChildrenVisible(bool visible, CTreeNodeUI* node) {
    auto show = [&](CTreeNodeUI* child) {
        child->ShowOrHide(visible);
        // A collapsed child keeps its own children as they are.
        if (child->HasChildNodes() && !child->FolderButton()->IsSelected()) {
            SetChildrenVisible(visible, child);
        }
    };
    if (!node) {
        ForEachNode(show);
        return;
    }
    for (int i = 0; i < node->ChildNodeCount(); ++i) {
        show(node->ChildNodeAt(i));
    }
}

void CTreeViewUI::SetShowFolderButtons(bool show) {
    showFolderButtons_ = show;
    ForEachNode([&](CTreeNodeUI* node) { node->SetFolderButtonVisible(show); });
}

void CTreeViewUI::SetShowCheckButtons(bool show) {
    showCheckButtons_ = show;
    ForEachNode([&](CTreeNodeUI* node) { node->SetCheckBoxVisible(show); });
}

void CTreeViewUI::SetItemMinWidth(int width) {
    itemMinWidth_ = width;
    ForEachNode([&](CTreeNodeUI* node) { node->SetMinWidth(width); });
    InvalidateVisibleRect();
}

void CTreeViewUI::SetItemTextColor(DWORD color) {
    ForEachNode([&](CTreeNodeUI* node) { node->SetItemTextColor(color); });
}

void CTreeViewUI::SetItemHotTextColor(DWORD color) {
    ForEachNode([&](CTreeNodeUI* node) { node->SetItemHotTextColor(color); });
}

void CTreeViewUI::SetSelItemTextColor(DWORD color) {
    ForEachNode([&](CTreeNodeUI* node) { node->SetSelItemTextColor(color); });
}

void CTreeViewUI::SetSelItemHotTextColor(DWORD color) {
    ForEachNode([&](CTreeNodeUI* node) { node->SetSelItemHotTextColor(color); });
}

void CTreeViewUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"visiblefolderbtn") == 0) {
        SetShowFolderButtons(IsTrueText(value));
    } else if (wcscmp(name, L"visiblecheckbtn") == 0) {
        SetShowCheckButtons(IsTrueText(value));
    } else if (wcscmp(name, L"itemminwidth") == 0) {
        SetItemMinWidth(ReadDecimal(value));
    } else if (wcscmp(name, L"itemtextcolor") == 0) {
        SetItemTextColor(ReadHexColor(value));
    } else if (wcscmp(name, L"itemhottextcolor") == 0) {
        SetItemHotTextColor(ReadHexColor(value));
    } else if (wcscmp(name, L"selitemtextcolor") == 0) {
        SetSelItemTextColor(ReadHexColor(value));
    } else if (wcscmp(name, L"selitemhottextcolor") == 0) {
        SetSelItemHotTextColor(ReadHexColor(value));
    } else {
        CListUI::ApplyAttribute(name, value);
    }
}

}  // namespace TavikUI
