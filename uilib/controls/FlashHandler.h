// What a CFlashUI passes on to an optional handler object: the Flash
// player's events. The control hands the handler back through
// ReleaseHandler when it is destroyed.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace TavikUI {

class IFlashHandler {
public:
    // The control is done with the handler.
    virtual void ReleaseHandler() = 0;
    // Nothing calls it; it keeps the operations in their order.
    virtual void ReservedEvent() {}
    virtual HRESULT OnReadyStateChange(long /*state*/) { return S_OK; }
    virtual HRESULT OnProgress(long /*percentDone*/) { return S_OK; }
    virtual HRESULT FSCommand(BSTR /*command*/, BSTR /*arguments*/) { return S_OK; }
    virtual HRESULT FlashCall(BSTR /*request*/) { return S_OK; }

protected:
    ~IFlashHandler() = default;
};

}  // namespace TavikUI
