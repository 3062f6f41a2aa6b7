// The automatic flow's ways into emergency download mode (QMSL's switch,
// fastboot, download mode), the programmer beside the program, and the
// serial reset when QMSL cannot restart the phone.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "ComPort.h"
#include "DiskTestSupport.h"
#include "FlowTestSupport.h"
#include "TextFormat.h"

namespace {

const wchar_t kProgrammer[] = L"prog_emmc_firehose_8974.mbn";

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return text.compare(0, start.size(), start) == 0;
}

class AutoFlowTest : public FlowTest {
protected:
    void ExpectWholePackageWritten(const std::string& before, bool layoutWiped) {
        EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
        ExpectStorageIs(ExpectedStorage(before, layoutWiped));
        EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3, 4}), StepPercents());
        const std::vector<std::wstring> summaries = recorder_.Texts(MSG_SUMMARY);
        EXPECT_EQ(1, std::count(summaries.begin(), summaries.end(), L"FireHose Ping Phone Success"));
        ASSERT_FALSE(summaries.empty());
        EXPECT_TRUE(StartsWith(summaries.back(), L"Download Success\nTotal Time: "));
    }

    std::string Pattern(uint32_t seed) const { return PatternBytes(static_cast<size_t>(kStorageBytes), seed); }
};

TEST_F(AutoFlowTest, QmslSwitchTakesANormalPhoneToEmergencyDownload) {
    PreparePackage(AutoPackage());
    PlugPhone(SimPhoneMode::Normal);
    const std::string before = Pattern(3);
    WriteStorage(before);

    ASSERT_EQ(1, RunDownload());
    EXPECT_EQ("SampleAuto8974", phoneVersion_);
    ExpectWholePackageWritten(before, false);
    ExpectInOrder({{MSG_DETAIL, L"Start AutoDownload..."},
                   {MSG_DETAIL, L"the Phone in Normal Mode！"},
                   {MSG_DETAIL, L"Retry to SearchDevices..."},
                   {MSG_STEP_OK, L"Connect To Phone Success!"},
                   {MSG_SUMMARY, L"FireHose Ping Phone Success"},
                   {MSG_PROGRESS_LINE, L"Start FlashImage..."}});
    EXPECT_FALSE(HasText(MSG_FALLBACK, L"QLIB_QPHONEMS_SwitchToEDL Fail！"));
    EXPECT_EQ(0u, CountJournalStarting("AdbCreateInterfaceByName"));
}

TEST_F(AutoFlowTest, FastbootTakesOverWhenQmslCannotSwitch) {
    PreparePackage(AutoPackage());
    PlugPhone(SimPhoneMode::Normal);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseEdlSwitch));
    const std::string before = Pattern(4);
    WriteStorage(before);

    ASSERT_EQ(1, RunDownload());
    ExpectWholePackageWritten(before, false);
    ExpectInOrder({{MSG_DETAIL, L"the Phone in Normal Mode！"},
                   {MSG_FALLBACK, L"QLIB_QPHONEMS_SwitchToEDL Fail！"},
                   {MSG_PROGRESS_LINE, L"ADB reboot to FastBoot..."},
                   {MSG_SUMMARY, L"FastBoot Erase Sbl1 Success !"},
                   {MSG_STEP_OK, L"FastBoot Reboot Success !"},
                   {MSG_DETAIL, L"Retry to SearchDevices..."},
                   {MSG_STEP_OK, L"Connect To Phone Success!"}});
    EXPECT_FALSE(HasText(MSG_FALLBACK, L"Usre ADB Fail！"));
    // QMSL's switch was tried its five times first.
    EXPECT_EQ(5u, CountJournalStarting("QLIB_QPHONEMS_SwitchToEDL"));
    EXPECT_EQ(1u, CountJournalStarting("fastboot erase:sbl1"));
}

TEST_F(AutoFlowTest, DownloadModeRouteWhenQmslAndAdbBothFail) {
    PreparePackage(AutoPackage());
    // USB debugging off: the phone shows no ADB interface.
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::AdbOff));
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseEdlSwitch));
    PlugPhone(SimPhoneMode::Normal);
    const std::string before = Pattern(5);
    WriteStorage(before);

    ASSERT_EQ(1, RunDownload());
    ExpectWholePackageWritten(before, true);
    ExpectInOrder({{MSG_FALLBACK, L"QLIB_QPHONEMS_SwitchToEDL Fail！"},
                   {MSG_FAILURE, L"Get ADB Devices Name Failed!"},
                   {MSG_FALLBACK, L"Usre ADB Fail！"},
                   {MSG_DETAIL, L"Retry to SearchDevices... "},
                   {MSG_DETAIL, L"Connect To Phone..."},
                   {MSG_DETAIL, L"PHONE_DOWNLOAD Connectting..."},
                   {MSG_DETAIL, L"Set the Phone in Download Mode...."},
                   {MSG_PROGRESS_LINE, L"Set the phone mode to EDL  From Download..."},
                   {MSG_STEP_OK, L"Wipe Disk SUCCESS!"},
                   {MSG_PROGRESS_LINE, L"Reboot ...."},
                   {MSG_DETAIL, L"Retry to SearchDevices..."},
                   {MSG_STEP_OK, L"Connect To Phone Success!"}});
    EXPECT_EQ(1u, CountJournalStarting("QLIB_QPHONEMS_SwitchToDownloadMode_OptionalValidation"));
    EXPECT_EQ(1u, CountJournalStarting("QLIB_QPHONEMS_DLoad_Reset"));
}

TEST_F(AutoFlowTest, EveryRouteFailingEndsTheFlowBeforeTheProgrammer) {
    PreparePackage(AutoPackage());
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::AdbOff));
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseEdlSwitch));
    PlugPhone(SimPhoneMode::Normal);
    // The switch to download mode needs a live connection: gone, it fails.
    ASSERT_EQ(1, engine_->SearchDevices());
    ASSERT_EQ(1, engine_->ConnectPhone());
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::Timeout));

    EXPECT_EQ(0, engine_->StartDownload());
    ExpectInOrder({{MSG_FALLBACK, L"Usre ADB Fail！"}, {MSG_FAILURE, L"Set the Phone to Download Mode Fail！"}});
    EXPECT_FALSE(HasText(MSG_PROGRESS_LINE, L"Flash Programmer File..."));
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
}

TEST_F(AutoFlowTest, ProgrammerBesideTheProgramServesAPackageWithoutOne) {
    PreparePackage(AutoPackage(false));
    PlugPhone(SimPhoneMode::EmergencyDownload);

    // None anywhere: the automatic flow names the one it looked for.
    ASSERT_EQ(0, RunDownload());
    EXPECT_TRUE(HasText(MSG_FAILURE, FormatWide(L"Can't Finded %s", kProgrammer)));
    EXPECT_EQ(0u, CountJournalStarting("QLIB_QPHONEMS_Sahara_FlashProgrammer"));

    const std::wstring folder = ProgramFolder() + L"\\FireHoseMPRG";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    const std::wstring programmer = folder + L"\\" + kProgrammer;
    ASSERT_TRUE(CopyFileW(FireHoseProgrammerSample().c_str(), programmer.c_str(), FALSE));
    recorder_.Clear();
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::EmergencyDownload));

    const int32_t result = RunDownload();
    RemoveFolderTree(folder);
    ASSERT_EQ(1, result);
    EXPECT_TRUE(HasText(MSG_PROGRESS_LINE, L"Programmer File: " + programmer));
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
}

// The phone's diagnostics port as a plain file: the reset packet the engine
// sends there can be read back. A watcher plays the phone: once the packet is
// there, the phone restarts.
class SerialResetFlowTest : public FlowTest {
protected:
    void TearDown() override {
        if (watcher_.joinable()) {
            watcher_.join();
        }
        DeleteFileW(PortFile().c_str());
        FlowTest::TearDown();
    }

    std::wstring PortFile() const {
        wchar_t prefix[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
        EXPECT_TRUE(length > 0 && length < MAX_PATH);
        // "com1".."com9" name devices in any folder; the "\\?\" form takes
        // the name as it stands.
        std::wstring path = std::wstring(L"\\\\?\\Z:") + prefix + L"\\dosdevices\\com" +
                            std::to_wstring(phone_->Identity().diagnosticsCom);
        std::replace(path.begin(), path.end(), L'/', L'\\');
        return path;
    }

    // Restarts the phone when the reset packet lands in the port's file.
    void WatchPort() {
        ASSERT_TRUE(WriteBytes(PortFile(), ""));
        const std::wstring port = PortFile();
        const std::wstring phoneFolder = Phone().Folder();
        std::atomic<bool>* reset = &resetSeen_;
        watcher_ = std::thread([port, phoneFolder, reset] {
            const std::string packet(reinterpret_cast<const char*>(kSaharaResetPacket), sizeof(kSaharaResetPacket));
            const ULONGLONG start = GetTickCount64();
            while (GetTickCount64() - start < 20000) {
                // The engine opens the port unshared: look only once the
                // packet's bytes are there, so the watcher never holds the
                // file while the engine opens it.
                WIN32_FILE_ATTRIBUTE_DATA data = {};
                if (!GetFileAttributesExW(port.c_str(), GetFileExInfoStandard, &data) ||
                    data.nFileSizeLow < packet.size()) {
                    Sleep(10);
                    continue;
                }
                HANDLE file = CreateFileW(port.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
                if (file != INVALID_HANDLE_VALUE) {
                    char bytes[16] = {};
                    DWORD got = 0;
                    ReadFile(file, bytes, sizeof(bytes), &got, nullptr);
                    CloseHandle(file);
                    if (std::string(bytes, got).find(packet) == 0) {
                        *reset = true;
                        SimPhone(phoneFolder).Boot();
                        return;
                    }
                }
                Sleep(10);
            }
        });
    }

    std::atomic<bool> resetSeen_{false};
    std::thread watcher_;
};

TEST_F(SerialResetFlowTest, SaharaRestartsThePhoneOverItsPortWhenQmslCannot) {
    PreparePackage(CopyPackage(L"SampleSH8x26"));
    PlugPhone(SimPhoneMode::Download);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseReset));
    WatchPort();

    ASSERT_EQ(1, RunDownload());
    watcher_.join();
    EXPECT_TRUE(resetSeen_);
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
    ExpectStorageIs(ExpectedStorage(std::string(static_cast<size_t>(kStorageBytes), '\0'), true));
    ExpectInOrder({{MSG_DETAIL, L"Reboot the Phone...."}, {MSG_FALLBACK, L"QLIB_QPHONEMS_DLoad_Reset Fail!"}});
    EXPECT_EQ(1u, recorder_.Texts(MSG_SUMMARY).size());
    EXPECT_EQ(5u, CountJournalStarting("QLIB_QPHONEMS_DLoad_Reset"));
    // The QMSL connection was closed so the port was free.
    EXPECT_EQ(0, engine_->downloadHandle);
}

TEST_F(SerialResetFlowTest, NoPortToResetOnFailsTheDownload) {
    PreparePackage(CopyPackage(L"SampleSH8x26"));
    PlugPhone(SimPhoneMode::Download);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseReset));

    EXPECT_EQ(0, RunDownload());
    ExpectInOrder({{MSG_FALLBACK, L"QLIB_QPHONEMS_DLoad_Reset Fail!"}, {MSG_FAILURE, L"Reboot Phone Faile!"}});
    EXPECT_TRUE(recorder_.Texts(MSG_SUMMARY).empty());
    EXPECT_EQ(SimPhoneMode::Download, Phone().Mode());
}

}  // namespace
