// The uninstall window in this process: its start button runs the sequence
// and walks the pages to the finish page; the timer fills the bar and stops.
//
// With TAVIK_UNINSTALL_HOLD_MS set each page stays on screen that long, so
// that a screenshot of the display can be taken.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ControlUI.h"
#include "InstallRecord.h"
#include "MessagePump.h"
#include "ProgressUI.h"
#include "ShadowWindow.h"
#include "TabLayoutUI.h"
#include "UnInstallDlg.h"
#include "UninstallTestSupport.h"
#include "WindowScreenshot.h"
#include "WindowManager.h"

namespace {

using TavikUninstall::CUnInstallDlg;
using testsupport::PumpFor;

void HoldForScreenshot(HWND window, int page) {
    if (const char* hold = std::getenv("TAVIK_UNINSTALL_HOLD_MS")) {
        PumpFor(static_cast<DWORD>(std::atoi(hold)));
        const std::wstring shots = testsupport::ProgramFolder() + L"\\shots";
        testsupport::MakeFolders(shots);
        testsupport::SaveWindowScreenshot(window, shots + L"\\uninstaller-page-" + std::to_wstring(page) + L".bmp");
    }
}

class UninstallWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TavikUI::CShadowWindow::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
        TavikUI::CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr));
    }

    void Open() {
        std::string why;
        ASSERT_TRUE(install.Install(why)) << why;
        Show(window);
    }
    static void Show(CUnInstallDlg& shown) {
        ASSERT_NE(nullptr, shown.CreateNativeWindow(
                               nullptr, TavikUninstall::kWindowName,
                               WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, WS_EX_WINDOWEDGE,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT));
        PumpFor(50);
    }
    TavikUI::CControlUI* Control(const wchar_t* name) { return window.Manager().FindControlByName(name); }
    static int PageOf(CUnInstallDlg& shown) {
        TavikUI::CControlUI* tab = shown.Manager().FindControlByName(L"FunctionTab");
        return static_cast<TavikUI::CTabLayoutUI*>(tab->InterfaceByName(L"TabLayout"))->SelectedIndex();
    }
    static std::wstring ReasonsOf(CUnInstallDlg& shown) {
        return shown.Manager().FindControlByName(L"FailedReasons")->Text().Text();
    }
    int Page() { return PageOf(window); }
    void Click(const wchar_t* name) {
        TavikUI::CControlUI* button = Control(name);
        ASSERT_NE(nullptr, button) << testsupport::Utf8(name);
        const RECT rect = button->Rect();
        const LPARAM centre = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        window.SendToWindow(WM_MOUSEMOVE, 0, centre);
        window.SendToWindow(WM_LBUTTONDOWN, MK_LBUTTON, centre);
        window.SendToWindow(WM_LBUTTONUP, 0, centre);
    }

    UninstallTests::Installation install;
    CUnInstallDlg window;
};

TEST_F(UninstallWindowTest, StartButtonWalksThePagesToTheFinishPage) {
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(TavikUninstall::kStartPage, Page());
    EXPECT_STREQ(InstallRecord::kProductVersion, Control(L"AppVersion")->Text().Text());
    EXPECT_NE(nullptr, GetPropW(window.Handle(), TavikUninstall::kInstanceName));
    HoldForScreenshot(window.Handle(), 0);

    Click(L"StartUnInstallBtn");
    std::vector<int> pages = {Page()};
    for (const DWORD start = GetTickCount(); Page() != TavikUninstall::kFinishPage && GetTickCount() - start < 60000;) {
        PumpFor(10);
        if (Page() != pages.back()) {
            pages.push_back(Page());
        }
    }
    EXPECT_EQ(
        (std::vector<int>{TavikUninstall::kStartPage, TavikUninstall::kProgressPage, TavikUninstall::kFinishPage}),
        pages);
    EXPECT_FALSE(UninstallTests::RegistrationValueExists(L"UninstallString"));
    EXPECT_FALSE(UninstallTests::Exists(install.Folder()));

    // The bar follows the timer's ticks to 100, and the timer stops there.
    for (int tick = 0; tick < 100 && window.ProgressCounter() < 100; ++tick) {
        window.SendToWindow(WM_TIMER, TavikUninstall::kProgressTimerId, 0);
    }
    auto* bar = static_cast<TavikUI::CProgressUI*>(Control(L"InstallProgress")->InterfaceByName(L"Progress"));
    EXPECT_EQ(100, bar->CurrentValue());
    EXPECT_FALSE(KillTimer(window.Handle(), TavikUninstall::kProgressTimerId));
    window.PostToWindow(TavikUninstall::kShowPageMessage, TavikUninstall::kProgressPage);
    PumpFor(50);
    HoldForScreenshot(window.Handle(), 1);
    window.PostToWindow(TavikUninstall::kShowPageMessage, TavikUninstall::kFinishPage);
    PumpFor(50);
    EXPECT_STREQ(InstallRecord::kProductVersion, Control(L"AppVersionFinsh")->Text().Text());
    HoldForScreenshot(window.Handle(), 2);

    Click(L"ExitBtn");
    PumpFor(50);
    EXPECT_FALSE(IsWindow(window.Handle()));
}

TEST_F(UninstallWindowTest, WhatCannotBeRemovedIsNamedAndALaterRunFinishes) {
    ASSERT_NO_FATAL_FAILURE(Open());
    // A damaged driver installer, and the tool's file held open.
    ASSERT_TRUE(testsupport::WriteBytes(install.Folder() + L"Driver\\x86\\dpinst.exe", "damaged"));
    const std::wstring tool = install.Folder() + InstallRecord::kToolExeName;
    HANDLE held = CreateFileW(tool.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    Click(L"StartUnInstallBtn");
    const bool ended = testsupport::PumpUntil([this] { return Page() == TavikUninstall::kFailedPage; }, 60000);
    CloseHandle(held);
    ASSERT_TRUE(ended) << "page " << Page();
    // The file that stayed is named, with the system's reason.
    const std::wstring reasons = ReasonsOf(window);
    EXPECT_EQ(0u, reasons.find(
                      L"驱动未能卸载。\n部分文件未能删除，请关闭正在运行的 tavik刷机小助手 后重新卸载。\n未能删除：" +
                      tool + L"（"))
        << testsupport::Utf8(reasons);
    // The rest went; the list, the uninstaller and the drivers' folder stay
    // for a later run.
    EXPECT_FALSE(UninstallTests::Exists(install.Folder() + L"PhoneList.Xml"));
    EXPECT_TRUE(UninstallTests::Exists(tool));
    EXPECT_TRUE(UninstallTests::Exists(install.Folder() + L"UnInstall.exe"));
    EXPECT_TRUE(UninstallTests::Exists(install.Folder() + InstallRecord::kFileListName));
    EXPECT_TRUE(UninstallTests::Exists(install.Folder() + L"Driver\\x86\\qxser.inf"));
    HoldForScreenshot(window.Handle(), TavikUninstall::kFailedPage);
    Click(L"FailedExitBtn");
    PumpFor(50);
    EXPECT_FALSE(IsWindow(window.Handle()));

    // The installed uninstaller hands its folder over: nothing is
    // registered. With a driver installer that runs, the drivers go first.
    ASSERT_TRUE(CopyFileW(testsupport::WithBackSlashes(TAVIK_DPINST_EXE).c_str(),
                          (install.Folder() + L"Driver\\x86\\dpinst.exe").c_str(), FALSE));
    CUnInstallDlg later;
    later.SetInstallFolder(TavikUI::CWideString(install.Folder().c_str()));
    EXPECT_TRUE(later.DoUninstall()) << testsupport::Utf8(TavikUninstall::UninstallFaultLines(later.Faults()));
    EXPECT_EQ(std::size(InstallRecord::kDriverPackages), install.DriverRuns().size());
    EXPECT_FALSE(UninstallTests::Exists(install.Folder()));
}

TEST_F(UninstallWindowTest, OpensOnItsFailurePageWhenThereIsNothingToStart) {
    // Nothing registered, no folder handed over.
    Show(window);
    EXPECT_EQ(TavikUninstall::kFailedPage, Page());
    EXPECT_EQ(L"没有找到要卸载的 tavik刷机小助手。", ReasonsOf(window));
    HoldForScreenshot(window.Handle(), TavikUninstall::kFailedPage);

    CUnInstallDlg notHandedOver;
    notHandedOver.SetStartFault(TavikUninstall::kFaultNotStarted);
    Show(notHandedOver);
    EXPECT_EQ(TavikUninstall::kFailedPage, PageOf(notHandedOver));
    EXPECT_EQ(L"卸载程序未能启动，请确认临时文件夹可以写入后重新卸载。", ReasonsOf(notHandedOver));
    DestroyWindow(notHandedOver.Handle());
    DestroyWindow(window.Handle());
}

}  // namespace
