#include "ActiveXEnum.h"

namespace TavikUI {

CActiveXEnum::CActiveXEnum(IUnknown* object) : references_(1), object_(object), position_(0) {
    if (object_) {
        object_->AddRef();
    }
}

CActiveXEnum::~CActiveXEnum() {
    if (object_) {
        object_->Release();
    }
}

HRESULT STDMETHODCALLTYPE CActiveXEnum::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IEnumUnknown) {
        return E_NOINTERFACE;
    }
    *object = static_cast<IEnumUnknown*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CActiveXEnum::AddRef() { return InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE CActiveXEnum::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT STDMETHODCALLTYPE CActiveXEnum::Next(ULONG count, IUnknown** objects, ULONG* fetched) {
    if (fetched) {
        *fetched = 0;
    }
    if (!objects || count == 0) {
        return objects ? S_FALSE : E_POINTER;
    }
    *objects = nullptr;
    if (++position_ != 1 || !object_) {
        return S_FALSE;
    }
    *objects = object_;
    object_->AddRef();
    if (fetched) {
        *fetched = 1;
    }
    return count == 1 ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CActiveXEnum::Skip(ULONG count) {
    position_ += static_cast<LONG>(count);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXEnum::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CActiveXEnum::Clone(IEnumUnknown** /*copy*/) { return E_NOTIMPL; }

}  // namespace TavikUI
