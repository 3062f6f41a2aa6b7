// Reads one item's data: copies stored data or inflates deflated data, from
// a file through one 16,384-byte input buffer or from memory in place, and
// checks the CRC-32 of what it delivered.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>

#include "ZipSource.h"
#include "ZipFormat.h"

namespace TavikUI {

// Where an item's data lies and what it must come to.
struct ZipItemSpan {
    uint64_t dataOffset = 0;
    uint16_t method = ZipLayout::kMethodStored;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint32_t crc32 = 0;
};

struct ZipReadOutcome {
    uint32_t delivered = 0;
    int32_t status = ZIP_STATUS_OK;
};

class CZipItemReader {
public:
    explicit CZipItemReader(CZipSource& source) : source_(source) {}
    ~CZipItemReader();
    CZipItemReader(const CZipItemReader&) = delete;
    CZipItemReader& operator=(const CZipItemReader&) = delete;

    int32_t Open(const ZipItemSpan& span);
    // Fills `buffer` with up to `size` bytes of the item. When the last byte is
    // delivered the CRC-32 is compared; a mismatch, corrupt or short compressed
    // data, or a failed read is the outcome's status and sticks to the item.
    ZipReadOutcome Read(void* buffer, uint32_t size);
    bool DeliveredAll() const { return uncompressedLeft_ == 0; }
    // Frees the buffers; CRC mismatch when the item was read to its end and its
    // bytes do not match the stored CRC-32.
    int32_t ZipCloseCurrentItem();

private:
    int32_t RefillInput();
    uint32_t CopyStored(uint8_t* out, uint32_t want);
    uint32_t InflateInto(uint8_t* out, uint32_t want);
    void FinishIfDelivered();

    CZipSource& source_;
    ZipItemSpan span_;
    std::unique_ptr<uint8_t[]> input_;
    z_stream stream_ = {};
    bool inflating_ = false;
    uint32_t runningCrc_ = 0;
    uint64_t readPosition_ = 0;
    uint32_t compressedLeft_ = 0;
    uint32_t uncompressedLeft_ = 0;
    bool crcChecked_ = false;
    bool opened_ = false;
    int32_t status_ = ZIP_STATUS_BAD_PARAMETER;  // until opened
};

}  // namespace TavikUI
