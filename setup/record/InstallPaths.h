// Path text as the installer and the uninstaller both read it: '/' taken
// for '\\', folders with one final back slash, and the roots neither program
// installs into or removes.
#pragma once

#include <string>

namespace InstallRecord {

// The path with every '/' turned into '\\'.
std::wstring WithBackSlashes(std::wstring path);

// The path without its final '/' and '\\' characters.
std::wstring WithoutFinalSeparators(std::wstring path);

// True for a list item that names a folder: it ends with '/' or '\\'.
bool IsFolderItem(const std::wstring& path);

// The folder with its final separators replaced by one back slash.
std::wstring WithFinalBackSlash(std::wstring folder);

// One form of a path, for writing and comparing installation paths: '/'
// read as '\\', no doubled separator (a share's leading "\\\\" kept), and a
// full path's "." and ".." steps resolved. Case and final separators stay as
// they are; a path that is not full is not resolved against the current
// folder.
std::wstring NormalisedPath(const std::wstring& path);

// A folder in its one form, with one final back slash.
std::wstring NormalisedFolder(const std::wstring& folder);

// True when two paths name the same place: their normalised forms without
// final separators compared without case.
bool IsSamePath(const std::wstring& a, const std::wstring& b);

// "C:", "C:\\" or "C:/": the root of a drive letter, which the installer
// never takes as its install folder.
bool IsDriveLetterRoot(const std::wstring& folder);

// A path with no folder of its own below a root, which the uninstaller never
// removes: an empty path, a bare drive ("C:"), a drive root ("C:\\"), the
// root of the current drive ("\\") or a share root ("\\\\server\\share");
// final separators do not count. A null path counts as empty.
bool IsRootOrEmptyPath(const wchar_t* path);

// A shell folder (CSIDL_...) without a final back slash; empty when the
// system has none.
std::wstring SpecialFolder(int csidl);

// True when a file or a folder of that name exists.
bool PathExists(const std::wstring& path);

}  // namespace InstallRecord
