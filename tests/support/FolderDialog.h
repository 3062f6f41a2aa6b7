// Answers the folder dialog as a user would. The dialog runs modally inside
// the click that opens it, so another thread of the dialog's process finds
// it, selects and confirms, or cancels. Every wait is bounded.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

// The shown folder dialog of a process; null when there is none.
HWND FindFolderDialog(DWORD processId);
// The shown folder dialog of a process once it comes up within the time.
HWND WaitForFolderDialog(DWORD processId, DWORD timeoutMs);

// Selects `folder` as a user opening one level after the other does
// (Wine's tree finds only folders below levels already opened), the levels
// the dialog's path look-up misses by their names, until the dialog's tree
// shows it: the dialog turns its first selection change back to its start
// folder. Answers whether the selection held.
bool SelectInFolderDialog(HWND dialog, const std::wstring& folder);

// Confirms or cancels the dialog and waits for it to close. A dialog that
// stays open is cancelled again, for a bounded time; answers whether it closed on the
// answer.
bool CloseFolderDialog(HWND dialog, bool confirm);

// Runs `open` (a click that opens the dialog) on the calling thread while
// another thread chooses `folder` in the dialog, or cancels it when the
// folder is empty. Wine's dialog at times ignores a selection: it is then
// cancelled and opened again, three times at most. Answers whether the
// dialog came up, took the choice and closed.
bool ChooseInFolderDialog(const std::function<void()>& open, const std::wstring& folder);

}  // namespace testsupport
