// The three download flows, chosen by the package's download type: FireHose
// (QMSL uploads the images in emergency download mode), Sahara (the msimage
// program shows the eMMC as a USB disk and the engine writes it) and the
// automatic flow (FireHose with every way into emergency download mode).
#include "QcomDownloader.h"

#include "DiskPackagePlan.h"
#include "ProgramFolder.h"
#include "QmslLibrary.h"
#include "TextFormat.h"

namespace {

constexpr DWORD kAfterSaharaPauseMs = 500;
constexpr int32_t kPercentStart = 0;
constexpr int32_t kPercentInEdl = 1;
constexpr int32_t kPercentProgrammerRuns = 2;
constexpr int32_t kPercentSaharaClosed = 3;
constexpr int32_t kPercentReadyToUpload = 4;

}  // namespace

// What sets the FireHose flow and the automatic flow apart.
struct CQcomDownloader::FireHoseFlowStyle {
    const wchar_t* startText;
    bool withFallback;               // every way into EDL, not only QMSL's switch
    bool programmerInProgramFolder;  // also "FireHoseMPRG" beside the program
    int32_t pingSuccessCode;
    int32_t flashFailCode;
};

void CQcomDownloader::SetPercent(int32_t percent) {
    progressPercent = percent;
    SendPercent(percent);
}

int32_t CQcomDownloader::StartDownload() {
    SendText(L"Start DownLoad...", MSG_DETAIL);
    switch (settings.downLoadType) {
    case DOWNLOAD_FIREHOSE:
        return FireHoseDownload();
    case DOWNLOAD_SAHARA:
        return SaharaDownload();
    case DOWNLOAD_AUTO:
        return AutoDownload();
    default:
        return 0;
    }
}

int32_t CQcomDownloader::FireHoseDownload() {
    static const FireHoseFlowStyle kStyle{L"Start FireHoseDownload...", false, false, MSG_STEP_OK, MSG_DETAIL};
    return RunFireHoseFlow(kStyle);
}

int32_t CQcomDownloader::AutoDownload() {
    static const FireHoseFlowStyle kStyle{L"Start AutoDownload...", true, true, MSG_SUMMARY, MSG_FAILURE};
    return RunFireHoseFlow(kStyle);
}

bool CQcomDownloader::FindFireHoseProgrammer(bool inProgramFolderToo, std::string& path) const {
    const std::string name = FieldText(settings.fireHoseProgrammer);
    if (FindPackageFileA(FieldText(settings.softwarePath), name, path)) {
        return true;
    }
    if (!inProgramFolderToo) {
        return false;
    }
    const std::wstring beside = PathInFolder(ProgramFolder(), L"FireHoseMPRG\\" + AnsiToWide(name));
    path = WideToAnsi(beside);
    return !beside.empty() && FileExistsA(path);
}

int32_t CQcomDownloader::RunFireHoseFlow(const FireHoseFlowStyle& style) {
    totalTimeText.clear();
    throughputText.clear();
    SetPercent(kPercentStart);
    SendText(style.startText, MSG_DETAIL);
    qmslMbUploaded = 0;
    // The way into emergency download mode may wipe the layout or erase the
    // boot loader: what the PC holds is checked before.
    std::string programmer;
    if (!FindFireHoseProgrammer(style.programmerInProgramFolder, programmer)) {
        SendText(FormatWide(L"Can't Finded %S", FieldText(settings.fireHoseProgrammer).c_str()), MSG_FAILURE);
        return 0;
    }
    if (!CDiskPackagePlan().Read(*this, std::nullopt)) {
        return 0;
    }
    if ((style.withFallback ? SetPhoneToEdlWithFallback() : SetPhoneToEdl()) == 0) {
        return 0;
    }

    if (StopRequested()) {
        return 0;
    }
    // The programmer goes up through the Sahara connection.
    SetPercent(kPercentInEdl);
    SendText(L"Flash Programmer File...", MSG_PROGRESS_LINE);
    SendText(FormatWide(L"Programmer File: %S", programmer.c_str()), MSG_PROGRESS_LINE);
    if (QLIB_QPHONEMS_Sahara_FlashProgrammer(saharaHandle, programmer.c_str()) == 0) {
        SendText(L"Flash Programmer File Fail!", MSG_FAILURE);
        return 0;
    }
    SetPercent(kPercentProgrammerRuns);
    SendText(L"Sahara Disconnect Phone!", MSG_DETAIL);
    if (saharaHandle != 0) {
        QLIB_DisconnectServer_Sahara(saharaHandle);
        saharaHandle = 0;
    }
    SetPercent(kPercentSaharaClosed);
    Pause(kAfterSaharaPauseMs);

    if (StopRequested()) {
        return 0;
    }
    // The programmer speaks FireHose on the same port.
    SendText(L"FireHose Connect Phone...", MSG_DETAIL);
    if (ConnectFireHose() == 0) {
        SendText(L"FireHose Connect Phone Fail", MSG_FAILURE);
        return 0;
    }
    SendText(L"FireHose Ping Phone...", MSG_DETAIL);
    if (PingFireHose() == 0) {
        SendText(L"FireHose Ping Phone Fail", MSG_FAILURE);
        return 0;
    }
    SendText(L"FireHose Ping Phone Success", style.pingSuccessCode);
    SetPercent(kPercentReadyToUpload);
    SendText(L"Configure FireHose Download", MSG_DETAIL);
    if (ConfigureFireHose() == 0) {
        SendText(L"Configure FireHose Download Fail", MSG_FAILURE);
        return 0;
    }

    if (StopRequested()) {
        return 0;
    }
    // The estimator moves the percentage while QMSL uploads.
    SendText(L"Start FlashImage...", MSG_PROGRESS_LINE);
    progressActive = 1;
    SetEvent(progressEvent.Get());
    const int32_t uploaded = UploadImages();
    progressActive = 0;
    if (uploaded == 0) {
        SendText(L"FlashImage Fail!", style.flashFailCode);
        return 0;
    }
    SendText(L"Reboot Phone...", MSG_DETAIL);
    ResetFireHose();
    SendText(FormatWide(L"Download Success\n%s \nTotal Size：%0.2f MB\n %s", totalTimeText.c_str(), settings.romSizeMb,
                        throughputText.c_str()),
             MSG_SUMMARY);
    return 1;
}

int32_t CQcomDownloader::SaharaDownload() {
    SetPercent(kPercentStart);
    // The phone changes mode before the disk is written: what the PC holds
    // is checked before.
    if (!SaharaFilesPresent() || !CDiskPackagePlan().Read(*this, std::nullopt)) {
        return 0;
    }
    if (SetPhoneToDownloadMode() == 0) {
        return 0;
    }
    if (StopRequested()) {
        return 0;
    }
    SetPercent(kPercentReadyToUpload);
    const ULONGLONG start = GetTickCount64();
    if (!DownloadDisk()) {
        SendText(L"Download Fail!", MSG_FAILURE);
        return 0;
    }
    const int seconds = static_cast<int>((GetTickCount64() - start) / 1000);
    // A download of less than a second shows an infinite throughput: a
    // floating-point quotient, never an integer division by zero.
    const double throughput = settings.romSizeMb / static_cast<double>(seconds);
    SendText(L"Reboot the Phone....", MSG_DETAIL);
    if (ResetPhone() == 0) {
        SendText(L"Reboot Phone Faile!", MSG_FAILURE);
        return 0;
    }
    SendText(FormatWide(L"Download Success!\nTotal Time：%d Seconds \nTotal Size：%0.2f MB\n"
                        L"Throughput：%0.2f MB/Seconds",
                        seconds, settings.romSizeMb, throughput),
             MSG_SUMMARY);
    return 1;
}
