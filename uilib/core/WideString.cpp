#include "WideString.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace TavikUI {
namespace {

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

size_t BlockBytes(size_t length) { return (length + 1) * sizeof(wchar_t); }

// Length of the text, limited to `limit` when limit >= 0, so that a count
// larger than the text never reads past its terminator.
size_t BoundedLength(const wchar_t* text, int limit) {
    return limit < 0 ? wcslen(text) : wcsnlen(text, static_cast<size_t>(limit));
}

}  // namespace

CWideString::CWideString() : text_(buffer_) { buffer_[0] = 0; }

CWideString::CWideString(const wchar_t* text, int length) : text_(buffer_) {
    buffer_[0] = 0;
    AssignChars(text, length);
}

CWideString::CWideString(wchar_t character) : text_(buffer_) {
    buffer_[0] = character;
    buffer_[1] = 0;
}

CWideString::CWideString(const CWideString& other) : text_(buffer_) {
    buffer_[0] = 0;
    AssignChars(other.text_, -1);
}

CWideString& CWideString::operator=(const CWideString& other) {
    if (&other != this) {
        AssignChars(other.text_, -1);
    }
    return *this;
}

CWideString::~CWideString() { ReleaseHeap(); }

bool CWideString::Overlaps(const wchar_t* text) const {
    const auto address = reinterpret_cast<uintptr_t>(text);
    const auto begin = reinterpret_cast<uintptr_t>(text_);
    const auto end = reinterpret_cast<uintptr_t>(text_ + Length() + 1);
    return address >= begin && address < end;
}

void CWideString::ReleaseHeap() {
    if (!IsInline()) {
        free(text_);
        text_ = buffer_;
    }
}

const wchar_t* CWideString::AssignChars(const wchar_t* text, int n) {
    text = OrEmpty(text);
    const size_t count = BoundedLength(text, n);
    if (Overlaps(text)) {
        // The source would be moved or freed under us: copy it out first.
        const CWideString copy(text, static_cast<int>(count));
        return AssignChars(copy.text_, -1);
    }
    if (count < static_cast<size_t>(kHeapLength)) {
        ReleaseHeap();
    } else if (IsInline() || static_cast<size_t>(Length()) < count) {
        void* block = realloc(IsInline() ? nullptr : text_, BlockBytes(count));
        if (!block) {
            return text_;  // out of memory: the old text stays
        }
        text_ = static_cast<wchar_t*>(block);
    }
    wmemcpy(text_, text, count);
    text_[count] = 0;
    return text_;
}

void CWideString::AssignString(const CWideString& other) {
    if (&other != this) {
        AssignChars(other.text_, -1);
    }
}

void CWideString::AssignText(const wchar_t* text) {
    if (!text) {
        Clear();
        return;
    }
    AssignChars(text, -1);
}

void CWideString::Append(const wchar_t* text) {
    if (!text) {
        return;
    }
    if (Overlaps(text)) {
        // Growing or moving the buffer would invalidate the source.
        const CWideString copy(text);
        Append(copy.text_);
        return;
    }
    const size_t length = static_cast<size_t>(Length());
    const size_t added = wcslen(text);
    const size_t total = length + added;
    if (total >= static_cast<size_t>(kHeapLength)) {
        if (IsInline()) {
            auto* block = static_cast<wchar_t*>(malloc(BlockBytes(total)));
            if (!block) {
                return;
            }
            wmemcpy(block, buffer_, length);
            text_ = block;
        } else {
            void* block = realloc(text_, BlockBytes(total));
            if (!block) {
                return;
            }
            text_ = static_cast<wchar_t*>(block);
        }
    } else if (!IsInline()) {
        wmemcpy(buffer_, text_, length);
        free(text_);
        text_ = buffer_;
    }
    wmemcpy(text_ + length, text, added);
    text_[total] = 0;
}

void CWideString::AppendString(const CWideString& other) { Append(other.text_); }

void CWideString::AppendText(const wchar_t* text) { Append(text); }

void CWideString::AppendChar(wchar_t character) {
    const wchar_t text[2] = {character, 0};
    Append(text);
}

CWideString CWideString::ConcatText(const wchar_t* text) const {
    CWideString result(*this);
    result.Append(text);
    return result;
}

void CWideString::Clear() {
    ReleaseHeap();
    buffer_[0] = 0;
}

int CWideString::Length() const { return static_cast<int>(wcslen(text_)); }

int CWideString::Compare(const wchar_t* text) const { return wcscmp(text_, OrEmpty(text)); }

int CWideString::CompareNoCase(const wchar_t* text) const { return _wcsicmp(text_, OrEmpty(text)); }

bool CWideString::Equals(const wchar_t* text) const { return Compare(text) == 0; }

bool CWideString::NotEquals(const wchar_t* text) const { return Compare(text) != 0; }

void CWideString::MakeLower() { _wcslwr(text_); }

int CWideString::FindChar(wchar_t character, int start) const {
    const int length = Length();
    if (character == 0 || (start != 0 && (start < 0 || start >= length))) {
        return -1;
    }
    const wchar_t* found = wcschr(text_ + start, character);
    return found ? static_cast<int>(found - text_) : -1;
}

int CWideString::ReverseFindChar(wchar_t character) const {
    if (character == 0) {
        return -1;
    }
    const wchar_t* found = wcsrchr(text_, character);
    return found ? static_cast<int>(found - text_) : -1;
}

int CWideString::Find(const wchar_t* text, int start, bool caseSensitive) const {
    if (!text) {
        return -1;
    }
    const int length = Length();
    if (start != 0 && (start < 0 || start > length)) {
        return -1;
    }
    // Letters fold by bit 0x20 only when the search ignores case. The
    // haystack's end stops every comparison, so a needle character such as
    // ' ' never matches its terminator.
    for (int position = start;; ++position) {
        int i = 0;
        for (; text[i] != 0; ++i) {
            const wchar_t have = text_[position + i];
            if (have == 0) {
                return -1;
            }
            if (have != text[i] && (caseSensitive || (have | 0x20) != (text[i] | 0x20))) {
                break;
            }
        }
        if (text[i] == 0) {
            return position;
        }
    }
}

CWideString CWideString::Left(int n) const {
    const int length = Length();
    if (n < 0) {
        n = 0;
    }
    if (n > length) {
        n = length;
    }
    return CWideString(text_, n);
}

CWideString CWideString::Mid(int start, int n) const {
    const int length = Length();
    if (start < 0) {
        start = 0;
    }
    if (start >= length) {
        return CWideString();
    }
    if (n < 0 || n > length - start) {
        n = length - start;
    }
    if (n <= 0) {
        return CWideString();
    }
    return CWideString(text_ + start, n);
}

int CWideString::ReplaceAll(const wchar_t* from, const wchar_t* to) {
    // An empty pattern matches everywhere without consuming anything, so it
    // would never end: it replaces nothing.
    if (!from || from[0] == 0) {
        return 0;
    }
    // Copies: the arguments may point into this string, which changes below.
    const CWideString pattern(from);
    const CWideString replacement(OrEmpty(to));
    const int patternLength = pattern.Length();
    const int replacementLength = replacement.Length();
    int count = 0;
    for (int at = Find(pattern.text_, 0, true); at >= 0; at = Find(pattern.text_, at + replacementLength, true)) {
        CWideString changed = Left(at);
        changed.AppendString(replacement);
        changed.Append(text_ + at + patternLength);
        AssignString(changed);
        ++count;
    }
    return count;
}

int CWideString::FormatText(const wchar_t* format, ...) {
    if (!format) {
        Clear();
        return 0;
    }
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = _vscwprintf(format, measure);
    va_end(measure);
    int result = length;
    if (length < 0) {
        Clear();
    } else {
        // The text is formatted aside: the arguments may point into this string.
        auto* formatted = static_cast<wchar_t*>(calloc(static_cast<size_t>(length) + 1, sizeof(wchar_t)));
        if (formatted) {
            result = _vsnwprintf(formatted, static_cast<size_t>(length) + 1, format, args);
            AssignText(formatted);
            free(formatted);
        }
    }
    va_end(args);
    return result;
}

int CWideString::FormatShort(const wchar_t* format, ...) {
    const CWideString formatCopy(format);
    wchar_t formatted[128] = {};
    va_list args;
    va_start(args, format);
    const int result = _vsnwprintf(formatted, 128, formatCopy.text_, args);
    va_end(args);
    // The runtime leaves a full buffer unterminated.
    formatted[127] = 0;
    AssignText(formatted);
    return result;
}

}  // namespace TavikUI
