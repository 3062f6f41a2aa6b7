#include "ComPort.h"

#include <algorithm>

#include "TextFormat.h"

namespace {

constexpr DWORD kPurgeQueues = PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

HANDLE NewManualResetEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

}  // namespace

CComPort::CComPort() : readEvent_(NewManualResetEvent()), writeEvent_(NewManualResetEvent()) {
    readOverlapped_.hEvent = readEvent_.Get();
    writeOverlapped_.hEvent = writeEvent_.Get();
}

CComPort::~CComPort() { Close(); }

bool CComPort::Open(int32_t portNumber) {
    Close();
    if (!readEvent_.IsSet() || !writeEvent_.IsSet()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
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

CComPort::WriteResult CComPort::WriteWithin(DWORD length, const void* bytes) {
    if (!IsOpen()) {
        return WriteResult::Failed;
    }
    PurgeComm(port_.Get(), kPurgeQueues);
    DWORD errors = 0;
    ClearCommError(port_.Get(), &errors, &lineStatus_);
    ResetEvent(writeOverlapped_.hEvent);
    DWORD written = 0;
    if (WriteFile(port_.Get(), bytes, length, &written, &writeOverlapped_)) {
        return written == length ? WriteResult::Written : WriteResult::Failed;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return WriteResult::Failed;
    }
    if (WaitForSingleObject(writeOverlapped_.hEvent, kWriteTimeoutMs) == WAIT_TIMEOUT) {
        // The bytes and the overlapped record must outlive the write: cancel
        // it and wait until the cancel has landed (or the write ended after
        // all).
        CancelIoEx(port_.Get(), &writeOverlapped_);
        if (!GetOverlappedResult(port_.Get(), &writeOverlapped_, &written, TRUE)) {
            SetLastError(ERROR_TIMEOUT);
            return WriteResult::TimedOut;
        }
    } else if (!GetOverlappedResult(port_.Get(), &writeOverlapped_, &written, FALSE)) {
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
    ResetEvent(readOverlapped_.hEvent);
    DWORD got = 0;
    if (ReadFile(port_.Get(), buffer, count, &got, &readOverlapped_)) {
        if (got > 0) {
            PurgeComm(port_.Get(), kPurgeAll);
        }
        return got;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return 0;
    }
    WaitForSingleObject(readOverlapped_.hEvent, kIoWaitMs);
    if (GetOverlappedResult(port_.Get(), &readOverlapped_, &got, FALSE)) {
        return got;
    }
    // Still running: the caller's buffer and our overlapped record would be
    // written after we return. Cancel, and wait until the cancel has landed
    // (or the read finished after all).
    CancelIo(port_.Get());
    got = 0;
    if (!GetOverlappedResult(port_.Get(), &readOverlapped_, &got, TRUE)) {
        return 0;
    }
    return got;
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
