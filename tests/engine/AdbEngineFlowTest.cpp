// The engine's two operations over the Android USB interface, from discovery
// to the phone's new mode, with their reports.
#include <gtest/gtest.h>

#include "AdbComm.h"
#include "AdbTestSupport.h"
#include "SimAndroidUsb.h"

namespace {

using Reports = std::vector<std::pair<int32_t, std::wstring>>;

class AdbVersionTest : public AdbPhoneTest {};

TEST_F(AdbVersionTest, ReadsTheVersionPropertyOfThePhoneFound) {
    PlugNormalPhone();
    std::string version;
    ASSERT_EQ(1, engine_->GetAPSWVersion(version));
    EXPECT_EQ(std::string(kVersion) + "\n", version);
    std::wstring path;
    ASSERT_TRUE(FindAdbInterfacePath(path, *engine_));
    EXPECT_EQ((Reports{{MSG_PROGRESS_LINE, L"Get ADB Devices Name..."}, {MSG_DETAIL, path}}), TextReports());
    // The connection is closed before the operation returns.
    EXPECT_EQ(3u, CountJournalStarting("AdbCloseHandle"));
}

TEST_F(AdbVersionTest, AVersionWithoutTheTestMarkIsNoVersion) {
    ASSERT_TRUE(Phone().SetVersion("AP:QX_V1.0 build"));
    PlugNormalPhone();
    std::string version = "stale";
    EXPECT_EQ(0, engine_->GetAPSWVersion(version));
    EXPECT_EQ("", version);
    EXPECT_TRUE(recorder_.Texts(MSG_FAILURE).empty());
    EXPECT_EQ(3u, CountJournalStarting("AdbCloseHandle"));
}

TEST_F(AdbVersionTest, ALongVersionIsCutToTheBuffer) {
    ASSERT_TRUE(Phone().SetVersion("AP:QX_V2.0_T03_" + std::string(400, 'v')));
    PlugNormalPhone();
    std::string version;
    ASSERT_EQ(1, engine_->GetAPSWVersion(version));
    EXPECT_EQ(kAdbAnswerMaxChars, version.size());
    EXPECT_EQ(0u, version.find("AP:QX_V2.0_T03_vvv"));
}

TEST_F(AdbVersionTest, NoAndroidInterfaceOfThePhone) {
    // In download mode the phone shows its port but no Android interface.
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    ASSERT_EQ(1, engine_->SearchDevices());
    recorder_.Clear();
    std::string version = "stale";
    EXPECT_EQ(0, engine_->GetAPSWVersion(version));
    EXPECT_EQ("", version);
    EXPECT_EQ(
        (Reports{{MSG_PROGRESS_LINE, L"Get ADB Devices Name..."}, {MSG_FAILURE, L"Get ADB Devices Name Failed!"}}),
        TextReports());
    EXPECT_EQ(0u, CountJournalStarting("AdbCreateInterfaceByName"));
}

TEST_F(AdbVersionTest, AnotherPhonesInterfaceIsNotTaken) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    ASSERT_EQ(1, engine_->SearchDevices());
    ASSERT_TRUE(SecondPhone().SetMode(SimPhoneMode::Normal));
    recorder_.Clear();
    std::string version;
    EXPECT_EQ(0, engine_->GetAPSWVersion(version));
    EXPECT_EQ(std::vector<std::wstring>{L"Get ADB Devices Name Failed!"}, recorder_.Texts(MSG_FAILURE));
}

TEST_F(AdbVersionTest, AConnectionThatCannotBeMade) {
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::AdbNoConnect));
    PlugNormalPhone();
    std::string version;
    EXPECT_EQ(0, engine_->GetAPSWVersion(version));
    EXPECT_EQ(std::vector<std::wstring>{L"Open ADB Devices Failed!"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(3u, CountJournalStarting("AdbCloseHandle"));
}

TEST_F(AdbVersionTest, APropertyThatCannotBeRead) {
    PlugNormalPhone();
    // Once connected (the identity read, whose result line says what it
    // asked for, ends the exchange), the phone stops answering.
    SimPhone& phone = Phone();
    debug_.SetHook([&phone](const std::wstring& line) {
        if (line.find(L"expected: 32,") != std::wstring::npos) {
            phone.AddFault(SimPhoneFault::AdbReadTimeout);
        }
    });
    std::string version = "stale";
    EXPECT_EQ(0, engine_->GetAPSWVersion(version));
    EXPECT_EQ("", version);
    EXPECT_EQ(1u, CountJournal("adb OPEN 2 shell:getprop ro.qx.qxznvernumber"));
    EXPECT_EQ(std::vector<std::wstring>{L"ADB GetAPSWVersion Fail!"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(3u, CountJournalStarting("AdbCloseHandle"));
}

class FastBootEdlTest : public AdbPhoneTest {
protected:
    // A phone that would start normally again if its boot loader stayed.
    void SetUp() override {
        AdbPhoneTest::SetUp();
        WritePartitionTable();
        PlugNormalPhone();
    }

    // Acts on the phone when the engine sends the given report.
    void OnReport(int32_t code, const std::wstring& text, std::function<void()> action) {
        hooks_.push_back(Hook{code, text, std::move(action)});
        recorder_.SetHook([this](const RecordedReport& report) {
            for (const Hook& hook : hooks_) {
                if (hook.code == report.code && hook.text == report.text) {
                    hook.action();
                }
            }
        });
    }

    std::wstring AdbInterfacePath() const {
        std::wstring path;
        EXPECT_TRUE(FindAdbInterfacePath(path, *engine_));
        return path;
    }

    struct Hook {
        int32_t code;
        std::wstring text;
        std::function<void()> action;
    };
    std::vector<Hook> hooks_;
};

TEST_F(FastBootEdlTest, ErasesTheBootLoaderAndRebootsIntoEmergencyDownload) {
    const std::wstring adbPath = AdbInterfacePath();
    ASSERT_EQ(1, engine_->RebootToEdlByFastBoot());
    EXPECT_EQ(SimPhoneMode::EmergencyDownload, Phone().Mode());
    std::wstring fastbootPath = FastbootPath();
    const Reports reports = TextReports();
    ASSERT_EQ(8u, reports.size());
    EXPECT_EQ((Reports{{MSG_PROGRESS_LINE, L"Get ADB Devices Name..."},
                       {MSG_DETAIL, adbPath},
                       {MSG_PROGRESS_LINE, L"ADB reboot to FastBoot..."}}),
              Reports(reports.begin(), reports.begin() + 3));
    EXPECT_EQ(MSG_DETAIL, reports[3].first);
    EXPECT_EQ(0, lstrcmpiW(fastbootPath.c_str(), reports[3].second.c_str()));
    EXPECT_EQ((Reports{{MSG_PROGRESS_LINE, L"FastBoot Erase Sbl1 ..."},
                       {MSG_SUMMARY, L"FastBoot Erase Sbl1 Success !"},
                       {MSG_DETAIL, L"FastBoot Reboot..."},
                       {MSG_STEP_OK, L"FastBoot Reboot Success !"}}),
              Reports(reports.begin() + 4, reports.end()));
    EXPECT_EQ(1u, CountJournal("adb OPEN 2 reboot:bootloader"));
    EXPECT_EQ(1u, CountJournal("fastboot erase:sbl1"));
    EXPECT_EQ(1u, CountJournal("fastboot reboot"));
    // Both connections are closed.
    EXPECT_EQ(2u, CountJournal("AdbCloseHandle interface"));
    EXPECT_EQ(6u, CountJournalStarting("AdbCloseHandle"));
}

TEST_F(FastBootEdlTest, NoAndroidInterface) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Off));
    EXPECT_EQ(0, engine_->RebootToEdlByFastBoot());
    EXPECT_EQ(
        (Reports{{MSG_PROGRESS_LINE, L"Get ADB Devices Name..."}, {MSG_FAILURE, L"Get ADB Devices Name Failed!"}}),
        TextReports());
}

TEST_F(FastBootEdlTest, AnAdbConnectionThatCannotBeMade) {
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::AdbNoConnect));
    EXPECT_EQ(0, engine_->RebootToEdlByFastBoot());
    EXPECT_EQ(std::vector<std::wstring>{L"Open ADB Devices Failed !"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
    EXPECT_EQ(3u, CountJournalStarting("AdbCloseHandle"));
}

TEST_F(FastBootEdlTest, AFailedRebootRequestStillWaitsForThePhone) {
    // The phone takes the request and reboots, but its OKAY never arrives.
    SimPhone& phone = Phone();
    OnReport(MSG_PROGRESS_LINE, L"ADB reboot to FastBoot...",
             [&phone] { phone.AddFault(SimPhoneFault::AdbReadTimeout); });
    OnReport(MSG_FALLBACK, L"ADB reboot to FastBoot Failed !", [&phone] { phone.ClearFaults(); });
    EXPECT_EQ(1, engine_->RebootToEdlByFastBoot());
    EXPECT_EQ(std::vector<std::wstring>{L"ADB reboot to FastBoot Failed !"}, recorder_.Texts(MSG_FALLBACK));
    EXPECT_EQ(std::vector<std::wstring>{L"FastBoot Reboot Success !"}, recorder_.Texts(MSG_STEP_OK));
    EXPECT_EQ(SimPhoneMode::EmergencyDownload, Phone().Mode());
}

TEST_F(FastBootEdlTest, AnAdbInterfaceThatStaysMeansNoReboot) {
    // The request fails and the phone comes back in normal mode.
    SimPhone& phone = Phone();
    OnReport(MSG_PROGRESS_LINE, L"ADB reboot to FastBoot...",
             [&phone] { phone.AddFault(SimPhoneFault::AdbReadTimeout); });
    OnReport(MSG_FALLBACK, L"ADB reboot to FastBoot Failed !", [&phone] {
        phone.ClearFaults();
        phone.SetMode(SimPhoneMode::Normal);
    });
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(0, engine_->RebootToEdlByFastBoot());
    // 100 looks, 200 ms apart.
    EXPECT_GE(GetTickCount64() - start, 19000u);
    EXPECT_EQ(std::vector<std::wstring>{L"ADB reboot to FastBoot Failed !"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(0u, CountJournalStarting("fastboot"));
}

TEST_F(FastBootEdlTest, AFastbootDeviceThatNeverShows) {
    SimPhone& phone = Phone();
    OnReport(MSG_PROGRESS_LINE, L"ADB reboot to FastBoot...",
             [&phone] { phone.AddFault(SimPhoneFault::AdbReadTimeout); });
    OnReport(MSG_FALLBACK, L"ADB reboot to FastBoot Failed !", [&phone] {
        phone.ClearFaults();
        phone.SetMode(SimPhoneMode::Off);
    });
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(0, engine_->RebootToEdlByFastBoot());
    // 100 looks, 500 ms apart.
    EXPECT_GE(GetTickCount64() - start, 49000u);
    EXPECT_EQ(std::vector<std::wstring>{L"Can't Fined FastBoot Device!"}, recorder_.Texts(MSG_FAILURE));
}

TEST_F(FastBootEdlTest, AFastbootDeviceThatCannotBeOpened) {
    // The phone leaves just as its boot loader's path is reported.
    SimPhone& phone = Phone();
    recorder_.SetHook([&phone](const RecordedReport& report) {
        std::wstring text = report.text;
        CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
        if (report.code == MSG_DETAIL && text.find(L"pid_d00d") != std::wstring::npos) {
            phone.SetMode(SimPhoneMode::Off);
        }
    });
    EXPECT_EQ(0, engine_->RebootToEdlByFastBoot());
    EXPECT_EQ(std::vector<std::wstring>{L"Can't Open the FastBoot Device！"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(0u, CountJournalStarting("fastboot"));
}

TEST_F(FastBootEdlTest, FailAnswersAreNoSuccessAndEveryTryIsMade) {
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::FastbootFail));
    EXPECT_EQ(0, engine_->RebootToEdlByFastBoot());
    EXPECT_EQ(100u, CountJournal("fastboot FAIL erase:sbl1"));
    EXPECT_EQ(5u, CountJournal("fastboot FAIL reboot"));
    EXPECT_TRUE(recorder_.Texts(MSG_SUMMARY).empty());
    EXPECT_TRUE(recorder_.Texts(MSG_STEP_OK).empty());
    EXPECT_EQ((std::vector<std::wstring>{L"FastBoot Erase Sbl1 FAIL !", L"FastBoot Reboot Failed!"}),
              recorder_.Texts(MSG_FAILURE));
    // Not erased: no search for the phone afterwards.
    EXPECT_EQ(3u, recorder_.Texts(MSG_PROGRESS_LINE).size());
    EXPECT_EQ(SimPhoneMode::Fastboot, Phone().Mode());
}

TEST_F(FastBootEdlTest, ARebootWhoseAnswerIsLostIsFoundInEmergencyDownload) {
    // After the erase the phone stops answering; the reboot still happens.
    SimPhone& phone = Phone();
    OnReport(MSG_SUMMARY, L"FastBoot Erase Sbl1 Success !",
             [&phone] { phone.AddFault(SimPhoneFault::AdbReadTimeout); });
    EXPECT_EQ(1, engine_->RebootToEdlByFastBoot());
    EXPECT_EQ(std::vector<std::wstring>{L"FastBoot Reboot Failed!"}, recorder_.Texts(MSG_FAILURE));
    // The phone restarted at the first reboot; later ones found it gone.
    EXPECT_EQ(1u, CountJournal("fastboot reboot"));
    EXPECT_EQ(5u, CountJournal("AdbWriteEndpointSync 6 548"));
    const std::vector<std::wstring> details = recorder_.Texts(MSG_DETAIL);
    ASSERT_FALSE(details.empty());
    EXPECT_EQ(L"SearchDevices_Success", details.back());
    EXPECT_EQ(PHONE_EMPTY, engine_->phoneMode);
}

TEST_F(FastBootEdlTest, ARebootThatFailsAfterTheEraseWithThePhoneNowhere) {
    SimPhone& phone = Phone();
    OnReport(MSG_SUMMARY, L"FastBoot Erase Sbl1 Success !", [&phone] { phone.AddFault(SimPhoneFault::FastbootFail); });
    OnReport(MSG_FAILURE, L"FastBoot Reboot Failed!", [&phone] { phone.SetMode(SimPhoneMode::Off); });
    EXPECT_EQ(0, engine_->RebootToEdlByFastBoot());
    EXPECT_EQ(5u, CountJournal("fastboot FAIL reboot"));
    // One search, which times out.
    EXPECT_EQ((std::vector<std::wstring>{L"FastBoot Reboot Failed!", L"Watting for Phone Timeout!"}),
              recorder_.Texts(MSG_FAILURE));
}

}  // namespace
