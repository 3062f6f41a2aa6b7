#include "ZipCentralDirectory.h"

#include <algorithm>

namespace TavikUI {

namespace {

constexpr uint64_t kEndSearchSpan = 0xFFFF;  // the end record and its comment
constexpr uint32_t kEndSearchStep = 1024;
constexpr uint32_t kSignatureSize = 4;

bool IsEndSignatureAt(const uint8_t* bytes) { return ReadLe32(bytes) == ZipLayout::kEndRecordSignature; }

}  // namespace

int32_t CZipCentralDirectory::FindEndOfCentralDirectory(uint64_t* position) {
    if (!source_.IsSeekable()) {
        return ZIP_STATUS_READ_FAILED;
    }
    const uint64_t size = source_.Size();
    const uint64_t searchSpan = std::min(size, kEndSearchSpan);
    // Windows move back 1,024 bytes a round and overlap by 4 bytes so a
    // signature across their edge is still seen.
    uint8_t window[kEndSearchStep + kSignatureSize];
    uint64_t back = kSignatureSize;
    while (back < searchSpan) {
        back = std::min<uint64_t>(back + kEndSearchStep, searchSpan);
        const uint64_t readAt = size - back;
        const auto readSize = static_cast<uint32_t>(std::min<uint64_t>(sizeof(window), size - readAt));
        if (!source_.ReadAt(readAt, window, readSize)) {
            return ZIP_STATUS_READ_FAILED;
        }
        for (uint32_t i = readSize - kSignatureSize + 1; i-- > 0;) {
            if (!IsEndSignatureAt(window + i)) {
                continue;
            }
            const uint64_t found = readAt + i;
            // A record at the very start is an archive without items.
            if (found == 0) {
                return ZIP_STATUS_READ_FAILED;
            }
            *position = found;
            return ZIP_STATUS_OK;
        }
    }
    return ZIP_STATUS_READ_FAILED;
}

int32_t CZipCentralDirectory::ZipOpenArchive() {
    uint64_t endPosition = 0;
    int32_t status = FindEndOfCentralDirectory(&endPosition);
    if (status != ZIP_STATUS_OK) {
        return status;
    }
    uint8_t record[ZipLayout::kEndRecordSize];
    if (!source_.ReadAt(endPosition, record, sizeof(record))) {
        return ZIP_STATUS_READ_FAILED;
    }
    const uint16_t thisDisk = ReadLe16(record + 4);
    const uint16_t directoryDisk = ReadLe16(record + 6);
    const uint16_t entriesOnDisk = ReadLe16(record + 8);
    const uint16_t entriesTotal = ReadLe16(record + 10);
    directorySize_ = ReadLe32(record + 12);
    directoryOffset_ = ReadLe32(record + 16);
    if (entriesOnDisk != entriesTotal || thisDisk != 0 || directoryDisk != 0) {
        return ZIP_STATUS_BAD_ARCHIVE;
    }
    const uint64_t directoryEnd = uint64_t{directoryOffset_} + directorySize_;
    if (endPosition < directoryEnd) {
        return ZIP_STATUS_BAD_ARCHIVE;
    }
    bytesBefore_ = endPosition - directoryEnd;
    entryCount_ = entriesTotal;
    if (entryCount_ == 0) {
        return ZIP_STATUS_OK;
    }
    return GoToFirstEntry();
}

int32_t CZipCentralDirectory::GoToFirstEntry() {
    if (entryCount_ == 0) {
        return ZIP_STATUS_END_OF_LIST;
    }
    const int32_t status = ReadEntryAt(bytesBefore_ + directoryOffset_);
    currentIndex_ = status == ZIP_STATUS_OK ? 0 : -1;
    return status;
}

int32_t CZipCentralDirectory::GoToNextEntry() {
    if (currentIndex_ < 0) {
        return ZIP_STATUS_BAD_PARAMETER;
    }
    if (static_cast<uint32_t>(currentIndex_) + 1 >= entryCount_) {
        return ZIP_STATUS_END_OF_LIST;
    }
    const uint64_t next = currentPosition_ + ZipLayout::kCentralEntrySize + current_.nameLength + current_.extraLength +
                          current_.commentLength;
    const int32_t status = ReadEntryAt(next);
    currentIndex_ = status == ZIP_STATUS_OK ? currentIndex_ + 1 : -1;
    return status;
}

int32_t CZipCentralDirectory::GoToEntry(int32_t index) {
    if (index < 0 || static_cast<uint32_t>(index) >= entryCount_) {
        return ZIP_STATUS_BAD_PARAMETER;
    }
    if (currentIndex_ < 0 || index < currentIndex_) {
        const int32_t status = GoToFirstEntry();
        if (status != ZIP_STATUS_OK) {
            return status;
        }
    }
    while (currentIndex_ < index) {
        const int32_t status = GoToNextEntry();
        if (status != ZIP_STATUS_OK) {
            return status;
        }
    }
    return ZIP_STATUS_OK;
}

int32_t CZipCentralDirectory::ReadEntryAt(uint64_t position) {
    uint8_t fixed[ZipLayout::kCentralEntrySize];
    if (!source_.ReadAt(position, fixed, sizeof(fixed))) {
        return ZIP_STATUS_READ_FAILED;
    }
    if (ReadLe32(fixed) != ZipLayout::kCentralEntrySignature) {
        return ZIP_STATUS_BAD_ARCHIVE;
    }
    ZipCentralEntry entry;
    entry.versionMadeBy = ReadLe16(fixed + 4);
    entry.versionNeeded = ReadLe16(fixed + 6);
    entry.flags = ReadLe16(fixed + 8);
    entry.method = ReadLe16(fixed + 10);
    entry.dosTime = ReadLe16(fixed + 12);
    entry.dosDate = ReadLe16(fixed + 14);
    entry.crc32 = ReadLe32(fixed + 16);
    entry.compressedSize = ReadLe32(fixed + 20);
    entry.uncompressedSize = ReadLe32(fixed + 24);
    entry.nameLength = ReadLe16(fixed + 28);
    entry.extraLength = ReadLe16(fixed + 30);
    entry.commentLength = ReadLe16(fixed + 32);
    entry.diskNumber = ReadLe16(fixed + 34);
    entry.internalAttributes = ReadLe16(fixed + 36);
    entry.externalAttributes = ReadLe32(fixed + 38);
    entry.localHeaderOffset = ReadLe32(fixed + 42);
    entry.name.resize(entry.nameLength);
    if (entry.nameLength != 0 && !source_.ReadAt(position + sizeof(fixed), &entry.name[0], entry.nameLength)) {
        return ZIP_STATUS_READ_FAILED;
    }
    current_ = std::move(entry);
    currentPosition_ = position;
    return ZIP_STATUS_OK;
}

int32_t CZipCentralDirectory::CheckLocalHeader(ZipLocalItem* item) {
    if (currentIndex_ < 0) {
        return ZIP_STATUS_BAD_PARAMETER;
    }
    const uint64_t headerAt = bytesBefore_ + current_.localHeaderOffset;
    uint8_t header[ZipLayout::kLocalHeaderSize];
    if (!source_.ReadAt(headerAt, header, sizeof(header))) {
        return ZIP_STATUS_READ_FAILED;
    }
    if (ReadLe32(header) != ZipLayout::kLocalHeaderSignature) {
        return ZIP_STATUS_BAD_ARCHIVE;
    }
    const uint16_t flags = ReadLe16(header + 6);
    const uint16_t method = ReadLe16(header + 8);
    if (method != current_.method || (method != ZipLayout::kMethodStored && method != ZipLayout::kMethodDeflated)) {
        return ZIP_STATUS_BAD_ARCHIVE;
    }
    if ((flags & ZipLayout::kFlagDataDescriptor) == 0 &&
        (ReadLe32(header + 14) != current_.crc32 || ReadLe32(header + 18) != current_.compressedSize ||
         ReadLe32(header + 22) != current_.uncompressedSize)) {
        return ZIP_STATUS_BAD_ARCHIVE;
    }
    const uint16_t nameLength = ReadLe16(header + 26);
    const uint16_t extraLength = ReadLe16(header + 28);
    if (nameLength != current_.nameLength) {
        return ZIP_STATUS_BAD_ARCHIVE;
    }
    const uint64_t extraAt = headerAt + sizeof(header) + nameLength;
    item->extra.assign(extraLength, 0);
    if (extraLength != 0 && !source_.ReadAt(extraAt, item->extra.data(), extraLength)) {
        return ZIP_STATUS_READ_FAILED;
    }
    item->dataOffset = extraAt + extraLength;
    return ZIP_STATUS_OK;
}

}  // namespace TavikUI
