// The engine's reading of the texts QMSL calls back with.
#include <gtest/gtest.h>

#include <cstring>

#include "EngineTestSupport.h"

namespace {

constexpr int32_t kNormal = 0x1001;
constexpr int32_t kSahara = 0x1002;
constexpr int32_t kFireHose = 0x1003;

void* AsHandle(int32_t handle) { return reinterpret_cast<void*>(static_cast<intptr_t>(handle)); }

class QmslTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine_ = MakeEngine();
        engine_->normalHandle = kNormal;
        engine_->saharaHandle = kSahara;
        engine_->fireHoseHandle = kFireHose;
        engine_->settings.romSizeMb = 100.0;
    }

    void Say(const std::string& text, int32_t handle = kFireHose) {
        engine_->OnQmslText(AsHandle(handle), text.data(), static_cast<uint16_t>(text.size()));
    }

    ReportRecorder recorder_;
    std::unique_ptr<CQcomDownloader> engine_;
};

TEST_F(QmslTextTest, EveryTextOfOurHandlesIsLogged) {
    Say("hello normal", kNormal);
    Say("hello sahara", kSahara);
    Say("hello firehose", kFireHose);
    EXPECT_EQ((std::vector<std::wstring>{L"hello normal", L"hello sahara", L"hello firehose"}),
              recorder_.Texts(MSG_DETAIL));
}

TEST_F(QmslTextTest, ForeignHandlesChangeNothing) {
    Say("Program Size: 50", 0x2002);
    Say("Total Time: 5 s", 0x2002);
    EXPECT_EQ(0u, recorder_.Count());
    EXPECT_EQ(0.0, engine_->qmslMbUploaded);
    EXPECT_TRUE(engine_->totalTimeText.empty());

    // 0 is no connection, even while some of the engine's handles are 0.
    engine_->saharaHandle = 0;
    Say("Program Size: 50", 0);
    EXPECT_EQ(0u, recorder_.Count());
}

TEST_F(QmslTextTest, ProgramSizesAddUpToAPercentage) {
    Say("Program Size: 25");
    Say("Program Size: 25.5");
    EXPECT_DOUBLE_EQ(50.5, engine_->qmslMbUploaded);
    // 25 / 100 * 96 + 4 = 28; 50.5 / 100 * 96 + 4 = 52.48
    EXPECT_EQ((std::vector<int32_t>{28, 52}), recorder_.Percents());
    EXPECT_EQ(52, engine_->progressPercent);
    EXPECT_EQ((std::vector<std::wstring>{L"Program Size: 25", L"Program Size: 25.5"}), recorder_.Texts(MSG_DETAIL));
}

TEST_F(QmslTextTest, ProgramSizeIsReadAtItsMatch) {
    Say("[FH] Program Size: 50 MB");
    EXPECT_DOUBLE_EQ(50.0, engine_->qmslMbUploaded);
    EXPECT_EQ(std::vector<int32_t>{52}, recorder_.Percents());
}

TEST_F(QmslTextTest, TextsAreReadOnlyWithinTheirLength) {
    const char buffer[] = "Program Size: 12345";
    engine_->OnQmslText(AsHandle(kFireHose), buffer, 16);  // "Program Size: 12"
    EXPECT_DOUBLE_EQ(12.0, engine_->qmslMbUploaded);
    EXPECT_EQ(std::vector<std::wstring>{L"Program Size: 12"}, recorder_.Texts(MSG_DETAIL));

    // No terminator anywhere near: a buffer filled to its end.
    char unterminated[8];
    std::memcpy(unterminated, "File: ab", 8);
    engine_->OnQmslText(AsHandle(kFireHose), unterminated, 8);
    EXPECT_EQ(std::vector<std::wstring>{L"Downloading: ab"}, recorder_.Texts(MSG_DOWNLOADING));

    // A terminator inside the length ends the text there.
    const char embedded[] = "File: a\0bc";
    engine_->OnQmslText(AsHandle(kFireHose), embedded, 10);
    EXPECT_EQ(L"Downloading: a", recorder_.Texts(MSG_DOWNLOADING).back());
}

TEST_F(QmslTextTest, PercentageStaysWithin100) {
    Say("Program Size: 150");
    EXPECT_EQ(std::vector<int32_t>{100}, recorder_.Percents());

    recorder_.Clear();
    engine_->qmslMbUploaded = 0;
    engine_->settings.romSizeMb = 0;  // nothing to upload: done
    Say("Program Size: 0");
    Say("Program Size: 3");
    EXPECT_EQ((std::vector<int32_t>{100, 100}), recorder_.Percents());
}

TEST_F(QmslTextTest, FileNamesBecomeDownloadingLines) {
    Say("File: boot.img");
    EXPECT_EQ(std::vector<std::wstring>{L"Downloading: boot.img"}, recorder_.Texts(MSG_DOWNLOADING));

    Say("File: " + std::string(400, 'x'));
    const std::wstring line = recorder_.Texts(MSG_DOWNLOADING).back();
    EXPECT_EQ(kEngineTextChars - 1, line.size());
    EXPECT_EQ(0u, line.find(L"Downloading: xxx"));
}

TEST_F(QmslTextTest, TotalTimeAndThroughputAreKept) {
    Say("Total Time: 12.5 seconds");
    Say("Throughput: 20.00 MB/s");
    EXPECT_EQ(L"Total Time: 12.5 seconds", engine_->totalTimeText);
    EXPECT_EQ(L"Throughput: 20.00 MB/s", engine_->throughputText);
    EXPECT_TRUE(recorder_.Texts(MSG_DOWNLOADING).empty());
    EXPECT_TRUE(recorder_.Percents().empty());
}

TEST_F(QmslTextTest, ShortTotalTimeTextKeepsAnEmptyValue) {
    Say("Total Time");
    EXPECT_EQ(L"Total Time: ", engine_->totalTimeText);
    Say("Total Time:");
    EXPECT_EQ(L"Total Time: ", engine_->totalTimeText);
    Say("x Total Time: 3");
    EXPECT_EQ(L"Total Time: 3", engine_->totalTimeText);
}

TEST_F(QmslTextTest, ProgramSizeWinsOverTheOtherTexts) {
    Say("File: a.img Program Size: 10");
    EXPECT_TRUE(recorder_.Texts(MSG_DOWNLOADING).empty());
    EXPECT_EQ(std::vector<int32_t>{13}, recorder_.Percents());
}

TEST_F(QmslTextTest, LongTextsAreShownUpTo512Characters) {
    Say(std::string(700, 'q'));
    const std::vector<std::wstring> details = recorder_.Texts(MSG_DETAIL);
    ASSERT_EQ(1u, details.size());
    EXPECT_EQ(kQmslTextShownChars, details[0].size());
}

TEST_F(QmslTextTest, TextsAreConvertedFromTheAnsiCodePage) {
    if (GetACP() != 936) {
        GTEST_SKIP() << "needs code page 936";
    }
    Say("File: \xd6\xd0\xce\xc4.img");  // 中文 in code page 936
    EXPECT_EQ(std::vector<std::wstring>{L"Downloading: 中文.img"}, recorder_.Texts(MSG_DOWNLOADING));
}

TEST_F(QmslTextTest, ReportsPassTheirTextsAndCodes) {
    engine_->SendText(L"a line", MSG_SUMMARY);
    engine_->SendPercent(37);
    const std::vector<RecordedReport> reports = recorder_.Reports();
    ASSERT_EQ(2u, reports.size());
    EXPECT_EQ(MSG_SUMMARY, reports[0].code);
    EXPECT_EQ(0, reports[0].value);
    EXPECT_EQ(L"a line", reports[0].text);
    EXPECT_EQ(MSG_PERCENT, reports[1].code);
    EXPECT_EQ(37, reports[1].value);
    EXPECT_TRUE(reports[1].text.empty());

    engine_->reportCallback = nullptr;  // no receiver: nothing happens
    engine_->SendText(L"lost", MSG_DETAIL);
    engine_->SendPercent(1);
    EXPECT_EQ(2u, recorder_.Count());
}

TEST(UploadPercentTest, MapsMegabytesOnto4To100) {
    EXPECT_EQ(4, UploadPercent(0, 100));
    EXPECT_EQ(52, UploadPercent(50, 100));
    EXPECT_EQ(99, UploadPercent(99.9, 100));
    EXPECT_EQ(100, UploadPercent(100, 100));
    EXPECT_EQ(100, UploadPercent(1e300, 1e-300));
    EXPECT_EQ(100, UploadPercent(0, 0));
    EXPECT_EQ(100, UploadPercent(5, -1));
    EXPECT_EQ(4, UploadPercent(-20, 100));
}

TEST(ProgressStepTest, OnePointPer96thOfTheTimeAt5MbPerSecond) {
    EXPECT_EQ(0u, ProgressStepMs(0));
    EXPECT_EQ(1000u, ProgressStepMs(480));   // 480 MB / 5 / 96 s
    EXPECT_EQ(2083u, ProgressStepMs(1000));  // integer part of 2083.33
    EXPECT_EQ(0u, ProgressStepMs(-5));
}

}  // namespace
