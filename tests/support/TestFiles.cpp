#include "TestFiles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

namespace testsupport {

namespace {

bool IsFolder(const WIN32_FIND_DATAW& found) { return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool IsDotEntry(const WIN32_FIND_DATAW& found) {
    const std::wstring name = found.cFileName;
    return name == L"." || name == L"..";
}

// Calls `visit` for every entry of a folder but "." and ".."; false when the
// folder cannot be listed or a visit fails (the others are still visited).
template <typename Visit>
bool ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    do {
        if (!IsDotEntry(found)) {
            ok = visit(found) && ok;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return ok;
}

}  // namespace

std::wstring WithBackSlashes(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring FixturesDir() {
    const std::string dir = TAVIK_TEST_DATA_DIR "/fixtures";
    return WithBackSlashes(std::wstring(dir.begin(), dir.end()));
}

std::wstring ProductDataDir() {
    const std::string dir = TAVIK_PRODUCT_DATA_DIR;
    return WithBackSlashes(std::wstring(dir.begin(), dir.end()));
}

std::wstring ProgramFolder() {
    wchar_t name[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, name, MAX_PATH);
    const std::wstring path = name;
    return path.substr(0, path.rfind(L'\\'));
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0], bytes, nullptr, nullptr);
    return narrow;
}

bool MakeFolders(const std::wstring& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return !error;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}

bool RemoveFolderTree(const std::wstring& folder) {
    ForEachEntry(folder, [&folder](const WIN32_FIND_DATAW& found) {
        const std::wstring path = folder + L"\\" + found.cFileName;
        // A file a test made read-only goes too.
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return IsFolder(found) ? RemoveFolderTree(path) : DeleteFileW(path.c_str()) != FALSE;
    });
    return RemoveDirectoryW(folder.c_str()) || GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool CopyFolderTree(const std::wstring& from, const std::wstring& to) {
    if (!MakeFolders(to)) {
        return false;
    }
    return ForEachEntry(from, [&from, &to](const WIN32_FIND_DATAW& found) {
        const std::wstring source = from + L"\\" + found.cFileName;
        const std::wstring target = to + L"\\" + found.cFileName;
        return IsFolder(found) ? CopyFolderTree(source, target)
                               : CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
    });
}

ScratchFolder::ScratchFolder(const std::wstring& prefix) {
    static std::atomic<int> serial{0};
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\') {
        base.pop_back();
    }
    path_ = base + L"\\" + prefix + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(serial++);
    // A folder of the same name left by an earlier run of this process id.
    RemoveFolderTree(path_);
    created_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
}

ScratchFolder::~ScratchFolder() { RemoveFolderTree(path_); }

}  // namespace testsupport
