// Test controls for the window-manager tests: a control that records every
// event it gets and paints a solid colour, a container that holds children at
// fixed rectangles, and a fixture with a real window, a manager and a tree.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ControlUI.h"
#include "MessagePump.h"
#include "WindowManager.h"
#include "WindowWnd.h"

namespace ManagerTests {

using TavikUI::CControlUI;
using TavikUI::CWindowManager;
using TavikUI::UIEvent;

struct EventRecord {
    CControlUI* receiver;
    int type;
    CControlUI* sender;
    POINT point;
    uint16_t key;
    uint16_t keyState;
    WPARAM wParam;
    LPARAM lParam;
};

// Every event every test control received, in order; and the paint calls.
struct EventLog {
    std::vector<EventRecord> events;
    std::vector<std::wstring> paints;

    void Clear() {
        events.clear();
        paints.clear();
    }
    std::vector<int> TypesFor(const CControlUI* receiver) const {
        std::vector<int> types;
        for (const EventRecord& record : events) {
            if (record.receiver == receiver) {
                types.push_back(record.type);
            }
        }
        return types;
    }
    int Count(const CControlUI* receiver, int type) const {
        return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const EventRecord& record) {
            return record.receiver == receiver && record.type == type;
        }));
    }
    // The last event of that type for the receiver; type -1 when none.
    EventRecord Last(const CControlUI* receiver, int type) const {
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->receiver == receiver && it->type == type) {
                return *it;
            }
        }
        return EventRecord{nullptr, -1, nullptr, {0, 0}, 0, 0, 0, 0};
    }
};

// Records its events, paints its rectangle in one colour, and lets a test
// choose its behaviour flags, class name and event reaction.
class TestControl : public CControlUI {
public:
    TestControl(EventLog* log, const wchar_t* name, COLORREF color = RGB(0, 0, 0)) : log_(log), color_(color) {
        SetName(name);
    }
    ~TestControl() override {
        if (destroyed) {
            *destroyed = true;
        }
    }

    UINT BehaviourFlags() const override { return behaviour; }
    const wchar_t* ClassName() const override { return className; }
    bool IsActivatable() override {
        ++activations;
        return CControlUI::IsActivatable();
    }
    void HandleEvent(UIEvent& event) override {
        log_->events.push_back({this, event.type, event.sender, event.point, event.keyCharacter, event.keyState,
                                event.wParam, event.lParam});
        if (onEvent) {
            onEvent(event);
        }
        // The base reacts to these; everything else would climb to the
        // parent, which would log it again.
        switch (event.type) {
        case TavikUI::kEventContextMenu:
        case TavikUI::kEventKillFocus:
        case TavikUI::kEventSetFocus:
        case TavikUI::kEventTimer:
            CControlUI::HandleEvent(event);
            break;
        default:
            break;
        }
    }
    void Paint(HDC dc, const RECT& area) override {
        RECT part;
        if (!IntersectRect(&part, &area, &Rect())) {
            return;
        }
        log_->paints.push_back(Name().Text() + std::wstring(GetObjectType(dc) == OBJ_MEMDC ? L":memory" : L":screen"));
        HBRUSH brush = CreateSolidBrush(color_);
        FillRect(dc, &part, brush);
        DeleteObject(brush);
    }
    void PostPaint(HDC, const RECT&) override { log_->paints.push_back(L"post:" + std::wstring(Name().Text())); }

    UINT behaviour = 0;
    const wchar_t* className = L"TestUI";
    int activations = 0;
    bool* destroyed = nullptr;
    std::function<void(UIEvent&)> onEvent;

protected:
    EventLog* log_;
    COLORREF color_;
};

// Holds children at fixed rectangles (placed when the container is placed)
// and visits them as containers do: itself first or last, children first to
// last or last to first.
class TestContainer : public TestControl {
public:
    using TestControl::TestControl;
    ~TestContainer() override {
        for (Child& child : children_) {
            delete child.control;
        }
    }

    template <class Control>
    Control* Add(Control* control, RECT rect) {
        children_.push_back({control, rect});
        if (Manager()) {
            Manager()->AdoptControlTree(control, this);
        }
        return control;
    }
    // Takes the child out without deleting it.
    void Remove(CControlUI* control) {
        children_.erase(std::remove_if(children_.begin(), children_.end(),
                                       [&](const Child& child) { return child.control == control; }),
                        children_.end());
    }

    void AttachToManager(CWindowManager* manager, CControlUI* parent, bool init) override {
        CControlUI::AttachToManager(manager, parent, init);
        for (Child& child : children_) {
            child.control->AttachToManager(manager, this, init);
        }
    }
    void Place(const RECT& rect) override {
        CControlUI::Place(rect);
        for (Child& child : children_) {
            child.control->Place(child.rect);
        }
    }
    void Paint(HDC dc, const RECT& area) override {
        TestControl::Paint(dc, area);
        for (Child& child : children_) {
            if (child.control->IsVisible()) {
                child.control->Paint(dc, area);
            }
        }
    }
    CControlUI* VisitControls(TavikUI::ControlVisitor visitor, void* data, UINT flags) override {
        if ((flags & TavikUI::kVisitVisibleOnly) && !IsVisible()) {
            return nullptr;
        }
        if ((flags & TavikUI::kVisitEnabledOnly) && !IsEnabled()) {
            return nullptr;
        }
        if ((flags & TavikUI::kVisitHitTest) && !PtInRect(&Rect(), *static_cast<POINT*>(data))) {
            return nullptr;
        }
        const bool selfFirst = (flags & TavikUI::kVisitContainerFirst) != 0;
        if (selfFirst) {
            if (CControlUI* found = CControlUI::VisitControls(visitor, data, flags)) {
                return found;
            }
        }
        const bool reverse = (flags & TavikUI::kVisitLastChildFirst) != 0;
        const int count = static_cast<int>(children_.size());
        for (int i = 0; i < count; ++i) {
            CControlUI* child = children_[reverse ? count - 1 - i : i].control;
            if (CControlUI* found = child->VisitControls(visitor, data, flags)) {
                return found;
            }
        }
        return selfFirst ? nullptr : CControlUI::VisitControls(visitor, data, flags);
    }

private:
    struct Child {
        CControlUI* control;
        RECT rect;
    };
    std::vector<Child> children_;
};

using testsupport::PumpFor;
using testsupport::PumpPending;
using testsupport::PumpUntil;

inline LPARAM PointParam(int x, int y) { return MAKELPARAM(x, y); }

// One visible 400 x 300 window at the screen origin for the whole test
// program, handing its messages to whichever manager a test attached. It is
// never destroyed: hiding a shown window costs Wine two seconds per window.
class HostWindow : public TavikUI::CWindowWnd {
public:
    static HostWindow& Shared() {
        static HostWindow* host = new HostWindow();
        return *host;
    }
    const wchar_t* WindowClassName() const override { return L"TavikManagerTestHost"; }
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        if (manager && manager->HandleWindowMessage(message, wParam, lParam, result)) {
            return result;
        }
        return CallSavedProc(message, wParam, lParam);
    }

    // A new manager attached to the window, which hands it the window's
    // messages from now on.
    std::unique_ptr<CWindowManager> AttachNewManager() {
        auto fresh = std::make_unique<CWindowManager>();
        fresh->Attach(Handle());
        manager = fresh.get();
        return fresh;
    }

    CWindowManager* manager = nullptr;

private:
    HostWindow() {
        CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr));
        CreateNativeWindow(nullptr, L"manager test", WS_POPUP | WS_VISIBLE, 0, 0, 0, 400, 300);
    }
};

// A fresh manager on the shared window with a root container (white) holding
// A at (10,10)-(100,50) in red and B at (120,10)-(200,50) in blue. The cursor
// is parked far outside so the system adds no mouse messages of its own.
// After set-up the first paint has run and the log is empty.
class ManagerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetCursorPos(1200, 1000);
        host_ = &HostWindow::Shared();
        ASSERT_NE(host_->Handle(), nullptr) << "no X display?";
        manager_ = host_->AttachNewManager();
        root_ = new TestContainer(&log_, L"root", RGB(255, 255, 255));
        a_ = root_->Add(new TestControl(&log_, L"A", RGB(255, 0, 0)), RECT{10, 10, 100, 50});
        b_ = root_->Add(new TestControl(&log_, L"B", RGB(0, 0, 255)), RECT{120, 10, 200, 50});
        manager_->AttachRoot(root_);
        RepaintNow();
        log_.Clear();
    }
    void TearDown() override {
        host_->manager = nullptr;
        manager_.reset();
        ReleaseCapture();
        // Messages the manager left behind go to the bare window now.
        PumpPending();
    }

    CWindowManager& Manager() { return *manager_; }
    HWND Handle() { return host_->Handle(); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(Handle(), message, wParam, lParam);
    }
    void RepaintNow() {
        InvalidateRect(Handle(), nullptr, FALSE);
        UpdateWindow(Handle());
    }

    EventLog log_;
    HostWindow* host_ = nullptr;
    std::unique_ptr<CWindowManager> manager_;
    TestContainer* root_ = nullptr;
    TestControl* a_ = nullptr;
    TestControl* b_ = nullptr;
};

}  // namespace ManagerTests
