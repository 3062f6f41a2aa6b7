// Hosts the system web browser control: navigates to a home page on
// creation when asked, installs itself as each document's UI handler, keeps
// script error dialogs away, listens to the browser's DWebBrowserEvents2
// and lets the manager route keyboard accelerators into the browser. What
// it hears goes to an optional IWebBrowserHandler.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <servprov.h>

#include <cstdint>

#include "ActiveXUI.h"
#include "EventSinkLink.h"
#include "UIInterfaces.h"
#include "WebBrowserHandler.h"
#include "WideString.h"

namespace TavikUI {

class CWebBrowserUI : public CActiveXUI,
                      public IDocHostUIHandler,
                      public IServiceProvider,
                      public IOleCommandTarget,
                      public CEventSinkDispatch,
                      public ITranslateAccelerator {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;

    const wchar_t* ClassName() const override;
    // "WebBrowser" answers the browser; anything else goes to the host.
    void* InterfaceByName(const wchar_t* name) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // The accelerator translator moves with the control.
    void AttachToManager(CWindowManager* manager, CControlUI* parent, bool init = true) override;
    // Disconnects the events, lets go of the browser and closes it.
    void ReleaseControl() override;
    // The hosted browser, connected to this control's event sink, then the
    // home page when auto navigation is on.
    bool CreateActiveXControl() override;
    // The handler's HandleForwarded; 0 without a handler.
    virtual HRESULT ForwardToHandler(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e, uint32_t f, uint32_t g,
                                     uint32_t h);

    // Nothing happens without a browser or a URL.
    void Navigate(const wchar_t* url);
    void SetHomePage(const wchar_t* url) { homePage_.AssignText(url); }
    const CWideString& HomePage() const { return homePage_; }
    void SetAutoNavigate(bool autoNavigate) { autoNavigate_ = autoNavigate; }
    bool AutoNavigate() const { return autoNavigate_; }
    // Not owned; null for none.
    void SetHandler(IWebBrowserHandler* handler) { handler_ = handler; }
    IWebBrowserHandler* Handler() const { return handler_; }
    IWebBrowser2* Browser() const { return browser_; }
    // References the browser holds on the control's COM parts (0 once it let
    // go of all of them).
    LONG ComReferenceCount() const { return references_; }

    // IUnknown, shared by the COM parts.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDocHostUIHandler: the handler's answers.
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget,
                                              IDispatch* object) override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* commandTarget,
                                     IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    HRESULT STDMETHODCALLTYPE HideUI() override;
    HRESULT STDMETHODCALLTYPE UpdateUI() override;
    HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL enable) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(WINBOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(WINBOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, WINBOOL frameWindow) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, const GUID* group, DWORD command) override;
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* target, IDropTarget** replacement) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* urlOut) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* data, IDataObject** dataOut) override;

    // IServiceProvider: no service of its own (the browser keeps its own
    // download handling).
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override;

    // IOleCommandTarget: answers the document host's script-error command.
    HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    HRESULT STDMETHODCALLTYPE Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in, VARIANT* out) override;

    // IDispatch: the DWebBrowserEvents2 sink.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // Keyboard messages for the focused browser go to its active object.
    LRESULT TranslateAcceleratorMessage(MSG* message) override;

private:
    // The handler, or one that does what the control does without one.
    IWebBrowserHandler& ActiveHandler() const;
    void ConnectEvents();
    void DisconnectEvents();
    // Makes this control the document's UI handler.
    void InstallUIHandler();

    IWebBrowser2* browser_;
    LONG references_;
    // The browser's DWebBrowserEvents2 connection point while connected.
    CEventSinkLink events_;
    CWideString homePage_;
    IWebBrowserHandler* handler_;
    bool autoNavigate_;
};

}  // namespace TavikUI
