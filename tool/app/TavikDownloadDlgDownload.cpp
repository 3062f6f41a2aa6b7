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

// The causes the tool decides itself (no phone came, the versions differ),
// and why a step failed when none of its reports said so.
constexpr wchar_t kPackageFilesGoneText[] = L"Error:资源包文件缺失，请重新选择资源包!";
constexpr wchar_t kPhoneTimeOutText[] = L"Error:等待手机超时!";
constexpr wchar_t kConnectFailedText[] = L"Error:连接手机失败!";
constexpr wchar_t kVersionMismatchText[] = L"Error:手机版本与资源包不符!";
constexpr wchar_t kWriteFailedText[] = L"Error:写入手机失败!";
constexpr wchar_t kDownloadFailedText[] = L"Error:刷机失败!";
constexpr wchar_t kOutOfMemoryText[] = L"Error:内存不足!";

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

void CTavikDownloadDlg::SetFailure(const wchar_t* tab, int page, const wchar_t* fallbackReason) {
    SetOwnFailure(tab, page, jobReports_.StepReason(fallbackReason));
}

void CTavikDownloadDlg::SetOwnFailure(const wchar_t* tab, int page, const std::wstring& reason) {
    outcome_ = DownloadOutcome{tab, page, false, reason};
}

void CTavikDownloadDlg::SetSuccess() {
    outcome_ = DownloadOutcome{kFunctionTab, TavikPage::kFunctionSucceeded, true, jobReports_.SuccessSummary()};
}

int CTavikDownloadDlg::DownloadJob() {
    workInProgress_ = 1;
    SetCheckPercent(0);
    // A retry starts from an empty ring and status, not from the previous
    // run's.
    SetRingProgress(L"DownloadProgress", 0);
    SetControlText(L"DownloadStatus", std::wstring());
    outcome_ = DownloadOutcome{};
    jobReports_.Clear();
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
    // A route that failed without naming its page still ends on one.
    if (result == 0 && outcome_.tab == nullptr) {
        SetFailure(kFunctionTab, TavikPage::kFunctionFailed, kDownloadFailedText);
    }
    workInProgress_ = 0;
    return result;
}

void CTavikDownloadDlg::FailJobOutOfMemory(Job job) {
    ReportOwnError(kOutOfMemoryText);
    if (job != &CTavikDownloadDlg::DownloadJob) {
        // The package check: the package is not ready.
        SelectPage(L"SelectSoftPathBtnTab", TavikPage::kPathBrowseButton);
        ShowInvalidPackage();
        return;
    }
    OnDownloadFailed();
    SetOwnFailure(kFunctionTab, TavikPage::kFunctionFailed, kOutOfMemoryText);
    workInProgress_ = 0;
}

void CTavikDownloadDlg::ShowDownloadOutcome() {
    if (outcome_.tab == nullptr) {
        return;
    }
    // The summary of a success, or in red the reason of a failure.
    SetControlTextColor(L"DownloadStatus", outcome_.succeeded ? kStatusGreen : kStatusRed);
    SetControlText(L"DownloadStatus", outcome_.text);
    if (outcome_.tab == kFunctionTab) {
        ShowWorkPage(outcome_.page);
    } else {
        ShowWorkPage(TavikPage::kFunctionConnecting);
        SelectPage(outcome_.tab, outcome_.page);
    }
    outcome_ = DownloadOutcome{};
}

bool CTavikDownloadDlg::RunDownloadSteps() {
    // Each step starts without a reason: an error an earlier step went on
    // from is not why this one failed.
    jobReports_.BeginStep();
    bool connected = true;
    if (platform_ == PLATFORM_QCOM) {
        connected = ConnectQcomPhone();
    } else if (platform_ == PLATFORM_MTK) {
        connected = ConnectMtkPhone();
    }
    if (!connected) {
        return false;
    }
    jobReports_.BeginStep();
    if (config_.checkPhoneVar != 0 && !CheckPhoneVersion()) {
        return false;
    }
    jobReports_.BeginStep();
    if (platform_ == PLATFORM_QCOM) {
        return DownloadQcom();
    }
    if (platform_ == PLATFORM_MTK) {
        return DownloadMtk();
    }
    SetFailure(kFunctionTab, TavikPage::kFunctionFailed, kDownloadFailedText);
    return false;
}

bool CTavikDownloadDlg::PrepareDownload() {
    ShowWorkPage(TavikPage::kFunctionConnecting);
    if (platform_ == PLATFORM_QCOM) {
        SelectPage(kConnectTab, TavikPage::kQcomWaiting);
        // The keep-user-data list and the image table are made from the
        // package as it is now: a list that cannot be written, or a file gone
        // since the check, fails the job before the phone is touched.
        const bool listReady = config_.forUser == 0 || SelectUserDataList();
        if (config_.platform == PLATFORM_QCOM && (!listReady || !config_.CheckQcomFiles())) {
            SetFailure(kFunctionTab, TavikPage::kFunctionFailed, kPackageFilesGoneText);
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
    SetFailure(kConnectTab, TavikPage::kMtkConnectError, kMtkInitFailedText);
    return false;
}

bool CTavikDownloadDlg::ConnectQcomPhone() {
    SelectPage(kConnectTab, TavikPage::kQcomWaiting);
    if (!qcom_.SearchDevices()) {
        SetOwnFailure(kConnectTab, TavikPage::kQcomTimeOut, kPhoneTimeOutText);
        return false;
    }
    if (!qcom_.ConnectPhone()) {
        SetFailure(kConnectTab, TavikPage::kQcomConnectError, kConnectFailedText);
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
        // The library's own reason (a refused download agent) when it gave
        // one; the time-out only when it said nothing.
        SetFailure(kConnectTab, TavikPage::kMtkTimeOut, kPhoneTimeOutText);
        return false;
    case MtkStepResult::kMissingExport:
        break;
    }
    SetFailure(kConnectTab, TavikPage::kMtkConnectError, kConnectFailedText);
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
        SetFailure(kConnectTab, TavikPage::kQcomConnectError, kConnectFailedText);
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
    SetOwnFailure(kConnectTab, TavikPage::kQcomVersionError, kVersionMismatchText);
    ShowVersionErrorFor(phoneVersion);
    return false;
}

bool CTavikDownloadDlg::CheckMtkPhoneVersion() {
    SelectPage(kConnectTab, TavikPage::kMtkMatching);
    std::wstring phoneVersion;
    if (mtkLibrary_.Check(phoneVersion) != MtkStepResult::kDone) {
        SetFailure(kConnectTab, TavikPage::kMtkConnectError, kConnectFailedText);
        return false;
    }
    if (phoneVersion.empty()) {
        ShowMessageDlg(kVersionNoticeSkin);
        return true;
    }
    if (phoneVersion == ExpectedVersion()) {
        return true;
    }
    SetOwnFailure(kConnectTab, TavikPage::kMtkVersionError, kVersionMismatchText);
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
    if (qcom_.StartDownload() == 0) {
        SetFailure(kFunctionTab, TavikPage::kFunctionFailed, kWriteFailedText);
        return false;
    }
    SetSuccess();
    return true;
}

bool CTavikDownloadDlg::DownloadMtk() {
    ShowWorkPage(TavikPage::kFunctionProgress);
    switch (mtkLibrary_.Download()) {
    case MtkStepResult::kDone:
        SetSuccess();
        return true;
    case MtkStepResult::kFailed:
        SetFailure(kFunctionTab, TavikPage::kFunctionFailed, kWriteFailedText);
        return false;
    case MtkStepResult::kMissingExport:
        break;
    }
    SetFailure(kConnectTab, TavikPage::kMtkConnectError, kConnectFailedText);
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
