// The retry loop of the engine's steps.
#pragma once

#include <windows.h>

// Runs `attempt` up to `tries` times, pausing `pauseMs` between tries, until
// it succeeds; true as soon as one does.
template <typename Attempt>
bool TryRepeatedly(int tries, DWORD pauseMs, Attempt attempt) {
    for (int index = 0; index < tries; ++index) {
        if (index > 0) {
            Sleep(pauseMs);
        }
        if (attempt()) {
            return true;
        }
    }
    return false;
}
