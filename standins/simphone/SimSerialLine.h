// The phone's end of a serial line. In emergency download mode the phone's
// Sahara stage listens on its loader port; a host step joins that line to the
// port the tool opens (see standins/README.md), and the reset packet the tool
// sends there restarts the phone as any restart does.
#pragma once

#include <windows.h>

#include <cstdint>

#include "SimPhone.h"

// An exclusively opened "\\.\COM<n>" with overlapped transfers that give up
// (cancelling) after a wait; the tests use it for the far end of the line too.
class SimSerialPort {
public:
    SimSerialPort();
    ~SimSerialPort();
    SimSerialPort(const SimSerialPort&) = delete;
    SimSerialPort& operator=(const SimSerialPort&) = delete;

    bool Open(int comPort);
    bool IsOpen() const { return port_ != INVALID_HANDLE_VALUE; }
    // Bytes moved by one transfer; 0 on failure or when the wait ran out.
    DWORD Read(void* bytes, DWORD count, DWORD waitMs);
    DWORD Write(const void* bytes, DWORD count, DWORD waitMs);
    // Reads until `count` bytes came or the wait ran out; answers the bytes read.
    DWORD ReadFully(void* bytes, DWORD count, DWORD waitMs);

private:
    DWORD Transfer(bool write, void* bytes, DWORD count, DWORD waitMs);

    HANDLE port_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
};

enum class SimSerialOutcome {
    Reset,          // the reset packet came; answered, and the phone restarted
    Ignored,        // the reset packet came, but the phone was not listening for it
    WrongPacket,    // eight bytes came that are not the reset packet
    TimedOut,       // fewer than eight bytes came in time
    PortFailed,     // the port could not be opened
    RestartFailed,  // the reset packet came, but the phone's restart failed
};

const char* SimSerialOutcomeName(SimSerialOutcome outcome);

// The Sahara reset response the phone answers with: command 8, length 8.
constexpr uint8_t kSimSaharaResetResponse[8] = {0x08, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00};

// Opens "\\.\COM<comPort>", notes "SerialListen COM<n>" in the journal once it
// listens, and waits up to timeoutMs for one packet. Only a phone in
// emergency download mode without the `timeout` fault takes the reset: it
// answers with the reset response and restarts. Each outcome is noted in the
// journal.
SimSerialOutcome ServeSaharaReset(SimPhone& phone, int comPort, DWORD timeoutMs);
