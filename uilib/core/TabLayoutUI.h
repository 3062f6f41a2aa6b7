// Shows one child at a time: the selected page gets the whole inner area,
// the other children are hidden. Applications switch their pages with
// SelectTab.
#pragma once

#include <windows.h>

#include "ContainerUI.h"

namespace TavikUI {

class CTabLayoutUI : public CContainerUI {
public:
    CTabLayoutUI();

    const wchar_t* ClassName() const override;
    // "TabLayout" answers the layout.
    void* InterfaceByName(const wchar_t* name) override;
    void Place(const RECT& rect) override;
    // "selectedid"; the rest goes to the container.
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;

    // The first visible child added becomes the selected page; the others
    // are hidden.
    bool AddChild(CControlUI* control) override;
    bool InsertChild(CControlUI* control, int index) override;
    // Removing the selected page selects page 0 (without "tabselect").
    bool RemoveChild(CControlUI* control) override;
    void RemoveAllChildren() override;

    // -1 when no page is selected.
    int SelectedIndex() const { return selectedIndex_; }
    // Shows the page and hides the others, then sends "tabselect" (wParam the
    // new index, lParam the old one). False for an index outside the
    // children; true without any change for the selected page.
    bool SelectTab(int index);

private:
    int selectedIndex_;
};

}  // namespace TavikUI
