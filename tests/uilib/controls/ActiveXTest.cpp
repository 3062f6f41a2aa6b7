// The ActiveX host with the test control: windowless painting through the
// view object and mouse messages where the hit test says so, windowed
// hosting in a child window that follows the control, delayed creation,
// "showactivex" before activation, and every reference given back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ActiveXTestSupport.h"
#include "ActiveXCtrl.h"
#include "ActiveXFrameWnd.h"
#include "ActiveXUI.h"
#include "ContainerUI.h"
#include "FlashUI.h"
#include "WebBrowserUI.h"
#include "SkinBuilder.h"

using ActiveXTests::ClsidText;
using ActiveXTests::OleWindowTest;
using RenderTests::RenderCanvas;
using TavikUI::CActiveXUI;

namespace {

const RECT kPlace = {20, 30, 220, 130};
// The test control's colour as the canvas reads it (0x00RRGGBB).
const DWORD kDrawRgb = (GetRValue(ActiveXTests::kDrawColor) << 16) | (GetGValue(ActiveXTests::kDrawColor) << 8) |
                       GetBValue(ActiveXTests::kDrawColor);

std::wstring Skin(const CLSID& clsid, const wchar_t* before = L"") {
    return L"<Window><Container bkcolor=\"#FFFFFFFF\"><ActiveX name=\"x\" float=\"true\" pos=\"20,30,220,130\" " +
           std::wstring(before) + L" modulename=\"" + ActiveXTests::kModuleName + L"\" clsid=\"" + ClsidText(clsid) +
           L"\"/></Container></Window>";
}

// Notes how many verbs the object had run when "showactivex" arrived.
class ShowRecorder : public TavikUI::INotifyUI {
public:
    explicit ShowRecorder(const ActiveXTests::TestControlState* state) : state_(state) {}
    void ReceiveNotification(TavikUI::NotifyMessage& message) override {
        if (message.type.Equals(L"showactivex")) {
            verbsAtShow.push_back(state_->verbs);
        }
    }
    std::vector<LONG> verbsAtShow;

private:
    const ActiveXTests::TestControlState* state_;
};

TEST(ActiveXInterfaceTest, NamesRefusedClsidsAndQueriesWithoutObject) {
    CActiveXUI control;
    EXPECT_STREQ(control.ClassName(), L"ActiveXUI");
    EXPECT_EQ(control.InterfaceByName(L"ActiveX"), &control);
    EXPECT_EQ(control.InterfaceByName(L"Control"), &control);
    control.ApplyAttribute(L"delaycreate", L"false");
    // GUID_NULL, as text or as a value, changes nothing and creates nothing.
    control.ApplyAttribute(L"clsid", L"{00000000-0000-0000-0000-000000000000}");
    EXPECT_FALSE(control.SetClsid(GUID_NULL));
    EXPECT_TRUE(control.Clsid() == GUID_NULL);
    EXPECT_EQ(control.HostedObject(), nullptr);
    void* object = &control;
    EXPECT_EQ(control.QueryControl(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(control.QueryControl(IID_IUnknown, &object), E_PENDING);
    EXPECT_EQ(object, nullptr);
}

TEST(ActiveXInterfaceTest, EveryHostIgnoresANullNameOrValue) {
    TavikUI::CWebBrowserUI browser;
    TavikUI::CFlashUI flash;
    for (CActiveXUI* control : {static_cast<CActiveXUI*>(&browser), static_cast<CActiveXUI*>(&flash)}) {
        control->ApplyAttribute(nullptr, L"true");
        control->ApplyAttribute(L"delaycreate", nullptr);
        control->CActiveXUI::ApplyAttribute(nullptr, L"true");
        EXPECT_TRUE(control->DelayCreate()) << control->ClassName();
    }
}

TEST(ActiveXInterfaceTest, SiteAndFrameAnswerWhatTheyCannotFillAsUnsupported) {
    auto* site = new TavikUI::CActiveXCtrl();
    POINTL himetric = {1, 1};
    POINTF container = {0, 0};
    EXPECT_EQ(
        static_cast<IOleControlSite*>(site)->TransformCoords(&himetric, &container, XFORMCOORDS_HIMETRICTOCONTAINER),
        E_NOTIMPL);
    static_cast<IOleClientSite*>(site)->Release();
    auto* frame = new TavikUI::CActiveXFrameWnd(nullptr);
    RECT border = {};
    EXPECT_EQ(frame->GetBorder(&border), INPLACE_E_NOTOOLSPACE);
    OLEMENUGROUPWIDTHS widths;
    FillMemory(&widths, sizeof(widths), 0x7F);
    EXPECT_EQ(frame->InsertMenus(nullptr, &widths), S_OK);
    EXPECT_EQ(widths.width[0] + widths.width[2] + widths.width[4], 0);
    frame->Release();
}

class ActiveXWindowTest : public OleWindowTest {};

TEST_F(ActiveXWindowTest, WindowlessObjectPaintsTakesHitMessagesAndGivesEverythingBack) {
    ShowRecorder shows(state_);
    ASSERT_TRUE(manager_->RegisterNotifyReceiver(&shows));
    ASSERT_TRUE(BuildSkin(Skin(ActiveXTests::kWindowlessClsid)));
    auto* control = Find<CActiveXUI>(L"x");
    ASSERT_NE(control, nullptr);
    ASSERT_NE(control->HostedObject(), nullptr);
    // Announced once, before the in-place activation.
    EXPECT_EQ(shows.verbsAtShow, std::vector<LONG>{0});
    EXPECT_EQ(state_->verbs, 1);
    EXPECT_EQ(control->HostWindow(), Handle());

    RenderCanvas canvas(400, 300);
    Print(canvas);
    const int area = (kPlace.right - kPlace.left) * (kPlace.bottom - kPlace.top);
    EXPECT_EQ(ControlsTests::CountNear(canvas, kPlace, kDrawRgb, 0), area);
    EXPECT_EQ(ControlsTests::CountNear(canvas, RECT{0, 0, 400, 30}, kDrawRgb, 0), 0);

    // Keys only while the control has the focus.
    Send(WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(state_->windowMessages, 0);
    control->TakeFocus();
    Send(WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(state_->windowMessages, 1);
    EXPECT_EQ(state_->lastMessage, static_cast<UINT>(WM_KEYDOWN));

    // Left half: the object's; right half: the window's own handling.
    const LPARAM hit = MAKELPARAM(60, 80);
    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, hit), ActiveXTests::kMessageAnswer);
    EXPECT_EQ(state_->windowMessages, 2);
    EXPECT_EQ(state_->lastMessage, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(state_->lastLParam, hit);
    Send(WM_LBUTTONUP, 0, hit);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(180, 80));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(180, 80));
    EXPECT_EQ(state_->windowMessages, 3);
    EXPECT_EQ(state_->lastMessage, static_cast<UINT>(WM_LBUTTONUP));
    // A control that takes no mouse input passes no mouse message on.
    control->SetAcceptsMouse(false);
    Send(WM_MOUSEMOVE, 0, hit);
    EXPECT_EQ(state_->windowMessages, 3);

    manager_->UnregisterNotifyReceiver(&shows);
    DestroyTree();
    EXPECT_EQ(state_->liveObjects, 0);
    EXPECT_EQ(state_->references, 0);
    EXPECT_EQ(state_->runningLocks, 0);
    EXPECT_EQ(state_->hostReferences, 0);
}

TEST_F(ActiveXWindowTest, WithoutIViewObjectExNoMouseMessageIsPassedOn) {
    ASSERT_TRUE(BuildSkin(Skin(ActiveXTests::kNoHitTestClsid)));
    ASSERT_NE(Find<CActiveXUI>(L"x")->HostedObject(), nullptr);
    RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_GT(ControlsTests::CountNear(canvas, kPlace, kDrawRgb, 0), 0);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 80));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(60, 80));
    EXPECT_EQ(state_->windowMessages, 0);
    DestroyTree();
    EXPECT_EQ(state_->references, 0);
}

TEST_F(ActiveXWindowTest, AFailedCreationKeepsNoObjectAndNoReference) {
    ASSERT_TRUE(BuildSkin(Skin(ActiveXTests::kRefusingClsid)));
    auto* control = Find<CActiveXUI>(L"x");
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(state_->verbs, 1);
    EXPECT_EQ(control->HostedObject(), nullptr);
    EXPECT_EQ(control->Site(), nullptr);
    EXPECT_EQ(state_->liveObjects, 0);
    EXPECT_EQ(state_->references, 0);
    EXPECT_EQ(state_->hostReferences, 0);
    // A class the module does not serve, and that nobody registered.
    EXPECT_TRUE(control->SetClsid(CLSID{0x6A1D0CFF, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}}));
    EXPECT_FALSE(control->CreateActiveXControl());
    EXPECT_EQ(state_->references, 0);
    RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_EQ(ControlsTests::CountNear(canvas, kPlace, kDrawRgb, 0), 0);
}

TEST_F(ActiveXWindowTest, WindowedObjectLivesInAChildWindowThatFollowsTheControl) {
    ASSERT_TRUE(BuildSkin(Skin(ActiveXTests::kWindowedClsid)));
    auto* control = Find<CActiveXUI>(L"x");
    ASSERT_NE(control, nullptr);
    const HWND child = control->HostWindow();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), Handle());
    wchar_t text[32] = {};
    GetWindowTextW(child, text, 32);
    EXPECT_STREQ(text, L"UIActiveX");
    GetClassNameW(child, text, 32);
    EXPECT_STREQ(text, L"ActiveXWnd");
    ASSERT_NE(state_->ownWindow, nullptr);
    EXPECT_EQ(GetParent(state_->ownWindow), child);

    RECT placed;
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(EqualRect(&placed, &kPlace));
    RECT own;
    GetClientRect(state_->ownWindow, &own);
    EXPECT_EQ(own.right, kPlace.right - kPlace.left);

    control->Place(RECT{50, 60, 150, 100});
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&placed), 2);
    const RECT moved = {50, 60, 150, 100};
    EXPECT_TRUE(EqualRect(&placed, &moved));
    GetClientRect(state_->ownWindow, &own);
    EXPECT_EQ(own.right, 100);

    control->ShowOrHide(false);
    EXPECT_FALSE(IsWindowVisible(child));
    control->ShowOrHide(true);
    EXPECT_TRUE(IsWindowVisible(child));
    control->SetParentGivenVisibility(false);
    EXPECT_FALSE(IsWindowVisible(child));

    DestroyTree();
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(state_->liveObjects, 0);
    EXPECT_EQ(state_->references, 0);
    EXPECT_EQ(state_->hostReferences, 0);
}

TEST_F(ActiveXWindowTest, AnEagerObjectsFilterFollowsTheTreeAndDiesWithIt) {
    const std::wstring skin = Skin(ActiveXTests::kWindowlessClsid, L"delaycreate=\"false\"");
    auto firstFilter = [](TavikUI::CControlUI* root) -> TavikUI::IMessageFilterUI* {
        auto* container = static_cast<TavikUI::IContainerUI*>(root->InterfaceByName(L"IContainer"));
        return dynamic_cast<CActiveXUI*>(container->ChildAt(0));
    };
    // Built for the manager but never attached, then deleted: only the
    // pointer is compared afterwards.
    TavikUI::CSkinBuilder builder;
    std::unique_ptr<TavikUI::CControlUI> unattached(
        builder.Create(skin.c_str(), nullptr, &callback_, manager_.get(), nullptr));
    ASSERT_NE(unattached, nullptr);
    ASSERT_EQ(state_->liveObjects, 1);
    TavikUI::IMessageFilterUI* deleted = firstFilter(unattached.get());
    ASSERT_NE(deleted, nullptr);
    unattached.reset();
    EXPECT_FALSE(manager_->UnregisterMessageFilter(deleted));
    // Attached, the same object filters the manager's messages.
    TavikUI::CSkinBuilder attached;
    TavikUI::CControlUI* root = attached.Create(skin.c_str(), nullptr, &callback_, manager_.get(), nullptr);
    ASSERT_TRUE(manager_->AttachRoot(root));
    EXPECT_TRUE(manager_->UnregisterMessageFilter(firstFilter(root)));
}

TEST_F(ActiveXWindowTest, CreationWaitsForThePlacementUnlessDelayIsTurnedOff) {
    TavikUI::CSkinBuilder builder;
    std::unique_ptr<TavikUI::CControlUI> delayed(
        builder.Create(Skin(ActiveXTests::kWindowlessClsid).c_str(), nullptr, &callback_, manager_.get(), nullptr));
    ASSERT_NE(delayed, nullptr);
    EXPECT_EQ(state_->liveObjects, 0);
    delayed.reset();

    TavikUI::CSkinBuilder eager;
    ASSERT_TRUE(
        manager_->AttachRoot(eager.Create(Skin(ActiveXTests::kWindowlessClsid, L"delaycreate=\"false\"").c_str(),
                                          nullptr, &callback_, manager_.get(), nullptr)));
    EXPECT_EQ(state_->liveObjects, 1);
    EXPECT_EQ(state_->verbs, 1);
    // The first placement sizes the object made before; it makes no other.
    RepaintNow();
    EXPECT_EQ(state_->liveObjects, 1);
    EXPECT_EQ(state_->verbs, 1);

    // A new class replaces the object at the next placement.
    auto* control = Find<CActiveXUI>(L"x");
    ASSERT_NE(control, nullptr);
    control->SetDelayCreate(true);
    EXPECT_TRUE(control->SetClsid(ActiveXTests::kWindowedClsid));
    EXPECT_EQ(state_->liveObjects, 1);
    control->Place(kPlace);
    EXPECT_EQ(state_->liveObjects, 1);
    EXPECT_NE(state_->ownWindow, nullptr);
    DestroyTree();
    EXPECT_EQ(state_->references, 0);
}

}  // namespace
