#include "UnInstallSteps.h"

#include "InstallRecord.h"

namespace TavikUninstall {

TavikUI::CWideString ReadInstallFolder() {
    return TavikUI::CWideString(InstallRecord::ReadRegisteredInstallFolder().c_str());
}

bool DeleteUninstallValues() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath, 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
        return false;
    }
    bool deleted = true;
    for (const wchar_t* name : InstallRecord::kUninstallValueNames) {
        if (RegDeleteValueW(key, name) != ERROR_SUCCESS) {
            deleted = false;
            break;
        }
    }
    RegCloseKey(key);
    return deleted;
}

bool RunDpinstUninstall(const wchar_t* installerPath, const wchar_t* packagePath, HANDLE stop) {
    return InstallRecord::RunProgramAndWait(installerPath, InstallRecord::DpinstRemoveParameters(packagePath),
                                            std::wstring(), SW_SHOWNORMAL, kDpinstWaitMs, stop);
}

bool RemoveDriverPackages(const TavikUI::CWideString& installFolder, const wchar_t* driverFolder,
                          const wchar_t* installerFolder, const wchar_t* const* packages, size_t packageCount,
                          HANDLE stop) {
    TavikUI::CWideString installer = installFolder.ConcatText(installerFolder);
    installer.AppendText(InstallRecord::kDpinstName);
    const TavikUI::CWideString packageFolder = installFolder.ConcatText(driverFolder);
    for (size_t i = 0; i < packageCount; ++i) {
        const TavikUI::CWideString package = packageFolder.ConcatText(packages[i]);
        if (!RunDpinstUninstall(installer.Text(), package.Text(), stop)) {
            return false;
        }
        if (stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) {
            return false;
        }
    }
    return true;
}

}  // namespace TavikUninstall
