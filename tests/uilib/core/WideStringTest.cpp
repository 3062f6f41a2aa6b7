#include <gtest/gtest.h>

#include <string>

#include "WideString.h"

using TavikUI::CWideString;

namespace {

std::wstring Repeat(wchar_t character, int count) { return std::wstring(count, character); }

}  // namespace

TEST(WideStringStorage, ShortTextsStayInlineLongOnesMoveToTheHeap) {
    const std::wstring text62 = Repeat(L'x', 62);
    const std::wstring text63 = Repeat(L'y', 63);

    CWideString empty;
    EXPECT_TRUE(empty.IsInline());
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.Length(), 0);
    ASSERT_NE(empty.Text(), nullptr);

    CWideString inlineText(text62.c_str());
    EXPECT_TRUE(inlineText.IsInline());
    EXPECT_EQ(inlineText.Text(), text62);

    CWideString heapText(text63.c_str());
    EXPECT_FALSE(heapText.IsInline());
    EXPECT_EQ(heapText.Text(), text63);

    // Back inline once the text is short again.
    heapText.AssignText(L"0123456789");
    EXPECT_TRUE(heapText.IsInline());
    EXPECT_STREQ(heapText.Text(), L"0123456789");

    // A heap string receiving a longer text still holds all of it.
    heapText.AssignText(text63.c_str());
    heapText.AssignText(Repeat(L'z', 500).c_str());
    EXPECT_EQ(heapText.Text(), Repeat(L'z', 500));
    heapText.AssignText(Repeat(L'q', 70).c_str());
    EXPECT_EQ(heapText.Text(), Repeat(L'q', 70));
    EXPECT_FALSE(heapText.IsInline());

    heapText.Clear();
    EXPECT_TRUE(heapText.IsInline());
    EXPECT_TRUE(heapText.IsEmpty());
}

TEST(WideStringStorage, ConstructorsAndAssignment) {
    EXPECT_STREQ(CWideString(L"abcdef", 3).Text(), L"abc");
    EXPECT_STREQ(CWideString(L"abc", -1).Text(), L"abc");
    EXPECT_STREQ(CWideString(nullptr).Text(), L"");
    EXPECT_STREQ(CWideString(L'Q').Text(), L"Q");
    // A count beyond the text stops at its end.
    const CWideString shortText(L"abc", 100);
    EXPECT_STREQ(shortText.Text(), L"abc");
    EXPECT_TRUE(shortText.IsInline());

    const std::wstring longText = Repeat(L'k', 200);
    CWideString original(longText.c_str());
    CWideString copy(original);
    EXPECT_EQ(copy.Text(), longText);
    EXPECT_NE(copy.Text(), original.Text());  // its own block
    original.AssignText(L"changed");
    EXPECT_EQ(copy.Text(), longText);

    CWideString assigned;
    assigned = copy;
    EXPECT_EQ(assigned.Text(), longText);
    assigned.AssignString(CWideString(L"short"));
    EXPECT_STREQ(assigned.Text(), L"short");
    assigned.AssignText(nullptr);
    EXPECT_TRUE(assigned.IsEmpty());

    CWideString chars;
    EXPECT_STREQ(chars.AssignChars(L"hello world", 5), L"hello");
    EXPECT_STREQ(chars.AssignChars(nullptr, 3), L"");
}

TEST(WideStringStorage, AssigningItsOwnTextIsSafe) {
    const std::wstring longText = L"prefix-" + Repeat(L'a', 100) + L"-suffix";
    CWideString text(longText.c_str());
    text = text;
    EXPECT_EQ(text.Text(), longText);
    text.AssignString(text);
    EXPECT_EQ(text.Text(), longText);
    text.AssignText(text.Text());
    EXPECT_EQ(text.Text(), longText);

    // A short part of a heap text: the heap block is given up for the inline
    // buffer, so the source must be copied before it goes.
    text.AssignChars(text.Text() + longText.size() - 6, -1);
    EXPECT_STREQ(text.Text(), L"suffix");
    EXPECT_TRUE(text.IsInline());

    // A long tail of its own heap text.
    CWideString tail(longText.c_str());
    tail.AssignText(tail.Text() + 7);
    EXPECT_EQ(tail.Text(), longText.substr(7));

    CWideString inlineText(L"abcdef");
    inlineText.AssignChars(inlineText.Text() + 2, 3);
    EXPECT_STREQ(inlineText.Text(), L"cde");
}

TEST(WideStringAppend, CrossesTheInlineLimitBothWays) {
    CWideString text(Repeat(L'a', 60).c_str());
    text.AppendText(L"bc");
    EXPECT_TRUE(text.IsInline());
    EXPECT_EQ(text.Length(), 62);
    text.AppendChar(L'd');
    EXPECT_FALSE(text.IsInline());
    EXPECT_EQ(text.Text(), Repeat(L'a', 60) + L"bcd");
    text.AppendString(CWideString(Repeat(L'e', 100).c_str()));
    EXPECT_EQ(text.Text(), Repeat(L'a', 60) + L"bcd" + Repeat(L'e', 100));

    text.AppendText(nullptr);
    EXPECT_EQ(text.Length(), 163);

    CWideString small(L"x");
    small.Append(L"y");
    small.AppendChar(L'z');
    EXPECT_STREQ(small.Text(), L"xyz");
    EXPECT_TRUE(small.IsInline());

    const CWideString base(L"left");
    const CWideString joined = base.ConcatText(L"-right");
    EXPECT_STREQ(joined.Text(), L"left-right");
    EXPECT_STREQ(base.Text(), L"left");
    EXPECT_STREQ(base.ConcatText(nullptr).Text(), L"left");
}

TEST(WideStringAppend, AppendingItsOwnTextIsSafe) {
    // Inline growing to the heap.
    CWideString text(Repeat(L'm', 40).c_str());
    text.AppendText(text.Text());
    EXPECT_EQ(text.Text(), Repeat(L'm', 80));
    // Heap growing (the block is reallocated).
    text.AppendString(text);
    EXPECT_EQ(text.Text(), Repeat(L'm', 160));
    for (int i = 0; i < 4; ++i) {
        text.Append(text.Text() + 10);
    }
    EXPECT_EQ(text.Length(), 160 + 150 + 300 + 600 + 1200);

    CWideString small(L"ab");
    small.Append(small.Text());
    EXPECT_STREQ(small.Text(), L"abab");
}

TEST(WideStringCompare, ExactAndCaseInsensitive) {
    const CWideString text(L"Skin");
    EXPECT_EQ(text.Compare(L"Skin"), 0);
    EXPECT_LT(text.Compare(L"Skio"), 0);
    EXPECT_GT(text.Compare(L"Ski"), 0);
    EXPECT_NE(text.Compare(L"skin"), 0);
    EXPECT_EQ(text.CompareNoCase(L"sKIN"), 0);
    EXPECT_NE(text.CompareNoCase(L"skins"), 0);
    EXPECT_TRUE(text.Equals(L"Skin"));
    EXPECT_FALSE(text.Equals(L"skin"));
    EXPECT_TRUE(text.NotEquals(L"skin"));
    EXPECT_FALSE(text.NotEquals(L"Skin"));

    CWideString lower(L"MiXeD 1A");
    lower.MakeLower();
    EXPECT_STREQ(lower.Text(), L"mixed 1a");
    EXPECT_EQ(lower.CharAt(0), L'm');
    EXPECT_EQ(lower.CharAt(lower.Length()), L'\0');
}

TEST(WideStringSearch, CharactersAndSubstrings) {
    const CWideString text(L"abcabc");
    EXPECT_EQ(text.FindChar(L'b'), 1);
    EXPECT_EQ(text.FindChar(L'b', 2), 4);
    EXPECT_EQ(text.FindChar(L'z'), -1);
    EXPECT_EQ(text.FindChar(L'a', 6), -1);
    EXPECT_EQ(text.FindChar(L'a', -1), -1);
    EXPECT_EQ(CWideString(L"abc").FindChar(L'a', 3), -1);
    EXPECT_EQ(text.ReverseFindChar(L'a'), 3);
    EXPECT_EQ(text.ReverseFindChar(L'x'), -1);

    EXPECT_EQ(text.Find(L"ca"), 2);
    EXPECT_EQ(text.Find(L"bc", 2), 4);
    EXPECT_EQ(text.Find(L"bc", 5), -1);
    EXPECT_EQ(text.Find(L""), 0);
    EXPECT_EQ(text.Find(L"", 6), 6);
    EXPECT_EQ(text.Find(L"a", 7), -1);
    EXPECT_EQ(text.Find(L"a", -2), -1);
    EXPECT_EQ(text.Find(L"CA"), -1);
}

TEST(WideStringSearch, CaseInsensitiveFoldsAsciiBit) {
    EXPECT_EQ(CWideString(L"axb").Find(L"X", 0, false), 1);
    EXPECT_EQ(CWideString(L"Hello World").Find(L"wORLD", 0, false), 6);
    EXPECT_EQ(CWideString(L"Hello").Find(L"LO", 4, false), -1);
    EXPECT_EQ(CWideString(L"Hello").Find(L"", 3, false), 3);
    // The folding is bit 0x20 only: '@' (0x40) and '`' (0x60) match.
    EXPECT_EQ(CWideString(L"a@b").Find(L"`", 0, false), 1);
    // The haystack's end never matches a needle character such as ' '
    // (0x20 with the bit set equals the terminator with the bit set).
    EXPECT_EQ(CWideString(L"ab").Find(L"b ", 0, false), -1);
    EXPECT_EQ(CWideString(L"ab").Find(L" ", 0, false), -1);
    EXPECT_EQ(CWideString(L"ab").Find(L"abc", 0, false), -1);
}

TEST(WideStringPieces, LeftAndMid) {
    const CWideString text(L"abc");
    EXPECT_STREQ(text.Left(-1).Text(), L"");
    EXPECT_STREQ(text.Left(0).Text(), L"");
    EXPECT_STREQ(text.Left(2).Text(), L"ab");
    EXPECT_STREQ(text.Left(100).Text(), L"abc");

    EXPECT_STREQ(text.Mid(5).Text(), L"");
    EXPECT_STREQ(text.Mid(3).Text(), L"");
    EXPECT_STREQ(text.Mid(1).Text(), L"bc");
    EXPECT_STREQ(text.Mid(1, 1).Text(), L"b");
    EXPECT_STREQ(text.Mid(1, 100).Text(), L"bc");
    EXPECT_STREQ(text.Mid(0, 0).Text(), L"");
    EXPECT_STREQ(text.Mid(-4, 2).Text(), L"ab");

    const std::wstring longText = Repeat(L'r', 70) + L"tail";
    EXPECT_EQ(CWideString(longText.c_str()).Mid(70).Text(), std::wstring(L"tail"));
    EXPECT_EQ(CWideString(longText.c_str()).Left(66).Text(), Repeat(L'r', 66));
}

TEST(WideStringReplace, ReplacesEveryOccurrence) {
    CWideString doubled(L"aa");
    EXPECT_EQ(doubled.ReplaceAll(L"a", L"aa"), 2);
    EXPECT_STREQ(doubled.Text(), L"aaaa");

    CWideString path(L"skin\\main\\bk.png");
    EXPECT_EQ(path.ReplaceAll(L"\\", L"/"), 2);
    EXPECT_STREQ(path.Text(), L"skin/main/bk.png");

    CWideString removed(L"a--b--c");
    EXPECT_EQ(removed.ReplaceAll(L"--", L""), 2);
    EXPECT_STREQ(removed.Text(), L"abc");
    EXPECT_EQ(removed.ReplaceAll(L"x", L"y"), 0);
    EXPECT_EQ(removed.ReplaceAll(L"b", nullptr), 1);
    EXPECT_STREQ(removed.Text(), L"ac");

    // Growing across the inline limit.
    CWideString grown(Repeat(L'.', 40).c_str());
    EXPECT_EQ(grown.ReplaceAll(L".", L"<>"), 40);
    EXPECT_EQ(grown.Length(), 80);
    EXPECT_FALSE(grown.IsInline());
}

TEST(WideStringReplace, EmptyPatternEndsWithoutChange) {
    CWideString text(L"abc");
    EXPECT_EQ(text.ReplaceAll(L"", L"x"), 0);
    EXPECT_EQ(text.ReplaceAll(L"", L""), 0);
    EXPECT_EQ(text.ReplaceAll(nullptr, L"x"), 0);
    EXPECT_STREQ(text.Text(), L"abc");
}

TEST(WideStringReplace, ArgumentsMayPointIntoTheString) {
    // The pattern "ab" is the string's own tail, which the first replacement
    // overwrites; the search must go on with the original pattern.
    CWideString text(L"abab");
    EXPECT_EQ(text.ReplaceAll(text.Text() + 2, L"-"), 2);
    EXPECT_STREQ(text.Text(), L"--");
}

TEST(WideStringFormat, FollowsTheWindowsRuntimeConventions) {
    CWideString text;
    EXPECT_EQ(text.FormatText(L"%s|%S|%d|%I64d", L"wide", "narrow", -7, 1234567890123LL), 28);
    EXPECT_STREQ(text.Text(), L"wide|narrow|-7|1234567890123");
    EXPECT_EQ(text.FormatText(L"%04d-%02d %s", 2024, 5, L"下载"), 10);
    EXPECT_STREQ(text.Text(), L"2024-05 下载");

    const std::wstring longArgument = Repeat(L'w', 3000);
    EXPECT_EQ(text.FormatText(L"<%s>", longArgument.c_str()), 3002);
    EXPECT_EQ(text.Text(), L"<" + longArgument + L">");

    EXPECT_EQ(text.FormatShort(L"%S=%d", "id", 42), 5);
    EXPECT_STREQ(text.Text(), L"id=42");
    EXPECT_EQ(text.FormatShort(L"%s", L"wide"), 4);
    EXPECT_STREQ(text.Text(), L"wide");

    // The short form cuts at 127 characters.
    text.FormatShort(L"%s", Repeat(L'c', 127).c_str());
    EXPECT_EQ(text.Text(), Repeat(L'c', 127));
    text.FormatShort(L"%s", Repeat(L'c', 128).c_str());
    EXPECT_EQ(text.Text(), Repeat(L'c', 127));
    text.FormatShort(L"%s", Repeat(L'c', 400).c_str());
    EXPECT_EQ(text.Text(), Repeat(L'c', 127));
}

TEST(WideStringFormat, ArgumentsAndFormatMayBeItsOwnText) {
    CWideString text(Repeat(L'p', 80).c_str());
    text.FormatText(L"[%s]", text.Text());
    EXPECT_EQ(text.Text(), L"[" + Repeat(L'p', 80) + L"]");
    CWideString format(L"%d-%d");
    format.FormatShort(format.Text(), 1, 2);
    EXPECT_STREQ(format.Text(), L"1-2");
    CWideString shortText(L"ab");
    shortText.FormatShort(L"%s%s", shortText.Text(), shortText.Text());
    EXPECT_STREQ(shortText.Text(), L"abab");
}
