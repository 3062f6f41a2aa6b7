#include "SingleInstance.h"

#include "ShadowWindow.h"

namespace TavikUI {

HWND FindRunningInstanceWindow(const wchar_t* name) {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window && IsWindow(window);
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetPropW(window, name)) {
            return window;
        }
    }
    return nullptr;
}

bool ActivateRunningInstance(const wchar_t* name) {
    HANDLE semaphore = CreateSemaphoreW(nullptr, 1, 1, name);
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        // Deliberately left open: the open handle is what a later copy sees.
        return true;
    }
    if (semaphore) {
        CloseHandle(semaphore);
    }

    // A copy that is still starting carries no property yet and is not found.
    HWND running = FindRunningInstanceWindow(name);
    if (running) {
        if (IsIconic(running)) {
            ShowWindow(running, SW_RESTORE);
        }
        SetForegroundWindow(running);
        // An open modal box of the running copy comes to the front too.
        SetForegroundWindow(GetLastActivePopup(running));
    }
    return false;
}

void MarkRunningInstanceWindow(HWND window, const wchar_t* name) {
    // Only the property's presence counts.
    SetPropW(window, name, reinterpret_cast<HANDLE>(1));
}

void UnmarkRunningInstanceWindow(HWND window, const wchar_t* name) { RemovePropW(window, name); }

void AttachProgramShadow(CShadowWindow& shadow, HWND window) {
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    shadow.AttachShadow(window);
    shadow.SetSize(4);
    if (shadow.IsShown()) {
        shadow.RedrawShadow(window);
    }
    shadow.SetOffset(0, 0);
    if (shadow.IsShown()) {
        shadow.RedrawShadow(window);
    }
}

}  // namespace TavikUI
