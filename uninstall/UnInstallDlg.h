// The uninstaller's window and its uninstall sequence. The window has three
// pages (start, progress, finish); its start button runs the sequence on a
// worker thread while a 500 ms timer fills the progress bar. "/q" runs the
// same sequence without a window.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

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
    kFailedPage = 3,
};

// What an uninstall could not remove; the failure page gives each its line.
enum UninstallFault : uint32_t {
    kFaultRegistration = 1u << 0,
    kFaultDrivers = 1u << 1,
    kFaultFiles = 1u << 2,
    kFaultShortcuts = 1u << 3,
};

// The failure page's lines for a set of faults, one each.
std::wstring UninstallFaultLines(uint32_t faults);

// Posted by the worker: wParam is the page to show. Only the UI thread
// touches the controls.
constexpr UINT kShowPageMessage = TavikUI::kFirstProgramMessage;
constexpr UINT_PTR kProgressTimerId = 1;
constexpr UINT kProgressTimerMs = 500;

class CUnInstallDlg : public TavikUI::CXMLWnd {
public:
    CUnInstallDlg();
    // Stops a running worker and waits for it, bounded, first: it reads this
    // object. A worker that does not stop ends the process.
    ~CUnInstallDlg() override;

    LRESULT RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void WindowReady() override;
    UINT SkinSourceKind() const override;
    const wchar_t* SkinResourceId() const override;
    const TavikUI::NotifyMap* NotifyMap() const override;
    static const TavikUI::NotifyMap* UninstallerNotifyMap();

    virtual void OnStartUninstall(TavikUI::NotifyMessage& message);
    virtual void OnExit(TavikUI::NotifyMessage& message);

    // The whole sequence; true when everything it should remove is gone (or
    // there was no installation to find). What it could not remove is kept
    // in Faults(). The install folder is the registered one or, with nothing
    // registered, the one handed over.
    bool DoUninstall();
    // The folder of an installation that registered nothing (its install
    // failed before the registration), handed over by its own uninstaller.
    void SetHandedOverInstallFolder(const TavikUI::CWideString& folder) { handedOverFolder_ = folder; }
    uint32_t Faults() const { return faults_; }
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
    // False when a listed path of the installation's own could not be
    // removed; the list and the installed uninstaller then stay, so that a
    // later run can finish.
    bool DeleteListedFiles(const TavikUI::CWideString& installFolder);
    bool DeleteShortcuts();
    // True when the path is not there, or went to the Recycle Bin.
    bool DeleteExistingPath(const TavikUI::CWideString& path) const;
    bool StopRequested() const;
    void Fail(UninstallFault fault) { faults_ |= fault; }

    int32_t progressCounter_;
    TavikUI::CShadowWindow shadow_;
    TavikUI::CWideString installFolder_;
    TavikUI::CWideString handedOverFolder_;
    std::atomic<uint32_t> faults_{0};
    // Owner of the shell's file operations; set before the worker starts,
    // null in "/q" mode.
    HWND operationOwner_;
    HANDLE worker_;
    // Set when the window closes; cuts the driver waits short.
    HANDLE stopEvent_;
};

}  // namespace TavikUninstall
