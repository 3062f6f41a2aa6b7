// The archive object behind a handle: its source and central directory, the
// item open for reading, the last entry record looked at and the base folder
// for the folders that extraction creates.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ZipCentralDirectory.h"
#include "ZipItemReader.h"
#include "ZipSource.h"
#include "ZipArchive.h"

namespace TavikUI {

class CZipReader {
public:
    CZipReader() = default;
    CZipReader(const CZipReader&) = delete;
    CZipReader& operator=(const CZipReader&) = delete;

    // Takes the source and reads its directory; ZIP_ALREADY_OPEN when this
    // object holds an archive already.
    ZipResult Open(std::unique_ptr<CZipSource> source);
    ZipResult FindItem(const wchar_t* name, bool ignoreCase, int32_t* index, ZipArchiveEntry* entry);
    ZipResult GetItem(int32_t index, ZipArchiveEntry* entry);
    ZipResult ExtractItem(int32_t index, void* target, uint32_t length, uint32_t kind);

private:
    // Walks to the index and builds its entry record (cached per index).
    int32_t ReadZipEntryInfo(int32_t index, ZipArchiveEntry* entry);
    // The same for an index the caller passed in: ZIP_BAD_ARGUMENT out of
    // range, a header failure as the archive's result.
    ZipResult EntryAt(int32_t index, ZipArchiveEntry* entry);
    int32_t OpenItem();
    void CloseOpenItem();
    bool IsIndexInRange(int32_t index) const;
    ZipResult ZipArchiveExtractTo(int32_t index, void* target, uint32_t kind);
    ZipResult ExtractToMemory(int32_t index, void* buffer, uint32_t length);
    ZipResult CopyItemToFile(HANDLE file);

    std::unique_ptr<CZipSource> source_;
    std::unique_ptr<CZipCentralDirectory> directory_;
    std::unique_ptr<CZipItemReader> openItem_;
    int32_t openItemIndex_ = -1;
    ZipArchiveEntry cachedEntry_ = {};
    int32_t cachedIndex_ = -1;
    std::wstring baseFolder_;
};

}  // namespace TavikUI
