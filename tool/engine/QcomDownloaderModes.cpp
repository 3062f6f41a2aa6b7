// The steps that bring the phone into the mode a flow needs: emergency
// download mode (EDL) for the FireHose and automatic flows, download mode
// (the eMMC as a USB disk) for the Sahara flow, and the restart after a
// download.
#include "QcomDownloader.h"

#include "DiskPackagePlan.h"
#include "PackageFile.h"
#include "QmslLibrary.h"
#include "TextFormat.h"

namespace {

constexpr DWORD kAfterEdlPauseMs = 1000;
constexpr DWORD kAfterResetPauseMs = 1000;
constexpr uint8_t kMsimageOption1 = 1;
constexpr uint8_t kMsimageOption2 = 0;
constexpr uint32_t kMsimageOption3 = 5;
constexpr uint32_t kMsimageOption4 = 5;

// Two spellings of one text: the EDL switches of the FireHose flow end theirs
// with a blank.
const wchar_t kRetrySearchBlankText[] = L"Retry to SearchDevices... ";
const wchar_t kRetrySearchText[] = L"Retry to SearchDevices...";
const wchar_t kRebootAgainText[] = L"Reboot phone Failed,Please Reboot Phone and Try again";

}  // namespace

bool FindPackageFileA(const std::string& folder, const std::string& name, std::string& path) {
    const PackageFileLookup lookup = LookUpPackageFile(AnsiToWide(folder), AnsiToWide(name));
    path = WideToAnsi(lookup.path);
    return lookup.status == PackageFileLookup::FOUND;
}

int32_t CQcomDownloader::SetPhoneToEdl() { return SetPhoneToEdlBy(false); }

int32_t CQcomDownloader::SetPhoneToEdlWithFallback() { return SetPhoneToEdlBy(true); }

int32_t CQcomDownloader::SetPhoneToEdlBy(bool withFallback) {
    SendText(L"Set the Phone to EDL...", MSG_DETAIL);
    const wchar_t* retryText = kRetrySearchBlankText;
    switch (phoneMode) {
    case PHONE_EMPTY:
        // The Sahara connection is already open.
        SendText(L"the Phone in EDL！", MSG_STEP_OK);
        return 1;
    case PHONE_DOWNLOAD:
        SendText(L"the Phone in Download Mode！", MSG_DETAIL);
        if (SetEdlFromDownload() == 0) {
            return 0;
        }
        break;
    case PHONE_NORMAL:
        SendText(L"the Phone in Normal Mode！", MSG_DETAIL);
        if (withFallback) {
            if (SwitchNormalPhoneToEdl() == 0) {
                return 0;
            }
            retryText = kRetrySearchText;
        } else if (SwitchToEdl() == 0) {
            SendText(L"Set the Phone to EDL Mode Fail！", MSG_FAILURE);
            return 0;
        }
        break;
    default:
        return 0;
    }
    SendText(retryText, MSG_DETAIL);
    if (WaitForMode(PHONE_EMPTY) == 0) {
        return 0;
    }
    Pause(kAfterEdlPauseMs);
    if (ReconnectPhone() == 0) {
        return 0;
    }
    SendText(L"Connect To Phone Success!", MSG_STEP_OK);
    return 1;
}

int32_t CQcomDownloader::ReconnectPhone() {
    SendText(L"Connect To Phone...", MSG_DETAIL);
    if (ConnectPhone() == 0) {
        SendText(L"Connect To Phone Fail!", MSG_FAILURE);
        return 0;
    }
    return 1;
}

int32_t CQcomDownloader::SwitchNormalPhoneToEdl() {
    if (SwitchToEdl() != 0) {
        return 1;
    }
    SendText(L"QLIB_QPHONEMS_SwitchToEDL Fail！", MSG_FALLBACK);
    if (RebootToEdlByFastBoot() != 0) {
        return 1;
    }
    SendText(L"Usre ADB Fail！", MSG_FALLBACK);
    // Last route: download mode, where wiping the partition table makes
    // the phone restart in EDL.
    if (SwitchToDownloadMode() == 0) {
        SendText(L"Set the Phone to Download Mode Fail！", MSG_FAILURE);
        return 0;
    }
    SendText(kRetrySearchBlankText, MSG_DETAIL);
    if (WaitForMode(PHONE_DOWNLOAD) == 0) {
        return 0;
    }
    if (ReconnectPhone() == 0) {
        return 0;
    }
    SendText(L"Set the Phone in Download Mode....", MSG_DETAIL);
    if (SetEdlFromDownload() == 0) {
        SendText(L"Set the Phone to EDL Mode Fail！", MSG_FAILURE);
        SendText(kRebootAgainText, MSG_FAILURE);
        return 0;
    }
    return 1;
}

int32_t CQcomDownloader::SetEdlFromDownload() {
    SendText(L"Set the phone mode to EDL  From Download...", MSG_PROGRESS_LINE);
    std::wstring diskPath;
    if (!FindQcomDisk(diskPath)) {
        return 0;
    }
    SendText(L"DiskName:", MSG_DETAIL);
    SendText(diskPath, MSG_DETAIL);
    {
        const CScopedHandle disk(CreateFileW(diskPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
        if (!disk.IsSet()) {
            SendText(L"Open Disk Faile!", MSG_FAILURE);
            return 0;
        }
        // The wipe is for good: the package must fit this disk first, as
        // the disk writer checks it, or the phone stays as it is.
        const uint32_t numDiskSectors = GetDriveGeometry(disk.Get());
        if (numDiskSectors == 0 || !CDiskPackagePlan().Read(*this, numDiskSectors)) {
            return 0;
        }
        // Without a partition table the phone can only start in EDL.
        SendText(L"Wipe Disk .....", MSG_DETAIL);
        if (WipeDiskLayout(disk.Get())) {
            SendText(L"Wipe Disk SUCCESS!", MSG_STEP_OK);
        } else {
            SendText(L"Wipe Disk Fail!", MSG_FAILURE);
        }
    }
    SendText(L"Reboot ....", MSG_PROGRESS_LINE);
    if (ResetPhone() == 0) {
        SendText(L"Reboot phone Failed!", MSG_FAILURE);
        return 0;
    }
    Pause(kAfterResetPauseMs);
    if (SearchForMode(PHONE_EMPTY) == 0) {
        SendText(kRebootAgainText, MSG_FAILURE);
        return 0;
    }
    return 1;
}

int32_t CQcomDownloader::ResetPhone() {
    if (DLoadReset() != 0) {
        return 1;
    }
    SendText(L"QLIB_QPHONEMS_DLoad_Reset Fail!", MSG_FALLBACK);
    // The serial port must be free for the reset packet.
    DisconnectAll();
    return SendSaharaReset();
}

int32_t CQcomDownloader::SetPhoneToDownloadMode() {
    SendText(L"Set the Phone to Download Mode...", MSG_DETAIL);
    switch (phoneMode) {
    case PHONE_EMPTY:
        SendText(L"the Phone in EDL！", MSG_STEP_OK);
        if (FlashProgrammerSahara() == 0) {
            return 0;
        }
        break;
    case PHONE_DOWNLOAD:
        SendText(L"the Phone in Download Mode！", MSG_DETAIL);
        return 1;
    case PHONE_NORMAL:
        SendText(L"the Phone in Normal Mode！", MSG_DETAIL);
        SendText(L"reboot phone to EDL Mode...", MSG_PROGRESS_LINE);
        if (SwitchToDownloadMode() == 0) {
            SendText(L"Set the Phone to Download Mode Fail!", MSG_FAILURE);
            return 0;
        }
        break;
    default:
        return 0;
    }
    SendText(kRetrySearchText, MSG_DETAIL);
    if (WaitForMode(PHONE_DOWNLOAD) == 0) {
        return 0;
    }
    if (ReconnectPhone() == 0) {
        return 0;
    }
    SendText(L"Connect To Phone Success!", MSG_STEP_OK);
    return 1;
}

bool CQcomDownloader::SaharaFilesPresent() {
    if (phoneMode != PHONE_EMPTY) {
        return true;
    }
    const std::string folder = FieldText(settings.softwarePath);
    std::string path;
    if (!FindPackageFileA(folder, FieldText(settings.saharaProgrammer), path)) {
        SendText(L"MPRGFile No Find!", MSG_FAILURE);
        return false;
    }
    if (!FindPackageFileA(folder, FieldText(settings.saharaImage), path)) {
        SendText(L"EmmcUserPartitionImage No Find!", MSG_FAILURE);
        return false;
    }
    return true;
}

int32_t CQcomDownloader::FlashProgrammerSahara() {
    SendText(L"Flash Programmer File...", MSG_PROGRESS_LINE);
    std::string programmer;
    if (!FindPackageFileA(FieldText(settings.softwarePath), FieldText(settings.saharaProgrammer), programmer)) {
        SendText(L"MPRGFile No Find!", MSG_FAILURE);
        return 0;
    }
    SendText(FormatWide(L"Programmer File: %S", programmer.c_str()), MSG_PROGRESS_LINE);
    if (QLIB_QPHONEMS_Sahara_FlashProgrammer(saharaHandle, programmer.c_str()) == 0) {
        SendText(L"Flash Programmer File Fail!", MSG_FAILURE);
        SendText(L"Please Reboot Phone and Try  again!", MSG_FAILURE);
        return 0;
    }
    SetPercent(progressPercent + 1);
    SendText(L"Sahara Disconnect Phone!", MSG_DETAIL);
    DisconnectAll();
    // The programmer answers diagnostics requests on the same port.
    normalHandle = QLIB_ConnectServer(static_cast<uint32_t>(comPort));
    if (normalHandle == 0) {
        SendText(L"Normal Connect Phone Fail!", MSG_FAILURE);
        return 0;
    }
    std::string msimage;
    if (!FindPackageFileA(FieldText(settings.softwarePath), FieldText(settings.saharaImage), msimage)) {
        SendText(L"EmmcUserPartitionImage No Find!", MSG_FAILURE);
        return 0;
    }
    SendText(FormatWide(L"EmmcUserPartitionImage File: %S", msimage.c_str()), MSG_PROGRESS_LINE);
    SetPercent(progressPercent + 1);
    SendText(L"UploadEmmcUserParitionImage...", MSG_DETAIL);
    uint32_t result = 0;
    if (QLIB_QPHONEMS_UploadEmmcUserParitionImage(normalHandle, "", msimage.c_str(), kMsimageOption1, kMsimageOption2,
                                                  kMsimageOption3, kMsimageOption4, &result) == 0) {
        SendText(L"UploadEmmcUserParitionImage Fail", MSG_FAILURE);
        return 0;
    }
    SetPercent(progressPercent + 1);
    SendText(L"UploadEmmcUserParitionImage Success!", MSG_STEP_OK);
    // The phone comes back in download mode.
    SendText(L"reboot phone to Download Mode...", MSG_PROGRESS_LINE);
    DisconnectAll();
    return 1;
}
