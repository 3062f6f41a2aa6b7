// Writes zip archives in memory for the reader's tests and benchmark: stored
// or deflated items with chosen names, attributes, times and extra fields,
// and records where each part landed so tests can damage it on purpose.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ZipTest {

constexpr uint32_t kUnixFileAttributes = 0100644u << 16;      // rw-r--r-- file
constexpr uint32_t kUnixReadOnlyAttributes = 0100444u << 16;  // r--r--r-- file
constexpr uint32_t kUnixFolderAttributes = (040755u << 16) | 0x10;
constexpr uint16_t kMadeByUnix = 0x031E;
constexpr uint16_t kMadeByWindows = 0x0014;

inline void PutLe16(std::string* out, uint32_t value) {
    out->push_back(static_cast<char>(value & 0xFF));
    out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void PutLe32(std::string* out, uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

inline void SetLe16(std::string* out, size_t at, uint32_t value) {
    (*out)[at] = static_cast<char>(value & 0xFF);
    (*out)[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

inline void SetLe32(std::string* out, size_t at, uint32_t value) {
    SetLe16(out, at, value & 0xFFFF);
    SetLe16(out, at + 2, value >> 16);
}

inline uint16_t DosDate(int year, int month, int day) {
    return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}

inline uint16_t DosTime(int hour, int minute, int second) {
    return static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

inline uint32_t Crc32Of(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// Raw deflate data (no zlib header), as zip items hold it.
inline std::string RawDeflate(const std::string& data, int level = Z_DEFAULT_COMPRESSION) {
    z_stream stream = {};
    if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return std::string();
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : std::string();
}

// An extended-timestamp extra record ("UT") with the times its flags name:
// bit 0 write, bit 1 access, bit 2 creation.
inline std::string ExtendedTimestamp(uint8_t flags, const std::vector<int32_t>& times) {
    std::string body(1, static_cast<char>(flags));
    for (int32_t time : times) {
        PutLe32(&body, static_cast<uint32_t>(time));
    }
    std::string record;
    PutLe16(&record, 0x5455);
    PutLe16(&record, static_cast<uint32_t>(body.size()));
    return record + body;
}

struct Item {
    std::string name;  // as stored (ANSI code page bytes)
    std::string data;  // the uncompressed bytes
    bool deflate = false;
    uint16_t versionMadeBy = kMadeByUnix;
    uint32_t externalAttributes = kUnixFileAttributes;
    uint16_t dosDate = DosDate(2020, 1, 2);
    uint16_t dosTime = DosTime(3, 4, 6);
    std::string localExtra;
    std::string centralExtra;
    // Sizes and CRC-32 in a data descriptor after the data (flag bit 3).
    bool dataDescriptor = false;
};

inline Item FileItem(const std::string& name, const std::string& data, bool deflate = false) {
    Item item;
    item.name = name;
    item.data = data;
    item.deflate = deflate;
    return item;
}

inline Item FolderItem(const std::string& name) {
    Item item;
    item.name = name;
    item.externalAttributes = kUnixFolderAttributes;
    return item;
}

// Offsets (from the start of the built bytes, prefix included) of each part.
struct Layout {
    std::vector<size_t> localHeaders;
    std::vector<size_t> itemData;
    std::vector<size_t> centralEntries;
    size_t centralDirectory = 0;
    size_t endRecord = 0;
};

// Field offsets inside the fixed parts, for tests that damage them.
namespace Field {
constexpr size_t kLocalFlags = 6, kLocalMethod = 8, kLocalCrc = 14, kLocalCompressed = 18, kLocalUncompressed = 22,
                 kLocalNameLength = 26, kLocalExtraLength = 28;
constexpr size_t kCentralMethod = 10, kCentralCrc = 16, kCentralCompressed = 20, kCentralUncompressed = 24,
                 kCentralNameLength = 28, kCentralExtraLength = 30, kCentralExternal = 38, kCentralLocalOffset = 42;
constexpr size_t kEndThisDisk = 4, kEndDirectoryDisk = 6, kEndEntriesOnDisk = 8, kEndEntriesTotal = 10,
                 kEndDirectorySize = 12, kEndDirectoryOffset = 16, kEndCommentLength = 20;
}  // namespace Field

// Builds an archive after `prefix` (stored offsets count from the archive's
// own start, as for a payload appended to a program).
inline std::string BuildArchive(const std::vector<Item>& items, const std::string& prefix = std::string(),
                                const std::string& comment = std::string(), Layout* layout = nullptr) {
    Layout where;
    std::string out = prefix;
    std::string central;
    std::vector<size_t> centralStarts;
    for (const Item& item : items) {
        const std::string payload = item.deflate ? RawDeflate(item.data) : item.data;
        const uint32_t crc = Crc32Of(item.data);
        const uint32_t flags = item.dataDescriptor ? 0x0008 : 0;
        const uint32_t localOffset = static_cast<uint32_t>(out.size() - prefix.size());
        where.localHeaders.push_back(out.size());
        PutLe32(&out, 0x04034B50);
        PutLe16(&out, 20);
        PutLe16(&out, flags);
        PutLe16(&out, item.deflate ? 8 : 0);
        PutLe16(&out, item.dosTime);
        PutLe16(&out, item.dosDate);
        PutLe32(&out, item.dataDescriptor ? 0 : crc);
        PutLe32(&out, item.dataDescriptor ? 0 : static_cast<uint32_t>(payload.size()));
        PutLe32(&out, item.dataDescriptor ? 0 : static_cast<uint32_t>(item.data.size()));
        PutLe16(&out, static_cast<uint32_t>(item.name.size()));
        PutLe16(&out, static_cast<uint32_t>(item.localExtra.size()));
        out += item.name;
        out += item.localExtra;
        where.itemData.push_back(out.size());
        out += payload;
        if (item.dataDescriptor) {
            PutLe32(&out, 0x08074B50);
            PutLe32(&out, crc);
            PutLe32(&out, static_cast<uint32_t>(payload.size()));
            PutLe32(&out, static_cast<uint32_t>(item.data.size()));
        }
        centralStarts.push_back(central.size());
        PutLe32(&central, 0x02014B50);
        PutLe16(&central, item.versionMadeBy);
        PutLe16(&central, 20);
        PutLe16(&central, flags);
        PutLe16(&central, item.deflate ? 8 : 0);
        PutLe16(&central, item.dosTime);
        PutLe16(&central, item.dosDate);
        PutLe32(&central, crc);
        PutLe32(&central, static_cast<uint32_t>(payload.size()));
        PutLe32(&central, static_cast<uint32_t>(item.data.size()));
        PutLe16(&central, static_cast<uint32_t>(item.name.size()));
        PutLe16(&central, static_cast<uint32_t>(item.centralExtra.size()));
        PutLe16(&central, 0);  // comment
        PutLe16(&central, 0);  // disk
        PutLe16(&central, 0);  // internal attributes
        PutLe32(&central, item.externalAttributes);
        PutLe32(&central, localOffset);
        central += item.name;
        central += item.centralExtra;
    }
    where.centralDirectory = out.size();
    for (size_t start : centralStarts) {
        where.centralEntries.push_back(where.centralDirectory + start);
    }
    const uint32_t centralOffset = static_cast<uint32_t>(out.size() - prefix.size());
    out += central;
    where.endRecord = out.size();
    PutLe32(&out, 0x06054B50);
    PutLe16(&out, 0);
    PutLe16(&out, 0);
    PutLe16(&out, static_cast<uint32_t>(items.size()));
    PutLe16(&out, static_cast<uint32_t>(items.size()));
    PutLe32(&out, static_cast<uint32_t>(central.size()));
    PutLe32(&out, centralOffset);
    PutLe16(&out, static_cast<uint32_t>(comment.size()));
    out += comment;
    if (layout) {
        *layout = where;
    }
    return out;
}

}  // namespace ZipTest
