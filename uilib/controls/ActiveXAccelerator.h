// Keyboard accelerators for a hosted object that lives in its own window:
// the manager offers each keyboard message, and the object's active part
// translates it while the focus is in that window.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace TavikUI {

// WM_KEYDOWN .. WM_SYSDEADCHAR.
inline bool IsKeyboardMessage(UINT message) { return message >= 0x100 && message <= 0x108; }

// S_FALSE for other messages, E_NOTIMPL without an object; S_FALSE unless
// the focus is in `hostWindow` (or below it) and the object has an active
// part; else that part's answer.
inline HRESULT TranslateForHostedObject(IUnknown* object, HWND hostWindow, MSG* message) {
    if (!message || !IsKeyboardMessage(message->message)) {
        return S_FALSE;
    }
    if (!object) {
        return E_NOTIMPL;
    }
    bool focusInside = false;
    for (HWND window = GetFocus(); window && hostWindow && !focusInside; window = GetParent(window)) {
        focusInside = window == hostWindow;
    }
    IOleInPlaceActiveObject* active = nullptr;
    if (!focusInside ||
        FAILED(object->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active)))) {
        return S_FALSE;
    }
    const HRESULT answer = active->TranslateAccelerator(message);
    active->Release();
    return answer;
}

}  // namespace TavikUI
