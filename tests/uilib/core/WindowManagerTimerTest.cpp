// Control timers: native ids, delivery as timer events with the control's
// own id, stopping and re-arming, and timers that end with their control.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "ManagerTestSupport.h"

namespace ManagerTests {
namespace {

using namespace TavikUI;

// Long enough never to fire during a test: these timers are driven by hand.
constexpr UINT kNeverMs = 600000;

class Timers : public ManagerFixture {
protected:
    // Hands the window a WM_TIMER for a native id, as the system would.
    void Tick(UINT nativeId) { Send(WM_TIMER, nativeId, 0); }
};

TEST_F(Timers, FirstTimerFiresAsEventWithTheControlsOwnId) {
    ControlTests::NotificationRecorder notifications;
    Manager().RegisterNotifyReceiver(&notifications);
    ASSERT_TRUE(Manager().SetControlTimer(a_, 7, kNeverMs));
    Tick(17);
    const EventRecord timer = log_.Last(a_, kEventTimer);
    ASSERT_EQ(timer.type, kEventTimer);
    EXPECT_EQ(timer.wParam, 7u);
    ASSERT_EQ(notifications.entries.size(), 1u);
    EXPECT_EQ(notifications.entries[0].type, L"timer");
    EXPECT_EQ(notifications.entries[0].wParam, 7u);
    Tick(18);
    EXPECT_EQ(log_.Count(a_, kEventTimer), 1) << "no timer holds native id 18";
}

TEST_F(Timers, StoppedTimerIsSilentAndReArmsWithItsNativeId) {
    ASSERT_TRUE(Manager().SetControlTimer(a_, 3, kNeverMs));
    EXPECT_FALSE(Manager().SetControlTimer(a_, 3, kNeverMs)) << "already running";
    EXPECT_TRUE(Manager().KillControlTimer(a_, 3));
    EXPECT_FALSE(Manager().KillControlTimer(a_, 3)) << "already stopped";
    Tick(17);
    EXPECT_EQ(log_.Count(a_, kEventTimer), 0);
    ASSERT_TRUE(Manager().SetControlTimer(a_, 3, kNeverMs));
    Tick(17);
    EXPECT_EQ(log_.Count(a_, kEventTimer), 1);
    EXPECT_FALSE(Manager().KillControlTimer(b_, 3)) << "timers belong to their control";
}

TEST_F(Timers, NativeTimersReachTheirControls) {
    ASSERT_TRUE(Manager().SetControlTimer(a_, 1, 10));
    ASSERT_TRUE(Manager().SetControlTimer(b_, 1, 10));
    PumpUntil([&] { return log_.Count(a_, kEventTimer) >= 2 && log_.Count(b_, kEventTimer) >= 2; }, 2000);
    EXPECT_GE(log_.Count(a_, kEventTimer), 2);
    EXPECT_GE(log_.Count(b_, kEventTimer), 2);
    Manager().KillAllControlTimers(a_);
    Manager().KillAllControlTimers(b_);
}

TEST_F(Timers, NativeIdsCountUpFromSeventeenAndWrapAtTwoHundredFiftyFive) {
    for (UINT id = 1; id <= 239; ++id) {
        ASSERT_TRUE(Manager().SetControlTimer(a_, id, kNeverMs)) << id;
    }
    Tick(254);
    Tick(0);
    std::vector<WPARAM> ids;
    for (const EventRecord& record : log_.events) {
        ids.push_back(record.wParam);
    }
    EXPECT_EQ(ids, (std::vector<WPARAM>{238, 239}));
    Manager().KillAllControlTimers(a_);
}

TEST_F(Timers, NewTimerNeverTakesTheNativeIdOfALiveOne) {
    // A's timer holds native id 17 throughout.
    ASSERT_TRUE(Manager().SetControlTimer(a_, 1, 20));
    // B takes every other id: 18..254 and 0..16.
    for (UINT id = 1; id <= 254; ++id) {
        ASSERT_TRUE(Manager().SetControlTimer(b_, id, kNeverMs)) << id;
    }
    EXPECT_FALSE(Manager().SetControlTimer(b_, 255, kNeverMs)) << "no native id is free";
    Manager().KillAllControlTimers(b_);

    // The counter would give 17 next; A still holds it, so B gets 18.
    ASSERT_TRUE(Manager().SetControlTimer(b_, 300, 20));
    Tick(18);
    EXPECT_EQ(log_.Last(b_, kEventTimer).wParam, 300u);
    log_.Clear();
    // Both native timers run side by side.
    PumpUntil([&] { return log_.Count(a_, kEventTimer) >= 1 && log_.Count(b_, kEventTimer) >= 1; }, 2000);
    EXPECT_GE(log_.Count(a_, kEventTimer), 1);
    EXPECT_GE(log_.Count(b_, kEventTimer), 1);
    Manager().KillAllControlTimers(a_);
    Manager().KillAllControlTimers(b_);
}

TEST_F(Timers, StoppedTimersKeepTheirNativeIdFromNewTimers) {
    ASSERT_TRUE(Manager().SetControlTimer(a_, 1, kNeverMs));  // 17
    ASSERT_TRUE(Manager().KillControlTimer(a_, 1));
    for (UINT id = 1; id <= 254; ++id) {
        ASSERT_TRUE(Manager().SetControlTimer(b_, id, kNeverMs)) << id;
    }
    EXPECT_FALSE(Manager().SetControlTimer(b_, 255, kNeverMs));
    ASSERT_TRUE(Manager().SetControlTimer(a_, 1, kNeverMs));
    Tick(17);
    EXPECT_EQ(log_.Count(a_, kEventTimer), 1);
    EXPECT_EQ(log_.Count(b_, kEventTimer), 0);
    Manager().KillAllControlTimers(b_);
}

TEST_F(Timers, TimersEndWithTheirControl) {
    bool destroyed = false;
    auto* doomed = root_->Add(new TestControl(&log_, L"doomed"), RECT{10, 60, 50, 80});
    doomed->destroyed = &destroyed;
    ASSERT_TRUE(Manager().SetControlTimer(doomed, 1, 10));
    ASSERT_TRUE(Manager().SetControlTimer(doomed, 2, kNeverMs));
    PumpUntil([&] { return log_.Count(doomed, kEventTimer) >= 1; }, 2000);
    ASSERT_GE(log_.Count(doomed, kEventTimer), 1);

    root_->Remove(doomed);
    delete doomed;
    ASSERT_TRUE(destroyed);
    log_.Clear();
    Tick(17);
    Tick(18);
    PumpFor(100);
    EXPECT_TRUE(log_.events.empty());
    // Both entries are gone: the next timer takes the next native id.
    ASSERT_TRUE(Manager().SetControlTimer(a_, 9, kNeverMs));
    Tick(19);
    EXPECT_EQ(log_.Count(a_, kEventTimer), 1);
}

TEST_F(Timers, KillAllStopsEveryTimerOfTheControlOnly) {
    ASSERT_TRUE(Manager().SetControlTimer(a_, 1, kNeverMs));  // 17
    ASSERT_TRUE(Manager().SetControlTimer(a_, 2, kNeverMs));  // 18
    ASSERT_TRUE(Manager().SetControlTimer(b_, 1, kNeverMs));  // 19
    Manager().KillAllControlTimers(a_);
    Tick(17);
    Tick(18);
    Tick(19);
    EXPECT_EQ(log_.Count(a_, kEventTimer), 0);
    EXPECT_EQ(log_.Count(b_, kEventTimer), 1);
    EXPECT_FALSE(Manager().KillControlTimer(a_, 1)) << "the entries were removed";
}

TEST(TimersWithoutWindow, AreRefused) {
    CWindowManager manager;
    CControlUI control;
    EXPECT_FALSE(manager.SetControlTimer(&control, 1, 10));
}

}  // namespace
}  // namespace ManagerTests
