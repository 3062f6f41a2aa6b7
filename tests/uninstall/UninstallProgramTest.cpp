// UnInstall.exe started as users start it: without arguments it hands over
// to a copy of itself in the temporary folder (or, with nothing registered,
// restarts itself) that shows the window; one window only.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ControlUI.h"
#include "InstallRecord.h"
#include "MessagePump.h"
#include "SelfRelaunch.h"
#include "TabLayoutUI.h"
#include "UnInstallDlg.h"
#include "WindowManager.h"
#include "XMLWnd.h"
#include "UninstallTestSupport.h"

namespace {

using UninstallTests::Installation;

const DWORD kWindowWaitMs = 30000;

BOOL CALLBACK CollectInstanceWindow(HWND window, LPARAM found) {
    if (GetPropW(window, TavikUninstall::kInstanceName)) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> InstanceWindows() {
    std::vector<HWND> found;
    EnumWindows(CollectInstanceWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitForInstanceWindow() {
    std::vector<HWND> windows;
    testsupport::WaitFor([&windows] { return !(windows = InstanceWindows()).empty(); }, kWindowWaitMs);
    return windows.empty() ? nullptr : windows.front();
}

// The program file of the window's process, and that process (to wait for).
std::wstring ProgramOf(HWND window, HANDLE& process) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
    wchar_t path[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process, 0, path, &size)) {
        return std::wstring();
    }
    return path;
}

bool EndsWithin(HANDLE process, DWORD ms) { return WaitForSingleObject(process, ms) == WAIT_OBJECT_0; }

// Closes the uninstaller's window and waits for its process.
void CloseAndWait(HWND window, HANDLE process) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(EndsWithin(process, kWindowWaitMs));
    CloseHandle(process);
}

// The uninstaller's skin laid out in a hidden window of this process: where a
// control of a shown uninstaller window lies.
class UninstallerLayout : public TavikUI::CXMLWnd {
public:
    UninstallerLayout() : CXMLWnd(L"tavikUnInstall\\UnInstallDlg.xml") {}
    UINT SkinSourceKind() const override { return TavikUI::kSkinFromZipResource; }
    const wchar_t* SkinResourceId() const override { return L"#102"; }

    // The control's centre on that page, in a window whose client area is
    // `client`.
    POINT CentreOf(const RECT& client, const wchar_t* name, int page) {
        TavikUI::CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr));
        if (!CreateNativeWindow(nullptr, L"layout", WS_POPUP, 0, 0, 0, client.right, client.bottom)) {
            return POINT{-1, -1};
        }
        if (TavikUI::CControlUI* tab = Manager().FindControlByName(L"FunctionTab")) {
            static_cast<TavikUI::CTabLayoutUI*>(tab->InterfaceByName(L"TabLayout"))->SelectTab(page);
        }
        Manager().Root()->Place(client);
        TavikUI::CControlUI* control = Manager().FindControlByName(name);
        const RECT rect = control ? static_cast<RECT>(control->Rect()) : RECT{-2, -2, -2, -2};
        DestroyWindow(Handle());
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
};

// A click of the named control on that page of a shown uninstaller window.
void ClickIn(HWND window, const wchar_t* name, int page = TavikUninstall::kStartPage) {
    RECT client = {};
    GetClientRect(window, &client);
    const POINT at = UninstallerLayout().CentreOf(client, name, page);
    const LPARAM point = MAKELPARAM(at.x, at.y);
    SendMessageW(window, WM_MOUSEMOVE, 0, point);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(window, WM_LBUTTONUP, 0, point);
}

}  // namespace

void UninstallTests::UninstallInItsWindow(const std::wstring& uninstaller, const std::wstring& arguments,
                                          const std::wstring& gone) {
    HANDLE installed = UninstallTests::StartProgram(uninstaller, arguments);
    ASSERT_NE(nullptr, installed);
    const HWND window = WaitForInstanceWindow();
    ASSERT_NE(nullptr, window);
    CloseHandle(installed);
    HANDLE shown = nullptr;
    EXPECT_EQ(0, _wcsicmp(TavikUninstall::TempUninstallerPath().Text(), ProgramOf(window, shown).c_str()));
    ClickIn(window, L"StartUnInstallBtn");
    EXPECT_TRUE(testsupport::WaitFor([&gone] { return !UninstallTests::Exists(gone); }, 60000));
    // The finish page's button ends the program; on any other page it is
    // out of reach.
    const bool left = testsupport::WaitFor(
        [&] {
            ClickIn(window, L"ExitBtn", TavikUninstall::kFinishPage);
            return EndsWithin(shown, 500);
        },
        10000, 0);
    EXPECT_TRUE(left) << "no finish page";
    CloseAndWait(window, shown);
}

namespace {

class UninstallProgramTest : public ::testing::Test {
protected:
    void TearDown() override {
        // The copy cannot remove itself.
        DeleteFileW(TavikUninstall::TempUninstallerPath().Text());
    }
};

TEST_F(UninstallProgramTest, PlainStartHandsOverToACopyInTheTemporaryFolder) {
    Installation install;
    std::string why;
    ASSERT_TRUE(install.Install(why)) << why;
    DeleteFileW(TavikUninstall::TempUninstallerPath().Text());

    HANDLE installed = UninstallTests::StartProgram(install.Folder() + L"UnInstall.exe", L"");
    ASSERT_NE(nullptr, installed);
    const HWND window = WaitForInstanceWindow();
    ASSERT_NE(nullptr, window);
    HANDLE shown = nullptr;
    EXPECT_EQ(0, _wcsicmp(TavikUninstall::TempUninstallerPath().Text(), ProgramOf(window, shown).c_str()));
    EXPECT_TRUE(EndsWithin(installed, 1000));
    CloseHandle(installed);

    // A second start only brings the first forward.
    HANDLE second = UninstallTests::StartProgram(UninstallTests::UninstallerProgram(), L"/u");
    ASSERT_NE(nullptr, second);
    EXPECT_TRUE(EndsWithin(second, kWindowWaitMs));
    CloseHandle(second);
    EXPECT_EQ(1u, InstanceWindows().size());

    CloseAndWait(window, shown);
    // Nothing was removed: the window was only closed.
    EXPECT_TRUE(UninstallTests::RegistrationValueExists(L"Version"));
}

// An install over a stale registration (its folder removed by hand) failed
// at its drivers and left the registration as it was; the uninstaller it
// left removes what it installed, through the list beside it, and the stale
// values with it.
TEST_F(UninstallProgramTest, TheUninstallerOfAFailedInstallRemovesWhatItInstalled) {
    Installation install;
    ASSERT_TRUE(InstallRecord::WriteUninstallValues(install.Scratch() + L"\\Removed\\", 1));
    std::string why;
    ASSERT_TRUE(install.InstallWithDamagedDriverInstaller(why)) << why;
    ASSERT_TRUE(UninstallTests::Exists(install.Desktop() + L"\\tavik刷机小助手.lnk"));
    // The user has mended the driver installer since: the drivers can go.
    ASSERT_TRUE(CopyFileW(testsupport::WithBackSlashes(TAVIK_DPINST_EXE).c_str(),
                          (install.Folder() + L"Driver\\x86\\dpinst.exe").c_str(), FALSE));

    UninstallTests::UninstallInItsWindow(install.Folder() + L"UnInstall.exe", L"", install.Folder());
    for (const std::wstring& item : install.Items()) {
        EXPECT_FALSE(UninstallTests::Exists(install.Folder() + item)) << testsupport::Utf8(item);
    }
    EXPECT_FALSE(UninstallTests::Exists(install.Desktop() + L"\\tavik刷机小助手.lnk"));
    EXPECT_FALSE(UninstallTests::Exists(install.Programs() + L"\\Quorel"));
    EXPECT_FALSE(UninstallTests::RegistrationValueExists(L"UninstallString"));
}

// A's uninstall could not finish and kept its list, uninstaller and
// registration. An install into another folder finds A through them, runs
// A's "/q" and removes what A's folder kept after it.
TEST_F(UninstallProgramTest, AKeptInstallationIsFinishedByTheNextInstall) {
    // Both scratch machines first: each clears the registration it starts on.
    Installation a;
    Installation b;
    std::string why;
    ASSERT_TRUE(a.Install(why)) << why;
    {
        const std::wstring tool = a.Folder() + InstallRecord::kToolExeName;
        HANDLE held = CreateFileW(tool.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        TavikUninstall::CUnInstallDlg first;
        first.SetInstallFolder(TavikUI::CWideString(a.Folder().c_str()));
        EXPECT_FALSE(first.DoUninstall());
        CloseHandle(held);
    }
    ASSERT_TRUE(UninstallTests::Exists(a.Folder() + L"UnInstall.exe"));
    ASSERT_TRUE(b.Install(why, b.Scratch() + L"\\B")) << why;

    EXPECT_FALSE(UninstallTests::Exists(a.Folder()));
    EXPECT_EQ(b.Folder() + L"Uninstall.exe", InstallRecord::ReadUninstallString());
    EXPECT_TRUE(UninstallTests::Exists(b.Programs() + L"\\Quorel\\tavik_Download\\UnInstall.lnk"));
}

// The copy to the temporary folder fails (the temporary folder is a file):
// the installed uninstaller says so in a window of its own.
TEST_F(UninstallProgramTest, AHandOverThatFailsShowsTheWindow) {
    Installation install;
    std::string why;
    ASSERT_TRUE(install.Install(why)) << why;
    wchar_t saved[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", (install.Folder() + L"PhoneList.Xml").c_str());
    HANDLE installed = UninstallTests::StartProgram(install.Folder() + L"UnInstall.exe", L"");
    SetEnvironmentVariableW(L"TMP", saved[0] ? saved : nullptr);
    ASSERT_NE(nullptr, installed);
    const HWND window = WaitForInstanceWindow();
    ASSERT_NE(nullptr, window);
    HANDLE shown = nullptr;
    EXPECT_EQ(0, _wcsicmp((install.Folder() + L"UnInstall.exe").c_str(), ProgramOf(window, shown).c_str()));
    CloseHandle(installed);
    CloseAndWait(window, shown);
    EXPECT_TRUE(UninstallTests::RegistrationValueExists(L"Version"));
}

TEST_F(UninstallProgramTest, WithNothingRegisteredRestartsItselfInWindowMode) {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath);
    HANDLE first = UninstallTests::StartProgram(UninstallTests::UninstallerProgram(), L"/Q");
    ASSERT_NE(nullptr, first);
    const HWND window = WaitForInstanceWindow();
    ASSERT_NE(nullptr, window);
    HANDLE shown = nullptr;
    EXPECT_EQ(0, _wcsicmp(UninstallTests::UninstallerProgram().c_str(), ProgramOf(window, shown).c_str()));
    EXPECT_TRUE(EndsWithin(first, 1000));
    CloseHandle(first);
    CloseAndWait(window, shown);
}

}  // namespace
