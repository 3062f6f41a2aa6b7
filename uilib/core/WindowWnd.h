// One native Win32 window wrapped by an object: the object registers the
// window class (its own, or a superclass of an existing class), creates the
// window with itself as creation parameter and receives every message of that
// window through HandleWindowMessage. It also runs the modal message loop,
// centres the window on its owner and closes it with a result code.
#pragma once

#include <windows.h>

namespace TavikUI {

class CWindowWnd {
public:
    CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;
    // A window that still exists is detached first, so its later messages go
    // to DefWindowProcW rather than to a destroyed object.
    virtual ~CWindowWnd();

    virtual const wchar_t* WindowClassName() const = 0;
    // The class to superclass, or null for a class of its own.
    virtual const wchar_t* SuperclassName() const;
    virtual UINT ClassStyle() const;
    virtual LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The last call the object gets from its window, after WM_NCDESTROY.
    virtual void FinalMessage(HWND window);

    HWND Handle() const { return window_; }

    bool RegisterOwnClass();
    bool RegisterAsSuperclass();

    // Registers the class, then creates the window; null when either fails.
    HWND CreateNativeWindow(HWND parent, const wchar_t* windowName, DWORD style, DWORD extendedStyle, int x, int y,
                            int cx, int cy, HMENU menu = nullptr);
    HWND CreateNativeWindowInRect(HWND parent, const wchar_t* windowName, DWORD style, DWORD extendedStyle,
                                  const RECT& rect, HMENU menu = nullptr);

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Puts the saved procedure back when the window was subclassed.
    void Unsubclass();
    void ShowNative(bool show = true, bool activate = true);
    // Shows the window, disables its owner and runs the message loop until the
    // window is gone; answers the wParam of the WM_CLOSE that closed it (0
    // when none was seen). A WM_QUIT ends the loop and is posted again.
    UINT RunModal();
    void CenterOnOwner();
    // Loads the icon resource as the window's big and small icon. The window
    // owns the icons it loads: those it replaces are destroyed at once, the
    // last ones with the window.
    void SetWindowIcon(UINT iconResourceId);

    LRESULT SendToWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostToWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Posts WM_CLOSE carrying the code; false without a window.
    bool CloseWithCode(UINT code = IDOK);

    LRESULT CallSavedProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // Shared end of both procedures on WM_NCDESTROY.
    LRESULT FinishWindow(HWND window, WPARAM wParam, LPARAM lParam, bool storedAsProperty);

    void DestroyOwnIcons();

    HWND window_;
    WNDPROC savedProc_;
    bool subclassed_;
    HICON bigIcon_;
    HICON smallIcon_;
};

}  // namespace TavikUI
