// The container's child list: adding, inserting, moving and removing, who
// destroys removed children and when, visibility handed to children, the
// interface queries, the selectable-index search and the attributes.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "ContainerTestSupport.h"
#include "ControlTestSupport.h"
#include "ContainerUI.h"
#include "ScrollBarUI.h"
#include "WindowManager.h"

using ContainerTests::TrackedContainer;
using ContainerTests::TrackedControl;
using TavikUI::CContainerUI;
using TavikUI::CControlUI;
using TavikUI::CWindowManager;
using TavikUI::IContainerUI;

namespace {

std::vector<CControlUI*> ChildrenOf(const CContainerUI& container) {
    std::vector<CControlUI*> children;
    for (int i = 0; i < container.ChildCount(); ++i) {
        children.push_back(container.ChildAt(i));
    }
    return children;
}

// A container holding a, b and c in that order.
class ChildListTest : public ::testing::Test {
protected:
    void SetUp() override {
        container_.AddChild(a_);
        container_.AddChild(b_);
        container_.AddChild(c_);
    }
    CContainerUI container_;
    TrackedControl* a_ = new TrackedControl();
    TrackedControl* b_ = new TrackedControl();
    TrackedControl* c_ = new TrackedControl();
};

TEST_F(ChildListTest, AddAppendsInOrder) {
    EXPECT_EQ(container_.ChildCount(), 3);
    EXPECT_EQ(ChildrenOf(container_), (std::vector<CControlUI*>{a_, b_, c_}));
    EXPECT_EQ(container_.IndexOfChild(b_), 1);
    EXPECT_FALSE(container_.AddChild(nullptr));
    EXPECT_EQ(container_.ChildCount(), 3);
}

TEST_F(ChildListTest, InsertAtEveryValidPosition) {
    auto* first = new TrackedControl();
    auto* middle = new TrackedControl();
    auto* last = new TrackedControl();
    EXPECT_TRUE(container_.InsertChild(first, 0));
    EXPECT_TRUE(container_.InsertChild(middle, 2));
    EXPECT_TRUE(container_.InsertChild(last, container_.ChildCount()));
    EXPECT_EQ(ChildrenOf(container_), (std::vector<CControlUI*>{first, a_, middle, b_, c_, last}));
}

TEST_F(ChildListTest, InsertAtBadIndexChangesNothing) {
    TrackedControl outsider;
    EXPECT_FALSE(container_.InsertChild(&outsider, -1));
    EXPECT_FALSE(container_.InsertChild(&outsider, 4));
    EXPECT_FALSE(container_.InsertChild(nullptr, 0));
    EXPECT_EQ(ChildrenOf(container_), (std::vector<CControlUI*>{a_, b_, c_}));
}

TEST_F(ChildListTest, MoveChildForwardAndBack) {
    EXPECT_TRUE(container_.MoveChildTo(a_, 2));
    EXPECT_EQ(ChildrenOf(container_), (std::vector<CControlUI*>{b_, c_, a_}));
    EXPECT_TRUE(container_.MoveChildTo(a_, 0));
    EXPECT_EQ(ChildrenOf(container_), (std::vector<CControlUI*>{a_, b_, c_}));
    EXPECT_TRUE(container_.MoveChildTo(c_, 1));
    EXPECT_EQ(ChildrenOf(container_), (std::vector<CControlUI*>{a_, c_, b_}));
    EXPECT_TRUE(container_.MoveChildTo(b_, 2));
    EXPECT_EQ(ChildrenOf(container_), (std::vector<CControlUI*>{a_, c_, b_}));
}

// A bad index used to take the child out of the list and leave it there:
// the container then no longer owned it.
TEST_F(ChildListTest, MoveToBadIndexLeavesTheChildWhereItWas) {
    EXPECT_FALSE(container_.MoveChildTo(b_, 3));
    EXPECT_FALSE(container_.MoveChildTo(b_, 100));
    EXPECT_FALSE(container_.MoveChildTo(b_, -1));
    EXPECT_EQ(ChildrenOf(container_), (std::vector<CControlUI*>{a_, b_, c_}));
}

TEST_F(ChildListTest, MoveOfAStrangerFails) {
    TrackedControl stranger;
    EXPECT_FALSE(container_.MoveChildTo(&stranger, 0));
    EXPECT_FALSE(container_.MoveChildTo(nullptr, 0));
    EXPECT_EQ(ChildrenOf(container_), (std::vector<CControlUI*>{a_, b_, c_}));
}

TEST_F(ChildListTest, RemoveOfStrangersAndBadIndexesFails) {
    TrackedControl stranger;
    EXPECT_FALSE(container_.RemoveChild(&stranger));
    EXPECT_FALSE(container_.RemoveChild(nullptr));
    EXPECT_FALSE(container_.RemoveChildAt(-1));
    EXPECT_FALSE(container_.RemoveChildAt(3));
    EXPECT_EQ(container_.ChildCount(), 3);
}

TEST_F(ChildListTest, InterfaceQueryAnswersTheChildListPart) {
    auto* children = static_cast<IContainerUI*>(container_.InterfaceByName(L"IContainer"));
    ASSERT_EQ(children, static_cast<IContainerUI*>(&container_));
    EXPECT_EQ(children->ChildAt(1), b_);
    EXPECT_EQ(container_.InterfaceByName(L"Container"), static_cast<void*>(&container_));
    EXPECT_EQ(container_.InterfaceByName(L"Control"), static_cast<CControlUI*>(&container_));
    EXPECT_EQ(container_.InterfaceByName(nullptr), nullptr);
}

TEST(ContainerOwnership, DestructionDestroysChildrenAndGrandchildren) {
    bool childGone = false;
    bool innerGone = false;
    bool grandchildGone = false;
    {
        CContainerUI outer;
        auto* inner = new TrackedContainer(&innerGone);
        inner->AddChild(new TrackedControl(&grandchildGone));
        outer.AddChild(new TrackedControl(&childGone));
        outer.AddChild(inner);
    }
    EXPECT_TRUE(childGone);
    EXPECT_TRUE(innerGone);
    EXPECT_TRUE(grandchildGone);
}

TEST(ContainerOwnership, RemovalWithoutManagerDestroysAtOnce) {
    CContainerUI container;
    bool gone = false;
    container.AddChild(new TrackedControl());
    container.AddChild(new TrackedControl(&gone));
    EXPECT_TRUE(container.RemoveChildAt(1));
    EXPECT_TRUE(gone);
    EXPECT_EQ(container.ChildCount(), 1);
}

TEST(ContainerOwnership, ContainerThatKeepsItsChildrenOnlyEmptiesTheList) {
    bool removedGone = false;
    bool clearedGone = false;
    bool keptGone = false;
    auto* removed = new TrackedControl(&removedGone);
    auto* cleared = new TrackedControl(&clearedGone);
    auto* kept = new TrackedControl(&keptGone);
    {
        CContainerUI container;
        container.SetDeletesChildren(false);
        EXPECT_FALSE(container.DeletesChildren());
        container.AddChild(removed);
        container.AddChild(cleared);
        EXPECT_TRUE(container.RemoveChild(removed));
        container.RemoveAllChildren();
        EXPECT_EQ(container.ChildCount(), 0);
        container.AddChild(kept);
    }
    EXPECT_FALSE(removedGone);
    EXPECT_FALSE(clearedGone);
    EXPECT_FALSE(keptGone);
    delete removed;
    delete cleared;
    delete kept;
}

TEST(ContainerOwnership, RemoveAllDestroysEveryChild) {
    CContainerUI container;
    bool gone[3] = {false, false, false};
    for (bool& flag : gone) {
        container.AddChild(new TrackedControl(&flag));
    }
    container.RemoveAllChildren();
    EXPECT_EQ(container.ChildCount(), 0);
    EXPECT_TRUE(gone[0] && gone[1] && gone[2]);
}

// Children handed to a manager: adoption, names, and destruction delayed
// until the manager empties its queue.
class ManagedChildrenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window_.Handle(), nullptr) << "no X display?";
        root_ = new CContainerUI();
        window_.manager.AttachRoot(root_);
    }
    void DrainDelayedDeletes() {
        MSG message;
        while (PeekMessageW(&message, window_.Handle(), CWindowManager::kDeleteQueuedMessage,
                            CWindowManager::kDeleteQueuedMessage, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    ControlTests::ManagedWindow window_;
    CContainerUI* root_ = nullptr;
};

TEST_F(ManagedChildrenTest, AddedChildIsAdoptedWithItsName) {
    auto* child = new TrackedControl(nullptr, L"alpha");
    ASSERT_TRUE(root_->AddChild(child));
    EXPECT_EQ(child->Manager(), &window_.manager);
    EXPECT_EQ(child->Parent(), root_);
    EXPECT_EQ(window_.manager.FindControlByName(L"alpha"), child);
}

TEST_F(ManagedChildrenTest, NamesOfANestedTreeAreFound) {
    auto* inner = new CContainerUI();
    inner->SetName(L"inner");
    auto* deep = new TrackedControl(nullptr, L"deep");
    inner->AddChild(deep);
    EXPECT_EQ(deep->Parent(), nullptr) << "a container without manager does not adopt";
    root_->AddChild(inner);
    EXPECT_EQ(window_.manager.FindControlByName(L"deep"), deep);
    EXPECT_EQ(window_.manager.FindControlByName(L"inner"), inner);
    EXPECT_EQ(deep->Parent(), inner);
    EXPECT_EQ(deep->Manager(), &window_.manager);
}

TEST_F(ManagedChildrenTest, RemovedChildLivesUntilTheQueueIsEmptied) {
    bool gone = false;
    auto* child = new TrackedControl(&gone, L"beta");
    root_->AddChild(child);
    ASSERT_TRUE(root_->RemoveChild(child));
    EXPECT_FALSE(gone);
    EXPECT_EQ(root_->ChildCount(), 0);
    EXPECT_EQ(window_.manager.FindControlByName(L"beta"), nullptr);
    DrainDelayedDeletes();
    EXPECT_TRUE(gone);
}

TEST_F(ManagedChildrenTest, RemovalWithoutDelayDestroysAtOnce) {
    bool gone = false;
    root_->SetDeletesLater(false);
    EXPECT_FALSE(root_->DeletesLater());
    root_->AddChild(new TrackedControl(&gone, L"gamma"));
    ASSERT_TRUE(root_->RemoveChildAt(0));
    EXPECT_TRUE(gone);
    EXPECT_EQ(window_.manager.FindControlByName(L"gamma"), nullptr);
}

TEST_F(ManagedChildrenTest, RemoveAllQueuesEveryChild) {
    bool gone[2] = {false, false};
    root_->AddChild(new TrackedControl(&gone[0]));
    root_->AddChild(new TrackedControl(&gone[1]));
    root_->RemoveAllChildren();
    EXPECT_EQ(root_->ChildCount(), 0);
    EXPECT_FALSE(gone[0] || gone[1]);
    DrainDelayedDeletes();
    EXPECT_TRUE(gone[0] && gone[1]);
}

// A queued container is destroyed later; its own children then go with it
// at once, not through another round of the queue.
TEST_F(ManagedChildrenTest, QueuedContainerTakesItsChildrenAlong) {
    bool innerGone = false;
    bool grandchildGone = false;
    auto* inner = new TrackedContainer(&innerGone);
    inner->AddChild(new TrackedControl(&grandchildGone));
    root_->AddChild(inner);
    root_->RemoveChild(inner);
    EXPECT_FALSE(innerGone);
    DrainDelayedDeletes();
    EXPECT_TRUE(innerGone);
    EXPECT_TRUE(grandchildGone);
}

TEST_F(ManagedChildrenTest, ScrollBarsJoinTheManager) {
    root_->CreateScrollBars(true, true);
    EXPECT_EQ(root_->VerticalScrollBar()->Manager(), &window_.manager);
    auto* inner = new CContainerUI();
    inner->CreateScrollBars(true, false);
    EXPECT_EQ(inner->VerticalScrollBar()->Manager(), nullptr);
    root_->AddChild(inner);
    EXPECT_EQ(inner->VerticalScrollBar()->Manager(), &window_.manager);
    EXPECT_EQ(inner->VerticalScrollBar()->Parent(), inner);
}

TEST_F(ManagedChildrenTest, ScrollBarsTakeThePerTagDefaults) {
    window_.manager.SetDefaultAttributes(L"VScrollBar", L"width=\"11\" linesize=\"3\"");
    window_.manager.SetDefaultAttributes(L"HScrollBar", L"height=\"9\"");
    root_->CreateScrollBars(true, true);
    EXPECT_EQ(root_->VerticalScrollBar()->DeclaredWidth(), 11);
    EXPECT_EQ(root_->VerticalScrollBar()->LineSize(), 3);
    EXPECT_TRUE(root_->HorizontalScrollBar()->IsHorizontal());
    EXPECT_EQ(root_->HorizontalScrollBar()->DeclaredHeight(), 9);
    EXPECT_EQ(root_->HorizontalScrollBar()->DeclaredWidth(), 0);
}

TEST(ContainerVisibility, HiddenContainerHidesAChildUntilShown) {
    CContainerUI container;
    container.ShowOrHide(false);
    auto* child = new TrackedControl();
    container.AddChild(child);
    EXPECT_FALSE(child->IsVisible());
    container.ShowOrHide(true);
    EXPECT_TRUE(child->IsVisible());
}

TEST(ContainerVisibility, HidingReachesGrandchildren) {
    CContainerUI outer;
    auto* inner = new CContainerUI();
    auto* leaf = new TrackedControl();
    inner->AddChild(leaf);
    outer.AddChild(inner);
    outer.ShowOrHide(false);
    EXPECT_FALSE(inner->IsVisible());
    EXPECT_FALSE(leaf->IsVisible());
    outer.ShowOrHide(true);
    EXPECT_TRUE(leaf->IsVisible());
}

TEST(ContainerVisibility, ShowingAShownContainerTouchesNoChild) {
    CContainerUI container;
    auto* child = new TrackedControl();
    container.AddChild(child);
    child->SetParentGivenVisibility(false);
    container.ShowOrHide(true);
    EXPECT_FALSE(child->IsVisible());
}

// Children 0..4; those listed as items answer "ListItem".
class SelectableIndexTest : public ::testing::Test {
protected:
    void Build(std::initializer_list<bool> items) {
        for (bool item : items) {
            auto* child = new TrackedControl();
            child->listItem = item;
            container_.AddChild(child);
        }
    }
    CContainerUI container_;
};

TEST_F(SelectableIndexTest, EmptyContainerHasNone) {
    EXPECT_EQ(container_.NextSelectableIndex(0, true), -1);
    EXPECT_EQ(container_.NextSelectableIndex(0, false), -1);
}

TEST_F(SelectableIndexTest, StartsAreClampedIntoTheList) {
    Build({true, true, true});
    EXPECT_EQ(container_.NextSelectableIndex(-5, true), 0);
    EXPECT_EQ(container_.NextSelectableIndex(100, false), 2);
    EXPECT_EQ(container_.NextSelectableIndex(100, true), 2);
}

TEST_F(SelectableIndexTest, SkipsNonItemsHiddenAndDisabledChildren) {
    Build({false, true, true, true, true});
    container_.ChildAt(1)->ShowOrHide(false);
    container_.ChildAt(2)->SetEnabledState(false);
    EXPECT_EQ(container_.NextSelectableIndex(0, true), 3);
    EXPECT_EQ(container_.NextSelectableIndex(2, false), 3) << "backward finds none, retries forward from 0";
    EXPECT_EQ(container_.NextSelectableIndex(4, false), 4);
}

TEST_F(SelectableIndexTest, ForwardSearchPastTheLastItemFindsNone) {
    Build({true, false, false});
    EXPECT_EQ(container_.NextSelectableIndex(1, true), -1);
    EXPECT_EQ(container_.NextSelectableIndex(2, false), 0);
}

TEST(ContainerAttributes, InsetPaddingAndMouseChild) {
    CContainerUI container;
    container.ApplyAttribute(L"inset", L"1,2,3,4");
    EXPECT_TRUE(ContainerTests::RectIs(container.InsetRect(), 1, 2, 3, 4));
    container.ApplyAttribute(L"childpadding", L"7");
    EXPECT_EQ(container.ChildPadding(), 7);
    container.ApplyAttribute(L"mousechild", L"false");
    EXPECT_FALSE(container.ChildrenReceiveMouse());
    container.ApplyAttribute(L"name", L"box");
    EXPECT_STREQ(container.Name().Text(), L"box") << "others go to the control";
}

TEST(ContainerAttributes, ScrollBarsComeAndGo) {
    CContainerUI container;
    container.ApplyAttribute(L"vscrollbar", L"true");
    TavikUI::CScrollBarUI* vertical = container.VerticalScrollBar();
    ASSERT_NE(vertical, nullptr);
    EXPECT_FALSE(vertical->IsHorizontal());
    EXPECT_EQ(vertical->OwnerContainer(), &container);
    container.ApplyAttribute(L"hscrollbar", L"true");
    ASSERT_NE(container.HorizontalScrollBar(), nullptr);
    EXPECT_TRUE(container.HorizontalScrollBar()->IsHorizontal());
    EXPECT_EQ(container.VerticalScrollBar(), vertical) << "a bar asked for again stays";
    container.ApplyAttribute(L"vscrollbar", L"false");
    EXPECT_EQ(container.VerticalScrollBar(), nullptr);
    EXPECT_NE(container.HorizontalScrollBar(), nullptr);
    container.ApplyAttribute(L"hscrollbar", L"no");
    EXPECT_EQ(container.HorizontalScrollBar(), nullptr);
}

TEST(ContainerAttributes, StylesCreateTheBarAndApplyTheList) {
    CContainerUI container;
    container.ApplyAttribute(L"vscrollbarstyle", L"width=\"10\" showbutton1=\"false\"");
    ASSERT_NE(container.VerticalScrollBar(), nullptr);
    EXPECT_EQ(container.VerticalScrollBar()->DeclaredWidth(), 10);
    EXPECT_FALSE(container.VerticalScrollBar()->ShowsButton1());
    container.ApplyAttribute(L"hscrollbarstyle", L"height=\"6\" range=\"40\"");
    ASSERT_NE(container.HorizontalScrollBar(), nullptr);
    EXPECT_EQ(container.HorizontalScrollBar()->DeclaredHeight(), 6);
    EXPECT_EQ(container.HorizontalScrollBar()->Range(), 40);
    EXPECT_NE(container.VerticalScrollBar(), nullptr);
}

}  // namespace
