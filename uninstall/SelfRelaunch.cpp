#include "SelfRelaunch.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

#include "UnInstallSteps.h"

namespace TavikUninstall {

namespace {

// The shell reads a list of names ending with an empty one.
std::wstring DoubleTerminated(const wchar_t* path) {
    std::wstring text(path);
    text.push_back(L'\0');
    return text;
}

bool StartWithWindowMode(const wchar_t* program) {
    const HINSTANCE started = ShellExecuteW(nullptr, L"open", program, kWindowModeArgument, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

// The process that started this one, with its file name; 0 when unknown.
DWORD ParentProcess(std::wstring& exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    const DWORD self = GetCurrentProcessId();
    DWORD parent = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !parent; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == self) {
            parent = entry.th32ParentProcessID;
        }
    }
    if (parent) {
        // The parent's own entry gives its name (its id may have been reused
        // by then; a wrong match only costs the bounded wait).
        entry.dwSize = sizeof(entry);
        exeName.clear();
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (entry.th32ProcessID == parent) {
                exeName = entry.szExeFile;
                break;
            }
        }
    }
    CloseHandle(snapshot);
    return exeName.empty() ? 0 : parent;
}

}  // namespace

TavikUI::CWideString TempUninstallerPath() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length > MAX_PATH) {
        return TavikUI::CWideString();
    }
    TavikUI::CWideString path(folder);
    path.AppendText(kUninstallerFileName);
    return path;
}

bool CopySelfToTemp(const wchar_t* source, HWND owner) {
    const TavikUI::CWideString target = TempUninstallerPath();
    if (target.IsEmpty()) {
        return false;
    }
    const std::wstring from = DoubleTerminated(source);
    const std::wstring to = DoubleTerminated(target.Text());
    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = owner;
    operation.wFunc = FO_COPY;
    operation.pFrom = from.c_str();
    operation.pTo = to.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

int RelaunchFromTemp(HWND owner) {
    const TavikUI::CWideString installFolder = ReadInstallFolder();
    if (installFolder.IsEmpty()) {
        wchar_t self[262] = {};
        GetModuleFileNameW(nullptr, self, 262);
        StartWithWindowMode(self);
        return 0;
    }
    const TavikUI::CWideString installed = installFolder.ConcatText(kUninstallerFileName);
    if (!CopySelfToTemp(installed.Text(), owner)) {
        return 0;
    }
    StartWithWindowMode(TempUninstallerPath().Text());
    ExitProcess(0);
}

void WaitForStartingUninstaller(DWORD timeoutMs) {
    std::wstring parentName;
    const DWORD parent = ParentProcess(parentName);
    if (!parent || _wcsicmp(parentName.c_str(), kUninstallerFileName) != 0) {
        return;
    }
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, parent);
    if (!process) {
        return;
    }
    WaitForSingleObject(process, timeoutMs);
    CloseHandle(process);
}

}  // namespace TavikUninstall
