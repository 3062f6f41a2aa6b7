// Layout constants of the zip format and the reader's internal status codes,
// shared by the classes behind the zip archive interface.
#pragma once

#include <cstddef>
#include <cstdint>

namespace TavikUI {

// Internal status of the reader's steps; the interface maps them to ZipResult.
enum ZipStatus : int32_t {
    ZIP_STATUS_OK = 0,
    ZIP_STATUS_READ_FAILED = -1,
    ZIP_STATUS_DATA_ERROR = -3,  // the compressed data is corrupt or cut short
    ZIP_STATUS_END_OF_LIST = -100,
    ZIP_STATUS_BAD_PARAMETER = -102,
    ZIP_STATUS_BAD_ARCHIVE = -103,
    ZIP_STATUS_OUT_OF_MEMORY = -104,
    ZIP_STATUS_CRC_MISMATCH = -105,
};

namespace ZipLayout {
constexpr uint32_t kEndRecordSignature = 0x06054B50;
constexpr uint32_t kCentralEntrySignature = 0x02014B50;
constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr uint32_t kEndRecordSize = 22;
constexpr uint32_t kCentralEntrySize = 46;
constexpr uint32_t kLocalHeaderSize = 30;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint32_t kItemBufferSize = 16384;
constexpr uint32_t kMaxKeptNameBytes = 259;
}  // namespace ZipLayout

inline uint16_t ReadLe16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }

inline uint32_t ReadLe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

}  // namespace TavikUI
