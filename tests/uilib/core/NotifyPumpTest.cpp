#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ControlUI.h"
#include "NotifyPump.h"

using TavikUI::CControlUI;
using TavikUI::CNotifyPump;
using TavikUI::NotifyMapEntry;
using TavikUI::NotifyMessage;
using TavikUI::NotifyRow;
using TavikUI::NotifyRowEnd;

namespace {

// A base window with rows for any sender and one params handler.
class BaseWindow : public CNotifyPump {
public:
    static const TavikUI::NotifyMap* BaseWindowMap() {
        static const NotifyMapEntry rows[] = {
            NotifyRow(L"click", L"", &BaseWindow::OnBaseAnyClick),
            NotifyRow(L"selectchanged", L"list", &BaseWindow::OnBaseSelect),
            NotifyRow(L"timer", L"", &BaseWindow::OnBaseTimer),
            NotifyRowEnd(),
        };
        static const TavikUI::NotifyMap map = {&CNotifyPump::NotifyPumpNotifyMap, rows};
        return &map;
    }
    const TavikUI::NotifyMap* NotifyMap() const override { return BaseWindowMap(); }

    void OnBaseAnyClick(NotifyMessage&) { calls.push_back(L"base-any-click"); }
    void OnBaseSelect(NotifyMessage&) { calls.push_back(L"base-select"); }
    void OnBaseTimer(WPARAM wParam, LPARAM lParam) {
        calls.push_back(L"base-timer");
        lastWParam = wParam;
        lastLParam = lParam;
    }

    std::vector<std::wstring> calls;
    WPARAM lastWParam = 0;
    LPARAM lastLParam = 0;
};

// An application window: its own rows first, then the base window's.
class AppWindow : public BaseWindow {
public:
    static const TavikUI::NotifyMap* AppWindowMap() {
        static const NotifyMapEntry rows[] = {
            NotifyRow(L"click", L"", &AppWindow::OnFirstAnyClick),
            NotifyRow(L"click", L"okbtn", &AppWindow::OnOkClick),
            NotifyRow(L"clicked", L"cancelbtn", &AppWindow::OnWrongType),
            NotifyRow(L"click", L"", &AppWindow::OnLastAnyClick),
            NotifyRow(L"windowinit", L"", &AppWindow::OnInit),
            NotifyRowEnd(),
        };
        static const TavikUI::NotifyMap map = {&BaseWindow::BaseWindowMap, rows};
        return &map;
    }
    const TavikUI::NotifyMap* NotifyMap() const override { return AppWindowMap(); }

    void OnFirstAnyClick(NotifyMessage&) { calls.push_back(L"first-any-click"); }
    void OnOkClick(NotifyMessage& message) {
        calls.push_back(L"ok-click");
        lastSender = message.sender;
    }
    void OnWrongType(NotifyMessage&) { calls.push_back(L"wrong-type"); }
    void OnLastAnyClick(NotifyMessage&) { calls.push_back(L"last-any-click"); }
    void OnInit(WPARAM, LPARAM) { calls.push_back(L"init"); }

    CControlUI* lastSender = nullptr;
};

class NamedControl : public CControlUI {
public:
    explicit NamedControl(const wchar_t* name) { SetName(name); }
};

TEST(NotifyMapRows, NamedRowWinsOverEarlierRowForAnySender) {
    AppWindow window;
    NamedControl ok(L"okbtn");
    NotifyMessage message(L"click", &ok);
    EXPECT_TRUE(window.DispatchNotification(message));
    ASSERT_EQ(window.calls.size(), 1u);
    EXPECT_EQ(window.calls[0], L"ok-click");
    EXPECT_EQ(window.lastSender, &ok);
}

TEST(NotifyMapRows, OtherSenderReachesLastRowForAnySender) {
    AppWindow window;
    NamedControl other(L"helpbtn");
    NotifyMessage message(L"click", &other);
    EXPECT_TRUE(window.DispatchNotification(message));
    EXPECT_EQ(window.calls, std::vector<std::wstring>{L"last-any-click"});
}

TEST(NotifyMapRows, NamesAndTypesCompareCaseSensitively) {
    AppWindow window;
    NamedControl upper(L"OKBTN");
    NotifyMessage message(L"click", &upper);
    window.DispatchNotification(message);
    EXPECT_EQ(window.calls, std::vector<std::wstring>{L"last-any-click"});

    NamedControl ok(L"okbtn");
    NotifyMessage wrongCase(L"Click", &ok);
    window.calls.clear();
    EXPECT_FALSE(window.DispatchNotification(wrongCase));
    EXPECT_TRUE(window.calls.empty());
}

TEST(NotifyMapRows, RowOfWrongTypeNeverMatches) {
    AppWindow window;
    NamedControl cancel(L"cancelbtn");
    NotifyMessage message(L"itemselect", &cancel);
    EXPECT_FALSE(window.DispatchNotification(message));
    EXPECT_TRUE(window.calls.empty());
}

TEST(NotifyMapRows, FindMapEntryAnswersNullForEmptyTableAndNullRows) {
    NamedControl ok(L"okbtn");
    NotifyMessage message(L"click", &ok);
    const NotifyMapEntry endOnly[] = {NotifyRowEnd()};
    EXPECT_EQ(CNotifyPump::FindMapEntry(endOnly, message), nullptr);
    EXPECT_EQ(CNotifyPump::FindMapEntry(nullptr, message), nullptr);
}

TEST(NotifyMapChain, BaseTableAnswersWhatOwnTableLacks) {
    AppWindow window;
    NamedControl list(L"list");
    NotifyMessage select(L"selectchanged", &list);
    EXPECT_TRUE(window.DispatchNotification(select));
    EXPECT_EQ(window.calls, std::vector<std::wstring>{L"base-select"});
}

TEST(NotifyMapChain, OwnTableShadowsBaseTable) {
    AppWindow window;
    NamedControl any(L"x");
    NotifyMessage click(L"click", &any);
    window.DispatchNotification(click);
    // The base class has a "click" row for any sender too; it is not reached.
    EXPECT_EQ(window.calls, std::vector<std::wstring>{L"last-any-click"});
}

TEST(NotifyMapChain, BaseClassAloneUsesItsOwnTable) {
    BaseWindow window;
    NamedControl any(L"okbtn");
    NotifyMessage click(L"click", &any);
    EXPECT_TRUE(window.DispatchNotification(click));
    EXPECT_EQ(window.calls, std::vector<std::wstring>{L"base-any-click"});
}

TEST(NotifyMapChain, PumpAloneHandlesNothing) {
    CNotifyPump pump;
    NamedControl any(L"okbtn");
    NotifyMessage click(L"click", &any);
    EXPECT_FALSE(pump.DispatchNotification(click));
    EXPECT_EQ(pump.NotifyMap(), CNotifyPump::NotifyPumpNotifyMap());
    EXPECT_EQ(CNotifyPump::NotifyPumpNotifyMap()->baseMap, nullptr);
}

TEST(NotifyMapChain, ParamsHandlerGetsPointerSizedValues) {
    AppWindow window;
    NamedControl timerOwner(L"clock");
    const WPARAM wide = static_cast<WPARAM>(UINTPTR_MAX) - 5;
    const LPARAM pointer = reinterpret_cast<LPARAM>(&window);
    NotifyMessage timer(L"timer", &timerOwner, wide, pointer);
    EXPECT_TRUE(window.DispatchNotification(timer));
    EXPECT_EQ(window.lastWParam, wide);
    EXPECT_EQ(window.lastLParam, pointer);
}

TEST(NotifyMapChain, RowOfUnknownKindEndsTheSearchUnhandled) {
    class OddWindow : public BaseWindow {
    public:
        static const TavikUI::NotifyMap* OddMap() {
            static NotifyMapEntry rows[] = {NotifyRow(L"click", L"", &BaseWindow::OnBaseSelect), NotifyRowEnd()};
            rows[0].kind = 7;
            static const TavikUI::NotifyMap map = {&BaseWindow::BaseWindowMap, rows};
            return &map;
        }
        const TavikUI::NotifyMap* NotifyMap() const override { return OddMap(); }
    };
    OddWindow window;
    NamedControl any(L"a");
    NotifyMessage click(L"click", &any);
    EXPECT_FALSE(window.DispatchNotification(click));
    EXPECT_TRUE(window.calls.empty());
}

TEST(NotifyMapChain, NotificationWithoutSenderMatchesOnlyRowsForAnySender) {
    AppWindow window;
    NotifyMessage click(L"click", nullptr);
    EXPECT_TRUE(window.DispatchNotification(click));
    EXPECT_EQ(window.calls, std::vector<std::wstring>{L"last-any-click"});

    NotifyMessage select(L"selectchanged", nullptr);
    window.calls.clear();
    EXPECT_FALSE(window.DispatchNotification(select));
}

// The pump part sits after other data in the window, so handlers must be
// called on the adjusted object.
class SomethingFirst {
public:
    virtual ~SomethingFirst() = default;
    int64_t padding[3] = {1, 2, 3};
};

class LaterPumpWindow : public SomethingFirst, public CNotifyPump {
public:
    static const TavikUI::NotifyMap* LaterMap() {
        static const NotifyMapEntry rows[] = {NotifyRow(L"click", L"", &LaterPumpWindow::OnClick), NotifyRowEnd()};
        static const TavikUI::NotifyMap map = {&CNotifyPump::NotifyPumpNotifyMap, rows};
        return &map;
    }
    const TavikUI::NotifyMap* NotifyMap() const override { return LaterMap(); }
    void OnClick(NotifyMessage&) { seenBy = this; }
    LaterPumpWindow* seenBy = nullptr;
};

TEST(NotifyMapChain, HandlerRunsOnTheWholeWindowObject) {
    LaterPumpWindow window;
    CNotifyPump* pump = &window;
    ASSERT_NE(static_cast<void*>(pump), static_cast<void*>(&window));
    NotifyMessage click(L"click", nullptr);
    EXPECT_TRUE(pump->DispatchNotification(click));
    EXPECT_EQ(window.seenBy, &window);
}

// A window that keeps other pumps for virtual windows.
class HostWindow : public BaseWindow {
public:
    void AddVirtualWindow(const wchar_t* name, CNotifyPump* pump) { VirtualWindowPumps().Insert(name, pump); }
};

TEST(NotifyVirtualWindows, PumpOfTheNamedVirtualWindowAnswersFirst) {
    HostWindow host;
    AppWindow page;
    host.AddVirtualWindow(L"Page", &page);
    NamedControl ok(L"okbtn");
    NotifyMessage click(L"click", &ok);
    click.virtualWindowName.AssignText(L"page");
    EXPECT_TRUE(host.DispatchNotification(click));
    EXPECT_EQ(page.calls, std::vector<std::wstring>{L"ok-click"});
    EXPECT_TRUE(host.calls.empty());
}

TEST(NotifyVirtualWindows, HostAnswersWhatTheVirtualWindowDoesNotHandle) {
    HostWindow host;
    CNotifyPump emptyPage;
    host.AddVirtualWindow(L"page", &emptyPage);
    NamedControl ok(L"okbtn");
    NotifyMessage click(L"click", &ok);
    click.virtualWindowName.AssignText(L"page");
    EXPECT_TRUE(host.DispatchNotification(click));
    EXPECT_EQ(host.calls, std::vector<std::wstring>{L"base-any-click"});
}

TEST(NotifyVirtualWindows, UnnamedNotificationSkipsVirtualWindows) {
    HostWindow host;
    AppWindow page;
    host.AddVirtualWindow(L"page", &page);
    NamedControl ok(L"okbtn");
    NotifyMessage click(L"click", &ok);
    EXPECT_TRUE(host.DispatchNotification(click));
    EXPECT_TRUE(page.calls.empty());
    EXPECT_EQ(host.calls, std::vector<std::wstring>{L"base-any-click"});
}

TEST(NotifyRecords, MessageCarriesWhatItWasBuiltWith) {
    NamedControl sender(L"s");
    NotifyMessage message(L"itemselect", &sender, 3, -4);
    EXPECT_STREQ(message.type.Text(), L"itemselect");
    EXPECT_EQ(message.sender, &sender);
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_EQ(message.lParam, -4);
    EXPECT_TRUE(message.virtualWindowName.IsEmpty());
    EXPECT_EQ(message.timestamp, 0u);
}

}  // namespace
