// Notifications and the tables that route them to a window's handlers.
//
// A window class lists its handlers in a static table of NotifyMapEntry rows
// (notification type, sender name, handler) and answers the table, linked to
// its base class's table, from CNotifyPump::NotifyMap. Dispatch searches the
// class's own rows, then the base class's, and so on up to the pump's own
// empty table.
#pragma once

#include <windows.h>

#include <cstdint>

#include "StringHashMap.h"
#include "WideString.h"

namespace TavikUI {

class CControlUI;
class CNotifyPump;

// One notification, as delivered to notify receivers and notify maps.
// wParam and lParam are pointer-sized: some notifications carry a pointer.
struct NotifyMessage {
    NotifyMessage() = default;
    NotifyMessage(const wchar_t* notificationType, CControlUI* notificationSender, WPARAM first = 0, LPARAM second = 0);

    // "click", "selectchanged", "windowinit", "timer", ...
    CWideString type;
    // Empty unless the sender belongs to a virtual window.
    CWideString virtualWindowName;
    CControlUI* sender = nullptr;
    // GetTickCount at delivery.
    uint32_t timestamp = 0;
    // The manager's last mouse position, client coordinates.
    POINT mousePoint = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Handler shapes a row can bind. Member functions of a window class derived
// from CNotifyPump are stored as members of CNotifyPump; the compiler keeps the
// object adjustment in the pointer.
using NotifyParamsHandler = void (CNotifyPump::*)(WPARAM wParam, LPARAM lParam);
using NotifyMessageHandler = void (CNotifyPump::*)(NotifyMessage& message);

enum NotifyEntryKind : uint32_t {
    kNotifyEntryEnd = 0,
    kNotifyEntryParams = 1,
    kNotifyEntryMessage = 2,
};

// One row of a notify table. A table ends with a row of kind kNotifyEntryEnd.
struct NotifyMapEntry {
    CWideString type;
    // Sender name; empty answers any sender.
    CWideString controlName;
    uint32_t kind = kNotifyEntryEnd;
    NotifyParamsHandler paramsHandler = nullptr;
    NotifyMessageHandler messageHandler = nullptr;
};

// A class's table and the getter of its base class's map (null at the root).
struct NotifyMap {
    const NotifyMap* (*baseMap)();
    const NotifyMapEntry* rows;
};

// Rows for a window class `Window` derived from CNotifyPump.
template <class Window>
NotifyMapEntry NotifyRow(const wchar_t* type, const wchar_t* controlName, void (Window::*handler)(WPARAM, LPARAM)) {
    NotifyMapEntry row;
    row.type.AssignText(type);
    row.controlName.AssignText(controlName);
    row.kind = kNotifyEntryParams;
    row.paramsHandler = static_cast<NotifyParamsHandler>(handler);
    return row;
}

template <class Window>
NotifyMapEntry NotifyRow(const wchar_t* type, const wchar_t* controlName, void (Window::*handler)(NotifyMessage&)) {
    NotifyMapEntry row;
    row.type.AssignText(type);
    row.controlName.AssignText(controlName);
    row.kind = kNotifyEntryMessage;
    row.messageHandler = static_cast<NotifyMessageHandler>(handler);
    return row;
}

// The terminating row.
inline NotifyMapEntry NotifyRowEnd() { return NotifyMapEntry(); }

class CNotifyPump {
public:
    CNotifyPump();
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;
    virtual ~CNotifyPump();

    // The class's map; the pump's own is NotifyPumpNotifyMap.
    virtual const TavikUI::NotifyMap* NotifyMap() const;
    // No rows and no base: the root of every chain.
    static const TavikUI::NotifyMap* NotifyPumpNotifyMap();

    // Offers the notification to the pumps of its virtual window (when it
    // names one), then to this pump's map chain. True when a row handled it.
    bool DispatchNotification(NotifyMessage& message);
    // Searches this class's map chain and calls the first matching row.
    bool InvokeMapEntry(NotifyMessage& message);
    // The row of `rows` for the notification: one naming the sender wins,
    // else the last row of the type with an empty control name; null if none.
    static const NotifyMapEntry* FindMapEntry(const NotifyMapEntry* rows, const NotifyMessage& message);

protected:
    // Virtual-window name -> CNotifyPump*.
    CStringHashMap& VirtualWindowPumps() { return virtualWindowPumps_; }

private:
    CStringHashMap virtualWindowPumps_;
};

}  // namespace TavikUI
