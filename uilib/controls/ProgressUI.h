// A label that shows a value between a minimum and a maximum by drawing the
// matching part of its fore image: left to right, or bottom to top.
#pragma once

#include <windows.h>

#include <cstdint>

#include "LabelUI.h"
#include "ProgressRange.h"
#include "WideString.h"

namespace TavikUI {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();

    const wchar_t* ClassName() const override;
    // "Progress" answers the progress; anything else goes to the label query.
    void* InterfaceByName(const wchar_t* name) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // The filled part of the fore image, over the background.
    void PaintStateImages(HDC dc) override;

    // These store and invalidate when the value changes.
    void SetHorizontal(bool horizontal);
    bool IsHorizontal() const { return horizontal_; }
    void SetStretchFore(bool stretch);
    bool IsStretchFore() const { return stretchFore_; }
    // Stored and invalidated without any check against the other bound; a
    // paint makes the range usable (see UsableProgressRange).
    void SetMinValue(int value);
    int MinValue() const { return minimum_; }
    void SetMaxValue(int value);
    int MaxValue() const { return maximum_; }
    // Only a different value within minimum..maximum is taken.
    void SetCurrentValue(int value);
    int CurrentValue() const { return value_; }
    // An image description (see CGdiRenderer::DrawImageDescription).
    void SetForeImage(const wchar_t* description);
    const CWideString& ForeImage() const { return foreImage_; }

protected:
    // Makes the stored range usable with that span (see UsableProgressRange)
    // and answers it.
    ProgressRange MakeRangeUsable(int32_t span);
    void StoreValue(int value) { value_ = value; }

private:
    bool horizontal_;
    bool stretchFore_;
    int32_t maximum_;
    int32_t minimum_;
    int32_t value_;
    CWideString foreImage_;
};

}  // namespace TavikUI
