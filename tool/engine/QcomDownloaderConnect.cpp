// Connecting to the phone in the mode discovery found it in, the waits for a
// mode, and the phone's software version.
#include "QcomDownloader.h"

#include "QmslLibrary.h"
#include "TextFormat.h"
#include "VersionName.h"

namespace {

constexpr int kVersionTries = 10;
constexpr DWORD kVersionPauseMs = 200;
constexpr DWORD kOtherModePauseMs = 500;

}  // namespace

std::string StripVersionSuffixA(const std::string& text) {
    return StripVersionSuffixes<char>(text, {"_T", "_CMCC", "_CTA", "_TASTE", "_platform", "_NAVI"});
}

int32_t CQcomDownloader::ConnectPhone() {
    SendText(L"Connectting...", MSG_PROGRESS_LINE);
    int32_t handle = 0;
    switch (phoneMode) {
    case PHONE_DOWNLOAD:
        SendText(L"PHONE_DOWNLOAD Connectting...", MSG_DETAIL);
        DisconnectAll();
        downloadHandle = QLIB_ConnectServer(static_cast<uint32_t>(comPort));
        handle = downloadHandle;
        break;
    case PHONE_EMPTY:
        SendText(L"PHONE_EMPTY Connectting...", MSG_DETAIL);
        ConnectSahara();
        handle = saharaHandle;
        break;
    case PHONE_NORMAL:
        SendText(L"PHONE_NORMAL Connectting...", MSG_DETAIL);
        DisconnectAll();
        normalHandle = QLIB_ConnectServer(static_cast<uint32_t>(comPort));
        handle = normalHandle;
        break;
    default:
        SendText(L"PHONE_Type_Error", MSG_FAILURE);
        return 0;
    }
    if (handle == 0) {
        SendText(L"Connect to Phone Faile!", MSG_FAILURE);
        return 0;
    }
    return 1;
}

int32_t CQcomDownloader::CheckPhoneVersion(std::string& version) {
    version.clear();
    if (phoneMode != PHONE_NORMAL) {
        // The owner then takes the phone without comparing versions.
        SendText(L"PHONE_Type no Normal Skip!", MSG_DETAIL);
        return 1;
    }
    std::string raw;
    bool read = false;
    bool answering = false;
    for (int attempt = 0; attempt < kVersionTries && !read; ++attempt) {
        answering = QLIB_IsPhoneConnected(normalHandle) != 0;
        if (!answering) {
            continue;
        }
        read = ReadNvVersion(raw) != 0;
        if (!read) {
            Pause(kVersionPauseMs);
        }
    }
    if (!read) {
        if (!answering) {
            SendText(L"Connect to Phone Error!", MSG_FAILURE);
        }
        if (GetAPSWVersion(raw) == 0) {
            SendText(L"ADB GetAPSWVersion  Fail!", MSG_FAILURE);
            return 0;
        }
    }
    // The phone decides the length: keep what the work buffers hold.
    if (raw.size() > kRawVersionChars) {
        raw.resize(kRawVersionChars);
    }
    SendText(FormatWide(L"Phone AP:%S", raw.c_str()), MSG_DETAIL);
    version = StripVersionSuffixA(raw);
    if (version.size() > kPhoneVersionChars) {
        version.resize(kPhoneVersionChars);
    }
    SendText(FormatWide(L"Phone Name:%S", version.c_str()), MSG_DETAIL);
    return 1;
}

int32_t CQcomDownloader::SearchForMode(int32_t mode) {
    // A stop makes each search end at once, so the tries end at once too.
    for (int attempt = 0; attempt < kModeSearchTries; ++attempt) {
        // A failed search (timed out, or the user stopped) goes on at once.
        if (SearchDevices() != 1) {
            continue;
        }
        // Only a search that found the phone counts. After the last try the
        // stored mode is not taken either: a failed search leaves behind the
        // mode seen before the wait, and one the user stopped must not let
        // the flash go on as if the phone had come.
        if (phoneMode == mode) {
            return 1;
        }
        Pause(kOtherModePauseMs);
    }
    return 0;
}

int32_t CQcomDownloader::WaitForMode(int32_t mode) {
    if (SearchForMode(mode) != 0) {
        return 1;
    }
    SendText(L"Can't Find Devices!", MSG_FAILURE);
    return 0;
}
