// A control that draws its text: colours, a font of the manager's table,
// DrawTextW style flags, a text padding and optional inline markup. The base
// of the buttons, options, progress bars and text controls.
#pragma once

#include <windows.h>

#include "ControlUI.h"
#include "UIRect.h"

namespace TavikUI {

class CLabelUI : public CControlUI {
public:
    CLabelUI();

    const wchar_t* ClassName() const override;
    // "Label" answers the label; anything else goes to the control query.
    void* InterfaceByName(const wchar_t* name) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // The declared size when a height is declared; else the declared width
    // and the font's height plus 4.
    SIZE DesiredSize(SIZE available) override;
    void PaintTextPart(HDC dc) override;

    // Colours are 0xAARRGGBB; 0 takes the manager's colour at the first paint.
    // These four setters store and invalidate.
    void SetTextColor(DWORD color);
    DWORD TextColor() const { return textColor_; }
    void SetDisabledTextColor(DWORD color);
    DWORD DisabledTextColor() const { return disabledTextColor_; }
    // An index into the manager's fonts; -1 is the default font.
    void SetFont(int index);
    int FontIndex() const { return fontIndex_; }
    void SetTextPadding(const RECT& padding);
    CUIRect TextPadding() const { return textPadding_; }

    // DrawTextW flags; stores and invalidates.
    void SetTextStyle(UINT style);
    UINT TextStyle() const { return textStyle_; }
    // Invalidates when the flag changes.
    void SetShowMarkup(bool show);
    bool ShowsMarkup() const { return showMarkup_; }

    // The text-effect fields: stored for skins that name them, without a
    // repaint. Text with effects enabled is not drawn (see PaintTextPart).
    void SetEffectsEnabled(bool enabled) { effectsEnabled_ = enabled; }
    bool EffectsEnabled() const { return effectsEnabled_; }
    void SetStrokeEnabled(bool enabled) { strokeEnabled_ = enabled; }
    bool StrokeEnabled() const { return strokeEnabled_; }
    void SetShadowEnabled(bool enabled) { shadowEnabled_ = enabled; }
    bool ShadowEnabled() const { return shadowEnabled_; }
    void SetEffectHorizontalAlign(int align) { effectHorizontalAlign_ = align; }
    int EffectHorizontalAlign() const { return effectHorizontalAlign_; }
    void SetEffectVerticalAlign(int align) { effectVerticalAlign_ = align; }
    int EffectVerticalAlign() const { return effectVerticalAlign_; }
    void SetShadowAlpha(int alpha) { shadowAlpha_ = alpha; }
    int ShadowAlpha() const { return shadowAlpha_; }
    void SetSecondShadowAlpha(int alpha) { secondShadowAlpha_ = alpha; }
    int SecondShadowAlpha() const { return secondShadowAlpha_; }
    void SetTextAlpha(int alpha) { textAlpha_ = alpha; }
    int TextAlpha() const { return textAlpha_; }
    void SetSecondTextAlpha(int alpha) { secondTextAlpha_ = alpha; }
    int SecondTextAlpha() const { return secondTextAlpha_; }
    void SetStrokeAlpha(int alpha) { strokeAlpha_ = alpha; }
    int StrokeAlpha() const { return strokeAlpha_; }
    void SetGradientLength(int length) { gradientLength_ = length; }
    int GradientLength() const { return gradientLength_; }
    void SetGradientAngle(int angle) { gradientAngle_ = angle; }
    int GradientAngle() const { return gradientAngle_; }
    void SetSecondTextColor(DWORD color) { secondTextColor_ = color; }
    DWORD SecondTextColor() const { return secondTextColor_; }
    void SetShadowColorA(DWORD color) { shadowColorA_ = color; }
    DWORD ShadowColorA() const { return shadowColorA_; }
    void SetShadowColorB(DWORD color) { shadowColorB_ = color; }
    DWORD ShadowColorB() const { return shadowColorB_; }
    void SetStrokeColor(DWORD color) { strokeColor_ = color; }
    DWORD StrokeColor() const { return strokeColor_; }
    // The shadow position computed from "shadowoffset" (see ApplyShadowOffset).
    float ShadowOffsetY() const { return shadowOffsetY_; }
    float ShadowOffsetX() const { return shadowOffsetX_; }
    // 0..5; anything else stores 0.
    void SetTextRenderingHint(int hint);
    int TextRenderingHint() const { return textRenderingHint_; }
    // offset,angle: computes the shadow position from the control's left and
    // top edges; an angle outside -180..180 changes nothing.
    void ApplyShadowOffset(int offset, int angle);

protected:
    // Stores without invalidating, for a colour swapped in during a paint.
    void StoreTextColor(DWORD color) { textColor_ = color; }
    // Replaces a zero text or disabled colour, for good, by the manager's.
    void ResolveDefaultTextColors();
    // The control rectangle less the text padding.
    CUIRect TextRect() const;
    // The text in that colour and style: markup or plain in the label's font.
    void DrawLabelText(HDC dc, DWORD color, UINT style);

private:
    DWORD textColor_;
    DWORD disabledTextColor_;
    int fontIndex_;
    UINT textStyle_;
    CUIRect textPadding_;
    bool showMarkup_;
    int effectHorizontalAlign_;
    int effectVerticalAlign_;
    int shadowAlpha_;
    int secondShadowAlpha_;
    int textAlpha_;
    int secondTextAlpha_;
    int strokeAlpha_;
    int gradientLength_;
    int gradientAngle_;
    bool effectsEnabled_;
    bool strokeEnabled_;
    bool shadowEnabled_;
    DWORD secondTextColor_;
    DWORD shadowColorA_;
    DWORD shadowColorB_;
    DWORD strokeColor_;
    float shadowOffsetY_;
    float shadowOffsetX_;
    int textRenderingHint_;
};

}  // namespace TavikUI
