#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ChildLayoutUI.h"
#include "ControlFactory.h"
#include "ControlTestSupport.h"
#include "SkinBuilderTestSupport.h"

using ControlTests::FunctionDelegate;
using ControlTests::ManagedWindow;
using SkinBuilderTests::ChildCountOf;
using SkinBuilderTests::ChildNames;
using SkinBuilderTests::ChildOf;
using SkinBuilderTests::NameOf;
using SkinBuilderTests::SkinBuilderFixture;
using TavikUI::CChildLayoutUI;
using TavikUI::CControlUI;
using TavikUI::CreateLibraryControl;

namespace {

// Child layouts build their file when their window adopts them.
class ChildLayoutTest : public SkinBuilderFixture {
protected:
    void SetUp() override {
        SkinBuilderFixture::SetUp();
        ASSERT_NE(window_.Handle(), nullptr) << "no X display?";
    }
    CChildLayoutUI* BuildAndAttach(const wchar_t* skin) {
        CControlUI* root = builder_.Create(skin, nullptr, nullptr, &window_.manager, nullptr);
        EXPECT_NE(root, nullptr) << builder_.ErrorMessage();
        if (!root) {
            return nullptr;
        }
        EXPECT_TRUE(window_.manager.AttachRoot(root));
        CControlUI* slot = window_.manager.FindControlByName(L"slot");
        return slot ? static_cast<CChildLayoutUI*>(slot->InterfaceByName(L"ChildLayout")) : nullptr;
    }

    ManagedWindow window_;
};

TEST_F(ChildLayoutTest, FileIsBuiltIntoTheLayoutWhenTheWindowAdoptsIt) {
    WriteSkin(L"child.xml",
              L"<Window><HorizontalLayout name=\"inner\"><Control name=\"deep\"/></HorizontalLayout></Window>");
    CChildLayoutUI* slot = BuildAndAttach(
        L"<Window><VerticalLayout><ChildLayout name=\"slot\" xmlfile=\"child.xml\"/></VerticalLayout></Window>");
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(std::wstring(slot->ChildSkinFile().Text()), L"child.xml");
    ASSERT_EQ(slot->ChildCount(), 1);
    EXPECT_EQ(NameOf(slot->ChildAt(0)), L"inner");
    EXPECT_EQ(slot->ChildAt(0)->Parent(), slot);
    EXPECT_NE(window_.manager.FindControlByName(L"deep"), nullptr);
}

TEST_F(ChildLayoutTest, FileThatCannotBeBuiltLeavesTheLayoutEmpty) {
    CChildLayoutUI* slot = BuildAndAttach(
        L"<Window><VerticalLayout><ChildLayout name=\"slot\" xmlfile=\"absent.xml\"/></VerticalLayout></Window>");
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->ChildCount(), 0);
}

TEST_F(ChildLayoutTest, ChildrenWrittenInsideTheElementAreNotKept) {
    WriteSkin(L"child.xml", L"<Window><Control name=\"fromfile\"/></Window>");
    CChildLayoutUI* slot = BuildAndAttach(
        L"<Window><VerticalLayout><ChildLayout name=\"slot\" xmlfile=\"child.xml\">"
        L"<Control name=\"written\"/></ChildLayout></VerticalLayout></Window>");
    ASSERT_NE(slot, nullptr);
    ASSERT_EQ(slot->ChildCount(), 1);
    EXPECT_EQ(NameOf(slot->ChildAt(0)), L"fromfile");
}

TEST_F(ChildLayoutTest, InitDelegatesDoNotRunForAChildLayout) {
    bool initRan = false;
    auto* layout = new CChildLayoutUI();
    layout->InitDelegates().Add(FunctionDelegate([&](void*) {
        initRan = true;
        return true;
    }));
    auto* root = new TavikUI::CContainerUI();
    ASSERT_TRUE(root->AddChild(layout));
    ASSERT_TRUE(window_.manager.AttachRoot(root));
    EXPECT_FALSE(initRan);
    EXPECT_EQ(layout->ChildCount(), 0);
}

TEST(ChildLayoutInterfaceTest, AnswersItsOwnNameAndTheControlButNoContainer) {
    CChildLayoutUI layout;
    EXPECT_STREQ(layout.ClassName(), L"ChildLayoutUI");
    EXPECT_EQ(layout.InterfaceByName(L"ChildLayout"), &layout);
    EXPECT_EQ(layout.InterfaceByName(L"Control"), &layout);
    EXPECT_EQ(layout.InterfaceByName(L"IContainer"), nullptr);
    EXPECT_EQ(layout.InterfaceByName(L"Container"), nullptr);
    layout.ApplyAttribute(L"xmlfile", L"x.xml");
    layout.ApplyAttribute(L"childpadding", L"3");
    EXPECT_EQ(std::wstring(layout.ChildSkinFile().Text()), L"x.xml");
    EXPECT_EQ(layout.ChildPadding(), 3);
}

TEST(ControlFactoryTest, TagsWithAClassMakeThatClass) {
    const struct {
        const wchar_t* tag;
        const wchar_t* className;
    } rows[] = {
        {L"Control", L"ControlUI"},
        {L"Container", L"ContainerUI"},
        {L"VerticalLayout", L"VerticalLayoutUI"},
        {L"HorizontalLayout", L"HorizontalLayoutUI"},
        {L"TileLayout", L"TileLayoutUI"},
        {L"TabLayout", L"TabLayoutUI"},
        {L"ChildLayout", L"ChildLayoutUI"},
        {L"ScrollBar", L"ScrollBarUI"},
    };
    for (const auto& row : rows) {
        std::unique_ptr<CControlUI> control(CreateLibraryControl(row.tag));
        ASSERT_NE(control, nullptr) << row.tag;
        EXPECT_STREQ(control->ClassName(), row.className) << row.tag;
    }
}

TEST(ControlFactoryTest, TagsAreComparedExactlyAndUnknownOnesMakeNothing) {
    for (const wchar_t* tag : {L"control", L"CONTAINER", L"VerticalLayout ", L"Gadget", L"", L"TreeNode"}) {
        std::unique_ptr<CControlUI> control(CreateLibraryControl(tag));
        EXPECT_EQ(control, nullptr) << tag;
    }
    EXPECT_EQ(CreateLibraryControl(nullptr), nullptr);
}

}  // namespace
