// The Flash control where the player is not installed: creation fails
// cleanly and nothing is painted; its event sink, called directly, checks
// argument counts and types and hands the texts and numbers to the handler.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ActiveXTestSupport.h"
#include "FlashUI.h"

using ActiveXTests::OleWindowTest;
using RenderTests::RenderCanvas;
using TavikUI::CFlashUI;

namespace {

class RecordingFlashHandler : public TavikUI::IFlashHandler {
public:
    void ReleaseHandler() override { ++releases; }
    HRESULT OnReadyStateChange(long state) override {
        calls.push_back(L"ready " + std::to_wstring(state));
        return S_OK;
    }
    HRESULT OnProgress(long percent) override {
        calls.push_back(L"progress " + std::to_wstring(percent));
        return S_OK;
    }
    HRESULT FSCommand(BSTR command, BSTR arguments) override {
        calls.push_back(std::wstring(L"fs ") + command + L"|" + arguments);
        return S_FALSE;
    }
    HRESULT FlashCall(BSTR request) override {
        calls.push_back(std::wstring(L"call ") + request);
        return S_OK;
    }
    int releases = 0;
    std::vector<std::wstring> calls;
};

// DISPPARAMS over arguments given in call order.
class Arguments {
public:
    explicit Arguments(std::vector<VARIANT> inCallOrder) : values_(inCallOrder.rbegin(), inCallOrder.rend()) {
        params_ = {values_.data(), nullptr, static_cast<UINT>(values_.size()), 0};
    }
    DISPPARAMS* Params() { return &params_; }

private:
    std::vector<VARIANT> values_;
    DISPPARAMS params_;
};

VARIANT Text(BSTR text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text;
    return value;
}

VARIANT Number(LONG number) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    return value;
}

HRESULT Fire(CFlashUI& flash, DISPID id, Arguments& arguments) {
    return static_cast<IDispatch*>(&flash)->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, arguments.Params(), nullptr,
                                                   nullptr, nullptr);
}

class FlashWindowTest : public OleWindowTest {};

TEST_F(FlashWindowTest, WithoutThePlayerCreationFailsAndNothingIsPainted) {
    ASSERT_TRUE(
        BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\"><Flash name=\"f\" float=\"true\" "
                  L"pos=\"20,20,220,120\" bkcolor=\"#FF0000FF\" homepage=\"x.swf\" autonavi=\"true\"/>"
                  L"</Container></Window>"));
    auto* flash = Find<CFlashUI>(L"f");
    ASSERT_NE(flash, nullptr);
    EXPECT_STREQ(flash->ClassName(), L"Flash");
    EXPECT_EQ(flash->InterfaceByName(L"Flash"), flash);
    EXPECT_EQ(flash->HostedObject(), nullptr);
    EXPECT_EQ(flash->Player(), nullptr);
    EXPECT_EQ(flash->HostWindow(), nullptr);
    RenderCanvas canvas(400, 300);
    Print(canvas);
    // The container's white shows through: the control paints nothing, not
    // even its own background colour.
    EXPECT_EQ(ControlsTests::CountNear(canvas, RECT{20, 20, 220, 120}, RGB(255, 255, 255), 0), 200 * 100);
    MSG key = {Handle(), WM_KEYDOWN, 'C', 0, 0, {0, 0}};
    EXPECT_EQ(flash->TranslateAcceleratorMessage(&key), E_NOTIMPL);
    // A failed creation announces no object.
    EXPECT_EQ(std::count(buildNotes_.begin(), buildNotes_.end(), L"showactivex:f"), 0);
}

TEST(FlashSinkTest, EventsAreCheckedBeforeTheHandlerGetsThem) {
    RecordingFlashHandler handler;
    BSTR command = SysAllocString(L"quit");
    BSTR argument = SysAllocString(L"now");
    {
        CFlashUI flash;
        // Without a handler every well-formed event is accepted.
        Arguments fsCommand({Text(command), Text(argument)});
        EXPECT_EQ(Fire(flash, 150, fsCommand), S_OK);
        flash.SetHandler(&handler);

        Arguments one({Text(command)});
        EXPECT_EQ(Fire(flash, 150, one), DISP_E_BADPARAMCOUNT);
        Arguments numbered({Text(command), Number(3)});
        EXPECT_EQ(Fire(flash, 150, numbered), DISP_E_TYPEMISMATCH);
        // The handler's answer comes back.
        EXPECT_EQ(Fire(flash, 150, fsCommand), S_FALSE);

        EXPECT_EQ(Fire(flash, 197, numbered), E_INVALIDARG);
        EXPECT_EQ(Fire(flash, 197, one), S_OK);

        LONG percent = 42;
        VARIANT byReference;
        VariantInit(&byReference);
        byReference.vt = VT_BYREF | VT_I4;
        byReference.plVal = &percent;
        Arguments progress({byReference});
        EXPECT_EQ(Fire(flash, 1958, progress), S_OK);
        Arguments ready({Number(4)});
        EXPECT_EQ(Fire(flash, -609, ready), S_OK);
        EXPECT_EQ(Fire(flash, 1958, one), DISP_E_TYPEMISMATCH);
        EXPECT_EQ(Fire(flash, 12345, one), S_OK);

        EXPECT_EQ(handler.calls, (std::vector<std::wstring>{L"fs quit|now", L"call quit", L"progress 42", L"ready 4"}));
        EXPECT_EQ(handler.releases, 0);
    }
    // The destroyed control handed its handler back once.
    EXPECT_EQ(handler.releases, 1);
    SysFreeString(command);
    SysFreeString(argument);
}

}  // namespace
