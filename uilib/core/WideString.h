// The UI library's wide string: a value type with a 64-unit inline buffer so
// that the short texts that make up most names, attribute values and
// notification types never touch the heap. Texts of 63 characters or more
// live in a block from the C runtime heap that the string owns.
#pragma once

#include <cwchar>

namespace TavikUI {

class CWideString {
public:
    // Units of the inline buffer, and the first length that moves to the heap.
    static constexpr int kInlineUnits = 64;
    static constexpr int kHeapLength = 63;

    CWideString();
    // The first `length` characters of the text (-1: all of it; null: empty).
    CWideString(const wchar_t* text, int length = -1);
    explicit CWideString(wchar_t character);
    CWideString(const CWideString& other);
    CWideString& operator=(const CWideString& other);
    ~CWideString();

    // Stores the first n characters of the text (n < 0: all of it). The text
    // may point into this string's own buffer.
    const wchar_t* AssignChars(const wchar_t* text, int n);
    void AssignString(const CWideString& other);
    void AssignText(const wchar_t* text);

    void Append(const wchar_t* text);
    void AppendString(const CWideString& other);
    void AppendText(const wchar_t* text);
    void AppendChar(wchar_t character);
    CWideString ConcatText(const wchar_t* text) const;

    void Clear();
    bool IsEmpty() const { return text_[0] == 0; }
    int Length() const;
    const wchar_t* Text() const { return text_; }
    // No range test: callers keep 0 <= index <= Length().
    wchar_t CharAt(int index) const { return text_[index]; }
    // True while the text lives in the inline buffer.
    bool IsInline() const { return text_ == buffer_; }

    int Compare(const wchar_t* text) const;
    int CompareNoCase(const wchar_t* text) const;
    bool Equals(const wchar_t* text) const;
    bool NotEquals(const wchar_t* text) const;
    void MakeLower();

    int FindChar(wchar_t character, int start = 0) const;
    int ReverseFindChar(wchar_t character) const;
    // Case-insensitive search folds ASCII letters only (bit 0x20).
    int Find(const wchar_t* text, int start = 0, bool caseSensitive = true) const;
    CWideString Left(int n) const;
    CWideString Mid(int start, int n = -1) const;
    // Replaces every occurrence of `from` by `to`; answers the count. An empty
    // `from` replaces nothing.
    int ReplaceAll(const wchar_t* from, const wchar_t* to);

    // printf-style formatting with the Windows runtime's conventions (wide
    // "%s", narrow "%S"); they answer the formatter's count.
    int FormatText(const wchar_t* format, ...);
    // Formats through a 128-character buffer: results are cut to 127.
    int FormatShort(const wchar_t* format, ...);

private:
    bool Overlaps(const wchar_t* text) const;
    void ReleaseHeap();

    wchar_t* text_;
    wchar_t buffer_[kInlineUnits];
};

}  // namespace TavikUI
