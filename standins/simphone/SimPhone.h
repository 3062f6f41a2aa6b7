// The simulated phone shared by the stand-in libraries and the test drivers.
// Its state lives in files under one folder, so the tool process, the
// stand-ins and a driver program all see the same phone; its device nodes live
// in the Wine prefix's SetupAPI store and registry, where the real discovery
// code finds them. See standins/README.md for the files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class SimPhoneMode { Off, Normal, Download, EmergencyDownload, Fastboot };

enum class SimPhoneFault {
    RefuseProgrammer,
    UnplugMidWrite,
    FailWrite,
    CorruptReadBack,
    Timeout,
    // The Android USB interface (ADB and fastboot).
    AdbReadTimeout,
    AdbNoConnect,
    FastbootFail,
    // Refusals the download flows fall back from.
    RefuseEdlSwitch,
    RefuseReset,
    NvBlank,
    AdbOff,
    UploadErrorInfo,
    // A programmer that runs but fails the FireHose steps.
    RefuseFireHose,
    FireHoseNopFail,
    // In download mode the eMMC shows no disk.
    NoDisk,
    // The diagnostics port opens but answers nothing.
    DiagSilent,
};

// Names used in the state files and by the driver program.
const char* SimPhoneModeName(SimPhoneMode mode);
std::optional<SimPhoneMode> ParseSimPhoneMode(const std::string& name);
const char* SimPhoneFaultName(SimPhoneFault fault);
std::optional<SimPhoneFault> ParseSimPhoneFault(const std::string& name);

// The environment variable naming the state folder of the phone on the bus.
constexpr wchar_t kSimPhoneDirVariable[] = L"TAVIK_SIMPHONE_DIR";

// What a phone shows on the bus. The phone number (1..9) keeps the USB ids and
// COM ports of several phones apart.
struct SimPhoneIdentity {
    explicit SimPhoneIdentity(int number);

    int diagnosticsCom;
    int loaderCom;
    std::wstring diagnosticsName;  // "Qualcomm HS-USB Diagnostics 9091 (COMn)"
    std::wstring loaderName;       // "Qualcomm HS-USB QDLoader 9008 (COMn)"
    std::wstring diagnosticsId;    // interface 0 of the composite device
    std::wstring adbId;            // interface 1 of the same device
    std::wstring interface14Id;    // where Windows keeps the ParentIdPrefix
    std::wstring parentIdPrefix;
    std::wstring diskId;    // the eMMC as a USB disk, in download mode
    std::wstring loaderId;  // emergency download port
    std::wstring fastbootId;

    std::wstring ParentIdPrefixKey() const;  // under HKEY_LOCAL_MACHINE
    std::wstring DiskInterfaceName() const;  // interface path without "\\?\"
};

class SimPhone {
public:
    // The phone named by the environment; none without the variable or when
    // its folder holds no phone.
    static std::optional<SimPhone> FromEnvironment();

    explicit SimPhone(std::wstring stateFolder);

    // A new phone, switched off, with a zeroed storage of the given size.
    // Removes whatever an earlier phone of this folder left behind.
    bool Create(int number, uint64_t storageBytes, const std::string& version);
    // Unplugs every node, deletes the registry values, the storage and the
    // state files.
    bool Remove();
    bool Exists() const;

    const std::wstring& Folder() const { return folder_; }
    int Number() const;
    SimPhoneIdentity Identity() const { return SimPhoneIdentity(Number()); }

    SimPhoneMode Mode() const;
    // Unplugs the nodes of every mode, then plugs those of the new one; the
    // programmer loaded in emergency download mode is gone afterwards.
    bool SetMode(SimPhoneMode mode);
    // A restart: normal mode when the storage holds a partition table, else
    // emergency download mode (an empty or wiped phone can start only there).
    bool Boot();

    std::string Version() const;
    bool SetVersion(const std::string& version);

    bool HasFault(SimPhoneFault fault) const;
    bool AddFault(SimPhoneFault fault);
    bool ClearFaults();

    bool ProgrammerLoaded() const;
    bool SetProgrammerLoaded(bool loaded);

    // The storage file sits where opening the disk's interface path lands.
    std::wstring StoragePath() const;
    uint64_t StorageBytes() const;
    bool ReadStorage(uint64_t offset, void* data, size_t size) const;
    // A write takes the phone's pace (milliseconds, 0 by default) on top, so
    // a test can watch a download while it runs.
    bool WriteStorage(uint64_t offset, const void* data, size_t size);
    uint32_t WritePaceMs() const;
    bool SetWritePace(uint32_t milliseconds);
    bool HasPartitionTable() const;

    // Calls the stand-ins made, one line each, oldest first.
    bool AppendJournal(const std::string& line);
    std::vector<std::string> Journal() const;
    bool ClearJournal();

private:
    std::wstring StateFile(const wchar_t* name) const;
    std::optional<std::string> ReadState(const wchar_t* name) const;
    bool WriteState(const wchar_t* name, const std::string& text);
    bool UnplugAll(const SimPhoneIdentity& identity);
    bool PlugMode(const SimPhoneIdentity& identity, SimPhoneMode mode);

    std::wstring folder_;
};
