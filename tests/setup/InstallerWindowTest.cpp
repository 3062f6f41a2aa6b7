// The installer's window in this process, from the same skin and payload
// resources the program carries: pages, folder choice, the install sequence
// and the records it leaves.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <memory>

#include "ControlUI.h"
#include "FolderDialog.h"
#include "InstallFolderRule.h"
#include "InstallPaths.h"
#include "InstallRecord.h"
#include "OptionUI.h"
#include "ProgressUI.h"
#include "SetupTestSupport.h"
#include "Shortcut.h"
#include "ShadowWindow.h"
#include "TabLayoutUI.h"
#include "TavikInstallDlg.h"
#include "WindowManager.h"
#include "WindowScreenshot.h"
#include "ZipArchive.h"

namespace {

using namespace SetupTests;
using TavikSetup::CTavikInstallDlg;
using TavikUI::CControlUI;

TEST(InstallFolderRuleTest, FoldersAndItemNames) {
    using namespace InstallFolderRule;
    EXPECT_TRUE(IsUsableInstallFolder(L"C:\\Program Files\\Quorel\\tavik_Download\\"));
    EXPECT_TRUE(IsUsableInstallFolder(L"D:\\T"));
    EXPECT_TRUE(IsUsableInstallFolder(L"\\\\server\\share\\tavik"));
    for (const wchar_t* refused : {L"", L"tavik", L".\\", L"\\tavik", L"C:", L"C:\\", L"C:tavik", L"C:\\.\\",
                                   L"C:\\a\\..\\..\\", L"C:\\a:b\\", L"\\\\server\\share\\"}) {
        EXPECT_FALSE(IsUsableInstallFolder(refused)) << testsupport::Utf8(refused);
    }
    const std::wstring longest = L"C:\\" + std::wstring(kMaxFolderLength - 4, L'x') + L"\\";
    EXPECT_TRUE(IsUsableInstallFolder(longest));
    EXPECT_FALSE(IsUsableInstallFolder(L"C:\\y" + longest.substr(2)));

    EXPECT_EQ(L"D:\\Tools\\tavik_Download\\", FolderForChoice(L"D:\\Tools", true));
    EXPECT_EQ(L"D:\\Empty", FolderForChoice(L"D:\\Empty", false));
    EXPECT_EQ(L"D:\\tavik_Download\\", FolderForChoice(L"D:\\", false));

    EXPECT_TRUE(IsItemNameInsideFolder(L"Driver/x64/dpinst.exe"));
    EXPECT_TRUE(IsItemNameInsideFolder(L"Log/"));
    for (const wchar_t* refused : {L"", L"../evil.exe", L"Log/../../evil", L"/root.txt", L"\\root.txt",
                                   L"C:/Windows/evil.dll", L"a.txt:stream", L"a/ ../b"}) {
        EXPECT_FALSE(IsItemNameInsideFolder(refused)) << testsupport::Utf8(refused);
    }
}

class InstallerWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        TavikUI::CShadowWindow::RegisterShadowWindowClass(instance);
        TavikUI::CWindowManager::SetModuleInstance(instance);
        TavikUI::CWindowManager::SetResourceFolder(TavikUI::CWindowManager::ModuleFolder().Text());
    }

    void SetUp() override {
        ASSERT_TRUE(machine_.Ready());
        OpenWindow();
    }

    void TearDown() override {
        CloseWindow();
        testsupport::RemoveFolderTree(Temporary() + L"tavik_Download.zip");
    }

    void OpenWindow() {
        window_ = std::make_unique<CTavikInstallDlg>();
        handle_ = window_->CreateNativeWindow(nullptr, L"tavikInstallDlg", 0x10CE0000, 0x100, CW_USEDEFAULT,
                                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
        ASSERT_TRUE(handle_);
        Repaint();
    }
    // The install thread must have ended before the window object goes.
    void CloseWindow() {
        if (window_) {
            ASSERT_TRUE(window_->StopInstall(30000));
            if (IsWindow(handle_)) {
                DestroyWindow(handle_);
            }
        }
        window_.reset();
    }

    static std::wstring Temporary() {
        wchar_t folder[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        return folder;
    }

    void Repaint() {
        InvalidateRect(handle_, nullptr, FALSE);
        UpdateWindow(handle_);
    }
    template <class Control>
    Control* Find(const wchar_t* name) {
        return dynamic_cast<Control*>(window_->Manager().FindControlByName(name));
    }
    void Click(const wchar_t* name) {
        Repaint();
        CControlUI* control = Find<CControlUI>(name);
        ASSERT_TRUE(control) << testsupport::Utf8(name);
        const RECT rect = control->Rect();
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        SendMessageW(handle_, WM_MOUSEMOVE, 0, at);
        SendMessageW(handle_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(handle_, WM_LBUTTONUP, 0, at);
    }
    int Page(const wchar_t* layout) { return Find<TavikUI::CTabLayoutUI>(layout)->SelectedIndex(); }
    SIZE WindowSize() {
        RECT rect = {};
        GetWindowRect(handle_, &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }
    // The client area's pixel as WM_PRINTCLIENT paints it, 0xRRGGBB.
    DWORD ClientPixel(int x, int y) {
        RECT client = {};
        GetClientRect(handle_, &client);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageW(handle_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        GdiFlush();
        const DWORD pixel = static_cast<const DWORD*>(bits)[y * client.right + x] & 0xFFFFFFu;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return pixel;
    }
    bool Selected(const wchar_t* name) { return Find<TavikUI::COptionUI>(name)->IsSelected(); }
    // The failure page's lines.
    std::wstring FailureReasons() { return Find<CControlUI>(L"FailedReasons")->Text().Text(); }

    // Chooses `folder` in the folder dialog, as a user would, or cancels
    // it.
    void ChooseInDialog(const std::wstring& folder, bool confirm = true) {
        const std::wstring answer = confirm ? folder : std::wstring();
        EXPECT_TRUE(testsupport::ChooseInFolderDialog([this] { Click(L"SelectInstallPathBtn"); }, answer))
            << "the folder dialog did not open, choose or close";
    }

    // Starts the install and waits for the page it ends on.
    bool InstallAndWait(int endPage) {
        Click(L"StartInstallBtn");
        return PumpUntil([this, endPage] { return window_->InstallFinished() && Page(L"FunctionTab") == endPage; },
                         60000);
    }

    // The payload's items in the archive's order: names, and the bytes of
    // the files.
    struct PayloadItem {
        std::wstring name;
        std::string bytes;
    };
    static HRSRC PayloadResource() { return FindResourceW(nullptr, MAKEINTRESOURCEW(111), L"ZIP_RES"); }
    static std::vector<PayloadItem> PayloadItems() {
        std::vector<PayloadItem> items;
        const HRSRC resource = PayloadResource();
        TavikUI::HZIPARCHIVE payload =
            resource ? TavikUI::ZipArchiveOpen(LockResource(LoadResource(nullptr, resource)),
                                               SizeofResource(nullptr, resource), TavikUI::ZIP_KIND_MEMORY)
                     : nullptr;
        if (!payload) {
            return items;
        }
        TavikUI::ZipArchiveEntry summary = {};
        TavikUI::ZipArchiveGetItem(payload, -1, &summary);
        for (int32_t i = 0; i < summary.index; ++i) {
            TavikUI::ZipArchiveEntry entry = {};
            if (TavikUI::ZipArchiveGetItem(payload, i, &entry) != TavikUI::ZIP_OK) {
                continue;
            }
            PayloadItem item{entry.name, std::string(entry.uncompressedSize, '\0')};
            if (!item.bytes.empty()) {
                TavikUI::ZipArchiveExtractItem(payload, i, &item.bytes[0], static_cast<uint32_t>(item.bytes.size()),
                                               TavikUI::ZIP_KIND_MEMORY);
            }
            items.push_back(item);
        }
        TavikUI::ZipArchiveClose(payload);
        return items;
    }

    ScratchMachine machine_;
    std::unique_ptr<CTavikInstallDlg> window_;
    HWND handle_ = nullptr;
};

TEST_F(InstallerWindowTest, AgreementAndOptionsChangeTheButtonAndTheWindow) {
    CControlUI* install = Find<CControlUI>(L"StartInstallBtn");
    EXPECT_EQ(0, Page(L"FunctionTab"));
    EXPECT_TRUE(Selected(L"CheckAgreement"));
    EXPECT_FALSE(Selected(L"ShowSetupConfig"));
    EXPECT_EQ(CTavikInstallDlg::kHeight, WindowSize().cy);
    EXPECT_STREQ(L"V1.2.0.1.beta", Find<CControlUI>(L"AppVersion")->Text().Text());

    Click(L"CheckAgreement");
    EXPECT_FALSE(Selected(L"CheckAgreement"));
    EXPECT_FALSE(install->IsEnabled());
    // A disabled button starts nothing.
    Click(L"StartInstallBtn");
    PumpFor(300);
    EXPECT_EQ(0, Page(L"FunctionTab"));
    EXPECT_FALSE(window_->InstallFinished());
    Click(L"CheckAgreement");
    EXPECT_TRUE(install->IsEnabled());

    Click(L"ShowSetupConfig");
    EXPECT_EQ(1, Page(L"SetupConfTab"));
    EXPECT_STREQ(L"开始安装", install->Text().Text());
    EXPECT_EQ((SIZE{CTavikInstallDlg::kWidth, CTavikInstallDlg::kOptionsHeight}).cy, WindowSize().cy);
    EXPECT_EQ(CTavikInstallDlg::kWidth, WindowSize().cx);
    Click(L"ShowSetupConfig");
    EXPECT_EQ(CTavikInstallDlg::kHeight, WindowSize().cy);

    RECT before = {};
    GetWindowRect(handle_, &before);
    Click(L"ShowSetupConfig");
    Click(L"ShowAgreement");
    EXPECT_EQ(0, Page(L"SetupConfTab"));
    EXPECT_EQ(CTavikInstallDlg::kAgreementHeight, WindowSize().cy);
    EXPECT_FALSE(Selected(L"ShowSetupConfig"));
    RECT after = {};
    GetWindowRect(handle_, &after);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
}

// (An empty folder chosen is kept as it is: FolderForChoice above. Each
// dialog costs seconds under Wine.)
TEST_F(InstallerWindowTest, FolderChoiceGivesAFolderInUseASubFolderAndCancelKeepsIt) {
    const std::wstring full = machine_.Root() + L"\\Full";
    ASSERT_TRUE(testsupport::MakeFolders(full));
    // Only a dot file: still somebody's folder.
    ASSERT_TRUE(testsupport::WriteBytes(full + L"\\.profile", "someone's"));
    Click(L"ShowSetupConfig");

    ChooseInDialog(full);
    EXPECT_EQ(full + L"\\tavik_Download\\", window_->ChosenInstallFolder());
    EXPECT_EQ(full + L"\\tavik_Download\\", Find<CControlUI>(L"SelectSoftPathEdit")->Text().Text());
    ChooseInDialog(machine_.Root(), false);
    EXPECT_EQ(full + L"\\tavik_Download\\", window_->ChosenInstallFolder());
}

TEST_F(InstallerWindowTest, RelativeOrRootFolderTypedInIsRefusedBeforeAnythingIsWritten) {
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    ASSERT_TRUE(SetCurrentDirectoryW(machine_.Root().c_str()));
    for (const wchar_t* typed : {L"tavik_here", L"C:\\"}) {
        CloseWindow();
        OpenWindow();
        Find<CControlUI>(L"SelectSoftPathEdit")->SetText(typed);
        ASSERT_TRUE(InstallAndWait(TavikSetup::kFailedPage)) << testsupport::Utf8(typed);
        EXPECT_EQ(L"安装目录无效，请重新选择安装目录。", FailureReasons());
        EXPECT_EQ(0u, InstallRecord::ReadInstalledVersion());
        EXPECT_TRUE(machine_.Journal().empty());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"C:\\SeupFileList.Dat"));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((machine_.Root() + L"\\tavik_here").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((machine_.Root() + L"\\SeupFileList.Dat").c_str()));
    SetCurrentDirectoryW(current);
}

class InstallRunTest : public InstallerWindowTest {
protected:
    void SetUp() override {
        InstallerWindowTest::SetUp();
        folder_ = machine_.Root() + L"\\Install\\";
        ASSERT_TRUE(testsupport::MakeFolders(folder_));
        // Typed into the field without its back slash: the install adds it.
        Find<CControlUI>(L"SelectSoftPathEdit")->SetText((machine_.Root() + L"\\Install").c_str());
    }
    // An earlier installation in "Earlier\" whose uninstaller is the
    // stand-in under its name, taking `delayMs` to end.
    bool RegisterEarlierInstallation(const wchar_t* delayMs) {
        earlier_ = machine_.Root() + L"\\Earlier\\";
        return testsupport::MakeFolders(earlier_) &&
               CopyFileW(DpinstStandIn().c_str(), (earlier_ + L"Uninstall.exe").c_str(), FALSE) &&
               InstallRecord::WriteUninstallValues(earlier_, 1) &&
               SetEnvironmentVariableW(L"TAVIK_DPINST_DELAY_MS", delayMs);
    }
    // What a test puts in the folder first belongs to an uninstall that
    // could not finish: its list, naming the uninstaller, is kept there.
    bool KeepListOf(std::vector<std::wstring> items) {
        items.push_back(folder_ + L"UnInstall.exe");
        return testsupport::WriteBytes(folder_ + L"SeupFileList.Dat", InstallRecord::EncodeFileList(items));
    }
    std::wstring folder_;
    std::wstring earlier_;
};

TEST_F(InstallRunTest, FreshInstallLeavesEveryRecord) {
    Click(L"StartInstallBtn");
    // A second click while it runs starts no second install.
    Click(L"StartInstallBtn");
    ASSERT_TRUE(PumpUntil(
        [this] { return window_->InstallFinished() && Page(L"FunctionTab") == TavikSetup::kFinishPage; }, 60000));

    // Every payload item with its bytes, and the list in item order.
    std::vector<std::wstring> listed;
    for (const PayloadItem& item : PayloadItems()) {
        const std::wstring path = folder_ + item.name;
        listed.push_back(path);
        if (path.back() == L'/') {
            EXPECT_NE(0u, GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) << testsupport::Utf8(path);
            continue;
        }
        EXPECT_EQ(item.bytes, testsupport::ReadBytes(path).value_or("<missing>")) << testsupport::Utf8(path);
        EXPECT_EQ(0u, GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY) << testsupport::Utf8(path);
    }
    ASSERT_GT(listed.size(), 30u);
    EXPECT_EQ(InstallRecord::EncodeFileList(listed),
              testsupport::ReadBytes(folder_ + L"SeupFileList.Dat").value_or(""));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((Temporary() + L"tavik_Download.zip").c_str()));

    // The registration: the record tests check every value's type and size.
    EXPECT_EQ(9u, InstallRecord::ReadInstalledVersion());
    EXPECT_EQ(folder_ + L"Uninstall.exe", InstallRecord::ReadUninstallString());
    EXPECT_EQ(folder_ + L"tavik_Download.exe", InstallRecord::ReadUninstallText(L"DisplayIcon"));
    DWORD kib = 0;
    DWORD size = sizeof(kib);
    RegGetValueW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr,
                 &kib, &size);
    EXPECT_EQ(SizeofResource(nullptr, PayloadResource()) >> 10, kib);

    const std::wstring tool = folder_ + L"tavik_Download.exe";
    const std::wstring quorel = machine_.Programs() + L"\\Quorel\\tavik_Download\\";
    EXPECT_EQ(tool, InstallRecord::ReadShortcutTarget(machine_.Desktop() + L"\\tavik刷机小助手.lnk").value_or(L""));
    EXPECT_EQ(tool, InstallRecord::ReadShortcutTarget(quorel + L"tavik刷机小助手.lnk").value_or(L""));
    EXPECT_EQ(folder_ + L"UnInstall.exe", InstallRecord::ReadShortcutTarget(quorel + L"UnInstall.lnk").value_or(L""));

    // One driver run, from the x86 folder (this build never runs under
    // WOW64), in that folder.
    const std::wstring drivers = folder_ + L"Driver\\x86";
    EXPECT_EQ(std::vector<std::wstring>{L"start|dpinst.exe|/F /LM /SW /SA|" + drivers}, machine_.Journal());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"C:\\Windows\\inf\\mdmcdp.inf"));

    // The bar: whatever the install did, a hundred ticks fill it and end the
    // timer.
    auto* bar = Find<TavikUI::CProgressUI>(L"InstallProgress");
    const int ticked = bar->CurrentValue();
    EXPECT_LT(ticked, 100);
    EXPECT_TRUE(KillTimer(handle_, TavikSetup::kProgressTimerId) || !"the timer runs until the bar is full");
    SetTimer(handle_, TavikSetup::kProgressTimerId, 500, nullptr);
    for (int tick = ticked; tick < 100; ++tick) {
        SendMessageW(handle_, WM_TIMER, TavikSetup::kProgressTimerId, 0);
    }
    EXPECT_EQ(100, bar->CurrentValue());
    EXPECT_FALSE(KillTimer(handle_, TavikSetup::kProgressTimerId));
    // Drawn full: the installing page's bar shows its fore colour to its end.
    Find<TavikUI::CTabLayoutUI>(L"FunctionTab")->SelectTab(1);
    Repaint();
    const RECT barRect = bar->Rect();
    EXPECT_EQ(0x2D7DD2u, ClientPixel(barRect.right - 3, (barRect.top + barRect.bottom) / 2));
}

TEST_F(InstallRunTest, SecondInstallWaitsForTheEarlierUninstaller) {
    // Slow enough that a run not waited for would end after the drivers.
    ASSERT_TRUE(RegisterEarlierInstallation(L"1500"));

    ASSERT_TRUE(InstallAndWait(TavikSetup::kFinishPage));
    std::wstring temporary = Temporary();
    temporary.pop_back();
    const std::vector<std::wstring> expected = {L"start|Uninstall.exe|/q|" + temporary, L"end|Uninstall.exe",
                                                L"start|dpinst.exe|/F /LM /SW /SA|" + folder_ + L"Driver\\x86",
                                                L"end|dpinst.exe"};
    EXPECT_EQ(expected, machine_.Journal());
    EXPECT_EQ(folder_ + L"Uninstall.exe", InstallRecord::ReadUninstallString());
}

TEST_F(InstallRunTest, EarlierInstallationWithoutUninstallerStopsAtOnce) {
    const DWORD version = 9;
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath, L"Version",
                                             REG_DWORD, &version, sizeof(version)));
    ASSERT_TRUE(InstallAndWait(TavikSetup::kFailedPage));
    EXPECT_EQ(L"旧版本未能卸载，请先卸载旧版本后重新安装。", FailureReasons());
    EXPECT_TRUE(machine_.Journal().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder_ + L"SeupFileList.Dat").c_str()));
}

// The user removed the earlier installation's folder by hand: its
// registration names an uninstaller that is gone.
TEST_F(InstallRunTest, EarlierRegistrationWhoseUninstallerIsGoneIsInstalledOver) {
    ASSERT_TRUE(InstallRecord::WriteUninstallValues(machine_.Root() + L"\\Removed\\", 1));
    ASSERT_TRUE(InstallAndWait(TavikSetup::kFinishPage));
    EXPECT_EQ(folder_ + L"Uninstall.exe", InstallRecord::ReadUninstallString());
}

// A technician's tools folder typed into the field: it holds files of its
// own, one of them under a payload item's name.
TEST_F(InstallRunTest, TypedFolderInUseGetsTheSubFolderAndItsFilesStay) {
    ASSERT_TRUE(testsupport::WriteBytes(folder_ + L"AdbWinApi.dll", "the technician's"));
    ASSERT_TRUE(InstallAndWait(TavikSetup::kFinishPage));
    EXPECT_EQ(folder_ + L"tavik_Download\\", window_->ChosenInstallFolder());
    EXPECT_EQ("the technician's", testsupport::ReadBytes(folder_ + L"AdbWinApi.dll").value_or(""));
    EXPECT_TRUE(testsupport::ReadBytes(folder_ + L"tavik_Download\\AdbWinApi.dll").has_value());
    EXPECT_EQ(folder_ + L"tavik_Download\\Uninstall.exe", InstallRecord::ReadUninstallString());
}

// No window of the process but the installer's own (a system error box
// would be a "#32770" dialog).
BOOL CALLBACK FindSystemBox(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && wcscmp(name, L"#32770") == 0) {
        *reinterpret_cast<bool*>(found) = true;
    }
    return TRUE;
}

TEST_F(InstallRunTest, StepsThatFailAreNamedOnTheFailurePageWithoutASystemBox) {
    // A damaged driver installer where the payload's goes, held open so
    // that it can neither be written nor started. Folders where the MTP
    // system file and the desktop link go.
    const std::wstring dpinst = folder_ + L"Driver\\x86\\dpinst.exe";
    ASSERT_TRUE(testsupport::MakeFolders(folder_ + L"Driver\\x86"));
    ASSERT_TRUE(testsupport::WriteBytes(dpinst, "damaged"));
    HANDLE held = CreateFileW(dpinst.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(testsupport::MakeFolders(folder_ + L"Driver\\MTP\\mdmcdp.inf"));
    ASSERT_TRUE(testsupport::MakeFolders(machine_.Desktop() + L"\\tavik刷机小助手.lnk"));
    ASSERT_TRUE(KeepListOf({dpinst, folder_ + L"Driver/MTP/mdmcdp.inf"}));
    const bool systemInfThere = InstallRecord::PathExists(L"C:\\Windows\\inf\\mdmcdp.inf");

    const bool ended = InstallAndWait(TavikSetup::kFailedPage);
    bool systemBox = false;
    EnumWindows(FindSystemBox, reinterpret_cast<LPARAM>(&systemBox));
    CloseHandle(held);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(systemBox);
    uint32_t expected = TavikSetup::kFaultFiles | TavikSetup::kFaultShortcuts | TavikSetup::kFaultDrivers;
    if (!systemInfThere) {
        expected |= TavikSetup::kFaultSystemFiles;
    }
    EXPECT_EQ(expected, window_->Faults());
    EXPECT_EQ(std::wstring(L"部分文件未能写入，请关闭正在运行的 tavik刷机小助手 后重新安装。\n") +
                  (systemInfThere ? L"" : L"系统驱动文件未能复制。\n") + L"快捷方式未能创建。\n驱动未能安装。",
              FailureReasons());
    // Without drivers nothing is registered; the uninstaller left in the
    // folder removes what was written.
    EXPECT_EQ(0u, InstallRecord::ReadInstalledVersion());
    EXPECT_TRUE(testsupport::ReadBytes(folder_ + L"UnInstall.exe").has_value());

    const std::wstring shots = testsupport::ProgramFolder() + L"\\shots";
    testsupport::MakeFolders(shots);
    Repaint();
    testsupport::SaveWindowScreenshot(handle_, shots + L"\\installer-7-failed-steps.bmp");
}

TEST_F(InstallRunTest, PayloadThatCannotBeUnpackedEndsWithNothingRegistered) {
    // No temporary folder to put the payload in.
    wchar_t saved[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
    const std::wstring missing = machine_.Root() + L"\\NoSuchFolder";
    SetEnvironmentVariableW(L"TMP", missing.c_str());
    const bool finished = InstallAndWait(TavikSetup::kFailedPage);
    SetEnvironmentVariableW(L"TMP", saved[0] ? saved : nullptr);
    ASSERT_TRUE(finished);
    EXPECT_EQ(L"安装包未能解压，请确认临时文件夹可以写入。", FailureReasons());
    EXPECT_EQ(0u, InstallRecord::ReadInstalledVersion());
    EXPECT_TRUE(machine_.Journal().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((machine_.Desktop() + L"\\tavik刷机小助手.lnk").c_str()));
    EXPECT_TRUE(InstallRecord::IsFolderEmpty(folder_));
}

TEST_F(InstallRunTest, ItemThatCannotBeWrittenIsListedTheRestInstalledRegisteredAndReportedAsFailed) {
    // A folder where the payload's tool skin goes.
    ASSERT_TRUE(testsupport::MakeFolders(folder_ + L"tavik.Data"));
    ASSERT_TRUE(KeepListOf({folder_ + L"tavik.Data"}));
    ASSERT_TRUE(InstallAndWait(TavikSetup::kFailedPage));
    EXPECT_EQ(L"部分文件未能写入，请关闭正在运行的 tavik刷机小助手 后重新安装。", FailureReasons());

    std::vector<std::wstring> listed;
    for (const PayloadItem& item : PayloadItems()) {
        const std::wstring path = folder_ + item.name;
        listed.push_back(path);
        if (item.name != L"tavik.Data" && path.back() != L'/') {
            EXPECT_EQ(item.bytes, testsupport::ReadBytes(path).value_or("<missing>")) << testsupport::Utf8(path);
        }
    }
    ASSERT_GT(listed.size(), 30u);
    EXPECT_EQ(InstallRecord::EncodeFileList(listed),
              testsupport::ReadBytes(folder_ + L"SeupFileList.Dat").value_or(""));
    // Registered, so that the uninstaller can take back what was written.
    EXPECT_EQ(folder_ + L"Uninstall.exe", InstallRecord::ReadUninstallString());
    EXPECT_EQ(1u, machine_.Journal().size());

    const std::wstring shots = testsupport::ProgramFolder() + L"\\shots";
    testsupport::MakeFolders(shots);
    Repaint();
    testsupport::SaveWindowScreenshot(handle_, shots + L"\\installer-6-failed.bmp");

    // The failure page's button closes the installer and starts nothing.
    Click(L"CloseSetupBtn");
    PumpUntil([this] { return !IsWindow(handle_); }, 5000);
    EXPECT_FALSE(IsWindow(handle_));
    EXPECT_EQ(0u, FindProcessByImage(folder_ + L"tavik_Download.exe"));
}

TEST_F(InstallRunTest, RegistrationThatCannotBeWrittenIsReportedAsFailed) {
    // An uninstall key that may be read and deleted but not written.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, InstallRecord::kUninstallKeyPath, 0, nullptr, 0,
                                             KEY_READ | WRITE_DAC, nullptr, &key, nullptr));
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KRSDWD;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                     nullptr));
    const LONG secured = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly);
    LocalFree(readOnly);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, secured);
    ASSERT_FALSE(InstallRecord::WriteUninstallValues(folder_, 1)) << "the key can still be written";

    ASSERT_TRUE(InstallAndWait(TavikSetup::kFailedPage));
    EXPECT_EQ(L"卸载信息未能写入注册表。", FailureReasons());
    EXPECT_TRUE(testsupport::ReadBytes(folder_ + L"tavik_Download.exe").has_value());
}

// An earlier installation whose uninstaller takes far longer than any test
// waits.
class HungEarlierUninstallerTest : public InstallRunTest {
protected:
    void SetUp() override {
        InstallRunTest::SetUp();
        ASSERT_TRUE(RegisterEarlierInstallation(L"60000"));
    }
    void TearDown() override {
        InstallRunTest::TearDown();
        EndProcessesOf(earlier_ + L"Uninstall.exe");
        EndProcessesOf(earlier_ + L"Driver\\x86\\dpinst.exe");
        EndProcessesOf(folder_ + L"Driver\\x86\\dpinst.exe");
    }
    void SetShortWaits(DWORD earlierUninstallerMs) {
        CTavikInstallDlg::Waits waits;
        waits.earlierUninstallerMs = earlierUninstallerMs;
        waits.afterUninstallerMs = 0;
        waits.packageMs = 500;
        window_->SetWaits(waits);
    }
};

// Ended before it removed anything: the earlier installation is still
// there, so the install stops at its first step.
TEST_F(HungEarlierUninstallerTest, IsEndedAfterTheBoundAndTheInstallStops) {
    // Its list names a file it had not removed yet.
    ASSERT_TRUE(
        testsupport::WriteBytes(earlier_ + L"tool.exe", "the earlier tool") &&
        testsupport::WriteBytes(earlier_ + InstallRecord::kFileListName,
                                InstallRecord::EncodeFileList({earlier_ + L"tool.exe", earlier_ + L"Uninstall.exe"})));
    SetShortWaits(500);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(InstallAndWait(TavikSetup::kFailedPage));
    EXPECT_LT(GetTickCount() - start, 20000u);
    EXPECT_EQ(L"旧版本未能卸载，请先卸载旧版本后重新安装。", FailureReasons());
    EXPECT_EQ(0u, FindProcessByImage(earlier_ + L"Uninstall.exe"));
    const std::vector<std::wstring> journal = machine_.Journal();
    ASSERT_EQ(1u, journal.size());
    EXPECT_EQ(0u, journal[0].find(L"start|Uninstall.exe|/q|"));
    EXPECT_EQ(earlier_ + L"Uninstall.exe", InstallRecord::ReadUninstallString());
}

// The earlier installation's own uninstaller, hung in the driver installer it
// started: ending it ends that too, before this install runs its own.
TEST_F(HungEarlierUninstallerTest, IsEndedWithTheDriverInstallerItStarted) {
    const std::wstring dpinst = earlier_ + L"Driver\\x86\\dpinst.exe";
    ASSERT_TRUE(testsupport::MakeFolders(earlier_ + L"Driver\\x86"));
    ASSERT_TRUE(CopyFileW(DpinstStandIn().c_str(), dpinst.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(TAVIK_UNINSTALL_EXE, (earlier_ + L"Uninstall.exe").c_str(), FALSE));
    ASSERT_TRUE(testsupport::WriteBytes(earlier_ + InstallRecord::kFileListName,
                                        InstallRecord::EncodeFileList({earlier_ + L"Uninstall.exe", dpinst})));
    SetShortWaits(8000);
    ASSERT_TRUE(InstallAndWait(TavikSetup::kFailedPage));
    const std::vector<std::wstring> journal = machine_.Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(0u, journal[0].find(L"start|dpinst.exe|/Q /D /u ")) << "it had not started its driver installer";
    EXPECT_EQ(0u, FindProcessByImage(dpinst));
    EXPECT_EQ(0u, FindProcessByImage(earlier_ + L"Uninstall.exe"));
}

TEST_F(HungEarlierUninstallerTest, ClosingTheWindowCutsTheWaitShort) {
    Click(L"StartInstallBtn");
    ASSERT_TRUE(PumpUntil([this] { return !machine_.Journal().empty(); }, 20000));
    PostMessageW(handle_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([this] { return window_->InstallFinished(); }, 5000));
    EXPECT_FALSE(IsWindow(handle_));
    // Ended with the wait: left running it would remove a later install's
    // files.
    EXPECT_TRUE(WaitFor([this] { return FindProcessByImage(earlier_ + L"Uninstall.exe") == 0; }, 5000));
}

}  // namespace
