// A drop-down list: a container of list rows that it neither lays out nor
// paints; it shows the selected row in its own rectangle and, when
// activated, lends the rows to a popup window with a scrolling list until
// the popup closes. It owns the rows through the list owner interface and
// carries an item style record of its own.
#pragma once

#include <windows.h>

#include "ButtonUI.h"
#include "ContainerUI.h"
#include "ListInterfaces.h"

namespace TavikUI {

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    // State bits.
    static constexpr UINT kFocused = kButtonFocused;
    static constexpr UINT kDisabled = kButtonDisabled;
    static constexpr UINT kHot = 0x8;
    static constexpr UINT kPushed = 0x10;
    static constexpr UINT kCaptured = 0x40;

    CComboUI();
    // An open popup gives the rows back and is destroyed first.
    ~CComboUI() override;

    const wchar_t* ClassName() const override;
    // "Combo" the combo, "IListOwner" its owner interface; else as the
    // container.
    void* InterfaceByName(const wchar_t* name) override;
    UINT BehaviourFlags() const override;
    // Opens the popup ("dropdown"); false when the combo is hidden or
    // disabled, or the popup window cannot be made.
    bool IsActivatable() override;
    // The selected row's text; "" without a selection.
    CWideString Text() const override;
    void Place(const RECT& rect) override;
    void SetEnabledState(bool enabled = true) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE DesiredSize(SIZE available) override;
    // The base control's painting: rows show only in the popup.
    void Paint(HDC dc, const RECT& area) override;
    void PaintStateImages(HDC dc) override;
    void PaintTextPart(HDC dc) override;

    // --- IContainerUI: rows are numbered and keep the selection -------------

    bool MoveChildTo(CControlUI* control, int index) override;
    bool AddChild(CControlUI* control) override;
    bool InsertChild(CControlUI* control, int index) override;
    bool RemoveChild(CControlUI* control) override;
    bool RemoveChildAt(int index) override;
    void RemoveAllChildren() override;

    // --- IListOwnerUI ----------------------------------------------------------

    CListInfo* ListInfo() override { return &info_; }
    int CurrentSelection() const override { return currentSelection_; }
    bool SelectItem(int index, bool takeFocus = false) override;
    void ForwardEvent(UIEvent& event) override { HandleEvent(event); }

    // --- Own settings and state --------------------------------------------------

    CComboWnd* Popup() const { return popup_; }
    UINT State() const { return state_; }
    CUIRect TextPadding() const { return textPadding_; }
    void SetTextPadding(const RECT& padding);
    // Attribute list applied to the popup's layout.
    const CWideString& DropBoxAttributes() const { return dropBoxAttributes_; }
    // Popup width (0: the combo's) and maximum height.
    SIZE DropBoxSize() const { return dropBoxSize_; }
    void SetDropBoxSize(SIZE size) { dropBoxSize_ = size; }

protected:
    // The focused and disabled bits from the control's state.
    void RefreshStateBits();
    // The text part in the rectangle (the selected row's own drawing).
    void PaintSelectedRow(HDC dc, const RECT& textRect);

    UINT state_;

private:
    friend class CComboWnd;

    // Called by the popup as its window goes.
    void PopupClosed();

    CComboWnd* popup_;
    int currentSelection_;
    CUIRect textPadding_;
    CWideString dropBoxAttributes_;
    SIZE dropBoxSize_;
    CWideString normalImage_;
    CWideString hotImage_;
    CWideString pushedImage_;
    CWideString focusedImage_;
    CWideString disabledImage_;
    CListInfo info_;
};

}  // namespace TavikUI
