#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ContainerUI.h"
#include "ControlTestSupport.h"
#include "SkinBuilderTestSupport.h"

using ControlTests::ManagedWindow;
using SkinBuilderTests::ChildCountOf;
using SkinBuilderTests::ChildNames;
using SkinBuilderTests::ChildOf;
using SkinBuilderTests::NameOf;
using SkinBuilderTests::RecordingCallback;
using SkinBuilderTests::SkinBuilderFixture;
using SkinBuilderTests::Utf8;
using TavikUI::CControlUI;
using TavikUI::CSkinBuilder;

namespace {

const wchar_t kPart[] = L"<Window><Control name=\"part\"/></Window>";

std::wstring IncludingSkin(const std::wstring& source, const std::wstring& extra = L"") {
    return L"<Window><VerticalLayout name=\"holder\"><Include source=\"" + source + L"\"" + extra +
           L"/></VerticalLayout></Window>";
}

using SkinIncludeTest = SkinBuilderFixture;

TEST_F(SkinIncludeTest, CountBuildsTheOtherSkinThatManyTimesIntoTheCurrentParent) {
    WriteSkin(L"part.xml", kPart);
    WriteSkin(L"main.xml",
              L"<Window><VerticalLayout name=\"root\"><Include source=\"part.xml\" count=\"3\"/>"
              L"<Control name=\"after\"/></VerticalLayout></Window>");
    std::unique_ptr<CControlUI> root = Build(L"main.xml");
    ASSERT_NE(root, nullptr) << builder_.ErrorMessage();
    EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"part", L"part", L"part", L"after"}));
    EXPECT_FALSE(builder_.IncludeFailed());
}

TEST_F(SkinIncludeTest, CountDefaultsToOneAndZeroOrNoSourceBuildNothing) {
    WriteSkin(L"part.xml", kPart);
    std::unique_ptr<CControlUI> once = Build(IncludingSkin(L"part.xml").c_str());
    ASSERT_NE(once, nullptr);
    EXPECT_EQ(ChildCountOf(once.get()), 1);

    CSkinBuilder zero;
    std::unique_ptr<CControlUI> none(
        zero.Create(IncludingSkin(L"part.xml", L" count=\"0\"").c_str(), nullptr, nullptr, nullptr, nullptr));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(ChildCountOf(none.get()), 0);

    CSkinBuilder sourceless;
    std::unique_ptr<CControlUI> empty(
        sourceless.Create(L"<Window><VerticalLayout><Include count=\"2\"/><Include/></VerticalLayout></Window>",
                          nullptr, nullptr, nullptr, nullptr));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(ChildCountOf(empty.get()), 0);
}

TEST_F(SkinIncludeTest, IncludedControlsDoNotBecomeTheResult) {
    WriteSkin(L"part.xml", kPart);
    TavikUI::CContainerUI parent;
    CControlUI* result = builder_.Create(L"<Window><Include source=\"part.xml\"/><Control name=\"own\"/></Window>",
                                         nullptr, nullptr, nullptr, &parent);
    EXPECT_EQ(NameOf(result), L"own");
    EXPECT_EQ(ChildNames(&parent), (std::vector<std::wstring>{L"part", L"own"}));
}

TEST_F(SkinIncludeTest, MissingIncludeIsSkipped) {
    std::unique_ptr<CControlUI> root = Build(IncludingSkin(L"absent.xml").c_str());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildCountOf(root.get()), 0);
    EXPECT_FALSE(builder_.IncludeFailed());
}

TEST_F(SkinIncludeTest, IncludedSkinsShareTheCallbackAndTheManager) {
    WriteSkin(L"part.xml", L"<Window><Font name=\"Arial\" size=\"11\"/><Gadget name=\"g\"/></Window>");
    RecordingCallback callback({L"Gadget"});
    TavikUI::CWindowManager manager;
    const int fonts = manager.FontCount();
    std::unique_ptr<CControlUI> root = Build(IncludingSkin(L"part.xml").c_str(), &manager, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"g"}));
    EXPECT_EQ(manager.FontCount(), fonts + 1);
}

TEST_F(SkinIncludeTest, SkinThatIncludesItselfIsStoppedWithAnError) {
    WriteSkin(L"self.xml", IncludingSkin(L"self.xml"));
    EXPECT_EQ(Build(L"self.xml"), nullptr);
    EXPECT_TRUE(builder_.IncludeFailed());
    EXPECT_EQ(std::wstring(builder_.ErrorMessage()), L"Skin includes itself");
    EXPECT_EQ(std::wstring(builder_.ErrorLocation()), L"self.xml");

    // The same builder builds a sound skin afterwards.
    WriteSkin(L"part.xml", kPart);
    std::unique_ptr<CControlUI> root = Build(IncludingSkin(L"part.xml").c_str());
    ASSERT_NE(root, nullptr);
    EXPECT_FALSE(builder_.IncludeFailed());
    EXPECT_EQ(ChildCountOf(root.get()), 1);
}

TEST_F(SkinIncludeTest, CycleThroughOtherSkinsIsStoppedWhateverTheCase) {
    WriteSkin(L"a.xml", IncludingSkin(L"B.XML"));
    WriteSkin(L"b.xml", IncludingSkin(L"c.xml"));
    WriteSkin(L"c.xml", IncludingSkin(L"A.xml"));
    EXPECT_EQ(Build(L"a.xml"), nullptr);
    EXPECT_TRUE(builder_.IncludeFailed());
    EXPECT_EQ(std::wstring(builder_.ErrorLocation()), L"A.xml");
}

TEST_F(SkinIncludeTest, CycleBelowATextSkinFailsTheWholeBuildAndKeepsNothingInTheParent) {
    WriteSkin(L"loop.xml", IncludingSkin(L"loop.xml"));
    TavikUI::CContainerUI parent;
    CControlUI* result = builder_.Create(IncludingSkin(L"loop.xml").c_str(), nullptr, nullptr, nullptr, &parent);
    EXPECT_EQ(result, nullptr);
    EXPECT_TRUE(builder_.IncludeFailed());
    // The holder layout was still being built: it never reached the parent.
    EXPECT_EQ(ChildCountOf(&parent), 0);
}

TEST_F(SkinIncludeTest, SameSkinIncludedTwiceSideBySideIsNoCycle) {
    WriteSkin(L"leaf.xml", kPart);
    WriteSkin(L"twice.xml",
              L"<Window><HorizontalLayout name=\"pair\"><Include source=\"leaf.xml\"/>"
              L"<Include source=\"leaf.xml\"/></HorizontalLayout></Window>");
    std::unique_ptr<CControlUI> root = Build(IncludingSkin(L"twice.xml", L" count=\"2\"").c_str());
    ASSERT_NE(root, nullptr) << builder_.ErrorMessage();
    ASSERT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"pair", L"pair"}));
    EXPECT_EQ(ChildCountOf(ChildOf(root.get(), 1)), 2);
}

TEST_F(SkinIncludeTest, ChainsDeeperThanTheLimitAreStopped) {
    const int depth = CSkinBuilder::kMaxIncludeDepth;
    for (int i = 0; i <= depth + 1; ++i) {
        WriteSkin(L"d" + std::to_wstring(i) + L".xml", IncludingSkin(L"d" + std::to_wstring(i + 1) + L".xml"));
    }
    EXPECT_EQ(Build(L"d0.xml"), nullptr);
    EXPECT_TRUE(builder_.IncludeFailed());
    EXPECT_EQ(std::wstring(builder_.ErrorMessage()), L"Skin includes nested too deeply");
    EXPECT_EQ(std::wstring(builder_.ErrorLocation()), L"d" + std::to_wstring(depth + 1) + L".xml");

    // A chain exactly at the limit builds; its last skin includes nothing.
    WriteSkin(L"d" + std::to_wstring(depth) + L".xml", kPart);
    CSkinBuilder atLimit;
    std::unique_ptr<CControlUI> root(atLimit.Create(L"d0.xml", nullptr, nullptr, nullptr, nullptr));
    ASSERT_NE(root, nullptr) << atLimit.ErrorMessage();
    CControlUI* deepest = root.get();
    for (int i = 0; i < depth - 1; ++i) {
        deepest = ChildOf(deepest, 0);
        ASSERT_NE(deepest, nullptr) << "level " << i;
    }
    EXPECT_EQ(ChildNames(deepest), (std::vector<std::wstring>{L"part"}));
}

TEST_F(SkinIncludeTest, IncludesFromTheSkinArchive) {
    UseMemoryArchive({
        ZipTest::FileItem("main.xml",
                          Utf8(L"<Window><VerticalLayout><Include source=\"parts/row.xml\" count=\"2\"/>"
                               L"</VerticalLayout></Window>"),
                          true),
        ZipTest::FileItem("parts/row.xml", Utf8(L"<Window><HorizontalLayout name=\"行\"/></Window>")),
        ZipTest::FileItem("self.xml", Utf8(IncludingSkin(L"self.xml"))),
    });
    std::unique_ptr<CControlUI> root = Build(L"main.xml");
    ASSERT_NE(root, nullptr) << builder_.ErrorMessage();
    EXPECT_EQ(ChildNames(root.get()), (std::vector<std::wstring>{L"行", L"行"}));

    CSkinBuilder self;
    EXPECT_EQ(self.Create(L"self.xml", nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_TRUE(self.IncludeFailed());
}

TEST_F(SkinIncludeTest, ResourceSkinsIncludeResourcesOfTheirType) {
    ManagedWindow window;
    ASSERT_NE(window.Handle(), nullptr) << "no X display?";
    CControlUI* root = builder_.Create(MAKEINTRESOURCEW(301), L"xml", nullptr, &window.manager, nullptr);
    ASSERT_NE(root, nullptr) << builder_.ErrorMessage();
    std::unique_ptr<CControlUI> owned(root);
    EXPECT_EQ(NameOf(root), L"resourceRoot");
    EXPECT_EQ(ChildNames(root), (std::vector<std::wstring>{L"资源", L"资源", L"last"}));
    EXPECT_EQ(window.manager.CaptionRect().bottom, 30);

    CSkinBuilder self;
    EXPECT_EQ(self.Create(MAKEINTRESOURCEW(303), L"xml", nullptr, nullptr, nullptr), nullptr);
    EXPECT_TRUE(self.IncludeFailed());
    EXPECT_EQ(std::wstring(self.ErrorLocation()), L"303");

    CSkinBuilder missing;
    EXPECT_EQ(missing.Create(MAKEINTRESOURCEW(399), L"xml", nullptr, nullptr, nullptr), nullptr);
    EXPECT_FALSE(missing.IncludeFailed());
    CSkinBuilder wrongType;
    EXPECT_EQ(wrongType.Create(MAKEINTRESOURCEW(301), L"PNG", nullptr, nullptr, nullptr), nullptr);
}

}  // namespace
