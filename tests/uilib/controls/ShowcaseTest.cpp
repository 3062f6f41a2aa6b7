// Every control of this folder in one window, built from one skin: a markup
// label, buttons in each state, an option group, a check box and a playing
// GIF button, checked by pixels.
//
// With TAVIK_RENDER_HOLD_MS set the window stays on screen (animating) that
// long after the checks, so that a screenshot of the display can be taken.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "ButtonGifUI.h"
#include "CheckBoxUI.h"
#include "ControlsTestSupport.h"
#include "LabelUI.h"
#include "OptionUI.h"

using ControlsTests::CountNear;
using ControlsTests::SkinWindowTest;
using RenderTests::RenderCanvas;

namespace {

const uint32_t kNormal = 0xFFC8D4E8;
const uint32_t kHot = 0xFF98E098;
const uint32_t kPushed = 0xFF3050B0;
const uint32_t kFocused = 0xFFF0D860;
const uint32_t kDisabled = 0xFFA0A0A0;
const uint32_t kSelected = 0xFF2060D0;
const uint32_t kUnselected = 0xFFFFFFFF;

class ShowcaseTest : public SkinWindowTest {
protected:
    void SetUp() override {
        SkinWindowTest::SetUp();
        WriteSolidImage(L"normal.png", kNormal);
        WriteSolidImage(L"hot.png", kHot);
        WriteSolidImage(L"pushed.png", kPushed);
        WriteSolidImage(L"focused.png", kFocused);
        WriteSolidImage(L"disabled.png", kDisabled);
        WriteSolidImage(L"selected.png", kSelected);
        WriteSolidImage(L"unselected.png", kUnselected);
        // Red, green and blue frames of 300 ms each.
        Write(L"anim.gif", ImageTests::GifBytes(1, 1, {{0, 0, 0, 30}, {0, 0, 1, 30}, {0, 0, 2, 30}}));
    }
    void TearDown() override {
        if (const char* hold = std::getenv("TAVIK_RENDER_HOLD_MS")) {
            ManagerTests::PumpFor(static_cast<DWORD>(std::atoi(hold)));
        }
        SkinWindowTest::TearDown();
    }
};

std::wstring ButtonAt(const wchar_t* name, int left, const wchar_t* extra) {
    const std::wstring images =
        L" normalimage=\"normal.png\" hotimage=\"hot.png\" pushedimage=\"pushed.png\" focusedimage=\"focused.png\" "
        L"disabledimage=\"disabled.png\" textcolor=\"#FF202020\" pushedtextcolor=\"#FFFFFFFF\"";
    return L"<Button name=\"" + std::wstring(name) + L"\" text=\"" + name + L"\" float=\"true\" pos=\"" +
           std::to_wstring(left) + L",60," + std::to_wstring(left + 70) + L",95\"" + images + L" " + extra + L"/>";
}

std::wstring OptionAt(const wchar_t* tag, const wchar_t* name, int left, const wchar_t* extra) {
    return L"<" + std::wstring(tag) + L" name=\"" + name + L"\" text=\"" + name + L"\" float=\"true\" pos=\"" +
           std::to_wstring(left) + L",110," + std::to_wstring(left + 85) +
           L",140\" normalimage=\"unselected.png\" "
           L"selectedimage=\"selected.png\" selectedtextcolor=\"#FFFFFFFF\" textcolor=\"#FF202020\" "
           L"bordercolor=\"#FF606060\" bordersize=\"1\" " +
           extra + L"/>";
}

TEST_F(ShowcaseTest, EveryControlShowsItsStateInOneWindow) {
    const std::wstring skin =
        L"<Window><Container bkcolor=\"#FFF4F4F4\">"
        L"<Label name=\"title\" float=\"true\" pos=\"10,10,390,50\" showhtml=\"true\" textcolor=\"#FF000000\" "
        L"text=\"{b}Tavik{/b} controls: {c #C00000}刷机{/c} label\"/>" +
        ButtonAt(L"Normal", 10, L"") + ButtonAt(L"Hot", 85, L"") + ButtonAt(L"Pushed", 160, L"") +
        ButtonAt(L"Focus", 235, L"") + ButtonAt(L"Off", 310, L"enabled=\"false\"") +
        OptionAt(L"Option", L"One", 10, L"group=\"g\" selected=\"true\"") +
        OptionAt(L"Option", L"Two", 100, L"group=\"g\"") + OptionAt(L"Option", L"Three", 190, L"group=\"g\"") +
        OptionAt(L"CheckBox", L"Check", 290, L"") +
        L"<ControlGif name=\"gif\" float=\"true\" pos=\"10,160,190,280\" NormalGifFile=\"anim.gif\"/>"
        L"<Label name=\"caption\" float=\"true\" pos=\"200,160,390,280\" align=\"left\" textcolor=\"#FF404040\" "
        L"text=\"GIF button, 300 ms a frame\"/>"
        L"</Container></Window>";
    ASSERT_TRUE(BuildSkin(skin));
    // Clicking "Three" clears "One"; clicking the check box checks it.
    Click(232, 125);
    Click(332, 125);
    EXPECT_EQ(Notes(), (std::vector<std::wstring>{L"click:Three", L"selectchanged:Three", L"click:Check",
                                                  L"selectchanged:Check"}));
    MoveTo(395, 295);
    // The states a pointer and the keyboard would give, set directly so the
    // window shows them together.
    Find<TavikUI::CButtonUI>(L"Hot")->SetButtonState(TavikUI::kButtonHot);
    Find<TavikUI::CButtonUI>(L"Pushed")->SetButtonState(TavikUI::kButtonPushed);
    Find<TavikUI::CButtonUI>(L"Focus")->TakeFocus();
    RepaintNow();

    RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_GT(canvas.Count(RECT{10, 10, 390, 50}, RenderTests::IsReddish), 10);
    EXPECT_EQ(canvas.At(13, 63), ControlsTests::Rgb(kNormal));
    EXPECT_EQ(canvas.At(88, 63), ControlsTests::Rgb(kHot));
    EXPECT_EQ(canvas.At(163, 63), ControlsTests::Rgb(kPushed));
    EXPECT_EQ(canvas.At(238, 63), ControlsTests::Rgb(kFocused));
    EXPECT_EQ(canvas.At(313, 63), ControlsTests::Rgb(kDisabled));
    // White text on the pushed button.
    EXPECT_GT(CountNear(canvas, RECT{160, 60, 230, 95}, 0xFFFFFF, 30), 10);
    EXPECT_EQ(canvas.At(14, 114), ControlsTests::Rgb(kUnselected));
    EXPECT_EQ(canvas.At(104, 114), ControlsTests::Rgb(kUnselected));
    EXPECT_EQ(canvas.At(194, 114), ControlsTests::Rgb(kSelected));
    EXPECT_EQ(canvas.At(294, 114), ControlsTests::Rgb(kSelected));
    EXPECT_EQ(canvas.At(100, 220), 0xFF0000u);
}

}  // namespace
