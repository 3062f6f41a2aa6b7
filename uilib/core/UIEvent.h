// The event record the window manager hands to a control, the event codes the
// whole library uses, and the key-state bits carried by events.
#pragma once

#include <windows.h>

#include <cstdint>

namespace TavikUI {

class CControlUI;

// Event codes. The numbers are fixed: controls compare against them and the
// mouse range (kEventMouseFirst..kEventMouseLast) is climbed to the parent by
// controls that do not take the mouse.
enum UIEventCode : int32_t {
    kEventKeyDown = 3,
    kEventKeyUp = 4,
    kEventChar = 5,
    kEventSysKey = 6,
    kEventMouseMove = 9,
    kEventMouseLeave = 10,
    kEventMouseEnter = 11,
    kEventMouseHover = 12,
    kEventButtonDown = 13,
    kEventButtonUp = 14,
    kEventRightButtonDown = 17,
    kEventRightButtonUp = 18,
    kEventDoubleClick = 19,
    kEventContextMenu = 20,
    kEventScrollWheel = 21,
    kEventCaptureLost = 22,
    kEventKillFocus = 24,
    kEventSetFocus = 25,
    kEventWindowSize = 26,
    kEventSetCursor = 27,
    kEventTimer = 28,

    kEventMouseFirst = kEventMouseMove,
    kEventMouseLast = kEventCaptureLost,
};

// Events of the mouse range, which a control that takes no mouse hands on.
inline bool IsMouseEvent(int32_t type) { return type >= kEventMouseFirst && type <= kEventMouseLast; }

// Key-state bits (bit set while the key or button is down). 0x10 is unused.
enum UIKeyStateBit : uint16_t {
    kKeyStateRightButton = 0x01,
    kKeyStateLeftButton = 0x02,
    kKeyStateShift = 0x04,
    kKeyStateControl = 0x08,
    kKeyStateAlt = 0x20,
};

// One event for one control. Built zeroed, then filled, so fields an event
// does not use are 0. wParam and lParam are pointer-sized: the context-menu
// event carries a control pointer in lParam.
struct UIEvent {
    int32_t type = 0;
    CControlUI* sender = nullptr;
    uint32_t timestamp = 0;
    POINT point = {0, 0};
    uint16_t keyCharacter = 0;
    uint16_t keyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

}  // namespace TavikUI
