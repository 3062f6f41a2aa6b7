// The manager's services to its controls: the tree and its name map, the
// delayed-delete queue, control timers, focus moves and notifications.
#include "ControlUI.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

constexpr int kTimerIdPeriod = 255;

// Tab stops in visit order, and where the starting control stood among them.
struct TabWalk {
    CControlUI* from = nullptr;
    CPointerArray stops;
    int stopsBeforeFrom = -1;
    bool fromIsStop = false;
};

CControlUI* CollectTabStop(CControlUI* control, void* data) {
    auto* walk = static_cast<TabWalk*>(data);
    const bool isStop = (control->BehaviourFlags() & kBehaviourTabStop) != 0;
    if (control == walk->from) {
        walk->stopsBeforeFrom = walk->stops.Count();
        walk->fromIsStop = isStop;
    }
    if (isStop) {
        walk->stops.Append(control);
    }
    return nullptr;
}

CControlUI* EnterName(CControlUI* control, void* data) {
    const CWideString name = control->Name();
    if (!name.IsEmpty()) {
        static_cast<CStringHashMap*>(data)->Set(name.Text(), control);
    }
    return nullptr;
}

CControlUI* ForgetOne(CControlUI* control, void* data) {
    static_cast<CWindowManager*>(data)->ForgetControl(control);
    return nullptr;
}

CControlUI* ControlHoldingPoint(CControlUI* control, void* data) {
    const POINT point = *static_cast<const POINT*>(data);
    return PtInRect(&control->Rect(), point) ? control : nullptr;
}

}  // namespace

// --- The tree ------------------------------------------------------------------

bool CWindowManager::AttachRoot(CControlUI* control) {
    MoveFocusTo(nullptr);
    hover_ = nullptr;
    pressed_ = nullptr;
    keyDown_ = nullptr;
    if (root_) {
        postPaintControls_.Clear();
        CControlUI* previous = root_;
        root_ = nullptr;
        DeleteLater(previous);
    }
    root_ = control;
    windowInitPending_ = true;
    needsUpdate_ = true;
    focusNeeded_ = true;
    return AdoptControlTree(control, nullptr);
}

CControlUI* CWindowManager::FindControlByName(const wchar_t* name) {
    return name ? static_cast<CControlUI*>(nameMap_.Find(name)) : nullptr;
}

CControlUI* CWindowManager::FindControlAt(POINT point) const {
    if (!root_) {
        return nullptr;
    }
    return root_->VisitControls(ControlHoldingPoint, &point, kVisitVisibleOnly | kVisitHitTest | kVisitLastChildFirst);
}

bool CWindowManager::AdoptControlTree(CControlUI* control, CControlUI* parent) {
    if (!control) {
        return false;
    }
    control->AttachToManager(this, parent ? parent : control->Parent(), true);
    control->VisitControls(EnterName, &nameMap_, 0);
    return true;
}

void CWindowManager::ForgetControl(CControlUI* control) {
    if (!control) {
        return;
    }
    if (keyDown_ == control) {
        keyDown_ = nullptr;
    }
    if (hover_ == control) {
        hover_ = nullptr;
    }
    if (pressed_ == control) {
        pressed_ = nullptr;
    }
    if (focused_ == control) {
        focused_ = nullptr;
    }
    if (captureControl_ == control) {
        captureControl_ = nullptr;
    }
    KillAllControlTimers(control);
    const CWideString name = control->Name();
    if (!name.IsEmpty() && nameMap_.Find(name.Text(), false) == control) {
        nameMap_.Remove(name.Text());
    }
    // A notification outlives its sender: queued ones and those being
    // delivered still reach every receiver, without a sender to point at.
    for (int i = 0; i < queuedNotifications_.Count(); ++i) {
        auto* message = static_cast<NotifyMessage*>(queuedNotifications_.AtUnchecked(i));
        if (message->sender == control) {
            message->sender = nullptr;
        }
    }
    for (int i = 0; i < notificationsInFlight_.Count(); ++i) {
        auto* message = static_cast<NotifyMessage*>(notificationsInFlight_.AtUnchecked(i));
        if (message->sender == control) {
            message->sender = nullptr;
        }
    }
}

void CWindowManager::ForgetTree(CControlUI* control) { control->VisitControls(ForgetOne, this, 0); }

void CWindowManager::DeleteLater(CControlUI* control) {
    if (!control) {
        return;
    }
    // Detached controls no longer tell the manager when they die, so every
    // reference to the subtree goes now.
    ForgetTree(control);
    control->AttachToManager(nullptr, nullptr, false);
    delayedDeletes_.Append(control);
    if (window_) {
        PostMessageW(window_, kDeleteQueuedMessage, 0, 0);
    }
}

void CWindowManager::DeleteQueuedControls() {
    // Deleting may queue more; the loop takes them too.
    while (!delayedDeletes_.IsEmpty()) {
        auto* control = static_cast<CControlUI*>(delayedDeletes_.AtUnchecked(0));
        delayedDeletes_.RemoveAt(0);
        delete control;
    }
    delayedDeletes_.Clear();
}

// --- Timers ----------------------------------------------------------------------

CWindowManager::TimerEntry* CWindowManager::FindTimer(CControlUI* control, UINT id) {
    for (int i = 0; i < timers_.Count(); ++i) {
        auto* entry = static_cast<TimerEntry*>(timers_.AtUnchecked(i));
        if (entry->control == control && entry->id == id && entry->window == window_) {
            return entry;
        }
    }
    return nullptr;
}

// Stopped entries keep their native id for re-arming, so they count too.
bool CWindowManager::NativeTimerIdInUse(UINT nativeId) const {
    for (int i = 0; i < timers_.Count(); ++i) {
        auto* entry = static_cast<TimerEntry*>(timers_.AtUnchecked(i));
        if (entry->window == window_ && entry->nativeId == nativeId) {
            return true;
        }
    }
    return false;
}

bool CWindowManager::SetControlTimer(CControlUI* control, UINT id, UINT elapse) {
    if (!window_ || !control) {
        return false;
    }
    if (TimerEntry* entry = FindTimer(control, id)) {
        if (!entry->stopped || !SetTimer(window_, entry->nativeId, elapse, nullptr)) {
            return false;
        }
        entry->stopped = false;
        return true;
    }
    // Native ids cycle through 0..254; an id still held by an entry of this
    // window is passed over, so two timers never share one.
    UINT nativeId = 0;
    bool found = false;
    for (int tries = 0; tries < kTimerIdPeriod && !found; ++tries) {
        timerCounter_ = (timerCounter_ + 1) % kTimerIdPeriod;
        nativeId = timerCounter_;
        found = !NativeTimerIdInUse(nativeId);
    }
    if (!found || !SetTimer(window_, nativeId, elapse, nullptr)) {
        return false;
    }
    auto* entry = new TimerEntry{control, id, window_, nativeId, false};
    if (!timers_.Append(entry)) {
        KillTimer(window_, nativeId);
        delete entry;
        return false;
    }
    return true;
}

bool CWindowManager::KillControlTimer(CControlUI* control, UINT id) {
    TimerEntry* entry = FindTimer(control, id);
    if (!entry || entry->stopped) {
        return false;
    }
    if (IsWindow(entry->window)) {
        KillTimer(entry->window, entry->nativeId);
    }
    entry->stopped = true;
    return true;
}

void CWindowManager::KillAllControlTimers(CControlUI* control) {
    for (int i = timers_.Count() - 1; i >= 0; --i) {
        auto* entry = static_cast<TimerEntry*>(timers_.AtUnchecked(i));
        if (entry->control == control && entry->window == window_) {
            if (!entry->stopped) {
                KillTimer(entry->window, entry->nativeId);
            }
            timers_.RemoveAt(i);
            delete entry;
        }
    }
}

void CWindowManager::KillAllTimers() {
    for (int i = 0; i < timers_.Count(); ++i) {
        auto* entry = static_cast<TimerEntry*>(timers_.AtUnchecked(i));
        if (!entry->stopped && IsWindow(entry->window)) {
            KillTimer(entry->window, entry->nativeId);
        }
        delete entry;
    }
    timers_.Clear();
}

// --- Focus -----------------------------------------------------------------------

void CWindowManager::MoveFocusTo(CControlUI* control) {
    if (control == focused_) {
        return;
    }
    // Controls with a native window of their own hold the native focus.
    if (window_ && GetFocus() != window_ && !(control && control->InterfaceByName(L"HWND"))) {
        SetFocus(window_);
    }
    if (CControlUI* old = focused_) {
        SendEvent(old, kEventKillFocus, lastMousePoint_, 0, 0, 0, control);
        SendNotification(old, L"killfocus");
        focused_ = nullptr;
    }
    if (!control || control->Manager() != this || !control->IsVisible() || !control->IsEnabled()) {
        return;
    }
    focused_ = control;
    SendEvent(control, kEventSetFocus, lastMousePoint_);
    SendNotification(control, L"setfocus");
}

// The Tab stop after (or before) `from` in the walk over visible, enabled
// controls, containers before their children; wraps to the first (or last).
CControlUI* CWindowManager::TabStopNear(CControlUI* from, bool forward) const {
    if (!root_) {
        return nullptr;
    }
    TabWalk walk;
    walk.from = from;
    root_->VisitControls(CollectTabStop, &walk, kVisitVisibleOnly | kVisitEnabledOnly | kVisitContainerFirst);
    const int count = walk.stops.Count();
    if (count == 0) {
        return nullptr;
    }
    if (forward) {
        const int next = walk.stopsBeforeFrom + (walk.fromIsStop ? 1 : 0);
        const bool fromSeen = walk.stopsBeforeFrom >= 0;
        return static_cast<CControlUI*>(walk.stops.AtUnchecked(fromSeen && next < count ? next : 0));
    }
    const int previous = walk.stopsBeforeFrom - 1;
    return static_cast<CControlUI*>(walk.stops.AtUnchecked(previous >= 0 ? previous : count - 1));
}

bool CWindowManager::MoveFocusToNextTabStop(bool forward) {
    if (needsUpdate_ && forward) {
        focusNeeded_ = true;
        if (window_) {
            InvalidateRect(window_, nullptr, FALSE);
        }
        return true;
    }
    CControlUI* target = TabStopNear(focused_, forward);
    if (target) {
        MoveFocusTo(target);
    }
    focusNeeded_ = false;
    return true;
}

void CWindowManager::FocusWindowAndControl(CControlUI* control) {
    if (window_) {
        SetFocus(window_);
    }
    if (!control) {
        return;
    }
    if (CControlUI* old = focused_) {
        SendEvent(old, kEventKillFocus, lastMousePoint_, 0, 0, 0, control);
        SendNotification(old, L"killfocus");
        focused_ = nullptr;
    }
    // The next paint moves the focus forward from here onto the control.
    focused_ = TabStopNear(control, false);
    focusNeeded_ = true;
    if (root_) {
        root_->MarkForLayout();
    }
}

// --- Notifications ---------------------------------------------------------------

void CWindowManager::SendNotification(CControlUI* sender, const wchar_t* type, WPARAM wParam, LPARAM lParam,
                                      bool asynchronous) {
    NotifyMessage message(type, sender, wParam, lParam);
    DeliverNotification(message, asynchronous);
}

void CWindowManager::DeliverNotification(NotifyMessage& message, bool asynchronous) {
    message.mousePoint = lastMousePoint_;
    message.timestamp = GetTickCount();
    if (virtualWindowsInUse_ && message.sender) {
        message.virtualWindowName = message.sender->VirtualWindowName();
    }
    if (asynchronous) {
        auto* copy = new NotifyMessage(message);
        if (!queuedNotifications_.Append(copy)) {
            delete copy;
        }
        return;
    }
    DeliverToReceivers(message);
}

// The sender's notify delegates, then every receiver in registration order.
// A sender forgotten on the way (deleted by a handler) is cleared from the
// record, so later receivers never see a pointer to a deleted control.
void CWindowManager::DeliverToReceivers(NotifyMessage& message) {
    notificationsInFlight_.Append(&message);
    if (message.sender && message.sender->NotifyDelegates().HasDelegates()) {
        message.sender->NotifyDelegates().Fire(&message);
    }
    for (int i = 0; i < notifyReceivers_.Count(); ++i) {
        static_cast<INotifyUI*>(notifyReceivers_.AtUnchecked(i))->ReceiveNotification(message);
    }
    notificationsInFlight_.RemoveAt(notificationsInFlight_.IndexOf(&message));
}

void CWindowManager::DeliverQueuedNotifications() {
    while (!queuedNotifications_.IsEmpty()) {
        auto* message = static_cast<NotifyMessage*>(queuedNotifications_.AtUnchecked(0));
        queuedNotifications_.RemoveAt(0);
        DeliverToReceivers(*message);
        delete message;
    }
}

}  // namespace TavikUI
