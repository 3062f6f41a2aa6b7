// Whole downloads in the tool's order against the simulated phone: the
// FireHose flow from each mode the phone can be found in, the Sahara flow
// likewise, a download that keeps the user's data and a package of more
// than 512 images.
#include <gtest/gtest.h>

#include <limits>

#include "DiskTestSupport.h"
#include "FlowTestSupport.h"
#include "TextFormat.h"

namespace {

constexpr uint32_t kPatternSeed = 0x5EED;

// The images of the FireHose sample in list order, as QMSL names them.
const std::vector<std::wstring> kFireHoseSampleImages = {
    L"Downloading: gpt_main0.bin",  L"Downloading: sbl1.mbn",     L"Downloading: NON-HLOS.bin",
    L"Downloading: boot.img",       L"Downloading: system.img",   L"Downloading: udisk.img",
    L"Downloading: usbmsc.img",     L"Downloading: userdata.img", L"Downloading: cache.img",
    L"Downloading: gpt_backup0.bin"};

class DownloadFlowTest : public FlowTest {
protected:
    // Plugs the phone in the mode and fills its storage with a known pattern,
    // so the test can tell which sectors the download wrote.
    std::string PlugPhoneWithKnownStorage(SimPhoneMode mode) {
        PlugPhone(mode);
        std::string pattern = PatternBytes(static_cast<size_t>(kStorageBytes), kPatternSeed);
        WriteStorage(pattern);
        return pattern;
    }

    std::wstring ProgrammerText(const std::wstring& package, const wchar_t* name) const {
        return L"Programmer File: " + package + L"\\" + name;
    }

    // The FireHose summary: QMSL's time and throughput texts around the
    // package's size.
    std::wstring FireHoseSummary() const {
        return L"Download Success\n" + engine_->totalTimeText + L" \nTotal Size：" +
               FormatWide(L"%0.2f", config_->qcom.romSizeMb) + L" MB\n " + engine_->throughputText;
    }

    // The Sahara summary: whole seconds, size and size per second.
    void ExpectSaharaSummary() const {
        const std::vector<std::wstring> summaries = recorder_.Texts(MSG_SUMMARY);
        ASSERT_EQ(1u, summaries.size());
        const std::wstring& summary = summaries[0];
        const std::wstring head = L"Download Success!\nTotal Time：";
        ASSERT_EQ(0u, summary.find(head));
        const int seconds = std::stoi(summary.substr(head.size()));
        const double mb = config_->qcom.romSizeMb;
        // Under a second gives an infinite throughput, never a crash.
        const double throughput = seconds == 0 ? std::numeric_limits<double>::infinity() : mb / seconds;
        EXPECT_EQ(FormatWide(L"Download Success!\nTotal Time：%d Seconds \nTotal Size：%0.2f MB\n"
                             L"Throughput：%0.2f MB/Seconds",
                             seconds, mb, throughput),
                  summary);
    }
};

TEST_F(DownloadFlowTest, FireHoseFromEmergencyDownloadMode) {
    const std::wstring package = CopyPackage(L"SampleFH8974");
    PreparePackage(package);
    PlugPhone(SimPhoneMode::EmergencyDownload);
    const std::string before = Storage();

    ASSERT_EQ(1, RunDownload());
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
    ExpectStorageIs(ExpectedStorage(before, false));
    // The primary header knows the disk's last usable sector.
    EXPECT_EQ(NumDiskSectors() - 34u, LittleEndianAt(Storage(), 512 + 48, 8));
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3, 4}), StepPercents());
    EXPECT_EQ(kFireHoseSampleImages, recorder_.Texts(MSG_DOWNLOADING));
    ExpectInOrder({{MSG_DETAIL, L"Start DownLoad..."},
                   {MSG_DETAIL, L"Start FireHoseDownload..."},
                   {MSG_DETAIL, L"Set the Phone to EDL..."},
                   {MSG_STEP_OK, L"the Phone in EDL！"},
                   {MSG_PROGRESS_LINE, L"Flash Programmer File..."},
                   {MSG_PROGRESS_LINE, ProgrammerText(package, L"prog_emmc_firehose_8974.mbn")},
                   {MSG_DETAIL, L"Sahara Disconnect Phone!"},
                   {MSG_DETAIL, L"FireHose Connect Phone..."},
                   {MSG_DETAIL, L"FireHose Ping Phone..."},
                   {MSG_STEP_OK, L"FireHose Ping Phone Success"},
                   {MSG_DETAIL, L"Configure FireHose Download"},
                   {MSG_PROGRESS_LINE, L"Start FlashImage..."},
                   {MSG_DETAIL, L"Reboot Phone..."},
                   {MSG_SUMMARY, FireHoseSummary()}});
    EXPECT_EQ(0u, engine_->totalTimeText.find(L"Total Time: "));
    EXPECT_EQ(0u, engine_->throughputText.find(L"Throughput: "));
    // The phone was found in EDL: no switch was asked for.
    EXPECT_EQ(0u, CountJournalStarting("QLIB_QPHONEMS_SwitchToEDL"));
    EXPECT_EQ(1u, CountJournalStarting("QLIB_QPHONEMS_UploadEmmcMetaBuildImage_FireHose"));
}

TEST_F(DownloadFlowTest, FireHoseFromDownloadModeWipesTheLayoutToReachEmergencyDownload) {
    const std::wstring package = CopyPackage(L"SampleFH8974");
    PreparePackage(package);
    const std::string before = PlugPhoneWithKnownStorage(SimPhoneMode::Download);

    ASSERT_EQ(1, RunDownload());
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
    ExpectStorageIs(ExpectedStorage(before, true));
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3, 4}), StepPercents());
    ExpectInOrder({{MSG_DETAIL, L"Start FireHoseDownload..."},
                   {MSG_DETAIL, L"the Phone in Download Mode！"},
                   {MSG_PROGRESS_LINE, L"Set the phone mode to EDL  From Download..."},
                   {MSG_DETAIL, L"DiskName:"},
                   {MSG_DETAIL, L"Wipe Disk ....."},
                   {MSG_STEP_OK, L"Wipe Disk SUCCESS!"},
                   {MSG_PROGRESS_LINE, L"Reboot ...."},
                   {MSG_DETAIL, L"Retry to SearchDevices... "},
                   {MSG_DETAIL, L"Connect To Phone..."},
                   {MSG_DETAIL, L"PHONE_EMPTY Connectting..."},
                   {MSG_STEP_OK, L"Connect To Phone Success!"},
                   {MSG_STEP_OK, L"FireHose Ping Phone Success"},
                   {MSG_SUMMARY, FireHoseSummary()}});
    // QMSL reset the phone out of download mode.
    EXPECT_EQ(1u, CountJournalStarting("QLIB_QPHONEMS_DLoad_Reset"));
}

TEST_F(DownloadFlowTest, FireHoseFromNormalModeSwitchesByQmsl) {
    PreparePackage(CopyPackage(L"SampleFH8974"));
    const std::string before = PlugPhoneWithKnownStorage(SimPhoneMode::Normal);

    ASSERT_EQ(1, RunDownload());
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
    ExpectStorageIs(ExpectedStorage(before, false));
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3, 4}), StepPercents());
    ExpectInOrder({{MSG_DETAIL, L"Set the Phone to EDL..."},
                   {MSG_DETAIL, L"the Phone in Normal Mode！"},
                   {MSG_DETAIL, L"Retry to SearchDevices... "},
                   {MSG_DETAIL, L"SearchDevices_Success"},
                   {MSG_DETAIL, L"Connect To Phone..."},
                   {MSG_STEP_OK, L"Connect To Phone Success!"},
                   {MSG_SUMMARY, FireHoseSummary()}});
    EXPECT_EQ(1u, CountJournalStarting("QLIB_QPHONEMS_SwitchToEDL"));
}

TEST_F(DownloadFlowTest, SaharaFromDownloadModeGoesStraightToTheDiskWriter) {
    PreparePackage(CopyPackage(L"SampleSH8x26"));
    const std::string before = PlugPhoneWithKnownStorage(SimPhoneMode::Download);

    ASSERT_EQ(1, RunDownload());
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
    ExpectStorageIs(ExpectedStorage(before, true));
    EXPECT_EQ((std::vector<int32_t>{0, 4}), StepPercents());
    EXPECT_EQ(100, recorder_.Percents().back());
    ExpectInOrder({{MSG_DETAIL, L"PHONE_Type no Normal Skip!"},
                   {MSG_DETAIL, L"Start DownLoad..."},
                   {MSG_DETAIL, L"Set the Phone to Download Mode..."},
                   {MSG_DETAIL, L"the Phone in Download Mode！"},
                   {MSG_PROGRESS_LINE, L"Start Download Disk..."},
                   {MSG_DETAIL, L"Reboot the Phone...."}});
    ExpectSaharaSummary();
    EXPECT_EQ(0u, CountJournalStarting("QLIB_QPHONEMS_Sahara_FlashProgrammer"));
}

TEST_F(DownloadFlowTest, SaharaFromNormalModeSwitchesToDownloadMode) {
    PreparePackage(CopyPackage(L"SampleSH8x26"));
    const std::string before = PlugPhoneWithKnownStorage(SimPhoneMode::Normal);

    ASSERT_EQ(1, RunDownload());
    EXPECT_EQ("SampleSH8x26", phoneVersion_);
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
    ExpectStorageIs(ExpectedStorage(before, true));
    EXPECT_EQ((std::vector<int32_t>{0, 4}), StepPercents());
    ExpectInOrder({{MSG_DETAIL, L"Phone Name:SampleSH8x26"},
                   {MSG_DETAIL, L"the Phone in Normal Mode！"},
                   {MSG_PROGRESS_LINE, L"reboot phone to EDL Mode..."},
                   {MSG_DETAIL, L"Retry to SearchDevices..."},
                   {MSG_DETAIL, L"Connect To Phone..."},
                   {MSG_DETAIL, L"PHONE_DOWNLOAD Connectting..."},
                   {MSG_STEP_OK, L"Connect To Phone Success!"},
                   {MSG_PROGRESS_LINE, L"Start Download Disk..."}});
    ExpectSaharaSummary();
    EXPECT_EQ(1u, CountJournalStarting("QLIB_QPHONEMS_SwitchToDownloadMode_OptionalValidation"));
}

TEST_F(DownloadFlowTest, SaharaFromEmergencyDownloadRunsTheProgrammerAndMsimage) {
    const std::wstring package = CopyPackage(L"SampleSH8x26");
    PreparePackage(package);
    const std::string before = PlugPhoneWithKnownStorage(SimPhoneMode::EmergencyDownload);

    ASSERT_EQ(1, RunDownload());
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
    ExpectStorageIs(ExpectedStorage(before, true));
    // One step after each of the programmer's three steps, 4 in download mode.
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3, 4}), StepPercents());
    ExpectInOrder({{MSG_STEP_OK, L"the Phone in EDL！"},
                   {MSG_PROGRESS_LINE, L"Flash Programmer File..."},
                   {MSG_PROGRESS_LINE, ProgrammerText(package, L"MPRG8626.mbn")},
                   {MSG_DETAIL, L"Sahara Disconnect Phone!"},
                   {MSG_PROGRESS_LINE, L"EmmcUserPartitionImage File: " + package + L"\\bp_image\\8626_msimage.mbn"},
                   {MSG_DETAIL, L"UploadEmmcUserParitionImage..."},
                   {MSG_STEP_OK, L"UploadEmmcUserParitionImage Success!"},
                   {MSG_PROGRESS_LINE, L"reboot phone to Download Mode..."},
                   {MSG_DETAIL, L"Retry to SearchDevices..."},
                   {MSG_STEP_OK, L"Connect To Phone Success!"},
                   {MSG_PROGRESS_LINE, L"Start Download Disk..."}});
    ExpectSaharaSummary();
    // The msimage went up over a diagnostics connection on the loader port.
    EXPECT_EQ(1u, CountJournalStarting("QLIB_QPHONEMS_UploadEmmcUserParitionImage"));
}

TEST_F(DownloadFlowTest, KeepingUserDataLeavesTheStoragePartitionsByFireHose) {
    const std::wstring package = CopyPackage(L"SampleFH8974");
    PreparePackage(package, 0);
    EXPECT_NE(std::string::npos, std::string(g_imageTable.rawprogramPath).find("rawprogram_unsparse_for_User.xml"));
    const std::string before = PlugPhoneWithKnownStorage(SimPhoneMode::EmergencyDownload);

    ASSERT_EQ(1, RunDownload());
    ExpectStorageIs(ExpectedStorage(before, false));
    const std::string after = Storage();
    // udisk (sector 74) and usbmsc (82), 8 sectors each, keep their bytes;
    // userdata (90) is written.
    EXPECT_EQ(before.substr(74 * 512, 16 * 512), after.substr(74 * 512, 16 * 512));
    EXPECT_EQ(ReadWholeFile(package + L"\\userdata.img"), after.substr(90 * 512, 2048));
    const std::vector<std::wstring> images = recorder_.Texts(MSG_DOWNLOADING);
    EXPECT_EQ(kFireHoseSampleImages.size() - 2, images.size());
    EXPECT_EQ(images.end(), std::find(images.begin(), images.end(), L"Downloading: udisk.img"));
}

TEST_F(DownloadFlowTest, KeepingUserDataLeavesTheStoragePartitionsBySahara) {
    const std::wstring package = CopyPackage(L"SampleSH8x26");
    PreparePackage(package, 0);
    const std::string before = PlugPhoneWithKnownStorage(SimPhoneMode::Download);

    ASSERT_EQ(1, RunDownload());
    ExpectStorageIs(ExpectedStorage(before, true));
    const std::string after = Storage();
    // udisk (sector 58) keeps its bytes, userdata (66) is written.
    EXPECT_EQ(before.substr(58 * 512, 8 * 512), after.substr(58 * 512, 8 * 512));
    EXPECT_EQ(ReadWholeFile(package + L"\\userdata.img"), after.substr(66 * 512, 2048));
}

TEST_F(DownloadFlowTest, MoreThan512ImagesAreUploadedByThePartitionList) {
    // A FireHose package of 514 images: the table cannot name them all.
    const std::wstring package = packages_ + L"\\Many";
    PackageBuilder builder(package);
    ASSERT_TRUE(WriteBytes(package + L"\\Quorel_info.ini", "[product_info]\r\nVER=SampleFH8974\r\n"));
    ASSERT_TRUE(WriteBytes(package + L"\\prog_emmc_firehose_8974.mbn", "programmer"));
    std::string gpt = PatternBytes(2 * 512, 1);
    gpt.replace(512, 8, "EFI PART");
    builder.AddImage(L"gpt_main0.bin", gpt);
    builder.AddProgram(L"gpt_main0.bin", L"0", L"2");
    constexpr int kImages = 513;
    for (int index = 0; index < kImages; ++index) {
        const std::wstring name = FormatWide(L"img%03d.bin", index);
        builder.AddImage(name, PatternBytes(512, static_cast<uint32_t>(index + 2)));
        builder.AddProgram(name, std::to_wstring(100 + 2 * index), L"2");
    }
    builder.AddPatch(L"48", L"8", L"1", L"NUM_DISK_SECTORS-34.", L"last usable sector");
    builder.AddPatch(L"88", L"4", L"1", L"CRC32(100,1024)", L"CRC of the first images");
    builder.Write();
    PreparePackage(package);
    EXPECT_EQ(kImages + 1, g_imageTable.count);
    PlugPhone(SimPhoneMode::EmergencyDownload);
    const std::string before = Storage();

    ASSERT_EQ(1, RunDownload());
    EXPECT_EQ(SimPhoneMode::Normal, Phone().Mode());
    ExpectStorageIs(ExpectedStorage(before, false));
    EXPECT_EQ(ReferenceCrc32(Storage(), 100 * 512, 1024), LittleEndianAt(Storage(), 512 + 88, 4));
    EXPECT_EQ(1u, CountJournalStarting("QLIB_QPHONEMS_UploadEmmcImage_FireHose"));
    EXPECT_EQ(0u, CountJournalStarting("QLIB_QPHONEMS_UploadEmmcMetaBuildImage_FireHose"));
    EXPECT_EQ(static_cast<size_t>(kImages + 1), recorder_.Texts(MSG_DOWNLOADING).size());
}

}  // namespace
