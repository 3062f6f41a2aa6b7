#include "SingleInstance.h"

#include <windows.h>

namespace TavikUI {

namespace {

HWND FindWindowWithProperty(const wchar_t* name) {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window && IsWindow(window);
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetPropW(window, name)) return window;
    }
    return nullptr;
}

}  // namespace

bool ActivateRunningInstance(const wchar_t* name) {
    HANDLE semaphore = CreateSemaphoreW(nullptr, 1, 1, name);
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        // Deliberately left open: the open handle is what a later copy sees.
        return true;
    }
    if (semaphore) CloseHandle(semaphore);

    // A copy that is still starting carries no property yet and is not found.
    HWND running = FindWindowWithProperty(name);
    if (running) {
        if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
        // An open modal box of the running copy comes to the front too.
        SetForegroundWindow(GetLastActivePopup(running));
    }
    return false;
}

}  // namespace TavikUI
