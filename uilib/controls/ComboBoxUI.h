// A combo that draws a five-state arrow at its right edge, cut out of one
// image strip (normal, hot, pushed, focused, disabled from left to right),
// in place of the combo's state images.
#pragma once

#include <windows.h>

#include "ComboUI.h"

namespace TavikUI {

class CComboBoxUI : public CComboUI {
public:
    static constexpr int kArrowFrames = 5;

    CComboBoxUI() = default;

    const wchar_t* ClassName() const override;
    // "arrowimage": an image description with a "source" rectangle.
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStateImages(HDC dc) override;
    // As the combo's, left of the arrow.
    void PaintTextPart(HDC dc) override;

    const CWideString& ArrowImage() const { return arrowImage_; }
    int ArrowWidth() const { return arrowWidth_; }
    // 4 disabled, 2 pushed, 1 hot, 3 focused, else 0.
    int ArrowFrame() const;

private:
    // The arrow description with its "source" cut down to the frame and a
    // "dest" at the right edge; false when it has no quoted "source".
    bool ArrowModifier(int frame, CWideString& modifier);

    CWideString arrowImage_;
    int arrowWidth_ = 0;
};

}  // namespace TavikUI
