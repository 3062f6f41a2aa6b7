// Pieces the two files of the eMMC writer share: the disk writer
// (QcomDownloaderDisk.cpp) and the patch list (QcomDownloaderPatch.cpp).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class CQcomDownloader;
struct PlannedPatch;

namespace DiskWriter {

constexpr uint64_t kSectorBytes = 512;

using ByteBuffer = std::unique_ptr<uint8_t[]>;

inline uint64_t RoundUpToSector(uint64_t bytes) { return (bytes + kSectorBytes - 1) / kSectorBytes * kSectorBytes; }

inline bool IsOpenHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// One checked patch applied: its sector read, patched with the number or
// the CRC of its span, and written back. False after reporting why.
bool ApplyDiskPatch(CQcomDownloader& engine, const PlannedPatch& patch, HANDLE disk, uint32_t numDiskSectors);

}  // namespace DiskWriter
