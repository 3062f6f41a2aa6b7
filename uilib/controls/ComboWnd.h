// The popup of a combo: a tool window under the combo (or above it near the
// bottom of the work area) with a manager of its own, into whose scrolling
// layout the combo's rows are lent while it is open. It closes itself when
// it loses the focus, on Enter, on Escape (restoring the selection it opened
// with) and on a click on a row.
#pragma once

#include <windows.h>

#include "WindowManager.h"
#include "WindowWnd.h"

namespace TavikUI {

class CComboUI;
class CControlUI;
class CVerticalLayoutUI;

class CComboWnd : public CWindowWnd {
public:
    // Padding the popup adds to its rows' heights (its border).
    static constexpr int kFrameHeight = 4;

    // Creates and shows the popup for the combo; null, leaving nothing
    // behind, when the window cannot be created.
    static CComboWnd* Open(CComboUI* owner);

    const wchar_t* WindowClassName() const override;
    UINT ClassStyle() const override;
    LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Tells the combo, destroys the manager with the layout and deletes the
    // object.
    void FinalMessage(HWND window) override;

    CWindowManager& Manager() { return manager_; }
    CVerticalLayoutUI* Layout() const { return layout_; }
    int SelectionAtOpening() const { return selectionAtOpening_; }
    // Scrolls the layout so the row shows (nothing without a selection).
    void EnsureVisible(int index);
    // A row (or with null every row) leaves the combo while the popup shows
    // it: the layout lets go of it first.
    void ForgetRow(CControlUI* row);
    // The combo is going: the rows return to it and the window is destroyed
    // without touching the combo further.
    void DestroyForGoneOwner();

private:
    explicit CComboWnd(CComboUI* owner);
    // Where the popup opens, in screen coordinates.
    RECT PopupRect() const;
    void OnCreate();
    // The combo (with its rows) back in its own manager; once.
    void ReturnRows();

    CWindowManager manager_;
    CComboUI* owner_;
    CVerticalLayoutUI* layout_;
    int selectionAtOpening_;
    bool rowsReturned_;
    // Set while Open creates the window.
    bool opening_ = false;
};

}  // namespace TavikUI
