#include "DeviceInfoList.h"

#include <utility>
#include <vector>

namespace {

constexpr DWORD kInstanceIdChars = 1024;
constexpr DWORD kNameBytes = 1024;

}  // namespace

CDeviceInfoList CDeviceInfoList::PresentOfClass(const GUID& setupClass, const wchar_t* enumerator) {
    return CDeviceInfoList(SetupDiGetClassDevsW(&setupClass, enumerator, nullptr, DIGCF_PRESENT));
}

CDeviceInfoList CDeviceInfoList::PresentWithInterface(const GUID& interfaceClass) {
    return CDeviceInfoList(
        SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
}

CDeviceInfoList::~CDeviceInfoList() {
    if (IsValid()) {
        SetupDiDestroyDeviceInfoList(set_);
    }
}

CDeviceInfoList::CDeviceInfoList(CDeviceInfoList&& other) noexcept
    : set_(std::exchange(other.set_, INVALID_HANDLE_VALUE)) {}

bool CDeviceInfoList::Device(DWORD index, SP_DEVINFO_DATA& device) const {
    device = SP_DEVINFO_DATA{};
    device.cbSize = sizeof(device);
    return IsValid() && SetupDiEnumDeviceInfo(set_, index, &device) != FALSE;
}

bool CDeviceInfoList::InstanceId(SP_DEVINFO_DATA& device, std::wstring& id) const {
    std::vector<wchar_t> buffer(kInstanceIdChars + 1, L'\0');
    if (!SetupDiGetDeviceInstanceIdW(set_, &device, buffer.data(), kInstanceIdChars, nullptr)) {
        return false;
    }
    id = buffer.data();
    return true;
}

bool CDeviceInfoList::StringProperty(SP_DEVINFO_DATA& device, DWORD property, std::wstring& value) const {
    // One spare character keeps the text terminated whatever the store holds.
    std::vector<wchar_t> buffer(kNameBytes / sizeof(wchar_t) + 1, L'\0');
    if (!SetupDiGetDeviceRegistryPropertyW(set_, &device, property, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                                           kNameBytes, nullptr)) {
        return false;
    }
    value = buffer.data();
    return true;
}

bool CDeviceInfoList::DisplayName(SP_DEVINFO_DATA& device, std::wstring& name) const {
    return StringProperty(device, SPDRP_FRIENDLYNAME, name) || StringProperty(device, SPDRP_DEVICEDESC, name);
}

bool CDeviceInfoList::InterfacePath(SP_DEVINFO_DATA& device, const GUID& interfaceClass, std::wstring& path) const {
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof(interfaceData);
    if (!SetupDiEnumDeviceInterfaces(set_, &device, &interfaceClass, 0, &interfaceData)) {
        return false;
    }
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailW(set_, &interfaceData, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        return false;
    }
    std::vector<BYTE> buffer(required + sizeof(wchar_t), 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set_, &interfaceData, detail, required, nullptr, nullptr)) {
        return false;
    }
    path = detail->DevicePath;
    return true;
}
