// Options and check boxes: radio groups through the manager, "click" then
// "selectchanged", the selected look by pixels, the selected text colour,
// group membership as options move, disable and die.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "CheckBoxUI.h"
#include "ControlFactory.h"
#include "ControlsTestSupport.h"
#include "OptionUI.h"
#include "PointerArray.h"

using ControlsTests::CountNear;
using ControlsTests::Rgb;
using ControlsTests::SkinWindowTest;
using RenderTests::RenderCanvas;
using TavikUI::CCheckBoxUI;
using TavikUI::COptionUI;

namespace {

const uint32_t kNormal = 0xFFE00000;
const uint32_t kSelected = 0xFF0000E0;
const uint32_t kSelectedHot = 0xFF00C000;
const uint32_t kPushed = 0xFFE0E000;
const uint32_t kHot = 0xFF808080;
const uint32_t kFore = 0xFFFF00FF;

using NoteList = std::vector<std::wstring>;

TEST(OptionAttributeTest, ForeImageIsTheOptionsOwnAndTheCheckBoxAnswersAsAButton) {
    COptionUI option;
    option.ApplyAttribute(L"foreimage", L"f.png");
    option.ApplyAttribute(L"selected", L"true");
    EXPECT_STREQ(option.OptionForeImage().Text(), L"f.png");
    EXPECT_TRUE(option.CControlUI::ForeImage().IsEmpty());
    EXPECT_EQ(option.ButtonState() & TavikUI::kButtonSelected, static_cast<UINT>(TavikUI::kButtonSelected));
    EXPECT_STREQ(option.ClassName(), L"OptionUI");
    EXPECT_EQ(option.InterfaceByName(L"Option"), &option);
    EXPECT_EQ(option.InterfaceByName(L"Button"), &option);
    CCheckBoxUI box;
    EXPECT_STREQ(box.ClassName(), L"ButtonUI");
    EXPECT_EQ(box.InterfaceByName(L"Option"), static_cast<COptionUI*>(&box));
}

TEST(OptionAttributeTest, WithoutAManagerStateIsStoredSilentlyAndGroupsAreNamesOnly) {
    COptionUI option;
    option.Select(true);
    option.Select(true);
    EXPECT_TRUE(option.IsSelected());
    option.SetGroup(L"a");
    option.SetGroup(L"b");
    EXPECT_STREQ(option.Group().Text(), L"b");
    option.SetGroup(nullptr);
    EXPECT_TRUE(option.Group().IsEmpty());
    option.Select(false);
    EXPECT_EQ(option.ButtonState() & TavikUI::kButtonSelected, 0u);
}

TEST(ControlFactoryControlsTest, TheTagTableMakesTheLabelButtonOptionAndCheckBox) {
    const struct {
        const wchar_t* tag;
        const wchar_t* className;
        const wchar_t* interfaceName;
    } rows[] = {
        {L"Label", L"LabelUI", L"Label"},
        {L"Button", L"ButtonUI", L"Button"},
        {L"Option", L"OptionUI", L"Option"},
        {L"CheckBox", L"ButtonUI", L"Option"},
    };
    for (const auto& row : rows) {
        std::unique_ptr<TavikUI::CControlUI> control(TavikUI::CreateLibraryControl(row.tag));
        ASSERT_NE(control, nullptr) << row.tag;
        EXPECT_STREQ(control->ClassName(), row.className) << row.tag;
        EXPECT_NE(control->InterfaceByName(row.interfaceName), nullptr) << row.tag;
    }
    // The window's callback makes these, not the table.
    for (const wchar_t* tag : {L"ButtonURL", L"ControlGif", L"label", L"CheckBox "}) {
        std::unique_ptr<TavikUI::CControlUI> control(TavikUI::CreateLibraryControl(tag));
        EXPECT_EQ(control, nullptr) << tag;
    }
}

class OptionWindowTest : public SkinWindowTest {
protected:
    void SetUp() override {
        SkinWindowTest::SetUp();
        WriteSolidImage(L"normal.png", kNormal);
        WriteSolidImage(L"selected.png", kSelected);
        WriteSolidImage(L"selectedhot.png", kSelectedHot);
        WriteSolidImage(L"pushed.png", kPushed);
        WriteSolidImage(L"hot.png", kHot);
        WriteSolidImage(L"fore.png", kFore);
    }
    // Options a (selected), b and c in group "g" in the top row, "solo"
    // without a group and the check box "check" below.
    void BuildGroup() {
        const std::wstring images = L" normalimage=\"normal.png\" selectedimage=\"selected.png\"";
        ASSERT_TRUE(
            BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                      L"<Option name=\"a\" float=\"true\" pos=\"10,10,60,40\" group=\"g\" selected=\"true\"" +
                      images +
                      L"/>"
                      L"<Option name=\"b\" float=\"true\" pos=\"70,10,120,40\" group=\"g\"" +
                      images +
                      L"/>"
                      L"<Option name=\"c\" float=\"true\" pos=\"130,10,180,40\" group=\"g\"" +
                      images +
                      L"/>"
                      L"<Option name=\"solo\" float=\"true\" pos=\"10,60,60,90\"" +
                      images +
                      L"/>"
                      L"<CheckBox name=\"check\" float=\"true\" pos=\"70,60,120,90\"" +
                      images +
                      L"/>"
                      L"</Container></Window>"));
        a_ = Find<COptionUI>(L"a");
        b_ = Find<COptionUI>(L"b");
        c_ = Find<COptionUI>(L"c");
        ASSERT_NE(a_, nullptr);
        ASSERT_NE(b_, nullptr);
        ASSERT_NE(c_, nullptr);
    }
    // One option at (10,10)-(110,50) with the attributes given.
    COptionUI* BuildOne(const std::wstring& attributes) {
        if (!BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                       L"<Option name=\"o\" float=\"true\" pos=\"10,10,110,50\" " +
                       attributes + L"/></Container></Window>")) {
            return nullptr;
        }
        return Find<COptionUI>(L"o");
    }
    std::vector<bool> Selection() { return {a_->IsSelected(), b_->IsSelected(), c_->IsSelected()}; }
    DWORD At(int x, int y) {
        RenderCanvas canvas(400, 300);
        Print(canvas);
        return canvas.At(x, y);
    }

    COptionUI* a_ = nullptr;
    COptionUI* b_ = nullptr;
    COptionUI* c_ = nullptr;
};

TEST_F(OptionWindowTest, SelectedFromTheSkinAndJoinedTheGroupOnceAtAttach) {
    BuildGroup();
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false}));
    TavikUI::CPointerArray* group = manager_->OptionGroup(L"g");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->Count(), 3);
    EXPECT_EQ(group->IndexOf(a_), 0);
    EXPECT_EQ(At(35, 25), Rgb(kSelected));
    EXPECT_EQ(At(95, 25), Rgb(kNormal));
}

TEST_F(OptionWindowTest, AnOptionTheBuilderDropsLeavesNoMemberBehind) {
    WriteSolidImage(L"normal.png", kNormal);
    // The second top-level control has no parent to keep it: the builder
    // deletes it after it was attached for its attributes and detached.
    ASSERT_TRUE(
        BuildSkin(L"<Window><Container bkcolor=\"#FFFFFFFF\">"
                  L"<Option name=\"kept\" float=\"true\" pos=\"10,10,60,40\" group=\"g\"/>"
                  L"</Container><Option name=\"dropped\" group=\"g\" selected=\"true\"/></Window>"));
    auto* kept = Find<COptionUI>(L"kept");
    ASSERT_NE(kept, nullptr);
    TavikUI::CPointerArray* group = manager_->OptionGroup(L"g");
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->Count(), 1);
    EXPECT_EQ(group->IndexOf(kept), 0);
    Click(35, 25);
    EXPECT_TRUE(kept->IsSelected());
    EXPECT_EQ(Notes(), (NoteList{L"click:kept", L"selectchanged:kept"}));
}

TEST_F(OptionWindowTest, ClickingAnotherMemberClearsTheOthersThenNotifies) {
    BuildGroup();
    Click(95, 25);
    EXPECT_EQ(Notes(), (NoteList{L"click:b", L"selectchanged:b"}));
    EXPECT_EQ(Selection(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(At(35, 25), Rgb(kNormal));
    EXPECT_EQ(At(95, 25), Rgb(kSelected));
    EXPECT_EQ(a_->ButtonState() & TavikUI::kButtonSelected, 0u);

    // Clicking the selected member keeps it and changes nothing.
    notes_.entries.clear();
    Click(95, 25);
    EXPECT_EQ(Notes(), (NoteList{L"click:b"}));
    EXPECT_EQ(Selection(), (std::vector<bool>{false, true, false}));

    // Selecting through the slot: the unselected member stays silent.
    notes_.entries.clear();
    c_->Select(true);
    EXPECT_EQ(Notes(), (NoteList{L"selectchanged:c"}));
    EXPECT_EQ(Selection(), (std::vector<bool>{false, false, true}));
    // Unselecting a grouped option says nothing either.
    c_->Select(false);
    EXPECT_EQ(Notes(), (NoteList{L"selectchanged:c"}));
}

TEST_F(OptionWindowTest, OptionsWithoutAGroupAndCheckBoxesToggle) {
    BuildGroup();
    for (const wchar_t* name : {L"solo", L"check"}) {
        notes_.entries.clear();
        auto* option = Find<COptionUI>(name);
        ASSERT_NE(option, nullptr);
        const RECT& rect = option->Rect();
        const int x = (rect.left + rect.right) / 2;
        const int y = (rect.top + rect.bottom) / 2;
        const std::wstring click = std::wstring(L"click:") + name;
        const std::wstring changed = std::wstring(L"selectchanged:") + name;
        Click(x, y);
        EXPECT_TRUE(option->IsSelected()) << name;
        EXPECT_EQ(At(x, y), Rgb(kSelected)) << name;
        Click(x, y);
        EXPECT_FALSE(option->IsSelected()) << name;
        EXPECT_EQ(At(x, y), Rgb(kNormal)) << name;
        EXPECT_EQ(Notes(), (NoteList{click, changed, click, changed})) << name;
    }
    // The group is untouched by them.
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false}));
}

TEST_F(OptionWindowTest, DisabledOptionsKeepOnlyTheSelectedBitAndDoNotClick) {
    BuildGroup();
    MoveTo(35, 25);
    a_->TakeFocus();
    EXPECT_NE(a_->ButtonState() & TavikUI::kButtonHot, 0u);
    a_->SetEnabledState(false);
    EXPECT_EQ(a_->ButtonState(), static_cast<UINT>(TavikUI::kButtonSelected));
    b_->SetEnabledState(false);
    EXPECT_EQ(b_->ButtonState(), 0u);
    Click(95, 25);
    EXPECT_TRUE(Notes().empty());
    EXPECT_FALSE(b_->IsActivatable());
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false}));
}

TEST_F(OptionWindowTest, PressingNeverShowsThePushedImage) {
    COptionUI* option = BuildOne(
        L"normalimage=\"normal.png\" pushedimage=\"pushed.png\" hotimage=\"hot.png\" "
        L"selectedimage=\"selected.png\"");
    ASSERT_NE(option, nullptr);
    MoveTo(60, 30);
    Press(60, 30);
    EXPECT_NE(option->ButtonState() & TavikUI::kButtonPushed, 0u);
    EXPECT_EQ(At(60, 30), Rgb(kHot));
    EXPECT_EQ(option->ButtonState() & TavikUI::kButtonPushed, 0u);
    Release(60, 30);
    EXPECT_TRUE(option->IsSelected());
    Press(60, 30);
    EXPECT_EQ(At(60, 30), Rgb(kSelected));
    Release(60, 30);
}

TEST_F(OptionWindowTest, SelectedHotImageWhileHoveredAndForeImageOverAll) {
    COptionUI* option = BuildOne(
        L"normalimage=\"normal.png\" selectedimage=\"selected.png\" "
        L"selectedhotimage=\"selectedhot.png\" hotimage=\"hot.png\" "
        L"foreimage=\"file='fore.png' dest='0,0,10,10'\"");
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(At(60, 30), Rgb(kNormal));
    EXPECT_EQ(At(12, 12), Rgb(kFore));
    option->Select(true);
    EXPECT_EQ(At(60, 30), Rgb(kSelected));
    EXPECT_EQ(At(12, 12), Rgb(kFore));
    MoveTo(60, 30);
    EXPECT_EQ(At(60, 30), Rgb(kSelectedHot));
    EXPECT_EQ(At(12, 12), Rgb(kFore));
    // Hovered but not selected: the button's hot image.
    option->Select(false);
    EXPECT_EQ(At(60, 30), Rgb(kHot));
}

TEST_F(OptionWindowTest, SelectedColourFillStandsAloneWithoutASelectedImage) {
    COptionUI* option = BuildOne(
        L"normalimage=\"normal.png\" selectedbkcolor=\"#FF00FFFF\" "
        L"foreimage=\"file='fore.png' dest='0,0,10,10'\" selected=\"true\"");
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(At(60, 30), 0x00FFFFu);
    EXPECT_EQ(At(12, 12), 0x00FFFFu);
    option->Select(false);
    EXPECT_EQ(At(60, 30), Rgb(kNormal));
    EXPECT_EQ(At(12, 12), Rgb(kFore));
}

TEST_F(OptionWindowTest, FailingSelectedImagesAreClearedAndTheButtonLookShows) {
    COptionUI* option = BuildOne(
        L"normalimage=\"normal.png\" selectedimage=\"missing.png\" "
        L"selectedhotimage=\"gone.png\" foreimage=\"nothere.png\" selected=\"true\"");
    ASSERT_NE(option, nullptr);
    EXPECT_TRUE(option->SelectedImage().IsEmpty());
    EXPECT_TRUE(option->OptionForeImage().IsEmpty());
    EXPECT_EQ(At(60, 30), Rgb(kNormal));
    MoveTo(60, 30);
    EXPECT_EQ(At(60, 30), Rgb(kNormal));
    EXPECT_TRUE(option->SelectedHotImage().IsEmpty());
}

TEST_F(OptionWindowTest, SelectedTextColourIsUsedOnlyWhileSelected) {
    COptionUI* option = BuildOne(
        L"text=\"WWWWWW\" textcolor=\"#FF000000\" selectedtextcolor=\"#FFD00000\" "
        L"hottextcolor=\"#FF00A000\"");
    ASSERT_NE(option, nullptr);
    const RECT area = {10, 10, 110, 50};
    auto count = [&](uint32_t color) {
        RenderCanvas canvas(400, 300);
        Print(canvas);
        return CountNear(canvas, area, Rgb(color), 60);
    };
    EXPECT_GT(count(0xFF000000), 20);
    EXPECT_EQ(count(0xFFD00000), 0);
    option->Select(true);
    EXPECT_GT(count(0xFFD00000), 20);
    EXPECT_EQ(option->TextColor(), 0xFF000000u);
    // Selected and hovered: the selected colour, not the hot one.
    MoveTo(60, 30);
    EXPECT_GT(count(0xFFD00000), 20);
    EXPECT_EQ(count(0xFF00A000), 0);
    option->Select(false);
    EXPECT_GT(count(0xFF00A000), 20);
}

TEST_F(OptionWindowTest, GroupMembershipFollowsSetGroupAndTheOptionsLife) {
    BuildGroup();
    b_->SetGroup(L"h");
    EXPECT_EQ(manager_->OptionGroup(L"g")->IndexOf(b_), -1);
    ASSERT_NE(manager_->OptionGroup(L"h"), nullptr);
    EXPECT_EQ(manager_->OptionGroup(L"h")->IndexOf(b_), 0);
    // b selected in its own group leaves a selected.
    b_->Select(true);
    EXPECT_EQ(Selection(), (std::vector<bool>{true, true, false}));
    b_->SetGroup(L"h");
    EXPECT_EQ(manager_->OptionGroup(L"h")->Count(), 1);
    b_->SetGroup(nullptr);
    EXPECT_EQ(manager_->OptionGroup(L"h"), nullptr);
    EXPECT_TRUE(b_->Group().IsEmpty());

    auto* loose = new COptionUI;
    loose->SetGroup(L"z");
    loose->AttachToManager(manager_.get(), nullptr, false);
    EXPECT_EQ(manager_->OptionGroup(L"z"), nullptr);
    loose->AttachToManager(manager_.get(), nullptr, true);
    ASSERT_NE(manager_->OptionGroup(L"z"), nullptr);
    EXPECT_EQ(manager_->OptionGroup(L"z")->IndexOf(loose), 0);
    delete loose;
    EXPECT_EQ(manager_->OptionGroup(L"z"), nullptr);
}

TEST_F(OptionWindowTest, AGroupTheManagerDoesNotKnowHasNoOtherMembers) {
    BuildGroup();
    auto* loose = new COptionUI;
    loose->SetName(L"loose");
    loose->SetGroup(L"q");
    // Attached without init: it never joined "q".
    loose->AttachToManager(manager_.get(), nullptr, false);
    ASSERT_EQ(manager_->OptionGroup(L"q"), nullptr);
    loose->Select(true);
    EXPECT_TRUE(loose->IsSelected());
    EXPECT_EQ(Notes(), (NoteList{L"selectchanged:loose"}));
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false}));
    delete loose;
}

}  // namespace
