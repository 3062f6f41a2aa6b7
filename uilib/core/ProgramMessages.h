#pragma once
#include <windows.h>

namespace TavikUI {

// The UI library posts its own messages to program windows from WM_APP up to
// (not including) kFirstProgramMessage, so a program window numbers its own
// messages from kFirstProgramMessage on and never takes one of the library's.
constexpr UINT kLastLibraryMessage = WM_APP + 0xFF;
constexpr UINT kFirstProgramMessage = kLastLibraryMessage + 1;

static_assert(kFirstProgramMessage < 0xC000, "program messages stay below the registered-message range");

}  // namespace TavikUI
