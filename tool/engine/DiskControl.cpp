#include "DiskControl.h"

bool CSystemDiskControl::Request(HANDLE disk, DWORD ioControlCode, void* output, DWORD outputBytes,
                                 DWORD& returnedBytes) {
    returnedBytes = 0;
    return DeviceIoControl(disk, ioControlCode, nullptr, 0, output, outputBytes, &returnedBytes, nullptr) != FALSE;
}

bool CSystemDiskControl::BeforeTransfer(uint64_t, uint32_t) { return true; }

bool CSystemDiskControl::AfterWrite(uint64_t, uint32_t) { return true; }

bool CSystemDiskControl::AfterRead(uint64_t, void*, uint32_t) { return true; }

std::unique_ptr<IDiskControl> MakeSystemDiskControl() { return std::make_unique<CSystemDiskControl>(); }
