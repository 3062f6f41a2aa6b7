// Mouse messages become the right events on the right control: enter, leave
// and moves, presses with capture, double clicks, the wheel, hover with its
// tooltip, the capture control and the context menu.
#include <gtest/gtest.h>

#include "ManagerTestSupport.h"

namespace ManagerTests {
namespace {

using namespace TavikUI;

using MouseRouting = ManagerFixture;

TEST_F(MouseRouting, MovesEnterAndLeaveTheControlsUnderTheMouse) {
    Send(WM_MOUSEMOVE, 0, PointParam(20, 20));
    EXPECT_EQ(log_.TypesFor(a_), (std::vector<int>{kEventMouseEnter, kEventMouseMove}));
    EXPECT_EQ(log_.Last(a_, kEventMouseMove).point.x, 20);
    EXPECT_EQ(Manager().MousePoint().y, 20);

    Send(WM_MOUSEMOVE, 0, PointParam(150, 30));
    EXPECT_EQ(log_.TypesFor(a_), (std::vector<int>{kEventMouseEnter, kEventMouseMove, kEventMouseLeave}));
    EXPECT_EQ(log_.TypesFor(b_), (std::vector<int>{kEventMouseEnter, kEventMouseMove}));

    // Moving inside the same control enters nothing again.
    Send(WM_MOUSEMOVE, 0, PointParam(160, 30));
    EXPECT_EQ(log_.Count(b_, kEventMouseEnter), 1);
    EXPECT_EQ(log_.Count(b_, kEventMouseMove), 2);
}

TEST_F(MouseRouting, PressedControlKeepsTheMouseUntilTheButtonComesUp) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(20, 20));
    const EventRecord down = log_.Last(a_, kEventButtonDown);
    ASSERT_EQ(down.type, kEventButtonDown);
    EXPECT_EQ(down.keyState, MK_LBUTTON);
    EXPECT_EQ(down.lParam, PointParam(20, 20));
    EXPECT_TRUE(Manager().HasMouseCapture());
    EXPECT_EQ(GetCapture(), Handle());
    EXPECT_EQ(Manager().FocusedControl(), a_) << "the pressed control takes the focus";

    // Outside the window, and over B: the moves still go to A.
    Send(WM_MOUSEMOVE, MK_LBUTTON, PointParam(600, 20));
    Send(WM_MOUSEMOVE, MK_LBUTTON, PointParam(150, 20));
    EXPECT_EQ(log_.Count(a_, kEventMouseMove), 2);
    EXPECT_EQ(log_.Count(b_, kEventMouseMove), 0);
    EXPECT_EQ(log_.Last(a_, kEventMouseMove).point.x, 150);

    Send(WM_LBUTTONUP, 0, PointParam(150, 20));
    EXPECT_EQ(log_.Count(a_, kEventButtonUp), 1);
    EXPECT_EQ(log_.Count(b_, kEventButtonUp), 0);
    EXPECT_FALSE(Manager().HasMouseCapture());
    EXPECT_NE(GetCapture(), Handle());

    // With the press over, moves reach the control under the mouse again.
    Send(WM_MOUSEMOVE, 0, PointParam(150, 20));
    EXPECT_EQ(log_.Count(b_, kEventMouseMove), 1);
}

TEST_F(MouseRouting, RightButtonAndDoubleClickUseTheirOwnCodes) {
    Send(WM_RBUTTONDOWN, MK_RBUTTON, PointParam(150, 20));
    Send(WM_RBUTTONUP, 0, PointParam(150, 20));
    EXPECT_EQ(log_.Count(b_, kEventRightButtonDown), 1);
    EXPECT_EQ(log_.Count(b_, kEventRightButtonUp), 1);
    EXPECT_EQ(log_.Count(b_, kEventButtonDown), 0);

    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, PointParam(20, 20));
    EXPECT_EQ(log_.Last(a_, kEventDoubleClick).keyState, MK_LBUTTON);
    EXPECT_TRUE(Manager().HasMouseCapture());
    // The double-clicked control became the pressed one.
    Send(WM_MOUSEMOVE, MK_LBUTTON, PointParam(150, 20));
    EXPECT_EQ(log_.Count(a_, kEventMouseMove), 1);
    Send(WM_LBUTTONUP, 0, PointParam(150, 20));
    EXPECT_EQ(log_.Count(a_, kEventButtonUp), 1);
}

TEST_F(MouseRouting, ClicksOnNoControlReachNobody) {
    root_->SetAcceptsMouse(false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(300, 200));
    Send(WM_LBUTTONUP, 0, PointParam(300, 200));
    EXPECT_TRUE(log_.events.empty());
    EXPECT_FALSE(Manager().HasMouseCapture());
}

TEST_F(MouseRouting, WheelTowardsTheUserGivesOneAndAwayGivesZero) {
    POINT screen = {20, 20};
    ClientToScreen(Handle(), &screen);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), PointParam(screen.x, screen.y));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), PointParam(screen.x, screen.y));
    std::vector<WPARAM> directions;
    for (const EventRecord& record : log_.events) {
        if (record.receiver == a_ && record.type == kEventScrollWheel) {
            directions.push_back(record.wParam);
        }
    }
    EXPECT_EQ(directions, (std::vector<WPARAM>{1, 0}));
    // The wheel refreshes the hover with a move at the wheel's point.
    EXPECT_EQ(log_.Count(a_, kEventMouseEnter), 1);
    EXPECT_EQ(Manager().MousePoint().x, 20);
}

TEST_F(MouseRouting, MouseLeaveEndsTheHoverThroughAMoveOutside) {
    Send(WM_MOUSEMOVE, 0, PointParam(20, 20));  // arms tracking
    Send(WM_MOUSELEAVE);
    EXPECT_EQ(log_.TypesFor(a_).back(), kEventMouseLeave);
    EXPECT_EQ(Manager().MousePoint().x, -1);
    EXPECT_EQ(Manager().MousePoint().y, -1);
    // The hover is gone: coming back enters again.
    Send(WM_MOUSEMOVE, 0, PointParam(20, 20));
    EXPECT_EQ(log_.Count(a_, kEventMouseEnter), 2);

    // The pointer rests (the hover message ends the tracking), then leaves
    // the window in one jump: the leave still ends the hover.
    Send(WM_MOUSEHOVER, 0, PointParam(20, 20));
    Send(WM_MOUSELEAVE);
    EXPECT_EQ(log_.Count(a_, kEventMouseLeave), 2);
    EXPECT_EQ(log_.TypesFor(a_).back(), kEventMouseLeave);
}

TEST_F(MouseRouting, HoverReachesTheHoverControlAndShowsItsToolTip) {
    a_->SetToolTip(L"first<n>second");
    Send(WM_MOUSEMOVE, 0, PointParam(20, 20));
    EXPECT_EQ(Send(WM_MOUSEHOVER, 0, PointParam(20, 20)), 0);
    EXPECT_EQ(log_.Count(a_, kEventMouseHover), 1);

    // The tooltip window belongs to the managed window and holds the text.
    HWND tip = nullptr;
    for (HWND candidate = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); candidate;
         candidate = FindWindowExW(nullptr, candidate, TOOLTIPS_CLASSW, nullptr)) {
        if (GetWindow(candidate, GW_OWNER) == Handle()) {
            tip = candidate;
        }
    }
    ASSERT_NE(tip, nullptr);
    wchar_t text[64] = {};
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.hwnd = Handle();
    info.uId = reinterpret_cast<UINT_PTR>(Handle());
    info.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, L"first\r\nsecond");
}

TEST_F(MouseRouting, HoverOverNothingIsNotHandled) {
    root_->SetAcceptsMouse(false);
    LRESULT result = 0;
    EXPECT_FALSE(Manager().HandleWindowMessage(WM_MOUSEHOVER, 0, PointParam(300, 200), result));
    EXPECT_TRUE(Manager().HandleWindowMessage(WM_MOUSEHOVER, 0, PointParam(20, 20), result));
}

TEST_F(MouseRouting, CaptureControlGetsEveryMoveUntilTheCaptureEnds) {
    ASSERT_TRUE(a_->CaptureMouse());
    EXPECT_FALSE(b_->CaptureMouse()) << "one capture control at a time";
    Send(WM_MOUSEMOVE, 0, PointParam(150, 20));
    EXPECT_EQ(log_.TypesFor(a_), (std::vector<int>{kEventMouseMove}));
    EXPECT_TRUE(log_.TypesFor(b_).empty());

    // Hovering another control while A holds the capture is not handled.
    LRESULT result = 0;
    EXPECT_FALSE(Manager().HandleWindowMessage(WM_MOUSEHOVER, 0, PointParam(150, 20), result));

    Send(WM_CAPTURECHANGED, 0, 0);
    EXPECT_EQ(log_.Count(a_, kEventCaptureLost), 1);
    Send(WM_MOUSEMOVE, 0, PointParam(150, 20));
    EXPECT_EQ(log_.Count(b_, kEventMouseEnter), 1);
    EXPECT_TRUE(b_->CaptureMouse());
}

TEST_F(MouseRouting, ForgottenCaptureControlNoLongerGetsMoves) {
    ASSERT_TRUE(a_->CaptureMouse());
    Manager().ForgetControl(a_);
    Send(WM_MOUSEMOVE, 0, PointParam(150, 20));
    EXPECT_EQ(log_.Count(a_, kEventMouseMove), 0);
    EXPECT_EQ(log_.Count(b_, kEventMouseMove), 1);
}

TEST_F(MouseRouting, ContextMenuCarriesTheControlPointer) {
    POINT screen = {150, 20};
    ClientToScreen(Handle(), &screen);
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), PointParam(screen.x, screen.y));
    const EventRecord menu = log_.Last(b_, kEventContextMenu);
    ASSERT_EQ(menu.type, kEventContextMenu);
    // A pointer-sized lParam keeps the whole pointer on 64-bit builds.
    EXPECT_EQ(reinterpret_cast<CControlUI*>(menu.lParam), b_);
    EXPECT_EQ(menu.point.x, 150);
    // The pressed control was only lent for the menu.
    Send(WM_MOUSEMOVE, 0, PointParam(20, 20));
    EXPECT_EQ(log_.Count(b_, kEventMouseMove), 0);
}

TEST_F(MouseRouting, SetCursorAsksOnlyControlsThatWantIt) {
    SetCursorPos(150, 20);
    LRESULT result = 0;
    EXPECT_FALSE(Manager().HandleWindowMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()),
                                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), result));
    b_->behaviour = kBehaviourSetCursor;
    EXPECT_TRUE(Manager().HandleWindowMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()),
                                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), result));
    EXPECT_EQ(log_.Count(b_, kEventSetCursor), 1);
    EXPECT_EQ(log_.Last(b_, kEventSetCursor).point.x, 150);
    // Outside the client area the controls are not asked.
    EXPECT_FALSE(Manager().HandleWindowMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()),
                                               MAKELPARAM(HTCAPTION, WM_MOUSEMOVE), result));
    // While the window holds the capture the answer is given at once.
    Manager().CaptureMouse();
    EXPECT_TRUE(Manager().HandleWindowMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()),
                                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), result));
    Manager().ReleaseMouse();
    EXPECT_EQ(log_.Count(b_, kEventSetCursor), 1);
    SetCursorPos(1200, 1000);
}

TEST_F(MouseRouting, FindControlAtAnswersTheTopmostVisibleControl) {
    EXPECT_EQ(Manager().FindControlAt(POINT{20, 20}), a_);
    EXPECT_EQ(Manager().FindControlAt(POINT{300, 200}), root_);
    EXPECT_EQ(Manager().FindControlAt(POINT{500, 200}), nullptr);
    a_->ShowOrHide(false);
    EXPECT_EQ(Manager().FindControlAt(POINT{20, 20}), root_);
}

TEST_F(MouseRouting, ControlsOfAnotherManagerAreIgnored) {
    CWindowManager other;
    a_->AttachToManager(&other, root_, false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(20, 20));
    Send(WM_MOUSEMOVE, 0, PointParam(20, 20));
    EXPECT_TRUE(log_.TypesFor(a_).empty());
    EXPECT_FALSE(Manager().HasMouseCapture());
    a_->AttachToManager(&Manager(), root_, false);
}

TEST_F(MouseRouting, CloseEndsTheHoverAndThePressAndDropsTheFocus) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(20, 20));
    Send(WM_MOUSEMOVE, MK_LBUTTON, PointParam(20, 20));
    LRESULT result = 0;
    EXPECT_FALSE(Manager().HandleWindowMessage(WM_CLOSE, 0, 0, result));
    EXPECT_EQ(log_.Count(a_, kEventMouseLeave), 1);
    EXPECT_EQ(log_.Count(a_, kEventButtonUp), 1);
    EXPECT_EQ(log_.Count(a_, kEventKillFocus), 1);
    EXPECT_EQ(Manager().FocusedControl(), nullptr);
    Manager().ReleaseMouse();
}

}  // namespace
}  // namespace ManagerTests
