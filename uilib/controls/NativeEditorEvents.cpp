#include "NativeEditorEvents.h"

#include <windows.h>

#include "WindowManager.h"

namespace TavikUI {

bool HandleNativeEditorEvent(CControlUI& control, const UIEvent& event, bool nativeOpen,
                             const std::function<void()>& openNative) {
    const bool enabled = control.IsEnabled();
    switch (event.type) {
    case kEventSetCursor:
        if (enabled) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_IBEAM)));
        }
        return enabled;
    case kEventWindowSize:
        if (nativeOpen && control.Manager()) {
            control.Manager()->FocusWindowAndControl(&control);
        }
        return false;
    case kEventScrollWheel:
        return nativeOpen;
    case kEventSetFocus:
        if (enabled && nativeOpen) {
            return true;
        }
        if (enabled) {
            openNative();
        }
        return false;
    case kEventKillFocus:
        if (enabled) {
            control.InvalidateVisibleRect();
        }
        return false;
    case kEventMouseMove:
    case kEventButtonUp:
    case kEventContextMenu:
        return true;
    default:
        return false;
    }
}

}  // namespace TavikUI
