// Finds the top-level windows of a process, this one's or another's.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

// The first top-level window of the process that `matches` takes; null when
// there is none.
HWND FindTopLevelWindow(DWORD processId, const std::function<bool(HWND)>& matches);
// Whether the window is shown and has that class, or that title.
bool IsShownWithClass(HWND window, const wchar_t* className);
bool IsShownWithTitle(HWND window, const wchar_t* title);

}  // namespace testsupport
