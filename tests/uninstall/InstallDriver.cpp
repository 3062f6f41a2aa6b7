// Installs the product with the real installer, as a user who keeps the
// default install folder or, given one on the command line, types that
// folder: the installer's window with its skin and payload resources, a
// click on its install button, then the wait for the finish page. The uninstaller's tests run it before each uninstall;
// exit code 0 when the install ran to its end and every step succeeded.
#include <windows.h>

#include <objbase.h>

#include "ControlUI.h"
#include "MessagePump.h"
#include "ShadowWindow.h"
#include "TavikInstallDlg.h"
#include "WindowManager.h"

namespace {

using TavikSetup::CTavikInstallDlg;

const DWORD kInstallWaitMs = 120000;

using testsupport::PumpPending;

void ClickControl(CTavikInstallDlg& window, const wchar_t* name) {
    TavikUI::CControlUI* control = window.Manager().FindControlByName(name);
    if (!control) {
        return;
    }
    const RECT rect = control->Rect();
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    window.SendToWindow(WM_MOUSEMOVE, 0, at);
    window.SendToWindow(WM_LBUTTONDOWN, MK_LBUTTON, at);
    window.SendToWindow(WM_LBUTTONUP, 0, at);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR typedFolder, int) {
    CoInitialize(nullptr);
    TavikUI::CShadowWindow::RegisterShadowWindowClass(instance);
    TavikUI::CWindowManager::SetModuleInstance(instance);
    TavikUI::CWindowManager::SetResourceFolder(TavikUI::CWindowManager::ModuleFolder().Text());

    int result = 1;
    {
        CTavikInstallDlg window;
        const HWND handle = window.CreateNativeWindow(nullptr, L"tavikInstallDlg", 0x10CE0000, 0x100, CW_USEDEFAULT,
                                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
        if (handle) {
            // The controls have their places once the window has painted.
            UpdateWindow(handle);
            PumpPending();
            TavikUI::CControlUI* field = window.Manager().FindControlByName(L"SelectSoftPathEdit");
            if (field && typedFolder && typedFolder[0]) {
                field->SetText(typedFolder);
            }
            ClickControl(window, L"StartInstallBtn");
            testsupport::PumpUntil([&window] { return window.InstallFinished(); }, kInstallWaitMs);
            if (window.InstallFinished() && window.InstallCompleted()) {
                result = 0;
            }
            window.StopInstall(30000);
            DestroyWindow(handle);
        }
    }
    CoUninitialize();
    return result;
}
