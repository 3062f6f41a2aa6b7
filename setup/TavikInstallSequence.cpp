// The install sequence, run on the install thread. It ends on the finish page
// when every step succeeded and on the failure page otherwise. Once the
// payload is unpacked, even in part, and the drivers are installed, the tool
// is registered for uninstalling, so that whatever got written can be removed
// again.
#include <shlobj.h>
#include <shobjidl.h>

#include "InstallFolderRule.h"
#include "InstallPaths.h"
#include "InstallRecord.h"
#include "Shortcut.h"
#include "TavikInstallDlg.h"
#include "WindowManager.h"
#include "ZipArchive.h"
#include "ZipTargetPath.h"

namespace {

const wchar_t kPayloadResourceType[] = L"ZIP_RES";
constexpr WORD kPayloadResourceId = 111;

std::wstring TemporaryFolder() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

}  // namespace

namespace TavikSetup {

void CTavikInstallDlg::DoInstall() {
    PostToWindow(kShowPageMessage, kInstallingPage);
    ShowFinishPage(RunInstallSteps());
}

bool CTavikInstallDlg::RunInstallSteps() {
    ReadInstallFolder();
    // Refused before anything is written or removed: a relative folder
    // would land wherever the installer happens to run.
    if (!InstallFolderRule::IsUsableInstallFolder(installFolder_)) {
        return false;
    }
    if (InstallRecord::ReadInstalledVersion() != 0 && !RunOldUninstaller()) {
        return false;
    }
    if (StopRequested() || !ExtractPayloadZip()) {
        return false;
    }
    SHCreateDirectoryExW(nullptr, installFolder_.c_str(), nullptr);
    const Unpacked unpacked = UnzipPayload();
    DeleteFileW(temporaryZipPath_.c_str());
    if (unpacked == Unpacked::kNothing || StopRequested()) {
        return false;
    }
    // From here on a failed step still lets the later ones run.
    bool completed = unpacked == Unpacked::kWhole;
    completed = CopyMtpSystemFiles() && completed;
    completed = CreateShortcuts() && completed;
    // Without the drivers nothing is registered: the uninstaller's driver
    // removal would fail the same way.
    if (!InstallDrivers() || StopRequested()) {
        return false;
    }
    if (InstallRecord::IsPreVistaWindows()) {
        completed = InstallXpMtpComponents() && completed;
        PauseUnlessStopped(1000);
        completed = InstallXpDrivers() && completed;
    }
    if (StopRequested()) {
        return false;
    }
    return WriteUninstallKey() && completed;
}

void CTavikInstallDlg::ShowFinishPage(bool completed) {
    installCompleted_ = completed;
    PostToWindow(kShowPageMessage, completed ? kFinishPage : kFailedPage);
}

bool CTavikInstallDlg::RunOldUninstaller() {
    const std::wstring uninstaller = InstallRecord::ReadUninstallString();
    if (uninstaller.empty()) {
        return false;
    }
    // The temporary folder: it exists, and the earlier uninstaller is about to
    // remove its own folder, which must not be its working folder.
    if (!InstallRecord::RunProgramAndWait(uninstaller, L" /q", TemporaryFolder(), SW_HIDE, waits_.earlierUninstallerMs,
                                          stopEvent_)) {
        return false;
    }
    PauseUnlessStopped(waits_.afterUninstallerMs);
    return !StopRequested();
}

void CTavikInstallDlg::ReadInstallFolder() { installFolder_ = InstallRecord::WithFinalBackSlash(folderFieldText_); }

bool CTavikInstallDlg::ExtractPayloadZip() {
    const std::wstring temporary = TemporaryFolder();
    if (temporary.empty()) {
        return false;
    }
    temporaryZipPath_ = temporary + L"tavik_Download.zip";
    const HINSTANCE module = TavikUI::CWindowManager::ResourceInstance();
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(kPayloadResourceId), kPayloadResourceType);
    const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    payloadSize_ = resource ? SizeofResource(module, resource) : 0;
    if (!bytes || payloadSize_ == 0) {
        return false;
    }
    HANDLE file = CreateFileW(temporaryZipPath_.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes, payloadSize_, &written, nullptr) && written == payloadSize_;
    CloseHandle(file);
    return whole;
}

CTavikInstallDlg::Unpacked CTavikInstallDlg::UnzipPayload() {
    TavikUI::HZIPARCHIVE archive = TavikUI::ZipArchiveOpen(temporaryZipPath_.c_str(), 0, TavikUI::ZIP_KIND_FILE);
    if (!archive) {
        return Unpacked::kNothing;
    }
    InstallRecord::CFileListWriter list;
    TavikUI::ZipArchiveEntry summary = {};
    if (!list.Open(installFolder_ + InstallRecord::kFileListName) ||
        TavikUI::ZipArchiveGetItem(archive, -1, &summary) != TavikUI::ZIP_OK || summary.index <= 0) {
        TavikUI::ZipArchiveClose(archive);
        return Unpacked::kNothing;
    }
    // An item that cannot be written is skipped and the next one tried.
    bool whole = true;
    for (int32_t index = 0; index < summary.index && !StopRequested(); ++index) {
        TavikUI::ZipArchiveEntry item = {};
        if (TavikUI::ZipArchiveGetItem(archive, index, &item) != TavikUI::ZIP_OK ||
            !InstallFolderRule::IsItemNameInsideFolder(item.name)) {
            // Never listed: the uninstaller would remove what the name
            // points at.
            whole = false;
            continue;
        }
        const std::wstring name = item.name;
        const std::wstring path = installFolder_ + name;
        bool written = false;
        if (name.back() == L'/') {
            SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
            written = InstallRecord::IsExistingFolder(path);
        } else {
            // The reader creates the item's folders below the install folder.
            TavikUI::CreateFolderPath(installFolder_, TavikUI::ZipFolderPartOf(name));
            written = TavikUI::ZipArchiveExtractItem(archive, index, const_cast<wchar_t*>(path.c_str()), 0,
                                                     TavikUI::ZIP_KIND_FILE) == TavikUI::ZIP_OK;
        }
        // Listed whether or not it came out whole: a part may be on disk.
        whole = list.Append(path) && written && whole;
    }
    whole = list.Finish() && whole && !StopRequested();
    TavikUI::ZipArchiveClose(archive);
    return whole ? Unpacked::kWhole : Unpacked::kPartly;
}

// True when both system files are in place, put there now or before.
bool CTavikInstallDlg::CopyMtpSystemFiles() {
    const std::wstring mtp = installFolder_ + InstallRecord::kDriverFolderMtp;
    const wchar_t inf[] = L"C:\\Windows\\inf\\mdmcdp.inf";
    const bool infInPlace = InstallRecord::PathExists(inf) || CopyFileW((mtp + L"mdmcdp.inf").c_str(), inf, TRUE);
    const wchar_t sys[] = L"C:\\Windows\\system32\\drivers\\usbser.sys";
    const bool sysInPlace = InstallRecord::PathExists(sys) || CopyFileW((mtp + L"usbser.sys").c_str(), sys, TRUE);
    return infInPlace && sysInPlace;
}

// Every link is tried; true when all three were saved.
bool CTavikInstallDlg::CreateShortcuts() {
    const std::wstring tool = installFolder_ + InstallRecord::kToolExeName;
    const std::wstring desktop = InstallRecord::SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    bool created = !desktop.empty() && CreateShortcut(tool, desktop + L"\\" + InstallRecord::kToolShortcutName);
    const std::wstring programs = InstallRecord::SpecialFolder(CSIDL_PROGRAMS);
    if (programs.empty()) {
        created = false;
    } else {
        const std::wstring folder = programs + L"\\" + InstallRecord::kProgramsProductFolder;
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        created = CreateShortcut(installFolder_ + L"UnInstall.exe", folder + InstallRecord::kUninstallShortcutName) &&
                  created;
        created = CreateShortcut(tool, folder + InstallRecord::kToolShortcutName) && created;
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return created;
}

bool CTavikInstallDlg::InstallDrivers() {
    const std::optional<bool> wow64 = InstallRecord::QueryRunsUnderWow64();
    if (!wow64) {
        return false;
    }
    const std::wstring folder = installFolder_ + InstallRecord::DriverFolderFor(*wow64);
    return InstallRecord::RunProgramAndWait(folder + InstallRecord::kDpinstName,
                                            InstallRecord::kDpinstInstallParameters, folder, SW_SHOWNORMAL,
                                            waits_.packageMs, stopEvent_);
}

bool CTavikInstallDlg::InstallXpMtpComponents() {
    const std::wstring mtp = installFolder_ + L"Driver\\Mtp\\";
    for (const wchar_t* package : {L"umdf.exe", L"wmfdist11.exe", L"WindowsXP-KB959765-x86-CHS.exe"}) {
        if (!InstallRecord::RunProgramAndWait(mtp + package, L" /quiet /norestart ", installFolder_, SW_HIDE,
                                              waits_.packageMs, stopEvent_)) {
            return false;
        }
    }
    return true;
}

bool CTavikInstallDlg::InstallXpDrivers() {
    const std::wstring folder = installFolder_ + InstallRecord::kDriverFolderXp;
    return InstallRecord::RunProgramAndWait(folder + InstallRecord::kDpinstName,
                                            InstallRecord::kDpinstInstallParameters, folder, SW_SHOWNORMAL,
                                            waits_.packageMs, stopEvent_);
}

bool CTavikInstallDlg::WriteUninstallKey() {
    return InstallRecord::WriteUninstallValues(installFolder_, payloadSize_ >> 10);
}

}  // namespace TavikSetup
