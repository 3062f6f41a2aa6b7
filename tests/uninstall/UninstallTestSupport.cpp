#include "UninstallTestSupport.h"

#include <shlobj.h>

#include <cstdlib>
#include <sstream>

#include "InstallPaths.h"
#include "InstallRecord.h"

namespace UninstallTests {

namespace {

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (; text && *text; ++text) {
        wide.push_back(static_cast<unsigned char>(*text));
    }
    return wide;
}

}  // namespace

std::wstring InstallDriverProgram() { return testsupport::WithBackSlashes(Widen(TAVIK_INSTALL_DRIVER_EXE)); }

std::wstring UninstallerProgram() { return testsupport::WithBackSlashes(Widen(TAVIK_UNINSTALL_EXE)); }

// ---- Recycle Bin -------------------------------------------------------------

bool ScratchTrash::Reset() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (!dataHome || dataHome[0] != '/') {
        return false;
    }
    trash_ = L"Z:" + testsupport::WithBackSlashes(Widen(dataHome)) + L"\\Trash";
    testsupport::RemoveFolderTree(trash_);
    return testsupport::MakeFolders(trash_ + L"\\files") && testsupport::MakeFolders(trash_ + L"\\info");
}

std::vector<std::string> ScratchTrash::MovedPaths() const {
    std::vector<std::string> paths;
    WIN32_FIND_DATAW entry = {};
    HANDLE search = FindFirstFileW((trash_ + L"\\info\\*.trashinfo").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return paths;
    }
    do {
        const auto bytes = testsupport::ReadBytes(trash_ + L"\\info\\" + entry.cFileName);
        std::istringstream lines(bytes.value_or(""));
        for (std::string line; std::getline(lines, line);) {
            if (line.compare(0, 5, "Path=") == 0) {
                paths.push_back(line.substr(5));
            }
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

// ---- Installation ------------------------------------------------------------

Installation::Installation() = default;

Installation::~Installation() {
    // What a test left of the user's (or a failed uninstall left) goes too.
    if (!folder_.empty()) {
        testsupport::RemoveFolderTree(folder_);
    }
    if (!madeParent_.empty()) {
        testsupport::RemoveFolderTree(madeParent_);
    }
}

bool Installation::Install(std::string& why, const std::wstring& typedFolder) {
    return Completed(RunInstaller(why, false, typedFolder), why);
}

bool Installation::Reinstall(std::string& why, const std::wstring& driverArguments) {
    items_.clear();
    return Completed(RunAndWait(InstallDriverProgram(), driverArguments, 180000), why);
}

bool Installation::Completed(int exitCode, std::string& why) {
    if (exitCode != 0) {
        why += "the installer did not finish";
        return false;
    }
    if (InstallRecord::ReadRegisteredInstallFolder() != folder_) {
        why = "registered " + testsupport::Utf8(InstallRecord::ReadRegisteredInstallFolder()) + ", not " +
              testsupport::Utf8(folder_);
        return false;
    }
    return ReadItems(why);
}

bool Installation::InstallWithDamagedDriverInstaller(std::string& why) {
    const int exitCode = RunInstaller(why, true, std::wstring());
    if (exitCode != 1 || InstallRecord::IsSamePath(InstallRecord::ReadRegisteredInstallFolder(), folder_)) {
        why += "the install did not fail at the drivers";
        return false;
    }
    return ReadItems(why);
}

int Installation::RunInstaller(std::string& why, bool damagedDriverInstaller, const std::wstring& typedFolder) {
    if (!trash_.Reset()) {
        why = "XDG_DATA_HOME does not name a scratch folder; ";
        return -1;
    }
    if (!machine_.Ready()) {
        why = "scratch machine; ";
        return -1;
    }
    // The installer's default folder is "<Program Files>\Quorel\tavik_Download\".
    wchar_t programFiles[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE);
    const std::wstring quorel = std::wstring(programFiles) + L"\\Quorel";
    if (!Exists(quorel)) {
        madeParent_ = quorel;
    }
    // An earlier run's leftovers would not be this installation's. A typed
    // folder is registered and listed in its one form.
    folder_ = typedFolder.empty() ? quorel + L"\\tavik_Download\\" : InstallRecord::NormalisedFolder(typedFolder);
    testsupport::RemoveFolderTree(folder_);
    if (!damagedDriverInstaller) {
        return RunAndWait(InstallDriverProgram(), typedFolder, 180000);
    }
    // Held open while the installer runs: it can neither write nor start it.
    const std::wstring dpinst = folder_ + L"Driver\\x86\\dpinst.exe";
    // Left by an uninstall that could not finish: its kept list names it.
    const std::string kept = InstallRecord::EncodeFileList({dpinst, folder_ + L"UnInstall.exe"});
    if (!testsupport::MakeFolders(folder_ + L"Driver\\x86") || !testsupport::WriteBytes(dpinst, "damaged") ||
        !testsupport::WriteBytes(folder_ + InstallRecord::kFileListName, kept)) {
        why = "the damaged driver installer could not be put in place; ";
        return -1;
    }
    HANDLE held = CreateFileW(dpinst.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const int exitCode = RunAndWait(InstallDriverProgram(), L"", 180000);
    CloseHandle(held);
    return exitCode;
}

bool Installation::ReadItems(std::string& why) {
    const auto listed = InstallRecord::ReadFileList(folder_ + InstallRecord::kFileListName);
    if (folder_.empty() || !listed || listed->empty()) {
        why = "the installer left no registration or no file list";
        return false;
    }
    for (const std::wstring& path : *listed) {
        // A folder the install made above its own.
        if (path.back() == L'/' && folder_.compare(0, path.size() - 1, path, 0, path.size() - 1) == 0) {
            continue;
        }
        if (path.compare(0, folder_.size(), folder_) != 0) {
            why = "the list names " + testsupport::Utf8(path) + ", outside " + testsupport::Utf8(folder_);
            return false;
        }
        items_.push_back(path.substr(folder_.size()));
    }
    // Only the uninstaller's driver runs count from here.
    DeleteFileW(machine_.JournalPath().c_str());
    return true;
}

// ---- Programs and registry ---------------------------------------------------

HANDLE StartProgram(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

int RunAndWait(const std::wstring& program, const std::wstring& arguments, DWORD waitMs) {
    HANDLE process = StartProgram(program, arguments);
    if (!process) {
        return -1;
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process, &code);
    }
    CloseHandle(process);
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
