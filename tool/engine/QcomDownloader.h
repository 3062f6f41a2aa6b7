// The Qualcomm download engine: one object, owned by the main window, that
// holds the QMSL connection handles, the phone found on the USB bus, a private
// copy of the package's Qualcomm settings and image table, and the channel
// through which every step reports. All operations run on the owner's job
// thread; the engine adds one thread of its own, the progress estimator.
#pragma once

// PhoneConfig.h brings <windows.h> first so SendMessage is spelled alike
// everywhere.
#include "PhoneConfig.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "DiskControl.h"
#include "DownloadMessage.h"
#include "ScopedHandle.h"
#include "SharedRecords.h"

enum PhoneMode : int32_t {
    PHONE_NONE = 0,
    PHONE_NORMAL = 1,    // diagnostics port, no Qualcomm disk
    PHONE_DOWNLOAD = 2,  // diagnostics port and the eMMC as a USB disk
    PHONE_EMPTY = 3,     // "QDLOADER" port: emergency download mode
};

// Capacity of the engine's fixed text fields, terminator included.
constexpr size_t kEngineTextChars = 260;
// QMSL texts are shown up to this many characters.
constexpr size_t kQmslTextShownChars = 512;
constexpr int32_t kDefaultSearchTimeOutSeconds = 60;
// How long Stop waits for the progress thread.
constexpr DWORD kDefaultStopWaitMs = 3000;

class CQcomDownloader {
public:
    CQcomDownloader();
    ~CQcomDownloader();
    CQcomDownloader(const CQcomDownloader&) = delete;
    CQcomDownloader& operator=(const CQcomDownloader&) = delete;

    // Ends the progress thread (waiting for it at most stopWaitMs, handling
    // messages sent to the calling thread meanwhile) and closes every QMSL
    // connection. The destructor runs it; running it again does nothing more.
    // A thread still in the owner's report callback after the wait never
    // touches the engine again.
    void Stop();
    // Asks every flow to stop at its next check (the waits for a phone or a
    // mode, the pauses, between images and between steps) and ends the
    // progress thread; the call QMSL is in runs to its end. For the owner's
    // close: the engine is not used for a download again.
    void RequestStop();
    // The owner's run flag reads 0 or RequestStop was called.
    bool StopRequested() const;

    // Takes a copy of the package's Qualcomm block and of the image table it
    // points at; before each download.
    void Init_QcomDownLoad(const QcomConfigBlock& block);

    void SendPercent(int32_t percent);
    void SendText(const std::wstring& text, int32_t code);

    // Body of the QMSL text callback: texts of the engine's own connections
    // become reports, upload sizes become percentages.
    void OnQmslText(void* handle, const char* text, uint16_t length);

    // Closes each set handle and clears it: normal, Sahara, FireHose,
    // download-mode.
    void DisconnectAll();

    // The serial part of the phone reset, for when QMSL cannot reset it: the
    // Sahara reset packet over the engine's COM port. 1 sent; 0 when the port
    // cannot be opened or every write failed. Sends no report of its own.
    int32_t SendSaharaReset();

    // Phone discovery. ClassifyDevice answers a PhoneMode (PHONE_NONE when no
    // phone) and the port's COM number; it stores the port's instance id and
    // tail for the disk and ADB look-ups.
    int32_t ClassifyDevice(int32_t& comPortOut);
    bool GetParentIdPrefix(std::wstring& prefix) const;
    bool FindQcomDisk(std::wstring& devicePath) const;
    // Polls ClassifyDevice until a phone shows, the user stops or the search
    // time-out passes; 1 found (mode and COM port stored), else 0.
    int32_t SearchDevices();

    // Over the phone's Android USB interface (QcomDownloaderAdb.cpp). The AP
    // version property read over ADB (at most 127 characters); 1 only when
    // it holds "_T".
    int32_t GetAPSWVersion(std::string& version);
    // ADB reboot into the boot loader, then fastboot erase of sbl1 and
    // reboot, after which the phone can start only in emergency download
    // mode; 1 when that was reached.
    int32_t RebootToEdlByFastBoot();

    // The eMMC writer (QcomDownloaderDisk.cpp): the package written straight
    // onto the phone's USB disk in download mode, then the patch list applied.
    bool DownloadDisk();
    // Deletes the drive layout, then updates the disk's properties.
    bool WipeDiskLayout(HANDLE disk);
    // NUM_DISK_SECTORS (disk bytes / 512), 0 on failure.
    uint32_t GetDriveGeometry(HANDLE disk);
    bool DownloadRawProgram(HANDLE disk);
    // A sector count of 0 means no limit on the image's size.
    bool WriteFileToDisk(const std::wstring& imagePath, HANDLE disk, uint64_t startSector, uint64_t sectorCount);
    // The CRC the expression asks for; none when it is malformed or its bytes
    // cannot be read (a CRC of 0 is a value like any other).
    std::optional<uint64_t> EvalCrc32Expression(HANDLE disk, const std::wstring& expression, uint32_t numDiskSectors);
    // CRC-32 over every crcSampleStep-th byte.
    uint32_t Crc32(uint32_t length, const uint8_t* bytes) const;
    bool WriteDisk(HANDLE disk, uint64_t sector, uint64_t offset, const void* buffer, uint32_t length);
    bool ReadDisk(void* buffer, HANDLE disk, uint64_t sector, uint64_t offset, uint32_t length);
    bool SetFileSeek(HANDLE disk, uint64_t offset);

    // Download flows. Connecting by mode and the version check
    // (QcomDownloaderConnect.cpp): the QMSL connection that fits the phone
    // mode; the phone's stripped AP version (at most kPhoneVersionChars), ""
    // when the phone is not in normal mode.
    int32_t ConnectPhone();
    int32_t CheckPhoneVersion(std::string& version);
    // The flow of the package's download type (QcomDownloaderFlows.cpp).
    int32_t StartDownload();
    int32_t FireHoseDownload();
    int32_t SaharaDownload();
    int32_t AutoDownload();
    // Steps that bring the phone into the mode a flow needs
    // (QcomDownloaderModes.cpp).
    int32_t SetPhoneToEdl();
    int32_t SetPhoneToEdlWithFallback();
    int32_t SetPhoneToDownloadMode();
    int32_t SetEdlFromDownload();
    int32_t FlashProgrammerSahara();
    int32_t ResetPhone();
    // One QMSL call each, with their retries (QcomDownloaderSteps.cpp).
    int32_t ConnectSahara();
    int32_t ConnectFireHose();
    int32_t PingFireHose();
    int32_t ConfigureFireHose();
    int32_t UploadImages();
    int32_t ResetFireHose();
    int32_t SwitchToEdl();
    int32_t SwitchToDownloadMode();
    int32_t DLoadReset();
    // NV item 9002, the AP version (at most kNvVersionBytes characters).
    int32_t ReadNvVersion(std::string& version);

    // Installed by the owner; texts QMSL sends through it reach OnQmslText.
    QmslTextCallback textCallback = nullptr;
    int32_t normalHandle = 0;    // diagnostics connection (and after the Sahara programmer)
    int32_t downloadHandle = 0;  // diagnostics port while the phone is in PHONE_DOWNLOAD
    int32_t saharaHandle = 0;
    int32_t fireHoseHandle = 0;
    std::atomic<int32_t> quitFlag{0};  // 1 ends the progress thread
    CScopedHandle progressEvent;       // auto-reset; wakes the progress thread
    // The owner's run flag: 0 there means the user stopped; null: never stopped.
    const int32_t* runFlag = nullptr;
    std::atomic<int32_t> progressActive{0};  // 1 while a QMSL image upload runs
    std::wstring totalTimeText;              // last "Total Time: ..." from QMSL
    std::wstring throughputText;             // last "Throughput: ..." from QMSL
    double diskMbWritten = 0;                // verified on the disk by the direct writer
    int32_t crcSampleStep = 0;               // stride of the sampled CRC-32
    int32_t comPort = 0;
    int32_t phoneMode = PHONE_NONE;
    std::wstring portInstanceTail;  // diagnostics port's id, last part, cut at its last "&"
    std::wstring portInstanceId;
    QcomConfigBlock settings{};
    ImageTable images{};
    double qmslMbUploaded = 0;  // "Program Size:" values of the current upload
    ReportCallback reportCallback = nullptr;
    std::atomic<int32_t> progressPercent{0};
    // The disk's device requests: the real ones unless a test puts in the
    // simulated phone's.
    std::unique_ptr<IDiskControl> diskControl = MakeSystemDiskControl();
    DWORD stopWaitMs = kDefaultStopWaitMs;

private:
    // What the engine and its progress thread share beyond the engine's
    // life: the thread holds the mutex whenever it touches the engine (not
    // while it waits or runs the owner's callback), and leaves without
    // touching it once the engine is marked gone.
    struct EstimatorLink {
        std::mutex mutex;
        bool engineGone = false;
        CQcomDownloader* engine = nullptr;
    };
    using EstimatorHold = std::unique_lock<std::mutex>;
    struct FireHoseFlowStyle;

    // The body the FireHose and automatic flows share.
    int32_t RunFireHoseFlow(const FireHoseFlowStyle& style);
    // The FireHose programmer's path; false when no candidate exists.
    bool FindFireHoseProgrammer(bool inProgramFolderToo, std::string& path) const;
    // A phone in emergency download mode needs the Sahara programmer and the
    // msimage program; false after the missing one's text. Other modes need
    // neither.
    bool SaharaFilesPresent();
    // The common part of both ways into emergency download mode.
    int32_t SetPhoneToEdlBy(bool withFallback);
    // A normal phone into emergency download mode by QMSL, else fastboot,
    // else through download mode.
    int32_t SwitchNormalPhoneToEdl();
    // ConnectPhone after the phone changed mode, with its texts; 1 connected.
    int32_t ReconnectPhone();
    // Up to kModeSearchTries searches; 1 as soon as one finds the phone in
    // the mode. Sends no text of its own beyond the searches'.
    int32_t SearchForMode(int32_t mode);
    // SearchForMode, with "Can't Find Devices!" when the mode never showed.
    int32_t WaitForMode(int32_t mode);
    // The Android USB interface of the phone, its path sent as a detail;
    // false (with its failure text) when there is none.
    bool FindAdbDevice(std::wstring& path);
    // Stores and sends the step percentage.
    void SetPercent(int32_t percent);
    // Sleeps, cut short by RequestStop.
    void Pause(DWORD ms) const;

    static DWORD WINAPI ProgressThreadProc(void* link);
    void RunProgressEstimator(EstimatorHold& hold, const EstimatorLink& link);
    // The owner's run flag is set and reads 0: the user stopped.
    bool RunFlagCleared() const;
    // Steps the percentage once per period while the upload runs.
    // False when the engine went while the thread let go of it.
    bool StepProgress(DWORD periodMs, EstimatorHold& hold, const EstimatorLink& link);

    CScopedHandle stopEvent_;  // set by Stop: cuts the estimator's pause short
    CScopedHandle progressThread_;
    std::shared_ptr<EstimatorLink> estimatorLink_ = std::make_shared<EstimatorLink>();
};

// Percentage of an upload: MB done over total MB times 96 plus 4, kept in
// 4..100 (a total of 0 MB counts as done).
int32_t UploadPercent(double doneMb, double totalMb);

// Step period of the progress estimator: one point per 1/96 of the time the
// images take at 5 MB/s.
DWORD ProgressStepMs(double totalMb);

// What of a text fits one of the engine's 260-character fields.
std::wstring FitEngineText(std::wstring text);

// A fixed-size narrow text field as a terminated text: a field that fills
// its whole size must not make a reader run past it.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// Last back-slash component of a device instance id, cut at its last "&".
std::wstring InstanceIdTail(const std::wstring& instanceId);

// The Android USB interface of the phone's own USB device (same instance tail
// as its diagnostics port).
bool FindAdbInterfacePath(std::wstring& devicePath, const CQcomDownloader& engine);
// The first Android USB interface present, whatever device it belongs to.
bool FindFirstAdbInterfacePath(std::wstring& devicePath);

// Capacity of the owner's version buffer, terminator included: the stripped
// version holds at most kPhoneVersionChars characters.
constexpr size_t kPhoneVersionBytes = 128;
constexpr size_t kPhoneVersionChars = kPhoneVersionBytes - 1;
// The NV item's buffer; its text need not be terminated inside it.
constexpr size_t kNvVersionBytes = 128;
// The raw version is worked on in a 260-byte buffer.
constexpr size_t kRawVersionChars = 259;
// Searches of one wait for a phone mode.
constexpr int kModeSearchTries = 50;

// The model key in a phone's version text: the text after the first "AP:",
// cut at its first blank, then cut at the last "_T", "_CMCC", "_CTA",
// "_TASTE", "_platform" and "_NAVI" in that order (never at the first
// character).
std::string StripVersionSuffixA(const std::string& text);

// True when the file-status query of the path succeeds.
bool FileExists(const std::wstring& path);
bool FileExistsA(const std::string& path);

// A file of the package by the package look-up rule (LookUpPackageFile), in
// the narrow texts QMSL takes; paths of 260 characters or more, which QMSL's
// path buffers cannot hold, count as missing. False with the last path tried.
bool FindPackageFileA(const std::string& folder, const std::string& name, std::string& path);
