// Which folders the installer accepts, and where a chosen folder leads.
#pragma once

#include <string>

namespace InstallFolderRule {

// The longest install folder accepted (with its back slash): the registered
// texts (folder + "tavik_Download.exe") and the payload's deepest paths must
// stay within the 260-character paths the installer and the uninstaller use.
constexpr size_t kMaxFolderLength = 190;

// True for a full path below a drive ("C:\...") or a network share
// ("\\server\share\..."), not longer than kMaxFolderLength with its back
// slash, without parent steps and without further colons. Never an empty or
// relative path, the current folder or a drive root.
bool IsUsableInstallFolder(const std::wstring& folder);

// The install folder for a folder chosen in the dialog: a folder that
// already holds entries, or a drive root, gets the program's own sub-folder
// "tavik_Download\"; an empty folder is used as it is.
std::wstring FolderForChoice(const std::wstring& chosen, bool holdsEntries);

// True when the folder holds entries and is not an installation of this
// program (which an install replaces, beside whatever the user keeps there):
// such a folder gets the sub-folder.
bool IsFolderInUse(const std::wstring& folder);

// True for a payload item name that stays inside the install folder: not
// rooted, no drive or stream colon, no step to a parent folder.
bool IsItemNameInsideFolder(const std::wstring& name);

}  // namespace InstallFolderRule
