// A soft drop shadow for a skinned top-level window: a layered, click-through
// popup owned by the window, drawn with per-pixel alpha from the window's
// region (see ShadowShape.h). The shadow follows the window by subclassing
// its window procedure: it moves, hides, shows and redraws itself as the
// window moves, is resized, minimised, maximised, shown, hidden and destroyed.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ShadowShape.h"

namespace TavikUI {

class CShadowWindow {
public:
    // Bits of StatusFlags.
    static constexpr uint8_t kEnabled = 1;
    static constexpr uint8_t kShadowShown = 2;
    static constexpr uint8_t kParentVisible = 4;

    CShadowWindow();
    CShadowWindow(const CShadowWindow&) = delete;
    CShadowWindow& operator=(const CShadowWindow&) = delete;
    // A shadow that dies before its window hands the window its previous
    // procedure back and takes its shadow window with it.
    virtual ~CShadowWindow();

    // Once per process, before windows are made: looks up UpdateLayeredWindow
    // and registers the shadow's window class. False when already done, and
    // when the system cannot draw layered windows (shadows then stay off).
    static bool RegisterShadowWindowClass(HINSTANCE instance);

    // Creates the shadow window for the parent and subclasses the parent.
    // False, changing nothing, when shadows are off, when the parent already
    // has a shadow or this shadow already follows a window.
    bool AttachShadow(HWND parent);
    // Renders the shadow for the parent's current shape and puts it on
    // screen.
    void RedrawShadow(HWND parent);

    // Settings the owner changes before calling RedrawShadow.
    void SetDarkness(uint8_t darkness) { darkness_ = darkness; }
    void SetSharpness(uint8_t sharpness) { sharpness_ = sharpness; }
    void SetSize(int8_t size) { size_ = size; }
    void SetOffset(int8_t x, int8_t y) {
        offsetX_ = x;
        offsetY_ = y;
    }
    void SetColor(COLORREF color) { color_ = color; }
    ShadowParameters Parameters() const;

    HWND ShadowHandle() const { return shadowWindow_; }
    uint8_t StatusFlags() const { return status_; }
    bool IsShown() const { return (status_ & kShadowShown) != 0; }
    bool RedrawPending() const { return redrawPending_ != 0; }

    // The parent's window procedure while a shadow follows it.
    static LRESULT CALLBACK ShadowParentProc(HWND parent, UINT message, WPARAM wParam, LPARAM lParam);

private:
    // The shadow's part of a parent message, before the parent sees it.
    void FollowParent(HWND parent, UINT message, WPARAM wParam, LPARAM lParam);
    // Where the shadow's top-left corner goes for the parent's rectangle.
    POINT ShadowOrigin(const RECT& parentRect) const;
    void ShowShadow(bool show);

    HWND shadowWindow_;
    WNDPROC previousProc_;
    uint8_t status_;
    uint8_t darkness_;
    uint8_t sharpness_;
    int8_t size_;
    int8_t offsetX_;
    int8_t offsetY_;
    uint16_t lastParentCx_;
    uint16_t lastParentCy_;
    uint8_t redrawPending_;
    COLORREF color_;
};

}  // namespace TavikUI
