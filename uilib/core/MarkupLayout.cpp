#include "MarkupLayout.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "ColorChannels.h"
#include "GdiRenderer.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

bool IsAsciiLetter(wchar_t character) {
    return (character >= L'a' && character <= L'z') || (character >= L'A' && character <= L'Z');
}

bool IsAllBlank(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t character) { return character <= L' '; });
}

int AddSaturating(int value, int amount) { return value > INT_MAX - amount ? INT_MAX : value + amount; }

const wchar_t kEllipsis[] = L"...";
const RECT kNoCorners = {0, 0, 0, 0};

}  // namespace

// --- Link table ------------------------------------------------------------------

CMarkupLinkTable::CMarkupLinkTable(CUIRect* rects, CWideString* texts, int capacity)
    : rects_(rects), texts_(texts), capacity_(rects && texts && capacity > 0 ? capacity : 0) {}

bool CMarkupLinkTable::FindTextAt(POINT point, std::wstring& text) const {
    for (int i = 0; i < capacity_; ++i) {
        if (PtInRect(&rects_[i], point)) {
            text = texts_[i].Text();
            return true;
        }
    }
    return false;
}

void CMarkupLinkTable::SetText(int index, const std::wstring& text) {
    if (Holds(index)) {
        texts_[index].AssignText(text.c_str());
    }
}

void CMarkupLinkTable::SetRect(int index, const RECT& rect) {
    if (Holds(index)) {
        rects_[index] = rect;
    }
}

void CMarkupLinkTable::FitToLine(int first, int end, int top, int bottom, int offset) {
    for (int i = std::max(first, 0); i < std::min(end, capacity_); ++i) {
        rects_[i].top = top;
        rects_[i].bottom = bottom;
        rects_[i].Offset(offset, 0);
    }
}

int CMarkupLinkTable::StoredCount(int laidOut) const { return std::max(0, std::min(laidOut, capacity_)); }

// --- Layout --------------------------------------------------------------------------

CMarkupLayout::CMarkupLayout(HDC dc, CWindowManager* manager, const RECT& rect, const wchar_t* text, DWORD color,
                             CMarkupLinkTable& links, UINT style)
    : dc_(dc),
      manager_(manager),
      rect_(rect),
      text_(text),
      links_(links),
      style_(style),
      measuring_((style & DT_CALCRECT) != 0) {
    state_.fonts.push_back(manager_->DefaultFontRecord());
    state_.colors.push_back(color);
    state_.spacings.push_back(0);
    hoverFound_ = links_.FindTextAt(manager_->MousePoint(), hoverText_);
}

RECT CMarkupLayout::Run() {
    HGDIOBJ oldFont = GetCurrentObject(dc_, OBJ_FONT);
    const COLORREF oldTextColor = GetTextColor(dc_);
    const COLORREF oldBackground = SetBkColor(dc_, ToColorRef(manager_->SelectedBackgroundColor()));
    const int oldMode = SetBkMode(dc_, TRANSPARENT);

    const bool singleLine = (style_ & DT_SINGLELINE) != 0;
    int top = rect_.top;
    RECT reached = {rect_.left, rect_.top, rect_.left, rect_.top};
    while (text_[state_.position] != 0) {
        if (!measuring_ && top >= rect_.bottom) {
            break;
        }
        // First pass: where the line ends and how high it is. Its state
        // changes are made again by the drawing pass.
        const State lineStart = state_;
        Line line;
        line.top = top;
        line.x = rect_.left;
        NoteFontOnLine(line);
        lineFirstLink_ = state_.linkIndex;
        const LineEnd end = LayOutLine(line);
        const int offset = AlignmentOffset(line.x);
        links_.FitToLine(lineFirstLink_, state_.linkIndex, top, top + line.height, offset);
        reached.right = std::max<LONG>(reached.right, line.x);
        reached.bottom = std::max(top + line.height, line.imageBottom);
        if (!measuring_) {
            state_ = lineStart;
            Line drawn;
            drawn.drawing = true;
            drawn.top = top;
            drawn.height = line.height;
            drawn.offset = offset;
            drawn.x = rect_.left;
            LayOutLine(drawn);
        }
        top = AddSaturating(top, line.height);
        if (end == LineEnd::EndOfText || singleLine) {
            break;
        }
    }
    reached.right = std::min(reached.right, rect_.right);

    SelectObject(dc_, oldFont);
    SetTextColor(dc_, oldTextColor);
    SetBkColor(dc_, oldBackground);
    SetBkMode(dc_, oldMode);
    return reached;
}

CMarkupLayout::LineEnd CMarkupLayout::LayOutLine(Line& line) {
    for (;;) {
        const wchar_t* at = text_ + state_.position;
        const MarkupToken token = ReadMarkupToken(at, state_.raw);
        bool ends = false;
        switch (token.kind) {
        case MarkupTokenKind::End:
            CarryLinkOverLineEnd(line, false);
            return LineEnd::EndOfText;
        case MarkupTokenKind::NewLine:
            state_.position += token.length;
            ends = true;
            break;
        case MarkupTokenKind::Blank:
            ends = PlaceBlank(line);
            break;
        case MarkupTokenKind::Run:
            ends = PlaceRun(line, at, token.length, token.length);
            break;
        case MarkupTokenKind::Escape:
            ends = PlaceRun(line, at + 1, 1, token.length);
            break;
        case MarkupTokenKind::OpenTag:
            ends = OpenTag(line, token);
            break;
        case MarkupTokenKind::CloseTag:
            ends = CloseTag(line, token);
            break;
        }
        if (ends) {
            CarryLinkOverLineEnd(line, true);
            return LineEnd::Break;
        }
    }
}

bool CMarkupLayout::PlaceRun(Line& line, const wchar_t* chars, size_t count, size_t consumedWhenPlaced) {
    PrepareDC();
    NoteFontOnLine(line);
    const int length = static_cast<int>(std::min<size_t>(count, INT_MAX));
    const int available = std::max(0, static_cast<int>(rect_.right) - line.x);
    std::vector<int> extents(static_cast<size_t>(length), 0);
    int fit = 0;
    SIZE size = {0, 0};
    if (!GetTextExtentExPointW(dc_, chars, length, available, &fit, extents.data(), &size)) {
        fit = 0;
        size.cx = 0;
    }
    fit = std::min(std::max(fit, 0), length);
    if (fit >= length) {
        DrawChars(line, line.x, chars, length);
        line.x += size.cx;
        line.empty = false;
        state_.position += consumedWhenPlaced;
        return false;
    }
    auto widthOf = [&](int n) { return n > 0 ? extents[static_cast<size_t>(n - 1)] : 0; };

    if (style_ & DT_END_ELLIPSIS) {
        // Characters are dropped until the ellipsis fits; the rest of the run
        // is not shown and the line ends at the right edge.
        const int ellipsis = TextWidth(kEllipsis, 3);
        int keep = std::max(fit - 1, 0);
        while (keep > 0 && widthOf(keep) + ellipsis > available) {
            --keep;
        }
        DrawChars(line, line.x, chars, keep);
        DrawChars(line, line.x + widthOf(keep), kEllipsis, 3);
        line.x = std::max(line.x, static_cast<int>(rect_.right));
        line.empty = false;
        state_.position += consumedWhenPlaced;
        return true;
    }

    int cut = fit;
    int skip = 0;
    if (style_ & DT_WORDBREAK) {
        // After the last character that is not a letter, or at the last
        // blank (which is dropped): the first character that does not fit may
        // be that blank.
        cut = 0;
        for (int k = fit; k >= 0; --k) {
            if (chars[k] == L' ') {
                cut = k;
                skip = 1;
                break;
            }
            if (k < fit && !IsAsciiLetter(chars[k])) {
                cut = k + 1;
                break;
            }
        }
    }
    int width = widthOf(cut);
    if (cut == 0 && skip == 0) {
        if (!line.empty) {
            // The whole run starts the next line.
            return true;
        }
        // Alone on its line: cut where it stops fitting, at least one
        // character, so that every line makes progress.
        cut = std::max(fit, 1);
        width = fit > 0 ? widthOf(fit) : TextWidth(chars, 1);
    }
    DrawChars(line, line.x, chars, cut);
    line.x += width;
    line.empty = false;
    const int consumed = cut + skip;
    state_.position += consumed >= length ? consumedWhenPlaced : static_cast<size_t>(consumed);
    return true;
}

bool CMarkupLayout::PlaceBlank(Line& line) {
    PrepareDC();
    NoteFontOnLine(line);
    const int width = TextWidth(L" ", 1);
    state_.position += 1;
    if (!line.empty && line.x + width > rect_.right) {
        // A blank that would start past the edge ends the line and is dropped.
        return true;
    }
    DrawChars(line, line.x, L" ", 1);
    line.x += width;
    line.empty = false;
    return false;
}

bool CMarkupLayout::OpenTag(Line& line, const MarkupToken& token) {
    const std::wstring argument(token.argument, token.argumentLength);
    switch (token.letter) {
    case L'a':
        StartLink(line, argument);
        break;
    case L'b':
        state_.fonts.push_back(FontVariant(true, false, false));
        break;
    case L'c':
        state_.colors.push_back(ReadMarkupColor(argument));
        break;
    case L'f': {
        const size_t first = argument.find_first_not_of(L' ');
        if (first == std::wstring::npos) {
            state_.fonts.push_back(CurrentFont());
        } else if (argument[first] >= L'0' && argument[first] <= L'9') {
            state_.fonts.push_back(manager_->FontRecordAt(ReadMarkupPixels(argument)));
        } else {
            const MarkupFontArgument font = ReadMarkupFontArgument(argument);
            state_.fonts.push_back(FontFor(font.face.c_str(), font.size, font.bold, font.underline, font.italic));
        }
        break;
    }
    case L'i':
        if (!IsAllBlank(argument)) {
            return PlaceImage(line, argument, token.length);
        }
        state_.fonts.push_back(FontVariant(false, false, true));
        break;
    case L'n':
        state_.position += token.length;
        return (style_ & DT_SINGLELINE) == 0;
    case L'p':
        state_.spacings.push_back(ReadMarkupPixels(argument));
        state_.position += token.length;
        return !line.empty;
    case L'r':
        state_.raw = true;
        break;
    case L's':
        state_.selected = !state_.selected;
        break;
    case L'u':
        state_.fonts.push_back(FontVariant(false, true, false));
        break;
    case L'x':
        line.x = std::min(line.x + ReadMarkupPixels(argument), std::max(line.x, static_cast<int>(rect_.right)));
        break;
    case L'y':
        if (!line.drawing) {
            line.height = ReadMarkupPixels(argument);
        }
        break;
    default:
        break;
    }
    state_.position += token.length;
    return false;
}

bool CMarkupLayout::CloseTag(Line& line, const MarkupToken& token) {
    state_.position += token.length;
    switch (token.letter) {
    case L'a':
        // A closing tag without its opening one has nothing to end.
        if (state_.openLinkTags == 0) {
            break;
        }
        --state_.openLinkTags;
        if (state_.linkOpen) {
            EndLink(line);
        }
        if (state_.colors.size() > 1) {
            state_.colors.pop_back();
        }
        PopFont(line);
        break;
    case L'b':
    case L'f':
    case L'i':
    case L'u':
        PopFont(line);
        break;
    case L'c':
        if (state_.colors.size() > 1) {
            state_.colors.pop_back();
        }
        break;
    case L'p':
        if (state_.spacings.size() > 1) {
            state_.spacings.pop_back();
        }
        return !line.empty;
    case L'r':
        state_.raw = false;
        break;
    case L's':
        state_.selected = !state_.selected;
        break;
    default:
        break;
    }
    return false;
}

bool CMarkupLayout::PlaceImage(Line& line, const std::wstring& argument, size_t tagLength) {
    const MarkupImageArgument image = ReadMarkupImageArgument(argument);
    ImageRecord* record = image.name.empty()
                              ? nullptr
                              : manager_->ImageOrAdd(image.name.c_str(),
                                                     image.resourceType.empty() ? nullptr : image.resourceType.c_str());
    if (!record || !record->bitmap) {
        // A missing image draws nothing; the text goes on.
        state_.position += tagLength;
        return false;
    }
    const int stripWidth = record->width / image.strips;
    const int height = record->height;
    if (!line.empty && (style_ & DT_SINGLELINE) == 0 && line.x + stripWidth > rect_.right) {
        // Read again at the start of the next line.
        return true;
    }
    if (!line.drawing) {
        line.height = std::max(line.height, height);
    } else {
        const int y = height < line.height ? line.top + (line.height - height) / 2 : line.top;
        const RECT destination = {line.x + line.offset, y, line.x + line.offset + stripWidth, y + height};
        const RECT source = {image.strip * stripWidth, 0, (image.strip + 1) * stripWidth, height};
        CGdiRenderer::DrawImageRect(dc_, record->bitmap, destination, rect_, source, kNoCorners, record->hasAlpha, 255,
                                    false, false, false);
    }
    line.imageBottom = std::max(line.imageBottom, line.top + height);
    line.x += stripWidth;
    line.empty = false;
    state_.position += tagLength;
    return false;
}

void CMarkupLayout::StartLink(Line& line, const std::wstring& text) {
    if (state_.linkOpen) {
        EndLink(line);
    }
    ++state_.openLinkTags;
    state_.linkOpen = true;
    state_.linkStartX = line.x;
    state_.linkText = text;
    if (!line.drawing) {
        links_.SetText(state_.linkIndex, text);
    }
    const bool hovered = hoverFound_ && text == hoverText_;
    state_.colors.push_back(hovered ? manager_->LinkHoverTextColor() : manager_->LinkTextColor());
    state_.fonts.push_back(FontVariant(false, true, false));
}

void CMarkupLayout::EndLink(Line& line) {
    if (!line.drawing) {
        links_.SetRect(state_.linkIndex, RECT{state_.linkStartX, line.top, line.x, line.top + line.height});
    }
    ++state_.linkIndex;
    state_.linkOpen = false;
}

void CMarkupLayout::CarryLinkOverLineEnd(Line& line, bool continues) {
    if (!state_.linkOpen) {
        return;
    }
    // The part on this line gets its own rectangle; the link goes on at the
    // next index with the same text.
    EndLink(line);
    if (continues) {
        state_.linkOpen = true;
        state_.linkStartX = rect_.left;
        if (!line.drawing) {
            links_.SetText(state_.linkIndex, state_.linkText);
        }
    }
}

FontRecord* CMarkupLayout::FontVariant(bool bold, bool underline, bool italic) {
    FontRecord* current = CurrentFont();
    const bool wantBold = current->bold || bold;
    const bool wantUnderline = current->underline || underline;
    const bool wantItalic = current->italic || italic;
    if (wantBold == current->bold && wantUnderline == current->underline && wantItalic == current->italic) {
        // Pushed again, so that the closing tag pops what its opening pushed.
        return current;
    }
    return FontFor(current->faceName.Text(), current->size, wantBold, wantUnderline, wantItalic);
}

FontRecord* CMarkupLayout::FontFor(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    HFONT font = manager_->FindFont(face, size, bold, underline, italic);
    if (!font) {
        font = manager_->AddFont(face, size, bold, underline, italic);
    }
    return font ? manager_->FontRecordOf(font) : manager_->DefaultFontRecord();
}

void CMarkupLayout::PopFont(Line& line) {
    if (state_.fonts.size() <= 1) {
        return;
    }
    FontRecord* leaving = state_.fonts.back();
    state_.fonts.pop_back();
    if (leaving->italic && !CurrentFont()->italic && leaving->font) {
        // Leaves room for the italic overhang.
        HGDIOBJ old = SelectObject(dc_, leaving->font);
        ABC blank = {};
        if (GetCharABCWidthsW(dc_, L' ', L' ', &blank)) {
            line.x += std::abs(blank.abcC) / 2;
        }
        SelectObject(dc_, old);
    }
}

void CMarkupLayout::NoteFontOnLine(Line& line) {
    if (line.drawing) {
        return;
    }
    const TEXTMETRICW& metrics = CurrentFont()->metrics;
    line.height =
        std::max(line.height, CurrentSpacing() + static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading));
}

int CMarkupLayout::RunTop(const Line& line) const {
    const TEXTMETRICW& metrics = CurrentFont()->metrics;
    return line.top + line.height - static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading);
}

void CMarkupLayout::PrepareDC() {
    if (CurrentFont()->font) {
        SelectObject(dc_, CurrentFont()->font);
    }
}

int CMarkupLayout::TextWidth(const wchar_t* chars, int count) {
    SIZE size = {0, 0};
    PrepareDC();
    GetTextExtentPoint32W(dc_, chars, count, &size);
    return size.cx;
}

void CMarkupLayout::DrawChars(const Line& line, int x, const wchar_t* chars, int count) {
    if (!line.drawing || count <= 0) {
        return;
    }
    PrepareDC();
    SetTextColor(dc_, ToColorRef(state_.colors.back()));
    SetBkMode(dc_, state_.selected ? OPAQUE : TRANSPARENT);
    TextOutW(dc_, x + line.offset, RunTop(line), chars, count);
}

int CMarkupLayout::AlignmentOffset(int lineEndX) const {
    if (measuring_ || (style_ & DT_SINGLELINE)) {
        return 0;
    }
    const int room = std::max(0, static_cast<int>(rect_.right) - lineEndX);
    if (style_ & DT_CENTER) {
        return room / 2;
    }
    if (style_ & DT_RIGHT) {
        return room;
    }
    return 0;
}

}  // namespace TavikUI
