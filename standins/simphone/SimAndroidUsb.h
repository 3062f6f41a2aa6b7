// The simulated phone's Android USB interface: where it shows on the bus, its
// serial number, and the boot loader state a fastboot erase leaves.
#pragma once

#include <optional>
#include <string>

#include "SimPhone.h"

// The interface path of an Android USB device node ("\\?\...#{class}"), as
// SetupAPI lists it; compare without regard to case.
std::wstring SimAndroidInterfacePath(const std::wstring& instanceId);

// The Android USB interface the phone shows in its current mode: the ADB
// interface in `normal` mode (unless USB debugging is off, fault `adb-off`),
// the boot loader's in `fastboot` mode; none otherwise.
std::optional<std::wstring> SimAndroidInterfaceOf(const SimPhone& phone);

// The device's USB serial number, the same in both modes.
std::string SimAndroidSerial(const SimPhone& phone);

// "erase:sbl1" leaves the boot loader erased (state file `sbl1`); the next
// fastboot reboot then starts the phone in emergency download mode.
bool SimBootLoaderErased(const SimPhone& phone);
bool SetSimBootLoaderErased(const SimPhone& phone, bool erased);
