// One advised event sink on an object's connection point: connected once,
// unadvised and released on Disconnect or when the link goes away.
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

}  // namespace TavikUI
