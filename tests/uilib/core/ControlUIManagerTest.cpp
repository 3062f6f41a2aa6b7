// The base control inside a real window with a manager: invalidation,
// relayout requests, focus, notifications and forgetting on destruction.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ControlTestSupport.h"
#include "ControlUI.h"
#include "UIEvent.h"
#include "WindowManager.h"

using ControlTests::FunctionDelegate;
using ControlTests::ManagedWindow;
using ControlTests::NotificationRecorder;
using TavikUI::CControlUI;
using TavikUI::CUIRect;
using TavikUI::UIEvent;

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

::testing::AssertionResult RectIs(const RECT& actual, int l, int t, int r, int b) {
    if (SameRect(actual, CUIRect(l, t, r, b))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "rect is " << actual.left << "," << actual.top << "," << actual.right << ","
                                         << actual.bottom;
}

// A visible window with a parent (0,0,100,100) and a child inside it, both
// attached to the window's manager without being the root.
class ManagedControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { shared = new ManagedWindow(true); }
    static void TearDownTestSuite() {
        delete shared;
        shared = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(window.Handle(), nullptr);
        parent.AttachToManager(&window.manager, nullptr, false);
        child.AttachToManager(&window.manager, &parent, false);
        parent.Place(CUIRect(0, 0, 100, 100));
        child.Place(CUIRect(20, 20, 60, 60));
        window.TakeUpdateRect();
        window.manager.RegisterNotifyReceiver(&recorder);
    }
    void TearDown() override { window.manager.UnregisterNotifyReceiver(&recorder); }

    static ManagedWindow* shared;
    ManagedWindow& window = *shared;
    NotificationRecorder recorder;
    CControlUI parent;
    CControlUI child;
};

ManagedWindow* ManagedControlTest::shared = nullptr;

TEST_F(ManagedControlTest, InvalidationIsClippedByTheAncestors) {
    child.Place(CUIRect(50, 50, 150, 150));
    window.TakeUpdateRect();
    child.InvalidateVisibleRect();
    EXPECT_TRUE(RectIs(window.TakeUpdateRect(), 50, 50, 100, 100));
}

TEST_F(ManagedControlTest, ControlOutsideItsParentInvalidatesNothing) {
    child.Place(CUIRect(150, 150, 200, 200));
    window.TakeUpdateRect();
    child.InvalidateVisibleRect();
    EXPECT_TRUE(RectIs(window.TakeUpdateRect(), 0, 0, 0, 0));
}

TEST_F(ManagedControlTest, HiddenControlInvalidatesNothing) {
    child.SetParentGivenVisibility(false);
    child.InvalidateVisibleRect();
    child.SetText(L"changed");
    EXPECT_TRUE(RectIs(window.TakeUpdateRect(), 0, 0, 0, 0));
}

TEST_F(ManagedControlTest, SettersInvalidateOnlyOnChange) {
    child.SetText(L"a");
    EXPECT_TRUE(RectIs(window.TakeUpdateRect(), 20, 20, 60, 60));
    child.SetText(L"a");
    child.SetBackgroundColor(0);
    child.SetBorderColor(0);
    child.SetEnabledState(true);
    EXPECT_TRUE(RectIs(window.TakeUpdateRect(), 0, 0, 0, 0));
    child.SetEnabledState(false);
    EXPECT_TRUE(RectIs(window.TakeUpdateRect(), 20, 20, 60, 60));
    child.SetBorderStyle(0);  // this group invalidates always
    EXPECT_TRUE(RectIs(window.TakeUpdateRect(), 20, 20, 60, 60));
}

TEST_F(ManagedControlTest, PlaceRepaintsOldAndNewPlaces) {
    child.Place(CUIRect(30, 30, 50, 90));
    EXPECT_TRUE(RectIs(window.TakeUpdateRect(), 20, 20, 60, 90));
    EXPECT_FALSE(child.NeedsLayout());
}

TEST_F(ManagedControlTest, PlaceFiresSizeDelegatesWithoutReentry) {
    int calls = 0;
    child.SizeDelegates().Add(FunctionDelegate([&](void* parameter) {
        ++calls;
        EXPECT_EQ(parameter, &child);
        // A size delegate that places the control again does not recurse.
        child.Place(CUIRect(21, 21, 61, 61));
        return true;
    }));
    child.Place(CUIRect(22, 22, 62, 62));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(child.Rect().left, 21);
}

TEST_F(ManagedControlTest, FloatingControlRecordsWhereItStands) {
    child.SetFloating(true);
    child.SetFloatOffset(POINT{5, -5});
    child.Place(CUIRect(30, 40, 70, 90));
    // x from the left (offset was positive), y from the bottom (negative).
    EXPECT_EQ(child.FloatOffset().x, 30);
    EXPECT_EQ(child.FloatOffset().y, -10);
    EXPECT_EQ(child.DeclaredWidth(), 40);
    EXPECT_EQ(child.DeclaredHeight(), 50);
}

TEST_F(ManagedControlTest, GeometrySettersAskTheParentForLayout) {
    child.SetDeclaredWidth(33);
    EXPECT_TRUE(parent.NeedsLayout());
    EXPECT_FALSE(child.NeedsLayout());
}

TEST_F(ManagedControlTest, UnchangedGeometryAsksForNothing) {
    child.SetDeclaredWidth(0);
    child.SetMinWidth(0);
    child.SetMaxHeight(9999);
    child.SetFloatOffset(POINT{0, 0});
    EXPECT_FALSE(parent.NeedsLayout());
    child.SetMaxWidth(-5);
    EXPECT_FALSE(parent.NeedsLayout());
}

TEST_F(ManagedControlTest, FloatingControlLaysItselfOut) {
    child.SetFloating(true);
    parent.Place(parent.Rect());  // clears the request the flag change made
    child.SetDeclaredHeight(12);
    EXPECT_TRUE(child.NeedsLayout());
    EXPECT_FALSE(parent.NeedsLayout());
}

TEST_F(ManagedControlTest, PaddingAlwaysAsksTheParent) {
    child.SetFloating(true);
    parent.Place(parent.Rect());
    child.SetPadding(CUIRect(1, 1, 1, 1));
    EXPECT_TRUE(parent.NeedsLayout());
}

TEST_F(ManagedControlTest, HidingAChangesTheParentsLayout) {
    child.ShowOrHide(false);
    EXPECT_TRUE(parent.NeedsLayout());
}

TEST_F(ManagedControlTest, MarkForLayoutIgnoresHiddenControls) {
    child.ShowOrHide(false);
    child.MarkForLayout();
    EXPECT_FALSE(child.NeedsLayout());
}

TEST_F(ManagedControlTest, HidingTheFocusedControlClearsTheManagersFocus) {
    child.TakeFocus();
    ASSERT_EQ(window.manager.FocusedControl(), &child);
    EXPECT_TRUE(child.IsFocused());
    child.ShowOrHide(false);
    EXPECT_EQ(window.manager.FocusedControl(), nullptr);
    EXPECT_FALSE(child.IsFocused());
}

TEST_F(ManagedControlTest, ParentHidingTheFocusedControlClearsTheFocus) {
    child.TakeFocus();
    ASSERT_EQ(window.manager.FocusedControl(), &child);
    child.SetParentGivenVisibility(false);
    EXPECT_EQ(window.manager.FocusedControl(), nullptr);
}

TEST_F(ManagedControlTest, HidingAnotherControlKeepsTheFocus) {
    child.TakeFocus();
    CControlUI sibling;
    sibling.AttachToManager(&window.manager, &parent, false);
    sibling.ShowOrHide(false);
    EXPECT_EQ(window.manager.FocusedControl(), &child);
}

TEST_F(ManagedControlTest, ContextMenuNotifiesWithThePointerIntact) {
    child.SetContextMenu(true);
    UIEvent event;
    event.type = TavikUI::kEventContextMenu;
    event.wParam = 9;
    event.lParam = reinterpret_cast<LPARAM>(&child);
    child.DeliverEvent(event);
    ASSERT_EQ(recorder.entries.size(), 1u);
    EXPECT_EQ(recorder.entries[0].type, L"menu");
    EXPECT_EQ(recorder.entries[0].sender, &child);
    EXPECT_EQ(recorder.entries[0].wParam, 9u);
    EXPECT_EQ(recorder.entries[0].lParam, reinterpret_cast<LPARAM>(&child));
}

TEST_F(ManagedControlTest, ContextMenuWithoutTheFlagClimbsSilently) {
    UIEvent event;
    event.type = TavikUI::kEventContextMenu;
    child.DeliverEvent(event);
    EXPECT_TRUE(recorder.entries.empty());
}

TEST_F(ManagedControlTest, TimerEventBecomesATimerNotification) {
    UIEvent event;
    event.type = TavikUI::kEventTimer;
    event.wParam = 5;
    event.lParam = 6;
    child.DeliverEvent(event);
    ASSERT_EQ(recorder.entries.size(), 1u);
    EXPECT_EQ(recorder.entries[0].type, L"timer");
    EXPECT_EQ(recorder.entries[0].wParam, 5u);
    EXPECT_EQ(recorder.entries[0].lParam, 6);
}

TEST_F(ManagedControlTest, NotifyDelegatesOfTheSenderSeeItsNotifications) {
    std::vector<std::wstring> seen;
    child.NotifyDelegates().Add(FunctionDelegate([&](void* parameter) {
        seen.push_back(static_cast<TavikUI::NotifyMessage*>(parameter)->type.Text());
        return true;
    }));
    UIEvent event;
    event.type = TavikUI::kEventTimer;
    child.DeliverEvent(event);
    EXPECT_EQ(seen, std::vector<std::wstring>{L"timer"});
}

TEST_F(ManagedControlTest, VirtualWindowNameTravelsWithNotifications) {
    parent.SetVirtualWindowName(L"page");
    UIEvent event;
    event.type = TavikUI::kEventTimer;
    class NameRecorder : public TavikUI::INotifyUI {
    public:
        void ReceiveNotification(TavikUI::NotifyMessage& message) override { name = message.virtualWindowName.Text(); }
        std::wstring name;
    } names;
    window.manager.RegisterNotifyReceiver(&names);
    child.DeliverEvent(event);
    window.manager.UnregisterNotifyReceiver(&names);
    EXPECT_EQ(names.name, L"page");
}

TEST_F(ManagedControlTest, DeletedControlIsForgottenByTheManager) {
    auto* doomed = new CControlUI();
    doomed->SetName(L"doomed");
    doomed->AttachToManager(&window.manager, &parent, false);
    doomed->Place(CUIRect(0, 0, 10, 10));
    doomed->TakeFocus();
    ASSERT_EQ(window.manager.FocusedControl(), doomed);
    delete doomed;
    EXPECT_EQ(window.manager.FocusedControl(), nullptr);
}

TEST_F(ManagedControlTest, CaptureMouseIsRefusedWhileAnotherControlHoldsIt) {
    EXPECT_TRUE(child.CaptureMouse());
    EXPECT_FALSE(parent.CaptureMouse());
    CControlUI loose;
    EXPECT_FALSE(loose.CaptureMouse());
}

}  // namespace
