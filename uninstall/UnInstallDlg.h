// The uninstaller's window and its uninstall sequence. The window has three
// pages (start, progress, finish); its start button runs the sequence on a
// worker thread while a 500 ms timer fills the progress bar. "/q" runs the
// same sequence without a window.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "Installation.h"
#include "InstallRecord.h"
#include "NotifyPump.h"
#include "ProgramMessages.h"
#include "ShadowWindow.h"
#include "WideString.h"
#include "XMLWnd.h"

namespace TavikUninstall {

// The single-instance name and the window property of the running copy.
constexpr const wchar_t* kInstanceName = InstallRecord::kUninstallerInstanceName;
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
    // Said before anything is removed: the window opens on its failure page.
    kFaultNoInstallation = 1u << 4,
    kFaultNotStarted = 1u << 5,
    // The list cannot be trusted: nothing is removed.
    kFaultDamagedList = 1u << 6,
    // The installer runs: its sequence and this one must not meet.
    kFaultInstallerRunning = 1u << 7,
};

// The failure page's lines for a set of faults, one each, then the line of
// a file that stayed, when there is one.
std::wstring UninstallFaultLines(uint32_t faults, const std::wstring& stayingLine = std::wstring());

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

    // The whole sequence; true when everything it should remove is gone.
    // What it could not remove, or that it found no installation, is kept in
    // Faults(). It removes the installation in the folder set below, else
    // the registered one; the registration and the shortcuts only when they
    // are that installation's.
    bool DoUninstall();
    // The installation to remove: the folder this uninstaller was installed
    // in, or the one its starter handed over (with its list beside it).
    // Empty: the registered installation.
    void SetInstallFolder(const TavikUI::CWideString& folder) { assignedFolder_ = folder; }
    // A fault found before the window opens (the hand-over to the temporary
    // copy failed): the window opens on the failure page naming it.
    void SetStartFault(UninstallFault fault) {
        startFault_ = fault;
        faults_ = fault;
    }
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

    // The installation to remove: the folder set, else the registered one.
    InstallRecord::CInstallation ChosenInstallation() const;
    // Why the installation cannot be removed (no list, a damaged one);
    // 0 when its list is intact.
    static uint32_t InstallationFault(const InstallRecord::CInstallation& installation);
    bool UninstallDrivers();
    bool UninstallXpDrivers();
    void DeleteInstalledFiles(const InstallRecord::CInstallation& installation);
    // False when a listed path of the installation's own could not be
    // removed. The list and the installed uninstaller stay then, and while
    // the drivers are kept (their removal failed), so that a later run can
    // finish with them.
    bool DeleteListedFiles(const InstallRecord::CInstallation& installation, bool keepDrivers);
    // The uninstaller's Start-menu link stays while the list does: it is
    // the way to a later run.
    bool DeleteShortcuts(const InstallRecord::CInstallation& installation, bool keepUninstallLink);
    // True when the link is not there, is not this installation's, or went
    // to the Recycle Bin.
    bool DeleteOwnShortcut(const InstallRecord::CInstallation& installation, const TavikUI::CWideString& link) const;
    bool StopRequested() const;
    void Fail(UninstallFault fault) { faults_ |= fault; }
    // Keeps the first file that stayed, with its reason, for the failure page.
    void NoteStaying(const std::wstring& path);

    int32_t progressCounter_;
    TavikUI::CShadowWindow shadow_;
    TavikUI::CWideString installFolder_;
    TavikUI::CWideString assignedFolder_;
    uint32_t startFault_ = 0;
    std::atomic<uint32_t> faults_{0};
    // Written by the worker before it asks for the failure page.
    std::wstring stayingLine_;
    // Owner of the shell's file operations; set before the worker starts,
    // null in "/q" mode.
    HWND operationOwner_;
    HANDLE worker_;
    // Set when the window closes; cuts the driver waits short.
    HANDLE stopEvent_;
};

}  // namespace TavikUninstall
