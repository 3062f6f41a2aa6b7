#include "SimUsbBus.h"

#include <objbase.h>
#include <setupapi.h>

#include <vector>

namespace SimUsbBus {
namespace {

// The registry key whose "Linked" value tells SetupAPI that an interface is
// active; on Windows the driver sets it when it starts the device.
std::wstring InterfaceControlKey(const GUID& interfaceClass, const std::wstring& path) {
    wchar_t guidText[64] = {};
    StringFromGUID2(interfaceClass, guidText, 64);
    std::wstring linkName = path;
    if (linkName.compare(0, 4, L"\\\\?\\") == 0) {
        linkName.replace(0, 4, L"##?#");
    }
    return std::wstring(L"System\\CurrentControlSet\\Control\\DeviceClasses\\") + guidText + L"\\" + linkName +
           L"\\#\\Control";
}

bool SetLinked(const GUID& interfaceClass, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, InterfaceControlKey(interfaceClass, path).c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD linked = 1;
    const LONG result =
        RegSetValueExW(key, L"Linked", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&linked), sizeof(linked));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool SetStringProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property, const std::wstring& value) {
    if (value.empty()) {
        return true;
    }
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return SetupDiSetDeviceRegistryPropertyW(set, &device, property, reinterpret_cast<const BYTE*>(value.c_str()),
                                             bytes) != FALSE;
}

bool DetailPath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interfaceData, std::wstring& path) {
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        return false;
    }
    std::vector<BYTE> buffer(required);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, required, nullptr, nullptr)) {
        return false;
    }
    path = detail->DevicePath;
    return true;
}

// An owned SetupAPI list holding one node of the given class.
class NodeSet {
public:
    explicit NodeSet(const GUID& setupClass) : set_(SetupDiCreateDeviceInfoList(&setupClass, nullptr)) {}
    ~NodeSet() {
        if (set_ != INVALID_HANDLE_VALUE) {
            SetupDiDestroyDeviceInfoList(set_);
        }
    }
    NodeSet(const NodeSet&) = delete;
    NodeSet& operator=(const NodeSet&) = delete;

    HDEVINFO get() const { return set_; }
    bool valid() const { return set_ != INVALID_HANDLE_VALUE; }

    bool Open(const std::wstring& instanceId, SP_DEVINFO_DATA& device) const {
        device.cbSize = sizeof(device);
        return SetupDiOpenDeviceInfoW(set_, instanceId.c_str(), nullptr, 0, &device) != FALSE;
    }

private:
    HDEVINFO set_;
};

}  // namespace

bool Plug(const DeviceNode& node, std::wstring* interfacePath) {
    NodeSet set(node.setupClass);
    if (!set.valid()) {
        return false;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    const bool created = SetupDiCreateDeviceInfoW(set.get(), node.instanceId.c_str(), &node.setupClass, nullptr,
                                                  nullptr, 0, &device) != FALSE;
    if (created) {
        if (!SetupDiRegisterDeviceInfo(set.get(), &device, 0, nullptr, nullptr, nullptr)) {
            return false;
        }
    } else if (!set.Open(node.instanceId, device)) {
        return false;
    }
    if (!SetStringProperty(set.get(), device, SPDRP_FRIENDLYNAME, node.friendlyName) ||
        !SetStringProperty(set.get(), device, SPDRP_DEVICEDESC, node.description)) {
        return false;
    }
    if (node.interfaceClass == nullptr) {
        return true;
    }
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof(interfaceData);
    std::wstring path;
    if (!SetupDiCreateDeviceInterfaceW(set.get(), &device, node.interfaceClass, nullptr, 0, &interfaceData) ||
        !DetailPath(set.get(), interfaceData, path) || !SetLinked(*node.interfaceClass, path)) {
        return false;
    }
    if (interfacePath != nullptr) {
        *interfacePath = path;
    }
    return true;
}

bool Unplug(const GUID& setupClass, const std::wstring& instanceId) {
    NodeSet set(setupClass);
    if (!set.valid()) {
        return false;
    }
    SP_DEVINFO_DATA device{};
    if (!set.Open(instanceId, device)) {
        return true;  // not plugged
    }
    return SetupDiRemoveDevice(set.get(), &device) != FALSE;
}

bool WriteMachineString(const std::wstring& keyPath, const wchar_t* valueName, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LONG result = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool DeleteMachineKey(const std::wstring& keyPath) {
    const LONG result = RegDeleteTreeW(HKEY_LOCAL_MACHINE, keyPath.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool DeleteMachineKeyIfEmpty(const std::wstring& keyPath) {
    // RegDeleteKeyW refuses a key that still has subkeys.
    const LONG result = RegDeleteKeyW(HKEY_LOCAL_MACHINE, keyPath.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace SimUsbBus
