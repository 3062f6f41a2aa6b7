// A small overlapped serial port, used only to send the Sahara reset packet
// when QMSL cannot reset the phone. It lives on the stack of the reset step:
// the port and both transfers' events close with the object.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

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
    // How long a cancelled transfer may take to end. A driver that never
    // ends it gets the transfer's memory for good, and the port is closed.
    static constexpr DWORD kCancelWaitMs = 1000;
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
    // Discards what both queues hold, then writes a copy of the bytes.
    // Returns by kWriteTimeoutMs + kCancelWaitMs.
    WriteResult WriteWithin(DWORD length, const void* bytes);
    // WriteWithin gave Written.
    bool Write(DWORD length, const void* bytes) { return WriteWithin(length, bytes) == WriteResult::Written; }
    // Reads what the input queue holds, at most `count` bytes (0 means
    // kQueueBytes, so the buffer must hold that many); answers the bytes read.
    // Nothing queued: nothing is read. A read still running after the wait is
    // cancelled; the system reads into the port's own memory, so the buffer
    // is never written after the return. Returns by kIoWaitMs + kCancelWaitMs.
    DWORD Read(DWORD count, void* buffer);

    // Up to kResetTries writes of the reset packet, kResetPauseMs apart; after
    // the first good write the phone's answer is read and discarded. A write
    // that timed out ends the tries: the line is not taking bytes. True when
    // a write went through.
    bool SendSaharaReset();

private:
    // What the system writes into while a transfer runs: its overlapped
    // record with a manual-reset event, and the bytes.
    struct Transfer {
        OVERLAPPED overlapped{};
        CScopedHandle event;
        std::vector<uint8_t> bytes;
    };
    // Queue sizes and 115200 baud, 8 data bits; parity and stop bits stay as
    // the port has them. The port works without them, so failures are ignored.
    void Setup();
    // Starts the transfer over again: no bytes moved, the event reset.
    static void Restart(Transfer& transfer);
    // Cancels a transfer still running and waits at most kCancelWaitMs for
    // it to end; true with the bytes it moved. A transfer that does not end
    // is given up: its memory stays with the system and the port closes.
    bool CancelAndWait(std::unique_ptr<Transfer>& transfer, DWORD& moved);

    COMSTAT lineStatus_{};  // filled by ClearCommError
    CScopedHandle port_;
    int32_t portNumber_ = -1;
    std::unique_ptr<Transfer> read_;
    std::unique_ptr<Transfer> write_;
};
