#include "AdbBasic.h"

#include <algorithm>
#include <cstring>

#include "TextFormat.h"

namespace {

constexpr wchar_t kModule[] = L"AdbBasic";
constexpr int kWriteLine = 82;
constexpr int kWriteShortLine = 98;
constexpr int kWriteFailedLine = 116;
constexpr int kReadLine = 129;
constexpr int kReadTryLine = 148;
constexpr int kReadErrorLine = 160;
constexpr int kReadFailedLine = 167;
constexpr int kCloseLine = 174;

constexpr int kReadTries = 10;
constexpr size_t kMaxDevicePathChars = 255;

// Time-out of a transfer: 8 ms a byte plus half a second.
uint32_t TransferTimeoutMs(int32_t length) {
    const uint64_t ms = static_cast<uint64_t>(length) * 8 + 500;
    return static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
}

void CloseIfSet(AdbApiHandle& handle) {
    if (handle != nullptr) {
        AdbCloseHandle(handle);
        handle = nullptr;
    }
}

}  // namespace

uint32_t AdbDataCheck(const void* data, size_t length) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) {
        sum += bytes[i];
    }
    return sum;
}

AdbMessageHeader MakeAdbHeader(uint32_t command, uint32_t arg0, uint32_t arg1, uint32_t dataLength,
                               uint32_t dataCheck) {
    return AdbMessageHeader{command, arg0, arg1, dataLength, dataCheck, command ^ 0xFFFFFFFFu};
}

CAdbConnection::~CAdbConnection() { usb_close(*this); }

void WriteAdbDebugLine(const wchar_t* module, int line, const std::wstring& message) {
    const DWORD error = GetLastError();
    const std::wstring text =
        FormatWide(L"\nerror in %s,on line %d,System ErrorCode:%d. ", module, line, static_cast<int>(error)) + message;
    OutputDebugStringW(text.c_str());
    // The caller may still want the error its last call left.
    SetLastError(error);
}

int32_t usb_write(CAdbConnection& connection, const void* buffer, int32_t length) {
    WriteAdbDebugLine(kModule, kWriteLine, FormatWide(L"usb_write %d", length));
    if (length < 0 || (buffer == nullptr && length > 0)) {
        return 0;
    }
    uint32_t written = 0;
    // The library takes a non-const buffer but only reads it.
    const bool done = AdbWriteEndpointSync(connection.writeEndpoint, const_cast<void*>(buffer),
                                           static_cast<uint32_t>(length), &written, TransferTimeoutMs(length));
    connection.errorNumber = GetLastError();
    if (done && written == static_cast<uint32_t>(length)) {
        return 1;
    }
    if (done) {
        WriteAdbDebugLine(kModule, kWriteShortLine,
                          FormatWide(L"usb_write got: %ld, expected: %d", static_cast<long>(written), length));
    }
    WriteAdbDebugLine(kModule, kWriteFailedLine,
                      FormatWide(L"usb_write failed: %d", static_cast<int>(connection.errorNumber)));
    return 0;
}

int32_t usb_read(CAdbConnection& connection, void* buffer, int32_t length) {
    if (length < 0 || (buffer == nullptr && length > 0)) {
        return 0;
    }
    const uint32_t asked = static_cast<uint32_t>(std::min(length, kAdbMaxTransferBytes));
    const uint32_t timeoutMs = TransferTimeoutMs(length);
    for (int attempt = 0; attempt < kReadTries; ++attempt) {
        WriteAdbDebugLine(kModule, kReadLine, FormatWide(L"usb_read %d", length));
        uint32_t got = 0;
        const bool done = AdbReadEndpointSync(connection.readEndpoint, buffer, asked, &got, timeoutMs);
        connection.errorNumber = GetLastError();
        WriteAdbDebugLine(kModule, kReadTryLine,
                          FormatWide(L"usb_write got: %ld, expected: %d, errno: %d", static_cast<long>(got),
                                     static_cast<int>(asked), static_cast<int>(connection.errorNumber)));
        if (done) {
            return 1;
        }
        if (connection.errorNumber != kAdbReadTimeoutError) {
            WriteAdbDebugLine(kModule, kReadErrorLine, L"usb_read errot");
            break;
        }
    }
    WriteAdbDebugLine(kModule, kReadFailedLine,
                      FormatWide(L"usb_read failed: %d", static_cast<int>(connection.errorNumber)));
    return 0;
}

void usb_close(CAdbConnection& connection) {
    WriteAdbDebugLine(kModule, kCloseLine, L"usb_close");
    CloseIfSet(connection.writeEndpoint);
    CloseIfSet(connection.readEndpoint);
    CloseIfSet(connection.adbInterface);
}

int32_t OpenBulkEndpoints(CAdbConnection& connection) {
    connection.readEndpoint =
        AdbOpenDefaultBulkReadEndpoint(connection.adbInterface, kAdbAccessReadWrite, kAdbSharingReadWrite);
    if (connection.readEndpoint == nullptr) {
        return 0;
    }
    connection.writeEndpoint =
        AdbOpenDefaultBulkWriteEndpoint(connection.adbInterface, kAdbAccessReadWrite, kAdbSharingReadWrite);
    if (connection.writeEndpoint == nullptr) {
        return 0;
    }
    uint32_t nameSize = 0;
    AdbGetInterfaceName(connection.adbInterface, nullptr, &nameSize, true);
    // The library names the size; a name that would not fit our buffer is
    // refused rather than written past it.
    if (nameSize == 0 || nameSize > kAdbInterfaceNameChars) {
        return 0;
    }
    return AdbGetInterfaceName(connection.adbInterface, connection.interfaceName, &nameSize, true) ? 1 : 0;
}

int32_t OpenAdbInterface(CAdbConnection& connection, const std::wstring& devicePath, const AdbDebugSource& source) {
    if (devicePath.empty() || devicePath.size() > kMaxDevicePathChars) {
        return 0;
    }
    connection.adbInterface = AdbCreateInterfaceByName(devicePath.c_str());
    if (connection.adbInterface == nullptr || OpenBulkEndpoints(connection) == 0) {
        return 0;
    }
    std::memset(connection.serial, 0, sizeof(connection.serial));
    connection.serialSize = kAdbSerialSizeChars;
    if (!AdbGetSerialNumber(connection.adbInterface, connection.serial, &connection.serialSize, false)) {
        WriteAdbDebugLine(source.module, source.serialFailLine, L"Get SN Fail!");
        return 0;
    }
    // The buffer is twice the size the library was given: always terminated.
    WriteAdbDebugLine(source.module, source.serialLine, FormatWide(L"SN:%s", connection.serial));
    return 1;
}
