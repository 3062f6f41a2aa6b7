// Phone discovery through the real SetupAPI calls against the simulated
// phone's device nodes in the test's Wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "EngineTestSupport.h"
#include "TextFormat.h"

namespace {

class DiscoveryTest : public SimPhoneTest {
protected:
    void SetUp() override {
        SimPhoneTest::SetUp();
        engine_ = MakeEngine();
        engine_->settings.timeOut = 0;  // one or two polls when nothing shows
        engine_->runFlag = &runFlag_;
    }
    void TearDown() override {
        engine_.reset();
        SimPhoneTest::TearDown();
    }

    int32_t Classify() {
        int32_t port = -1;
        const int32_t mode = engine_->ClassifyDevice(port);
        classifiedPort_ = port;
        return mode;
    }

    ReportRecorder recorder_;
    int32_t runFlag_ = 1;
    int32_t classifiedPort_ = -1;
    std::unique_ptr<CQcomDownloader> engine_;
};

TEST_F(DiscoveryTest, FindsEachModeWithItsPort) {
    struct Case {
        SimPhoneMode mode;
        int32_t phoneMode;
        int32_t comPort;
    };
    const Case cases[] = {
        {SimPhoneMode::Normal, PHONE_NORMAL, 5},
        {SimPhoneMode::Download, PHONE_DOWNLOAD, 5},
        {SimPhoneMode::EmergencyDownload, PHONE_EMPTY, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(SimPhoneModeName(c.mode));
        ASSERT_TRUE(Phone().SetMode(c.mode));
        recorder_.Clear();
        engine_->phoneMode = PHONE_NONE;
        engine_->comPort = 0;
        ASSERT_EQ(1, engine_->SearchDevices());
        EXPECT_EQ(c.phoneMode, engine_->phoneMode);
        EXPECT_EQ(c.comPort, engine_->comPort);
        const std::vector<std::wstring> details = recorder_.Texts(MSG_DETAIL);
        ASSERT_EQ(2u, details.size());
        EXPECT_EQ(L"SearchDevices", details[0]);
        EXPECT_EQ(L"SearchDevices_Success", details[1]);
        EXPECT_EQ(std::vector<std::wstring>{L"Watting for Phone ...[0 s]"}, recorder_.Texts(MSG_PROGRESS_LINE));
    }
}

TEST_F(DiscoveryTest, FastbootAndOffShowNoPhone) {
    for (SimPhoneMode mode : {SimPhoneMode::Fastboot, SimPhoneMode::Off}) {
        SCOPED_TRACE(SimPhoneModeName(mode));
        ASSERT_TRUE(Phone().SetMode(mode));
        EXPECT_EQ(PHONE_NONE, Classify());
        EXPECT_EQ(0, engine_->SearchDevices());
    }
}

TEST_F(DiscoveryTest, DiagnosticsPortStoresItsInstanceIdAndTail) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    ASSERT_EQ(PHONE_NORMAL, Classify());
    const SimPhoneIdentity identity = Phone().Identity();
    EXPECT_EQ(identity.diagnosticsId, engine_->portInstanceId);
    EXPECT_EQ(L"7&2B3C4D51&0", engine_->portInstanceTail);
}

TEST_F(DiscoveryTest, ModeFollowsTheSwitchesOfThePhone) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    EXPECT_EQ(PHONE_NORMAL, Classify());
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    EXPECT_EQ(PHONE_DOWNLOAD, Classify());
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::EmergencyDownload));
    EXPECT_EQ(PHONE_EMPTY, Classify());
    EXPECT_EQ(7, classifiedPort_);
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Off));
    EXPECT_EQ(PHONE_NONE, Classify());
}

// Wine lists the Ports class by instance id: phone 1's diagnostics port
// (…&MI_00\7&2B3C4D51…) before phone 2's (…\7&2B3C4D52…), and any loader port
// (PID_9008) before both.
TEST_F(DiscoveryTest, TwoPhonesTheFirstPortInTheListWins) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    ASSERT_TRUE(SecondPhone().SetMode(SimPhoneMode::Normal));
    EXPECT_EQ(PHONE_NORMAL, Classify());
    EXPECT_EQ(5, classifiedPort_);

    // A loader port earlier in the list decides, whatever the other phone is.
    ASSERT_TRUE(SecondPhone().SetMode(SimPhoneMode::EmergencyDownload));
    EXPECT_EQ(PHONE_EMPTY, Classify());
    EXPECT_EQ(17, classifiedPort_);
}

TEST_F(DiscoveryTest, AnotherPhonesDiskDoesNotMakeDownloadMode) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    ASSERT_TRUE(SecondPhone().SetMode(SimPhoneMode::Download));
    // Phone 1's port comes first; phone 2's disk has another parent prefix.
    EXPECT_EQ(PHONE_NORMAL, Classify());
    EXPECT_EQ(5, classifiedPort_);
}

TEST_F(DiscoveryTest, LoaderNameWithoutComIsSkipped) {
    PlugExtraPort(L"USB\\VID_05C6&PID_9000\\5&AAAA&0&1", L"Qualcomm HS-USB QDLoader 9008", L"");
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    EXPECT_EQ(PHONE_NORMAL, Classify());
    EXPECT_EQ(5, classifiedPort_);
}

TEST_F(DiscoveryTest, NameFallsBackToTheDeviceDescription) {
    PlugExtraPort(L"USB\\VID_05C6&PID_9000\\5&BBBB&0&1", L"", L"qualcomm qdloader port (com9)");
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    EXPECT_EQ(PHONE_EMPTY, Classify());
    EXPECT_EQ(9, classifiedPort_);
}

TEST_F(DiscoveryTest, PortsWithoutAnyNameAndOtherPortsAreSkipped) {
    PlugExtraPort(L"USB\\VID_05C6&PID_9000\\5&CCCC&0&1", L"", L"");
    PlugExtraPort(L"USB\\VID_1234&PID_0001\\5&DDDD&0&1", L"USB Serial Port (COM3)", L"");
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::EmergencyDownload));
    EXPECT_EQ(PHONE_EMPTY, Classify());
    EXPECT_EQ(7, classifiedPort_);
}

TEST_F(DiscoveryTest, OnlyUsbPortsAreListed) {
    PlugExtraPort(L"ACPI\\PNP0501\\1", L"Qualcomm HS-USB QDLoader 9008 (COM1)", L"");
    EXPECT_EQ(PHONE_NONE, Classify());
}

TEST_F(DiscoveryTest, ParentIdPrefixIsReadFromInterface14) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    ASSERT_EQ(PHONE_DOWNLOAD, Classify());
    std::wstring prefix;
    ASSERT_TRUE(engine_->GetParentIdPrefix(prefix));
    EXPECT_EQ(L"8&1A2B3C41&0", prefix);
}

TEST_F(DiscoveryTest, ParentIdPrefixNeedsAnInterfaceIdAndAValue) {
    std::wstring prefix = L"unchanged";
    engine_->portInstanceId = L"USB\\VID_05C6&PID_9008\\6&1234ABC1&0&2";
    EXPECT_FALSE(engine_->GetParentIdPrefix(prefix));
    engine_->portInstanceId = L"USB\\VID_05C6&PID_9091&MI_";  // "MI_" at the very end
    EXPECT_FALSE(engine_->GetParentIdPrefix(prefix));
    engine_->portInstanceId = L"USB\\VID_05C6&PID_9091&MI_00\\7&99&0&0000";  // no such key
    EXPECT_FALSE(engine_->GetParentIdPrefix(prefix));
    EXPECT_EQ(L"unchanged", prefix);
}

TEST_F(DiscoveryTest, DiskPathOpensThePhonesStorage) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    ASSERT_EQ(PHONE_DOWNLOAD, Classify());
    std::wstring path;
    ASSERT_TRUE(engine_->FindQcomDisk(path));
    EXPECT_EQ(0u, path.find(L"\\\\?\\usbstor#disk&ven_qualcomm&prod_mmc_storage")) << path;

    const char marker[] = "storage of phone 1";
    ASSERT_TRUE(Phone().WriteStorage(512 * 7, marker, sizeof(marker)));
    HANDLE disk =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, disk);
    LARGE_INTEGER at;
    at.QuadPart = 512 * 7;
    char read[sizeof(marker)] = {};
    DWORD got = 0;
    EXPECT_TRUE(SetFilePointerEx(disk, at, nullptr, FILE_BEGIN));
    EXPECT_TRUE(ReadFile(disk, read, sizeof(read), &got, nullptr));
    CloseHandle(disk);
    EXPECT_STREQ(marker, read);
}

TEST_F(DiscoveryTest, WithoutPrefixTheFirstQualcommDiskCounts) {
    ASSERT_TRUE(SecondPhone().SetMode(SimPhoneMode::Download));
    // A port id without "MI_" gives no prefix.
    engine_->portInstanceId = L"USB\\VID_05C6&PID_9008\\6&1234ABC1&0&2";
    std::wstring path;
    ASSERT_TRUE(engine_->FindQcomDisk(path));
    EXPECT_NE(std::wstring::npos, path.find(L"8&1a2b3c42&0")) << path;
}

TEST_F(DiscoveryTest, NoDiskWithoutDownloadMode) {
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    ASSERT_EQ(PHONE_NORMAL, Classify());
    std::wstring path;
    EXPECT_FALSE(engine_->FindQcomDisk(path));
}

TEST_F(DiscoveryTest, AdbInterfaceOfThePhonesOwnDevice) {
    ASSERT_TRUE(SecondPhone().SetMode(SimPhoneMode::Normal));
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    ASSERT_EQ(PHONE_NORMAL, Classify());
    std::wstring path;
    ASSERT_TRUE(FindAdbInterfacePath(path, *engine_));
    EXPECT_NE(std::wstring::npos, path.find(L"mi_01#7&2b3c4d51&0&0001")) << path;

    // The engine following phone 2 gets phone 2's interface.
    engine_->portInstanceTail = L"7&2B3C4D52&0";
    ASSERT_TRUE(FindAdbInterfacePath(path, *engine_));
    EXPECT_NE(std::wstring::npos, path.find(L"7&2b3c4d52&0&0001")) << path;

    engine_->portInstanceTail = L"7&FFFFFFFF&0";
    EXPECT_FALSE(FindAdbInterfacePath(path, *engine_));
}

TEST_F(DiscoveryTest, FirstAdbInterfaceFindsTheFastbootDevice) {
    std::wstring path;
    EXPECT_FALSE(FindFirstAdbInterfacePath(path));
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Fastboot));
    ASSERT_TRUE(FindFirstAdbInterfacePath(path));
    EXPECT_NE(std::wstring::npos, path.find(L"vid_18d1&pid_d00d")) << path;
}

TEST_F(DiscoveryTest, TimeOutIsReportedWithTheCountDown) {
    engine_->settings.timeOut = 1;
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(0, engine_->SearchDevices());
    const ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 10000u);  // generous: the count-down lines below tell the polls

    // Five polls 200 ms apart within the first second, then the one that
    // passes it, which may still count 1 s.
    const std::vector<std::wstring> countDown = recorder_.Texts(MSG_PROGRESS_LINE);
    ASSERT_GE(countDown.size(), 5u);
    ASSERT_LE(countDown.size(), 8u);
    EXPECT_EQ(L"Watting for Phone ...[1 s]", countDown.front());
    for (const std::wstring& line : countDown) {
        EXPECT_TRUE(line == L"Watting for Phone ...[1 s]" || line == L"Watting for Phone ...[0 s]") << line;
    }
    EXPECT_EQ(std::vector<std::wstring>{L"Watting for Phone Timeout!"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(L"Watting for Phone Timeout!", recorder_.Reports().back().text);
}

TEST_F(DiscoveryTest, UserStopFollowsTheNextCountDownLine) {
    engine_->settings.timeOut = -1;
    int countDowns = 0;
    recorder_.SetHook([&](const RecordedReport& report) {
        if (report.code == MSG_PROGRESS_LINE && ++countDowns == 3) {
            runFlag_ = 0;
        }
    });
    EXPECT_EQ(0, engine_->SearchDevices());
    recorder_.SetHook(nullptr);
    const std::vector<RecordedReport> reports = recorder_.Reports();
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(L"SearchDevices_UserStop", reports.back().text);
    EXPECT_EQ(MSG_DETAIL, reports.back().code);
    EXPECT_EQ(MSG_PROGRESS_LINE, reports[reports.size() - 2].code);
    EXPECT_EQ(3, countDowns);
    // Waiting without end counts down from -1.
    EXPECT_EQ(L"Watting for Phone ...[-1 s]", recorder_.Texts(MSG_PROGRESS_LINE).front());
}

TEST_F(DiscoveryTest, UserStopIsSeenWithin200Ms) {
    engine_->settings.timeOut = -1;
    std::atomic<ULONGLONG> clearedAt{0};
    std::thread stopper([&] {
        Sleep(450);
        clearedAt = GetTickCount64();
        __atomic_store_n(&runFlag_, 0, __ATOMIC_RELEASE);
    });
    EXPECT_EQ(0, engine_->SearchDevices());
    const ULONGLONG returnedAt = GetTickCount64();
    stopper.join();
    // 200 ms of pause plus one device walk; generous for a loaded machine
    // (without the stop the search would never end).
    EXPECT_LE(returnedAt - clearedAt, 2000u);
    EXPECT_EQ(L"SearchDevices_UserStop", recorder_.Reports().back().text);
}

TEST_F(DiscoveryTest, NoRunFlagMeansNeverStopped) {
    engine_->runFlag = nullptr;
    EXPECT_EQ(0, engine_->SearchDevices());
    EXPECT_EQ(std::vector<std::wstring>{L"Watting for Phone Timeout!"}, recorder_.Texts(MSG_FAILURE));
}

// The phone shows up while the search polls; plugged by the driver program,
// as a test script would.
TEST_F(DiscoveryTest, PhonePluggedByTheDriverDuringTheSearchIsFound) {
    engine_->settings.timeOut = 20;
    std::thread plugger([] {
        Sleep(300);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        std::wstring command = FormatWide(L"\"%S\" mode edl", SIMPHONE_DRIVER_PATH);
        if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    });
    EXPECT_EQ(1, engine_->SearchDevices());
    plugger.join();
    EXPECT_EQ(PHONE_EMPTY, engine_->phoneMode);
    EXPECT_EQ(7, engine_->comPort);
    EXPECT_GT(recorder_.Texts(MSG_PROGRESS_LINE).size(), 1u);
    EXPECT_EQ(SimPhoneMode::EmergencyDownload, Phone().Mode());
}

TEST(InstanceIdTailTest, CutsTheLastComponentAtItsLastAmpersand) {
    EXPECT_EQ(L"7&2B3C4D51&0", InstanceIdTail(L"USB\\VID_05C6&PID_9091&MI_00\\7&2B3C4D51&0&0000"));
    EXPECT_EQ(L"SIMPHONE0001", InstanceIdTail(L"USB\\VID_18D1&PID_D00D\\SIMPHONE0001"));
    EXPECT_EQ(L"", InstanceIdTail(L"USB\\X\\&1"));
    EXPECT_EQ(L"A", InstanceIdTail(L"A&B"));
}

}  // namespace
