// The date-time control built from a skin in the test window: its text, the
// picker it opens on focus, and what the picker's keys and focus loss leave.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ContainerUI.h"
#include "ControlsTestSupport.h"
#include "DateTimeUI.h"
#include "DateTimeWnd.h"

using ControlsTests::SkinWindowTest;
using TavikUI::CDateTimeUI;

namespace {

std::wstring DateText(const SYSTEMTIME& time) {
    wchar_t text[16] = {};
    _snwprintf(text, 15, L"%4d-%02d-%02d", time.wYear, time.wMonth, time.wDay);
    return text;
}

SYSTEMTIME LeapDay() {
    SYSTEMTIME time = {};
    time.wYear = 2024;
    time.wMonth = 2;
    time.wDay = 29;
    time.wDayOfWeek = 4;
    return time;
}

class DateTimeWindowTest : public SkinWindowTest {
protected:
    void SetUp() override {
        SkinWindowTest::SetUp();
        ASSERT_TRUE(
            BuildSkin(L"<Window><Container name=\"box\" bkcolor=\"#FFFFFFFF\">"
                      L"<DateTime name=\"date\" float=\"true\" pos=\"10,10,210,40\"/>"
                      L"<Control name=\"other\" float=\"true\" pos=\"300,250,390,290\"/>"
                      L"</Container></Window>"));
        ManagerTests::PumpPending();
        date_ = Find<CDateTimeUI>(L"date");
        ASSERT_NE(date_, nullptr);
    }
    void TearDown() override {
        SetFocus(Handle());
        ManagerTests::PumpPending();
        SkinWindowTest::TearDown();
    }
    HWND Picker() const { return date_->Picker() ? date_->Picker()->Handle() : nullptr; }
    // Focuses the control and answers its open picker.
    HWND Open() {
        Click(100, 25);
        return Picker();
    }
    void ClickAway() {
        Click(340, 270);
        ManagerTests::PumpPending();
    }
    void KeyUp(HWND window, WPARAM key) {
        SendMessageW(window, WM_KEYDOWN, key, 1);
        SendMessageW(window, WM_KEYUP, key, 0xC0000001);
        ManagerTests::PumpPending();
    }

    CDateTimeUI* date_ = nullptr;
};

TEST_F(DateTimeWindowTest, ShowsTodayAndTakesThePickedDateWhenFocusLeaves) {
    SYSTEMTIME today = {};
    GetLocalTime(&today);
    EXPECT_EQ(std::wstring(date_->Text().Text()), DateText(today));

    const HWND picker = Open();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(GetFocus(), picker);
    wchar_t className[32] = {};
    GetClassNameW(picker, className, 32);
    EXPECT_STREQ(className, L"DateTimeWnd");
    RECT placed = {};
    GetWindowRect(picker, &placed);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 10);
    EXPECT_EQ(placed.right, 210);
    EXPECT_EQ(placed.bottom, 40);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(picker, WM_GETFONT, 0, 0)), manager_->FontAt(-1));

    SYSTEMTIME leap = LeapDay();
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&leap));
    ClickAway();
    EXPECT_STREQ(date_->Text().Text(), L"2024-02-29");
    EXPECT_EQ(date_->Picker(), nullptr);
    EXPECT_FALSE(IsWindow(picker));
    // No notification of its own.
    EXPECT_TRUE(Notes().empty());
}

TEST_F(DateTimeWindowTest, EscapeKeepsTheTextAndBackspaceEmptiesIt) {
    date_->SetText(L"2020-01-02");
    HWND picker = Open();
    ASSERT_NE(picker, nullptr);
    SYSTEMTIME leap = LeapDay();
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&leap));
    KeyUp(picker, VK_ESCAPE);
    EXPECT_FALSE(IsWindow(picker));
    EXPECT_STREQ(date_->Text().Text(), L"2020-01-02");

    manager_->MoveFocusTo(nullptr);
    picker = Open();
    ASSERT_NE(picker, nullptr);
    KeyUp(picker, VK_BACK);
    EXPECT_FALSE(IsWindow(picker));
    EXPECT_STREQ(date_->Text().Text(), L"");

    // An empty text opens on today.
    manager_->MoveFocusTo(nullptr);
    picker = Open();
    ASSERT_NE(picker, nullptr);
    SYSTEMTIME shown = {}, today = {};
    SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
    GetLocalTime(&today);
    EXPECT_EQ(DateText(shown), DateText(today));
}

TEST_F(DateTimeWindowTest, DeletingTheControlWhileThePickerIsOpenClosesIt) {
    const HWND picker = Open();
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(Find<TavikUI::CContainerUI>(L"box")->RemoveChild(date_));
    ManagerTests::PumpPending();
    EXPECT_FALSE(IsWindow(picker));
    EXPECT_EQ(FindWindowExW(Handle(), nullptr, L"DateTimeWnd", nullptr), nullptr);
}

}  // namespace
