// The flashing tool's entry: one running copy, the UI library's settings,
// then the main window run modally.
#include <windows.h>
#include <ole2.h>

#include "ShadowWindow.h"
#include "SingleInstance.h"
#include "TavikDownloadDlg.h"
#include "WindowManager.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR /*commandLine*/, int /*show*/) {
    if (!TavikUI::ActivateRunningInstance(L"tavikDownloadDlg")) {
        return 0;
    }
    // The shell's folder dialog runs on this thread and needs OLE.
    const HRESULT ole = OleInitialize(nullptr);

    TavikUI::CShadowWindow::RegisterShadowWindowClass(instance);
    TavikUI::CWindowManager::SetModuleInstance(instance);
    TavikUI::CWindowManager::SetSkinArchive(L"tavik.Data", false);

    CTavikDownloadDlg* window = new CTavikDownloadDlg();
    window->CreateNativeWindow(nullptr, L"tavikDownloadDlg", 0x10CE0000, WS_EX_WINDOWEDGE, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT);
    window->RunModal();
    delete window;

    if (SUCCEEDED(ole)) {
        OleUninitialize();
    }
    return 0;
}
