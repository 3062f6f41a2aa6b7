// Skin windows for the tests: a CXMLWnd whose skin source, resource and hooks
// a test chooses and whose calls it records, and a fixture that points the
// process-wide skin settings at the fixture skins and puts them back.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ControlUI.h"
#include "ManagerTestSupport.h"
#include "WindowManager.h"
#include "XMLWnd.h"

namespace SkinWindowTests {

using TavikUI::CControlUI;
using TavikUI::CWideString;
using TavikUI::CWindowManager;
using TavikUI::NotifyMessage;

// The folder of the fixture skins (the files the build zips).
inline std::wstring FixtureSkinFolder() { return TAVIK_TEST_DATA_DIR L"/fixtures/ui/skinwnd/zip/"; }

// The build folder: the test program, the zipped skin and the sample program.
inline std::wstring ProgramFolder() { return CWindowManager::ModuleFolder().Text(); }

// A control that answers the class name a test gives it.
class NamedClassControl : public CControlUI {
public:
    explicit NamedClassControl(const wchar_t* className) : className_(className) {}
    const wchar_t* ClassName() const override { return className_; }

private:
    const wchar_t* className_;
};

class TestSkinWindow : public TavikUI::CXMLWnd {
public:
    explicit TestSkinWindow(const wchar_t* skin, UINT kind = TavikUI::kSkinFromFolder) : CXMLWnd(skin), kind_(kind) {}
    ~TestSkinWindow() override {
        if (Handle() && IsWindow(Handle())) {
            DestroyWindow(Handle());
        }
    }

    // Created hidden at (0, 0), then moved to (x, y) (creation moves a skin
    // window to the origin).
    HWND Create(int x = 100, int y = 80, DWORD style = WS_POPUP) {
        const HWND window = CreateNativeWindow(nullptr, L"skin window test", style, 0, 0, 0, 400, 300);
        if (window) {
            SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return window;
    }
    // Places the tree in the client area as the first paint would.
    void LayOut() {
        RECT client = {};
        GetClientRect(Handle(), &client);
        if (Manager().Root()) {
            Manager().Root()->Place(client);
        }
    }
    CControlUI* Control(const wchar_t* name) { return Manager().FindControlByName(name); }
    // WM_NCHITTEST at a point given in client coordinates.
    LRESULT HitTestAt(int x, int y) {
        POINT point = {x, y};
        ClientToScreen(Handle(), &point);
        return SendToWindow(WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    }

    UINT SkinSourceKind() const override { return kind_; }
    CWideString SkinZipName() const override { return CWideString(zipName.c_str()); }
    const wchar_t* SkinResourceId() const override { return resourceId; }
    void WindowReady() override { ++readyCalls; }
    void HandleClick(NotifyMessage& message) override {
        clicks.push_back(message.sender ? message.sender->Name().Text() : L"");
        WindowImplBase::HandleClick(message);
    }
    bool HandleFilteredKey(WPARAM key) override {
        filteredKeys.push_back(key);
        return onFilteredKey ? onFilteredKey(key) : WindowImplBase::HandleFilteredKey(key);
    }
    LRESULT HandleClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        closeCodes.push_back(wParam);
        return WindowImplBase::HandleClose(message, wParam, lParam, handled);
    }
    LRESULT HandleKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        if (keyDownAnswer >= 0) {
            return keyDownAnswer;
        }
        return WindowImplBase::HandleKeyDown(message, wParam, lParam, handled);
    }
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        otherMessages.push_back(message);
        if (message == kAnsweredMessage) {
            handled = true;
            return kAnswer;
        }
        return WindowImplBase::HandleOtherMessage(message, wParam, lParam, handled);
    }
    CControlUI* CreateControlForTag(const wchar_t* tag) override {
        if (wcscmp(tag, L"TestText") == 0) {
            return new NamedClassControl(L"textUI");
        }
        return WindowImplBase::CreateControlForTag(tag);
    }
    void FinalMessage(HWND window) override {
        WindowImplBase::FinalMessage(window);
        ++finalCalls;
    }

    static constexpr UINT kAnsweredMessage = WM_APP + 7;
    static constexpr LRESULT kAnswer = 42;

    std::wstring zipName;
    const wchar_t* resourceId = L"";
    int readyCalls = 0;
    int finalCalls = 0;
    // Answered by HandleKeyDown (handled) when not negative.
    LRESULT keyDownAnswer = -1;
    std::function<bool(WPARAM)> onFilteredKey;
    std::vector<std::wstring> clicks;
    std::vector<WPARAM> filteredKeys;
    std::vector<WPARAM> closeCodes;
    std::vector<UINT> otherMessages;

private:
    UINT kind_;
};

// Takes the next posted message of the window in the range, if any.
inline bool TakePosted(HWND window, UINT message, MSG& taken) {
    return PeekMessageW(&taken, window, message, message, PM_REMOVE) != FALSE;
}

// Runs the thread's message loop at least once, then for a while or until
// `done` holds.
using ManagerTests::PumpFor;
using ManagerTests::PumpPending;
using ManagerTests::PumpUntil;

// Skins come from the fixture folder, without an archive; everything is put
// back afterwards so other tests find the settings empty.
class SkinWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr));
        CWindowManager::SetSkinArchive(L"", false);
        CWindowManager::SetResourceFolder(FixtureSkinFolder().c_str());
    }
    void TearDown() override {
        CWindowManager::SetSkinArchive(L"", false);
        CWindowManager::SetResourceFolder(L"");
        PumpPending();
    }
};

}  // namespace SkinWindowTests
