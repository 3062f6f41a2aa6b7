// The alignment words a label's "align" takes, and what each does to the
// DrawText style; the annulus progress reuses them for its percentage text.
#pragma once

#include <windows.h>

#include <cwchar>

namespace TavikUI {

struct AlignmentWord {
    const wchar_t* word;
    UINT clear;
    UINT set;
};

inline constexpr AlignmentWord kAlignmentWords[] = {
    {L"left", DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE, 0}, {L"center", DT_RIGHT, DT_CENTER},
    {L"right", DT_CENTER | DT_VCENTER | DT_SINGLELINE, DT_RIGHT},    {L"top", DT_VCENTER | DT_BOTTOM, DT_SINGLELINE},
    {L"vcenter", DT_BOTTOM, DT_CENTER | DT_VCENTER | DT_SINGLELINE}, {L"bottom", DT_VCENTER, DT_BOTTOM | DT_SINGLELINE},
};

// The change of the one word `value` is exactly; the style unchanged for any
// other text.
inline UINT ApplyAlignment(UINT style, const wchar_t* value) {
    for (const AlignmentWord& row : kAlignmentWords) {
        if (wcscmp(value, row.word) == 0) {
            return (style & ~row.clear) | row.set;
        }
    }
    return style;
}

// Each word found anywhere in `value` applies, in table order ("vcenter"
// also contains "center").
inline UINT ApplyAlignmentWords(UINT style, const wchar_t* value) {
    for (const AlignmentWord& row : kAlignmentWords) {
        if (wcsstr(value, row.word)) {
            style = (style & ~row.clear) | row.set;
        }
    }
    return style;
}

}  // namespace TavikUI
