#include "UninstallTestSupport.h"

#include <cstdlib>
#include <sstream>

#include "InstallRecord.h"

namespace UninstallTests {

namespace {

const wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The payload's items in archive order: folders before their files.
const wchar_t* const kPayloadItems[] = {
    L"Driver/",
    L"Driver/MTP/",
    L"Driver/MTP/mdmcdp.inf",
    L"Driver/XP_2K/",
    L"Driver/XP_2K/dpinst.exe",
    L"Driver/XP_2K/Mtp.inf",
    L"Driver/x64/",
    L"Driver/x64/dpinst.exe",
    L"Driver/x64/qxser.inf",
    L"Driver/x86/",
    L"Driver/x86/dpinst.exe",
    L"Driver/x86/qxser.inf",
    L"Log/",
    L"PhoneList.Xml",
    L"Tavik.Data",
    L"UnInstall.exe",
    L"tavik_Download.exe",
};

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (; text && *text; ++text) wide.push_back(static_cast<unsigned char>(*text));
    return wide;
}

bool IsFolderItem(const std::wstring& item) { return !item.empty() && item.back() == L'/'; }

bool CopyProgram(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

// What the item's file holds: the built programs where they matter, a short
// text for the rest.
bool WriteItem(const std::wstring& folder, const std::wstring& item) {
    const std::wstring path = testsupport::WithBackSlashes(folder + item);
    if (IsFolderItem(item)) return testsupport::MakeFolders(path);
    if (item == L"UnInstall.exe") return CopyProgram(UninstallerProgram(), path);
    if (item.size() > 10 && item.compare(item.size() - 10, 10, L"dpinst.exe") == 0) {
        return CopyProgram(DpinstProgram(), path);
    }
    return testsupport::WriteBytes(path, testsupport::Utf8(item));
}

}  // namespace

std::wstring UninstallerProgram() { return testsupport::WithBackSlashes(Widen(TAVIK_UNINSTALL_EXE)); }

std::wstring DpinstProgram() { return testsupport::WithBackSlashes(Widen(TAVIK_DPINST_EXE)); }

// ---- Recycle Bin -------------------------------------------------------------

bool ScratchTrash::Reset() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (!dataHome || dataHome[0] != '/') return false;
    trash_ = L"Z:" + testsupport::WithBackSlashes(Widen(dataHome)) + L"\\Trash";
    testsupport::RemoveFolderTree(trash_);
    return testsupport::MakeFolders(trash_ + L"\\files") && testsupport::MakeFolders(trash_ + L"\\info");
}

std::vector<std::string> ScratchTrash::MovedPaths() const {
    std::vector<std::string> paths;
    WIN32_FIND_DATAW entry = {};
    HANDLE search = FindFirstFileW((trash_ + L"\\info\\*.trashinfo").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return paths;
    do {
        const auto bytes = testsupport::ReadBytes(trash_ + L"\\info\\" + entry.cFileName);
        std::istringstream lines(bytes.value_or(""));
        for (std::string line; std::getline(lines, line);) {
            if (line.compare(0, 5, "Path=") == 0) paths.push_back(line.substr(5));
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return paths;
}

bool ScratchTrash::Holds(const std::wstring& tail) const {
    const std::string wanted = "/" + testsupport::Utf8(tail);
    for (const std::string& path : MovedPaths()) {
        if (path.size() >= wanted.size() && path.compare(path.size() - wanted.size(), wanted.size(), wanted) == 0) {
            return true;
        }
    }
    return false;
}

// ---- Shell folders -----------------------------------------------------------

ShellFolderRedirect::ShellFolderRedirect(const std::wstring& desktop, const std::wstring& programs) {
    Redirect(L"Desktop", desktop);
    Redirect(L"Programs", programs);
}

void ShellFolderRedirect::Redirect(const wchar_t* name, const std::wstring& folder) {
    Saved saved;
    saved.name = name;
    wchar_t value[1024] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    saved.existed = RegGetValueW(HKEY_CURRENT_USER, kUserShellFolders, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                                 RRF_NOEXPAND, &saved.type, value, &size) == ERROR_SUCCESS;
    saved.value = value;
    saved_.push_back(saved);
    RegSetKeyValueW(HKEY_CURRENT_USER, kUserShellFolders, name, REG_EXPAND_SZ, folder.c_str(),
                    static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}

ShellFolderRedirect::~ShellFolderRedirect() {
    for (const Saved& saved : saved_) {
        if (saved.existed) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kUserShellFolders, saved.name.c_str(), saved.type,
                            saved.value.c_str(), static_cast<DWORD>((saved.value.size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserShellFolders, saved.name.c_str());
        }
    }
}

// ---- Installation ------------------------------------------------------------

Installation::Installation() : root_(L"uninstall") {
    // A space and a "%" in the path: it is a path, never a format.
    folder_ = root_.Path() + L"\\Apps 100%\\Quorel\\tavik_Download\\";
}

Installation::~Installation() {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath);
    SetEnvironmentVariableW(L"TAVIK_DPINST_JOURNAL", nullptr);
}

bool Installation::Install(std::string& why) {
    if (!trash_.Reset()) {
        why = "XDG_DATA_HOME does not name a scratch folder";
        return false;
    }
    if (!testsupport::MakeFolders(Desktop()) || !testsupport::MakeFolders(Programs()) ||
        !testsupport::MakeFolders(folder_)) {
        why = "scratch folders";
        return false;
    }
    shellFolders_ = std::make_unique<ShellFolderRedirect>(Desktop(), Programs());
    SetEnvironmentVariableW(L"TAVIK_DPINST_JOURNAL", Journal().c_str());

    InstallRecord::CFileListWriter list;
    if (!list.Open(folder_ + InstallRecord::kFileListName)) {
        why = "file list";
        return false;
    }
    for (const wchar_t* item : kPayloadItems) {
        if (!WriteItem(folder_, item) || !list.Append(folder_ + item)) {
            why = "payload item " + testsupport::Utf8(item);
            return false;
        }
        items_.push_back(item);
    }
    if (!list.Finish()) {
        why = "file list end";
        return false;
    }
    const std::wstring links[] = {
        Desktop() + L"\\tavik刷机小助手.lnk",
        Programs() + L"\\Quorel\\tavik_Download\\UnInstall.lnk",
        Programs() + L"\\Quorel\\tavik_Download\\tavik刷机小助手.lnk",
    };
    testsupport::MakeFolders(Programs() + L"\\Quorel\\tavik_Download");
    for (const std::wstring& link : links) {
        if (!testsupport::WriteBytes(link, "link")) {
            why = "shortcut " + testsupport::Utf8(link);
            return false;
        }
    }
    if (!InstallRecord::WriteUninstallValues(folder_, 12)) {
        why = "registration";
        return false;
    }
    return true;
}

std::vector<std::string> Installation::JournalLines() const {
    std::vector<std::string> lines;
    std::istringstream text(testsupport::ReadBytes(Journal()).value_or(""));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // "start|<program>|<command line>|<folder>"; no "end" lines without a delay.
        if (line.compare(0, 6, "start|") == 0) lines.push_back(line);
    }
    return lines;
}

// ---- Programs and registry ---------------------------------------------------

int RunAndWait(const std::wstring& program, const std::wstring& arguments, DWORD waitMs) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    CloseHandle(process.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, waitMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(testsupport::WithBackSlashes(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RegistrationKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool RegistrationValueExists(const wchar_t* name) {
    return RegGetValueW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath, name, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

}  // namespace UninstallTests
