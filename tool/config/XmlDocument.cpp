#include "XmlDocument.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "TextFormat.h"

namespace {

// ---------------------------------------------------------------------------
// Characters and names

constexpr wchar_t kRecordNameEnd[] = L" \t\n\r<>=\\/?!";
constexpr wchar_t kAttributeNameEnd[] = L"= \t\n\r>/?";
constexpr wchar_t kWantedNameFollow[] = L" =/[]";
// Characters that would end or break an attribute name written into a tag.
constexpr wchar_t kUnwritableNameCharacters[] = L"= \t\n\r>/?<\"'&";

constexpr wchar_t kEntityCharacters[] = L"<&>'\"";
constexpr const wchar_t* kEntityTexts[] = {L"&lt;", L"&amp;", L"&gt;", L"&apos;", L"&quot;"};
constexpr size_t kEntityCount = 5;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

bool IsOneOf(wchar_t c, const wchar_t* set) { return c != 0 && std::wcschr(set, c) != nullptr; }

// First index at or after `from`, below `limit`, holding one of `set`.
size_t RunUntil(const std::wstring& text, size_t from, size_t limit, const wchar_t* set) {
    while (from < limit && !IsOneOf(text[from], set)) {
        ++from;
    }
    return from;
}

bool SameCharacter(wchar_t a, wchar_t b, bool ignoreCase) {
    return a == b || (ignoreCase && std::towlower(a) == std::towlower(b));
}

// The name rule: `wanted` begins with exactly the characters of `name` and
// ends there or goes on with one of " =/[]" (so "Phone[2]" finds Phone).
bool NameRuleMatches(const wchar_t* name, size_t nameLength, const wchar_t* wanted, bool ignoreCase) {
    for (size_t k = 0; k < nameLength; ++k) {
        if (wanted[k] == 0 || !SameCharacter(name[k], wanted[k], ignoreCase)) {
            return false;
        }
    }
    const wchar_t next = wanted[nameLength];
    return next == 0 || IsOneOf(next, kWantedNameFollow);
}

int32_t ClampToInt32(size_t value) { return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(value); }

// Tag lengths share one word: 22 bits for the start tag, 10 for the end tag.
// Lengths that do not fit are held at the field's maximum rather than let
// into the neighbouring field.
constexpr uint32_t kStartTagMax = 0x3FFFFF;
constexpr uint32_t kEndTagMax = 0x3FF;

uint32_t PackTagLengths(int64_t startTag, int64_t endTag) {
    const uint32_t start = static_cast<uint32_t>(std::clamp<int64_t>(startTag, 0, kStartTagMax));
    const uint32_t end = static_cast<uint32_t>(std::clamp<int64_t>(endTag, 0, kEndTagMax));
    return start | (end << 22);
}

uint32_t StartTagLength(uint32_t tagLengths) { return tagLengths & kStartTagMax; }

uint32_t EndTagLength(uint32_t tagLengths) { return tagLengths >> 22; }

// ---------------------------------------------------------------------------
// Tokenizer

enum TokenKind {
    kEndTagToken = 0,
    kElementTagToken = 1,
    kTextToken = 2,
    kWhiteSpaceToken = 4,
    kCDataToken = 8,
    kProcessingInstructionToken = 16,
    kCommentToken = 32,
    kDeclarationToken = 64,
    kErrorToken = -1,
    kEndOfTextToken = -2,
};

constexpr uint32_t kEmptyElementToken = 0x10000;

struct XmlToken {
    int kind;
    size_t start;
    size_t length;
    uint32_t flags;
    std::wstring error;
};

// Index of the '>' that ends the element tag whose '<' is at `start`, or npos
// when the text ends first. A '>' inside a quoted value after '=' does not
// end the tag.
size_t ScanElementTagEnd(const std::wstring& text, size_t start) {
    const size_t length = text.size();
    size_t i = start + 1;
    while (i < length) {
        const wchar_t c = text[i];
        if (c == L'>') {
            return i;
        }
        if (c != L'=') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < length && IsBlank(text[j])) {
            ++j;
        }
        if (j < length && (text[j] == L'"' || text[j] == L'\'')) {
            const size_t close = text.find(text[j], j + 1);
            if (close == std::wstring::npos) {
                return std::wstring::npos;
            }
            i = close + 1;
        } else {
            i = j;
        }
    }
    return std::wstring::npos;
}

class XmlTokenizer {
public:
    explicit XmlTokenizer(const std::wstring& text) : text_(text) {}

    XmlToken Next() {
        const size_t start = pos_;
        if (start >= text_.size()) {
            return XmlToken{kEndOfTextToken, start, 0, 0, std::wstring()};
        }
        if (text_[start] != L'<') {
            return CharacterRun(start);
        }
        if (start + 1 >= text_.size()) {
            return Unterminated(L"tag", start);
        }
        const wchar_t c = text_[start + 1];
        if (c == L'/') {
            return Delimited(kEndTagToken, start, start + 2, L">", L"Element end tag");
        }
        if (c == L'?') {
            return Delimited(kProcessingInstructionToken, start, start + 2, L"?>", L"Processing instruction");
        }
        if (c == L'!') {
            return MarkupDeclaration(start);
        }
        if (c == L':' || c == L'_' || (c > 0x40 && !(c >= 0x5B && c <= 0x60))) {
            return ElementTag(start);
        }
        return Incorrect(L"tag name character", start, start + 1);
    }

private:
    XmlToken Complete(int kind, size_t start, size_t end, uint32_t flags = 0) {
        pos_ = end;
        return XmlToken{kind, start, end - start, flags, std::wstring()};
    }

    // The text ends inside the token that began at `start`.
    XmlToken Unterminated(const wchar_t* what, size_t start) {
        const size_t end = text_.size();
        pos_ = end;
        return XmlToken{kErrorToken, start, end - start, 0,
                        FormatWide(L"%s at offset %d unterminated", what, static_cast<int>(start))};
    }

    // The character at `resumeAt` cannot follow; parsing goes on from there.
    XmlToken Incorrect(const wchar_t* what, size_t start, size_t resumeAt) {
        pos_ = resumeAt;
        return XmlToken{kErrorToken, start, resumeAt - start, 0,
                        FormatWide(L"Incorrect %s at offset %d", what, static_cast<int>(start))};
    }

    XmlToken CharacterRun(size_t start) {
        size_t end = text_.find(L'<', start);
        if (end == std::wstring::npos) {
            end = text_.size();
        }
        bool blank = true;
        for (size_t i = start; i < end && blank; ++i) {
            blank = IsBlank(text_[i]);
        }
        return Complete(blank ? kWhiteSpaceToken : kTextToken, start, end);
    }

    XmlToken Delimited(int kind, size_t start, size_t searchFrom, const wchar_t* terminator, const wchar_t* what) {
        const size_t found = searchFrom <= text_.size() ? text_.find(terminator, searchFrom) : std::wstring::npos;
        if (found == std::wstring::npos) {
            return Unterminated(what, start);
        }
        return Complete(kind, start, found + std::wcslen(terminator));
    }

    XmlToken MarkupDeclaration(size_t start) {
        if (start + 2 >= text_.size()) {
            return Unterminated(L"tag", start);
        }
        const wchar_t kind = text_[start + 2];
        if (kind == L'-') {
            if (start + 3 >= text_.size()) {
                return Unterminated(L"Comment", start);
            }
            if (text_[start + 3] != L'-') {
                return Incorrect(L"comment tag", start, start + 3);
            }
            return Delimited(kCommentToken, start, start + 4, L"-->", L"Comment");
        }
        if (kind == L'[') {
            if (start + 3 >= text_.size()) {
                return Unterminated(L"tag", start);
            }
            if (text_[start + 3] != L'C') {
                return Incorrect(L"tag", start, start + 3);
            }
            return Delimited(kCDataToken, start, start + 4, L"]]>", L"CDATA Section");
        }
        if (kind == L'D') {
            return Doctype(start);
        }
        if (kind == L'E' || kind == L'A' || kind == L'N') {
            return Delimited(kDeclarationToken, start, start + 2, L">", L"tag");
        }
        return Incorrect(L"! tag", start, start + 2);
    }

    // A DOCTYPE ends at the first '>' outside its bracketed internal subset;
    // declarations inside the subset run from '<' to '>'.
    XmlToken Doctype(size_t start) {
        const size_t length = text_.size();
        bool inSubset = false;
        size_t i = start + 2;
        while (i < length) {
            const wchar_t c = text_[i];
            if (!inSubset) {
                if (c == L'>') {
                    return Complete(kDeclarationToken, start, i + 1);
                }
                inSubset = c == L'[';
                ++i;
            } else if (c == L']') {
                inSubset = false;
                ++i;
            } else if (c == L'<') {
                const size_t close = text_.find(L'>', i + 1);
                if (close == std::wstring::npos) {
                    return Unterminated(L"Doctype", i);
                }
                i = close + 1;
            } else {
                ++i;
            }
        }
        return Unterminated(L"Doctype", start);
    }

    XmlToken ElementTag(size_t start) {
        const size_t close = ScanElementTagEnd(text_, start);
        if (close == std::wstring::npos) {
            return Unterminated(L"Element tag", start);
        }
        const uint32_t flags = text_[close - 1] == L'/' ? kEmptyElementToken : 0;
        return Complete(kElementTagToken, start, close + 1, flags);
    }

    const std::wstring& text_;
    size_t pos_ = 0;
};

// ---------------------------------------------------------------------------
// Attributes

struct AttributeSpan {
    bool found = false;
    size_t tokenBegin = 0;  // the old value with its quotes, if it had any
    size_t tokenEnd = 0;
    size_t valueBegin = 0;  // the old value without quotes
    size_t valueEnd = 0;
    size_t insertAt = 0;  // after the last token, before the tag's closing
};

// Cuts the start tag at `start` into tokens and looks for the wanted
// attribute. Quotes count only where a value is expected (after '='), and an
// unquoted value ends at '=' too: the tokenizer takes quotes the same way, so
// the scan ends at the '>' that ended the tag and an edit never lands inside
// a value the tokenizer saw quoted.
AttributeSpan ScanStartTag(const std::wstring& text, size_t start, const wchar_t* wanted, bool ignoreCase) {
    AttributeSpan span;
    const size_t length = text.size();
    size_t i = RunUntil(text, start + 1, length, kAttributeNameEnd);  // the element name
    size_t lastTokenEnd = i;
    bool expectValue = false;
    bool nameSelected = false;
    for (;;) {
        while (i < length && IsBlank(text[i])) {
            ++i;
        }
        if (i >= length || text[i] == L'/' || text[i] == L'>' || text[i] == L'?') {
            break;
        }
        const wchar_t c = text[i];
        if (c == L'=') {
            lastTokenEnd = ++i;
            expectValue = true;
            continue;
        }
        if (!expectValue) {
            const size_t end = RunUntil(text, i, length, kAttributeNameEnd);
            nameSelected = NameRuleMatches(text.c_str() + i, end - i, wanted, ignoreCase);
            lastTokenEnd = i = end;
            continue;
        }
        size_t valueBegin = i;
        size_t valueEnd = i;
        size_t tokenEnd = i;
        if (c == L'"' || c == L'\'') {
            const size_t close = text.find(c, i + 1);
            valueBegin = i + 1;
            valueEnd = close == std::wstring::npos ? length : close;
            tokenEnd = close == std::wstring::npos ? length : close + 1;
        } else {
            // A '/' right before the '>' marks the element empty and is no
            // part of the value.
            while (tokenEnd < length && !IsBlank(text[tokenEnd]) && text[tokenEnd] != L'>' && text[tokenEnd] != L'=' &&
                   !(text[tokenEnd] == L'/' && tokenEnd + 1 < length && text[tokenEnd + 1] == L'>')) {
                ++tokenEnd;
            }
            valueEnd = tokenEnd;
        }
        if (nameSelected) {
            span.found = true;
            span.tokenBegin = i;
            span.tokenEnd = tokenEnd;
            span.valueBegin = valueBegin;
            span.valueEnd = valueEnd;
            return span;
        }
        lastTokenEnd = i = tokenEnd;
        expectValue = false;
    }
    span.insertAt = lastTokenEnd;
    return span;
}

void AppendCodePoint(std::wstring& out, uint32_t codePoint) {
    if (codePoint >= 0x10000) {
        codePoint -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (codePoint >> 10));
        out += static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
    } else {
        out += static_cast<wchar_t>(codePoint);
    }
}

int DigitValue(wchar_t c, bool hex) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (hex && c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (hex && c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

// "&#123;" or "&#x7B;" at `at`, the ';' among the first eight characters
// after the '#' (or the 'x'). Answers the characters it covers, 0 when it is
// no reference.
size_t DecodeCharacterReference(const std::wstring& text, size_t at, size_t end, uint32_t& codePoint) {
    if (at + 1 >= end || text[at + 1] != L'#') {
        return 0;
    }
    size_t digits = at + 2;
    const bool hex = digits < end && text[digits] == L'x';
    if (hex) {
        ++digits;
    }
    const size_t reach = std::min(end, digits + 8);
    size_t semicolon = digits;
    while (semicolon < reach && text[semicolon] != L';') {
        ++semicolon;
    }
    if (semicolon >= reach || semicolon == digits) {
        return 0;
    }
    uint32_t value = 0;
    for (size_t k = digits; k < semicolon; ++k) {
        const int digit = DigitValue(text[k], hex);
        if (digit < 0) {
            return 0;
        }
        value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    }
    if (value == 0 || value > 0x10FFFF) {
        return 0;
    }
    codePoint = value;
    return semicolon + 1 - at;
}

std::wstring DecodeEntities(const std::wstring& text, size_t begin, size_t end) {
    std::wstring out;
    out.reserve(end - begin);
    size_t i = begin;
    while (i < end) {
        const wchar_t c = text[i];
        if (c == L'&') {
            uint32_t codePoint = 0;
            const size_t covered = DecodeCharacterReference(text, i, end, codePoint);
            if (covered > 0) {
                AppendCodePoint(out, codePoint);
                i += covered;
                continue;
            }
            bool named = false;
            for (size_t e = 0; e < kEntityCount && !named; ++e) {
                const size_t entityLength = std::wcslen(kEntityTexts[e]);
                if (entityLength <= end - i && text.compare(i, entityLength, kEntityTexts[e]) == 0) {
                    out += kEntityCharacters[e];
                    i += entityLength;
                    named = true;
                }
            }
            if (named) {
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

std::wstring EncodeEntities(const std::wstring& value) {
    std::wstring out;
    out.reserve(value.size() + value.size() / 10 + 7);
    for (const wchar_t c : value) {
        if (out.capacity() - out.size() < 6) {
            out.reserve(out.capacity() * 4);
        }
        const wchar_t* special = IsOneOf(c, kEntityCharacters) ? std::wcschr(kEntityCharacters, c) : nullptr;
        if (special != nullptr) {
            out += kEntityTexts[special - kEntityCharacters];
        } else {
            out += c;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// UTF-8

// Decodes `size` bytes; with no output it only counts the UTF-16 units.
size_t DecodeUtf8(const uint8_t* data, size_t size, wchar_t* out) {
    size_t units = 0;
    size_t i = 0;
    while (i < size) {
        const uint8_t lead = data[i];
        uint32_t codePoint = lead;
        size_t sequence = 1;
        if (lead >= 0x80) {
            if ((lead & 0x20) == 0) {
                sequence = 2;
                codePoint = lead & 0x1F;
            } else if ((lead & 0x10) == 0) {
                sequence = 3;
                codePoint = lead & 0x0F;
            } else if ((lead & 0x08) == 0) {
                sequence = 4;
                codePoint = lead & 0x07;
            } else {
                sequence = 0;
                codePoint = L'?';
            }
        }
        if (sequence > size - i) {
            break;  // a sequence cut by the end of the data ends the text
        }
        ++i;
        for (size_t k = 1; k < sequence; ++k) {
            if ((data[i] & 0x80) == 0) {
                codePoint = L'?';  // this byte starts the next character
                break;
            }
            codePoint = (codePoint << 6) | (data[i] & 0x3F);
            ++i;
        }
        if (codePoint > 0x10FFFF) {
            codePoint = L'?';
        }
        if (codePoint == 0) {
            break;
        }
        const size_t needed = codePoint >= 0x10000 ? 2 : 1;
        if (out != nullptr) {
            if (needed == 2) {
                out[units] = static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
                out[units + 1] = static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
            } else {
                out[units] = static_cast<wchar_t>(codePoint);
            }
        }
        units += needed;
    }
    return units;
}

// Encodes up to `length` units (a NUL ends the text). With an output buffer
// a character whose bytes do not fit ends the encoding and a NUL follows
// when room is left. Answers the bytes, without the NUL.
size_t EncodeUtf8(const wchar_t* text, size_t length, char* out, size_t capacity) {
    size_t bytes = 0;
    for (size_t i = 0; i < length && text[i] != 0; ++i) {
        uint32_t codePoint = static_cast<uint16_t>(text[i]);
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            const uint32_t next = i + 1 < length ? static_cast<uint16_t>(text[i + 1]) : 0;
            if (codePoint <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                codePoint = (((codePoint & 0x3FF) << 10) | (next & 0x3FF)) + 0x10000;
                ++i;
            } else {
                codePoint = '?';  // a lone half; the character after it stays
            }
        }
        uint8_t encoded[4];
        size_t count = 0;
        if (codePoint < 0x80) {
            encoded[count++] = static_cast<uint8_t>(codePoint);
        } else if (codePoint < 0x800) {
            encoded[count++] = static_cast<uint8_t>(0xC0 | (codePoint >> 6));
            encoded[count++] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        } else if (codePoint < 0x10000) {
            encoded[count++] = static_cast<uint8_t>(0xE0 | (codePoint >> 12));
            encoded[count++] = static_cast<uint8_t>(0x80 | ((codePoint >> 6) & 0x3F));
            encoded[count++] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        } else {
            encoded[count++] = static_cast<uint8_t>(0xF0 | (codePoint >> 18));
            encoded[count++] = static_cast<uint8_t>(0x80 | ((codePoint >> 12) & 0x3F));
            encoded[count++] = static_cast<uint8_t>(0x80 | ((codePoint >> 6) & 0x3F));
            encoded[count++] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        }
        if (out != nullptr) {
            if (count > capacity - bytes) {
                break;
            }
            std::memcpy(out + bytes, encoded, count);
        }
        bytes += count;
    }
    if (out != nullptr && bytes < capacity) {
        out[bytes] = 0;
    }
    return bytes;
}

// ---------------------------------------------------------------------------
// Files

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

// True when the file holds exactly these bytes.
bool FileHolds(const std::wstring& path, const std::vector<char>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size;
    std::vector<char> held;
    bool same = GetFileSizeEx(file, &size) && static_cast<unsigned long long>(size.QuadPart) == bytes.size();
    if (same && !bytes.empty()) {
        held.resize(bytes.size());
        DWORD got = 0;
        same = ReadFile(file, held.data(), static_cast<DWORD>(held.size()), &got, nullptr) && got == held.size() &&
               held == bytes;
    }
    CloseHandle(file);
    return same;
}

// Writes the bytes into the file and onto the disk.
bool WriteWholeFile(const std::wstring& path, const std::vector<char>& bytes) {
    // Created here, not only truncated: where the name was given but no file
    // made (a folder no one may write to), the error is the folder's reason.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool done = (bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                   written == bytes.size())) &&
                FlushFileBuffers(file);
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return done;
}

// The runtime's text for an error number, cut at its first line break.
std::wstring RuntimeErrorText(int error) {
    const wchar_t* text = _wcserror(error);
    std::wstring message = text != nullptr ? text : L"";
    const size_t lineBreak = message.find_first_of(L"\r\n");
    if (lineBreak != std::wstring::npos) {
        message.resize(lineBreak);
    }
    return message;
}

}  // namespace

// ---------------------------------------------------------------------------
// Tree building

// Turns the tokens of the document's text into element records. Open
// elements wait on the tag stack until their end tag, another element's end
// tag or the end of the text closes them.
class CXmlDocument::TreeBuilder {
public:
    explicit TreeBuilder(CXmlDocument& document) : document_(document) { stack_.reserve(6); }

    // Answers the first error text, empty when none was found.
    std::wstring Build() {
        XmlTokenizer tokenizer(document_.text_);
        for (;;) {
            const XmlToken token = tokenizer.Next();
            switch (token.kind) {
            case kElementTagToken:
                OpenElement(token);
                break;
            case kEndTagToken:
                CloseByEndTag(token);
                break;
            case kErrorToken:
                MarkNotEnded();
                KeepError(token.error);
                break;
            case kEndOfTextToken:
                CloseAtEndOfText();
                return error_;
            default:
                break;
            }
        }
    }

private:
    struct TagStackEntry {
        int kind;
        size_t start;
        size_t length;
        uint32_t flags;
        std::wstring name;
        int32_t record;
    };

    std::wstring NameAt(size_t from, size_t limit) const {
        const std::wstring& text = document_.text_;
        const size_t end = RunUntil(text, from, limit, kRecordNameEnd);
        return text.substr(from, end - from);
    }

    int32_t TopRecord() const { return stack_.empty() ? 0 : stack_.back().record; }

    void KeepError(const std::wstring& text) {
        if (error_.empty()) {
            error_ = text;
        }
    }

    void MarkNotEnded() {
        document_.Record(0).flags |= kNotWellFormed;
        document_.Record(TopRecord()).flags |= kChildNotEnded;
    }

    void LinkAsLastChild(int32_t parent, int32_t child) {
        ElementRecord& childRecord = document_.Record(child);
        ElementRecord& parentRecord = document_.Record(parent);
        if (parentRecord.firstChild == 0) {
            parentRecord.firstChild = child;
            childRecord.flags |= kFirstChild;
            childRecord.previousSibling = child;
            return;
        }
        ElementRecord& first = document_.Record(parentRecord.firstChild);
        const int32_t last = first.previousSibling;
        document_.Record(last).nextSibling = child;
        childRecord.previousSibling = last;
        first.previousSibling = child;
    }

    void OpenElement(const XmlToken& token) {
        const int32_t index = document_.NewRecord();
        const int32_t parent = TopRecord();
        ElementRecord& record = document_.Record(index);
        record = ElementRecord{};
        record.start = ClampToInt32(token.start);
        record.length = ClampToInt32(token.length);
        record.tagLengths = PackTagLengths(static_cast<int64_t>(token.length), 0);
        record.flags = static_cast<uint32_t>(std::min<size_t>(stack_.size(), kLevelMask));
        record.parent = parent;
        LinkAsLastChild(parent, index);
        if (token.flags & kEmptyElementToken) {
            return;
        }
        if (stack_.size() == stack_.capacity()) {
            stack_.reserve(2 * stack_.capacity() + 6);
        }
        stack_.push_back(TagStackEntry{token.kind, token.start, token.length, token.flags,
                                       NameAt(token.start + 1, token.start + token.length), index});
    }

    // The element loses its extent beyond the start tag; its children become
    // its following siblings under its own parent.
    void CloseImplicitly(const TagStackEntry& entry) {
        ElementRecord& element = document_.Record(entry.record);
        element.length = ClampToInt32(entry.length);
        element.flags |= kClosedImplicitly;
        const int32_t parent = element.parent;
        if ((element.flags & kChildNotEnded) != 0) {
            element.flags &= ~kChildNotEnded;
            document_.Record(parent).flags |= kChildNotEnded;
        }
        const int32_t first = element.firstChild;
        if (first == 0) {
            return;
        }
        element.firstChild = 0;
        ElementRecord& firstRecord = document_.Record(first);
        const int32_t last = firstRecord.previousSibling;
        firstRecord.flags &= ~kFirstChild;
        for (int32_t child = first; child != 0; child = document_.Record(child).nextSibling) {
            document_.Record(child).parent = parent;
        }
        ElementRecord& moved = document_.Record(entry.record);
        const int32_t oldNext = moved.nextSibling;
        moved.nextSibling = first;
        document_.Record(first).previousSibling = entry.record;
        document_.Record(last).nextSibling = oldNext;
        if (oldNext != 0) {
            document_.Record(oldNext).previousSibling = last;
        } else {
            document_.Record(document_.Record(parent).firstChild).previousSibling = last;
        }
    }

    // Closes the stack entries from `bottom` up implicitly, outermost first:
    // the result is the same as closing from the top down, but every child
    // moves to its final parent only once.
    void CloseEntriesFrom(size_t bottom) {
        for (size_t k = bottom; k < stack_.size(); ++k) {
            CloseImplicitly(stack_[k]);
        }
        stack_.resize(bottom);
    }

    void CloseByEndTag(const XmlToken& token) {
        const size_t tokenEnd = token.start + token.length;
        const std::wstring name = NameAt(token.start + 2, tokenEnd);
        const bool ignoreCase = document_.IgnoresCase();
        size_t match = stack_.size();
        for (size_t k = stack_.size(); k-- > 0;) {
            const std::wstring& open = stack_[k].name;
            if (NameRuleMatches(open.c_str(), open.size(), name.c_str(), ignoreCase)) {
                match = k;
                break;
            }
        }
        if (match == stack_.size()) {
            MarkNotEnded();
            KeepError(
                FormatWide(L"No start tag for end tag '%s' at offset %d", name.c_str(), static_cast<int>(token.start)));
            return;
        }
        if (match + 1 < stack_.size()) {
            document_.Record(0).flags |= kNotWellFormed;
            const TagStackEntry& open = stack_.back();
            KeepError(FormatWide(L"End tag '%s' at offset %d does not match start tag '%s' at offset %d", name.c_str(),
                                 static_cast<int>(token.start + 1), open.name.c_str(), static_cast<int>(open.start)));
            CloseEntriesFrom(match + 1);
        }
        ElementRecord& element = document_.Record(stack_.back().record);
        element.length = ClampToInt32(tokenEnd) - element.start;
        element.tagLengths = PackTagLengths(StartTagLength(element.tagLengths), static_cast<int64_t>(token.length));
        stack_.pop_back();
    }

    void CloseAtEndOfText() {
        if (stack_.empty()) {
            return;
        }
        const TagStackEntry& innermost = stack_.back();
        const std::wstring error = FormatWide(L"Element '%s' at offset %d not ended", innermost.name.c_str(),
                                              static_cast<int>(innermost.start));
        CloseEntriesFrom(0);
        document_.Record(0).flags |= kNotWellFormed;
        KeepError(error);
    }

    CXmlDocument& document_;
    std::vector<TagStackEntry> stack_;
    std::wstring error_;
};

// ---------------------------------------------------------------------------
// Document

CXmlDocument::CXmlDocument() = default;
CXmlDocument::~CXmlDocument() = default;

CXmlDocument::ElementRecord& CXmlDocument::Record(int32_t index) {
    return pages_[static_cast<size_t>(index >> kPageShift)][index & (kPageSize - 1)];
}

const CXmlDocument::ElementRecord& CXmlDocument::Record(int32_t index) const {
    return pages_[static_cast<size_t>(index >> kPageShift)][index & (kPageSize - 1)];
}

// One growth step adds at most one page: a partly filled last page is
// replaced by a larger copy, otherwise a new page follows.
void CXmlDocument::GrowRecordsOneStep(int32_t wanted) {
    const int32_t missing = wanted - recordsAllocated_;
    const int32_t lastPageSize =
        pages_.empty() ? kPageSize : recordsAllocated_ - static_cast<int32_t>(pages_.size() - 1) * kPageSize;
    if (lastPageSize < kPageSize) {
        const int32_t newSize = std::min(kPageSize, lastPageSize + missing);
        std::unique_ptr<ElementRecord[]> page(new ElementRecord[newSize]());
        std::copy(pages_.back().get(), pages_.back().get() + lastPageSize, page.get());
        pages_.back() = std::move(page);
        recordsAllocated_ += newSize - lastPageSize;
    } else {
        const int32_t newSize = std::min(kPageSize, missing);
        pages_.emplace_back(new ElementRecord[newSize]());
        recordsAllocated_ += newSize;
    }
}

void CXmlDocument::ReserveRecords(int32_t wanted) {
    while (recordsAllocated_ < wanted) {
        GrowRecordsOneStep(wanted);
    }
}

int32_t CXmlDocument::NewRecord() {
    if (recordsUsed_ == recordsAllocated_) {
        GrowRecordsOneStep(std::max(recordsUsed_ + recordsUsed_ / 2, recordsUsed_ + 1));
    }
    return recordsUsed_++;
}

void CXmlDocument::ClearNavigation() {
    parent_ = 0;
    current_ = 0;
    child_ = 0;
    nodeKind_ = 0;
    nodeOffset_ = 0;
    nodeLength_ = 0;
}

void CXmlDocument::SetText(const std::wstring& text) {
    text_ = text;
    result_.clear();
    recordsUsed_ = 0;
    ClearNavigation();
}

const std::wstring& CXmlDocument::Text() const { return text_; }

const std::wstring& CXmlDocument::Result() const { return result_; }

bool CXmlDocument::Load(const std::wstring& path) {
    int flags = 0;
    if (!ReadUtf8File(path, text_, result_, flags)) {
        return false;
    }
    return Parse();
}

bool CXmlDocument::Parse() {
    ClearNavigation();
    savedPositions_.reset();
    const size_t length = text_.size();
    ReserveRecords(ClampToInt32(length / 64 + 8));
    recordsUsed_ = 1;
    Record(0) = ElementRecord{};

    std::wstring error;
    if (length == 0) {
        error = L"Empty document";
    } else {
        error = TreeBuilder(*this).Build();
    }

    ElementRecord& document = Record(0);
    document.length = ClampToInt32(length);
    const int32_t root = document.firstChild;
    const bool rootHasSibling = root != 0 && Record(root).nextSibling != 0;
    if (root == 0 && error.empty()) {
        error = L"No root element";
    }
    if (rootHasSibling) {
        error = L"Root element has sibling";
    }

    if (result_.empty()) {
        result_ = error;
    } else if (!error.empty()) {
        result_ += L", " + error;
    }
    return (document.flags & kNotWellFormed) == 0 && root != 0 && !rootHasSibling;
}

bool CXmlDocument::ReadUtf8File(const std::wstring& path, std::wstring& text, std::wstring& result, int& flags) {
    (void)flags;  // handed back unchanged
    FileHandle file(_wfopen(path.c_str(), L"rb"));
    if (!file) {
        result = RuntimeErrorText(errno);
        return false;
    }
    long size = -1;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        size = std::ftell(file.get());
    }
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        result = RuntimeErrorText(errno);
        return false;
    }
    std::vector<uint8_t> data(static_cast<size_t>(size));
    const size_t read = std::fread(data.data(), 1, data.size(), file.get());
    if (read != data.size() && std::ferror(file.get())) {
        result = RuntimeErrorText(errno);
        return false;
    }
    const size_t units = DecodeUtf8(data.data(), read, nullptr);
    std::wstring decoded(units, L'\0');
    DecodeUtf8(data.data(), read, &decoded[0]);
    text = std::move(decoded);
    result = FormatWide(L"%s%d bytes to %d wide chars", L"", static_cast<int>(read), static_cast<int>(units));
    return true;
}

bool CXmlDocument::WriteUtf8File(const std::wstring& path, const std::wstring& text, std::wstring& result, int& flags) {
    (void)flags;  // handed back unchanged
    FileHandle file(_wfopen(path.c_str(), L"wb"));
    if (!file) {
        result = RuntimeErrorText(errno);
        return false;
    }
    const size_t bytes = EncodeUtf8(text.c_str(), text.size(), nullptr, 0);
    std::vector<char> encoded(bytes + 1);
    EncodeUtf8(text.c_str(), text.size(), encoded.data(), encoded.size());
    if (bytes > 0 && std::fwrite(encoded.data(), 1, bytes, file.get()) != bytes) {
        result = RuntimeErrorText(errno);
        return false;
    }
    if (std::fclose(file.release()) != 0) {
        result = RuntimeErrorText(errno);
        return false;
    }
    result = FormatWide(L"%d wide chars to %s%d bytes", static_cast<int>(text.size()), L"", static_cast<int>(bytes));
    return true;
}

bool CXmlDocument::ReplaceUtf8File(const std::wstring& path, const std::wstring& text, std::wstring& result) {
    std::vector<char> bytes(EncodeUtf8(text.c_str(), text.size(), nullptr, 0) + 1);
    EncodeUtf8(text.c_str(), text.size(), bytes.data(), bytes.size());
    bytes.pop_back();  // the terminator
    if (FileHolds(path, bytes)) {
        result = L"unchanged";
        return true;
    }
    const size_t slash = path.find_last_of(L'\\');
    if (path.size() >= MAX_PATH || slash == std::wstring::npos) {
        result = SystemErrorText(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    // Someone marked the file so it is not changed; the rename would replace
    // it regardless on some systems.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        result = SystemErrorText(ERROR_ACCESS_DENIED);
        return false;
    }
    // A fresh name in the same folder, so the rename stays on one volume.
    wchar_t fresh[MAX_PATH] = {};
    if (GetTempFileNameW(path.substr(0, slash).c_str(), L"tvk", 0, fresh) == 0) {
        result = SystemErrorText(GetLastError());
        return false;
    }
    if (!WriteWholeFile(fresh, bytes) ||
        !MoveFileExW(fresh, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        result = SystemErrorText(GetLastError());
        DeleteFileW(fresh);
        return false;
    }
    result = FormatWide(L"%d bytes", static_cast<int>(bytes.size()));
    return true;
}

bool CXmlDocument::IsElementRecord(int32_t record) const {
    if (record < 1 || record >= recordsUsed_) {
        return false;
    }
    const size_t start = static_cast<size_t>(Record(record).start);
    return start < text_.size() && text_[start] == L'<';
}

bool CXmlDocument::RecordNameMatches(int32_t record, const wchar_t* wanted) const {
    const size_t from = static_cast<size_t>(Record(record).start) + 1;
    if (from > text_.size()) {
        return false;
    }
    const size_t end = RunUntil(text_, from, text_.size(), kRecordNameEnd);
    return NameRuleMatches(text_.c_str() + from, end - from, wanted, IgnoresCase());
}

bool CXmlDocument::FindNextElement(const wchar_t* name) {
    if (recordsUsed_ <= 0) {
        return false;
    }
    int32_t candidate = current_ == 0 ? Record(parent_).firstChild : Record(current_).nextSibling;
    // The sibling list is a plain list; the count only guards the walk.
    for (int32_t steps = 0; candidate != 0 && steps < recordsUsed_; ++steps) {
        if (name == nullptr || *name == 0 || RecordNameMatches(candidate, name)) {
            current_ = candidate;
            parent_ = Record(candidate).parent;
            child_ = 0;
            nodeKind_ = 1;
            nodeOffset_ = 0;
            nodeLength_ = 0;
            return true;
        }
        candidate = Record(candidate).nextSibling;
    }
    return false;
}

bool CXmlDocument::EnterElement() {
    if (nodeKind_ != 1 || current_ == 0) {
        return false;
    }
    parent_ = current_;
    current_ = 0;
    child_ = 0;
    nodeKind_ = 0;
    nodeOffset_ = 0;
    nodeLength_ = 0;
    return true;
}

std::wstring CXmlDocument::GetAttributeValue(const wchar_t* name) const {
    if (nodeKind_ != 1) {
        return std::wstring();
    }
    return GetRecordAttribute(current_, name);
}

std::wstring CXmlDocument::GetRecordAttribute(int32_t record, const wchar_t* name) const {
    if (name == nullptr || !IsElementRecord(record)) {
        return std::wstring();
    }
    const AttributeSpan span = ScanStartTag(text_, static_cast<size_t>(Record(record).start), name, IgnoresCase());
    if (!span.found) {
        return std::wstring();
    }
    return DecodeEntities(text_, span.valueBegin, span.valueEnd);
}

bool CXmlDocument::SetAttributeValue(const wchar_t* name, const std::wstring& value) {
    if (nodeKind_ != 1 || name == nullptr || *name == 0 || !IsElementRecord(current_)) {
        return false;
    }
    // A name that the attribute scan could not read back would break the tag.
    for (const wchar_t* c = name; *c != 0; ++c) {
        if (IsOneOf(*c, kUnwritableNameCharacters)) {
            return false;
        }
    }
    const AttributeSpan span = ScanStartTag(text_, static_cast<size_t>(Record(current_).start), name, IgnoresCase());
    const std::wstring quoted = L"\"" + EncodeEntities(value) + L"\"";
    size_t at = span.insertAt;
    size_t removed = 0;
    std::wstring inserted;
    if (span.found) {
        at = span.tokenBegin;
        removed = span.tokenEnd - span.tokenBegin;
        inserted = quoted;
    } else {
        inserted = L" " + std::wstring(name) + L"=" + quoted;
    }
    const size_t newLength = text_.size() - removed + inserted.size();
    if (newLength > text_.capacity()) {
        text_.reserve(newLength + newLength / 2 + 128);
    }
    text_.replace(at, removed, inserted);
    MoveOffsetsAfterEdit(current_, static_cast<int32_t>(inserted.size()) - static_cast<int32_t>(removed));
    return true;
}

// After an edit inside the start tag of `record`: the element and its start
// tag change by `delta`, every later record moves, every ancestor changes
// length up to the document node.
void CXmlDocument::MoveOffsetsAfterEdit(int32_t record, int32_t delta) {
    ElementRecord& element = Record(record);
    element.length += delta;
    element.tagLengths = PackTagLengths(static_cast<int64_t>(StartTagLength(element.tagLengths)) + delta,
                                        EndTagLength(element.tagLengths));
    for (int32_t later = record + 1; later < recordsUsed_; ++later) {
        Record(later).start += delta;
    }
    int32_t ancestor = element.parent;
    for (int32_t steps = 0; steps < recordsUsed_; ++steps) {
        Record(ancestor).length += delta;
        if (ancestor == 0) {
            break;
        }
        ancestor = Record(ancestor).parent;
    }
}

bool CXmlDocument::GetRecord(int32_t record, ElementRecord& out) const {
    if (record < 0 || record >= recordsUsed_) {
        return false;
    }
    out = Record(record);
    return true;
}
