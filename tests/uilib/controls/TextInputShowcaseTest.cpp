// The text, edit, slider, date-time and rich edit controls together in one
// window, built from one skin, with the edit being edited.
//
// With TAVIK_RENDER_HOLD_MS set the window stays on screen that long after
// the checks, so that a screenshot of the display can be taken.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "ControlsTestSupport.h"
#include "DateTimeUI.h"
#include "EditUI.h"
#include "EditWnd.h"
#include "RichEditUI.h"
#include "ScrollBarUI.h"

using ControlsTests::SkinWindowTest;
using RenderTests::IsDark;
using RenderTests::RenderCanvas;

namespace {

class TextInputShowcaseTest : public SkinWindowTest {
protected:
    void TearDown() override {
        if (const char* hold = std::getenv("TAVIK_RENDER_HOLD_MS")) {
            RepaintNow();
            ManagerTests::PumpFor(static_cast<DWORD>(std::atoi(hold)));
        }
        SetFocus(Handle());
        ManagerTests::PumpPending();
        SkinWindowTest::TearDown();
    }
};

TEST_F(TextInputShowcaseTest, AllFiveControlsShowInOneWindow) {
    WriteSolidImage(L"thumb.png", 0xFF2060D0u);
    WriteSolidImage(L"track.png", 0xFFB0C8F0u);
    ASSERT_TRUE(BuildSkin(
        L"<Window><Container bkcolor=\"#FFF4F4F4\">"
        L"<Text name=\"agreement\" float=\"true\" pos=\"10,10,390,60\" showhtml=\"true\" textcolor=\"#FF000000\" "
        L"text=\"请阅读 {a licence}许可协议{/a} and the {a privacy}privacy notice{/a} before you install.\"/>"
        L"<Edit name=\"folder\" float=\"true\" pos=\"10,70,390,100\" text=\"C:\\Program Files\\tavik\" "
        L"textcolor=\"#FF000000\" bordercolor=\"#FF808080\" bordersize=\"1\"/>"
        L"<Slider name=\"volume\" float=\"true\" pos=\"10,115,250,135\" bkimage=\"track.png\" thumbsize=\"12,20\" "
        L"thumbimage=\"thumb.png\" value=\"60\"/>"
        L"<DateTime name=\"date\" float=\"true\" pos=\"260,110,390,140\" textcolor=\"#FF000000\" "
        L"bkcolor=\"#FFFFFFFF\"/>"
        L"<RichEdit name=\"log\" float=\"true\" pos=\"10,150,390,290\" vscrollbar=\"true\" bkcolor=\"#FFFFFFFF\" "
        L"textcolor=\"#FF000000\" rich=\"false\"/>"
        L"</Container></Window>"));
    auto* log = Find<TavikUI::CRichEditUI>(L"log");
    ASSERT_NE(log, nullptr);
    std::wstring lines;
    for (int i = 1; i <= 12; ++i) {
        lines += L"第 " + std::to_wstring(i) + L" 行: rich edit line\r";
    }
    log->SetText(lines.c_str());
    auto* folder = Find<TavikUI::CEditUI>(L"folder");
    folder->TakeFocus();
    ASSERT_NE(folder->NativeWindow(), nullptr);
    RepaintNow();

    RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_GT(canvas.Count(RECT{10, 10, 390, 60}, IsDark), 50);
    EXPECT_GT(canvas.Count(RECT{260, 110, 390, 140}, IsDark), 30);
    EXPECT_GT(canvas.Count(RECT{10, 150, 370, 290}, IsDark), 200);
    EXPECT_GT(ControlsTests::CountNear(canvas, RECT{10, 115, 250, 135}, 0x2060D0, 10), 200);
    EXPECT_TRUE(log->VerticalScrollBar()->IsVisible());
}

}  // namespace
