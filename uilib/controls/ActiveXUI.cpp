#include "ActiveXUI.h"

#include <windowsx.h>

#include <cwchar>
#include <initializer_list>
#include <new>

#include "ActiveXAccelerator.h"
#include "ActiveXCtrl.h"
#include "ControlValueText.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

// Every server kind CoCreateInstance may use for the class.
const DWORD kCreationContexts =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
const size_t kClsidTextLimit = 99;

using DllGetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

template <class Interface>
Interface* QueryOf(IUnknown* unknown, REFIID iid) {
    void* result = nullptr;
    if (!unknown || FAILED(unknown->QueryInterface(iid, &result))) {
        return nullptr;
    }
    return static_cast<Interface*>(result);
}

// The first view interface the object offers, best first.
IViewObject* ViewObjectOf(IOleObject* object) {
    for (const IID* iid : {&IID_IViewObjectEx, &IID_IViewObject2, &IID_IViewObject}) {
        if (IViewObject* view = QueryOf<IViewObject>(object, *iid)) {
            return view;
        }
    }
    return nullptr;
}

// WM_MOUSEMOVE .. WM_XBUTTONDBLCLK.
bool IsMouseMessage(UINT message) { return message >= 0x200 && message <= 0x20D; }

}  // namespace

CActiveXUI::CActiveXUI()
    : clsid_(GUID_NULL), created_(false), delayCreate_(true), object_(nullptr), site_(nullptr), hostWindow_(nullptr) {}

CActiveXUI::~CActiveXUI() { CActiveXUI::ReleaseControl(); }

const wchar_t* CActiveXUI::ClassName() const { return L"ActiveXUI"; }

void* CActiveXUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"ActiveX") == 0) {
        return this;
    }
    return CControlUI::InterfaceByName(name);
}

void CActiveXUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"clsid") == 0) {
        SetClsidText(value);
    } else if (wcscmp(name, L"modulename") == 0) {
        SetModuleName(value);
    } else if (wcscmp(name, L"delaycreate") == 0) {
        SetDelayCreate(IsTrueText(value));
    } else {
        CControlUI::ApplyAttribute(name, value);
    }
}

void CActiveXUI::SetClsidText(const wchar_t* text) {
    wchar_t limited[kClsidTextLimit + 1] = {};
    wcsncpy(limited, text ? text : L"", kClsidTextLimit);
    CLSID clsid = GUID_NULL;
    const HRESULT converted = limited[0] == L'{' ? CLSIDFromString(limited, &clsid) : CLSIDFromProgID(limited, &clsid);
    if (FAILED(converted)) {
        clsid = GUID_NULL;
    }
    SetClsid(clsid);
}

bool CActiveXUI::SetClsid(const CLSID& clsid) {
    if (clsid == GUID_NULL) {
        return false;
    }
    clsid_ = clsid;
    created_ = false;
    if (!delayCreate_) {
        CreateActiveXControl();
    }
    return true;
}

void CActiveXUI::SetModuleName(const wchar_t* name) { moduleName_.AssignText(name); }

void CActiveXUI::SetDelayCreate(bool delay) {
    if (delayCreate_ == delay) {
        return;
    }
    delayCreate_ = delay;
    if (!delay && !created_ && clsid_ != GUID_NULL) {
        CreateActiveXControl();
    }
}

HRESULT CActiveXUI::QueryControl(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!object_) {
        return E_PENDING;
    }
    return object_->QueryInterface(iid, object);
}

IOleObject* CActiveXUI::CreateThroughModule() {
    if (moduleName_.IsEmpty()) {
        return nullptr;
    }
    // The module stays loaded: the objects it serves run its code.
    const HMODULE module = LoadLibraryW(moduleName_.Text());
    if (!module) {
        return nullptr;
    }
    auto getClassObject = reinterpret_cast<DllGetClassObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject) {
        return nullptr;
    }
    IClassFactory* factory = nullptr;
    if (FAILED(getClassObject(clsid_, IID_IClassFactory, reinterpret_cast<void**>(&factory))) || !factory) {
        return nullptr;
    }
    void* object = nullptr;
    const HRESULT made = factory->CreateInstance(nullptr, IID_IOleObject, &object);
    factory->Release();
    return SUCCEEDED(made) ? static_cast<IOleObject*>(object) : nullptr;
}

bool CActiveXUI::CreateActiveXControl() {
    ReleaseControl();
    created_ = true;
    IUnknown* made = CreateThroughModule();
    if (!made) {
        void* created = nullptr;
        if (FAILED(CoCreateInstance(clsid_, nullptr, kCreationContexts, IID_IOleControl, &created)) || !created) {
            return false;
        }
        made = static_cast<IUnknown*>(created);
    }
    object_ = QueryOf<IOleObject>(made, IID_IOleObject);
    made->Release();
    if (!object_) {
        return false;
    }
    if (!SetUpObject()) {
        // A half set-up object is closed and let go with its site. A derived
        // release may clear the created flag; the attempt still counts, or
        // every later placement would try again.
        ReleaseControl();
        created_ = true;
        return false;
    }
    return true;
}

bool CActiveXUI::SetUpObject() {
    site_ = new (std::nothrow) CActiveXCtrl();
    if (!site_) {
        return false;
    }
    site_->SetOwner(this);
    DWORD status = 0;
    object_->GetMiscStatus(DVASPECT_CONTENT, &status);
    IOleClientSite* clientSite = static_cast<IOleClientSite*>(site_);
    clientSite->AddRef();
    bool ok = true;
    if (status & OLEMISC_SETCLIENTSITEFIRST) {
        object_->SetClientSite(clientSite);
    }
    if (IPersistStreamInit* persist = QueryOf<IPersistStreamInit>(object_, IID_IPersistStreamInit)) {
        ok = SUCCEEDED(persist->InitNew());
        persist->Release();
    }
    if (ok && !(status & OLEMISC_SETCLIENTSITEFIRST)) {
        object_->SetClientSite(clientSite);
    }
    if (ok) {
        IViewObject* view = ViewObjectOf(object_);
        site_->SetViewObject(view);
        if (view) {
            view->Release();
        }
        object_->SetHostNames(L"UIActiveX", nullptr);
        if (manager_) {
            manager_->SendNotification(this, L"showactivex", 0, 0, false);
        }
    }
    // The notification's receivers may have released the object.
    if (ok && object_ && !(status & OLEMISC_INVISIBLEATRUNTIME)) {
        RECT place = rect_;
        ok = SUCCEEDED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0,
                                       manager_ ? manager_->Window() : nullptr, &place));
    }
    if (ok && object_) {
        if (IObjectWithSite* withSite = QueryOf<IObjectWithSite>(object_, IID_IObjectWithSite)) {
            withSite->SetSite(static_cast<IOleClientSite*>(site_));
            withSite->Release();
        }
    }
    clientSite->Release();
    return ok && object_;
}

void CActiveXUI::ReleaseControl() {
    hostWindow_ = nullptr;
    if (object_) {
        if (IObjectWithSite* withSite = QueryOf<IObjectWithSite>(object_, IID_IObjectWithSite)) {
            withSite->SetSite(nullptr);
            withSite->Release();
        }
        object_->Close(OLECLOSE_NOSAVE);
        if (site_) {
            site_->ForgetObject();
        }
        object_->SetClientSite(nullptr);
        object_->Release();
        object_ = nullptr;
    }
    if (site_) {
        site_->ForgetObject();
        site_->SetOwner(nullptr);
        site_->Release();
        site_ = nullptr;
    }
    if (manager_) {
        manager_->UnregisterMessageFilter(this);
    }
}

RECT CActiveXUI::ObjectRect() const {
    RECT place = rect_;
    if (IsWindowedObject()) {
        OffsetRect(&place, -place.left, -place.top);
    }
    return place;
}

bool CActiveXUI::IsWindowedObject() const {
    return site_ && !site_->IsWindowless() && site_->Window() && site_->Window()->Handle();
}

void CActiveXUI::AttachToManager(CWindowManager* manager, CControlUI* parent, bool init) {
    const bool filtering = site_ && site_->IsInPlaceActive() && site_->IsWindowless();
    CWindowManager::MoveMessageFilter(this, manager_, manager, filtering);
    CControlUI::AttachToManager(manager, parent, init);
}

void CActiveXUI::Place(const RECT& rect) {
    CControlUI::Place(rect);
    if (!created_) {
        CreateActiveXControl();
    }
    if (!object_ || !site_) {
        return;
    }
    HDC screen = ::GetDC(nullptr);
    SIZEL extent = {MulDiv(2540, rect_.Width(), GetDeviceCaps(screen, LOGPIXELSX)),
                    MulDiv(2540, rect_.Height(), GetDeviceCaps(screen, LOGPIXELSY))};
    ::ReleaseDC(nullptr, screen);
    object_->SetExtent(DVASPECT_CONTENT, &extent);
    if (IOleInPlaceObject* inPlace = site_->InPlaceObject()) {
        const RECT place = ObjectRect();
        inPlace->SetObjectRects(&place, &place);
    }
    if (IsWindowedObject()) {
        MoveWindow(site_->Window()->Handle(), rect_.left, rect_.top, rect_.Width(), rect_.Height(), TRUE);
    }
}

void CActiveXUI::ShowHostWindow() {
    if (IsWindowedObject()) {
        ShowWindow(site_->Window()->Handle(), IsVisible() ? SW_SHOW : SW_HIDE);
    }
}

void CActiveXUI::ShowOrHide(bool show) {
    CControlUI::ShowOrHide(show);
    ShowHostWindow();
}

void CActiveXUI::SetParentGivenVisibility(bool visible) {
    CControlUI::SetParentGivenVisibility(visible);
    ShowHostWindow();
}

void CActiveXUI::Paint(HDC dc, const RECT& area) {
    RECT part;
    if (!IntersectRect(&part, &area, &rect_) || !site_ || !site_->IsWindowless() || !site_->ViewObject()) {
        return;
    }
    const RECTL bounds = {rect_.left, rect_.top, rect_.right, rect_.bottom};
    site_->ViewObject()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
}

bool CActiveXUI::HitsObject(UINT message, LPARAM lParam) const {
    if (site_->HoldsCapture()) {
        return true;
    }
    // Only an object that answers hit tests (IViewObjectEx) is asked.
    IViewObjectEx* view = site_->ViewObjectEx();
    if (!view) {
        return false;
    }
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // These carry no client point: the cursor's place is asked instead.
    if (message == WM_SETCURSOR) {
        GetCursorPos(&point);
    }
    if (message == WM_SETCURSOR || message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) {
        ScreenToClient(hostWindow_, &point);
    }
    DWORD hit = HITRESULT_OUTSIDE;
    const RECT bounds = rect_;
    return SUCCEEDED(view->QueryHitPoint(DVASPECT_CONTENT, &bounds, point, 0, &hit)) && hit == HITRESULT_HIT;
}

LRESULT CActiveXUI::FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (!site_ || !site_->IsInPlaceActive() || !site_->WindowlessObject()) {
        return 0;
    }
    bool take = false;
    bool reportHandled = true;
    if (IsMouseMessage(message)) {
        take = AcceptsMouse() && HitsObject(message, lParam);
    } else if (message == WM_SETCURSOR) {
        take = HitsObject(message, lParam);
        reportHandled = false;
    } else if (message == WM_HELP || message == WM_CONTEXTMENU) {
        take = true;
        reportHandled = false;
    } else if (IsKeyboardMessage(message)) {
        take = IsFocused();
    }
    if (!take) {
        return 0;
    }
    LRESULT result = 0;
    if (FAILED(site_->WindowlessObject()->OnWindowMessage(message, wParam, lParam, &result))) {
        return 0;
    }
    handled = reportHandled;
    return result;
}

}  // namespace TavikUI
