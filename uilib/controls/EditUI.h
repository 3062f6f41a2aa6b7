// A single-line text field drawn as a label while idle. While it has the
// focus a native edit window (CEditWnd) lies over it for typing; every change
// there is copied into the control and announced with "textchanged", Enter
// sends "return".
#pragma once

#include <windows.h>

#include <cstdint>

#include "LabelUI.h"
#include "WideString.h"

namespace TavikUI {

class CEditWnd;

class CEditUI : public CLabelUI {
public:
    // Bits of the paint state.
    static constexpr uint32_t kStateFocused = 0x01;  // as the button's bits
    static constexpr uint32_t kStateDisabled = 0x04;
    static constexpr uint32_t kStateHot = 0x08;
    // "nativebkcolor" unset: the native edit keeps the system colours.
    static constexpr DWORD kSystemColors = 0xFFFFFFFFu;

    CEditUI();
    // Destroys a native edit that is still open: its last messages must not
    // reach a control that is gone.
    ~CEditUI() override;

    const wchar_t* ClassName() const override;
    // "Edit" answers the edit; anything else goes to the label query.
    void* InterfaceByName(const wchar_t* name) override;
    // A Tab stop with set-cursor events while enabled.
    UINT BehaviourFlags() const override;
    // Stores, copies into an open native edit and repaints, changed or not.
    void SetText(const wchar_t* text) override;
    void Place(const RECT& rect) override;
    // Hiding the control ends the editing.
    void ShowOrHide(bool show = true) override;
    void SetParentGivenVisibility(bool visible) override;
    void SetEnabledState(bool enabled = true) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // The declared size when a height is declared; else the declared width
    // and the font's height plus 6.
    SIZE DesiredSize(SIZE available) override;
    void PaintStateImages(HDC dc) override;
    void PaintTextPart(HDC dc) override;

    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return readOnly_; }
    void SetPassword(bool password);
    bool IsPassword() const { return password_; }
    wchar_t PasswordChar() const { return passwordChar_; }
    void SetMaxChars(int count);
    int MaxChars() const { return maxChars_; }
    // Take effect when the next native edit opens.
    void SetNumberOnly(bool numberOnly);
    DWORD ExtraWindowStyle() const { return extraStyle_; }
    void SetNativeBackgroundColor(DWORD color) { nativeBackgroundColor_ = color; }
    DWORD NativeBackgroundColor() const { return nativeBackgroundColor_; }
    // Image descriptions of the states; these store and repaint.
    void SetNormalImage(const wchar_t* description);
    void SetHotImage(const wchar_t* description);
    void SetFocusedImage(const wchar_t* description);
    void SetDisabledImage(const wchar_t* description);

    // The open native edit, or null while idle.
    CEditWnd* NativeWindow() const { return nativeWindow_; }
    // Where the native edit lies: the control less the text padding, cut to
    // the font's height and centred vertically when the font is lower.
    CUIRect NativeEditRect() const;

private:
    friend class CEditWnd;

    // Opens the native edit; the control stays idle when it cannot be made.
    void OpenNativeWindow();
    // Called by the native edit: its text, stored without a repaint.
    void StoreNativeText(const wchar_t* text) { text_.AssignText(text); }
    // Called by the native edit as it goes away.
    void NativeWindowClosed();

    CEditWnd* nativeWindow_;
    int maxChars_;
    bool readOnly_;
    bool password_;
    wchar_t passwordChar_;
    uint32_t state_;
    CWideString normalImage_;
    CWideString hotImage_;
    CWideString focusedImage_;
    CWideString disabledImage_;
    DWORD nativeBackgroundColor_;
    DWORD extraStyle_;
};

}  // namespace TavikUI
