#include "DiskPackagePlan.h"

#include <limits>

#include "DiskWriterShared.h"
#include "PackageFile.h"
#include "QcomDownloader.h"
#include "ScopedHandle.h"
#include "SectorExpression.h"
#include "TextFormat.h"
#include "XmlDocument.h"

using namespace DiskWriter;

namespace {

constexpr uint64_t kPatchValueBytes = 8;

// The size of an open file.
std::optional<uint64_t> FileBytes(const CScopedHandle& file) {
    LARGE_INTEGER bytes;
    if (!file.IsSet() || !GetFileSizeEx(file.Get(), &bytes)) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(bytes.QuadPart);
}

}  // namespace

CScopedHandle OpenImageFile(const std::wstring& path) {
    return CScopedHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

std::optional<std::wstring> ImagePlacementFault(const std::wstring& imagePath, uint64_t imageBytes,
                                                uint64_t startSector, uint64_t sectorCount,
                                                std::optional<uint32_t> numDiskSectors) {
    // An image larger than its partition would overrun the next one; one
    // running past the disk's end cannot be written whole.
    const uint64_t imageSectors = RoundUpToSector(imageBytes) / kSectorBytes;
    if (sectorCount != 0 && imageSectors > sectorCount) {
        return FormatWide(L"File %s needs %I64u sectors, its partition has %I64u!", imagePath.c_str(), imageSectors,
                          sectorCount);
    }
    if (numDiskSectors && (imageSectors > *numDiskSectors || startSector > *numDiskSectors - imageSectors)) {
        return FormatWide(L"File %s at sector %I64u needs %I64u sectors, the disk has %I64u!", imagePath.c_str(),
                          startSector, imageSectors, static_cast<uint64_t>(*numDiskSectors));
    }
    return std::nullopt;
}

bool CDiskPackagePlan::Read(CQcomDownloader& engine, std::optional<uint32_t> numDiskSectors) {
    numDiskSectors_ = numDiskSectors;
    images_.clear();
    patches_.clear();
    const std::wstring folder = AnsiToWide(engine.settings.softwarePath);
    return ReadImages(engine, folder) && ReadPatches(engine, folder);
}

uint32_t CDiskPackagePlan::SectorsForParsing() const {
    return numDiskSectors_ ? *numDiskSectors_ : std::numeric_limits<uint32_t>::max();
}

bool CDiskPackagePlan::ReadImages(CQcomDownloader& engine, const std::wstring& folder) {
    const std::wstring listName = AnsiToWide(engine.settings.rawprogramFile);
    const PackageFileLookup listFile = LookUpPackageFile(folder, listName);
    if (listFile.status != PackageFileLookup::FOUND) {
        engine.SendText(FormatWide(L"Can't Finded %s", listName.c_str()), MSG_FAILURE);
        return false;
    }
    const std::wstring& path = listFile.path;
    CXmlDocument list;
    if (!list.Load(path)) {
        engine.SendText(FormatWide(L"Open File [%s] Failed!", path.c_str()), MSG_FAILURE);
        return false;
    }
    if (numDiskSectors_) {
        engine.SendText(FormatWide(L"Open File [%s] Success!", path.c_str()), MSG_STEP_OK);
    }
    if (!list.FindNextElement() || !list.EnterElement()) {
        engine.SendText(FormatWide(L"File [%s] Error!", path.c_str()), MSG_FAILURE);
        return false;
    }
    while (list.FindNextElement(L"program")) {
        // An element without file name writes nothing.
        const std::wstring fileName = list.GetAttributeValue(L"filename");
        if (!fileName.empty() && !ReadImage(engine, folder, fileName, list.GetAttributeValue(L"num_partition_sectors"),
                                            list.GetAttributeValue(L"start_sector"))) {
            return false;
        }
    }
    return true;
}

bool CDiskPackagePlan::ReadImage(CQcomDownloader& engine, const std::wstring& folder, const std::wstring& fileName,
                                 const std::wstring& countText, const std::wstring& startText) {
    PlannedImage image;
    // A missing count, like a count of 0, sets no limit.
    if (!countText.empty()) {
        const std::optional<uint64_t> count = ParseDecimal(countText);
        if (!count) {
            engine.SendText(
                FormatWide(L"num_partition_sectors [%s] of %s is not a number!", countText.c_str(), fileName.c_str()),
                MSG_FAILURE);
            return false;
        }
        image.sectorCount = *count;
    }
    const std::optional<uint64_t> startSector = ResolveSectorText(startText, SectorsForParsing());
    if (!startSector) {
        engine.SendText(FormatWide(L"start_sector [%s] of %s is not a sector!", startText.c_str(), fileName.c_str()),
                        MSG_FAILURE);
        return false;
    }
    image.startSector = *startSector;
    const PackageFileLookup file = LookUpPackageFile(folder, fileName);
    if (file.status != PackageFileLookup::FOUND) {
        engine.SendText(FormatWide(L"Can't Finded %s!", file.path.c_str()), MSG_FAILURE);
        return false;
    }
    image.path = file.path;
    image.file = OpenImageFile(image.path);
    const std::optional<uint64_t> bytes = FileBytes(image.file);
    if (!bytes) {
        engine.SendText(FormatWide(L"open file %s fail!", image.path.c_str()), MSG_FAILURE);
        return false;
    }
    const std::optional<std::wstring> fault =
        ImagePlacementFault(image.path, *bytes, image.startSector, image.sectorCount, numDiskSectors_);
    if (fault) {
        engine.SendText(*fault, MSG_FAILURE);
        return false;
    }
    images_.push_back(std::move(image));
    return true;
}

bool CDiskPackagePlan::ReadPatches(CQcomDownloader& engine, const std::wstring& folder) {
    const std::wstring name = AnsiToWide(engine.settings.patchFile);
    const PackageFileLookup patchFile = LookUpPackageFile(folder, name);
    if (patchFile.status != PackageFileLookup::FOUND) {
        engine.SendText(FormatWide(L"Can't Finded %s!", patchFile.path.c_str()), MSG_FAILURE);
        return false;
    }
    const std::wstring& path = patchFile.path;
    CXmlDocument patches;
    if (!patches.Load(path)) {
        engine.SendText(FormatWide(L"Open [%s] Faile!", path.c_str()), MSG_FAILURE);
        return false;
    }
    if (numDiskSectors_) {
        engine.SendText(FormatWide(L"Open [%s] Success!", path.c_str()), MSG_STEP_OK);
    }
    if (!patches.FindNextElement() || !patches.EnterElement()) {
        engine.SendText(FormatWide(L"[%s] Error", path.c_str()), MSG_FAILURE);
        return false;
    }
    while (patches.FindNextElement(L"patch")) {
        if (patches.GetAttributeValue(L"filename") != L"DISK") {
            continue;
        }
        PlannedPatch patch;
        patch.value = patches.GetAttributeValue(L"value");
        patch.what = patches.GetAttributeValue(L"what");
        if (!ReadPatch(engine, patches.GetAttributeValue(L"byte_offset"), patches.GetAttributeValue(L"size_in_bytes"),
                       patches.GetAttributeValue(L"start_sector"), patch)) {
            return false;
        }
        patches_.push_back(std::move(patch));
    }
    return true;
}

bool CDiskPackagePlan::ReadPatch(CQcomDownloader& engine, const std::wstring& offsetText, const std::wstring& sizeText,
                                 const std::wstring& startText, PlannedPatch& patch) const {
    const std::optional<uint64_t> offset = ParseDecimal(offsetText);
    const std::optional<uint64_t> size = ParseDecimal(sizeText);
    if (!offset || !size) {
        engine.SendText(FormatWide(L"Patch [%s]: byte_offset [%s] or size_in_bytes [%s] is not a number!",
                                   patch.what.c_str(), offsetText.c_str(), sizeText.c_str()),
                        MSG_FAILURE);
        return false;
    }
    // The patched bytes must lie inside the one sector read and written, and
    // come from the 8 bytes of the value.
    if (*size > kPatchValueBytes || *offset > kSectorBytes || *size > kSectorBytes - *offset) {
        engine.SendText(FormatWide(L"Patch [%s] lies outside its sector: byte_offset %I64u, size_in_bytes %I64u",
                                   patch.what.c_str(), *offset, *size),
                        MSG_FAILURE);
        return false;
    }
    const std::optional<uint64_t> start = ResolveSectorText(startText, SectorsForParsing());
    if (!start) {
        engine.SendText(
            FormatWide(L"Patch [%s]: start_sector [%s] is not a sector!", patch.what.c_str(), startText.c_str()),
            MSG_FAILURE);
        return false;
    }
    if (numDiskSectors_ && *start >= *numDiskSectors_) {
        engine.SendText(FormatWide(L"Patch [%s]: start_sector %I64u lies past the disk's end (%I64u sectors)!",
                                   patch.what.c_str(), *start, static_cast<uint64_t>(*numDiskSectors_)),
                        MSG_FAILURE);
        return false;
    }
    patch.byteOffset = *offset;
    patch.sizeInBytes = *size;
    patch.startSector = *start;
    patch.isCrc = patch.value.find(L"CRC32") != std::wstring::npos;
    if (patch.isCrc) {
        return CheckCrcSpan(engine, patch);
    }
    const std::optional<uint64_t> number = ResolveSectorText(patch.value, SectorsForParsing());
    if (!number) {
        engine.SendText(FormatWide(L"Patch [%s]: value [%s] is not a number!", patch.what.c_str(), patch.value.c_str()),
                        MSG_FAILURE);
        return false;
    }
    patch.number = *number;
    return true;
}

bool CDiskPackagePlan::CheckCrcSpan(CQcomDownloader& engine, const PlannedPatch& patch) const {
    const std::optional<Crc32Span> span = ParseCrc32Expression(patch.value, SectorsForParsing());
    if (!span) {
        engine.SendText(
            FormatWide(L"Patch [%s]: CRC32 expression [%s] Error!", patch.what.c_str(), patch.value.c_str()),
            MSG_FAILURE);
        return false;
    }
    if (span->length > kLongestCrcSpan) {
        engine.SendText(FormatWide(L"Patch [%s]: CRC32 expression [%s] covers %I64u bytes, more than %I64u!",
                                   patch.what.c_str(), patch.value.c_str(), span->length, kLongestCrcSpan),
                        MSG_FAILURE);
        return false;
    }
    if (!numDiskSectors_) {
        return true;
    }
    const uint64_t diskSectors = *numDiskSectors_;
    const uint64_t spanSectors = RoundUpToSector(span->length) / kSectorBytes;
    if (span->startSector > diskSectors || spanSectors > diskSectors - span->startSector) {
        engine.SendText(FormatWide(L"Patch [%s]: CRC32 expression [%s] runs past the disk's end (%I64u sectors)!",
                                   patch.what.c_str(), patch.value.c_str(), diskSectors),
                        MSG_FAILURE);
        return false;
    }
    return true;
}
