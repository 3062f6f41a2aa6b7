// A column header: a caption with state images, a separator grip at one edge
// that resizes the column by dragging (never below the minimum width), and
// "headerclick" on a click outside the grip.
#pragma once

#include <windows.h>

#include "ControlUI.h"

namespace TavikUI {

class CListHeaderItemUI : public CControlUI {
public:
    // State bits.
    static constexpr UINT kFocused = 0x1;
    static constexpr UINT kHot = 0x8;
    static constexpr UINT kPushed = 0x10;
    static constexpr UINT kDragging = 0x40;
    // How far the grip reaches inside the separator.
    static constexpr int kGripReach = 4;

    CListHeaderItemUI();

    const wchar_t* ClassName() const override;
    // "ListHeaderItem" answers the item.
    void* InterfaceByName(const wchar_t* name) override;
    // Set-cursor events while enabled with a separator.
    UINT BehaviourFlags() const override;
    void SetEnabledState(bool enabled = true) override;
    void HandleEvent(UIEvent& event) override;
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE DesiredSize(SIZE available) override;
    void PaintStateImages(HDC dc) override;
    void PaintTextPart(HDC dc) override;

    UINT State() const { return state_; }
    // Positive: at the right edge; negative: at the left edge.
    int SeparatorWidth() const { return separatorWidth_; }
    void SetSeparatorWidth(int width) { separatorWidth_ = width; }
    void SetDraggable(bool draggable);
    // The separator strip, widened inwards by kGripReach.
    CUIRect GripRect() const;

private:
    void MarkListForLayout();

    POINT lastPoint_;
    bool draggable_;
    UINT state_;
    int separatorWidth_;
    DWORD textColor_;
    int font_;
    UINT textStyle_;
    bool showMarkup_;
    CUIRect textPadding_;
    CWideString normalImage_;
    CWideString hotImage_;
    CWideString pushedImage_;
    CWideString focusedImage_;
    CWideString separatorImage_;
    CWideString separatorModifier_;
};

}  // namespace TavikUI
