// One running copy per program: the name is both a named semaphore, which
// a later copy detects, and a window property that the running copy's main
// window carries so the later copy can bring it to the front.
#pragma once

namespace TavikUI {

// True: this is the only running copy and the caller goes on (the
// semaphore stays open for the life of the process). False: another copy
// runs, its window (when found) has been restored and brought to the front,
// and the caller ends now.
bool ActivateRunningInstance(const wchar_t* name);

}  // namespace TavikUI
