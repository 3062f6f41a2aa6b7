// The frame a skin window emulates: caption and border hit codes, the
// non-client messages, minimum and maximum sizes and the rounded region.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "SkinWindowTestSupport.h"

namespace {

using SkinWindowTests::SkinWindowFixture;
using SkinWindowTests::TestSkinWindow;

// 400 x 300; caption: columns 10..389, rows 0..39; border: 5 left, 6 top,
// 7 right, 8 bottom. The caption row holds, from the left: a plain control
// (0-19), a label (20-99), a button (100-139), an option (140-179), a check
// box (180-219), a text-class control (220-259), a GIF button (260-299) and
// a plain control to the end.
const wchar_t kFrameSkin[] =
    L"<Window size=\"400,300\" caption=\"10,0,10,40\" sizebox=\"5,6,7,8\">"
    L"<VerticalLayout name=\"root\">"
    L"<HorizontalLayout name=\"bar\" height=\"40\">"
    L"<Control name=\"gap\" width=\"20\"/>"
    L"<Label name=\"title\" width=\"80\"/>"
    L"<Button name=\"closebtn\" width=\"40\"/>"
    L"<Option name=\"opt\" width=\"40\"/>"
    L"<CheckBox name=\"check\" width=\"40\"/>"
    L"<TestText name=\"text\" width=\"40\"/>"
    L"<ControlGif name=\"gif\" width=\"40\"/>"
    L"<Control name=\"rest\"/>"
    L"</HorizontalLayout>"
    L"<Control name=\"body\"/>"
    L"</VerticalLayout>"
    L"</Window>";

class SkinWindowFrameTest : public SkinWindowFixture {
protected:
    std::unique_ptr<TestSkinWindow> Open(const wchar_t* skin, int x = 100, int y = 80, DWORD style = WS_POPUP) {
        auto window = std::make_unique<TestSkinWindow>(skin);
        EXPECT_NE(window->Create(x, y, style), nullptr);
        window->LayOut();
        return window;
    }
};

TEST_F(SkinWindowFrameTest, BordersAnswerTheirSizingCodes) {
    auto window = Open(kFrameSkin);
    EXPECT_EQ(window->HitTestAt(2, 2), HTTOPLEFT);
    EXPECT_EQ(window->HitTestAt(4, 5), HTTOPLEFT);
    EXPECT_EQ(window->HitTestAt(5, 5), HTTOP);
    EXPECT_EQ(window->HitTestAt(200, 0), HTTOP);
    EXPECT_EQ(window->HitTestAt(393, 5), HTTOP);
    EXPECT_EQ(window->HitTestAt(394, 5), HTTOPRIGHT);
    EXPECT_EQ(window->HitTestAt(4, 150), HTLEFT);
    EXPECT_EQ(window->HitTestAt(394, 150), HTRIGHT);
    EXPECT_EQ(window->HitTestAt(2, 299), HTBOTTOMLEFT);
    EXPECT_EQ(window->HitTestAt(200, 293), HTBOTTOM);
    EXPECT_EQ(window->HitTestAt(399, 299), HTBOTTOMRIGHT);
    // Just inside each border.
    EXPECT_EQ(window->HitTestAt(5, 150), HTCLIENT);
    EXPECT_EQ(window->HitTestAt(393, 150), HTCLIENT);
    EXPECT_EQ(window->HitTestAt(200, 292), HTCLIENT);
}

TEST_F(SkinWindowFrameTest, CaptionDragsExceptOverButtonsOptionsAndText) {
    auto window = Open(kFrameSkin);
    EXPECT_EQ(window->HitTestAt(50, 20), HTCAPTION);   // label
    EXPECT_EQ(window->HitTestAt(15, 20), HTCAPTION);   // plain control
    EXPECT_EQ(window->HitTestAt(350, 20), HTCAPTION);  // plain control
    EXPECT_EQ(window->HitTestAt(280, 20), HTCAPTION);  // "ButtonGifUI" is not a button class here
    EXPECT_EQ(window->HitTestAt(120, 20), HTCLIENT);   // button
    EXPECT_EQ(window->HitTestAt(160, 20), HTCLIENT);   // option
    EXPECT_EQ(window->HitTestAt(200, 20), HTCLIENT);   // check box ("ButtonUI")
    EXPECT_EQ(window->HitTestAt(240, 20), HTCLIENT);   // "textUI", any case
    // The caption rectangle's edges: rows 0..39, columns 10..389.
    EXPECT_EQ(window->HitTestAt(50, 39), HTCAPTION);
    EXPECT_EQ(window->HitTestAt(50, 40), HTCLIENT);
    EXPECT_EQ(window->HitTestAt(10, 20), HTCAPTION);
    EXPECT_EQ(window->HitTestAt(9, 20), HTCLIENT);
    EXPECT_EQ(window->HitTestAt(389, 20), HTCAPTION);
    EXPECT_EQ(window->HitTestAt(390, 20), HTCLIENT);
    EXPECT_EQ(window->HitTestAt(200, 150), HTCLIENT);
}

TEST_F(SkinWindowFrameTest, CaptionPointOnNoControlIsClientArea) {
    auto window =
        Open(L"<Window size=\"400,300\" caption=\"0,0,0,40\"><Control name=\"deaf\" mouse=\"false\"/></Window>");
    ASSERT_NE(window->Control(L"deaf"), nullptr);
    EXPECT_EQ(window->HitTestAt(100, 20), HTCLIENT);
}

TEST_F(SkinWindowFrameTest, PointsLeftOfAndAboveTheScreenOriginAreSigned) {
    auto window = Open(kFrameSkin, -100, -50);
    EXPECT_EQ(window->HitTestAt(2, 2), HTTOPLEFT);
    EXPECT_EQ(window->HitTestAt(50, 20), HTCAPTION);
    EXPECT_EQ(window->HitTestAt(120, 20), HTCLIENT);
}

TEST_F(SkinWindowFrameTest, ZeroSizeBoxNeverAnswersABorderCode) {
    auto window = Open(L"<Window size=\"400,300\" caption=\"0,0,0,40\" sizebox=\"0,0,0,0\"><Control/></Window>");
    RECT client = {};
    GetClientRect(window->Handle(), &client);
    for (int x = 0; x < client.right; x += 3) {
        for (int y : {0, 1, static_cast<int>(client.bottom) - 2, static_cast<int>(client.bottom) - 1}) {
            const LRESULT code = window->HitTestAt(x, y);
            EXPECT_TRUE(code == HTCAPTION || code == HTCLIENT) << x << "," << y << " -> " << code;
        }
    }
    for (int y = 0; y < client.bottom; y += 3) {
        for (int x : {0, static_cast<int>(client.right) - 1}) {
            const LRESULT code = window->HitTestAt(x, y);
            EXPECT_TRUE(code == HTCAPTION || code == HTCLIENT) << x << "," << y << " -> " << code;
        }
    }
}

TEST_F(SkinWindowFrameTest, CreationDropsTheSystemCaptionAndMakesTheWholeWindowClientArea) {
    auto window = Open(kFrameSkin, 100, 80, WS_OVERLAPPEDWINDOW);
    const LONG style = GetWindowLongW(window->Handle(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN), WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    EXPECT_NE(style & WS_THICKFRAME, 0);
    EXPECT_EQ(window->WindowStyle() & WS_CAPTION, 0);
    RECT frame = {};
    RECT client = {};
    GetWindowRect(window->Handle(), &frame);
    GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right, frame.right - frame.left);
    EXPECT_EQ(client.bottom, frame.bottom - frame.top);
    // The skin's size.
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_NE(GetClassLongPtrW(window->Handle(), GCL_STYLE) & CS_DBLCLKS, 0u);
}

TEST_F(SkinWindowFrameTest, NonClientActivationAndPaintAreAnsweredWithoutAFrame) {
    auto window = Open(kFrameSkin);
    EXPECT_EQ(window->SendToWindow(WM_NCACTIVATE, FALSE, 0), 1);
    EXPECT_EQ(window->SendToWindow(WM_NCACTIVATE, TRUE, 0), 0);
    EXPECT_EQ(window->SendToWindow(WM_NCPAINT, 1, 0), 0);
    RECT proposed = {10, 20, 110, 220};
    EXPECT_EQ(window->SendToWindow(WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&proposed)), 0);
    EXPECT_EQ(proposed.left, 10);
    EXPECT_EQ(proposed.right, 110);
    EXPECT_EQ(proposed.bottom, 220);
}

TEST_F(SkinWindowFrameTest, MinimumAndMaximumTrackSizesComeFromTheSkinAndTheWorkArea) {
    auto window = Open(L"main.xml");  // mininfo 320,200; maxinfo 900,700
    MINMAXINFO info = {};
    info.ptMaxSize = {1234, 567};
    info.ptMinTrackSize = {1, 1};
    info.ptMaxTrackSize = {5000, 5000};
    window->SendToWindow(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 320);
    EXPECT_EQ(info.ptMinTrackSize.y, 200);
    EXPECT_EQ(info.ptMaxTrackSize.x, 900);
    EXPECT_EQ(info.ptMaxTrackSize.y, 700);
    EXPECT_EQ(info.ptMaxSize.x, 1234);
    EXPECT_EQ(info.ptMaxSize.y, 567);

    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window->Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_EQ(info.ptMaxPosition.x, monitor.rcWork.left - monitor.rcMonitor.left);
    EXPECT_EQ(info.ptMaxPosition.y, monitor.rcWork.top - monitor.rcMonitor.top);

    // Without "maxinfo" the work area limits the size; without "mininfo" the
    // minimum is 0.
    auto plain = Open(kFrameSkin);
    MINMAXINFO open = {};
    open.ptMinTrackSize = {50, 50};
    plain->SendToWindow(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&open));
    EXPECT_EQ(open.ptMaxTrackSize.x, monitor.rcWork.right - monitor.rcWork.left);
    EXPECT_EQ(open.ptMaxTrackSize.y, monitor.rcWork.bottom - monitor.rcWork.top);
    EXPECT_EQ(open.ptMinTrackSize.x, 0);
    EXPECT_EQ(open.ptMinTrackSize.y, 0);
}

TEST_F(SkinWindowFrameTest, RoundCornersFollowEverySizeChange) {
    auto window = Open(L"main.xml");  // roundcorner 6,6
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window->Handle(), region), ERROR);
    RECT box = {};
    GetRgnBox(region, &box);
    EXPECT_EQ(box.right, 420);
    EXPECT_EQ(box.bottom, 280);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, 419, 279));
    EXPECT_TRUE(PtInRegion(region, 210, 0));
    EXPECT_TRUE(PtInRegion(region, 419, 140));
    EXPECT_TRUE(PtInRegion(region, 210, 279));
    EXPECT_TRUE(PtInRegion(region, 3, 3));

    SetWindowPos(window->Handle(), nullptr, 0, 0, 330, 210, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_NE(GetWindowRgn(window->Handle(), region), ERROR);
    GetRgnBox(region, &box);
    EXPECT_EQ(box.right, 330);
    EXPECT_EQ(box.bottom, 210);
    EXPECT_TRUE(PtInRegion(region, 329, 100));
    EXPECT_FALSE(PtInRegion(region, 329, 209));
    DeleteObject(region);
}

TEST_F(SkinWindowFrameTest, NoRoundCornerLeavesTheWindowWithoutARegion) {
    auto window = Open(kFrameSkin);
    SetWindowPos(window->Handle(), nullptr, 0, 0, 350, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(window->Handle(), region), ERROR);
    DeleteObject(region);
}

TEST_F(SkinWindowFrameTest, MaximisedWindowFillsTheWorkAreaAndHasNoBorders) {
    auto window = Open(kFrameSkin);
    ShowWindow(window->Handle(), SW_MAXIMIZE);
    SkinWindowTests::PumpFor(50);
    ASSERT_TRUE(IsZoomed(window->Handle()));
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window->Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    RECT client = {};
    GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right, monitor.rcWork.right - monitor.rcWork.left);
    EXPECT_EQ(client.bottom, monitor.rcWork.bottom - monitor.rcWork.top);
    window->LayOut();
    // The corner would be HTTOPLEFT on a normal window.
    EXPECT_EQ(window->HitTestAt(1, 1), HTCLIENT);
    EXPECT_EQ(window->HitTestAt(client.right - 1, client.bottom - 1), HTCLIENT);
    EXPECT_EQ(window->HitTestAt(50, 20), HTCAPTION);

    // WM_NCCALCSIZE keeps the proposed corner and sizes it to the work area.
    RECT proposed = {-4, -4, 10, 10};
    EXPECT_EQ(window->SendToWindow(WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&proposed)), WVR_REDRAW);
    EXPECT_EQ(proposed.left, -4);
    EXPECT_EQ(proposed.top, -4);
    EXPECT_EQ(proposed.right - proposed.left, monitor.rcWork.right - monitor.rcWork.left);
    EXPECT_EQ(proposed.bottom - proposed.top, monitor.rcWork.bottom - monitor.rcWork.top);
}

}  // namespace
