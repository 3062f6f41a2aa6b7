// The program tavikSetup.exe driven from outside through window messages:
// one instance only, its pages, an install into a typed-in folder and the
// tool started from the finish page. Each page is saved as a screenshot
// beside this test program (shots\installer-*.bmp).
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>

#include "ControlUI.h"
#include "InstallRecord.h"
#include "SetupTestSupport.h"
#include "ShadowWindow.h"
#include "TabLayoutUI.h"
#include "TavikInstallDlg.h"
#include "WindowManager.h"
#include "WindowScreenshot.h"
#include "WindowSearch.h"

namespace {

using namespace SetupTests;
using TavikSetup::CTavikInstallDlg;

const wchar_t kInstanceName[] = L"tavikInstallDlg";

std::wstring SetupProgram() { return testsupport::WithBackSlashes(TAVIK_SETUP_EXE); }

HANDLE StartProgram(const std::wstring& path) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

HWND FindInstallerWindow(DWORD processId) {
    return testsupport::FindTopLevelWindow(processId,
                                           [](HWND window) { return GetPropW(window, kInstanceName) != nullptr; });
}

// Saves what the screen shows of the window as a 24-bit BMP.
void SaveScreenshot(HWND window, const std::wstring& name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    const std::wstring folder = testsupport::ProgramFolder() + L"\\shots";
    testsupport::MakeFolders(folder);
    testsupport::SaveWindowScreenshot(window, folder + L"\\installer-" + name + L".bmp");
}

// Where the named controls sit, taken from the same window built in this
// process (same skin, same size) on the page that shows them.
std::map<std::wstring, POINT> ControlCentres() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    TavikUI::CShadowWindow::RegisterShadowWindowClass(instance);
    TavikUI::CWindowManager::SetModuleInstance(instance);
    TavikUI::CWindowManager::SetResourceFolder(TavikUI::CWindowManager::ModuleFolder().Text());
    std::map<std::wstring, POINT> centres;
    auto mirror = std::make_unique<CTavikInstallDlg>();
    const HWND handle = mirror->CreateNativeWindow(nullptr, L"mirror", WS_POPUP, 0, 0, 0, CTavikInstallDlg::kWidth,
                                                   CTavikInstallDlg::kHeight);
    if (!handle) {
        return centres;
    }
    auto& manager = mirror->Manager();
    auto record = [&](const wchar_t* name) {
        InvalidateRect(handle, nullptr, FALSE);
        SendMessageW(handle, WM_PAINT, 0, 0);
        if (TavikUI::CControlUI* control = manager.FindControlByName(name)) {
            const RECT r = control->Rect();
            centres[name] = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        }
    };
    ShowWindow(handle, SW_SHOWNOACTIVATE);
    for (const wchar_t* name : {L"StartInstallBtn", L"CheckAgreement", L"ShowAgreement", L"ShowSetupConfig"}) {
        record(name);
    }
    SetWindowPos(handle, nullptr, 0, 0, CTavikInstallDlg::kWidth, CTavikInstallDlg::kOptionsHeight, SWP_NOMOVE);
    static_cast<TavikUI::CTabLayoutUI*>(manager.FindControlByName(L"SetupConfTab"))->SelectTab(1);
    record(L"SelectSoftPathEdit");
    static_cast<TavikUI::CTabLayoutUI*>(manager.FindControlByName(L"FunctionTab"))->SelectTab(2);
    record(L"StartAppBtn");
    DestroyWindow(handle);
    return centres;
}

class InstallerProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(machine_.Ready());
        centres_ = ControlCentres();
        ASSERT_EQ(6u, centres_.size());
        installFolder_ = machine_.Root() + L"\\安装 目录\\";
    }
    void TearDown() override {
        for (HANDLE process : processes_) {
            if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process, 1);
            }
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }

    HANDLE Start() {
        HANDLE process = StartProgram(SetupProgram());
        if (process) {
            processes_.push_back(process);
        }
        return process;
    }
    void Click(HWND window, const wchar_t* name) {
        // Lay out what a resize or a page change left for the next paint
        // first: posted clicks come before a pending paint.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const POINT at = centres_.at(name);
        const LPARAM where = MAKELPARAM(at.x, at.y);
        PostMessageW(window, WM_MOUSEMOVE, 0, where);
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageW(window, WM_LBUTTONUP, 0, where);
    }
    static int Height(HWND window) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        return rect.bottom - rect.top;
    }

    ScratchMachine machine_;
    std::map<std::wstring, POINT> centres_;
    std::vector<HANDLE> processes_;
    std::wstring installFolder_;
};

TEST_F(InstallerProgramTest, RunsOnceInstallsAndStartsTheToolFromTheInstallFolder) {
    HANDLE first = Start();
    ASSERT_TRUE(first);
    HWND window = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (window = FindInstallerWindow(GetProcessId(first))) != nullptr; }, 30000));
    EXPECT_EQ(CTavikInstallDlg::kHeight, Height(window));
    SaveScreenshot(window, L"1-start");

    Click(window, L"ShowSetupConfig");
    EXPECT_TRUE(WaitFor([&] { return Height(window) == CTavikInstallDlg::kOptionsHeight; }, 5000));
    // The folder typed into the field, as a user would, once the field's
    // editor shows: before, it is still placing the field's own text.
    HWND field = nullptr;
    for (int tries = 0; tries < 5 && !field; ++tries) {
        Click(window, L"SelectSoftPathEdit");
        WaitFor(
            [&] {
                const HWND editor = FindWindowExW(window, nullptr, L"EditWnd", nullptr);
                field = editor && IsWindowVisible(editor) ? editor : nullptr;
                return field != nullptr;
            },
            1000);
    }
    ASSERT_TRUE(field);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(installFolder_.c_str()));
    SaveScreenshot(window, L"2-options");
    Click(window, L"ShowAgreement");
    EXPECT_TRUE(WaitFor([&] { return Height(window) == CTavikInstallDlg::kAgreementHeight; }, 5000));
    SaveScreenshot(window, L"3-agreement");

    Click(window, L"StartInstallBtn");
    EXPECT_TRUE(WaitFor([&] { return Height(window) == CTavikInstallDlg::kHeight; }, 5000));
    SaveScreenshot(window, L"4-installing");
    ASSERT_TRUE(WaitFor([] { return InstallRecord::ReadInstalledVersion() == 9; }, 60000));
    EXPECT_EQ(installFolder_ + L"Uninstall.exe", InstallRecord::ReadUninstallString());
    Sleep(500);
    SaveScreenshot(window, L"5-finished");

    // A second copy hands over to the first, which comes back to the front,
    // and ends.
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(window) != FALSE; }, 5000));
    HANDLE second = Start();
    ASSERT_TRUE(second);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 20000));
    DWORD code = 1;
    GetExitCodeProcess(second, &code);
    EXPECT_EQ(0u, code);
    EXPECT_EQ(window, FindInstallerWindow(GetProcessId(first)));
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(window) && GetForegroundWindow() == window; }, 5000));

    Click(window, L"StartAppBtn");
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first, 20000));
    // Wherever it was installed: a tool left running would hold the tool's
    // single-instance name for the tests after this one.
    const std::wstring tool = InstallRecord::ReadRegisteredInstallFolder() + L"tavik_Download.exe";
    DWORD toolId = 0;
    EXPECT_TRUE(WaitFor([&] { return (toolId = FindProcessByImage(tool)) != 0; }, 20000));
    if (toolId) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, toolId);
        if (process) {
            processes_.push_back(process);
        }
    }
}

}  // namespace
