// The install sequence, run on the install thread. It ends on the finish page
// when every step succeeded and on the failure page otherwise. Once the
// payload is unpacked, even in part, and the drivers are installed, the tool
// is registered for uninstalling, so that whatever got written can be removed
// again.
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <initializer_list>

#include "FaultLines.h"
#include "InstallFolderRule.h"
#include "InstallPaths.h"
#include "InstallRecord.h"
#include "Installation.h"
#include "Removal.h"
#include "Shortcut.h"
#include "SingleInstance.h"
#include "StartedProgram.h"
#include "TavikInstallDlg.h"
#include "WindowManager.h"
#include "ZipArchive.h"
#include "ZipTargetPath.h"

namespace {

const wchar_t kPayloadResourceType[] = L"ZIP_RES";
constexpr WORD kPayloadResourceId = 111;

const InstallRecord::FaultLine kInstallFaultLines[] = {
    {TavikSetup::kFaultInstallFolder, L"安装目录无效，请重新选择安装目录。"},
    {TavikSetup::kFaultEarlierInstallation, L"旧版本未能卸载，请先卸载旧版本后重新安装。"},
    {TavikSetup::kFaultPayload, L"安装包未能解压，请确认临时文件夹可以写入。"},
    {TavikSetup::kFaultFiles, L"部分文件未能写入，请关闭正在运行的 tavik刷机小助手 后重新安装。"},
    {TavikSetup::kFaultSystemFiles, L"系统驱动文件未能复制。"},
    {TavikSetup::kFaultShortcuts, L"快捷方式未能创建。"},
    {TavikSetup::kFaultDrivers, L"驱动未能安装。"},
    {TavikSetup::kFaultXpComponents, L"系统组件未能安装。"},
    {TavikSetup::kFaultRegistration, L"卸载信息未能写入注册表。"},
    {TavikSetup::kFaultNotStarted, L"安装未能开始，请重新运行安装程序。"},
    {TavikSetup::kFaultUninstallerRunning, L"卸载程序正在运行，请关闭卸载程序后重新安装。"},
};

std::wstring TemporaryFolder() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// What a list the install folder already holds (an uninstall that could not
// finish kept it) names, still there and not among `written`: the new list
// names it too, so that it can still be removed.
std::vector<std::wstring> KeptEntries(const InstallRecord::CInstallation& kept,
                                      const std::vector<std::wstring>& written) {
    std::vector<std::wstring> entries;
    for (const std::wstring& path : kept.Listed()) {
        bool listed = false;
        for (const std::wstring& item : written) {
            listed = listed || InstallRecord::IsSamePath(item, path);
        }
        if (!listed && InstallRecord::PathExists(InstallRecord::WithoutFinalSeparators(path))) {
            entries.push_back(path);
        }
    }
    return entries;
}

// The folders above `folder` that are not there yet, nearest first: the
// install creates them, and its uninstall removes them again when empty.
std::vector<std::wstring> MissingFoldersAbove(const std::wstring& folder) {
    std::vector<std::wstring> missing;
    std::wstring path = InstallRecord::WithoutFinalSeparators(folder);
    for (size_t slash = path.rfind(L'\\'); slash != std::wstring::npos; slash = path.rfind(L'\\')) {
        path.resize(slash);
        if (InstallRecord::IsRootOrEmptyPath(path.c_str()) || InstallRecord::PathExists(path)) {
            break;
        }
        missing.push_back(path + L"/");
    }
    return missing;
}

// True when `above` is a folder that `folder` lies below.
bool IsFolderAbove(const std::wstring& above, const std::wstring& folder) {
    const std::wstring prefix = InstallRecord::NormalisedFolder(above);
    return folder.size() > prefix.size() && _wcsnicmp(folder.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// The folders above `folder` that this install or an earlier one created
// and that are still there, each once.
std::vector<std::wstring> CreatedFoldersAbove(const std::wstring& folder,
                                              std::initializer_list<const std::vector<std::wstring>*> sources) {
    std::vector<std::wstring> folders;
    for (const std::vector<std::wstring>* source : sources) {
        for (const std::wstring& above : *source) {
            const bool known = std::any_of(folders.begin(), folders.end(), [&above](const std::wstring& listed) {
                return InstallRecord::IsSamePath(listed, above);
            });
            if (!known && IsFolderAbove(above, folder) && InstallRecord::IsExistingFolder(above)) {
                folders.push_back(above);
            }
        }
    }
    return folders;
}

}  // namespace

namespace TavikSetup {

std::wstring InstallFaultLines(uint32_t faults, const std::wstring& stayingLine) {
    return InstallRecord::FaultLines(faults, kInstallFaultLines, stayingLine);
}

void CTavikInstallDlg::DoInstall() {
    PostToWindow(kShowPageMessage, kInstallingPage);
    ShowFinishPage(RunInstallSteps());
}

bool CTavikInstallDlg::Fail(InstallFault fault) {
    faults_ |= fault;
    return false;
}

bool CTavikInstallDlg::RunInstallSteps() {
    if (TavikUI::FindRunningInstanceWindow(InstallRecord::kUninstallerInstanceName) != nullptr) {
        return Fail(kFaultUninstallerRunning);
    }
    ReadInstallFolder();
    // Refused before anything is written or removed: a relative folder
    // would land wherever the installer happens to run.
    if (!InstallFolderRule::IsUsableInstallFolder(installFolder_)) {
        return Fail(kFaultInstallFolder);
    }
    if (InstallRecord::ReadInstalledVersion() != 0 && !RunOldUninstaller()) {
        return Fail(kFaultEarlierInstallation);
    }
    if (StopRequested()) {
        return false;
    }
    if (!ExtractPayloadZip()) {
        return Fail(kFaultPayload);
    }
    createdAbove_ = MissingFoldersAbove(installFolder_);
    SHCreateDirectoryExW(nullptr, installFolder_.c_str(), nullptr);
    const bool unpacked = UnzipPayload();
    DeleteFileW(temporaryZipPath_.c_str());
    if (!unpacked || StopRequested()) {
        return false;
    }
    // From here on a failed step still lets the later ones run.
    if (!CopyMtpSystemFiles()) {
        Fail(kFaultSystemFiles);
    }
    if (!CreateShortcuts()) {
        Fail(kFaultShortcuts);
    }
    // Without the drivers nothing is registered: the uninstaller's driver
    // removal would fail the same way. The uninstaller left in the folder
    // still removes what was written, through the list beside it.
    if (!InstallDrivers()) {
        return Fail(kFaultDrivers);
    }
    if (StopRequested()) {
        return false;
    }
    if (InstallRecord::IsPreVistaWindows()) {
        if (!InstallXpMtpComponents()) {
            Fail(kFaultXpComponents);
        }
        PauseUnlessStopped(1000);
        if (!InstallXpDrivers()) {
            Fail(kFaultDrivers);
        }
    }
    if (StopRequested()) {
        return false;
    }
    if (!WriteUninstallKey()) {
        Fail(kFaultRegistration);
    }
    return faults_ == 0;
}

void CTavikInstallDlg::ShowFinishPage(bool completed) {
    installCompleted_ = completed;
    PostToWindow(kShowPageMessage, completed ? kFinishPage : kFailedPage);
}

bool CTavikInstallDlg::RunOldUninstaller() {
    const InstallRecord::CInstallation earlierInstallation = InstallRecord::CInstallation::Registered();
    const std::wstring uninstaller = InstallRecord::ReadUninstallString();
    if (uninstaller.empty()) {
        return false;
    }
    // The earlier installation's folder is gone (removed by hand): there is
    // nothing to run, and this install writes the registration anew. One on
    // a drive that is not connected is not gone: it cannot be started.
    if (earlierInstallation.Registration() == InstallRecord::CInstallation::RegistrationState::kStale) {
        return true;
    }
    // The temporary folder: it exists, and the earlier uninstaller is about to
    // remove its own folder, which must not be its working folder. In a job,
    // so that ending it ends the driver installer it runs too.
    InstallRecord::CStartedProgram earlier;
    if (!earlier.StartInJob(uninstaller, L" /q", TemporaryFolder(), SW_HIDE)) {
        return false;
    }
    // Left running after its wait or a close of the window, it would remove
    // what this install (or a later one into the same folder) puts down,
    // and its driver installer would run beside this install's.
    const InstallRecord::CStartedProgram::WaitResult waited = earlier.Wait(waits_.earlierUninstallerMs, stopEvent_);
    if (waited != InstallRecord::CStartedProgram::WaitResult::kEnded && !earlier.End(waits_.endEarlierUninstallerMs)) {
        return false;
    }
    PauseUnlessStopped(waits_.afterUninstallerMs);
    // Cleared also when the window closed meanwhile: once its uninstaller
    // has ended, what it left would otherwise stay for good.
    const bool cleared = ClearEarlierFolder(earlierInstallation.Folder());
    return cleared && !StopRequested();
}

bool CTavikInstallDlg::ClearEarlierFolder(const std::wstring& earlierFolder) {
    // Its list, when there is one, names nothing but the uninstaller any
    // more: a "/q" run cannot remove its own file, and one cut short after
    // the list went leaves only that file. Anything else still there, or a
    // damaged list, and the earlier installation is not gone.
    const InstallRecord::CInstallation earlier(earlierFolder);
    if (earlier.List() != InstallRecord::CInstallation::ListState::kMissing && !earlier.HoldsOnlyItsUninstaller()) {
        return false;
    }
    const std::wstring uninstaller = earlier.Uninstaller();
    const std::wstring list = earlier.ListPath();
    for (const std::wstring& path : {uninstaller, list}) {
        if (!InstallRecord::RemoveWithinBound(path, [&path] { return DeleteFileW(path.c_str()) != FALSE; })) {
            stayingLine_ = InstallRecord::StayingPathLine(path);
            return false;
        }
    }
    if (InstallRecord::IsFolderEmpty(earlier.Folder())) {
        RemoveDirectoryW(earlier.Folder().c_str());
    }
    earlier.RemoveEmptyFoldersAbove();
    // Those still there (the user's files keep them) stay known as the
    // product's when this install goes below them.
    earlierCreatedAbove_ = earlier.CreatedAbove();
    return true;
}

// The folder in the one form the list and the registration keep, whatever
// separators the user typed. A folder in use gets the sub-folder as a folder
// chosen in the dialog does; a refused folder stays as it is, to be refused.
void CTavikInstallDlg::ReadInstallFolder() {
    installFolder_ = InstallRecord::NormalisedFolder(folderFieldText_);
    if (InstallFolderRule::IsUsableInstallFolder(installFolder_)) {
        installFolder_ =
            InstallFolderRule::FolderForChoice(installFolder_, InstallFolderRule::IsFolderInUse(installFolder_));
    }
}

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
    if (!whole) {
        DeleteFileW(temporaryZipPath_.c_str());
    }
    return whole;
}

bool CTavikInstallDlg::UnzipPayload() {
    TavikUI::HZIPARCHIVE archive = TavikUI::ZipArchiveOpen(temporaryZipPath_.c_str(), 0, TavikUI::ZIP_KIND_FILE);
    if (!archive) {
        Fail(kFaultPayload);
        return false;
    }
    // Read before the new list replaces it.
    const InstallRecord::CInstallation kept(installFolder_);
    InstallRecord::CFileListWriter list;
    TavikUI::ZipArchiveEntry summary = {};
    const bool listed = list.Open(installFolder_ + InstallRecord::kFileListName);
    if (!listed || TavikUI::ZipArchiveGetItem(archive, -1, &summary) != TavikUI::ZIP_OK || summary.index <= 0) {
        TavikUI::ZipArchiveClose(archive);
        Fail(listed ? kFaultPayload : kFaultFiles);
        return false;
    }
    // An item that cannot be written is skipped and the next one tried.
    bool whole = true;
    std::vector<std::wstring> written;
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
        if (name.back() != L'/' && InstallRecord::IsExistingFile(path) && !kept.Names(path)) {
            // Somebody's own file: neither overwritten nor listed.
            whole = false;
            continue;
        }
        bool extracted = false;
        if (name.back() == L'/') {
            SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
            extracted = InstallRecord::IsExistingFolder(path);
        } else {
            // The reader creates the item's folders below the install folder.
            TavikUI::CreateFolderPath(installFolder_, TavikUI::ZipFolderPartOf(name));
            extracted = TavikUI::ZipArchiveExtractItem(archive, index, const_cast<wchar_t*>(path.c_str()), 0,
                                                       TavikUI::ZIP_KIND_FILE) == TavikUI::ZIP_OK;
        }
        // Listed whether or not it came out whole: a part may be on disk.
        written.push_back(path);
        whole = list.Append(path) && extracted && whole;
    }
    for (const std::wstring& path : KeptEntries(kept, written)) {
        whole = list.Append(path) && whole;
    }
    // The uninstall removes these once it leaves them empty.
    for (const std::wstring& folder :
         CreatedFoldersAbove(installFolder_, {&createdAbove_, &kept.CreatedAbove(), &earlierCreatedAbove_})) {
        whole = list.Append(folder) && whole;
    }
    whole = list.Finish() && whole;
    TavikUI::ZipArchiveClose(archive);
    if (!whole) {
        Fail(kFaultFiles);
    }
    return true;
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
    bool created =
        !desktop.empty() && InstallRecord::CreateShortcut(tool, desktop + L"\\" + InstallRecord::kToolShortcutName);
    const std::wstring programs = InstallRecord::SpecialFolder(CSIDL_PROGRAMS);
    if (programs.empty()) {
        created = false;
    } else {
        const std::wstring folder = programs + L"\\" + InstallRecord::kProgramsProductFolder;
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        created = InstallRecord::CreateShortcut(installFolder_ + L"UnInstall.exe",
                                                folder + InstallRecord::kUninstallShortcutName) &&
                  created;
        created = InstallRecord::CreateShortcut(tool, folder + InstallRecord::kToolShortcutName) && created;
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
