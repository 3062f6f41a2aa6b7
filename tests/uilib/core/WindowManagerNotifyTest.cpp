// Notifications through the manager: delegates before receivers, queued ones
// after the handler, notify-map priority, forgotten senders, and controls
// deleted inside their own event handler.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "ManagerTestSupport.h"
#include "NotifyPump.h"

namespace ManagerTests {
namespace {

using namespace TavikUI;
using ControlTests::FunctionDelegate;
using ControlTests::NotificationRecorder;

// Appends "<tag>:<type>" for every notification.
class TaggedReceiver : public INotifyUI {
public:
    TaggedReceiver(std::vector<std::wstring>* order, const wchar_t* tag) : order_(order), tag_(tag) {}
    void ReceiveNotification(NotifyMessage& message) override {
        order_->push_back(tag_ + L":" + message.type.Text());
        if (onReceive) {
            onReceive(message);
        }
    }
    std::function<void(NotifyMessage&)> onReceive;

private:
    std::vector<std::wstring>* order_;
    std::wstring tag_;
};

using Notifications = ManagerFixture;

TEST_F(Notifications, SenderDelegatesComeFirstThenReceiversInOrder) {
    std::vector<std::wstring> order;
    TaggedReceiver first(&order, L"first");
    TaggedReceiver second(&order, L"second");
    Manager().RegisterNotifyReceiver(&first);
    Manager().RegisterNotifyReceiver(&second);
    b_->NotifyDelegates().Add(FunctionDelegate([&](void* parameter) {
        order.push_back(std::wstring(L"delegate:") + static_cast<NotifyMessage*>(parameter)->type.Text());
        return true;
    }));
    Manager().SendNotification(b_, L"click", 5, 6);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"delegate:click", L"first:click", L"second:click"}));
    EXPECT_TRUE(Manager().UnregisterNotifyReceiver(&first));
    order.clear();
    Manager().SendNotification(a_, L"click");
    EXPECT_EQ(order, (std::vector<std::wstring>{L"second:click"}));
}

TEST_F(Notifications, RecordsCarryValuesMousePointAndTime) {
    NotificationRecorder recorder;
    Manager().RegisterNotifyReceiver(&recorder);
    Send(WM_MOUSEMOVE, 0, PointParam(33, 44));
    CControlUI* seenSender = nullptr;
    POINT seenPoint = {0, 0};
    DWORD seenTime = 0;
    b_->NotifyDelegates().Add(FunctionDelegate([&](void* parameter) {
        auto* message = static_cast<NotifyMessage*>(parameter);
        seenSender = message->sender;
        seenPoint = message->mousePoint;
        seenTime = message->timestamp;
        return true;
    }));
    const DWORD before = GetTickCount();
    Manager().SendNotification(b_, L"itemselect", 1, static_cast<LPARAM>(-2));
    ASSERT_EQ(recorder.entries.size(), 1u);
    EXPECT_EQ(recorder.entries[0].wParam, 1u);
    EXPECT_EQ(recorder.entries[0].lParam, -2);
    EXPECT_EQ(seenSender, b_);
    EXPECT_EQ(seenPoint.x, 33);
    EXPECT_EQ(seenPoint.y, 44);
    EXPECT_GE(seenTime, before);
}

TEST_F(Notifications, VirtualWindowNameTravelsWithTheNotification) {
    CWideString seen;
    std::vector<std::wstring> order;
    TaggedReceiver receiver(&order, L"r");
    receiver.onReceive = [&](NotifyMessage& message) { seen = message.virtualWindowName; };
    Manager().RegisterNotifyReceiver(&receiver);
    root_->SetVirtualWindowName(L"page");
    Manager().SendNotification(a_, L"click");
    EXPECT_STREQ(seen.Text(), L"page") << "inherited from the parent";
}

TEST_F(Notifications, QueuedNotificationsArriveAfterTheHandlerReturns) {
    std::vector<std::wstring> order;
    TaggedReceiver receiver(&order, L"receiver");
    Manager().RegisterNotifyReceiver(&receiver);
    b_->onEvent = [&](UIEvent& event) {
        if (event.type == kEventButtonUp) {
            Manager().SendNotification(b_, L"click", 0, 0, true);
            order.push_back(L"handler-end");
        }
    };
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(150, 20));
    Send(WM_LBUTTONUP, 0, PointParam(150, 20));
    EXPECT_EQ(order, (std::vector<std::wstring>{L"receiver:setfocus", L"handler-end", L"receiver:click"}));
}

TEST_F(Notifications, QueuedNotificationsWaitForTheNextMessage) {
    NotificationRecorder recorder;
    Manager().RegisterNotifyReceiver(&recorder);
    Manager().SendNotification(a_, L"first", 0, 0, true);
    Manager().SendNotification(b_, L"second", 0, 0, true);
    EXPECT_TRUE(recorder.entries.empty());
    Send(WM_NULL);
    ASSERT_EQ(recorder.entries.size(), 2u);
    EXPECT_EQ(recorder.entries[0].type, L"first");
    EXPECT_EQ(recorder.entries[1].sender, b_);
    Send(WM_NULL);
    EXPECT_EQ(recorder.entries.size(), 2u) << "each is delivered once";
}

TEST_F(Notifications, QueuedNotificationOfAForgottenSenderArrivesWithoutSender) {
    NotificationRecorder recorder;
    Manager().RegisterNotifyReceiver(&recorder);
    Manager().SendNotification(a_, L"orphaned", 0, 0, true);
    Manager().SendNotification(b_, L"kept", 0, 0, true);
    root_->Remove(a_);
    delete a_;
    Send(WM_NULL);
    ASSERT_EQ(recorder.entries.size(), 2u);
    EXPECT_EQ(recorder.entries[0].type, L"orphaned");
    EXPECT_EQ(recorder.entries[0].sender, nullptr);
    EXPECT_EQ(recorder.entries[1].sender, b_);
}

TEST_F(Notifications, DeliveryGoesOnWithoutSenderWhenAReceiverDeletesIt) {
    std::vector<std::wstring> order;
    CControlUI* secondSaw = a_;
    TaggedReceiver first(&order, L"first");
    TaggedReceiver second(&order, L"second");
    first.onReceive = [&](NotifyMessage& message) {
        if (message.sender == a_) {
            root_->Remove(a_);
            delete a_;
        }
    };
    second.onReceive = [&](NotifyMessage& message) { secondSaw = message.sender; };
    Manager().RegisterNotifyReceiver(&first);
    Manager().RegisterNotifyReceiver(&second);
    Manager().SendNotification(a_, L"queued", 0, 0, true);
    Send(WM_NULL);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"first:queued", L"second:queued"}));
    EXPECT_EQ(secondSaw, nullptr);
}

// A window-like pump with its own table over a base table.
class BasePage : public CNotifyPump {
public:
    static const TavikUI::NotifyMap* BasePageMap() {
        static const NotifyMapEntry rows[] = {
            NotifyRow(L"click", L"", &BasePage::OnBaseClick),
            NotifyRow(L"timer", L"", &BasePage::OnBaseTimer),
            NotifyRowEnd(),
        };
        static const TavikUI::NotifyMap map = {&CNotifyPump::NotifyPumpNotifyMap, rows};
        return &map;
    }
    const TavikUI::NotifyMap* NotifyMap() const override { return BasePageMap(); }
    void OnBaseClick(NotifyMessage&) { calls.push_back(L"base-click"); }
    void OnBaseTimer(WPARAM wParam, LPARAM) { calls.push_back(L"base-timer-" + std::to_wstring(wParam)); }
    std::vector<std::wstring> calls;
};

class AppPage : public BasePage, public INotifyUI {
public:
    static const TavikUI::NotifyMap* AppPageMap() {
        static const NotifyMapEntry rows[] = {
            NotifyRow(L"click", L"B", &AppPage::OnBClick),
            NotifyRowEnd(),
        };
        static const TavikUI::NotifyMap map = {&BasePage::BasePageMap, rows};
        return &map;
    }
    const TavikUI::NotifyMap* NotifyMap() const override { return AppPageMap(); }
    void ReceiveNotification(NotifyMessage& message) override { handled.push_back(DispatchNotification(message)); }
    void OnBClick(NotifyMessage&) { calls.push_back(L"own-click-B"); }
    std::vector<bool> handled;
};

TEST_F(Notifications, ReachNotifyMapRowsOwnTableBeforeBaseTable) {
    AppPage page;
    Manager().RegisterNotifyReceiver(&page);
    Manager().SendNotification(b_, L"click");
    Manager().SendNotification(a_, L"click");
    ASSERT_TRUE(Manager().SetControlTimer(a_, 4, 600000));
    Send(WM_TIMER, 17, 0);
    Manager().SendNotification(a_, L"unknown");
    EXPECT_EQ(page.calls, (std::vector<std::wstring>{L"own-click-B", L"base-click", L"base-timer-4"}));
    EXPECT_EQ(page.handled, (std::vector<bool>{true, true, true, false}));
}

TEST_F(Notifications, ControlDeletedInItsOwnHandlerGoesThroughTheDelayedQueue) {
    bool destroyed = false;
    a_->destroyed = &destroyed;
    a_->onEvent = [&](UIEvent& event) {
        if (event.type == kEventButtonUp) {
            root_->Remove(a_);
            Manager().DeleteLater(a_);
            // Still alive for the rest of its own handling.
            EXPECT_FALSE(destroyed);
        }
    };
    Send(WM_MOUSEMOVE, 0, PointParam(20, 20));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(20, 20));
    ASSERT_EQ(Manager().FocusedControl(), a_);
    Send(WM_LBUTTONUP, 0, PointParam(20, 20));
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(Manager().FindControlByName(L"A"), nullptr);
    EXPECT_EQ(Manager().FocusedControl(), nullptr) << "the manager let go of it at once";
    PumpUntil([&] { return destroyed; }, 1000);
    EXPECT_TRUE(destroyed);

    // The mouse goes on to what is there now.
    log_.Clear();
    Send(WM_MOUSEMOVE, 0, PointParam(21, 21));
    Send(WM_MOUSEMOVE, 0, PointParam(150, 20));
    EXPECT_EQ(log_.Count(root_, kEventMouseEnter), 1);
    EXPECT_EQ(log_.Count(b_, kEventMouseEnter), 1);
    for (const EventRecord& record : log_.events) {
        EXPECT_TRUE(record.receiver == root_ || record.receiver == b_);
    }
}

TEST_F(Notifications, NewRootSendsWindowInitOnceAndRetiresTheOldTree) {
    NotificationRecorder recorder;
    Manager().RegisterNotifyReceiver(&recorder);
    bool oldRootGone = false;
    root_->destroyed = &oldRootGone;
    auto* root = new TestContainer(&log_, L"second root");
    auto* named = root->Add(new TestControl(&log_, L"A"), RECT{0, 0, 10, 10});
    Manager().AttachRoot(root);
    EXPECT_EQ(Manager().FindControlByName(L"A"), named) << "names of the new tree";
    EXPECT_TRUE(recorder.entries.empty()) << "windowinit waits for the first paint";
    RepaintNow();
    RepaintNow();
    ASSERT_EQ(recorder.entries.size(), 1u);
    EXPECT_EQ(recorder.entries[0].type, L"windowinit");
    EXPECT_EQ(recorder.entries[0].sender, root);
    EXPECT_FALSE(oldRootGone);
    PumpUntil([&] { return oldRootGone; }, 1000);
    EXPECT_TRUE(oldRootGone);
    EXPECT_EQ(Manager().Root(), root);
}

}  // namespace
}  // namespace ManagerTests
