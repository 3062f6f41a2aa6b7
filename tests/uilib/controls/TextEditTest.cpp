// The text control's links and the edit control's native window, built from
// skins in the test window and driven by window messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ContainerUI.h"
#include "ControlsTestSupport.h"
#include "EditUI.h"
#include "EditWnd.h"
#include "TextUI.h"

using ControlsTests::SkinWindowTest;
using RenderTests::IsDark;
using RenderTests::RenderCanvas;
using TavikUI::CEditUI;
using TavikUI::CTextUI;

namespace {

POINT CentreOf(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

class TextWindowTest : public SkinWindowTest {
protected:
    // The cursor the manager sets for a set-cursor message at that point.
    HCURSOR CursorAt(POINT point) {
        SetCursor(nullptr);
        SetCursorPos(point.x, point.y);
        Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        const HCURSOR cursor = GetCursor();
        SetCursorPos(1200, 1000);
        return cursor;
    }
};

TEST_F(TextWindowTest, ALinkClickSendsItsIndexAndTheHandShowsOverLinks) {
    ASSERT_TRUE(
        BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                  L"<Text name=\"text\" float=\"true\" pos=\"10,10,390,60\" showhtml=\"true\" "
                  L"text=\"read {a first}the first{/a} or {a second}the second{/a}\"/>"
                  L"<Text name=\"plain\" float=\"true\" pos=\"10,70,390,120\" text=\"read {a first}the first{/a}\"/>"
                  L"</Container></Window>"));
    auto* text = Find<CTextUI>(L"text");
    auto* plain = Find<CTextUI>(L"plain");
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->LinkCount(), 2);
    EXPECT_STREQ(text->LinkText(1).Text(), L"second");
    const POINT second = CentreOf(text->LinkRect(1));
    const POINT between = {text->LinkRect(0).right + 2, second.y};

    Click(second.x, second.y);
    Click(between.x, between.y);
    ASSERT_EQ(Notes(), (std::vector<std::wstring>{L"link:text"}));
    EXPECT_EQ(notes_.entries.back().wParam, 1u);

    const HCURSOR hand = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
    EXPECT_EQ(CursorAt(second), hand);
    EXPECT_NE(CursorAt(between), hand);
    // Without "showhtml" the tags are text: no links, no hand.
    EXPECT_EQ(plain->LinkCount(), 0);
    EXPECT_NE(CursorAt(POINT{60, 95}), hand);
}

TEST_F(TextWindowTest, DesiredHeightGrowsAsTheTextWraps) {
    ASSERT_TRUE(
        BuildSkin(L"<Window><VerticalLayout><Text name=\"text\" text=\"one two three four five six seven eight\"/>"
                  L"</VerticalLayout></Window>"));
    auto* text = Find<CTextUI>(L"text");
    const SIZE wide = text->DesiredSize(SIZE{1000, 100});
    const SIZE narrow = text->DesiredSize(SIZE{80, 100});
    EXPECT_GE(narrow.cy, 3 * wide.cy - 8);
    EXPECT_LE(narrow.cx, 80);
}

class EditWindowTest : public SkinWindowTest {
protected:
    void TearDown() override {
        // Closes any native edit still open before the manager goes.
        SetFocus(Handle());
        ManagerTests::PumpPending();
        SkinWindowTest::TearDown();
    }
    // The first paint focused the first edit; the window that opened is
    // closed again before the test starts.
    bool BuildEdits(const std::wstring& edits) {
        const bool built =
            BuildSkin(L"<Window><Container name=\"box\" bkcolor=\"#FFFFFFFF\">" + edits +
                      L"<Control name=\"other\" float=\"true\" pos=\"300,250,390,290\"/></Container></Window>");
        ManagerTests::PumpPending();
        return built;
    }
    HWND NativeOf(CEditUI* edit) { return edit->NativeWindow() ? edit->NativeWindow()->Handle() : nullptr; }
    void Type(HWND native, const std::wstring& characters) {
        for (wchar_t character : characters) {
            SendMessageW(native, WM_CHAR, character, 1);
        }
    }
    // A click elsewhere: the native edit loses the focus and closes.
    void ClickAway() {
        Click(340, 270);
        ManagerTests::PumpPending();
    }
};

TEST_F(EditWindowTest, FocusOpensTheNativeEditOverThePaddedCentredText) {
    ASSERT_TRUE(BuildEdits(L"<Edit name=\"edit\" float=\"true\" pos=\"10,100,210,140\" text=\"abc\"/>"));
    auto* edit = Find<CEditUI>(L"edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(NativeOf(edit), nullptr);
    Click(50, 120);
    const HWND native = NativeOf(edit);
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(GetFocus(), native);
    wchar_t className[32] = {};
    GetClassNameW(native, className, 32);
    EXPECT_STREQ(className, L"EditWnd");

    // Padding 4,3,4,3 leaves 14..206 x 103..137; the font's height is centred.
    const int fontHeight = manager_->FontRecordAt(-1)->metrics.tmHeight;
    RECT placed = {};
    GetWindowRect(native, &placed);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 14);
    EXPECT_EQ(placed.right, 206);
    EXPECT_EQ(placed.top, 103 + (34 - fontHeight) / 2);
    EXPECT_EQ(placed.bottom - placed.top, fontHeight);
    // The click selected the whole text.
    DWORD first = 9, last = 9;
    SendMessageW(native, EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, 3u);

    ClickAway();
    EXPECT_EQ(NativeOf(edit), nullptr);
    EXPECT_FALSE(IsWindow(native));
}

TEST_F(EditWindowTest, TypingUpdatesTheTextAndEnterSendsReturn) {
    ASSERT_TRUE(BuildEdits(L"<Edit name=\"edit\" float=\"true\" pos=\"10,100,210,130\" text=\"x\"/>"));
    auto* edit = Find<CEditUI>(L"edit");
    edit->TakeFocus();
    const HWND native = NativeOf(edit);
    ASSERT_NE(native, nullptr);
    // The text put in at creation is no change.
    EXPECT_TRUE(Notes().empty());
    SendMessageW(native, EM_SETSEL, 1, 1);
    Type(native, L"yz");
    EXPECT_STREQ(edit->Text().Text(), L"xyz");
    SendMessageW(native, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(Notes(), (std::vector<std::wstring>{L"textchanged:edit", L"textchanged:edit", L"return:edit"}));
    // SetText reaches the open window.
    edit->SetText(L"new");
    wchar_t shown[16] = {};
    GetWindowTextW(native, shown, 16);
    EXPECT_STREQ(shown, L"new");
}

TEST_F(EditWindowTest, ReadOnlyNumberOnlyAndMaximumLengthHoldInTheNativeEdit) {
    ASSERT_TRUE(
        BuildEdits(L"<Edit name=\"locked\" float=\"true\" pos=\"10,10,210,40\" text=\"keep\" readonly=\"true\"/>"
                   L"<Edit name=\"digits\" float=\"true\" pos=\"10,50,210,80\" numberonly=\"true\"/>"
                   L"<Edit name=\"short\" float=\"true\" pos=\"10,90,210,120\" maxchar=\"3\"/>"
                   L"<Edit name=\"any\" float=\"true\" pos=\"10,130,210,160\" numberonly=\"false\"/>"));
    auto* locked = Find<CEditUI>(L"locked");
    locked->TakeFocus();
    Type(NativeOf(locked), L"zz");
    EXPECT_STREQ(locked->Text().Text(), L"keep");

    auto* digits = Find<CEditUI>(L"digits");
    digits->TakeFocus();
    ASSERT_NE(NativeOf(digits), nullptr);
    EXPECT_TRUE(GetWindowLongW(NativeOf(digits), GWL_STYLE) & ES_NUMBER);
    Type(NativeOf(digits), L"4a2");
    EXPECT_STREQ(digits->Text().Text(), L"42");

    auto* shortEdit = Find<CEditUI>(L"short");
    shortEdit->TakeFocus();
    Type(NativeOf(shortEdit), L"abcde");
    EXPECT_STREQ(shortEdit->Text().Text(), L"abc");

    auto* any = Find<CEditUI>(L"any");
    any->TakeFocus();
    ASSERT_NE(NativeOf(any), nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(NativeOf(any), GWL_STYLE)) & (ES_NUMBER | ES_PASSWORD | ES_READONLY),
              0u);
    ManagerTests::PumpPending();
    // Each focus move closed the previous window.
    EXPECT_EQ(NativeOf(locked), nullptr);
    EXPECT_EQ(NativeOf(shortEdit), nullptr);
}

TEST_F(EditWindowTest, APasswordShowsOneStarPerCharacter) {
    ASSERT_TRUE(BuildEdits(
        L"<Edit name=\"secret\" float=\"true\" pos=\"10,10,210,40\" text=\"abc\" password=\"true\" "
        L"textcolor=\"#FF000000\"/>"
        L"<Edit name=\"stars\" float=\"true\" pos=\"10,50,210,80\" text=\"***\" textcolor=\"#FF000000\"/>"
        L"<Edit name=\"plain\" float=\"true\" pos=\"10,90,210,120\" text=\"abc\" textcolor=\"#FF000000\"/>"));
    RenderCanvas canvas(400, 300);
    Print(canvas);
    const int secret = canvas.Count(RECT{10, 10, 210, 40}, IsDark);
    EXPECT_GT(secret, 10);
    EXPECT_EQ(secret, canvas.Count(RECT{10, 50, 210, 80}, IsDark));
    EXPECT_NE(secret, canvas.Count(RECT{10, 90, 210, 120}, IsDark));

    auto* edit = Find<CEditUI>(L"secret");
    edit->TakeFocus();
    const HWND native = NativeOf(edit);
    ASSERT_NE(native, nullptr);
    EXPECT_TRUE(GetWindowLongW(native, GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(SendMessageW(native, EM_GETPASSWORDCHAR, 0, 0), L'*');
}

TEST_F(EditWindowTest, HidingOrDeletingTheControlWhileEditingClosesTheNativeEdit) {
    ASSERT_TRUE(
        BuildEdits(L"<Container name=\"inner\" float=\"true\" pos=\"10,10,210,50\">"
                   L"<Edit name=\"hidden\" float=\"true\" pos=\"0,0,200,30\"/></Container>"
                   L"<Edit name=\"deleted\" float=\"true\" pos=\"10,100,210,130\"/>"));
    auto* hidden = Find<CEditUI>(L"hidden");
    hidden->TakeFocus();
    ASSERT_NE(NativeOf(hidden), nullptr);
    Find<TavikUI::CContainerUI>(L"inner")->ShowOrHide(false);
    ManagerTests::PumpPending();
    EXPECT_EQ(NativeOf(hidden), nullptr);

    auto* deleted = Find<CEditUI>(L"deleted");
    deleted->TakeFocus();
    const HWND native = NativeOf(deleted);
    ASSERT_NE(native, nullptr);
    Type(native, L"q");
    ASSERT_TRUE(Find<TavikUI::CContainerUI>(L"box")->RemoveChild(deleted));
    ManagerTests::PumpPending();
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(FindWindowExW(Handle(), nullptr, L"EditWnd", nullptr), nullptr);
}

}  // namespace
