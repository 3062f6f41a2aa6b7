// The installer's window: start page with the agreement and the options
// (agreement text or install folder), the installing page whose bar a timer
// fills, and the finish page that starts the tool. The install sequence runs
// on one worker thread; it asks the UI thread for every page change by
// message and never touches a control itself.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "ShadowWindow.h"
#include "WideString.h"
#include "XMLWnd.h"

class CTavikInstallDlg : public TavikUI::CXMLWnd {
public:
    // The window's sizes: the start and installing pages, with the options
    // open, and with the agreement shown.
    static constexpr int kWidth = 552;
    static constexpr int kHeight = 347;
    static constexpr int kOptionsHeight = 450;
    static constexpr int kAgreementHeight = 531;
    static constexpr UINT_PTR kProgressTimer = 1;
    // The install thread asks for a page (wParam: 1 installing, 2 finished).
    static constexpr UINT kShowPageMessage = WM_APP + 0x40;

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

    // Asks a running install to stop at its next step and waits for it up to
    // `waitMs`. True when no install thread runs any more: only then may the
    // window object go.
    bool StopInstall(DWORD waitMs);
    // True once an install thread has been started and has ended.
    bool InstallFinished() const;
    // The install folder as chosen so far (ending with a back slash once the
    // install has read it).
    const std::wstring& ChosenInstallFolder() const { return installFolder_; }

    // The default install folder: "<Program Files>\Quorel\tavik_Download\".
    static std::wstring DefaultInstallFolder();

private:
    void InitInstallFolder();
    void SetupShadow();
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
    bool RunOldUninstaller();
    void ReadInstallFolder();
    bool ExtractPayloadZip();
    bool UnzipPayload();
    bool CopyMtpSystemFiles();
    bool CreateShortcuts();
    bool InstallDrivers();
    bool InstallXpMtpComponents();
    bool InstallXpDrivers();
    bool WriteUninstallKey();
    void ShowFinishPage();
    bool StopRequested() const;

    TavikUI::CShadowWindow shadow_;
    std::wstring temporaryZipPath_;
    // The folder chosen in the window; the install thread's own copy of the
    // folder field's text, taken when the install starts.
    std::wstring installFolder_;
    std::wstring folderFieldText_;
    int progressCounter_ = 0;
    DWORD payloadSize_ = 0;

    HANDLE installThread_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    std::atomic<bool> installDone_{false};
};
