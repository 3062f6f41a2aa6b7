// The base control's attribute table and the reader of attribute strings
// (name="value" pairs).
#include <cwchar>

#include "ControlUI.h"

namespace TavikUI {
namespace {

bool IsTrue(const wchar_t* value) { return wcscmp(value, L"true") == 0; }

int ReadInteger(const wchar_t* value) { return static_cast<int>(wcstol(value, nullptr, 10)); }

// Hexadecimal 0xAARRGGBB after an optional "#" (and, for background colours,
// leading blanks).
DWORD ReadColor(const wchar_t* value, bool skipBlanks) {
    if (skipBlanks) {
        while (*value == L' ' || *value == L'\t') {
            ++value;
        }
    }
    if (*value == L'#') {
        ++value;
    }
    return static_cast<DWORD>(wcstoul(value, nullptr, 16));
}

void ApplyPos(CControlUI& control, const wchar_t* value) {
    const CUIRect pos = ReadRectText(value);
    POINT offset = {pos.left < 0 ? pos.right : pos.left, pos.top < 0 ? pos.bottom : pos.top};
    control.SetFloatOffset(offset);
    control.SetDeclaredWidth(pos.right - pos.left);
    control.SetDeclaredHeight(pos.bottom - pos.top);
}

void ApplyRelativePos(CControlUI& control, const wchar_t* value) {
    int numbers[4] = {};
    ReadNumberList(value, numbers, 4);
    control.SetRelativePosition(numbers[0], numbers[1], numbers[2], numbers[3]);
}

// One number sets the border size and clears the side widths; a list sets
// the four side widths and leaves the size.
void ApplyBorderSize(CControlUI& control, const wchar_t* value) {
    if (!wcschr(value, L',')) {
        control.SetBorderThickness(ReadInteger(value));
        control.SetSideBorderWidths(CUIRect());
        return;
    }
    control.SetSideBorderWidths(ReadRectText(value));
}

struct AttributeRow {
    const wchar_t* name;
    void (*apply)(CControlUI& control, const wchar_t* value);
};

const AttributeRow kAttributes[] = {
    {L"pos", ApplyPos},
    {L"relativepos", ApplyRelativePos},
    {L"padding", [](CControlUI& c, const wchar_t* v) { c.SetPadding(ReadRectText(v)); }},
    {L"bkcolor", [](CControlUI& c, const wchar_t* v) { c.SetBackgroundColor(ReadColor(v, true)); }},
    {L"bkcolor1", [](CControlUI& c, const wchar_t* v) { c.SetBackgroundColor(ReadColor(v, true)); }},
    {L"bkcolor2", [](CControlUI& c, const wchar_t* v) { c.SetBackgroundColor2(ReadColor(v, true)); }},
    {L"bkcolor3", [](CControlUI& c, const wchar_t* v) { c.SetBackgroundColor3(ReadColor(v, true)); }},
    {L"bordercolor", [](CControlUI& c, const wchar_t* v) { c.SetBorderColor(ReadColor(v, false)); }},
    {L"focusbordercolor", [](CControlUI& c, const wchar_t* v) { c.SetFocusBorderColor(ReadColor(v, false)); }},
    {L"colorhsl", [](CControlUI& c, const wchar_t* v) { c.SetColorHsl(IsTrue(v)); }},
    {L"bordersize", ApplyBorderSize},
    {L"leftbordersize", [](CControlUI& c, const wchar_t* v) { c.SetLeftBorderWidth(ReadInteger(v)); }},
    {L"topbordersize", [](CControlUI& c, const wchar_t* v) { c.SetTopBorderWidth(ReadInteger(v)); }},
    {L"rightbordersize", [](CControlUI& c, const wchar_t* v) { c.SetRightBorderWidth(ReadInteger(v)); }},
    {L"bottombordersize", [](CControlUI& c, const wchar_t* v) { c.SetBottomBorderWidth(ReadInteger(v)); }},
    {L"borderstyle", [](CControlUI& c, const wchar_t* v) { c.SetBorderStyle(ReadInteger(v)); }},
    {L"borderround", [](CControlUI& c, const wchar_t* v) { c.SetBorderRounding(ReadSizeText(v)); }},
    {L"bkimage", [](CControlUI& c, const wchar_t* v) { c.SetBackgroundImage(v); }},
    {L"width", [](CControlUI& c, const wchar_t* v) { c.SetDeclaredWidth(ReadInteger(v)); }},
    {L"height", [](CControlUI& c, const wchar_t* v) { c.SetDeclaredHeight(ReadInteger(v)); }},
    {L"minwidth", [](CControlUI& c, const wchar_t* v) { c.SetMinWidth(ReadInteger(v)); }},
    {L"minheight", [](CControlUI& c, const wchar_t* v) { c.SetMinHeight(ReadInteger(v)); }},
    {L"maxwidth", [](CControlUI& c, const wchar_t* v) { c.SetMaxWidth(ReadInteger(v)); }},
    {L"maxheight", [](CControlUI& c, const wchar_t* v) { c.SetMaxHeight(ReadInteger(v)); }},
    {L"name", [](CControlUI& c, const wchar_t* v) { c.SetName(v); }},
    {L"text", [](CControlUI& c, const wchar_t* v) { c.SetText(v); }},
    {L"tooltip", [](CControlUI& c, const wchar_t* v) { c.SetToolTip(v); }},
    {L"userdata", [](CControlUI& c, const wchar_t* v) { c.SetUserData(v); }},
    {L"enabled", [](CControlUI& c, const wchar_t* v) { c.SetEnabledState(IsTrue(v)); }},
    {L"mouse", [](CControlUI& c, const wchar_t* v) { c.SetAcceptsMouse(IsTrue(v)); }},
    {L"keyboard", [](CControlUI& c, const wchar_t* v) { c.SetAcceptsKeyboard(IsTrue(v)); }},
    {L"visible", [](CControlUI& c, const wchar_t* v) { c.ShowOrHide(IsTrue(v)); }},
    {L"float", [](CControlUI& c, const wchar_t* v) { c.SetFloating(IsTrue(v)); }},
    {L"menu", [](CControlUI& c, const wchar_t* v) { c.SetContextMenu(IsTrue(v)); }},
    {L"wanttab", [](CControlUI& c, const wchar_t* v) { c.SetWantsTab(IsTrue(v)); }},
    {L"shortcut", [](CControlUI& c, const wchar_t* v) { c.SetShortcut(v[0]); }},
    {L"virtualwnd", [](CControlUI& c, const wchar_t* v) { c.SetVirtualWindowName(v); }},
};

bool IsSkippedBeforeName(wchar_t character) { return character != 0 && character <= L' '; }

}  // namespace

void CControlUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    for (const AttributeRow& row : kAttributes) {
        if (wcscmp(name, row.name) == 0) {
            row.apply(*this, value);
            return;
        }
    }
}

void CControlUI::ApplyAttributeString(const wchar_t* text) {
    if (!text) {
        return;
    }
    const wchar_t* cursor = text;
    for (;;) {
        while (IsSkippedBeforeName(*cursor)) {
            ++cursor;
        }
        const wchar_t* nameStart = cursor;
        while (*cursor != 0 && *cursor != L'=') {
            ++cursor;
        }
        if (*cursor != L'=' || cursor[1] != L'"') {
            return;
        }
        const CWideString name(nameStart, static_cast<int>(cursor - nameStart));
        cursor += 2;
        const wchar_t* valueStart = cursor;
        while (*cursor != 0 && *cursor != L'"') {
            ++cursor;
        }
        if (*cursor != L'"') {
            return;
        }
        const CWideString value(valueStart, static_cast<int>(cursor - valueStart));
        ApplyAttribute(name.Text(), value.Text());
        ++cursor;
        if (*cursor != L' ') {
            return;
        }
        ++cursor;
    }
}

}  // namespace TavikUI
