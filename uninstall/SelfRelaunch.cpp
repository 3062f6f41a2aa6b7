#include "SelfRelaunch.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

#include "InstallRecord.h"
#include "StartedProgram.h"
#include "UnInstallSteps.h"

namespace TavikUninstall {

namespace {

// The shell reads a list of names ending with an empty one.
std::wstring DoubleTerminated(const wchar_t* path) {
    std::wstring text(path);
    text.push_back(L'\0');
    return text;
}

// The copy in the temporary folder reads the handed-over install folder from
// its environment, which it inherits: its command line stays "/u".
const wchar_t kHandedOverFolderVariable[] = L"TAVIK_UNINSTALL_FOLDER";

bool StartWithWindowMode(const wchar_t* program) {
    InstallRecord::CStartedProgram started;
    return started.Start(program, kWindowModeArgument, std::wstring(), SW_SHOWNORMAL);
}

// The folder (ending with a back slash) when it holds the installer's list.
TavikUI::CWideString FolderWithFileList(const std::wstring& folder) {
    if (folder.empty() || !InstallRecord::IsExistingFile(folder + InstallRecord::kFileListName)) {
        return TavikUI::CWideString();
    }
    return TavikUI::CWideString(folder.c_str());
}

std::wstring OwnFolder() {
    const std::wstring path = RunningProgramPath();
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
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

std::wstring RunningProgramPath() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? std::wstring(path, length) : std::wstring();
}

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
    TavikUI::CWideString installFolder = ReadInstallFolder();
    if (installFolder.IsEmpty()) {
        installFolder = FolderWithFileList(OwnFolder());
        if (installFolder.IsEmpty()) {
            StartWithWindowMode(RunningProgramPath().c_str());
            return 0;
        }
        SetEnvironmentVariableW(kHandedOverFolderVariable, installFolder.Text());
    }
    const TavikUI::CWideString installed = installFolder.ConcatText(kUninstallerFileName);
    if (!CopySelfToTemp(installed.Text(), owner)) {
        return 0;
    }
    StartWithWindowMode(TempUninstallerPath().Text());
    ExitProcess(0);
}

TavikUI::CWideString HandedOverInstallFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableW(kHandedOverFolderVariable, folder, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? FolderWithFileList(std::wstring(folder, length)) : TavikUI::CWideString();
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
