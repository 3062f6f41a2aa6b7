#include "PatchList.h"

#include <cstdlib>

#include "RawProgramList.h"

namespace {

constexpr uint64_t kSectorBytes = 512;
constexpr uint64_t kValueBytes = 8;
// A CRC over more than this is no partition table: refused.
constexpr uint64_t kLongestCrcSpan = 64 * 1024 * 1024;

bool ParseNumber(const std::string& text, uint64_t& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 10);
    return end == text.c_str() + text.size();
}

// "CRC32(start,length)" over the storage as it is now.
bool EvaluateCrc(const SimPhone& phone, const std::string& value, uint64_t diskSectors, uint64_t& crc) {
    const size_t open = value.find("CRC32(");
    const size_t comma = value.find(',', open);
    const size_t close = value.find(')', comma == std::string::npos ? open : comma);
    if (open == std::string::npos || comma == std::string::npos || close == std::string::npos) {
        return false;
    }
    const size_t startAt = open + 6;
    uint64_t sector = 0;
    uint64_t length = 0;
    if (!ResolveStartSector(value.substr(startAt, comma - startAt), diskSectors, sector) ||
        !ParseNumber(value.substr(comma + 1, close - comma - 1), length) || length > kLongestCrcSpan ||
        sector > diskSectors) {
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (!phone.ReadStorage(sector * kSectorBytes, bytes.data(), bytes.size())) {
        return false;
    }
    crc = PatchCrc32(bytes.data(), bytes.size());
    return true;
}

bool ApplyOne(SimPhone& phone, const PatchEntry& entry, uint64_t diskSectors, std::string& error) {
    uint64_t offset = 0;
    uint64_t size = 0;
    uint64_t sector = 0;
    if (!ParseNumber(entry.byteOffset, offset) || !ParseNumber(entry.sizeInBytes, size) ||
        !ResolveStartSector(entry.startSector, diskSectors, sector)) {
        error = "malformed patch at sector " + entry.startSector;
        return false;
    }
    if (size > kValueBytes || offset > kSectorBytes || size > kSectorBytes - offset || sector >= diskSectors) {
        error = "patch outside its sector at sector " + entry.startSector;
        return false;
    }
    uint64_t number = 0;
    const bool crc = entry.value.find("CRC32") != std::string::npos;
    if (crc ? !EvaluateCrc(phone, entry.value, diskSectors, number)
            : !ResolveStartSector(entry.value, diskSectors, number)) {
        error = "cannot evaluate patch value " + entry.value;
        return false;
    }
    uint8_t bytes[kValueBytes];
    for (uint64_t index = 0; index < kValueBytes; ++index) {
        bytes[index] = static_cast<uint8_t>(number >> (8 * index));
    }
    if (!phone.WriteStorage(sector * kSectorBytes + offset, bytes, static_cast<size_t>(size))) {
        error = "cannot write patch at sector " + entry.startSector;
        return false;
    }
    return true;
}

}  // namespace

bool ReadPatchEntries(const std::string& path, std::vector<PatchEntry>& entries) {
    std::vector<std::vector<std::string>> rows;
    if (!ReadListElements(path, "patch", {"filename", "byte_offset", "size_in_bytes", "start_sector", "value"}, rows)) {
        return false;
    }
    entries.clear();
    for (const std::vector<std::string>& row : rows) {
        entries.push_back({row[0], row[1], row[2], row[3], row[4]});
    }
    return true;
}

bool ApplyPatches(SimPhone& phone, const std::vector<PatchEntry>& entries, std::string& error) {
    const uint64_t diskSectors = phone.StorageBytes() / kSectorBytes;
    for (const PatchEntry& entry : entries) {
        if (entry.fileName == "DISK" && !ApplyOne(phone, entry, diskSectors, error)) {
            return false;
        }
    }
    return true;
}

uint32_t PatchCrc32(const uint8_t* bytes, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t index = 0; index < length; ++index) {
        crc ^= bytes[index];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}
