#include "MarkupTags.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "KeyValueText.h"
#include "UIRect.h"

namespace TavikUI {
namespace {

bool IsOpeningBracket(wchar_t character) { return character == L'<' || character == L'{'; }
bool IsClosingBracket(wchar_t character) { return character == L'>' || character == L'}'; }

// Index of the first closing bracket at or after `from`; npos when the text
// ends first.
size_t FindClosingBracket(const wchar_t* text, size_t from) {
    for (size_t i = from; text[i] != 0; ++i) {
        if (IsClosingBracket(text[i])) {
            return i;
        }
    }
    return std::wstring::npos;
}

size_t RunLength(const wchar_t* text) {
    // The first character always belongs to the run, even a bracket that
    // opens nothing.
    size_t length = 1;
    while (text[length] != 0 && text[length] != L'\n' && !IsOpeningBracket(text[length])) {
        ++length;
    }
    return length;
}

MarkupToken MakeToken(MarkupTokenKind kind, size_t length, wchar_t letter = 0) {
    MarkupToken token;
    token.kind = kind;
    token.length = length;
    token.letter = letter;
    return token;
}

// "</x>": the letter, then anything up to the closing bracket.
bool ReadClosingTag(const wchar_t* text, MarkupToken& token) {
    if (text[1] != L'/' || text[2] == 0 || IsClosingBracket(text[2])) {
        return false;
    }
    const size_t close = FindClosingBracket(text, 3);
    if (close == std::wstring::npos) {
        return false;
    }
    token = MakeToken(MarkupTokenKind::CloseTag, close + 1, text[2]);
    return true;
}

// "<x>" or "<x argument>" with a lower-case letter.
bool ReadOpeningTag(const wchar_t* text, MarkupToken& token) {
    if (text[1] < L'a' || text[1] > L'z') {
        return false;
    }
    if (text[2] != L' ' && !IsClosingBracket(text[2])) {
        return false;
    }
    const size_t close = FindClosingBracket(text, 2);
    if (close == std::wstring::npos) {
        return false;
    }
    token = MakeToken(MarkupTokenKind::OpenTag, close + 1, text[1]);
    if (text[2] == L' ') {
        token.argument = text + 3;
        token.argumentLength = close - 3;
    } else {
        token.argument = text + 2;
        token.argumentLength = 0;
    }
    return true;
}

bool ReadEscape(const wchar_t* text, MarkupToken& token) {
    const bool braceInAngles = text[0] == L'<' && (text[1] == L'{' || text[1] == L'}') && text[2] == L'>';
    const bool angleInBraces = text[0] == L'{' && (text[1] == L'<' || text[1] == L'>') && text[2] == L'}';
    if (!braceInAngles && !angleInBraces) {
        return false;
    }
    token = MakeToken(MarkupTokenKind::Escape, 3, text[1]);
    return true;
}

size_t SkipBlanks(const std::wstring& text, size_t position) {
    while (position < text.size() && IsDescriptionBlank(text[position])) {
        ++position;
    }
    return position;
}

long ClampedNumber(long value, long low, long high) { return std::min(high, std::max(low, value)); }

void ReadStripNumbers(const std::wstring& text, size_t position, MarkupImageArgument& image) {
    position = SkipBlanks(text, position);
    int numbers[2] = {0, 0};
    const int found = ReadNumberList(text.c_str() + std::min(position, text.size()), numbers, 2);
    if (found >= 1) {
        image.strips = std::max(1, numbers[0]);
    }
    if (found >= 2 && numbers[1] >= 0 && numbers[1] < image.strips) {
        image.strip = numbers[1];
    }
}

}  // namespace

MarkupToken ReadMarkupToken(const wchar_t* text, bool raw) {
    const wchar_t first = text[0];
    if (first == 0) {
        return MakeToken(MarkupTokenKind::End, 0);
    }
    if (first == L'\n') {
        return MakeToken(MarkupTokenKind::NewLine, 1);
    }
    if (first == L' ') {
        return MakeToken(MarkupTokenKind::Blank, 1);
    }
    MarkupToken token;
    if (IsOpeningBracket(first)) {
        if (raw) {
            if (ReadClosingTag(text, token) && token.letter == L'r') {
                return token;
            }
        } else if (ReadEscape(text, token) || ReadClosingTag(text, token) || ReadOpeningTag(text, token)) {
            return token;
        }
    }
    return MakeToken(MarkupTokenKind::Run, RunLength(text));
}

MarkupImageArgument ReadMarkupImageArgument(const std::wstring& argument) {
    MarkupImageArgument image;
    if (argument.find(L"file='") == std::wstring::npos && argument.find(L"res='") == std::wstring::npos) {
        const size_t start = SkipBlanks(argument, 0);
        size_t end = start;
        while (end < argument.size() && !IsDescriptionBlank(argument[end])) {
            ++end;
        }
        image.name = argument.substr(start, end - start);
        ReadStripNumbers(argument, end, image);
        return image;
    }
    size_t position = 0;
    std::wstring key;
    std::wstring value;
    while (ReadKeyValuePair(argument, position, key, value)) {
        if (key == L"file" || key == L"res") {
            image.name = value.empty() ? image.name : value;
        } else if (key == L"restype") {
            image.resourceType = value.empty() ? image.resourceType : value;
        }
        // As in image descriptions, pairs go on only after a blank.
        if (position < argument.size() && !IsDescriptionBlank(argument[position])) {
            break;
        }
    }
    ReadStripNumbers(argument, position, image);
    return image;
}

MarkupFontArgument ReadMarkupFontArgument(const std::wstring& argument) {
    MarkupFontArgument font;
    const size_t start = SkipBlanks(argument, 0);
    size_t end = start;
    while (end < argument.size() && !IsDescriptionBlank(argument[end])) {
        ++end;
    }
    font.face = argument.substr(start, end - start);
    const size_t sizeStart = SkipBlanks(argument, end);
    if (sizeStart < argument.size() && iswdigit(argument[sizeStart])) {
        font.size =
            static_cast<int>(ClampedNumber(wcstol(argument.c_str() + sizeStart, nullptr, 10), 1, kMaxMarkupPixels));
    }
    std::wstring styles = argument.substr(end);
    std::transform(styles.begin(), styles.end(), styles.begin(),
                   [](wchar_t character) { return static_cast<wchar_t>(towlower(character)); });
    font.bold = styles.find(L"bold") != std::wstring::npos;
    font.underline = styles.find(L"underline") != std::wstring::npos;
    font.italic = styles.find(L"italic") != std::wstring::npos;
    return font;
}

DWORD ReadMarkupColor(const std::wstring& argument) {
    size_t position = SkipBlanks(argument, 0);
    if (position < argument.size() && argument[position] == L'#') {
        ++position;
    }
    if (position >= argument.size()) {
        return 0;
    }
    return static_cast<DWORD>(wcstoul(argument.c_str() + position, nullptr, 16));
}

int ReadMarkupPixels(const std::wstring& argument) {
    const size_t position = SkipBlanks(argument, 0);
    if (position >= argument.size()) {
        return 0;
    }
    return static_cast<int>(ClampedNumber(wcstol(argument.c_str() + position, nullptr, 10), 0, kMaxMarkupPixels));
}

}  // namespace TavikUI
