// The web browser control under Wine: created and activated in place
// (windowed), "autonavi" navigating with the handler seeing the events, the
// script-error command, the event sink's argument checks, a tear-down that
// leaves the browser holding nothing of the control, and the accelerator
// translator following the control from one manager to another.
#include <gtest/gtest.h>

#include <windows.h>
#include <exdispid.h>

#include <string>
#include <vector>

#include "ActiveXTestSupport.h"
#include "ContainerUI.h"
#include "OleGuids.h"
#include "WebBrowserUI.h"
#include "WindowManager.h"

using ActiveXTests::OleWindowTest;
using TavikUI::CWebBrowserUI;

namespace {

class RecordingHandler : public TavikUI::IWebBrowserHandler {
public:
    void BeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT_BOOL*) override {
        events.push_back(L"before");
        if (url && url->vt == VT_BSTR && url->bstrVal) {
            urls.push_back(url->bstrVal);
        }
    }
    void NavigateError(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT_BOOL*) override { events.push_back(L"error"); }
    void NavigateComplete2(IDispatch*, VARIANT*) override { events.push_back(L"complete"); }
    void CommandStateChange(long, VARIANT_BOOL) override { events.push_back(L"command"); }

    std::vector<std::wstring> events;
    std::vector<std::wstring> urls;
};

const wchar_t kHomePage[] = L"http://127.0.0.1:9/home.html";

class WebBrowserWindowTest : public OleWindowTest {
protected:
    // Builds the skin and sets the handler before the first placement
    // creates the browser.
    CWebBrowserUI* BuildBrowser(const wchar_t* attributes) {
        TavikUI::CSkinBuilder builder;
        const std::wstring skin =
            L"<Window><Container bkcolor=\"#FFFFFFFF\"><WebBrowser name=\"web\" float=\"true\" "
            L"pos=\"10,10,390,290\" " +
            std::wstring(attributes) + L"/></Container></Window>";
        if (!manager_->AttachRoot(builder.Create(skin.c_str(), nullptr, &callback_, manager_.get(), nullptr))) {
            return nullptr;
        }
        auto* browser = Find<CWebBrowserUI>(L"web");
        if (browser) {
            browser->SetHandler(&handler_);
            RepaintNow();
        }
        return browser;
    }

    RecordingHandler handler_;
};

TEST_F(WebBrowserWindowTest, AutoNavigatesOnceInPlaceAndLetsGoOfEverything) {
    const std::wstring attributes = L"homepage=\"" + std::wstring(kHomePage) + L"\" autonavi=\"true\"";
    CWebBrowserUI* browser = BuildBrowser(attributes.c_str());
    ASSERT_NE(browser, nullptr);
    ASSERT_NE(browser->Browser(), nullptr) << "the system browser control was not created";
    // Windowed, in the host's child window, with the browser's own window in it.
    const HWND child = browser->HostWindow();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), Handle());
    EXPECT_NE(FindWindowExW(child, nullptr, L"Shell Embedding", nullptr), nullptr);
    // The events of the one navigation reached the handler, the first one
    // being the home page's.
    ASSERT_FALSE(handler_.events.empty());
    EXPECT_EQ(handler_.events.front(), L"before");
    ASSERT_EQ(handler_.urls.size(), 1u);
    EXPECT_EQ(handler_.urls[0], kHomePage);
    EXPECT_GT(browser->ComReferenceCount(), 0);

    browser->ReleaseControl();
    EXPECT_EQ(browser->Browser(), nullptr);
    EXPECT_EQ(browser->HostedObject(), nullptr);
    EXPECT_EQ(browser->ComReferenceCount(), 0);
    EXPECT_FALSE(IsWindow(child));
    // No translator is left behind for the control.
    EXPECT_FALSE(manager_->UnregisterAcceleratorTranslator(browser));
}

TEST_F(WebBrowserWindowTest, WithoutAutoNavigationItStaysBlank) {
    const std::wstring attributes = L"homepage=\"" + std::wstring(kHomePage) + L"\"";
    CWebBrowserUI* browser = BuildBrowser(attributes.c_str());
    ASSERT_NE(browser, nullptr);
    ASSERT_NE(browser->Browser(), nullptr);
    EXPECT_TRUE(handler_.events.empty());
    browser->Navigate(kHomePage);
    EXPECT_EQ(handler_.urls.size(), 1u);

    // Keys outside the browser's window are not the browser's; without a
    // browser there is nothing to translate with.
    MSG key = {Handle(), WM_KEYDOWN, 'C', 0, 0, {0, 0}};
    SetFocus(Handle());
    EXPECT_EQ(browser->TranslateAcceleratorMessage(&key), S_FALSE);
    browser->ReleaseControl();
    EXPECT_EQ(browser->TranslateAcceleratorMessage(&key), E_NOTIMPL);
}

TEST_F(WebBrowserWindowTest, TheTranslatorMovesToTheNewManagerAndGoesWithTheControl) {
    CWebBrowserUI* browser = BuildBrowser(L"");
    ASSERT_NE(browser, nullptr);
    ASSERT_NE(browser->HostedObject(), nullptr);
    auto* container = dynamic_cast<TavikUI::CContainerUI*>(browser->Parent());
    ASSERT_NE(container, nullptr);
    TavikUI::CWindowManager other;
    browser->AttachToManager(&other, container, false);
    EXPECT_FALSE(manager_->UnregisterAcceleratorTranslator(browser));
    // Taken off to see that it arrived, then put back.
    EXPECT_TRUE(other.UnregisterAcceleratorTranslator(browser));
    other.RegisterAcceleratorTranslator(browser);
    // Deleted at once, still under the new manager: only the pointer is
    // compared afterwards.
    container->SetDeletesLater(false);
    ASSERT_TRUE(container->RemoveChild(browser));
    EXPECT_FALSE(other.UnregisterAcceleratorTranslator(browser));
}

TEST_F(WebBrowserWindowTest, AFailedCreationIsNotRepeatedByLaterLayouts) {
    // The test module's refusing class fails its in-place activation.
    const std::wstring attributes = L"modulename=\"" + std::wstring(ActiveXTests::kModuleName) + L"\" clsid=\"" +
                                    ActiveXTests::ClsidText(ActiveXTests::kRefusingClsid) + L"\"";
    CWebBrowserUI* browser = BuildBrowser(attributes.c_str());
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(state_->verbs, 1);
    browser->Place(browser->Rect());
    EXPECT_EQ(state_->verbs, 1);
    EXPECT_EQ(browser->HostedObject(), nullptr);
    EXPECT_EQ(state_->liveObjects, 0);
}

TEST(WebBrowserSinkTest, ScriptErrorsAreAnsweredTrueAndOtherCommandsRefused) {
    CWebBrowserUI browser;
    IOleCommandTarget* target = nullptr;
    ASSERT_EQ(static_cast<IDocHostUIHandler*>(&browser)->QueryInterface(IID_IOleCommandTarget,
                                                                        reinterpret_cast<void**>(&target)),
              S_OK);
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(target->Exec(&TavikUI::kCgidDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out), S_OK);
    EXPECT_EQ(out.vt, VT_BOOL);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    EXPECT_EQ(target->Exec(&TavikUI::kCgidDocHostCommandHandler, OLECMDID_PRINT, 0, nullptr, &out),
              OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(target->Exec(&IID_IUnknown, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out), OLECMDERR_E_UNKNOWNGROUP);
    target->Release();
    // The browser asks the sink for these by identity.
    IUnknown* unknown = nullptr;
    EXPECT_EQ(static_cast<IDispatch*>(&browser)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)),
              S_OK);
    unknown->Release();
    EXPECT_EQ(browser.ComReferenceCount(), 0);
}

TEST(WebBrowserSinkTest, EventsWithWrongArgumentsAreRefused) {
    CWebBrowserUI browser;
    RecordingHandler handler;
    browser.SetHandler(&handler);
    IDispatch* sink = &browser;
    VARIANT arguments[2];
    VariantInit(&arguments[0]);
    VariantInit(&arguments[1]);
    // CommandStateChange(command, enable): reversed as DISPPARAMS carries them.
    arguments[1].vt = VT_I4;
    arguments[1].lVal = 1;
    arguments[0].vt = VT_BOOL;
    arguments[0].boolVal = VARIANT_TRUE;
    DISPPARAMS params = {arguments, nullptr, 2, 0};
    EXPECT_EQ(
        sink->Invoke(DISPID_COMMANDSTATECHANGE, IID_IUnknown, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
        E_INVALIDARG);
    EXPECT_EQ(sink->Invoke(DISPID_COMMANDSTATECHANGE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(handler.events, std::vector<std::wstring>{L"command"});
    // BeforeNavigate2 with two arguments, NavigateComplete2 with swapped types.
    EXPECT_EQ(sink->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(sink->Invoke(DISPID_NAVIGATECOMPLETE2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(sink->Invoke(DISPID_NAVIGATEERROR, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(sink->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(handler.events.size(), 1u);
    // Without a handler the event is still accepted.
    browser.SetHandler(nullptr);
    EXPECT_EQ(sink->Invoke(DISPID_COMMANDSTATECHANGE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              S_OK);
}

}  // namespace
