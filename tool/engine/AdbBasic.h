// USB transfers to the phone's Android interface through the Android USB
// library, and the connection record the ADB and fastboot layers share.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "AdbWinApiLibrary.h"

constexpr size_t kAdbInterfaceNameChars = 256;
constexpr size_t kAdbSerialChars = 256;
// The serial buffer holds 256 characters; the library is told 128.
constexpr uint32_t kAdbSerialSizeChars = 128;
constexpr int32_t kAdbInitialLocalId = 48;
// One read moves at most this many bytes; also the largest ADB payload we
// announce to the phone.
constexpr int32_t kAdbMaxTransferBytes = 4096;
// The system error of a read that found nothing in time: worth another try.
constexpr DWORD kAdbReadTimeoutError = ERROR_SEM_TIMEOUT;  // 121

// An ADB message header: six little-endian 32-bit fields.
struct AdbMessageHeader {
    uint32_t command;  // four ASCII letters in memory order
    uint32_t arg0;
    uint32_t arg1;
    uint32_t dataLength;  // payload bytes that follow in a separate transfer
    uint32_t dataCheck;   // byte sum of the payload
    uint32_t magic;       // command XOR 0xFFFFFFFF
};
static_assert(sizeof(AdbMessageHeader) == 24, "ADB headers are 24 bytes on the wire");

// The command word of four letters, as they lie in memory.
constexpr uint32_t AdbCommandWord(const char (&letters)[5]) {
    return static_cast<uint32_t>(static_cast<unsigned char>(letters[0])) |
           static_cast<uint32_t>(static_cast<unsigned char>(letters[1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(letters[2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(letters[3])) << 24;
}

// Byte sum of a payload, the header's data check.
uint32_t AdbDataCheck(const void* data, size_t length);
AdbMessageHeader MakeAdbHeader(uint32_t command, uint32_t arg0, uint32_t arg1, uint32_t dataLength, uint32_t dataCheck);

// One open Android USB interface with its two bulk endpoints. The ADB and the
// fastboot connection have this same layout; the handles are closed when the
// connection goes (usb_close).
class CAdbConnection {
public:
    CAdbConnection() = default;
    ~CAdbConnection();
    CAdbConnection(const CAdbConnection&) = delete;
    CAdbConnection& operator=(const CAdbConnection&) = delete;

    AdbApiHandle adbInterface = nullptr;
    AdbApiHandle readEndpoint = nullptr;
    AdbApiHandle writeEndpoint = nullptr;
    char interfaceName[kAdbInterfaceNameChars] = {};
    wchar_t serial[kAdbSerialChars] = {};
    uint32_t serialSize = kAdbSerialSizeChars;
    AdbMessageHeader header{};  // the last header received or to be sent
    int32_t localId = kAdbInitialLocalId;
    DWORD errorNumber = 0;  // system error of the last transfer
};

// One synchronous write; 1 when every byte went.
int32_t usb_write(CAdbConnection& connection, const void* buffer, int32_t length);
// One synchronous read of at most 4096 bytes, tried again (up to 10 tries)
// while the library reports a time-out; 1 ok.
int32_t usb_read(CAdbConnection& connection, void* buffer, int32_t length);
// Closes the write endpoint, the read endpoint and the interface, each when
// set, and clears all three.
void usb_close(CAdbConnection& connection);

// Both bulk endpoints, then the interface name; 1 ok.
int32_t OpenBulkEndpoints(CAdbConnection& connection);

// Where a connection layer's serial-number lines come from.
struct AdbDebugSource {
    const wchar_t* module;
    int serialLine;
    int serialFailLine;
};
// Opens the interface at a device path (at most 255 characters), its
// endpoints, and reads the serial number; 1 ready.
int32_t OpenAdbInterface(CAdbConnection& connection, const std::wstring& devicePath, const AdbDebugSource& source);

// "\nerror in <module>,on line <line>,System ErrorCode:<error>. <message>" to
// the system debugger, with the current system error.
void WriteAdbDebugLine(const wchar_t* module, int line, const std::wstring& message);
