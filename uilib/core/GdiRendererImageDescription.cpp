// The image-description language: an image name, or key='value' pairs that
// name images and say where and how to draw them.
#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>

#include "ControlValueText.h"
#include "GdiRenderer.h"
#include "KeyValueText.h"
#include "UIRect.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

LONG ClampToLong(int64_t value) {
    return static_cast<LONG>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, value)));
}

// Walks the strings of one description, setting up the drawing state and
// drawing each image the keys ask for.
class DescriptionPainter {
public:
    DescriptionPainter(HDC dc, CWindowManager* manager, const RECT& control, const RECT& paint,
                       const wchar_t* description)
        : dc_(dc), manager_(manager), control_(control), paint_(paint), name_(description) {
        state_.destination = control;
    }

    // One string: "key = 'value'" pairs separated by blanks. A text that is
    // no pair ends the string, as does anything but a blank after a closing
    // apostrophe.
    void Parse(const wchar_t* text) {
        drawCount_ = 0;
        const std::wstring pairs(text);
        size_t position = 0;
        std::wstring key;
        std::wstring value;
        while (ReadKeyValuePair(pairs, position, key, value)) {
            if (!value.empty()) {
                Apply(CWideString(key.c_str()), CWideString(value.c_str()));
            }
            if (position >= pairs.size() || !IsDescriptionBlank(pairs[position])) {
                return;
            }
        }
    }

    // Draws with the final state; true when any image of the description was
    // drawn.
    bool Finish() {
        DrawSoFar();
        return drewAny_;
    }

private:
    void Apply(const CWideString& key, const CWideString& value) {
        const wchar_t* v = value.Text();
        if (key.Equals(L"file")) {
            DrawWhenCounted();
            name_ = value;
            ++drawCount_;
        } else if (key.Equals(L"res")) {
            DrawWhenCounted();
            name_ = value;
        } else if (key.Equals(L"restype")) {
            DrawWhenCounted();
            type_ = value;
            ++drawCount_;
        } else if (key.Equals(L"dest")) {
            const CUIRect edges = ReadRectText(v);
            state_.destination =
                RECT{ClampToLong(int64_t(control_.left) + edges.left), ClampToLong(int64_t(control_.top) + edges.top),
                     ClampToLong(std::min<int64_t>(control_.right, int64_t(control_.left) + edges.right)),
                     ClampToLong(std::min<int64_t>(control_.bottom, int64_t(control_.top) + edges.bottom))};
        } else if (key.Equals(L"source")) {
            state_.source = ReadRectText(v);
        } else if (key.Equals(L"corner")) {
            state_.corners = ReadRectText(v);
        } else if (key.Equals(L"mask")) {
            state_.maskColor = ReadHexColor(v);
        } else if (key.Equals(L"fade")) {
            state_.fade = static_cast<BYTE>(wcstol(v, nullptr, 10));
        } else if (key.Equals(L"hole")) {
            state_.hole = value.Equals(L"true");
        } else if (key.Equals(L"xtiled")) {
            state_.xTiled = value.Equals(L"true");
        } else if (key.Equals(L"ytiled")) {
            state_.yTiled = value.Equals(L"true");
        }
    }

    // A second image key in one string first draws what the first set up.
    void DrawWhenCounted() {
        if (drawCount_ > 0) {
            DrawSoFar();
        }
    }

    void DrawSoFar() {
        if (CGdiRenderer::DrawImage(dc_, manager_, control_, paint_, name_.Text(), type_.Text(), state_)) {
            drewAny_ = true;
        }
    }

    HDC dc_;
    CWindowManager* manager_;
    RECT control_;
    RECT paint_;
    CWideString name_;
    CWideString type_;
    ImageDrawState state_;
    int drawCount_ = 0;
    bool drewAny_ = false;
};

}  // namespace

bool CGdiRenderer::DrawImageDescription(HDC dc, CWindowManager* manager, const RECT& destination, const RECT& paint,
                                        const wchar_t* description, const wchar_t* modifier) {
    if (!dc || !manager || !description) {
        return false;
    }
    DescriptionPainter painter(dc, manager, destination, paint, description);
    painter.Parse(description);
    if (modifier) {
        painter.Parse(modifier);
    }
    return painter.Finish();
}

}  // namespace TavikUI
