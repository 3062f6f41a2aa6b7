#include "TavikDownloadDlg.h"

#include <memory>
#include <utility>

#include "AnnulusProgressUI.h"
#include "ControlUI.h"
#include "LabelUI.h"
#include "OptionUI.h"
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
// How long a close waits for a running job before the window goes; the
// object itself waits for the thread without bound before it is freed.
constexpr DWORD kJobStopWaitMs = 5000;

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

CTavikDownloadDlg* CTavikDownloadDlg::MainWindow() { return g_mainWindow.load(); }

CTavikDownloadDlg::CTavikDownloadDlg() : CXMLWnd(kSkinFile) {
    config_.Init();
    uiThreadId_ = GetCurrentThreadId();

    jobEvent_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    jobThread_.Reset(CreateThread(nullptr, 0, &CTavikDownloadDlg::WorkerThreadProc, this, 0, nullptr));

    qcom_.runFlag = &runFlag_;
    qcom_.reportCallback = &CTavikDownloadDlg::OnDownloadMessage;
    qcom_.textCallback = &CTavikDownloadDlg::OnQmslText;

    g_mainWindow = this;
    config_.reportCallback = &CTavikDownloadDlg::OnCheckMessage;
    workInProgress_ = 0;
}

CTavikDownloadDlg::~CTavikDownloadDlg() {
    // A window that was never closed normally still stops its thread before
    // the objects the thread uses go away.
    CTavikDownloadDlg* expected = this;
    g_mainWindow.compare_exchange_strong(expected, nullptr);
    runFlag_ = 0;
    if (jobEvent_.IsSet()) {
        SetEvent(jobEvent_.Get());
    }
    if (jobThread_.IsSet()) {
        WaitForSingleObject(jobThread_.Get(), INFINITE);
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
    SetupShadow();
    CenterOnOwner();
    CreateLogFile();
    LoadMtkDownloadDll();
    SetPropW(Handle(), kInstanceName, reinterpret_cast<HANDLE>(1));
    ShowNative(true, true);
}

void CTavikDownloadDlg::SetupShadow() {
    const HWND window = Handle();
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    shadow_.AttachShadow(window);
    shadow_.SetSize(4);
    if (shadow_.IsShown()) {
        shadow_.RedrawShadow(window);
    }
    shadow_.SetOffset(0, 0);
    if (shadow_.IsShown()) {
        shadow_.RedrawShadow(window);
    }
}

LRESULT CTavikDownloadDlg::RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCLBUTTONDBLCLK:
        return 0;
    case kShowAboutMessage:
        ShowMessageDlg(L"tavik\\AboutBox.xml");
        break;
    case kShowMessageDlgMessage:
        return AnswerMessageDlgRequest(lParam);
    case kUiChangeMessage: {
        std::unique_ptr<std::function<void()>> change(reinterpret_cast<std::function<void()>*>(lParam));
        if (change && *change) {
            (*change)();
        }
        return 0;
    }
    case WM_DESTROY:
        // Changes still queued would be dropped with the window, and their
        // copies with them: run them while the controls exist.
        RunPostedChanges();
        break;
    case WM_CLOSE:
        if (!ConfirmClose()) {
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
    // Callbacks of other threads must find no window from here on.
    g_mainWindow = nullptr;
    StopJobThread(kJobStopWaitMs);
    OutputDebugStringW(L"WindowDestroy !\n");
    ReleaseMtkLibrary();
    RemovePropW(Handle(), kInstanceName);
}

// --- Job thread ----------------------------------------------------------------

DWORD WINAPI CTavikDownloadDlg::WorkerThreadProc(void* window) {
    static_cast<CTavikDownloadDlg*>(window)->RunJobs();
    return 0;
}

void CTavikDownloadDlg::RunJobs() {
    for (;;) {
        // No reset before the wait: a job queued while the previous one was
        // ending is not lost.
        WaitForSingleObject(jobEvent_.Get(), INFINITE);
        if (runFlag_ == 0) {
            break;
        }
        Job job = nullptr;
        {
            std::lock_guard<std::mutex> guard(stateLock_);
            job = queuedJob_;
        }
        if (job) {
            (this->*job)();
        }
        jobRunning_ = false;
        // Only now, with the slot free, may a retry button appear.
        ShowDownloadOutcome();
    }
}

bool CTavikDownloadDlg::QueueJob(Job job) {
    bool idle = false;
    if (!jobRunning_.compare_exchange_strong(idle, true)) {
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        queuedJob_ = job;
    }
    SetEvent(jobEvent_.Get());
    return true;
}

void CTavikDownloadDlg::StopJobThread(DWORD waitMs) {
    runFlag_ = 0;
    SetEvent(jobEvent_.Get());
    if (!jobThread_.IsSet()) {
        return;
    }
    // A running job may wait on this thread (a message window it owns): pump
    // while waiting.
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= waitMs) {
            break;
        }
        const HANDLE thread = jobThread_.Get();
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, waitMs - elapsed, QS_ALLINPUT);
        if (result != WAIT_OBJECT_0 + 1) {
            break;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    RunPostedChanges();
}

void CTavikDownloadDlg::RunPostedChanges() {
    MSG message;
    while (PeekMessageW(&message, Handle(), kUiChangeMessage, kUiChangeMessage, PM_REMOVE)) {
        RouteWindowMessage(message.message, message.wParam, message.lParam);
    }
}

// --- Control changes ---------------------------------------------------------------

bool CTavikDownloadDlg::OnUiThread() const { return GetCurrentThreadId() == uiThreadId_; }

void CTavikDownloadDlg::RunOnUiThread(std::function<void()> change) {
    if (OnUiThread()) {
        change();
        return;
    }
    auto posted = std::make_unique<std::function<void()>>(std::move(change));
    const HWND window = Handle();
    if (window && PostMessageW(window, kUiChangeMessage, 0, reinterpret_cast<LPARAM>(posted.get()))) {
        posted.release();
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
}

void CTavikDownloadDlg::OnHelpBtn(NotifyMessage& /*message*/) { ShowHelpMenu(); }
