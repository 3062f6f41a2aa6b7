// The installer's window: start page with the agreement and the options
// (agreement text or install folder), the installing page whose bar a timer
// fills, the finish page that starts the tool, and the page that says the
// install did not complete and only closes. The install sequence runs on one
// worker thread; it asks the UI thread for every page change by message and
// never touches a control itself.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "InstallRecord.h"
#include "ProgramMessages.h"
#include "ShadowWindow.h"
#include "WideString.h"
#include "XMLWnd.h"

namespace TavikSetup {

// The single-instance name and the window property of the running copy.
constexpr const wchar_t* kInstanceName = InstallRecord::kInstallerInstanceName;
constexpr wchar_t kWindowName[] = L"tavikInstallDlg";
constexpr DWORD kWindowStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = WS_EX_WINDOWEDGE;

// Pages of "FunctionTab".
enum InstallPage : int {
    kStartPage = 0,
    kInstallingPage = 1,
    kFinishPage = 2,
    kFailedPage = 3,
};

// What went wrong in an install; the failure page gives each its line.
enum InstallFault : uint32_t {
    kFaultInstallFolder = 1u << 0,
    kFaultEarlierInstallation = 1u << 1,
    kFaultPayload = 1u << 2,
    kFaultFiles = 1u << 3,
    kFaultSystemFiles = 1u << 4,
    kFaultShortcuts = 1u << 5,
    kFaultDrivers = 1u << 6,
    kFaultXpComponents = 1u << 7,
    kFaultRegistration = 1u << 8,
    kFaultNotStarted = 1u << 9,
    // An uninstaller window runs: its sequence and this one must not meet.
    kFaultUninstallerRunning = 1u << 10,
};

// The failure page's lines for a set of faults, one each, then the line of
// a file that stayed, when there is one.
std::wstring InstallFaultLines(uint32_t faults, const std::wstring& stayingLine = std::wstring());

// Posted by the install thread: wParam is the page to show. Only the UI
// thread touches the controls.
constexpr UINT kShowPageMessage = TavikUI::kFirstProgramMessage;
constexpr UINT_PTR kProgressTimerId = 1;
constexpr UINT kProgressTimerMs = 500;

class CTavikInstallDlg : public TavikUI::CXMLWnd {
public:
    // The window's sizes: the start and installing pages, with the options
    // open, and with the agreement shown.
    static constexpr int kWidth = 552;
    static constexpr int kHeight = 347;
    static constexpr int kOptionsHeight = 450;
    static constexpr int kAgreementHeight = 531;

    // How long the install waits for the programs it starts. A program that
    // runs longer keeps running while the install goes on.
    struct Waits {
        DWORD earlierUninstallerMs = 240000;
        // An earlier uninstaller still running after its wait is ended: it
        // would go on to remove what this install puts down.
        DWORD endEarlierUninstallerMs = 5000;
        // After the earlier uninstaller, for what it left to settle.
        DWORD afterUninstallerMs = 1000;
        DWORD packageMs = 120000;
    };

    CTavikInstallDlg();
    ~CTavikInstallDlg() override;

    LRESULT RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void WindowReady() override;
    UINT SkinSourceKind() const override;
    const wchar_t* SkinResourceId() const override;
    const TavikUI::NotifyMap* NotifyMap() const override;
    static const TavikUI::NotifyMap* InstallerNotifyMap();

    virtual void OnShowAgreement(TavikUI::NotifyMessage& message);
    virtual void OnShowSetupConfig(TavikUI::NotifyMessage& message);
    virtual void OnStartInstall(TavikUI::NotifyMessage& message);
    virtual void OnCheckAgreement(TavikUI::NotifyMessage& message);
    virtual void OnSelectInstallPath(TavikUI::NotifyMessage& message);
    virtual void OnStartApp(TavikUI::NotifyMessage& message);
    virtual void OnCloseSetup(TavikUI::NotifyMessage& message);

    // Shorter waits, for tests; set before the install starts.
    void SetWaits(const Waits& waits) { waits_ = waits; }

    // Asks a running install to stop at its next step and waits for it up to
    // `waitMs`. True when no install thread runs any more: only then may the
    // window object go.
    bool StopInstall(DWORD waitMs);
    // True once an install thread has been started and has ended.
    bool InstallFinished() const;
    // True once an install has run every step and each succeeded.
    bool InstallCompleted() const { return installCompleted_; }
    // What went wrong in the install so far (InstallFault bits).
    uint32_t Faults() const { return faults_; }
    // The install folder as chosen so far (ending with a back slash once the
    // install has read it).
    const std::wstring& ChosenInstallFolder() const { return installFolder_; }

    // The default install folder: "<Program Files>\Quorel\tavik_Download\".
    static std::wstring DefaultInstallFolder();

private:
    void InitInstallFolder();
    std::wstring BrowseInstallFolder();
    void ResizeKeepingPosition(int width, int height);
    template <class Control>
    Control* FindAs(const wchar_t* name, const wchar_t* interfaceName);
    void SelectPage(const wchar_t* layoutName, int page);
    bool IsOptionSelected(const wchar_t* name);
    void ShowInstallPage(int page);

    // The install sequence (install thread).
    static DWORD WINAPI InstallThreadProc(LPVOID window);
    void DoInstall();
    // The steps of DoInstall; true when each of them succeeded. Each failed
    // step records its fault.
    bool RunInstallSteps();
    // Records the fault; false, for the step that failed.
    bool Fail(InstallFault fault);
    bool RunOldUninstaller();
    // Removes what the earlier folder kept after its uninstaller's "/q"
    // run: the uninstaller itself, which could not remove its running file,
    // its list, the folder once empty and the folders created above it once
    // empty. True when the earlier installation is gone; a file that stays
    // is named on the failure page.
    bool ClearEarlierFolder(const std::wstring& earlierFolder);
    // The folder typed or chosen, in its one form; a folder in use gets the
    // program's own sub-folder.
    void ReadInstallFolder();
    bool ExtractPayloadZip();
    // False when nothing could be unpacked (the payload or the list could
    // not be opened); an item that could not be written records its fault
    // and the rest still go.
    bool UnzipPayload();
    bool CopyMtpSystemFiles();
    bool CreateShortcuts();
    bool InstallDrivers();
    bool InstallXpMtpComponents();
    bool InstallXpDrivers();
    bool WriteUninstallKey();
    void ShowFinishPage(bool completed);
    bool StopRequested() const;
    // Waits `ms`, or less when the window is closing.
    void PauseUnlessStopped(DWORD ms) const;

    TavikUI::CShadowWindow shadow_;
    std::wstring temporaryZipPath_;
    // The folder chosen in the window; the install thread's own copy of the
    // folder field's text, taken when the install starts.
    std::wstring installFolder_;
    std::wstring folderFieldText_;
    // The folders above the install folder that this install created, and
    // those the cleared earlier installation had created.
    std::vector<std::wstring> createdAbove_;
    std::vector<std::wstring> earlierCreatedAbove_;
    // A file of the earlier installation that stayed, with its reason: the
    // failure page's last line. Written by the install thread before it
    // asks for the failure page.
    std::wstring stayingLine_;
    int progressCounter_ = 0;
    DWORD payloadSize_ = 0;

    Waits waits_;

    HANDLE installThread_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    std::atomic<bool> installDone_{false};
    std::atomic<bool> installCompleted_{false};
    std::atomic<uint32_t> faults_{0};
};

}  // namespace TavikSetup
