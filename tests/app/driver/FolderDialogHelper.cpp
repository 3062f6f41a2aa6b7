// Loaded into the tool by the driver: the folder dialog's selection message
// carries a pointer, so it must be sent from inside the tool's process. A
// thread of this library waits for the dialog, selects the folder named by
// TAVIK_DRIVER_FOLDER level after level (Wine's tree finds only folders below
// levels already opened; the dialog turns its first selection change back to
// its start folder) and confirms it.
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

HWND FindDialogOfThisProcess() {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t className[16] = L"";
        GetClassNameW(window, className, 16);
        if (owner == GetCurrentProcessId() && IsWindowVisible(window) && wcscmp(className, L"#32770") == 0) {
            return window;
        }
    }
    return nullptr;
}

DWORD WINAPI AnswerFolderDialog(void*) {
    wchar_t folder[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"TAVIK_DRIVER_FOLDER", folder, MAX_PATH)) {
        return 1;
    }
    HWND dialog = nullptr;
    for (int i = 0; i < 400 && !dialog; ++i) {
        dialog = FindDialogOfThisProcess();
        Sleep(50);
    }
    if (!dialog) {
        return 1;
    }
    Sleep(300);
    const std::wstring path = folder;
    const std::wstring leaf = path.substr(path.find_last_of(L'\\') + 1);
    HWND edit = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
    for (int attempt = 0; attempt < 20; ++attempt) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
        for (size_t at = path.find(L'\\', 3);; at = path.find(L'\\', at + 1)) {
            const std::wstring level = path.substr(0, at);
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(level.c_str()));
            if (at == std::wstring::npos) {
                break;
            }
        }
        // The selection must hold: the dialog may still turn it back.
        Sleep(200);
        wchar_t shown[MAX_PATH] = L"";
        GetWindowTextW(edit, shown, MAX_PATH);
        if (leaf == shown) {
            break;
        }
    }
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return 0;
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
