// A scroll bar: two step buttons, a proportional thumb with a grip image (the
// rail) and a background, vertical or horizontal. A bar owned by a container
// turns its button, page and thumb actions into the container's scroll
// operations; a free-standing bar moves its own position and reports each
// change with the notification "scroll".
#pragma once

#include <windows.h>

#include <cstdint>

#include "ControlUI.h"
#include "UIRect.h"
#include "WideString.h"

namespace TavikUI {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    // The manager timer of a pressed bar, and its period.
    static constexpr UINT kRepeatTimerId = 10;
    static constexpr UINT kRepeatPeriod = 50;
    // A held button or page step repeats from this timer tick on.
    static constexpr int kFirstRepeatTick = 6;
    // State bits of the buttons and the thumb.
    static constexpr uint32_t kStateDisabled = 0x04;
    static constexpr uint32_t kStateHot = 0x08;
    static constexpr uint32_t kStatePushed = 0x10;
    static constexpr uint32_t kStateDragging = 0x40;

    CScrollBarUI();

    const wchar_t* ClassName() const override;
    // "ScrollBar" answers the bar.
    void* InterfaceByName(const wchar_t* name) override;

    CContainerUI* OwnerContainer() const { return owner_; }
    void SetOwnerContainer(CContainerUI* owner);
    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontalMode(bool horizontal = true);
    int Range() const { return range_; }
    // Negative ranges become 0; the position is lowered into the range.
    void SetRange(int range);
    int Position() const { return position_; }
    // Clamped to 0..Range().
    void SetPosition(int position);
    int LineSize() const { return lineSize_; }
    void SetLineSize(int size);
    bool ShowsButton1() const { return button1_.shown; }
    void SetShowButton1(bool show);
    bool ShowsButton2() const { return button2_.shown; }
    void SetShowButton2(bool show);

    void SetBackgroundNormalImage(const wchar_t* description);
    void SetBackgroundHotImage(const wchar_t* description);
    void SetBackgroundPushedImage(const wchar_t* description);
    void SetBackgroundDisabledImage(const wchar_t* description);
    void SetButton1NormalImage(const wchar_t* description);
    void SetButton1HotImage(const wchar_t* description);
    void SetButton1PushedImage(const wchar_t* description);
    void SetButton1DisabledImage(const wchar_t* description);
    void SetButton2NormalImage(const wchar_t* description);
    void SetButton2HotImage(const wchar_t* description);
    void SetButton2PushedImage(const wchar_t* description);
    void SetButton2DisabledImage(const wchar_t* description);
    void SetThumbNormalImage(const wchar_t* description);
    void SetThumbHotImage(const wchar_t* description);
    void SetThumbPushedImage(const wchar_t* description);
    void SetThumbDisabledImage(const wchar_t* description);
    void SetRailNormalImage(const wchar_t* description);
    void SetRailHotImage(const wchar_t* description);
    void SetRailPushedImage(const wchar_t* description);
    void SetRailDisabledImage(const wchar_t* description);

    // Computed by Place.
    const CUIRect& Button1Rect() const { return button1_.rect; }
    const CUIRect& Button2Rect() const { return button2_.rect; }
    // All zero when the bar is too short for a thumb.
    const CUIRect& ThumbRect() const { return thumb_.rect; }
    uint32_t Button1State() const { return button1_.state; }
    uint32_t Button2State() const { return button2_.state; }
    uint32_t ThumbState() const { return thumb_.state; }

    // Sets only the visibility flag and clears the focus flag: the owner
    // shows and hides its bars during its own placement.
    void ShowOrHide(bool show = true) override;
    // Disabling clears the button and thumb states.
    void SetEnabledState(bool enabled = true) override;
    // The owner takes the focus in the bar's place.
    void TakeFocus() override;
    void Place(const RECT& rect) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    void Paint(HDC dc, const RECT& area) override;

private:
    // Normal, hot, pushed, disabled.
    struct ImageSet {
        CWideString normal;
        CWideString hot;
        CWideString pushed;
        CWideString disabled;
    };
    struct Part {
        bool shown = true;
        CUIRect rect;
        uint32_t state = 0;
        ImageSet images;
    };

    int Thickness() const;
    // Length of the bar along its axis.
    int Length() const;
    // Coordinate of a point along the bar's axis.
    int AlongAxis(POINT point) const;
    void StepBack();
    void StepForward();
    void PageBack();
    void PageForward();
    void OnButtonDown(const UIEvent& event);
    void OnMouseMove(const UIEvent& event);
    void OnRepeatTimer();
    void EndPress();
    void NotifyScrollWithoutOwner();
    // The image for the state, else the normal one; undrawable descriptions
    // are cleared. False when nothing was drawn.
    bool PaintStateImage(HDC dc, ImageSet& images, uint32_t state, const wchar_t* modifier);
    void PaintPart(HDC dc, Part& part);
    void PaintRail(HDC dc);
    // "dest='l,t,r,b'" for a rectangle relative to the bar's top-left corner,
    // built in the scratch modifier.
    const wchar_t* DestinationModifier(const RECT& rect);
    // A rectangle given along the bar's axis and across it.
    CUIRect AxisRect(int alongStart, int alongEnd, int acrossStart, int acrossEnd) const;

    bool horizontal_;
    int range_;
    int position_;
    int lineSize_;
    CContainerUI* owner_;
    POINT dragStart_;
    int dragStartPosition_;
    int dragDelta_;
    int repeatTicks_;
    ImageSet background_;
    Part button1_;
    Part button2_;
    Part thumb_;
    ImageSet rail_;
    CWideString imageModifier_;
};

}  // namespace TavikUI
