// Paths beside the running program. A program path that cannot be had whole
// gives no folder at all, so no caller opens a name relative to the current
// drive's root instead of the program's folder.
#pragma once

#include <string>

// The running program's folder, without a trailing back slash; empty when
// its path has MAX_PATH characters or more.
std::wstring ProgramFolder();

// "<folder>\<name>"; empty when the folder is empty or the path would have
// MAX_PATH characters or more.
std::wstring PathInFolder(const std::wstring& folder, const std::wstring& name);
