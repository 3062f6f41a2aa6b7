// One running copy per program: the name is both a named semaphore, which
// a later copy detects, and a window property that the running copy's main
// window carries so the later copy can bring it to the front. Beside it, the
// rest of the set-up every program's main window shares.
#pragma once

#include <windows.h>

namespace TavikUI {

class CShadowWindow;

// True: this is the only running copy and the caller goes on (the
// semaphore stays open for the life of the process). False: another copy
// runs, its window (when found) has been restored and brought to the front,
// and the caller ends now.
bool ActivateRunningInstance(const wchar_t* name);

// The window that carries the running copy's mark; null when none does.
HWND FindRunningInstanceWindow(const wchar_t* name);

// Marks the window as the one a later copy's ActivateRunningInstance(name)
// brings forward, and takes the mark off again.
void MarkRunningInstanceWindow(HWND window, const wchar_t* name);
void UnmarkRunningInstanceWindow(HWND window, const wchar_t* name);

// The programs' drop shadow: clip styles on the window, the shadow attached,
// size 4 and no offset, each change redrawn while the shadow is shown.
void AttachProgramShadow(CShadowWindow& shadow, HWND window);

}  // namespace TavikUI
