// The message loops the test programs run on their own thread while a
// window, a timer or another process does its part.
#pragma once

#include <windows.h>

#include <functional>

namespace testsupport {

// Takes a message before it is translated and dispatched (as a program's
// pre-translation does); true when it was handled.
using MessageFilter = bool (*)(MSG* message);

// Dispatches the messages already waiting on this thread. A quit message
// is taken off like any other: left in the queue, it would end the next
// modal loop of a later test at once.
void PumpPending(MessageFilter filter = nullptr);
// Pumps until `done` holds or the time is up; answers `done`. The messages
// waiting are pumped at least once.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, MessageFilter filter = nullptr);
// Pumps for the whole time (at least once).
void PumpFor(DWORD milliseconds, MessageFilter filter = nullptr);

// Polls `done` without pumping, for what another thread or process does,
// until it holds or the time is up; answers `done`.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 50);

}  // namespace testsupport
