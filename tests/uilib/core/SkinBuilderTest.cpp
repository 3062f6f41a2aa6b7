#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ContainerTestSupport.h"
#include "ControlTestSupport.h"
#include "GdiRenderer.h"
#include "ScrollBarUI.h"
#include "SkinBuilderTestSupport.h"
#include "TabLayoutUI.h"
#include "TileLayoutUI.h"

using ContainerTests::TrackedControl;
using ControlTests::ManagedWindow;
using SkinBuilderTests::ChildCountOf;
using SkinBuilderTests::ChildNames;
using SkinBuilderTests::ChildOf;
using SkinBuilderTests::ContainerOf;
using SkinBuilderTests::NameOf;
using SkinBuilderTests::RecordingCallback;
using SkinBuilderTests::SkinBuilderFixture;
using TavikUI::CControlUI;
using TavikUI::CSkinBuilder;
using TavikUI::CWindowManager;
using TavikUI::ImageRecord;

namespace {

const wchar_t kTreeSkin[] =
    L"<Window size=\"300,200\">"
    L"<VerticalLayout name=\"root\" inset=\"1,2,3,4\">"
    L"<HorizontalLayout name=\"row\" height=\"30\" childpadding=\"5\">"
    L"<Control name=\"a\"/><Control name=\"b\" width=\"20\"/>"
    L"</HorizontalLayout>"
    L"<TabLayout name=\"pages\" selectedid=\"1\">"
    L"<Container name=\"p0\"/><TileLayout name=\"p1\" columns=\"3\"/>"
    L"</TabLayout>"
    L"<ScrollBar name=\"bar\" hor=\"true\" range=\"40\"/>"
    L"</VerticalLayout>"
    L"</Window>";

using SkinBuilderTest = SkinBuilderFixture;

TEST_F(SkinBuilderTest, TextSkinBuildsTheTreeWithItsAttributes) {
    std::unique_ptr<CControlUI> root = Build(kTreeSkin);
    ASSERT_NE(root, nullptr) << builder_.ErrorMessage();
    EXPECT_STREQ(root->ClassName(), L"VerticalLayoutUI");
    EXPECT_EQ(NameOf(root.get()), L"root");
    EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"row", L"pages", L"bar"}));

    CControlUI* row = ChildOf(root.get(), 0);
    EXPECT_STREQ(row->ClassName(), L"HorizontalLayoutUI");
    EXPECT_EQ(row->DeclaredHeight(), 30);
    EXPECT_EQ(static_cast<TavikUI::CContainerUI*>(row)->ChildPadding(), 5);
    EXPECT_EQ(ChildNames(row), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_STREQ(ChildOf(row, 0)->ClassName(), L"ControlUI");
    EXPECT_EQ(ChildOf(row, 1)->DeclaredWidth(), 20);

    // "selectedid" runs after the pages were added.
    auto* pages = static_cast<TavikUI::CTabLayoutUI*>(ChildOf(root.get(), 1)->InterfaceByName(L"TabLayout"));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->SelectedIndex(), 1);
    EXPECT_FALSE(ChildOf(pages, 0)->IsVisible());
    auto* tile = static_cast<TavikUI::CTileLayoutUI*>(ChildOf(pages, 1)->InterfaceByName(L"TileLayout"));
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->Columns(), 3);

    auto* bar = static_cast<TavikUI::CScrollBarUI*>(ChildOf(root.get(), 2)->InterfaceByName(L"ScrollBar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsHorizontal());
    EXPECT_EQ(bar->Range(), 40);
    EXPECT_EQ(static_cast<TavikUI::CContainerUI*>(root.get())->InsetRect().bottom, 4);
}

TEST_F(SkinBuilderTest, BuiltTreeIsLeftDetachedForTheWindowToAdopt) {
    ManagedWindow window;
    ASSERT_NE(window.Handle(), nullptr) << "no X display?";
    CControlUI* root = builder_.Create(kTreeSkin, nullptr, nullptr, &window.manager, nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Manager(), nullptr);
    EXPECT_EQ(ChildOf(root, 0)->Manager(), nullptr);
    // Children know their container once it was attached for its attributes.
    EXPECT_EQ(ChildOf(root, 0)->Parent(), root);
    ASSERT_TRUE(window.manager.AttachRoot(root));
    EXPECT_EQ(window.manager.FindControlByName(L"b"), ChildOf(ChildOf(root, 0), 1));
    EXPECT_EQ(ChildOf(root, 0)->Manager(), &window.manager);
}

TEST_F(SkinBuilderTest, SkinFileFromTheResourceFolderAndFromTheArchive) {
    WriteSkin(L"main.xml", L"<Window><Control name=\"from folder\"/></Window>");
    std::unique_ptr<CControlUI> fromFolder = Build(L"main.xml");
    ASSERT_NE(fromFolder, nullptr) << builder_.ErrorMessage();
    EXPECT_EQ(NameOf(fromFolder.get()), L"from folder");

    UseMemoryArchive({ZipTest::FileItem("skin/main.xml",
                                        SkinBuilderTests::Utf8(L"<Window><Control name=\"中文\"/></Window>"), true)});
    CSkinBuilder archiveBuilder;
    std::unique_ptr<CControlUI> fromArchive(
        archiveBuilder.Create(L"skin/main.xml", nullptr, nullptr, nullptr, nullptr));
    ASSERT_NE(fromArchive, nullptr) << archiveBuilder.ErrorMessage();
    EXPECT_EQ(NameOf(fromArchive.get()), L"中文");
}

TEST_F(SkinBuilderTest, SkinsThatCannotBeLoadedOrHoldNothingGiveNull) {
    EXPECT_EQ(Build(L"missing.xml"), nullptr);
    EXPECT_NE(std::wstring(builder_.ErrorMessage()), L"");
    CSkinBuilder broken;
    EXPECT_EQ(broken.Create(L"<Window><Control></Window>", nullptr, nullptr, nullptr, nullptr), nullptr);
    CSkinBuilder empty;
    EXPECT_EQ(empty.Create(L"<Window/>", nullptr, nullptr, nullptr, nullptr), nullptr);
    CSkinBuilder none;
    EXPECT_EQ(none.Create(nullptr, nullptr, nullptr, nullptr, nullptr), nullptr);
    CSkinBuilder unloaded;
    EXPECT_EQ(unloaded.BuildWindow(nullptr, nullptr, nullptr), nullptr);
}

TEST_F(SkinBuilderTest, FontsAreNumberedInElementOrderAndTheDefaultFontIsSet) {
    CWindowManager manager;
    const int before = manager.FontCount();
    std::unique_ptr<CControlUI> root = Build(
        L"<Window>"
        L"<Font name=\"Arial\" size=\"14\" bold=\"true\"/>"
        L"<Font size=\"30\"/>"
        L"<Font name=\"Tahoma\" underline=\"true\" italic=\"True\" default=\"true\"/>"
        L"<Control/></Window>",
        &manager);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(manager.FontCount(), before + 2);
    const TavikUI::FontRecord* first = manager.FontRecordAt(before);
    EXPECT_EQ(std::wstring(first->faceName.Text()), L"Arial");
    EXPECT_EQ(first->size, 14);
    EXPECT_TRUE(first->bold);
    EXPECT_FALSE(first->underline);
    const TavikUI::FontRecord* second = manager.FontRecordAt(before + 1);
    EXPECT_EQ(std::wstring(second->faceName.Text()), L"Tahoma");
    EXPECT_EQ(second->size, 12);
    EXPECT_TRUE(second->underline);
    EXPECT_FALSE(second->italic);
    const TavikUI::FontRecord* defaultFont = manager.DefaultFontRecord();
    EXPECT_EQ(std::wstring(defaultFont->faceName.Text()), L"Tahoma");
    EXPECT_EQ(defaultFont->size, 12);
}

TEST_F(SkinBuilderTest, RepeatedAttributesOfResourceElementsTakeTheLastValue) {
    CWindowManager manager;
    std::unique_ptr<CControlUI> root =
        Build(L"<Window><Font name=\"Arial\" size=\"10\" size=\"16\"/><Control/></Window>", &manager);
    ASSERT_NE(root, nullptr);
    ASSERT_GE(manager.FontCount(), 1);
    EXPECT_EQ(manager.FontRecordAt(manager.FontCount() - 1)->size, 16);
}

TEST_F(SkinBuilderTest, DefaultsAreStoredFirstWinsAndApplyBeforeTheElementsAttributes) {
    CWindowManager manager;
    std::unique_ptr<CControlUI> root = Build(
        L"<Window>"
        L"<Default name=\"Control\" value=\"width=&quot;30&quot; height=&quot;40&quot;\"/>"
        L"<Default name=\"Control\" value=\"width=&quot;99&quot;\"/>"
        L"<Default value=\"width=&quot;77&quot;\"/>"
        L"<VerticalLayout><Control name=\"c\" height=\"50\"/></VerticalLayout>"
        L"</Window>",
        &manager);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(std::wstring(manager.DefaultAttributesFor(L"Control")), L"width=\"30\" height=\"40\"");
    CControlUI* control = ChildOf(root.get(), 0);
    EXPECT_EQ(control->DeclaredWidth(), 30);
    EXPECT_EQ(control->DeclaredHeight(), 50);
    // The layout's own tag has no defaults.
    EXPECT_EQ(root->DeclaredWidth(), 0);
}

TEST_F(SkinBuilderTest, DefaultsNeedAManager) {
    std::unique_ptr<CControlUI> root =
        Build(L"<Window><Default name=\"Control\" value=\"width=&quot;30&quot;\"/><Control/></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->DeclaredWidth(), 0);
}

TEST_F(SkinBuilderTest, ImagesAreCachedWithTheirMaskWrittenWithOrWithoutHash) {
    Write(L"a.png", ImageTests::SolidPng(2, 2, 0xFF00FF00));
    Write(L"b.png", ImageTests::SolidPng(3, 1, 0xFF0000FF));
    CWindowManager manager;
    std::unique_ptr<CControlUI> root = Build(
        L"<Window>"
        L"<Image name=\"a.png\" mask=\"#FF00FF00\"/>"
        L"<Image name=\"b.png\" mask=\"FF00FF00\"/>"
        L"<Image mask=\"#FF00FF00\"/>"
        L"<Image name=\"101\" restype=\"PNG\"/>"
        L"<Control/></Window>",
        &manager);
    ASSERT_NE(root, nullptr);
    // With the files gone only the cache can answer.
    DeleteFileW((folder_ + L"a.png").c_str());
    DeleteFileW((folder_ + L"b.png").c_str());
    const ImageRecord* a = manager.ImageOrAdd(L"a.png");
    const ImageRecord* b = manager.ImageOrAdd(L"b.png");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->maskColor, 0xFF00FF00u);
    EXPECT_EQ(b->maskColor, 0xFF00FF00u);
    EXPECT_EQ(a->width, 2);
    EXPECT_EQ(b->width, 3);
    const ImageRecord* fromResource = manager.ImageOrAdd(L"101");
    ASSERT_NE(fromResource, nullptr);
    EXPECT_EQ(std::wstring(fromResource->resourceType.Text()), L"PNG");
    EXPECT_EQ(fromResource->maskColor, 0u);
}

TEST_F(SkinBuilderTest, WindowAttributesReachTheManagerAndTheWindow) {
    ManagedWindow window;
    ASSERT_NE(window.Handle(), nullptr) << "no X display?";
    CWindowManager& manager = window.manager;
    std::unique_ptr<CControlUI> root = Build(
        L"<Window size=\"552,347\" caption=\"0,0,0,347\" sizebox=\"4,5,6,7\" roundcorner=\"3,3\""
        L" mininfo=\"200,100\" maxinfo=\"800,600\" alpha=\"200\" disabledfontcolor=\"#FF101010\""
        L" defaultfontcolor=\"FF202020\" linkfontcolor=\"#FF303030\" linkhoverfontcolor=\"#FF404040\""
        L" selectedcolor=\"#FF505050\" unknown=\"1\" Size=\"1,1\">"
        L"<Control/></Window>",
        &manager);
    ASSERT_NE(root, nullptr);
    RECT placed = {};
    GetWindowRect(window.Handle(), &placed);
    EXPECT_EQ(placed.right - placed.left, 552);
    EXPECT_EQ(placed.bottom - placed.top, 347);
    EXPECT_TRUE(ContainerTests::RectIs(manager.CaptionRect(), 0, 0, 0, 347));
    EXPECT_TRUE(ContainerTests::RectIs(manager.SizeBox(), 4, 5, 6, 7));
    EXPECT_EQ(manager.RoundCorner().cx, 3);
    EXPECT_EQ(manager.MinInfo().cx, 200);
    EXPECT_EQ(manager.MinInfo().cy, 100);
    EXPECT_EQ(manager.MaxInfo().cx, 800);
    EXPECT_EQ(manager.MaxInfo().cy, 600);
    EXPECT_EQ(manager.WindowAlpha(), 200);
    EXPECT_NE(GetWindowLongPtrW(window.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_EQ(manager.DisabledTextColor(), 0xFF101010u);
    EXPECT_EQ(manager.DefaultTextColor(), 0xFF202020u);
    EXPECT_EQ(manager.LinkTextColor(), 0xFF303030u);
    EXPECT_EQ(manager.LinkHoverTextColor(), 0xFF404040u);
    EXPECT_EQ(manager.SelectedBackgroundColor(), 0xFF505050u);
}

TEST_F(SkinBuilderTest, WindowAttributesNeedAWindowAndAWindowRoot) {
    CWindowManager unbound;
    std::unique_ptr<CControlUI> root =
        Build(L"<Window size=\"552,347\" caption=\"0,0,0,9\"><Font name=\"Arial\"/><Control/></Window>", &unbound);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(unbound.InitialSize().cx, 0);
    EXPECT_EQ(unbound.CaptionRect().bottom, 0);

    ManagedWindow window;
    ASSERT_NE(window.Handle(), nullptr) << "no X display?";
    CSkinBuilder dialog;
    std::unique_ptr<CControlUI> other(
        dialog.Create(L"<Dialog caption=\"0,0,0,9\"><Control/></Dialog>", nullptr, nullptr, &window.manager, nullptr));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(window.manager.CaptionRect().bottom, 0);
}

TEST_F(SkinBuilderTest, UnknownTagsGoToTheCallbackAndUnmadeOnesLeaveNoTrace) {
    RecordingCallback callback({L"Label", L"Gadget"});
    std::unique_ptr<CControlUI> root = Build(
        L"<Window><HorizontalLayout>"
        L"<Label name=\"label\"/><Nothing name=\"n\"><Control name=\"inside\"/></Nothing>"
        L"<Gadget name=\"gadget\"/><Control name=\"plain\"/><Edit name=\"edit\"/>"
        L"</HorizontalLayout></Window>",
        nullptr, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"label", L"gadget", L"plain", L"edit"}));
    EXPECT_EQ(std::wstring(ChildOf(root.get(), 1)->UserData().Text()), L"Gadget");
    // Library tags never reach the callback, even when the callback would
    // make them ("Label").
    EXPECT_STREQ(ChildOf(root.get(), 0)->ClassName(), L"LabelUI");
    EXPECT_STREQ(ChildOf(root.get(), 3)->ClassName(), L"EditUI");
    EXPECT_EQ(callback.asked, (std::vector<std::wstring>{L"Nothing", L"Gadget"}));
}

CControlUI* NeverCreates(const wchar_t*) { return nullptr; }

CControlUI* CreatesGadgets(const wchar_t* tag) {
    if (wcscmp(tag, L"Gadget") != 0) {
        return nullptr;
    }
    auto* control = new CControlUI();
    control->SetUserData(L"plug-in");
    return control;
}

// Puts creators into the process-wide list for one test.
class PluginCreatorTest : public SkinBuilderFixture {
protected:
    void TearDown() override {
        TavikUI::CPointerArray& creators = CWindowManager::PluginCreators();
        for (void* creator : added_) {
            creators.RemoveAt(creators.IndexOf(creator));
        }
        SkinBuilderFixture::TearDown();
    }
    void AddCreator(TavikUI::SkinPluginCreator creator) {
        void* entry = reinterpret_cast<void*>(creator);
        ASSERT_TRUE(CWindowManager::PluginCreators().Append(entry));
        added_.push_back(entry);
    }
    std::vector<void*> added_;
};

TEST_F(PluginCreatorTest, CreatorsComeBeforeTheCallbackInListOrder) {
    AddCreator(NeverCreates);
    AddCreator(CreatesGadgets);
    RecordingCallback callback({L"Gadget", L"Other"});
    std::unique_ptr<CControlUI> root =
        Build(L"<Window><VerticalLayout><Gadget/><Other/></VerticalLayout></Window>", nullptr, &callback);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(ChildCountOf(root.get()), 2);
    EXPECT_EQ(std::wstring(ChildOf(root.get(), 0)->UserData().Text()), L"plug-in");
    EXPECT_EQ(std::wstring(ChildOf(root.get(), 1)->UserData().Text()), L"Other");
    EXPECT_EQ(callback.asked, (std::vector<std::wstring>{L"Other"}));
}

// Hands out tracked controls so tests see which ones were deleted: "Leaf"
// makes a control without children, each "Tracked" sets its own flag when
// deleted.
class TrackingCallback : public TavikUI::IDialogBuilderCallback {
public:
    static constexpr int kMaxTracked = 8;

    CControlUI* CreateControlForTag(const wchar_t* tag) override {
        if (wcscmp(tag, L"Leaf") == 0) {
            return new TrackedControl(nullptr, L"leaf");
        }
        if (wcscmp(tag, L"Tracked") == 0 && made < kMaxTracked) {
            return new TrackedControl(&destroyed[made++]);
        }
        return nullptr;
    }
    int made = 0;
    bool destroyed[kMaxTracked] = {};
};

TEST_F(SkinBuilderTest, ControlInsideAControlWithoutChildrenIsDroppedAndItsLevelGivesNull) {
    TrackingCallback callback;
    std::unique_ptr<CControlUI> root = Build(L"<Window><Leaf><Tracked/><Tracked/></Leaf></Window>", nullptr, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(NameOf(root.get()), L"leaf");
    EXPECT_EQ(ContainerOf(root.get()), nullptr);
    // The first child was made, could not be placed and was deleted; the
    // level stopped there.
    ASSERT_EQ(callback.made, 1);
    EXPECT_TRUE(callback.destroyed[0]);

    CSkinBuilder level;
    ASSERT_TRUE(level.LoadFromString(L"<Leaf><Tracked/></Leaf>"));
    TrackedControl label;
    EXPECT_EQ(level.BuildWindow(&callback, nullptr, &label), nullptr);
    ASSERT_EQ(callback.made, 2);
    EXPECT_TRUE(callback.destroyed[1]);
}

TEST_F(SkinBuilderTest, ControlsAreAddedToTheParentGiven) {
    TavikUI::CContainerUI parent;
    CControlUI* first = builder_.Create(L"<Window><Control name=\"x\"/><Control name=\"y\"/></Window>", nullptr,
                                        nullptr, nullptr, &parent);
    EXPECT_EQ(NameOf(first), L"x");
    EXPECT_EQ(ChildNames(&parent), (std::vector<std::wstring>{L"x", L"y"}));
}

TEST_F(SkinBuilderTest, ExtraTopLevelControlsWithoutAParentAreNotKept) {
    TrackingCallback callback;
    std::unique_ptr<CControlUI> root =
        Build(L"<Window><Control name=\"first\"/><Tracked/></Window>", nullptr, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(NameOf(root.get()), L"first");
    ASSERT_EQ(callback.made, 1);
    EXPECT_TRUE(callback.destroyed[0]);
}

}  // namespace
