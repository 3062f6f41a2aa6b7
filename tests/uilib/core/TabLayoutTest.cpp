#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "LayoutTestSupport.h"
#include "TabLayoutUI.h"

using ControlTests::ManagedWindow;
using ControlTests::NotificationRecorder;
using LayoutTests::ChildGeometry;
using LayoutTests::FloatingChild;
using LayoutTests::MakeChild;
using LayoutTests::RectIs;
using LayoutTests::SizedChild;
using TavikUI::CControlUI;
using TavikUI::CTabLayoutUI;
using TavikUI::CUIRect;

namespace {

// A tab layout of three automatic pages, not attached to any manager.
class TabLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            pages_.push_back(SizedChild(0, 0));
            ASSERT_TRUE(tab_.AddChild(pages_.back()));
        }
    }
    std::vector<bool> Visibility() const {
        std::vector<bool> shown;
        for (int i = 0; i < tab_.ChildCount(); ++i) {
            shown.push_back(tab_.ChildAt(i)->IsVisible());
        }
        return shown;
    }

    CTabLayoutUI tab_;
    std::vector<CControlUI*> pages_;
};

TEST_F(TabLayoutTest, FirstVisibleChildBecomesTheSelectedPageAndTheOthersAreHidden) {
    EXPECT_EQ(tab_.SelectedIndex(), 0);
    EXPECT_EQ(Visibility(), (std::vector<bool>{true, false, false}));
}

TEST(TabLayoutAddTest, HiddenChildIsNotSelected) {
    CTabLayoutUI tab;
    EXPECT_EQ(tab.SelectedIndex(), -1);
    CControlUI* hidden = SizedChild(0, 0);
    hidden->ShowOrHide(false);
    ASSERT_TRUE(tab.AddChild(hidden));
    EXPECT_EQ(tab.SelectedIndex(), -1);
    ASSERT_TRUE(tab.AddChild(SizedChild(0, 0)));
    EXPECT_EQ(tab.SelectedIndex(), 1);
    EXPECT_FALSE(tab.AddChild(nullptr));
    EXPECT_EQ(tab.SelectedIndex(), 1);
}

TEST_F(TabLayoutTest, OnlyTheSelectedPageIsPlacedInTheInnerAreaLessItsPadding) {
    tab_.SetInsetRect(CUIRect(5, 5, 5, 5));
    ChildGeometry padded;
    padded.padding = {1, 2, 3, 4};
    CControlUI* page = MakeChild(padded);
    ASSERT_TRUE(tab_.InsertChild(page, 0));
    ASSERT_TRUE(tab_.SelectTab(0));
    tab_.Place(CUIRect(0, 0, 100, 80));
    EXPECT_TRUE(RectIs(page->Rect(), 6, 7, 92, 71));
    EXPECT_TRUE(RectIs(pages_[0]->Rect(), 0, 0, 0, 0));
}

TEST_F(TabLayoutTest, SelectedPageKeepsItsDesiredSizeWithinItsLimits) {
    ChildGeometry sized;
    sized.width = 40;
    sized.height = 300;
    sized.maxHeight = 50;
    CControlUI* page = MakeChild(sized);
    ASSERT_TRUE(tab_.AddChild(page));
    ASSERT_TRUE(tab_.SelectTab(3));
    tab_.Place(CUIRect(10, 10, 110, 110));
    EXPECT_TRUE(RectIs(page->Rect(), 10, 10, 50, 60));
}

TEST_F(TabLayoutTest, FloatingChildrenArePlacedWhicheverPageIsSelected) {
    CControlUI* floating = FloatingChild(-10, 5, 8, 8);
    ASSERT_TRUE(tab_.AddChild(floating));
    // A floating child added to a tab with a page is hidden like any other.
    floating->ShowOrHide(true);
    tab_.Place(CUIRect(0, 0, 100, 100));
    EXPECT_TRUE(RectIs(floating->Rect(), 82, 5, 90, 13));
    EXPECT_TRUE(RectIs(pages_[0]->Rect(), 0, 0, 100, 100));
}

TEST_F(TabLayoutTest, SelectTabSwitchesVisibilityAndRefusesBadIndexes) {
    EXPECT_TRUE(tab_.SelectTab(2));
    EXPECT_EQ(tab_.SelectedIndex(), 2);
    EXPECT_EQ(Visibility(), (std::vector<bool>{false, false, true}));
    EXPECT_FALSE(tab_.SelectTab(3));
    EXPECT_FALSE(tab_.SelectTab(-1));
    EXPECT_EQ(tab_.SelectedIndex(), 2);
    EXPECT_EQ(Visibility(), (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(tab_.SelectTab(2));
}

TEST_F(TabLayoutTest, SelectTabPlacesTheNewPageOnTheLayoutsRectangle) {
    tab_.Place(CUIRect(0, 0, 100, 50));
    ASSERT_TRUE(tab_.SelectTab(1));
    EXPECT_TRUE(RectIs(pages_[1]->Rect(), 0, 0, 100, 50));
}

TEST_F(TabLayoutTest, RemovingTheSelectedPageSelectsTheFirst) {
    ASSERT_TRUE(tab_.SelectTab(1));
    ASSERT_TRUE(tab_.RemoveChild(pages_[1]));
    EXPECT_EQ(tab_.SelectedIndex(), 0);
    EXPECT_EQ(Visibility(), (std::vector<bool>{true, false}));
}

TEST_F(TabLayoutTest, RemovingAnEarlierChildMovesTheSelectionDown) {
    ASSERT_TRUE(tab_.SelectTab(2));
    ASSERT_TRUE(tab_.RemoveChild(pages_[0]));
    EXPECT_EQ(tab_.SelectedIndex(), 1);
    ASSERT_TRUE(tab_.RemoveChildAt(1));
    EXPECT_EQ(tab_.SelectedIndex(), 0);
    EXPECT_TRUE(tab_.ChildAt(0)->IsVisible());
    CControlUI stranger;
    EXPECT_FALSE(tab_.RemoveChild(&stranger));
    EXPECT_EQ(tab_.SelectedIndex(), 0);
}

TEST_F(TabLayoutTest, RemovingTheLastPageLeavesNoneSelected) {
    ASSERT_TRUE(tab_.RemoveChildAt(0));
    ASSERT_TRUE(tab_.RemoveChildAt(0));
    ASSERT_TRUE(tab_.RemoveChildAt(0));
    EXPECT_EQ(tab_.SelectedIndex(), -1);
}

TEST_F(TabLayoutTest, InsertingBeforeTheSelectedPageMovesTheSelectionUp) {
    ASSERT_TRUE(tab_.SelectTab(1));
    CControlUI* before = SizedChild(0, 0);
    ASSERT_TRUE(tab_.InsertChild(before, 1));
    EXPECT_EQ(tab_.SelectedIndex(), 2);
    EXPECT_FALSE(before->IsVisible());
    CControlUI* after = SizedChild(0, 0);
    ASSERT_TRUE(tab_.InsertChild(after, 4));
    EXPECT_EQ(tab_.SelectedIndex(), 2);
    std::unique_ptr<CControlUI> stray(SizedChild(0, 0));
    const bool inserted = tab_.InsertChild(stray.get(), 9);
    if (inserted) {
        stray.release();
    }
    EXPECT_FALSE(inserted);
    EXPECT_EQ(tab_.SelectedIndex(), 2);
}

TEST(TabLayoutAddTest, InsertingIntoAnEmptyTabSelectsTheChild) {
    CTabLayoutUI tab;
    CControlUI* page = SizedChild(0, 0);
    ASSERT_TRUE(tab.InsertChild(page, 0));
    EXPECT_EQ(tab.SelectedIndex(), 0);
    EXPECT_TRUE(page->IsVisible());
}

TEST_F(TabLayoutTest, RemoveAllChildrenLeavesNoneSelected) {
    tab_.RemoveAllChildren();
    EXPECT_EQ(tab_.SelectedIndex(), -1);
    EXPECT_EQ(tab_.ChildCount(), 0);
    EXPECT_FALSE(tab_.SelectTab(0));
}

TEST_F(TabLayoutTest, SelectedIdAttributeSelectsAmongThePages) {
    tab_.ApplyAttribute(L"selectedid", L"2");
    EXPECT_EQ(tab_.SelectedIndex(), 2);
    tab_.ApplyAttribute(L"selectedid", L"7");
    EXPECT_EQ(tab_.SelectedIndex(), 2);
    EXPECT_STREQ(tab_.ClassName(), L"TabLayoutUI");
    EXPECT_EQ(tab_.InterfaceByName(L"TabLayout"), &tab_);
}

// With a manager, page switches are announced.
class TabLayoutNotifyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window_.Handle(), nullptr) << "no X display?";
        tab_ = new CTabLayoutUI();
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(tab_->AddChild(SizedChild(0, 0)));
        }
        ASSERT_TRUE(window_.manager.AttachRoot(tab_));
        window_.manager.RegisterNotifyReceiver(&recorder_);
    }
    void TearDown() override { window_.manager.UnregisterNotifyReceiver(&recorder_); }

    // The "tabselect" notifications; focus moves send others.
    std::vector<NotificationRecorder::Entry> TabSelects() const {
        std::vector<NotificationRecorder::Entry> selects;
        for (const auto& entry : recorder_.entries) {
            if (entry.type == L"tabselect") {
                selects.push_back(entry);
            }
        }
        return selects;
    }

    ManagedWindow window_;
    NotificationRecorder recorder_;
    CTabLayoutUI* tab_ = nullptr;
};

TEST_F(TabLayoutNotifyTest, SelectTabSendsTabSelectWithTheNewAndOldIndex) {
    ASSERT_TRUE(tab_->SelectTab(2));
    const auto selects = TabSelects();
    ASSERT_EQ(selects.size(), 1u);
    EXPECT_EQ(selects[0].sender, tab_);
    EXPECT_EQ(selects[0].wParam, 2u);
    EXPECT_EQ(selects[0].lParam, 0);
}

TEST_F(TabLayoutNotifyTest, ReselectingAndRemovingTheSelectedPageSendNothing) {
    ASSERT_TRUE(tab_->SelectTab(0));
    tab_->SetDeletesLater(false);
    ASSERT_TRUE(tab_->RemoveChildAt(0));
    EXPECT_EQ(tab_->SelectedIndex(), 0);
    EXPECT_TRUE(TabSelects().empty());
}

TEST_F(TabLayoutNotifyTest, FirstSelectionAfterNoneReportsMinusOne) {
    tab_->RemoveAllChildren();
    CControlUI* hidden = SizedChild(0, 0);
    hidden->ShowOrHide(false);
    ASSERT_TRUE(tab_->AddChild(hidden));
    ASSERT_EQ(tab_->SelectedIndex(), -1);
    ASSERT_TRUE(tab_->SelectTab(0));
    const auto selects = TabSelects();
    ASSERT_EQ(selects.size(), 1u);
    EXPECT_EQ(selects[0].wParam, 0u);
    EXPECT_EQ(selects[0].lParam, -1);
    EXPECT_TRUE(hidden->IsVisible());
}

}  // namespace
