// Reports reaching the window: percentages, status colours and the log.
#include "AppTestSupport.h"

#include <thread>
#include <vector>

#include "AnnulusProgressUI.h"
#include "JobReports.h"
#include "LogFile.h"
#include "MarkupEscape.h"
#include "MtkLibrary.h"
#include "ProgramFolder.h"
#include "UiChangeQueue.h"

namespace apptest {
namespace {

class ReportTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        OpenWindow();
        GoToPackagePage();
    }
    // Sends the record from another thread, as the job thread does, and lets
    // the window take the changes.
    static void ReportFromJobThread(void (*callback)(const DownloadMessage*), const DownloadMessage& message) {
        std::thread reporter([&] { callback(&message); });
        reporter.join();
        PumpPending();
    }
};

TEST_F(ReportTest, ACheckPercentageShowsInTheCheckLabelWithItsTextAndLogLine) {
    ReportFromJobThread(&CTavikDownloadDlg::OnCheckMessage, {MSG_PERCENT | MSG_LEVEL_SUCCESS, 37, 5, L"37 ok"});
    EXPECT_EQ(Text(L"CheckSWGif"), L"37%");
    EXPECT_EQ(Text(L"SelectSoftStatus"), L"37 ok");
    EXPECT_EQ(TextColor(L"SelectSoftStatus"), kStatusGreen);
    EXPECT_NE(LogText().find(" 37 ok\r\n"), std::string::npos);

    for (const int outside : {101, -1}) {
        ReportFromJobThread(&CTavikDownloadDlg::OnCheckMessage, {MSG_PERCENT, outside, 0, nullptr});
        EXPECT_EQ(Text(L"CheckSWGif"), L"37%");
    }
}

TEST_F(ReportTest, StatusTextsTakeTheirLevelsColour) {
    const std::pair<int32_t, DWORD> levels[] = {
        {MSG_STEP_OK, kStatusGreen}, {MSG_DETAIL, kStatusBlack}, {MSG_FAILURE, kStatusRed}};
    for (const auto& [code, color] : levels) {
        ReportFromJobThread(&CTavikDownloadDlg::OnDownloadMessage, {code, 0, 4, L"text"});
        EXPECT_EQ(TextColor(L"SelectSoftStatus"), color) << code;
    }
    ReportFromJobThread(&CTavikDownloadDlg::OnCheckMessage, {MSG_FAILURE, 0, 6, L"failed"});
    EXPECT_EQ(TextColor(L"SelectSoftStatus"), kStatusRed);
    EXPECT_EQ(Text(L"SelectSoftStatus"), L"failed");
}

TEST_F(ReportTest, ADownloadPercentageMovesTheRingAndOnlyTextsWithALevelAreLogged) {
    ReportFromJobThread(&CTavikDownloadDlg::OnDownloadMessage, {MSG_PERCENT, 64, 0, nullptr});
    auto* ring =
        static_cast<TavikUI::CAnnulusProgressUI*>(Control(L"DownloadProgress")->InterfaceByName(L"AnnulusProgressUI"));
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->CurrentValue(), 64);

    ReportFromJobThread(&CTavikDownloadDlg::OnDownloadMessage, {0x40, 0, 6, L"silent"});
    EXPECT_EQ(Text(L"SelectSoftStatus"), L"");
    EXPECT_EQ(LogText().find("silent"), std::string::npos);
    // The same record during the check is logged.
    ReportFromJobThread(&CTavikDownloadDlg::OnCheckMessage, {0x40, 0, 6, L"silent"});
    EXPECT_NE(LogText().find(" silent\r\n"), std::string::npos);
    // A record without text changes nothing and logs nothing.
    const std::string before = LogText();
    ReportFromJobThread(&CTavikDownloadDlg::OnCheckMessage, {MSG_FAILURE, 0, 0, nullptr});
    ReportFromJobThread(&CTavikDownloadDlg::OnDownloadMessage, {MSG_FAILURE, 0, 0, nullptr});
    EXPECT_EQ(LogText(), before);
}

TEST_F(ReportTest, MediaTekTextsArriveConvertedFromTheAnsiCodePage) {
    // "刷机成功" in code page 936.
    const char text[] = "\xcb\xa2\xbb\xfa\xb3\xc9\xb9\xa6";
    ReportFromJobThread(&CTavikDownloadDlg::OnMtkMessage, {MSG_SUMMARY, 0, 8, text});
    EXPECT_EQ(Text(L"SelectSoftStatus"), L"刷机成功");
    EXPECT_NE(LogText().find(std::string(" ") + text + "\r\n"), std::string::npos);
}

TEST_F(ReportTest, LinesOfSeveralThreadsStayWhole) {
    std::vector<std::thread> reporters;
    for (int thread = 0; thread < 4; ++thread) {
        reporters.emplace_back([] {
            for (int line = 0; line < 100; ++line) {
                const DownloadMessage message = {MSG_DETAIL, 0, 40, L"0123456789012345678901234567890123456789"};
                CTavikDownloadDlg::OnDownloadMessage(&message);
            }
        });
    }
    for (std::thread& reporter : reporters) {
        reporter.join();
    }
    PumpPending();
    const std::string log = LogText();
    size_t lines = 0;
    for (size_t start = 0; start < log.size();) {
        const size_t end = log.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(log.substr(start, end - start).size(), 20u + 40u) << log.substr(start, end - start);
        start = end + 2;
        ++lines;
    }
    EXPECT_EQ(lines, 400u);
}

TEST(JobReportsTest, AStepsReasonIsNoErrorItWentOnFromNorAnEarlierStepsOne) {
    CJobReports reports;
    // A route given up for a fallback, with the failure it reported first.
    reports.Note(L"Get ADB Devices Name Failed!", MSG_FAILURE);
    reports.Note(L"Usre ADB Fail！", MSG_FALLBACK);
    reports.Note(L"Retry to SearchDevices...", MSG_DETAIL);
    EXPECT_EQ(reports.StepReason(L"none"), L"none");
    // An error stands through details and goes once the step succeeds at
    // something after it.
    reports.Note(L"Wipe Disk Fail!", MSG_FAILURE);
    reports.Note(L"Reboot ....", MSG_PROGRESS_LINE);
    EXPECT_EQ(reports.StepReason(L"none"), L"Wipe Disk Fail!");
    reports.Note(L"Connect To Phone Success!", MSG_STEP_OK);
    EXPECT_EQ(reports.StepReason(L"none"), L"none");
    reports.Note(L"Connect to Phone Error!", MSG_FAILURE);
    reports.BeginStep();
    EXPECT_EQ(reports.StepReason(L"none"), L"none");
}

TEST(LogLineTest, IsStampedInChinaTimeWithTheDateCarried) {
    SYSTEMTIME utc = {};
    utc.wYear = 2025, utc.wMonth = 12, utc.wDay = 31, utc.wHour = 20, utc.wMinute = 30, utc.wSecond = 5;
    EXPECT_EQ(CLogFile::FormatLine(utc, L"x %s y"), L"2026-01-01 04:30:05 x %s y\r\n");
    utc = {};
    utc.wYear = 2024, utc.wMonth = 2, utc.wDay = 28, utc.wHour = 16, utc.wMinute = 0, utc.wSecond = 0;
    EXPECT_EQ(CLogFile::FormatLine(utc, L"leap"), L"2024-02-29 00:00:00 leap\r\n");
    utc.wHour = 15, utc.wMinute = 59, utc.wSecond = 59;
    EXPECT_EQ(CLogFile::FormatLine(utc, L"same day"), L"2024-02-28 23:59:59 same day\r\n");
}

TEST(LogLineTest, TextsOutsideTheCodePageBecomeReplacementCharacters) {
    testsupport::ScratchFolder scratch(L"applog");
    CLogFile log;
    ASSERT_TRUE(log.Create(scratch.File(L"log.txt")));
    ASSERT_TRUE(log.AppendLine(L"a\u0E01b"));
    const std::string bytes = testsupport::ReadBytes(scratch.File(L"log.txt")).value_or("");
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "a?b\r\n");
}

TEST(ProgramFolderTest, APathThatCannotBeHadWholeNamesNoFileAtAll) {
    EXPECT_EQ(PathInFolder(L"C:\\tool", L"Log\\tavikLog.log"), L"C:\\tool\\Log\\tavikLog.log");
    const std::wstring deep = L"C:\\" + std::wstring(MAX_PATH - 10, L'd');
    for (const std::wstring& folder : {std::wstring(), deep}) {
        EXPECT_EQ(PathInFolder(folder, L"QX_M_BCB_DL_Dll.dll"), L"") << folder.size();
        // Neither the library nor the log falls back to the drive's root.
        CMtkLibrary library;
        EXPECT_FALSE(library.Load(folder));
        CLogFile log;
        EXPECT_FALSE(log.Create(CLogFile::PathInFolder(folder)));
        EXPECT_FALSE(log.AppendLine(L"nowhere"));
    }
    EXPECT_EQ(ProgramFolder(), testsupport::ProgramFolder());
}

TEST(UiChangeQueueTest, ChangesLeftAtTheCloseAreFreedAndLaterOnesRefused) {
    auto owned = std::make_shared<int>(0);
    CUiChangeQueue queue;
    ASSERT_TRUE(queue.Push([owned] { ++*owned; }));
    queue.RunAll();
    EXPECT_EQ(*owned, 1);
    ASSERT_TRUE(queue.Push([owned] { ++*owned; }));
    queue.Close();
    EXPECT_EQ(owned.use_count(), 1);
    EXPECT_FALSE(queue.Push([owned] { ++*owned; }));
    EXPECT_EQ(owned.use_count(), 1);
    queue.RunAll();
    EXPECT_EQ(*owned, 1);
}

TEST(MarkupEscapeTest, TagCharactersDrawAsThemselves) {
    EXPECT_EQ(EscapeMarkup(L"<c #FF0000>{b}x"), L"{<}c #FF0000{>}<{>b<}>x");
    EXPECT_EQ(EscapeMarkup(L"plain 型号"), L"plain 型号");
}

}  // namespace
}  // namespace apptest
