// Helpers of the control tests: a fixture that builds a skin (from XML text)
// into a fresh manager on the shared visible test window, with its images as
// PNG files in a temporary resource folder; mouse and key input sent as
// window messages; the client area printed into a 32-bit DIB.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../core/ControlTestSupport.h"
#include "../core/ImageTestSupport.h"
#include "../core/ManagerTestSupport.h"
#include "../core/RenderTestSupport.h"
#include "ButtonGifUI.h"
#include "ButtonUrlUI.h"
#include "SkinBuilder.h"
#include "WindowManager.h"

namespace ControlsTests {

using RenderTests::RenderCanvas;
using TavikUI::CControlUI;
using TavikUI::CWindowManager;

// The skin window base's callback makes these two tags; the tests make them
// the same way.
class WindowTagCallback : public TavikUI::IDialogBuilderCallback {
public:
    CControlUI* CreateControlForTag(const wchar_t* tag) override {
        if (wcscmp(tag, L"ButtonURL") == 0) {
            return new TavikUI::CButtonUrlUI();
        }
        if (wcscmp(tag, L"ControlGif") == 0) {
            return new TavikUI::CButtonGifUI();
        }
        return nullptr;
    }
};

// Records each notification as "type:sender name" when it arrives (a sender
// may be gone by the time a test reads the list), with its parameters.
class NoteRecorder : public TavikUI::INotifyUI {
public:
    struct Entry {
        std::wstring type;
        std::wstring text;
        WPARAM wParam;
        LPARAM lParam;
    };
    void ReceiveNotification(TavikUI::NotifyMessage& message) override {
        const std::wstring type = message.type.Text();
        const std::wstring sender = message.sender ? message.sender->Name().Text() : L"?";
        entries.push_back({type, type + L":" + sender, message.wParam, message.lParam});
    }
    std::vector<Entry> entries;
};

// The 0x00RRGGBB colour of an opaque 0xAARRGGBB one.
inline DWORD Rgb(uint32_t argb) { return argb & 0x00FFFFFFu; }

// Counts the pixels of the area that are close to the colour (0x00RRGGBB).
inline int CountNear(const RenderCanvas& canvas, const RECT& area, DWORD color, int tolerance = 40) {
    return canvas.Count(area, [&](DWORD pixel) {
        return std::abs(RenderTests::Red(pixel) - RenderTests::Red(color)) <= tolerance &&
               std::abs(RenderTests::Green(pixel) - RenderTests::Green(color)) <= tolerance &&
               std::abs(RenderTests::Blue(pixel) - RenderTests::Blue(color)) <= tolerance;
    });
}

// A skin built into a fresh manager on the shared 400 x 300 test window;
// every notification is recorded. The cursor is parked outside the window so
// the system adds no mouse messages of its own.
class SkinWindowTest : public ImageTests::SkinSourceTest {
protected:
    void SetUp() override {
        ImageTests::SkinSourceTest::SetUp();
        SetCursorPos(1200, 1000);
        host_ = &ManagerTests::HostWindow::Shared();
        ASSERT_NE(host_->Handle(), nullptr) << "no X display?";
        manager_ = host_->AttachNewManager();
        manager_->SetDefaultFont(RenderTests::TestFace(), 14, false, false, false);
        ASSERT_TRUE(manager_->RegisterNotifyReceiver(&notes_));
    }
    void TearDown() override {
        host_->manager = nullptr;
        manager_.reset();
        ReleaseCapture();
        ManagerTests::PumpPending();
        ImageTests::SkinSourceTest::TearDown();
    }

    // Builds the skin, attaches it as the root and paints once (layout runs
    // before the first paint); the notifications sent until then go to
    // buildNotes_. False when the skin builds nothing.
    bool BuildSkin(const std::wstring& skin) {
        TavikUI::CSkinBuilder builder;
        CControlUI* root = builder.Create(skin.c_str(), nullptr, &callback_, manager_.get(), nullptr);
        if (!root || !manager_->AttachRoot(root)) {
            delete root;
            return false;
        }
        RepaintNow();
        // The first paint gave the focus to the first Tab stop; the tests
        // start without a focused control.
        manager_->MoveFocusTo(nullptr);
        buildNotes_ = Notes();
        notes_.entries.clear();
        return true;
    }
    // A solid 8 x 8 PNG of that colour (0xAARRGGBB) in the resource folder.
    void WriteSolidImage(const std::wstring& name, uint32_t argb) { Write(name, ImageTests::SolidPng(8, 8, argb)); }

    template <class Control>
    Control* Find(const wchar_t* name) {
        return dynamic_cast<Control*>(manager_->FindControlByName(name));
    }

    HWND Handle() const { return host_->Handle(); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(Handle(), message, wParam, lParam);
    }
    void MoveTo(int x, int y) { Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Press(int x, int y) { Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Release(int x, int y) { Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void Click(int x, int y) {
        MoveTo(x, y);
        Press(x, y);
        Release(x, y);
    }
    void Key(WPARAM key) { Send(WM_KEYDOWN, key, 0); }
    void RepaintNow() {
        InvalidateRect(Handle(), nullptr, FALSE);
        UpdateWindow(Handle());
    }
    // The client area as WM_PRINTCLIENT paints it, over a background that no
    // test skin uses.
    void Print(RenderCanvas& canvas) {
        canvas.Fill(0x00123456);
        Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    }
    // The notification types in order, each as "type:sender name"; the
    // manager's own focus notifications are left out.
    std::vector<std::wstring> Notes() const {
        std::vector<std::wstring> types;
        for (const auto& entry : notes_.entries) {
            if (entry.type != L"setfocus" && entry.type != L"killfocus") {
                types.push_back(entry.text);
            }
        }
        return types;
    }

    ManagerTests::HostWindow* host_ = nullptr;
    std::unique_ptr<CWindowManager> manager_;
    NoteRecorder notes_;
    std::vector<std::wstring> buildNotes_;
    WindowTagCallback callback_;
};

}  // namespace ControlsTests
