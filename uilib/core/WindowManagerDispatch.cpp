// The manager's message handler: native window messages become UIEvent
// records for the controls, reflected messages go back to the child windows
// that sent them, and the modal loop's pre-translation runs here.
#include <windowsx.h>

#include "ControlUI.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

// Reflected forms of messages child windows send to their parent.
constexpr UINT kReflectBase = 0x2000;
constexpr UINT kReflectedNotify = kReflectBase + WM_NOTIFY;    // 0x204E
constexpr UINT kReflectedCommand = kReflectBase + WM_COMMAND;  // 0x2111
constexpr UINT kDefaultHoverTime = 400;

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

LPARAM LParamOf(POINT point) { return MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)); }

// Label-like controls lend their shortcut to the next control of the walk.
struct ShortcutSearch {
    wchar_t character = 0;
    bool matched = false;
};

CControlUI* FindShortcutTarget(CControlUI* control, void* data) {
    auto* search = static_cast<ShortcutSearch*>(data);
    if (!control->IsVisible()) {
        return nullptr;
    }
    wchar_t shortcut[2] = {control->Shortcut(), 0};
    CharUpperW(shortcut);
    if (shortcut[0] != 0 && shortcut[0] == search->character) {
        search->matched = true;
    }
    if (search->matched && !wcsstr(control->ClassName(), L"LabelUI")) {
        return control;
    }
    return nullptr;
}

}  // namespace

uint16_t CWindowManager::KeyState() {
    uint16_t state = 0;
    if (GetKeyState(VK_RBUTTON) < 0) {
        state |= kKeyStateRightButton;
    }
    if (GetKeyState(VK_LBUTTON) < 0) {
        state |= kKeyStateLeftButton;
    }
    if (GetKeyState(VK_SHIFT) < 0) {
        state |= kKeyStateShift;
    }
    if (GetKeyState(VK_CONTROL) < 0) {
        state |= kKeyStateControl;
    }
    if (GetKeyState(VK_MENU) < 0) {
        state |= kKeyStateAlt;
    }
    return state;
}

void CWindowManager::SendEvent(CControlUI* target, int32_t type, POINT point, uint16_t keyState, WPARAM wParam,
                               LPARAM lParam, CControlUI* sender) {
    if (!target) {
        return;
    }
    UIEvent event;
    event.type = type;
    event.sender = sender ? sender : target;
    event.timestamp = GetTickCount();
    event.point = point;
    event.keyState = keyState;
    event.wParam = wParam;
    event.lParam = lParam;
    target->DeliverEvent(event);
}

// Key events carry the key code or character, the last mouse point and the
// key state.
void CWindowManager::SendKeyEvent(CControlUI* target, int32_t type, WPARAM key) {
    if (!target) {
        return;
    }
    UIEvent event;
    event.type = type;
    event.sender = target;
    event.timestamp = GetTickCount();
    event.point = lastMousePoint_;
    event.keyCharacter = static_cast<uint16_t>(key);
    event.keyState = KeyState();
    target->DeliverEvent(event);
}

// Hits in a child window's tree belong to that window's manager.
CControlUI* CWindowManager::OwnControlAt(POINT point) const {
    CControlUI* control = FindControlAt(point);
    return control && control->Manager() == this ? control : nullptr;
}

bool CWindowManager::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!window_) {
        return false;
    }
    DeliverQueuedNotifications();
    for (int i = 0; i < messageFilters_.Count(); ++i) {
        bool handled = false;
        const LRESULT answer = static_cast<IMessageFilterUI*>(messageFilters_.AtUnchecked(i))
                                   ->FilterMessage(message, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    switch (message) {
    case WM_SIZE:
        SendEvent(focused_, kEventWindowSize, lastMousePoint_);
        if (root_) {
            root_->MarkForLayout();
        }
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_CLOSE:
        OnClose();
        break;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SETCURSOR:
        if (OnSetCursor(wParam, lParam)) {
            return true;
        }
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (info) {
            if (minTrackSize_.cx > 0) {
                info->ptMinTrackSize.x = minTrackSize_.cx;
            }
            if (minTrackSize_.cy > 0) {
                info->ptMinTrackSize.y = minTrackSize_.cy;
            }
            if (maxTrackSize_.cx > 0) {
                info->ptMaxTrackSize.x = maxTrackSize_.cx;
            }
            if (maxTrackSize_.cy > 0) {
                info->ptMaxTrackSize.y = maxTrackSize_.cy;
            }
        }
        break;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header) {
            result = SendMessageW(header->hwndFrom, kReflectedNotify, wParam, lParam);
        }
        return true;
    }
    case WM_CONTEXTMENU:
        OnContextMenu(wParam, lParam);
        break;
    case WM_KEYDOWN: {
        CControlUI* target = focused_;
        SendKeyEvent(target, kEventKeyDown, wParam);
        keyDown_ = target;
        break;
    }
    case WM_KEYUP:
        SendKeyEvent(keyDown_, kEventKeyUp, wParam);
        keyDown_ = nullptr;
        break;
    case WM_CHAR:
        SendKeyEvent(focused_, kEventChar, wParam);
        break;
    case WM_COMMAND:
        if (lParam) {
            result = SendMessageW(reinterpret_cast<HWND>(lParam), kReflectedCommand, wParam, lParam);
            return true;
        }
        break;
    case WM_TIMER:
        OnTimer(wParam);
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (lParam) {
            result = SendMessageW(reinterpret_cast<HWND>(lParam), message + kReflectBase, wParam, lParam);
            return true;
        }
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        break;
    case WM_LBUTTONDOWN:
        OnButtonDown(kEventButtonDown, wParam, lParam);
        break;
    case WM_LBUTTONUP:
        OnButtonUp(kEventButtonUp, wParam, lParam);
        break;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick(wParam, lParam);
        break;
    case WM_RBUTTONDOWN:
        OnButtonDown(kEventRightButtonDown, wParam, lParam);
        break;
    case WM_RBUTTONUP:
        OnButtonUp(kEventRightButtonUp, wParam, lParam);
        break;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        break;
    case WM_CAPTURECHANGED: {
        CControlUI* capture = captureControl_;
        SendEvent(capture, kEventCaptureLost, lastMousePoint_, KeyState(), wParam, lParam);
        captureControl_ = nullptr;
        break;
    }
    case WM_MOUSEHOVER:
        if (OnMouseHover(lParam)) {
            return true;
        }
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    case WM_PRINTCLIENT:
        OnPrintClient(reinterpret_cast<HDC>(wParam), lParam);
        break;
    case kDeleteQueuedMessage:
        DeleteQueuedControls();
        break;
    default:
        break;
    }
    DeliverQueuedNotifications();
    return false;
}

bool CWindowManager::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT) {
        return false;
    }
    if (mouseCaptured_) {
        return true;
    }
    POINT point = {0, 0};
    GetCursorPos(&point);
    ScreenToClient(window_, &point);
    CControlUI* control = OwnControlAt(point);
    if (!control || !(control->BehaviourFlags() & kBehaviourSetCursor)) {
        return false;
    }
    SendEvent(control, kEventSetCursor, point, KeyState(), wParam, lParam);
    return true;
}

void CWindowManager::OnClose() {
    CControlUI* hover = hover_;
    SendEvent(hover, kEventMouseLeave, lastMousePoint_);
    CControlUI* pressed = pressed_;
    SendEvent(pressed, kEventButtonUp, lastMousePoint_);
    MoveFocusTo(nullptr);
    HWND owner = GetWindow(window_, GW_OWNER);
    if (owner) {
        SetFocus(owner);
    }
}

void CWindowManager::OnContextMenu(WPARAM wParam, LPARAM lParam) {
    POINT point = PointOf(lParam);
    ScreenToClient(window_, &point);
    CControlUI* control = OwnControlAt(point);
    if (!control) {
        return;
    }
    pressed_ = control;
    SendEvent(control, kEventContextMenu, point, LOWORD(wParam), 0, reinterpret_cast<LPARAM>(control));
    pressed_ = nullptr;
}

void CWindowManager::OnTimer(WPARAM wParam) {
    const UINT nativeId = LOWORD(wParam);
    for (int i = 0; i < timers_.Count(); ++i) {
        auto* entry = static_cast<TimerEntry*>(timers_.AtUnchecked(i));
        if (entry->window == window_ && entry->nativeId == nativeId && !entry->stopped) {
            SendEvent(entry->control, kEventTimer, lastMousePoint_, 0, entry->id, 0);
            return;
        }
    }
}

void CWindowManager::OnMouseMove(LPARAM lParam) {
    if (!mouseTracking_) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = window_;
        track.dwHoverTime = toolTipWindow_
                                ? static_cast<DWORD>(SendMessageW(toolTipWindow_, TTM_GETDELAYTIME, TTDT_INITIAL, 0))
                                : kDefaultHoverTime;
        TrackMouseEvent(&track);
        mouseTracking_ = true;
    }
    const POINT point = PointOf(lParam);
    lastMousePoint_ = point;
    if (captureControl_) {
        SendEvent(captureControl_, kEventMouseMove, point);
        return;
    }
    CControlUI* found = FindControlAt(point);
    if (found && found->Manager() != this) {
        return;
    }
    if (hover_ && hover_ != found) {
        CControlUI* leaving = hover_;
        SendEvent(leaving, kEventMouseLeave, point);
        hover_ = nullptr;
        HideToolTip();
    }
    if (found && found != hover_) {
        SendEvent(found, kEventMouseEnter, point);
        hover_ = found;
    }
    if (pressed_) {
        SendEvent(pressed_, kEventMouseMove, point);
    } else if (found) {
        SendEvent(found, kEventMouseMove, point);
    }
}

void CWindowManager::OnButtonDown(int32_t eventType, WPARAM wParam, LPARAM lParam) {
    SetFocus(window_);
    if (GetCapture()) {
        ReleaseCapture();
    }
    const POINT point = PointOf(lParam);
    lastMousePoint_ = point;
    CControlUI* control = OwnControlAt(point);
    if (!control) {
        return;
    }
    pressed_ = control;
    control->TakeFocus();
    CaptureMouse();
    SendEvent(control, eventType, point, LOWORD(wParam), wParam, lParam);
}

void CWindowManager::OnButtonUp(int32_t eventType, WPARAM wParam, LPARAM lParam) {
    const POINT point = PointOf(lParam);
    lastMousePoint_ = point;
    if (!pressed_) {
        return;
    }
    SendEvent(pressed_, eventType, point, LOWORD(wParam), wParam, lParam);
    pressed_ = nullptr;
    ReleaseMouse();
}

void CWindowManager::OnDoubleClick(WPARAM wParam, LPARAM lParam) {
    SetFocus(window_);
    const POINT point = PointOf(lParam);
    lastMousePoint_ = point;
    CControlUI* control = OwnControlAt(point);
    if (!control) {
        return;
    }
    CaptureMouse();
    SendEvent(control, kEventDoubleClick, point, LOWORD(wParam));
    pressed_ = control;
}

void CWindowManager::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    POINT point = PointOf(lParam);
    ScreenToClient(window_, &point);
    lastMousePoint_ = point;
    CControlUI* control = OwnControlAt(point);
    if (control) {
        const WPARAM towardsUser = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
        SendEvent(control, kEventScrollWheel, point, KeyState(), towardsUser, lParam);
    }
    // The tree may have scrolled under the mouse: refresh the hover.
    SendMessageW(window_, WM_MOUSEMOVE, 0, LParamOf(lastMousePoint_));
}

bool CWindowManager::OnMouseHover(LPARAM lParam) {
    mouseTracking_ = false;
    const POINT point = PointOf(lParam);
    CControlUI* control = OwnControlAt(point);
    if (!control || (captureControl_ && captureControl_ != control)) {
        return false;
    }
    SendEvent(hover_, kEventMouseHover, point);
    // The hover event may have changed the tree; the control is looked up
    // again before its tooltip is read.
    control = OwnControlAt(point);
    if (control && !control->ToolTip().IsEmpty()) {
        ShowToolTip(control);
    }
    return true;
}

void CWindowManager::ShowToolTip(CControlUI* control) {
    const CWideString text = control->ToolTip();
    toolInfo_ = TOOLINFOW{};
    toolInfo_.cbSize = TTTOOLINFOW_V1_SIZE;
    toolInfo_.uFlags = TTF_IDISHWND;
    toolInfo_.hwnd = window_;
    toolInfo_.uId = reinterpret_cast<UINT_PTR>(window_);
    toolInfo_.hinst = ModuleInstance();
    toolInfo_.lpszText = const_cast<wchar_t*>(text.Text());
    toolInfo_.rect = control->Rect();
    if (!toolTipWindow_) {
        toolTipWindow_ =
            CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, ModuleInstance(), nullptr);
        if (!toolTipWindow_) {
            return;
        }
        SendMessageW(toolTipWindow_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    }
    SendMessageW(toolTipWindow_, TTM_SETMAXTIPWIDTH, 0, control->ToolTipWidth());
    SendMessageW(toolTipWindow_, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    SendMessageW(toolTipWindow_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolInfo_));
    // The tooltip window copied the text; the record must not point at it.
    toolInfo_.lpszText = nullptr;
}

void CWindowManager::HideToolTip() {
    if (toolTipWindow_) {
        SendMessageW(toolTipWindow_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&toolInfo_));
    }
}

void CWindowManager::OnMouseLeave() {
    HideToolTip();
    // Moving to (-1, -1) ends the hover through the usual path. A hover
    // message has already ended the tracking when the pointer rested before
    // leaving, but the control under it is still hot.
    if (mouseTracking_ || hover_) {
        SendMessageW(window_, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    }
    mouseTracking_ = false;
}

// --- Pre-translation -----------------------------------------------------------

bool CWindowManager::ShortcutKey(wchar_t character) {
    if (!root_) {
        return false;
    }
    ShortcutSearch search;
    wchar_t upper[2] = {character, 0};
    CharUpperW(upper);
    search.character = upper[0];
    CControlUI* control = root_->VisitControls(FindShortcutTarget, &search,
                                               kVisitEnabledOnly | kVisitLastChildFirst | kVisitContainerFirst);
    if (!control) {
        return false;
    }
    control->TakeFocus();
    control->IsActivatable();
    return true;
}

bool CWindowManager::PreTranslate(UINT message, WPARAM wParam, LPARAM lParam) {
    for (int i = 0; i < preTranslateFilters_.Count(); ++i) {
        bool handled = false;
        static_cast<IMessageFilterUI*>(preTranslateFilters_.AtUnchecked(i))
            ->FilterMessage(message, wParam, lParam, handled);
        if (handled) {
            return true;
        }
    }
    switch (message) {
    case WM_KEYDOWN:
        if (wParam != VK_TAB) {
            return false;
        }
        if (focused_ && focused_->IsVisible() && focused_->IsEnabled() && focused_->WantsTab()) {
            return false;
        }
        MoveFocusToNextTabStop(GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSKEYDOWN:
        SendKeyEvent(focused_, kEventSysKey, wParam);
        return false;
    case WM_SYSCHAR:
        return ShortcutKey(static_cast<wchar_t>(wParam));
    default:
        return false;
    }
}

bool CWindowManager::PreTranslateAll(MSG* message) {
    if (!message) {
        return false;
    }
    CPointerArray& managers = ManagerList();
    CWindowManager* found = nullptr;
    const bool child = (GetWindowLongPtrW(message->hwnd, GWL_STYLE) & WS_CHILD) != 0;
    for (int i = 0; i < managers.Count() && !found; ++i) {
        auto* manager = static_cast<CWindowManager*>(managers.AtUnchecked(i));
        if (manager->window_ == message->hwnd) {
            found = manager;
        } else if (child) {
            for (HWND ancestor = GetParent(message->hwnd); ancestor; ancestor = GetParent(ancestor)) {
                if (manager->window_ == ancestor) {
                    found = manager;
                    break;
                }
            }
        }
    }
    if (!found) {
        return false;
    }
    return found->TranslateAccelerators(message) ||
           found->PreTranslate(message->message, message->wParam, message->lParam);
}

}  // namespace TavikUI
