// The uninstall sequence of CUnInstallDlg: registration, drivers, installed
// files, shortcuts. It runs on the worker thread (window mode) or on the main
// thread ("/q") and touches no control.
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "InstallRecord.h"
#include "PathRemoval.h"
#include "UnInstallDlg.h"
#include "UninstallSteps.h"

namespace TavikUninstall {

using TavikUI::CWideString;

namespace {

bool IsFolderItem(const std::wstring& path) {
    return !path.empty() && (path.back() == L'/' || path.back() == L'\\');
}

// The folder as the emptiness check takes it: one final back slash.
std::wstring FolderWithBackSlash(std::wstring folder) {
    while (IsFolderItem(folder)) folder.pop_back();
    return folder + L'\\';
}

// An existing folder that holds nothing, inside the install folder.
bool IsRemovableFolder(const std::wstring& folder, const CWideString& installFolder) {
    return IsInsideFolder(folder.c_str(), installFolder.Text()) && IsExistingFolder(folder.c_str()) &&
           InstallRecord::IsFolderEmpty(FolderWithBackSlash(folder));
}

// An existing folder that holds nothing; never a drive root.
bool IsRemovableOwnFolder(const CWideString& folder) {
    return !IsDriveRoot(folder.Text()) && IsExistingFolder(folder.Text()) &&
           InstallRecord::IsFolderEmpty(FolderWithBackSlash(folder.Text()));
}

CWideString SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return CWideString();
    return CWideString(path);
}

}  // namespace

bool CUnInstallDlg::DoUninstall() {
    installFolder_ = ReadInstallFolder();
    if (installFolder_.IsEmpty()) return false;
    if (!DeleteUninstallValues()) return false;
    if (!UninstallDrivers()) return false;
    if (InstallRecord::IsPreVistaWindows()) UninstallXpDrivers();
    DeleteInstalledFiles();
    return true;
}

bool CUnInstallDlg::UninstallDrivers() {
    const std::optional<bool> underWow64 = InstallRecord::QueryRunsUnderWow64();
    if (!underWow64) return false;
    const wchar_t* folder = InstallRecord::DriverFolderFor(*underWow64);
    return RemoveDriverPackages(installFolder_, folder, folder, InstallRecord::kDriverPackages,
                                std::size(InstallRecord::kDriverPackages));
}

bool CUnInstallDlg::UninstallXpDrivers() {
    // The pre-Vista packages are removed with the x86 folder's installer.
    return RemoveDriverPackages(installFolder_, InstallRecord::kDriverFolderXp, InstallRecord::kDriverFolderX86,
                                InstallRecord::kXpDriverPackages, std::size(InstallRecord::kXpDriverPackages));
}

void CUnInstallDlg::DeleteInstalledFiles() {
    DeleteListedFiles(installFolder_);
    if (IsRemovableOwnFolder(installFolder_)) DeletePath(installFolder_.Text(), operationOwner_);
    DeleteShortcuts();
}

void CUnInstallDlg::DeleteListedFiles(const CWideString& installFolder) {
    const CWideString listPath = installFolder.ConcatText(InstallRecord::kFileListName);
    const std::optional<std::vector<std::wstring>> listed = InstallRecord::ReadFileList(listPath.Text());
    if (!listed) return;

    // Files first: a folder goes only once it is empty, so anything of the
    // user's inside it keeps it. Only what lies inside the install folder is
    // touched, whatever the list says.
    std::vector<std::wstring> folders;
    for (const std::wstring& path : *listed) {
        if (!IsInsideFolder(path.c_str(), installFolder.Text())) continue;
        if (IsFolderItem(path) || IsExistingFolder(path.c_str())) {
            folders.push_back(path);
        } else {
            DeletePath(path.c_str(), operationOwner_);
        }
    }
    // Deeper folders first: a sub-folder's path is longer than its parent's.
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& folder : folders) {
        if (IsRemovableFolder(folder, installFolder)) DeletePath(folder.c_str(), operationOwner_);
    }
    DeletePath(listPath.Text(), operationOwner_);
}

void CUnInstallDlg::DeleteShortcuts() {
    const CWideString desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    if (!desktop.IsEmpty()) {
        CWideString link;
        link.FormatText(L"%s\\%s", desktop.Text(), InstallRecord::kToolShortcutName);
        DeletePath(link.Text(), operationOwner_);
    }
    const CWideString programs = SpecialFolder(CSIDL_PROGRAMS);
    if (programs.IsEmpty()) return;
    CWideString product;
    product.FormatText(L"%s\\%s", programs.Text(), InstallRecord::kProgramsProductFolder);
    DeletePath(product.ConcatText(InstallRecord::kUninstallShortcutName).Text(), operationOwner_);
    DeletePath(product.ConcatText(InstallRecord::kToolShortcutName).Text(), operationOwner_);
    // The folders only when nothing else is left in them: other programs of
    // the maker may keep their shortcuts there.
    if (IsRemovableOwnFolder(product)) DeletePath(product.Text(), operationOwner_);
    CWideString maker;
    maker.FormatText(L"%s\\%s", programs.Text(), InstallRecord::kProgramsMakerFolder);
    if (IsRemovableOwnFolder(maker)) DeletePath(maker.Text(), operationOwner_);
}

}  // namespace TavikUninstall
