#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "XmlDocument.h"

namespace {

using Record = CXmlDocument::ElementRecord;

Record RecordAt(const CXmlDocument& document, int32_t index) {
    Record record{};
    EXPECT_TRUE(document.GetRecord(index, record)) << "record " << index;
    return record;
}

uint32_t StartTagLength(const Record& record) { return record.tagLengths & 0x3FFFFF; }

uint32_t EndTagLength(const Record& record) { return record.tagLengths >> 22; }

uint32_t Level(const Record& record) { return record.flags & CXmlDocument::kLevelMask; }

std::wstring RecordText(const CXmlDocument& document, int32_t index) {
    const Record record = RecordAt(document, index);
    return document.Text().substr(static_cast<size_t>(record.start), static_cast<size_t>(record.length));
}

bool ParseText(CXmlDocument& document, const std::wstring& text) {
    document.SetText(text);
    return document.Parse();
}

// The children of a record in sibling order.
std::vector<int32_t> Children(const CXmlDocument& document, int32_t parent) {
    std::vector<int32_t> children;
    for (int32_t child = RecordAt(document, parent).firstChild;
         child != 0 && children.size() <= static_cast<size_t>(document.RecordCount());
         child = RecordAt(document, child).nextSibling) {
        children.push_back(child);
    }
    return children;
}

// Checks what every parse and edit must leave: extents inside the text and
// inside their parents, children linked forwards as a list and backwards as
// a ring, every record reachable exactly once. Answers the first violation.
std::string CheckRecords(const CXmlDocument& document) {
    const int32_t count = document.RecordCount();
    const std::wstring& text = document.Text();
    Record root{};
    if (!document.GetRecord(0, root)) {
        return "no document node";
    }
    if (root.start != 0 || static_cast<size_t>(root.length) != text.size()) {
        return "document node does not cover the text";
    }
    std::vector<int> seen(static_cast<size_t>(count), 0);
    for (int32_t parent = 0; parent < count; ++parent) {
        const Record parentRecord = RecordAt(document, parent);
        const std::vector<int32_t> children = Children(document, parent);
        if (children.size() > static_cast<size_t>(count)) {
            return "sibling list does not end under " + std::to_string(parent);
        }
        for (size_t k = 0; k < children.size(); ++k) {
            const int32_t child = children[k];
            const Record record = RecordAt(document, child);
            ++seen[static_cast<size_t>(child)];
            const std::string where = "record " + std::to_string(child);
            if (record.parent != parent) {
                return where + ": wrong parent";
            }
            if (child <= parent) {
                return where + ": child before its parent";
            }
            if (k > 0 && child <= children[k - 1]) {
                return where + ": siblings out of order";
            }
            const int32_t expectedPrevious = k == 0 ? children.back() : children[k - 1];
            if (record.previousSibling != expectedPrevious) {
                return where + ": broken ring";
            }
            if (((record.flags & CXmlDocument::kFirstChild) != 0) != (k == 0)) {
                return where + ": first-child flag";
            }
            if (record.start < 0 || static_cast<size_t>(record.start) >= text.size() ||
                text[static_cast<size_t>(record.start)] != L'<') {
                return where + ": start is no '<'";
            }
            if (static_cast<int64_t>(record.start) + record.length > static_cast<int64_t>(text.size())) {
                return where + ": runs past the text";
            }
            if (record.length < static_cast<int32_t>(StartTagLength(record)) ||
                text[static_cast<size_t>(record.start + static_cast<int32_t>(StartTagLength(record)) - 1)] != L'>') {
                return where + ": start tag length";
            }
            if (record.start < parentRecord.start ||
                record.start + record.length > parentRecord.start + parentRecord.length) {
                return where + ": outside its parent";
            }
        }
    }
    for (int32_t index = 1; index < count; ++index) {
        if (seen[static_cast<size_t>(index)] != 1) {
            return "record " + std::to_string(index) + " reached " + std::to_string(seen[static_cast<size_t>(index)]) +
                   " times";
        }
    }
    return std::string();
}

// Answers the first record whose fields differ, empty when all agree.
std::string CompareRecords(const CXmlDocument& actual, const CXmlDocument& expected) {
    if (actual.RecordCount() != expected.RecordCount()) {
        return "record counts differ";
    }
    for (int32_t index = 0; index < actual.RecordCount(); ++index) {
        const Record a = RecordAt(actual, index);
        const Record b = RecordAt(expected, index);
        if (a.start != b.start || a.length != b.length || a.tagLengths != b.tagLengths || a.flags != b.flags ||
            a.parent != b.parent || a.firstChild != b.firstChild || a.nextSibling != b.nextSibling ||
            a.previousSibling != b.previousSibling) {
            return "record " + std::to_string(index) + " differs";
        }
    }
    return std::string();
}

// The edited document must hold the records a fresh parse of its text gives.
std::string CompareWithFreshParse(const CXmlDocument& edited) {
    CXmlDocument fresh;
    fresh.SetText(edited.Text());
    fresh.Parse();
    return CompareRecords(edited, fresh);
}

// A file in the temporary folder, removed when the test ends.
class TempFile {
public:
    TempFile() {
        static int counter = 0;
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        path_ = std::wstring(folder) + L"xmldoc_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++counter) + L".xml";
    }
    ~TempFile() { DeleteFileW(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::wstring& Path() const { return path_; }

    void WriteBytes(const std::string& bytes) const {
        FILE* file = _wfopen(path_.c_str(), L"wb");
        ASSERT_NE(file, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }

    std::string ReadBytes() const {
        std::string bytes;
        FILE* file = _wfopen(path_.c_str(), L"rb");
        if (file == nullptr) {
            return bytes;
        }
        char buffer[4096];
        size_t read = 0;
        while ((read = fread(buffer, 1, sizeof buffer, file)) > 0) {
            bytes.append(buffer, read);
        }
        fclose(file);
        return bytes;
    }

private:
    std::wstring path_;
};

std::wstring WriteThenRead(const std::wstring& text, std::string* bytes = nullptr) {
    TempFile file;
    std::wstring result;
    int flags = 5;
    EXPECT_TRUE(CXmlDocument::WriteUtf8File(file.Path(), text, result, flags));
    EXPECT_EQ(flags, 5);
    if (bytes != nullptr) {
        *bytes = file.ReadBytes();
    }
    std::wstring back;
    EXPECT_TRUE(CXmlDocument::ReadUtf8File(file.Path(), back, result, flags));
    return back;
}

std::wstring ReadBytesAsText(const std::string& bytes) {
    TempFile file;
    file.WriteBytes(bytes);
    std::wstring text;
    std::wstring result;
    int flags = 0;
    EXPECT_TRUE(CXmlDocument::ReadUtf8File(file.Path(), text, result, flags));
    return text;
}

const wchar_t kPartitionList[] =
    L"<?xml version=\"1.0\" ?>\n"
    L"<data>\n"
    L"  <!--NOTE: generated file-->\n"
    L"  <program filename=\"sbl1.mbn\" label=\"sbl1\" start_sector=\"34\"/>\n"
    L"  <program filename=\"\" label=\"udisk\" start_sector=\"2048\"/>\n"
    L"  <Program filename=\"other.img\" label=\"other\"/>\n"
    L"  <program filename='userdata.img' label='userdata' start_sector='4096' />\n"
    L"</data>\n";

// ---------------------------------------------------------------------------

TEST(XmlDocumentParse, BuildsLinkedRecordsWithOffsets) {
    CXmlDocument document;
    const std::wstring text = L"<root a=\"1\">\n <leaf/>\n <box>t<in/></box>\n</root>";
    ASSERT_TRUE(ParseText(document, text));
    EXPECT_EQ(document.Result(), L"");
    ASSERT_EQ(document.RecordCount(), 5);
    EXPECT_EQ(CheckRecords(document), "");

    const Record documentNode = RecordAt(document, 0);
    EXPECT_EQ(documentNode.length, static_cast<int32_t>(text.size()));
    EXPECT_EQ(documentNode.firstChild, 1);
    EXPECT_EQ(documentNode.tagLengths, 0u);

    const Record root = RecordAt(document, 1);
    EXPECT_EQ(root.start, 0);
    EXPECT_EQ(root.length, static_cast<int32_t>(text.size()));
    EXPECT_EQ(StartTagLength(root), 12u);
    EXPECT_EQ(EndTagLength(root), 7u);
    EXPECT_EQ(Level(root), 0u);

    const Record leaf = RecordAt(document, 2);
    EXPECT_EQ(RecordText(document, 2), L"<leaf/>");
    EXPECT_EQ(EndTagLength(leaf), 0u);
    EXPECT_EQ(Level(leaf), 1u);
    EXPECT_TRUE(leaf.flags & CXmlDocument::kFirstChild);
    EXPECT_EQ(leaf.nextSibling, 3);
    EXPECT_EQ(leaf.previousSibling, 3);  // the first child's previous is the last child

    EXPECT_EQ(RecordText(document, 3), L"<box>t<in/></box>");
    EXPECT_EQ(RecordAt(document, 3).previousSibling, 2);
    EXPECT_EQ(RecordAt(document, 3).nextSibling, 0);
    EXPECT_EQ(Level(RecordAt(document, 4)), 2u);
    EXPECT_EQ(RecordAt(document, 4).parent, 3);
}

TEST(XmlDocumentParse, SkipsPrologCommentsCDataAndDoctype) {
    CXmlDocument document;
    ASSERT_TRUE(ParseText(document,
                          L"<?xml version=\"1.0\"?>\r\n"
                          L"<!DOCTYPE r [<!ENTITY e \"x\"><!ATTLIST r a CDATA #IMPLIED>]>\n"
                          L"<!-- <fake/> -->"
                          L"<r><![CDATA[<not-an-element/>]]><?pi <x/> ?><e/></r>\n"));
    ASSERT_EQ(document.RecordCount(), 3);
    EXPECT_EQ(RecordText(document, 2), L"<e/>");
    EXPECT_EQ(CheckRecords(document), "");
}

TEST(XmlDocumentParse, NameStartCharacters) {
    CXmlDocument document;
    ASSERT_TRUE(ParseText(document, L"<r><_a/><:b/><\u4E0B\u8F7D/><Z/></r>"));
    EXPECT_EQ(Children(document, 1), (std::vector<int32_t>{2, 3, 4, 5}));
    ASSERT_TRUE(document.FindNextElement(L"r"));
    ASSERT_TRUE(document.EnterElement());
    EXPECT_TRUE(document.FindNextElement(L"\u4E0B\u8F7D"));

    // Names compare case-sensitively, end tags included.
    EXPECT_FALSE(ParseText(document, L"<a></A></a>"));
    EXPECT_EQ(document.Result(), L"No start tag for end tag 'A' at offset 3");
    EXPECT_FALSE(ParseText(document, L"<r><@/></r>"));
    EXPECT_EQ(document.Result(), L"Incorrect tag name character at offset 3");
}

TEST(XmlDocumentParse, QuotedGreaterThanDoesNotEndTheTag) {
    CXmlDocument document;
    ASSERT_TRUE(ParseText(document, L"<r><a v=\"x>y\" w = '>'/><b/></r>"));
    ASSERT_EQ(document.RecordCount(), 4);
    EXPECT_EQ(RecordText(document, 2), L"<a v=\"x>y\" w = '>'/>");
    EXPECT_EQ(document.GetRecordAttribute(2, L"v"), L"x>y");
    EXPECT_EQ(document.GetRecordAttribute(2, L"w"), L">");
}

TEST(XmlDocumentParse, EmptyTextAndTextWithoutElements) {
    CXmlDocument document;
    EXPECT_FALSE(ParseText(document, L""));
    EXPECT_EQ(document.Result(), L"Empty document");
    EXPECT_EQ(document.RecordCount(), 1);

    EXPECT_FALSE(ParseText(document, L"just text <!-- and a comment -->"));
    EXPECT_EQ(document.Result(), L"No root element");

    // The first error stays; "No root element" does not replace it.
    EXPECT_FALSE(ParseText(document, L"<1>"));
    EXPECT_EQ(document.Result(), L"Incorrect tag name character at offset 0");
}

TEST(XmlDocumentParse, SecondTopLevelElementIsParsedButRejected) {
    CXmlDocument document;
    EXPECT_FALSE(ParseText(document, L"<a x=\"1\"/>\n<b x=\"2\"/>"));
    EXPECT_EQ(document.Result(), L"Root element has sibling");
    ASSERT_TRUE(document.FindNextElement(L"b"));
    EXPECT_EQ(document.GetAttributeValue(L"x"), L"2");
}

TEST(XmlDocumentParse, EndTagOfOuterElementClosesInnerOneImplicitly) {
    CXmlDocument document;
    EXPECT_FALSE(ParseText(document, L"<a><b></a>"));
    EXPECT_EQ(document.Result(), L"End tag 'a' at offset 7 does not match start tag 'b' at offset 3");
    EXPECT_TRUE(RecordAt(document, 0).flags & CXmlDocument::kNotWellFormed);
    const Record a = RecordAt(document, 1);
    const Record b = RecordAt(document, 2);
    EXPECT_EQ(a.length, 10);
    EXPECT_EQ(EndTagLength(a), 4u);
    EXPECT_EQ(b.length, 3);
    EXPECT_TRUE(b.flags & CXmlDocument::kClosedImplicitly);
    EXPECT_FALSE(a.flags & CXmlDocument::kClosedImplicitly);
    EXPECT_EQ(CheckRecords(document), "");
}

TEST(XmlDocumentParse, ChildrenOfImplicitlyClosedElementsBecomeFollowingSiblings) {
    CXmlDocument document;
    // a, b and c are left open inside r; their children move up under r in
    // document order, after the element that held them.
    EXPECT_FALSE(ParseText(document, L"<r><a><x/><b><y/><c><z/></r>"));
    EXPECT_EQ(document.Result(), L"End tag 'r' at offset 25 does not match start tag 'c' at offset 17");
    // Records: 1 r, 2 a, 3 x, 4 b, 5 y, 6 c, 7 z.
    EXPECT_EQ(Children(document, 1), (std::vector<int32_t>{2, 3, 4, 5, 6, 7}));
    for (int32_t moved : {2, 3, 4, 5, 6, 7}) {
        EXPECT_EQ(RecordAt(document, moved).parent, 1);
    }
    for (int32_t closed : {2, 4, 6}) {
        EXPECT_TRUE(RecordAt(document, closed).flags & CXmlDocument::kClosedImplicitly);
        EXPECT_EQ(RecordAt(document, closed).firstChild, 0);
    }
    EXPECT_EQ(RecordText(document, 1), L"<r><a><x/><b><y/><c><z/></r>");
    EXPECT_EQ(CheckRecords(document), "");
}

TEST(XmlDocumentParse, UnmatchedEndTagIsIgnored) {
    CXmlDocument document;
    EXPECT_FALSE(ParseText(document, L"<r><a></x></a></r>"));
    EXPECT_EQ(document.Result(), L"No start tag for end tag 'x' at offset 6");
    EXPECT_TRUE(RecordAt(document, 2).flags & CXmlDocument::kChildNotEnded);
    EXPECT_FALSE(RecordAt(document, 2).flags & CXmlDocument::kClosedImplicitly);
    EXPECT_EQ(RecordText(document, 2), L"<a></x></a>");
    EXPECT_EQ(CheckRecords(document), "");

    // The flag moves up with the implicit closes.
    EXPECT_FALSE(ParseText(document, L"<r><a><b></q></r>"));
    EXPECT_FALSE(RecordAt(document, 3).flags & CXmlDocument::kChildNotEnded);
    EXPECT_FALSE(RecordAt(document, 2).flags & CXmlDocument::kChildNotEnded);
    EXPECT_TRUE(RecordAt(document, 1).flags & CXmlDocument::kChildNotEnded);
}

TEST(XmlDocumentParse, ElementsOpenAtTheEndAreClosedImplicitly) {
    CXmlDocument document;
    EXPECT_FALSE(ParseText(document, L"<r>text"));
    EXPECT_EQ(document.Result(), L"Element 'r' at offset 0 not ended");
    EXPECT_TRUE(RecordAt(document, 1).flags & CXmlDocument::kClosedImplicitly);

    // Closing the root moves its child beside it, and the sibling text
    // replaces the earlier one.
    EXPECT_FALSE(ParseText(document, L"<r><a>"));
    EXPECT_EQ(document.Result(), L"Root element has sibling");
    EXPECT_EQ(Children(document, 0), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(CheckRecords(document), "");
}

struct TokenErrorCase {
    const wchar_t* text;
    const wchar_t* error;
};

TEST(XmlDocumentParse, TokenizerErrorTexts) {
    const TokenErrorCase cases[] = {
        {L"<r><1/></r>", L"Incorrect tag name character at offset 3"},
        {L"<r><[x/></r>", L"Incorrect tag name character at offset 3"},
        {L"<r><!-x--></r>", L"Incorrect comment tag at offset 3"},
        {L"<r><![X[y]]></r>", L"Incorrect tag at offset 3"},
        {L"<r><!Q></r>", L"Incorrect ! tag at offset 3"},
        {L"<r></r", L"Element end tag at offset 3 unterminated"},
        {L"<r><a b=\"x></r>", L"Element tag at offset 3 unterminated"},
        {L"<r><a b='x\"></r>", L"Element tag at offset 3 unterminated"},
        {L"<r><a", L"Element tag at offset 3 unterminated"},
        {L"<r><![CDATA[x</r>", L"CDATA Section at offset 3 unterminated"},
        {L"<r><?pi x</r>", L"Processing instruction at offset 3 unterminated"},
        {L"<r><?>", L"Processing instruction at offset 3 unterminated"},
        {L"<r><!-- x -></r>", L"Comment at offset 3 unterminated"},
        {L"<r><!-", L"Comment at offset 3 unterminated"},
        {L"<r><!", L"tag at offset 3 unterminated"},
        {L"<r><", L"tag at offset 3 unterminated"},
        {L"<r><!ELEMENT x", L"tag at offset 3 unterminated"},
        {L"<!DOCTYPE r", L"Doctype at offset 0 unterminated"},
        {L"<!DOCTYPE r [<!ENTITY e", L"Doctype at offset 13 unterminated"},
    };
    for (const TokenErrorCase& c : cases) {
        CXmlDocument document;
        EXPECT_FALSE(ParseText(document, c.text)) << c.text;
        EXPECT_EQ(document.Result(), c.error) << c.text;
        EXPECT_TRUE(RecordAt(document, 0).flags & CXmlDocument::kNotWellFormed) << c.text;
        EXPECT_EQ(CheckRecords(document), "") << c.text;
    }
}

TEST(XmlDocumentParse, ParsingGoesOnAfterAnErrorAndKeepsTheFirstText) {
    CXmlDocument document;
    EXPECT_FALSE(ParseText(document, L"<r><1/><!Q><a k=\"v\"/></r>"));
    EXPECT_EQ(document.Result(), L"Incorrect tag name character at offset 3");
    EXPECT_TRUE(RecordAt(document, 1).flags & CXmlDocument::kChildNotEnded);
    // The well-formed part stays usable.
    ASSERT_TRUE(document.FindNextElement(L"r"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindNextElement(L"a"));
    EXPECT_EQ(document.GetAttributeValue(L"k"), L"v");
}

TEST(XmlDocumentParse, ReparseDiscardsOldRecordsAndNavigation) {
    CXmlDocument document;
    ASSERT_TRUE(ParseText(document, kPartitionList));
    ASSERT_TRUE(document.FindNextElement(L"data"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindNextElement(L"program"));
    ASSERT_TRUE(ParseText(document, L"<only/>"));
    EXPECT_EQ(document.RecordCount(), 2);
    EXPECT_EQ(document.CurrentRecord(), 0);
    EXPECT_EQ(document.GetAttributeValue(L"label"), L"");
    EXPECT_TRUE(document.FindNextElement(L"only"));
}

TEST(XmlDocumentParse, ManyElementsSpanSeveralRecordPages) {
    std::wstring text = L"<list>";
    const int count = 70000;
    for (int i = 0; i < count; ++i) {
        text += L"<e n=\"" + std::to_wstring(i) + L"\"/>";
    }
    text += L"</list>";
    CXmlDocument document;
    ASSERT_TRUE(ParseText(document, text));
    ASSERT_EQ(document.RecordCount(), count + 2);
    EXPECT_EQ(CheckRecords(document), "");
    EXPECT_EQ(document.GetRecordAttribute(count + 1, L"n"), std::to_wstring(count - 1));
    EXPECT_EQ(document.GetRecordAttribute(65537, L"n"), L"65535");

    ASSERT_TRUE(document.FindNextElement());
    ASSERT_TRUE(document.EnterElement());
    int walked = 0;
    while (document.FindNextElement(L"e")) {
        ++walked;
    }
    EXPECT_EQ(walked, count);

    // An edit near the front moves records on every page.
    ASSERT_TRUE(ParseText(document, text));
    ASSERT_TRUE(document.FindNextElement());
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindNextElement());
    ASSERT_TRUE(document.SetAttributeValue(L"n", L"first"));
    EXPECT_EQ(document.GetRecordAttribute(count + 1, L"n"), std::to_wstring(count - 1));
    EXPECT_EQ(CompareWithFreshParse(document), "");
}

TEST(XmlDocumentParse, DeepUnclosedNestingStaysLinearAndBounded) {
    const int depth = 100000;
    std::wstring text;
    for (int i = 0; i < depth; ++i) {
        text += L"<a><b/>";
    }
    CXmlDocument document;
    EXPECT_FALSE(ParseText(document, text));
    EXPECT_EQ(document.RecordCount(), 2 * depth + 1);
    EXPECT_EQ(CheckRecords(document), "");
    // The level field holds at its maximum instead of running into the flags.
    const Record deepest = RecordAt(document, 2 * depth - 1);
    EXPECT_EQ(Level(deepest), CXmlDocument::kLevelMask);
    EXPECT_EQ(deepest.flags & ~CXmlDocument::kLevelMask, CXmlDocument::kClosedImplicitly);
}

// ---------------------------------------------------------------------------

TEST(XmlDocumentNavigation, WalksChildrenByName) {
    CXmlDocument document;
    ASSERT_TRUE(ParseText(document, kPartitionList));
    EXPECT_FALSE(document.EnterElement());  // nothing found yet
    ASSERT_TRUE(document.FindNextElement(nullptr));
    EXPECT_EQ(document.CurrentRecord(), 1);
    ASSERT_TRUE(document.EnterElement());
    EXPECT_FALSE(document.EnterElement());  // current is 0 after entering

    std::vector<std::wstring> labels;
    while (document.FindNextElement(L"program")) {
        labels.push_back(document.GetAttributeValue(L"label"));
    }
    // "program" does not find the element named Program.
    EXPECT_EQ(labels, (std::vector<std::wstring>{L"sbl1", L"udisk", L"userdata"}));
    // A failed search changes nothing.
    EXPECT_EQ(document.GetAttributeValue(L"label"), L"userdata");
}

TEST(XmlDocumentNavigation, NameRuleAcceptsIndexSuffixButNotPrefixes) {
    CXmlDocument document;
    ASSERT_TRUE(ParseText(document, L"<PhoneInfo><Phone id=\"1\"/><Phones id=\"2\"/></PhoneInfo>"));
    ASSERT_TRUE(document.FindNextElement(L"PhoneInfo"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindNextElement(L"Phone[2]"));
    EXPECT_EQ(document.GetAttributeValue(L"id"), L"1");
    EXPECT_FALSE(document.FindNextElement(L"Phone"));

    CXmlDocument other;
    ASSERT_TRUE(ParseText(other, L"<r><Phone/></r>"));
    ASSERT_TRUE(other.FindNextElement(L"r"));
    ASSERT_TRUE(other.EnterElement());
    EXPECT_FALSE(other.FindNextElement(L"Phon"));
    EXPECT_FALSE(other.FindNextElement(L"phone"));
    EXPECT_FALSE(other.FindNextElement(L"Phonex"));
    EXPECT_TRUE(other.FindNextElement(L"Phone x"));
}

TEST(XmlDocumentNavigation, EnteringAnEmptyElementFindsNothing) {
    CXmlDocument document;
    ASSERT_TRUE(ParseText(document, L"<r><leaf/><next/></r>"));
    ASSERT_TRUE(document.FindNextElement());
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindNextElement());
    ASSERT_TRUE(document.EnterElement());
    EXPECT_FALSE(document.FindNextElement());
    EXPECT_EQ(document.GetAttributeValue(L"x"), L"");
}

TEST(XmlDocumentNavigation, NothingToFindWithoutRecords) {
    CXmlDocument document;
    EXPECT_FALSE(document.FindNextElement());
    EXPECT_FALSE(document.EnterElement());
    EXPECT_EQ(document.GetAttributeValue(L"a"), L"");
    EXPECT_FALSE(document.SetAttributeValue(L"a", L"b"));

    // New text drops the records of the old one until it is parsed.
    ASSERT_TRUE(ParseText(document, L"<long-element-name a=\"1\"/>"));
    document.SetText(L"<x/>");
    EXPECT_EQ(document.GetRecordAttribute(1, L"a"), L"");
    EXPECT_FALSE(document.FindNextElement());
}

// ---------------------------------------------------------------------------

TEST(XmlDocumentAttributes, DecodesEntitiesAndCharacterReferences) {
    CXmlDocument document;
    ASSERT_TRUE(ParseText(document,
                          L"<r a='&lt;&#65;&#x42;&amp;&gt;&apos;&quot;' b=\"&foo;x&\" "
                          L"c=\"&#0;\" d=\"&#12345678;\" e=\"&#x;&#;\" f=\"&lt\" g=\"&#65\" "
                          L"h=\"A&#x1F600;&#1114111;\" i=\"&#x41G;&&lt;\" j=\"&#1114112;\"/>"));
    ASSERT_TRUE(document.FindNextElement(L"r"));
    EXPECT_EQ(document.GetAttributeValue(L"a"), L"<AB&>'\"");
    EXPECT_EQ(document.GetAttributeValue(L"b"), L"&foo;x&");
    EXPECT_EQ(document.GetAttributeValue(L"c"), L"&#0;");
    EXPECT_EQ(document.GetAttributeValue(L"d"), L"&#12345678;");  // ';' out of reach
    EXPECT_EQ(document.GetAttributeValue(L"e"), L"&#x;&#;");
    EXPECT_EQ(document.GetAttributeValue(L"f"), L"&lt");  // ends with the value
    EXPECT_EQ(document.GetAttributeValue(L"g"), L"&#65");
    EXPECT_EQ(document.GetAttributeValue(L"h"), std::wstring(L"A\xD83D\xDE00\xDBFF\xDFFF"));
    EXPECT_EQ(document.GetAttributeValue(L"i"), L"&#x41G;&<");
    EXPECT_EQ(document.GetAttributeValue(L"j"), L"&#1114112;");  // beyond Unicode
}

TEST(XmlDocumentAttributes, NameRuleAndMissingValues) {
    CXmlDocument document;
    ASSERT_TRUE(ParseText(document, L"<r id=\"1\" identity=\"2\" flag other=x last = 'y'/>"));
    ASSERT_TRUE(document.FindNextElement());
    EXPECT_EQ(document.GetAttributeValue(L"id"), L"1");
    EXPECT_EQ(document.GetAttributeValue(L"identity"), L"2");
    EXPECT_EQ(document.GetAttributeValue(L"ident"), L"");
    EXPECT_EQ(document.GetAttributeValue(L"flag"), L"");
    EXPECT_EQ(document.GetAttributeValue(L"other"), L"x");
    EXPECT_EQ(document.GetAttributeValue(L"last"), L"y");
    EXPECT_EQ(document.GetAttributeValue(L"r"), L"");  // the element's own name
    EXPECT_EQ(document.GetAttributeValue(L""), L"");
    EXPECT_EQ(document.GetAttributeValue(nullptr), L"");

    EXPECT_EQ(document.GetRecordAttribute(1, L"id"), L"1");
    for (int32_t index : {-1, 0, 2, 65536, 0x7FFFFFFF}) {
        EXPECT_EQ(document.GetRecordAttribute(index, L"id"), L"") << index;
    }
    Record record{};
    EXPECT_FALSE(document.GetRecord(2, record));
    EXPECT_FALSE(document.GetRecord(-1, record));
}

TEST(XmlDocumentAttributes, QuotesCountOnlyWhereTheTokenizerTakesThem) {
    CXmlDocument document;
    // No '=' before the apostrophe: the tokenizer ends a's start tag at
    // "x>", so c belongs to the text after it, not to a.
    ParseText(document, L"<r><a 'x><b k=\"1\"/>' c=\"2\"/></r>");
    ASSERT_EQ(RecordText(document, 3), L"<b k=\"1\"/>");
    EXPECT_EQ(document.GetRecordAttribute(2, L"c"), L"");
    ASSERT_TRUE(document.FindNextElement(L"r"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindNextElement(L"a"));
    ASSERT_TRUE(document.SetAttributeValue(L"d", L"v"));
    EXPECT_EQ(document.Text(), L"<r><a 'x d=\"v\"><b k=\"1\"/>' c=\"2\"/></r>");
    EXPECT_EQ(RecordText(document, 3), L"<b k=\"1\"/>");
    EXPECT_EQ(CompareWithFreshParse(document), "");

    // After "b=x" the '=' opens a quoted value holding '>': k is still found
    // and an edit lands outside the quotes.
    ASSERT_TRUE(ParseText(document, L"<r><e b=x=\"y>z\" k=\"1\"/><f/></r>"));
    EXPECT_EQ(document.GetRecordAttribute(2, L"b"), L"x");
    EXPECT_EQ(document.GetRecordAttribute(2, L"k"), L"1");
    ASSERT_TRUE(document.FindNextElement(L"r"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindNextElement(L"e"));
    ASSERT_TRUE(document.SetAttributeValue(L"n", L"2"));
    EXPECT_EQ(document.Text(), L"<r><e b=x=\"y>z\" k=\"1\" n=\"2\"/><f/></r>");
    EXPECT_EQ(CompareWithFreshParse(document), "");
}

// ---------------------------------------------------------------------------

class XmlDocumentEdit : public ::testing::Test {
protected:
    void Enter(const wchar_t* root) {
        ASSERT_TRUE(document.FindNextElement(root));
        ASSERT_TRUE(document.EnterElement());
    }

    CXmlDocument document;
};

TEST_F(XmlDocumentEdit, InsertsBeforeSlashWithoutBlank) {
    ASSERT_TRUE(ParseText(document, L"<r><p/><q a=\"1\"><s/></q></r>"));
    Enter(L"r");
    ASSERT_TRUE(document.FindNextElement(L"p"));
    const std::wstring value = L"v<&\"'>";
    ASSERT_TRUE(document.SetAttributeValue(L"x", value));
    EXPECT_EQ(document.Text(), L"<r><p x=\"v&lt;&amp;&quot;&apos;&gt;\"/><q a=\"1\"><s/></q></r>");
    EXPECT_EQ(document.GetAttributeValue(L"x"), value);
    EXPECT_EQ(RecordText(document, 3), L"<q a=\"1\"><s/></q>");
    EXPECT_EQ(RecordText(document, 4), L"<s/>");
    EXPECT_EQ(document.GetRecordAttribute(3, L"a"), L"1");
    EXPECT_EQ(CompareWithFreshParse(document), "");
}

TEST_F(XmlDocumentEdit, ReplacesExistingValuesOfAnyQuoting) {
    ASSERT_TRUE(ParseText(document, L"<r a='old value' b=bare c=\"3\"  ><t/></r>"));
    ASSERT_TRUE(document.FindNextElement());
    ASSERT_TRUE(document.SetAttributeValue(L"a", L"n"));
    ASSERT_TRUE(document.SetAttributeValue(L"b", L""));
    ASSERT_TRUE(document.SetAttributeValue(L"d", L"4"));
    EXPECT_EQ(document.Text(), L"<r a=\"n\" b=\"\" c=\"3\" d=\"4\"  ><t/></r>");
    EXPECT_EQ(StartTagLength(RecordAt(document, 1)), 28u);
    EXPECT_EQ(RecordText(document, 2), L"<t/>");
    EXPECT_EQ(CompareWithFreshParse(document), "");

    // A long value grows the text well past its first capacity.
    const std::wstring value(20000, L'&');
    ASSERT_TRUE(document.SetAttributeValue(L"b", value));
    EXPECT_EQ(document.GetAttributeValue(L"b"), value);
    EXPECT_EQ(RecordText(document, 2), L"<t/>");
    EXPECT_EQ(CompareWithFreshParse(document), "");
}

TEST_F(XmlDocumentEdit, UnquotedValueBeforeSlashKeepsTheElementEmpty) {
    ASSERT_TRUE(ParseText(document, L"<r><a v=path/to/1/><b/></r>"));
    Enter(L"r");
    ASSERT_TRUE(document.FindNextElement(L"a"));
    EXPECT_EQ(document.GetAttributeValue(L"v"), L"path/to/1");
    ASSERT_TRUE(document.SetAttributeValue(L"v", L"22"));
    EXPECT_EQ(document.Text(), L"<r><a v=\"22\"/><b/></r>");
    EXPECT_EQ(CompareWithFreshParse(document), "");
}

TEST_F(XmlDocumentEdit, SeveralEditsKeepNavigationAndLaterRecordsRight) {
    ASSERT_TRUE(ParseText(document, kPartitionList));
    Enter(L"data");
    int edited = 0;
    while (document.FindNextElement(L"program")) {
        const std::wstring label = document.GetAttributeValue(L"label");
        ASSERT_TRUE(document.SetAttributeValue(L"filename", L""));
        ASSERT_TRUE(document.SetAttributeValue(L"note", label + L" & co"));
        EXPECT_EQ(document.GetAttributeValue(L"label"), label);
        ++edited;
    }
    EXPECT_EQ(edited, 3);
    EXPECT_EQ(CompareWithFreshParse(document), "");
    EXPECT_EQ(CheckRecords(document), "");
    EXPECT_NE(document.Text().find(L"<program filename=\"\" label=\"sbl1\" start_sector=\"34\" "
                                   L"note=\"sbl1 &amp; co\"/>"),
              std::wstring::npos);
    EXPECT_NE(document.Text().find(L"<Program filename=\"other.img\" label=\"other\"/>"), std::wstring::npos);
    EXPECT_NE(document.Text().find(L"start_sector='4096' note=\"userdata &amp; co\" />"), std::wstring::npos);

    // A second walk over the edited document reads the new values.
    CXmlDocument again;
    ASSERT_TRUE(ParseText(again, document.Text()));
    ASSERT_TRUE(again.FindNextElement(L"data"));
    ASSERT_TRUE(again.EnterElement());
    ASSERT_TRUE(again.FindNextElement(L"Program"));
    EXPECT_EQ(again.GetAttributeValue(L"filename"), L"other.img");
}

TEST_F(XmlDocumentEdit, AncestorsGrowAndEarlierRecordsStay) {
    ASSERT_TRUE(ParseText(document, L"<a><early/><b><c><d/></c></b><after/></a>"));
    const Record earlyBefore = RecordAt(document, 2);
    const Record aBefore = RecordAt(document, 1);
    Enter(L"a");
    ASSERT_TRUE(document.FindNextElement(L"b"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindNextElement(L"c"));
    ASSERT_TRUE(document.SetAttributeValue(L"k", L"12345"));
    EXPECT_EQ(document.Text(), L"<a><early/><b><c k=\"12345\"><d/></c></b><after/></a>");

    const Record early = RecordAt(document, 2);
    EXPECT_EQ(early.start, earlyBefore.start);
    EXPECT_EQ(early.length, earlyBefore.length);
    EXPECT_EQ(RecordAt(document, 1).length, aBefore.length + 10);
    EXPECT_EQ(RecordText(document, 3), L"<b><c k=\"12345\"><d/></c></b>");
    EXPECT_EQ(RecordText(document, 4), L"<c k=\"12345\"><d/></c>");
    EXPECT_EQ(RecordText(document, 6), L"<after/>");
    EXPECT_EQ(RecordAt(document, 0).length, static_cast<int32_t>(document.Text().size()));

    // A shorter value moves everything back.
    ASSERT_TRUE(document.SetAttributeValue(L"k", L""));
    EXPECT_EQ(RecordText(document, 6), L"<after/>");
    EXPECT_EQ(CompareWithFreshParse(document), "");
    // Navigation goes on from the edited element.
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindNextElement(L"d"));
}

TEST_F(XmlDocumentEdit, RefusesWhenNoElementIsCurrent) {
    ASSERT_TRUE(ParseText(document, L"<r/>"));
    EXPECT_FALSE(document.SetAttributeValue(L"a", L"1"));
    ASSERT_TRUE(document.FindNextElement());
    EXPECT_FALSE(document.SetAttributeValue(nullptr, L"1"));
    EXPECT_FALSE(document.SetAttributeValue(L"", L"1"));
    for (const wchar_t* broken : {L"a>b", L"a b", L"a=b", L"a/", L"a\"", L"a'", L"<a", L"a?"}) {
        EXPECT_FALSE(document.SetAttributeValue(broken, L"1")) << broken;
    }
    ASSERT_TRUE(document.EnterElement());
    EXPECT_FALSE(document.SetAttributeValue(L"a", L"1"));
    EXPECT_EQ(document.Text(), L"<r/>");
}

// ---------------------------------------------------------------------------

TEST(XmlDocumentFiles, Utf8RoundTripIncludingSupplementaryCharacters) {
    const std::wstring text = L"<r name=\"\u4E0B\u8F7D\" e=\"\u00E9\" emoji=\"\xD83D\xDE00\xD800\xDC00\"/>";
    std::string bytes;
    EXPECT_EQ(WriteThenRead(text, &bytes), text);
    EXPECT_NE(bytes.find("\xE4\xB8\x8B\xE8\xBD\xBD"), std::string::npos);
    EXPECT_NE(bytes.find("\xF0\x9F\x98\x80\xF0\x90\x80\x80"), std::string::npos);
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");  // no byte-order mark
}

TEST(XmlDocumentFiles, ResultTextsCountBytesAndCharacters) {
    TempFile file;
    const std::wstring text = L"A\u00E9\u4E0B\xD83D\xDE00";
    std::wstring result;
    int flags = 0;
    ASSERT_TRUE(CXmlDocument::WriteUtf8File(file.Path(), text, result, flags));
    EXPECT_EQ(result, L"5 wide chars to 10 bytes");
    EXPECT_EQ(file.ReadBytes(), "A\xC3\xA9\xE4\xB8\x8B\xF0\x9F\x98\x80");
    std::wstring back;
    ASSERT_TRUE(CXmlDocument::ReadUtf8File(file.Path(), back, result, flags));
    EXPECT_EQ(result, L"10 bytes to 5 wide chars");

    ASSERT_TRUE(CXmlDocument::WriteUtf8File(file.Path(), L"", result, flags));
    EXPECT_EQ(result, L"0 wide chars to 0 bytes");
    EXPECT_EQ(file.ReadBytes(), "");
}

TEST(XmlDocumentFiles, LoneSurrogatesAreWrittenAsQuestionMarks) {
    std::string bytes;
    WriteThenRead(std::wstring(L"\xD800") + L"A", &bytes);
    EXPECT_EQ(bytes, "?A");  // the character after the lone half is kept
    WriteThenRead(std::wstring(L"\xDC00") + L"B", &bytes);
    EXPECT_EQ(bytes, "?B");
    WriteThenRead(std::wstring(L"C\xD800"), &bytes);
    EXPECT_EQ(bytes, "C?");
    WriteThenRead(std::wstring(L"\xD800\xD800\xDC00"), &bytes);
    EXPECT_EQ(bytes, "?\xF0\x90\x80\x80");
    WriteThenRead(std::wstring(L"\xDC00\xD800"), &bytes);
    EXPECT_EQ(bytes, "??");
}

TEST(XmlDocumentFiles, DecoderHandlesMalformedBytes) {
    EXPECT_EQ(ReadBytesAsText("\xEF\xBB\xBFx"), L"\xFEFFx");  // the mark stays
    EXPECT_EQ(ReadBytesAsText("a\xF8"
                              "b"),
              L"a?b");  // invalid lead byte
    EXPECT_EQ(ReadBytesAsText("\xC3"
                              "A tail"),
              L"?A tail");  // follow-on byte missing
    EXPECT_EQ(ReadBytesAsText("\xE4\xB8"
                              "A tail"),
              L"?A tail");
    EXPECT_EQ(ReadBytesAsText("AB\xE4\xB8"), L"AB");  // cut at the end
    EXPECT_EQ(ReadBytesAsText("AB\xF0\x9F\x98"), L"AB");
    EXPECT_EQ(ReadBytesAsText(std::string("A\0B", 3)), L"A");  // NUL ends the text
    EXPECT_EQ(ReadBytesAsText("\xF0\x9F\x98\x80"), L"\xD83D\xDE00");
    EXPECT_EQ(ReadBytesAsText("\xF7\xBF\xBF\xBF"
                              "z"),
              L"?z");  // beyond Unicode
    EXPECT_EQ(ReadBytesAsText(""), L"");
}

TEST(XmlDocumentFiles, FailuresGiveTheRuntimeTextAndKeepTheText) {
    std::wstring text = L"kept";
    std::wstring result;
    int flags = 3;
    EXPECT_FALSE(CXmlDocument::ReadUtf8File(L"Z:\\no\\such\\folder\\file.xml", text, result, flags));
    EXPECT_EQ(text, L"kept");
    EXPECT_EQ(flags, 3);
    EXPECT_FALSE(result.empty());
    EXPECT_EQ(result.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(result.find(L"bytes"), std::wstring::npos);

    result.clear();
    EXPECT_FALSE(CXmlDocument::WriteUtf8File(L"Z:\\no\\such\\folder\\file.xml", L"<r/>", result, flags));
    EXPECT_FALSE(result.empty());
    EXPECT_EQ(result.find_first_of(L"\r\n"), std::wstring::npos);
}

TEST(XmlDocumentFiles, LoadJoinsTheFileResultAndTheParseError) {
    TempFile file;
    CXmlDocument document;
    file.WriteBytes("");
    EXPECT_FALSE(document.Load(file.Path()));
    EXPECT_EQ(document.Result(), L"0 bytes to 0 wide chars, Empty document");

    file.WriteBytes("<a/>\n<b/>");
    EXPECT_FALSE(document.Load(file.Path()));
    EXPECT_EQ(document.Result(), L"9 bytes to 9 wide chars, Root element has sibling");

    file.WriteBytes("<PhoneInfo><Phone ExternalType=\"\xE4\xB8\x8B\"/></PhoneInfo>");
    ASSERT_TRUE(document.Load(file.Path()));
    EXPECT_EQ(document.Result(), L"50 bytes to 48 wide chars");
    ASSERT_TRUE(document.FindNextElement(L"PhoneInfo"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindNextElement(L"Phone"));
    EXPECT_EQ(document.GetAttributeValue(L"ExternalType"), L"\u4E0B");

    EXPECT_FALSE(document.Load(file.Path() + L".missing"));
    EXPECT_EQ(document.Text().size(), 48u);  // the text is left as it was
}

// ---------------------------------------------------------------------------

// The text with everything outside printable ASCII escaped, for messages.
std::string Printable(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

const wchar_t kFuzzAlphabet[] = L"<>/=\"'&#;x!?-[]CDEAN :_ab\t\n0\xD800\xDC00\u4E0B";

std::wstring Mutate(const std::wstring& original, std::mt19937& random) {
    std::wstring text = original;
    const size_t alphabet = sizeof kFuzzAlphabet / sizeof kFuzzAlphabet[0] - 1;
    const int steps = 1 + static_cast<int>(random() % 4);
    for (int step = 0; step < steps && !text.empty(); ++step) {
        const size_t at = random() % text.size();
        switch (random() % 5) {
        case 0:
            text[at] = kFuzzAlphabet[random() % alphabet];
            break;
        case 1:
            text.insert(at, 1, kFuzzAlphabet[random() % alphabet]);
            break;
        case 2:
            text.erase(at, 1 + random() % 8);
            break;
        case 3:
            text.resize(at);
            break;
        default: {
            const size_t from = random() % text.size();
            text.insert(at, text.substr(from, 1 + random() % 16));
            break;
        }
        }
    }
    return text;
}

TEST(XmlDocumentRobustness, RandomMutationsNeverBreakTheRecords) {
    const std::wstring base =
        L"<?xml version=\"1.0\" ?>\n<!DOCTYPE data [<!ENTITY e 'v'>]>\n<data>\n"
        L"  <!--NOTE: generated file-->\n"
        L"  <program filename=\"sbl1.mbn\" label=\"sbl1\" start_sector=\"34\"/>\n"
        L"  <program filename=\"\" label=\"udisk\"/>\n"
        L"  <extra a='&lt;&#x41;' b=c><in k=\"v\">t<![CDATA[ <x> ]]></in><?pi?></extra>\n"
        L"  <program filename='userdata.img' label='userdata' />\n"
        L"</data>\n";
    std::mt19937 random(20240611u);
    for (int round = 0; round < 3000; ++round) {
        const std::wstring text = Mutate(base, random);
        CXmlDocument document;
        document.SetText(text);
        document.Parse();
        ASSERT_EQ(CheckRecords(document), "") << "round " << round << ": " << Printable(text);

        for (int32_t index = 0; index <= document.RecordCount(); ++index) {
            document.GetRecordAttribute(index, L"filename");
            document.GetRecordAttribute(index, L"label");
            document.GetRecordAttribute(index, L"a");
        }
        // Edit a few elements; the records must match a fresh parse after
        // every edit.
        for (int edit = 0; edit < 3 && document.RecordCount() > 1; ++edit) {
            document.SetText(document.Text());
            document.Parse();
            const int32_t target =
                1 + static_cast<int32_t>(random() % static_cast<uint32_t>(document.RecordCount() - 1));
            // Reach the target through navigation.
            std::vector<int32_t> path;
            for (int32_t at = target; at != 0;) {
                path.push_back(at);
                Record record{};
                ASSERT_TRUE(document.GetRecord(at, record));
                at = record.parent;
            }
            bool reached = true;
            for (size_t k = path.size(); k-- > 0 && reached;) {
                reached = false;
                while (document.FindNextElement()) {
                    if (document.CurrentRecord() == path[k]) {
                        reached = true;
                        break;
                    }
                }
                if (reached && k > 0) {
                    reached = document.EnterElement();
                }
            }
            ASSERT_TRUE(reached) << "round " << round;
            const wchar_t* name = (random() % 2) ? L"filename" : L"a";
            const std::wstring before = document.Text();
            ASSERT_TRUE(document.SetAttributeValue(name, L"<new & 'value'>"));
            ASSERT_EQ(CompareWithFreshParse(document), "")
                << "round " << round << ", record " << target << ": " << Printable(before);
            ASSERT_EQ(CheckRecords(document), "") << "round " << round;
        }
    }
}

TEST(XmlDocumentRobustness, RandomBytesDecodeWithoutOverrun) {
    std::mt19937 random(77u);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(random() % 64, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(random() % 2 ? 0x80 | (random() & 0x7F) : random() & 0xFF);
        }
        const std::wstring text = ReadBytesAsText(bytes);
        EXPECT_LE(text.size(), bytes.size()) << "round " << round;
        EXPECT_EQ(text.find(L'\0'), std::wstring::npos) << "round " << round;
        CXmlDocument document;
        document.SetText(text);
        document.Parse();
        EXPECT_EQ(CheckRecords(document), "") << "round " << round;
    }
}

}  // namespace
