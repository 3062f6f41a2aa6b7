// The uninstall steps that need no window: deleting the registration values
// and removing one driver package through the driver package installer.
#pragma once

#include <windows.h>

#include <string>

#include "WideString.h"

namespace TavikUninstall {

// How long one run of the driver package installer is waited for.
constexpr DWORD kDpinstWaitMs = 120000;

// Deletes the eight registration values in their order; the key stays. A
// value (or the key) that is already missing counts as deleted, so a
// registration written only in part can still be removed. False when a value
// cannot be deleted (the values before it are gone, the later ones stay).
bool DeleteUninstallValues();

// Runs the driver package installer to remove one package and waits for it
// (at most kDpinstWaitMs, less when `stop`, an optional event, is set). False
// when it does not start.
bool RunDpinstUninstall(const wchar_t* installerPath, const wchar_t* packagePath, HANDLE stop = nullptr);

// Removes the packages with the installer of `installerFolder` (a folder of
// the install folder, such as "Driver\\x86\\"), in their order; the first
// that fails to start, or `stop` being set, stops the removal with false.
// True at once when that installer is not there.
bool RemoveDriverPackages(const TavikUI::CWideString& installFolder, const wchar_t* driverFolder,
                          const wchar_t* installerFolder, const wchar_t* const* packages, size_t packageCount,
                          HANDLE stop = nullptr);

}  // namespace TavikUninstall
