#include "ProgressUI.h"

#include <cwchar>

#include "ControlValueText.h"

namespace TavikUI {
namespace {

const UINT kProgressTextStyle = DT_CENTER | DT_SINGLELINE;
const int kProgressHeight = 12;
// A bar whose maximum is not above its minimum paints as if it were one above.
const int32_t kProgressSpan = 1;

}  // namespace

CProgressUI::CProgressUI() : horizontal_(true), stretchFore_(true), maximum_(100), minimum_(0), value_(0) {
    SetTextStyle(kProgressTextStyle);
    StoreDeclaredHeight(kProgressHeight);
}

const wchar_t* CProgressUI::ClassName() const { return L"ProgressUI"; }

void* CProgressUI::InterfaceByName(const wchar_t* name) {
    if (name && wcscmp(name, L"Progress") == 0) {
        return this;
    }
    return CLabelUI::InterfaceByName(name);
}

void CProgressUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"foreimage") == 0) {
        SetForeImage(value);
    } else if (wcscmp(name, L"hor") == 0) {
        SetHorizontal(IsTrueText(value));
    } else if (wcscmp(name, L"min") == 0) {
        SetMinValue(ReadDecimal(value));
    } else if (wcscmp(name, L"max") == 0) {
        SetMaxValue(ReadDecimal(value));
    } else if (wcscmp(name, L"value") == 0) {
        SetCurrentValue(ReadDecimal(value));
    } else if (wcscmp(name, L"isstretchfore") == 0) {
        SetStretchFore(IsTrueText(value));
    } else {
        CLabelUI::ApplyAttribute(name, value);
    }
}

void CProgressUI::PaintStateImages(HDC dc) {
    const ProgressRange range = MakeRangeUsable(kProgressSpan);
    if (foreImage_.IsEmpty()) {
        return;
    }
    const RECT fill = ProgressFillRect(range, Width(), Height(), horizontal_);
    CWideString modifier;
    if (stretchFore_) {
        modifier.FormatText(L"dest='%d,%d,%d,%d'", fill.left, fill.top, fill.right, fill.bottom);
    } else {
        modifier.FormatText(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", fill.left, fill.top, fill.right, fill.bottom,
                            fill.left, fill.top, fill.right, fill.bottom);
    }
    if (!DrawImageInRect(dc, foreImage_.Text(), modifier.Text())) {
        foreImage_.Clear();
    }
}

void CProgressUI::SetHorizontal(bool horizontal) {
    if (horizontal_ == horizontal) {
        return;
    }
    horizontal_ = horizontal;
    InvalidateVisibleRect();
}

void CProgressUI::SetStretchFore(bool stretch) {
    if (stretchFore_ == stretch) {
        return;
    }
    stretchFore_ = stretch;
    InvalidateVisibleRect();
}

void CProgressUI::SetMinValue(int value) {
    minimum_ = value;
    InvalidateVisibleRect();
}

void CProgressUI::SetMaxValue(int value) {
    maximum_ = value;
    InvalidateVisibleRect();
}

void CProgressUI::SetCurrentValue(int value) {
    if (value == value_ || value < minimum_ || value > maximum_) {
        return;
    }
    value_ = value;
    InvalidateVisibleRect();
}

void CProgressUI::SetForeImage(const wchar_t* description) {
    if (foreImage_.Equals(description)) {
        return;
    }
    StoreImage(foreImage_, description);
}

ProgressRange CProgressUI::MakeRangeUsable(int32_t span) {
    const ProgressRange range = UsableProgressRange(ProgressRange{minimum_, maximum_, value_}, span);
    minimum_ = range.minimum;
    maximum_ = range.maximum;
    value_ = range.value;
    return range;
}

}  // namespace TavikUI
