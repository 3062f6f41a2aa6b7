// What a CWebBrowserUI passes on to an optional handler object: the
// browser's navigation events and the document host's UI questions. Every
// operation does by default what the control does without a handler, so a
// handler overrides only what it cares about.
#pragma once

#include <windows.h>
#include <mshtmhst.h>

#include <cstdint>

namespace TavikUI {

class IWebBrowserHandler {
public:
    // Browser events; the references are the event's own arguments.
    virtual void BeforeNavigate2(IDispatch* /*browser*/, VARIANT* /*url*/, VARIANT* /*flags*/, VARIANT* /*targetFrame*/,
                                 VARIANT* /*postData*/, VARIANT* /*headers*/, VARIANT_BOOL* /*cancel*/) {}
    virtual void NavigateError(IDispatch* /*browser*/, VARIANT* /*url*/, VARIANT* /*targetFrame*/,
                               VARIANT* /*statusCode*/, VARIANT_BOOL* /*cancel*/) {}
    virtual void NavigateComplete2(IDispatch* /*browser*/, VARIANT* /*url*/) {}
    // Nothing calls it; it keeps the operations in their order.
    virtual void ReservedEvent() {}
    virtual void NewWindow3(IDispatch** /*newWindow*/, VARIANT_BOOL* /*cancel*/, DWORD /*flags*/, BSTR /*urlContext*/,
                            BSTR /*url*/) {}
    virtual void CommandStateChange(long /*command*/, VARIANT_BOOL /*enable*/) {}

    // The document host's questions (IDocHostUIHandler), same arguments.
    virtual HRESULT ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO*) { return E_NOTIMPL; }
    virtual HRESULT ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                           IOleInPlaceUIWindow*) {
        return S_OK;
    }
    virtual HRESULT HideUI() { return S_OK; }
    virtual HRESULT UpdateUI() { return S_OK; }
    virtual HRESULT EnableModeless(BOOL) { return E_NOTIMPL; }
    virtual HRESULT OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
    virtual HRESULT OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
    virtual HRESULT ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }
    virtual HRESULT TranslateAccelerator(LPMSG, const GUID*, DWORD) { return S_FALSE; }
    virtual HRESULT GetOptionKeyPath(LPOLESTR*, DWORD) { return E_NOTIMPL; }
    virtual HRESULT GetDropTarget(IDropTarget*, IDropTarget**) { return S_FALSE; }
    virtual HRESULT GetExternal(IDispatch**) { return S_FALSE; }
    virtual HRESULT TranslateUrl(DWORD, LPWSTR, LPWSTR* urlOut) {
        if (urlOut) {
            *urlOut = nullptr;
        }
        return E_NOTIMPL;
    }
    virtual HRESULT FilterDataObject(IDataObject*, IDataObject** dataOut) {
        if (dataOut) {
            *dataOut = nullptr;
        }
        return E_NOTIMPL;
    }

    // What CWebBrowserUI::ForwardToHandler passes on.
    virtual HRESULT HandleForwarded(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {
        return S_OK;
    }

protected:
    ~IWebBrowserHandler() = default;
};

}  // namespace TavikUI
