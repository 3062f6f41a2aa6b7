// The rich edit built from a skin in the test window, over the system's text
// services: keys and clicks as window messages, Enter and the want-return
// flags, scrolling of overflowing text, and the text's pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ControlsTestSupport.h"
#include "RichEditUI.h"
#include "ScrollBarUI.h"

using ControlsTests::SkinWindowTest;
using RenderTests::IsDark;
using RenderTests::RenderCanvas;
using TavikUI::CRichEditUI;

namespace {

class RichEditWindowTest : public SkinWindowTest {
protected:
    void SetUp() override {
        SkinWindowTest::SetUp();
        ASSERT_TRUE(
            BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                      L"<RichEdit name=\"notes\" float=\"true\" pos=\"10,10,210,110\" vscrollbar=\"true\" "
                      L"textcolor=\"#FF000000\" rich=\"false\"/>"
                      L"<RichEdit name=\"line\" float=\"true\" pos=\"220,10,390,40\" wantreturn=\"false\" "
                      L"textcolor=\"#FF000000\"/>"
                      L"<RichEdit name=\"ctrl\" float=\"true\" pos=\"220,50,390,80\" wantctrlreturn=\"false\" "
                      L"textcolor=\"#FF000000\"/>"
                      L"</Container></Window>"));
        notes_ = Find<CRichEditUI>(L"notes");
        ASSERT_NE(notes_, nullptr);
        ASSERT_TRUE(notes_->HasEngine());
    }
    void TearDown() override {
        SetControlKey(false);
        SkinWindowTest::TearDown();
    }
    void Type(const std::wstring& characters) {
        for (wchar_t character : characters) {
            Send(WM_CHAR, character, 1);
        }
    }
    void Enter() {
        Send(WM_KEYDOWN, VK_RETURN, 1);
        Send(WM_CHAR, L'\r', 1);
        Send(WM_KEYUP, VK_RETURN, 0xC0000001);
    }
    // The thread's key state, which GetKeyState reads.
    static void SetControlKey(bool down) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    CRichEditUI* notes_ = nullptr;
};

TEST_F(RichEditWindowTest, AClickFocusesItAndTypedKeysAndSelectionReachItsText) {
    Click(60, 30);
    EXPECT_EQ(manager_->FocusedControl(), notes_);
    Type(L"hello world");
    EXPECT_STREQ(notes_->Text().Text(), L"hello world");
    notes_->SetSel(0, 5);
    Type(L"X");
    EXPECT_STREQ(notes_->Text().Text(), L"X world");
    // SetText replaces everything without an undo step.
    notes_->SetText(L"fresh");
    EXPECT_STREQ(notes_->Text().Text(), L"fresh");
    LRESULT canUndo = 0;
    notes_->TxSendMessage(EM_CANUNDO, 0, 0, &canUndo);
    EXPECT_EQ(canUndo, 0);
    EXPECT_TRUE(Notes().empty());
}

TEST_F(RichEditWindowTest, EnterBreaksTheLineOrSendsReturnAsTheFlagsSay) {
    Click(60, 30);
    Type(L"a");
    Enter();
    Type(L"b");
    EXPECT_STREQ(notes_->Text().Text(), L"a\rb");
    EXPECT_TRUE(Notes().empty());

    auto* line = Find<CRichEditUI>(L"line");
    Click(300, 25);
    ASSERT_EQ(manager_->FocusedControl(), line);
    Type(L"c");
    Send(WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_STREQ(line->Text().Text(), L"c");
    EXPECT_EQ(Notes(), (std::vector<std::wstring>{L"return:line"}));

    auto* ctrl = Find<CRichEditUI>(L"ctrl");
    Click(300, 65);
    Type(L"d");
    SetControlKey(true);
    Send(WM_KEYDOWN, VK_RETURN, 1);
    SetControlKey(false);
    EXPECT_STREQ(ctrl->Text().Text(), L"d");
    EXPECT_EQ(Notes(), (std::vector<std::wstring>{L"return:line", L"return:ctrl"}));
}

TEST_F(RichEditWindowTest, OverflowingTextShowsTheBarAndScrolls) {
    TavikUI::CScrollBarUI* bar = notes_->VerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    std::wstring lines;
    for (int i = 0; i < 30; ++i) {
        lines += L"line " + std::to_wstring(i) + L"\r";
    }
    notes_->SetText(lines.c_str());
    RepaintNow();
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_GT(bar->Range(), 0);
    EXPECT_EQ(bar->Position(), 0);
    notes_->ScrollLineDown();
    const int afterLine = bar->Position();
    EXPECT_GT(afterLine, 0);
    // The plain wheel scrolls through the container.
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(60, 30));
    EXPECT_GT(bar->Position(), afterLine);
    notes_->ScrollToTop();
    EXPECT_EQ(bar->Position(), 0);
}

class RichEditPasswordTest : public SkinWindowTest {};

TEST_F(RichEditPasswordTest, APasswordFieldPaintsTheSameMaskForAnyText) {
    const std::wstring field = L"float=\"true\" password=\"true\" rich=\"false\" textcolor=\"#FF000000\" ";
    ASSERT_TRUE(BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\"><RichEdit " + field +
                          L"pos=\"10,10,210,40\" text=\"iii\"/><RichEdit " + field +
                          L"pos=\"10,50,210,80\" text=\"WWW\"/></Container></Window>"));
    RenderCanvas canvas(400, 300);
    Print(canvas);
    const int narrow = canvas.Count(RECT{10, 10, 210, 40}, IsDark);
    EXPECT_GT(narrow, 0);
    EXPECT_EQ(canvas.Count(RECT{10, 50, 210, 80}, IsDark), narrow);
}

TEST_F(RichEditWindowTest, ItsMessageFilterStaysOnlyWithTheManagerHoldingIt) {
    TavikUI::IMessageFilterUI* filter = notes_;
    TavikUI::CControlUI* parent = notes_->Parent();
    notes_->AttachToManager(nullptr, nullptr, false);
    EXPECT_FALSE(manager_->UnregisterMessageFilter(filter));
    notes_->AttachToManager(manager_.get(), parent, false);
    EXPECT_TRUE(manager_->UnregisterMessageFilter(filter));
}

TEST_F(RichEditWindowTest, ItsTextAppearsInThePaintedWindow) {
    RenderCanvas canvas(400, 300);
    Print(canvas);
    const RECT client = {10, 10, 190, 110};
    EXPECT_EQ(canvas.Count(client, IsDark), 0);
    notes_->SetText(L"Painted text 文字");
    Print(canvas);
    EXPECT_GT(canvas.Count(client, IsDark), 40);
    EXPECT_EQ(canvas.Count(RECT{10, 60, 190, 110}, IsDark), 0);
}

}  // namespace
