// Painting: the tree paints through the off-screen bitmap into the window,
// WM_PRINTCLIENT paints into any DC (children included when asked), layout
// runs only for the controls that asked, and show-dirty outlines updates.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "ManagerTestSupport.h"

namespace ManagerTests {
namespace {

using namespace TavikUI;
using ControlTests::FunctionDelegate;
using ControlTests::PixelCanvas;

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kBlue = 0x0000FF;
constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kUntouched = 0x123456;

class Painting : public ManagerFixture {
protected:
    // What the window shows now, read back through its DC.
    DWORD ScreenPixel(int x, int y) {
        PixelCanvas canvas(1, 1, kUntouched);
        HDC window = GetDC(Handle());
        BitBlt(canvas.DC(), 0, 0, 1, 1, window, x, y, SRCCOPY);
        ReleaseDC(Handle(), window);
        return canvas.At(0, 0);
    }
};

TEST_F(Painting, PrintClientPaintsTheTreeIntoTheGivenDC) {
    PixelCanvas canvas(400, 300, kUntouched);
    Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    EXPECT_EQ(canvas.At(20, 20), kRed);
    EXPECT_EQ(canvas.At(150, 20), kBlue);
    EXPECT_EQ(canvas.At(300, 200), kWhite);
    EXPECT_EQ(canvas.At(399, 299), kWhite);
}

// A child window that paints itself green when printed.
LRESULT CALLBACK GreenChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PRINT) {
        RECT client;
        GetClientRect(window, &client);
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        FillRect(reinterpret_cast<HDC>(wParam), &client, green);
        DeleteObject(green);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(Painting, PrintClientWithChildrenPrintsEachChildAtItsPlace) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = GreenChildProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TavikGreenChild";
    RegisterClassW(&windowClass);
    HWND child = CreateWindowExW(0, L"TavikGreenChild", nullptr, WS_CHILD, 250, 100, 50, 40, Handle(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(child, nullptr);

    PixelCanvas plain(400, 300, kUntouched);
    Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(plain.DC()), PRF_CLIENT);
    EXPECT_EQ(plain.At(260, 110), kWhite);

    PixelCanvas withChildren(400, 300, kUntouched);
    Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(withChildren.DC()), PRF_CLIENT | PRF_CHILDREN);
    EXPECT_EQ(withChildren.At(250, 100), 0x00FF00u);
    EXPECT_EQ(withChildren.At(299, 139), 0x00FF00u);
    EXPECT_EQ(withChildren.At(249, 100), kWhite);
    EXPECT_EQ(withChildren.At(300, 140), kWhite);
    // The origin is put back after each child.
    POINT origin = {1, 1};
    GetWindowOrgEx(withChildren.DC(), &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    DestroyWindow(child);
}

TEST_F(Painting, PaintGoesThroughTheOffscreenBitmap) {
    auto* overlay = root_->Add(new TestControl(&log_, L"overlay"), RECT{0, 0, 0, 0});
    Manager().RegisterPostPaintControl(overlay);
    RepaintNow();
    EXPECT_EQ(log_.paints, (std::vector<std::wstring>{L"root:memory", L"A:memory", L"B:memory", L"post:overlay"}));
    EXPECT_EQ(ScreenPixel(20, 20), kRed);
    EXPECT_EQ(ScreenPixel(150, 20), kBlue);
    EXPECT_EQ(ScreenPixel(300, 200), kWhite);
    EXPECT_TRUE(Manager().UnregisterPostPaintControl(overlay));
}

TEST_F(Painting, OnlyTheUpdatedPartIsPainted) {
    InvalidateRect(Handle(), &b_->Rect(), FALSE);
    UpdateWindow(Handle());
    EXPECT_EQ(log_.paints, (std::vector<std::wstring>{L"root:memory", L"B:memory"}));
    RECT update;
    EXPECT_FALSE(GetUpdateRect(Handle(), &update, FALSE));
}

TEST_F(Painting, LayoutPlacesOnlyTheControlsThatAsked) {
    int rootPlaced = 0;
    int aPlaced = 0;
    root_->SizeDelegates().Add(FunctionDelegate([&](void*) { return ++rootPlaced, true; }));
    a_->SizeDelegates().Add(FunctionDelegate([&](void*) { return ++aPlaced, true; }));
    a_->MarkForLayout();
    RepaintNow();
    EXPECT_EQ(aPlaced, 1);
    EXPECT_EQ(rootPlaced, 0);
    EXPECT_FALSE(a_->NeedsLayout());
    RepaintNow();
    EXPECT_EQ(aPlaced, 1) << "nothing asked again";
}

TEST_F(Painting, NewClientSizeLaysOutTheRootAndRemakesTheBitmap) {
    RECT before;
    GetWindowRect(Handle(), &before);
    SetWindowPos(Handle(), nullptr, 0, 0, 500, 350, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RepaintNow();
    EXPECT_EQ(root_->Rect().right, 500);
    EXPECT_EQ(root_->Rect().bottom, 350);
    EXPECT_EQ(ScreenPixel(450, 320), kWhite);
    EXPECT_EQ(ScreenPixel(20, 20), kRed);
    SetWindowPos(Handle(), nullptr, 0, 0, before.right - before.left, before.bottom - before.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RepaintNow();
}

TEST_F(Painting, ShowDirtyOutlinesTheUpdateRectangleInRed) {
    Manager().SetShowDirty(true);
    const RECT area = {250, 100, 350, 200};
    InvalidateRect(Handle(), &area, FALSE);
    UpdateWindow(Handle());
    EXPECT_EQ(ScreenPixel(250, 100), 0xDC0000u);
    EXPECT_EQ(ScreenPixel(349, 199), 0xDC0000u);
    EXPECT_EQ(ScreenPixel(300, 150), kWhite);
    Manager().SetShowDirty(false);
    InvalidateRect(Handle(), &area, FALSE);
    UpdateWindow(Handle());
    EXPECT_EQ(ScreenPixel(250, 100), kWhite);
}

TEST_F(Painting, EraseIsAnsweredAndAWindowWithoutRootIsOnlyValidated) {
    LRESULT result = 0;
    EXPECT_TRUE(Manager().HandleWindowMessage(WM_ERASEBKGND, 0, 0, result));
    EXPECT_EQ(result, 1);

    CWindowManager bare;
    bare.Attach(Handle());
    host_->manager = &bare;
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
    RECT update;
    EXPECT_FALSE(GetUpdateRect(Handle(), &update, FALSE));
    host_->manager = &Manager();
    EXPECT_TRUE(log_.paints.empty());
}

}  // namespace
}  // namespace ManagerTests
