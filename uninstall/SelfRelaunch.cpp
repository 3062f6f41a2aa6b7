#include "SelfRelaunch.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

#include "InstallPaths.h"
#include "InstallRecord.h"
#include "Installation.h"
#include "PathRemoval.h"
#include "StartedProgram.h"

namespace TavikUninstall {

namespace {

// The shell reads a list of names ending with an empty one.
std::wstring DoubleTerminated(const wchar_t* path) {
    std::wstring text(path);
    text.push_back(L'\0');
    return text;
}

bool StartInWindowMode(const std::wstring& program, const std::wstring& arguments) {
    InstallRecord::CStartedProgram started;
    return started.Start(program, arguments, std::wstring(), SW_SHOWNORMAL);
}

// The folder is quoted without its final back slash, which would escape the
// closing quote for a program that splits its command line.
std::wstring WindowModeArgumentsFor(const TavikUI::CWideString& folder) {
    return std::wstring(kWindowModeArgument) + L" \"" + InstallRecord::WithoutFinalSeparators(folder.Text()) + L"\"";
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

TavikUI::CWideString OwnInstallationFolder() {
    const std::wstring program = RunningProgramPath();
    const size_t slash = program.rfind(L'\\');
    if (slash == std::wstring::npos) {
        return TavikUI::CWideString();
    }
    const InstallRecord::CInstallation installation(program.substr(0, slash + 1));
    return installation.Names(program) ? TavikUI::CWideString(installation.Folder().c_str()) : TavikUI::CWideString();
}

bool ReadWindowModeArguments(const wchar_t* arguments, std::wstring& folder) {
    const std::wstring text = arguments ? arguments : L"";
    const std::wstring mode = kWindowModeArgument;
    folder.clear();
    if (text == mode) {
        return true;
    }
    if (text.compare(0, mode.size() + 1, mode + L" ") != 0) {
        return false;
    }
    std::wstring handed = text.substr(mode.size() + 1);
    if (handed.size() >= 2 && handed.front() == L'"' && handed.back() == L'"') {
        handed = handed.substr(1, handed.size() - 2);
    }
    if (!handed.empty()) {
        folder = InstallRecord::NormalisedFolder(handed);
    }
    return true;
}

bool RelaunchFromTemp(HWND owner) {
    const TavikUI::CWideString own = OwnInstallationFolder();
    const std::wstring program = RunningProgramPath();
    // No installation lists this program (an earlier installation's
    // uninstaller left behind, or a copy from elsewhere): it removes
    // nothing of anyone's, and its window says that it found nothing.
    if (own.IsEmpty()) {
        const size_t slash = program.rfind(L'\\');
        return StartInWindowMode(program,
                                 WindowModeArgumentsFor(TavikUI::CWideString(program.substr(0, slash + 1).c_str())));
    }
    return HandOverToTemporaryCopy(own, owner);
}

bool HandOverToTemporaryCopy(const TavikUI::CWideString& installFolder, HWND owner) {
    if (!CopySelfToTemp(RunningProgramPath().c_str(), owner) ||
        !StartInWindowMode(TempUninstallerPath().Text(), WindowModeArgumentsFor(installFolder))) {
        return false;
    }
    ExitProcess(0);
}

bool StandsInside(const std::wstring& installFolder) {
    return !installFolder.empty() && !IsTemporaryCopy() &&
           IsInsideFolder(RunningProgramPath().c_str(), InstallRecord::NormalisedFolder(installFolder).c_str());
}

bool IsTemporaryCopy() {
    const TavikUI::CWideString copy = TempUninstallerPath();
    return !copy.IsEmpty() && InstallRecord::IsSamePath(copy.Text(), RunningProgramPath());
}

void RemoveAtRestart(const std::wstring& path) { MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT); }

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
