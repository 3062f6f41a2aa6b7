#include "SetupTestSupport.h"

#include <tlhelp32.h>

#include "InstallRecord.h"

namespace SetupTests {

namespace {

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t kSystemInf[] = L"C:\\Windows\\inf\\mdmcdp.inf";
const wchar_t kSystemSys[] = L"C:\\Windows\\system32\\drivers\\usbser.sys";

std::wstring ReadShellFolder(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kShellFolders, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     nullptr, value, &size) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return value;
}

bool WriteShellFolder(const wchar_t* name, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LONG set = path.empty()
                         ? RegDeleteValueW(key, name)
                         : RegSetValueExW(key, name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                          static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

ScratchMachine::ScratchMachine() : scratch_(L"setup") {
    savedDesktop_ = ReadShellFolder(L"Desktop");
    savedPrograms_ = ReadShellFolder(L"Programs");
    hadInf_ = Exists(kSystemInf);
    hadSys_ = Exists(kSystemSys);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath);
    ready_ = scratch_.Created() && testsupport::MakeFolders(Desktop()) && testsupport::MakeFolders(Programs()) &&
             WriteShellFolder(L"Desktop", Desktop()) && WriteShellFolder(L"Programs", Programs()) &&
             SetEnvironmentVariableW(L"TAVIK_DPINST_JOURNAL", JournalPath().c_str());
}

ScratchMachine::~ScratchMachine() {
    WriteShellFolder(L"Desktop", savedDesktop_);
    WriteShellFolder(L"Programs", savedPrograms_);
    SetEnvironmentVariableW(L"TAVIK_DPINST_JOURNAL", nullptr);
    SetEnvironmentVariableW(L"TAVIK_DPINST_DELAY_MS", nullptr);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath);
    if (!hadInf_) {
        DeleteFileW(kSystemInf);
    }
    if (!hadSys_) {
        DeleteFileW(kSystemSys);
    }
}

std::vector<std::wstring> ScratchMachine::Journal() const {
    std::vector<std::wstring> lines;
    const std::string bytes = testsupport::ReadBytes(JournalPath()).value_or("");
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        const std::string line = bytes.substr(start, end - start);
        std::wstring wide(line.size(), L'\0');
        wide.resize(MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &wide[0],
                                        static_cast<int>(wide.size())));
        lines.push_back(wide);
        start = end + 1;
    }
    return lines;
}

std::wstring DpinstStandIn() { return testsupport::ProgramFolder() + L"\\dpinst.exe"; }

DWORD FindProcessByImage(const std::wstring& image) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    DWORD found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process) {
            continue;
        }
        wchar_t path[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, path, &length) && _wcsicmp(path, image.c_str()) == 0) {
            found = entry.th32ProcessID;
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

void EndProcessesOf(const std::wstring& image) {
    for (int tries = 0; tries < 10; ++tries) {
        const DWORD id = FindProcessByImage(image);
        if (!id) {
            return;
        }
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!process) {
            return;
        }
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

}  // namespace SetupTests
