// UnInstall.exe: "/q" uninstalls without a window (the installer clears an
// earlier installation this way), "/u" shows the uninstall window, and any
// other start hands over to a copy in the temporary folder (SelfRelaunch.h).
#include <windows.h>

#include <cwchar>
#include <memory>

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

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    using namespace TavikUninstall;
    Sleep(500);
    const wchar_t* arguments = commandLine ? commandLine : L"";
    const bool windowMode = wcscmp(arguments, kWindowModeArgument) == 0;
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
    if (wcscmp(arguments, kQuietArgument) == 0) {
        window->DoUninstall();
    } else if (windowMode) {
        window->SetHandedOverInstallFolder(HandedOverInstallFolder());
        if (window->CreateNativeWindow(nullptr, kWindowName,
                                       WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
                                       WS_EX_WINDOWEDGE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT)) {
            window->RunModal();
        }
    } else {
        RelaunchFromTemp(window->Handle());
    }
    // The window object goes only after its worker has ended; otherwise the
    // process ends around both.
    if (!window->StopWorker(kStopWaitMs)) {
        window.release();
    }
    return 0;
}
