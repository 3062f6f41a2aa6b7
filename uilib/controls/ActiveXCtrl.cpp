#include "ActiveXCtrl.h"

#include <new>

#include "ActiveXEnum.h"
#include "ActiveXFrameWnd.h"
#include "ActiveXUI.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const DWORD kActiveXWndStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

template <class Interface>
void ReleaseAndClear(Interface*& pointer) {
    if (pointer) {
        pointer->Release();
        pointer = nullptr;
    }
}

HWND ManagerWindowOf(const CActiveXUI* owner) {
    return owner && owner->Manager() ? owner->Manager()->Window() : nullptr;
}

}  // namespace

CActiveXCtrl::CActiveXCtrl()
    : references_(1),
      owner_(nullptr),
      window_(nullptr),
      outerSite_(nullptr),
      viewObject_(nullptr),
      viewObjectEx_(nullptr),
      inPlaceObject_(nullptr),
      windowlessObject_(nullptr),
      accelerators_(nullptr),
      locked_(false),
      runningLocked_(false),
      focused_(false),
      captured_(false),
      uiActive_(false),
      inPlaceActive_(false),
      windowless_(true) {}

CActiveXCtrl::~CActiveXCtrl() {
    DestroyActiveXWnd();
    ReleaseAndClear(outerSite_);
    ReleaseAndClear(viewObject_);
    ReleaseAndClear(viewObjectEx_);
    ReleaseInPlaceObjects();
    if (accelerators_) {
        DestroyAcceleratorTable(accelerators_);
    }
}

void CActiveXCtrl::SetViewObject(IViewObject* view) {
    ReleaseAndClear(viewObject_);
    ReleaseAndClear(viewObjectEx_);
    viewObject_ = view;
    if (!view) {
        return;
    }
    view->AddRef();
    void* extended = nullptr;
    if (SUCCEEDED(view->QueryInterface(IID_IViewObjectEx, &extended))) {
        viewObjectEx_ = static_cast<IViewObjectEx*>(extended);
    }
}

void CActiveXCtrl::ReleaseInPlaceObjects() {
    ReleaseAndClear(inPlaceObject_);
    ReleaseAndClear(windowlessObject_);
}

HRESULT CActiveXCtrl::CreateActiveXWnd() {
    if (window_) {
        return S_OK;
    }
    window_ = new (std::nothrow) CActiveXWnd(this);
    if (!window_) {
        return E_OUTOFMEMORY;
    }
    const HWND created =
        window_->CreateNativeWindow(ManagerWindowOf(owner_), L"UIActiveX", kActiveXWndStyle, 0, 0, 0, 0, 0);
    if (!created) {
        delete window_;
        window_ = nullptr;
        return E_FAIL;
    }
    if (owner_) {
        owner_->SetHostWindow(created);
    }
    return S_OK;
}

void CActiveXCtrl::DestroyActiveXWnd() {
    if (!window_) {
        return;
    }
    const HWND handle = window_->Handle();
    if (owner_ && handle && owner_->HostWindow() == handle) {
        owner_->SetHostWindow(nullptr);
    }
    if (handle) {
        DestroyWindow(handle);
    }
    delete window_;
    window_ = nullptr;
}

void CActiveXCtrl::ForgetObject() {
    inPlaceActive_ = false;
    ReleaseRunningLock();
    SetViewObject(nullptr);
    ReleaseInPlaceObjects();
    DestroyActiveXWnd();
}

void CActiveXCtrl::ReleaseRunningLock() {
    if (runningLocked_ && owner_ && owner_->HostedObject()) {
        OleLockRunning(owner_->HostedObject(), FALSE, TRUE);
    }
    runningLocked_ = false;
}

HRESULT CActiveXCtrl::RunVerbInWindow(LONG verb) {
    if (!owner_ || !owner_->HostedObject() || !window_) {
        return E_UNEXPECTED;
    }
    const RECT& controlRect = owner_->Rect();
    RECT inWindow = {0, 0, controlRect.right - controlRect.left, controlRect.bottom - controlRect.top};
    return owner_->HostedObject()->DoVerb(verb, nullptr, static_cast<IOleClientSite*>(this), 0, window_->Handle(),
                                          &inWindow);
}

// --- IUnknown ------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleInPlaceSiteWindowless || iid == IID_IOleInPlaceSiteEx ||
        iid == IID_IOleInPlaceSite || iid == IID_IOleWindow) {
        *object = static_cast<IOleInPlaceSiteWindowless*>(this);
    } else if (iid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleControlSite) {
        *object = static_cast<IOleControlSite*>(this);
    } else if (iid == IID_IObjectWithSite) {
        *object = static_cast<IObjectWithSite*>(this);
    } else if (iid == IID_IOleContainer) {
        *object = static_cast<IOleContainer*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CActiveXCtrl::AddRef() { return InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE CActiveXCtrl::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return left;
}

// --- IOleClientSite ------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::SaveObject() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetContainer(IOleContainer** container) {
    if (!container) {
        return E_POINTER;
    }
    *container = nullptr;
    if (outerSite_ && SUCCEEDED(outerSite_->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container)))) {
        return S_OK;
    }
    return QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container));
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ShowObject() {
    if (!owner_) {
        return E_UNEXPECTED;
    }
    const HWND window = owner_->HostWindow();
    HDC dc = window ? ::GetDC(window) : nullptr;
    if (!dc) {
        return E_FAIL;
    }
    if (viewObject_) {
        const RECTL bounds = {owner_->Rect().left, owner_->Rect().top, owner_->Rect().right, owner_->Rect().bottom};
        viewObject_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
    }
    ::ReleaseDC(window, dc);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnShowWindow(BOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::RequestNewObjectLayout() { return E_NOTIMPL; }

// --- IOleWindow ------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetWindow(HWND* window) {
    if (!window) {
        return E_POINTER;
    }
    *window = nullptr;
    if (!owner_) {
        return E_UNEXPECTED;
    }
    if (!owner_->HostWindow()) {
        CreateActiveXWnd();
    }
    *window = owner_->HostWindow();
    return *window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ContextSensitiveHelp(BOOL) { return S_OK; }

// --- IOleInPlaceSite ----------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::CanInPlaceActivate() { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnInPlaceActivate() { return OnInPlaceActivateEx(nullptr, 0); }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnUIActivate() {
    uiActive_ = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                                         LPRECT position, LPRECT clip,
                                                         LPOLEINPLACEFRAMEINFO frameInfo) {
    if (!frame || !document || !position || !clip || !frameInfo) {
        return E_POINTER;
    }
    *frame = nullptr;
    *document = nullptr;
    if (!owner_) {
        return E_UNEXPECTED;
    }
    if (window_ && window_->Handle()) {
        ::GetClientRect(window_->Handle(), position);
    } else {
        // A windowless object is placed in the manager's window.
        *position = owner_->Rect();
    }
    *clip = *position;
    *frame = new (std::nothrow) CActiveXFrameWnd(owner_);
    if (!*frame) {
        return E_OUTOFMEMORY;
    }
    if (!accelerators_) {
        ACCEL empty = {};
        accelerators_ = CreateAcceleratorTableW(&empty, 1);
    }
    frameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = ManagerWindowOf(owner_);
    frameInfo->haccel = accelerators_;
    frameInfo->cAccelEntries = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::Scroll(SIZE) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnUIDeactivate(BOOL) {
    uiActive_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnInPlaceDeactivate() { return OnInPlaceDeactivateEx(TRUE); }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::DiscardUndoState() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::DeactivateAndUndo() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

// --- IOleInPlaceSiteEx ---------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnInPlaceActivateEx(BOOL* /*noRedraw*/, DWORD flags) {
    if (!owner_ || !owner_->HostedObject()) {
        return E_UNEXPECTED;
    }
    IOleObject* object = owner_->HostedObject();
    if (!runningLocked_) {
        OleLockRunning(object, TRUE, FALSE);
        runningLocked_ = true;
    }
    ReleaseInPlaceObjects();
    HRESULT result = E_FAIL;
    if (flags & ACTIVATE_WINDOWLESS) {
        void* windowless = nullptr;
        result = object->QueryInterface(IID_IOleInPlaceObjectWindowless, &windowless);
        if (SUCCEEDED(result)) {
            windowless_ = true;
            windowlessObject_ = static_cast<IOleInPlaceObjectWindowless*>(windowless);
            inPlaceObject_ = windowlessObject_;
            inPlaceObject_->AddRef();
            owner_->SetHostWindow(ManagerWindowOf(owner_));
            // Once, however often the object activates again.
            if (CWindowManager* manager = owner_->Manager()) {
                manager->UnregisterMessageFilter(owner_);
                manager->RegisterMessageFilter(owner_);
            }
        }
    }
    if (!(flags & ACTIVATE_WINDOWLESS) || FAILED(result)) {
        windowless_ = false;
        result = CreateActiveXWnd();
        if (FAILED(result)) {
            return result;
        }
        void* inPlace = nullptr;
        result = object->QueryInterface(IID_IOleInPlaceObject, &inPlace);
        inPlaceObject_ = SUCCEEDED(result) ? static_cast<IOleInPlaceObject*>(inPlace) : nullptr;
    }
    if (inPlaceObject_) {
        RECT position = owner_->Rect();
        if (!windowless_) {
            OffsetRect(&position, -position.left, -position.top);
        }
        inPlaceObject_->SetObjectRects(&position, &position);
    }
    inPlaceActive_ = SUCCEEDED(result);
    return result;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnInPlaceDeactivateEx(BOOL) {
    inPlaceActive_ = false;
    ReleaseRunningLock();
    ReleaseInPlaceObjects();
    DestroyActiveXWnd();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::RequestUIActivate() { return S_OK; }

// --- IOleInPlaceSiteWindowless -----------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::CanWindowlessActivate() { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetCapture() { return captured_ ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::SetCapture(BOOL capture) {
    if (!owner_) {
        return E_UNEXPECTED;
    }
    captured_ = capture == TRUE;
    if (captured_) {
        ::SetCapture(owner_->HostWindow());
    } else {
        ::ReleaseCapture();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetFocus() { return focused_ ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::SetFocus(BOOL focus) {
    if (!owner_) {
        return E_UNEXPECTED;
    }
    if (focus) {
        owner_->TakeFocus();
    }
    focused_ = focus == TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetDC(LPCRECT, DWORD flags, HDC* dc) {
    if (!dc) {
        return E_POINTER;
    }
    *dc = nullptr;
    if (!owner_) {
        return E_UNEXPECTED;
    }
    *dc = ::GetDC(owner_->HostWindow());
    if (*dc && (flags & OLEDC_PAINTBKGND)) {
        RECT area = owner_->Rect();
        if (!windowless_) {
            OffsetRect(&area, -area.left, -area.top);
        }
        ::FillRect(*dc, &area, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ReleaseDC(HDC dc) {
    if (!owner_) {
        return E_UNEXPECTED;
    }
    ::ReleaseDC(owner_->HostWindow(), dc);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::InvalidateRect(LPCRECT rect, BOOL erase) {
    if (!owner_) {
        return E_UNEXPECTED;
    }
    const HWND window = owner_->HostWindow();
    return window && ::InvalidateRect(window, rect, erase) ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::InvalidateRgn(HRGN region, BOOL erase) {
    if (!owner_) {
        return E_UNEXPECTED;
    }
    const HWND window = owner_->HostWindow();
    return window && ::InvalidateRgn(window, region, erase) ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ScrollRect(INT, INT, LPCRECT, LPCRECT) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::AdjustRect(LPRECT) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                                           LRESULT* result) {
    if (!owner_) {
        return E_UNEXPECTED;
    }
    const LRESULT answer = ::DefWindowProcW(owner_->HostWindow(), message, wParam, lParam);
    if (result) {
        *result = answer;
    }
    return S_OK;
}

// --- IOleControlSite -----------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnControlInfoChanged() { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::LockInPlaceActive(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetExtendedControl(IDispatch** dispatch) {
    if (!dispatch) {
        return E_POINTER;
    }
    *dispatch = nullptr;
    if (!owner_ || !owner_->HostedObject()) {
        return E_UNEXPECTED;
    }
    return owner_->HostedObject()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch));
}

// The container converts nothing; S_OK would leave the caller's output unset.
HRESULT STDMETHODCALLTYPE CActiveXCtrl::TransformCoords(POINTL*, POINTF*, DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::OnFocus(BOOL focus) {
    focused_ = focus == TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ShowPropertyFrame() { return E_NOTIMPL; }

// --- IObjectWithSite -------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::SetSite(IUnknown* site) {
    if (site) {
        site->AddRef();
    }
    ReleaseAndClear(outerSite_);
    outerSite_ = site;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::GetSite(REFIID iid, void** site) {
    if (!site) {
        return E_POINTER;
    }
    *site = nullptr;
    if (!outerSite_) {
        return E_FAIL;
    }
    return outerSite_->QueryInterface(iid, site);
}

// --- IOleContainer ------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CActiveXCtrl::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CActiveXCtrl::EnumObjects(DWORD, IEnumUnknown** enumerator) {
    if (!enumerator) {
        return E_POINTER;
    }
    *enumerator = nullptr;
    if (!owner_) {
        return E_UNEXPECTED;
    }
    *enumerator = new (std::nothrow) CActiveXEnum(owner_->HostedObject());
    return *enumerator ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE CActiveXCtrl::LockContainer(BOOL lock) {
    locked_ = lock != FALSE;
    return S_OK;
}

}  // namespace TavikUI
