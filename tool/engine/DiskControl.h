// The disk requests of the eMMC writer that need a real block device: the
// geometry query and the two layout requests. Opening, seeking, reading and
// writing the disk use the file API directly; only these go through this
// interface, so a simulated phone (whose disk is a plain file) can answer
// them. After each transfer the writer also tells the interface what moved,
// so a simulated disk can spoil it as a failing device would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

class IDiskControl {
public:
    virtual ~IDiskControl() = default;

    // A device request without input buffer, as DeviceIoControl makes it:
    // false with the system error set when the device refuses it.
    virtual bool Request(HANDLE disk, DWORD ioControlCode, void* output, DWORD outputBytes, DWORD& returnedBytes) = 0;

    // Called before each read or write of `length` bytes at `offset`; false
    // (system error set) when the device refuses it, as a disk refuses
    // sectors past its end.
    virtual bool BeforeTransfer(uint64_t offset, uint32_t length) = 0;
    // Called after a write of `length` bytes at `offset` that the file API
    // completed; false (system error set) when the device failed it.
    virtual bool AfterWrite(uint64_t offset, uint32_t length) = 0;
    // Called after a read that the file API completed; the device may fail
    // it (false, system error set) or hand back other bytes than were stored.
    virtual bool AfterRead(uint64_t offset, void* data, uint32_t length) = 0;
};

// The real device: DeviceIoControl; the device itself refuses what it must,
// and every transfer it completed stands as done.
class CSystemDiskControl : public IDiskControl {
public:
    bool Request(HANDLE disk, DWORD ioControlCode, void* output, DWORD outputBytes, DWORD& returnedBytes) override;
    bool BeforeTransfer(uint64_t offset, uint32_t length) override;
    bool AfterWrite(uint64_t offset, uint32_t length) override;
    bool AfterRead(uint64_t offset, void* data, uint32_t length) override;
};

std::unique_ptr<IDiskControl> MakeSystemDiskControl();
