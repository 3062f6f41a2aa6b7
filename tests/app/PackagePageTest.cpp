// The package page: the folder choice, the check of a package that fits and
// of packages that do not, and the keep-user-data options.
#include "AppTestSupport.h"

#include <windows.h>

#include <atomic>
#include <thread>

#include "FolderDialog.h"
#include "TextFormat.h"

namespace apptest {
namespace {

const wchar_t kFailPicture[] = L"PhoneList\\DefPhone_FailSet.png";

class PackagePageTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        OpenWindow();
        GoToPackagePage();
    }

    void ExpectInvalidPackagePage() {
        EXPECT_EQ(Page(L"SelectSoftStatusTab"), TavikPage::kStatusInvalidPackage);
        EXPECT_EQ(Page(L"SelectSoftPathBtnTab"), TavikPage::kPathBrowseButton);
        EXPECT_EQ(BackgroundImage(L"PhonePic"), kFailPicture);
        EXPECT_FALSE(Enabled(L"ConfirmSoftwareBtn"));
        EXPECT_FALSE(window_->PackageReady());
        EXPECT_EQ(TextColor(L"SelectSoftStatus"), kStatusRed);
    }

    // Clicks the browse button and answers the folder dialog with the
    // folder (or cancels it when empty).
    void ChooseInFolderDialog(const std::wstring& folder) {
        EXPECT_TRUE(testsupport::ChooseInFolderDialog([this] { Click(L"SelectSoftPathBtn"); }, folder))
            << "the folder dialog did not open, choose or close";
        PumpPending();
    }
};

TEST_F(PackagePageTest, TheFolderDialogChoosesAFolderAndCancelKeepsIt) {
    const std::wstring folder = CopyPackage(L"SampleFH8974", L"dialog");
    ChooseInFolderDialog(L"");
    EXPECT_EQ(Text(L"SelectSoftPathEdit"), L"");
    EXPECT_FALSE(window_->WorkInProgress());

    ChooseInFolderDialog(folder);
    EXPECT_EQ(Text(L"SelectSoftPathEdit"), folder);
    EXPECT_TRUE(Enabled(L"ConfirmSoftwareBtn"));
    EXPECT_EQ(Text(L"ConfirmSoftwareBtn"), L"确定");
    EXPECT_TRUE(window_->WorkInProgress());

    // The dialog opens on the stored folder: confirming it again changes
    // nothing, so a cancelled second look keeps the choice too.
    ChooseInFolderDialog(L"");
    EXPECT_EQ(Text(L"SelectSoftPathEdit"), folder);
}

TEST_F(PackagePageTest, AFittingPackageShowsItsPhoneAndKeepsTheUserDataByDefault) {
    // A percent sign in the folder is kept as it is.
    const std::wstring folder = CopyPackage(L"SampleFH8974", L"Rom%s%d包");
    CheckPackage(folder);

    EXPECT_EQ(Text(L"SelectSoftPathEdit"), folder);
    EXPECT_EQ(Page(L"SelectSoftStatusTab"), TavikPage::kStatusUserDataChoice);
    EXPECT_EQ(Page(L"SelectSoftPathBtnTab"), TavikPage::kPathBrowseButton);
    EXPECT_EQ(BackgroundImage(L"PhonePic"), L"PhoneList\\sample_fh8974.png");
    EXPECT_EQ(Text(L"SWPhoneName"), L"样机 FH8974");
    EXPECT_EQ(window_->Expected(), L"SampleFH8974");
    EXPECT_TRUE(Enabled(L"ConfirmSoftwareBtn"));
    EXPECT_EQ(Text(L"ConfirmSoftwareBtn"), L"开始刷机");
    EXPECT_TRUE(window_->PackageReady());
    EXPECT_FALSE(Control(L"SoftwareReadyGif")->IsVisible());
    EXPECT_EQ(BackgroundImage(L"SoftwareReadyGif"), L"Tavik\\Png_List\\020.png");
    EXPECT_TRUE(Selected(L"SaveUserData"));
    EXPECT_FALSE(Selected(L"SaveProductionData"));
    EXPECT_STREQ(window_->Config().qcom.rawprogramFile, "rawprogram_unsparse_for_User.xml");
    EXPECT_TRUE(testsupport::ReadBytes(folder + L"\\rawprogram_unsparse_for_User.xml").has_value());
    EXPECT_NE(LogText().find("Rom size:"), std::string::npos);
    Shot(L"checked-package");

    Click(L"SaveProductionData");
    EXPECT_TRUE(Selected(L"SaveProductionData"));
    EXPECT_FALSE(Selected(L"SaveUserData"));
    EXPECT_STREQ(window_->Config().qcom.rawprogramFile, "rawprogram_unsparse.xml");
    EXPECT_EQ(window_->Config().mtkParams.fullPackage, 1);

    Click(L"SaveUserData");
    EXPECT_TRUE(Selected(L"SaveUserData"));
    EXPECT_STREQ(window_->Config().qcom.rawprogramFile, "rawprogram_unsparse_for_User.xml");

    // Choosing the same folder again keeps the ready package.
    window_->ChooseSoftwareFolder(folder);
    PumpPending();
    EXPECT_TRUE(window_->PackageReady());
    EXPECT_EQ(Text(L"ConfirmSoftwareBtn"), L"开始刷机");
}

TEST_F(PackagePageTest, AReadyPackageStartsNoSecondCheckAndASecondClickRunsTheCheckOnce) {
    const std::wstring folder = CopyPackage(L"SampleFH8974", L"twice");
    window_->ChooseSoftwareFolder(folder);
    PumpPending();
    TavikUI::NotifyMessage click;
    window_->OnConfirmSoftwareBtn(click);
    window_->OnConfirmSoftwareBtn(click);
    ASSERT_TRUE(PumpUntil([this] { return !window_->JobRunning(); }, 20000));
    PumpPending();
    ASSERT_TRUE(window_->PackageReady());

    const std::string log = LogText();
    size_t checks = 0;
    for (size_t at = log.find("Rom size:"); at != std::string::npos; at = log.find("Rom size:", at + 1)) {
        ++checks;
    }
    EXPECT_EQ(checks, 1u) << log;

    // With the package ready the button asks for the download instead: it
    // waits for a phone (none here) rather than checking again.
    window_->MutableConfig().qcom.timeOut = 1;
    window_->OnConfirmSoftwareBtn(click);
    ASSERT_TRUE(PumpUntil([this] { return !window_->JobRunning(); }, 20000));
    PumpUntil([this] { return Page(L"ConnetDev") == TavikPage::kQcomTimeOut; }, 2000);
    EXPECT_EQ(Page(L"FunctionTab"), TavikPage::kFunctionConnecting);
    EXPECT_EQ(Page(L"ConnetDev"), TavikPage::kQcomTimeOut);
}

TEST_F(PackagePageTest, WhileTheCheckRunsBrowsingAndTheUserDataOptionsDoNothing) {
    window_->ChooseSoftwareFolder(CopyPackage(L"SampleFH8974", L"busy"));
    PumpPending();
    Click(L"ConfirmSoftwareBtn");
    ASSERT_TRUE(PumpUntil([this] { return Control(L"SoftwareReadyGif")->IsVisible(); }));
    EXPECT_FALSE(Enabled(L"SaveUserData"));
    EXPECT_FALSE(Enabled(L"SaveProductionData"));
    std::atomic<bool> opened{false};
    std::thread watch([&] {
        if (const HWND dialog = testsupport::WaitForFolderDialog(GetCurrentProcessId(), 1500)) {
            opened = true;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    TavikUI::NotifyMessage click;
    window_->OnSelectSoftPathBtn(click);
    window_->OnSaveProductionData(click);
    watch.join();
    EXPECT_FALSE(opened) << "the folder dialog came up during the check";
    ASSERT_TRUE(PumpUntil([this] { return !window_->JobRunning(); }));
    PumpPending();
    EXPECT_TRUE(Enabled(L"SaveUserData"));
    EXPECT_TRUE(Selected(L"SaveUserData"));
    EXPECT_STREQ(window_->Config().qcom.rawprogramFile, "rawprogram_unsparse_for_User.xml");
}

TEST_F(PackagePageTest, AnotherFolderAfterACheckResetsTheReadyState) {
    CheckPackage(CopyPackage(L"SampleFH8974", L"first"));
    ASSERT_TRUE(window_->PackageReady());
    window_->ChooseSoftwareFolder(scratch_->File(L"second"));
    PumpPending();
    EXPECT_FALSE(window_->PackageReady());
    EXPECT_EQ(Page(L"SelectSoftStatusTab"), TavikPage::kStatusText);
    EXPECT_EQ(Text(L"ConfirmSoftwareBtn"), L"确定");
    EXPECT_TRUE(Enabled(L"ConfirmSoftwareBtn"));
}

TEST_F(PackagePageTest, NoFolderChosenIsRefusedInRed) {
    TavikUI::NotifyMessage click;
    window_->OnConfirmSoftwareBtn(click);
    ASSERT_TRUE(PumpUntil([this] { return !window_->JobRunning(); }));
    PumpPending();
    EXPECT_EQ(Text(L"SelectSoftStatus"), L"请选择Rom包路径！");
    EXPECT_EQ(TextColor(L"SelectSoftStatus"), kStatusRed);
    EXPECT_EQ(Page(L"SelectSoftStatusTab"), TavikPage::kStatusInvalidPackage);
}

TEST_F(PackagePageTest, AJobThatRunsOutOfMemoryFailsWithItsReasonAndTheNextJobRuns) {
    ASSERT_TRUE(window_->QueueJob(static_cast<CTavikDownloadDlg::Job>(&TestableDownloadDlg::ExhaustMemoryJob)));
    ASSERT_TRUE(PumpUntil([this] { return !window_->JobRunning(); }));
    PumpPending();
    ExpectInvalidPackagePage();
    EXPECT_EQ(Text(L"SelectSoftStatus"), L"Error:内存不足!");
    EXPECT_NE(LogText().find(WideToAnsi(L"Error:内存不足!")), std::string::npos);
    CheckPackage(CopyPackage(L"SampleFH8974", L"after"));
    EXPECT_TRUE(window_->PackageReady());
}

void WriteModel(const std::wstring& folder, const char* model) {
    ASSERT_TRUE(
        testsupport::WriteBytes(folder + L"\\Quorel_info.ini", std::string("[product_info]\r\nVER=") + model + "\r\n"));
}

TEST_F(PackagePageTest, APackageWithoutItsInformationFileIsInvalid) {
    CheckPackage(CopyPackage(L"SampleFH8974", L"NoInformation",
                             [](const std::wstring& folder) { DeleteFileW((folder + L"\\Quorel_info.ini").c_str()); }));
    ExpectInvalidPackagePage();
    Shot(L"invalid-package");
}

TEST_F(PackagePageTest, AModelMissingFromThePhoneListIsInvalid) {
    CheckPackage(CopyPackage(L"SampleFH8974", L"unknown",
                             [](const std::wstring& folder) { WriteModel(folder, "NOSUCHMODEL"); }));
    ExpectInvalidPackagePage();
    EXPECT_NE(LogText().find("Does not support the phone model!"), std::string::npos);
}

TEST_F(PackagePageTest, AMissingImageIsInvalid) {
    CheckPackage(CopyPackage(L"SampleFH8974", L"noimage",
                             [](const std::wstring& folder) { DeleteFileW((folder + L"\\system.img").c_str()); }));
    ExpectInvalidPackagePage();
}

TEST_F(PackagePageTest, ARowOfNoKnownPlatformIsInvalid) {
    CheckPackage(
        CopyPackage(L"SampleMT6582", L"other", [](const std::wstring& folder) { WriteModel(folder, "SampleOther"); }));
    ExpectInvalidPackagePage();
}

TEST_F(PackagePageTest, AMediaTekPackageNeedsItsScatterFile) {
    CheckPackage(CopyPackage(L"SampleMT6582", L"noscatter", [](const std::wstring& folder) {
        DeleteFileW((folder + L"\\MT6582_Android_scatter.txt").c_str());
    }));
    ExpectInvalidPackagePage();
}

TEST_F(PackagePageTest, AMediaTekPackageWithItsFilesIsReadyAndProductionChangesOnlyItsFlag) {
    CheckPackage(CopyPackage(L"SampleMT6582", L"mtk"));
    EXPECT_TRUE(window_->PackageReady());
    EXPECT_EQ(Page(L"SelectSoftStatusTab"), TavikPage::kStatusUserDataChoice);
    EXPECT_EQ(window_->Config().mtkParams.fullPackage, 0);
    const std::string rawprogram = window_->Config().qcom.rawprogramFile;
    Click(L"SaveProductionData");
    EXPECT_EQ(window_->Config().mtkParams.fullPackage, 1);
    EXPECT_EQ(window_->Config().qcom.rawprogramFile, rawprogram);
}

}  // namespace
}  // namespace apptest
