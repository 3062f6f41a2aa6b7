#include "SimSerialLine.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr uint8_t kResetPacket[8] = {0x07, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00};
constexpr DWORD kAnswerWaitMs = 1000;

std::string Hex(const uint8_t* bytes, size_t count) {
    std::string text;
    char cell[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(cell, sizeof(cell), i == 0 ? "%02x" : " %02x", bytes[i]);
        text += cell;
    }
    return text;
}

}  // namespace

SimSerialPort::SimSerialPort() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

SimSerialPort::~SimSerialPort() {
    if (IsOpen()) {
        CloseHandle(port_);
    }
    if (event_ != nullptr) {
        CloseHandle(event_);
    }
}

bool SimSerialPort::Open(int comPort) {
    if (IsOpen() || event_ == nullptr) {
        return false;
    }
    const std::wstring path = L"\\\\.\\COM" + std::to_wstring(comPort);
    port_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                        nullptr);
    return IsOpen();
}

DWORD SimSerialPort::Read(void* bytes, DWORD count, DWORD waitMs) { return Transfer(false, bytes, count, waitMs); }

DWORD SimSerialPort::Write(const void* bytes, DWORD count, DWORD waitMs) {
    return Transfer(true, const_cast<void*>(bytes), count, waitMs);
}

DWORD SimSerialPort::ReadFully(void* bytes, DWORD count, DWORD waitMs) {
    DWORD have = 0;
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    while (have < count) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            break;
        }
        const DWORD got = Read(static_cast<uint8_t*>(bytes) + have, count - have, static_cast<DWORD>(deadline - now));
        if (got == 0) {
            break;  // the wait ran out, or the line failed
        }
        have += got;
    }
    return have;
}

DWORD SimSerialPort::Transfer(bool write, void* bytes, DWORD count, DWORD waitMs) {
    if (!IsOpen()) {
        return 0;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_;
    ResetEvent(event_);
    DWORD moved = 0;
    const BOOL done = write ? WriteFile(port_, bytes, count, &moved, &overlapped)
                            : ReadFile(port_, bytes, count, &moved, &overlapped);
    if (done) {
        return moved;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return 0;
    }
    if (WaitForSingleObject(event_, waitMs) != WAIT_OBJECT_0) {
        CancelIo(port_);
    }
    // Waits for the cancel too: `overlapped` and the bytes end with this call.
    if (!GetOverlappedResult(port_, &overlapped, &moved, TRUE)) {
        return 0;
    }
    return moved;
}

const char* SimSerialOutcomeName(SimSerialOutcome outcome) {
    switch (outcome) {
    case SimSerialOutcome::Reset:
        return "reset";
    case SimSerialOutcome::Ignored:
        return "ignored";
    case SimSerialOutcome::WrongPacket:
        return "wrong-packet";
    case SimSerialOutcome::TimedOut:
        return "timed-out";
    case SimSerialOutcome::PortFailed:
        return "port-failed";
    case SimSerialOutcome::RestartFailed:
        return "restart-failed";
    }
    return "unknown";
}

SimSerialOutcome ServeSaharaReset(SimPhone& phone, int comPort, DWORD timeoutMs) {
    const std::string portName = "COM" + std::to_string(comPort);
    SimSerialPort line;
    if (!line.Open(comPort)) {
        phone.AppendJournal("SerialPortFailed " + portName);
        return SimSerialOutcome::PortFailed;
    }
    phone.AppendJournal("SerialListen " + portName);

    uint8_t packet[sizeof(kResetPacket)] = {};
    const DWORD have = line.ReadFully(packet, sizeof(packet), timeoutMs);
    if (have < sizeof(packet)) {
        phone.AppendJournal("SerialTimedOut " + portName + " " + Hex(packet, have));
        return SimSerialOutcome::TimedOut;
    }
    if (std::memcmp(packet, kResetPacket, sizeof(packet)) != 0) {
        phone.AppendJournal("SaharaUnknownPacket " + portName + " " + Hex(packet, have));
        return SimSerialOutcome::WrongPacket;
    }
    if (phone.Mode() != SimPhoneMode::EmergencyDownload || phone.HasFault(SimPhoneFault::Timeout)) {
        phone.AppendJournal("SaharaResetIgnored " + portName);
        return SimSerialOutcome::Ignored;
    }
    line.Write(kSimSaharaResetResponse, sizeof(kSimSaharaResetResponse), kAnswerWaitMs);
    phone.AppendJournal("SaharaReset " + portName);
    return phone.Boot() ? SimSerialOutcome::Reset : SimSerialOutcome::RestartFailed;
}
