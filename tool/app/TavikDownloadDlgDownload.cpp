// The download job: prepare, wait for and connect the phone, compare its
// software version with the package's when the phone list asks for it, and
// flash it, through the Qualcomm engine or the maker's MediaTek library. Each
// step shows its page; the page of the outcome is shown once the job has
// cleaned up and its slot is free, so a retry click never meets the job that
// is ending.
#include "TavikDownloadDlg.h"

#include <string>

#include "MarkupEscape.h"
#include "ProgramFolder.h"
#include "TextFormat.h"

using TavikUI::NotifyMessage;

namespace {

constexpr wchar_t kLibraryMissingText[] = L"Error:加载QX_M_BCB_DL_Dll.dll失败！";
constexpr wchar_t kLibraryMissingCaption[] = L"tavik_Download";
constexpr wchar_t kMtkInitFailedText[] = L"Error:初始化失败!";
constexpr wchar_t kVersionNoticeSkin[] = L"tavik\\VerNULLWarring.xml";
constexpr wchar_t kVersionErrorFormat[] = L"<x 10><f 3>手机版本<c #FF0000>%s</c>错误，请更换</f>";
constexpr char kSkipVersionPrefix[] = "Skip";

constexpr wchar_t kFunctionTab[] = L"FunctionTab";
constexpr wchar_t kConnectTab[] = L"ConnetDev";

}  // namespace

void CTavikDownloadDlg::QueueDownloadJob(NotifyMessage& /*message*/) { QueueJob(&CTavikDownloadDlg::DownloadJob); }

bool CTavikDownloadDlg::LoadMtkDownloadDll() {
    // A folder that cannot be had loads nothing: the MediaTek steps then
    // fail at their export lookup, as without the library.
    const std::wstring folder = ProgramFolder();
    // The library finds its own files relative to the current folder.
    if (!folder.empty()) {
        SetCurrentDirectoryW(folder.c_str());
    }
    mtkLibrary_.SetErrorSink([this](const std::wstring& text) { ReportOwnError(text); });
    if (mtkLibrary_.Load(folder)) {
        return true;
    }
    MessageBoxW(nullptr, kLibraryMissingText, kLibraryMissingCaption, MB_OK);
    return false;
}

void CTavikDownloadDlg::ReportOwnError(const std::wstring& text) {
    ownReport_.code = MSG_FAILURE;
    ownReport_.value = 0;
    ownReport_.length = static_cast<uint16_t>(text.size());
    ownReport_.text = text.c_str();
    ReportDownloadStatus(ownReport_);
    ownReport_.text = nullptr;
}

void CTavikDownloadDlg::SetOutcome(const wchar_t* tab, int page) {
    outcome_.tab = tab;
    outcome_.page = page;
}

int CTavikDownloadDlg::DownloadJob() {
    workInProgress_ = 1;
    SetCheckPercent(0);
    // A retry starts from an empty ring and status, not from the previous
    // run's.
    SetRingProgress(L"DownloadProgress", 0);
    SetControlText(L"DownloadStatus", std::wstring());
    outcome_ = DownloadOutcome{};
    int result = 0;
    if (PrepareDownload()) {
        result = RunDownloadSteps() ? 1 : 0;
        if (result == 0) {
            OnDownloadFailed();
        } else if (platform_ == PLATFORM_MTK) {
            // Every successful MTKHandlt_Init gets its MTKDL_Handle_Del.
            mtkLibrary_.EndSession();
        }
    }
    workInProgress_ = 0;
    return result;
}

void CTavikDownloadDlg::ShowDownloadOutcome() {
    if (outcome_.tab != nullptr) {
        // The last status stays in sight, red when it is why the job failed.
        const bool succeeded = outcome_.tab == kFunctionTab && outcome_.page == TavikPage::kFunctionSucceeded;
        SetControlTextColor(L"DownloadStatus", succeeded ? kStatusGreen : kStatusRed);
    }
    if (outcome_.tab == kFunctionTab) {
        ShowWorkPage(outcome_.page);
    } else if (outcome_.tab != nullptr) {
        ShowWorkPage(TavikPage::kFunctionConnecting);
        SelectPage(outcome_.tab, outcome_.page);
    }
    outcome_ = DownloadOutcome{};
}

bool CTavikDownloadDlg::RunDownloadSteps() {
    bool connected = true;
    if (platform_ == PLATFORM_QCOM) {
        connected = ConnectQcomPhone();
    } else if (platform_ == PLATFORM_MTK) {
        connected = ConnectMtkPhone();
    }
    if (!connected) {
        return false;
    }
    if (config_.checkPhoneVar != 0 && !CheckPhoneVersion()) {
        return false;
    }
    if (platform_ == PLATFORM_QCOM) {
        return DownloadQcom();
    }
    if (platform_ == PLATFORM_MTK) {
        return DownloadMtk();
    }
    SetOutcome(kFunctionTab, TavikPage::kFunctionFailed);
    return false;
}

bool CTavikDownloadDlg::PrepareDownload() {
    ShowWorkPage(TavikPage::kFunctionConnecting);
    if (platform_ == PLATFORM_QCOM) {
        SelectPage(kConnectTab, TavikPage::kQcomWaiting);
        // The image table is rebuilt from the package as it is now: a file
        // gone since the check fails the job before anything is written.
        if (config_.platform == PLATFORM_QCOM && !config_.CheckQcomFiles()) {
            SetOutcome(kFunctionTab, TavikPage::kFunctionFailed);
            return false;
        }
        qcom_.Init_QcomDownLoad(config_.qcom);
        return true;
    }
    if (platform_ == PLATFORM_MTK) {
        SelectPage(kConnectTab, TavikPage::kMtkWaiting);
        return InitMtkDownload();
    }
    return true;
}

bool CTavikDownloadDlg::InitMtkDownload() {
    switch (mtkLibrary_.Init(config_.mtkParams, &CTavikDownloadDlg::OnMtkMessage)) {
    case MtkStepResult::kDone:
        return true;
    case MtkStepResult::kFailed:
        ReportOwnError(kMtkInitFailedText);
        break;
    case MtkStepResult::kMissingExport:
        break;
    }
    // A library that cannot start ends on a page with back and retry.
    SetOutcome(kConnectTab, TavikPage::kMtkConnectError);
    return false;
}

bool CTavikDownloadDlg::ConnectQcomPhone() {
    SelectPage(kConnectTab, TavikPage::kQcomWaiting);
    if (!qcom_.SearchDevices()) {
        SetOutcome(kConnectTab, TavikPage::kQcomTimeOut);
        return false;
    }
    if (!qcom_.ConnectPhone()) {
        SetOutcome(kConnectTab, TavikPage::kQcomConnectError);
        return false;
    }
    return true;
}

bool CTavikDownloadDlg::ConnectMtkPhone() {
    SelectPage(kConnectTab, TavikPage::kMtkWaiting);
    switch (mtkLibrary_.Connect()) {
    case MtkStepResult::kDone:
        return true;
    case MtkStepResult::kFailed:
        SetOutcome(kConnectTab, TavikPage::kMtkTimeOut);
        return false;
    case MtkStepResult::kMissingExport:
        break;
    }
    SetOutcome(kConnectTab, TavikPage::kMtkConnectError);
    return false;
}

bool CTavikDownloadDlg::CheckPhoneVersion() {
    if (platform_ == PLATFORM_QCOM) {
        return CheckQcomPhoneVersion();
    }
    if (platform_ == PLATFORM_MTK) {
        return CheckMtkPhoneVersion();
    }
    return false;
}

bool CTavikDownloadDlg::CheckQcomPhoneVersion() {
    SelectPage(kConnectTab, TavikPage::kQcomMatching);
    std::string version;
    if (!qcom_.CheckPhoneVersion(version)) {
        SetOutcome(kConnectTab, TavikPage::kQcomConnectError);
        return false;
    }
    if (version.empty() || version.compare(0, 4, kSkipVersionPrefix) == 0) {
        ShowMessageDlg(kVersionNoticeSkin);
        return true;
    }
    const std::wstring phoneVersion = AnsiToWide(version);
    if (_wcsicmp(phoneVersion.c_str(), ExpectedVersion().c_str()) == 0) {
        return true;
    }
    SetOutcome(kConnectTab, TavikPage::kQcomVersionError);
    ShowVersionErrorFor(phoneVersion);
    return false;
}

bool CTavikDownloadDlg::CheckMtkPhoneVersion() {
    SelectPage(kConnectTab, TavikPage::kMtkMatching);
    std::wstring phoneVersion;
    if (mtkLibrary_.Check(phoneVersion) != MtkStepResult::kDone) {
        SetOutcome(kConnectTab, TavikPage::kMtkConnectError);
        return false;
    }
    if (phoneVersion.empty()) {
        ShowMessageDlg(kVersionNoticeSkin);
        return true;
    }
    if (phoneVersion == ExpectedVersion()) {
        return true;
    }
    SetOutcome(kConnectTab, TavikPage::kMtkVersionError);
    ShowVersionErrorFor(phoneVersion);
    return false;
}

void CTavikDownloadDlg::ShowVersionErrorFor(const std::wstring& phoneVersion) {
    wchar_t modelName[kExternalTypeOutChars] = {};
    config_.GetExternalType(phoneVersion.c_str(), modelName);
    ShowVersionError(modelName);
}

void CTavikDownloadDlg::ShowVersionError(const std::wstring& modelName) {
    // The name comes from the phone: its brackets must not open markup tags.
    const std::wstring text = FormatWide(kVersionErrorFormat, EscapeMarkup(modelName).c_str());
    SetControlText(L"QcomVersionErrPhoneName", text);
    SetControlText(L"MtkVersionErrPhoneName", text);
}

bool CTavikDownloadDlg::DownloadQcom() {
    ShowWorkPage(TavikPage::kFunctionProgress);
    const bool ok = qcom_.StartDownload() != 0;
    SetOutcome(kFunctionTab, ok ? TavikPage::kFunctionSucceeded : TavikPage::kFunctionFailed);
    return ok;
}

bool CTavikDownloadDlg::DownloadMtk() {
    ShowWorkPage(TavikPage::kFunctionProgress);
    switch (mtkLibrary_.Download()) {
    case MtkStepResult::kDone:
        SetOutcome(kFunctionTab, TavikPage::kFunctionSucceeded);
        return true;
    case MtkStepResult::kFailed:
        SetOutcome(kFunctionTab, TavikPage::kFunctionFailed);
        return false;
    case MtkStepResult::kMissingExport:
        break;
    }
    SetOutcome(kConnectTab, TavikPage::kMtkConnectError);
    return false;
}

void CTavikDownloadDlg::ReleaseMtkLibrary() {
    if (!mtkLibrary_.IsLoaded()) {
        return;
    }
    // A job still inside the library after the close's wait keeps it: its
    // code must not go away under the running call. The destructor waits for
    // the job and frees it then.
    if (jobThread_.IsSet() && WaitForSingleObject(jobThread_.Get(), 0) != WAIT_OBJECT_0) {
        return;
    }
    OutputDebugStringW(L"MtkDlDestroy !\n");
    mtkLibrary_.Unload();
}

void CTavikDownloadDlg::OnDownloadFailed() {
    if (platform_ == PLATFORM_MTK) {
        mtkLibrary_.EndSession();
    }
}
