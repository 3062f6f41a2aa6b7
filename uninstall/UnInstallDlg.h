// The uninstaller's window and its uninstall sequence. The window has three
// pages (start, progress, finish); its start button runs the sequence on a
// worker thread while a 500 ms timer fills the progress bar. "/q" runs the
// same sequence without a window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "NotifyPump.h"
#include "ProgramMessages.h"
#include "ShadowWindow.h"
#include "WideString.h"
#include "XMLWnd.h"

namespace TavikUninstall {

// The single-instance name and the window property of the running copy.
constexpr wchar_t kInstanceName[] = L"tavikUnstallDlg";
constexpr wchar_t kWindowName[] = L"UnInstallDlg";

// Pages of "FunctionTab".
enum UninstallPage : int {
    kStartPage = 0,
    kProgressPage = 1,
    kFinishPage = 2,
};

// Posted by the worker: wParam is the page to show. Only the UI thread
// touches the controls.
constexpr UINT kShowPageMessage = TavikUI::kFirstProgramMessage;
constexpr UINT_PTR kProgressTimerId = 1;
constexpr UINT kProgressTimerMs = 500;

class CUnInstallDlg : public TavikUI::CXMLWnd {
public:
    CUnInstallDlg();
    // Stops a running worker and waits for it first: it reads this object.
    ~CUnInstallDlg() override;

    LRESULT RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void WindowReady() override;
    UINT SkinSourceKind() const override;
    const wchar_t* SkinResourceId() const override;
    const TavikUI::NotifyMap* NotifyMap() const override;
    static const TavikUI::NotifyMap* UninstallerNotifyMap();

    virtual void OnStartUninstall(TavikUI::NotifyMessage& message);
    virtual void OnExit(TavikUI::NotifyMessage& message);

    // The whole sequence; false when it stopped before the files (no
    // registration, a value that cannot be deleted, a driver step that
    // failed).
    bool DoUninstall();
    // Asks a running worker to stop (its driver waits end at once and no
    // further step starts) and waits for it up to `waitMs`. True when no
    // worker runs any more: only then may the object go.
    bool StopWorker(DWORD waitMs);

    int ProgressCounter() const { return progressCounter_; }
    const TavikUI::CWideString& InstallFolder() const { return installFolder_; }

private:
    static DWORD WINAPI UninstallThreadProc(void* window);
    void ShowPage(int page);
    void AdvanceProgress();

    bool UninstallDrivers();
    bool UninstallXpDrivers();
    void DeleteInstalledFiles();
    void DeleteListedFiles(const TavikUI::CWideString& installFolder);
    void DeleteShortcuts();
    bool StopRequested() const;

    int32_t progressCounter_;
    TavikUI::CShadowWindow shadow_;
    TavikUI::CWideString installFolder_;
    // Owner of the shell's file operations; set before the worker starts,
    // null in "/q" mode.
    HWND operationOwner_;
    HANDLE worker_;
    // Set when the window closes; cuts the driver waits short.
    HANDLE stopEvent_;
};

}  // namespace TavikUninstall
