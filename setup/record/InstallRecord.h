// What the installer leaves for the uninstaller, in one place: the
// installed-file list "SeupFileList.Dat", the uninstall registration, the
// driver folders with their packages, and the few system questions both
// programs ask. The installer writes these records; the uninstaller reads
// and removes them, so both link this library and share every format here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace InstallRecord {

// ---- Product -------------------------------------------------------------

// The version both windows show and the installer registers.
extern const wchar_t kProductVersion[];  // "V1.2.0.1.beta"
extern const wchar_t kToolExeName[];     // "tavik_Download.exe"
// The name the registration points at; the payload's file is "UnInstall.exe"
// (Windows file names ignore case).
extern const wchar_t kUninstallerExeName[];  // "Uninstall.exe"

// ---- Installed-file list -------------------------------------------------

extern const wchar_t kFileListName[];  // "SeupFileList.Dat"
// The log the installed tool writes beside itself: no payload item, but it
// goes with the installation.
extern const wchar_t kToolLogName[];  // "Log\\tavikLog.log"

// Byte form of the list: each path as UTF-16 little-endian with its NUL,
// then one more NUL (an empty string); no byte-order mark.
std::string EncodeFileList(const std::vector<std::wstring>& paths);

// The bounds of a list that can be trusted: a few MiB and one path within
// the 260-character paths both programs use. Beyond them a list is damaged.
constexpr uint32_t kMaxFileListBytes = 4u << 20;
constexpr size_t kMaxListedPathLength = MAX_PATH - 1;

// The paths of a whole list: even size, every path within its bound and
// terminated, the end marker last. None otherwise (a list cut short by a
// power failure, all NUL bytes, or anything after the marker).
std::optional<std::vector<std::wstring>> DecodeFileList(const std::string& bytes);

// Writes the list while the installer extracts: Open creates (replaces) the
// file, Append adds one path, Finish adds the end marker, flushes and closes. Every
// call answers false on a write failure; the destructor closes an unfinished
// list as it stands.
class CFileListWriter {
public:
    CFileListWriter() = default;
    ~CFileListWriter();
    CFileListWriter(const CFileListWriter&) = delete;
    CFileListWriter& operator=(const CFileListWriter&) = delete;

    bool Open(const std::wstring& listPath);
    bool Append(const std::wstring& path);
    bool Finish();

private:
    bool WriteAll(const std::string& bytes);

    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// The paths of the list file; none when it cannot be opened or read, is
// larger than kMaxFileListBytes or does not decode whole.
std::optional<std::vector<std::wstring>> ReadFileList(const std::wstring& listPath);

// ---- Uninstall registration ----------------------------------------------

// The single-instance names of the two programs: each looks for the other's
// window before it starts its sequence.
constexpr wchar_t kInstallerInstanceName[] = L"tavikInstallDlg";
constexpr wchar_t kUninstallerInstanceName[] = L"tavikUnstallDlg";

// Under HKEY_LOCAL_MACHINE.
extern const wchar_t kUninstallKeyPath[];  // "SOFTWARE\\...\\Uninstall\\tavik_Download"

// Tests that write this key, or install into the test prefix, hold the CTest
// resource lock "install_registration".
//
// The eight values, in the order the installer writes them and the
// uninstaller deletes them.
enum UninstallValue {
    kDisplayName,
    kDisplayIcon,
    kUninstallString,
    kHelpLink,
    kDisplayVersion,
    kPublisher,
    kEstimatedSize,
    kVersion,
    kUninstallValueCount
};
extern const wchar_t* const kUninstallValueNames[kUninstallValueCount];

// "Version" as registered: nonzero tells an installer an earlier
// installation exists.
constexpr DWORD kRegisteredVersion = 9;
// A registered text fits in 259 characters (the readers' 260-character
// buffers with their terminator).
constexpr size_t kMaxRegisteredText = MAX_PATH - 1;

// The registered "Version"; 0 when the key or the value is missing or the
// value is no 32-bit number.
uint32_t ReadInstalledVersion();

// A string value of the uninstall key, always terminated; empty when the key
// or value is missing, is not of string type (REG_SZ) or is longer than
// kMaxRegisteredText.
std::wstring ReadUninstallText(const wchar_t* valueName);
// The program "UninstallString" names, quoted or not (empty when none).
std::wstring ReadUninstallString();
// The registered install folder: "UninstallString" up to and including its
// last back slash; empty when there is none.
std::wstring ReadRegisteredInstallFolder();

// Writes the eight values for an install folder ending with a back slash;
// creates the key when missing. False at the first value that cannot be set
// (the ones before it stay) or when the key cannot be opened or created.
bool WriteUninstallValues(const std::wstring& installFolder, DWORD estimatedSizeKiB);

// ---- Drivers -------------------------------------------------------------

extern const wchar_t kDpinstName[];  // "dpinst.exe"
// The folder of every driver folder below; an uninstall that could not
// remove the drivers keeps it for a later run.
extern const wchar_t kDriversFolder[];    // "Driver\\"
extern const wchar_t kDriverFolderX64[];  // "Driver\\x64\\"
extern const wchar_t kDriverFolderX86[];  // "Driver\\x86\\"
extern const wchar_t kDriverFolderXp[];   // "Driver\\XP_2K\\"
extern const wchar_t kDriverFolderMtp[];  // "Driver\\MTP\\"
// dpinst's command line for installing the packages of its folder.
extern const wchar_t kDpinstInstallParameters[];  // " /F /LM /SW /SA"

// The packages of the x64 and x86 folders, in the order they are removed.
extern const wchar_t* const kDriverPackages[6];
// The packages of the pre-Vista folder, in the order they are removed.
extern const wchar_t* const kXpDriverPackages[2];

// dpinst's command line for removing one package (a full .inf path).
std::wstring DpinstRemoveParameters(const std::wstring& packagePath);

// The driver folder (relative to the install folder) for a 32-bit program
// that runs on 64-bit Windows (WOW64) or not.
const wchar_t* DriverFolderFor(bool runsUnderWow64);

// Whether this process runs under WOW64, through IsWow64Process looked up in
// kernel32; none when the function is missing or fails.
std::optional<bool> QueryRunsUnderWow64();

// ---- System questions ------------------------------------------------------

// True on Windows before Vista (major version below 6). False when the
// version cannot be read twice.
bool IsPreVistaWindows();

// True when the folder (ending with a back slash) holds nothing but its own
// "." and ".." entries, or does not exist. A folder that cannot be listed,
// or holds only names such as ".git", is not empty.
bool IsFolderEmpty(const std::wstring& folder);

// True when the path exists and is a folder ('/' read as '\\').
bool IsExistingFolder(const std::wstring& path);

// True when the path exists and is a file, not a folder.
bool IsExistingFile(const std::wstring& path);

// ---- Shortcuts -------------------------------------------------------------

// The tool's link on the Desktop and in the Programs folder's product folder.
extern const wchar_t kToolShortcutName[];  // "tavik刷机小助手.lnk"
// The uninstaller's link in the product folder.
extern const wchar_t kUninstallShortcutName[];  // "UnInstall.lnk"
// Below the Programs folder: the maker's folder, which other programs of
// the maker may share, and the product's folder inside it.
extern const wchar_t kProgramsMakerFolder[];    // "Quorel\\"
extern const wchar_t kProgramsProductFolder[];  // "Quorel\\tavik_Download\\"

}  // namespace InstallRecord
