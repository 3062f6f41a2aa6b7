#include "EditWnd.h"

#include <olectl.h>

#include <vector>

#include "ColorChannels.h"
#include "EditUI.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const DWORD kEditStyle = WS_CHILD | ES_AUTOHSCROLL;

}  // namespace

CEditWnd::CEditWnd(CEditUI* owner) : owner_(owner), backgroundBrush_(nullptr), initialised_(false), creating_(false) {}

CEditWnd::~CEditWnd() {
    if (backgroundBrush_) {
        DeleteObject(backgroundBrush_);
    }
}

CEditWnd* CEditWnd::Open(CEditUI* owner) {
    CWindowManager* manager = owner ? owner->Manager() : nullptr;
    if (!manager || !manager->Window()) {
        return nullptr;
    }
    auto* window = new CEditWnd(owner);
    if (!window->Init()) {
        delete window;
        return nullptr;
    }
    return window;
}

bool CEditWnd::Init() {
    CWindowManager* manager = owner_->Manager();
    DWORD style = kEditStyle;
    if (owner_->IsPassword()) {
        style |= ES_PASSWORD;
    }
    creating_ = true;
    const HWND window = CreateNativeWindowInRect(manager->Window(), nullptr, style, 0, owner_->NativeEditRect());
    creating_ = false;
    if (!window || !IsWindow(window)) {
        return false;
    }
    SendToWindow(WM_SETFONT, reinterpret_cast<WPARAM>(manager->FontAt(owner_->FontIndex())), TRUE);
    SendToWindow(EM_LIMITTEXT, static_cast<WPARAM>(owner_->MaxChars()));
    if (owner_->IsPassword()) {
        SendToWindow(EM_SETPASSWORDCHAR, owner_->PasswordChar());
    }
    SetWindowTextW(window, owner_->Text().Text());
    SendToWindow(EM_SETMODIFY, FALSE);
    SendToWindow(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    EnableWindow(window, owner_->IsEnabled() ? TRUE : FALSE);
    SendToWindow(EM_SETREADONLY, owner_->IsReadOnly() ? TRUE : FALSE);
    const LONG current = GetWindowLongW(window, GWL_STYLE);
    SetWindowLongW(window, GWL_STYLE, current | static_cast<LONG>(owner_->ExtraWindowStyle()));
    // Set once the text is placed (that is not a change the user made) and
    // before the window shows: a change that arrives while it comes up is
    // the user's.
    initialised_ = true;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetFocus(window);
    return true;
}

const wchar_t* CEditWnd::WindowClassName() const { return L"EditWnd"; }

const wchar_t* CEditWnd::SuperclassName() const { return L"Edit"; }

LRESULT CEditWnd::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KILLFOCUS: {
        const LRESULT result = DefWindowProcW(Handle(), message, wParam, lParam);
        PostToWindow(WM_CLOSE);
        return result;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (owner_ && owner_->Manager()) {
                owner_->Manager()->SendNotification(owner_, L"return");
            }
            return 0;
        }
        break;
    case OCM_COMMAND:
        return OnReflectedCommand(wParam, lParam);
    case OCM_CTLCOLOREDIT:
    case OCM_CTLCOLORSTATIC:
        return OnReflectedColor(reinterpret_cast<HDC>(wParam));
    default:
        break;
    }
    return CallSavedProc(message, wParam, lParam);
}

LRESULT CEditWnd::OnReflectedCommand(WPARAM wParam, LPARAM /*lParam*/) {
    switch (HIWORD(wParam)) {
    case EN_CHANGE: {
        if (!initialised_ || !owner_) {
            return 0;
        }
        const int length = GetWindowTextLengthW(Handle());
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1, 0);
        GetWindowTextW(Handle(), text.data(), length + 1);
        owner_->StoreNativeText(text.data());
        if (owner_->Manager()) {
            owner_->Manager()->SendNotification(owner_, L"textchanged");
        }
        return 0;
    }
    case EN_UPDATE:
        InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    default:
        return 0;
    }
}

LRESULT CEditWnd::OnReflectedColor(HDC dc) {
    if (!owner_ || owner_->NativeBackgroundColor() == CEditUI::kSystemColors) {
        return 0;
    }
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ToColorRef(owner_->TextColor()));
    if (!backgroundBrush_) {
        backgroundBrush_ = CreateSolidBrush(ToColorRef(owner_->NativeBackgroundColor()));
    }
    return reinterpret_cast<LRESULT>(backgroundBrush_);
}

void CEditWnd::FinalMessage(HWND /*window*/) {
    if (creating_) {
        return;
    }
    if (owner_) {
        owner_->NativeWindowClosed();
    }
    delete this;
}

}  // namespace TavikUI
