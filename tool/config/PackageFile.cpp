#include "PackageFile.h"

#include <windows.h>

#include "TextFormat.h"

namespace {

// Paths handed to the file API stay below the classic path limit.
constexpr size_t kMaxPathChars = MAX_PATH - 1;

}  // namespace

double FileSizeMb(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return 0.0;
    }
    const unsigned long long bytes = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return static_cast<double>(bytes) / 1048576.0;
}

PackageFileLookup LookUpPackageFile(const std::wstring& folder, const std::wstring& fileName) {
    const std::wstring candidates[] = {
        FormatWide(L"%s\\%s", folder.c_str(), fileName.c_str()),
        FormatWide(L"%s\\bp_image\\%s", folder.c_str(), fileName.c_str()),
    };
    PackageFileLookup lookup;
    std::wstring tooLong;
    for (const std::wstring& candidate : candidates) {
        if (candidate.size() > kMaxPathChars) {
            if (tooLong.empty()) {
                tooLong = candidate;
            }
            continue;
        }
        const double sizeMb = FileSizeMb(candidate);
        if (sizeMb != 0.0) {
            lookup.status = PackageFileLookup::FOUND;
            lookup.path = candidate;
            lookup.sizeMb = sizeMb;
            return lookup;
        }
    }
    if (!tooLong.empty()) {
        lookup.status = PackageFileLookup::PATH_TOO_LONG;
        lookup.path = tooLong;
    } else {
        lookup.path = candidates[1];
    }
    return lookup;
}
