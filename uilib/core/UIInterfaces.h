// The small interfaces through which windows and controls hook into a window
// manager: receiving notifications, seeing window messages first, and
// translating accelerator keys before dispatch.
#pragma once

#include <windows.h>

namespace TavikUI {

struct NotifyMessage;

// Receives every notification the manager delivers (the skin window routes
// them to its notify map).
class INotifyUI {
public:
    virtual void ReceiveNotification(NotifyMessage& message) = 0;

protected:
    ~INotifyUI() = default;
};

// Sees a window message before the manager handles it; setting `handled`
// stops the dispatch, and the answer becomes the message's result.
class IMessageFilterUI {
public:
    virtual LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

// Offered each message of the modal loop before it is translated; an answer
// of 0 (S_OK) means the message was consumed.
class ITranslateAccelerator {
public:
    virtual LRESULT TranslateAcceleratorMessage(MSG* message) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

}  // namespace TavikUI
