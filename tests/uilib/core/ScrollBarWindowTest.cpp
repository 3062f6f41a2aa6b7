// A container's scroll bar driven through a real window: the manager lays the
// tree out at the first paint, window messages press, drag and release, and
// the manager's timer repeats the held button.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "ContainerTestSupport.h"
#include "ManagerTestSupport.h"
#include "ScrollBarUI.h"
#include "WindowManager.h"

using ContainerTests::RectIs;
using ContainerTests::ScrollingStub;
using ManagerTests::HostWindow;
using ManagerTests::PointParam;
using ManagerTests::PumpFor;
using ManagerTests::PumpPending;
using ManagerTests::PumpUntil;
using TavikUI::CScrollBarUI;
using TavikUI::CWindowManager;

namespace {

// The shared 400 x 300 window at the screen origin with a root stand-in
// layout whose content is 1000 high: its bar sits at (384,0)-(400,300) with
// range 700.
class ScrollBarWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCursorPos(1200, 1000);
        host_ = &HostWindow::Shared();
        ASSERT_NE(host_->Handle(), nullptr) << "no X display?";
        manager_ = host_->AttachNewManager();
        root_ = new ScrollingStub();
        root_->CreateScrollBars(true, false);
        root_->SetContentHeight(1000);
        manager_->AttachRoot(root_);
        InvalidateRect(host_->Handle(), nullptr, FALSE);
        UpdateWindow(host_->Handle());
        bar_ = root_->VerticalScrollBar();
    }
    void TearDown() override {
        SetCursorPos(1200, 1000);
        host_->manager = nullptr;
        manager_.reset();
        ReleaseCapture();
        PumpPending();
    }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageW(host_->Handle(), message, wParam, lParam);
    }
    int Position() const { return root_->ScrollPosition().cy; }

    HostWindow* host_ = nullptr;
    std::unique_ptr<CWindowManager> manager_;
    ScrollingStub* root_ = nullptr;
    CScrollBarUI* bar_ = nullptr;
};

TEST_F(ScrollBarWindowTest, FirstPaintLaysOutTheBar) {
    ASSERT_TRUE(bar_->IsVisible());
    EXPECT_EQ(bar_->Range(), 700);
    EXPECT_TRUE(RectIs(bar_->Rect(), 384, 0, 400, 300));
    EXPECT_EQ(manager_->FindControlAt(POINT{392, 150}), bar_);
}

TEST_F(ScrollBarWindowTest, HeldButtonRepeatsUntilReleased) {
    const int line = manager_->DefaultFontRecord()->metrics.tmHeight + 8;
    ASSERT_TRUE(SetCursorPos(392, 295));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(392, 295));
    EXPECT_EQ(Position(), line);
    PumpFor(200);
    EXPECT_LE(Position(), 2 * line) << "no repeat before the sixth tick";
    PumpUntil([&] { return Position() >= 4 * line; }, 2000);
    EXPECT_GE(Position(), 4 * line);
    Send(WM_LBUTTONUP, 0, PointParam(392, 295));
    PumpFor(50);
    EXPECT_EQ(bar_->Button2State() & CScrollBarUI::kStatePushed, 0u) << "the capture loss ends the press";
    const int released = Position();
    PumpFor(400);
    EXPECT_EQ(Position(), released);
}

TEST_F(ScrollBarWindowTest, ThumbDragThroughMessages) {
    const RECT thumb = bar_->ThumbRect();
    const int grabY = (thumb.top + thumb.bottom) / 2;
    // The pointer itself goes along: the system adds moves of its own while
    // the window holds the capture.
    ASSERT_TRUE(SetCursorPos(392, grabY));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(392, grabY));
    ASSERT_NE(bar_->ThumbState() & CScrollBarUI::kStateDragging, 0u);
    // Travel of a quarter of the free track moves a quarter of the range.
    const int span = 300 - 2 * 16 - (thumb.bottom - thumb.top);
    ASSERT_TRUE(SetCursorPos(392, grabY + span / 4));
    Send(WM_MOUSEMOVE, MK_LBUTTON, PointParam(392, grabY + span / 4));
    PumpUntil([&] { return Position() != 0; }, 1000);
    EXPECT_EQ(Position(), (span / 4) * 700 / span);
    Send(WM_LBUTTONUP, 0, PointParam(392, grabY + span / 4));
    PumpFor(50);
    EXPECT_EQ(bar_->ThumbState() & CScrollBarUI::kStateDragging, 0u);
}

TEST_F(ScrollBarWindowTest, WheelOverTheContentScrolls) {
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), PointParam(100, 100));
    EXPECT_GT(Position(), 0);
}

}  // namespace
