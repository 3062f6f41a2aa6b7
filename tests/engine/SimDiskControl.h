// The simulated phone's answers to the disk requests that Wine cannot give on
// its storage file: the geometry from the file's size, and the layout wipe
// (the partition table's sectors zeroed, as deleting the layout of a GPT disk
// does). The disk has an end: reads and writes past it are refused. It also
// plays the phone's disk faults: with "fail-write" a write completes but the
// device reports it failed, with "corrupt-readback" the first byte of what a
// read hands back is flipped. Header only: the engine tests and the disk
// benchmark both use it.
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "DiskControl.h"
#include "SimPhone.h"

class CSimDiskControl : public IDiskControl {
public:
    static constexpr int kEveryTransfer = -1;

    struct Transfer {
        bool write;
        uint64_t offset;
        uint32_t length;
    };

    // The phone is the one the environment names at construction. Its
    // faults spoil the first `spoiledTransfers` transfers of their kind (all
    // with kEveryTransfer) that start at `spoiledFrom` or later: a bad
    // region of the eMMC.
    explicit CSimDiskControl(int spoiledTransfers = kEveryTransfer, uint64_t spoiledFrom = 0)
        : phone_(SimPhone::FromEnvironment()), spoiledLeft_(spoiledTransfers), spoiledFrom_(spoiledFrom) {}

    bool Request(HANDLE disk, DWORD ioControlCode, void* output, DWORD outputBytes, DWORD& returnedBytes) override {
        returnedBytes = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(ioControlCode);
        }
        if (!phone_ || phone_->Mode() != SimPhoneMode::Download) {
            SetLastError(ERROR_NOT_READY);
            return false;
        }
        switch (ioControlCode) {
        case IOCTL_DISK_GET_DRIVE_GEOMETRY_EX:
            // Every download asks for the geometry before its first image:
            // the faults set by then hold for its transfers. (Reading the
            // faults file on each transfer would cost more than the transfer.)
            ReadFaults();
            return AnswerGeometry(disk, output, outputBytes, returnedBytes);
        case IOCTL_DISK_DELETE_DRIVE_LAYOUT:
            return DeleteLayout(disk);
        case IOCTL_DISK_UPDATE_PROPERTIES:
            return true;
        default:
            SetLastError(ERROR_INVALID_FUNCTION);
            return false;
        }
    }

    // How many requests of the kind were made, answered or not.
    size_t RequestCount(DWORD ioControlCode) const {
        std::lock_guard<std::mutex> lock(mutex_);
        size_t count = 0;
        for (DWORD code : requests_) {
            count += code == ioControlCode ? 1 : 0;
        }
        return count;
    }

    // The disk ends where the storage did when the geometry was asked for
    // (else where it ends now): nothing past it is read or written.
    bool BeforeTransfer(uint64_t offset, uint32_t length) override {
        uint64_t diskBytes = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            diskBytes = diskBytes_;
        }
        if (diskBytes == 0 && phone_) {
            diskBytes = phone_->StorageBytes();
        }
        if (length > diskBytes || offset > diskBytes - length) {
            SetLastError(ERROR_SECTOR_NOT_FOUND);
            return false;
        }
        return true;
    }

    bool AfterWrite(uint64_t offset, uint32_t length) override {
        Record(Transfer{true, offset, length});
        if (Spoils(failWrite_, offset)) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        return true;
    }

    bool AfterRead(uint64_t offset, void* data, uint32_t length) override {
        Record(Transfer{false, offset, length});
        if (length > 0 && Spoils(corruptReadBack_, offset)) {
            // Byte 0 is in every CRC sample of the writer's check.
            static_cast<uint8_t*>(data)[0] ^= 0xFF;
        }
        return true;
    }

    std::vector<Transfer> Transfers() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return transfers_;
    }
    size_t WritesAt(uint64_t offset) const {
        size_t count = 0;
        for (const Transfer& transfer : Transfers()) {
            count += transfer.write && transfer.offset == offset ? 1 : 0;
        }
        return count;
    }

private:
    static constexpr uint32_t kSectorBytes = 512;

    static bool DiskBytes(HANDLE disk, uint64_t& bytes) {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(disk, &size) || size.QuadPart <= 0) {
            SetLastError(ERROR_NOT_READY);
            return false;
        }
        bytes = static_cast<uint64_t>(size.QuadPart);
        return true;
    }

    bool AnswerGeometry(HANDLE disk, void* output, DWORD outputBytes, DWORD& returnedBytes) {
        constexpr DWORD kAnswerBytes = sizeof(DISK_GEOMETRY) + sizeof(LARGE_INTEGER);
        uint64_t bytes = 0;
        if (output == nullptr || outputBytes < kAnswerBytes) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        if (!DiskBytes(disk, bytes)) {
            return false;
        }
        // The usual translation of a flash disk: 255 heads, 63 sectors.
        DISK_GEOMETRY_EX answer;
        std::memset(&answer, 0, sizeof(answer));
        answer.Geometry.MediaType = RemovableMedia;
        answer.Geometry.TracksPerCylinder = 255;
        answer.Geometry.SectorsPerTrack = 63;
        answer.Geometry.BytesPerSector = kSectorBytes;
        answer.Geometry.Cylinders.QuadPart = static_cast<LONGLONG>(bytes / (255ull * 63ull * kSectorBytes));
        answer.DiskSize.QuadPart = static_cast<LONGLONG>(bytes);
        std::memcpy(output, &answer, kAnswerBytes);
        returnedBytes = kAnswerBytes;
        std::lock_guard<std::mutex> lock(mutex_);
        diskBytes_ = bytes;
        return true;
    }

    static bool ZeroAt(HANDLE disk, uint64_t offset, DWORD length) {
        static const uint8_t kZeros[2 * kSectorBytes] = {};
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        DWORD written = 0;
        return length <= sizeof(kZeros) && SetFilePointerEx(disk, position, nullptr, FILE_BEGIN) &&
               WriteFile(disk, kZeros, length, &written, nullptr) && written == length;
    }

    // The protective MBR, the primary GPT header and the backup header, zeroed
    // through the disk handle the request came with.
    static bool DeleteLayout(HANDLE disk) {
        uint64_t bytes = 0;
        if (!DiskBytes(disk, bytes)) {
            return false;
        }
        if (bytes < 2 * kSectorBytes || !ZeroAt(disk, 0, 2 * kSectorBytes) ||
            !ZeroAt(disk, bytes - kSectorBytes, kSectorBytes)) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        return true;
    }

    void ReadFaults() {
        std::lock_guard<std::mutex> lock(mutex_);
        failWrite_ = phone_->HasFault(SimPhoneFault::FailWrite);
        corruptReadBack_ = phone_->HasFault(SimPhoneFault::CorruptReadBack);
    }

    void Record(const Transfer& transfer) {
        std::lock_guard<std::mutex> lock(mutex_);
        transfers_.push_back(transfer);
    }

    bool Spoils(const bool& fault, uint64_t offset) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!fault || offset < spoiledFrom_ || spoiledLeft_ == 0) {
            return false;
        }
        if (spoiledLeft_ > 0) {
            --spoiledLeft_;
        }
        return true;
    }

    std::optional<SimPhone> phone_;
    mutable std::mutex mutex_;
    int spoiledLeft_;
    const uint64_t spoiledFrom_;
    bool failWrite_ = false;
    bool corruptReadBack_ = false;
    uint64_t diskBytes_ = 0;  // from the last geometry answer
    std::vector<Transfer> transfers_;
    std::vector<DWORD> requests_;
};
