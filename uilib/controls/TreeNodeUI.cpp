#include "TreeNodeUI.h"

#include <cwchar>

#include "CheckBoxUI.h"
#include "ControlValueText.h"
#include "HorizontalLayoutUI.h"
#include "LabelUI.h"
#include "OptionUI.h"
#include "TreeViewUI.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const int kNodeHeight = 18;
const int kNodeWidth = 250;
const int kDotLineWidth = 2;

}  // namespace

CTreeNodeUI::CTreeNodeUI(CTreeNodeUI* parentNode)
    : expanded_(true),
      itemTextColor_(0),
      itemHotTextColor_(0),
      selItemTextColor_(0),
      selItemHotTextColor_(0),
      treeView_(nullptr),
      rowLayout_(new CHorizontalLayoutUI()),
      folderButton_(new CCheckBoxUI()),
      dotLine_(new CLabelUI()),
      checkBox_(new CCheckBoxUI()),
      item_(new COptionUI()),
      parentNode_(nullptr) {
    SetDeclaredHeight(kNodeHeight);
    SetDeclaredWidth(kNodeWidth);
    folderButton_->SetDeclaredWidth(kNodeHeight);
    checkBox_->SetDeclaredWidth(kNodeHeight);
    dotLine_->SetDeclaredWidth(kDotLineWidth);
    item_->ApplyAttribute(L"align", L"left");
    dotLine_->ShowOrHide(false);
    checkBox_->ShowOrHide(false);
    item_->SetAcceptsMouse(false);
    if (parentNode && wcscmp(parentNode->ClassName(), L"TreeNodeUI") == 0) {
        dotLine_->ShowOrHide(parentNode->IsVisible());
        dotLine_->SetDeclaredWidth(parentNode->dotLine_->DeclaredWidth() + kIndentStep);
        parentNode_ = parentNode;
    }
    rowLayout_->AddChild(dotLine_);
    rowLayout_->AddChild(folderButton_);
    rowLayout_->AddChild(checkBox_);
    rowLayout_->AddChild(item_);
    AddChild(rowLayout_);
}

CTreeNodeUI::~CTreeNodeUI() = default;

const wchar_t* CTreeNodeUI::ClassName() const { return L"TreeNodeUI"; }

void* CTreeNodeUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"TreeNode") == 0) {
        return this;
    }
    return CListContainerElementUI::InterfaceByName(name);
}

bool CTreeNodeUI::IsTreeNode(CControlUI* control) {
    return control && _wcsicmp(control->ClassName(), L"TreeNodeUI") == 0;
}

CWideString CTreeNodeUI::ItemText() const { return item_->Text(); }

CPointerArray CTreeNodeUI::ChildNodes() const { return childNodes_; }

void CTreeNodeUI::SetFolderButtonVisible(bool visible) { folderButton_->ShowOrHide(visible); }

void CTreeNodeUI::SetCheckBoxVisible(bool visible) { checkBox_->ShowOrHide(visible); }

int CTreeNodeUI::TreeIndex() {
    if (!treeView_) {
        return -1;
    }
    for (int i = 0; i < treeView_->ChildCount(); ++i) {
        if (treeView_->ChildAt(i) == this) {
            return i;
        }
    }
    return -1;
}

CTreeNodeUI* CTreeNodeUI::LastDescendant() {
    if (childNodes_.IsEmpty()) {
        return this;
    }
    return ChildNodeAt(childNodes_.Count() - 1)->LastDescendant();
}

void CTreeNodeUI::LinkChild(CTreeNodeUI* child) {
    child->dotLine_->ShowOrHide(true);
    child->dotLine_->SetDeclaredWidth(dotLine_->DeclaredWidth() + kIndentStep);
    child->parentNode_ = this;
    child->item_->SetGroup(item_->Group().Text());
    child->treeView_ = treeView_;
    // A subtree built before it joined still has the levels of its old place.
    child->LinkChildNodes();
}

void CTreeNodeUI::LinkChildNodes() {
    for (int i = 0; i < childNodes_.Count(); ++i) {
        LinkChild(ChildNodeAt(i));
    }
}

bool CTreeNodeUI::AddChildNode(CTreeNodeUI* node) {
    if (!IsTreeNode(node)) {
        return false;
    }
    if (treeView_) {
        // The new rows go after the last row of this subtree.
        if (treeView_->AddNodeAt(node, LastDescendant()->TreeIndex() + 1) < 0) {
            return false;
        }
    }
    // Linked only once it has its place: a refused node stays unattached.
    LinkChild(node);
    return childNodes_.Append(node);
}

bool CTreeNodeUI::AddChild(CControlUI* control) {
    if (control && wcscmp(control->ClassName(), L"TreeNodeUI") == 0) {
        return AddChildNode(static_cast<CTreeNodeUI*>(control));
    }
    return CListContainerElementUI::AddChild(control);
}

bool CTreeNodeUI::InsertChild(CControlUI* control, int index) {
    auto* node = control ? static_cast<CTreeNodeUI*>(control->InterfaceByName(L"TreeNode")) : nullptr;
    if (!node) {
        return false;
    }
    CTreeNodeUI* anchorNode = ChildNodeAt(index);
    CControlUI* anchor = anchorNode;
    if (!anchorNode && treeView_) {
        // The row after this whole subtree, so the new node comes last.
        anchor = treeView_->ChildAt(LastDescendant()->TreeIndex() + 1);
    }
    bool added = true;
    if (treeView_) {
        added = anchor ? treeView_->AddNodeBefore(node, anchor) : treeView_->AddNode(node);
    }
    if (!added) {
        return false;
    }
    const bool recorded = anchorNode ? childNodes_.InsertAt(index, node) : childNodes_.Append(node);
    LinkChild(node);
    return recorded;
}

void CTreeNodeUI::UnlinkChildNode(CTreeNodeUI* node) {
    const int index = childNodes_.IndexOf(node);
    if (index >= 0) {
        childNodes_.RemoveAt(index);
    }
    if (node && node->parentNode_ == this) {
        node->parentNode_ = nullptr;
    }
}

bool CTreeNodeUI::RemoveChildNode(CTreeNodeUI* node) {
    if (!node || childNodes_.IndexOf(node) < 0) {
        return false;
    }
    while (node->HasChildNodes()) {
        node->RemoveChildNode(node->ChildNodeAt(0));
    }
    UnlinkChildNode(node);
    if (treeView_) {
        treeView_->RemoveNode(node);
    }
    return true;
}

bool CTreeNodeUI::RemoveChild(CControlUI* control) {
    return IsTreeNode(control) && RemoveChildNode(static_cast<CTreeNodeUI*>(control));
}

bool CTreeNodeUI::Select(bool select) {
    const bool result = CListContainerElementUI::Select(select);
    item_->SetTextColor(IsSelected() ? selItemTextColor_ : itemTextColor_);
    return result;
}

void CTreeNodeUI::HandleEvent(UIEvent& event) {
    if (HandMouseEventToOwner(event, [this](UIEvent& e) { CContainerUI::HandleEvent(e); })) {
        return;
    }
    CListContainerElementUI::HandleEvent(event);
    switch (event.type) {
    case kEventDoubleClick:
        if (IsEnabled()) {
            if (manager_) {
                manager_->SendNotification(this, L"itemdbclick", 0, 0, false);
            }
            InvalidateRow();
        }
        break;
    case kEventMouseEnter:
        if (!IsEnabled()) {
            item_->SetTextColor(item_->DisabledTextColor());
        } else if (IsSelected()) {
            item_->SetTextColor(selItemHotTextColor_ != 0 ? selItemHotTextColor_ : itemHotTextColor_);
        } else {
            item_->SetTextColor(itemHotTextColor_);
        }
        break;
    case kEventMouseLeave:
        if (!IsEnabled()) {
            item_->SetTextColor(item_->DisabledTextColor());
        } else if (!IsSelected()) {
            item_->SetTextColor(itemTextColor_);
        } else if (selItemTextColor_ != 0) {
            item_->SetTextColor(selItemTextColor_);
        }
        break;
    default:
        break;
    }
}

void CTreeNodeUI::SetItemTextColor(DWORD color) {
    itemTextColor_ = color;
    item_->SetTextColor(color);
}

void CTreeNodeUI::SetItemHotTextColor(DWORD color) {
    itemHotTextColor_ = color;
    InvalidateRow();
}

void CTreeNodeUI::SetSelItemTextColor(DWORD color) {
    selItemTextColor_ = color;
    InvalidateRow();
}

void CTreeNodeUI::SetSelItemHotTextColor(DWORD color) {
    selItemHotTextColor_ = color;
    InvalidateRow();
}

void CTreeNodeUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"text") == 0) {
        item_->SetText(value);
    } else if (wcscmp(name, L"horizattr") == 0) {
        rowLayout_->ApplyAttributeString(value);
    } else if (wcscmp(name, L"dotlineattr") == 0) {
        dotLine_->ApplyAttributeString(value);
    } else if (wcscmp(name, L"folderattr") == 0) {
        folderButton_->ApplyAttributeString(value);
    } else if (wcscmp(name, L"checkboxattr") == 0) {
        checkBox_->ApplyAttributeString(value);
    } else if (wcscmp(name, L"itemattr") == 0) {
        item_->ApplyAttributeString(value);
    } else if (wcscmp(name, L"itemtextcolor") == 0) {
        SetItemTextColor(ReadHexColor(value));
    } else if (wcscmp(name, L"itemhottextcolor") == 0) {
        SetItemHotTextColor(ReadHexColor(value));
    } else if (wcscmp(name, L"selitemtextcolor") == 0) {
        SetSelItemTextColor(ReadHexColor(value));
    } else if (wcscmp(name, L"selitemhottextcolor") == 0) {
        SetSelItemHotTextColor(ReadHexColor(value));
    } else {
        CListContainerElementUI::ApplyAttribute(name, value);
    }
}

}  // namespace TavikUI
