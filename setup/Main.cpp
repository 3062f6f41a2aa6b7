// tavikSetup: one running copy, the installer window from the skin in the
// program's resources, COM for the shortcuts.
#include <windows.h>

#include <objbase.h>

#include "ShadowWindow.h"
#include "SingleInstance.h"
#include "TavikInstallDlg.h"
#include "WindowManager.h"

namespace {

// How long a closing installer waits for a running install to reach its next
// step; a driver run in progress is not waited for to its end. An earlier
// uninstaller is ended and its folder cleared within it (each a few seconds
// at most).
constexpr DWORD kStopWaitMs = 15000;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace TavikSetup;
    if (!TavikUI::ActivateRunningInstance(kInstanceName)) {
        return 0;
    }
    CoInitialize(nullptr);
    TavikUI::CShadowWindow::RegisterShadowWindowClass(instance);
    TavikUI::CWindowManager::SetModuleInstance(instance);
    TavikUI::CWindowManager::SetResourceFolder(TavikUI::CWindowManager::ModuleFolder().Text());

    auto* window = new CTavikInstallDlg();
    window->CreateNativeWindow(nullptr, kWindowName, kWindowStyle, kWindowExStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT);
    window->RunModal();
    // The install thread uses the window object: it goes only once the
    // thread has ended. Otherwise the process ends around it.
    if (window->StopInstall(kStopWaitMs)) {
        delete window;
    }
    CoUninitialize();
    return 0;
}
