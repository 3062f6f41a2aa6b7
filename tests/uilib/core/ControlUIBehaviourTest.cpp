#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "ControlTestSupport.h"
#include "ControlUI.h"
#include "UIEvent.h"

using ControlTests::FunctionDelegate;
using TavikUI::CControlUI;
using TavikUI::CUIRect;
using TavikUI::UIEvent;

namespace {

// Records the events that reach its own handler (also those climbing from a
// child), then handles them as the base does.
class EventRecorder : public CControlUI {
public:
    void HandleEvent(UIEvent& event) override {
        seen.push_back(event.type);
        CControlUI::HandleEvent(event);
    }
    std::vector<int> seen;
};

UIEvent MakeEvent(int type, WPARAM wParam = 0, LPARAM lParam = 0) {
    UIEvent event;
    event.type = type;
    event.wParam = wParam;
    event.lParam = lParam;
    return event;
}

CControlUI* AnswerControl(CControlUI* control, void*) { return control; }

TEST(ControlIdentity, BaseAnswers) {
    CControlUI control;
    EXPECT_STREQ(control.ClassName(), L"ControlUI");
    EXPECT_EQ(control.InterfaceByName(L"Control"), &control);
    EXPECT_EQ(control.InterfaceByName(L"control"), nullptr);
    EXPECT_EQ(control.InterfaceByName(L"Button"), nullptr);
    EXPECT_EQ(control.InterfaceByName(nullptr), nullptr);
    EXPECT_EQ(control.BehaviourFlags(), 0u);
}

TEST(ControlIdentity, ConstructionDefaults) {
    CControlUI control;
    EXPECT_TRUE(control.NeedsLayout());
    EXPECT_TRUE(control.IsVisible());
    EXPECT_TRUE(control.IsEnabled());
    EXPECT_TRUE(control.AcceptsMouse());
    EXPECT_TRUE(control.AcceptsKeyboard());
    EXPECT_FALSE(control.IsFocused());
    EXPECT_FALSE(control.IsFloating());
    EXPECT_EQ(control.MaxWidth(), 9999);
    EXPECT_EQ(control.MaxHeight(), 9999);
    EXPECT_EQ(control.ToolTipWidth(), 300);
    EXPECT_EQ(control.Manager(), nullptr);
    EXPECT_EQ(control.Parent(), nullptr);
    EXPECT_TRUE(control.IsActivatable());
}

TEST(ControlState, ActivatableOnlyWhenVisibleAndEnabled) {
    CControlUI control;
    control.SetEnabledState(false);
    EXPECT_FALSE(control.IsActivatable());
    control.SetEnabledState(true);
    control.SetParentGivenVisibility(false);
    EXPECT_FALSE(control.IsVisible());
    EXPECT_FALSE(control.IsActivatable());
}

TEST(ControlState, PlainFieldsRoundTrip) {
    CControlUI control;
    control.SetUserTag(0xDEADBEEFu);
    control.SetToolTipWidth(120);
    control.SetShortcut(L'Q');
    control.SetRelativeParentSize(640, 480);
    EXPECT_EQ(control.UserTag(), 0xDEADBEEFu);
    EXPECT_EQ(control.ToolTipWidth(), 120);
    EXPECT_EQ(control.Shortcut(), L'Q');
    EXPECT_EQ(control.RelativePosition().parentCx, 640);
    EXPECT_EQ(control.RelativePosition().parentCy, 480);
    EXPECT_FALSE(control.IsRelative());
    EXPECT_EQ(control.DesiredSize(SIZE{999, 999}).cx, 0);
    control.SetDeclaredWidth(40);
    control.SetDeclaredHeight(12);
    const SIZE desired = control.DesiredSize(SIZE{1, 1});
    EXPECT_EQ(desired.cx, 40);
    EXPECT_EQ(desired.cy, 12);
}

TEST(ControlPlacement, PlaceWithoutManagerOnlyStoresTheRectangle) {
    CControlUI control;
    control.Place(CUIRect(10, 20, 110, 70));
    EXPECT_EQ(control.Rect().left, 10);
    EXPECT_EQ(control.Width(), 100);
    EXPECT_EQ(control.Height(), 50);
    EXPECT_EQ(control.X(), 10);
    EXPECT_EQ(control.Y(), 20);
    EXPECT_TRUE(control.NeedsLayout());
}

TEST(ControlPlacement, InvertedEdgesAreRaisedToTheNearEdge) {
    CControlUI control;
    control.Place(CUIRect(50, 60, 10, 20));
    EXPECT_EQ(control.Rect().right, 50);
    EXPECT_EQ(control.Rect().bottom, 60);
    EXPECT_EQ(control.Width(), 0);
    EXPECT_EQ(control.Height(), 0);
}

TEST(ControlVisit, FlagsSkipControlsTheyExclude) {
    CControlUI control;
    control.Place(CUIRect(0, 0, 100, 50));
    POINT inside = {10, 10};
    POINT outside = {150, 10};
    EXPECT_EQ(control.VisitControls(AnswerControl, &inside, 0), &control);
    EXPECT_EQ(control.VisitControls(AnswerControl, &inside, TavikUI::kVisitHitTest), &control);
    EXPECT_EQ(control.VisitControls(AnswerControl, &outside, TavikUI::kVisitHitTest), nullptr);
    // A hit test without a point hits nothing.
    EXPECT_EQ(control.VisitControls(AnswerControl, nullptr, TavikUI::kVisitHitTest), nullptr);

    control.SetAcceptsMouse(false);
    EXPECT_EQ(control.VisitControls(AnswerControl, &inside, TavikUI::kVisitHitTest), nullptr);
    EXPECT_EQ(control.VisitControls(AnswerControl, &inside, 0), &control);
    control.SetAcceptsMouse(true);

    control.SetEnabledState(false);
    EXPECT_EQ(control.VisitControls(AnswerControl, &inside, TavikUI::kVisitEnabledOnly), nullptr);
    EXPECT_EQ(control.VisitControls(AnswerControl, &inside, TavikUI::kVisitVisibleOnly), &control);
    control.SetEnabledState(true);

    control.ShowOrHide(false);
    EXPECT_EQ(control.VisitControls(AnswerControl, &inside, TavikUI::kVisitVisibleOnly), nullptr);
    EXPECT_EQ(control.VisitControls(AnswerControl, &inside, TavikUI::kVisitEnabledOnly), &control);
    // The order flags do not filter a single control.
    EXPECT_EQ(
        control.VisitControls(AnswerControl, &inside, TavikUI::kVisitLastChildFirst | TavikUI::kVisitContainerFirst),
        &control);
}

TEST(ControlVisit, VisitorDecidesTheAnswer) {
    CControlUI control;
    control.SetName(L"wanted");
    auto byName = [](CControlUI* candidate, void* data) -> CControlUI* {
        return candidate->Name().Equals(static_cast<const wchar_t*>(data)) ? candidate : nullptr;
    };
    EXPECT_EQ(control.VisitControls(byName, const_cast<wchar_t*>(L"wanted"), 0), &control);
    EXPECT_EQ(control.VisitControls(byName, const_cast<wchar_t*>(L"other"), 0), nullptr);
    EXPECT_EQ(control.VisitControls(nullptr, nullptr, 0), nullptr);
}

TEST(ControlEvents, UnhandledEventsClimbToTheRootAndStopThere) {
    EventRecorder root;
    EventRecorder middle;
    CControlUI leaf;
    middle.AttachToManager(nullptr, &root, false);
    leaf.AttachToManager(nullptr, &middle, false);
    int rootDelegateCalls = 0;
    root.EventDelegates().Add(FunctionDelegate([&](void*) {
        ++rootDelegateCalls;
        return true;
    }));
    for (int type : {TavikUI::kEventButtonDown, TavikUI::kEventMouseMove, TavikUI::kEventKeyDown,
                     TavikUI::kEventWindowSize, TavikUI::kEventContextMenu}) {
        UIEvent event = MakeEvent(type);
        leaf.DeliverEvent(event);
    }
    const std::vector<int> expected = {TavikUI::kEventButtonDown, TavikUI::kEventMouseMove, TavikUI::kEventKeyDown,
                                       TavikUI::kEventWindowSize, TavikUI::kEventContextMenu};
    EXPECT_EQ(middle.seen, expected);
    EXPECT_EQ(root.seen, expected);
    // Climbing events go to the parents' handlers, not their delegates.
    EXPECT_EQ(rootDelegateCalls, 0);
}

TEST(ControlEvents, FocusEventsStayWithTheControl) {
    EventRecorder parent;
    CControlUI child;
    child.AttachToManager(nullptr, &parent, false);
    UIEvent setFocus = MakeEvent(TavikUI::kEventSetFocus);
    child.DeliverEvent(setFocus);
    EXPECT_TRUE(child.IsFocused());
    UIEvent killFocus = MakeEvent(TavikUI::kEventKillFocus);
    child.DeliverEvent(killFocus);
    EXPECT_FALSE(child.IsFocused());
    UIEvent cursor = MakeEvent(TavikUI::kEventSetCursor);
    child.DeliverEvent(cursor);
    UIEvent timer = MakeEvent(TavikUI::kEventTimer, 5);
    child.DeliverEvent(timer);
    EXPECT_TRUE(parent.seen.empty());
}

TEST(ControlEvents, EventDelegateAnsweringFalseStopsTheEvent) {
    CControlUI control;
    std::vector<int> order;
    control.EventDelegates().Add(FunctionDelegate([&](void* parameter) {
        order.push_back(static_cast<UIEvent*>(parameter)->type);
        return false;
    }));
    UIEvent setFocus = MakeEvent(TavikUI::kEventSetFocus);
    control.DeliverEvent(setFocus);
    EXPECT_EQ(order, std::vector<int>{TavikUI::kEventSetFocus});
    EXPECT_FALSE(control.IsFocused());
}

TEST(ControlEvents, AgreeingDelegatesLetTheControlHandleIt) {
    CControlUI control;
    int calls = 0;
    control.EventDelegates().Add(FunctionDelegate([&](void*) {
        ++calls;
        return true;
    }));
    control.EventDelegates().Add(FunctionDelegate([&](void*) {
        ++calls;
        return true;
    }));
    UIEvent setFocus = MakeEvent(TavikUI::kEventSetFocus);
    control.DeliverEvent(setFocus);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(control.IsFocused());
}

TEST(ControlLifecycle, InitRunsHookThenDelegatesOnlyWithParent) {
    class HookedControl : public CControlUI {
    public:
        void InitHook() override { order->push_back(1); }
        std::vector<int>* order = nullptr;
    };
    std::vector<int> order;
    HookedControl control;
    control.order = &order;
    control.InitDelegates().Add(FunctionDelegate([&](void* parameter) {
        order.push_back(parameter == &control ? 2 : -1);
        return true;
    }));
    CControlUI parent;
    control.AttachToManager(nullptr, nullptr, true);
    EXPECT_TRUE(order.empty());
    control.AttachToManager(nullptr, &parent, false);
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(control.Parent(), &parent);
    control.AttachToManager(nullptr, &parent, true);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(ControlLifecycle, DestroyDelegatesFireWithTheControl) {
    void* seen = nullptr;
    CControlUI* address = nullptr;
    {
        CControlUI control;
        address = &control;
        control.DestroyDelegates().Add(FunctionDelegate([&](void* parameter) {
            seen = parameter;
            return true;
        }));
    }
    EXPECT_EQ(seen, address);
}

TEST(ControlVisibility, ShowOrHideClearsTheFocusedFlag) {
    CControlUI control;
    UIEvent setFocus = MakeEvent(TavikUI::kEventSetFocus);
    control.DeliverEvent(setFocus);
    ASSERT_TRUE(control.IsFocused());
    control.ShowOrHide(true);  // unchanged: nothing happens
    EXPECT_TRUE(control.IsFocused());
    control.ShowOrHide(false);
    EXPECT_FALSE(control.IsFocused());
    control.DeliverEvent(setFocus);
    control.ShowOrHide(true);
    EXPECT_FALSE(control.IsFocused());
}

TEST(ControlVisibility, ParentGivenVisibilityCombinesWithOwn) {
    CControlUI control;
    control.SetParentGivenVisibility(false);
    control.ShowOrHide(true);
    EXPECT_FALSE(control.IsVisible());
    control.SetParentGivenVisibility(true);
    EXPECT_TRUE(control.IsVisible());
}

}  // namespace
