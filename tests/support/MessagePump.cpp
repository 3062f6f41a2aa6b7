#include "MessagePump.h"

namespace testsupport {

void PumpPending(MessageFilter filter) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!filter || !filter(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, MessageFilter filter) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpPending(filter);
        if (done()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        // Wakes for the next message, or polls `done` again soon.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds, MessageFilter filter) {
    PumpUntil([] { return false; }, milliseconds, filter);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(pollMs);
    }
    return true;
}

}  // namespace testsupport
