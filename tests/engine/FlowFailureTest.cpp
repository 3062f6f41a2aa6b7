// Downloads that fail: a refused programmer, a phone unplugged during the
// upload, an upload that reports an error, no phone in time, a wrong
// download type, connections that cannot be made, and the user's stop
// during each wait for a phone mode.
#include <gtest/gtest.h>

#include <algorithm>

#include "DiskTestSupport.h"
#include "FlowTestSupport.h"
#include "TextFormat.h"

namespace {

class FlowFailureTest : public FlowTest {
protected:
    std::string Zeros() const { return std::string(static_cast<size_t>(kStorageBytes), '\0'); }
};

TEST_F(FlowFailureTest, RefusedProgrammerEndsTheFireHoseFlow) {
    PreparePackage(CopyPackage(L"SampleFH8974"));
    PlugPhone(SimPhoneMode::EmergencyDownload);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseProgrammer));

    EXPECT_EQ(0, RunDownload());
    EXPECT_EQ(std::vector<std::wstring>{L"Flash Programmer File Fail!"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ((std::vector<int32_t>{0, 1}), recorder_.Percents());
    EXPECT_EQ(SimPhoneMode::EmergencyDownload, Phone().Mode());
    EXPECT_EQ(0u, CountJournalStarting("QLIB_QPHONEMS_ConnectServer_FireHose"));
    ExpectStorageIs(Zeros());
}

TEST_F(FlowFailureTest, RefusedProgrammerEndsTheSaharaFlow) {
    PreparePackage(CopyPackage(L"SampleSH8x26"));
    PlugPhone(SimPhoneMode::EmergencyDownload);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseProgrammer));

    EXPECT_EQ(0, RunDownload());
    EXPECT_EQ((std::vector<std::wstring>{L"Flash Programmer File Fail!", L"Please Reboot Phone and Try  again!"}),
              recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(std::vector<int32_t>{0}, recorder_.Percents());
    EXPECT_EQ(0u, CountJournalStarting("QLIB_QPHONEMS_UploadEmmcUserParitionImage"));
}

// What the PC holds is checked before the flow changes the phone's mode
// (a switch to EDL may wipe the layout or erase the boot loader).
TEST_F(FlowFailureTest, AMissingFileEndsTheFlowBeforeThePhoneChangesMode) {
    struct Case {
        const wchar_t* sample;
        const wchar_t* removed;  // in the package copy
        SimPhoneMode mode;
        const wchar_t* report;  // %s: the package folder
    };
    const Case cases[] = {
        {L"SampleFH8974", L"prog_emmc_firehose_8974.mbn", SimPhoneMode::Normal,
         L"Can't Finded prog_emmc_firehose_8974.mbn"},
        {L"SampleFH8974", L"boot.img", SimPhoneMode::Download, L"Can't Finded %s\\bp_image\\boot.img!"},
        {L"SampleSH8x26", L"bp_image\\8626_msimage.mbn", SimPhoneMode::EmergencyDownload,
         L"EmmcUserPartitionImage No Find!"},
        {L"SampleSH8x26", L"bp_image\\patch0.xml", SimPhoneMode::Normal, L"Can't Finded %s\\bp_image\\patch0.xml!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(NarrowPath(c.report));
        recorder_.Clear();
        const std::wstring package = CopyPackage(c.sample);
        PreparePackage(package);
        ASSERT_TRUE(DeleteFileW((package + L"\\" + c.removed).c_str()));
        PlugPhone(c.mode);
        const std::string before = Storage();

        EXPECT_EQ(0, RunDownload());
        EXPECT_EQ(std::vector<std::wstring>{FormatWide(c.report, package.c_str())}, recorder_.Texts(MSG_FAILURE));
        EXPECT_EQ(c.mode, Phone().Mode());
        EXPECT_FALSE(Phone().ProgrammerLoaded());
        ExpectStorageIs(before);
    }
}

TEST_F(FlowFailureTest, PhoneUnpluggedDuringTheUpload) {
    const std::wstring package = CopyPackage(L"SampleFH8974");
    PreparePackage(package);
    PlugPhone(SimPhoneMode::EmergencyDownload);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::UnplugMidWrite));

    EXPECT_EQ(0, RunDownload());
    // The FireHose flow's own line is a detail: QMSL's reason is the error.
    EXPECT_TRUE(HasText(MSG_DETAIL, L"FlashImage Fail!"));
    EXPECT_EQ(std::vector<std::wstring>{L"the phone went away"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_TRUE(recorder_.Texts(MSG_SUMMARY).empty());
    EXPECT_FALSE(HasText(MSG_DETAIL, L"Reboot Phone..."));
    EXPECT_EQ(SimPhoneMode::Off, Phone().Mode());
    // Only the first image's first chunk landed.
    std::string expected = Zeros();
    const std::string first = ReadWholeFile(package + L"\\gpt_main0.bin");
    expected.replace(0, first.size(), first);
    ExpectStorageIs(expected);
}

TEST_F(FlowFailureTest, UploadThatFailsItsWrites) {
    PreparePackage(AutoPackage());
    PlugPhone(SimPhoneMode::EmergencyDownload);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::FailWrite));

    EXPECT_EQ(0, RunDownload());
    // QMSL's reason, then the automatic flow's own failure.
    EXPECT_EQ((std::vector<std::wstring>{L"write failed at sector 0", L"FlashImage Fail!"}),
              recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(std::vector<std::wstring>{L"FireHose Ping Phone Success"}, recorder_.Texts(MSG_SUMMARY));
    ExpectStorageIs(Zeros());
}

TEST_F(FlowFailureTest, UploadWhoseErrorRecordReportsAnErrorIsNoSuccess) {
    PreparePackage(AutoPackage());
    PlugPhone(SimPhoneMode::EmergencyDownload);
    // The upload itself answers success.
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::UploadErrorInfo));

    EXPECT_EQ(0, RunDownload());
    EXPECT_EQ((std::vector<std::wstring>{L"read-back of the last image differs", L"FlashImage Fail!"}),
              recorder_.Texts(MSG_FAILURE));
    EXPECT_EQ(1u, CountJournalStarting("QLIB_GetLastSoftwareDownloadErrorInfo"));
    EXPECT_EQ(0u, CountJournalStarting("QLIB_QPHONEMS_FireHosePower"));
}

TEST_F(FlowFailureTest, SaharaDiskWriteFailureWipesTheLayout) {
    PreparePackage(CopyPackage(L"SampleSH8x26"));
    PlugPhone(SimPhoneMode::Download);
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::CorruptReadBack));

    EXPECT_EQ(0, RunDownload());
    EXPECT_TRUE(HasText(MSG_FAILURE, L"Download Fail!"));
    EXPECT_FALSE(HasText(MSG_DETAIL, L"Reboot the Phone...."));
    // Without a partition table the phone can next start only in EDL.
    EXPECT_FALSE(Phone().HasPartitionTable());
}

TEST_F(FlowFailureTest, NoPhoneWithinTheSearchTimeOut) {
    PreparePackage(CopyPackage(L"SampleFH8974"));
    engine_->settings.timeOut = 0;  // the engine's copy only
    const ULONGLONG start = GetTickCount64();

    EXPECT_EQ(0, RunDownload());
    EXPECT_LT(GetTickCount64() - start, 20000u);  // generous; the package's time-out is 60 s
    EXPECT_EQ(std::vector<std::wstring>{L"Watting for Phone Timeout!"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_FALSE(HasText(MSG_PROGRESS_LINE, L"Connectting..."));
    EXPECT_EQ(60, config_->qcom.timeOut);
}

TEST_F(FlowFailureTest, UnknownDownloadTypeFailsWithoutText) {
    PreparePackage(CopyPackage(L"SampleFH8974"));
    PlugPhone(SimPhoneMode::EmergencyDownload);
    engine_->settings.downLoadType = 3;

    EXPECT_EQ(0, RunDownload());
    const std::vector<TextReport> texts = TextReports();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(TextReport(MSG_DETAIL, L"Start DownLoad..."), texts.back());
    EXPECT_TRUE(recorder_.Percents().empty());
}

TEST_F(FlowFailureTest, ConnectionsThatCannotBeMade) {
    PreparePackage(CopyPackage(L"SampleFH8974"));
    PlugPhone(SimPhoneMode::EmergencyDownload);
    ASSERT_EQ(1, engine_->SearchDevices());

    // A phone that does not answer: the Sahara connection is refused.
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::Timeout));
    recorder_.Clear();
    EXPECT_EQ(0, engine_->ConnectPhone());
    EXPECT_EQ((std::vector<TextReport>{{MSG_PROGRESS_LINE, L"Connectting..."},
                                       {MSG_DETAIL, L"PHONE_EMPTY Connectting..."},
                                       {MSG_FAILURE, L"Connect to Phone Faile!"}}),
              TextReports());
    EXPECT_EQ(0, engine_->saharaHandle);

    // A mode discovery never answers.
    engine_->phoneMode = PHONE_NONE;
    recorder_.Clear();
    EXPECT_EQ(0, engine_->ConnectPhone());
    EXPECT_EQ((std::vector<TextReport>{{MSG_PROGRESS_LINE, L"Connectting..."}, {MSG_FAILURE, L"PHONE_Type_Error"}}),
              TextReports());
}

TEST_F(FlowFailureTest, UserStopBeforeThePhoneIsFound) {
    PreparePackage(CopyPackage(L"SampleFH8974"));
    runFlag_ = 0;
    EXPECT_EQ(0, RunDownload());
    EXPECT_TRUE(HasText(MSG_DETAIL, L"SearchDevices_UserStop"));
}

TEST_F(FlowFailureTest, UserStopEndsTheWaitForEmergencyDownload) {
    PreparePackage(CopyPackage(L"SampleFH8974"));
    PlugPhone(SimPhoneMode::Normal);
    StopOnText(L"Retry to SearchDevices... ");
    const ULONGLONG start = GetTickCount64();

    EXPECT_EQ(0, RunDownload());
    EXPECT_LT(GetTickCount64() - start, 20000u);  // generous; the 50 searches end at once
    EXPECT_EQ(std::vector<std::wstring>{L"Can't Find Devices!"}, recorder_.Texts(MSG_FAILURE));
    // Every one of the wait's searches saw the stop at once.
    const std::vector<std::wstring> details = recorder_.Texts(MSG_DETAIL);
    EXPECT_EQ(kModeSearchTries, std::count(details.begin(), details.end(), L"SearchDevices_UserStop"));
    EXPECT_FALSE(HasText(MSG_DETAIL, L"Connect To Phone..."));
}

TEST_F(FlowFailureTest, UserStopEndsTheWaitAfterTheLayoutWipe) {
    PreparePackage(CopyPackage(L"SampleFH8974"));
    PlugPhone(SimPhoneMode::Download);
    StopOnText(L"Reboot ....");
    const ULONGLONG start = GetTickCount64();

    EXPECT_EQ(0, RunDownload());
    // The fixed pause after the restart, then the searches end at once
    // (generous for a loaded machine).
    EXPECT_LT(GetTickCount64() - start, 20000u);
    EXPECT_EQ(std::vector<std::wstring>{L"Reboot phone Failed,Please Reboot Phone and Try again"},
              recorder_.Texts(MSG_FAILURE));
    EXPECT_FALSE(HasText(MSG_DETAIL, L"Retry to SearchDevices... "));
}

// The wait after the wipe starts with the phone already known to be in EDL:
// a stop must not let that stale mode count as found.
TEST_F(FlowFailureTest, UserStopIsNotOverruledByTheModeSeenBeforeTheWait) {
    PreparePackage(CopyPackage(L"SampleFH8974"));
    PlugPhone(SimPhoneMode::Download);
    StopOnText(L"Retry to SearchDevices... ");

    EXPECT_EQ(0, RunDownload());
    EXPECT_EQ(PHONE_EMPTY, engine_->phoneMode);
    EXPECT_EQ(std::vector<std::wstring>{L"Can't Find Devices!"}, recorder_.Texts(MSG_FAILURE));
    EXPECT_FALSE(HasText(MSG_DETAIL, L"Connect To Phone..."));
    EXPECT_EQ(0u, CountJournalStarting("QLIB_QPHONEMS_Sahara_FlashProgrammer"));
}

}  // namespace
