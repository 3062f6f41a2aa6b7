#include "DateTimeWnd.h"

#include <commctrl.h>

#include "DateTimeUI.h"
#include "WindowManager.h"

namespace TavikUI {

CDateTimeWnd::CDateTimeWnd() : owner_(nullptr), initialised_(false), creating_(false) {}

const wchar_t* CDateTimeWnd::WindowClassName() const { return L"DateTimeWnd"; }

const wchar_t* CDateTimeWnd::SuperclassName() const { return DATETIMEPICK_CLASSW; }

CUIRect CDateTimeWnd::EditRect() const { return owner_ ? owner_->Rect() : CUIRect(); }

bool CDateTimeWnd::Init(CDateTimeUI* owner) {
    owner_ = owner;
    owner_->SetMode(CDateTimeUI::kTakePickerDate);
    CWindowManager* manager = owner_->Manager();
    if (!Handle()) {
        if (!manager || !manager->Window()) {
            return false;
        }
        creating_ = true;
        const HWND window = CreateNativeWindowInRect(manager->Window(), nullptr, WS_CHILD, 0, EditRect());
        creating_ = false;
        if (!window || !IsWindow(window)) {
            return false;
        }
        SendToWindow(WM_SETFONT, reinterpret_cast<WPARAM>(manager->FontAt(owner_->FontIndex())), TRUE);
    }
    if (owner_->Text().IsEmpty()) {
        GetLocalTime(&owner_->time_);
    }
    SendToWindow(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&owner_->time_));
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    SetFocus(Handle());
    initialised_ = true;
    return true;
}

LRESULT CDateTimeWnd::CloseWithMode(UINT message, WPARAM wParam, LPARAM lParam, int mode) {
    const LRESULT result = DefWindowProcW(Handle(), message, wParam, lParam);
    if (owner_) {
        owner_->SetMode(mode);
        owner_->UpdateText();
    }
    PostToWindow(WM_CLOSE);
    return result;
}

LRESULT CDateTimeWnd::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KILLFOCUS: {
        const LRESULT result = DefWindowProcW(Handle(), message, wParam, lParam);
        if (owner_ && owner_->Mode() == CDateTimeUI::kTakePickerDate) {
            SYSTEMTIME picked = owner_->StoredTime();
            SendToWindow(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked));
            owner_->StoreTime(picked);
            owner_->SetMode(CDateTimeUI::kShowStoredDate);
            owner_->UpdateText();
        }
        PostToWindow(WM_CLOSE);
        return result;
    }
    case WM_KEYUP:
        if (wParam == VK_BACK || wParam == VK_DELETE) {
            return CloseWithMode(message, wParam, lParam, CDateTimeUI::kClearText);
        }
        if (wParam == VK_ESCAPE) {
            return CloseWithMode(message, wParam, lParam, CDateTimeUI::kLeaveText);
        }
        break;
    default:
        break;
    }
    return CallSavedProc(message, wParam, lParam);
}

void CDateTimeWnd::FinalMessage(HWND /*window*/) {
    if (creating_) {
        return;
    }
    if (owner_ && owner_->picker_ == this) {
        owner_->picker_ = nullptr;
    }
    delete this;
}

}  // namespace TavikUI
