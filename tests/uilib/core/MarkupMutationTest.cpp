// Damaged markup: mutated texts, deep nesting and long inputs are drawn as far
// as they go, never write past the link arrays and leave the DC as it was.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "GdiRenderer.h"
#include "RenderTestSupport.h"
#include "WindowManager.h"

using RenderTests::RenderCanvas;
using TavikUI::CGdiRenderer;
using TavikUI::CUIRect;
using TavikUI::CWideString;
using TavikUI::CWindowManager;

namespace {

constexpr int kCapacity = 3;
constexpr int kGuards = 2;

const wchar_t* const kSeeds[] = {
    L"plain text with blanks",
    L"<b>bold</b> and <i>italic</i> and <u>under</u>",
    L"<c #FF0000>red <c #00FF00>green</c></c> back",
    L"<a first>one</a> <a second>two</a> <a third>three</a> <a fourth>four</a>",
    L"<f 0>font zero</f><f 微软雅黑 20 bold italic>face</f>",
    L"line<n>break\nnew line<p 8>paragraph</p>after",
    L"<r><b>raw</b>{/r} <s>selected</s> <x 12>moved<y 30>tall",
    L"<{> <}> {<} {>} escapes",
    L"<i missing.png 3 1> image <i file='none.png' restype='PNG' 2 1>",
    L"{a link}braces{/a}{b}bold{/b}",
    L"刷机工具<b>正在</b>下载<a 链接>文件</a>请稍候",
};

const wchar_t kAlphabet[] = L"<>{}/ abcfinprsuxyz#0123456789'=\nA.刷";

const UINT kStyles[] = {
    0,
    DT_SINGLELINE,
    DT_WORDBREAK,
    DT_SINGLELINE | DT_CENTER | DT_VCENTER,
    DT_SINGLELINE | DT_END_ELLIPSIS,
    DT_WORDBREAK | DT_RIGHT | DT_BOTTOM,
    DT_WORDBREAK | DT_CENTER,
};

std::wstring Mutate(std::wstring text, std::mt19937& random) {
    const int changes = 1 + static_cast<int>(random() % 6);
    const size_t letters = sizeof(kAlphabet) / sizeof(kAlphabet[0]) - 1;
    for (int i = 0; i < changes; ++i) {
        const size_t at = text.empty() ? 0 : random() % (text.size() + 1);
        switch (random() % 5) {
        case 0:
            text.insert(text.begin() + static_cast<long>(at), kAlphabet[random() % letters]);
            break;
        case 1:
            if (at < text.size()) {
                text.erase(at, 1);
            }
            break;
        case 2:
            if (at < text.size()) {
                text[at] = kAlphabet[random() % letters];
            }
            break;
        case 3:
            if (at < text.size()) {
                text.insert(at, text.substr(at, 1 + random() % 12));
            }
            break;
        default:
            text.resize(at);
            break;
        }
    }
    return text;
}

class MarkupMutationTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager_.SetDefaultFont(RenderTests::TestFace(), 14, false, false, false);
        manager_.AddFont(RenderTests::TestFace(), 20, false, false, false);
    }

    // Draws and measures the text; fails the test on any overrun or DC
    // change.
    void Exercise(const std::wstring& text, UINT style) {
        CUIRect rects[kCapacity + kGuards];
        CWideString texts[kCapacity + kGuards];
        for (int i = kCapacity; i < kCapacity + kGuards; ++i) {
            rects[i] = CUIRect(-9, -9, -9, -9);
            texts[i].AssignText(L"guard");
        }
        HGDIOBJ font = GetCurrentObject(canvas_.DC(), OBJ_FONT);
        RECT area = {5, 5, 235, 115};
        int count = kCapacity;
        CGdiRenderer::DrawMarkupText(canvas_.DC(), &manager_, area, text.c_str(), 0xFF000000, rects, texts, count,
                                     style);
        ASSERT_GE(count, 0) << Printable(text);
        ASSERT_LE(count, kCapacity) << Printable(text);
        for (int i = kCapacity; i < kCapacity + kGuards; ++i) {
            ASSERT_EQ(rects[i].left, -9) << Printable(text);
            ASSERT_STREQ(texts[i].Text(), L"guard") << Printable(text);
        }
        RECT clip = {};
        GetClipBox(canvas_.DC(), &clip);
        ASSERT_EQ(clip.right, 240) << Printable(text);
        ASSERT_EQ(clip.bottom, 120) << Printable(text);
        ASSERT_EQ(GetCurrentObject(canvas_.DC(), OBJ_FONT), font) << Printable(text);

        RECT measured = {0, 0, 230, 100};
        int none = 0;
        CGdiRenderer::DrawMarkupText(canvas_.DC(), &manager_, measured, text.c_str(), 0xFF000000, nullptr, nullptr,
                                     none, style | DT_CALCRECT);
        ASSERT_EQ(measured.left, 0) << Printable(text);
        ASSERT_GE(measured.right, 0) << Printable(text);
        ASSERT_LE(measured.right, 230) << Printable(text);
        ASSERT_GE(measured.bottom, 0) << Printable(text);
    }

    static std::string Printable(const std::wstring& text) {
        std::string out;
        for (wchar_t character : text) {
            out += character >= 32 && character < 127 ? static_cast<char>(character) : '?';
        }
        return out;
    }

    CWindowManager manager_;
    RenderCanvas canvas_{240, 120};
};

TEST_F(MarkupMutationTest, MutatedMarkupIsDrawnSafely) {
    std::mt19937 random(0x7A71C);
    const size_t seeds = sizeof(kSeeds) / sizeof(kSeeds[0]);
    const size_t styles = sizeof(kStyles) / sizeof(kStyles[0]);
    for (int iteration = 0; iteration < 1500; ++iteration) {
        const std::wstring text = Mutate(kSeeds[random() % seeds], random);
        Exercise(text, kStyles[random() % styles]);
        if (HasFatalFailure()) {
            return;
        }
    }
    // The drawing never left its rectangle.
    EXPECT_EQ(canvas_.Count(RECT{0, 0, 240, 5}, RenderTests::IsInk), 0);
    EXPECT_EQ(canvas_.Count(RECT{0, 115, 240, 120}, RenderTests::IsInk), 0);
    EXPECT_EQ(canvas_.Count(RECT{0, 0, 5, 120}, RenderTests::IsInk), 0);
    EXPECT_EQ(canvas_.Count(RECT{235, 0, 240, 120}, RenderTests::IsInk), 0);
}

TEST_F(MarkupMutationTest, DeepNestingAndLongTexts) {
    std::wstring nested;
    for (int i = 0; i < 3000; ++i) {
        nested += L"<b><c #123456><a x>";
    }
    nested += L"deep";
    Exercise(nested, DT_WORDBREAK);
    std::wstring closers;
    for (int i = 0; i < 3000; ++i) {
        closers += L"</a></c></b></p></f></i></u>";
    }
    Exercise(closers + L"after", 0);
    Exercise(std::wstring(20000, L'x'), DT_WORDBREAK);
    Exercise(std::wstring(5000, L'<'), 0);
    Exercise(std::wstring(5000, L'{') + L"b", DT_SINGLELINE);
    std::wstring links;
    for (int i = 0; i < 500; ++i) {
        links += L"<a l>w</a> ";
    }
    Exercise(links, DT_WORDBREAK);
}

TEST_F(MarkupMutationTest, HugeNumbersInTagsStayBounded) {
    Exercise(L"<x 99999999999><y 99999999999><p 99999999999>a</p>b", DT_WORDBREAK);
    Exercise(L"<f 99999999999>a</f><f x 99999999999>b</f>", 0);
    std::wstring tall;
    for (int i = 0; i < 2000; ++i) {
        tall += L"<y 32767><n>";
    }
    Exercise(tall, 0);
}

}  // namespace
