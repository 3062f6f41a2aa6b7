// The fastboot connection against the Android USB stand-in's boot loader.
#include <gtest/gtest.h>

#include "AdbTestSupport.h"
#include "FastBootComm.h"
#include "SimAndroidUsb.h"

namespace {

class FastBootCommTest : public AdbPhoneTest {
protected:
    void SetUp() override {
        AdbPhoneTest::SetUp();
        ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Fastboot));
        ASSERT_TRUE(Phone().ClearJournal());
    }

    void Open() {
        ASSERT_EQ(1, fastBoot_.Open(FastbootPath()));
        ASSERT_TRUE(Phone().ClearJournal());
    }

    CFastBootComm fastBoot_;
};

TEST_F(FastBootCommTest, OpenReadsTheSerialWithoutAnyExchange) {
    ASSERT_EQ(1, fastBoot_.Open(FastbootPath()));
    EXPECT_STREQ(L"SIMPHONE0001", fastBoot_.serial);
    EXPECT_EQ(0u, CountJournalStarting("AdbWriteEndpointSync"));
    EXPECT_EQ(0u, CountJournalStarting("AdbReadEndpointSync"));
    const std::vector<std::wstring> serial = debug_.Containing(L"SN:");
    ASSERT_EQ(1u, serial.size());
    EXPECT_EQ(0u, serial[0].find(DebugLinePrefix(L"FastBootComm", 48)));
}

TEST_F(FastBootCommTest, EraseOfSbl1ThenRebootStartsInEmergencyDownload) {
    WritePartitionTable();
    Open();
    ASSERT_EQ(1, fastBoot_.SendCommand("erase:sbl1"));
    EXPECT_TRUE(SimBootLoaderErased(Phone()));
    EXPECT_EQ(SimPhoneMode::Fastboot, Phone().Mode());
    ASSERT_EQ(1, fastBoot_.SendCommand("reboot"));
    EXPECT_EQ(SimPhoneMode::EmergencyDownload, Phone().Mode());
    // Raw texts: 10 and 6 bytes, each answer read as 4.
    EXPECT_EQ((std::vector<std::string>{"AdbWriteEndpointSync 10 580", "AdbWriteEndpointSync 6 548"}),
              JournalStarting("AdbWriteEndpointSync"));
    EXPECT_EQ(2u, CountJournal("AdbReadEndpointSync 4 532"));
    // The phone restarted: the mark is used up.
    EXPECT_FALSE(SimBootLoaderErased(Phone()));
}

TEST_F(FastBootCommTest, RebootWithoutEraseStartsAsTheStorageAllows) {
    WritePartitionTable();
    Open();
    ASSERT_EQ(1, fastBoot_.SendCommand("reboot"));
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
}

TEST_F(FastBootCommTest, AFailAnswerIsAFailure) {
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::FastbootFail));
    Open();
    EXPECT_EQ(0, fastBoot_.SendCommand("erase:sbl1"));
    EXPECT_FALSE(SimBootLoaderErased(Phone()));
    EXPECT_EQ(0, fastBoot_.SendCommand("reboot"));
    EXPECT_EQ(SimPhoneMode::Fastboot, Phone().Mode());
    EXPECT_EQ((std::vector<std::string>{"fastboot FAIL erase:sbl1", "fastboot FAIL reboot"}),
              JournalStarting("fastboot"));
}

TEST_F(FastBootCommTest, CommandsTheBootLoaderDoesNotKnowAreRefused) {
    Open();
    EXPECT_EQ(0, fastBoot_.SendCommand("flash:sbl1"));
    EXPECT_EQ(0, fastBoot_.SendCommand(std::string(65, 'e')));
    // Erasing another partition leaves the boot loader.
    EXPECT_EQ(1, fastBoot_.SendCommand("erase:cache"));
    EXPECT_FALSE(SimBootLoaderErased(Phone()));
}

TEST_F(FastBootCommTest, AnAnswerThatNeverComesIsAFailure) {
    Open();
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::AdbReadTimeout));
    EXPECT_EQ(0, fastBoot_.SendCommand("erase:sbl1"));
    EXPECT_EQ(10u, CountJournal("AdbReadEndpointSync 4 532"));
}

TEST_F(FastBootCommTest, OnlyTheBootLoadersInterfaceOpens) {
    EXPECT_EQ(0, fastBoot_.Open(AdbPath()));
    EXPECT_EQ(nullptr, fastBoot_.adbInterface);
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Normal));
    EXPECT_EQ(0, fastBoot_.Open(FastbootPath()));
    EXPECT_EQ(0, fastBoot_.Open(std::wstring(256, L'f')));
}

}  // namespace
