#include "ZipArchive.h"

#include <memory>

#include "ZipReader.h"
#include "ZipSource.h"

namespace TavikUI {

struct ZipArchiveHandleRecord {
    uint32_t tag;
    std::unique_ptr<CZipReader> archive;
};

namespace {

constexpr uint32_t kArchiveTag = 1;

// The result of the latest call on this thread, for callers of a failed open:
// the UI thread and an installer's worker read archives at the same time, and
// neither may read the other's error.
thread_local ZipResult t_lastResult = ZIP_OK;

ZipResult Remember(ZipResult result) {
    t_lastResult = result;
    return result;
}

// ZIP_OK with the archive object, or the code of a bad handle.
ZipResult CheckHandle(HZIPARCHIVE handle, CZipReader** archive) {
    if (handle == nullptr) {
        return ZIP_BAD_ARGUMENT;
    }
    if (handle->tag != kArchiveTag || !handle->archive) {
        return ZIP_NOT_ARCHIVE_HANDLE;
    }
    *archive = handle->archive.get();
    return ZIP_OK;
}

ZipResult OpenSource(const void* source, uint32_t length, uint32_t kind, std::unique_ptr<CZipSource>* opened) {
    if (source == nullptr) {
        return ZIP_BAD_ARGUMENT;
    }
    switch (kind) {
    case ZIP_KIND_HANDLE:
        return CZipSource::OpenHandle(const_cast<HANDLE>(source), opened);
    case ZIP_KIND_FILE:
        return CZipSource::OpenFileName(static_cast<const wchar_t*>(source), opened);
    case ZIP_KIND_MEMORY:
        return CZipSource::OpenMemory(source, length, opened);
    default:
        return ZIP_BAD_ARGUMENT;
    }
}

}  // namespace

HZIPARCHIVE ZipArchiveOpen(const void* source, uint32_t length, uint32_t kind) {
    std::unique_ptr<CZipSource> opened;
    ZipResult result = OpenSource(source, length, kind, &opened);
    if (result != ZIP_OK) {
        Remember(result);
        return nullptr;
    }
    auto archive = std::make_unique<CZipReader>();
    result = archive->Open(std::move(opened));
    Remember(result);
    if (result != ZIP_OK) {
        return nullptr;
    }
    return new ZipArchiveHandleRecord{kArchiveTag, std::move(archive)};
}

ZipResult ZipArchiveFindItem(HZIPARCHIVE handle, const wchar_t* name, bool ignoreCase, int32_t* index,
                             ZipArchiveEntry* entry) {
    CZipReader* archive = nullptr;
    const ZipResult result = CheckHandle(handle, &archive);
    if (result != ZIP_OK) {
        return Remember(result);
    }
    return Remember(archive->FindItem(name, ignoreCase, index, entry));
}

ZipResult ZipArchiveGetItem(HZIPARCHIVE handle, int32_t index, ZipArchiveEntry* entry) {
    CZipReader* archive = nullptr;
    const ZipResult result = CheckHandle(handle, &archive);
    if (result != ZIP_OK) {
        return Remember(result);
    }
    return Remember(archive->GetItem(index, entry));
}

ZipResult ZipArchiveExtractItem(HZIPARCHIVE handle, int32_t index, void* target, uint32_t length, uint32_t kind) {
    CZipReader* archive = nullptr;
    const ZipResult result = CheckHandle(handle, &archive);
    if (result != ZIP_OK) {
        return Remember(result);
    }
    return Remember(archive->ExtractItem(index, target, length, kind));
}

ZipResult ZipArchiveClose(HZIPARCHIVE handle) {
    CZipReader* archive = nullptr;
    const ZipResult result = CheckHandle(handle, &archive);
    if (result != ZIP_OK) {
        return Remember(result);
    }
    handle->tag = 0;
    delete handle;  // the archive closes its item and its source
    return Remember(ZIP_OK);
}

ZipResult ZipArchiveLastResult() { return t_lastResult; }

}  // namespace TavikUI
