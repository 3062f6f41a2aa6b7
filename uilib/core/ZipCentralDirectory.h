// The archive's central directory: finds the end record, checks the archive's
// figures and walks the entries one at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ZipSource.h"
#include "ZipFormat.h"

namespace TavikUI {

// The fields of one central-directory entry, in the order of the format.
struct ZipCentralEntry {
    uint16_t versionMadeBy = 0;
    uint16_t versionNeeded = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc32 = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint16_t nameLength = 0;
    uint16_t extraLength = 0;
    uint16_t commentLength = 0;
    uint16_t diskNumber = 0;
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
    uint32_t localHeaderOffset = 0;
    std::string name;  // the whole stored name, ANSI code page
};

// Where an item's data lies, found by checking its local header.
struct ZipLocalItem {
    uint64_t dataOffset = 0;
    std::vector<uint8_t> extra;  // the local extra field
};

class CZipCentralDirectory {
public:
    explicit CZipCentralDirectory(CZipSource& source) : source_(source) {}

    // Finds the end record, checks it and reads the first entry.
    int32_t ZipOpenArchive();
    // Position of the end record within the source, or a failure status.
    int32_t FindEndOfCentralDirectory(uint64_t* position);

    uint32_t EntryCount() const { return entryCount_; }
    uint64_t BytesBeforeArchive() const { return bytesBefore_; }
    int32_t CurrentIndex() const { return currentIndex_; }
    const ZipCentralEntry& CurrentEntry() const { return current_; }

    int32_t GoToFirstEntry();
    int32_t GoToNextEntry();
    // Walks forward from the current entry, or from the first one when the
    // index lies before it.
    int32_t GoToEntry(int32_t index);

    // Checks the current entry's local header against the central directory
    // and reads its extra field.
    int32_t CheckLocalHeader(ZipLocalItem* item);

private:
    int32_t ReadEntryAt(uint64_t position);

    CZipSource& source_;
    uint32_t entryCount_ = 0;
    uint32_t directoryOffset_ = 0;
    uint32_t directorySize_ = 0;
    uint64_t bytesBefore_ = 0;
    int32_t currentIndex_ = -1;
    uint64_t currentPosition_ = 0;
    ZipCentralEntry current_;
};

}  // namespace TavikUI
