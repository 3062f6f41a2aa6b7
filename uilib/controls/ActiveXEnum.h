// Enumerates the one object a hosted control's container holds.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace TavikUI {

class CActiveXEnum final : public IEnumUnknown {
public:
    // Holds a reference to the object; the count starts at 1, the caller's.
    explicit CActiveXEnum(IUnknown* object);
    CActiveXEnum(const CActiveXEnum&) = delete;
    CActiveXEnum& operator=(const CActiveXEnum&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IUnknown** objects, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumUnknown** copy) override;

private:
    ~CActiveXEnum();

    LONG references_;
    IUnknown* object_;
    LONG position_;
};

}  // namespace TavikUI
