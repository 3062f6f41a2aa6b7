// The tree view built from nested "TreeNode" skins and driven by window
// messages: rows in order with their indentation, folding, double clicks,
// subtree checking, the item text colours, and adding and removing nodes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "CheckBoxUI.h"
#include "ControlsTestSupport.h"
#include "HorizontalLayoutUI.h"
#include "LabelUI.h"
#include "ListHeaderUI.h"
#include "OptionUI.h"
#include "SkinBuilder.h"
#include "TreeNodeUI.h"
#include "TreeViewUI.h"

using ControlsTests::SkinWindowTest;
using TavikUI::CTreeNodeUI;
using TavikUI::CTreeViewUI;

namespace {

using Names = std::vector<std::wstring>;

const DWORD kItemText = 0xFF101010;
const DWORD kHotText = 0xFF00A000;
const DWORD kSelectedText = 0xFF0000D0;

class TreeViewTest : public SkinWindowTest {
protected:
    void SetUp() override {
        SkinWindowTest::SetUp();
        // A node at the top level has no tree: it is skipped.
        ASSERT_TRUE(
            BuildSkin(L"<Window><TreeNode name=\"stray\"/><Container bkcolor=\"#FFFFFFFF\">"
                      L"<TreeView name=\"tree\" float=\"true\" pos=\"10,10,310,290\" visiblecheckbtn=\"true\" "
                      L"itemtextcolor=\"#FF101010\" itemhottextcolor=\"#FF00A000\">"
                      L"<TreeNode name=\"a\" text=\"A\">"
                      L"<TreeNode name=\"a1\" text=\"A1\"><TreeNode name=\"a1x\" text=\"A1x\"/></TreeNode>"
                      L"<TreeNode name=\"a2\" text=\"A2\"><Label name=\"part\" width=\"30\"/></TreeNode>"
                      L"</TreeNode>"
                      L"<TreeNode name=\"b\" text=\"B\"/>"
                      L"</TreeView></Container></Window>"));
        tree_ = Find<CTreeViewUI>(L"tree");
        ASSERT_NE(tree_, nullptr);
    }
    CTreeNodeUI* Node(const wchar_t* name) { return Find<CTreeNodeUI>(name); }
    Names Rows(bool visibleOnly = false) {
        Names names;
        for (int i = 0; i < tree_->ChildCount(); ++i) {
            if (!visibleOnly || tree_->ChildAt(i)->IsVisible()) {
                names.push_back(tree_->ChildAt(i)->Name().Text());
            }
        }
        return names;
    }
    void ClickFolder(const wchar_t* name) {
        RepaintNow();
        const RECT rect = Node(name)->FolderButton()->Rect();
        Click((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    }

    CTreeViewUI* tree_ = nullptr;
};

TEST_F(TreeViewTest, NestedNodesGiveRowsInOrderEachLevelIndentedFurther) {
    EXPECT_EQ(Rows(), (Names{L"a", L"a1", L"a1x", L"a2", L"b"}));
    EXPECT_EQ(manager_->FindControlByName(L"stray"), nullptr);
    EXPECT_FALSE(tree_->Header()->IsVisible());
    EXPECT_EQ(Node(L"a1")->ParentNode(), Node(L"a"));
    EXPECT_EQ(Node(L"a")->ChildNodeCount(), 2);
    const int a1 = Node(L"a1")->Item()->Rect().left;
    EXPECT_EQ(Node(L"a1x")->Item()->Rect().left - a1, CTreeNodeUI::kIndentStep);
    EXPECT_EQ(Node(L"a2")->Item()->Rect().left, a1);
    EXPECT_LT(Node(L"b")->Item()->Rect().left, a1);
    // Check boxes shown by the tree; other controls join the row layout.
    EXPECT_TRUE(Node(L"b")->CheckBox()->IsVisible());
    EXPECT_EQ(manager_->FindControlByName(L"part")->Parent(), Node(L"a2")->RowLayout());
}

TEST_F(TreeViewTest, TheFolderHidesAndShowsDescendantsKeepingCollapsedOnes) {
    ClickFolder(L"a");
    EXPECT_EQ(Rows(true), (Names{L"a", L"b"}));
    EXPECT_FALSE(Node(L"a")->IsExpanded());
    ClickFolder(L"a");
    EXPECT_EQ(Rows(true), (Names{L"a", L"a1", L"a1x", L"a2", L"b"}));
    ClickFolder(L"a1");
    ClickFolder(L"a");
    ClickFolder(L"a");
    EXPECT_EQ(Rows(true), (Names{L"a", L"a1", L"a2", L"b"}));
}

TEST_F(TreeViewTest, ADoubleClickSendsItemDbClickOnceAndToggles) {
    RepaintNow();
    const RECT item = Node(L"a")->Item()->Rect();
    const int x = item.left + 20;
    const int y = (item.top + item.bottom) / 2;
    MoveTo(x, y);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    const Names notes = Notes();
    EXPECT_EQ(std::count(notes.begin(), notes.end(), L"itemdbclick:a"), 1);
    EXPECT_TRUE(Node(L"a")->FolderButton()->IsSelected());
    EXPECT_EQ(Rows(true), (Names{L"a", L"b"}));
}

TEST_F(TreeViewTest, CheckingANodeChecksItsDescendants) {
    RepaintNow();
    const RECT box = Node(L"a")->CheckBox()->Rect();
    Click((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    for (const wchar_t* name : {L"a1", L"a1x", L"a2"}) {
        EXPECT_TRUE(Node(name)->CheckBox()->IsSelected()) << name;
    }
    EXPECT_FALSE(Node(L"b")->CheckBox()->IsSelected());
}

TEST_F(TreeViewTest, ItemTextColoursFollowHotAndSelectedStates) {
    CTreeNodeUI* b = Node(L"b");
    EXPECT_EQ(b->Item()->TextColor(), kItemText);
    RepaintNow();
    const RECT rect = b->Rect();
    MoveTo(rect.right - 5, (rect.top + rect.bottom) / 2);
    EXPECT_EQ(b->Item()->TextColor(), kHotText);
    b->SetSelItemTextColor(kSelectedText);
    b->Select(true);
    EXPECT_EQ(b->Item()->TextColor(), kSelectedText);
    MoveTo(5, 295);
    EXPECT_EQ(b->Item()->TextColor(), kSelectedText);
    b->Select(false);
    EXPECT_EQ(b->Item()->TextColor(), kItemText);
}

TEST_F(TreeViewTest, AddingAndRemovingNodesKeepsRowsAndLinksWhole) {
    // A child of the last row lands at the row count.
    auto* b1 = new CTreeNodeUI();
    b1->SetName(L"b1");
    ASSERT_TRUE(Node(L"b")->AddChild(b1));
    EXPECT_EQ(Rows(), (Names{L"a", L"a1", L"a1x", L"a2", L"b", L"b1"}));
    EXPECT_EQ(b1->TreeView(), tree_);
    // A node inserted at a child index goes before that child's rows.
    auto* a0 = new CTreeNodeUI();
    a0->SetName(L"a0");
    ASSERT_TRUE(Node(L"a")->InsertChild(a0, 0));
    EXPECT_EQ(Rows(), (Names{L"a", L"a0", L"a1", L"a1x", L"a2", L"b", L"b1"}));
    EXPECT_EQ(tree_->AddNodeAt(new CTreeNodeUI(), 99), -1);

    // Removing a node with children takes its subtree and unlinks it.
    CTreeNodeUI* a = Node(L"a");
    CTreeNodeUI* a1 = Node(L"a1");
    ASSERT_TRUE(tree_->RemoveNode(a1));
    EXPECT_EQ(Rows(), (Names{L"a", L"a0", L"a2", L"b", L"b1"}));
    EXPECT_EQ(a->ChildNodeCount(), 2);
    EXPECT_EQ(a->LastDescendant(), Node(L"a2"));
    // The list's own removal path does the same.
    ASSERT_TRUE(tree_->RemoveChildAt(0));
    EXPECT_EQ(Rows(), (Names{L"b", L"b1"}));
    ASSERT_TRUE(tree_->RemoveChild(Node(L"b1")));
    EXPECT_FALSE(Node(L"b")->HasChildNodes());
    EXPECT_EQ(Rows(), (Names{L"b"}));
}

TEST_F(TreeViewTest, ASubtreeAddedWholeKeepsItsRowsInTreeOrder) {
    // c already holds g, which holds g1, before c joins the tree.
    auto named = [](const wchar_t* name) {
        auto* node = new CTreeNodeUI();
        node->SetName(name);
        return node;
    };
    CTreeNodeUI* c = named(L"c");
    CTreeNodeUI* g = named(L"g");
    ASSERT_TRUE(g->AddChild(named(L"g1")));
    ASSERT_TRUE(c->AddChild(g));
    CTreeNodeUI* b = Node(L"b");
    ASSERT_TRUE(b->AddChild(c));
    ASSERT_TRUE(b->AddChild(named(L"x")));
    EXPECT_EQ(Rows(), (Names{L"a", L"a1", L"a1x", L"a2", L"b", L"c", L"g", L"g1", L"x"}));
    ASSERT_TRUE(g->AddChild(named(L"g2")));
    EXPECT_EQ(Rows(), (Names{L"a", L"a1", L"a1x", L"a2", L"b", L"c", L"g", L"g1", L"g2", L"x"}));
    ASSERT_TRUE(b->RemoveChild(c));
    EXPECT_EQ(Rows(), (Names{L"a", L"a1", L"a1x", L"a2", L"b", L"x"}));
}

TEST_F(TreeViewTest, APrebuiltSubtreeTakesTheLevelsGroupAndTreeOfItsNewPlace) {
    using Chain = std::vector<CTreeNodeUI*>;
    // Built bottom-up, as code may build it: each level was linked while
    // its parent stood nowhere yet.
    auto chain = [](int length) {
        Chain nodes;
        for (int i = 0; i < length; ++i) {
            nodes.push_back(new CTreeNodeUI());
        }
        for (int i = length - 1; i > 0; --i) {
            nodes[i - 1]->AddChild(nodes[i]);
        }
        return nodes;
    };
    auto expectBelow = [this](CTreeNodeUI* top, const Chain& nodes, int firstLevel) {
        for (size_t i = 0; i < nodes.size(); ++i) {
            const int level = firstLevel + static_cast<int>(i);
            EXPECT_EQ(nodes[i]->DotLine()->DeclaredWidth(),
                      top->DotLine()->DeclaredWidth() + level * CTreeNodeUI::kIndentStep)
                << "level " << level;
            EXPECT_STREQ(nodes[i]->Item()->Group().Text(), top->Item()->Group().Text()) << "level " << level;
            EXPECT_EQ(nodes[i]->TreeView(), tree_) << "level " << level;
        }
    };
    CTreeNodeUI* b = Node(L"b");
    b->Item()->SetGroup(L"rows");
    const Chain underNode = chain(4);
    ASSERT_TRUE(b->AddChild(underNode.front()));
    expectBelow(b, underNode, 1);
    auto* late = new CTreeNodeUI();
    ASSERT_TRUE(underNode.back()->AddChild(late));
    expectBelow(b, {late}, 5);

    const Chain underView = chain(3);
    // The group comes after the children joined their top.
    underView.front()->Item()->SetGroup(L"top");
    ASSERT_TRUE(tree_->AddNode(underView.front()));
    expectBelow(underView.front(), Chain(underView.begin() + 1, underView.end()), 1);
}

}  // namespace

namespace {

TEST(TreeSkinTest, ATreeNodeOutsideATreeStopsOnlyItsLevel) {
    TavikUI::CSkinBuilder builder;
    std::unique_ptr<TavikUI::CControlUI> root(builder.Create(
        L"<Window><Container><TreeNode/><Label/></Container></Window>", nullptr, nullptr, nullptr, nullptr));
    ASSERT_NE(root, nullptr);
    auto* container = static_cast<TavikUI::IContainerUI*>(root->InterfaceByName(L"IContainer"));
    EXPECT_EQ(container->ChildCount(), 0);
}

}  // namespace
