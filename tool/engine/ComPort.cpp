#include "ComPort.h"

#include <algorithm>

#include "TextFormat.h"

namespace {

constexpr DWORD kPurgeQueues = PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

}  // namespace

CComPort::CComPort() = default;

CComPort::~CComPort() { Close(); }

bool CComPort::Open(int32_t portNumber) {
    Close();
    // A transfer given up earlier left its memory to the system: a new
    // port gets new ones.
    for (std::unique_ptr<Transfer>* transfer : {&read_, &write_}) {
        if (!*transfer) {
            *transfer = std::make_unique<Transfer>();
            (*transfer)->event.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            (*transfer)->overlapped.hEvent = (*transfer)->event.Get();
        }
        if (!(*transfer)->event.IsSet()) {
            transfer->reset();
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
    }
    const std::wstring name = FormatWide(L"\\\\.\\COM%d", portNumber);
    HANDLE port = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        return false;
    }
    port_.Reset(port);
    Setup();
    portNumber_ = portNumber;
    return true;
}

void CComPort::Close() {
    port_.Reset();
    portNumber_ = -1;
}

void CComPort::Setup() {
    SetupComm(port_.Get(), kQueueBytes, kQueueBytes);
    DCB line{};
    line.DCBlength = sizeof(line);
    if (GetCommState(port_.Get(), &line)) {
        line.BaudRate = kBaudRate;
        line.ByteSize = kDataBits;
        SetCommState(port_.Get(), &line);
    }
}

void CComPort::Restart(Transfer& transfer) {
    const HANDLE event = transfer.overlapped.hEvent;
    transfer.overlapped = OVERLAPPED{};
    transfer.overlapped.hEvent = event;
    ResetEvent(event);
}

bool CComPort::CancelAndWait(std::unique_ptr<Transfer>& transfer, DWORD& moved) {
    CancelIoEx(port_.Get(), &transfer->overlapped);
    if (WaitForSingleObject(transfer->overlapped.hEvent, kCancelWaitMs) != WAIT_OBJECT_0) {
        // The driver still holds the transfer: its record, event and bytes
        // must outlive whatever it does with them, so they are never freed.
        transfer.release();
        Close();
        return false;
    }
    return GetOverlappedResult(port_.Get(), &transfer->overlapped, &moved, FALSE) != FALSE;
}

CComPort::WriteResult CComPort::WriteWithin(DWORD length, const void* bytes) {
    if (!IsOpen()) {
        return WriteResult::Failed;
    }
    PurgeComm(port_.Get(), kPurgeQueues);
    DWORD errors = 0;
    ClearCommError(port_.Get(), &errors, &lineStatus_);
    Transfer& write = *write_;
    Restart(write);
    write.bytes.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + length);
    DWORD written = 0;
    if (WriteFile(port_.Get(), write.bytes.data(), length, &written, &write.overlapped)) {
        return written == length ? WriteResult::Written : WriteResult::Failed;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return WriteResult::Failed;
    }
    if (WaitForSingleObject(write.overlapped.hEvent, kWriteTimeoutMs) == WAIT_TIMEOUT) {
        // Cancelled, unless it ended after all.
        if (!CancelAndWait(write_, written)) {
            SetLastError(ERROR_TIMEOUT);
            return WriteResult::TimedOut;
        }
    } else if (!GetOverlappedResult(port_.Get(), &write.overlapped, &written, FALSE)) {
        return WriteResult::Failed;
    }
    return written == length ? WriteResult::Written : WriteResult::Failed;
}

DWORD CComPort::Read(DWORD count, void* buffer) {
    if (!IsOpen()) {
        return 0;
    }
    if (count == 0) {
        count = kQueueBytes;
    }
    DWORD errors = 0;
    lineStatus_ = COMSTAT{};
    ClearCommError(port_.Get(), &errors, &lineStatus_);
    if (errors == 0) {
        count = std::min(count, lineStatus_.cbInQue);
        if (count == 0) {
            return 0;
        }
    }
    Transfer& read = *read_;
    Restart(read);
    read.bytes.assign(count, 0);
    DWORD got = 0;
    if (ReadFile(port_.Get(), read.bytes.data(), count, &got, &read.overlapped)) {
        if (got > 0) {
            PurgeComm(port_.Get(), kPurgeAll);
        }
    } else if (GetLastError() != ERROR_IO_PENDING) {
        return 0;
    } else {
        WaitForSingleObject(read.overlapped.hEvent, kIoWaitMs);
        // Still running: cancelled, unless it ended after all.
        if (!GetOverlappedResult(port_.Get(), &read.overlapped, &got, FALSE) && !CancelAndWait(read_, got)) {
            return 0;
        }
    }
    std::copy_n(read.bytes.data(), std::min(got, count), static_cast<uint8_t*>(buffer));
    return std::min(got, count);
}

bool CComPort::SendSaharaReset() {
    if (!IsOpen()) {
        return false;
    }
    for (int attempt = 0; attempt < kResetTries; ++attempt) {
        if (attempt > 0) {
            Sleep(kResetPauseMs);
        }
        const WriteResult result = WriteWithin(sizeof(kSaharaResetPacket), kSaharaResetPacket);
        if (result == WriteResult::Written) {
            uint8_t answer[kResetAnswerBytes] = {};
            Read(sizeof(answer), answer);  // the phone's answer is not needed
            return true;
        }
        if (result == WriteResult::TimedOut) {
            return false;
        }
    }
    return false;
}
