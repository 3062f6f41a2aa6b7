// The native edit window a CEditUI lays over itself while it is being edited:
// a superclass of the system "Edit" control, a child of the manager's window.
// It closes itself when it loses the focus and deletes itself with its window.
#pragma once

#include <windows.h>

#include "WindowWnd.h"

namespace TavikUI {

class CEditUI;

class CEditWnd : public CWindowWnd {
public:
    // Creates the window over the owner with the owner's font, limits, text
    // and styles, and gives it the focus; null when it cannot be created.
    static CEditWnd* Open(CEditUI* owner);
    // The owner is going away: later messages no longer reach it.
    void DetachOwner() { owner_ = nullptr; }

    const wchar_t* WindowClassName() const override;
    const wchar_t* SuperclassName() const override;
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FinalMessage(HWND window) override;

private:
    explicit CEditWnd(CEditUI* owner);
    ~CEditWnd() override;

    bool Init();

    LRESULT OnReflectedCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnReflectedColor(HDC dc);

    CEditUI* owner_;
    HBRUSH backgroundBrush_;
    bool initialised_;
    // Set while the window is being created: a creation that fails half-way
    // leaves the object to Open to delete.
    bool creating_;
};

}  // namespace TavikUI
