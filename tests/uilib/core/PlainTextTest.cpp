#include <gtest/gtest.h>

#include <windows.h>

#include "GdiRenderer.h"
#include "RenderTestSupport.h"
#include "WindowManager.h"

using RenderTests::IsInk;
using RenderTests::IsReddish;
using RenderTests::RenderCanvas;
using TavikUI::CGdiRenderer;
using TavikUI::CWindowManager;

namespace {

class PlainTextTest : public ::testing::Test {
protected:
    void SetUp() override { manager_.SetDefaultFont(RenderTests::TestFace(), 16, false, false, false); }

    RECT Draw(const wchar_t* text, RECT rect, UINT style, int font = -1, DWORD color = 0xFF000000) {
        CGdiRenderer::DrawPlainText(canvas_.DC(), &manager_, rect, text, color, font, style);
        return rect;
    }
    RECT Ink() const { return canvas_.BoxOf(canvas_.Whole(), IsInk); }

    CWindowManager manager_;
    RenderCanvas canvas_{300, 100};
};

TEST_F(PlainTextTest, FlagsPlaceTheText) {
    Draw(L"MMMM", RECT{0, 0, 300, 100}, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    RECT ink = Ink();
    EXPECT_NEAR(ink.left, 300 - ink.right, 4);
    EXPECT_NEAR(ink.top + ink.bottom, 100, 8);

    canvas_.Fill(0x00FFFFFF);
    Draw(L"MMMM", RECT{0, 0, 300, 100}, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    ink = Ink();
    EXPECT_GE(ink.right, 295);
    EXPECT_GT(ink.top, 60);

    canvas_.Fill(0x00FFFFFF);
    Draw(L"MMMM", RECT{40, 30, 300, 100}, DT_SINGLELINE);
    ink = Ink();
    EXPECT_GE(ink.left, 40);
    EXPECT_LT(ink.left, 45);
    EXPECT_GE(ink.top, 30);
    EXPECT_LT(ink.top, 45);
}

TEST_F(PlainTextTest, TextColourAndTransparentBackground) {
    canvas_.Fill(0x000000FF);
    // An opaque DC background would fill the text cell white.
    SetBkMode(canvas_.DC(), OPAQUE);
    SetBkColor(canvas_.DC(), RGB(255, 255, 255));
    Draw(L"MMMM", RECT{0, 0, 300, 100}, DT_SINGLELINE, -1, 0xFFFFFF00);
    auto isYellow = [](DWORD pixel) { return RenderTests::Red(pixel) > 200 && RenderTests::Green(pixel) > 200; };
    EXPECT_GT(canvas_.Count(canvas_.Whole(), isYellow), 20);
    const RECT cell = Draw(L"MMMM", RECT{0, 0, 300, 100}, DT_SINGLELINE | DT_CALCRECT);
    auto isBlue = [](DWORD pixel) { return pixel == 0x000000FF; };
    EXPECT_GT(canvas_.Count(cell, isBlue), (cell.right - cell.left) * (cell.bottom - cell.top) / 3);
    EXPECT_EQ(canvas_.Count(canvas_.Whole(), [](DWORD pixel) { return pixel == 0x00FFFFFF; }), 0);
}

TEST_F(PlainTextTest, PrefixCharactersAreDrawn) {
    // With prefix processing "&x" would measure as "x".
    const RECT measured = Draw(L"&x", RECT{0, 0, 300, 100}, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(measured.right - measured.left, RenderTests::TextExtent(manager_.DefaultFontRecord()->font, L"&x").cx);
    EXPECT_EQ(canvas_.Count(canvas_.Whole(), IsInk), 0);
}

TEST_F(PlainTextTest, FontIndexChoosesTheManagerFont) {
    manager_.AddFont(RenderTests::TestFace(), 40, false, false, false);
    const RECT big = Draw(L"M", RECT{0, 0, 300, 100}, DT_SINGLELINE | DT_CALCRECT, 0);
    const RECT fallback = Draw(L"M", RECT{0, 0, 300, 100}, DT_SINGLELINE | DT_CALCRECT, 9);
    const RECT standard = Draw(L"M", RECT{0, 0, 300, 100}, DT_SINGLELINE | DT_CALCRECT, -1);
    EXPECT_EQ(big.bottom, manager_.FontRecordAt(0)->metrics.tmHeight);
    EXPECT_EQ(fallback.bottom, standard.bottom);
    EXPECT_LT(standard.bottom, big.bottom);
}

TEST_F(PlainTextTest, WordBreakWrapsLines) {
    const RECT measured = Draw(L"one two three four", RECT{0, 0, 60, 100}, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GT(measured.bottom, 2 * manager_.DefaultFontRecord()->metrics.tmHeight);
    EXPECT_LE(measured.right, 60);
}

TEST_F(PlainTextTest, NullTextOrManagerDrawsNothing) {
    RECT rect = {0, 0, 300, 100};
    CGdiRenderer::DrawPlainText(canvas_.DC(), &manager_, rect, nullptr, 0xFF000000, -1, DT_SINGLELINE);
    CGdiRenderer::DrawPlainText(canvas_.DC(), nullptr, rect, L"text", 0xFF000000, -1, DT_SINGLELINE);
    CGdiRenderer::DrawPlainText(nullptr, &manager_, rect, L"text", 0xFF000000, -1, DT_SINGLELINE);
    EXPECT_EQ(canvas_.Count(canvas_.Whole(), IsInk), 0);
}

TEST_F(PlainTextTest, DcStateIsRestored) {
    HGDIOBJ font = GetCurrentObject(canvas_.DC(), OBJ_FONT);
    SetTextColor(canvas_.DC(), RGB(9, 8, 7));
    Draw(L"text", RECT{0, 0, 300, 100}, DT_SINGLELINE, -1, 0xFFFF0000);
    EXPECT_GT(canvas_.Count(canvas_.Whole(), IsReddish), 5);
    EXPECT_EQ(GetCurrentObject(canvas_.DC(), OBJ_FONT), font);
    EXPECT_EQ(GetTextColor(canvas_.DC()), RGB(9, 8, 7));
    EXPECT_EQ(GetBkMode(canvas_.DC()), OPAQUE);
}

}  // namespace
