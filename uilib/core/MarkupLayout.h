// The layout behind CGdiRenderer::DrawMarkupText: lays marked-up text out
// line by line in the fonts, colours and images its tags ask for, measuring
// each line before drawing it so that runs of different fonts sit on one
// bottom line, and reports where its links landed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "MarkupTags.h"
#include "UIRect.h"
#include "WideString.h"

namespace TavikUI {

class CWindowManager;
struct FontRecord;

// The caller's link arrays. Every write is checked against the capacity, so
// a text with more links than the arrays hold never writes past them.
class CMarkupLinkTable {
public:
    // Null arrays or a negative capacity hold nothing.
    CMarkupLinkTable(CUIRect* rects, CWideString* texts, int capacity);

    // The first rectangle of the previous layout that holds the point gives
    // its text; false when none does.
    bool FindTextAt(POINT point, std::wstring& text) const;
    void SetText(int index, const std::wstring& text);
    void SetRect(int index, const RECT& rect);
    // Moves the rectangles [first, end) onto the final line box.
    void FitToLine(int first, int end, int top, int bottom, int offset);
    // How many of `laidOut` links the arrays hold.
    int StoredCount(int laidOut) const;

private:
    bool Holds(int index) const { return index >= 0 && index < capacity_; }

    CUIRect* rects_;
    CWideString* texts_;
    int capacity_;
};

class CMarkupLayout {
public:
    // Measures only when `style` has DT_CALCRECT.
    CMarkupLayout(HDC dc, CWindowManager* manager, const RECT& rect, const wchar_t* text, DWORD color,
                  CMarkupLinkTable& links, UINT style);
    CMarkupLayout(const CMarkupLayout&) = delete;
    CMarkupLayout& operator=(const CMarkupLayout&) = delete;

    // Lays the text out (drawing unless measuring) and answers the rectangle
    // reached: the given left and top, the largest x reached (not beyond the
    // given right edge) and the bottom of the last line or taller image.
    RECT Run();
    // Links laid out (stored or not).
    int LinkCount() const { return state_.linkIndex; }

private:
    // Everything a line changes that its second pass must start from again.
    struct State {
        size_t position = 0;
        std::vector<FontRecord*> fonts;
        std::vector<DWORD> colors;
        std::vector<int> spacings;
        bool raw = false;
        bool selected = false;
        // "a" tags whose closing tag is still to come.
        int openLinkTags = 0;
        bool linkOpen = false;
        int linkIndex = 0;
        int linkStartX = 0;
        std::wstring linkText;
    };

    // One pass over one line.
    struct Line {
        bool drawing = false;
        int top = 0;
        int height = 0;
        // Added to every x drawn (multi-line centring and right alignment).
        int offset = 0;
        int x = 0;
        bool empty = true;
        int imageBottom = 0;
    };

    enum class LineEnd { Break, EndOfText };

    LineEnd LayOutLine(Line& line);
    // Handles the token; true when it ends the line.
    bool PlaceRun(Line& line, const wchar_t* chars, size_t count, size_t consumedWhenPlaced);
    bool PlaceBlank(Line& line);
    bool OpenTag(Line& line, const MarkupToken& token);
    bool CloseTag(Line& line, const MarkupToken& token);
    bool PlaceImage(Line& line, const std::wstring& argument, size_t tagLength);

    void StartLink(Line& line, const std::wstring& text);
    void EndLink(Line& line);
    void CarryLinkOverLineEnd(Line& line, bool continues);

    FontRecord* CurrentFont() const { return state_.fonts.back(); }
    int CurrentSpacing() const { return state_.spacings.back(); }
    // The current font with the style added (the same font when it has it).
    FontRecord* FontVariant(bool bold, bool underline, bool italic);
    FontRecord* FontFor(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    void PopFont(Line& line);
    // Grows the measured line to hold the current font.
    void NoteFontOnLine(Line& line);
    int RunTop(const Line& line) const;
    void PrepareDC();
    int TextWidth(const wchar_t* chars, int count);
    void DrawChars(const Line& line, int x, const wchar_t* chars, int count);
    int AlignmentOffset(int lineEndX) const;

    HDC dc_;
    CWindowManager* manager_;
    RECT rect_;
    const wchar_t* text_;
    CMarkupLinkTable& links_;
    UINT style_;
    bool measuring_;
    bool hoverFound_ = false;
    std::wstring hoverText_;
    State state_;
    // First link index stored during the current line's measuring pass.
    int lineFirstLink_ = 0;
};

}  // namespace TavikUI
