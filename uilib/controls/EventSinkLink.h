// One advised event sink on an object's connection point: connected once,
// unadvised and released on Disconnect or when the link goes away; and the
// dispatch side such a sink shares.
#pragma once

#include <ocidl.h>

namespace TavikUI {

class CEventSinkLink {
public:
    CEventSinkLink() = default;
    ~CEventSinkLink() { Disconnect(); }
    CEventSinkLink(const CEventSinkLink&) = delete;
    CEventSinkLink& operator=(const CEventSinkLink&) = delete;

    // Advises `sink` on `source`'s connection point for `events`; answers
    // whether the sink is connected. A link connects one sink at a time.
    bool Connect(IUnknown* source, REFIID events, IDispatch* sink);
    void Disconnect();
    bool IsConnected() const { return point_ != nullptr; }

private:
    IConnectionPoint* point_ = nullptr;
    DWORD cookie_ = 0;
};

// An event source calls its sink by dispatch id alone: the sink offers no
// type information and no names, and implements only Invoke and IUnknown.
class CEventSinkDispatch : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) {
            *count = 0;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

protected:
    ~CEventSinkDispatch() = default;
};

}  // namespace TavikUI
