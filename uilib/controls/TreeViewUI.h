// A list whose rows are tree nodes: nodes added through AddNode bring their
// subtree in row order, get their folder and check-box settings, and are
// hooked so that the folder collapses and expands the subtree, the check box
// checks it, and a double click toggles the folder.
#pragma once

#include <windows.h>

#include "ListUI.h"
#include "UIInterfaces.h"

namespace TavikUI {

class CTreeNodeUI;
struct NotifyMessage;

class CTreeViewUI : public CListUI, public INotifyUI {
public:
    // The header is hidden from the start.
    CTreeViewUI();

    const wchar_t* ClassName() const override;
    // "TreeView" answers the tree view; else as the list.
    void* InterfaceByName(const wchar_t* name) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // A tree node goes with its subtree and leaves its parent node.
    bool RemoveChild(CControlUI* control) override;
    bool RemoveChildAt(int index) override;
    // The tree view never registers as a receiver.
    void ReceiveNotification(NotifyMessage& /*message*/) override {}

    // Appends the node and its subtree as rows; false for anything that is
    // not a tree node.
    virtual bool AddNode(CTreeNodeUI* node);
    virtual bool AddNodeBefore(CTreeNodeUI* node, CControlUI* row);
    // Inserts the node and its subtree at the row index (the row count
    // appends); the index after the last inserted row, or -1.
    virtual int AddNodeAt(CTreeNodeUI* node, int index);
    // Removes the node's subtree and its own row; always true.
    virtual bool RemoveNode(CTreeNodeUI* node);
    virtual bool OnCheckBoxChanged(NotifyMessage& message);
    virtual bool OnFolderChanged(NotifyMessage& message);
    virtual bool OnItemDoubleClick(NotifyMessage& message);
    // Sets the check box of every child node (every row for null), deeply.
    virtual bool SetChildrenChecked(bool checked, CTreeNodeUI* node);
    // Shows or hides the child nodes (every row for null); descends only
    // into expanded children.
    virtual void SetChildrenVisible(bool visible, CTreeNodeUI* node);
    virtual void SetShowFolderButtons(bool show);
    virtual bool ShowFolderButtons() const { return showFolderButtons_; }
    virtual void SetShowCheckButtons(bool show);
    virtual bool ShowCheckButtons() const { return showCheckButtons_; }
    virtual void SetItemMinWidth(int width);
    virtual int ItemMinWidth() const { return itemMinWidth_; }
    virtual void SetItemTextColor(DWORD color);
    virtual void SetItemHotTextColor(DWORD color);
    virtual void SetSelItemTextColor(DWORD color);
    virtual void SetSelItemHotTextColor(DWORD color);

private:
    static CTreeNodeUI* AsTreeNode(CControlUI* control);
    // The delegates and the tree-wide settings a node gets as a tree row.
    void PrepareNode(CTreeNodeUI* node);
    // Every row that is a tree node.
    template <class Action>
    void ForEachNode(Action action);

    int itemMinWidth_;
    bool showFolderButtons_;
    bool showCheckButtons_;
};

}  // namespace TavikUI
