// Loaded into the tool by the driver: the folder dialog's selection message
// carries a pointer, so it must be sent from inside the tool's process. A
// thread of this library waits for the dialog, selects the folder named by
// TAVIK_DRIVER_FOLDER and confirms it (or cancels when the dialog ignored
// the selection, so the driver sees the failure).
#include <windows.h>

#include "FolderDialog.h"

namespace {

const DWORD kDialogWaitMs = 20000;

DWORD WINAPI AnswerFolderDialog(void*) {
    wchar_t folder[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"TAVIK_DRIVER_FOLDER", folder, MAX_PATH)) {
        return 1;
    }
    const HWND dialog = testsupport::WaitForFolderDialog(GetCurrentProcessId(), kDialogWaitMs);
    if (!dialog) {
        return 1;
    }
    const bool chosen = testsupport::SelectInFolderDialog(dialog, folder);
    return testsupport::CloseFolderDialog(dialog, chosen) && chosen ? 0 : 1;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (HANDLE thread = CreateThread(nullptr, 0, &AnswerFolderDialog, nullptr, 0, nullptr)) {
            CloseHandle(thread);
        }
    }
    return TRUE;
}
