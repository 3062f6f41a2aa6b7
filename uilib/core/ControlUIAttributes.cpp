// The base control's attribute table and the reader of attribute strings
// (name="value" pairs).
#include <cwchar>

#include "ControlUI.h"
#include "ControlValueText.h"

namespace TavikUI {
namespace {

// Background colours may stand after leading blanks.
DWORD ReadBackgroundColor(const wchar_t* value) {
    while (*value == L' ' || *value == L'\t') {
        ++value;
    }
    return ReadHexColor(value);
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
        control.SetBorderThickness(ReadDecimal(value));
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
    {L"bkcolor", [](CControlUI& c, const wchar_t* v) { c.SetBackgroundColor(ReadBackgroundColor(v)); }},
    {L"bkcolor1", [](CControlUI& c, const wchar_t* v) { c.SetBackgroundColor(ReadBackgroundColor(v)); }},
    {L"bkcolor2", [](CControlUI& c, const wchar_t* v) { c.SetBackgroundColor2(ReadBackgroundColor(v)); }},
    {L"bkcolor3", [](CControlUI& c, const wchar_t* v) { c.SetBackgroundColor3(ReadBackgroundColor(v)); }},
    {L"bordercolor", [](CControlUI& c, const wchar_t* v) { c.SetBorderColor(ReadHexColor(v)); }},
    {L"focusbordercolor", [](CControlUI& c, const wchar_t* v) { c.SetFocusBorderColor(ReadHexColor(v)); }},
    {L"colorhsl", [](CControlUI& c, const wchar_t* v) { c.SetColorHsl(IsTrueText(v)); }},
    {L"bordersize", ApplyBorderSize},
    {L"leftbordersize", [](CControlUI& c, const wchar_t* v) { c.SetLeftBorderWidth(ReadDecimal(v)); }},
    {L"topbordersize", [](CControlUI& c, const wchar_t* v) { c.SetTopBorderWidth(ReadDecimal(v)); }},
    {L"rightbordersize", [](CControlUI& c, const wchar_t* v) { c.SetRightBorderWidth(ReadDecimal(v)); }},
    {L"bottombordersize", [](CControlUI& c, const wchar_t* v) { c.SetBottomBorderWidth(ReadDecimal(v)); }},
    {L"borderstyle", [](CControlUI& c, const wchar_t* v) { c.SetBorderStyle(ReadDecimal(v)); }},
    {L"borderround", [](CControlUI& c, const wchar_t* v) { c.SetBorderRounding(ReadSizeText(v)); }},
    {L"bkimage", [](CControlUI& c, const wchar_t* v) { c.SetBackgroundImage(v); }},
    {L"width", [](CControlUI& c, const wchar_t* v) { c.SetDeclaredWidth(ReadDecimal(v)); }},
    {L"height", [](CControlUI& c, const wchar_t* v) { c.SetDeclaredHeight(ReadDecimal(v)); }},
    {L"minwidth", [](CControlUI& c, const wchar_t* v) { c.SetMinWidth(ReadDecimal(v)); }},
    {L"minheight", [](CControlUI& c, const wchar_t* v) { c.SetMinHeight(ReadDecimal(v)); }},
    {L"maxwidth", [](CControlUI& c, const wchar_t* v) { c.SetMaxWidth(ReadDecimal(v)); }},
    {L"maxheight", [](CControlUI& c, const wchar_t* v) { c.SetMaxHeight(ReadDecimal(v)); }},
    {L"name", [](CControlUI& c, const wchar_t* v) { c.SetName(v); }},
    {L"text", [](CControlUI& c, const wchar_t* v) { c.SetText(v); }},
    {L"tooltip", [](CControlUI& c, const wchar_t* v) { c.SetToolTip(v); }},
    {L"userdata", [](CControlUI& c, const wchar_t* v) { c.SetUserData(v); }},
    {L"enabled", [](CControlUI& c, const wchar_t* v) { c.SetEnabledState(IsTrueText(v)); }},
    {L"mouse", [](CControlUI& c, const wchar_t* v) { c.SetAcceptsMouse(IsTrueText(v)); }},
    {L"keyboard", [](CControlUI& c, const wchar_t* v) { c.SetAcceptsKeyboard(IsTrueText(v)); }},
    {L"visible", [](CControlUI& c, const wchar_t* v) { c.ShowOrHide(IsTrueText(v)); }},
    {L"float", [](CControlUI& c, const wchar_t* v) { c.SetFloating(IsTrueText(v)); }},
    {L"menu", [](CControlUI& c, const wchar_t* v) { c.SetContextMenu(IsTrueText(v)); }},
    {L"wanttab", [](CControlUI& c, const wchar_t* v) { c.SetWantsTab(IsTrueText(v)); }},
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
