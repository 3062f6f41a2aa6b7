// Removing a file the product has just run: the system or a virus scanner
// often holds such a file a moment longer, so a removal is tried again for a
// few seconds and then checked; what still stays is named with the system's
// reason on the failure page.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace InstallRecord {

// How long a removal is tried again.
constexpr DWORD kRemovalRetryMs = 5000;

// Calls `remove` until the path is gone, at most for `boundMs`; true once it
// is gone.
bool RemoveWithinBound(const std::wstring& path, const std::function<bool()>& remove, DWORD boundMs = kRemovalRetryMs);

// The failure page's line for a path that stays: the path and, where the
// system can say it, why it cannot be removed (held by another program,
// access denied).
std::wstring StayingPathLine(const std::wstring& path);

}  // namespace InstallRecord
