#include "WindowSearch.h"

namespace testsupport {

HWND FindTopLevelWindow(DWORD processId, const std::function<bool(HWND)>& matches) {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && matches(window)) {
            return window;
        }
    }
    return nullptr;
}

bool IsShownWithClass(HWND window, const wchar_t* className) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return IsWindowVisible(window) && wcscmp(name, className) == 0;
}

bool IsShownWithTitle(HWND window, const wchar_t* title) {
    wchar_t text[128] = L"";
    GetWindowTextW(window, text, 128);
    return IsWindowVisible(window) && wcscmp(text, title) == 0;
}

}  // namespace testsupport
