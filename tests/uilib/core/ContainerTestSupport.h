// Helpers of the container and scroll-bar tests: a control that reports its
// destruction (and may pose as a list item), a container that records the
// events reaching its handler, and a stand-in layout that reports a content
// height to the container's scroll-bar update the way real layouts do.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>

#include "ContainerUI.h"
#include "ControlUI.h"
#include "ScrollBarUI.h"
#include "UIEvent.h"
#include "UIRect.h"

namespace ContainerTests {

using TavikUI::CContainerUI;
using TavikUI::CControlUI;
using TavikUI::CScrollBarUI;
using TavikUI::CUIRect;
using TavikUI::UIEvent;

inline ::testing::AssertionResult RectIs(const RECT& actual, int l, int t, int r, int b) {
    if (actual.left == l && actual.top == t && actual.right == r && actual.bottom == b) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "rect is " << actual.left << "," << actual.top << "," << actual.right << ","
                                         << actual.bottom << ", expected " << l << "," << t << "," << r << "," << b;
}

inline UIEvent MakeEvent(int type, POINT point = {0, 0}, WPARAM wParam = 0) {
    UIEvent event;
    event.type = type;
    event.point = point;
    event.wParam = wParam;
    return event;
}

inline UIEvent KeyEvent(WORD key) {
    UIEvent event;
    event.type = TavikUI::kEventKeyDown;
    event.keyCharacter = key;
    return event;
}

// Sets `*destroyed` when deleted; with `listItem` it answers "ListItem".
class TrackedControl : public CControlUI {
public:
    explicit TrackedControl(bool* destroyed = nullptr, const wchar_t* name = nullptr) : destroyed_(destroyed) {
        if (name) {
            SetName(name);
        }
    }
    ~TrackedControl() override {
        if (destroyed_) {
            *destroyed_ = true;
        }
    }
    void* InterfaceByName(const wchar_t* name) override {
        if (listItem && name && wcscmp(name, L"ListItem") == 0) {
            return this;
        }
        return CControlUI::InterfaceByName(name);
    }
    bool listItem = false;

private:
    bool* destroyed_;
};

// A container that reports its destruction.
class TrackedContainer : public CContainerUI {
public:
    explicit TrackedContainer(bool* destroyed = nullptr) : destroyed_(destroyed) {}
    ~TrackedContainer() override {
        if (destroyed_) {
            *destroyed_ = true;
        }
    }

private:
    bool* destroyed_;
};

// Records the event types reaching its own handler, then handles them as a
// container does.
class RecordingContainer : public CContainerUI {
public:
    void HandleEvent(UIEvent& event) override {
        seen.push_back(event.type);
        CContainerUI::HandleEvent(event);
    }
    std::vector<int> seen;
};

// Places its children as a plain container does, then tells the scroll bars
// that the content needs `contentHeight(area)` pixels, as a layout does at
// the end of its placement. Records each placement's area.
class ScrollingStub : public CContainerUI {
public:
    void Place(const RECT& rect) override {
        CContainerUI::Place(rect);
        CUIRect area = InnerRect();
        if (CScrollBarUI* bar = VerticalScrollBar(); bar && bar->IsVisible()) {
            area.right -= bar->DeclaredWidth();
        }
        if (CScrollBarUI* bar = HorizontalScrollBar(); bar && bar->IsVisible()) {
            area.bottom -= bar->DeclaredHeight();
        }
        areas.push_back(area);
        relayoutFlags.push_back(scrollRelayout_);
        UpdateScrollBars(area, 0, contentHeight ? contentHeight(area) : 0);
    }
    void SetContentHeight(int height) {
        contentHeight = [height](const RECT&) { return height; };
    }

    std::function<int(const RECT&)> contentHeight;
    std::vector<CUIRect> areas;
    std::vector<bool> relayoutFlags;
};

}  // namespace ContainerTests
