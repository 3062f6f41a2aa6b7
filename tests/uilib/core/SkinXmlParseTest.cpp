#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>

#include "SkinXml.h"

using TavikUI::CSkinXml;
using TavikUI::CSkinXmlNode;

namespace {

const wchar_t kSkin[] =
    L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    L"<!-- main window -->\n"
    L"<Window size=\"400,300\" caption=\"0,0,0,30\">\n"
    L"  <Font name=\"微软雅黑\" size=\"12\" default=\"true\" />\n"
    L"  <VerticalLayout bkcolor=\"#FFFFFFFF\">\n"
    L"    <Button name=\"btnClose\" text=\"a &lt; b &amp; &quot;c&quot;\"/>\n"
    L"    <Label name=\"title\" text=\"&apos;x&gt;\">Title text</Label>\n"
    L"  </VerticalLayout>\n"
    L"</Window>\n";

// Every message a failing load may leave.
const std::set<std::wstring>& ErrorTexts() {
    static const std::set<std::wstring> texts = {
        L"Expected start tag",
        L"Error parsing element name",
        L"Expected start-tag closing",
        L"Expected end-tag start",
        L"Unmatched closing tag",
        L"Error while parsing attributes",
        L"Expected attribute value",
        L"Error while parsing attribute string",
        L"Error opening file",
        L"File is empty",
        L"File too large",
        L"Could not read file",
        L"Error opening zip file",
        L"Could not find ziped file",
        L"Could not unzip file",
    };
    return texts;
}

std::wstring AttributeOf(const CSkinXmlNode& node, const wchar_t* name) {
    wchar_t value[256] = {};
    return node.GetAttributeValue(name, value, 255) ? value : L"<absent>";
}

// Names and attributes of the whole tree, one line per element, indented by
// depth: a compact picture of what the parser built.
void Describe(const CSkinXmlNode& first, int depth, std::wstring* out) {
    for (CSkinXmlNode node = first; node.IsValid(); node = node.NextSibling()) {
        out->append(static_cast<size_t>(depth) * 2, L' ');
        out->append(node.Name());
        for (int i = 0; i < node.AttributeCount(); ++i) {
            out->append(L" ").append(node.AttributeName(i)).append(L"=[").append(node.AttributeValue(i)).append(L"]");
        }
        out->append(L"\n");
        Describe(node.FirstChild(), depth + 1, out);
    }
}

std::wstring Describe(const CSkinXml& document) {
    std::wstring out;
    Describe(document.Root(), 0, &out);
    return out;
}

const wchar_t kSkinTree[] =
    L"Window size=[400,300] caption=[0,0,0,30]\n"
    L"  Font name=[微软雅黑] size=[12] default=[true]\n"
    L"  VerticalLayout bkcolor=[#FFFFFFFF]\n"
    L"    Button name=[btnClose] text=[a < b & \"c\"]\n"
    L"    Label name=[title] text=['x>]\n";

std::string Utf8Of(const std::wstring& text) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes, nullptr, nullptr);
    return out;
}

std::string Utf16Of(const std::wstring& text, bool bigEndian) {
    std::string out = bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
    for (wchar_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>((unit >> 8) & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

void ExpectError(const std::wstring& text, const wchar_t* message, const wchar_t* location = nullptr) {
    CSkinXml document;
    EXPECT_FALSE(document.LoadFromString(text.c_str())) << text;
    EXPECT_STREQ(document.ErrorMessage(), message) << text;
    if (location) {
        EXPECT_STREQ(document.ErrorLocation(), location) << text;
    }
    EXPECT_FALSE(document.Root().IsValid());
}

}  // namespace

TEST(SkinXmlTree, BuildsElementsAttributesAndLinks) {
    CSkinXml document(kSkin);
    ASSERT_TRUE(document.Root().IsValid()) << document.ErrorMessage();
    EXPECT_EQ(Describe(document), kSkinTree);

    const CSkinXmlNode root = document.Root();
    EXPECT_TRUE(root.HasChildren());
    EXPECT_TRUE(root.HasAttributes());
    const CSkinXmlNode font = root.FirstChild();
    EXPECT_FALSE(font.HasChildren());
    EXPECT_FALSE(font.FirstChild().IsValid());
    const CSkinXmlNode layout = font.NextSibling();
    EXPECT_FALSE(layout.NextSibling().IsValid());
    const CSkinXmlNode label = layout.FirstChild().NextSibling();
    EXPECT_STREQ(label.Name(), L"Label");
    EXPECT_FALSE(label.HasChildren());
}

TEST(SkinXmlTree, AttributeAccess) {
    CSkinXml document(L"<Button name=\"ok\" text=\"确定\" Name=\"upper\" empty=\"\"/>");
    const CSkinXmlNode button = document.Root();
    ASSERT_TRUE(button.IsValid());
    EXPECT_EQ(button.AttributeCount(), 4);
    EXPECT_EQ(AttributeOf(button, L"name"), L"ok");
    EXPECT_EQ(AttributeOf(button, L"Name"), L"upper");  // case-sensitive names
    EXPECT_EQ(AttributeOf(button, L"text"), L"确定");
    EXPECT_EQ(AttributeOf(button, L"empty"), L"");
    EXPECT_EQ(AttributeOf(button, L"missing"), L"<absent>");
    EXPECT_STREQ(button.AttributeName(4), L"");
    EXPECT_STREQ(button.AttributeValue(-1), L"");

    // A value longer than the buffer is cut and still ended by a 0.
    wchar_t small[4];
    wmemset(small, L'#', 4);
    EXPECT_TRUE(button.GetAttributeValue(L"name", small, 1));
    EXPECT_STREQ(small, L"o");

    const CSkinXmlNode invalid;
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_EQ(invalid.Name(), nullptr);
    EXPECT_EQ(invalid.AttributeName(0), nullptr);
    EXPECT_EQ(invalid.AttributeValue(0), nullptr);
    EXPECT_EQ(invalid.AttributeCount(), 0);
    EXPECT_FALSE(invalid.HasChildren());
    EXPECT_FALSE(invalid.FirstChild().IsValid());
    EXPECT_FALSE(invalid.GetAttributeValue(L"name", small, 3));
}

TEST(SkinXmlTree, WhitespaceAroundNamesAndEquals) {
    CSkinXml document(L"<Window\n\tsize = \"1,2\"\r\n  text=\"x\" ></Window >");
    ASSERT_TRUE(document.Root().IsValid()) << document.ErrorMessage();
    EXPECT_EQ(Describe(document), L"Window size=[1,2] text=[x]\n");
}

TEST(SkinXmlTree, OnlyTheFirst64AttributesAreListed) {
    std::wstring text = L"<Window";
    for (int i = 0; i < 65; ++i) {
        text += L" a" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
    }
    text += L"/>";
    CSkinXml document(text.c_str());
    const CSkinXmlNode root = document.Root();
    ASSERT_TRUE(root.IsValid());
    EXPECT_EQ(root.AttributeCount(), 64);
    EXPECT_STREQ(root.AttributeName(63), L"a63");
    EXPECT_STREQ(root.AttributeValue(63), L"v63");
    EXPECT_EQ(AttributeOf(root, L"a64"), L"<absent>");
}

TEST(SkinXmlTree, CommentsAndProcessingInstructionsAreSkipped) {
    CSkinXml document(L"<?xml version=\"1.0\"?><!-- <Fake/> --><Window><!-- x --><Item/><?pi?></Window><!--tail-->");
    ASSERT_TRUE(document.Root().IsValid()) << document.ErrorMessage();
    EXPECT_EQ(Describe(document), L"Window\n  Item\n");

    // An unterminated comment ends the text without reading past it.
    CSkinXml unterminated;
    EXPECT_TRUE(unterminated.LoadFromString(L"<Window/><!-- open -"));
    EXPECT_EQ(Describe(unterminated), L"Window\n");
    EXPECT_TRUE(unterminated.LoadFromString(L"<Window/><?"));
    EXPECT_FALSE(unterminated.LoadFromString(L"<Window><Item><!--"));
    EXPECT_STREQ(unterminated.ErrorMessage(), L"Expected start tag");
}

TEST(SkinXmlTree, UnclosedRootLoadsDeeperDoesNot) {
    CSkinXml document;
    EXPECT_TRUE(document.LoadFromString(L"<Window><Item/>"));
    EXPECT_EQ(Describe(document), L"Window\n  Item\n");
    EXPECT_TRUE(document.LoadFromString(L"<Window a=\"1\">text"));
    EXPECT_EQ(Describe(document), L"Window a=[1]\n");
    // The names of the unclosed elements still end at their last character.
    EXPECT_TRUE(document.LoadFromString(L"<Window><Item>text"));
    EXPECT_EQ(Describe(document), L"Window\n  Item\n");
    ExpectError(L"<Window><Item><Sub/>", L"Expected start tag");
    ExpectError(L"<Window><Item><Sub>text", L"Expected end-tag start");
}

TEST(SkinXmlErrors, EachMalformationGivesItsText) {
    ExpectError(L"text", L"Expected start tag", L"text");
    ExpectError(L"<Window>text<Item/>more</Window>", L"Expected start tag", L"more</Window>");
    ExpectError(L"<Window", L"Error parsing element name");
    ExpectError(L"<Window /x>", L"Expected start-tag closing", L"/x>");
    ExpectError(L"<Window></Windowx>", L"Unmatched closing tag");
    ExpectError(L"<Window></Win>", L"Unmatched closing tag");
    ExpectError(L"<Window><Item></Window></Item>", L"Unmatched closing tag");
    ExpectError(L"<Window></Window", L"Unmatched closing tag");
    ExpectError(L"<Window size 1/>", L"Error while parsing attributes");
    ExpectError(L"<Window data-x=\"1\"/>", L"Error while parsing attributes");
    ExpectError(L"<Window size='1'/>", L"Expected attribute value");
    ExpectError(L"<Window size=", L"Expected attribute value");
    ExpectError(L"<Window size=\"1", L"Error while parsing attribute string");
}

TEST(SkinXmlErrors, MessagesAndLocationsAreBounded) {
    CSkinXml document;
    document.SetError(std::wstring(300, L'm').c_str(), std::wstring(300, L'l').c_str());
    EXPECT_EQ(std::wstring(document.ErrorMessage()), std::wstring(99, L'm'));
    EXPECT_EQ(std::wstring(document.ErrorLocation()), std::wstring(49, L'l'));
    EXPECT_FALSE(document.SetError(L"Expected start tag", nullptr));
    EXPECT_STREQ(document.ErrorLocation(), L"");

    // A long remainder is cut to 49 characters; a new load clears the error.
    ExpectError(L"x" + std::wstring(100, L'y'), L"Expected start tag", (L"x" + std::wstring(48, L'y')).c_str());
    EXPECT_FALSE(document.LoadFromString(L"oops"));
    EXPECT_TRUE(document.LoadFromString(L"<Window/>"));
    EXPECT_STREQ(document.ErrorMessage(), L"");
}

TEST(SkinXmlText, EntitiesAndUnknownAmpersands) {
    CSkinXml document(
        L"<E a=\"a&lt;b\" b=\"&amp;nbsp;\" c=\"&nbsp;\" d=\"&quot;&apos;&gt;&amp;\" e=\"&\" f=\"x&ltz\"/>");
    const CSkinXmlNode node = document.Root();
    ASSERT_TRUE(node.IsValid()) << document.ErrorMessage();
    EXPECT_EQ(AttributeOf(node, L"a"), L"a<b");
    EXPECT_EQ(AttributeOf(node, L"b"), L"&nbsp;");
    EXPECT_EQ(AttributeOf(node, L"c"), L"&nbsp;");
    EXPECT_EQ(AttributeOf(node, L"d"), L"\"'>&");
    EXPECT_EQ(AttributeOf(node, L"e"), L"&");
    EXPECT_EQ(AttributeOf(node, L"f"), L"x&ltz");
    EXPECT_EQ(node.AttributeCount(), 6);

    // Element text shrinks in place too; the elements after it still parse.
    CSkinXml withText(L"<Window>a &lt; b &amp; c<Item x=\"1\"/></Window>");
    ASSERT_TRUE(withText.Root().IsValid()) << withText.ErrorMessage();
    EXPECT_EQ(Describe(withText), L"Window\n  Item x=[1]\n");

    // "Default" values carry whole attribute lists written with entities.
    CSkinXml defaults(L"<Default name=\"Button\" value=\"textcolor=&quot;#FF000000&quot; font=&quot;1&quot;\"/>");
    EXPECT_EQ(AttributeOf(defaults.Root(), L"value"), L"textcolor=\"#FF000000\" font=\"1\"");
}

TEST(SkinXmlText, SurrogatePairsAndWhitespaceRule) {
    CSkinXml document(L"<E a=\"\U0001F600x\"/>");
    EXPECT_EQ(AttributeOf(document.Root(), L"a"), L"\U0001F600x");

    CSkinXml kept(L"<E a=\"x  \t y\"/>");
    EXPECT_EQ(AttributeOf(kept.Root(), L"a"), L"x  \t y");

    CSkinXml collapsed;
    collapsed.SetPreserveWhitespace(false);
    ASSERT_TRUE(collapsed.LoadFromString(L"<E a=\"x  \t y\" b=\"z\">t \n  u</E>"));
    EXPECT_EQ(AttributeOf(collapsed.Root(), L"a"), L"x y");
    EXPECT_EQ(AttributeOf(collapsed.Root(), L"b"), L"z");
}

TEST(SkinXmlEncoding, Utf8WithAndWithoutMark) {
    const std::string utf8 = Utf8Of(kSkin);
    CSkinXml plain;
    ASSERT_TRUE(plain.LoadFromMemory(utf8.data(), static_cast<uint32_t>(utf8.size()), TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_EQ(Describe(plain), kSkinTree);
    const std::string marked = "\xEF\xBB\xBF" + utf8;
    CSkinXml withMark;
    ASSERT_TRUE(
        withMark.LoadFromMemory(marked.data(), static_cast<uint32_t>(marked.size()), TavikUI::SKIN_ENCODING_UTF8));
    EXPECT_EQ(Describe(withMark), kSkinTree);
}

TEST(SkinXmlEncoding, Utf16BothByteOrders) {
    const std::string little = Utf16Of(kSkin, false);
    const std::string big = Utf16Of(kSkin, true);
    CSkinXml document;
    ASSERT_TRUE(
        document.LoadFromMemory(little.data(), static_cast<uint32_t>(little.size()), TavikUI::SKIN_ENCODING_UTF16));
    EXPECT_EQ(Describe(document), kSkinTree);
    ASSERT_TRUE(document.LoadFromMemory(big.data(), static_cast<uint32_t>(big.size()), TavikUI::SKIN_ENCODING_UTF16));
    EXPECT_EQ(Describe(document), kSkinTree);

    // Without a byte-order mark the data is refused.
    const std::string unmarked = little.substr(2);
    EXPECT_FALSE(
        document.LoadFromMemory(unmarked.data(), static_cast<uint32_t>(unmarked.size()), TavikUI::SKIN_ENCODING_UTF16));
    EXPECT_FALSE(document.Root().IsValid());
    EXPECT_FALSE(document.LoadFromMemory("\xFF", 1, TavikUI::SKIN_ENCODING_UTF16));
    // An odd trailing byte is ignored.
    const std::string odd = Utf16Of(L"<E/>", false) + "x";
    EXPECT_TRUE(document.LoadFromMemory(odd.data(), static_cast<uint32_t>(odd.size()), TavikUI::SKIN_ENCODING_UTF16));
    EXPECT_STREQ(document.Root().Name(), L"E");
    EXPECT_FALSE(document.LoadFromMemory("<E/>", 4, 7));
}

TEST(SkinXmlEncoding, AnsiUsesTheSystemCodePage) {
    // The tests run with code page 936: "确定" in GBK.
    const std::string ansi = "<Button text=\"\xC8\xB7\xB6\xA8\"/>";
    CSkinXml document;
    ASSERT_TRUE(document.LoadFromMemory(ansi.data(), static_cast<uint32_t>(ansi.size()), TavikUI::SKIN_ENCODING_ANSI));
    EXPECT_EQ(AttributeOf(document.Root(), L"text"), L"确定");
}

TEST(SkinXmlLifetime, LoadsReplaceAndReleaseFrees) {
    CSkinXml document;
    EXPECT_FALSE(document.Root().IsValid());
    EXPECT_TRUE(document.LoadFromString(L""));  // nothing to parse is no error
    EXPECT_FALSE(document.Root().IsValid());
    ASSERT_TRUE(document.LoadFromString(L"<A/>"));
    ASSERT_TRUE(document.LoadFromString(L"<B><C/></B>"));
    EXPECT_EQ(Describe(document), L"B\n  C\n");
    EXPECT_FALSE(
        document.LoadFromString(L"<B>"
                                L"<C></D>"));
    EXPECT_FALSE(document.Root().IsValid());
    ASSERT_TRUE(document.LoadFromString(L"<B/>"));
    document.Release();
    EXPECT_FALSE(document.Root().IsValid());
    // Many elements make the record array grow several times.
    std::wstring many = L"<List>";
    for (int i = 0; i < 3000; ++i) {
        many += L"<Item i=\"" + std::to_wstring(i) + L"\"/>";
    }
    many += L"</List>";
    ASSERT_TRUE(document.LoadFromString(many.c_str()));
    int count = 0;
    for (CSkinXmlNode item = document.Root().FirstChild(); item.IsValid(); item = item.NextSibling()) {
        EXPECT_EQ(AttributeOf(item, L"i"), std::to_wstring(count));
        ++count;
    }
    EXPECT_EQ(count, 3000);
}

TEST(SkinXmlRobustness, DeepNestingDoesNotExhaustTheStack) {
    const int depth = 200000;
    std::wstring nested;
    for (int i = 0; i < depth; ++i) {
        nested += L"<a>";
    }
    for (int i = 0; i < depth; ++i) {
        nested += L"</a>";
    }
    CSkinXml document;
    ASSERT_TRUE(document.LoadFromString(nested.c_str()));
    int levels = 0;
    for (CSkinXmlNode node = document.Root(); node.IsValid(); node = node.FirstChild()) {
        ++levels;
    }
    EXPECT_EQ(levels, depth);
    std::wstring unclosed;
    for (int i = 0; i < depth; ++i) {
        unclosed += L"<a>";
    }
    EXPECT_FALSE(document.LoadFromString(unclosed.c_str()));
    EXPECT_STREQ(document.ErrorMessage(), L"Expected end-tag start");
}

TEST(SkinXmlRobustness, EveryTruncationEndsCleanly) {
    // Every prefix of a real skin: the parser must stop at the cut, loading
    // or failing with one of its texts.
    const std::wstring skin = kSkin;
    for (size_t cut = 0; cut <= skin.size(); ++cut) {
        const std::wstring prefix = skin.substr(0, cut);
        CSkinXml document;
        if (!document.LoadFromString(prefix.c_str())) {
            EXPECT_EQ(ErrorTexts().count(document.ErrorMessage()), 1u) << cut;
        }
    }
}

TEST(SkinXmlRobustness, MutatedSkinsFailWithTheirTextsOrLoad) {
    // Damaged copies of a real skin, made by a fixed-seed generator, through
    // both the string and the byte entries. A load either succeeds with a
    // consistent tree or fails with one of the fixed texts.
    const std::wstring skin = kSkin;
    const wchar_t specials[] = L"<>/\"=&;!?- \t\n'abc0";
    std::mt19937 random(20240607u);
    int failures = 0;
    for (int round = 0; round < 4000; ++round) {
        std::wstring damaged = skin;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !damaged.empty(); ++e) {
            const size_t at = random() % damaged.size();
            const wchar_t character = specials[random() % (sizeof specials / sizeof specials[0] - 1)];
            switch (random() % 4) {
            case 0:
                damaged[at] = character;
                break;
            case 1:
                damaged.insert(damaged.begin() + static_cast<std::ptrdiff_t>(at), character);
                break;
            case 2:
                damaged.erase(at, 1 + random() % 8);
                break;
            default:
                damaged.resize(at);
                break;
            }
        }
        CSkinXml document;
        bool loaded;
        if (round % 2 == 0) {
            loaded = document.LoadFromString(damaged.c_str());
        } else {
            const std::string bytes = Utf8Of(damaged);
            loaded =
                document.LoadFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()), TavikUI::SKIN_ENCODING_UTF8);
        }
        if (!loaded) {
            ++failures;
            ASSERT_EQ(ErrorTexts().count(document.ErrorMessage()), 1u)
                << round << ": " << std::string(damaged.begin(), damaged.end());
            continue;
        }
        // A loaded tree is finite and made of texts from the input.
        int elements = 0;
        std::wstring described = Describe(document);
        for (wchar_t character : described) {
            elements += character == L'\n';
        }
        EXPECT_LE(elements, static_cast<int>(damaged.size()));
    }
    // The generator does damage most copies.
    EXPECT_GT(failures, 2000);
}
