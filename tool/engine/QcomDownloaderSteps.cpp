// The engine's QMSL steps: one library call each, tried as often as the
// flows allow, with a fixed pause between tries.
#include "QcomDownloader.h"

#include "QmslLibrary.h"
#include "TextFormat.h"
#include "TryRepeatedly.h"

namespace {

constexpr uint16_t kNvApVersionItem = 9002;
constexpr uint16_t kNvStatusDone = 0;
constexpr uint32_t kModeSwitchTimeoutMs = 5000;
constexpr uint32_t kSaharaConnectTimeoutMs = 200;
constexpr DWORD kRetryPauseMs = 200;
constexpr int kFireHoseConnectTries = 10;
constexpr int kPingTries = 5;
constexpr int kSwitchToEdlTries = 5;
constexpr int kDLoadResetTries = 5;
constexpr int32_t kMetaBuildErrorBytes = 256;
constexpr int32_t kListUploadErrorBytes = 100;

}  // namespace

int32_t CQcomDownloader::ConnectSahara() {
    DisconnectAll();
    uint32_t saharaVersion = 0;
    uint32_t saharaMode = 0;
    saharaHandle = QLIB_QPHONEMS_ConnectServer_Sahara(static_cast<uint32_t>(comPort), &saharaVersion, &saharaMode, 0, 0,
                                                      kSaharaConnectTimeoutMs, textCallback);
    if (saharaHandle == 0) {
        return 0;
    }
    QLIB_QPHONEMS_SaharaConfigureCallback(saharaHandle, textCallback);
    return 1;
}

int32_t CQcomDownloader::ConnectFireHose() {
    return TryRepeatedly(kFireHoseConnectTries, kRetryPauseMs,
                         [this] {
                             DisconnectAll();
                             fireHoseHandle =
                                 QLIB_QPHONEMS_ConnectServer_FireHose(static_cast<uint32_t>(comPort), textCallback);
                             if (fireHoseHandle == 0) {
                                 return false;
                             }
                             QLIB_QPHONEMS_FireHoseConfigureCallback(fireHoseHandle, textCallback);
                             return true;
                         })
               ? 1
               : 0;
}

int32_t CQcomDownloader::PingFireHose() {
    return TryRepeatedly(kPingTries, kRetryPauseMs, [this] { return QLIB_QPHONEMS_FireHoseNOP(fireHoseHandle) != 0; })
               ? 1
               : 0;
}

int32_t CQcomDownloader::ConfigureFireHose() {
    const FireHoseSettings& fireHose = settings.fireHose;
    const std::string maxPayloadSize = FieldText(fireHose.maxPayloadSize);
    const std::string memoryName = FieldText(fireHose.memoryName);
    const std::string targetName = FieldText(fireHose.targetName);
    const std::string ackEvery = FieldText(fireHose.ackRawDataEveryNumPackets);
    return QLIB_QPHONEMS_FireHoseConfigure(fireHoseHandle, maxPayloadSize.c_str(), memoryName.c_str(),
                                           targetName.c_str(), ackEvery.c_str(), fireHose.flags[0], fireHose.flags[1],
                                           fireHose.flags[2], fireHose.flags[3], fireHose.flags[4]) != 0
               ? 1
               : 0;
}

int32_t CQcomDownloader::UploadImages() {
    uint32_t result1 = 0;
    uint32_t result2 = 0;
    uint8_t errorFlag = 0;
    bool uploaded = false;
    char errorText[kMetaBuildErrorBytes] = {};
    if (images.count < kImageTableMaxPaths) {
        // The table holds every image path: QMSL places them by the
        // partition list named in the table.
        uploaded = QLIB_QPHONEMS_UploadEmmcMetaBuildImage_FireHose(fireHoseHandle, &images, &result1, &result2) != 0;
        QLIB_GetLastSoftwareDownloadErrorInfo(fireHoseHandle, &errorFlag, errorText, kMetaBuildErrorBytes);
    } else {
        // Past 512 images the table cannot hold every path: QMSL reads the
        // lists themselves.
        const std::string rawprogram = FieldText(images.rawprogramPath);
        const std::string patch = FieldText(images.patchPath);
        uploaded = QLIB_QPHONEMS_UploadEmmcImage_FireHose(fireHoseHandle, rawprogram.c_str(), patch.c_str(), &result1,
                                                          &result2) != 0;
        QLIB_GetLastSoftwareDownloadErrorInfo(fireHoseHandle, &errorFlag, errorText, kListUploadErrorBytes);
    }
    if (uploaded && errorFlag == 0) {
        return 1;
    }
    // Only the programmer knows the phone's storage: its refusal (an entry
    // past the end, a failed write) is the reason the user sees.
    const std::string reason(errorText, strnlen(errorText, sizeof(errorText)));
    if (!reason.empty()) {
        SendText(AnsiToWide(reason), MSG_FAILURE);
    }
    return 0;
}

int32_t CQcomDownloader::ResetFireHose() { return QLIB_QPHONEMS_FireHosePower(fireHoseHandle, "reset") != 0 ? 1 : 0; }

int32_t CQcomDownloader::SwitchToEdl() {
    return TryRepeatedly(kSwitchToEdlTries, kRetryPauseMs,
                         [this] { return QLIB_QPHONEMS_SwitchToEDL(normalHandle) != 0; })
               ? 1
               : 0;
}

int32_t CQcomDownloader::SwitchToDownloadMode() {
    uint32_t validation = 0;
    return QLIB_QPHONEMS_SwitchToDownloadMode_OptionalValidation(normalHandle, kModeSwitchTimeoutMs, 0, &validation) !=
                   0
               ? 1
               : 0;
}

int32_t CQcomDownloader::DLoadReset() {
    return TryRepeatedly(kDLoadResetTries, kRetryPauseMs,
                         [this] { return QLIB_QPHONEMS_DLoad_Reset(downloadHandle, kModeSwitchTimeoutMs) != 0; })
               ? 1
               : 0;
}

int32_t CQcomDownloader::ReadNvVersion(std::string& version) {
    uint8_t buffer[kNvVersionBytes] = {};
    uint16_t status = 0xFFFF;
    if (QLIB_DIAG_NV_READ_F(normalHandle, kNvApVersionItem, buffer, static_cast<int32_t>(sizeof(buffer)), &status) ==
            0 ||
        status != kNvStatusDone) {
        return 0;
    }
    // The phone decides the text: it need not be terminated in the buffer.
    const char* text = reinterpret_cast<const char*>(buffer);
    version.assign(text, strnlen(text, sizeof(buffer)));
    return 1;
}
