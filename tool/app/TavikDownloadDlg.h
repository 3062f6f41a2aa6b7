// The flashing tool's main window: a skinned window built from
// "tavik\\tavikDownloadDlg.xml" that owns the Qualcomm engine, the package
// configuration and one job thread. The two long jobs (the package check and
// the download) run on that thread; every change they make to a control is
// handed to the UI thread by message, so only the UI thread touches the
// control tree. Reports of the configuration, the engine and the MediaTek
// library arrive through static callbacks that find the window through one
// process-wide pointer.
#pragma once

// PhoneConfig.h brings <windows.h> first so SendMessage is spelled alike
// everywhere.
#include "PhoneConfig.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "DownloadMessage.h"
#include "JobReports.h"
#include "LogFile.h"
#include "MtkLibrary.h"
#include "ProgramMessages.h"
#include "QcomDownloader.h"
#include "ScopedHandle.h"
#include "ShadowWindow.h"
#include "UiChangeQueue.h"
#include "WideString.h"
#include "XMLWnd.h"

// The window's pages, by tab layout and page index.
namespace TavikPage {
constexpr int kIntroduction = 0;
constexpr int kWorkArea = 1;

constexpr int kFunctionChoosePackage = 0;
constexpr int kFunctionConnecting = 1;
constexpr int kFunctionProgress = 2;
constexpr int kFunctionFailed = 3;
constexpr int kFunctionSucceeded = 4;

constexpr int kPathBrowseButton = 0;
constexpr int kPathCheckPercent = 1;

constexpr int kStatusText = 0;
constexpr int kStatusInvalidPackage = 1;
constexpr int kStatusUserDataChoice = 2;

constexpr int kQcomWaiting = 0;
constexpr int kQcomMatching = 1;
constexpr int kQcomVersionError = 2;
constexpr int kQcomTimeOut = 3;
constexpr int kQcomConnectError = 4;
constexpr int kMtkWaiting = 5;
constexpr int kMtkMatching = 6;
constexpr int kMtkVersionError = 7;
constexpr int kMtkTimeOut = 8;
constexpr int kMtkConnectError = 9;
}  // namespace TavikPage

// Status text colours (0xAARRGGBB).
constexpr DWORD kStatusGreen = 0xFF00FF00;
constexpr DWORD kStatusBlack = 0xFF000000;
constexpr DWORD kStatusRed = 0xFFFF0000;

// Posted by the help menu's about entry: the main window shows the about box.
constexpr UINT kShowAboutMessage = WM_USER + 0x100;
// Posted when another thread queued control changes: the UI thread runs
// them (the window's change queue owns them).
constexpr UINT kUiChangeMessage = TavikUI::kFirstProgramMessage;
// Sent by the job thread: the UI thread runs a message window and answers;
// lParam points at the request, which the sender keeps.
constexpr UINT kShowMessageDlgMessage = TavikUI::kFirstProgramMessage + 1;
// Posted by the job thread when its loop has ended for good: the UI thread
// stops offering jobs and tells the user.
constexpr UINT kJobLoopEndedMessage = TavikUI::kFirstProgramMessage + 2;

// The notice shown when the job thread cannot be started or has ended.
constexpr wchar_t kJobThreadFailedSkin[] = L"tavik\\JobThreadFailed.xml";
// The log line of a download ended by closing the tool.
constexpr wchar_t kStoppedByCloseText[] = L"Download stopped: the tool was closed!";

// A 32-bit flag word that other threads read: every access is atomic, and
// the engine reads the same word through its address.
class CSharedFlag {
public:
    explicit CSharedFlag(int32_t value) : value_(value) {}
    int32_t Load() const { return __atomic_load_n(&value_, __ATOMIC_ACQUIRE); }
    void Store(int32_t value) { __atomic_store_n(&value_, value, __ATOMIC_RELEASE); }
    const int32_t* Address() const { return &value_; }

private:
    int32_t value_;
};

// How the window makes its job event and starts its job thread; tests put
// in refusing ones.
struct JobThreadApi {
    HANDLE (*createEvent)();
    HANDLE (*startThread)(LPTHREAD_START_ROUTINE procedure, void* argument);
    static JobThreadApi System();
};

class CTavikDownloadDlg : public TavikUI::CXMLWnd {
public:
    // A job of the job thread: a member operation answering 1 on success.
    using Job = int (CTavikDownloadDlg::*)();

    explicit CTavikDownloadDlg(const JobThreadApi& jobThreadApi = JobThreadApi::System());
    ~CTavikDownloadDlg() override;

    LRESULT RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void WindowReady() override;

    // Click handlers of the notify map.
    virtual void OnSelectSoftPathBtn(TavikUI::NotifyMessage& message);
    virtual void OnHelpBtn(TavikUI::NotifyMessage& message);
    virtual void OnStartNetBtn(TavikUI::NotifyMessage& message);
    virtual void OnBackBtn(TavikUI::NotifyMessage& message);
    virtual void OnConfirmSoftwareBtn(TavikUI::NotifyMessage& message);
    virtual void QueueDownloadJob(TavikUI::NotifyMessage& message);
    virtual void OnSaveUserData(TavikUI::NotifyMessage& message);
    virtual void OnSaveProductionData(TavikUI::NotifyMessage& message);

    const TavikUI::NotifyMap* NotifyMap() const override;
    static const TavikUI::NotifyMap* MainDialogNotifyMap();

    // --- Job slot ------------------------------------------------------------
    // Stores the job and wakes the job thread. False, changing nothing, while
    // a job runs (one slot, no queue: a second click does not run it twice)
    // and when there is no job thread or its loop has ended.
    bool QueueJob(Job job);
    bool JobThreadAvailable() const { return jobThread_.IsSet() && !jobLoopEnded_; }

    // --- Package check ----------------------------------------------------------
    // A folder the user chose: a new one resets the package state; an empty
    // one (cancelled) or the stored one changes nothing.
    void ChooseSoftwareFolder(const std::wstring& chosen);
    // Stores the folder whole and shows it in "SelectSoftPathEdit".
    void SetSoftwarePath(const std::wstring& folder);
    std::wstring BrowseSoftwareFolder();
    void EnableConfirmButton(bool enable);
    int CheckSoftwarePackageJob();
    bool CheckSoftwarePathSet();
    void SetPhonePicture(const std::wstring& file);
    void PlaySoftwareReadyAnimation();
    // The package is not ready: fail picture and the invalid-package page.
    void ShowInvalidPackage();
    // Keeps the user's data in the next download, with its list made from
    // the package as it is now. False when that list cannot be written: the
    // note beside the choice then says such a start is refused.
    bool SelectUserDataList();

    // --- Download (tool/app/TavikDownloadDlgDownload.cpp) -----------------------
    int DownloadJob();
    bool PrepareDownload();
    bool InitMtkDownload();
    bool ConnectQcomPhone();
    bool ConnectMtkPhone();
    bool CheckPhoneVersion();
    bool CheckQcomPhoneVersion();
    bool CheckMtkPhoneVersion();
    bool DownloadQcom();
    bool DownloadMtk();
    void ShowVersionError(const std::wstring& modelName);
    void OnDownloadFailed();
    bool LoadMtkDownloadDll();
    // At close: ends the library's open download state, then frees it.
    void ReleaseMtkLibrary();

    // --- Menu and message windows (TavikDownloadDlgMessages.cpp) ------------------
    // Runs a message window modally and answers the clicked control's name.
    // From the job thread it asks the UI thread and waits for the answer.
    TavikUI::CWideString ShowMessageDlg(const wchar_t* skinFile);
    void ShowHelpMenu();

    // --- Reports and log -----------------------------------------------------------
    static void OnCheckMessage(const DownloadMessage* message);
    static void OnDownloadMessage(const DownloadMessage* message);
    static void OnMtkMessage(const DownloadMessage* message);
    static void OnQmslText(void* handle, const char* text, uint16_t length);
    void ReportCheckStatus(const DownloadMessage& message);
    void ReportDownloadStatus(const DownloadMessage& message);
    void ShowStatusText(const std::wstring& text, DWORD color);
    void SetCheckPercent(int percent);
    bool CreateLogFile();
    void AppendLogLine(const std::wstring& text);

    // The main window of the process, or null before construction and from
    // the start of an accepted close.
    static CTavikDownloadDlg* MainWindow();

protected:
    bool ConfirmClose();
    void WindowDestroy();

    // --- Control changes --------------------------------------------------------
    // Runs the change at once on the UI thread; from any other thread posts it
    // to the UI thread (changes keep their order). Dropped when the window is
    // gone.
    void RunOnUiThread(std::function<void()> change);
    // Each finds the control by name and does nothing when the skin lacks it.
    // They post themselves when called off the UI thread.
    void SelectPage(const wchar_t* tabLayout, int index);
    void SetControlText(const wchar_t* control, const std::wstring& text);
    void SetControlTextColor(const wchar_t* control, DWORD color);
    void SetControlEnabled(const wchar_t* control, bool enabled);
    void SetControlVisible(const wchar_t* control, bool visible);
    void SetControlBackgroundImage(const wchar_t* control, const std::wstring& image);
    void SelectOption(const wchar_t* control);
    void SetRingProgress(const wchar_t* control, int value);
    // "IntroductionTab" page 1 and, when the skin has it, the "FunctionTab" page.
    void ShowWorkPage(int functionPage);

    bool OnUiThread() const;
    std::wstring SoftwareFolder() const;
    std::wstring ExpectedVersion() const;

    static DWORD WINAPI WorkerThreadProc(void* window);
    void RunJobs();
    // Runs the job; memory running out inside it fails the job, not the
    // tool.
    void RunJobToItsEnd(Job job);
    // The failed job's page and reason when memory ran out inside it.
    void FailJobOutOfMemory(Job job);
    // UI thread, once: no job can run any more. The start buttons go dark, a
    // job queued just before frees its slot and the options, and the user is
    // told. Put off while a close is confirmed: a cancelled close does it.
    void AnnounceNoJobThread();
    // The whole close of the job thread: run flag 0 and the engine's stop,
    // wake it, wait for it at most waitMs (pumping messages, dropping the
    // user's input) and run the changes it queued. True when it has ended.
    bool StopJobThread(DWORD waitMs);
    // The keep-user-data options follow whether a job may change the
    // configuration they set.
    void EnableUserDataChoice(bool enable);

    // --- Download job helpers --------------------------------------------------------
    // The page a download job ends on and the text under it, shown after
    // the job's clean-up.
    struct DownloadOutcome {
        const wchar_t* tab = nullptr;
        int page = 0;
        bool succeeded = false;
        std::wstring text;
    };
    // The job ends on this failure, connect, time-out or version page; its
    // reason is the error the failing step ended with, else the fallback.
    void SetFailure(const wchar_t* tab, int page, const wchar_t* fallbackReason);
    // The same for a cause the tool decided itself: that cause alone is the
    // reason, whatever the step's reports said on the way.
    void SetOwnFailure(const wchar_t* tab, int page, const std::wstring& reason);
    // The job ends on the success page with its summary.
    void SetSuccess();
    // Shows the page the last download job ended on and its text, once;
    // nothing after another job.
    void ShowDownloadOutcome();
    // Connect, version check and download of the package's platform.
    bool RunDownloadSteps();
    // The model name of the phone's version, in the version-error markup.
    void ShowVersionErrorFor(const std::wstring& phoneVersion);
    // The window's own error (code 0x63): red status text and a log line.
    void ReportOwnError(const std::wstring& text);
    LRESULT AnswerMessageDlgRequest(LPARAM request);

    // Fields, in the order the window keeps them.
    TavikUI::CWideString softwareFolder_;  // guarded by stateLock_
    int32_t platform_ = PLATFORM_NONE;
    CQcomDownloader qcom_;
    CPhoneConfig config_;
    CMtkLibrary mtkLibrary_;
    TavikUI::CShadowWindow shadow_;
    DownloadMessage ownReport_ = {};
    CScopedHandle jobEvent_;
    CSharedFlag runFlag_{1};
    Job queuedJob_ = nullptr;  // guarded by stateLock_
    std::atomic<int32_t> packageReady_{0};
    TavikUI::CWideString phoneName_;        // guarded by stateLock_
    TavikUI::CWideString expectedVersion_;  // guarded by stateLock_
    CLogFile log_;
    std::atomic<int32_t> workInProgress_{0};

    // The job thread and the UI thread.
    CScopedHandle jobThread_;
    DWORD uiThreadId_ = 0;
    std::atomic<bool> jobRunning_{false};
    // Set by the job thread when its wait failed: it runs no more jobs.
    std::atomic<bool> jobLoopEnded_{false};
    bool noJobThreadAnnounced_ = false;  // UI thread only
    mutable std::mutex stateLock_;
    DownloadOutcome outcome_;  // job thread only
    CJobReports jobReports_;
    CUiChangeQueue changes_;
    // UI thread only: a close is being confirmed or carried out.
    bool closing_ = false;
    // UI thread only: the close has already waited for the job thread.
    bool closeWaited_ = false;
};
