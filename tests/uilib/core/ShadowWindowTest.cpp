// The drop shadow window following its parent: creation, moves, sizes,
// minimising, hiding, and what happens when it is attached twice or when the
// shadow or the window goes first.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "ShadowWindow.h"
#include "WindowManager.h"
#include "WindowWnd.h"

namespace {

using TavikUI::CShadowWindow;

constexpr UINT kPing = WM_APP + 40;
constexpr LRESULT kPong = 77;

// Registration is once per process; every test starts from here.
bool EnsureShadows() {
    static const bool registeredHere = [] {
        TavikUI::CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr));
        return CShadowWindow::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
    }();
    return registeredHere;
}

// A plain top-level window with a rounded region that counts the messages
// its own procedure sees.
class ParentWindow : public TavikUI::CWindowWnd {
public:
    ~ParentWindow() override {
        if (Handle() && IsWindow(Handle())) {
            DestroyWindow(Handle());
        }
    }
    const wchar_t* WindowClassName() const override { return L"TavikShadowTestParent"; }
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        ++seen[message];
        if (message == kPing) {
            return kPong;
        }
        return CallSavedProc(message, wParam, lParam);
    }
    void FinalMessage(HWND) override {
        if (onFinal) {
            onFinal();
        }
    }
    HWND Open(bool visible, int x = 200, int y = 150, int cx = 120, int cy = 80) {
        const HWND window =
            CreateNativeWindow(nullptr, L"shadow parent", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, x, y, cx, cy);
        if (window) {
            SetWindowRgn(window, CreateRoundRectRgn(0, 0, cx + 1, cy + 1, 8, 8), FALSE);
        }
        return window;
    }

    std::map<UINT, int> seen;
    std::function<void()> onFinal;
};

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT Moved(RECT rect, int dx, int dy, int grow) {
    return {rect.left + dx - grow, rect.top + dy - grow, rect.right + dx + grow, rect.bottom + dy + grow};
}

void ExpectRect(const RECT& actual, const RECT& expected) {
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
}

struct ShadowCount {
    HWND owner;
    int count;
};

BOOL CALLBACK CountShadows(HWND window, LPARAM data) {
    auto* counted = reinterpret_cast<ShadowCount*>(data);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 63);
    if (wcscmp(className, L"TesvoShadowWnd") == 0 && GetWindow(window, GW_OWNER) == counted->owner) {
        ++counted->count;
    }
    return TRUE;
}

// Shadow windows the parent owns.
int ShadowsOf(HWND parent) {
    ShadowCount counted = {parent, 0};
    EnumWindows(CountShadows, reinterpret_cast<LPARAM>(&counted));
    return counted.count;
}

WNDPROC ProcedureOf(HWND window) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)); }

// Tests whose point does not need a visible window keep their parents hidden:
// taking down a shown window costs Wine two seconds.
class ShadowWindowTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureShadows(); }
};

TEST_F(ShadowWindowTest, RegistrationHappensOncePerProcess) {
    EXPECT_TRUE(EnsureShadows());
    EXPECT_FALSE(CShadowWindow::RegisterShadowWindowClass(GetModuleHandleW(nullptr)));
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"TesvoShadowWnd", &windowClass));
    EXPECT_EQ(windowClass.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
}

TEST_F(ShadowWindowTest, VisibleParentGetsAShownLayeredOwnedShadow) {
    ParentWindow parent;
    ASSERT_NE(parent.Open(true), nullptr);
    CShadowWindow shadow;
    ASSERT_TRUE(shadow.AttachShadow(parent.Handle()));
    const HWND handle = shadow.ShadowHandle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(shadow.StatusFlags(),
              CShadowWindow::kEnabled | CShadowWindow::kShadowShown | CShadowWindow::kParentVisible);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_EQ(GetWindow(handle, GW_OWNER), parent.Handle());
    const LONG_PTR extended = GetWindowLongPtrW(handle, GWL_EXSTYLE);
    EXPECT_EQ(extended & (WS_EX_LAYERED | WS_EX_TRANSPARENT), WS_EX_LAYERED | WS_EX_TRANSPARENT);
    // Defaults: no spread, offset 5, 5.
    ExpectRect(WindowRect(handle), Moved(WindowRect(parent.Handle()), 5, 5, 0));

    shadow.SetSize(4);
    shadow.SetOffset(0, 0);
    shadow.RedrawShadow(parent.Handle());
    ExpectRect(WindowRect(handle), Moved(WindowRect(parent.Handle()), 0, 0, 4));

    // The parent's own procedure still sees each message once.
    EXPECT_EQ(ProcedureOf(parent.Handle()), &CShadowWindow::ShadowParentProc);
    EXPECT_EQ(SendMessageW(parent.Handle(), kPing, 0, 0), kPong);
    EXPECT_EQ(parent.seen[kPing], 1);
}

TEST_F(ShadowWindowTest, HiddenParentGetsItsShadowWhenFirstShown) {
    ParentWindow parent;
    ASSERT_NE(parent.Open(false), nullptr);
    CShadowWindow shadow;
    ASSERT_TRUE(shadow.AttachShadow(parent.Handle()));
    EXPECT_EQ(shadow.StatusFlags(), CShadowWindow::kEnabled);
    EXPECT_FALSE(IsWindowVisible(shadow.ShadowHandle()));

    ShowWindow(parent.Handle(), SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(shadow.ShadowHandle()));
    EXPECT_TRUE(shadow.IsShown());
    EXPECT_NE(shadow.StatusFlags() & CShadowWindow::kParentVisible, 0);
    // Drawn at the parent's first paint.
    EXPECT_TRUE(shadow.RedrawPending());
    RedrawWindow(parent.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_FALSE(shadow.RedrawPending());
    ExpectRect(WindowRect(shadow.ShadowHandle()), Moved(WindowRect(parent.Handle()), 5, 5, 0));
}

TEST_F(ShadowWindowTest, ShadowFollowsMovesAndSizes) {
    ParentWindow parent;
    ASSERT_NE(parent.Open(true), nullptr);
    CShadowWindow shadow;
    ASSERT_TRUE(shadow.AttachShadow(parent.Handle()));
    shadow.SetSize(3);
    shadow.SetOffset(2, 1);
    shadow.RedrawShadow(parent.Handle());

    SetWindowPos(parent.Handle(), nullptr, 260, 190, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectRect(WindowRect(shadow.ShadowHandle()), Moved(WindowRect(parent.Handle()), 2, 1, 3));

    // The shadow knows no size of the parent before the first size message:
    // that first one counts as growth.
    SetWindowPos(parent.Handle(), nullptr, 0, 0, 110, 70, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(shadow.RedrawPending());
    RedrawWindow(parent.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    // Shrinking redraws at once.
    SetWindowPos(parent.Handle(), nullptr, 0, 0, 100, 60, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(shadow.RedrawPending());
    ExpectRect(WindowRect(shadow.ShadowHandle()), Moved(WindowRect(parent.Handle()), 2, 1, 3));

    // Growing waits for the parent's paint.
    const RECT before = WindowRect(shadow.ShadowHandle());
    SetWindowPos(parent.Handle(), nullptr, 0, 0, 150, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(shadow.RedrawPending());
    ExpectRect(WindowRect(shadow.ShadowHandle()), before);
    RedrawWindow(parent.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_FALSE(shadow.RedrawPending());
    ExpectRect(WindowRect(shadow.ShadowHandle()), Moved(WindowRect(parent.Handle()), 2, 1, 3));

    // The end of a move or size loop redraws with the current settings.
    shadow.SetSize(6);
    parent.SendToWindow(WM_EXITSIZEMOVE);
    ExpectRect(WindowRect(shadow.ShadowHandle()), Moved(WindowRect(parent.Handle()), 2, 1, 6));
}

TEST_F(ShadowWindowTest, MinimisingMaximisingAndHidingHideTheShadow) {
    ParentWindow parent;
    ASSERT_NE(parent.Open(true), nullptr);
    CShadowWindow shadow;
    ASSERT_TRUE(shadow.AttachShadow(parent.Handle()));
    const HWND handle = shadow.ShadowHandle();

    ShowWindow(parent.Handle(), SW_SHOWMINNOACTIVE);
    EXPECT_FALSE(shadow.IsShown());
    EXPECT_FALSE(IsWindowVisible(handle));
    ShowWindow(parent.Handle(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(shadow.IsShown());
    EXPECT_TRUE(IsWindowVisible(handle));

    ShowWindow(parent.Handle(), SW_MAXIMIZE);
    EXPECT_FALSE(shadow.IsShown());
    EXPECT_FALSE(IsWindowVisible(handle));
    ShowWindow(parent.Handle(), SW_RESTORE);
    EXPECT_TRUE(shadow.IsShown());

    ShowWindow(parent.Handle(), SW_HIDE);
    EXPECT_EQ(shadow.StatusFlags(), CShadowWindow::kEnabled);
    EXPECT_FALSE(IsWindowVisible(handle));
}

TEST_F(ShadowWindowTest, SecondAttachDoesNotSubclassAgain) {
    ParentWindow parent;
    ASSERT_NE(parent.Open(false), nullptr);
    CShadowWindow shadow;
    ASSERT_TRUE(shadow.AttachShadow(parent.Handle()));
    EXPECT_FALSE(shadow.AttachShadow(parent.Handle()));
    CShadowWindow another;
    EXPECT_FALSE(another.AttachShadow(parent.Handle()));
    EXPECT_EQ(another.ShadowHandle(), nullptr);
    EXPECT_EQ(ShadowsOf(parent.Handle()), 1);

    // Were the parent subclassed twice, its saved procedure would be the
    // shadow's own and this would never return.
    EXPECT_EQ(SendMessageW(parent.Handle(), kPing, 0, 0), kPong);
    EXPECT_EQ(parent.seen[kPing], 1);

    // One shadow follows one window.
    ParentWindow other;
    ASSERT_NE(other.Open(false, 400, 150), nullptr);
    EXPECT_FALSE(shadow.AttachShadow(other.Handle()));
    EXPECT_EQ(ShadowsOf(other.Handle()), 0);
}

TEST_F(ShadowWindowTest, ShadowDestroyedFirstGivesTheWindowItsProcedureBack) {
    ParentWindow parent;
    ASSERT_NE(parent.Open(false), nullptr);
    const WNDPROC original = ProcedureOf(parent.Handle());
    auto shadow = std::make_unique<CShadowWindow>();
    ASSERT_TRUE(shadow->AttachShadow(parent.Handle()));
    const HWND handle = shadow->ShadowHandle();
    shadow.reset();
    EXPECT_EQ(ProcedureOf(parent.Handle()), original);
    EXPECT_FALSE(IsWindow(handle));

    // The window goes on working and can get a new shadow.
    SetWindowPos(parent.Handle(), nullptr, 230, 170, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(SendMessageW(parent.Handle(), kPing, 0, 0), kPong);
    CShadowWindow next;
    EXPECT_TRUE(next.AttachShadow(parent.Handle()));
    bool finished = false;
    parent.onFinal = [&] { finished = true; };
    DestroyWindow(parent.Handle());
    EXPECT_TRUE(finished);
}

// Something that subclassed the parent after the shadow did.
WNDPROC g_outerPrevious = nullptr;
int g_outerCalls = 0;

LRESULT CALLBACK OuterProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
        ++g_outerCalls;
    }
    return CallWindowProcW(g_outerPrevious, window, message, wParam, lParam);
}

TEST_F(ShadowWindowTest, ShadowDestroyedUnderAnotherSubclassLeavesAForwardingLink) {
    ParentWindow parent;
    ASSERT_NE(parent.Open(false), nullptr);
    auto shadow = std::make_unique<CShadowWindow>();
    ASSERT_TRUE(shadow->AttachShadow(parent.Handle()));
    g_outerCalls = 0;
    g_outerPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(parent.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterProcedure)));
    const HWND handle = shadow->ShadowHandle();
    shadow.reset();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(ProcedureOf(parent.Handle()), &OuterProcedure);

    // Moves, sizes and paints no longer touch the dead shadow.
    SetWindowPos(parent.Handle(), nullptr, 240, 160, 150, 90, SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(parent.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(SendMessageW(parent.Handle(), kPing, 0, 0), kPong);
    EXPECT_EQ(g_outerCalls, 1);
    EXPECT_EQ(parent.seen[kPing], 1);
    bool finished = false;
    parent.onFinal = [&] { finished = true; };
    DestroyWindow(parent.Handle());
    EXPECT_TRUE(finished);
}

TEST_F(ShadowWindowTest, WindowDestroyedFirstTakesTheShadowWindowAlong) {
    CShadowWindow shadow;
    HWND handle = nullptr;
    {
        ParentWindow parent;
        ASSERT_NE(parent.Open(true), nullptr);
        ASSERT_TRUE(shadow.AttachShadow(parent.Handle()));
        handle = shadow.ShadowHandle();
        bool finished = false;
        parent.onFinal = [&] { finished = true; };
        DestroyWindow(parent.Handle());
        EXPECT_TRUE(finished);
    }
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(shadow.ShadowHandle(), nullptr);
    EXPECT_EQ(shadow.StatusFlags(), 0);

    // The shadow is free to follow another window.
    ParentWindow next;
    ASSERT_NE(next.Open(false), nullptr);
    EXPECT_TRUE(shadow.AttachShadow(next.Handle()));
    EXPECT_EQ(ShadowsOf(next.Handle()), 1);
}

// An application window holding its shadow by value and deleting itself when
// its window is gone.
class SelfDeletingWindow : public ParentWindow {
public:
    explicit SelfDeletingWindow(bool* deleted) : deleted_(deleted) {}
    ~SelfDeletingWindow() override { *deleted_ = true; }
    void FinalMessage(HWND) override { delete this; }
    CShadowWindow shadow;

private:
    bool* deleted_;
};

TEST_F(ShadowWindowTest, WindowObjectDeletedWithItsWindowTakesItsShadowAlong) {
    bool deleted = false;
    auto* window = new SelfDeletingWindow(&deleted);
    const HWND handle = window->Open(true);
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(window->shadow.AttachShadow(handle));
    const HWND shadowHandle = window->shadow.ShadowHandle();
    DestroyWindow(handle);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(IsWindow(shadowHandle));

    // Nothing of the old window remains in the shadow table: a new window
    // (which may reuse the handle value) attaches normally.
    ParentWindow next;
    ASSERT_NE(next.Open(false), nullptr);
    CShadowWindow fresh;
    EXPECT_TRUE(fresh.AttachShadow(next.Handle()));
}

TEST_F(ShadowWindowTest, TwoWindowsKeepIndependentShadows) {
    ParentWindow first;
    ParentWindow second;
    ASSERT_NE(first.Open(true, 100, 100), nullptr);
    ASSERT_NE(second.Open(true, 400, 100), nullptr);
    CShadowWindow firstShadow;
    CShadowWindow secondShadow;
    ASSERT_TRUE(firstShadow.AttachShadow(first.Handle()));
    ASSERT_TRUE(secondShadow.AttachShadow(second.Handle()));
    DestroyWindow(first.Handle());
    EXPECT_EQ(firstShadow.ShadowHandle(), nullptr);

    SetWindowPos(second.Handle(), nullptr, 420, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectRect(WindowRect(secondShadow.ShadowHandle()), Moved(WindowRect(second.Handle()), 5, 5, 0));
    EXPECT_EQ(SendMessageW(second.Handle(), kPing, 0, 0), kPong);
}

TEST_F(ShadowWindowTest, NothingIsAttachedToAMissingWindow) {
    CShadowWindow shadow;
    EXPECT_FALSE(shadow.AttachShadow(nullptr));
    EXPECT_EQ(shadow.ShadowHandle(), nullptr);
    // Redrawing an unattached shadow does nothing.
    shadow.RedrawShadow(nullptr);
}

}  // namespace
