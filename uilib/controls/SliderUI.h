// A progress bar with a draggable thumb. The value follows a drag, jumps to
// where a click on the track is released, or steps with the wheel; each
// accepted change sends "valuechanged".
#pragma once

#include <windows.h>

#include <cstdint>

#include "ProgressUI.h"
#include "UIRect.h"
#include "WideString.h"

namespace TavikUI {

class CSliderUI : public CProgressUI {
public:
    // Bits of the thumb state.
    static constexpr uint32_t kThumbHot = 0x08;
    static constexpr uint32_t kThumbPushed = 0x40;

    CSliderUI();

    const wchar_t* ClassName() const override;
    // "Slider" answers the slider; anything else goes to the progress query.
    void* InterfaceByName(const wchar_t* name) override;
    // Set-cursor events while enabled.
    UINT BehaviourFlags() const override;
    void SetEnabledState(bool enabled = true) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // The fore image, then the thumb in its state.
    void PaintStateImages(HDC dc) override;

    int Step() const { return step_; }
    void SetStep(int step) { step_ = step; }
    void SetThumbSize(int width, int height);
    SIZE ThumbSize() const { return CUISize(thumbWidth_, thumbHeight_); }
    uint32_t ThumbState() const { return thumbState_; }
    // These store and repaint.
    void SetThumbImage(const wchar_t* description);
    void SetThumbHotImage(const wchar_t* description);
    void SetThumbPushedImage(const wchar_t* description);
    const CWideString& ThumbImage() const { return thumbImage_; }
    const CWideString& ThumbHotImage() const { return thumbHotImage_; }
    const CWideString& ThumbPushedImage() const { return thumbPushedImage_; }
    // In window coordinates. With no span to share (maximum at or below the
    // minimum, or a track no longer than the thumb) the thumb stands at the
    // minimum's end.
    CUIRect ThumbRect() const;

private:
    // The value a point on the track stands for.
    int ValueAt(POINT point) const;
    // Draws the description with the modifier; a failed one is emptied.
    bool DrawThumbImage(HDC dc, CWideString& description);

    int thumbWidth_;
    int thumbHeight_;
    uint32_t thumbState_;
    int step_;
    CWideString thumbImage_;
    CWideString thumbHotImage_;
    CWideString thumbPushedImage_;
    CWideString modifier_;
    // The value when the thumb was pushed.
    int dragStartValue_;
};

}  // namespace TavikUI
