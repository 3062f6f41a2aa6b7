// The uninstall sequence of CUnInstallDlg: registration, drivers, installed
// files, shortcuts. It runs on the worker thread (window mode) or on the main
// thread ("/q") and touches no control.
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "InstallPaths.h"
#include "InstallRecord.h"
#include "PathRemoval.h"
#include "Removal.h"
#include "SelfRelaunch.h"
#include "SingleInstance.h"
#include "UnInstallDlg.h"
#include "UnInstallSteps.h"

namespace TavikUninstall {

using TavikUI::CWideString;

namespace {

// Whether a path from the list is the installation's own: below the install
// folder as written and, once every link and junction is followed, below
// where the install folder really lies; never a link or junction itself,
// which the installer does not make. A path that does not exist is not.
class InstalledPathCheck {
public:
    explicit InstalledPathCheck(const CWideString& installFolder)
        : folder_(installFolder.Text()), resolvedFolder_(ResolvedPath(installFolder.Text()) + L"\\") {}

    bool Holds(const std::wstring& path) const {
        if (resolvedFolder_.size() < 2 || !IsInsideFolder(path.c_str(), folder_.c_str()) ||
            IsReparsePoint(path.c_str())) {
            return false;
        }
        const std::wstring resolved = ResolvedPath(path.c_str());
        return !resolved.empty() && IsInsideFolder(resolved.c_str(), resolvedFolder_.c_str());
    }

private:
    std::wstring folder_;
    std::wstring resolvedFolder_;
};

// An existing folder that holds nothing; never a drive root.
bool IsRemovableOwnFolder(const CWideString& folder) {
    return !InstallRecord::IsRootOrEmptyPath(folder.Text()) && InstallRecord::IsExistingFolder(folder.Text()) &&
           InstallRecord::IsFolderEmpty(InstallRecord::WithFinalBackSlash(folder.Text()));
}

CWideString SpecialFolder(int csidl) { return CWideString(InstallRecord::SpecialFolder(csidl).c_str()); }

}  // namespace

InstallRecord::CInstallation CUnInstallDlg::ChosenInstallation() const {
    return assignedFolder_.IsEmpty() ? InstallRecord::CInstallation::Registered()
                                     : InstallRecord::CInstallation(assignedFolder_.Text());
}

uint32_t CUnInstallDlg::InstallationFault(const InstallRecord::CInstallation& installation) {
    switch (installation.List()) {
    case InstallRecord::CInstallation::ListState::kIntact:
        return 0;
    case InstallRecord::CInstallation::ListState::kDamaged:
        return kFaultDamagedList;
    default:
        return kFaultNoInstallation;
    }
}

bool CUnInstallDlg::DoUninstall() {
    faults_ = 0;
    stayingLine_.clear();
    // Window mode only: the installer's own "/q" run is part of its
    // sequence.
    if (operationOwner_ && TavikUI::FindRunningInstanceWindow(InstallRecord::kInstallerInstanceName) != nullptr) {
        Fail(kFaultInstallerRunning);
        return false;
    }
    // Without a list that can be trusted nothing is touched: neither the
    // files nor the registration, which is the way to a later run.
    const InstallRecord::CInstallation installation = ChosenInstallation();
    if (const uint32_t fault = InstallationFault(installation)) {
        Fail(static_cast<UninstallFault>(fault));
        return false;
    }
    installFolder_ = CWideString(installation.Folder().c_str());
    // An installation in another folder registered since this one's values
    // went, or one on a drive that is not connected: its values stay, and so
    // do the drivers, which are the same packages and now that
    // installation's.
    using Registration = InstallRecord::CInstallation::RegistrationState;
    const Registration registration = installation.Registration();
    const bool registeredElsewhere = registration == Registration::kAnothers;
    // A failed driver removal keeps the driver folders (with the list and
    // this uninstaller), so that a later run can try again.
    if (!registeredElsewhere) {
        if (!UninstallDrivers()) {
            Fail(kFaultDrivers);
        }
        if (StopRequested()) {
            return false;
        }
        if (InstallRecord::IsPreVistaWindows() && !UninstallXpDrivers()) {
            Fail(kFaultDrivers);
        }
    }
    DeleteInstalledFiles(installation);
    // The values go last, and only with the list: while the list and the
    // uninstaller stay, the next installer and a later run find them through
    // the registration. What is left of a registration written only in part
    // goes too.
    if (!registeredElsewhere && !InstallRecord::PathExists(installation.ListPath()) && !DeleteUninstallValues()) {
        Fail(kFaultRegistration);
    }
    return faults_ == 0;
}

bool CUnInstallDlg::UninstallDrivers() {
    const std::optional<bool> underWow64 = InstallRecord::QueryRunsUnderWow64();
    if (!underWow64) {
        return false;
    }
    const wchar_t* folder = InstallRecord::DriverFolderFor(*underWow64);
    return RemoveDriverPackages(installFolder_, folder, folder, InstallRecord::kDriverPackages,
                                std::size(InstallRecord::kDriverPackages), stopEvent_);
}

bool CUnInstallDlg::UninstallXpDrivers() {
    // The pre-Vista packages are removed with the x86 folder's installer.
    return RemoveDriverPackages(installFolder_, InstallRecord::kDriverFolderXp, InstallRecord::kDriverFolderX86,
                                InstallRecord::kXpDriverPackages, std::size(InstallRecord::kXpDriverPackages),
                                stopEvent_);
}

void CUnInstallDlg::DeleteInstalledFiles(const InstallRecord::CInstallation& installation) {
    if (!DeleteListedFiles(installation, (faults_ & kFaultDrivers) != 0)) {
        Fail(kFaultFiles);
    }
    if (IsRemovableOwnFolder(installFolder_) && !IsReparsePoint(installFolder_.Text()) &&
        DeletePath(installFolder_.Text(), operationOwner_)) {
        installation.RemoveEmptyFoldersAbove();
    }
    if (!DeleteShortcuts(installation, InstallRecord::PathExists(installation.ListPath()))) {
        Fail(kFaultShortcuts);
    }
}

bool CUnInstallDlg::DeleteListedFiles(const InstallRecord::CInstallation& installation, bool keepDrivers) {
    const CWideString installFolder(installation.Folder().c_str());
    const CWideString listPath(installation.ListPath().c_str());
    std::vector<std::wstring> listed = installation.Listed();
    // The tool's log is no payload item, but the installation made its
    // folder and the tool wrote it.
    listed.push_back(installFolder.ConcatText(InstallRecord::kToolLogName).Text());

    // Files first: a folder goes only once it is empty, so anything of the
    // user's inside it keeps it. Only what is the installation's own is
    // touched, whatever the list says; a listed file that is now a folder is
    // somebody else's. The installed uninstaller goes last, and only with
    // everything else: a later run needs it and the list.
    const InstalledPathCheck installed(installFolder);
    const std::wstring uninstaller = installFolder.ConcatText(kUninstallerFileName).Text();
    const std::wstring drivers = installFolder.ConcatText(InstallRecord::kDriversFolder).Text();
    bool uninstallerListed = false;
    bool removed = true;
    bool kept = false;
    std::vector<std::wstring> folders;
    for (const std::wstring& path : listed) {
        if (InstallRecord::IsSamePath(path, uninstaller)) {
            uninstallerListed = true;
            continue;
        }
        if (keepDrivers &&
            (InstallRecord::IsSamePath(path, drivers) || IsInsideFolder(path.c_str(), drivers.c_str()))) {
            kept = true;
            continue;
        }
        if (!installed.Holds(path)) {
            continue;
        }
        const bool isFolder = InstallRecord::IsExistingFolder(path);
        if (InstallRecord::IsFolderItem(path)) {
            if (isFolder) {
                folders.push_back(path);
            }
        } else if (!isFolder && !DeletePath(path.c_str(), operationOwner_)) {
            NoteStaying(path);
            removed = false;
        }
    }
    // A running uninstaller cannot move its own file ("/q" from the install
    // folder): the installer that ran it removes it once it has ended.
    // The installed uninstaller has just run (it handed over to this copy):
    // the system may hold it a moment longer.
    const bool complete = removed && !kept;
    if (complete && uninstallerListed && installed.Holds(uninstaller) &&
        !InstallRecord::IsSamePath(uninstaller, RunningProgramPath()) &&
        !InstallRecord::RemoveWithinBound(uninstaller,
                                          [&] { return DeletePath(uninstaller.c_str(), operationOwner_); })) {
        NoteStaying(uninstaller);
        removed = false;
    }
    // Deeper folders first: a sub-folder's path is longer than its parent's.
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& folder : folders) {
        if (installed.Holds(folder) && InstallRecord::IsFolderEmpty(InstallRecord::WithFinalBackSlash(folder))) {
            DeletePath(folder.c_str(), operationOwner_);
        }
    }
    // The list goes only with the last of the installation: while the
    // uninstaller stays ("/q" cannot remove its own running file) the list
    // still names it, for the installer that ran it or a later run.
    if (!removed || kept || InstallRecord::PathExists(uninstaller)) {
        return removed;
    }
    return DeletePath(listPath.Text(), operationOwner_);
}

void CUnInstallDlg::NoteStaying(const std::wstring& path) {
    if (stayingLine_.empty()) {
        stayingLine_ = InstallRecord::StayingPathLine(path);
    }
}

bool CUnInstallDlg::DeleteShortcuts(const InstallRecord::CInstallation& installation, bool keepUninstallLink) {
    bool removed = true;
    const CWideString desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    if (!desktop.IsEmpty()) {
        CWideString link;
        link.FormatText(L"%s\\%s", desktop.Text(), InstallRecord::kToolShortcutName);
        removed = DeleteOwnShortcut(installation, link) && removed;
    }
    const CWideString programs = SpecialFolder(CSIDL_PROGRAMS);
    if (programs.IsEmpty()) {
        return removed;
    }
    CWideString product;
    product.FormatText(L"%s\\%s", programs.Text(), InstallRecord::kProgramsProductFolder);
    if (!keepUninstallLink) {
        removed = DeleteOwnShortcut(installation, product.ConcatText(InstallRecord::kUninstallShortcutName)) && removed;
    }
    removed = DeleteOwnShortcut(installation, product.ConcatText(InstallRecord::kToolShortcutName)) && removed;
    // The folders only when nothing else is left in them: other programs of
    // the maker may keep their shortcuts there.
    if (IsRemovableOwnFolder(product)) {
        DeletePath(product.Text(), operationOwner_);
    }
    CWideString maker;
    maker.FormatText(L"%s\\%s", programs.Text(), InstallRecord::kProgramsMakerFolder);
    if (IsRemovableOwnFolder(maker)) {
        DeletePath(maker.Text(), operationOwner_);
    }
    return removed;
}

bool CUnInstallDlg::DeleteOwnShortcut(const InstallRecord::CInstallation& installation, const CWideString& link) const {
    return !InstallRecord::PathExists(link.Text()) || !installation.IsOwnLink(link.Text()) ||
           DeletePath(link.Text(), operationOwner_);
}

}  // namespace TavikUninstall
