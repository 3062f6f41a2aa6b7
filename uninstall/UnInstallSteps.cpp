#include "UnInstallSteps.h"

#include "InstallPaths.h"
#include "InstallRecord.h"
#include "StartedProgram.h"

namespace TavikUninstall {

bool DeleteUninstallValues() {
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath, 0, KEY_WRITE, &key);
    if (opened == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    if (opened != ERROR_SUCCESS) {
        return false;
    }
    bool deleted = true;
    for (const wchar_t* name : InstallRecord::kUninstallValueNames) {
        const LONG result = RegDeleteValueW(key, name);
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
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
    // Without its driver installer (an earlier run already removed it) there
    // is nothing this uninstaller can run.
    if (!InstallRecord::PathExists(installer.Text())) {
        return true;
    }
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
