// The start page, the single running copy and closing the window.
#include "AppTestSupport.h"

#include <string>

#include "TabLayoutUI.h"
#include "TextFormat.h"

namespace apptest {
namespace {

class StartPageTest : public MainWindowTest {};

TEST_F(StartPageTest, OpensOnTheIntroductionAndTheStartButtonLeadsToThePackageChoice) {
    // A log left by an earlier run is emptied at start.
    ASSERT_TRUE(testsupport::WriteBytes(ProgramFolder() + L"\\Log\\tavikLog.log", "old line\r\n"));
    OpenWindow();
    EXPECT_TRUE(IsWindowVisible(window_->Handle()));
    EXPECT_NE(GetPropW(window_->Handle(), L"tavikDownloadDlg"), nullptr);
    EXPECT_EQ(CTavikDownloadDlg::MainWindow(), window_.get());
    EXPECT_EQ(LogText(), "");
    EXPECT_EQ(Page(L"IntroductionTab"), TavikPage::kIntroduction);
    EXPECT_FALSE(Control(L"Gray")->IsVisible());
    Shot(L"start-page");

    GoToPackagePage();
    EXPECT_EQ(Page(L"SelectSoftPathBtnTab"), TavikPage::kPathBrowseButton);
    EXPECT_EQ(Page(L"SelectSoftStatusTab"), TavikPage::kStatusText);
    EXPECT_FALSE(Enabled(L"ConfirmSoftwareBtn"));
    EXPECT_EQ(Text(L"ConfirmSoftwareBtn"), L"确定");
    EXPECT_FALSE(window_->WorkInProgress());
    Shot(L"package-page");
}

TEST_F(StartPageTest, TheSkinHasEveryControlTheWindowLooksUp) {
    OpenWindow();
    const wchar_t* names[] = {L"IntroductionTab",
                              L"FunctionTab",
                              L"ConnetDev",
                              L"SelectSoftPathBtnTab",
                              L"SelectSoftStatusTab",
                              L"DownloadProgress",
                              L"Gray",
                              L"StartNetBtn",
                              L"helpbtn",
                              L"closebtn",
                              L"minbtn",
                              L"PhonePic",
                              L"SWPhoneName",
                              L"SelectSoftPathEdit",
                              L"SelectSoftPathBtn",
                              L"CheckSWGif",
                              L"SelectSoftStatus",
                              L"SelectSoftStatusFail",
                              L"SaveUserData",
                              L"SaveProductionData",
                              L"ConfirmSoftwareBtn",
                              L"SoftwareReadyGif",
                              L"QcomVersionErrPhoneName",
                              L"QcomBakVersionErrBtn",
                              L"QcomConnetTimeOutBakBtn",
                              L"QcomConnetTimeOutRetryBtn",
                              L"QcomConnetErrBakBtn",
                              L"QcomConnetErrRetBtn",
                              L"MtkVersionErrPhoneName",
                              L"MtkBakVersionErrBtn",
                              L"MtkConnetTimeOutBakBtn",
                              L"MtkConnetTimeOutRetryBtn",
                              L"MtkConnetErrBakBtn",
                              L"MtkConnetErrRetryBtn",
                              L"DownloadFailRetryBtn",
                              L"DownloadSucBtn"};
    for (const wchar_t* name : names) {
        EXPECT_NE(Control(name), nullptr) << testsupport::Utf8(name);
    }
    const std::pair<const wchar_t*, int> pages[] = {{L"IntroductionTab", 2},
                                                    {L"FunctionTab", 5},
                                                    {L"ConnetDev", 10},
                                                    {L"SelectSoftPathBtnTab", 2},
                                                    {L"SelectSoftStatusTab", 3}};
    for (const auto& [tab, count] : pages) {
        // The last page exists and one past it does not.
        auto* layout = static_cast<TavikUI::CTabLayoutUI*>(Control(tab)->InterfaceByName(L"TabLayout"));
        ASSERT_NE(layout, nullptr);
        EXPECT_TRUE(layout->SelectTab(count - 1)) << testsupport::Utf8(tab);
        EXPECT_FALSE(layout->SelectTab(count)) << testsupport::Utf8(tab);
        layout->SelectTab(0);
    }
}

TEST_F(StartPageTest, EscapeClosesAnIdleWindowAndClearsTheWindowPointer) {
    OpenWindow();
    const HWND handle = window_->Handle();
    PostMessageW(handle, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpUntil([handle] { return !IsWindow(handle); }, 3000));
    EXPECT_EQ(CTavikDownloadDlg::MainWindow(), nullptr);
    // Reports that arrive now find no window and change nothing.
    const DownloadMessage late = {MSG_SUMMARY, 0, 4, L"late"};
    CTavikDownloadDlg::OnCheckMessage(&late);
    EXPECT_EQ(LogText(), "");
}

TEST_F(StartPageTest, TheCloseButtonClosesAnIdleWindowAndACaptionDoubleClickDoesNothing) {
    OpenWindow();
    const HWND handle = window_->Handle();
    // With a maximise box the default handling would maximise: only the
    // window's own handling keeps it as it is.
    SetWindowLongW(handle, GWL_STYLE, GetWindowLongW(handle, GWL_STYLE) | WS_MAXIMIZEBOX);
    SendMessageW(handle, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    PumpPending();
    EXPECT_FALSE(IsZoomed(handle));
    Click(L"closebtn");
    EXPECT_TRUE(PumpUntil([handle] { return !IsWindow(handle); }, 3000));
}

TEST_F(StartPageTest, ACloseDuringTheReadyAnimationCutsItShortAndEndsTheJobThread) {
    OpenWindow();
    GoToPackagePage();
    window_->ChooseSoftwareFolder(CopyPackage(L"SampleFH8974", L"closing"));
    Click(L"ConfirmSoftwareBtn");
    // The ready animation runs at the end of the check, for two seconds.
    ASSERT_TRUE(PumpUntil([this] { return Control(L"SoftwareReadyGif")->IsVisible(); }));
    // The confirmation is not part of this test: the user has agreed.
    window_->SetWorkInProgress(false);
    const HWND handle = window_->Handle();
    const DWORD start = GetTickCount();
    PostMessageW(handle, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([handle] { return !IsWindow(handle); }, 10000));
    // The animation stops at its next frame, well before its two seconds.
    EXPECT_LT(GetTickCount() - start, 1200u);
    EXPECT_TRUE(window_->JobThreadEnded());
    window_.reset();
}

// Refuses what the window asks for to start its job thread.
HANDLE NoEvent() { return nullptr; }
HANDLE NoThread(LPTHREAD_START_ROUTINE, void*) { return nullptr; }
// A handle that cannot be waited on: the thread starts, but its first wait
// fails and its loop ends.
HANDLE UnwaitableEvent() { return CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr); }

class JobThreadRefusedTest : public MainWindowTest, public ::testing::WithParamInterface<JobThreadApi> {};

TEST_P(JobThreadRefusedTest, IsAnnouncedAndNoStartButtonCanStartAJob) {
    MessageBoxAnswerer answerer(L"MessageBoxOKBtn");
    OpenWindow(GetParam());
    ASSERT_TRUE(PumpUntil([&answerer] { return answerer.Answered() == 1; }, 5000));
    EXPECT_EQ(answerer.LastSkin(), kJobThreadFailedSkin);
    EXPECT_NE(LogText().find(" " + WideToAnsi(L"Error:无法启动后台任务!") + "\r\n"), std::string::npos) << LogText();

    GoToPackagePage();
    window_->ChooseSoftwareFolder(CopyPackage(L"SampleFH8974", L"nothread"));
    PumpPending();
    for (const wchar_t* button : {L"ConfirmSoftwareBtn", L"QcomConnetErrRetBtn", L"QcomConnetTimeOutRetryBtn",
                                  L"MtkConnetErrRetryBtn", L"MtkConnetTimeOutRetryBtn"}) {
        EXPECT_FALSE(Enabled(button)) << testsupport::Utf8(button);
    }
    TavikUI::NotifyMessage click;
    window_->OnConfirmSoftwareBtn(click);
    EXPECT_FALSE(window_->JobRunning());
    EXPECT_TRUE(Enabled(L"SaveUserData"));
    EXPECT_EQ(answerer.Answered(), 2);  // the start notice, and the announcement once
}

INSTANTIATE_TEST_SUITE_P(EventThreadOrWait, JobThreadRefusedTest,
                         ::testing::Values(JobThreadApi{&NoEvent, JobThreadApi::System().startThread},
                                           JobThreadApi{JobThreadApi::System().createEvent, &NoThread},
                                           JobThreadApi{&UnwaitableEvent, JobThreadApi::System().startThread}));

// The job thread, held until the test lets it run (the window owns it).
HANDLE g_heldThread = nullptr;
HANDLE HeldThread(LPTHREAD_START_ROUTINE procedure, void* argument) {
    g_heldThread = CreateThread(nullptr, 0, procedure, argument, CREATE_SUSPENDED, nullptr);
    return g_heldThread;
}

TEST_F(StartPageTest, AJobLoopEndingWhileTheCloseWarningIsOpenIsAnnouncedWhenTheCloseIsCancelled) {
    MessageBoxAnswerer answerer(L"calbtn");
    OpenWindow(JobThreadApi{&UnwaitableEvent, &HeldThread});
    window_->SetWorkInProgress(true);
    // The loop's end reaches the window while its close warning is open.
    PostMessageW(window_->Handle(), WM_CLOSE, 0, 0);
    ResumeThread(g_heldThread);
    ASSERT_EQ(WaitForSingleObject(g_heldThread, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(PumpUntil([&answerer] { return answerer.Answered() == 2; }, 5000)) << answerer.Answered();
    EXPECT_EQ(answerer.LastSkin(), kJobThreadFailedSkin);
    for (const wchar_t* button :
         {L"QcomConnetErrRetBtn", L"QcomConnetTimeOutRetryBtn", L"MtkConnetErrRetryBtn", L"MtkConnetTimeOutRetryBtn"}) {
        EXPECT_FALSE(Enabled(button)) << testsupport::Utf8(button);
    }
    window_->SetWorkInProgress(false);
}

// The real program, started twice.
class SingleInstanceTest : public ::testing::Test {
protected:
    static HWND FindToolWindow() {
        for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
            if (GetPropW(window, L"tavikDownloadDlg")) {
                return window;
            }
        }
        return nullptr;
    }
    static bool Start(PROCESS_INFORMATION& process) {
        std::wstring commandLine = L"\"" TAVIK_DOWNLOAD_EXE L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        return CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process) != 0;
    }
};

TEST_F(SingleInstanceTest, ASecondStartRestoresTheFirstWindowAndEnds) {
    PROCESS_INFORMATION first = {};
    ASSERT_TRUE(Start(first));
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&window] { return (window = FindToolWindow()) != nullptr; }, 20000));
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([window] { return IsIconic(window) != 0; }, 3000));

    PROCESS_INFORMATION second = {};
    ASSERT_TRUE(Start(second));
    EXPECT_EQ(WaitForSingleObject(second.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(second.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(PumpUntil([window] { return !IsIconic(window); }, 3000));
    EXPECT_EQ(FindToolWindow(), window);

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(first.hProcess, 20000), WAIT_OBJECT_0);
    GetExitCodeProcess(first.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    for (PROCESS_INFORMATION* process : {&first, &second}) {
        CloseHandle(process->hThread);
        CloseHandle(process->hProcess);
    }
}

}  // namespace
}  // namespace apptest
