#include "NotifyPump.h"

#include <cwchar>

#include "ControlUI.h"

namespace TavikUI {
namespace {

const int kVirtualWindowBuckets = 83;

const NotifyMapEntry* PumpRows() {
    static const NotifyMapEntry rows[] = {NotifyRowEnd()};
    return rows;
}

}  // namespace

NotifyMessage::NotifyMessage(const wchar_t* notificationType, CControlUI* notificationSender, WPARAM first,
                             LPARAM second)
    : type(notificationType), sender(notificationSender), wParam(first), lParam(second) {}

CNotifyPump::CNotifyPump() : virtualWindowPumps_(kVirtualWindowBuckets) {}

CNotifyPump::~CNotifyPump() = default;

const TavikUI::NotifyMap* CNotifyPump::NotifyPumpNotifyMap() {
    static const TavikUI::NotifyMap map = {nullptr, PumpRows()};
    return &map;
}

const TavikUI::NotifyMap* CNotifyPump::NotifyMap() const { return NotifyPumpNotifyMap(); }

bool CNotifyPump::DispatchNotification(NotifyMessage& message) {
    if (!message.virtualWindowName.IsEmpty()) {
        const int count = virtualWindowPumps_.Count();
        for (int i = 0; i < count; ++i) {
            const wchar_t* key = virtualWindowPumps_.KeyAt(i);
            if (!key || _wcsicmp(key, message.virtualWindowName.Text()) != 0) {
                continue;
            }
            auto* pump = static_cast<CNotifyPump*>(virtualWindowPumps_.Find(key, false));
            if (pump && pump->InvokeMapEntry(message)) {
                return true;
            }
        }
    }
    return InvokeMapEntry(message);
}

bool CNotifyPump::InvokeMapEntry(NotifyMessage& message) {
    for (const TavikUI::NotifyMap* map = NotifyMap(); map; map = map->baseMap ? map->baseMap() : nullptr) {
        const NotifyMapEntry* row = FindMapEntry(map->rows, message);
        if (!row) {
            continue;
        }
        if (row->kind == kNotifyEntryParams && row->paramsHandler) {
            (this->*(row->paramsHandler))(message.wParam, message.lParam);
            return true;
        }
        if (row->kind == kNotifyEntryMessage && row->messageHandler) {
            (this->*(row->messageHandler))(message);
            return true;
        }
        // A matching row of no known kind (or without a handler) ends the
        // search unhandled.
        return false;
    }
    return false;
}

const NotifyMapEntry* CNotifyPump::FindMapEntry(const NotifyMapEntry* rows, const NotifyMessage& message) {
    if (!rows) {
        return nullptr;
    }
    // A notification without a sender can only match rows for any sender.
    const CWideString senderName = message.sender ? message.sender->Name() : CWideString();
    const NotifyMapEntry* anySender = nullptr;
    for (const NotifyMapEntry* row = rows; row->kind != kNotifyEntryEnd; ++row) {
        if (row->type.Compare(message.type.Text()) != 0) {
            continue;
        }
        if (row->controlName.IsEmpty()) {
            anySender = row;
        } else if (message.sender && row->controlName.Compare(senderName.Text()) == 0) {
            return row;
        }
    }
    return anySender;
}

}  // namespace TavikUI
