// Helpers shared by the control, notification and native-window tests: a
// recording delegate, a host window that feeds its messages to a window
// manager, and a 32-bit bitmap to paint into and read back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ControlUI.h"
#include "Delegate.h"
#include "RenderTestSupport.h"
#include "UIInterfaces.h"
#include "WindowManager.h"
#include "WindowWnd.h"

namespace ControlTests {

// A delegate that runs a function. Each one built is distinct from every
// other (its copies are equal to it).
class FunctionDelegate : public TavikUI::CDelegateBase {
public:
    explicit FunctionDelegate(std::function<bool(void*)> function)
        : CDelegateBase(NextIdentity(), nullptr), function_(std::move(function)) {}
    FunctionDelegate(const FunctionDelegate& other) : CDelegateBase(other), function_(other.function_) {}
    CDelegateBase* Copy() const override { return new FunctionDelegate(*this); }
    bool Invoke(void* parameter) override { return function_(parameter); }

private:
    static void* NextIdentity() {
        static uintptr_t counter = 0;
        return reinterpret_cast<void*>(++counter);
    }
    std::function<bool(void*)> function_;
};

// Records the type and sender of every notification it receives.
class NotificationRecorder : public TavikUI::INotifyUI {
public:
    struct Entry {
        std::wstring type;
        TavikUI::CControlUI* sender;
        WPARAM wParam;
        LPARAM lParam;
    };
    void ReceiveNotification(TavikUI::NotifyMessage& message) override {
        entries.push_back({message.type.Text(), message.sender, message.wParam, message.lParam});
    }
    std::vector<Entry> entries;
};

// A top-level window whose messages go to its manager first. Only a visible
// window collects update regions; showing one costs Wine about two seconds
// under a bare X server, so tests share visible ones.
class ManagedWindow : public TavikUI::CWindowWnd {
public:
    explicit ManagedWindow(bool visible = false) {
        TavikUI::CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr));
        CreateNativeWindow(nullptr, L"control test", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 0, 400, 300);
        if (Handle()) {
            manager.Attach(Handle());
        }
    }
    ~ManagedWindow() override {
        if (Handle()) {
            DestroyWindow(Handle());
        }
    }
    const wchar_t* WindowClassName() const override { return L"TavikControlTestHost"; }
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        if (manager.Window() && manager.HandleWindowMessage(message, wParam, lParam, result)) {
            return result;
        }
        return CallSavedProc(message, wParam, lParam);
    }
    // The part of the client area waiting to be painted; empties it.
    RECT TakeUpdateRect() {
        RECT update = {};
        GetUpdateRect(Handle(), &update, FALSE);
        ValidateRect(Handle(), nullptr);
        return update;
    }

    TavikUI::CWindowManager manager;
};

// A 32-bit top-down bitmap selected into a memory DC.
using PixelCanvas = RenderTests::RenderCanvas;

}  // namespace ControlTests
