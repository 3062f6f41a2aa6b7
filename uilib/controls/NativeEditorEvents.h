// What the edit and the date-time control share: both edit through a native
// child window they open on focus, and close it when they go.
#pragma once

#include <windows.h>

#include <functional>

#include "ControlUI.h"
#include "UIEvent.h"

namespace TavikUI {

// The I-beam cursor, the focus following a resize of the host window, the
// wheel kept from the container while the native window is open, opening it
// on focus, repainting on focus loss, and the mouse moves, releases and
// context menus that are the native window's. Answers whether the event is
// done; the control handles the rest itself.
bool HandleNativeEditorEvent(CControlUI& control, const UIEvent& event, bool nativeOpen,
                             const std::function<void()>& openNative);

// Detaches an open native window from its control and destroys it; the
// window object deletes itself in its final message.
template <class NativeWindow>
void CloseNativeEditor(NativeWindow*& window) {
    if (NativeWindow* open = window) {
        window = nullptr;
        open->DetachOwner();
        DestroyWindow(open->Handle());
    }
}

}  // namespace TavikUI
