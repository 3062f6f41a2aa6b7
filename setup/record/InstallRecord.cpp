#include "InstallRecord.h"

#include <cwchar>

#include "InstallPaths.h"

namespace InstallRecord {

const wchar_t kProductVersion[] = L"V1.2.0.1.beta";
const wchar_t kToolExeName[] = L"tavik_Download.exe";
const wchar_t kUninstallerExeName[] = L"Uninstall.exe";

const wchar_t kFileListName[] = L"SeupFileList.Dat";
const wchar_t kToolLogName[] = L"Log\\tavikLog.log";

const wchar_t kUninstallKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\tavik_Download";
const wchar_t* const kUninstallValueNames[kUninstallValueCount] = {
    L"DisplayName",    L"DisplayIcon", L"UninstallString", L"HelpLink",
    L"DisplayVersion", L"Publisher",   L"EstimatedSize",   L"Version"};

const wchar_t kDpinstName[] = L"dpinst.exe";
const wchar_t kDriversFolder[] = L"Driver\\";
const wchar_t kDriverFolderX64[] = L"Driver\\x64\\";
const wchar_t kDriverFolderX86[] = L"Driver\\x86\\";
const wchar_t kDriverFolderXp[] = L"Driver\\XP_2K\\";
const wchar_t kDriverFolderMtp[] = L"Driver\\MTP\\";
const wchar_t kDpinstInstallParameters[] = L" /F /LM /SW /SA";
const wchar_t* const kDriverPackages[6] = {L"Qxadb.inf", L"qxmdm.inf",   L"qxnet.inf",
                                           L"qxser.inf", L"usbvcom.inf", L"usbvcom_brom.inf"};
const wchar_t* const kXpDriverPackages[2] = {L"QxRndis.inf", L"Mtp.inf"};

namespace {

const wchar_t kHelpLinkText[] = L"https://bbs.quorel.com/forum-tavik-1.html";
const wchar_t kPublisherText[] = L"Quorel Technology Co., Ltd.";

std::string EncodeString(const std::wstring& text) {
    std::string bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    bytes.append(2, '\0');
    return bytes;
}

class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() {
        if (key_) {
            RegCloseKey(key_);
        }
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    LONG Open(REGSAM access) { return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, access, &key_); }
    HKEY Get() const { return key_; }
    HKEY* Out() { return &key_; }

private:
    HKEY key_ = nullptr;
};

bool SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

}  // namespace

// ---- Installed-file list -------------------------------------------------

std::string EncodeFileList(const std::vector<std::wstring>& paths) {
    std::string bytes;
    for (const std::wstring& path : paths) {
        bytes += EncodeString(path);
    }
    bytes.append(2, '\0');
    return bytes;
}

std::optional<std::vector<std::wstring>> DecodeFileList(const std::string& bytes) {
    if (bytes.size() % 2 != 0 || bytes.size() > kMaxFileListBytes) {
        return std::nullopt;
    }
    std::vector<std::wstring> paths;
    std::wstring current;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                               (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (c != L'\0') {
            current.push_back(c);
            if (current.size() > kMaxListedPathLength) {
                return std::nullopt;
            }
            continue;
        }
        if (current.empty()) {
            // The end marker, and nothing after it.
            return i + 2 == bytes.size() ? std::optional<std::vector<std::wstring>>(paths) : std::nullopt;
        }
        paths.push_back(current);
        current.clear();
    }
    return std::nullopt;
}

CFileListWriter::~CFileListWriter() {
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
    }
}

bool CFileListWriter::Open(const std::wstring& listPath) {
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
    }
    file_ = CreateFileW(listPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    return file_ != INVALID_HANDLE_VALUE;
}

bool CFileListWriter::Append(const std::wstring& path) { return WriteAll(EncodeString(path)); }

bool CFileListWriter::Finish() {
    // Flushed: a list still in the cache at a power failure would be all
    // NUL bytes afterwards.
    const bool written = WriteAll(std::string(2, '\0')) && FlushFileBuffers(file_);
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
    }
    file_ = INVALID_HANDLE_VALUE;
    return written;
}

bool CFileListWriter::WriteAll(const std::string& bytes) {
    if (file_ == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::optional<std::vector<std::wstring>> ReadFileList(const std::wstring& listPath) {
    HANDLE file = CreateFileW(listPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    LARGE_INTEGER size = {};
    bool read = GetFileSizeEx(file, &size) && size.QuadPart <= kMaxFileListBytes;
    if (read) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        read = bytes.empty() ||
               (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
    }
    CloseHandle(file);
    if (!read) {
        return std::nullopt;
    }
    return DecodeFileList(bytes);
}

// ---- Uninstall registration ----------------------------------------------

uint32_t ReadInstalledVersion() {
    ScopedKey key;
    if (key.Open(KEY_READ) != ERROR_SUCCESS) {
        return 0;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(key.Get(), kUninstallValueNames[kVersion], nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS) {
        return 0;
    }
    return type == REG_DWORD && size == sizeof(value) ? value : 0;
}

std::wstring ReadUninstallText(const wchar_t* valueName) {
    ScopedKey key;
    if (key.Open(KEY_READ) != ERROR_SUCCESS) {
        return std::wstring();
    }
    // One character more than a registered text may hold, so a stored
    // terminator always fits and the buffer always ends with one.
    wchar_t buffer[kMaxRegisteredText + 2] = {};
    DWORD type = 0;
    DWORD size = static_cast<DWORD>((kMaxRegisteredText + 1) * sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::wstring();
    }
    std::wstring text(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
    return text.size() <= kMaxRegisteredText ? text : std::wstring();
}

std::wstring ReadUninstallString() {
    // Read as the system reads the command: a quoted program ends at its
    // closing quote (what follows are its arguments), an unquoted one is the
    // whole text, blanks included.
    const std::wstring command = ReadUninstallText(kUninstallValueNames[kUninstallString]);
    if (command.empty() || command[0] != L'"') {
        return command;
    }
    const size_t end = command.find(L'"', 1);
    return end == std::wstring::npos ? std::wstring() : command.substr(1, end - 1);
}

std::wstring ReadRegisteredInstallFolder() {
    const std::wstring command = ReadUninstallString();
    const size_t slash = command.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : command.substr(0, slash + 1);
}

bool WriteUninstallValues(const std::wstring& installFolder, DWORD estimatedSizeKiB) {
    ScopedKey key;
    LONG opened = key.Open(KEY_WRITE);
    if (opened == ERROR_FILE_NOT_FOUND) {
        HKEY created = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                            nullptr, &created, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(created);
        opened = key.Open(KEY_WRITE);
    }
    if (opened != ERROR_SUCCESS) {
        return false;
    }
    const HKEY k = key.Get();
    const wchar_t* const* names = kUninstallValueNames;
    return SetText(k, names[kDisplayName], L"tavik_Download") &&
           SetText(k, names[kDisplayIcon], installFolder + kToolExeName) &&
           SetText(k, names[kUninstallString], installFolder + kUninstallerExeName) &&
           SetText(k, names[kHelpLink], kHelpLinkText) && SetText(k, names[kDisplayVersion], kProductVersion) &&
           SetText(k, names[kPublisher], kPublisherText) && SetNumber(k, names[kEstimatedSize], estimatedSizeKiB) &&
           SetNumber(k, names[kVersion], kRegisteredVersion);
}

// ---- Drivers -------------------------------------------------------------

std::wstring DpinstRemoveParameters(const std::wstring& packagePath) { return L" /Q /D /u \"" + packagePath + L"\""; }

const wchar_t* DriverFolderFor(bool runsUnderWow64) { return runsUnderWow64 ? kDriverFolderX64 : kDriverFolderX86; }

std::optional<bool> QueryRunsUnderWow64() {
    typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    if (!kernel) {
        return std::nullopt;
    }
    const auto isWow64 =
        reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    if (!isWow64) {
        return std::nullopt;
    }
    BOOL wow64 = FALSE;
    if (!isWow64(GetCurrentProcess(), &wow64)) {
        return std::nullopt;
    }
    return wow64 != FALSE;
}

// ---- System questions ------------------------------------------------------

bool IsPreVistaWindows() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info)) {
        info = OSVERSIONINFOW{};
        info.dwOSVersionInfoSize = sizeof(info);
        if (!GetVersionExW(&info)) {
            return false;
        }
    }
    return info.dwMajorVersion < 6;
}

bool IsFolderEmpty(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        // A folder that is not there holds nothing; one that cannot be
        // listed may hold anything.
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    bool empty = true;
    do {
        // Only the folder's own "." and ".." entries: ".profile" or ".git"
        // are somebody's files.
        const bool selfOrParent = wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0;
        if (!selfOrParent) {
            empty = false;
            break;
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return empty;
}

bool IsExistingFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(WithBackSlashes(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(WithBackSlashes(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// ---- Shortcuts -------------------------------------------------------------

const wchar_t kToolShortcutName[] = L"tavik刷机小助手.lnk";
const wchar_t kUninstallShortcutName[] = L"UnInstall.lnk";
const wchar_t kProgramsMakerFolder[] = L"Quorel\\";
const wchar_t kProgramsProductFolder[] = L"Quorel\\tavik_Download\\";

}  // namespace InstallRecord
