// Keyboard messages and focus: keys reach the focused control, the focus
// moves with Tab and Shift+Tab over the Tab stops, Alt+shortcut activates,
// and the focus notifications go out.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "ManagerTestSupport.h"

namespace ManagerTests {
namespace {

using namespace TavikUI;

// Holds keys down in the thread's keyboard state for GetKeyState.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        GetKeyboardState(saved_);
        BYTE state[256];
        GetKeyboardState(state);
        for (int key : keys) {
            state[key] |= 0x80;
        }
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256] = {};
};

class Keyboard : public ManagerFixture {
protected:
    void SetUp() override {
        ManagerFixture::SetUp();
        Manager().RegisterNotifyReceiver(&notifications_);
    }
    std::vector<std::wstring> NotificationTypes() const {
        std::vector<std::wstring> types;
        for (const auto& entry : notifications_.entries) {
            types.push_back(entry.type + L":" + (entry.sender ? entry.sender->Name().Text() : L"-"));
        }
        return types;
    }
    bool PressTab() { return Manager().PreTranslate(WM_KEYDOWN, VK_TAB, 0); }

    ControlTests::NotificationRecorder notifications_;
};

TEST_F(Keyboard, KeysReachTheFocusedControlAndKeyUpTheOneThatGotKeyDown) {
    Send(WM_MOUSEMOVE, 0, PointParam(300, 200));
    Manager().MoveFocusTo(a_);
    Send(WM_KEYDOWN, 'X', 0);
    const EventRecord down = log_.Last(a_, kEventKeyDown);
    EXPECT_EQ(down.key, 'X');
    EXPECT_EQ(down.point.x, 300) << "keys carry the last mouse point";

    Manager().MoveFocusTo(b_);
    EXPECT_EQ(log_.Last(a_, kEventKillFocus).sender, b_) << "kill focus names the new control";
    Send(WM_KEYUP, 'X', 0);
    EXPECT_EQ(log_.Count(a_, kEventKeyUp), 1);
    EXPECT_EQ(log_.Count(b_, kEventKeyUp), 0);
    Send(WM_KEYUP, 'X', 0);
    EXPECT_EQ(log_.Count(a_, kEventKeyUp), 1) << "the key-down control was cleared";

    Send(WM_CHAR, L'y', 0);
    EXPECT_EQ(log_.Last(b_, kEventChar).key, L'y');
}

TEST_F(Keyboard, FocusMovesSendEventsAndNotifications) {
    Manager().MoveFocusTo(a_);
    Manager().MoveFocusTo(a_);  // already focused: nothing
    Manager().MoveFocusTo(b_);
    EXPECT_EQ(NotificationTypes(), (std::vector<std::wstring>{L"setfocus:A", L"killfocus:A", L"setfocus:B"}));
    EXPECT_TRUE(b_->IsFocused());
    EXPECT_FALSE(a_->IsFocused());
    EXPECT_EQ(log_.Count(a_, kEventSetFocus), 1);
    EXPECT_EQ(GetFocus(), Handle());
}

TEST_F(Keyboard, HiddenDisabledOrForeignControlsCannotTakeTheFocus) {
    Manager().MoveFocusTo(a_);
    b_->SetEnabledState(false);
    Manager().MoveFocusTo(b_);
    EXPECT_EQ(Manager().FocusedControl(), nullptr) << "the old focus is dropped all the same";
    b_->SetEnabledState(true);
    b_->ShowOrHide(false);
    Manager().MoveFocusTo(b_);
    EXPECT_EQ(Manager().FocusedControl(), nullptr);
    CWindowManager other;
    a_->AttachToManager(&other, root_, false);
    Manager().MoveFocusTo(a_);
    EXPECT_EQ(Manager().FocusedControl(), nullptr);
    a_->AttachToManager(&Manager(), root_, false);
    EXPECT_EQ(log_.Count(b_, kEventSetFocus), 0);
}

class TabWalk : public Keyboard {
protected:
    void SetUp() override {
        Keyboard::SetUp();
        a_->behaviour = kBehaviourTabStop;
        b_->behaviour = kBehaviourTabStop;
        disabled_ = root_->Add(new TestControl(&log_, L"disabled"), RECT{10, 60, 50, 80});
        disabled_->behaviour = kBehaviourTabStop;
        disabled_->SetEnabledState(false);
        plain_ = root_->Add(new TestControl(&log_, L"plain"), RECT{60, 60, 100, 80});
        e_ = root_->Add(new TestControl(&log_, L"E"), RECT{110, 60, 150, 80});
        e_->behaviour = kBehaviourTabStop;
    }
    TestControl* disabled_ = nullptr;
    TestControl* plain_ = nullptr;
    TestControl* e_ = nullptr;
};

TEST_F(TabWalk, TabMovesForwardOverEnabledTabStopsAndWraps) {
    std::vector<CControlUI*> visited;
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(PressTab());
        visited.push_back(Manager().FocusedControl());
    }
    EXPECT_EQ(visited, (std::vector<CControlUI*>{a_, b_, e_, a_}));
}

TEST_F(TabWalk, ShiftTabMovesBackwardAndWrapsToTheLast) {
    Manager().MoveFocusTo(b_);
    HeldKeys shift({VK_SHIFT});
    std::vector<CControlUI*> visited;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(PressTab());
        visited.push_back(Manager().FocusedControl());
    }
    EXPECT_EQ(visited, (std::vector<CControlUI*>{a_, e_, b_}));
}

TEST_F(TabWalk, FocusOnAControlThatIsNoTabStopContinuesAfterIt) {
    Manager().MoveFocusTo(plain_);
    EXPECT_TRUE(PressTab());
    EXPECT_EQ(Manager().FocusedControl(), e_);
    Manager().MoveFocusTo(plain_);
    HeldKeys shift({VK_SHIFT});
    EXPECT_TRUE(PressTab());
    EXPECT_EQ(Manager().FocusedControl(), b_);
}

TEST_F(TabWalk, ControlThatWantsTabGetsItAsAKey) {
    Manager().MoveFocusTo(a_);
    a_->SetWantsTab(true);
    EXPECT_FALSE(PressTab());
    EXPECT_EQ(Manager().FocusedControl(), a_);
    Send(WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(log_.Last(a_, kEventKeyDown).key, VK_TAB);
}

TEST_F(TabWalk, ModalLoopPreTranslationFindsTheManagerOfTheWindow) {
    MSG message = {};
    message.hwnd = Handle();
    message.message = WM_KEYDOWN;
    message.wParam = VK_TAB;
    EXPECT_TRUE(CWindowManager::PreTranslateAll(&message));
    EXPECT_EQ(Manager().FocusedControl(), a_);
    message.wParam = 'A';
    EXPECT_FALSE(CWindowManager::PreTranslateAll(&message));
    message.hwnd = GetDesktopWindow();
    message.wParam = VK_TAB;
    EXPECT_FALSE(CWindowManager::PreTranslateAll(&message)) << "no manager for that window";
    EXPECT_EQ(Manager().FocusedControl(), a_);
}

TEST_F(TabWalk, TabWhileLayoutIsPendingWaitsForThePaint) {
    Manager().MarkForUpdate();
    EXPECT_TRUE(PressTab());
    EXPECT_EQ(Manager().FocusedControl(), nullptr);
    RepaintNow();
    EXPECT_EQ(Manager().FocusedControl(), a_);
}

TEST_F(TabWalk, FirstPaintOfANewRootFocusesTheFirstTabStop) {
    auto* root = new TestContainer(&log_, L"root2");
    auto* first = root->Add(new TestControl(&log_, L"first"), RECT{0, 0, 10, 10});
    first->behaviour = kBehaviourTabStop;
    Manager().AttachRoot(root);
    EXPECT_EQ(Manager().FocusedControl(), nullptr);
    RepaintNow();
    EXPECT_EQ(Manager().FocusedControl(), first);
}

TEST_F(TabWalk, FocusWindowAndControlMovesOntoTheControlAtTheNextPaint) {
    Manager().MoveFocusTo(a_);
    Manager().FocusWindowAndControl(e_);
    EXPECT_EQ(log_.Count(a_, kEventKillFocus), 1);
    EXPECT_EQ(Manager().FocusedControl(), b_) << "parked on the Tab stop before the control";
    EXPECT_EQ(log_.Count(b_, kEventSetFocus), 0);
    RepaintNow();
    EXPECT_EQ(Manager().FocusedControl(), e_);
    EXPECT_EQ(log_.Count(e_, kEventSetFocus), 1);
}

class Shortcuts : public Keyboard {
protected:
    void SetUp() override {
        Keyboard::SetUp();
        // Children are visited last to first: label, then target.
        target_ = root_->Add(new TestControl(&log_, L"target"), RECT{10, 60, 50, 80});
        label_ = root_->Add(new TestControl(&log_, L"label"), RECT{60, 60, 100, 80});
        label_->className = L"LabelUI";
        label_->SetShortcut(L'n');
    }
    TestControl* target_ = nullptr;
    TestControl* label_ = nullptr;
};

TEST_F(Shortcuts, LabelShortcutActivatesTheNextControlOfTheWalk) {
    EXPECT_TRUE(Manager().PreTranslate(WM_SYSCHAR, L'N', 0));
    EXPECT_EQ(Manager().FocusedControl(), target_);
    EXPECT_EQ(target_->activations, 1);
    EXPECT_EQ(label_->activations, 0);
}

TEST_F(Shortcuts, ShortcutsIgnoreCaseAndSkipHiddenControls) {
    b_->SetShortcut(L'Q');
    EXPECT_TRUE(Manager().PreTranslate(WM_SYSCHAR, L'q', 0));
    EXPECT_EQ(Manager().FocusedControl(), b_);
    b_->ShowOrHide(false);
    EXPECT_FALSE(Manager().PreTranslate(WM_SYSCHAR, L'q', 0));
    EXPECT_FALSE(Manager().PreTranslate(WM_SYSCHAR, L'z', 0));
}

TEST_F(Keyboard, SystemKeysReachTheFocusedControlWithoutBeingConsumed) {
    Manager().MoveFocusTo(b_);
    EXPECT_FALSE(Manager().PreTranslate(WM_SYSKEYDOWN, VK_F10, 0));
    EXPECT_EQ(log_.Last(b_, kEventSysKey).key, VK_F10);
}

TEST_F(Keyboard, KeyStateReportsButtonsAndModifiers) {
    {
        HeldKeys keys({VK_SHIFT, VK_CONTROL});
        EXPECT_EQ(CWindowManager::KeyState(), kKeyStateShift | kKeyStateControl);
    }
    {
        HeldKeys keys({VK_LBUTTON, VK_RBUTTON, VK_MENU});
        EXPECT_EQ(CWindowManager::KeyState(), kKeyStateLeftButton | kKeyStateRightButton | kKeyStateAlt);
        Manager().MoveFocusTo(a_);
        Send(WM_KEYDOWN, 'K', 0);
        EXPECT_EQ(log_.Last(a_, kEventKeyDown).keyState, kKeyStateLeftButton | kKeyStateRightButton | kKeyStateAlt);
    }
    EXPECT_EQ(CWindowManager::KeyState(), 0);
}

// Consumes one message and records what it saw.
class ConsumingFilter : public IMessageFilterUI, public ITranslateAccelerator {
public:
    explicit ConsumingFilter(UINT consumed) : consumed_(consumed) {}
    LRESULT FilterMessage(UINT message, WPARAM, LPARAM, bool& handled) override {
        seen.push_back(message);
        handled = message == consumed_;
        return handled ? 42 : 0;
    }
    LRESULT TranslateAcceleratorMessage(MSG* message) override {
        seen.push_back(message->message);
        return message->message == consumed_ ? S_OK : S_FALSE;
    }
    std::vector<UINT> seen;

private:
    UINT consumed_;
};

TEST_F(Keyboard, FiltersAndTranslatorsSeeMessagesFirst) {
    ConsumingFilter filter(WM_KEYDOWN);
    Manager().RegisterPreTranslateFilter(&filter);
    Manager().MoveFocusTo(a_);
    a_->behaviour = kBehaviourTabStop;
    EXPECT_TRUE(PressTab()) << "consumed by the filter";
    EXPECT_EQ(Manager().FocusedControl(), a_);
    EXPECT_TRUE(Manager().UnregisterPreTranslateFilter(&filter));
    EXPECT_FALSE(Manager().UnregisterPreTranslateFilter(&filter));

    ConsumingFilter translator(WM_CHAR);
    Manager().RegisterAcceleratorTranslator(&translator);
    MSG message = {};
    message.hwnd = Handle();
    message.message = WM_CHAR;
    EXPECT_TRUE(CWindowManager::PreTranslateAll(&message));
    message.message = WM_KEYUP;
    EXPECT_FALSE(CWindowManager::PreTranslateAll(&message));
    EXPECT_EQ(translator.seen, (std::vector<UINT>{WM_CHAR, WM_KEYUP}));
    Manager().UnregisterAcceleratorTranslator(&translator);

    ConsumingFilter messageFilter(WM_USER + 5);
    Manager().RegisterMessageFilter(&messageFilter);
    EXPECT_EQ(Send(WM_USER + 5), 42);
    Send(WM_CHAR, 'c', 0);
    EXPECT_EQ(log_.Count(a_, kEventChar), 1) << "unhandled messages go on";
    Manager().UnregisterMessageFilter(&messageFilter);
}

TEST_F(Keyboard, WindowSizeReachesTheFocusAndRelaysTheTreeOut) {
    Manager().MoveFocusTo(b_);
    LRESULT result = 0;
    EXPECT_TRUE(Manager().HandleWindowMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300), result));
    EXPECT_EQ(log_.Count(b_, kEventWindowSize), 1);
    EXPECT_TRUE(root_->NeedsLayout());
    RepaintNow();
    EXPECT_FALSE(root_->NeedsLayout());
}

}  // namespace
}  // namespace ManagerTests
