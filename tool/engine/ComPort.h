// A small overlapped serial port, used only to send the Sahara reset packet
// when QMSL cannot reset the phone. It lives on the stack of the reset step:
// the port and both events close with the object.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ScopedHandle.h"

// Sahara reset: the 32-bit little-endian command 7 followed by the 32-bit
// packet length 8.
constexpr uint8_t kSaharaResetPacket[8] = {0x07, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00};

class CComPort {
public:
    static constexpr DWORD kQueueBytes = 2048;  // input and output queues; also Read's default count
    static constexpr DWORD kBaudRate = 115200;
    static constexpr BYTE kDataBits = 8;
    static constexpr DWORD kIoWaitMs = 500;  // wait for a pending transfer's event
    // A write still pending after this long is cancelled: a line that stops
    // reading must not hold the job thread.
    static constexpr DWORD kWriteTimeoutMs = 3000;
    static constexpr int kResetTries = 100;
    static constexpr DWORD kResetPauseMs = 20;
    static constexpr DWORD kResetAnswerBytes = 64;

    // Creates the two manual-reset events (not signalled) of the transfers.
    CComPort();
    ~CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    // Closes a port already open, then opens "\\.\COM<n>" exclusively for
    // overlapped reading and writing and sets the line up. On failure the
    // system error code of the open is left for GetLastError.
    bool Open(int32_t portNumber);
    void Close();
    bool IsOpen() const { return port_.IsSet(); }
    // -1 while closed.
    int32_t PortNumber() const { return portNumber_; }

    enum class WriteResult {
        Written,   // every byte went
        Failed,    // refused or short
        TimedOut,  // still pending after kWriteTimeoutMs, and cancelled
    };
    // Discards what both queues hold, then writes. Returns by
    // kWriteTimeoutMs (and the time the cancel takes to land), with the
    // bytes free again for the caller.
    WriteResult WriteWithin(DWORD length, const void* bytes);
    // WriteWithin gave Written.
    bool Write(DWORD length, const void* bytes) { return WriteWithin(length, bytes) == WriteResult::Written; }
    // Reads what the input queue holds, at most `count` bytes (0 means
    // kQueueBytes, so the buffer must hold that many); answers the bytes read.
    // Nothing queued: nothing is read. A read still running after the wait is
    // cancelled before returning, so the buffer is free again on return.
    DWORD Read(DWORD count, void* buffer);

    // Up to kResetTries writes of the reset packet, kResetPauseMs apart; after
    // the first good write the phone's answer is read and discarded. A write
    // that timed out ends the tries: the line is not taking bytes. True when
    // a write went through.
    bool SendSaharaReset();

private:
    // Queue sizes and 115200 baud, 8 data bits; parity and stop bits stay as
    // the port has them. The port works without them, so failures are ignored.
    void Setup();

    OVERLAPPED readOverlapped_{};
    OVERLAPPED writeOverlapped_{};
    COMSTAT lineStatus_{};  // filled by ClearCommError
    CScopedHandle port_;
    int32_t portNumber_ = -1;
    CScopedHandle readEvent_;
    CScopedHandle writeEvent_;
};
