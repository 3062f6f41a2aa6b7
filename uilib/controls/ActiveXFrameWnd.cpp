#include "ActiveXFrameWnd.h"

#include "ActiveXUI.h"
#include "WindowManager.h"

namespace TavikUI {

CActiveXFrameWnd::~CActiveXFrameWnd() {
    if (activeObject_) {
        activeObject_->Release();
    }
}

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IOleWindow && iid != IID_IOleInPlaceUIWindow && iid != IID_IOleInPlaceFrame) {
        return E_NOINTERFACE;
    }
    *object = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CActiveXFrameWnd::AddRef() { return InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE CActiveXFrameWnd::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::GetWindow(HWND* window) {
    if (!window) {
        return E_POINTER;
    }
    *window = nullptr;
    if (!owner_) {
        return E_UNEXPECTED;
    }
    *window = owner_->Manager() ? owner_->Manager()->Window() : nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::ContextSensitiveHelp(BOOL) { return S_OK; }

// The frame has no tool space to offer, so there is no border to describe.
HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::SetBorderSpace(LPCBORDERWIDTHS) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) {
    if (active) {
        active->AddRef();
    }
    if (activeObject_) {
        activeObject_->Release();
    }
    activeObject_ = active;
    return S_OK;
}

// The container adds no menus of its own: its three groups are empty.
HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS widths) {
    if (!widths) {
        return E_POINTER;
    }
    widths->width[0] = widths->width[2] = widths->width[4] = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::RemoveMenus(HMENU) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::SetStatusText(LPCOLESTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::EnableModeless(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXFrameWnd::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

}  // namespace TavikUI
