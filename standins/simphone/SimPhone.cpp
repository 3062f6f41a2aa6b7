#include "SimPhone.h"

#include <windows.h>

#include <initguid.h>
#include <devguid.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwctype>

#include "SimUsbBus.h"
#include "StandInFiles.h"

namespace {

// Interface classes the discovery code looks for.
DEFINE_GUID(kDiskInterface, 0x53f56307, 0xb6bf, 0x11d0, 0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b);
DEFINE_GUID(kAndroidUsbInterface, 0xf72fe0d4, 0xcbcb, 0x407d, 0x88, 0x14, 0x9e, 0xd6, 0x73, 0xd0, 0xdd, 0x6b);
// Setup class of the simulated Android USB device nodes (ours).
DEFINE_GUID(kSimAndroidClass, 0xf7accfb8, 0x14c5, 0x4788, 0xac, 0xe2, 0xfb, 0xbb, 0x51, 0x99, 0x1f, 0x20);

// A value of an enumeration with the name it has in the phone's state files.
template <typename Value>
struct NamedValue {
    Value value;
    const char* name;
};

constexpr NamedValue<SimPhoneMode> kModeNames[] = {
    {SimPhoneMode::Off, "off"},           {SimPhoneMode::Normal, "normal"},
    {SimPhoneMode::Download, "download"}, {SimPhoneMode::EmergencyDownload, "edl"},
    {SimPhoneMode::Fastboot, "fastboot"},
};

constexpr NamedValue<SimPhoneFault> kFaultNames[] = {
    {SimPhoneFault::RefuseProgrammer, "refuse-programmer"},
    {SimPhoneFault::UnplugMidWrite, "unplug-mid-write"},
    {SimPhoneFault::FailWrite, "fail-write"},
    {SimPhoneFault::CorruptReadBack, "corrupt-readback"},
    {SimPhoneFault::Timeout, "timeout"},
    {SimPhoneFault::AdbReadTimeout, "adb-read-timeout"},
    {SimPhoneFault::AdbNoConnect, "adb-no-cnxn"},
    {SimPhoneFault::FastbootFail, "fastboot-fail"},
    {SimPhoneFault::RefuseEdlSwitch, "refuse-edl-switch"},
    {SimPhoneFault::RefuseReset, "refuse-reset"},
    {SimPhoneFault::NvBlank, "nv-blank"},
    {SimPhoneFault::AdbOff, "adb-off"},
    {SimPhoneFault::UploadErrorInfo, "upload-error-info"},
    {SimPhoneFault::RefuseFireHose, "refuse-firehose"},
    {SimPhoneFault::FireHoseNopFail, "firehose-nop-fail"},
    {SimPhoneFault::NoDisk, "no-disk"},
    {SimPhoneFault::DiagSilent, "diag-silent"},
};

constexpr uint64_t kSectorBytes = 512;

template <typename Value, size_t N>
const char* NameOf(const NamedValue<Value> (&table)[N], Value value, const char* unknown) {
    for (const NamedValue<Value>& entry : table) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    return unknown;
}

template <typename Value, size_t N>
std::optional<Value> ValueNamed(const NamedValue<Value> (&table)[N], const std::string& name) {
    for (const NamedValue<Value>& entry : table) {
        if (name == entry.name) {
            return entry.value;
        }
    }
    return std::nullopt;
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

std::string Trim(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

bool WriteWholeFile(const std::wstring& path, const std::string& text, bool append) {
    HANDLE file = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = text.empty() || (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                                     written == text.size());
    CloseHandle(file);
    return ok;
}

// Positions a file; large storages need 64-bit offsets.
bool Seek(HANDLE file, uint64_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
}

const wchar_t* const kStateFiles[] = {L"number",     L"mode",        L"version", L"faults",
                                      L"programmer", L"journal.log", L"sbl1",    L"pace"};

}  // namespace

const char* SimPhoneModeName(SimPhoneMode mode) { return NameOf(kModeNames, mode, "off"); }

std::optional<SimPhoneMode> ParseSimPhoneMode(const std::string& name) { return ValueNamed(kModeNames, name); }

const char* SimPhoneFaultName(SimPhoneFault fault) { return NameOf(kFaultNames, fault, ""); }

std::optional<SimPhoneFault> ParseSimPhoneFault(const std::string& name) { return ValueNamed(kFaultNames, name); }

SimPhoneIdentity::SimPhoneIdentity(int number) {
    const std::wstring n = std::to_wstring(number);
    diagnosticsCom = 5 + 10 * (number - 1);
    loaderCom = 7 + 10 * (number - 1);
    diagnosticsName = L"Qualcomm HS-USB Diagnostics 9091 (COM" + std::to_wstring(diagnosticsCom) + L")";
    loaderName = L"Qualcomm HS-USB QDLoader 9008 (COM" + std::to_wstring(loaderCom) + L")";
    const std::wstring composite = L"USB\\VID_05C6&PID_9091&MI_";
    const std::wstring serial = L"\\7&2B3C4D5" + n + L"&0&";
    diagnosticsId = composite + L"00" + serial + L"0000";
    adbId = composite + L"01" + serial + L"0001";
    interface14Id = composite + L"14" + serial + L"0014";
    parentIdPrefix = L"8&1A2B3C4" + n + L"&0";
    diskId = L"USBSTOR\\DISK&VEN_QUALCOMM&PROD_MMC_STORAGE&REV_1.0\\" + parentIdPrefix + L"&0000";
    loaderId = L"USB\\VID_05C6&PID_9008\\6&1234ABC" + n + L"&0&2";
    fastbootId = L"USB\\VID_18D1&PID_D00D\\SIMPHONE000" + n;
}

std::wstring SimPhoneIdentity::ParentIdPrefixKey() const { return L"SYSTEM\\ControlSet001\\Enum\\" + interface14Id; }

std::wstring SimPhoneIdentity::DiskInterfaceName() const {
    std::wstring name = Lower(diskId);
    std::replace(name.begin(), name.end(), L'\\', L'#');
    return name + L"#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
}

std::optional<SimPhone> SimPhone::FromEnvironment() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(kSimPhoneDirVariable, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::nullopt;
    }
    SimPhone phone(folder);
    if (!phone.Exists()) {
        return std::nullopt;
    }
    return phone;
}

SimPhone::SimPhone(std::wstring stateFolder) : folder_(std::move(stateFolder)) {
    while (!folder_.empty() && (folder_.back() == L'\\' || folder_.back() == L'/')) {
        folder_.pop_back();
    }
}

std::wstring SimPhone::StateFile(const wchar_t* name) const { return folder_ + L"\\" + name; }

std::optional<std::string> SimPhone::ReadState(const wchar_t* name) const {
    return standins::ReadWholeFile(StateFile(name));
}

bool SimPhone::WriteState(const wchar_t* name, const std::string& text) {
    return WriteWholeFile(StateFile(name), text, false);
}

bool SimPhone::Exists() const { return ReadState(L"number").has_value(); }

bool SimPhone::Create(int number, uint64_t storageBytes, const std::string& version) {
    if (number < 1 || number > 9) {
        return false;
    }
    if (Exists() && !Remove()) {
        return false;
    }
    CreateDirectoryW(folder_.c_str(), nullptr);
    if (!WriteState(L"number", std::to_string(number)) || !WriteState(L"mode", "off") ||
        !WriteState(L"version", version) || !WriteState(L"faults", "") || !WriteState(L"programmer", "0") ||
        !WriteState(L"journal.log", "")) {
        return false;
    }
    const SimPhoneIdentity identity(number);
    if (!UnplugAll(identity)) {
        return false;
    }
    const std::wstring storage = StoragePath();
    if (storage.empty()) {
        return false;
    }
    HANDLE file = CreateFileW(storage.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool sized = Seek(file, storageBytes) && SetEndOfFile(file);
    CloseHandle(file);
    return sized;
}

bool SimPhone::Remove() {
    bool ok = true;
    if (Exists()) {
        ok = UnplugAll(Identity());
        const std::wstring storage = StoragePath();
        if (!storage.empty()) {
            DeleteFileW(storage.c_str());
        }
    }
    for (const wchar_t* name : kStateFiles) {
        DeleteFileW(StateFile(name).c_str());
    }
    RemoveDirectoryW(folder_.c_str());
    return ok;
}

int SimPhone::Number() const {
    const std::optional<std::string> text = ReadState(L"number");
    const int number = text ? std::atoi(text->c_str()) : 0;
    return number >= 1 && number <= 9 ? number : 1;
}

SimPhoneMode SimPhone::Mode() const {
    const std::optional<std::string> text = ReadState(L"mode");
    if (!text) {
        return SimPhoneMode::Off;
    }
    return ParseSimPhoneMode(Trim(*text)).value_or(SimPhoneMode::Off);
}

bool SimPhone::UnplugAll(const SimPhoneIdentity& identity) {
    bool ok = SimUsbBus::Unplug(GUID_DEVCLASS_PORTS, identity.diagnosticsId);
    ok = SimUsbBus::Unplug(GUID_DEVCLASS_PORTS, identity.loaderId) && ok;
    ok = SimUsbBus::Unplug(GUID_DEVCLASS_DISKDRIVE, identity.diskId) && ok;
    ok = SimUsbBus::Unplug(kSimAndroidClass, identity.adbId) && ok;
    ok = SimUsbBus::Unplug(kSimAndroidClass, identity.fastbootId) && ok;
    const std::wstring prefixKey = identity.ParentIdPrefixKey();
    ok = SimUsbBus::DeleteMachineKey(prefixKey) && ok;
    // The device key above it goes too once no other phone's instance is left.
    SimUsbBus::DeleteMachineKeyIfEmpty(prefixKey.substr(0, prefixKey.rfind(L'\\')));
    return ok;
}

bool SimPhone::PlugMode(const SimPhoneIdentity& identity, SimPhoneMode mode) {
    using SimUsbBus::DeviceNode;
    const DeviceNode diagnostics{GUID_DEVCLASS_PORTS, identity.diagnosticsId, identity.diagnosticsName,
                                 L"Qualcomm HS-USB Diagnostics 9091", nullptr};
    switch (mode) {
    case SimPhoneMode::Off:
        return true;
    case SimPhoneMode::Normal:
        if (!SimUsbBus::Plug(diagnostics) ||
            !SimUsbBus::WriteMachineString(identity.ParentIdPrefixKey(), L"ParentIdPrefix", identity.parentIdPrefix)) {
            return false;
        }
        // With USB debugging off the phone shows no ADB interface.
        return HasFault(SimPhoneFault::AdbOff) ||
               SimUsbBus::Plug(DeviceNode{kSimAndroidClass, identity.adbId, L"", L"Android Composite ADB Interface",
                                          &kAndroidUsbInterface});
    case SimPhoneMode::Download: {
        std::wstring diskPath;
        if (!SimUsbBus::Plug(diagnostics) ||
            !SimUsbBus::WriteMachineString(identity.ParentIdPrefixKey(), L"ParentIdPrefix", identity.parentIdPrefix)) {
            return false;
        }
        // A storage the host does not mount shows no disk.
        if (HasFault(SimPhoneFault::NoDisk)) {
            return true;
        }
        if (!SimUsbBus::Plug(DeviceNode{GUID_DEVCLASS_DISKDRIVE, identity.diskId, L"Qualcomm MMC Storage USB Device",
                                        L"Disk drive", &kDiskInterface},
                             &diskPath)) {
            return false;
        }
        // The storage file must be what opening this path reaches.
        return Lower(diskPath) == L"\\\\?\\" + identity.DiskInterfaceName();
    }
    case SimPhoneMode::EmergencyDownload:
        return SimUsbBus::Plug(DeviceNode{GUID_DEVCLASS_PORTS, identity.loaderId, identity.loaderName,
                                          L"Qualcomm HS-USB QDLoader 9008", nullptr});
    case SimPhoneMode::Fastboot:
        return SimUsbBus::Plug(DeviceNode{kSimAndroidClass, identity.fastbootId, L"", L"Android Bootloader Interface",
                                          &kAndroidUsbInterface});
    }
    return false;
}

bool SimPhone::SetMode(SimPhoneMode mode) {
    if (!Exists()) {
        return false;
    }
    const SimPhoneIdentity identity = Identity();
    if (!UnplugAll(identity) || !WriteState(L"programmer", "0") ||
        !WriteState(L"mode", SimPhoneModeName(SimPhoneMode::Off))) {
        return false;
    }
    if (!PlugMode(identity, mode)) {
        UnplugAll(identity);
        return false;
    }
    return WriteState(L"mode", SimPhoneModeName(mode));
}

bool SimPhone::Boot() { return SetMode(HasPartitionTable() ? SimPhoneMode::Normal : SimPhoneMode::EmergencyDownload); }

std::string SimPhone::Version() const { return ReadState(L"version").value_or(std::string()); }

bool SimPhone::SetVersion(const std::string& version) { return Exists() && WriteState(L"version", version); }

bool SimPhone::HasFault(SimPhoneFault fault) const {
    const std::optional<std::string> text = ReadState(L"faults");
    if (!text) {
        return false;
    }
    const std::string wanted = SimPhoneFaultName(fault);
    size_t start = 0;
    while (start < text->size()) {
        size_t end = text->find('\n', start);
        if (end == std::string::npos) {
            end = text->size();
        }
        if (Trim(text->substr(start, end - start)) == wanted) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool SimPhone::AddFault(SimPhoneFault fault) {
    return Exists() && (HasFault(fault) ||
                        WriteWholeFile(StateFile(L"faults"), std::string(SimPhoneFaultName(fault)) + "\n", true));
}

bool SimPhone::ClearFaults() { return Exists() && WriteState(L"faults", ""); }

bool SimPhone::ProgrammerLoaded() const {
    const std::optional<std::string> text = ReadState(L"programmer");
    return text && Trim(*text) == "1";
}

bool SimPhone::SetProgrammerLoaded(bool loaded) { return Exists() && WriteState(L"programmer", loaded ? "1" : "0"); }

std::wstring SimPhone::StoragePath() const {
    wchar_t prefix[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::wstring();
    }
    std::wstring path = std::wstring(L"Z:") + prefix + L"\\dosdevices\\";
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path + Identity().DiskInterfaceName();
}

uint64_t SimPhone::StorageBytes() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(StoragePath().c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool SimPhone::ReadStorage(uint64_t offset, void* data, size_t size) const {
    const uint64_t bytes = StorageBytes();
    if (size > bytes || offset > bytes - size) {
        return false;
    }
    HANDLE file = CreateFileW(StoragePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD got = 0;
    const bool ok = Seek(file, offset) && ReadFile(file, data, static_cast<DWORD>(size), &got, nullptr) && got == size;
    CloseHandle(file);
    return ok;
}

bool SimPhone::WriteStorage(uint64_t offset, const void* data, size_t size) {
    // The eMMC has a fixed size: writes never grow it.
    const uint64_t bytes = StorageBytes();
    if (size > bytes || offset > bytes - size) {
        return false;
    }
    HANDLE file = CreateFileW(StoragePath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        Seek(file, offset) && WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    CloseHandle(file);
    const uint32_t pace = WritePaceMs();
    if (pace > 0) {
        Sleep(pace);
    }
    return ok;
}

uint32_t SimPhone::WritePaceMs() const {
    const std::optional<std::string> pace = ReadState(L"pace");
    return pace ? static_cast<uint32_t>(strtoul(pace->c_str(), nullptr, 10)) : 0;
}

bool SimPhone::SetWritePace(uint32_t milliseconds) { return WriteState(L"pace", std::to_string(milliseconds)); }

bool SimPhone::HasPartitionTable() const {
    unsigned char sectors[2 * kSectorBytes] = {};
    if (!ReadStorage(0, sectors, sizeof(sectors))) {
        return false;
    }
    const bool mbr = sectors[510] == 0x55 && sectors[511] == 0xAA;
    const bool gpt = std::memcmp(sectors + kSectorBytes, "EFI PART", 8) == 0;
    return mbr || gpt;
}

bool SimPhone::AppendJournal(const std::string& line) {
    return Exists() && WriteWholeFile(StateFile(L"journal.log"), line + "\n", true);
}

std::vector<std::string> SimPhone::Journal() const {
    std::vector<std::string> lines;
    const std::string text = ReadState(L"journal.log").value_or(std::string());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool SimPhone::ClearJournal() { return Exists() && WriteState(L"journal.log", ""); }
