#include "FlashUI.h"

#include <cwchar>

#include "ActiveXAccelerator.h"
#include "EventArguments.h"
#include "OleGuids.h"

namespace TavikUI {
namespace {

const DISPID kDispidFSCommand = 150;
const DISPID kDispidFlashCall = 197;
const DISPID kDispidOnProgress = 1958;
const DISPID kDispidOnReadyStateChange = -609;

// A copy of an argument's text that the handler may keep until the call
// ends; freed when it goes out of scope.
class TextCopy {
public:
    explicit TextCopy(BSTR text) : copy_(SysAllocStringLen(text, SysStringLen(text))) {}
    TextCopy(const TextCopy&) = delete;
    TextCopy& operator=(const TextCopy&) = delete;
    ~TextCopy() { SysFreeString(copy_); }
    BSTR Get() const { return copy_; }

private:
    BSTR copy_;
};

}  // namespace

CFlashUI::CFlashUI() : player_(nullptr), references_(0), handler_(nullptr) {
    CLSID clsid = GUID_NULL;
    CLSIDFromString(kClsidShockwaveFlashText, &clsid);
    SetClsid(clsid);
}

CFlashUI::~CFlashUI() {
    if (handler_) {
        handler_->ReleaseHandler();
        handler_ = nullptr;
    }
    CFlashUI::ReleaseControl();
}

const wchar_t* CFlashUI::ClassName() const { return L"Flash"; }

void* CFlashUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"Flash") == 0) {
        return this;
    }
    return CActiveXUI::InterfaceByName(name);
}

void CFlashUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value || wcscmp(name, L"homepage") == 0 || wcscmp(name, L"autonavi") == 0) {
        return;
    }
    CActiveXUI::ApplyAttribute(name, value);
}

bool CFlashUI::CreateActiveXControl() {
    if (!CActiveXUI::CreateActiveXControl()) {
        return false;
    }
    QueryControl(kIidShockwaveFlash, reinterpret_cast<void**>(&player_));
    ConnectEvents();
    return true;
}

void CFlashUI::ReleaseControl() {
    DisconnectEvents();
    if (player_) {
        player_->Release();
        player_ = nullptr;
    }
    // Closing the object here too keeps a re-created player from leaving the
    // previous one alive.
    CActiveXUI::ReleaseControl();
}

void CFlashUI::ConnectEvents() { events_.Connect(player_, kDiidShockwaveFlashEvents, static_cast<IDispatch*>(this)); }

void CFlashUI::DisconnectEvents() { events_.Disconnect(); }

HRESULT STDMETHODCALLTYPE CFlashUI::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != kDiidShockwaveFlashEvents) {
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CFlashUI::AddRef() { return InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE CFlashUI::Release() { return InterlockedDecrement(&references_); }

HRESULT STDMETHODCALLTYPE CFlashUI::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                           UINT*) {
    switch (id) {
    case kDispidFSCommand:
        return OnFSCommand(params);
    case kDispidFlashCall:
        return OnFlashCall(params);
    case kDispidOnProgress:
    case kDispidOnReadyStateChange:
        return OnNumberEvent(id, params);
    default:
        return S_OK;
    }
}

HRESULT CFlashUI::OnFSCommand(DISPPARAMS* params) {
    const HRESULT checked = CheckEventArguments(params, {VT_BSTR, VT_BSTR});
    if (FAILED(checked) || !handler_) {
        return checked;
    }
    TextCopy command(EventArgument(params, 0).bstrVal);
    TextCopy arguments(EventArgument(params, 1).bstrVal);
    return handler_->FSCommand(command.Get(), arguments.Get());
}

HRESULT CFlashUI::OnFlashCall(DISPPARAMS* params) {
    if (FAILED(CheckEventArguments(params, {VT_BSTR}))) {
        return E_INVALIDARG;
    }
    if (!handler_) {
        return S_OK;
    }
    TextCopy request(EventArgument(params, 0).bstrVal);
    return handler_->FlashCall(request.Get());
}

HRESULT CFlashUI::OnNumberEvent(DISPID id, DISPPARAMS* params) {
    if (!handler_) {
        return S_OK;
    }
    if (!params || params->cArgs != 1 || !params->rgvarg) {
        return DISP_E_BADPARAMCOUNT;
    }
    LONG value = 0;
    if (!ReadLongArgument(EventArgument(params, 0), value)) {
        return DISP_E_TYPEMISMATCH;
    }
    return id == kDispidOnProgress ? handler_->OnProgress(value) : handler_->OnReadyStateChange(value);
}

LRESULT CFlashUI::TranslateAcceleratorMessage(MSG* message) {
    return TranslateForHostedObject(player_, HostWindow(), message);
}

}  // namespace TavikUI
