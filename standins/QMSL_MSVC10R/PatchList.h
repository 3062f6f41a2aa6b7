// The simulated FireHose programmer's patch list: after the images, single
// sectors of the storage get numbers (the disk's size, CRC-32s of storage
// bytes) written into them, as the partition tables need. Its own small
// model of the phone side, independent of the tool's disk writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SimPhone.h"

struct PatchEntry {
    std::string fileName;  // only "DISK" entries patch the storage
    std::string byteOffset;
    std::string sizeInBytes;
    std::string startSector;  // decimal, or "NUM_DISK_SECTORS-n."
    std::string value;        // decimal, "NUM_DISK_SECTORS-n." or "CRC32(start,length)"
};

// The patch elements in document order; false when the file cannot be read.
bool ReadPatchEntries(const std::string& path, std::vector<PatchEntry>& entries);

// Applies the "DISK" entries in order, each seeing the storage the earlier
// ones left. False with the reason at the first entry that cannot be
// applied (a malformed number, a span outside its sector or the storage).
bool ApplyPatches(SimPhone& phone, const std::vector<PatchEntry>& entries, std::string& error);

// The CRC-32 of IEEE 802.3 over every byte.
uint32_t PatchCrc32(const uint8_t* bytes, size_t length);
