// Finding the Qualcomm phone among the USB devices, and telling its mode.
#include "QcomDownloader.h"

#include <initguid.h>
#include <devguid.h>

#include <cwchar>
#include <functional>
#include <vector>

#include "DeviceInfoList.h"
#include "TextFormat.h"

namespace {

DEFINE_GUID(kDiskInterfaceClass, 0x53f56307, 0xb6bf, 0x11d0, 0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b);
DEFINE_GUID(kAndroidUsbInterfaceClass, 0xf72fe0d4, 0xcbcb, 0x407d, 0x88, 0x14, 0x9e, 0xd6, 0x73, 0xd0, 0xdd, 0x6b);

constexpr wchar_t kQualcommDiskId[] = L"USBSTOR\\DISK&VEN_QUALCOMM&PROD_MMC_STORAGE";
constexpr DWORD kParentIdPrefixBytes = 1024;
constexpr DWORD kSearchPauseMs = 200;
constexpr int32_t kWaitForever = -1;

std::wstring Upper(std::wstring text) {
    if (!text.empty()) {
        CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    }
    return text;
}

// The COM number after `from` in an upper-cased port name; false when the
// name has no "COM" there.
bool ComPortAfter(const std::wstring& name, size_t from, int32_t& comPort) {
    const size_t at = name.find(L"COM", from);
    if (at == std::wstring::npos) {
        return false;
    }
    comPort = static_cast<int32_t>(std::wcstol(name.c_str() + at + 3, nullptr, 10));
    return true;
}

// The first present device with an interface of the class whose instance id
// satisfies `matches`; its interface path goes to devicePath. A failed
// instance-id query counts as no device.
bool FindInterfaceOfDevice(const GUID& interfaceClass, const std::function<bool(const std::wstring&)>& matches,
                           std::wstring& devicePath) {
    const CDeviceInfoList devices = CDeviceInfoList::PresentWithInterface(interfaceClass);
    SP_DEVINFO_DATA device{};
    for (DWORD index = 0; devices.Device(index, device); ++index) {
        std::wstring instanceId;
        if (!devices.InstanceId(device, instanceId)) {
            return false;
        }
        if (matches(instanceId) && devices.InterfacePath(device, interfaceClass, devicePath)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::wstring InstanceIdTail(const std::wstring& instanceId) {
    const size_t slash = instanceId.rfind(L'\\');
    std::wstring tail = slash == std::wstring::npos ? instanceId : instanceId.substr(slash + 1);
    const size_t ampersand = tail.rfind(L'&');
    if (ampersand != std::wstring::npos) {
        tail.resize(ampersand);
    }
    return tail;
}

int32_t CQcomDownloader::ClassifyDevice(int32_t& comPortOut) {
    const CDeviceInfoList ports = CDeviceInfoList::PresentOfClass(GUID_DEVCLASS_PORTS, L"USB");
    SP_DEVINFO_DATA device{};
    for (DWORD index = 0; ports.Device(index, device); ++index) {
        std::wstring instanceId;
        if (!ports.InstanceId(device, instanceId)) {
            return PHONE_NONE;
        }
        std::wstring name;
        if (!ports.DisplayName(device, name)) {
            continue;
        }
        name = Upper(name);
        const size_t loader = name.find(L"QDLOADER");
        if (loader != std::wstring::npos) {
            if (ComPortAfter(name, loader, comPortOut)) {
                return PHONE_EMPTY;
            }
            continue;
        }
        const size_t diagnostics = name.find(L"DIAGNOSTICS");
        if (diagnostics != std::wstring::npos && ComPortAfter(name, diagnostics, comPortOut)) {
            portInstanceTail = FitEngineText(InstanceIdTail(instanceId));
            portInstanceId = FitEngineText(instanceId);
            std::wstring diskPath;
            return FindQcomDisk(diskPath) ? PHONE_DOWNLOAD : PHONE_NORMAL;
        }
    }
    return PHONE_NONE;
}

bool CQcomDownloader::GetParentIdPrefix(std::wstring& prefix) const {
    // Interface 14 of the same composite device carries the prefix its disk
    // children are named with.
    std::wstring id = portInstanceId;
    const size_t interfaceAt = id.find(L"MI_");
    if (interfaceAt == std::wstring::npos || interfaceAt + 5 > id.size() || id.size() < 2) {
        return false;
    }
    id.replace(interfaceAt + 3, 2, L"14");
    id.replace(id.size() - 2, 2, L"14");

    HKEY key = nullptr;
    const std::wstring keyPath = FormatWide(L"SYSTEM\\ControlSet001\\Enum\\%s", id.c_str());
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    // A spare character keeps the value terminated even when stored without.
    std::vector<wchar_t> value(kParentIdPrefixBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD type = 0;
    DWORD bytes = kParentIdPrefixBytes;
    const LONG result =
        RegQueryValueExW(key, L"ParentIdPrefix", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || value[0] == L'\0') {
        return false;
    }
    prefix = Upper(value.data());
    return true;
}

bool CQcomDownloader::FindQcomDisk(std::wstring& devicePath) const {
    std::wstring prefix;
    if (!GetParentIdPrefix(prefix)) {
        prefix.clear();  // then the first Qualcomm disk counts
    }
    return FindInterfaceOfDevice(
        kDiskInterfaceClass,
        [&prefix](const std::wstring& instanceId) {
            return Upper(instanceId).find(kQualcommDiskId) != std::wstring::npos &&
                   Upper(InstanceIdTail(instanceId).substr(0, prefix.size())) == prefix;
        },
        devicePath);
}

bool FindAdbInterfacePath(std::wstring& devicePath, const CQcomDownloader& engine) {
    const std::wstring& portTail = engine.portInstanceTail;
    return FindInterfaceOfDevice(
        kAndroidUsbInterfaceClass,
        [&portTail](const std::wstring& instanceId) {
            return Upper(InstanceIdTail(instanceId)).substr(0, portTail.size()) == portTail;
        },
        devicePath);
}

bool FindFirstAdbInterfacePath(std::wstring& devicePath) {
    return FindInterfaceOfDevice(
        kAndroidUsbInterfaceClass, [](const std::wstring&) { return true; }, devicePath);
}

int32_t CQcomDownloader::SearchDevices() {
    SendText(L"SearchDevices", MSG_DETAIL);
    const ULONGLONG start = GetTickCount64();
    const int64_t timeOut = settings.timeOut;
    for (;;) {
        const int64_t elapsedSeconds = static_cast<int64_t>((GetTickCount64() - start) / 1000);
        SendText(FormatWide(L"Watting for Phone ...[%d s]", static_cast<int>(timeOut - elapsedSeconds)),
                 MSG_PROGRESS_LINE);
        if (StopRequested()) {
            SendText(L"SearchDevices_UserStop", MSG_DETAIL);
            return 0;
        }
        int32_t foundPort = 0;
        const int32_t mode = ClassifyDevice(foundPort);
        if (mode != PHONE_NONE) {
            SendText(L"SearchDevices_Success", MSG_DETAIL);
            phoneMode = mode;
            comPort = foundPort;
            return 1;
        }
        const int64_t elapsedMs = static_cast<int64_t>(GetTickCount64() - start);
        if (timeOut != kWaitForever && timeOut * 1000 < elapsedMs) {
            SendText(L"Watting for Phone Timeout!", MSG_FAILURE);
            return 0;
        }
        Pause(kSearchPauseMs);
    }
}
