#include "AppTestSupport.h"

#include <cstdio>
#include <vector>

#include "LabelUI.h"
#include "MessageDlg.h"
#include "OptionUI.h"
#include "ShadowWindow.h"
#include "TabLayoutUI.h"
#include "WindowManager.h"

namespace apptest {

using TavikUI::CControlUI;

namespace {

MessageBoxAnswerer* g_activeAnswerer = nullptr;
constexpr UINT kAnswerPollMs = 30;

// Collects the visible message windows ("MessageBox") of a thread.
BOOL CALLBACK CollectMessageWindow(HWND window, LPARAM found) {
    wchar_t name[32] = {};
    GetWindowTextW(window, name, 32);
    if (IsWindowVisible(window) && wcscmp(name, L"MessageBox") == 0) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

}  // namespace

bool ClickControl(HWND window, TavikUI::CWindowManager& manager, const wchar_t* name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CControlUI* control = manager.FindControlByName(name);
    if (!control) {
        return false;
    }
    const RECT rect = control->Rect();
    const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageW(window, WM_MOUSEMOVE, 0, point);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(window, WM_LBUTTONUP, 0, point);
    return true;
}

MessageBoxAnswerer::MessageBoxAnswerer(const wchar_t* button, DWORD delayMs) : button_(button), delayMs_(delayMs) {
    g_activeAnswerer = this;
    timer_ = SetTimer(nullptr, 0, kAnswerPollMs, &MessageBoxAnswerer::OnTimer);
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    KillTimer(nullptr, timer_);
    if (g_activeAnswerer == this) {
        g_activeAnswerer = nullptr;
    }
}

MessageBoxAnswerer* MessageBoxAnswerer::Active() { return g_activeAnswerer; }

std::wstring MessageBoxAnswerer::LastText(const wchar_t* control) const {
    for (const auto& [name, text] : lastTexts_) {
        if (name == control) {
            return text;
        }
    }
    return L"<missing>";
}

void CALLBACK MessageBoxAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_activeAnswerer) {
        g_activeAnswerer->AnswerOpenBoxes();
    }
}

void MessageBoxAnswerer::AnswerOpenBoxes() {
    std::vector<HWND> boxes;
    EnumThreadWindows(GetCurrentThreadId(), &CollectMessageWindow, reinterpret_cast<LPARAM>(&boxes));
    for (HWND window : boxes) {
        auto* box = dynamic_cast<CMessageDlg*>(
            reinterpret_cast<TavikUI::CWindowWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
        if (!box) {
            continue;
        }
        const DWORD now = GetTickCount();
        const DWORD openedAt = openedAt_.emplace(window, now).first->second;
        if (now - openedAt < delayMs_) {
            continue;
        }
        openedAt_.erase(window);
        ++answered_;
        lastSkin_ = box->SkinFileName().Text();
        lastTexts_.clear();
        for (const wchar_t* name : {L"Version"}) {
            if (CControlUI* control = box->Manager().FindControlByName(name)) {
                lastTexts_.emplace_back(name, control->Text().Text());
            }
        }
        if (!ClickControl(window, box->Manager(), button_.c_str())) {
            box->CloseWithCode(1);
        }
    }
}

DialogCloser::DialogCloser(const wchar_t* caption) : caption_(caption) {
    thread_ = CreateThread(nullptr, 0, &DialogCloser::Watch, this, 0, nullptr);
}

DialogCloser::~DialogCloser() {
    InterlockedExchange(&stop_, 1);
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
}

std::wstring DialogCloser::Text() {
    std::lock_guard<std::mutex> guard(lock_);
    return text_;
}

DWORD WINAPI DialogCloser::Watch(void* closer) {
    auto* self = static_cast<DialogCloser*>(closer);
    while (InterlockedCompareExchange(&self->stop_, 0, 0) == 0) {
        if (HWND box = FindWindowW(L"#32770", self->caption_.c_str())) {
            wchar_t text[512] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 512);
            {
                std::lock_guard<std::mutex> guard(self->lock_);
                self->text_ = text;
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(20);
    }
    return 0;
}

std::wstring SamplePackage(const std::wstring& name) { return testsupport::FixturesDir() + L"\\packages\\" + name; }

std::wstring ProgramFolder() { return testsupport::ProgramFolder(); }

std::wstring OutputFolder() {
    const std::wstring folder = ProgramFolder() + L"\\screenshots";
    testsupport::MakeFolders(folder);
    return folder;
}

void MainWindowTest::SetUp() {
    static bool registered = false;
    if (!registered) {
        TavikUI::CShadowWindow::RegisterShadowWindowClass(GetModuleHandleW(nullptr));
        TavikUI::CWindowManager::SetModuleInstance(GetModuleHandleW(nullptr));
        TavikUI::CWindowManager::SetSkinArchive(L"tavik.Data", false);
        registered = true;
    }
    scratch_ = std::make_unique<testsupport::ScratchFolder>(L"apptest");
    ASSERT_TRUE(scratch_->Created());
}

void MainWindowTest::TearDown() {
    if (window_) {
        CloseWindow();
    }
    scratch_.reset();
}

void MainWindowTest::OpenWindow(const JobThreadApi& jobThreadApi) {
    window_ = std::make_unique<TestableDownloadDlg>(jobThreadApi);
    ASSERT_NE(window_->CreateNativeWindow(nullptr, L"tavikDownloadDlg", 0x10CE0000, WS_EX_WINDOWEDGE, CW_USEDEFAULT,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT),
              nullptr);
    Repaint();
}

void MainWindowTest::CloseWindow() {
    const HWND handle = window_->Handle();
    if (handle && IsWindow(handle)) {
        window_->SetWorkInProgress(false);
        PostMessageW(handle, WM_CLOSE, 0, 0);
        EXPECT_TRUE(PumpUntil([handle] { return !IsWindow(handle); }));
    }
    window_.reset();
}

CControlUI* MainWindowTest::Control(const wchar_t* name) { return window_->Manager().FindControlByName(name); }

std::wstring MainWindowTest::Text(const wchar_t* name) {
    CControlUI* control = Control(name);
    return control ? control->Text().Text() : L"<missing>";
}

int MainWindowTest::Page(const wchar_t* tabLayout) {
    CControlUI* control = Control(tabLayout);
    auto* tab = control ? static_cast<TavikUI::CTabLayoutUI*>(control->InterfaceByName(L"TabLayout")) : nullptr;
    return tab ? tab->SelectedIndex() : -100;
}

bool MainWindowTest::Enabled(const wchar_t* name) {
    CControlUI* control = Control(name);
    return control && control->IsEnabled();
}

bool MainWindowTest::Selected(const wchar_t* option) {
    CControlUI* control = Control(option);
    auto* asOption = control ? static_cast<TavikUI::COptionUI*>(control->InterfaceByName(L"Option")) : nullptr;
    return asOption && asOption->IsSelected();
}

DWORD MainWindowTest::TextColor(const wchar_t* label) {
    CControlUI* control = Control(label);
    auto* asLabel = control ? static_cast<TavikUI::CLabelUI*>(control->InterfaceByName(L"Label")) : nullptr;
    return asLabel ? asLabel->TextColor() : 0x12345678;
}

std::wstring MainWindowTest::BackgroundImage(const wchar_t* name) {
    CControlUI* control = Control(name);
    return control ? control->BackgroundImage().Text() : L"<missing>";
}

void MainWindowTest::Repaint() {
    RedrawWindow(window_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpPending();
    RedrawWindow(window_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void MainWindowTest::Click(const wchar_t* name) {
    Repaint();
    CControlUI* control = Control(name);
    ASSERT_NE(control, nullptr) << "the skin has no " << testsupport::Utf8(name);
    const RECT rect = control->Rect();
    const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageW(window_->Handle(), WM_MOUSEMOVE, 0, point);
    SendMessageW(window_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(window_->Handle(), WM_LBUTTONUP, 0, point);
    PumpPending();
}

void MainWindowTest::Shot(const std::wstring& name) {
    Repaint();
    PumpPending();
    EXPECT_TRUE(testsupport::SaveWindowScreenshot(window_->Handle(), OutputFolder() + L"\\" + name + L".bmp"));
}

void MainWindowTest::GoToPackagePage() {
    // The start button shows its notice box first.
    std::unique_ptr<MessageBoxAnswerer> notice;
    if (!MessageBoxAnswerer::Active()) {
        notice = std::make_unique<MessageBoxAnswerer>(L"MessageBoxOKBtn");
    }
    Click(L"StartNetBtn");
    ASSERT_EQ(Page(L"IntroductionTab"), TavikPage::kWorkArea);
    ASSERT_EQ(Page(L"FunctionTab"), TavikPage::kFunctionChoosePackage);
}

std::wstring MainWindowTest::CopyPackage(const std::wstring& sample, const std::wstring& name,
                                         const std::function<void(const std::wstring&)>& change) {
    const std::wstring folder = scratch_->File(name);
    EXPECT_TRUE(testsupport::CopyFolderTree(SamplePackage(sample), folder));
    if (change) {
        change(folder);
    }
    return folder;
}

void MainWindowTest::CheckPackage(const std::wstring& folder) {
    window_->ChooseSoftwareFolder(folder);
    PumpPending();
    Click(L"ConfirmSoftwareBtn");
    ASSERT_TRUE(PumpUntil([this] { return !window_->JobRunning(); }, 20000));
    PumpPending();
    Repaint();
}

std::string MainWindowTest::LogText() {
    return testsupport::ReadBytes(ProgramFolder() + L"\\Log\\tavikLog.log").value_or("<no log>");
}

}  // namespace apptest
