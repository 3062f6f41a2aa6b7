#include "ActiveXWnd.h"

#include "ActiveXCtrl.h"
#include "ActiveXUI.h"

namespace TavikUI {

const wchar_t* CActiveXWnd::WindowClassName() const { return L"ActiveXWnd"; }

LRESULT CActiveXWnd::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        site_->SetFocused(true);
        if (!site_->IsUIActive()) {
            site_->RunVerbInWindow(OLEIVERB_UIACTIVATE);
        }
        return 0;
    case WM_KILLFOCUS:
        site_->SetFocused(false);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(Handle(), &paint);
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        if (!site_->ViewObject()) {
            CallSavedProc(message, wParam, lParam);
        }
        return 1;
    case WM_MOUSEACTIVATE: {
        IOleObject* object = site_->Owner() ? site_->Owner()->HostedObject() : nullptr;
        DWORD status = 0;
        if (object) {
            object->GetMiscStatus(DVASPECT_CONTENT, &status);
        }
        if (status & OLEMISC_NOUIACTIVATE) {
            return CallSavedProc(message, wParam, lParam);
        }
        if (object && !site_->IsInPlaceActive()) {
            site_->RunVerbInWindow(OLEIVERB_INPLACEACTIVATE);
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
        return 0;
    default:
        return CallSavedProc(message, wParam, lParam);
    }
}

}  // namespace TavikUI
