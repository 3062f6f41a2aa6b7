// The simulated phone's side of the USB bus: device nodes registered in the
// Wine prefix's SetupAPI store, the registry values a real driver would leave,
// and their removal. Real discovery code lists these nodes like real ones.
#pragma once

#include <windows.h>

#include <string>

namespace SimUsbBus {

// A node to plug: its setup class, instance id, optional names and an
// optional device interface that is made active (listed as present).
struct DeviceNode {
    GUID setupClass;
    std::wstring instanceId;
    std::wstring friendlyName;  // empty: none
    std::wstring description;   // empty: none
    const GUID* interfaceClass = nullptr;
};

// Registers the node (again, when it is already there) and activates its
// interface, whose path goes to interfacePath when given. False when SetupAPI
// refuses.
bool Plug(const DeviceNode& node, std::wstring* interfacePath = nullptr);

// Removes the node with its interfaces; true also when it was not there.
bool Unplug(const GUID& setupClass, const std::wstring& instanceId);

// HKEY_LOCAL_MACHINE string values and key trees.
bool WriteMachineString(const std::wstring& keyPath, const wchar_t* valueName, const std::wstring& value);
bool DeleteMachineKey(const std::wstring& keyPath);
// Deletes the key only when it has no subkeys left; true when it is gone.
bool DeleteMachineKeyIfEmpty(const std::wstring& keyPath);

}  // namespace SimUsbBus
