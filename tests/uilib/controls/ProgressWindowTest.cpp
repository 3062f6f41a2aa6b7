// Progress bars and a ring progress built from a skin in a window, set to
// several values, painted through WM_PRINTCLIENT and checked by pixels.
//
// With TAVIK_PROGRESS_HOLD_MS set the window stays on screen that long after
// each test, so that a screenshot of the display can be taken.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "../core/ControlTestSupport.h"
#include "../core/ImageTestSupport.h"
#include "../core/ManagerTestSupport.h"
#include "../core/RenderTestSupport.h"
#include "AnnulusProgressUI.h"
#include "ProgressTestSupport.h"
#include "ProgressUI.h"
#include "SkinBuilder.h"
#include "WindowManager.h"

namespace {

using RenderTests::Blue;
using RenderTests::Green;
using RenderTests::Red;
using RenderTests::RenderCanvas;
using TavikUI::CAnnulusProgressUI;
using TavikUI::CProgressUI;
using TavikUI::CWindowManager;

const DWORD kBackground = 0xF0F0F0;
const DWORD kWhite = 0xFFFFFF;
const DWORD kBarBlue = 0x0000FF;
const DWORD kBarGreen = 0x00FF00;
const DWORD kRingRed = 0xFF0000;

// The ring control's rectangle and its centre in the window.
const int kRingLeft = 230;
const int kRingTop = 100;
const int kRingSize = 100;
const double kPi = 3.14159265358979323846;

const wchar_t kSkin[] =
    L"<Window>"
    L"<Font name=\"微软雅黑\" size=\"16\" bold=\"true\" default=\"true\"/>"
    L"<Container bkcolor=\"#FFF0F0F0\">"
    L"<Progress name=\"stretched\" float=\"true\" pos=\"10,10,210,30\" bkcolor=\"#FFFFFFFF\" "
    L"foreimage=\"bar.png\" value=\"37\"/>"
    L"<Progress name=\"cut\" float=\"true\" pos=\"10,40,210,60\" bkcolor=\"#FFFFFFFF\" foreimage=\"bar.png\" "
    L"isstretchfore=\"false\" value=\"75\"/>"
    L"<Progress name=\"huge\" float=\"true\" pos=\"10,70,210,90\" bkcolor=\"#FFFFFF00\" foreimage=\"bar.png\" "
    L"min=\"-2000000000\" max=\"2000000000\" value=\"1000000000\"/>"
    L"<Progress name=\"labelled\" float=\"true\" pos=\"10,100,210,130\" bkcolor=\"#FF202080\" "
    L"bordercolor=\"#FF000000\" bordersize=\"1\" textcolor=\"#FFFFFFFF\" text=\"进度 50%\" "
    L"foreimage=\"bar.png\" value=\"50\"/>"
    L"<Progress name=\"flat\" float=\"true\" pos=\"10,140,210,160\" bkcolor=\"#FFFFFFFF\" foreimage=\"bar.png\" "
    L"min=\"50\" max=\"50\" value=\"50\"/>"
    L"<Progress name=\"upright\" float=\"true\" pos=\"230,10,260,50\" hor=\"false\" bkcolor=\"#FFFFFFFF\" "
    L"foreimage=\"vbar.png\" value=\"25\"/>"
    L"<Progress name=\"uprightcut\" float=\"true\" pos=\"270,10,300,50\" hor=\"false\" isstretchfore=\"false\" "
    L"bkcolor=\"#FFFFFFFF\" foreimage=\"vbar.png\" value=\"25\"/>"
    L"<AnnulusProgress name=\"ring\" float=\"true\" pos=\"230,100,330,200\" foreimage=\"ring.png\" "
    L"textcolor=\"#FF000000\" disabledtextcolor=\"#FF909090\" bktextcolor=\"#FF0000C0\" "
    L"foretextpadding=\"15,40,45,40\" bktextpadding=\"55,40,0,40\" bkalign=\"left\"/>"
    L"<AnnulusProgress name=\"flatring\" float=\"true\" pos=\"340,10,390,60\" foreimage=\"ring.png\" "
    L"min=\"50\" max=\"50\"/>"
    L"<AnnulusProgress name=\"solidring\" float=\"true\" pos=\"340,100,390,150\" foreimage=\"solid.png\" "
    L"value=\"25\"/>"
    L"<AnnulusProgress name=\"missing\" float=\"true\" pos=\"340,220,390,270\" foreimage=\"nothing.png\"/>"
    L"</Container>"
    L"</Window>";

bool Near(DWORD pixel, DWORD expected, int tolerance) {
    return std::abs(Red(pixel) - Red(expected)) <= tolerance && std::abs(Green(pixel) - Green(expected)) <= tolerance &&
           std::abs(Blue(pixel) - Blue(expected)) <= tolerance;
}

class ProgressWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ =
            new std::wstring(std::wstring(temp) + L"tavik_progress_" + std::to_wstring(GetCurrentProcessId()) + L"\\");
        CreateDirectoryW(folder_->c_str(), nullptr);
        // The bar: blue left half, green right half. The upright bar: red top
        // half, blue bottom half. The ring: red between radii 30 and 48.
        WriteImage(L"bar.png",
                   ImageTests::PngBytes(200, 20, ProgressTests::SplitColumns(200, 20, 100, 0xFF0000FFu, 0xFF00FF00u)));
        WriteImage(L"vbar.png",
                   ImageTests::PngBytes(30, 40, ProgressTests::SplitRows(30, 40, 20, 0xFFFF0000u, 0xFF0000FFu)));
        WriteImage(L"ring.png", ImageTests::PngBytes(kRingSize, kRingSize,
                                                     ProgressTests::RingPixels(kRingSize, 30, 48, 0xFFFF0000u)));
        // An image without transparency: a red square.
        WriteImage(L"solid.png",
                   ImageTests::PngBytes(50, 50, ProgressTests::SplitColumns(50, 50, 50, 0xFFFF0000u, 0xFFFF0000u)));
        CWindowManager::SetSkinArchive(L"", false);
        CWindowManager::SetResourceFolder(folder_->c_str());
        window_ = new ControlTests::ManagedWindow(true);
    }
    static void TearDownTestSuite() {
        delete window_;
        window_ = nullptr;
        CWindowManager::SetResourceFolder(L"");
        for (const wchar_t* name : {L"bar.png", L"vbar.png", L"ring.png", L"solid.png"}) {
            DeleteFileW((*folder_ + name).c_str());
        }
        RemoveDirectoryW(folder_->c_str());
        delete folder_;
        folder_ = nullptr;
    }
    static void WriteImage(const wchar_t* name, const std::string& bytes) {
        ASSERT_TRUE(ImageTests::WriteFileBytes(*folder_ + name, bytes));
    }

    void SetUp() override {
        ASSERT_NE(window_->Handle(), nullptr) << "no X display?";
        ProgressTests::RingCallback callback;
        TavikUI::CSkinBuilder builder;
        TavikUI::CControlUI* root = builder.Create(kSkin, nullptr, &callback, &Manager(), nullptr);
        ASSERT_NE(root, nullptr);
        ASSERT_TRUE(Manager().AttachRoot(root));
        RedrawWindow(window_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ring_ = Find<CAnnulusProgressUI>(L"ring", L"AnnulusProgressUI");
        ASSERT_NE(ring_, nullptr);
    }
    void TearDown() override {
        if (const char* hold = std::getenv("TAVIK_PROGRESS_HOLD_MS")) {
            RedrawWindow(window_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            ManagerTests::PumpFor(static_cast<DWORD>(std::atoi(hold)));
        }
    }

    static CWindowManager& Manager() { return window_->manager; }
    template <class Control>
    Control* Find(const wchar_t* name, const wchar_t* interfaceName) {
        return ProgressTests::As<Control>(Manager().FindControlByName(name), interfaceName);
    }
    void Print(RenderCanvas& canvas) {
        SendMessageW(window_->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    }
    // The window pixel on the ring's middle radius at that clockwise angle
    // (degrees) from twelve o'clock.
    static DWORD RingPixelAt(const RenderCanvas& canvas, double degrees) {
        const double radians = degrees * kPi / 180.0;
        const int dx = static_cast<int>(std::lround(39 * std::sin(radians)));
        const int dy = static_cast<int>(std::lround(39 * std::cos(radians)));
        return canvas.At(kRingLeft + kRingSize / 2 + dx, kRingTop + kRingSize - 1 - (kRingSize / 2 + dy));
    }
    // Sets the ring's value and checks the arc just inside and just outside
    // its end, half-way along it and half-way along the rest.
    void ExpectRingEndsAt(int value) {
        SCOPED_TRACE(value);
        ring_->SetValue(value);
        RenderCanvas canvas(400, 300);
        Print(canvas);
        const double end = value * 3.6;
        EXPECT_EQ(RingPixelAt(canvas, end - 12), kRingRed) << std::hex << RingPixelAt(canvas, end - 12);
        EXPECT_EQ(RingPixelAt(canvas, end + 12), kBackground) << std::hex << RingPixelAt(canvas, end + 12);
        EXPECT_EQ(RingPixelAt(canvas, end / 2), kRingRed);
        EXPECT_EQ(RingPixelAt(canvas, (end + 360) / 2), kBackground);
        EXPECT_EQ(RingPixelAt(canvas, 3), kRingRed);
        EXPECT_EQ(RingPixelAt(canvas, 357), kBackground);
    }

    static std::wstring* folder_;
    static ControlTests::ManagedWindow* window_;
    CAnnulusProgressUI* ring_ = nullptr;
};

std::wstring* ProgressWindowTest::folder_ = nullptr;
ControlTests::ManagedWindow* ProgressWindowTest::window_ = nullptr;

TEST_F(ProgressWindowTest, HorizontalBarsFillFromTheLeftStretchedOrCut) {
    RenderCanvas canvas(400, 300);
    Print(canvas);
    // 37 of 100 over 200 pixels: the whole picture squeezed into 74.
    EXPECT_EQ(canvas.At(20, 20), kBarBlue);
    EXPECT_EQ(canvas.At(70, 20), kBarGreen);
    EXPECT_EQ(canvas.At(83, 20), kBarGreen);
    EXPECT_EQ(canvas.At(85, 20), kWhite);
    EXPECT_EQ(canvas.At(200, 20), kWhite);
    // 75 without stretching: the picture's first 150 columns as they are.
    EXPECT_EQ(canvas.At(15, 50), kBarBlue);
    EXPECT_EQ(canvas.At(100, 50), kBarBlue);
    EXPECT_EQ(canvas.At(120, 50), kBarGreen);
    EXPECT_EQ(canvas.At(159, 50), kBarGreen);
    EXPECT_EQ(canvas.At(160, 50), kWhite);
    // The bar's own background outside it.
    EXPECT_EQ(canvas.At(5, 50), kBackground);
}

TEST_F(ProgressWindowTest, FillFollowsTheValue) {
    auto* bar = Find<CProgressUI>(L"stretched", L"Progress");
    ASSERT_NE(bar, nullptr);
    const int values[] = {0, 10, 50, 90, 100};
    for (int value : values) {
        SCOPED_TRACE(value);
        bar->SetCurrentValue(value);
        RenderCanvas canvas(400, 300);
        Print(canvas);
        const int right = 10 + 2 * value;
        if (value > 0) {
            EXPECT_EQ(canvas.At(11, 20), kBarBlue);
            EXPECT_EQ(canvas.At(right - 2, 20), kBarGreen);
        } else {
            EXPECT_EQ(canvas.At(11, 20), kWhite);
        }
        if (value < 100) {
            EXPECT_EQ(canvas.At(right + 1, 20), kWhite);
        }
    }
}

TEST_F(ProgressWindowTest, LargeRangesFillTheRightShare) {
    RenderCanvas canvas(400, 300);
    Print(canvas);
    // 3e9 of 4e9 over 200 pixels: 150.
    EXPECT_EQ(canvas.At(15, 80), kBarBlue);
    EXPECT_EQ(canvas.At(155, 80), kBarGreen);
    EXPECT_EQ(canvas.At(162, 80), 0xFFFF00u);
    EXPECT_EQ(canvas.At(200, 80), 0xFFFF00u);
}

TEST_F(ProgressWindowTest, ColoursBorderAndCentredTextOverTheFill) {
    RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_EQ(canvas.At(10, 115), 0x000000u);
    EXPECT_EQ(canvas.At(209, 115), 0x000000u);
    EXPECT_EQ(canvas.At(200, 127), 0x202080u);
    EXPECT_EQ(canvas.At(20, 127), kBarBlue);
    EXPECT_EQ(canvas.At(100, 127), kBarGreen);
    // White text, centred across the bar on its first line.
    auto isWhite = [](DWORD pixel) { return Red(pixel) > 220 && Green(pixel) > 220 && Blue(pixel) > 220; };
    const RECT text = canvas.BoxOf(RECT{11, 101, 209, 129}, isWhite);
    ASSERT_GT(text.right, text.left);
    EXPECT_NEAR((text.left + text.right) / 2, 110, 4);
    EXPECT_LT(text.top, 108);
}

TEST_F(ProgressWindowTest, VerticalBarsFillFromTheBottom) {
    RenderCanvas canvas(400, 300);
    Print(canvas);
    // 25 of 100 over 40 pixels: rows 30..39 of the bar (window rows 40..49).
    EXPECT_EQ(canvas.At(245, 38), kWhite);
    EXPECT_EQ(canvas.At(245, 12), kWhite);
    // Stretched: the whole picture, red above blue, in those ten rows.
    EXPECT_TRUE(Near(canvas.At(245, 40), 0xFF0000, 40)) << std::hex << canvas.At(245, 40);
    EXPECT_TRUE(Near(canvas.At(245, 49), 0x0000FF, 40)) << std::hex << canvas.At(245, 49);
    // Cut: the picture's own rows 30..39, all blue.
    EXPECT_EQ(canvas.At(285, 38), kWhite);
    EXPECT_EQ(canvas.At(285, 40), kBarBlue);
    EXPECT_EQ(canvas.At(285, 49), kBarBlue);

    auto* upright = Find<CProgressUI>(L"upright", L"Progress");
    ASSERT_NE(upright, nullptr);
    upright->SetCurrentValue(75);
    RenderCanvas later(400, 300);
    Print(later);
    EXPECT_EQ(later.At(245, 18), kWhite);
    EXPECT_EQ(later.At(245, 22), 0xFF0000u);
    EXPECT_EQ(later.At(245, 48), kBarBlue);
}

TEST_F(ProgressWindowTest, EmptyRangesPaintWithTheirSpanAndNothingFilled) {
    auto* flat = Find<CProgressUI>(L"flat", L"Progress");
    auto* flatRing = Find<CAnnulusProgressUI>(L"flatring", L"AnnulusProgressUI");
    ASSERT_NE(flat, nullptr);
    ASSERT_NE(flatRing, nullptr);
    EXPECT_EQ(flat->MaxValue(), 51);
    EXPECT_EQ(flatRing->MaxValue(), 150);
    EXPECT_EQ(flatRing->CurrentValue(), 50);
    RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_EQ(canvas.At(12, 150), kWhite);
    // The ring at 0 % draws none of its picture.
    EXPECT_EQ(canvas.Count(RECT{340, 10, 390, 60}, [](DWORD pixel) { return pixel != kBackground; }), 0);
}

TEST_F(ProgressWindowTest, RingShowsTheArcClockwiseFromTwelve) {
    ExpectRingEndsAt(25);
    ExpectRingEndsAt(60);
    ExpectRingEndsAt(75);
    ExpectRingEndsAt(90);
}

TEST_F(ProgressWindowTest, RingAtNothingAndAtAll) {
    RenderCanvas empty(400, 300);
    Print(empty);
    EXPECT_EQ(empty.Count(RECT{kRingLeft, kRingTop, kRingLeft + kRingSize, kRingTop + kRingSize},
                          [](DWORD pixel) { return pixel != kBackground; }),
              0);
    ring_->SetValue(100);
    RenderCanvas full(400, 300);
    Print(full);
    for (int degrees = 0; degrees < 360; degrees += 15) {
        EXPECT_EQ(RingPixelAt(full, degrees), kRingRed) << degrees;
    }
    // Inside the ring's hole and outside it: the background.
    EXPECT_EQ(full.At(kRingLeft + 50, kRingTop + 30), kBackground);
    EXPECT_EQ(full.At(kRingLeft + 2, kRingTop + 2), kBackground);
}

TEST_F(ProgressWindowTest, RingOfAnOpaqueImageLeavesItsHiddenPartClear) {
    RenderCanvas canvas(400, 300);
    Print(canvas);
    // 25 %: the upper right quarter shows the image; the rest shows what
    // lies under the ring.
    EXPECT_EQ(canvas.At(380, 110), kRingRed);
    EXPECT_EQ(canvas.At(350, 110), kBackground);
    EXPECT_EQ(canvas.At(350, 140), kBackground);
    EXPECT_EQ(canvas.At(380, 140), kBackground);
}

TEST_F(ProgressWindowTest, RingDrawsTheValueAndThePercentSignOnlyWhileEnabled) {
    ring_->SetValue(42);
    EXPECT_STREQ(ring_->Text().Text(), L"42");
    RenderCanvas canvas(400, 300);
    Print(canvas);
    const RECT valueArea = {245, 140, 285, 160};
    const RECT percentArea = {285, 140, 330, 160};
    auto isBlack = [](DWORD pixel) { return Red(pixel) < 60 && Green(pixel) < 60 && Blue(pixel) < 60; };
    auto isPercentBlue = [](DWORD pixel) { return Blue(pixel) > 120 && Red(pixel) < 90 && Green(pixel) < 90; };
    auto isGrey = [](DWORD pixel) {
        return std::abs(Red(pixel) - 0x90) < 30 && std::abs(Red(pixel) - Green(pixel)) < 10 &&
               std::abs(Green(pixel) - Blue(pixel)) < 10;
    };
    EXPECT_GT(canvas.Count(valueArea, isBlack), 10);
    EXPECT_GT(canvas.Count(percentArea, isPercentBlue), 10);
    EXPECT_EQ(canvas.Count(valueArea, isPercentBlue), 0);
    // The "%" sign is left-aligned in its rectangle.
    const RECT sign = canvas.BoxOf(percentArea, isPercentBlue);
    EXPECT_LT(sign.left, 289);

    ring_->SetEnabledState(false);
    RenderCanvas disabled(400, 300);
    Print(disabled);
    EXPECT_EQ(disabled.Count(percentArea, isPercentBlue), 0);
    EXPECT_EQ(disabled.Count(valueArea, isBlack), 0);
    EXPECT_GT(disabled.Count(valueArea, isGrey), 10);
    ring_->SetEnabledState(true);
}

TEST_F(ProgressWindowTest, ARingImageThatCannotBeLoadedDrawsNothing) {
    auto* missing = Find<CAnnulusProgressUI>(L"missing", L"AnnulusProgressUI");
    ASSERT_NE(missing, nullptr);
    missing->SetValue(50);
    RenderCanvas canvas(400, 300);
    Print(canvas);
    // The value text is there; no part of any ring.
    EXPECT_STREQ(missing->Text().Text(), L"50");
    EXPECT_EQ(canvas.Count(RECT{340, 220, 390, 270}, [](DWORD pixel) { return pixel == kRingRed; }), 0);
    // Not cleared: the next paint asks for it again.
    EXPECT_STREQ(missing->ForeImage().Text(), L"nothing.png");
}

TEST_F(ProgressWindowTest, ChangesRepaintOnlyWhenSomethingChanged) {
    auto* bar = Find<CProgressUI>(L"stretched", L"Progress");
    ASSERT_NE(bar, nullptr);
    window_->TakeUpdateRect();
    bar->SetCurrentValue(80);
    RECT update = window_->TakeUpdateRect();
    EXPECT_EQ(update.left, 10);
    EXPECT_EQ(update.top, 10);
    EXPECT_EQ(update.right, 210);
    EXPECT_EQ(update.bottom, 30);
    bar->SetCurrentValue(80);
    bar->SetCurrentValue(120);
    bar->SetHorizontal(true);
    bar->SetStretchFore(true);
    bar->SetForeImage(L"bar.png");
    update = window_->TakeUpdateRect();
    EXPECT_TRUE(IsRectEmpty(&update));
    bar->SetStretchFore(false);
    update = window_->TakeUpdateRect();
    EXPECT_FALSE(IsRectEmpty(&update));

    ring_->SetValue(33);
    update = window_->TakeUpdateRect();
    EXPECT_EQ(update.left, kRingLeft);
    EXPECT_EQ(update.bottom, kRingTop + kRingSize);
    ring_->SetValue(33);
    ring_->SetValue(-1);
    ring_->SetPercentFont(0);
    update = window_->TakeUpdateRect();
    EXPECT_TRUE(IsRectEmpty(&update));
    ring_->SetPercentColor(0xFF00FF00);
    update = window_->TakeUpdateRect();
    EXPECT_FALSE(IsRectEmpty(&update));
}

TEST_F(ProgressWindowTest, AForeImageThatFailsToDrawIsClearedAnEmptyFillIsNot) {
    auto* bar = Find<CProgressUI>(L"stretched", L"Progress");
    ASSERT_NE(bar, nullptr);
    // Nothing to fill is not a failure: the image stays for later values.
    bar->SetCurrentValue(0);
    RenderCanvas empty(400, 300);
    Print(empty);
    EXPECT_STREQ(bar->ForeImage().Text(), L"bar.png");
    EXPECT_EQ(empty.At(12, 20), kWhite);
    bar->SetCurrentValue(50);
    // An image that cannot be loaded is dropped and not tried again.
    bar->SetForeImage(L"nothing.png");
    RenderCanvas missing(400, 300);
    Print(missing);
    EXPECT_TRUE(bar->ForeImage().IsEmpty());
    EXPECT_EQ(missing.At(20, 20), kWhite);
    // Without a manager nothing can be drawn at all.
    CProgressUI detached;
    detached.SetForeImage(L"bar.png");
    detached.Place(RECT{0, 0, 50, 10});
    RenderCanvas canvas(60, 20);
    detached.Paint(canvas.DC(), RECT{0, 0, 60, 20});
    EXPECT_TRUE(detached.ForeImage().IsEmpty());
}

}  // namespace
