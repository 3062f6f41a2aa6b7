#include "SimAndroidUsb.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr wchar_t kAndroidInterfaceClass[] = L"{f72fe0d4-cbcb-407d-8814-9ed673d0dd6b}";
constexpr char kErasedMark[] = "erased";

std::wstring StateFile(const SimPhone& phone) { return phone.Folder() + L"\\sbl1"; }

}  // namespace

std::wstring SimAndroidInterfacePath(const std::wstring& instanceId) {
    std::wstring path = instanceId;
    std::replace(path.begin(), path.end(), L'\\', L'#');
    return L"\\\\?\\" + path + L"#" + kAndroidInterfaceClass;
}

std::optional<std::wstring> SimAndroidInterfaceOf(const SimPhone& phone) {
    switch (phone.Mode()) {
    case SimPhoneMode::Normal:
        if (phone.HasFault(SimPhoneFault::AdbOff)) {
            return std::nullopt;
        }
        return SimAndroidInterfacePath(phone.Identity().adbId);
    case SimPhoneMode::Fastboot:
        return SimAndroidInterfacePath(phone.Identity().fastbootId);
    default:
        return std::nullopt;
    }
}

std::string SimAndroidSerial(const SimPhone& phone) { return "SIMPHONE000" + std::to_string(phone.Number()); }

bool SimBootLoaderErased(const SimPhone& phone) {
    HANDLE file = CreateFileW(StateFile(phone).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    char text[sizeof(kErasedMark)] = {};
    DWORD got = 0;
    const bool read = ReadFile(file, text, sizeof(kErasedMark) - 1, &got, nullptr) != FALSE;
    CloseHandle(file);
    return read && got == sizeof(kErasedMark) - 1 && std::string(text) == kErasedMark;
}

bool SetSimBootLoaderErased(const SimPhone& phone, bool erased) {
    if (!phone.Exists()) {
        return false;
    }
    if (!erased) {
        return DeleteFileW(StateFile(phone).c_str()) != FALSE || GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    HANDLE file =
        CreateFileW(StateFile(phone).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, kErasedMark, sizeof(kErasedMark) - 1, &written, nullptr) && written == sizeof(kErasedMark) - 1;
    CloseHandle(file);
    return ok;
}
