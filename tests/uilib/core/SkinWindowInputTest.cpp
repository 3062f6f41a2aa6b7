// What a skin window does with keys, the standard buttons, system commands
// and the messages it routes to its handlers, and how it lets go of its
// manager when the window goes.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "SkinWindowTestSupport.h"

namespace {

using SkinWindowTests::PumpUntil;
using SkinWindowTests::SkinWindowFixture;
using SkinWindowTests::TakePosted;
using SkinWindowTests::TestSkinWindow;

class SkinWindowInputTest : public SkinWindowFixture {
protected:
    std::unique_ptr<TestSkinWindow> OpenMain() {
        auto window = std::make_unique<TestSkinWindow>(L"main.xml");
        EXPECT_NE(window->Create(), nullptr);
        window->LayOut();
        return window;
    }
    void Click(TestSkinWindow& window, const wchar_t* name) {
        TavikUI::CControlUI* control = window.Control(name);
        ASSERT_NE(control, nullptr) << "no control " << name;
        window.Manager().SendNotification(control, L"click");
    }
};

TEST_F(SkinWindowInputTest, EscapeEndsTheModalLoopWithCodeOne) {
    auto window = OpenMain();
    PostMessageW(window->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(window->RunModal(), 1u);
    EXPECT_FALSE(IsWindow(window->Handle()));
    EXPECT_EQ(window->finalCalls, 1);
    EXPECT_EQ(window->filteredKeys, (std::vector<WPARAM>{VK_ESCAPE}));
}

TEST_F(SkinWindowInputTest, FilterPassesOnlyReturnAndEscapeKeyDownsToTheHook) {
    auto window = OpenMain();
    bool handled = false;
    window->FilterMessage(WM_KEYUP, VK_ESCAPE, 0, handled);
    EXPECT_FALSE(handled);
    window->FilterMessage(WM_KEYDOWN, 'A', 0, handled);
    EXPECT_FALSE(handled);
    // Return does nothing at this level.
    window->FilterMessage(WM_KEYDOWN, VK_RETURN, 0, handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(window->filteredKeys, (std::vector<WPARAM>{VK_RETURN}));
    MSG posted = {};
    EXPECT_FALSE(TakePosted(window->Handle(), WM_CLOSE, posted));

    // An application that takes Return gets it consumed.
    window->onFilteredKey = [](WPARAM key) { return key == VK_RETURN; };
    window->FilterMessage(WM_KEYDOWN, VK_RETURN, 0, handled);
    EXPECT_TRUE(handled);

    window->onFilteredKey = nullptr;
    window->FilterMessage(WM_KEYDOWN, VK_ESCAPE, 0, handled);
    EXPECT_TRUE(handled);
    ASSERT_TRUE(TakePosted(window->Handle(), WM_CLOSE, posted));
    EXPECT_EQ(posted.wParam, 1u);
}

TEST_F(SkinWindowInputTest, StandardButtonsCloseMinimiseMaximiseAndRestore) {
    auto window = OpenMain();
    MSG posted = {};
    Click(*window, L"closebtn");
    ASSERT_TRUE(TakePosted(window->Handle(), WM_CLOSE, posted));
    EXPECT_EQ(posted.wParam, 1u);

    Click(*window, L"minbtn");
    ASSERT_TRUE(TakePosted(window->Handle(), WM_SYSCOMMAND, posted));
    EXPECT_EQ(posted.wParam, static_cast<WPARAM>(SC_MINIMIZE));

    // The skin has no maximise or restore buttons: any control with those
    // names does.
    TavikUI::CControlUI* ok = window->Control(L"okbtn");
    ok->SetName(L"maxbtn");
    window->Manager().SendNotification(ok, L"click");
    ASSERT_TRUE(TakePosted(window->Handle(), WM_SYSCOMMAND, posted));
    EXPECT_EQ(posted.wParam, static_cast<WPARAM>(SC_MAXIMIZE));
    ok->SetName(L"restorebtn");
    window->Manager().SendNotification(ok, L"click");
    ASSERT_TRUE(TakePosted(window->Handle(), WM_SYSCOMMAND, posted));
    EXPECT_EQ(posted.wParam, static_cast<WPARAM>(SC_RESTORE));

    EXPECT_EQ(window->clicks, (std::vector<std::wstring>{L"closebtn", L"minbtn", L"maxbtn", L"restorebtn"}));
}

TEST_F(SkinWindowInputTest, OtherClicksDoNotReachTheStandardHandler) {
    auto window = OpenMain();
    Click(*window, L"okbtn");
    Click(*window, L"title");
    EXPECT_TRUE(window->clicks.empty());
    MSG posted = {};
    EXPECT_FALSE(TakePosted(window->Handle(), WM_CLOSE, posted));
    EXPECT_FALSE(TakePosted(window->Handle(), WM_SYSCOMMAND, posted));
}

TEST_F(SkinWindowInputTest, ApplicationRowsCanHandTheCancelButtonToTheStandardHandler) {
    auto window = OpenMain();
    TavikUI::CControlUI* ok = window->Control(L"okbtn");
    ok->SetName(L"CancelorExitBtn");
    TavikUI::NotifyMessage cancel(L"click", ok);
    window->HandleClick(cancel);
    MSG posted = {};
    ASSERT_TRUE(TakePosted(window->Handle(), WM_CLOSE, posted));
    EXPECT_EQ(posted.wParam, 1u);

    ok->SetName(L"closebtn2");
    TavikUI::NotifyMessage other(L"click", ok);
    window->HandleClick(other);
    TavikUI::NotifyMessage noSender(L"click", nullptr);
    window->HandleClick(noSender);
    EXPECT_FALSE(TakePosted(window->Handle(), WM_CLOSE, posted));
    EXPECT_FALSE(TakePosted(window->Handle(), WM_SYSCOMMAND, posted));
}

TEST_F(SkinWindowInputTest, MouseClickOnTheCloseButtonClosesTheWindow) {
    auto window = OpenMain();
    RECT button = window->Control(L"closebtn")->Rect();
    const LPARAM centre = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    window->SendToWindow(WM_MOUSEMOVE, 0, centre);
    window->SendToWindow(WM_LBUTTONDOWN, MK_LBUTTON, centre);
    window->SendToWindow(WM_LBUTTONUP, 0, centre);
    EXPECT_EQ(window->RunModal(), 1u);
    EXPECT_EQ(window->clicks, (std::vector<std::wstring>{L"closebtn"}));
}

TEST_F(SkinWindowInputTest, MinimiseButtonIconisesTheShownWindow) {
    auto window = OpenMain();
    window->ShowNative(true, false);
    Click(*window, L"minbtn");
    PumpUntil([&] { return IsIconic(window->Handle()) != FALSE; }, 2000);
    EXPECT_TRUE(IsIconic(window->Handle()));
}

TEST_F(SkinWindowInputTest, SystemCloseBecomesACloseMessage) {
    auto window = OpenMain();
    EXPECT_EQ(window->SendToWindow(WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    EXPECT_EQ(window->closeCodes, (std::vector<WPARAM>{0}));
    // Nobody kept the window open: the default closing destroyed it.
    EXPECT_FALSE(IsWindow(window->Handle()));
    EXPECT_EQ(window->finalCalls, 1);
}

TEST_F(SkinWindowInputTest, UnhandledMessagesReachTheOtherHandlerThenTheManager) {
    auto window = OpenMain();
    EXPECT_EQ(window->SendToWindow(TestSkinWindow::kAnsweredMessage, 0, 0), TestSkinWindow::kAnswer);
    window->otherMessages.clear();
    // Not handled by the window: the manager answers erasing itself.
    EXPECT_EQ(window->SendToWindow(WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(window->otherMessages, (std::vector<UINT>{WM_ERASEBKGND}));

    // A routed handler that leaves its message unhandled passes it on.
    window->otherMessages.clear();
    window->SendToWindow(WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(window->otherMessages, (std::vector<UINT>{WM_KEYDOWN}));
    // One that handles it ends the routing with its result.
    window->otherMessages.clear();
    window->keyDownAnswer = 5;
    EXPECT_EQ(window->SendToWindow(WM_KEYDOWN, 'A', 0), 5);
    EXPECT_TRUE(window->otherMessages.empty());
}

TEST_F(SkinWindowInputTest, DestroyedWindowNoLongerReceivesNotificationsOrKeys) {
    auto window = OpenMain();
    TavikUI::CWindowManager& manager = window->Manager();
    EXPECT_TRUE(manager.PreTranslate(WM_KEYDOWN, VK_ESCAPE, 0));
    MSG posted = {};
    TakePosted(window->Handle(), WM_CLOSE, posted);

    TavikUI::CControlUI* close = window->Control(L"closebtn");
    DestroyWindow(window->Handle());
    EXPECT_EQ(window->finalCalls, 1);
    EXPECT_FALSE(manager.PreTranslate(WM_KEYDOWN, VK_ESCAPE, 0));
    manager.SendNotification(close, L"click");
    EXPECT_TRUE(window->clicks.empty());
}

}  // namespace
