// The date picker a CDateTimeUI lays over itself while it has the focus: a
// superclass of the system "SysDateTimePick32" control, a child of the
// manager's window. It closes itself when it loses the focus or on Backspace,
// Delete or Escape, and deletes itself with its window.
#pragma once

#include <windows.h>

#include "UIRect.h"
#include "WindowWnd.h"

namespace TavikUI {

class CDateTimeUI;

class CDateTimeWnd : public CWindowWnd {
public:
    CDateTimeWnd();

    // Creates the window the first time, with the owner's font; hands it the
    // owner's date (today for an empty text) and gives it the focus. False
    // when the window cannot be created.
    bool Init(CDateTimeUI* owner);
    // The owner is going away: later messages no longer reach it.
    void DetachOwner() { owner_ = nullptr; }
    // The owner's rectangle: the picker covers the label exactly.
    CUIRect EditRect() const;

    const wchar_t* WindowClassName() const override;
    const wchar_t* SuperclassName() const override;
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FinalMessage(HWND window) override;

private:
    // The key's default handling, the owner's new mode, and the close.
    LRESULT CloseWithMode(UINT message, WPARAM wParam, LPARAM lParam, int mode);

    CDateTimeUI* owner_;
    bool initialised_;
    // Set while the window is being created: a creation that fails half-way
    // leaves the object to its maker to delete.
    bool creating_;
};

}  // namespace TavikUI
