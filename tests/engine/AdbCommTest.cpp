// The ADB connection against the Android USB stand-in: the phone's daemon
// drops any message whose magic or data check is wrong, so an answer shows
// that the engine built the message right.
#include <gtest/gtest.h>

#include "AdbComm.h"
#include "AdbTestSupport.h"
#include "TextFormat.h"

namespace {

class AdbCommTest : public AdbPhoneTest {
protected:
    void SetUp() override {
        AdbPhoneTest::SetUp();
        ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
        ASSERT_TRUE(Phone().ClearJournal());
    }

    void Connect() {
        ASSERT_EQ(1, adb_.InitDevices(AdbPath()));
        ASSERT_TRUE(Phone().ClearJournal());
    }

    CAdbComm adb_;
};

TEST_F(AdbCommTest, InitDevicesOpensReadsTheSerialAndConnects) {
    EXPECT_EQ(kAdbInitialLocalId, adb_.localId);
    ASSERT_EQ(1, adb_.InitDevices(AdbPath()));
    EXPECT_EQ(0, adb_.localId);
    EXPECT_STREQ(L"SIMPHONE0001", adb_.serial);
    EXPECT_EQ(WideToAnsi(AdbPath()), adb_.interfaceName);
    // The daemon took the CNXN: version, maximum data and banner as sent.
    EXPECT_EQ(1u, CountJournal("adb CNXN 16777216 4096 host::"));
    EXPECT_EQ(0u, CountJournalStarting("adb drop"));
    EXPECT_EQ(1u, CountJournal("AdbGetSerialNumber 128"));
    EXPECT_EQ(1u, CountJournal("AdbOpenDefaultBulkReadEndpoint 0 0"));
    EXPECT_EQ(1u, CountJournal("AdbOpenDefaultBulkWriteEndpoint 0 0"));
    // Header and banner go as two transfers.
    EXPECT_EQ((std::vector<std::string>{"AdbWriteEndpointSync 24 692", "AdbWriteEndpointSync 7 556"}),
              JournalStarting("AdbWriteEndpointSync"));
    // The CNXN header, then the identity.
    EXPECT_EQ((std::vector<std::string>{"AdbReadEndpointSync 24 692", "AdbReadEndpointSync 32 756"}),
              JournalStarting("AdbReadEndpointSync"));
    const std::vector<std::wstring> serial = debug_.Containing(L"SN:");
    ASSERT_EQ(1u, serial.size());
    EXPECT_EQ(0u, serial[0].find(DebugLinePrefix(L"AdbComm", 49)));
    EXPECT_NE(std::wstring::npos, serial[0].find(L". SN:SIMPHONE0001"));
}

TEST_F(AdbCommTest, GetPropReadsTheVersionProperty) {
    Connect();
    std::string text;
    ASSERT_EQ(1, adb_.GetProp(text));
    EXPECT_EQ(std::string(kVersion) + "\n", text);
    EXPECT_EQ(1u, CountJournal("adb OPEN 2 shell:getprop ro.qx.qxznvernumber"));
    // The host acknowledged the WRTE and answered the phone's CLSE, both with
    // its local id and the phone's stream id.
    EXPECT_EQ(1u, CountJournal("adb OKAY 2 1"));
    EXPECT_EQ(1u, CountJournal("adb CLSE 2 1"));
    EXPECT_EQ(0u, CountJournalStarting("adb drop"));
}

TEST_F(AdbCommTest, EachOpenTakesTheNextLocalId) {
    Connect();
    std::string text;
    ASSERT_EQ(1, adb_.GetProp(text));
    ASSERT_EQ(1, adb_.GetProp(text));
    EXPECT_EQ(std::string(kVersion) + "\n", text);
    EXPECT_EQ((std::vector<std::string>{"adb OPEN 2 shell:getprop ro.qx.qxznvernumber",
                                        "adb OPEN 4 shell:getprop ro.qx.qxznvernumber"}),
              JournalStarting("adb OPEN"));
    EXPECT_EQ(4, adb_.localId);
}

TEST_F(AdbCommTest, ALongAnswerIsCutAndTheStreamStillEnds) {
    // Longer than one WRTE can carry: the phone sends two.
    std::string version = "AP:QX_V9.9_T01_";
    while (version.size() < 5000) {
        version += static_cast<char>('a' + version.size() % 26);
    }
    ASSERT_TRUE(Phone().SetVersion(version));
    Connect();
    std::string text;
    ASSERT_EQ(1, adb_.GetProp(text));
    EXPECT_EQ(kAdbAnswerMaxChars, text.size());
    EXPECT_EQ(version.substr(0, kAdbAnswerMaxChars), text);
    EXPECT_EQ(2u, CountJournalStarting("adb OKAY 2 "));
    EXPECT_EQ(1u, CountJournalStarting("adb CLSE 2 "));

    // The connection stayed in step with the phone.
    ASSERT_TRUE(Phone().SetVersion("AP:QX_V1.1_T02"));
    ASSERT_EQ(1, adb_.GetProp(text));
    EXPECT_EQ("AP:QX_V1.1_T02\n", text);
}

TEST_F(AdbCommTest, AnEmptyPropertyIsAnEmptyLine) {
    ASSERT_TRUE(Phone().SetVersion(""));
    Connect();
    std::string text = "stale";
    ASSERT_EQ(1, adb_.GetProp(text));
    EXPECT_EQ("\n", text);
}

TEST_F(AdbCommTest, RebootBootloaderPutsThePhoneIntoFastboot) {
    Connect();
    ASSERT_EQ(1, adb_.RebootBootloader());
    EXPECT_EQ(1u, CountJournal("adb OPEN 2 reboot:bootloader"));
    EXPECT_EQ(SimPhoneMode::Fastboot, Phone().Mode());
    std::wstring path;
    ASSERT_TRUE(FindFirstAdbInterfacePath(path));
    EXPECT_EQ(0, lstrcmpiW(FastbootPath().c_str(), path.c_str()));
}

TEST_F(AdbCommTest, WithoutACnxnAnswerTheIdentityReadsStillRun) {
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::AdbNoConnect));
    EXPECT_EQ(0, adb_.InitDevices(AdbPath()));
    EXPECT_EQ(1u, CountJournal("adb CNXN unanswered"));
    // 20 header reads, then 20 identity reads, each tried 10 times while it
    // times out.
    EXPECT_EQ(200u, CountJournal("AdbReadEndpointSync 24 692"));
    EXPECT_EQ(200u, CountJournal("AdbReadEndpointSync 32 756"));
    EXPECT_EQ(kAdbInitialLocalId, adb_.localId);
    const std::vector<std::wstring> failed = debug_.Containing(L"InitDevices Fail!");
    ASSERT_EQ(1u, failed.size());
    EXPECT_EQ(0u, failed[0].find(DebugLinePrefix(L"AdbComm", 61)));
}

TEST_F(AdbCommTest, AnOpenWithoutOkayFails) {
    Connect();
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::AdbReadTimeout));
    std::string text = "stale";
    EXPECT_EQ(0, adb_.GetProp(text));
    EXPECT_EQ("", text);
    // The phone got the OPEN; its OKAY never arrived in 20 reads.
    EXPECT_EQ(1u, CountJournal("adb OPEN 2 shell:getprop ro.qx.qxznvernumber"));
    EXPECT_EQ(200u, CountJournal("AdbReadEndpointSync 24 692"));
}

TEST_F(AdbCommTest, APhoneThatLeftFailsTheNextService) {
    Connect();
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Off));
    EXPECT_EQ(0, adb_.RebootBootloader());
    EXPECT_EQ(0u, CountJournalStarting("AdbReadEndpointSync"));
}

TEST_F(AdbCommTest, BadDevicePathsAreRefused) {
    // Longer than 255 characters: not even tried.
    EXPECT_EQ(0, adb_.InitDevices(AdbPath() + std::wstring(300, L'x')));
    EXPECT_EQ(0, adb_.InitDevices(L""));
    EXPECT_EQ(0u, CountJournalStarting("AdbCreateInterfaceByName"));

    // 255 characters are tried; no phone interface answers to these.
    EXPECT_EQ(0, adb_.InitDevices(std::wstring(255, L'p')));
    EXPECT_EQ(0, adb_.InitDevices(FastbootPath()));
    EXPECT_EQ(2u, CountJournalStarting("AdbCreateInterfaceByName"));
    EXPECT_EQ(0u, CountJournalStarting("AdbOpenDefaultBulk"));
    EXPECT_EQ(4u, debug_.Containing(L"InitDevices Fail!").size());
}

TEST_F(AdbCommTest, TheInterfacePathIsTheOneDiscoveryFinds) {
    ASSERT_EQ(1, engine_->SearchDevices());
    std::wstring path;
    ASSERT_TRUE(FindAdbInterfacePath(path, *engine_));
    EXPECT_EQ(0, lstrcmpiW(AdbPath().c_str(), path.c_str()));
    EXPECT_EQ(1, adb_.InitDevices(path));
}

}  // namespace
