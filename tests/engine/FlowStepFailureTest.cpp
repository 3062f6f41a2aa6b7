// Steps of the download flows where a real phone fails: the FireHose
// connection, ping and configuration, the switch to emergency download mode
// by either route, and the disk that is missing or cannot be opened.
#include <gtest/gtest.h>

#include "FixedText.h"
#include "FlowTestSupport.h"
#include "ScopedHandle.h"

namespace {

class FlowStepFailureTest : public FlowTest {
protected:
    // The storage held open without sharing, as another program holding the
    // disk would: the engine cannot open it.
    CScopedHandle HoldStorage() {
        CScopedHandle held(
            CreateFileW(Phone().StoragePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(held.IsSet());
        return held;
    }
};

TEST_F(FlowStepFailureTest, FireHoseStepsThatFailEndTheFlowBeforeTheUpload) {
    PreparePackage(CopyPackage(L"SampleFH8974"));
    const struct {
        SimPhoneFault fault;
        const wchar_t* failure;
    } steps[] = {{SimPhoneFault::RefuseFireHose, L"FireHose Connect Phone Fail"},
                 {SimPhoneFault::FireHoseNopFail, L"FireHose Ping Phone Fail"}};
    for (const auto& step : steps) {
        SCOPED_TRACE(NarrowPath(step.failure));
        ASSERT_TRUE(Phone().ClearFaults());
        ASSERT_TRUE(Phone().AddFault(step.fault));
        PlugPhone(SimPhoneMode::EmergencyDownload);
        recorder_.Clear();
        EXPECT_EQ(0, RunDownload());
        EXPECT_EQ(std::vector<std::wstring>{step.failure}, recorder_.Texts(MSG_FAILURE));
    }

    // A memory the programmer does not take: the configuration is refused.
    ASSERT_TRUE(Phone().ClearFaults());
    PlugPhone(SimPhoneMode::EmergencyDownload);
    ASSERT_TRUE(CopyToField(engine_->settings.fireHose.memoryName, "UFS"));
    recorder_.Clear();
    EXPECT_EQ(0, RunDownload());
    EXPECT_EQ(std::vector<std::wstring>{L"Configure FireHose Download Fail"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(0u, CountJournalStarting("QLIB_QPHONEMS_UploadEmmc"));
}

TEST_F(FlowStepFailureTest, ANormalPhoneThatCannotReachEmergencyDownloadEndsTheFlow) {
    // The FireHose flow has the QMSL switch only.
    PreparePackage(CopyPackage(L"SampleFH8974"));
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseEdlSwitch));
    PlugPhone(SimPhoneMode::Normal);
    EXPECT_EQ(0, RunDownload());
    EXPECT_EQ(std::vector<std::wstring>{L"Set the Phone to EDL Mode Fail！"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());

    // The automatic flow's last route ends in download mode, where the
    // phone cannot be restarted (neither by QMSL nor over a serial port).
    PreparePackage(AutoPackage());
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::AdbOff));
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseReset));
    PlugPhone(SimPhoneMode::Normal);
    recorder_.Clear();
    EXPECT_EQ(0, RunDownload());
    EXPECT_EQ((std::vector<std::wstring>{L"Get ADB Devices Name Failed!", L"Reboot phone Failed!",
                                         L"Set the Phone to EDL Mode Fail！",
                                         L"Reboot phone Failed,Please Reboot Phone and Try again"}),
              recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(SimPhoneMode::Download, Phone().Mode());
    EXPECT_EQ(0u, CountJournalStarting("QLIB_QPHONEMS_Sahara_FlashProgrammer"));
}

TEST_F(FlowStepFailureTest, ADiskThatIsMissingOrCannotBeOpenedEndsTheFlow) {
    // On the way to emergency download mode: the disk gone after the phone
    // was found with it, then a disk held by someone else.
    PreparePackage(CopyPackage(L"SampleFH8974"));
    PlugPhone(SimPhoneMode::Download);
    ASSERT_EQ(1, ConnectPhone());
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::NoDisk));
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    recorder_.Clear();
    EXPECT_EQ(0, engine_->StartDownload());
    EXPECT_TRUE(recorder_.Texts(MSG_FAILURE).empty());
    EXPECT_FALSE(HasText(MSG_DETAIL, L"DiskName:"));
    EXPECT_FALSE(HasText(MSG_PROGRESS_LINE, L"Reboot ...."));

    ASSERT_TRUE(Phone().ClearFaults());
    PlugPhone(SimPhoneMode::Download);
    {
        const CScopedHandle held = HoldStorage();
        recorder_.Clear();
        EXPECT_EQ(0, RunDownload());
    }
    EXPECT_EQ(std::vector<std::wstring>{L"Open Disk Faile!"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_FALSE(HasText(MSG_PROGRESS_LINE, L"Reboot ...."));
    EXPECT_EQ(SimPhoneMode::Download, Phone().Mode());

    // The Sahara flow's disk writer.
    PreparePackage(CopyPackage(L"SampleSH8x26"));
    PlugPhone(SimPhoneMode::Download);
    {
        const CScopedHandle held = HoldStorage();
        recorder_.Clear();
        EXPECT_EQ(0, RunDownload());
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Open the Disk Failed !", L"Download Fail!"}), recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(SimPhoneMode::Download, Phone().Mode());
}

}  // namespace
