// The install sequence, run on the install thread. Every outcome ends on the
// finish page; only a complete run registers the tool for uninstalling.
#include <shlobj.h>
#include <shobjidl.h>

#include "InstallFolderRule.h"
#include "InstallRecord.h"
#include "Shortcut.h"
#include "TavikInstallDlg.h"
#include "WindowManager.h"
#include "ZipArchive.h"
#include "ZipTargetPath.h"

namespace {

constexpr DWORD kUninstallerWaitMs = INFINITE;
constexpr DWORD kPackageWaitMs = 120000;
const wchar_t kPayloadResourceType[] = L"ZIP_RES";
constexpr WORD kPayloadResourceId = 111;

std::wstring TemporaryFolder() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

std::wstring SpecialFolder(int csidl) {
    wchar_t folder[MAX_PATH] = {};
    return SHGetSpecialFolderPathW(nullptr, folder, csidl, FALSE) ? std::wstring(folder) : std::wstring();
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

void CTavikInstallDlg::DoInstall() {
    PostToWindow(kShowPageMessage, 1);
    ReadInstallFolder();
    // Refused before anything is written or removed: a relative folder
    // would land wherever the installer happens to run.
    if (!InstallFolderRule::IsUsableInstallFolder(installFolder_)) return ShowFinishPage();
    if (InstallRecord::ReadInstalledVersion() != 0 && !RunOldUninstaller()) return ShowFinishPage();
    if (StopRequested() || !ExtractPayloadZip()) return ShowFinishPage();
    SHCreateDirectoryExW(nullptr, installFolder_.c_str(), nullptr);
    const bool unpacked = UnzipPayload();
    DeleteFileW(temporaryZipPath_.c_str());
    if (!unpacked || StopRequested()) return ShowFinishPage();
    CopyMtpSystemFiles();
    CreateShortcuts();
    if (!InstallDrivers() || StopRequested()) return ShowFinishPage();
    if (InstallRecord::IsPreVistaWindows()) {
        InstallXpMtpComponents();
        Sleep(1000);
        InstallXpDrivers();
    }
    if (!StopRequested()) WriteUninstallKey();
    ShowFinishPage();
}

void CTavikInstallDlg::ShowFinishPage() { PostToWindow(kShowPageMessage, 2); }

bool CTavikInstallDlg::RunOldUninstaller() {
    const std::wstring uninstaller = InstallRecord::ReadUninstallString();
    if (uninstaller.empty()) return false;
    // The temporary folder: it exists, and the earlier uninstaller is about to
    // remove its own folder, which must not be its working folder.
    if (!InstallRecord::RunProgramAndWait(uninstaller, L" /q", TemporaryFolder(), SW_HIDE, kUninstallerWaitMs,
                                          stopEvent_)) {
        return false;
    }
    Sleep(1000);
    return !StopRequested();
}

void CTavikInstallDlg::ReadInstallFolder() { installFolder_ = InstallFolderRule::WithBackSlash(folderFieldText_); }

bool CTavikInstallDlg::ExtractPayloadZip() {
    const std::wstring temporary = TemporaryFolder();
    if (temporary.empty()) return false;
    temporaryZipPath_ = temporary + L"tavik_Download.zip";
    const HINSTANCE module = TavikUI::CWindowManager::ResourceInstance();
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(kPayloadResourceId), kPayloadResourceType);
    const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    payloadSize_ = resource ? SizeofResource(module, resource) : 0;
    if (!bytes || payloadSize_ == 0) return false;
    HANDLE file = CreateFileW(temporaryZipPath_.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes, payloadSize_, &written, nullptr) && written == payloadSize_;
    CloseHandle(file);
    return whole;
}

bool CTavikInstallDlg::UnzipPayload() {
    TavikUI::HZIPARCHIVE archive = TavikUI::ZipArchiveOpen(temporaryZipPath_.c_str(), 0, TavikUI::ZIP_KIND_FILE);
    if (!archive) return false;
    InstallRecord::CFileListWriter list;
    if (!list.Open(installFolder_ + InstallRecord::kFileListName)) {
        TavikUI::ZipArchiveClose(archive);
        return false;
    }
    TavikUI::ZipArchiveEntry summary = {};
    bool whole = TavikUI::ZipArchiveGetItem(archive, -1, &summary) == TavikUI::ZIP_OK && summary.index > 0;
    for (int32_t index = 0; whole && index < summary.index && !StopRequested(); ++index) {
        TavikUI::ZipArchiveEntry item = {};
        if (TavikUI::ZipArchiveGetItem(archive, index, &item) != TavikUI::ZIP_OK || !InstallFolderRule::IsItemNameInsideFolder(item.name)) {
            // Never listed: the uninstaller would remove what the name
            // points at.
            whole = false;
            break;
        }
        const std::wstring name = item.name;
        const std::wstring path = installFolder_ + name;
        if (name.back() == L'/') {
            const int made = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
            whole = made == ERROR_SUCCESS || made == ERROR_ALREADY_EXISTS || made == ERROR_FILE_EXISTS;
        } else {
            // The reader creates the item's folders below the install folder.
            TavikUI::CreateFolderPath(installFolder_, TavikUI::ZipFolderPartOf(name));
            whole = TavikUI::ZipArchiveExtractItem(archive, index, const_cast<wchar_t*>(path.c_str()), 0,
                                                   TavikUI::ZIP_KIND_FILE) == TavikUI::ZIP_OK;
        }
        // Listed whether or not it came out whole: a part may be on disk.
        whole = list.Append(path) && whole;
    }
    whole = list.Finish() && whole && !StopRequested();
    TavikUI::ZipArchiveClose(archive);
    return whole;
}

bool CTavikInstallDlg::CopyMtpSystemFiles() {
    const std::wstring mtp = installFolder_ + InstallRecord::kDriverFolderMtp;
    const wchar_t inf[] = L"C:\\Windows\\inf\\mdmcdp.inf";
    if (!FileExists(inf)) CopyFileW((mtp + L"mdmcdp.inf").c_str(), inf, TRUE);
    const wchar_t sys[] = L"C:\\Windows\\system32\\drivers\\usbser.sys";
    if (!FileExists(sys)) CopyFileW((mtp + L"usbser.sys").c_str(), sys, TRUE);
    return true;
}

bool CTavikInstallDlg::CreateShortcuts() {
    const std::wstring tool = installFolder_ + InstallRecord::kToolExeName;
    const std::wstring desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    if (!desktop.empty()) CreateShortcut(tool, desktop + L"\\tavik刷机小助手.lnk");
    const std::wstring programs = SpecialFolder(CSIDL_PROGRAMS);
    if (!programs.empty()) {
        const std::wstring folder = programs + L"\\Quorel\\tavik_Download\\";
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        CreateShortcut(installFolder_ + L"UnInstall.exe", folder + L"UnInstall.lnk");
        CreateShortcut(tool, folder + L"tavik刷机小助手.lnk");
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return true;
}

bool CTavikInstallDlg::InstallDrivers() {
    const std::optional<bool> wow64 = InstallRecord::QueryRunsUnderWow64();
    if (!wow64) return false;
    const std::wstring folder = installFolder_ + InstallRecord::DriverFolderFor(*wow64);
    return InstallRecord::RunProgramAndWait(folder + InstallRecord::kDpinstName,
                                            InstallRecord::kDpinstInstallParameters, folder, SW_SHOWNORMAL,
                                            kPackageWaitMs, stopEvent_);
}

bool CTavikInstallDlg::InstallXpMtpComponents() {
    const std::wstring mtp = installFolder_ + L"Driver\\Mtp\\";
    for (const wchar_t* package : {L"umdf.exe", L"wmfdist11.exe", L"WindowsXP-KB959765-x86-CHS.exe"}) {
        if (!InstallRecord::RunProgramAndWait(mtp + package, L" /quiet /norestart ", installFolder_, SW_HIDE,
                                              kPackageWaitMs, stopEvent_)) {
            return false;
        }
    }
    return true;
}

bool CTavikInstallDlg::InstallXpDrivers() {
    const std::wstring folder = installFolder_ + InstallRecord::kDriverFolderXp;
    return InstallRecord::RunProgramAndWait(folder + InstallRecord::kDpinstName,
                                            InstallRecord::kDpinstInstallParameters, folder, SW_SHOWNORMAL,
                                            kPackageWaitMs, stopEvent_);
}

bool CTavikInstallDlg::WriteUninstallKey() {
    return InstallRecord::WriteUninstallValues(installFolder_, payloadSize_ >> 10);
}
