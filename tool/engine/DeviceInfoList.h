// One SetupAPI list of present devices, owned, walked in list order.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>

class CDeviceInfoList {
public:
    // The present devices of a setup class under one enumerator ("USB").
    static CDeviceInfoList PresentOfClass(const GUID& setupClass, const wchar_t* enumerator);
    // The present devices that expose an interface of the class.
    static CDeviceInfoList PresentWithInterface(const GUID& interfaceClass);

    ~CDeviceInfoList();
    CDeviceInfoList(CDeviceInfoList&& other) noexcept;
    CDeviceInfoList& operator=(CDeviceInfoList&&) = delete;
    CDeviceInfoList(const CDeviceInfoList&) = delete;
    CDeviceInfoList& operator=(const CDeviceInfoList&) = delete;

    bool IsValid() const { return set_ != INVALID_HANDLE_VALUE; }
    // Device `index` of the list; false past its end (or for no list).
    bool Device(DWORD index, SP_DEVINFO_DATA& device) const;
    bool InstanceId(SP_DEVINFO_DATA& device, std::wstring& id) const;
    // The friendly name, else the device description.
    bool DisplayName(SP_DEVINFO_DATA& device, std::wstring& name) const;
    // The path of the device's first interface of the class.
    bool InterfacePath(SP_DEVINFO_DATA& device, const GUID& interfaceClass, std::wstring& path) const;

private:
    explicit CDeviceInfoList(HDEVINFO set) : set_(set) {}
    bool StringProperty(SP_DEVINFO_DATA& device, DWORD property, std::wstring& value) const;

    HDEVINFO set_;
};
