// The URL button: what it hands the shell when activated, checked through
// its shell-call seam, and what it answers.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ButtonUrlUI.h"
#include "ControlsTestSupport.h"

using ControlsTests::SkinWindowTest;
using TavikUI::CButtonUrlUI;

namespace {

// What the last shell call received, and what it answers.
struct ShellCall {
    int count = 0;
    HWND window = reinterpret_cast<HWND>(1);
    bool hasVerb = true;
    std::wstring file;
    bool hasParameters = true;
    bool hasFolder = true;
    INT show = -1;
};

ShellCall g_call;
INT_PTR g_shellAnswer = 42;

HINSTANCE WINAPI RecordShellCall(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder,
                                 INT show) {
    ++g_call.count;
    g_call.window = window;
    g_call.hasVerb = verb != nullptr;
    g_call.file = file ? file : L"<null>";
    g_call.hasParameters = parameters != nullptr;
    g_call.hasFolder = folder != nullptr;
    g_call.show = show;
    return reinterpret_cast<HINSTANCE>(g_shellAnswer);
}

class ButtonUrlTest : public SkinWindowTest {
protected:
    void SetUp() override {
        SkinWindowTest::SetUp();
        g_call = ShellCall();
        g_shellAnswer = 42;
    }
    CButtonUrlUI* BuildUrlButton(const std::wstring& attributes) {
        if (!BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                       L"<ButtonURL name=\"u\" float=\"true\" pos=\"10,10,110,50\" text=\"site\" " +
                       attributes + L"/></Container></Window>")) {
            return nullptr;
        }
        auto* button = Find<CButtonUrlUI>(L"u");
        if (button) {
            button->SetShellExecute(RecordShellCall);
        }
        return button;
    }
};

TEST_F(ButtonUrlTest, AClickOpensTheSkinsAddressThroughTheShellAndSendsNoClick) {
    CButtonUrlUI* button = BuildUrlButton(L"PopURL=\"https://www.example.com/tavik?a=1&amp;b=2\"");
    ASSERT_NE(button, nullptr);
    EXPECT_STREQ(button->Url().Text(), L"https://www.example.com/tavik?a=1&b=2");
    Click(60, 30);
    ASSERT_EQ(g_call.count, 1);
    EXPECT_EQ(g_call.window, nullptr);
    EXPECT_FALSE(g_call.hasVerb);
    EXPECT_EQ(g_call.file, L"https://www.example.com/tavik?a=1&b=2");
    EXPECT_FALSE(g_call.hasParameters);
    EXPECT_FALSE(g_call.hasFolder);
    EXPECT_EQ(g_call.show, SW_SHOWNORMAL);
    EXPECT_TRUE(Notes().empty());

    // The keyboard activates it the same way.
    button->TakeFocus();
    Key(VK_RETURN);
    EXPECT_EQ(g_call.count, 2);
    EXPECT_TRUE(Notes().empty());
}

TEST_F(ButtonUrlTest, WithoutAnAddressNothingOpensAndNothingIsActivated) {
    CButtonUrlUI* button = BuildUrlButton(L"PopURL=\"\"");
    ASSERT_NE(button, nullptr);
    Click(60, 30);
    EXPECT_EQ(g_call.count, 0);
    EXPECT_TRUE(Notes().empty());
    EXPECT_FALSE(button->IsActivatable());
    // A null address is ignored; a real one then opens.
    button->SetUrl(L"http://a.example");
    button->SetUrl(nullptr);
    EXPECT_STREQ(button->Url().Text(), L"http://a.example");
    EXPECT_TRUE(button->IsActivatable());
    EXPECT_EQ(g_call.file, L"http://a.example");
}

TEST_F(ButtonUrlTest, AShellThatCannotOpenTheAddressIsNotReportedAsSuccess) {
    CButtonUrlUI* button = BuildUrlButton(L"PopURL=\"http://a.example\"");
    ASSERT_NE(button, nullptr);
    for (INT_PTR failure : {0, 2, 31, 32}) {
        g_shellAnswer = failure;
        EXPECT_FALSE(button->IsActivatable()) << failure;
    }
    g_shellAnswer = 33;
    EXPECT_TRUE(button->IsActivatable());
    EXPECT_EQ(g_call.count, 5);
}

TEST_F(ButtonUrlTest, KeepsTheButtonLookAndAttributes) {
    WriteSolidImage(L"normal.png", 0xFFE00000);
    CButtonUrlUI* button = BuildUrlButton(L"PopURL=\"http://a.example\" normalimage=\"normal.png\"");
    ASSERT_NE(button, nullptr);
    RenderTests::RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_EQ(canvas.At(15, 15), 0xE00000u);
    EXPECT_STREQ(button->ClassName(), L"ButtonUI");
    EXPECT_EQ(button->InterfaceByName(L"ButtonURL"), button);
    EXPECT_EQ(button->InterfaceByName(L"Button"), button);
    EXPECT_EQ(button->InterfaceByName(L"Label"), button);
}

}  // namespace
