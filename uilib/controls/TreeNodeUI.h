// One row of a tree view: a container row holding a row layout with an
// indentation spacer, a folder button (selected = collapsed), an optional
// check box and the item carrying the text. A node keeps its child nodes in
// order; their rows follow it in the tree view's list.
#pragma once

#include <windows.h>

#include "ListContainerElementUI.h"
#include "PointerArray.h"

namespace TavikUI {

class CCheckBoxUI;
class CHorizontalLayoutUI;
class CLabelUI;
class COptionUI;
class CTreeViewUI;

class CTreeNodeUI : public CListContainerElementUI {
public:
    // Each level is indented this much more than its parent.
    static constexpr int kIndentStep = 16;

    explicit CTreeNodeUI(CTreeNodeUI* parentNode = nullptr);
    // Frees the child-node list; the child nodes are the list's rows.
    ~CTreeNodeUI() override;

    const wchar_t* ClassName() const override;
    // "TreeNode" answers the node; else as the container row.
    void* InterfaceByName(const wchar_t* name) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    // Tree nodes become child nodes; anything else an ordinary child.
    bool AddChild(CControlUI* control) override;
    bool InsertChild(CControlUI* control, int index) override;
    // A child node with its subtree.
    bool RemoveChild(CControlUI* control) override;
    // The item's text colour follows the selection.
    bool Select(bool select = true) override;

    bool IsExpanded() const override { return expanded_; }
    void SetExpandedFlag(bool expanded) { expanded_ = expanded; }
    CWideString ItemText() const;
    bool HasChildNodes() const { return !childNodes_.IsEmpty(); }
    int ChildNodeCount() const { return childNodes_.Count(); }
    CTreeNodeUI* ChildNodeAt(int index) const { return static_cast<CTreeNodeUI*>(childNodes_.At(index)); }
    CPointerArray ChildNodes() const;
    CTreeNodeUI* ParentNode() const { return parentNode_; }
    CTreeViewUI* TreeView() const { return treeView_; }
    void SetTreeView(CTreeViewUI* treeView) { treeView_ = treeView; }
    void SetFolderButtonVisible(bool visible);
    void SetCheckBoxVisible(bool visible);
    // The row index in the tree view's list; -1 without one.
    int TreeIndex();
    // The last row of this node's subtree (the node itself without children).
    CTreeNodeUI* LastDescendant();
    bool AddChildNode(CTreeNodeUI* node);
    bool RemoveChildNode(CTreeNodeUI* node);
    // Forgets a child node without touching its rows.
    void UnlinkChildNode(CTreeNodeUI* node);
    // Gives every node below this one its level's indentation, this node's
    // option group and tree view.
    void LinkChildNodes();

    void SetItemTextColor(DWORD color);
    DWORD ItemTextColor() const { return itemTextColor_; }
    void SetItemHotTextColor(DWORD color);
    DWORD ItemHotTextColor() const { return itemHotTextColor_; }
    void SetSelItemTextColor(DWORD color);
    DWORD SelItemTextColor() const { return selItemTextColor_; }
    void SetSelItemHotTextColor(DWORD color);
    DWORD SelItemHotTextColor() const { return selItemHotTextColor_; }

    CHorizontalLayoutUI* RowLayout() const { return rowLayout_; }
    CCheckBoxUI* FolderButton() const { return folderButton_; }
    CLabelUI* DotLine() const { return dotLine_; }
    CCheckBoxUI* CheckBox() const { return checkBox_; }
    COptionUI* Item() const { return item_; }

private:
    static bool IsTreeNode(CControlUI* control);
    // Indents the child one level deeper, makes it ours, and its subtree
    // with it.
    void LinkChild(CTreeNodeUI* child);

    bool expanded_;
    DWORD itemTextColor_;
    DWORD itemHotTextColor_;
    DWORD selItemTextColor_;
    DWORD selItemHotTextColor_;
    CTreeViewUI* treeView_;
    CHorizontalLayoutUI* rowLayout_;
    CCheckBoxUI* folderButton_;
    CLabelUI* dotLine_;
    CCheckBoxUI* checkBox_;
    COptionUI* item_;
    CTreeNodeUI* parentNode_;
    CPointerArray childNodes_;
};

}  // namespace TavikUI
