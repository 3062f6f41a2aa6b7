// Visiting and finding through containers (visit order, flags, hit tests
// clipped to the scroll area) and the container's paint order and clipping.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "ContainerTestSupport.h"
#include "ContainerUI.h"
#include "ControlTestSupport.h"
#include "ScrollBarUI.h"
#include "WindowManager.h"

using ContainerTests::RectIs;
using ContainerTests::TrackedControl;
using ControlTests::PixelCanvas;
using TavikUI::CContainerUI;
using TavikUI::CControlUI;
using TavikUI::CScrollBarUI;
using TavikUI::CUIRect;
using TavikUI::CWindowManager;

namespace {

CControlUI* RecordVisit(CControlUI* control, void* data) {
    static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return nullptr;
}

CControlUI* AnswerHit(CControlUI* control, void*) { return control; }

constexpr UINT kHitFlags = TavikUI::kVisitVisibleOnly | TavikUI::kVisitHitTest | TavikUI::kVisitLastChildFirst;

// A container with both bars and two children.
class VisitOrderTest : public ::testing::Test {
protected:
    void SetUp() override {
        container_.CreateScrollBars(true, true);
        container_.AddChild(first_);
        container_.AddChild(second_);
        vertical_ = container_.VerticalScrollBar();
        horizontal_ = container_.HorizontalScrollBar();
    }
    std::vector<CControlUI*> Visit(UINT flags) {
        std::vector<CControlUI*> seen;
        container_.VisitControls(RecordVisit, &seen, flags);
        return seen;
    }
    CContainerUI container_;
    TrackedControl* first_ = new TrackedControl();
    TrackedControl* second_ = new TrackedControl();
    CScrollBarUI* vertical_ = nullptr;
    CScrollBarUI* horizontal_ = nullptr;
};

TEST_F(VisitOrderTest, BarsFirstThenChildrenAndContainerByTheFlags) {
    EXPECT_EQ(Visit(0), (std::vector<CControlUI*>{vertical_, horizontal_, first_, second_, &container_}));
    EXPECT_EQ(Visit(TavikUI::kVisitContainerFirst),
              (std::vector<CControlUI*>{vertical_, horizontal_, &container_, first_, second_}));
    EXPECT_EQ(Visit(TavikUI::kVisitLastChildFirst),
              (std::vector<CControlUI*>{vertical_, horizontal_, second_, first_, &container_}));
}

TEST_F(VisitOrderTest, HiddenOrDisabledContainersAreSkippedWhole) {
    container_.ShowOrHide(false);
    EXPECT_TRUE(Visit(TavikUI::kVisitVisibleOnly).empty());
    EXPECT_EQ(Visit(0).size(), 5u);
    container_.ShowOrHide(true);
    container_.SetEnabledState(false);
    EXPECT_TRUE(Visit(TavikUI::kVisitEnabledOnly).empty());
}

TEST_F(VisitOrderTest, HiddenPartsAreSkipped) {
    vertical_->ShowOrHide(false);
    first_->ShowOrHide(false);
    EXPECT_EQ(Visit(TavikUI::kVisitVisibleOnly), (std::vector<CControlUI*>{horizontal_, second_, &container_}));
}

TEST_F(VisitOrderTest, FirstAnswerEndsTheVisit) {
    struct Search {
        CControlUI* target;
        int visited;
    } search{first_, 0};
    auto find = [](CControlUI* control, void* data) -> CControlUI* {
        auto* s = static_cast<Search*>(data);
        ++s->visited;
        return control == s->target ? control : nullptr;
    };
    EXPECT_EQ(container_.VisitControls(find, &search, 0), first_);
    EXPECT_EQ(search.visited, 3);
}

// A 200 x 100 root with inset 10 in a window-less manager: a vertical bar at
// (174,10)-(190,90), a wide child stretched over the whole root, and a
// floating 10 x 10 child in the top-left corner.
class HitTestTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = new CContainerUI();
        manager_.AttachRoot(root_);
        root_->SetInsetRect(CUIRect(10, 10, 10, 10));
        root_->CreateScrollBars(true, false);
        wide_ = new TrackedControl();
        floating_ = new TrackedControl();
        floating_->SetFloating(true);
        floating_->SetDeclaredWidth(10);
        floating_->SetDeclaredHeight(10);
        root_->AddChild(wide_);
        root_->AddChild(floating_);
        root_->Place(CUIRect(0, 0, 200, 100));
        wide_->Place(CUIRect(0, 0, 200, 100));
        root_->VerticalScrollBar()->Place(CUIRect(174, 10, 190, 90));
    }
    CControlUI* HitAt(int x, int y) {
        POINT point = {x, y};
        return root_->VisitControls(AnswerHit, &point, kHitFlags);
    }
    CWindowManager manager_;
    CContainerUI* root_ = nullptr;
    TrackedControl* wide_ = nullptr;
    TrackedControl* floating_ = nullptr;
};

TEST_F(HitTestTest, ChildInsideTheScrollArea) {
    EXPECT_EQ(HitAt(50, 50), wide_);
    EXPECT_EQ(manager_.FindControlAt(POINT{50, 50}), wide_);
}

TEST_F(HitTestTest, BarBeforeTheChildren) { EXPECT_EQ(HitAt(180, 50), root_->VerticalScrollBar()); }

TEST_F(HitTestTest, ChildOutsideTheScrollAreaIsNotHit) {
    EXPECT_EQ(HitAt(5, 50), root_);
    EXPECT_EQ(HitAt(195, 50), root_);
}

TEST_F(HitTestTest, FloatingChildIsHitOutsideTheScrollArea) {
    ASSERT_TRUE(RectIs(floating_->Rect(), 0, 0, 10, 10));
    EXPECT_EQ(HitAt(5, 5), floating_);
}

TEST_F(HitTestTest, PointOutsideHitsNothing) {
    EXPECT_EQ(HitAt(250, 50), nullptr);
    EXPECT_EQ(root_->VisitControls(AnswerHit, nullptr, kHitFlags), nullptr);
}

TEST_F(HitTestTest, HiddenBarFreesItsStripForTheChildren) {
    root_->VerticalScrollBar()->ShowOrHide(false);
    EXPECT_EQ(HitAt(180, 50), wide_);
}

TEST_F(HitTestTest, WithoutMouseChildrenOnlyBarsAndTheContainer) {
    root_->SetChildrenReceiveMouse(false);
    EXPECT_EQ(HitAt(50, 50), root_);
    EXPECT_EQ(HitAt(5, 5), root_);
    EXPECT_EQ(HitAt(180, 50), root_->VerticalScrollBar());
}

// Painted into a 200 x 100 canvas: a blue root with inset 10, a red child
// over the whole root (non-floating), a green floating child at the top-left
// corner, and a vertical bar without images at (174,10)-(190,90).
class ContainerPaintTest : public ::testing::Test {
protected:
    static constexpr DWORD kBlue = 0x0000FF;
    static constexpr DWORD kRed = 0xFF0000;
    static constexpr DWORD kGreen = 0x00FF00;
    static constexpr DWORD kWhite = 0xFFFFFF;
    static constexpr DWORD kBarFrame = 0x85E4FF;

    void SetUp() override {
        root_ = new CContainerUI();
        manager_.AttachRoot(root_);
        root_->SetBackgroundColor(0xFF0000FF);
        root_->SetInsetRect(CUIRect(10, 10, 10, 10));
        root_->CreateScrollBars(true, false);
        wide_ = new TrackedControl();
        wide_->SetBackgroundColor(0xFFFF0000);
        floating_ = new TrackedControl();
        floating_->SetBackgroundColor(0xFF00FF00);
        floating_->SetFloating(true);
        floating_->SetDeclaredWidth(10);
        floating_->SetDeclaredHeight(10);
        root_->AddChild(wide_);
        root_->AddChild(floating_);
        root_->Place(CUIRect(0, 0, 200, 100));
        wide_->Place(CUIRect(0, 0, 200, 100));
        root_->VerticalScrollBar()->Place(CUIRect(174, 10, 190, 90));
    }
    CWindowManager manager_;
    CContainerUI* root_ = nullptr;
    TrackedControl* wide_ = nullptr;
    TrackedControl* floating_ = nullptr;
    PixelCanvas canvas_{200, 100};
};

TEST_F(ContainerPaintTest, ChildrenAreClippedToTheScrollArea) {
    root_->Paint(canvas_.DC(), CUIRect(0, 0, 200, 100));
    EXPECT_EQ(canvas_.At(50, 50), kRed);
    EXPECT_EQ(canvas_.At(173, 50), kRed);
    EXPECT_EQ(canvas_.At(5, 50), kBlue) << "the inset is not the child's";
    EXPECT_EQ(canvas_.At(195, 50), kBlue);
    EXPECT_EQ(canvas_.At(50, 95), kBlue);
    EXPECT_EQ(canvas_.At(5, 5), kGreen) << "floating children are clipped by the container only";
    EXPECT_EQ(canvas_.At(174, 10), kBarFrame) << "the bar paints over the children";
}

TEST_F(ContainerPaintTest, HiddenBarLeavesItsStripToTheChildren) {
    root_->VerticalScrollBar()->ShowOrHide(false);
    root_->Paint(canvas_.DC(), CUIRect(0, 0, 200, 100));
    EXPECT_EQ(canvas_.At(174, 10), kRed);
    EXPECT_EQ(canvas_.At(185, 50), kRed);
}

TEST_F(ContainerPaintTest, AreaOutsideTheScrollAreaPaintsOnlyFloatingChildren) {
    root_->Paint(canvas_.DC(), CUIRect(0, 0, 10, 100));
    EXPECT_EQ(canvas_.At(5, 5), kGreen);
    EXPECT_EQ(canvas_.At(5, 50), kBlue);
    EXPECT_EQ(canvas_.At(50, 50), kWhite) << "nothing outside the paint area";
}

TEST_F(ContainerPaintTest, AreaMissingTheContainerPaintsNothing) {
    root_->Place(CUIRect(0, 0, 100, 50));
    root_->Paint(canvas_.DC(), CUIRect(120, 60, 200, 100));
    EXPECT_EQ(canvas_.At(150, 80), kWhite);
    EXPECT_EQ(canvas_.At(50, 25), kWhite);
}

TEST_F(ContainerPaintTest, ClipIsRestoredAfterPainting) {
    root_->Place(CUIRect(0, 0, 100, 50));
    root_->Paint(canvas_.DC(), CUIRect(0, 0, 200, 100));
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    RECT corner = {150, 80, 200, 100};
    FillRect(canvas_.DC(), &corner, brush);
    DeleteObject(brush);
    EXPECT_EQ(canvas_.At(190, 90), kGreen);
}

}  // namespace
