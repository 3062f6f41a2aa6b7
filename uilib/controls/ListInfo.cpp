#include "ListInterfaces.h"

#include <cwchar>

#include "ControlValueText.h"

namespace TavikUI {
namespace {

struct ColorRow {
    const wchar_t* name;
    DWORD CListInfo::*field;
};

const ColorRow kColorRows[] = {
    {L"itemtextcolor", &CListInfo::textColor},
    {L"itembkcolor", &CListInfo::bkColor},
    {L"itemselectedtextcolor", &CListInfo::selectedTextColor},
    {L"itemselectedbkcolor", &CListInfo::selectedBkColor},
    {L"itemhottextcolor", &CListInfo::hotTextColor},
    {L"itemhotbkcolor", &CListInfo::hotBkColor},
    {L"itemdisabledtextcolor", &CListInfo::disabledTextColor},
    {L"itemdisabledbkcolor", &CListInfo::disabledBkColor},
    {L"itemlinecolor", &CListInfo::lineColor},
};

struct ImageRow {
    const wchar_t* name;
    CWideString CListInfo::*field;
};

const ImageRow kImageRows[] = {
    {L"itembkimage", &CListInfo::bkImage},
    {L"itemselectedimage", &CListInfo::selectedImage},
    {L"itemhotimage", &CListInfo::hotImage},
    {L"itemdisabledimage", &CListInfo::disabledImage},
};

}  // namespace

UINT ApplyHorizontalAlignWords(UINT style, const wchar_t* value) {
    if (wcsstr(value, L"left")) {
        style &= ~(DT_CENTER | DT_RIGHT);
    }
    if (wcsstr(value, L"center")) {
        style = (style & ~DT_RIGHT) | DT_CENTER;
    }
    if (wcsstr(value, L"right")) {
        style = (style & ~DT_CENTER) | DT_RIGHT;
    }
    return style;
}

ItemStyleChange ApplyItemStyleAttribute(CListInfo& info, const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return ItemStyleChange::kUnknown;
    }
    for (const ColorRow& row : kColorRows) {
        if (wcscmp(name, row.name) == 0) {
            info.*row.field = ReadHexColor(value);
            return ItemStyleChange::kRepaint;
        }
    }
    for (const ImageRow& row : kImageRows) {
        if (wcscmp(name, row.name) == 0) {
            (info.*row.field).AssignText(value);
            return ItemStyleChange::kRepaint;
        }
    }
    if (wcscmp(name, L"itemfont") == 0) {
        info.font = ReadDecimal(value);
        return ItemStyleChange::kStored;
    }
    if (wcscmp(name, L"itemalign") == 0) {
        info.textStyle = ApplyHorizontalAlignWords(info.textStyle, value);
        return ItemStyleChange::kStored;
    }
    if (wcscmp(name, L"itemtextpadding") == 0) {
        info.textPadding = ReadRectText(value);
        return ItemStyleChange::kRelayout;
    }
    if (wcscmp(name, L"itemaltbk") == 0) {
        info.alternateBk = IsTrueText(value);
        return ItemStyleChange::kRepaint;
    }
    if (wcscmp(name, L"itemshowhtml") == 0) {
        const bool show = IsTrueText(value);
        if (show == info.showMarkup) {
            return ItemStyleChange::kStored;
        }
        info.showMarkup = show;
        return ItemStyleChange::kRelayout;
    }
    return ItemStyleChange::kUnknown;
}

}  // namespace TavikUI
