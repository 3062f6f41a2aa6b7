#include "TavikInstallDlg.h"

#include <shlobj.h>

#include "ControlUI.h"
#include "FolderBrowse.h"
#include "InstallFolderRule.h"
#include "InstallPaths.h"
#include "InstallRecord.h"
#include "OptionUI.h"
#include "ProgressUI.h"
#include "SingleInstance.h"
#include "StartedProgram.h"
#include "TabLayoutUI.h"

namespace TavikSetup {

using TavikUI::CControlUI;
using TavikUI::NotifyMapEntry;
using TavikUI::NotifyMessage;
using TavikUI::NotifyRow;

namespace {

const wchar_t kSkinFile[] = L"tavik\\tavikInstallDlg.xml";
const wchar_t kSkinResource[] = L"#109";
const UINT kWindowIconId = 101;
const int kProgressEnd = 100;

const NotifyMapEntry* InstallerRows() {
    static const NotifyMapEntry rows[] = {
        NotifyRow(L"click", L"ShowAgreement", &CTavikInstallDlg::OnShowAgreement),
        NotifyRow(L"click", L"ShowSetupConfig", &CTavikInstallDlg::OnShowSetupConfig),
        NotifyRow(L"click", L"StartInstallBtn", &CTavikInstallDlg::OnStartInstall),
        NotifyRow(L"click", L"CheckAgreement", &CTavikInstallDlg::OnCheckAgreement),
        NotifyRow(L"click", L"StartAppBtn", &CTavikInstallDlg::OnStartApp),
        NotifyRow(L"click", L"SelectInstallPathBtn", &CTavikInstallDlg::OnSelectInstallPath),
        NotifyRow(L"click", L"CloseSetupBtn", &CTavikInstallDlg::OnCloseSetup),
        TavikUI::NotifyRowEnd(),
    };
    return rows;
}

}  // namespace

CTavikInstallDlg::CTavikInstallDlg() : CXMLWnd(kSkinFile) {}

CTavikInstallDlg::~CTavikInstallDlg() {
    // Owners stop the install first (StopInstall); this only releases.
    if (installThread_) {
        CloseHandle(installThread_);
    }
    if (stopEvent_) {
        CloseHandle(stopEvent_);
    }
}

const TavikUI::NotifyMap* CTavikInstallDlg::InstallerNotifyMap() {
    static const TavikUI::NotifyMap map = {&WindowImplBase::WindowImplBaseNotifyMap, InstallerRows()};
    return &map;
}

const TavikUI::NotifyMap* CTavikInstallDlg::NotifyMap() const { return InstallerNotifyMap(); }

UINT CTavikInstallDlg::SkinSourceKind() const { return TavikUI::kSkinFromZipResource; }

const wchar_t* CTavikInstallDlg::SkinResourceId() const { return kSkinResource; }

void CTavikInstallDlg::WindowReady() {
    CenterOnOwner();
    SetWindowIcon(kWindowIconId);
    TavikUI::AttachProgramShadow(shadow_, Handle());
    InitInstallFolder();
    if (CControlUI* version = Manager().FindControlByName(L"AppVersion")) {
        version->SetText(InstallRecord::kProductVersion);
        if (CControlUI* finished = Manager().FindControlByName(L"AppVersionFinsh")) {
            finished->SetText(InstallRecord::kProductVersion);
        }
    }
    TavikUI::MarkRunningInstanceWindow(Handle(), kInstanceName);
}

std::wstring CTavikInstallDlg::DefaultInstallFolder() {
    return InstallRecord::SpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Quorel\\tavik_Download\\";
}

void CTavikInstallDlg::InitInstallFolder() {
    installFolder_ = DefaultInstallFolder();
    if (CControlUI* field = Manager().FindControlByName(L"SelectSoftPathEdit")) {
        field->SetText(installFolder_.c_str());
    }
}

LRESULT CTavikInstallDlg::RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCLBUTTONDBLCLK) {
        return 0;
    }
    if (message == kShowPageMessage) {
        ShowInstallPage(static_cast<int>(wParam));
        return 0;
    }
    // A closing window takes its running-instance mark away and cuts the
    // install's waits short; the program then waits for the install thread,
    // bounded.
    if (message == WM_DESTROY) {
        TavikUI::UnmarkRunningInstanceWindow(Handle(), kInstanceName);
        if (stopEvent_) {
            SetEvent(stopEvent_);
        }
    }
    if (message == WM_TIMER && wParam == kProgressTimerId) {
        ++progressCounter_;
        if (auto* bar = FindAs<TavikUI::CProgressUI>(L"InstallProgress", L"Progress")) {
            bar->SetCurrentValue(progressCounter_);
        }
        if (progressCounter_ >= kProgressEnd) {
            KillTimer(Handle(), kProgressTimerId);
        }
    }
    return WindowImplBase::RouteWindowMessage(message, wParam, lParam);
}

void CTavikInstallDlg::ShowInstallPage(int page) {
    if (page == kInstallingPage) {
        ResizeKeepingPosition(kWidth, kHeight);
    }
    if (page == kFailedPage) {
        if (CControlUI* reasons = Manager().FindControlByName(L"FailedReasons")) {
            reasons->SetText(InstallFaultLines(faults_, stayingLine_).c_str());
        }
    }
    SelectPage(L"FunctionTab", page);
}

void CTavikInstallDlg::ResizeKeepingPosition(int width, int height) {
    SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

template <class Control>
Control* CTavikInstallDlg::FindAs(const wchar_t* name, const wchar_t* interfaceName) {
    CControlUI* control = Manager().FindControlByName(name);
    return control ? static_cast<Control*>(control->InterfaceByName(interfaceName)) : nullptr;
}

void CTavikInstallDlg::SelectPage(const wchar_t* layoutName, int page) {
    if (auto* tab = FindAs<TavikUI::CTabLayoutUI>(layoutName, L"TabLayout")) {
        tab->SelectTab(page);
    }
}

bool CTavikInstallDlg::IsOptionSelected(const wchar_t* name) {
    auto* option = FindAs<TavikUI::COptionUI>(name, L"Option");
    return option && option->IsSelected();
}

// The click handlers run before a clicked check box toggles: they read the
// state from before the click.

void CTavikInstallDlg::OnShowAgreement(NotifyMessage&) {
    auto* layout = FindAs<TavikUI::CTabLayoutUI>(L"SetupConfTab", L"TabLayout");
    if (!layout) {
        return;
    }
    layout->SelectTab(0);
    ResizeKeepingPosition(kWidth, kAgreementHeight);
    if (auto* option = FindAs<TavikUI::COptionUI>(L"ShowSetupConfig", L"Option")) {
        option->Select(false);
    }
}

void CTavikInstallDlg::OnShowSetupConfig(NotifyMessage&) {
    SelectPage(L"SetupConfTab", 1);
    CControlUI* button = Manager().FindControlByName(L"StartInstallBtn");
    if (!button) {
        return;
    }
    button->SetText(L"开始安装");
    ResizeKeepingPosition(kWidth, IsOptionSelected(L"ShowSetupConfig") ? kHeight : kOptionsHeight);
}

void CTavikInstallDlg::OnCheckAgreement(NotifyMessage&) {
    if (CControlUI* button = Manager().FindControlByName(L"StartInstallBtn")) {
        button->SetEnabledState(!IsOptionSelected(L"CheckAgreement"));
    }
}

void CTavikInstallDlg::OnStartInstall(NotifyMessage&) {
    // One install per window: further clicks while or after it runs do
    // nothing.
    if (installThread_) {
        return;
    }
    if (!stopEvent_) {
        stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    if (!stopEvent_) {
        return;
    }
    // The thread works on its own copy of the folder field.
    CControlUI* field = Manager().FindControlByName(L"SelectSoftPathEdit");
    folderFieldText_ = field ? std::wstring(field->Text().Text()) : installFolder_;
    progressCounter_ = 0;
    SetTimer(Handle(), kProgressTimerId, kProgressTimerMs, nullptr);
    installDone_ = false;
    installCompleted_ = false;
    faults_ = 0;
    installThread_ = CreateThread(nullptr, 0, InstallThreadProc, this, 0, nullptr);
    if (!installThread_) {
        // Without a thread the install never runs, as if its first step had
        // failed.
        installDone_ = true;
        faults_ = kFaultNotStarted;
        ShowInstallPage(kFailedPage);
    }
}

DWORD WINAPI CTavikInstallDlg::InstallThreadProc(LPVOID window) {
    auto* self = static_cast<CTavikInstallDlg*>(window);
    self->DoInstall();
    self->installDone_ = true;
    return 0;
}

bool CTavikInstallDlg::StopInstall(DWORD waitMs) {
    if (!installThread_) {
        return true;
    }
    SetEvent(stopEvent_);
    return WaitForSingleObject(installThread_, waitMs) == WAIT_OBJECT_0;
}

bool CTavikInstallDlg::InstallFinished() const { return installThread_ && installDone_; }

bool CTavikInstallDlg::StopRequested() const { return WaitForSingleObject(stopEvent_, 0) == WAIT_OBJECT_0; }

void CTavikInstallDlg::PauseUnlessStopped(DWORD ms) const { WaitForSingleObject(stopEvent_, ms); }

void CTavikInstallDlg::OnSelectInstallPath(NotifyMessage&) {
    if (installThread_) {
        return;
    }
    const std::wstring chosen = BrowseInstallFolder();
    if (chosen.empty() || chosen == installFolder_) {
        return;
    }
    const std::wstring folder = InstallFolderRule::FolderForChoice(chosen, InstallFolderRule::IsFolderInUse(chosen));
    if (!InstallFolderRule::IsUsableInstallFolder(folder)) {
        MessageBoxW(Handle(), L"安装路径过长或无效，请重新选择安装目录。", L"tavik刷机小助手", MB_OK | MB_ICONWARNING);
        return;
    }
    installFolder_ = folder;
    if (CControlUI* field = Manager().FindControlByName(L"SelectSoftPathEdit")) {
        field->SetText(installFolder_.c_str());
    }
}

std::wstring CTavikInstallDlg::BrowseInstallFolder() {
    // Not BIF_BROWSEFORCOMPUTER: a dialog that accepts only computers
    // refuses every folder. Unlike the tool's dialog it offers a new folder.
    const UINT flags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_UAHINT;
    return TavikUI::BrowseForFolder(Handle(), L"请选择小助手安装目录", flags, DefaultInstallFolder());
}

void CTavikInstallDlg::OnStartApp(NotifyMessage&) {
    InstallRecord::CStartedProgram tool;
    tool.Start(installFolder_ + InstallRecord::kToolExeName, std::wstring(), installFolder_, SW_RESTORE);
    CloseWithCode(1);
}

// The failed install's button: the tool may be missing, so nothing starts.
void CTavikInstallDlg::OnCloseSetup(NotifyMessage&) { CloseWithCode(IDCANCEL); }

}  // namespace TavikSetup
