// Where an archive's bytes come from: a file (opened by name or duplicated
// from a caller's handle) or a memory block read in place.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "ZipArchive.h"

namespace TavikUI {

class CZipSource {
public:
    // Each factory stores the source in `source` and answers ZIP_OK, or answers
    // the failure code with everything it opened closed again.
    static ZipResult OpenHandle(HANDLE file, std::unique_ptr<CZipSource>* source);
    static ZipResult OpenFileName(const wchar_t* name, std::unique_ptr<CZipSource>* source);
    static ZipResult OpenMemory(const void* data, uint32_t length, std::unique_ptr<CZipSource>* source);

    ~CZipSource();
    CZipSource(const CZipSource&) = delete;
    CZipSource& operator=(const CZipSource&) = delete;

    bool IsSeekable() const { return seekable_; }
    bool IsInMemory() const { return file_ == INVALID_HANDLE_VALUE; }
    // Bytes from the start offset to the end of the source.
    uint64_t Size() const;
    // Reads exactly `size` bytes at `offset` (counted from the start offset);
    // false when the source holds fewer.
    bool ReadAt(uint64_t offset, void* buffer, uint32_t size);
    // A memory source's bytes at `offset`, read in place without a copy: up to
    // `size` of them in `available`. Null for a file source, or when no byte
    // lies there (which counts as a failed read).
    const uint8_t* InPlace(uint64_t offset, uint32_t size, uint32_t* available);

private:
    CZipSource() = default;
    bool ReadFileAt(uint64_t offset, void* buffer, uint32_t size);

    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool seekable_ = false;
    uint64_t startOffset_ = 0;
    const uint8_t* memory_ = nullptr;
    uint32_t memoryLength_ = 0;
};

}  // namespace TavikUI
