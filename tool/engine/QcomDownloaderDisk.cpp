// The eMMC writer: in download mode the phone's eMMC is a USB disk, and the
// package goes onto it directly. Both lists are read and checked against the
// disk first (DiskPackagePlan.cpp); then the partition layout is wiped, every
// image of the partition list is written to its sector in 2 MB chunks, each
// chunk read back and compared by a sampled CRC-32, and then the patch list
// is applied sector by sector (QcomDownloaderPatch.cpp).
#include "QcomDownloader.h"

#include <winioctl.h>

#include <cstring>
#include <limits>
#include <new>

#include "DiskPackagePlan.h"
#include "DiskWriterShared.h"
#include "SampledCrc32.h"
#include "TextFormat.h"

using namespace DiskWriter;

namespace {

constexpr uint32_t kChunkBytes = 2 * 1024 * 1024;
constexpr int kFindDiskTries = 10;
constexpr int kWriteTries = 10;
constexpr int32_t kImageCrcStep = 200;
constexpr int32_t kPatchCrcStep = 1;
constexpr DWORD kGeometryBufferBytes = 40;
constexpr double kBytesPerMb = 1048576.0;
constexpr double kBytesPerGb = 1073741824.0;
// SetFilePointerEx takes a signed 64-bit distance.
constexpr uint64_t kLargestDiskOffset = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());

// sector * 512 + offset; false when that lies beyond what a file pointer can
// reach (a huge sector number must not wrap around to the start of the disk).
bool DiskOffset(uint64_t sector, uint64_t offset, uint64_t& position) {
    if (sector > kLargestDiskOffset / kSectorBytes) {
        return false;
    }
    const uint64_t base = sector * kSectorBytes;
    if (offset > kLargestDiskOffset - base) {
        return false;
    }
    position = base + offset;
    return true;
}

// The two buffers of the chunk writer: the image chunk and its read-back.
// A package writes all its images through the same pair, taken at its first
// image: fresh memory costs a page fault per page at first use, and taking
// the pair for every image would pay that again and again.
struct ChunkBuffers {
    ByteBuffer chunk;
    ByteBuffer readBack;

    bool Take() {
        // Not zeroed: every byte used is read first (the tail is cleared).
        if (!chunk) {
            chunk.reset(new (std::nothrow) uint8_t[kChunkBytes]);
        }
        if (!readBack) {
            readBack.reset(new (std::nothrow) uint8_t[kChunkBytes]);
        }
        return chunk && readBack;
    }
};

// One chunk onto the disk: written, read back and compared by the sampled
// CRC, up to ten times. False, reported, when the tenth write fails or no
// read-back ever matched.
bool WriteVerifiedChunk(CQcomDownloader& engine, const std::wstring& imagePath, HANDLE disk, uint64_t startSector,
                        uint64_t bytesDone, uint32_t bytesRead, ChunkBuffers& buffers, uint32_t fileCrc,
                        uint32_t& diskCrc) {
    const uint32_t writeLength = static_cast<uint32_t>(RoundUpToSector(bytesRead));
    for (int attempt = 1; attempt <= kWriteTries; ++attempt) {
        if (!engine.WriteDisk(disk, startSector, bytesDone, buffers.chunk.get(), writeLength)) {
            if (attempt == kWriteTries) {
                const DWORD error = GetLastError();
                engine.SendText(FormatWide(L"WriteFile position 0x%I64X,\t size %d failed,Error %d",
                                           startSector * kSectorBytes + bytesDone, static_cast<int>(writeLength),
                                           static_cast<int>(error)),
                                MSG_FAILURE);
                return false;
            }
            continue;
        }
        if (!engine.ReadDisk(buffers.readBack.get(), disk, startSector, bytesDone, writeLength)) {
            continue;
        }
        diskCrc = engine.Crc32(bytesRead, buffers.readBack.get());
        if (diskCrc == fileCrc) {
            return true;
        }
    }
    engine.SendText(FormatWide(L"Read-back from sector %I64u never matched %s (%d writes)!",
                               startSector + bytesDone / kSectorBytes, imagePath.c_str(), kWriteTries),
                    MSG_FAILURE);
    return false;
}

// One image, read through `image` (OpenImageFile's handle), onto the disk
// at its sector, in 2 MB chunks; the last chunk is padded with zeros to whole
// sectors.
bool WriteImage(CQcomDownloader& engine, const std::wstring& imagePath, const CScopedHandle& image, HANDLE disk,
                uint64_t startSector, uint64_t sectorCount, uint32_t numDiskSectors, ChunkBuffers& buffers) {
    engine.SendText(FormatWide(L"Download file %s to Disk...", imagePath.c_str()), MSG_PROGRESS_LINE);
    if (!IsOpenHandle(disk)) {
        engine.SendText(L"hDisk Invalid!", MSG_FAILURE);
        return false;
    }
    if (!buffers.Take()) {
        engine.SendText(L"Can't New the memey!", MSG_FAILURE);
        return false;
    }
    if (!image.IsSet()) {
        engine.SendText(FormatWide(L"open file %s fail!", imagePath.c_str()), MSG_FAILURE);
        return false;
    }
    engine.SendText(FormatWide(L"open file %s succeed!", imagePath.c_str()), MSG_STEP_OK);

    // WriteFileToDisk is called without a plan: the image's place is
    // checked here too, before any of it is written.
    LARGE_INTEGER imageBytes;
    if (!GetFileSizeEx(image.Get(), &imageBytes)) {
        engine.SendText(FormatWide(L"open file %s fail!", imagePath.c_str()), MSG_FAILURE);
        return false;
    }
    const std::optional<std::wstring> fault = ImagePlacementFault(imagePath, static_cast<uint64_t>(imageBytes.QuadPart),
                                                                  startSector, sectorCount, numDiskSectors);
    if (fault) {
        engine.SendText(*fault, MSG_FAILURE);
        return false;
    }

    engine.SendText(FormatWide(L"parsing statement: %I64d", startSector), MSG_DETAIL);
    engine.SendText(FormatWide(L"statement evaluated as:  %I64d", startSector), MSG_DETAIL);
    engine.SendText(FormatWide(L"file offset %I64d, start sector %I64d, sectors %I64d", 0LL, startSector, sectorCount),
                    MSG_DETAIL);
    engine.SendText(
        FormatWide(L"Writing File %s to file partition at 0x%I64X", imagePath.c_str(), startSector * kSectorBytes),
        MSG_DETAIL);

    uint64_t bytesDone = 0;
    for (;;) {
        if (engine.StopRequested()) {
            return false;
        }
        DWORD bytesRead = 0;
        if (!ReadFile(image.Get(), buffers.chunk.get(), kChunkBytes, &bytesRead, nullptr)) {
            engine.SendText(FormatWide(L"read file %s fail!", imagePath.c_str()), MSG_FAILURE);
            return false;
        }
        if (bytesRead == 0) {
            break;
        }
        // The tail up to the next sector goes out as zeros. The read filled
        // everything before it, so only the tail needs clearing.
        const uint32_t writeLength = static_cast<uint32_t>(RoundUpToSector(bytesRead));
        std::memset(buffers.chunk.get() + bytesRead, 0, writeLength - bytesRead);
        engine.SendText(FormatWide(L"Read file size %d", static_cast<int>(bytesRead)), MSG_DETAIL);
        const uint32_t fileCrc = engine.Crc32(bytesRead, buffers.chunk.get());
        engine.SendText(FormatWide(L"The FileCRC32 value 0x%.8X", fileCrc), MSG_DETAIL);

        uint32_t diskCrc = 0;
        if (!WriteVerifiedChunk(engine, imagePath, disk, startSector, bytesDone, bytesRead, buffers, fileCrc,
                                diskCrc)) {
            return false;
        }
        engine.diskMbWritten += bytesRead / kBytesPerMb;
        engine.SendPercent(UploadPercent(engine.diskMbWritten, engine.settings.romSizeMb));
        engine.SendText(FormatWide(L"The DiskCRC32 value 0x%.8X", diskCrc), MSG_DETAIL);
        engine.SendText(FormatWide(L"WriteFile position 0x%I64X,\t size %d", startSector * kSectorBytes + bytesDone,
                                   static_cast<int>(writeLength)),
                        MSG_DETAIL);
        bytesDone += writeLength;
    }
    engine.SendText(FormatWide(L"File %s write complete!", imagePath.c_str()), MSG_DETAIL);
    return true;
}

// The plan's images, then its patches, onto the disk.
bool WritePlan(CQcomDownloader& engine, HANDLE disk, uint32_t numDiskSectors, const CDiskPackagePlan& plan) {
    engine.crcSampleStep = kImageCrcStep;
    ChunkBuffers buffers;
    for (const PlannedImage& image : plan.Images()) {
        // The image goes through the handle the plan opened it with: what
        // the plan could open, the writer can read.
        if (!WriteImage(engine, image.path, image.file, disk, image.startSector, image.sectorCount, numDiskSectors,
                        buffers)) {
            return false;
        }
    }
    engine.crcSampleStep = kPatchCrcStep;
    for (const PlannedPatch& patch : plan.Patches()) {
        if (!ApplyDiskPatch(engine, patch, disk, numDiskSectors)) {
            return false;
        }
    }
    return true;
}

// The disk's size, then both lists read and checked against it.
std::optional<uint32_t> PlanDownload(CQcomDownloader& engine, HANDLE disk, CDiskPackagePlan& plan) {
    engine.diskMbWritten = 0;
    const uint32_t numDiskSectors = engine.GetDriveGeometry(disk);
    if (numDiskSectors == 0 || !plan.Read(engine, numDiskSectors)) {
        return std::nullopt;
    }
    return numDiskSectors;
}

}  // namespace

bool CQcomDownloader::DownloadDisk() {
    std::wstring diskPath;
    bool found = false;
    for (int attempt = 0; attempt < kFindDiskTries && !found; ++attempt) {
        found = FindQcomDisk(diskPath);
    }
    if (!found) {
        SendText(L"Can't Find Disk!", MSG_FAILURE);
        return false;
    }
    SendText(L"Start Download Disk...", MSG_PROGRESS_LINE);
    SendText(L"DiskName:", MSG_DETAIL);
    SendText(diskPath, MSG_DETAIL);
    const CScopedHandle disk(CreateFileW(diskPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    if (!disk.IsSet()) {
        SendText(L"Open the Disk Failed !", MSG_FAILURE);
        return false;
    }
    // Nothing on the disk changes before the whole package is known to fit
    // it: a fault found now leaves the phone as it was.
    CDiskPackagePlan plan;
    const std::optional<uint32_t> numDiskSectors = PlanDownload(*this, disk.Get(), plan);
    if (!numDiskSectors) {
        return false;
    }
    SendText(L"Wipe Disk .....", MSG_DETAIL);
    if (WipeDiskLayout(disk.Get())) {
        SendText(L"Wipe Disk SUCCESS!", MSG_STEP_OK);
    } else {
        SendText(L"Wipe Disk Fail!", MSG_FAILURE);
    }
    if (WritePlan(*this, disk.Get(), *numDiskSectors, plan)) {
        return true;
    }
    // Without a partition table the phone next starts in emergency download
    // mode, from where the download can be run again.
    SendText(L"Wipe Disk .....", MSG_DETAIL);
    WipeDiskLayout(disk.Get());
    return false;
}

bool CQcomDownloader::WipeDiskLayout(HANDLE disk) {
    DWORD returned = 0;
    return diskControl->Request(disk, IOCTL_DISK_DELETE_DRIVE_LAYOUT, nullptr, 0, returned) &&
           diskControl->Request(disk, IOCTL_DISK_UPDATE_PROPERTIES, nullptr, 0, returned);
}

uint32_t CQcomDownloader::GetDriveGeometry(HANDLE disk) {
    union {
        DISK_GEOMETRY_EX geometry;
        uint8_t bytes[kGeometryBufferBytes];
    } answer;
    std::memset(&answer, 0, sizeof(answer));
    static_assert(sizeof(answer) == kGeometryBufferBytes, "the geometry answer is 40 bytes");
    DWORD returned = 0;
    bool answered = false;
    if (!IsOpenHandle(disk)) {
        SetLastError(ERROR_INVALID_HANDLE);
    } else {
        answered =
            diskControl->Request(disk, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, answer.bytes, kGeometryBufferBytes, returned);
    }
    if (!answered) {
        const DWORD error = GetLastError();
        SendText(FormatWide(L"GetDriveGeometry failed. Error %ld", static_cast<long>(error)), MSG_FAILURE);
        return 0;
    }
    const DISK_GEOMETRY& shape = answer.geometry.Geometry;
    const long long cylinders = shape.Cylinders.QuadPart;
    const long tracks = static_cast<long>(shape.TracksPerCylinder);
    const long sectorsPerTrack = static_cast<long>(shape.SectorsPerTrack);
    const long bytesPerSector = static_cast<long>(shape.BytesPerSector);
    const long long diskBytes = answer.geometry.DiskSize.QuadPart;
    const uint32_t numDiskSectors = static_cast<uint32_t>(static_cast<uint64_t>(diskBytes) / kSectorBytes);
    const long diskSectors = static_cast<long>(numDiskSectors);
    SendText(FormatWide(L"Cylinders       = %I64d", cylinders), MSG_DETAIL);
    SendText(FormatWide(L"Tracks/cylinder = %ld", tracks), MSG_DETAIL);
    SendText(FormatWide(L"Sectors/track   = %ld", sectorsPerTrack), MSG_DETAIL);
    SendText(FormatWide(L"Bytes/sector    = %ld", bytesPerSector), MSG_DETAIL);
    SendText(FormatWide(L"Disk sectors    = %ld", diskSectors), MSG_DETAIL);
    SendText(FormatWide(L"Disk size       = %I64d(Bytes) =  %.2f(Mb) =  %.2f(Gb)", diskBytes,
                        static_cast<double>(diskBytes) / kBytesPerMb, static_cast<double>(diskBytes) / kBytesPerGb),
             MSG_DETAIL);
    SendText(FormatWide(L"Cylinders = %I64d,Tracks/cylinder = %ld", cylinders, tracks), MSG_DETAIL);
    SendText(FormatWide(L"Sectors/track   = %ld,Bytes/sector = %ld", sectorsPerTrack, bytesPerSector), MSG_DETAIL);
    SendText(FormatWide(L"Disk sectors  = %ld,Disk size = %I64d(Bytes)", diskSectors, diskBytes), MSG_DETAIL);
    return numDiskSectors;
}

bool CQcomDownloader::DownloadRawProgram(HANDLE disk) {
    CDiskPackagePlan plan;
    const std::optional<uint32_t> numDiskSectors = PlanDownload(*this, disk, plan);
    return numDiskSectors && WritePlan(*this, disk, *numDiskSectors, plan);
}

bool CQcomDownloader::WriteFileToDisk(const std::wstring& imagePath, HANDLE disk, uint64_t startSector,
                                      uint64_t sectorCount) {
    if (!IsOpenHandle(disk)) {
        SendText(L"hDisk Invalid!", MSG_FAILURE);
        return false;
    }
    // Where the disk ends decides what may be written.
    const uint32_t numDiskSectors = GetDriveGeometry(disk);
    if (numDiskSectors == 0) {
        return false;
    }
    ChunkBuffers buffers;
    return WriteImage(*this, imagePath, OpenImageFile(imagePath), disk, startSector, sectorCount, numDiskSectors,
                      buffers);
}

uint32_t CQcomDownloader::Crc32(uint32_t length, const uint8_t* bytes) const {
    return SampledCrc32(bytes, length, crcSampleStep > 0 ? static_cast<size_t>(crcSampleStep) : 1);
}

bool CQcomDownloader::WriteDisk(HANDLE disk, uint64_t sector, uint64_t offset, const void* buffer, uint32_t length) {
    uint64_t position = 0;
    if (!DiskOffset(sector, offset, position)) {
        SetLastError(ERROR_SEEK);
        return false;
    }
    if (!SetFileSeek(disk, position) || !diskControl->BeforeTransfer(position, length)) {
        return false;
    }
    DWORD written = 0;
    if (!WriteFile(disk, buffer, length, &written, nullptr)) {
        return false;
    }
    if (written != length) {
        SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    return diskControl->AfterWrite(position, length);
}

bool CQcomDownloader::ReadDisk(void* buffer, HANDLE disk, uint64_t sector, uint64_t offset, uint32_t length) {
    if (!IsOpenHandle(disk)) {
        SendText(L"fun: ReadDisk hDisk = INVALID_HANDLE_VALUE!", MSG_FAILURE);
        return false;
    }
    uint64_t position = 0;
    DWORD bytesRead = 0;
    bool done = false;
    if (!DiskOffset(sector, offset, position)) {
        SetLastError(ERROR_SEEK);
    } else if (SetFileSeek(disk, position) && diskControl->BeforeTransfer(position, length) &&
               ReadFile(disk, buffer, length, &bytesRead, nullptr)) {
        if (bytesRead != length) {
            SetLastError(ERROR_HANDLE_EOF);  // a short read sets no error of its own
        } else {
            done = diskControl->AfterRead(position, buffer, length);
        }
    }
    if (!done) {
        const DWORD error = GetLastError();
        SendText(FormatWide(L"fun: ReadDisk SetFileSeek ErrorCode = %d", static_cast<int>(error)), MSG_FAILURE);
    }
    return done;
}

bool CQcomDownloader::SetFileSeek(HANDLE disk, uint64_t offset) {
    SendText(FormatWide(L"SetFilePointer Address:0x%I64X", offset), MSG_DETAIL);
    if (offset > kLargestDiskOffset) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(disk, distance, nullptr, FILE_BEGIN) != FALSE;
}
