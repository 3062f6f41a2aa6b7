// File and handle helpers of the zip reader's tests: temporary folders, whole
// files, the committed fixtures, and handles that close themselves.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ZipArchive.h"

namespace ZipTest {

struct ArchiveCloser {
    void operator()(TavikUI::ZipArchiveHandleRecord* archive) const { TavikUI::ZipArchiveClose(archive); }
};
using ArchivePtr = std::unique_ptr<TavikUI::ZipArchiveHandleRecord, ArchiveCloser>;

inline ArchivePtr OpenMemory(const std::string& bytes) {
    return ArchivePtr(
        TavikUI::ZipArchiveOpen(bytes.data(), static_cast<uint32_t>(bytes.size()), TavikUI::ZIP_KIND_MEMORY));
}

// The reader reads the block in place: a temporary would vanish under it.
ArchivePtr OpenMemory(std::string&& bytes) = delete;

inline ArchivePtr OpenFileName(const std::wstring& path) {
    return ArchivePtr(TavikUI::ZipArchiveOpen(path.c_str(), 0, TavikUI::ZIP_KIND_FILE));
}

struct HandleCloser {
    void operator()(void* handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};
using HandlePtr = std::unique_ptr<void, HandleCloser>;

inline std::wstring FixturePath(const std::wstring& name) {
    return std::wstring(L"" TAVIK_TEST_DATA_DIR L"/fixtures/zip/") + name;
}

inline bool ReadFileBytes(const std::wstring& path, std::string* bytes) {
    HandlePtr file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) {
        return false;
    }
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    return bytes->empty() || (ReadFile(file.get(), &(*bytes)[0], static_cast<DWORD>(bytes->size()), &got, nullptr) &&
                              got == bytes->size());
}

inline std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    if (!ReadFileBytes(path, &bytes)) {
        return "<unreadable " + std::string(path.begin(), path.end()) + ">";
    }
    return bytes;
}

inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HandlePtr file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

inline bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

inline void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

// A fresh folder under the temporary folder, removed with all it holds.
class TempFolder {
public:
    TempFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static unsigned counter = 0;
        path_ = std::wstring(temp) + L"zip-reader-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        RemoveTree(path_);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Makes a folder the process's current folder for the scope's lifetime.
class CurrentFolderScope {
public:
    explicit CurrentFolderScope(const std::wstring& folder) {
        wchar_t previous[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolderScope() { SetCurrentDirectoryW(previous_.c_str()); }
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

private:
    std::wstring previous_;
};

struct Extracted {
    TavikUI::ZipResult result = 0;
    std::string bytes;
};

// Extracts an item to memory the way the skin loaders do: one buffer of the
// item's uncompressed size.
inline Extracted ExtractWhole(TavikUI::HZIPARCHIVE archive, int32_t index) {
    Extracted out;
    TavikUI::ZipArchiveEntry entry = {};
    out.result = TavikUI::ZipArchiveGetItem(archive, index, &entry);
    if (out.result != TavikUI::ZIP_OK) {
        return out;
    }
    std::string buffer(entry.uncompressedSize + 1, '\0');  // never a null pointer
    out.result =
        TavikUI::ZipArchiveExtractItem(archive, index, &buffer[0], entry.uncompressedSize, TavikUI::ZIP_KIND_MEMORY);
    buffer.resize(entry.uncompressedSize);
    out.bytes = buffer;
    return out;
}

// Extracts an item to memory in pieces of `piece` bytes, calling again while
// the reader answers ZIP_MORE_DATA; the last answer is the result. Stops
// after `maxCalls` calls so a runaway reader fails the test instead of
// hanging it.
inline Extracted ExtractInPieces(TavikUI::HZIPARCHIVE archive, int32_t index, uint32_t piece, int maxCalls = 100000) {
    Extracted out;
    TavikUI::ZipArchiveEntry entry = {};
    out.result = TavikUI::ZipArchiveGetItem(archive, index, &entry);
    if (out.result != TavikUI::ZIP_OK) {
        return out;
    }
    std::string buffer(piece, '\0');
    uint64_t left = entry.uncompressedSize;
    for (int call = 0; call < maxCalls; ++call) {
        out.result = TavikUI::ZipArchiveExtractItem(archive, index, &buffer[0], piece, TavikUI::ZIP_KIND_MEMORY);
        if (out.result != TavikUI::ZIP_MORE_DATA) {
            return out;
        }
        const uint64_t delivered = left < piece ? left : piece;
        out.bytes.append(buffer, 0, static_cast<size_t>(delivered));
        left -= delivered;
    }
    out.result = 0xDEADBEEF;  // never settled
    return out;
}

}  // namespace ZipTest
