#include "ZipSource.h"

#include <cstring>

namespace TavikUI {

ZipResult CZipSource::OpenHandle(HANDLE file, std::unique_ptr<CZipSource>* source) {
    HANDLE process = GetCurrentProcess();
    HANDLE duplicate = nullptr;
    if (!DuplicateHandle(process, file, process, &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return ZIP_DUPLICATE_HANDLE_FAILED;
    }
    std::unique_ptr<CZipSource> opened(new CZipSource);
    opened->file_ = duplicate;  // closed by the destructor from here on
    if (GetFileType(duplicate) != FILE_TYPE_DISK) {
        return ZIP_NOT_DISK_FILE;
    }
    LARGE_INTEGER position = {};
    LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(duplicate, zero, &position, FILE_CURRENT)) {
        return ZIP_NOT_DISK_FILE;
    }
    opened->seekable_ = true;
    opened->startOffset_ = static_cast<uint64_t>(position.QuadPart);
    *source = std::move(opened);
    return ZIP_OK;
}

ZipResult CZipSource::OpenFileName(const wchar_t* name, std::unique_ptr<CZipSource>* source) {
    HANDLE file =
        CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return ZIP_OPEN_FILE_FAILED;
    }
    std::unique_ptr<CZipSource> opened(new CZipSource);
    opened->file_ = file;
    opened->seekable_ = GetFileType(file) == FILE_TYPE_DISK;
    *source = std::move(opened);
    return ZIP_OK;
}

ZipResult CZipSource::OpenMemory(const void* data, uint32_t length, std::unique_ptr<CZipSource>* source) {
    std::unique_ptr<CZipSource> opened(new CZipSource);
    opened->memory_ = static_cast<const uint8_t*>(data);
    opened->memoryLength_ = length;
    opened->seekable_ = true;
    *source = std::move(opened);
    return ZIP_OK;
}

CZipSource::~CZipSource() {
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
    }
}

uint64_t CZipSource::Size() const {
    if (file_ == INVALID_HANDLE_VALUE) {
        return memoryLength_;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file_, &size)) {
        return 0;
    }
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    return total > startOffset_ ? total - startOffset_ : 0;
}

bool CZipSource::ReadAt(uint64_t offset, void* buffer, uint32_t size) {
    if (file_ != INVALID_HANDLE_VALUE) {
        return ReadFileAt(offset, buffer, size);
    }
    if (offset > memoryLength_ || size > memoryLength_ - offset) {
        return false;
    }
    std::memcpy(buffer, memory_ + offset, size);
    return true;
}

const uint8_t* CZipSource::InPlace(uint64_t offset, uint32_t size, uint32_t* available) {
    if (file_ != INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    if (offset >= memoryLength_ || size == 0) {
        return nullptr;
    }
    const uint64_t left = memoryLength_ - offset;
    *available = static_cast<uint32_t>(left < size ? left : size);
    return memory_ + offset;
}

bool CZipSource::ReadFileAt(uint64_t offset, void* buffer, uint32_t size) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(startOffset_ + offset);
    if (!seekable_ || position.QuadPart < 0 || !SetFilePointerEx(file_, position, nullptr, FILE_BEGIN)) {
        return false;
    }
    auto* bytes = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(file_, bytes + done, size - done, &got, nullptr) || got == 0) {
            return false;
        }
        done += got;
    }
    return true;
}

}  // namespace TavikUI
