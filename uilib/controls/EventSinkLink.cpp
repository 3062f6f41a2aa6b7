#include "EventSinkLink.h"

namespace TavikUI {

bool CEventSinkLink::Connect(IUnknown* source, REFIID events, IDispatch* sink) {
    Disconnect();
    if (!source) {
        return false;
    }
    IConnectionPointContainer* container = nullptr;
    if (FAILED(source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) {
        return false;
    }
    IConnectionPoint* point = nullptr;
    if (SUCCEEDED(container->FindConnectionPoint(events, &point))) {
        if (SUCCEEDED(point->Advise(sink, &cookie_))) {
            point_ = point;
        } else {
            point->Release();
        }
    }
    container->Release();
    return point_ != nullptr;
}

void CEventSinkLink::Disconnect() {
    if (!point_) {
        return;
    }
    point_->Unadvise(cookie_);
    point_->Release();
    point_ = nullptr;
    cookie_ = 0;
}

}  // namespace TavikUI
