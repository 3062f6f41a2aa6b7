#include "ComboBoxUI.h"

#include <cwchar>

namespace TavikUI {
namespace {

const wchar_t kSourceKey[] = L"source";
// Where the search for the value's opening quote starts, from "source".
const int kQuoteSearchOffset = 7;

}  // namespace

const wchar_t* CComboBoxUI::ClassName() const { return L"ComboBoxUI"; }

void CComboBoxUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"arrowimage") == 0) {
        arrowImage_.AssignText(value);
        return;
    }
    CComboUI::ApplyAttribute(name, value);
}

int CComboBoxUI::ArrowFrame() const {
    if (state_ & kDisabled) {
        return 4;
    }
    if (state_ & kPushed) {
        return 2;
    }
    if (state_ & kHot) {
        return 1;
    }
    if (state_ & kFocused) {
        return 3;
    }
    return 0;
}

bool CComboBoxUI::ArrowModifier(int frame, CWideString& modifier) {
    modifier = arrowImage_;
    const int source = modifier.Find(kSourceKey);
    // The quote search starts inside the description or not at all.
    if (source < 0 || source + kQuoteSearchOffset > modifier.Length()) {
        return false;
    }
    const int open = modifier.FindChar(L'\'', source + kQuoteSearchOffset);
    if (open < 0) {
        return false;
    }
    const int close = modifier.FindChar(L'\'', open + 1);
    if (close < 0) {
        return false;
    }
    CUIRect strip = ReadRectText(modifier.Text() + open + 1);
    const int frameWidth = (strip.right - strip.left) / kArrowFrames;
    strip.left += frameWidth * frame;
    strip.right = strip.left + frameWidth;
    arrowWidth_ = frameWidth;

    const int border = BorderThickness();
    CUIRect dest(border, border, Width() - border, Height() - border);
    dest.left = dest.right - arrowWidth_;

    CWideString replacement;
    replacement.FormatText(L"source='%d,%d,%d,%d' dest='%d,%d,%d,%d'", static_cast<int>(strip.left),
                           static_cast<int>(strip.top), static_cast<int>(strip.right), static_cast<int>(strip.bottom),
                           static_cast<int>(dest.left), static_cast<int>(dest.top), static_cast<int>(dest.right),
                           static_cast<int>(dest.bottom));
    CWideString edited = modifier.Left(source);
    edited.AppendString(replacement);
    edited.AppendString(modifier.Mid(close + 1));
    modifier = edited;
    return true;
}

void CComboBoxUI::PaintStateImages(HDC dc) {
    if (arrowImage_.IsEmpty()) {
        CComboUI::PaintStateImages(dc);
        return;
    }
    RefreshStateBits();
    CWideString modifier;
    if (!ArrowModifier(ArrowFrame(), modifier)) {
        return;
    }
    if (!DrawImageInRect(dc, arrowImage_.Text(), modifier.Text())) {
        arrowImage_.Clear();
    }
}

void CComboBoxUI::PaintTextPart(HDC dc) {
    const CUIRect padding = TextPadding();
    const RECT textRect = {rect_.left + padding.left, rect_.top + padding.top,
                           rect_.right - padding.right - arrowWidth_, rect_.bottom - padding.bottom};
    PaintSelectedRow(dc, textRect);
}

}  // namespace TavikUI
