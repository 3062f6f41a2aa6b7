// A window of base controls set up through their skin attributes (colours,
// gradients, borders, background images, texts), painted through
// WM_PRINTCLIENT and checked by pixels.
//
// With TAVIK_RENDER_HOLD_MS set the window stays on screen that long after
// the checks, so that a screenshot of the display can be taken.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "ControlUI.h"
#include "GdiRenderer.h"
#include "ManagerTestSupport.h"
#include "RenderTestSupport.h"

using RenderTests::Blue;
using RenderTests::Green;
using RenderTests::Red;
using RenderTests::RenderCanvas;
using TavikUI::CControlUI;
using TavikUI::CGdiRenderer;
using TavikUI::CUIRect;
using TavikUI::CWideString;

namespace {

// Paints its text as markup text, centred on one line, the way labels with
// markup do; keeps the link rectangles it gets back.
class MarkupTextControl : public CControlUI {
public:
    explicit MarkupTextControl(DWORD color) : color_(color) {}
    void PaintTextPart(HDC dc) override {
        RECT area = Rect();
        linkCount = 4;
        CGdiRenderer::DrawMarkupText(dc, Manager(), area, Text().Text(), color_, links, linkTexts, linkCount,
                                     DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    CUIRect links[4];
    CWideString linkTexts[4];
    int linkCount = 0;

private:
    DWORD color_;
};

// Paints its text as plain text in the top-left corner.
class PlainTextControl : public CControlUI {
public:
    void PaintTextPart(HDC dc) override {
        RECT area = Rect();
        area.left += 6;
        area.top += 4;
        CGdiRenderer::DrawPlainText(dc, Manager(), area, Text().Text(), 0xFF202020, -1, DT_SINGLELINE);
    }
};

// Holds children where their "pos" attribute puts them.
class FloatingPanel : public CControlUI {
public:
    ~FloatingPanel() override {
        for (CControlUI* child : children_) {
            delete child;
        }
    }
    template <class Control>
    Control* Add(Control* control, const wchar_t* attributes) {
        control->ApplyAttributeString(attributes);
        children_.push_back(control);
        return control;
    }
    void AttachToManager(TavikUI::CWindowManager* manager, CControlUI* parent, bool init) override {
        CControlUI::AttachToManager(manager, parent, init);
        for (CControlUI* child : children_) {
            child->AttachToManager(manager, this, init);
        }
    }
    void Place(const RECT& rect) override {
        CControlUI::Place(rect);
        for (CControlUI* child : children_) {
            const POINT offset = child->FloatOffset();
            const LONG left = rect.left + offset.x;
            const LONG top = rect.top + offset.y;
            child->Place(CUIRect(left, top, left + child->DeclaredWidth(), top + child->DeclaredHeight()));
        }
    }
    void Paint(HDC dc, const RECT& area) override {
        CControlUI::Paint(dc, area);
        for (CControlUI* child : children_) {
            child->Paint(dc, area);
        }
    }
    CControlUI* VisitControls(TavikUI::ControlVisitor visitor, void* data, UINT flags) override {
        for (CControlUI* child : children_) {
            if (CControlUI* found = child->VisitControls(visitor, data, flags)) {
                return found;
            }
        }
        return CControlUI::VisitControls(visitor, data, flags);
    }

private:
    std::vector<CControlUI*> children_;
};

bool Near(DWORD pixel, DWORD expected, int tolerance) {
    return std::abs(Red(pixel) - Red(expected)) <= tolerance && std::abs(Green(pixel) - Green(expected)) <= tolerance &&
           std::abs(Blue(pixel) - Blue(expected)) <= tolerance;
}

class RenderWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window_.Handle(), nullptr) << "no X display?";
        image_ = WriteImage();
        ASSERT_FALSE(image_.empty());
        TavikUI::CWindowManager& manager = window_.manager;
        manager.SetDefaultFont(RenderTests::TestFace(), 15, false, false, false);

        auto* root = new FloatingPanel;
        root->ApplyAttributeString(L"bkcolor=\"#FFF0F0F0\"");
        title_ = root->Add(new MarkupTextControl(0xFFFFFFFF),
                           L"pos=\"10,10,190,90\" bkcolor=\"#FFCC0000\" bordercolor=\"#FF000000\" bordersize=\"2\" "
                           L"text=\"{b}Bold{/b} panel\"");
        root->Add(new PlainTextControl,
                  L"pos=\"210,10,390,90\" bkcolor=\"#FF2050E0\" bkcolor2=\"#FF80E0FF\" "
                  L"text=\"gradient\"");
        links_ = root->Add(new MarkupTextControl(0xFF000000),
                           L"pos=\"10,110,390,170\" bkcolor=\"#FFFFFFFF\" bordercolor=\"#FF00A000\" bordersize=\"1\" "
                           L"text=\"刷机 {a help}help{/a} and {c #C00000}red{/c} text\"");
        const std::wstring picture = L"pos=\"10,190,110,290\" bkcolor=\"#FFFFFFFF\" bkimage=\"file='" + image_ +
                                     L"' dest='10,10,90,90'\" bordercolor=\"#FF000000\" bordersize=\"1\"";
        root->Add(new CControlUI, picture.c_str());
        root->Add(new CControlUI,
                  L"pos=\"130,190,390,290\" bkcolor=\"#80008000\" bordercolor=\"#FF0000FF\" "
                  L"bordersize=\"0,0,0,4\"");
        manager.AttachRoot(root);
        RedrawWindow(window_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    void TearDown() override {
        if (const char* hold = std::getenv("TAVIK_RENDER_HOLD_MS")) {
            ManagerTests::PumpFor(static_cast<DWORD>(std::atoi(hold)));
        }
        DeleteFileW(image_.c_str());
    }

    // A 20 x 20 picture: its left half yellow, its right half magenta.
    static std::wstring WriteImage() {
        std::vector<DWORD> columns(10, 0x00FFFF00);
        columns.resize(20, 0x00FF00FF);
        return RenderTests::WriteBitmapFile(L"tavik_render_window.bmp", columns, 20);
    }

    // The client area as WM_PRINTCLIENT paints it.
    void Print(RenderCanvas& canvas) {
        SendMessageW(window_.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    }

    ControlTests::ManagedWindow window_{true};
    std::wstring image_;
    MarkupTextControl* title_ = nullptr;
    MarkupTextControl* links_ = nullptr;
};

TEST_F(RenderWindowTest, BackgroundsBordersAndGradientsWhereTheAttributesPutThem) {
    RenderCanvas canvas(400, 300, 0x00123456);
    Print(canvas);
    // The root's colour between the controls.
    EXPECT_EQ(canvas.At(200, 100), 0xF0F0F0u);
    EXPECT_EQ(canvas.At(5, 5), 0xF0F0F0u);
    // The red panel with its two-pixel black frame.
    EXPECT_EQ(canvas.At(20, 20), 0xCC0000u);
    EXPECT_EQ(canvas.At(10, 50), 0x000000u);
    EXPECT_EQ(canvas.At(11, 50), 0x000000u);
    EXPECT_EQ(canvas.At(12, 20), 0xCC0000u);
    EXPECT_EQ(canvas.At(189, 50), 0x000000u);
    EXPECT_EQ(canvas.At(190, 50), 0xF0F0F0u);
    // The vertical gradient from its first to its second colour.
    EXPECT_TRUE(Near(canvas.At(380, 11), 0x2050E0, 12)) << std::hex << canvas.At(380, 11);
    EXPECT_TRUE(Near(canvas.At(380, 88), 0x80E0FF, 12)) << std::hex << canvas.At(380, 88);
    // The text panel's one-pixel green frame.
    EXPECT_EQ(canvas.At(10, 140), 0x00A000u);
    EXPECT_EQ(canvas.At(11, 140), 0xFFFFFFu);
    // The translucent panel blends over the root; its bottom side line.
    EXPECT_TRUE(Near(canvas.At(200, 200), 0x78B878, 4)) << std::hex << canvas.At(200, 200);
    EXPECT_EQ(canvas.At(200, 289), 0x0000FFu);
    EXPECT_TRUE(Near(canvas.At(200, 284), 0x78B878, 4)) << std::hex << canvas.At(200, 284);
}

TEST_F(RenderWindowTest, BackgroundImageWhereItsDestinationPutsIt) {
    RenderCanvas canvas(400, 300);
    Print(canvas);
    // dest 10,10,90,90 inside the control at 10,190: the image's left half
    // yellow, its right half magenta, stretched to 80 x 80.
    EXPECT_EQ(canvas.At(30, 240), 0xFFFF00u);
    EXPECT_EQ(canvas.At(90, 240), 0xFF00FFu);
    EXPECT_EQ(canvas.At(15, 240), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(60, 195), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(105, 240), 0xFFFFFFu);
}

TEST_F(RenderWindowTest, TextsWhereTheirControlsAre) {
    RenderCanvas canvas(400, 300);
    Print(canvas);
    // White bold text centred in the red panel.
    auto isWhite = [](DWORD pixel) { return Red(pixel) > 230 && Green(pixel) > 230 && Blue(pixel) > 230; };
    const RECT white = canvas.BoxOf(RECT{12, 12, 188, 88}, isWhite);
    ASSERT_GT(white.right, white.left);
    EXPECT_NEAR(white.left - 12, 188 - white.right, 6);
    EXPECT_NEAR(white.top - 12, 88 - white.bottom, 8);
    // Dark plain text in the gradient panel's top-left corner.
    const RECT dark = canvas.BoxOf(RECT{210, 10, 390, 90}, RenderTests::IsDark);
    EXPECT_GE(dark.left, 216);
    EXPECT_LT(dark.left, 222);
    EXPECT_LT(dark.bottom, 40);
    // The link's rectangle is reported inside its control and drawn blue; the
    // red word is red.
    ASSERT_EQ(links_->linkCount, 1);
    EXPECT_STREQ(links_->linkTexts[0].Text(), L"help");
    const RECT link = links_->links[0];
    EXPECT_GT(link.left, 10);
    EXPECT_LT(link.right, 390);
    EXPECT_GT(canvas.Count(link, RenderTests::IsBluish), 10);
    EXPECT_GT(canvas.Count(RECT{link.right, 111, 389, 169}, RenderTests::IsReddish), 10);
    EXPECT_EQ(canvas.Count(RECT{11, 111, link.left, 169}, RenderTests::IsBluish), 0);
}

}  // namespace
