#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "GdiRenderer.h"
#include "RenderTestSupport.h"
#include "WindowManager.h"

using RenderTests::IsBluish;
using RenderTests::IsDark;
using RenderTests::IsInk;
using RenderTests::IsReddish;
using RenderTests::RenderCanvas;
using TavikUI::CGdiRenderer;
using TavikUI::CUIRect;
using TavikUI::CWideString;
using TavikUI::CWindowManager;

namespace {

const DWORD kBlackText = 0xFF000000;

// Markup drawn and measured with a manager whose default font is the test
// face at 16 pixels, on a white canvas.
class MarkupTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager_.SetDefaultFont(RenderTests::TestFace(), 16, false, false, false);
        lineHeight_ = RenderTests::LineHeightOf(*manager_.DefaultFontRecord());
        ASSERT_GT(lineHeight_, 10);
    }

    HFONT Font(bool bold = false, bool underline = false, bool italic = false, int size = 16) {
        HFONT font = manager_.FindFont(RenderTests::TestFace(), size, bold, underline, italic);
        return font ? font : manager_.AddFont(RenderTests::TestFace(), size, bold, underline, italic);
    }
    int Width(const std::wstring& text, HFONT font = nullptr) {
        return RenderTests::TextExtent(font ? font : manager_.DefaultFontRecord()->font, text).cx;
    }
    RECT Measure(const std::wstring& text, UINT style = 0, int width = 400) {
        RECT rect = {0, 0, width, 100};
        int none = 0;
        CGdiRenderer::DrawMarkupText(canvas_.DC(), &manager_, rect, text.c_str(), kBlackText, nullptr, nullptr, none,
                                     style | DT_CALCRECT);
        return rect;
    }
    void Draw(const std::wstring& text, RECT rect, UINT style = 0, DWORD color = kBlackText) {
        int none = 0;
        CGdiRenderer::DrawMarkupText(canvas_.DC(), &manager_, rect, text.c_str(), color, nullptr, nullptr, none, style);
    }
    // Draws with link output; answers the link count.
    int DrawWithLinks(const std::wstring& text, RECT rect, UINT style, CUIRect* rects, CWideString* texts,
                      int capacity) {
        int count = capacity;
        CGdiRenderer::DrawMarkupText(canvas_.DC(), &manager_, rect, text.c_str(), kBlackText, rects, texts, count,
                                     style);
        return count;
    }

    CWindowManager manager_;
    RenderCanvas canvas_{400, 200};
    int lineHeight_ = 0;
};

// --- Measuring ---------------------------------------------------------------------------

TEST_F(MarkupTextTest, SingleLineMeasuresToTheTextWidth) {
    const RECT rect = Measure(L"Hello world", DT_SINGLELINE);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, Width(L"Hello world"));
    EXPECT_EQ(rect.bottom, lineHeight_);
}

TEST_F(MarkupTextTest, LineBreaksByTagAndCharacter) {
    EXPECT_EQ(Measure(L"ab<n>cd").bottom, 2 * lineHeight_);
    EXPECT_EQ(Measure(L"ab\ncd\nef").bottom, 3 * lineHeight_);
    EXPECT_EQ(Measure(L"ab{n}cd").bottom, 2 * lineHeight_);
    // A new-line tag is ignored on a single line; a new-line character ends it.
    const RECT single = Measure(L"ab<n>cd", DT_SINGLELINE);
    EXPECT_EQ(single.bottom, lineHeight_);
    EXPECT_EQ(single.right, Width(L"abcd"));
    EXPECT_EQ(Measure(L"ab\ncd", DT_SINGLELINE).right, Width(L"ab"));
}

TEST_F(MarkupTextTest, EmptyInputsDoNothing) {
    RECT rect = {0, 0, 100, 100};
    int count = 3;
    CGdiRenderer::DrawMarkupText(canvas_.DC(), &manager_, rect, nullptr, kBlackText, nullptr, nullptr, count, 0);
    EXPECT_EQ(count, 0);
    CGdiRenderer::DrawMarkupText(canvas_.DC(), nullptr, rect, L"text", kBlackText, nullptr, nullptr, count, 0);
    RECT empty = {10, 10, 10, 50};
    CGdiRenderer::DrawMarkupText(canvas_.DC(), &manager_, empty, L"text", kBlackText, nullptr, nullptr, count, 0);
    EXPECT_EQ(canvas_.Count(canvas_.Whole(), IsInk), 0);
    EXPECT_EQ(Measure(L"").bottom, 0);
}

// --- Wrapping ------------------------------------------------------------------------

TEST_F(MarkupTextTest, WordBreakCutsAtTheLastBlank) {
    const int width = Width(L"hello wor");
    const RECT broken = Measure(L"hello world", DT_WORDBREAK, width);
    EXPECT_EQ(broken.bottom, 2 * lineHeight_);
    EXPECT_EQ(broken.right, std::max(Width(L"hello"), Width(L"world")));
    // Without word breaks the run is cut at the last character that fits.
    const RECT cut = Measure(L"hello world", 0, width);
    EXPECT_EQ(cut.bottom, 2 * lineHeight_);
    EXPECT_EQ(cut.right, width);
}

TEST_F(MarkupTextTest, WordBreakCutsAfterNonLetters) {
    // "one,two" cannot break at a blank: it breaks after the comma.
    const int width = Width(L"one,tw");
    const RECT rect = Measure(L"one,two", DT_WORDBREAK, width);
    EXPECT_EQ(rect.bottom, 2 * lineHeight_);
    EXPECT_EQ(rect.right, std::max(Width(L"one,"), Width(L"two")));
}

TEST_F(MarkupTextTest, ChineseTextWrapsBetweenCharacters) {
    const std::wstring text = L"刷机工具正在下载文件请稍候";
    const int width = Width(L"刷机工具正");
    const RECT rect = Measure(text, DT_WORDBREAK, width + 2);
    EXPECT_EQ(rect.bottom, 3 * lineHeight_);
    EXPECT_EQ(rect.right, width);
}

TEST_F(MarkupTextTest, WordLongerThanTheLineIsCutWhereItStopsFitting) {
    const int width = Width(L"abcdef");
    const RECT rect = Measure(L"abcdefghijkl", DT_WORDBREAK, width);
    EXPECT_EQ(rect.bottom, 2 * lineHeight_);
    EXPECT_EQ(rect.right, width);
}

TEST_F(MarkupTextTest, RunThatDoesNotFitStartsTheNextLine) {
    // After a bold word the plain run would not fit: it moves down whole.
    const int bold = Width(L"ab", Font(true));
    const int width = bold + Width(L"cdef") - 1;
    const RECT rect = Measure(L"<b>ab</b>cdef", DT_WORDBREAK, width);
    EXPECT_EQ(rect.bottom, 2 * lineHeight_);
    EXPECT_EQ(rect.right, std::max(bold, Width(L"cdef")));
}

TEST_F(MarkupTextTest, DrawingWrapsInsideTheRectangle) {
    const RECT area = {10, 10, 110, 190};
    Draw(L"the quick brown fox jumps over the lazy dog", area, DT_WORDBREAK);
    const RECT ink = canvas_.BoxOf(canvas_.Whole(), IsInk);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 110);
    EXPECT_GT(ink.bottom - ink.top, 2 * lineHeight_);
    EXPECT_LE(ink.bottom, 190);
}

TEST_F(MarkupTextTest, DrawingStopsBelowTheRectangle) {
    Draw(L"first<n>second<n>third", RECT{0, 0, 200, lineHeight_});
    EXPECT_GT(canvas_.Count(RECT{0, 0, 200, lineHeight_}, IsDark), 0);
    EXPECT_EQ(canvas_.Count(RECT{0, lineHeight_, 400, 200}, IsInk), 0);
    RECT clip = {};
    GetClipBox(canvas_.DC(), &clip);
    EXPECT_EQ(clip.right, 400);
    EXPECT_EQ(clip.bottom, 200);
}

TEST_F(MarkupTextTest, EllipsisEndsTheLineAtTheRightEdge) {
    const std::wstring text = L"a long text that is cut with dots";
    const RECT measured = Measure(text, DT_SINGLELINE | DT_END_ELLIPSIS, 120);
    EXPECT_EQ(measured.right, 120);
    Draw(text, RECT{0, 0, 120, 40}, DT_SINGLELINE | DT_END_ELLIPSIS);
    const RECT ink = canvas_.BoxOf(canvas_.Whole(), IsInk);
    EXPECT_LE(ink.right, 120);
    // The dots end the line close to the edge.
    EXPECT_GT(ink.right, 120 - Width(L"...") - Width(L"W"));
    // The dots sit on the base line: the last ink columns are low.
    const RECT tail = canvas_.BoxOf(RECT{ink.right - 3, 0, ink.right, 40}, IsInk);
    EXPECT_GT(tail.top, ink.top + lineHeight_ / 3);
}

// --- Fonts and colours --------------------------------------------------------------

TEST_F(MarkupTextTest, BoldAppliesToTheTaggedWordOnly) {
    HFONT bold = Font(true);
    EXPECT_EQ(Measure(L"<b>Bold</b> text", DT_SINGLELINE).right, Width(L"Bold", bold) + Width(L" text"));
    EXPECT_NE(Width(L"Bold", bold), Width(L"Bold"));
    // Bold draws more ink than the same letters plain.
    Draw(L"<b>mmmm</b>", RECT{0, 0, 200, 40});
    const int boldInk = canvas_.Count(canvas_.Whole(), IsDark);
    canvas_.Fill(0x00FFFFFF);
    Draw(L"mmmm", RECT{0, 0, 200, 40});
    EXPECT_GT(boldInk, canvas_.Count(canvas_.Whole(), IsDark));
}

TEST_F(MarkupTextTest, StyleFontsAreFoundOrAddedToTheManager) {
    const int before = manager_.FontCount();
    Measure(L"<b>a</b><i>b</i><u>c</u>");
    EXPECT_NE(manager_.FindFont(RenderTests::TestFace(), 16, true, false, false), nullptr);
    EXPECT_NE(manager_.FindFont(RenderTests::TestFace(), 16, false, false, true), nullptr);
    EXPECT_NE(manager_.FindFont(RenderTests::TestFace(), 16, false, true, false), nullptr);
    EXPECT_EQ(manager_.FontCount(), before + 3);
    // Found again, not added again; nested styles combine.
    Measure(L"<b>a</b><b><i>x</i></b>");
    EXPECT_EQ(manager_.FontCount(), before + 4);
    EXPECT_NE(manager_.FindFont(RenderTests::TestFace(), 16, true, false, true), nullptr);
}

TEST_F(MarkupTextTest, ColourTagColoursItsTextAndIsPopped) {
    const int split = Width(L"MMM");
    Draw(L"<c #FF0000>MMM</c>MMM", RECT{0, 0, 300, 40});
    const RECT left = {0, 0, split, 40};
    const RECT right = {split + 1, 0, 300, 40};
    EXPECT_GT(canvas_.Count(left, IsReddish), 20);
    EXPECT_EQ(canvas_.Count(left, IsDark), 0);
    EXPECT_GT(canvas_.Count(right, IsDark), 20);
    EXPECT_EQ(canvas_.Count(right, IsReddish), 0);
}

TEST_F(MarkupTextTest, FontByIndexAndByFace) {
    manager_.AddFont(RenderTests::TestFace(), 30, false, false, false);
    const int bigHeight = RenderTests::LineHeightOf(*manager_.FontRecordAt(0));
    ASSERT_GT(bigHeight, lineHeight_);
    EXPECT_EQ(Measure(L"a<f 0>B</f>c").bottom, bigHeight);
    EXPECT_EQ(Measure(L"<f 0>B</f><n>c").bottom, bigHeight + lineHeight_);
    // An index out of range is the default font.
    EXPECT_EQ(Measure(L"<f 7>B</f>").bottom, lineHeight_);
    // By face: size and styles, found or added.
    Measure(std::wstring(L"<f ") + RenderTests::TestFace() + L" 24 bold>x</f>");
    EXPECT_NE(manager_.FindFont(RenderTests::TestFace(), 24, true, false, false), nullptr);
    Measure(std::wstring(L"<f ") + RenderTests::TestFace() + L" italic>x</f>");
    EXPECT_NE(manager_.FindFont(RenderTests::TestFace(), 10, false, false, true), nullptr);
}

TEST_F(MarkupTextTest, RunsOfDifferentFontsShareTheBottomLine) {
    manager_.AddFont(RenderTests::TestFace(), 32, false, false, false);
    Draw(L"<f 0>H</f>H", RECT{0, 0, 300, 100});
    const int bigWidth = Width(L"H", manager_.FontAt(0));
    const RECT big = canvas_.BoxOf(RECT{0, 0, bigWidth, 100}, IsDark);
    const RECT small = canvas_.BoxOf(RECT{bigWidth, 0, 300, 100}, IsDark);
    ASSERT_GT(big.bottom, 0);
    ASSERT_GT(small.bottom, 0);
    // The cells share their bottom: the base lines differ by the descents.
    const int bigDescent = manager_.FontRecordAt(0)->metrics.tmDescent;
    const int smallDescent = manager_.DefaultFontRecord()->metrics.tmDescent;
    EXPECT_NEAR(big.bottom + bigDescent, small.bottom + smallDescent, 2);
    EXPECT_LT(big.top, small.top);
}

TEST_F(MarkupTextTest, ParagraphSpacingIsAddedAboveItsLines) {
    EXPECT_EQ(Measure(L"<p 10>a</p>b").bottom, 10 + 2 * lineHeight_);
    EXPECT_EQ(Measure(L"a<p 6>b<n>c</p>").bottom, lineHeight_ + 2 * (6 + lineHeight_));
}

TEST_F(MarkupTextTest, MoveAndLineHeightTags) {
    const RECT moved = Measure(L"<x 20>a", DT_SINGLELINE);
    EXPECT_EQ(moved.right, 20 + Width(L"a"));
    EXPECT_EQ(Measure(L"<y 40>a").bottom, 40);
    // Moving past the right edge moves no further than it.
    EXPECT_EQ(Measure(L"<x 32767><x 32767>", DT_SINGLELINE, 100).right, 100);
}

TEST_F(MarkupTextTest, SelectedTextHasTheSelectedBackground) {
    manager_.SetSelectedBackgroundColor(0xFF00FF00);
    Draw(L"<s>MM</s>MM", RECT{0, 0, 300, 40});
    const int split = Width(L"MM");
    auto isGreen = [](DWORD pixel) { return pixel == 0x0000FF00; };
    EXPECT_GT(canvas_.Count(RECT{0, 0, split, 40}, isGreen), split * lineHeight_ / 2);
    EXPECT_EQ(canvas_.Count(RECT{split + 1, 0, 300, 40}, isGreen), 0);
}

// --- Escapes, raw text, bad markup ---------------------------------------------------------

TEST_F(MarkupTextTest, EscapesDrawBrackets) {
    EXPECT_EQ(Measure(L"<{>", DT_SINGLELINE).right, Width(L"{"));
    EXPECT_EQ(Measure(L"a<}>b", DT_SINGLELINE).right, Width(L"a}b"));
    const int before = manager_.FontCount();
    EXPECT_EQ(Measure(L"{<}b{>}x{<}/b{>}", DT_SINGLELINE).right, Width(L"<b>x</b>"));
    EXPECT_EQ(manager_.FontCount(), before);
}

TEST_F(MarkupTextTest, RawTextShowsTagsAsCharacters) {
    const int before = manager_.FontCount();
    EXPECT_EQ(Measure(L"<r><b>x</b></r>", DT_SINGLELINE).right, Width(L"<b>x</b>"));
    EXPECT_EQ(manager_.FontCount(), before);
    // After the raw part tags work again.
    EXPECT_EQ(Measure(L"{r}<n>{/r}<b>y</b>", DT_SINGLELINE).right, Width(L"<n>") + Width(L"y", Font(true)));
}

TEST_F(MarkupTextTest, UnknownTagsAreSkipped) {
    EXPECT_EQ(Measure(L"<q>ab</q>", DT_SINGLELINE).right, Width(L"ab"));
    EXPECT_EQ(Measure(L"<z some argument>ab</zap>", DT_SINGLELINE).right, Width(L"ab"));
}

TEST_F(MarkupTextTest, BracketsThatAreNotTagsAreText) {
    EXPECT_EQ(Measure(L"a<zz>b", DT_SINGLELINE).right, Width(L"a<zz>b"));
    EXPECT_EQ(Measure(L"1 < 2", DT_SINGLELINE).right, Width(L"1 < 2"));
    EXPECT_EQ(Measure(L"x<c #ff0000", DT_SINGLELINE).right, Width(L"x<c #ff0000"));
}

TEST_F(MarkupTextTest, UnmatchedTagsDrawAsFarAsTheyGo) {
    HFONT bold = Font(true);
    EXPECT_EQ(Measure(L"</b></c></i></u></f></p></s>ab", DT_SINGLELINE).right, Width(L"ab"));
    EXPECT_EQ(Measure(L"<b>ab", DT_SINGLELINE).right, Width(L"ab", bold));
    // A closing tag pops only what its own kind pushed.
    EXPECT_EQ(Measure(L"<b><c #ff0000>a</c>b</b>c", DT_SINGLELINE).right, Width(L"ab", bold) + Width(L"c"));
    // Closing a style twice does not pop below the start.
    EXPECT_EQ(Measure(L"<b><b>a</b></b></b>b", DT_SINGLELINE).right, Width(L"a", bold) + Width(L"b"));
}

// --- Links -----------------------------------------------------------------------------------

TEST_F(MarkupTextTest, LinkReportsItsRectangleAndText) {
    CUIRect rects[4];
    CWideString texts[4];
    const int count = DrawWithLinks(L"go <a target>click</a> now", RECT{0, 0, 300, 40}, DT_SINGLELINE, rects, texts, 4);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(texts[0].Text(), L"target");
    HFONT underline = Font(false, true);
    EXPECT_EQ(rects[0].left, Width(L"go "));
    EXPECT_EQ(rects[0].right, Width(L"go ") + Width(L"click", underline));
    EXPECT_EQ(rects[0].top, 0);
    EXPECT_EQ(rects[0].bottom, lineHeight_);
    // Drawn in the link colour, underlined, inside its rectangle only.
    const RECT blue = canvas_.BoxOf(canvas_.Whole(), IsBluish);
    EXPECT_GE(blue.left, rects[0].left);
    EXPECT_LE(blue.right, rects[0].right);
    EXPECT_GT(blue.right - blue.left, (rects[0].right - rects[0].left) * 9 / 10);
    EXPECT_EQ(canvas_.Count(rects[0], IsDark), 0);
}

TEST_F(MarkupTextTest, LinkWithoutTextAndTheLinkColourOfTheManager) {
    manager_.SetLinkTextColor(0xFFFF0000);
    CUIRect rects[2];
    CWideString texts[2] = {CWideString(L"stale"), CWideString(L"stale")};
    const int count = DrawWithLinks(L"<a>here</a>", RECT{0, 0, 300, 40}, 0, rects, texts, 2);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(texts[0].Text(), L"");
    EXPECT_GT(canvas_.Count(rects[0], IsReddish), 10);
}

TEST_F(MarkupTextTest, WrappedLinkGetsOneRectanglePerLine) {
    const int width = Width(L"see the") + 2;
    CUIRect rects[4];
    CWideString texts[4];
    const int count = DrawWithLinks(L"see <a doc>the map</a>", RECT{0, 0, width, 100}, DT_WORDBREAK, rects, texts, 4);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(texts[0].Text(), L"doc");
    EXPECT_STREQ(texts[1].Text(), L"doc");
    EXPECT_EQ(rects[0].left, Width(L"see "));
    EXPECT_EQ(rects[0].top, 0);
    EXPECT_EQ(rects[0].bottom, lineHeight_);
    EXPECT_EQ(rects[1].left, 0);
    EXPECT_EQ(rects[1].top, lineHeight_);
    EXPECT_EQ(rects[1].bottom, 2 * lineHeight_);
    EXPECT_EQ(rects[1].right, Width(L"map", Font(false, true)));
}

TEST_F(MarkupTextTest, LinkRectangleCoversTheWholeLineHeight) {
    manager_.AddFont(RenderTests::TestFace(), 30, false, false, false);
    const int bigHeight = RenderTests::LineHeightOf(*manager_.FontRecordAt(0));
    CUIRect rects[1];
    CWideString texts[1];
    ASSERT_EQ(DrawWithLinks(L"<a x>link</a><f 0>Big</f>", RECT{0, 0, 300, 100}, 0, rects, texts, 1), 1);
    EXPECT_EQ(rects[0].top, 0);
    EXPECT_EQ(rects[0].bottom, bigHeight);
}

TEST_F(MarkupTextTest, MoreLinksThanTheTableHoldsNeverWritePastIt) {
    CUIRect rects[5];
    CWideString texts[5];
    for (int i = 2; i < 5; ++i) {
        rects[i] = CUIRect(-7, -7, -7, -7);
        texts[i].AssignText(L"guard");
    }
    const int count = DrawWithLinks(L"<a 1>a</a> <a 2>b</a> <a 3>c</a> <a 4>d</a> <a 5>e</a>", RECT{0, 0, 300, 40}, 0,
                                    rects, texts, 2);
    EXPECT_EQ(count, 2);
    EXPECT_STREQ(texts[0].Text(), L"1");
    EXPECT_STREQ(texts[1].Text(), L"2");
    for (int i = 2; i < 5; ++i) {
        EXPECT_EQ(rects[i].left, -7) << i;
        EXPECT_STREQ(texts[i].Text(), L"guard") << i;
    }
    // A wrapped link past the capacity is bounded the same way.
    const int wrapped = DrawWithLinks(L"<a w>aaa bbb ccc ddd eee fff</a>", RECT{0, 0, Width(L"aaa") + 2, 200},
                                      DT_WORDBREAK, rects, texts, 2);
    EXPECT_EQ(wrapped, 2);
    EXPECT_STREQ(texts[2].Text(), L"guard");
    // Without arrays nothing is stored.
    EXPECT_EQ(DrawWithLinks(L"<a 1>a</a>", RECT{0, 0, 300, 40}, 0, nullptr, nullptr, 5), 0);
}

TEST_F(MarkupTextTest, ClosingLinkWithoutOpeningIsNoLink) {
    CUIRect rects[2];
    CWideString texts[2];
    EXPECT_EQ(DrawWithLinks(L"text</a> more</a>", RECT{0, 0, 300, 40}, 0, rects, texts, 2), 0);
    // An unclosed link still reports where it went.
    EXPECT_EQ(DrawWithLinks(L"go <a open>there", RECT{0, 0, 300, 40}, 0, rects, texts, 2), 1);
    EXPECT_STREQ(texts[0].Text(), L"open");
    EXPECT_EQ(rects[0].right, Width(L"go ") + Width(L"there", Font(false, true)));
}

TEST_F(MarkupTextTest, MultiLineCentringMovesLinksWithTheirLine) {
    CUIRect rects[1];
    CWideString texts[1];
    ASSERT_EQ(DrawWithLinks(L"<a x>ab</a>", RECT{0, 0, 200, 100}, DT_CENTER, rects, texts, 1), 1);
    const int width = Width(L"ab", Font(false, true));
    EXPECT_EQ(rects[0].left, (200 - width) / 2);
    EXPECT_EQ(rects[0].right, rects[0].left + width);
    const RECT blue = canvas_.BoxOf(canvas_.Whole(), IsBluish);
    EXPECT_GE(blue.left, rects[0].left);
    EXPECT_LE(blue.right, rects[0].right);
}

// --- Alignment -------------------------------------------------------------------------------

TEST_F(MarkupTextTest, SingleLineAlignment) {
    const RECT area = {0, 0, 300, 60};
    Draw(L"MMMM", area, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    RECT ink = canvas_.BoxOf(canvas_.Whole(), IsInk);
    EXPECT_NEAR(ink.left, 300 - ink.right, 4);
    EXPECT_NEAR(ink.top + ink.bottom, 60, 8);
    canvas_.Fill(0x00FFFFFF);
    Draw(L"MMMM", area, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    ink = canvas_.BoxOf(canvas_.Whole(), IsInk);
    EXPECT_GE(ink.right, 296);
    EXPECT_LE(ink.right, 300);
    EXPECT_GT(ink.bottom, 60 - lineHeight_ / 2);
    EXPECT_LE(ink.bottom, 60);
}

TEST_F(MarkupTextTest, MultiLineCentringCentresEachLine) {
    Draw(L"MM<n>MMMMMM", RECT{0, 0, 300, 100}, DT_CENTER);
    const RECT first = canvas_.BoxOf(RECT{0, 0, 300, lineHeight_}, IsInk);
    const RECT second = canvas_.BoxOf(RECT{0, lineHeight_, 300, 2 * lineHeight_}, IsInk);
    EXPECT_NEAR(first.left, 300 - first.right, 4);
    EXPECT_NEAR(second.left, 300 - second.right, 4);
    EXPECT_GT(first.left, second.left);
}

TEST_F(MarkupTextTest, DrawingIsClippedToTheRectangleAndDcIsRestored) {
    HGDIOBJ font = GetCurrentObject(canvas_.DC(), OBJ_FONT);
    SetTextColor(canvas_.DC(), RGB(1, 2, 3));
    Draw(L"<b>clipped text that runs on</b>", RECT{20, 20, 60, 40}, DT_SINGLELINE);
    const RECT ink = canvas_.BoxOf(canvas_.Whole(), IsInk);
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 60);
    EXPECT_GE(ink.top, 20);
    EXPECT_LE(ink.bottom, 40);
    EXPECT_EQ(GetCurrentObject(canvas_.DC(), OBJ_FONT), font);
    EXPECT_EQ(GetTextColor(canvas_.DC()), RGB(1, 2, 3));
    EXPECT_EQ(GetBkMode(canvas_.DC()), OPAQUE);
}

// --- Inline images -------------------------------------------------------------------------

class MarkupImageTest : public MarkupTextTest {
protected:
    void SetUp() override {
        MarkupTextTest::SetUp();
        std::vector<DWORD> columns(10, 0x00FF0000);
        columns.resize(20, 0x0000FF00);
        strip_ = RenderTests::WriteBitmapFile(L"tavik_markup_strip.bmp", columns, 10);
        tall_ = RenderTests::WriteBitmapFile(L"tavik_markup_tall.bmp", std::vector<DWORD>(8, 0x000000FF), 40);
        ASSERT_FALSE(strip_.empty());
        ASSERT_EQ(strip_.find(L' '), std::wstring::npos) << "the tag argument cannot hold blanks";
    }
    void TearDown() override {
        DeleteFileW(strip_.c_str());
        DeleteFileW(tall_.c_str());
    }
    std::wstring Tag(const std::wstring& path, const wchar_t* numbers = L"") { return L"<i " + path + numbers + L">"; }

    std::wstring strip_;
    std::wstring tall_;
};

TEST_F(MarkupImageTest, ImageAdvancesByItsWidth) {
    EXPECT_EQ(Measure(Tag(strip_) + L"ab", DT_SINGLELINE).right, 20 + Width(L"ab"));
    EXPECT_EQ(Measure(Tag(strip_, L" 2 0") + L"ab", DT_SINGLELINE).right, 10 + Width(L"ab"));
    EXPECT_EQ(Measure(std::wstring(L"<i file='") + strip_ + L"'>ab", DT_SINGLELINE).right, 20 + Width(L"ab"));
}

TEST_F(MarkupImageTest, ChosenStripIsDrawnCentredOnTheLine) {
    Draw(L"ab" + Tag(strip_, L" 2 1"), RECT{0, 0, 200, 60});
    auto isGreen = [](DWORD pixel) { return pixel == 0x0000FF00; };
    auto isRed = [](DWORD pixel) { return pixel == 0x00FF0000; };
    const RECT green = canvas_.BoxOf(canvas_.Whole(), isGreen);
    const int left = Width(L"ab");
    EXPECT_EQ(green.left, left);
    EXPECT_EQ(green.right, left + 10);
    EXPECT_EQ(green.bottom - green.top, 10);
    EXPECT_EQ(green.top, (lineHeight_ - 10) / 2);
    EXPECT_EQ(canvas_.Count(canvas_.Whole(), isRed), 0);
}

TEST_F(MarkupImageTest, TallImageRaisesTheLine) {
    EXPECT_EQ(Measure(Tag(tall_) + L"a").bottom, 40);
    Draw(Tag(tall_) + L"H", RECT{0, 0, 200, 100});
    auto isBlue = [](DWORD pixel) { return pixel == 0x000000FF; };
    const RECT blue = canvas_.BoxOf(canvas_.Whole(), isBlue);
    EXPECT_EQ(blue.top, 0);
    EXPECT_EQ(blue.bottom, 40);
    // The text sits on the bottom of the taller line.
    const RECT text = canvas_.BoxOf(RECT{8, 0, 200, 100}, RenderTests::IsDark);
    EXPECT_GT(text.top, 40 - lineHeight_);
    EXPECT_LE(text.bottom, 40);
}

TEST_F(MarkupImageTest, ImageThatDoesNotFitMovesToTheNextLine) {
    const int width = Width(L"ab") + 10;
    EXPECT_EQ(Measure(L"ab" + Tag(strip_), 0, width).bottom, 2 * lineHeight_);
    EXPECT_EQ(Measure(L"ab" + Tag(strip_), DT_SINGLELINE, width).bottom, lineHeight_);
    // Alone on a line it stays, however wide.
    EXPECT_EQ(Measure(Tag(strip_) + L"<n>x", 0, 5).bottom, 2 * lineHeight_);
}

TEST_F(MarkupImageTest, MissingImageDrawsNothingAndTheTextGoesOn) {
    EXPECT_EQ(Measure(L"<i tavik_no_such_image.bmp 2 1>ab", DT_SINGLELINE).right, Width(L"ab"));
    EXPECT_EQ(Measure(L"<i file='tavik_no_such_image.bmp'>ab", DT_SINGLELINE).right, Width(L"ab"));
}

// --- Hovered links -------------------------------------------------------------------------

TEST(MarkupHover, LinkUnderTheMouseTakesTheHoverColour) {
    ControlTests::ManagedWindow window;
    ASSERT_NE(window.Handle(), nullptr) << "no X display?";
    CWindowManager& manager = window.manager;
    manager.SetDefaultFont(RenderTests::TestFace(), 16, false, false, false);
    manager.SetLinkHoverTextColor(0xFFFF0000);
    RenderCanvas canvas(300, 40);
    CUIRect rects[2];
    CWideString texts[2];
    const std::wstring text = L"<a one>first</a> <a two>second</a>";
    auto draw = [&] {
        canvas.Fill(0x00FFFFFF);
        RECT area = {0, 0, 300, 40};
        int count = 2;
        CGdiRenderer::DrawMarkupText(canvas.DC(), &manager, area, text.c_str(), kBlackText, rects, texts, count, 0);
        return count;
    };
    ASSERT_EQ(draw(), 2);
    EXPECT_EQ(canvas.Count(canvas.Whole(), IsReddish), 0);
    const RECT second = rects[1];
    SendMessageW(window.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(second.left + 2, second.top + 2));
    ASSERT_EQ(draw(), 2);
    EXPECT_GT(canvas.Count(second, IsReddish), 10);
    EXPECT_EQ(canvas.Count(second, IsBluish), 0);
    EXPECT_EQ(canvas.Count(rects[0], IsReddish), 0);
    EXPECT_GT(canvas.Count(rects[0], IsBluish), 10);
}

}  // namespace
