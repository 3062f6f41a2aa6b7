// The skin window sample run as a child process: a skin that cannot be built
// ends the program with an error box and exit code 1; a missing "ZIP_RES"
// resource leaves an empty window and no box; a good skin shows a window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "MessagePump.h"
#include "WindowManager.h"
#include "WindowSearch.h"
#include "skinwnd/SkinWindowSample.h"

namespace {

// A child process started from the sample program beside the test program.
class SampleProcess {
public:
    explicit SampleProcess(const std::wstring& arguments) {
        const std::wstring program =
            std::wstring(TavikUI::CWindowManager::ModuleFolder().Text()) + SkinWindowSample::kProgramName;
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        started_ = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process_) != FALSE;
    }
    ~SampleProcess() {
        if (!started_) {
            return;
        }
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    bool Started() const { return started_; }
    DWORD Id() const { return process_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD milliseconds) {
        if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) {
            return STILL_ACTIVE;
        }
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
};

// Waits for a visible top-level window of the process with that title.
HWND WaitForWindow(DWORD processId, const wchar_t* title, DWORD milliseconds) {
    HWND found = nullptr;
    testsupport::WaitFor(
        [&] {
            found = testsupport::FindTopLevelWindow(
                processId, [title](HWND window) { return testsupport::IsShownWithTitle(window, title); });
            return found != nullptr;
        },
        milliseconds);
    return found;
}

BOOL CALLBACK CollectText(HWND child, LPARAM data) {
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 255);
    reinterpret_cast<std::vector<std::wstring>*>(data)->push_back(text);
    return TRUE;
}

std::vector<std::wstring> ChildTexts(HWND window) {
    std::vector<std::wstring> texts;
    EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool Contains(const std::vector<std::wstring>& texts, const wchar_t* text) {
    for (const std::wstring& each : texts) {
        if (each == text) {
            return true;
        }
    }
    return false;
}

const DWORD kStartTimeout = 30000;

// Ends the child by the box it shows and checks what it said and how it ended.
void ExpectErrorBoxAndExitOne(const wchar_t* mode) {
    SampleProcess child(mode);
    ASSERT_TRUE(child.Started()) << GetLastError();
    const HWND box = WaitForWindow(child.Id(), L"TavikUI", kStartTimeout);
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_TRUE(Contains(ChildTexts(box), L"加载资源文件失败"));
    // Still waiting on the box.
    EXPECT_EQ(child.WaitForExit(200), STILL_ACTIVE);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(child.WaitForExit(kStartTimeout), 1u);
}

TEST(SkinWindowProcessTest, SkinThatCannotBeBuiltShowsTheBoxAndExitsWithOne) {
    ExpectErrorBoxAndExitOne(SkinWindowSample::kMissingSkin);
}

TEST(SkinWindowProcessTest, ReloadFromAnArchiveWithoutTheSkinShowsTheBoxAndExitsWithOne) {
    ExpectErrorBoxAndExitOne(SkinWindowSample::kReloadMissing);
}

TEST(SkinWindowProcessTest, MissingZipResourceLeavesAnEmptyWindowWithoutABox) {
    SampleProcess child(SkinWindowSample::kMissingResource);
    ASSERT_TRUE(child.Started()) << GetLastError();
    EXPECT_EQ(child.WaitForExit(kStartTimeout), static_cast<DWORD>(SkinWindowSample::kEmptyWindowExit));
}

TEST(SkinWindowProcessTest, ArchiveAndResourceSkinsShowTheWindowUntilItIsClosed) {
    for (const wchar_t* mode : {SkinWindowSample::kFromArchiveFile, SkinWindowSample::kFromZipResource}) {
        SampleProcess child(mode);
        ASSERT_TRUE(child.Started()) << GetLastError();
        const HWND window = WaitForWindow(child.Id(), SkinWindowSample::kWindowTitle, kStartTimeout);
        ASSERT_NE(window, nullptr) << "no window for " << static_cast<const void*>(mode);
        RECT frame = {};
        GetWindowRect(window, &frame);
        EXPECT_EQ(frame.right - frame.left, 420);
        EXPECT_EQ(frame.bottom - frame.top, 280);
        // Escape closes with code 1, which the sample returns.
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(child.WaitForExit(kStartTimeout), 1u);
    }
}

}  // namespace
