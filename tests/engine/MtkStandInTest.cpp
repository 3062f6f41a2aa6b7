// The MediaTek library binding against our stand-in of the maker's library:
// what the download job relies on, on the simulated phone.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "EngineTestSupport.h"
#include "MtkLibrary.h"
#include "TextFormat.h"

namespace {

struct MtkReport {
    int32_t code;
    int32_t value;
    std::string text;  // narrow, as the library sends it
    DWORD thread;
};

std::mutex g_reportLock;
std::vector<MtkReport> g_reports;

void RecordMtkReport(const DownloadMessage* message) {
    std::lock_guard<std::mutex> guard(g_reportLock);
    g_reports.push_back({message->code, message->value,
                         std::string(static_cast<const char*>(message->text), message->length), GetCurrentThreadId()});
}

// The sample MediaTek package: a scatter of two images (PRELOADER at 0,
// BOOTIMG at 0x40000), plus a USRDATA partition when asked for.
class MtkStandInTest : public SimPhoneTest {
protected:
    void SetUp() override {
        SimPhoneTest::SetUp();
        g_reports.clear();
        package_ = folders_->File(L"SampleMT6582");
        ASSERT_TRUE(CopyFolderTree(FixturesDir() + L"\\packages\\SampleMT6582", package_));
        daPath_ = NarrowPath(ProductDataDir() + L"\\SAMPLE_MTK_DA.bin");
        scatterPath_ = NarrowPath(package_ + L"\\MT6582_Android_scatter.txt");
        params_ = MtkInitParams{};
        params_.attributesRead = 1;
        params_.attributesReadByte = 1;
        params_.connectTimeout = 30000;
        params_.daPath = daPath_.c_str();
        params_.scatterPath = scatterPath_.c_str();
        params_.fullPackage = 1;
        library_.SetErrorSink([this](const std::wstring& text) { ownErrors_.push_back(text); });
    }

    void TearDown() override {
        library_.Unload();
        SimPhoneTest::TearDown();
    }

    void LoadLibraryFrom(const char* folder) { ASSERT_TRUE(library_.Load(ToWide(folder))); }

    void AddUserDataPartition() {
        ASSERT_TRUE(WriteBytes(package_ + L"\\userdata.img", std::string(2048, 'U')));
        std::string scatter = ReadWholeFile(package_ + L"\\MT6582_Android_scatter.txt");
        scatter +=
            "- partition_index: SYS2\n  partition_name: USRDATA\n  file_name: userdata.img\n"
            "  is_download: true\n  linear_start_addr: 0x100000\n  partition_size: 0x10000\n";
        ASSERT_TRUE(WriteBytes(package_ + L"\\MT6582_Android_scatter.txt", scatter));
    }

    bool PutStorage(uint64_t offset, const std::string& bytes) {
        return Phone().WriteStorage(offset, bytes.data(), bytes.size());
    }

    std::string StorageAt(uint64_t offset, size_t size) {
        std::string bytes(size, '\0');
        EXPECT_TRUE(Phone().ReadStorage(offset, &bytes[0], size));
        return bytes;
    }

    bool Reported(int32_t code, const std::string& start) {
        std::lock_guard<std::mutex> guard(g_reportLock);
        return std::any_of(g_reports.begin(), g_reports.end(), [&](const MtkReport& report) {
            return report.code == code && report.text.rfind(start, 0) == 0;
        });
    }

    std::wstring package_;
    std::string daPath_;
    std::string scatterPath_;
    MtkInitParams params_{};
    CMtkLibrary library_;
    std::vector<std::wstring> ownErrors_;
};

TEST_F(MtkStandInTest, FlashesTheScatterImagesAndReportsFromItsOwnThread) {
    LoadLibraryFrom(TAVIK_MTK_LIBRARY_DIR);
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    ASSERT_TRUE(PutStorage(0x100000, std::string(16, 'K')));

    ASSERT_EQ(MtkStepResult::kDone, library_.Init(params_, &RecordMtkReport));
    EXPECT_EQ(&RecordMtkReport, params_.reportCallback);
    // Init answers on the caller's thread; the later steps report from the
    // library's own.
    g_reports.clear();
    ASSERT_EQ(MtkStepResult::kDone, library_.Connect());
    std::wstring version;
    ASSERT_EQ(MtkStepResult::kDone, library_.Check(version));
    EXPECT_EQ(ToWide(kVersion), version);
    ASSERT_EQ(MtkStepResult::kDone, library_.Download());
    EXPECT_EQ(MtkStepResult::kDone, library_.EndSession());

    // The images at their scatter addresses, read from the package itself.
    const std::string preloader = ReadWholeFile(package_ + L"\\preloader_sample.bin");
    const std::string boot = ReadWholeFile(package_ + L"\\boot.img");
    EXPECT_EQ(preloader, StorageAt(0, preloader.size()));
    EXPECT_EQ(boot, StorageAt(0x40000, boot.size()));
    EXPECT_EQ(std::string(16, 'K'), StorageAt(0x100000, 16));

    std::vector<int32_t> percents;
    for (const MtkReport& report : g_reports) {
        EXPECT_NE(GetCurrentThreadId(), report.thread) << report.text;
        if (report.code == MSG_PERCENT) {
            percents.push_back(report.value);
        }
    }
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(100, percents.back());
    EXPECT_TRUE(Reported(MSG_SUMMARY, "Download OK"));
    EXPECT_TRUE(Reported(MSG_DETAIL, "Throughput: "));
    EXPECT_EQ(1u, CountJournal("MTKHandlt_Init"));
    EXPECT_EQ(1u, CountJournal("MTKDL_Handle_Del"));
    EXPECT_TRUE(ownErrors_.empty());
}

TEST_F(MtkStandInTest, KeepingUserDataLeavesTheUserPartitionAlone) {
    LoadLibraryFrom(TAVIK_MTK_LIBRARY_DIR);
    AddUserDataPartition();
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    ASSERT_TRUE(PutStorage(0x100000, std::string(2048, 'K')));

    for (uint8_t fullPackage : {0, 1}) {
        params_.fullPackage = fullPackage;
        ASSERT_EQ(MtkStepResult::kDone, library_.Init(params_, &RecordMtkReport));
        ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
        ASSERT_EQ(MtkStepResult::kDone, library_.Connect());
        ASSERT_EQ(MtkStepResult::kDone, library_.Download());
        library_.EndSession();
        EXPECT_EQ(std::string(2048, fullPackage ? 'U' : 'K'), StorageAt(0x100000, 2048));
    }
}

TEST_F(MtkStandInTest, FaultsFailTheirStep) {
    LoadLibraryFrom(TAVIK_MTK_LIBRARY_DIR);
    params_.connectTimeout = 300;

    // No phone in download mode within the time-out.
    ASSERT_EQ(MtkStepResult::kDone, library_.Init(params_, &RecordMtkReport));
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(MtkStepResult::kFailed, library_.Connect());
    EXPECT_GE(GetTickCount64() - start, 250u);
    EXPECT_TRUE(Reported(MSG_FAILURE, "Error: no MediaTek phone"));

    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::RefuseProgrammer));
    EXPECT_EQ(MtkStepResult::kFailed, library_.Connect());

    ASSERT_TRUE(Phone().ClearFaults());
    ASSERT_EQ(MtkStepResult::kDone, library_.Connect());
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::Timeout));
    std::wstring version = L"stale";
    EXPECT_EQ(MtkStepResult::kFailed, library_.Check(version));
    EXPECT_TRUE(version.empty());

    ASSERT_TRUE(Phone().ClearFaults());
    ASSERT_EQ(MtkStepResult::kDone, library_.Connect());
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::FailWrite));
    EXPECT_EQ(MtkStepResult::kFailed, library_.Download());
    EXPECT_EQ(std::string(16, '\0'), StorageAt(0, 16));

    ASSERT_TRUE(Phone().ClearFaults());
    ASSERT_EQ(MtkStepResult::kDone, library_.Connect());
    ASSERT_TRUE(Phone().AddFault(SimPhoneFault::UnplugMidWrite));
    EXPECT_EQ(MtkStepResult::kFailed, library_.Download());
    EXPECT_EQ(SimPhoneMode::Off, Phone().Mode());
    EXPECT_EQ(1u, CountJournal("mtk unplugged"));
    EXPECT_EQ(std::string(16, '\0'), StorageAt(0x40000, 16));
    EXPECT_TRUE(ownErrors_.empty());
}

TEST_F(MtkStandInTest, LongVersionIsCutAtTheBuffer) {
    LoadLibraryFrom(TAVIK_MTK_LIBRARY_DIR);
    ASSERT_TRUE(Phone().SetVersion(std::string(300, 'v')));
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    ASSERT_EQ(MtkStepResult::kDone, library_.Init(params_, &RecordMtkReport));
    ASSERT_EQ(MtkStepResult::kDone, library_.Connect());
    std::wstring version;
    ASSERT_EQ(MtkStepResult::kDone, library_.Check(version));
    EXPECT_EQ(std::wstring(kMtkBufferBytes - 1, L'v'), version);
}

TEST_F(MtkStandInTest, InitFailuresOpenNoStateAndEndNone) {
    LoadLibraryFrom(TAVIK_MTK_LIBRARY_DIR);
    const std::string missing = daPath_ + ".missing";
    params_.daPath = missing.c_str();
    EXPECT_EQ(MtkStepResult::kFailed, library_.Init(params_, &RecordMtkReport));
    EXPECT_FALSE(library_.SessionOpen());
    EXPECT_EQ(MtkStepResult::kDone, library_.EndSession());
    library_.Unload();
    EXPECT_EQ(0u, CountJournal("MTKDL_Handle_Del"));
    EXPECT_TRUE(Reported(MSG_FAILURE, "Error: DA file not found"));

    // Steps without an open state fail in the library.
    LoadLibraryFrom(TAVIK_MTK_LIBRARY_DIR);
    EXPECT_EQ(MtkStepResult::kFailed, library_.Connect());
    EXPECT_EQ(1u, CountJournal("MTKDL_Connect without MTKHandlt_Init"));
}

TEST_F(MtkStandInTest, MissingExportIsReportedWithItsText) {
    LoadLibraryFrom(TAVIK_MTK_LIBRARY_MISSING_DOWNLOAD_DIR);
    ASSERT_TRUE(Phone().SetMode(SimPhoneMode::Download));
    ASSERT_EQ(MtkStepResult::kDone, library_.Init(params_, &RecordMtkReport));
    ASSERT_EQ(MtkStepResult::kDone, library_.Connect());
    EXPECT_EQ(MtkStepResult::kMissingExport, library_.Download());
    ASSERT_EQ(1u, ownErrors_.size());
    EXPECT_EQ(L"Error:获取 MTKDL_Download()地址失败!", ownErrors_[0]);
    // Unloading ends the open state once.
    library_.Unload();
    EXPECT_EQ(1u, CountJournal("MTKDL_Handle_Del"));
}

TEST_F(MtkStandInTest, MissingLibraryFailsToLoad) {
    EXPECT_FALSE(library_.Load(folders_->Path()));
    EXPECT_EQ(MtkStepResult::kMissingExport, library_.Init(params_, &RecordMtkReport));
    EXPECT_EQ(L"Error:获取 MTKHandlt_Init()地址失败!", ownErrors_.at(0));
}

}  // namespace
