// The package check: the folder choice, the check job on the job thread and
// the keep-user-data options.
#include "TavikDownloadDlg.h"

#include <shlobj.h>

#include "FolderBrowse.h"
#include "TextFormat.h"

using TavikUI::NotifyMessage;

namespace {

const wchar_t kFolderDialogTitle[] = L"请选择资源包目录";
// BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_UAHINT |
// BIF_NONEWFOLDERBUTTON. Not BIF_BROWSEFORCOMPUTER: a dialog that accepts
// only computers refuses every package folder.
constexpr UINT kFolderDialogFlags = 0x0351;

const wchar_t kConfirmText[] = L"确定";
const wchar_t kStartFlashText[] = L"开始刷机";
const wchar_t kNoFolderText[] = L"请选择Rom包路径！";

const wchar_t kWaitingPicture[] = L"DefWaitting.png";
const wchar_t kFailPicture[] = L"DefPhone_FailSet.png";

constexpr int kReadyFrames = 20;
constexpr DWORD kReadyFrameMs = 100;

bool AnsiFileExists(const char* path) {
    if (!path || path[0] == '\0') {
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

void CTavikDownloadDlg::OnSelectSoftPathBtn(NotifyMessage& /*message*/) {
    // A new folder during a check or its ready animation would leave the
    // user-data choice showing for a package that is not ready.
    if (jobRunning_) {
        return;
    }
    ChooseSoftwareFolder(BrowseSoftwareFolder());
}

void CTavikDownloadDlg::ChooseSoftwareFolder(const std::wstring& chosen) {
    if (chosen.empty() || chosen == SoftwareFolder()) {
        return;
    }
    workInProgress_ = 1;
    packageReady_ = 0;
    SetSoftwarePath(chosen);
    EnableConfirmButton(true);
    SelectPage(L"SelectSoftStatusTab", TavikPage::kStatusText);
}

std::wstring CTavikDownloadDlg::BrowseSoftwareFolder() {
    return TavikUI::BrowseForFolder(Handle(), kFolderDialogTitle, kFolderDialogFlags, SoftwareFolder());
}

void CTavikDownloadDlg::SetSoftwarePath(const std::wstring& folder) {
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        softwareFolder_.AssignText(folder.c_str());
    }
    SetControlText(L"SelectSoftPathEdit", folder);
}

void CTavikDownloadDlg::EnableConfirmButton(bool enable) {
    // Without a job thread the button could start nothing.
    SetControlEnabled(L"ConfirmSoftwareBtn", enable && JobThreadAvailable());
    SetControlText(L"ConfirmSoftwareBtn", packageReady_ ? kStartFlashText : kConfirmText);
    if (enable) {
        SetControlText(L"SelectSoftStatus", std::wstring());
    }
}

void CTavikDownloadDlg::OnConfirmSoftwareBtn(NotifyMessage& message) {
    workInProgress_ = 1;
    if (packageReady_) {
        QueueDownloadJob(message);
    } else {
        QueueJob(&CTavikDownloadDlg::CheckSoftwarePackageJob);
    }
}

bool CTavikDownloadDlg::CheckSoftwarePathSet() {
    if (!SoftwareFolder().empty()) {
        return true;
    }
    ShowStatusText(kNoFolderText, kStatusRed);
    packageReady_ = 0;
    return false;
}

int CTavikDownloadDlg::CheckSoftwarePackageJob() {
    SetControlText(L"InvalidPackageReason", std::wstring());
    SetControlEnabled(L"ConfirmSoftwareBtn", false);
    SetControlText(L"ConfirmSoftwareBtn", packageReady_ ? kStartFlashText : kConfirmText);
    if (!CheckSoftwarePathSet()) {
        SelectPage(L"SelectSoftStatusTab", TavikPage::kStatusInvalidPackage);
        return 0;
    }
    SelectPage(L"SelectSoftPathBtnTab", TavikPage::kPathCheckPercent);
    SetPhonePicture(kWaitingPicture);

    // The folder goes to the configuration whole, as text.
    const std::wstring folder = SoftwareFolder();
    if (!config_.LoadPhoneConfig(folder.c_str())) {
        SelectPage(L"SelectSoftPathBtnTab", TavikPage::kPathBrowseButton);
        ShowInvalidPackage();
        return 0;
    }

    {
        std::lock_guard<std::mutex> guard(stateLock_);
        expectedVersion_.AssignText(config_.versionName);
        phoneName_.AssignText(config_.externalType);
    }
    SetPhonePicture(config_.picName);
    SetControlText(L"SWPhoneName", config_.externalType);
    platform_ = config_.platform;

    bool ok = false;
    switch (platform_) {
    case PLATFORM_QCOM:
        ok = config_.CheckQcomFiles();
        break;
    case PLATFORM_MTK:
        // The MediaTek library cannot flash without both files.
        ok = AnsiFileExists(config_.daPath) && AnsiFileExists(config_.scatterPath);
        if (!ok) {
            config_.SendMessage(L"DA or scatter file is missing!", MSG_FAILURE);
        }
        break;
    default:
        // A row of no known platform can never be flashed.
        config_.SendMessage(L"Mobile platform configuration error!", MSG_FAILURE);
        break;
    }
    SelectPage(L"SelectSoftPathBtnTab", TavikPage::kPathBrowseButton);
    if (!ok) {
        ShowInvalidPackage();
        return 0;
    }
    // Keeping the user's data is the default, and stays so when its list
    // cannot be written here: the note beside the choice says why such a
    // start is refused, and the full flash still works.
    SelectOption(L"SaveUserData");
    SelectUserDataList();
    packageReady_ = 1;
    PlaySoftwareReadyAnimation();
    SelectPage(L"SelectSoftStatusTab", TavikPage::kStatusUserDataChoice);
    EnableConfirmButton(true);
    return 1;
}

void CTavikDownloadDlg::ShowInvalidPackage() {
    packageReady_ = 0;
    SetPhonePicture(kFailPicture);
    SelectPage(L"SelectSoftStatusTab", TavikPage::kStatusInvalidPackage);
}

void CTavikDownloadDlg::SetPhonePicture(const std::wstring& file) {
    if (file.empty()) {
        return;
    }
    SetControlBackgroundImage(L"PhonePic", FormatWide(L"PhoneList\\%s", file.c_str()));
}

void CTavikDownloadDlg::PlaySoftwareReadyAnimation() {
    SetControlText(L"SelectSoftStatus", std::wstring());
    SetControlVisible(L"SoftwareReadyGif", true);
    for (int frame = 1; frame <= kReadyFrames && runFlag_.Load() != 0; ++frame) {
        SetControlBackgroundImage(L"SoftwareReadyGif", FormatWide(L"Tavik\\Png_List\\%03d.png", frame));
        Sleep(kReadyFrameMs);
    }
    SetControlVisible(L"SoftwareReadyGif", false);
}

// The configuration these options set is the job's while one runs.
void CTavikDownloadDlg::OnSaveUserData(NotifyMessage& /*message*/) {
    if (jobRunning_) {
        return;
    }
    SelectOption(L"SaveUserData");
    SelectUserDataList();
}

bool CTavikDownloadDlg::SelectUserDataList() {
    const bool written = config_.SelectRawProgram(0);
    SetControlVisible(L"UserDataListNote", !written);
    return written;
}

void CTavikDownloadDlg::OnSaveProductionData(NotifyMessage& /*message*/) {
    if (jobRunning_) {
        return;
    }
    SelectOption(L"SaveProductionData");
    config_.SelectRawProgram(1);
}
