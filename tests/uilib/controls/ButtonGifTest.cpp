// The GIF button: which frame each paint shows as its timer ticks, the timer
// it keeps per frame delay, hiding and replacing the animation, and a GIF
// that cannot be loaded.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ButtonGifUI.h"
#include "ControlsTestSupport.h"

using ControlsTests::SkinWindowTest;
using RenderTests::RenderCanvas;
using TavikUI::CButtonGifUI;
using TavikUI::UIEvent;

namespace {

const DWORD kRed = 0xFF0000;
const DWORD kGreen = 0x00FF00;
const DWORD kBlue = 0x0000FF;
const DWORD kWhite = 0xFFFFFF;

class ButtonGifTest : public SkinWindowTest {
protected:
    void SetUp() override {
        SkinWindowTest::SetUp();
        // One-pixel frames: red for 100 ms, green for 100 ms, blue for 300 ms.
        Write(L"anim.gif", ImageTests::GifBytes(1, 1, {{0, 0, 0, 10}, {0, 0, 1, 10}, {0, 0, 2, 30}}));
        Write(L"white.gif", ImageTests::GifBytes(1, 1, {{0, 0, 3, 5}}));
        WriteSolidImage(L"normal.png", 0xFF808080);
    }
    CButtonGifUI* BuildGifButton(const std::wstring& attributes) {
        if (!BuildSkin(L"<Window><Container bkcolor=\"#FF000000\">"
                       L"<ControlGif name=\"g\" float=\"true\" pos=\"10,10,110,50\" normalimage=\"normal.png\" " +
                       attributes + L"/></Container></Window>")) {
            return nullptr;
        }
        return Find<CButtonGifUI>(L"g");
    }
    DWORD Shown() {
        RenderCanvas canvas(400, 300);
        Print(canvas);
        return canvas.At(60, 30);
    }
    // What the manager's timer would deliver.
    void Tick(CButtonGifUI* button, WPARAM id = CButtonGifUI::kFrameTimerId) {
        UIEvent timer;
        timer.type = TavikUI::kEventTimer;
        timer.wParam = id;
        button->DeliverEvent(timer);
    }
    // True while the button's frame timer runs (stopping it to find out).
    bool TimerRuns(CButtonGifUI* button) { return manager_->KillControlTimer(button, CButtonGifUI::kFrameTimerId); }
};

TEST_F(ButtonGifTest, EachFrameStaysForItsOwnDelayAndTheFirstForTwoTicks) {
    CButtonGifUI* button = BuildGifButton(L"NormalGifFile=\"anim.gif\"");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->HasFrames());
    // The first paint showed the first frame and set the timer to its delay.
    EXPECT_EQ(button->CurrentDelay(), 100);
    EXPECT_EQ(Shown(), kRed);

    const struct {
        DWORD color;
        int delay;
    } afterTick[] = {
        {kRed, 100}, {kGreen, 100}, {kBlue, 300}, {kRed, 100}, {kGreen, 100}, {kBlue, 300},
    };
    for (const auto& step : afterTick) {
        Tick(button);
        EXPECT_EQ(Shown(), step.color);
        EXPECT_EQ(button->CurrentDelay(), step.delay);
    }
}

TEST_F(ButtonGifTest, ARepaintBetweenTicksShowsTheFrameDueNext) {
    CButtonGifUI* button = BuildGifButton(L"NormalGifFile=\"anim.gif\"");
    ASSERT_NE(button, nullptr);
    Tick(button);
    EXPECT_EQ(Shown(), kRed);
    EXPECT_EQ(Shown(), kGreen);
    EXPECT_EQ(Shown(), kGreen);
    Tick(button);
    EXPECT_EQ(Shown(), kGreen);
    EXPECT_EQ(Shown(), kBlue);
}

TEST_F(ButtonGifTest, OtherTimersGoToTheButtonHandling) {
    CButtonGifUI* button = BuildGifButton(L"NormalGifFile=\"anim.gif\"");
    ASSERT_NE(button, nullptr);
    Tick(button, 7);
    EXPECT_EQ(Notes(), std::vector<std::wstring>{L"timer:g"});
    EXPECT_EQ(Shown(), kRed);
    EXPECT_EQ(Shown(), kRed);
}

TEST_F(ButtonGifTest, TheRealTimerPlaysTheFramesInOrder) {
    CButtonGifUI* button = BuildGifButton(L"NormalGifFile=\"anim.gif\"");
    ASSERT_NE(button, nullptr);
    std::vector<DWORD> seen = {Shown()};
    // The timer's ticks invalidate the button; the window's own paints and
    // these prints take turns showing the frames.
    ManagerTests::PumpUntil(
        [&] {
            RenderCanvas canvas(400, 300);
            Print(canvas);
            const DWORD color = canvas.At(60, 30);
            if (color != seen.back()) {
                seen.push_back(color);
            }
            return seen.size() >= 5;
        },
        3000);
    ASSERT_GE(seen.size(), 5u);
    const std::vector<DWORD> cycle = {kRed, kGreen, kBlue};
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i], cycle[i % 3]) << i;
    }
}

TEST_F(ButtonGifTest, HidingStopsTheTimerAndShowingRestartsItAtTheNextPaint) {
    CButtonGifUI* button = BuildGifButton(L"NormalGifFile=\"anim.gif\"");
    ASSERT_NE(button, nullptr);
    Tick(button);
    Tick(button);
    Shown();
    EXPECT_EQ(button->CurrentDelay(), 100);
    button->ShowOrHide(false);
    EXPECT_EQ(button->CurrentDelay(), 0);
    EXPECT_FALSE(TimerRuns(button));
    button->ShowOrHide(true);
    RepaintNow();
    EXPECT_GT(button->CurrentDelay(), 0);
    EXPECT_TRUE(TimerRuns(button));
}

TEST_F(ButtonGifTest, ANewGifReplacesTheAnimation) {
    CButtonGifUI* button = BuildGifButton(L"NormalGifFile=\"anim.gif\"");
    ASSERT_NE(button, nullptr);
    // Ticks between two paints move on by one frame only.
    Tick(button);
    Tick(button);
    EXPECT_EQ(Shown(), kRed);
    Tick(button);
    EXPECT_EQ(Shown(), kGreen);
    button->SetGifFile(L"white.gif");
    EXPECT_EQ(button->CurrentDelay(), 0);
    EXPECT_FALSE(TimerRuns(button));
    EXPECT_EQ(Shown(), kWhite);
    EXPECT_EQ(button->CurrentDelay(), 50);
    // Null changes nothing.
    button->SetGifFile(nullptr);
    EXPECT_TRUE(button->HasFrames());
    EXPECT_EQ(Shown(), kWhite);
}

TEST_F(ButtonGifTest, AGifThatCannotBeLoadedLeavesAPlainButton) {
    CButtonGifUI* button = BuildGifButton(L"NormalGifFile=\"missing.gif\"");
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->HasFrames());
    EXPECT_EQ(Shown(), 0x808080u);
    EXPECT_EQ(button->CurrentDelay(), 0);
    Click(60, 30);
    EXPECT_EQ(Notes(), std::vector<std::wstring>{L"click:g"});
}

TEST_F(ButtonGifTest, AnswersItsOwnNamesButNotTheButtonsOrTheLabels) {
    CButtonGifUI button;
    EXPECT_STREQ(button.ClassName(), L"ButtonGifUI");
    EXPECT_EQ(button.InterfaceByName(L"ButtonGif"), &button);
    EXPECT_EQ(button.InterfaceByName(L"Control"), &button);
    EXPECT_EQ(button.InterfaceByName(L"Button"), nullptr);
    EXPECT_EQ(button.InterfaceByName(L"Label"), nullptr);
}

}  // namespace
