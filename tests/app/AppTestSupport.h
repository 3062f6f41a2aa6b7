// The tool's main window in the test program: the program's own window class
// built from the packed skin archive beside the test program (laid out like
// the tool's folder), driven through window messages and named controls, with
// the message pump the tool's modal loop runs.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>
#include <string>

#include "ControlUI.h"
#include "MessagePump.h"
#include "TavikDownloadDlg.h"
#include "TestFiles.h"
#include "WindowManager.h"
#include "WindowScreenshot.h"

namespace apptest {

// The window with its configuration and flags open to the tests.
class TestableDownloadDlg : public CTavikDownloadDlg {
public:
    using CTavikDownloadDlg::CTavikDownloadDlg;
    bool JobThreadEnded() const { return WaitForSingleObject(jobThread_.Get(), 0) == WAIT_OBJECT_0; }
    const CPhoneConfig& Config() const { return config_; }
    bool PackageReady() const { return packageReady_ != 0; }
    bool JobRunning() const { return jobRunning_; }
    bool WorkInProgress() const { return workInProgress_ != 0; }
    void SetWorkInProgress(bool work) { workInProgress_ = work ? 1 : 0; }
    std::wstring PhoneName() const {
        std::lock_guard<std::mutex> guard(stateLock_);
        return phoneName_.Text();
    }
    std::wstring Expected() const { return ExpectedVersion(); }
    // Tests shorten the search time-out and give the engine the simulated
    // phone's disk answers.
    CPhoneConfig& MutableConfig() { return config_; }
    CQcomDownloader& Engine() { return qcom_; }
    // A job whose allocation fails, as a hostile package's could.
    int ExhaustMemoryJob() { throw std::bad_alloc(); }
};

// Answers every message window of the tool (CMessageDlg) that opens on this
// thread while it lives, by clicking the named button, once the box has been
// open for the delay; a box without that button is closed as Escape would. A
// thread timer does it, so it acts inside the boxes' modal loops.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(const wchar_t* button, DWORD delayMs = 0);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    static MessageBoxAnswerer* Active();
    int Answered() const { return answered_; }
    // The skin file of the last box answered, and a control's text in it.
    std::wstring LastSkin() const { return lastSkin_; }
    std::wstring LastText(const wchar_t* control) const;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void AnswerOpenBoxes();

    std::wstring button_;
    DWORD delayMs_ = 0;
    std::map<HWND, DWORD> openedAt_;
    UINT_PTR timer_ = 0;
    int answered_ = 0;
    std::wstring lastSkin_;
    std::vector<std::pair<std::wstring, std::wstring>> lastTexts_;
};

// Closes the first system message box with the caption that appears while it
// lives (from a thread of its own: the box blocks the thread that shows it)
// and keeps its text.
class DialogCloser {
public:
    explicit DialogCloser(const wchar_t* caption);
    ~DialogCloser();
    DialogCloser(const DialogCloser&) = delete;
    DialogCloser& operator=(const DialogCloser&) = delete;
    std::wstring Text();

private:
    static DWORD WINAPI Watch(void* closer);

    std::wstring caption_;
    std::wstring text_;
    std::mutex lock_;
    volatile LONG stop_ = 0;
    HANDLE thread_ = nullptr;
};

// A real mouse click in the middle of a named control of any skinned window.
bool ClickControl(HWND window, TavikUI::CWindowManager& manager, const wchar_t* name);

// Runs the window's messages (as the modal loop does, pre-translation
// first) until the condition holds or the time is up; answers the condition.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    return testsupport::PumpUntil(condition, timeoutMs, &TavikUI::CWindowManager::PreTranslateAll);
}
// Runs the messages that are already waiting.
inline void PumpPending() { testsupport::PumpPending(&TavikUI::CWindowManager::PreTranslateAll); }

// A sample package of tests/fixtures/packages.
std::wstring SamplePackage(const std::wstring& name);
// The tool's folder: the test program's own.
std::wstring ProgramFolder();
// Where the tests leave their screenshots.
std::wstring OutputFolder();

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window as the tool's entry does and lets it paint.
    void OpenWindow(const JobThreadApi& jobThreadApi = JobThreadApi::System());
    // Closes it through WM_CLOSE and deletes the object.
    void CloseWindow();

    TavikUI::CControlUI* Control(const wchar_t* name);
    std::wstring Text(const wchar_t* name);
    int Page(const wchar_t* tabLayout);
    bool Enabled(const wchar_t* name);
    bool Selected(const wchar_t* option);
    DWORD TextColor(const wchar_t* label);
    std::wstring BackgroundImage(const wchar_t* name);
    // A real mouse click in the middle of the control (the layout is brought
    // up to date first); fails the test when the skin lacks the control.
    void Click(const wchar_t* name);
    // Repaints now, so the layout follows the latest page changes.
    void Repaint();
    void Shot(const std::wstring& name);

    // "IntroductionTab" page 1 through the start button.
    void GoToPackagePage();
    // A copy of a sample package in the scratch folder, under a name of its
    // own; `change` may remove or rewrite files of the copy.
    std::wstring CopyPackage(const std::wstring& sample, const std::wstring& name,
                             const std::function<void(const std::wstring&)>& change = nullptr);
    // Stores the folder as a choice does and runs the check to its end.
    void CheckPackage(const std::wstring& folder);
    std::string LogText();

    std::unique_ptr<TestableDownloadDlg> window_;
    std::unique_ptr<testsupport::ScratchFolder> scratch_;
};

}  // namespace apptest
