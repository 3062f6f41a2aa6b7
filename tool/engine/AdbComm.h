// An ADB connection to the phone's Android USB interface: the CNXN exchange,
// and the two services the engine uses (reading the version property and
// rebooting into the boot loader).
#pragma once

#include <cstdint>
#include <string>

#include "AdbBasic.h"

// The phone property that holds the AP software version.
constexpr char kAdbVersionProperty[] = "ro.qx.qxznvernumber";
// Longest answer text kept: the engine's version buffer holds 128 bytes with
// its terminator. A longer answer is cut.
constexpr size_t kAdbAnswerMaxChars = 127;

class CAdbComm : public CAdbConnection {
public:
    // Opens the interface at the device path and makes the CNXN exchange;
    // 1 ready.
    int32_t InitDevices(const std::wstring& devicePath);
    int32_t Connect();
    // OPEN "reboot:bootloader"; 1 when the phone accepted it.
    int32_t RebootBootloader();
    // The version property's text (at most kAdbAnswerMaxChars); 1 ok.
    int32_t GetProp(std::string& text);
    // Writes an OPEN's payload and waits for the phone's OKAY; 1 when it came.
    int32_t WaitOkay(const void* payload, int32_t length);
    // Collects the WRTE payloads of the open stream until the phone closes it.
    int32_t ReadStream(std::string& text);

private:
    // Stores the header and writes it.
    int32_t WriteHeader(const AdbMessageHeader& message);
    // Reads one header into the connection's header; 1 ok.
    int32_t ReadHeader();
    // The last header received holds the command's letters.
    bool HeaderHolds(const char (&command)[5]) const;
    // OPEN of a service with the next local id, up to the phone's OKAY.
    int32_t OpenService(const std::string& service);
};
