// Installs the product with the real installer, as a user who keeps the
// default install folder or, given one on the command line, types that
// folder: the installer's window with its skin and payload resources, a
// click on its install button, then the wait for the finish page. The uninstaller's tests run it before each uninstall;
// exit code 0 when the install ran to its end and every step succeeded.
// Two more uses, for a reinstall over the registered installation:
// "/close-after-earlier" closes the window in the pause after the earlier
// uninstaller's run, and "/hold <file>" holds that uninstaller's file open
// (readable, not deletable) until a moment after its run, as a virus
// scanner does.
#include <windows.h>

#include <objbase.h>

#include "ControlUI.h"
#include "InstallRecord.h"
#include "MessagePump.h"
#include "SetupTestSupport.h"
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

// Waits until a program of that file has run and ended; the window's
// messages go on meanwhile.
bool WaitForRunOf(const std::wstring& program) {
    HANDLE process = nullptr;
    testsupport::PumpUntil(
        [&] {
            const DWORD id = SetupTests::FindProcessByImage(program);
            return id && (process = OpenProcess(SYNCHRONIZE, FALSE, id)) != nullptr;
        },
        60000);
    const bool ended = process && testsupport::PumpUntil(
                                      [process] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 60000);
    if (process) {
        CloseHandle(process);
    }
    return ended;
}

const wchar_t kCloseAfterEarlier[] = L"/close-after-earlier";
const wchar_t kHold[] = L"/hold ";
// Beyond the installer's pause after the earlier uninstaller.
const DWORD kHoldAfterRunMs = 1500;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR typedFolder, int) {
    if (typedFolder && wcsncmp(typedFolder, kHold, wcslen(kHold)) == 0) {
        const std::wstring held = typedFolder + wcslen(kHold);
        HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool ran = file != INVALID_HANDLE_VALUE && WaitForRunOf(held);
        Sleep(kHoldAfterRunMs);
        CloseHandle(file);
        return ran ? 0 : 1;
    }
    const bool closeAfterEarlier = typedFolder && wcscmp(typedFolder, kCloseAfterEarlier) == 0;
    const std::wstring earlier = InstallRecord::ReadUninstallString();
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
            if (field && typedFolder && typedFolder[0] && !closeAfterEarlier) {
                field->SetText(typedFolder);
            }
            if (closeAfterEarlier) {
                // A pause long enough that the close surely falls in it.
                CTavikInstallDlg::Waits waits;
                waits.afterUninstallerMs = 60000;
                window.SetWaits(waits);
            }
            ClickControl(window, L"StartInstallBtn");
            if (closeAfterEarlier) {
                result = WaitForRunOf(earlier) ? 2 : 1;
                PostMessageW(handle, WM_CLOSE, 0, 0);
            }
            testsupport::PumpUntil([&window] { return window.InstallFinished(); }, kInstallWaitMs);
            if (window.InstallFinished() && window.InstallCompleted() && !closeAfterEarlier) {
                result = 0;
            }
            window.StopInstall(30000);
            if (IsWindow(handle)) {
                DestroyWindow(handle);
            }
        }
    }
    CoUninitialize();
    return result;
}
