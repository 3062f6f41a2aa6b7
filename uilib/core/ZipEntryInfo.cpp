#include "ZipEntryInfo.h"

#include <algorithm>

#include "ZipFormat.h"

namespace TavikUI {

namespace {

constexpr uint32_t kUnixDirectoryBit = 1u << 30;
constexpr uint32_t kUnixOwnerWriteBit = 1u << 23;
constexpr uint32_t kDosReadOnly = 0x01;
constexpr uint32_t kDosHidden = 0x02;
constexpr uint32_t kDosSystem = 0x04;
constexpr uint32_t kDosDirectory = 0x10;
constexpr uint32_t kDosArchive = 0x20;
constexpr uint16_t kExtendedTimestampId = 0x5455;  // "UT"
constexpr uint64_t kUnixEpochInFileTimeSeconds = 11644473600ull;
constexpr uint64_t kFileTimeTicksPerSecond = 10000000ull;

}  // namespace

uint32_t ZipEntryAttributes(uint32_t external) {
    uint32_t attributes = FILE_ATTRIBUTE_NORMAL;
    if ((external & kUnixDirectoryBit) != 0 || (external & kDosDirectory) != 0) {
        attributes = FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY;
    }
    if ((external & kDosArchive) != 0) {
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    }
    if ((external & kDosHidden) != 0) {
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    }
    if ((external & kDosSystem) != 0) {
        attributes |= FILE_ATTRIBUTE_SYSTEM;
    }
    // Archives made on Windows leave the Unix half zero, so their files come
    // out read-only.
    if ((external & kUnixOwnerWriteBit) == 0 || (external & kDosReadOnly) != 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes;
}

FILETIME ZipDosTimeToFileTime(uint16_t dosDate, uint16_t dosTime) {
    FILETIME time = {};
    if (!DosDateTimeToFileTime(dosDate, dosTime, &time)) {
        time = FILETIME{};
    }
    return time;
}

FILETIME ZipUnixTimeToFileTime(int32_t unixTime) {
    const uint64_t ticks =
        static_cast<uint64_t>(static_cast<int64_t>(unixTime) + static_cast<int64_t>(kUnixEpochInFileTimeSeconds)) *
        kFileTimeTicksPerSecond;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

void ZipApplyExtendedTimestamp(const uint8_t* extra, size_t length, ZipArchiveEntry* entry) {
    if (length <= 4) {
        return;
    }
    size_t at = 0;
    while (length - at >= 4) {
        const uint16_t id = ReadLe16(extra + at);
        const size_t size = ReadLe16(extra + at + 2);
        const uint8_t* data = extra + at + 4;
        if (size > length - at - 4) {
            return;  // the record runs past the field
        }
        at += 4 + size;
        if (id != kExtendedTimestampId || size < 1) {
            continue;
        }
        const uint8_t flags = data[0];
        FILETIME* targets[3] = {&entry->writeTime, &entry->accessTime, &entry->creationTime};
        size_t timeAt = 1;
        for (int bit = 0; bit < 3; ++bit) {
            if ((flags & (1u << bit)) == 0) {
                continue;
            }
            if (size - timeAt < 4) {
                break;
            }
            *targets[bit] = ZipUnixTimeToFileTime(static_cast<int32_t>(ReadLe32(data + timeAt)));
            timeAt += 4;
        }
    }
}

void ZipCopyEntryName(const std::string& storedName, ZipArchiveEntry* entry) {
    const int bytes = static_cast<int>(std::min<size_t>(storedName.size(), ZipLayout::kMaxKeptNameBytes));
    int chars = 0;
    if (bytes > 0) {
        chars = MultiByteToWideChar(CP_ACP, 0, storedName.data(), bytes, entry->name,
                                    static_cast<int>(ZipLayout::kMaxKeptNameBytes));
    }
    entry->name[chars > 0 ? chars : 0] = L'\0';
}

}  // namespace TavikUI
