// A fastboot connection to the phone's boot loader interface: raw text
// commands, each answered by a four-letter status.
#pragma once

#include <cstdint>
#include <string>

#include "AdbBasic.h"

class CFastBootComm : public CAdbConnection {
public:
    // Opens the interface at the device path, its endpoints and the serial;
    // 1 ready.
    int32_t Open(const std::wstring& devicePath);
    // Writes the command (no terminator) and reads the 4-byte answer; 1 when
    // both transfers went and the boot loader did not answer "FAIL".
    int32_t SendCommand(const std::string& command);
};
