// The engine's fallbacks over the phone's Android USB interface, for when
// QMSL cannot read the version or switch the phone to emergency download.
#include "QcomDownloader.h"

#include "AdbComm.h"
#include "FastBootComm.h"

namespace {

constexpr int kAdbGoneTries = 100;
constexpr DWORD kAdbGonePauseMs = 200;
constexpr int kFastBootShowTries = 100;
constexpr DWORD kFastBootShowPauseMs = 500;
constexpr int kEraseTries = 100;
constexpr int kRebootTries = 5;
constexpr DWORD kCommandPauseMs = 200;

}  // namespace

int32_t CQcomDownloader::GetAPSWVersion(std::string& version) {
    version.clear();
    SendText(L"Get ADB Devices Name...", MSG_PROGRESS_LINE);
    std::wstring path;
    if (!FindAdbInterfacePath(path, *this)) {
        SendText(L"Get ADB Devices Name Failed!", MSG_FAILURE);
        return 0;
    }
    SendText(path, MSG_DETAIL);
    CAdbComm adb;
    if (adb.InitDevices(path) == 0) {
        SendText(L"Open ADB Devices Failed!", MSG_FAILURE);
        usb_close(adb);
        return 0;
    }
    std::string text;
    if (adb.GetProp(text) == 0) {
        SendText(L"ADB GetAPSWVersion Fail!", MSG_FAILURE);
        return 0;
    }
    if (text.find("_T") == std::string::npos) {
        return 0;
    }
    version = text;
    return 1;
}

int32_t CQcomDownloader::RebootToEdlByFastBoot() {
    SendText(L"Get ADB Devices Name...", MSG_PROGRESS_LINE);
    std::wstring path;
    if (!FindAdbInterfacePath(path, *this)) {
        SendText(L"Get ADB Devices Name Failed!", MSG_FAILURE);
        return 0;
    }
    SendText(path, MSG_DETAIL);
    CAdbComm adb;
    if (adb.InitDevices(path) == 0) {
        SendText(L"Open ADB Devices Failed !", MSG_FAILURE);
        return 0;
    }
    SendText(L"ADB reboot to FastBoot...", MSG_PROGRESS_LINE);
    if (adb.RebootBootloader() == 0) {
        // The phone may be rebooting all the same: wait for it below.
        SendText(L"ADB reboot to FastBoot Failed !", MSG_FALLBACK);
    }

    bool adbGone = false;
    for (int attempt = 0; attempt < kAdbGoneTries; ++attempt) {
        std::wstring stillThere;
        if (!FindAdbInterfacePath(stillThere, *this)) {
            adbGone = true;
            break;
        }
        Sleep(kAdbGonePauseMs);
    }
    if (!adbGone) {
        SendText(L"ADB reboot to FastBoot Failed !", MSG_FAILURE);
        return 0;
    }

    std::wstring fastBootPath;
    bool fastBootShown = false;
    for (int attempt = 0; attempt < kFastBootShowTries; ++attempt) {
        if (FindFirstAdbInterfacePath(fastBootPath)) {
            fastBootShown = true;
            break;
        }
        Sleep(kFastBootShowPauseMs);
    }
    if (!fastBootShown) {
        SendText(L"Can't Fined FastBoot Device!", MSG_FAILURE);
        return 0;
    }
    SendText(fastBootPath, MSG_DETAIL);
    CFastBootComm fastBoot;
    if (fastBoot.Open(fastBootPath) == 0) {
        SendText(L"Can't Open the FastBoot Device！", MSG_FAILURE);
        return 0;
    }

    SendText(L"FastBoot Erase Sbl1 ...", MSG_PROGRESS_LINE);
    int32_t erased = 0;
    for (int attempt = 0; attempt < kEraseTries; ++attempt) {
        if (fastBoot.SendCommand("erase:sbl1") != 0) {
            SendText(L"FastBoot Erase Sbl1 Success !", MSG_SUMMARY);
            erased = 1;
            break;
        }
        Sleep(kCommandPauseMs);
    }
    if (erased == 0) {
        SendText(L"FastBoot Erase Sbl1 FAIL !", MSG_FAILURE);
    }

    SendText(L"FastBoot Reboot...", MSG_DETAIL);
    for (int attempt = 0; attempt < kRebootTries; ++attempt) {
        if (fastBoot.SendCommand("reboot") != 0) {
            SendText(L"FastBoot Reboot Success !", MSG_STEP_OK);
            return erased;
        }
        Sleep(kCommandPauseMs);
    }
    SendText(L"FastBoot Reboot Failed!", MSG_FAILURE);
    if (erased == 0) {
        return 0;
    }
    // The reboot may have gone through without its answer: look for the
    // phone in emergency download mode.
    return SearchDevices() == 1 && phoneMode == PHONE_EMPTY ? 1 : 0;
}
