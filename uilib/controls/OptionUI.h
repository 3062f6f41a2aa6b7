// A button with a selected state. Options that share a group name in one
// manager form a radio group: selecting one unselects the others.
#pragma once

#include <windows.h>

#include "ButtonUI.h"
#include "WideString.h"

namespace TavikUI {

class COptionUI : public CButtonUI {
public:
    COptionUI();
    // Leaves its group.
    ~COptionUI() override;

    const wchar_t* ClassName() const override;
    // "Option" answers the option; anything else goes to the button query.
    void* InterfaceByName(const wchar_t* name) override;
    // Leaves its group in a manager it is taken from; joins its group in the
    // new manager when init is asked.
    void AttachToManager(CWindowManager* manager, CControlUI* parent, bool init = true) override;
    // After the button's "click": selects a grouped option, toggles one
    // without a group.
    bool IsActivatable() override;
    // A disabled option keeps only its selected bit.
    void SetEnabledState(bool enabled = true) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStateImages(HDC dc) override;
    void PaintTextPart(HDC dc) override;

    // Sends "selectchanged" on every change without a group, and only on
    // becoming selected within a group, after unselecting the others
    // silently.
    virtual void Select(bool selected = true);
    bool IsSelected() const { return selected_; }

    const CWideString& Group() const { return group_; }
    // Null clears the group. With a manager the option moves from the old
    // group to the new one.
    void SetGroup(const wchar_t* name);

    // Images store and invalidate.
    const CWideString& SelectedImage() const { return selectedImage_; }
    void SetSelectedImage(const wchar_t* description);
    const CWideString& SelectedHotImage() const { return selectedHotImage_; }
    void SetSelectedHotImage(const wchar_t* description);
    // The option's own fore image, drawn after its state images (the
    // control's fore image field is not used by options).
    const CWideString& OptionForeImage() const { return optionForeImage_; }
    void SetForeImage(const wchar_t* description);

    // Colours (0xAARRGGBB, 0 = none) store only.
    DWORD SelectedTextColor() const { return selectedTextColor_; }
    void SetSelectedTextColor(DWORD color) { selectedTextColor_ = color; }
    DWORD SelectedBkColor() const { return selectedBkColor_; }
    void SetSelectedBkColor(DWORD color) { selectedBkColor_ = color; }

private:
    // Select(false) on the other options of the group.
    void UnselectOthersInGroup();
    // The selected look; false when the button's look should be drawn
    // instead, and `stop` set when nothing may follow (a colour fill).
    bool PaintSelectedImages(HDC dc, bool& stop);

    bool selected_;
    CWideString group_;
    DWORD selectedBkColor_;
    DWORD selectedTextColor_;
    CWideString selectedImage_;
    CWideString selectedHotImage_;
    CWideString optionForeImage_;
};

}  // namespace TavikUI
