// The button: its state images and text colours as the mouse and the keys
// drive it, checked by pixels; its "click"; its flags, size and attributes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ButtonUI.h"
#include "ControlsTestSupport.h"

using ControlsTests::CountNear;
using ControlsTests::Rgb;
using ControlsTests::SkinWindowTest;
using RenderTests::RenderCanvas;
using TavikUI::CButtonUI;
using TavikUI::UIEvent;

namespace {

const uint32_t kNormal = 0xFFE00000;
const uint32_t kHot = 0xFF00C000;
const uint32_t kPushed = 0xFF0000E0;
const uint32_t kFocused = 0xFFE0E000;
const uint32_t kDisabled = 0xFF808080;
const uint32_t kFore = 0xFFFF00FF;
const uint32_t kHotFore = 0xFF00FFFF;
const uint32_t kBackground = 0xFFFFFFFF;

std::vector<std::wstring> Only(const wchar_t* note) { return {note}; }

TEST(ButtonAttributeTest, ColoursReadTheSameWithAndWithoutTheHash) {
    CButtonUI hashed;
    CButtonUI plain;
    for (const wchar_t* name : {L"hotbkcolor", L"hottextcolor", L"pushedtextcolor", L"focusedtextcolor"}) {
        hashed.ApplyAttribute(name, L"#FF040506");
        plain.ApplyAttribute(name, L"FF040506");
    }
    EXPECT_EQ(hashed.HotBkColor(), 0xFF040506u);
    EXPECT_EQ(plain.HotBkColor(), 0xFF040506u);
    EXPECT_EQ(hashed.HotTextColor(), plain.HotTextColor());
    EXPECT_EQ(hashed.PushedTextColor(), plain.PushedTextColor());
    EXPECT_EQ(hashed.FocusedTextColor(), 0xFF040506u);
    // "foreimage" is the control's fore image; label attributes still apply.
    hashed.ApplyAttribute(L"foreimage", L"fore.png");
    hashed.ApplyAttribute(L"textcolor", L"#FF0D0E0F");
    EXPECT_STREQ(hashed.ForeImage().Text(), L"fore.png");
    EXPECT_EQ(hashed.TextColor(), 0xFF0D0E0Fu);
}

TEST(ButtonInterfaceTest, NamesFlagsAndDisabling) {
    CButtonUI button;
    EXPECT_STREQ(button.ClassName(), L"ButtonUI");
    EXPECT_EQ(button.InterfaceByName(L"Button"), &button);
    EXPECT_EQ(button.InterfaceByName(L"Label"), &button);
    EXPECT_EQ(button.InterfaceByName(L"Control"), &button);
    EXPECT_EQ(button.InterfaceByName(L"Option"), nullptr);

    EXPECT_EQ(button.BehaviourFlags(), static_cast<UINT>(TavikUI::kBehaviourTabStop));
    button.SetHandCursor(true);
    EXPECT_EQ(button.BehaviourFlags(), static_cast<UINT>(TavikUI::kBehaviourTabStop | TavikUI::kBehaviourSetCursor));
    button.SetAcceptsKeyboard(false);
    EXPECT_EQ(button.BehaviourFlags(), static_cast<UINT>(TavikUI::kBehaviourSetCursor));

    button.SetButtonState(TavikUI::kButtonHot | TavikUI::kButtonPushed | TavikUI::kButtonCaptured);
    button.SetEnabledState(false);
    EXPECT_EQ(button.ButtonState(), 0u);
    EXPECT_EQ(button.BehaviourFlags(), 0u);
    EXPECT_FALSE(button.IsActivatable());
}

TEST(ButtonInterfaceTest, WithoutTheMouseMouseEventsLeaveTheStateAlone) {
    CButtonUI button;
    button.Place(RECT{0, 0, 50, 20});
    button.SetAcceptsMouse(false);
    UIEvent down;
    down.type = TavikUI::kEventButtonDown;
    down.point = {10, 10};
    button.DeliverEvent(down);
    EXPECT_EQ(button.ButtonState(), 0u);
    UIEvent enter;
    enter.type = TavikUI::kEventMouseEnter;
    button.DeliverEvent(enter);
    EXPECT_EQ(button.ButtonState(), 0u);
}

class ButtonWindowTest : public SkinWindowTest {
protected:
    void SetUp() override {
        SkinWindowTest::SetUp();
        WriteSolidImage(L"normal.png", kNormal);
        WriteSolidImage(L"hot.png", kHot);
        WriteSolidImage(L"pushed.png", kPushed);
        WriteSolidImage(L"focused.png", kFocused);
        WriteSolidImage(L"disabled.png", kDisabled);
        WriteSolidImage(L"fore.png", kFore);
        WriteSolidImage(L"hotfore.png", kHotFore);
    }
    // One button at (10,10)-(110,50) with the attributes given, on white.
    void BuildButton(const std::wstring& attributes) {
        ASSERT_TRUE(
            BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                      L"<Button name=\"b\" float=\"true\" pos=\"10,10,110,50\" " +
                      attributes + L"/></Container></Window>"));
        button_ = Find<CButtonUI>(L"b");
        ASSERT_NE(button_, nullptr);
    }
    // The colour at the centre-left of the button (text, when any, is centred).
    DWORD Sample() {
        RenderCanvas canvas(400, 300);
        Print(canvas);
        return canvas.At(20, 30);
    }
    DWORD SampleCorner() {
        RenderCanvas canvas(400, 300);
        Print(canvas);
        return canvas.At(12, 12);
    }

    CButtonUI* button_ = nullptr;
};

const wchar_t kAllImages[] =
    L"normalimage=\"normal.png\" hotimage=\"hot.png\" pushedimage=\"pushed.png\" focusedimage=\"focused.png\" "
    L"disabledimage=\"disabled.png\"";

TEST_F(ButtonWindowTest, StateImagesFollowTheMouseAndAReleaseInsideClicks) {
    BuildButton(kAllImages);
    EXPECT_EQ(Sample(), Rgb(kNormal));
    MoveTo(60, 30);
    EXPECT_EQ(button_->ButtonState() & TavikUI::kButtonHot, static_cast<UINT>(TavikUI::kButtonHot));
    EXPECT_EQ(Sample(), Rgb(kHot));
    Press(60, 30);
    EXPECT_EQ(Sample(), Rgb(kPushed));
    // Dragged out while captured: no longer pushed; the captured button
    // hears of no leave, so it stays hot.
    MoveTo(300, 200);
    EXPECT_EQ(button_->ButtonState() & TavikUI::kButtonPushed, 0u);
    EXPECT_EQ(Sample(), Rgb(kHot));
    MoveTo(60, 30);
    EXPECT_EQ(Sample(), Rgb(kPushed));
    EXPECT_TRUE(Notes().empty());
    Release(60, 30);
    EXPECT_EQ(Notes(), Only(L"click:b"));
    // The capture ended with the pointer inside: hot, not pushed.
    EXPECT_EQ(button_->ButtonState() & (TavikUI::kButtonPushed | TavikUI::kButtonCaptured), 0u);
    EXPECT_EQ(Sample(), Rgb(kHot));
    MoveTo(300, 200);
    EXPECT_EQ(Sample(), Rgb(kFocused));
    manager_->MoveFocusTo(nullptr);
    EXPECT_EQ(Sample(), Rgb(kNormal));
}

TEST_F(ButtonWindowTest, ReleasedOutsideDoesNotClickButDraggedBackInsideDoes) {
    BuildButton(kAllImages);
    MoveTo(60, 30);
    Press(60, 30);
    MoveTo(300, 200);
    Release(300, 200);
    EXPECT_TRUE(Notes().empty());
    EXPECT_EQ(button_->ButtonState() & TavikUI::kButtonCaptured, 0u);

    MoveTo(60, 30);
    Press(60, 30);
    MoveTo(300, 200);
    MoveTo(100, 45);
    Release(100, 45);
    EXPECT_EQ(Notes(), Only(L"click:b"));
}

TEST_F(ButtonWindowTest, DisabledButtonIgnoresPressesAndShowsItsDisabledImage) {
    BuildButton(std::wstring(kAllImages) + L" enabled=\"false\"");
    EXPECT_EQ(Sample(), Rgb(kDisabled));
    MoveTo(60, 30);
    Press(60, 30);
    EXPECT_EQ(Sample(), Rgb(kDisabled));
    Release(60, 30);
    EXPECT_TRUE(Notes().empty());
    EXPECT_EQ(button_->ButtonState(), static_cast<UINT>(TavikUI::kButtonDisabled));

    button_->SetDisabledImage(nullptr);
    EXPECT_EQ(Sample(), Rgb(kNormal));
}

TEST_F(ButtonWindowTest, HotColourWithoutHotImageFillsAndDrawsNoImageOverIt) {
    BuildButton(
        L"normalimage=\"normal.png\" foreimage=\"file='fore.png' dest='0,0,10,10'\" "
        L"hotbkcolor=\"#FF00FFFF\"");
    EXPECT_EQ(Sample(), Rgb(kNormal));
    EXPECT_EQ(SampleCorner(), Rgb(kFore));
    MoveTo(60, 30);
    EXPECT_EQ(Sample(), 0x00FFFFu);
    EXPECT_EQ(SampleCorner(), 0x00FFFFu);
}

TEST_F(ButtonWindowTest, HotForeImageTakesTheForeImagesPlaceWhileHot) {
    BuildButton(
        L"normalimage=\"normal.png\" hotimage=\"hot.png\" foreimage=\"file='fore.png' dest='0,0,10,10'\" "
        L"hotforeimage=\"file='hotfore.png' dest='0,0,5,5'\"");
    EXPECT_EQ(SampleCorner(), Rgb(kFore));
    MoveTo(60, 30);
    RenderCanvas canvas(400, 300);
    Print(canvas);
    EXPECT_EQ(canvas.At(12, 12), Rgb(kHotFore));
    // Where only the fore image would have been, the hot image shows.
    EXPECT_EQ(canvas.At(17, 17), Rgb(kHot));
    EXPECT_EQ(canvas.At(60, 30), Rgb(kHot));
}

TEST_F(ButtonWindowTest, ImagesThatFailToDrawAreClearedAndFallBack) {
    BuildButton(L"normalimage=\"normal.png\" disabledimage=\"missing.png\" pushedimage=\"gone.png\"");
    // A disabled image that fails gives way to the normal image at once.
    button_->SetEnabledState(false);
    EXPECT_EQ(Sample(), Rgb(kNormal));
    EXPECT_TRUE(button_->DisabledImage().IsEmpty());

    button_->SetEnabledState(true);
    MoveTo(60, 30);
    Press(60, 30);
    // A pushed image that fails shows nothing this time, the normal image
    // afterwards.
    EXPECT_EQ(Sample(), Rgb(kBackground));
    EXPECT_TRUE(button_->PushedImage().IsEmpty());
    EXPECT_EQ(Sample(), Rgb(kNormal));
    Release(60, 30);
    EXPECT_EQ(Notes(), Only(L"click:b"));
}

TEST_F(ButtonWindowTest, TextColourFollowsPushedThenHotThenFocused) {
    manager_->SetDisabledTextColor(0xFF900090);
    BuildButton(
        L"text=\"WWWWWW\" textcolor=\"#FF000000\" hottextcolor=\"FF00A000\" "
        L"pushedtextcolor=\"#FFD00000\" focusedtextcolor=\"#FF0000D0\"");
    const RECT area = {10, 10, 110, 50};
    auto count = [&](uint32_t color) {
        RenderCanvas canvas(400, 300);
        Print(canvas);
        return CountNear(canvas, area, Rgb(color), 60);
    };
    EXPECT_GT(count(0xFF000000), 20);
    MoveTo(60, 30);
    EXPECT_GT(count(0xFF00A000), 20);
    EXPECT_EQ(count(0xFF000000), 0);
    Press(60, 30);
    EXPECT_GT(count(0xFFD00000), 20);
    MoveTo(300, 200);
    EXPECT_GT(count(0xFF00A000), 20);
    // The capture ends outside: neither hot nor pushed, but focused.
    Release(300, 200);
    EXPECT_GT(count(0xFF0000D0), 20);
    EXPECT_TRUE(Notes().empty());
    // A focused colour would still win over the disabled one.
    manager_->MoveFocusTo(nullptr);
    button_->SetEnabledState(false);
    // Disabled text takes the manager's disabled colour.
    EXPECT_EQ(button_->DisabledTextColor(), manager_->DisabledTextColor());
    EXPECT_GT(count(manager_->DisabledTextColor()), 20);
}

TEST_F(ButtonWindowTest, SpaceAndEnterClickAFocusedButtonThatTakesKeys) {
    BuildButton(kAllImages);
    button_->TakeFocus();
    Key(VK_SPACE);
    Key(VK_RETURN);
    Key('A');
    EXPECT_EQ(Notes(), (std::vector<std::wstring>{L"click:b", L"click:b"}));
    notes_.entries.clear();
    button_->SetAcceptsKeyboard(false);
    UIEvent key;
    key.type = TavikUI::kEventKeyDown;
    key.keyCharacter = VK_SPACE;
    button_->DeliverEvent(key);
    EXPECT_TRUE(Notes().empty());
    // Hidden buttons do not click.
    button_->SetAcceptsKeyboard(true);
    button_->ShowOrHide(false);
    button_->DeliverEvent(key);
    EXPECT_TRUE(Notes().empty());
}

TEST_F(ButtonWindowTest, ContextMenuNotifiesOnlyWithAMenu) {
    BuildButton(L"menu=\"true\"");
    UIEvent menu;
    menu.type = TavikUI::kEventContextMenu;
    menu.wParam = 7;
    menu.lParam = 9;
    button_->DeliverEvent(menu);
    ASSERT_EQ(Notes(), Only(L"menu:b"));
    EXPECT_EQ(notes_.entries[0].wParam, 7u);
    EXPECT_EQ(notes_.entries[0].lParam, 9);
    notes_.entries.clear();
    button_->SetContextMenu(false);
    button_->DeliverEvent(menu);
    EXPECT_TRUE(Notes().empty());
}

TEST_F(ButtonWindowTest, DesiredHeightIsTheFontHeightPlusEightUnlessDeclared) {
    ASSERT_TRUE(
        BuildSkin(L"<Window><VerticalLayout>"
                  L"<Button name=\"free\" width=\"40\"/><Button name=\"fixed\" height=\"11\"/>"
                  L"</VerticalLayout></Window>"));
    const int fontHeight = static_cast<int>(manager_->DefaultFontRecord()->metrics.tmHeight);
    ASSERT_GT(fontHeight, 0);
    const SIZE free = Find<CButtonUI>(L"free")->DesiredSize(SIZE{400, 300});
    EXPECT_EQ(free.cx, 40);
    EXPECT_EQ(free.cy, fontHeight + 8);
    EXPECT_EQ(Find<CButtonUI>(L"fixed")->DesiredSize(SIZE{400, 300}).cy, 11);
}

}  // namespace
