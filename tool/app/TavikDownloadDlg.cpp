#include "TavikDownloadDlg.h"

#include <memory>
#include <new>
#include <utility>

#include "AnnulusProgressUI.h"
#include "ControlUI.h"
#include "LabelUI.h"
#include "OptionUI.h"
#include "SingleInstance.h"
#include "TabLayoutUI.h"

using TavikUI::CControlUI;
using TavikUI::CWideString;
using TavikUI::NotifyMessage;
using TavikUI::NotifyRow;
using TavikUI::NotifyRowEnd;

namespace {

// Read by callbacks on other threads; cleared first at close.
std::atomic<CTavikDownloadDlg*> g_mainWindow{nullptr};

const wchar_t kSkinFile[] = L"tavik\\tavikDownloadDlg.xml";
const wchar_t kInstanceName[] = L"tavikDownloadDlg";
constexpr UINT kWindowIconId = 101;
// How long a close waits for a running job to reach one of its stop checks.
// A job still inside a library call after it ends with the process.
constexpr DWORD kJobStopWaitMs = 3000;
const wchar_t kStoppingText[] = L"正在停止，请稍候……";
const wchar_t kJobThreadFailedText[] = L"Error:无法启动后台任务!";
// The buttons that queue a job.
const wchar_t* const kStartButtons[] = {L"ConfirmSoftwareBtn", L"QcomConnetErrRetBtn", L"QcomConnetTimeOutRetryBtn",
                                        L"MtkConnetErrRetryBtn", L"MtkConnetTimeOutRetryBtn"};

HANDLE CreateJobEvent() { return CreateEventW(nullptr, FALSE, FALSE, nullptr); }

HANDLE StartThread(LPTHREAD_START_ROUTINE procedure, void* argument) {
    return CreateThread(nullptr, 0, procedure, argument, 0, nullptr);
}

bool IsUserInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// The job thread is still inside a call that cannot be cut short (a library
// call that is flashing the phone): what it uses must not be freed under
// it, so the process ends here. Nothing is buffered: the log is closed after
// every line.
[[noreturn]] void EndProcessUnderRunningJob() {
    TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);
}

const TavikUI::NotifyMapEntry* MainDialogRows() {
    using Dlg = CTavikDownloadDlg;
    static const TavikUI::NotifyMapEntry rows[] = {
        NotifyRow(L"click", L"helpbtn", &Dlg::OnHelpBtn),
        NotifyRow(L"click", L"StartNetBtn", &Dlg::OnStartNetBtn),
        NotifyRow(L"click", L"SelectSoftPathBtn", &Dlg::OnSelectSoftPathBtn),
        NotifyRow(L"click", L"ConfirmSoftwareBtn", &Dlg::OnConfirmSoftwareBtn),
        NotifyRow(L"click", L"SaveUserData", &Dlg::OnSaveUserData),
        NotifyRow(L"click", L"SaveProductionData", &Dlg::OnSaveProductionData),
        NotifyRow(L"click", L"QcomConnetErrBakBtn", &Dlg::OnBackBtn),
        NotifyRow(L"click", L"QcomConnetTimeOutBakBtn", &Dlg::OnBackBtn),
        NotifyRow(L"click", L"QcomBakVersionErrBtn", &Dlg::OnBackBtn),
        NotifyRow(L"click", L"MtkConnetErrBakBtn", &Dlg::OnBackBtn),
        NotifyRow(L"click", L"MtkConnetTimeOutBakBtn", &Dlg::OnBackBtn),
        NotifyRow(L"click", L"MtkBakVersionErrBtn", &Dlg::OnBackBtn),
        NotifyRow(L"click", L"DownloadSucBtn", &Dlg::OnBackBtn),
        NotifyRow(L"click", L"DownloadFailRetryBtn", &Dlg::OnBackBtn),
        NotifyRow(L"click", L"QcomConnetErrRetBtn", &Dlg::QueueDownloadJob),
        NotifyRow(L"click", L"QcomConnetTimeOutRetryBtn", &Dlg::QueueDownloadJob),
        NotifyRow(L"click", L"MtkConnetErrRetryBtn", &Dlg::QueueDownloadJob),
        NotifyRow(L"click", L"MtkConnetTimeOutRetryBtn", &Dlg::QueueDownloadJob),
        NotifyRowEnd(),
    };
    return rows;
}

}  // namespace

JobThreadApi JobThreadApi::System() { return JobThreadApi{&CreateJobEvent, &StartThread}; }

CTavikDownloadDlg* CTavikDownloadDlg::MainWindow() { return g_mainWindow.load(); }

CTavikDownloadDlg::CTavikDownloadDlg(const JobThreadApi& jobThreadApi) : CXMLWnd(kSkinFile) {
    config_.Init();
    uiThreadId_ = GetCurrentThreadId();

    // Without its event the thread could only spin: it is not started then.
    jobEvent_.Reset(jobThreadApi.createEvent());
    if (jobEvent_.IsSet()) {
        jobThread_.Reset(jobThreadApi.startThread(&CTavikDownloadDlg::WorkerThreadProc, this));
    }

    qcom_.runFlag = runFlag_.Address();
    qcom_.reportCallback = &CTavikDownloadDlg::OnDownloadMessage;
    qcom_.textCallback = &CTavikDownloadDlg::OnQmslText;

    g_mainWindow = this;
    config_.reportCallback = &CTavikDownloadDlg::OnCheckMessage;
    workInProgress_ = 0;
}

CTavikDownloadDlg::~CTavikDownloadDlg() {
    // A window that was never closed normally still stops its thread before
    // the objects the thread uses go away; one that does not stop within the
    // bound ends the process instead.
    CTavikDownloadDlg* expected = this;
    g_mainWindow.compare_exchange_strong(expected, nullptr);
    changes_.Close();
    if (!StopJobThread(closeWaited_ ? 0 : kJobStopWaitMs)) {
        EndProcessUnderRunningJob();
    }
    // The library goes before the log and the controls its reports would use.
    mtkLibrary_.SetErrorSink(nullptr);
    mtkLibrary_.Unload();
    qcom_.Stop();
}

const TavikUI::NotifyMap* CTavikDownloadDlg::MainDialogNotifyMap() {
    static const TavikUI::NotifyMap map = {&WindowImplBase::WindowImplBaseNotifyMap, MainDialogRows()};
    return &map;
}

const TavikUI::NotifyMap* CTavikDownloadDlg::NotifyMap() const { return MainDialogNotifyMap(); }

void CTavikDownloadDlg::WindowReady() {
    SetWindowIcon(kWindowIconId);
    TavikUI::AttachProgramShadow(shadow_, Handle());
    CenterOnOwner();
    CreateLogFile();
    LoadMtkDownloadDll();
    TavikUI::MarkRunningInstanceWindow(Handle(), kInstanceName);
    ShowNative(true, true);
    // No job thread, or one whose loop ended before the window existed.
    if (!JobThreadAvailable()) {
        AnnounceNoJobThread();
    }
}

LRESULT CTavikDownloadDlg::RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCLBUTTONDBLCLK:
        return 0;
    case kShowAboutMessage:
        if (!closing_) {
            ShowMessageDlg(L"tavik\\AboutBox.xml");
        }
        break;
    case kShowMessageDlgMessage:
        return AnswerMessageDlgRequest(lParam);
    case kUiChangeMessage:
        changes_.RunAll();
        return 0;
    case kJobLoopEndedMessage:
        changes_.RunAll();
        AnnounceNoJobThread();
        return 0;
    case WM_DESTROY:
        // The changes still queued run while the controls exist; later ones
        // are dropped.
        changes_.RunAll();
        changes_.Close();
        break;
    case WM_CLOSE:
        // One close at a time: a second close, or Escape, while the warning
        // is open or the close waits for the job does nothing.
        if (closing_) {
            return 0;
        }
        closing_ = true;
        if (!ConfirmClose()) {
            closing_ = false;
            // The job loop may have ended while the warning was open.
            if (!JobThreadAvailable()) {
                AnnounceNoJobThread();
            }
            return 0;
        }
        WindowDestroy();
        break;
    default:
        break;
    }
    return WindowImplBase::RouteWindowMessage(message, wParam, lParam);
}

bool CTavikDownloadDlg::ConfirmClose() {
    if (workInProgress_ == 0) {
        return true;
    }
    return ShowMessageDlg(L"tavik/ColseWaring.xml").Equals(L"okbtn");
}

void CTavikDownloadDlg::WindowDestroy() {
    bool downloading = false;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        downloading = jobRunning_ && queuedJob_ == &CTavikDownloadDlg::DownloadJob;
    }
    if (downloading) {
        AppendLogLine(kStoppedByCloseText);
        SetControlText(L"DownloadStatus", kStoppingText);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    // Callbacks of other threads must find no window from here on.
    g_mainWindow = nullptr;
    StopJobThread(kJobStopWaitMs);
    closeWaited_ = true;
    OutputDebugStringW(L"WindowDestroy !\n");
    ReleaseMtkLibrary();
    TavikUI::UnmarkRunningInstanceWindow(Handle(), kInstanceName);
}

// --- Job thread ----------------------------------------------------------------

DWORD WINAPI CTavikDownloadDlg::WorkerThreadProc(void* window) {
    static_cast<CTavikDownloadDlg*>(window)->RunJobs();
    return 0;
}

void CTavikDownloadDlg::RunJobs() {
    for (;;) {
        // No reset before the wait: a job queued while the previous one was
        // ending is not lost. A wait that fails would fail again at once:
        // it ends the loop, and the window must stop offering jobs.
        if (WaitForSingleObject(jobEvent_.Get(), INFINITE) != WAIT_OBJECT_0) {
            jobLoopEnded_ = true;
            if (const HWND window = Handle()) {
                PostMessageW(window, kJobLoopEndedMessage, 0, 0);
            }
            break;
        }
        if (runFlag_.Load() == 0) {
            break;
        }
        Job job = nullptr;
        {
            std::lock_guard<std::mutex> guard(stateLock_);
            job = queuedJob_;
        }
        if (job) {
            RunJobToItsEnd(job);
        }
        jobRunning_ = false;
        EnableUserDataChoice(true);
        // Only now, with the slot free, may a retry button appear.
        ShowDownloadOutcome();
    }
}

void CTavikDownloadDlg::RunJobToItsEnd(Job job) {
    try {
        (this->*job)();
    } catch (const std::bad_alloc&) {
        // A package can ask for more than the 32-bit address space gives;
        // that job fails with its reason, and the tool goes on.
        FailJobOutOfMemory(job);
    }
}

void CTavikDownloadDlg::AnnounceNoJobThread() {
    if (noJobThreadAnnounced_ || closing_) {
        return;
    }
    noJobThreadAnnounced_ = true;
    for (const wchar_t* button : kStartButtons) {
        SetControlEnabled(button, false);
    }
    // A job queued just before the loop ended never runs.
    jobRunning_ = false;
    EnableUserDataChoice(true);
    AppendLogLine(kJobThreadFailedText);
    ShowMessageDlg(kJobThreadFailedSkin);
}

bool CTavikDownloadDlg::QueueJob(Job job) {
    if (!JobThreadAvailable()) {
        return false;
    }
    bool idle = false;
    if (!jobRunning_.compare_exchange_strong(idle, true)) {
        return false;
    }
    // The job reads the configuration these options change.
    EnableUserDataChoice(false);
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        queuedJob_ = job;
    }
    SetEvent(jobEvent_.Get());
    return true;
}

bool CTavikDownloadDlg::StopJobThread(DWORD waitMs) {
    runFlag_.Store(0);
    qcom_.RequestStop();
    if (jobEvent_.IsSet()) {
        SetEvent(jobEvent_.Get());
    }
    if (!jobThread_.IsSet()) {
        return true;
    }
    // A running job may wait on this thread (a message window it asks for):
    // pump while waiting, but the user's clicks and keys wait no more.
    const HANDLE thread = jobThread_.Get();
    const DWORD start = GetTickCount();
    bool ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    while (!ended) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= waitMs) {
            break;
        }
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, waitMs - elapsed, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            ended = true;
        } else if (result != WAIT_OBJECT_0 + 1) {
            break;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (IsUserInput(message.message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (OnUiThread()) {
        changes_.RunAll();
    }
    return ended;
}

void CTavikDownloadDlg::EnableUserDataChoice(bool enable) {
    SetControlEnabled(L"SaveUserData", enable);
    SetControlEnabled(L"SaveProductionData", enable);
}

// --- Control changes ---------------------------------------------------------------

bool CTavikDownloadDlg::OnUiThread() const { return GetCurrentThreadId() == uiThreadId_; }

void CTavikDownloadDlg::RunOnUiThread(std::function<void()> change) {
    if (OnUiThread()) {
        change();
        return;
    }
    // A lost doorbell costs nothing: the queue still owns the change.
    const HWND window = Handle();
    if (window && changes_.Push(std::move(change))) {
        PostMessageW(window, kUiChangeMessage, 0, 0);
    }
}

void CTavikDownloadDlg::SelectPage(const wchar_t* tabLayout, int index) {
    RunOnUiThread([this, tabLayout, index] {
        CControlUI* control = Manager().FindControlByName(tabLayout);
        auto* tab = control ? static_cast<TavikUI::CTabLayoutUI*>(control->InterfaceByName(L"TabLayout")) : nullptr;
        if (tab) {
            tab->SelectTab(index);
        }
    });
}

void CTavikDownloadDlg::ShowWorkPage(int functionPage) {
    RunOnUiThread([this, functionPage] {
        if (!Manager().FindControlByName(L"IntroductionTab")) {
            return;
        }
        SelectPage(L"IntroductionTab", TavikPage::kWorkArea);
        SelectPage(L"FunctionTab", functionPage);
    });
}

void CTavikDownloadDlg::SetControlText(const wchar_t* name, const std::wstring& text) {
    RunOnUiThread([this, name, text] {
        if (CControlUI* control = Manager().FindControlByName(name)) {
            control->SetText(text.c_str());
        }
    });
}

void CTavikDownloadDlg::SetControlTextColor(const wchar_t* name, DWORD color) {
    RunOnUiThread([this, name, color] {
        CControlUI* control = Manager().FindControlByName(name);
        auto* label = control ? static_cast<TavikUI::CLabelUI*>(control->InterfaceByName(L"Label")) : nullptr;
        if (label) {
            label->SetTextColor(color);
        }
    });
}

void CTavikDownloadDlg::SetControlEnabled(const wchar_t* name, bool enabled) {
    RunOnUiThread([this, name, enabled] {
        if (CControlUI* control = Manager().FindControlByName(name)) {
            control->SetEnabledState(enabled);
        }
    });
}

void CTavikDownloadDlg::SetControlVisible(const wchar_t* name, bool visible) {
    RunOnUiThread([this, name, visible] {
        if (CControlUI* control = Manager().FindControlByName(name)) {
            control->ShowOrHide(visible);
        }
    });
}

void CTavikDownloadDlg::SetControlBackgroundImage(const wchar_t* name, const std::wstring& image) {
    RunOnUiThread([this, name, image] {
        if (CControlUI* control = Manager().FindControlByName(name)) {
            control->SetBackgroundImage(image.c_str());
        }
    });
}

void CTavikDownloadDlg::SelectOption(const wchar_t* name) {
    RunOnUiThread([this, name] {
        CControlUI* control = Manager().FindControlByName(name);
        auto* option = control ? static_cast<TavikUI::COptionUI*>(control->InterfaceByName(L"Option")) : nullptr;
        if (option) {
            option->Select(true);
        }
    });
}

void CTavikDownloadDlg::SetRingProgress(const wchar_t* name, int value) {
    RunOnUiThread([this, name, value] {
        CControlUI* control = Manager().FindControlByName(name);
        auto* ring = control ? static_cast<TavikUI::CAnnulusProgressUI*>(control->InterfaceByName(L"AnnulusProgressUI"))
                             : nullptr;
        if (ring) {
            ring->SetValue(value);
        }
    });
}

std::wstring CTavikDownloadDlg::SoftwareFolder() const {
    std::lock_guard<std::mutex> guard(stateLock_);
    return softwareFolder_.Text();
}

std::wstring CTavikDownloadDlg::ExpectedVersion() const {
    std::lock_guard<std::mutex> guard(stateLock_);
    return expectedVersion_.Text();
}

// --- Click handlers ------------------------------------------------------------------

void CTavikDownloadDlg::OnStartNetBtn(NotifyMessage& /*message*/) {
    ShowMessageDlg(L"tavik\\MessageBox.xml");
    ShowWorkPage(TavikPage::kFunctionChoosePackage);
}

void CTavikDownloadDlg::OnBackBtn(NotifyMessage& /*message*/) {
    SelectPage(L"FunctionTab", TavikPage::kFunctionChoosePackage);
    SetControlText(L"DownloadStatus", std::wstring());
}

void CTavikDownloadDlg::OnHelpBtn(NotifyMessage& /*message*/) { ShowHelpMenu(); }
