// Moving installed paths to the Recycle Bin, and the rules that keep the
// uninstaller from taking anything it did not install: only paths inside the
// install folder, folders only when empty, never a drive root.
#pragma once

#include <windows.h>

#include <string>

namespace TavikUninstall {

// Moves a file or a folder (with what it holds) to the Recycle Bin without
// questions, progress or error boxes. A final '/' or '\\' is dropped and '/'
// is read as '\\'. A drive root is refused. True when the shell reports
// success and the path is gone: a shell may report a file moved that stayed.
bool DeletePath(const wchar_t* path, HWND owner);

// True when `path` names something strictly below `folder` (which ends with
// a back slash), both in their normalised form, compared without case, and
// without a ".." step that could lead back out of it.
bool IsInsideFolder(const wchar_t* path, const wchar_t* folder);

// The path as the file system resolves it, every link and junction on the
// way followed (a local "C:\..." or a share's "\\server\..." path,
// without a final back slash); empty when it does not exist or cannot be
// opened.
std::wstring ResolvedPath(const wchar_t* path);

// True when the path itself is a link or a junction.
bool IsReparsePoint(const wchar_t* path);

}  // namespace TavikUninstall
