#include "ImageSource.h"

#include <cstring>
#include <new>

#include "WindowManager.h"
#include "ZipArchive.h"

namespace TavikUI {
namespace {

bool Allocate(uint32_t size, ImageBytes& bytes) {
    if (size == 0 || size > kMaxImageFileBytes) {
        return false;
    }
    bytes.data.reset(new (std::nothrow) uint8_t[size]);
    bytes.size = bytes.data ? size : 0;
    return bytes.data != nullptr;
}

// A name of decimal digits is a numeric resource id, as skins write them.
LPCWSTR ResourceName(const wchar_t* name) {
    unsigned long id = 0;
    for (const wchar_t* c = name; *c; ++c) {
        if (*c < L'0' || *c > L'9' || id > 0xFFFF) {
            return name;
        }
        id = id * 10 + static_cast<unsigned long>(*c - L'0');
    }
    return id <= 0xFFFF ? MAKEINTRESOURCEW(id) : name;
}

bool ReadResource(const wchar_t* name, const wchar_t* type, ImageBytes& bytes) {
    HINSTANCE instance = CWindowManager::ResourceInstance();
    HRSRC resource = FindResourceW(instance, ResourceName(name), type);
    if (!resource) {
        return false;
    }
    const DWORD size = SizeofResource(instance, resource);
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || !Allocate(size, bytes)) {
        return false;
    }
    memcpy(bytes.data.get(), data, size);
    return true;
}

bool ReadWholeFile(const wchar_t* path, ImageBytes& bytes) {
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size = {};
    bool read = false;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxImageFileBytes &&
        Allocate(static_cast<uint32_t>(size.QuadPart), bytes)) {
        DWORD got = 0;
        // A short read counts as failure.
        read = ReadFile(file, bytes.data.get(), bytes.size, &got, nullptr) && got == bytes.size;
    }
    CloseHandle(file);
    if (!read) {
        bytes = ImageBytes();
    }
    return read;
}

bool ReadArchiveItem(HZIPARCHIVE archive, const wchar_t* name, ImageBytes& bytes) {
    int32_t index = -1;
    ZipArchiveEntry entry = {};
    if (ZipArchiveFindItem(archive, name, true, &index, &entry) != ZIP_OK || !Allocate(entry.uncompressedSize, bytes)) {
        return false;
    }
    const ZipResult result = ZipArchiveExtractItem(archive, index, bytes.data.get(), bytes.size, ZIP_KIND_MEMORY);
    if (result != ZIP_OK && result != ZIP_MORE_DATA) {
        bytes = ImageBytes();
        return false;
    }
    return true;
}

bool ReadFromSkinArchive(const wchar_t* name, ImageBytes& bytes) {
    if (HZIPARCHIVE cached = CWindowManager::CachedSkinArchive()) {
        return ReadArchiveItem(cached, name, bytes);
    }
    const CWideString path = CWindowManager::ResourceFolder().ConcatText(CWindowManager::SkinArchiveName().Text());
    HZIPARCHIVE archive = ZipArchiveOpen(path.Text(), 0, ZIP_KIND_FILE);
    if (!archive) {
        return false;
    }
    const bool read = ReadArchiveItem(archive, name, bytes);
    ZipArchiveClose(archive);
    return read;
}

}  // namespace

bool ReadImageBytes(const wchar_t* name, const wchar_t* resourceType, ImageBytes& bytes) {
    bytes = ImageBytes();
    if (!name || !name[0]) {
        return false;
    }
    bool read = false;
    if (resourceType && resourceType[0]) {
        read = ReadResource(name, resourceType, bytes);
    } else if (CWindowManager::SkinArchiveName().IsEmpty()) {
        read = ReadWholeFile(CWindowManager::ResourceFolder().ConcatText(name).Text(), bytes);
    } else {
        read = ReadFromSkinArchive(name, bytes);
    }
    return read || ReadWholeFile(name, bytes);
}

}  // namespace TavikUI
