// Hosts the Shockwave Flash control and listens to its events, which go to
// an optional IFlashHandler.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "ActiveXUI.h"
#include "EventSinkLink.h"
#include "FlashHandler.h"
#include "UIInterfaces.h"

namespace TavikUI {

// The player's automation interface. Only its identity and its connection
// points are used here, so none of its own methods is declared.
struct IShockwaveFlash : public IDispatch {};

class CFlashUI : public CActiveXUI, public CEventSinkDispatch, public ITranslateAccelerator {
public:
    CFlashUI();
    // Hands the handler back (ReleaseHandler), then releases the player.
    ~CFlashUI() override;

    const wchar_t* ClassName() const override;
    // "Flash" answers the control; anything else goes to the host.
    void* InterfaceByName(const wchar_t* name) override;
    // "homepage" and "autonavi" are taken and ignored.
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // Disconnects the events, lets go of the player and closes it.
    void ReleaseControl() override;
    // The hosted player, connected to this control's event sink.
    bool CreateActiveXControl() override;

    // The control calls its ReleaseHandler when it is destroyed; null for
    // none.
    void SetHandler(IFlashHandler* handler) { handler_ = handler; }
    IFlashHandler* Handler() const { return handler_; }
    IShockwaveFlash* Player() const { return player_; }

    // IUnknown; the count is informational, the control owns its lifetime.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: the _IShockwaveFlashEvents sink.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // Keyboard messages for the focused player go to its active object. The
    // control does not register itself with the manager for them.
    LRESULT TranslateAcceleratorMessage(MSG* message) override;

private:
    HRESULT OnFSCommand(DISPPARAMS* params);
    HRESULT OnFlashCall(DISPPARAMS* params);
    // OnProgress and OnReadyStateChange: one 32-bit argument.
    HRESULT OnNumberEvent(DISPID id, DISPPARAMS* params);
    void ConnectEvents();
    void DisconnectEvents();

    IShockwaveFlash* player_;
    LONG references_;
    CEventSinkLink events_;
    IFlashHandler* handler_;
};

}  // namespace TavikUI
