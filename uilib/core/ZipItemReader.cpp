#include "ZipItemReader.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace TavikUI {

namespace {
// Raw deflate data: no zlib header, the largest window.
constexpr int kRawDeflateWindowBits = -MAX_WBITS;
constexpr uint32_t kCrcSlice = 256 * 1024;
}  // namespace

CZipItemReader::~CZipItemReader() { ZipCloseCurrentItem(); }

int32_t CZipItemReader::Open(const ZipItemSpan& span) {
    ZipCloseCurrentItem();
    span_ = span;
    // A memory source is read in place; a file goes through the input buffer.
    if (!source_.IsInMemory()) {
        input_.reset(new (std::nothrow) uint8_t[ZipLayout::kItemBufferSize]);
        if (!input_) {
            return status_ = ZIP_STATUS_OUT_OF_MEMORY;
        }
    }
    if (span.method == ZipLayout::kMethodDeflated) {
        stream_ = z_stream{};
        if (inflateInit2(&stream_, kRawDeflateWindowBits) != Z_OK) {
            input_.reset();
            return status_ = ZIP_STATUS_OUT_OF_MEMORY;
        }
        inflating_ = true;
    }
    runningCrc_ = crc32(0L, Z_NULL, 0);
    readPosition_ = span.dataOffset;
    compressedLeft_ = span.compressedSize;
    uncompressedLeft_ = span.uncompressedSize;
    crcChecked_ = false;
    opened_ = true;
    return status_ = ZIP_STATUS_OK;
}

ZipReadOutcome CZipItemReader::Read(void* buffer, uint32_t size) {
    ZipReadOutcome outcome;
    if (status_ == ZIP_STATUS_OK) {
        auto* out = static_cast<uint8_t*>(buffer);
        const uint32_t want = std::min(size, uncompressedLeft_);
        outcome.delivered = span_.method == ZipLayout::kMethodDeflated ? InflateInto(out, want) : CopyStored(out, want);
        uncompressedLeft_ -= outcome.delivered;
        FinishIfDelivered();
    }
    outcome.status = status_;
    return outcome;
}

void CZipItemReader::FinishIfDelivered() {
    if (status_ != ZIP_STATUS_OK || uncompressedLeft_ != 0 || crcChecked_) {
        return;
    }
    crcChecked_ = true;
    if (runningCrc_ != span_.crc32) {
        status_ = ZIP_STATUS_CRC_MISMATCH;
    }
}

int32_t CZipItemReader::RefillInput() {
    if (source_.IsInMemory()) {
        uint32_t available = 0;
        const uint8_t* bytes = source_.InPlace(readPosition_, compressedLeft_, &available);
        if (bytes == nullptr) {
            return ZIP_STATUS_READ_FAILED;
        }
        stream_.next_in = const_cast<Bytef*>(bytes);
        stream_.avail_in = available;
    } else {
        const uint32_t piece = std::min(compressedLeft_, ZipLayout::kItemBufferSize);
        if (!source_.ReadAt(readPosition_, input_.get(), piece)) {
            return ZIP_STATUS_READ_FAILED;
        }
        stream_.next_in = input_.get();
        stream_.avail_in = piece;
    }
    readPosition_ += stream_.avail_in;
    compressedLeft_ -= stream_.avail_in;
    return ZIP_STATUS_OK;
}

uint32_t CZipItemReader::CopyStored(uint8_t* out, uint32_t want) {
    uint32_t delivered = 0;
    while (delivered < want) {
        if (stream_.avail_in == 0) {
            if (compressedLeft_ == 0) {
                status_ = ZIP_STATUS_DATA_ERROR;  // stored data shorter than its size
                break;
            }
            status_ = RefillInput();
            if (status_ != ZIP_STATUS_OK) {
                break;
            }
        }
        const uint32_t piece = std::min({stream_.avail_in, want - delivered, kCrcSlice});
        std::memcpy(out + delivered, stream_.next_in, piece);
        runningCrc_ = crc32(runningCrc_, out + delivered, piece);
        stream_.next_in += piece;
        stream_.avail_in -= piece;
        delivered += piece;
    }
    return delivered;
}

uint32_t CZipItemReader::InflateInto(uint8_t* out, uint32_t want) {
    uint32_t delivered = 0;
    while (delivered < want) {
        if (stream_.avail_in == 0 && compressedLeft_ > 0) {
            status_ = RefillInput();
            if (status_ != ZIP_STATUS_OK) {
                break;
            }
        }
        // Output goes in slices so the CRC-32 runs over each while it is still
        // in the cache.
        stream_.next_out = out + delivered;
        stream_.avail_out = std::min(want - delivered, kCrcSlice);
        const uInt sliceSize = stream_.avail_out;
        const int result = inflate(&stream_, Z_SYNC_FLUSH);
        const uInt produced = sliceSize - stream_.avail_out;
        runningCrc_ = crc32(runningCrc_, out + delivered, produced);
        delivered += produced;
        if (result == Z_STREAM_END) {
            // The stream may not end before the item's size is reached.
            if (delivered < want) {
                status_ = ZIP_STATUS_DATA_ERROR;
            }
            break;
        }
        if (result != Z_OK) {
            // Corrupt data, or no input left to finish the item.
            status_ = result == Z_MEM_ERROR ? ZIP_STATUS_OUT_OF_MEMORY : ZIP_STATUS_DATA_ERROR;
            break;
        }
    }
    stream_.next_out = nullptr;
    stream_.avail_out = 0;
    return delivered;
}

int32_t CZipItemReader::ZipCloseCurrentItem() {
    int32_t result = ZIP_STATUS_OK;
    if (opened_ && uncompressedLeft_ == 0 && runningCrc_ != span_.crc32) {
        result = ZIP_STATUS_CRC_MISMATCH;
    }
    if (inflating_) {
        inflateEnd(&stream_);
        inflating_ = false;
    }
    stream_ = z_stream{};
    input_.reset();
    opened_ = false;
    status_ = ZIP_STATUS_BAD_PARAMETER;
    return result;
}

}  // namespace TavikUI
