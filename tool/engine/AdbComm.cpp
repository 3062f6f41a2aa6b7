#include "AdbComm.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr AdbDebugSource kDebugSource{L"AdbComm", 49, 53};
constexpr int kInitFailedLine = 61;

constexpr uint32_t kCnxn = AdbCommandWord("CNXN");
constexpr uint32_t kOpen = AdbCommandWord("OPEN");
constexpr uint32_t kOkay = AdbCommandWord("OKAY");
constexpr uint32_t kWrte = AdbCommandWord("WRTE");
constexpr uint32_t kClse = AdbCommandWord("CLSE");

constexpr uint32_t kAdbVersion = 0x01000000;
// "host::" with its terminating zero.
constexpr char kHostBanner[] = "host::";
constexpr int32_t kHostBannerBytes = sizeof(kHostBanner);
constexpr int32_t kIdentityReadBytes = 32;
constexpr int32_t kLocalIdStep = 2;
constexpr int32_t kStreamPieceBytes = sizeof(AdbMessageHeader);

constexpr int kAnswerTries = 20;
constexpr DWORD kAnswerPauseMs = 100;

// Appends a payload piece as text (up to its first zero) while the answer
// has room; what does not fit is dropped.
void AppendBounded(std::string& text, const char* piece, size_t pieceBytes) {
    const size_t room = kAdbAnswerMaxChars > text.size() ? kAdbAnswerMaxChars - text.size() : 0;
    const size_t pieceChars = strnlen(piece, pieceBytes);
    text.append(piece, std::min(pieceChars, room));
}

}  // namespace

int32_t CAdbComm::InitDevices(const std::wstring& devicePath) {
    if (OpenAdbInterface(*this, devicePath, kDebugSource) == 0 || Connect() == 0) {
        WriteAdbDebugLine(kDebugSource.module, kInitFailedLine, L"InitDevices Fail!");
        return 0;
    }
    return 1;
}

int32_t CAdbComm::WriteHeader(const AdbMessageHeader& message) {
    header = message;
    return usb_write(*this, &header, sizeof(header));
}

int32_t CAdbComm::ReadHeader() {
    // A short read must not leave the previous header's letters behind.
    std::memset(&header, 0, sizeof(header));
    return usb_read(*this, &header, sizeof(header));
}

bool CAdbComm::HeaderHolds(const char (&command)[5]) const {
    const char* bytes = reinterpret_cast<const char*>(&header);
    const char* end = bytes + sizeof(header);
    return std::search(bytes, end, command, command + 4) != end;
}

int32_t CAdbComm::Connect() {
    if (WriteHeader(MakeAdbHeader(kCnxn, kAdbVersion, kAdbMaxTransferBytes, kHostBannerBytes,
                                  AdbDataCheck(kHostBanner, kHostBannerBytes))) == 0 ||
        usb_write(*this, kHostBanner, kHostBannerBytes) == 0) {
        return 0;
    }
    // Some phones never show their CNXN header; the exchange goes on anyway.
    for (int attempt = 0; attempt < kAnswerTries; ++attempt) {
        if (ReadHeader() != 0 && HeaderHolds("CNXN")) {
            break;
        }
        Sleep(kAnswerPauseMs);
    }
    for (int attempt = 0; attempt < kAnswerTries; ++attempt) {
        char identity[kIdentityReadBytes] = {};
        if (usb_read(*this, identity, kIdentityReadBytes) != 0) {
            localId = 0;
            return 1;
        }
        Sleep(kAnswerPauseMs);
    }
    return 0;
}

int32_t CAdbComm::OpenService(const std::string& service) {
    localId += kLocalIdStep;
    // The service travels with its terminating zero.
    const int32_t payloadBytes = static_cast<int32_t>(service.size() + 1);
    if (WriteHeader(MakeAdbHeader(kOpen, static_cast<uint32_t>(localId), 0, payloadBytes,
                                  AdbDataCheck(service.c_str(), payloadBytes))) == 0) {
        return 0;
    }
    return WaitOkay(service.c_str(), payloadBytes);
}

int32_t CAdbComm::WaitOkay(const void* payload, int32_t length) {
    if (usb_write(*this, payload, length) == 0) {
        return 0;
    }
    for (int attempt = 0; attempt < kAnswerTries; ++attempt) {
        if (ReadHeader() != 0 && HeaderHolds("OKAY")) {
            return 1;
        }
        Sleep(kAnswerPauseMs);
    }
    return 0;
}

int32_t CAdbComm::RebootBootloader() { return OpenService("reboot:bootloader"); }

int32_t CAdbComm::GetProp(std::string& text) {
    text.clear();
    if (OpenService(std::string("shell:getprop ") + kAdbVersionProperty) == 0) {
        return 0;
    }
    return ReadStream(text);
}

int32_t CAdbComm::ReadStream(std::string& text) {
    text.clear();
    uint32_t remoteId = 0;
    uint32_t payloadBytes = 0;
    for (;;) {
        if (ReadHeader() == 0) {
            return 0;
        }
        if (header.command == kWrte) {
            remoteId = header.arg0;
            // A WRTE that gives no length reuses the previous one.
            if (header.dataLength != 0) {
                payloadBytes = header.dataLength;
            }
            // The phone names the length: the pieces are read into a buffer
            // of their own size and only what fits the answer is kept.
            uint32_t remaining = payloadBytes;
            while (remaining > 0) {
                const uint32_t pieceBytes = std::min<uint32_t>(remaining, static_cast<uint32_t>(kStreamPieceBytes));
                char piece[kStreamPieceBytes] = {};
                if (usb_read(*this, piece, static_cast<int32_t>(pieceBytes)) == 0) {
                    return 0;
                }
                AppendBounded(text, piece, pieceBytes);
                remaining -= pieceBytes;
            }
            if (WriteHeader(MakeAdbHeader(kOkay, static_cast<uint32_t>(localId), remoteId, 0, 0)) == 0) {
                return 0;
            }
        } else if (header.command == kClse) {
            return WriteHeader(MakeAdbHeader(kClse, static_cast<uint32_t>(localId), remoteId, 0, 0));
        }
    }
}
