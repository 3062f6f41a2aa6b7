// What the eMMC writer is going to do, read from the package's partition and
// patch lists and checked whole before anything on the phone changes: a list
// that would fail half-way must fail while the phone still has its partition
// table. Only the lists and the images' sizes are read, never the images'
// bytes; the images are opened as the writer reads them, and the writer reads
// through those very handles.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ScopedHandle.h"

class CQcomDownloader;

// One image of the partition list and where it goes.
struct PlannedImage {
    std::wstring path;
    CScopedHandle file;  // opened by OpenImageFile, unread
    uint64_t startSector = 0;
    uint64_t sectorCount = 0;  // the partition's size; 0 sets no limit
};

// An image opened as the disk writer reads it: others may read it meanwhile
// (another station flashing from the same package, a virus scanner), no one
// may change it. Unset when it cannot be opened so.
CScopedHandle OpenImageFile(const std::wstring& path);

// One "DISK" element of the patch list, its numbers checked.
struct PlannedPatch {
    uint64_t byteOffset = 0;
    uint64_t sizeInBytes = 0;
    uint64_t startSector = 0;
    std::wstring value;
    std::wstring what;
    bool isCrc = false;
    uint64_t number = 0;  // the value when it is no CRC expression
};

class CDiskPackagePlan {
public:
    // The longest span a patch's CRC may cover. A partition table's entry
    // array is 16 KiB; more than a few MiB is no partition table but a
    // buffer and texts the 32-bit tool may not get.
    static constexpr uint64_t kLongestCrcSpan = 4 * 1024 * 1024;

    // Reads both lists of the engine's package (its software folder, its
    // rawprogram and patch names). With the disk's sector count every entry
    // is checked against that disk, and the lists' opening is reported as
    // the writer's steps; without it (before a flow changes the phone's
    // mode) only what needs no disk is checked, quietly. False after
    // reporting the first fault, naming its entry.
    bool Read(CQcomDownloader& engine, std::optional<uint32_t> numDiskSectors);

    const std::vector<PlannedImage>& Images() const { return images_; }
    const std::vector<PlannedPatch>& Patches() const { return patches_; }

private:
    bool ReadImages(CQcomDownloader& engine, const std::wstring& folder);
    bool ReadImage(CQcomDownloader& engine, const std::wstring& folder, const std::wstring& fileName,
                   const std::wstring& countText, const std::wstring& startText);
    bool ReadPatches(CQcomDownloader& engine, const std::wstring& folder);
    bool ReadPatch(CQcomDownloader& engine, const std::wstring& offsetText, const std::wstring& sizeText,
                   const std::wstring& startText, PlannedPatch& patch) const;
    bool CheckCrcSpan(CQcomDownloader& engine, const PlannedPatch& patch) const;

    // The disk's sectors, or the largest count when there is no disk yet:
    // the numbers still have to parse.
    uint32_t SectorsForParsing() const;

    std::optional<uint32_t> numDiskSectors_;
    std::vector<PlannedImage> images_;
    std::vector<PlannedPatch> patches_;
};

// Why an image of `imageBytes` cannot go to `startSector`: it needs more
// sectors than its partition has (a count of 0 sets no limit) or runs past
// the end of a disk of `numDiskSectors` (not checked without a disk). None
// when it fits.
std::optional<std::wstring> ImagePlacementFault(const std::wstring& imagePath, uint64_t imageBytes,
                                                uint64_t startSector, uint64_t sectorCount,
                                                std::optional<uint32_t> numDiskSectors);
