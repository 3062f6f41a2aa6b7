// Loaded into the tool by the driver: the folder dialog's selection message
// carries a pointer, so it must be sent from inside the tool's process. A
// thread of this library waits for the dialog, selects the folder named by
// TAVIK_DRIVER_FOLDER and confirms it. Wine's dialog at times ignores a
// selection: it is then cancelled, and the driver opens it again, three times
// at most.
#include <windows.h>

#include "FolderDialog.h"

namespace {

const DWORD kDialogWaitMs = 20000;
const int kDialogTries = 3;

DWORD WINAPI AnswerFolderDialog(void*) {
    wchar_t folder[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"TAVIK_DRIVER_FOLDER", folder, MAX_PATH)) {
        return 1;
    }
    for (int attempt = 0; attempt < kDialogTries; ++attempt) {
        const HWND dialog = testsupport::WaitForFolderDialog(GetCurrentProcessId(), kDialogWaitMs);
        if (!dialog) {
            return 1;
        }
        const bool chosen = testsupport::SelectInFolderDialog(dialog, folder);
        if (testsupport::CloseFolderDialog(dialog, chosen) && chosen) {
            return 0;
        }
    }
    return 1;
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
