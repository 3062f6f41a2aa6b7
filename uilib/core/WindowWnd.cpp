#include "WindowWnd.h"

#include <initializer_list>

#include "WindowManager.h"

namespace TavikUI {
namespace {

// The window property that holds the object of a superclassed window (its
// class may use the user-data long itself).
const wchar_t kObjectProperty[] = L"WndX";

// Registration that finds the class already registered is a success: every
// creation registers again.
bool RegisteredOrExists(ATOM atom) { return atom != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS; }

int RoundUpTo16(int value) { return (value + 15) / 16 * 16; }

// Keeps `start` of an extent `length` inside [low, high): pushed to low when it
// starts before it, else to high - length when it ends past it.
LONG KeepInside(LONG start, LONG length, LONG low, LONG high) {
    if (start < low) {
        return low;
    }
    if (start + length > high) {
        return high - length;
    }
    return start;
}

}  // namespace

CWindowWnd::CWindowWnd()
    : window_(nullptr), savedProc_(DefWindowProcW), subclassed_(false), bigIcon_(nullptr), smallIcon_(nullptr) {}

CWindowWnd::~CWindowWnd() {
    if (window_ && IsWindow(window_)) {
        if (GetPropW(window_, kObjectProperty) == this) {
            SetPropW(window_, kObjectProperty, nullptr);
        }
        if (GetWindowLongPtrW(window_, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        }
        // The window lives on and still shows the icons.
        return;
    }
    DestroyOwnIcons();
}

const wchar_t* CWindowWnd::SuperclassName() const { return nullptr; }

UINT CWindowWnd::ClassStyle() const { return 0; }

LRESULT CWindowWnd::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallSavedProc(message, wParam, lParam);
}

void CWindowWnd::FinalMessage(HWND /*window*/) {}

bool CWindowWnd::RegisterOwnClass() {
    WNDCLASSW windowClass = {};
    windowClass.style = ClassStyle();
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = CWindowManager::ModuleInstance();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = WindowClassName();
    return RegisteredOrExists(RegisterClassW(&windowClass));
}

bool CWindowWnd::RegisterAsSuperclass() {
    const wchar_t* baseName = SuperclassName();
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(nullptr, baseName, &windowClass) &&
        !GetClassInfoExW(CWindowManager::ModuleInstance(), baseName, &windowClass)) {
        return false;
    }
    savedProc_ = windowClass.lpfnWndProc;
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = SubclassProcedure;
    windowClass.hInstance = CWindowManager::ModuleInstance();
    windowClass.lpszClassName = WindowClassName();
    return RegisteredOrExists(RegisterClassExW(&windowClass));
}

HWND CWindowWnd::CreateNativeWindow(HWND parent, const wchar_t* windowName, DWORD style, DWORD extendedStyle, int x,
                                    int y, int cx, int cy, HMENU menu) {
    const bool registered = SuperclassName() ? RegisterAsSuperclass() : RegisterOwnClass();
    if (!registered) {
        return nullptr;
    }
    window_ = CreateWindowExW(extendedStyle, WindowClassName(), windowName, style, x, y, cx, cy, parent, menu,
                              CWindowManager::ModuleInstance(), this);
    return window_;
}

HWND CWindowWnd::CreateNativeWindowInRect(HWND parent, const wchar_t* windowName, DWORD style, DWORD extendedStyle,
                                          const RECT& rect, HMENU menu) {
    return CreateNativeWindow(parent, windowName, style, extendedStyle, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, menu);
}

LRESULT CWindowWnd::FinishWindow(HWND window, WPARAM wParam, LPARAM lParam, bool storedAsProperty) {
    const LRESULT result = CallWindowProcW(savedProc_, window, WM_NCDESTROY, wParam, lParam);
    if (storedAsProperty) {
        Unsubclass();
        SetPropW(window, kObjectProperty, nullptr);
    } else {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        Unsubclass();
    }
    window_ = nullptr;
    DestroyOwnIcons();
    FinalMessage(window);
    return result;
}

LRESULT CALLBACK CWindowWnd::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* object = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        object = static_cast<CWindowWnd*>(create->lpCreateParams);
        if (object) {
            object->window_ = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        }
    } else {
        object = reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_NCDESTROY && object) {
            return object->FinishWindow(window, wParam, lParam, false);
        }
    }
    if (object) {
        return object->HandleWindowMessage(message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* object = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        object = static_cast<CWindowWnd*>(create->lpCreateParams);
        if (object) {
            SetPropW(window, kObjectProperty, object);
            object->window_ = window;
        }
    } else {
        object = static_cast<CWindowWnd*>(GetPropW(window, kObjectProperty));
        if (message == WM_NCDESTROY && object) {
            return object->FinishWindow(window, wParam, lParam, true);
        }
    }
    if (object) {
        return object->HandleWindowMessage(message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void CWindowWnd::Unsubclass() {
    if (!window_ || !subclassed_) {
        return;
    }
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedProc_));
    savedProc_ = DefWindowProcW;
    subclassed_ = false;
}

void CWindowWnd::ShowNative(bool show, bool activate) {
    if (!window_) {
        return;
    }
    ShowWindow(window_, !show ? SW_HIDE : (activate ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE));
}

UINT CWindowWnd::RunModal() {
    // The loop works on a copy of the handle: the object may be deleted by its
    // FinalMessage while a message is dispatched.
    const HWND window = window_;
    if (!window) {
        return 0;
    }
    const HWND owner = GetWindow(window, GW_OWNER);
    ShowWindow(window, SW_SHOWNORMAL);
    if (owner) {
        EnableWindow(owner, FALSE);
    }
    UINT result = 0;
    MSG message = {};
    // GetMessageW answers -1 on failure: that ends the loop too.
    while (IsWindow(window) && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_CLOSE && message.hwnd == window) {
            result = static_cast<UINT>(message.wParam);
            // The owner must be active again before this window goes away.
            if (owner) {
                EnableWindow(owner, TRUE);
                SetFocus(owner);
            }
        }
        if (!CWindowManager::PreTranslateAll(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetFocus(owner);
    }
    if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
    }
    return result;
}

void CWindowWnd::CenterOnOwner() {
    if (!window_) {
        return;
    }
    RECT windowRect = {};
    GetWindowRect(window_, &windowRect);
    const LONG width = windowRect.right - windowRect.left;
    const LONG height = windowRect.bottom - windowRect.top;

    const HWND owner = GetWindow(window_, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : window_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;

    RECT centre = work;
    if (owner) {
        GetWindowRect(owner, &centre);
    }
    const LONG left = KeepInside((centre.left + centre.right) / 2 - width / 2, width, work.left, work.right);
    const LONG top = KeepInside((centre.top + centre.bottom) / 2 - height / 2, height, work.top, work.bottom);
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetWindowIcon(UINT iconResourceId) {
    if (!window_) {
        return;
    }
    const int cx = RoundUpTo16(GetSystemMetrics(SM_CXICON));
    const int cy = RoundUpTo16(GetSystemMetrics(SM_CYICON));
    const HINSTANCE instance = CWindowManager::ModuleInstance();
    auto load = [&] {
        return static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(iconResourceId), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
    };
    const HICON bigIcon = load();
    const HICON smallIcon = load();
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    // The window no longer shows the icons it had from here.
    DestroyOwnIcons();
    bigIcon_ = bigIcon;
    smallIcon_ = smallIcon;
}

void CWindowWnd::DestroyOwnIcons() {
    for (HICON* icon : {&bigIcon_, &smallIcon_}) {
        if (*icon) {
            DestroyIcon(*icon);
            *icon = nullptr;
        }
    }
}

LRESULT CWindowWnd::SendToWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(window_, message, wParam, lParam);
}

bool CWindowWnd::PostToWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageW(window_, message, wParam, lParam) != FALSE;
}

bool CWindowWnd::CloseWithCode(UINT code) {
    if (!window_) {
        return false;
    }
    return PostMessageW(window_, WM_CLOSE, code, 0) != FALSE;
}

LRESULT CWindowWnd::CallSavedProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(savedProc_, window_, message, wParam, lParam);
}

}  // namespace TavikUI
