#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <new>
#include <vector>

#include "MessagePump.h"
#include "WindowManager.h"
#include "WindowWnd.h"

using TavikUI::CWindowManager;
using TavikUI::CWindowWnd;
using testsupport::PumpPending;

namespace {

const UINT kProbeMessage = WM_APP + 77;

// A window of its own class that records what reaches it.
class RecordingWindow : public CWindowWnd {
public:
    RecordingWindow() { CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr)); }
    ~RecordingWindow() override {
        if (Handle()) {
            DestroyWindow(Handle());
        }
    }
    const wchar_t* WindowClassName() const override { return L"TavikRecordingWindow"; }
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NCCREATE) {
            sawCreate = true;
        }
        if (message == kProbeMessage) {
            probeWParam = wParam;
            probeLParam = lParam;
            return 1234;
        }
        return CallSavedProc(message, wParam, lParam);
    }
    void FinalMessage(HWND window) override {
        ++finalCount;
        finalWindow = window;
        handleAtFinal = Handle();
    }
    HWND CreatePopup(HWND owner, int x, int y, int cx, int cy) {
        return CreateNativeWindow(owner, L"recording", WS_POPUP, 0, x, y, cx, cy);
    }

    bool sawCreate = false;
    WPARAM probeWParam = 0;
    LPARAM probeLParam = 0;
    int finalCount = 0;
    HWND finalWindow = nullptr;
    HWND handleAtFinal = reinterpret_cast<HWND>(1);
};

// A superclass of the system edit control: the edit's own procedure keeps
// working behind the object.
class EditSuperclass : public RecordingWindow {
public:
    const wchar_t* WindowClassName() const override { return L"TavikEditSuperclass"; }
    const wchar_t* SuperclassName() const override { return L"EDIT"; }
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETTEXT) {
            ++setTextCount;
        }
        return RecordingWindow::HandleWindowMessage(message, wParam, lParam);
    }
    int setTextCount = 0;
};

class MissingSuperclass : public RecordingWindow {
public:
    const wchar_t* WindowClassName() const override { return L"TavikMissingSuperclass"; }
    const wchar_t* SuperclassName() const override { return L"TavikNoSuchClassAnywhere"; }
};

TEST(WindowRegistration, SecondWindowOfTheSameClassIsCreated) {
    RecordingWindow first;
    RecordingWindow second;
    ASSERT_NE(first.CreatePopup(nullptr, 0, 0, 50, 50), nullptr);
    ASSERT_NE(second.CreatePopup(nullptr, 0, 0, 50, 50), nullptr);
    EXPECT_TRUE(first.sawCreate);
    EXPECT_TRUE(second.sawCreate);
    EXPECT_NE(first.Handle(), second.Handle());
}

TEST(WindowRegistration, CreatedInRectTakesPositionAndSize) {
    RecordingWindow window;
    const RECT placement = {30, 40, 230, 190};
    ASSERT_NE(window.CreateNativeWindowInRect(nullptr, L"r", WS_POPUP, 0, placement), nullptr);
    RECT actual = {};
    GetWindowRect(window.Handle(), &actual);
    EXPECT_EQ(actual.left, 30);
    EXPECT_EQ(actual.top, 40);
    EXPECT_EQ(actual.right, 230);
    EXPECT_EQ(actual.bottom, 190);
}

TEST(WindowRegistration, MissingSuperclassCreatesNothing) {
    MissingSuperclass window;
    EXPECT_EQ(window.CreatePopup(nullptr, 0, 0, 10, 10), nullptr);
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_FALSE(window.sawCreate);
}

TEST(WindowProcedures, MessagesReachTheObjectAndResultsComeBack) {
    RecordingWindow window;
    ASSERT_NE(window.CreatePopup(nullptr, 0, 0, 50, 50), nullptr);
    EXPECT_EQ(window.SendToWindow(kProbeMessage, 5, -6), 1234);
    EXPECT_EQ(window.probeWParam, 5u);
    EXPECT_EQ(window.probeLParam, -6);
}

TEST(WindowProcedures, DestructionEndsWithFinalMessageAndNoHandle) {
    RecordingWindow window;
    const HWND handle = window.CreatePopup(nullptr, 0, 0, 50, 50);
    ASSERT_NE(handle, nullptr);
    DestroyWindow(handle);
    EXPECT_EQ(window.finalCount, 1);
    EXPECT_EQ(window.finalWindow, handle);
    EXPECT_EQ(window.handleAtFinal, nullptr);
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_FALSE(window.CloseWithCode(3));
}

// An object far above 4 GB only survives the round trip through the window
// when the window long is pointer-sized.
TEST(WindowProcedures, ObjectAboveFourGigabytesIsReachedThroughTheWindow) {
    if (sizeof(void*) < 8) {
        GTEST_SKIP() << "32-bit build";
    }
    void* block =
        VirtualAlloc(nullptr, sizeof(RecordingWindow), MEM_COMMIT | MEM_RESERVE | MEM_TOP_DOWN, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    ASSERT_GT(reinterpret_cast<uintptr_t>(block), uintptr_t{0xFFFFFFFF});
    auto* window = new (block) RecordingWindow();
    ASSERT_NE(window->CreatePopup(nullptr, 0, 0, 20, 20), nullptr);
    EXPECT_EQ(SendMessageW(window->Handle(), kProbeMessage, 1, 2), 1234);
    EXPECT_EQ(window->probeLParam, 2);
    const HWND handle = window->Handle();
    DestroyWindow(handle);
    EXPECT_EQ(window->finalWindow, handle);
    window->~RecordingWindow();
    VirtualFree(block, 0, MEM_RELEASE);
}

// A window object that leaves its window alive when it goes.
class LeavingWindow : public CWindowWnd {
public:
    const wchar_t* WindowClassName() const override { return L"TavikLeavingWindow"; }
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kProbeMessage) {
            return 55;
        }
        return CallSavedProc(message, wParam, lParam);
    }
};

TEST(WindowProcedures, ObjectDestroyedBeforeItsWindowIsNoLongerCalled) {
    CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr));
    auto* window = new LeavingWindow();
    const HWND handle = window->CreateNativeWindow(nullptr, L"leaving", WS_POPUP, 0, 0, 0, 20, 20);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(SendMessageW(handle, kProbeMessage, 0, 0), 55);
    delete window;
    ASSERT_TRUE(IsWindow(handle));
    EXPECT_EQ(SendMessageW(handle, kProbeMessage, 0, 0), 0);
    EXPECT_TRUE(DestroyWindow(handle));
}

TEST(WindowSuperclass, OwnObjectSeesMessagesAndBaseProcedureStillWorks) {
    EditSuperclass edit;
    ASSERT_NE(edit.CreatePopup(nullptr, 0, 0, 100, 30), nullptr);
    EXPECT_EQ(GetPropW(edit.Handle(), L"WndX"), static_cast<HANDLE>(&edit));
    SetWindowTextW(edit.Handle(), L"typed");
    wchar_t text[32] = {};
    GetWindowTextW(edit.Handle(), text, 32);
    EXPECT_STREQ(text, L"typed");
    EXPECT_GE(edit.setTextCount, 1);
    wchar_t className[64] = {};
    GetClassNameW(edit.Handle(), className, 64);
    EXPECT_STREQ(className, L"TavikEditSuperclass");
}

TEST(WindowSuperclass, DestructionClearsPropertyAndHandle) {
    EditSuperclass edit;
    const HWND handle = edit.CreatePopup(nullptr, 0, 0, 100, 30);
    ASSERT_NE(handle, nullptr);
    DestroyWindow(handle);
    EXPECT_EQ(edit.finalCount, 1);
    EXPECT_EQ(edit.Handle(), nullptr);
    EXPECT_EQ(edit.handleAtFinal, nullptr);
}

TEST(WindowSuperclass, SecondSuperclassWindowRegistersAgainHarmlessly) {
    EditSuperclass first;
    EditSuperclass second;
    ASSERT_NE(first.CreatePopup(nullptr, 0, 0, 10, 10), nullptr);
    ASSERT_NE(second.CreatePopup(nullptr, 0, 0, 10, 10), nullptr);
    SetWindowTextW(second.Handle(), L"two");
    wchar_t text[8] = {};
    GetWindowTextW(second.Handle(), text, 8);
    EXPECT_STREQ(text, L"two");
}

TEST(WindowSubclass, UnsubclassWithoutSubclassingKeepsTheProcedure) {
    RecordingWindow window;
    ASSERT_NE(window.CreatePopup(nullptr, 0, 0, 10, 10), nullptr);
    const LONG_PTR before = GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC);
    window.Unsubclass();
    EXPECT_EQ(GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC), before);
    EXPECT_EQ(window.SendToWindow(kProbeMessage), 1234);
}

TEST(WindowShow, ShowNativeShowsAndHides) {
    RecordingWindow window;
    window.ShowNative(true, true);  // no window yet: nothing happens
    ASSERT_NE(window.CreatePopup(nullptr, 0, 0, 10, 10), nullptr);
    window.ShowNative(true, false);
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    window.ShowNative(false, true);
    EXPECT_FALSE(IsWindowVisible(window.Handle()));
}

RECT WorkAreaNear(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

TEST(WindowCentring, CentresOnTheOwner) {
    RecordingWindow owner;
    ASSERT_NE(owner.CreatePopup(nullptr, 100, 100, 400, 300), nullptr);
    RecordingWindow dialog;
    ASSERT_NE(dialog.CreatePopup(owner.Handle(), 0, 0, 200, 100), nullptr);
    dialog.CenterOnOwner();
    RECT placed = {};
    GetWindowRect(dialog.Handle(), &placed);
    EXPECT_EQ(placed.left, 200);
    EXPECT_EQ(placed.top, 200);
    EXPECT_EQ(placed.right - placed.left, 200);
}

TEST(WindowCentring, StaysInsideTheWorkAreaNearItsEdge) {
    RecordingWindow owner;
    ASSERT_NE(owner.CreatePopup(nullptr, 0, 0, 100, 100), nullptr);
    const RECT work = WorkAreaNear(owner.Handle());
    RecordingWindow dialog;
    ASSERT_NE(dialog.CreatePopup(owner.Handle(), 500, 500, 400, 300), nullptr);
    dialog.CenterOnOwner();
    RECT placed = {};
    GetWindowRect(dialog.Handle(), &placed);
    EXPECT_EQ(placed.left, work.left);
    EXPECT_EQ(placed.top, work.top);
}

TEST(WindowCentring, WindowWiderThanTheWorkAreaStartsAtItsLeftEdge) {
    RecordingWindow window;
    ASSERT_NE(window.CreatePopup(nullptr, 0, 0, 100, 100), nullptr);
    const RECT work = WorkAreaNear(window.Handle());
    const int width = (work.right - work.left) + 300;
    SetWindowPos(window.Handle(), nullptr, 0, 0, width, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    window.CenterOnOwner();
    RECT placed = {};
    GetWindowRect(window.Handle(), &placed);
    ASSERT_EQ(placed.right - placed.left, width);
    EXPECT_EQ(placed.left, work.left);
    EXPECT_EQ(placed.top, (work.top + work.bottom) / 2 - 50);
}

TEST(WindowCentring, WindowBelowTheRightEdgeIsPulledBack) {
    RecordingWindow owner;
    ASSERT_NE(owner.CreatePopup(nullptr, 0, 0, 100, 100), nullptr);
    const RECT work = WorkAreaNear(owner.Handle());
    SetWindowPos(owner.Handle(), nullptr, work.right - 50, work.bottom - 50, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    RecordingWindow dialog;
    ASSERT_NE(dialog.CreatePopup(owner.Handle(), 0, 0, 300, 200), nullptr);
    dialog.CenterOnOwner();
    RECT placed = {};
    GetWindowRect(dialog.Handle(), &placed);
    EXPECT_EQ(placed.right, work.right);
    EXPECT_EQ(placed.bottom, work.bottom);
}

TEST(WindowModal, LoopEndsWithTheCodeItWasClosedWith) {
    RecordingWindow owner;
    ASSERT_NE(owner.CreatePopup(nullptr, 0, 0, 200, 200), nullptr);
    ShowWindow(owner.Handle(), SW_SHOWNORMAL);
    PumpPending();
    RecordingWindow dialog;
    ASSERT_NE(dialog.CreatePopup(owner.Handle(), 20, 20, 100, 100), nullptr);
    ASSERT_TRUE(dialog.CloseWithCode(7));
    const UINT code = dialog.RunModal();
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_EQ(dialog.finalCount, 1);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    EXPECT_EQ(GetFocus(), owner.Handle());
}

TEST(WindowModal, OwnerIsDisabledWhileTheLoopRuns) {
    RecordingWindow owner;
    ASSERT_NE(owner.CreatePopup(nullptr, 0, 0, 200, 200), nullptr);
    ShowWindow(owner.Handle(), SW_SHOWNORMAL);
    // A probe posted to the dialog runs inside the loop and looks at the owner.
    class ProbingDialog : public RecordingWindow {
    public:
        LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == kProbeMessage) {
                ownerEnabledInside = IsWindowEnabled(GetWindow(Handle(), GW_OWNER)) != FALSE;
                visibleInside = IsWindowVisible(Handle()) != FALSE;
                CloseWithCode(static_cast<UINT>(wParam));
                return 0;
            }
            return RecordingWindow::HandleWindowMessage(message, wParam, lParam);
        }
        bool ownerEnabledInside = true;
        bool visibleInside = false;
    };
    ProbingDialog dialog;
    ASSERT_NE(dialog.CreatePopup(owner.Handle(), 20, 20, 100, 100), nullptr);
    ASSERT_TRUE(dialog.PostToWindow(kProbeMessage, 42));
    EXPECT_EQ(dialog.RunModal(), 42u);
    EXPECT_FALSE(dialog.ownerEnabledInside);
    EXPECT_TRUE(dialog.visibleInside);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST(WindowModal, QuitEndsTheLoopAndIsPostedAgain) {
    RecordingWindow owner;
    ASSERT_NE(owner.CreatePopup(nullptr, 0, 0, 200, 200), nullptr);
    RecordingWindow dialog;
    ASSERT_NE(dialog.CreatePopup(owner.Handle(), 20, 20, 100, 100), nullptr);
    PostQuitMessage(9);
    EXPECT_EQ(dialog.RunModal(), 0u);
    EXPECT_TRUE(IsWindow(dialog.Handle()));
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    MSG quit = {};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 9u);
}

TEST(WindowModal, LoopWithoutWindowReturnsAtOnce) {
    RecordingWindow never;
    EXPECT_EQ(never.RunModal(), 0u);
}

TEST(WindowIcon, NothingHappensWithoutWindowOrResource) {
    RecordingWindow window;
    window.SetWindowIcon(1);
    ASSERT_NE(window.CreatePopup(nullptr, 0, 0, 10, 10), nullptr);
    window.SetWindowIcon(4242);
    EXPECT_EQ(window.SendToWindow(WM_GETICON, ICON_BIG), 0);
}

TEST(WindowIcon, ReplacedIconsAreDestroyedAndTheLastGoWithTheWindow) {
    constexpr UINT kIconResource = 451;  // WindowWndTestResources.rc
    RecordingWindow window;
    ASSERT_NE(window.CreatePopup(nullptr, 0, 0, 10, 10), nullptr);
    window.SetWindowIcon(kIconResource);
    const auto firstBig = reinterpret_cast<HICON>(window.SendToWindow(WM_GETICON, ICON_BIG));
    const auto firstSmall = reinterpret_cast<HICON>(window.SendToWindow(WM_GETICON, ICON_SMALL));
    ICONINFO info = {};
    ASSERT_TRUE(firstBig && GetIconInfo(firstBig, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    window.SetWindowIcon(kIconResource);
    const auto secondBig = reinterpret_cast<HICON>(window.SendToWindow(WM_GETICON, ICON_BIG));
    EXPECT_NE(secondBig, firstBig);
    EXPECT_FALSE(GetIconInfo(firstBig, &info));
    EXPECT_FALSE(GetIconInfo(firstSmall, &info));

    DestroyWindow(window.Handle());
    EXPECT_FALSE(GetIconInfo(secondBig, &info));
}

}  // namespace
