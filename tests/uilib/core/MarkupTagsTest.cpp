#include <gtest/gtest.h>

#include <string>

#include "MarkupTags.h"

using TavikUI::MarkupToken;
using TavikUI::MarkupTokenKind;
using TavikUI::ReadMarkupToken;

namespace {

std::wstring ArgumentOf(const MarkupToken& token) {
    return std::wstring(token.argument ? token.argument : L"", token.argumentLength);
}

TEST(MarkupTokens, PlainPieces) {
    EXPECT_EQ(ReadMarkupToken(L"", false).kind, MarkupTokenKind::End);
    EXPECT_EQ(ReadMarkupToken(L"\nx", false).kind, MarkupTokenKind::NewLine);
    EXPECT_EQ(ReadMarkupToken(L" x", false).kind, MarkupTokenKind::Blank);
    const MarkupToken run = ReadMarkupToken(L"ab cd<b>", false);
    EXPECT_EQ(run.kind, MarkupTokenKind::Run);
    EXPECT_EQ(run.length, 5u);
    EXPECT_EQ(ReadMarkupToken(L"ab{x}", false).length, 2u);
    EXPECT_EQ(ReadMarkupToken(L"ab\ncd", false).length, 2u);
}

TEST(MarkupTokens, OpeningTagsInBothBracketForms) {
    MarkupToken token = ReadMarkupToken(L"<b>bold", false);
    EXPECT_EQ(token.kind, MarkupTokenKind::OpenTag);
    EXPECT_EQ(token.letter, L'b');
    EXPECT_EQ(token.length, 3u);
    EXPECT_EQ(ArgumentOf(token), L"");
    token = ReadMarkupToken(L"{c #FF0000}red", false);
    EXPECT_EQ(token.kind, MarkupTokenKind::OpenTag);
    EXPECT_EQ(token.letter, L'c');
    EXPECT_EQ(token.length, 11u);
    EXPECT_EQ(ArgumentOf(token), L"#FF0000");
    // Mixed brackets close a tag too.
    token = ReadMarkupToken(L"<a link}x", false);
    EXPECT_EQ(token.kind, MarkupTokenKind::OpenTag);
    EXPECT_EQ(ArgumentOf(token), L"link");
}

TEST(MarkupTokens, ClosingTags) {
    MarkupToken token = ReadMarkupToken(L"</b>x", false);
    EXPECT_EQ(token.kind, MarkupTokenKind::CloseTag);
    EXPECT_EQ(token.letter, L'b');
    EXPECT_EQ(token.length, 4u);
    token = ReadMarkupToken(L"{/color}x", false);
    EXPECT_EQ(token.kind, MarkupTokenKind::CloseTag);
    EXPECT_EQ(token.letter, L'c');
    EXPECT_EQ(token.length, 8u);
}

TEST(MarkupTokens, BracketsThatOpenNoTagAreText) {
    // Upper-case letter, a letter not followed by a blank or bracket, a
    // missing closing bracket, a lone bracket at the end.
    for (const wchar_t* text : {L"<B>x", L"<bx>", L"<b never closed", L"<", L"{", L"</", L"</>", L"<1>"}) {
        const MarkupToken token = ReadMarkupToken(text, false);
        EXPECT_EQ(token.kind, MarkupTokenKind::Run) << text;
        EXPECT_GE(token.length, 1u) << text;
    }
    // The run that starts at such a bracket stops at the next one.
    EXPECT_EQ(ReadMarkupToken(L"<zz<b>", false).length, 3u);
}

TEST(MarkupArguments, ImageNamesAndStrips) {
    auto image = TavikUI::ReadMarkupImageArgument(L"icon.png");
    EXPECT_EQ(image.name, L"icon.png");
    EXPECT_EQ(image.strips, 1);
    EXPECT_EQ(image.strip, 0);
    image = TavikUI::ReadMarkupImageArgument(L"icon.png 4 2");
    EXPECT_EQ(image.strips, 4);
    EXPECT_EQ(image.strip, 2);
    // A strip out of range falls back to 0; fewer than one strip is one.
    image = TavikUI::ReadMarkupImageArgument(L"icon.png 3 3");
    EXPECT_EQ(image.strip, 0);
    image = TavikUI::ReadMarkupImageArgument(L"icon.png 0 -1");
    EXPECT_EQ(image.strips, 1);
    EXPECT_EQ(image.strip, 0);
}

TEST(MarkupArguments, ImageDescriptionKeys) {
    auto image = TavikUI::ReadMarkupImageArgument(L"file='a b.png' 2 1");
    EXPECT_EQ(image.name, L"a b.png");
    EXPECT_EQ(image.strips, 2);
    EXPECT_EQ(image.strip, 1);
    image = TavikUI::ReadMarkupImageArgument(L"res='101' restype='PNG'");
    EXPECT_EQ(image.name, L"101");
    EXPECT_EQ(image.resourceType, L"PNG");
    // An unterminated value ends the reading with what came before.
    image = TavikUI::ReadMarkupImageArgument(L"file='x.png' restype='PN");
    EXPECT_EQ(image.name, L"x.png");
    EXPECT_EQ(image.resourceType, L"");
}

TEST(MarkupArguments, FontFaceSizeAndStyles) {
    auto font = TavikUI::ReadMarkupFontArgument(L"Arial 12 Bold ITALIC");
    EXPECT_EQ(font.face, L"Arial");
    EXPECT_EQ(font.size, 12);
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.italic);
    EXPECT_FALSE(font.underline);
    font = TavikUI::ReadMarkupFontArgument(L"宋体 underline");
    EXPECT_EQ(font.face, L"宋体");
    EXPECT_EQ(font.size, 10);
    EXPECT_TRUE(font.underline);
    font = TavikUI::ReadMarkupFontArgument(L"Arial 99999999999");
    EXPECT_EQ(font.size, TavikUI::kMaxMarkupPixels);
}

TEST(MarkupArguments, ColoursAndPixels) {
    EXPECT_EQ(TavikUI::ReadMarkupColor(L"  #FF0000"), 0x00FF0000u);
    EXPECT_EQ(TavikUI::ReadMarkupColor(L"80123456"), 0x80123456u);
    EXPECT_EQ(TavikUI::ReadMarkupColor(L"#"), 0u);
    EXPECT_EQ(TavikUI::ReadMarkupPixels(L" 12"), 12);
    EXPECT_EQ(TavikUI::ReadMarkupPixels(L"-5"), 0);
    EXPECT_EQ(TavikUI::ReadMarkupPixels(L"2147483648"), TavikUI::kMaxMarkupPixels);
    EXPECT_EQ(TavikUI::ReadMarkupPixels(L""), 0);
}

}  // namespace
