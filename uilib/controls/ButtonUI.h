// A label that can be pressed: state images, state text colours, a hand
// cursor, and a "click" notification when activated by the mouse or by
// space or Enter.
#pragma once

#include <windows.h>

#include "LabelUI.h"
#include "WideString.h"

namespace TavikUI {

// Bits of the button state.
enum ButtonStateBit : UINT {
    kButtonFocused = 0x01,
    kButtonSelected = 0x02,
    kButtonDisabled = 0x04,
    kButtonHot = 0x08,
    kButtonPushed = 0x10,
    kButtonCaptured = 0x40,
};

// The state word's focused and disabled bits brought up to date from the
// control (the button, the combo and the edit keep them alike).
inline UINT WithCurrentFocusAndEnabled(UINT state, const CControlUI& control) {
    state = control.IsFocused() ? state | kButtonFocused : state & ~kButtonFocused;
    return control.IsEnabled() ? state & ~kButtonDisabled : state | kButtonDisabled;
}

class CButtonUI : public CLabelUI {
public:
    CButtonUI();

    const wchar_t* ClassName() const override;
    // "Button" answers the button; anything else goes to the label query.
    void* InterfaceByName(const wchar_t* name) override;
    UINT BehaviourFlags() const override;
    // When visible and enabled, sends "click" and answers true.
    bool IsActivatable() override;
    // A disabled button loses every state bit.
    void SetEnabledState(bool enabled = true) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // The declared size when a height is declared; else the declared width
    // and the font's height plus 8.
    SIZE DesiredSize(SIZE available) override;
    void PaintStateImages(HDC dc) override;
    void PaintTextPart(HDC dc) override;

    UINT ButtonState() const { return buttonState_; }
    void SetButtonState(UINT state) { buttonState_ = state; }
    bool HandCursor() const { return handCursor_; }
    void SetHandCursor(bool hand) { handCursor_ = hand; }

    // Colours (0xAARRGGBB, 0 = none) store only.
    DWORD HotBkColor() const { return hotBkColor_; }
    void SetHotBkColor(DWORD color) { hotBkColor_ = color; }
    DWORD HotTextColor() const { return hotTextColor_; }
    void SetHotTextColor(DWORD color) { hotTextColor_ = color; }
    DWORD PushedTextColor() const { return pushedTextColor_; }
    void SetPushedTextColor(DWORD color) { pushedTextColor_ = color; }
    DWORD FocusedTextColor() const { return focusedTextColor_; }
    void SetFocusedTextColor(DWORD color) { focusedTextColor_ = color; }

    // Image descriptions store and invalidate.
    const CWideString& NormalImage() const { return normalImage_; }
    void SetNormalImage(const wchar_t* description);
    const CWideString& HotImage() const { return hotImage_; }
    void SetHotImage(const wchar_t* description);
    const CWideString& HotForeImage() const { return hotForeImage_; }
    void SetHotForeImage(const wchar_t* description);
    const CWideString& PushedImage() const { return pushedImage_; }
    void SetPushedImage(const wchar_t* description);
    const CWideString& FocusedImage() const { return focusedImage_; }
    void SetFocusedImage(const wchar_t* description);
    const CWideString& DisabledImage() const { return disabledImage_; }
    void SetDisabledImage(const wchar_t* description);

protected:
    // The focused and disabled bits follow the control's own flags.
    void RefreshStateBits();
    // The button's text in the colour its state picks.
    void PaintButtonText(HDC dc);

private:
    void PaintHotImages(HDC dc);
    void PaintNormalImage(HDC dc);
    void PaintForeImage(HDC dc);
    bool Contains(POINT point) const;

    bool handCursor_;
    UINT buttonState_;
    DWORD hotBkColor_;
    DWORD hotTextColor_;
    DWORD pushedTextColor_;
    DWORD focusedTextColor_;
    CWideString normalImage_;
    CWideString hotImage_;
    CWideString hotForeImage_;
    CWideString pushedImage_;
    CWideString focusedImage_;
    CWideString disabledImage_;
};

}  // namespace TavikUI
