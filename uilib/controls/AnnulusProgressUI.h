// A progress shown as a ring: the fore image revealed clockwise from twelve
// o'clock, with the value as text and a "%" sign in rectangles of their own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ProgressUI.h"
#include "UIRect.h"

namespace TavikUI {

class CAnnulusProgressUI : public CProgressUI {
public:
    CAnnulusProgressUI();

    // Answers the plain progress's class name, so code that tells controls
    // apart by class name treats both alike.
    const wchar_t* ClassName() const override;
    // "AnnulusProgressUI" answers the ring; anything else goes to the control
    // query (not the progress or label one).
    void* InterfaceByName(const wchar_t* name) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // The ring: the fore image (an image name) with the part past the value
    // cleared.
    void PaintStateImages(HDC dc) override;
    // The value text, then "%" when enabled.
    void PaintTextPart(HDC dc) override;

    // Only a different value within minimum..maximum is taken; the text
    // becomes the value in decimal.
    void SetValue(int value);

    // The "%" sign's font index (stores and invalidates when it changes),
    // colour (0xAARRGGBB, drawn as stored) and padding inside the text
    // rectangle.
    void SetPercentFont(int index);
    int PercentFont() const { return percentFont_; }
    void SetPercentColor(DWORD color);
    DWORD PercentColor() const { return percentColor_; }
    void SetPercentPadding(const RECT& padding);
    CUIRect PercentPadding() const { return percentPadding_; }
    // DrawTextW flags of the "%" sign; set through "bkalign".
    UINT PercentAlign() const { return percentAlign_; }
    // The value text's padding inside the text rectangle.
    void SetValueTextPadding(const RECT& padding);
    CUIRect ValueTextPadding() const { return valueTextPadding_; }

private:
    void DrawRingText(HDC dc, RECT rect, const wchar_t* text, DWORD color, int font, UINT style);

    int32_t percentFont_;
    DWORD percentColor_;
    UINT percentAlign_;
    CUIRect percentPadding_;
    CUIRect valueTextPadding_;
};

}  // namespace TavikUI
