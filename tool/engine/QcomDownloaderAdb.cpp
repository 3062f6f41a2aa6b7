// The engine's fallbacks over the phone's Android USB interface, for when
// QMSL cannot read the version or switch the phone to emergency download.
#include "QcomDownloader.h"

#include "AdbComm.h"
#include "FastBootComm.h"
#include "TryRepeatedly.h"

namespace {

constexpr int kAdbGoneTries = 100;
constexpr DWORD kAdbGonePauseMs = 200;
constexpr int kFastBootShowTries = 100;
constexpr DWORD kFastBootShowPauseMs = 500;
constexpr int kEraseTries = 100;
constexpr int kRebootTries = 5;
constexpr DWORD kCommandPauseMs = 200;

}  // namespace

bool CQcomDownloader::FindAdbDevice(std::wstring& path) {
    SendText(L"Get ADB Devices Name...", MSG_PROGRESS_LINE);
    if (!FindAdbInterfacePath(path, *this)) {
        SendText(L"Get ADB Devices Name Failed!", MSG_FAILURE);
        return false;
    }
    SendText(path, MSG_DETAIL);
    return true;
}

int32_t CQcomDownloader::GetAPSWVersion(std::string& version) {
    version.clear();
    std::wstring path;
    if (!FindAdbDevice(path)) {
        return 0;
    }
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
    std::wstring path;
    if (!FindAdbDevice(path)) {
        return 0;
    }
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

    const bool adbGone = TryRepeatedly(kAdbGoneTries, kAdbGonePauseMs, [this] {
        std::wstring stillThere;
        return !FindAdbInterfacePath(stillThere, *this);
    });
    if (!adbGone) {
        SendText(L"ADB reboot to FastBoot Failed !", MSG_FAILURE);
        return 0;
    }

    std::wstring fastBootPath;
    const bool fastBootShown = TryRepeatedly(kFastBootShowTries, kFastBootShowPauseMs,
                                             [&fastBootPath] { return FindFirstAdbInterfacePath(fastBootPath); });
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
    const bool erased =
        TryRepeatedly(kEraseTries, kCommandPauseMs, [&fastBoot] { return fastBoot.SendCommand("erase:sbl1") != 0; });
    SendText(erased ? L"FastBoot Erase Sbl1 Success !" : L"FastBoot Erase Sbl1 FAIL !",
             erased ? MSG_SUMMARY : MSG_FAILURE);

    SendText(L"FastBoot Reboot...", MSG_DETAIL);
    if (TryRepeatedly(kRebootTries, kCommandPauseMs, [&fastBoot] { return fastBoot.SendCommand("reboot") != 0; })) {
        SendText(L"FastBoot Reboot Success !", MSG_STEP_OK);
        return erased ? 1 : 0;
    }
    SendText(L"FastBoot Reboot Failed!", MSG_FAILURE);
    if (!erased) {
        return 0;
    }
    // The reboot may have gone through without its answer: look for the
    // phone in emergency download mode.
    return SearchDevices() == 1 && phoneMode == PHONE_EMPTY ? 1 : 0;
}
