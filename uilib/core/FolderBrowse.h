// The shell's folder dialog as the three programs use it: it opens on a
// start folder and answers the chosen file-system path.
#pragma once

#include <windows.h>

#include <string>

namespace TavikUI {

// The dialog's callback: selects the start folder (callback data, a wide
// path) when the dialog is ready and once more after the tree's first
// selection change, where the dialog settles on it. Always answers 0.
int CALLBACK BrowseFolderCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);

// Shows the dialog with the given owner, title and BIF_ flags, opening on
// startFolder (cut to MAX_PATH - 1 characters, as the dialog takes it).
// Answers the chosen path, or an empty text when the user cancelled or the
// choice has no file-system path. The calling thread must have initialised
// COM (the new dialog style needs it).
std::wstring BrowseForFolder(HWND owner, const wchar_t* title, UINT flags, const std::wstring& startFolder);

}  // namespace TavikUI
