#include "WebBrowserUI.h"

#include <exdispid.h>

#include <cwchar>

#include "ActiveXAccelerator.h"
#include "ControlValueText.h"
#include "EventArguments.h"
#include "OleGuids.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const wchar_t kWebBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
const DISPID kDispidNewWindow3 = 273;

// Without a handler set, the control answers as this one does.
class NoWebBrowserHandler final : public IWebBrowserHandler {};

NoWebBrowserHandler& NoHandler() {
    static NoWebBrowserHandler none;
    return none;
}

}  // namespace

CWebBrowserUI::CWebBrowserUI() : browser_(nullptr), references_(0), handler_(nullptr), autoNavigate_(false) {
    CLSID clsid = GUID_NULL;
    CLSIDFromString(kWebBrowserClsid, &clsid);
    SetClsid(clsid);
}

CWebBrowserUI::~CWebBrowserUI() { CWebBrowserUI::ReleaseControl(); }

const wchar_t* CWebBrowserUI::ClassName() const { return L"WebBrowserUI"; }

void* CWebBrowserUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"WebBrowser") == 0) {
        return this;
    }
    return CActiveXUI::InterfaceByName(name);
}

void CWebBrowserUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"homepage") == 0) {
        SetHomePage(value);
    } else if (wcscmp(name, L"autonavi") == 0) {
        SetAutoNavigate(IsTrueText(value));
    } else {
        CActiveXUI::ApplyAttribute(name, value);
    }
}

void CWebBrowserUI::AttachToManager(CWindowManager* manager, CControlUI* parent, bool init) {
    CWindowManager::MoveAcceleratorTranslator(this, manager_, manager, HostedObject() != nullptr);
    CActiveXUI::AttachToManager(manager, parent, init);
}

IWebBrowserHandler& CWebBrowserUI::ActiveHandler() const { return handler_ ? *handler_ : NoHandler(); }

bool CWebBrowserUI::CreateActiveXControl() {
    if (!CActiveXUI::CreateActiveXControl()) {
        return false;
    }
    if (manager_) {
        manager_->RegisterAcceleratorTranslator(this);
    }
    QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_));
    // The browser may fire its navigation events inside Navigate2: the sink
    // listens first.
    ConnectEvents();
    if (autoNavigate_ && !homePage_.IsEmpty()) {
        Navigate(homePage_.Text());
    }
    return true;
}

void CWebBrowserUI::ReleaseControl() {
    ResetCreated();
    if (manager_) {
        manager_->UnregisterAcceleratorTranslator(this);
    }
    DisconnectEvents();
    if (browser_) {
        browser_->Release();
        browser_ = nullptr;
    }
    // Closing the object here too keeps a re-created browser from leaving
    // the previous one alive.
    CActiveXUI::ReleaseControl();
}

void CWebBrowserUI::ConnectEvents() {
    events_.Connect(browser_, DIID_DWebBrowserEvents2, static_cast<IDispatch*>(this));
}

void CWebBrowserUI::DisconnectEvents() { events_.Disconnect(); }

void CWebBrowserUI::Navigate(const wchar_t* url) {
    if (!browser_ || !url) {
        return;
    }
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(url);
    if (!target.bstrVal) {
        return;
    }
    browser_->Navigate2(&target, nullptr, nullptr, nullptr, nullptr);
    VariantClear(&target);
}

HRESULT CWebBrowserUI::ForwardToHandler(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e, uint32_t f,
                                        uint32_t g, uint32_t h) {
    return handler_ ? handler_->HandleForwarded(a, b, c, d, e, f, g, h) : 0;
}

void CWebBrowserUI::InstallUIHandler() {
    IDispatch* document = nullptr;
    if (!browser_ || FAILED(browser_->get_Document(&document)) || !document) {
        return;
    }
    ICustomDoc* custom = nullptr;
    if (SUCCEEDED(document->QueryInterface(kIidCustomDoc, reinterpret_cast<void**>(&custom)))) {
        custom->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
        custom->Release();
    }
    document->Release();
}

// --- IUnknown ---------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CWebBrowserUI::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDocHostUIHandler) {
        *object = static_cast<IDocHostUIHandler*>(this);
    } else if (iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else if (iid == IID_IServiceProvider) {
        *object = static_cast<IServiceProvider*>(this);
    } else if (iid == IID_IOleCommandTarget) {
        *object = static_cast<IOleCommandTarget*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CWebBrowserUI::AddRef() { return InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE CWebBrowserUI::Release() { return InterlockedDecrement(&references_); }

// --- IDocHostUIHandler ----------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CWebBrowserUI::ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget,
                                                         IDispatch* object) {
    return ActiveHandler().ShowContextMenu(id, point, commandTarget, object);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* info) { return ActiveHandler().GetHostInfo(info); }

HRESULT STDMETHODCALLTYPE CWebBrowserUI::ShowUI(DWORD id, IOleInPlaceActiveObject* active,
                                                IOleCommandTarget* commandTarget, IOleInPlaceFrame* frame,
                                                IOleInPlaceUIWindow* document) {
    return ActiveHandler().ShowUI(id, active, commandTarget, frame, document);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::HideUI() { return ActiveHandler().HideUI(); }

HRESULT STDMETHODCALLTYPE CWebBrowserUI::UpdateUI() { return ActiveHandler().UpdateUI(); }

HRESULT STDMETHODCALLTYPE CWebBrowserUI::EnableModeless(WINBOOL enable) {
    return ActiveHandler().EnableModeless(enable);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::OnDocWindowActivate(WINBOOL activate) {
    return ActiveHandler().OnDocWindowActivate(activate);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::OnFrameWindowActivate(WINBOOL activate) {
    return ActiveHandler().OnFrameWindowActivate(activate);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                                      WINBOOL frameWindow) {
    return ActiveHandler().ResizeBorder(border, window, frameWindow);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::TranslateAccelerator(LPMSG message, const GUID* group, DWORD command) {
    return ActiveHandler().TranslateAccelerator(message, group, command);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
    return ActiveHandler().GetOptionKeyPath(key, reserved);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::GetDropTarget(IDropTarget* target, IDropTarget** replacement) {
    return ActiveHandler().GetDropTarget(target, replacement);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::GetExternal(IDispatch** external) {
    return ActiveHandler().GetExternal(external);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* urlOut) {
    return ActiveHandler().TranslateUrl(translate, url, urlOut);
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::FilterDataObject(IDataObject* data, IDataObject** dataOut) {
    return ActiveHandler().FilterDataObject(data, dataOut);
}

// --- IServiceProvider -------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CWebBrowserUI::QueryService(REFGUID, REFIID, void** object) {
    if (object) {
        *object = nullptr;
    }
    return E_NOINTERFACE;
}

// --- IOleCommandTarget -------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CWebBrowserUI::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) {
    return OLECMDERR_E_NOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CWebBrowserUI::Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT* out) {
    if (!group || *group != kCgidDocHostCommandHandler) {
        return OLECMDERR_E_UNKNOWNGROUP;
    }
    if (command != OLECMDID_SHOWSCRIPTERROR) {
        return OLECMDERR_E_NOTSUPPORTED;
    }
    // True: keep running the page's scripts, and show no error dialog.
    if (out) {
        VariantClear(out);
        out->vt = VT_BOOL;
        out->boolVal = VARIANT_TRUE;
    }
    return S_OK;
}

// --- IDispatch: DWebBrowserEvents2 ----------------------------------------------------------

HRESULT STDMETHODCALLTYPE CWebBrowserUI::Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                                EXCEPINFO*, UINT*) {
    if (iid != IID_NULL) {
        return E_INVALIDARG;
    }
    const VARTYPE variantRef = VT_BYREF | VT_VARIANT;
    const VARTYPE boolRef = VT_BYREF | VT_BOOL;
    HRESULT checked = S_OK;
    switch (id) {
    case DISPID_STATUSTEXTCHANGE:
        return S_OK;
    case DISPID_COMMANDSTATECHANGE:
        checked = CheckEventArguments(params, {VT_I4, VT_BOOL});
        if (SUCCEEDED(checked)) {
            ActiveHandler().CommandStateChange(EventArgument(params, 0).lVal, EventArgument(params, 1).boolVal);
        }
        return checked;
    case DISPID_BEFORENAVIGATE2:
        checked = CheckEventArguments(
            params, {VT_DISPATCH, variantRef, variantRef, variantRef, variantRef, variantRef, boolRef});
        if (SUCCEEDED(checked)) {
            ActiveHandler().BeforeNavigate2(EventArgument(params, 0).pdispVal, EventArgument(params, 1).pvarVal,
                                            EventArgument(params, 2).pvarVal, EventArgument(params, 3).pvarVal,
                                            EventArgument(params, 4).pvarVal, EventArgument(params, 5).pvarVal,
                                            EventArgument(params, 6).pboolVal);
        }
        return checked;
    case DISPID_NAVIGATECOMPLETE2:
        checked = CheckEventArguments(params, {VT_DISPATCH, variantRef});
        if (SUCCEEDED(checked)) {
            InstallUIHandler();
            ActiveHandler().NavigateComplete2(EventArgument(params, 0).pdispVal, EventArgument(params, 1).pvarVal);
        }
        return checked;
    case DISPID_NAVIGATEERROR:
        checked = CheckEventArguments(params, {VT_DISPATCH, variantRef, variantRef, variantRef, boolRef});
        if (SUCCEEDED(checked)) {
            ActiveHandler().NavigateError(EventArgument(params, 0).pdispVal, EventArgument(params, 1).pvarVal,
                                          EventArgument(params, 2).pvarVal, EventArgument(params, 3).pvarVal,
                                          EventArgument(params, 4).pboolVal);
        }
        return checked;
    case kDispidNewWindow3:
        // The flags are an unsigned long: either integer type is taken.
        checked = CheckEventArguments(params, {VT_BYREF | VT_DISPATCH, boolRef, VT_I4, VT_BSTR, VT_BSTR});
        if (checked == DISP_E_TYPEMISMATCH) {
            checked = CheckEventArguments(params, {VT_BYREF | VT_DISPATCH, boolRef, VT_UI4, VT_BSTR, VT_BSTR});
        }
        if (SUCCEEDED(checked)) {
            ActiveHandler().NewWindow3(EventArgument(params, 0).ppdispVal, EventArgument(params, 1).pboolVal,
                                       static_cast<DWORD>(EventArgument(params, 2).lVal),
                                       EventArgument(params, 3).bstrVal, EventArgument(params, 4).bstrVal);
        }
        return checked;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// --- Accelerators -----------------------------------------------------------------------------

LRESULT CWebBrowserUI::TranslateAcceleratorMessage(MSG* message) {
    return TranslateForHostedObject(browser_, HostWindow(), message);
}

}  // namespace TavikUI
