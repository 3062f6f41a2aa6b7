#include "UnInstallDlg.h"

#include "ControlUI.h"
#include "FaultLines.h"
#include "InstallRecord.h"
#include "ProgressUI.h"
#include "SingleInstance.h"
#include "TabLayoutUI.h"

namespace TavikUninstall {

using TavikUI::CControlUI;
using TavikUI::NotifyMapEntry;
using TavikUI::NotifyMessage;
using TavikUI::NotifyRow;
using TavikUI::NotifyRowEnd;

namespace {

const wchar_t kSkinFile[] = L"tavikUnInstall\\UnInstallDlg.xml";
const wchar_t kSkinResource[] = L"#102";
const UINT kWindowIconId = 101;
const int kProgressEnd = 100;
// How long the destructor waits for a stopped worker.
const DWORD kWorkerStopWaitMs = 10000;

const InstallRecord::FaultLine kUninstallFaultLines[] = {
    {kFaultRegistration, L"卸载信息未能从注册表删除。"},
    {kFaultDrivers, L"驱动未能卸载。"},
    {kFaultFiles, L"部分文件未能删除，请关闭正在运行的 tavik刷机小助手 后重新卸载。"},
    {kFaultShortcuts, L"部分快捷方式未能删除。"},
    {kFaultNoInstallation, L"没有找到要卸载的 tavik刷机小助手。"},
    {kFaultNotStarted, L"卸载程序未能启动，请确认临时文件夹可以写入后重新卸载。"},
    {kFaultDamagedList, L"安装文件列表已损坏，没有删除任何文件。"},
    {kFaultInstallerRunning, L"安装程序正在运行，请关闭安装程序后重新卸载。"},
};

const NotifyMapEntry* UninstallerRows() {
    static const NotifyMapEntry rows[] = {
        NotifyRow(L"click", L"StartUnInstallBtn", &CUnInstallDlg::OnStartUninstall),
        NotifyRow(L"click", L"ExitBtn", &CUnInstallDlg::OnExit),
        NotifyRow(L"click", L"FailedExitBtn", &CUnInstallDlg::OnExit),
        NotifyRowEnd(),
    };
    return rows;
}

}  // namespace

CUnInstallDlg::CUnInstallDlg()
    : CXMLWnd(kSkinFile),
      progressCounter_(0),
      operationOwner_(nullptr),
      worker_(nullptr),
      stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

std::wstring UninstallFaultLines(uint32_t faults, const std::wstring& stayingLine) {
    return InstallRecord::FaultLines(faults, kUninstallFaultLines, stayingLine);
}

CUnInstallDlg::~CUnInstallDlg() {
    // Stopped, the worker ends within the step it is in; one stuck in a
    // shell operation must not read this object after it has gone.
    if (!StopWorker(kWorkerStopWaitMs)) {
        TerminateProcess(GetCurrentProcess(), 0);
    }
    if (stopEvent_) {
        CloseHandle(stopEvent_);
    }
}

const TavikUI::NotifyMap* CUnInstallDlg::UninstallerNotifyMap() {
    static const TavikUI::NotifyMap map = {&WindowImplBase::WindowImplBaseNotifyMap, UninstallerRows()};
    return &map;
}

const TavikUI::NotifyMap* CUnInstallDlg::NotifyMap() const { return UninstallerNotifyMap(); }

UINT CUnInstallDlg::SkinSourceKind() const { return TavikUI::kSkinFromZipResource; }

const wchar_t* CUnInstallDlg::SkinResourceId() const { return kSkinResource; }

void CUnInstallDlg::WindowReady() {
    CenterOnOwner();
    SetWindowIcon(kWindowIconId);
    TavikUI::AttachProgramShadow(shadow_, Handle());
    if (CControlUI* version = Manager().FindControlByName(L"AppVersion")) {
        version->SetText(InstallRecord::kProductVersion);
        if (CControlUI* finishVersion = Manager().FindControlByName(L"AppVersionFinsh")) {
            finishVersion->SetText(InstallRecord::kProductVersion);
        }
    }
    // A later copy finds this window by the property and brings it forward.
    TavikUI::MarkRunningInstanceWindow(Handle(), kInstanceName);
    // Nothing to start: the window says why at once.
    if (startFault_ == 0) {
        startFault_ = InstallationFault(ChosenInstallation());
    }
    if (startFault_ != 0) {
        faults_ = startFault_;
        ShowPage(kFailedPage);
    }
}

LRESULT CUnInstallDlg::RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCLBUTTONDBLCLK:
        // The caption neither maximises nor restores.
        return 0;
    case WM_TIMER:
        if (wParam == kProgressTimerId) {
            AdvanceProgress();
        }
        break;
    case kShowPageMessage:
        ShowPage(static_cast<int>(wParam));
        return 0;
    case WM_DESTROY:
        TavikUI::UnmarkRunningInstanceWindow(Handle(), kInstanceName);
        break;
    default:
        break;
    }
    return WindowImplBase::RouteWindowMessage(message, wParam, lParam);
}

void CUnInstallDlg::AdvanceProgress() {
    ++progressCounter_;
    CControlUI* control = Manager().FindControlByName(L"InstallProgress");
    if (auto* progress =
            control ? static_cast<TavikUI::CProgressUI*>(control->InterfaceByName(L"Progress")) : nullptr) {
        progress->SetCurrentValue(progressCounter_);
    }
    if (progressCounter_ >= kProgressEnd) {
        KillTimer(Handle(), kProgressTimerId);
    }
}

void CUnInstallDlg::ShowPage(int page) {
    if (page == kFailedPage) {
        if (CControlUI* reasons = Manager().FindControlByName(L"FailedReasons")) {
            reasons->SetText(UninstallFaultLines(faults_, stayingLine_).c_str());
        }
    }
    CControlUI* tab = Manager().FindControlByName(L"FunctionTab");
    if (auto* layout = tab ? static_cast<TavikUI::CTabLayoutUI*>(tab->InterfaceByName(L"TabLayout")) : nullptr) {
        layout->SelectTab(page);
    }
}

void CUnInstallDlg::OnStartUninstall(NotifyMessage& /*message*/) {
    // A second click before the worker has switched the page starts nothing.
    if (worker_) {
        return;
    }
    progressCounter_ = 0;
    SetTimer(Handle(), kProgressTimerId, kProgressTimerMs, nullptr);
    operationOwner_ = Handle();
    worker_ = CreateThread(nullptr, 0, &CUnInstallDlg::UninstallThreadProc, this, 0, nullptr);
    // Without a worker nothing runs: the start page stays for another try.
    if (!worker_) {
        KillTimer(Handle(), kProgressTimerId);
    }
}

void CUnInstallDlg::OnExit(NotifyMessage& /*message*/) { CloseWithCode(1); }

DWORD WINAPI CUnInstallDlg::UninstallThreadProc(void* window) {
    auto* self = static_cast<CUnInstallDlg*>(window);
    const HWND target = self->operationOwner_;
    PostMessageW(target, kShowPageMessage, kProgressPage, 0);
    const bool removed = self->DoUninstall();
    PostMessageW(target, kShowPageMessage, removed ? kFinishPage : kFailedPage, 0);
    return 0;
}

bool CUnInstallDlg::StopWorker(DWORD waitMs) {
    if (!worker_) {
        return true;
    }
    if (stopEvent_) {
        SetEvent(stopEvent_);
    }
    if (WaitForSingleObject(worker_, waitMs) != WAIT_OBJECT_0) {
        return false;
    }
    CloseHandle(worker_);
    worker_ = nullptr;
    return true;
}

bool CUnInstallDlg::StopRequested() const { return stopEvent_ && WaitForSingleObject(stopEvent_, 0) == WAIT_OBJECT_0; }

}  // namespace TavikUninstall
