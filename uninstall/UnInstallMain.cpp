// UnInstall.exe: "/q" uninstalls without a window (the installer clears an
// earlier installation this way), "/u" shows the uninstall window, and any
// other start hands over to a copy in the temporary folder (SelfRelaunch.h).
#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>

#include "Installation.h"
#include "SelfRelaunch.h"
#include "ShadowWindow.h"
#include "SingleInstance.h"
#include "UnInstallDlg.h"
#include "WindowManager.h"

namespace {

const wchar_t kQuietArgument[] = L"/q";
// How long a copy started by another uninstaller waits for it to end.
const DWORD kParentEndWaitMs = 10000;
// How long a closed window waits for its stopped worker: a file move of the
// shell in progress is not cut short.
const DWORD kStopWaitMs = 10000;

// Shows the window until it closes. Without a window, a fault already known
// is still said, in a message box.
void RunWindow(TavikUninstall::CUnInstallDlg& window) {
    if (window.CreateNativeWindow(nullptr, TavikUninstall::kWindowName,
                                  WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
                                  WS_EX_WINDOWEDGE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT)) {
        window.RunModal();
    } else if (window.Faults() != 0) {
        MessageBoxW(nullptr, TavikUninstall::UninstallFaultLines(window.Faults()).c_str(), L"tavik刷机小助手",
                    MB_OK | MB_ICONWARNING);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    using namespace TavikUninstall;
    Sleep(500);
    const wchar_t* arguments = commandLine ? commandLine : L"";
    std::wstring handedFolder;
    const bool windowMode = ReadWindowModeArguments(arguments, handedFolder);
    // The parent that started this copy still holds the single-instance
    // name until it ends; without the wait the copy would give way to it.
    if (windowMode) {
        WaitForStartingUninstaller(kParentEndWaitMs);
    }
    if (!TavikUI::ActivateRunningInstance(kInstanceName)) {
        return 0;
    }

    TavikUI::CShadowWindow::RegisterShadowWindowClass(instance);
    TavikUI::CWindowManager::SetModuleInstance(instance);
    TavikUI::CWindowManager::SetResourceFolder(TavikUI::CWindowManager::ModuleFolder().Text());

    auto window = std::make_unique<CUnInstallDlg>();
    int exitCode = 0;
    if (wcscmp(arguments, kQuietArgument) == 0) {
        // It removes the installation whose list names it (the installer
        // runs the earlier one's this way) and nothing when none does: an
        // uninstaller left behind must not take the installation registered
        // since.
        const TavikUI::CWideString own = OwnInstallationFolder();
        window->SetInstallFolder(own);
        exitCode = !own.IsEmpty() && window->DoUninstall() ? 0 : 1;
    } else if (windowMode) {
        // Started inside the installation it is to remove ("/u" from the
        // installation folder), it hands over as a plain start does, so that
        // its copy removes the folder, this file included.
        const InstallRecord::CInstallation chosen = handedFolder.empty() ? InstallRecord::CInstallation::Registered()
                                                                         : InstallRecord::CInstallation(handedFolder);
        if (chosen.IsIntact() && StandsInside(chosen.Folder()) &&
            !HandOverToTemporaryCopy(TavikUI::CWideString(chosen.Folder().c_str()), window->Handle())) {
            window->SetStartFault(kFaultNotStarted);
        }
        window->SetInstallFolder(TavikUI::CWideString(handedFolder.c_str()));
        RunWindow(*window);
    } else if (!RelaunchFromTemp(window->Handle())) {
        window->SetStartFault(kFaultNotStarted);
        RunWindow(*window);
    }
    // The window object goes only after its worker has ended; otherwise the
    // process ends around both.
    if (!window->StopWorker(kStopWaitMs)) {
        window.release();
    }
    // The copy in the temporary folder leaves nothing behind.
    if (IsTemporaryCopy()) {
        RemoveAtRestart(RunningProgramPath());
    }
    return exitCode;
}
