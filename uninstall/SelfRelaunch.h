// How a started uninstaller hands over to a copy of itself: the installed
// "UnInstall.exe" cannot move itself to the Recycle Bin while it runs, so a
// plain start copies it to the temporary folder and starts the copy in
// window mode; the copy shows the window and removes the installed one.
//
// An uninstaller belongs to the installation in its own folder (the folder
// whose "SeupFileList.Dat" lists it) and hands that folder to its copy on the
// copy's command line: "/u" followed by the folder in quotes. "/u" alone
// means the registered installation.
#pragma once

#include <windows.h>

#include <string>

#include "WideString.h"

namespace TavikUninstall {

constexpr wchar_t kUninstallerFileName[] = L"UnInstall.exe";
constexpr wchar_t kWindowModeArgument[] = L"/u";

// Starts a copy in the temporary folder in window mode, handed this
// program's installation folder, and ends the process. A program that no
// installation lists starts itself in window mode, handed its own folder
// (its window says it found nothing), and answers true. False when the copy
// could not be made or started.
bool RelaunchFromTemp(HWND owner);

// Copies this program to the temporary folder, starts the copy in window
// mode handed `installFolder`, and ends the process. False when the copy
// could not be made or started.
bool HandOverToTemporaryCopy(const TavikUI::CWideString& installFolder, HWND owner);

// True when this program (not its temporary copy) lies inside the
// installation folder: it would stand in the way of its own removal.
bool StandsInside(const std::wstring& installFolder);

// The folder of the installation this program was installed with (ending
// with a back slash, normalised); empty when its folder holds no list that
// lists it.
TavikUI::CWideString OwnInstallationFolder();

// True when the arguments ask for window mode: "/u" alone (`folder` empty)
// or "/u" with the folder of the installation to remove.
bool ReadWindowModeArguments(const wchar_t* arguments, std::wstring& folder);

// Copies `source` to the temporary folder as "UnInstall.exe"; true when the
// shell reports success.
bool CopySelfToTemp(const wchar_t* source, HWND owner);

// This program's own file; empty when its path is too long to hold.
std::wstring RunningProgramPath();

// The temporary folder's "UnInstall.exe".
TavikUI::CWideString TempUninstallerPath();

// True when this program is that copy.
bool IsTemporaryCopy();

// Has the file removed at the next restart: a running program cannot remove
// its own file.
void RemoveAtRestart(const std::wstring& path);

// The copy started by RelaunchFromTemp may run before its parent has ended
// and let go of the single-instance name. When this process was started by
// another "UnInstall.exe", waits (at most `timeoutMs`) for it to end.
void WaitForStartingUninstaller(DWORD timeoutMs);

}  // namespace TavikUninstall
