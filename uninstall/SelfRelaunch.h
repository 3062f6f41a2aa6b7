// How a started uninstaller hands over to a copy of itself: the installed
// "UnInstall.exe" cannot move itself to the Recycle Bin while it runs, so a
// plain start copies it to the temporary folder and starts the copy with
// "/u"; the copy shows the window and removes the installed one.
#pragma once

#include <windows.h>

#include <string>

#include "WideString.h"

namespace TavikUninstall {

constexpr wchar_t kUninstallerFileName[] = L"UnInstall.exe";
constexpr wchar_t kWindowModeArgument[] = L"/u";

// Reads the registered install folder. Without one, the folder of this
// program stands in when the installer's list lies beside it (an install
// that failed before registering): it is handed over to the copy. With
// neither the program starts itself with "/u" and answers 0. Otherwise the
// installed uninstaller is copied to the temporary folder and the copy is
// started with "/u"; the process then ends. A failed copy answers 0 with
// nothing started.
int RelaunchFromTemp(HWND owner);

// The install folder a starting uninstaller handed over to this copy; empty
// when none was, or it holds no installer's list.
TavikUI::CWideString HandedOverInstallFolder();

// Copies `source` to the temporary folder as "UnInstall.exe"; true when the
// shell reports success.
bool CopySelfToTemp(const wchar_t* source, HWND owner);

// This program's own file; empty when its path is too long to hold.
std::wstring RunningProgramPath();

// The temporary folder's "UnInstall.exe".
TavikUI::CWideString TempUninstallerPath();

// The copy started by RelaunchFromTemp may run before its parent has ended
// and let go of the single-instance name. When this process was started by
// another "UnInstall.exe", waits (at most `timeoutMs`) for it to end.
void WaitForStartingUninstaller(DWORD timeoutMs);

}  // namespace TavikUninstall
