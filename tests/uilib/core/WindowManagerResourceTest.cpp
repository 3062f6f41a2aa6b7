// The manager's resources and registries: fonts, default attributes, option
// groups, colours and the parent chain, the name map, reflected messages and
// the window settings.
#include <gtest/gtest.h>

#include <string>

#include "ManagerTestSupport.h"

namespace ManagerTests {
namespace {

using namespace TavikUI;

// A top-level window that is never shown (destroying it costs nothing).
class HiddenWindow {
public:
    HiddenWindow() {
        handle = CreateWindowExW(0, L"STATIC", L"hidden", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    ~HiddenWindow() { DestroyWindow(handle); }
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;
    HWND handle;
};

LOGFONTW FontDescription(HFONT font) {
    LOGFONTW description = {};
    GetObjectW(font, sizeof(description), &description);
    return description;
}

TEST(ManagerFonts, AddedFontsAreNumberedAndOutOfRangeGivesTheDefault) {
    CWindowManager manager;
    HFONT first = manager.AddFont(L"Arial", 12, false, false, false);
    HFONT second = manager.AddFont(L"Arial", 14, true, true, true);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(manager.FontAt(0), first);
    EXPECT_EQ(manager.FontAt(1), second);
    HFONT fallback = manager.DefaultFontRecord()->font;
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(manager.FontAt(-1), fallback);
    EXPECT_EQ(manager.FontAt(2), fallback);
    EXPECT_EQ(manager.FontRecordAt(5), manager.DefaultFontRecord());

    const LOGFONTW bold = FontDescription(second);
    EXPECT_EQ(bold.lfHeight, -14);
    EXPECT_TRUE(bold.lfUnderline);
    EXPECT_TRUE(bold.lfItalic);
    EXPECT_EQ(bold.lfCharSet, DEFAULT_CHARSET);
    EXPECT_GT(bold.lfWeight, FontDescription(first).lfWeight);
    const FontRecord* record = manager.FontRecordAt(1);
    EXPECT_TRUE(record->bold);
    EXPECT_STREQ(record->faceName.Text(), L"Arial");
    EXPECT_GT(record->metrics.tmHeight, 0) << "measured on first use";
}

TEST(ManagerFonts, FindFontMatchesEveryValueExactlyAndSearchesParents) {
    CWindowManager parent;
    CWindowManager child;
    ASSERT_TRUE(child.SetParentManager(&parent));
    HFONT inParent = parent.AddFont(L"Tahoma", 12, true, false, false);
    EXPECT_EQ(child.FindFont(L"Tahoma", 12, true, false, false), inParent);
    EXPECT_EQ(child.FindFont(L"tahoma", 12, true, false, false), nullptr) << "face compared case-sensitively";
    EXPECT_EQ(child.FindFont(L"Tahoma", 13, true, false, false), nullptr);
    EXPECT_EQ(child.FindFont(L"Tahoma", 12, false, false, false), nullptr);
    EXPECT_EQ(child.FindFont(L"Tahoma", 12, true, true, false), nullptr);
    EXPECT_EQ(child.FindFont(L"Tahoma", 12, true, false, true), nullptr);
    HFONT inChild = child.AddFont(L"Tahoma", 12, true, false, false);
    EXPECT_EQ(child.FindFont(L"Tahoma", 12, true, false, false), inChild) << "own fonts first";

    EXPECT_EQ(child.FontRecordOf(inParent)->font, inParent);
    EXPECT_EQ(child.FontRecordOf(nullptr), parent.DefaultFontRecord()) << "the root manager's default";
    EXPECT_EQ(child.FontAt(7), parent.DefaultFontRecord()->font);
}

TEST(ManagerFonts, LongFaceNamesAreCutWithTheirTerminator) {
    CWindowManager manager;
    const std::wstring longFace(40, L'F');
    manager.SetDefaultFont(longFace.c_str(), 15, false, false, false);
    const LOGFONTW description = FontDescription(manager.FontAt(-1));
    EXPECT_EQ(std::wstring(description.lfFaceName), std::wstring(LF_FACESIZE - 1, L'F'));
    EXPECT_EQ(description.lfHeight, -15);
    EXPECT_STREQ(manager.DefaultFontRecord()->faceName.Text(), longFace.c_str());

    HFONT added = manager.AddFont(longFace.c_str(), 9, false, false, false);
    EXPECT_EQ(std::wstring(FontDescription(added).lfFaceName).size(), size_t{LF_FACESIZE - 1});
    EXPECT_EQ(manager.FindFont(longFace.c_str(), 9, false, false, false), added);
}

TEST(ManagerFonts, DefaultFontStartsFromTheSystemGuiFont) {
    CWindowManager manager;
    LOGFONTW gui = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
    const FontRecord* record = manager.DefaultFontRecord();
    EXPECT_STREQ(record->faceName.Text(), gui.lfFaceName);
    EXPECT_EQ(record->size, -gui.lfHeight);
    EXPECT_EQ(FontDescription(record->font).lfCharSet, DEFAULT_CHARSET);
    EXPECT_GT(record->metrics.tmHeight, 0);
}

TEST(ManagerDefaultAttributes, FirstStringStaysAndParentsAnswerTheRest) {
    CWindowManager parent;
    CWindowManager child;
    child.SetParentManager(&parent);
    child.SetDefaultAttributes(L"Button", L"height=\"20\"");
    child.SetDefaultAttributes(L"Button", L"height=\"99\"");
    parent.SetDefaultAttributes(L"Button", L"height=\"30\"");
    parent.SetDefaultAttributes(L"Label", L"font=\"1\"");
    EXPECT_STREQ(child.DefaultAttributesFor(L"Button"), L"height=\"20\"");
    EXPECT_STREQ(child.DefaultAttributesFor(L"Label"), L"font=\"1\"");
    EXPECT_EQ(child.DefaultAttributesFor(L"Edit"), nullptr);
    EXPECT_EQ(parent.DefaultAttributesFor(L"button"), nullptr) << "tags compare exactly";
}

TEST(ManagerOptionGroups, MembersAreUniqueAndEmptyGroupsVanish) {
    CWindowManager manager;
    CControlUI first;
    CControlUI second;
    EXPECT_EQ(manager.OptionGroup(L"sex"), nullptr);
    EXPECT_TRUE(manager.AddOptionToGroup(L"sex", &first));
    EXPECT_FALSE(manager.AddOptionToGroup(L"sex", &first));
    EXPECT_TRUE(manager.AddOptionToGroup(L"sex", &second));
    CPointerArray* group = manager.OptionGroup(L"sex");
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->Count(), 2);
    EXPECT_EQ(group->At(0), &first);
    EXPECT_EQ(group->At(1), &second);
    manager.RemoveOptionFromGroup(L"sex", &first);
    ASSERT_EQ(manager.OptionGroup(L"sex")->Count(), 1);
    manager.RemoveOptionFromGroup(L"other", &second);
    manager.RemoveOptionFromGroup(L"sex", &second);
    EXPECT_EQ(manager.OptionGroup(L"sex"), nullptr);
}

TEST(ManagerColours, DefaultsAndTheRootManagerAnswers) {
    CWindowManager root;
    CWindowManager child;
    EXPECT_EQ(child.DisabledTextColor(), 0xFFA7A6AAu);
    EXPECT_EQ(child.DefaultTextColor(), 0xFF000000u);
    EXPECT_EQ(child.LinkTextColor(), 0xFF0000FFu);
    EXPECT_EQ(child.LinkHoverTextColor(), 0xFFD3215Fu);
    EXPECT_EQ(child.SelectedBackgroundColor(), 0xFFBAE4FFu);
    child.SetDefaultTextColor(0xFF111111);
    EXPECT_EQ(child.DefaultTextColor(), 0xFF111111u);
    ASSERT_TRUE(child.SetParentManager(&root));
    root.SetLinkTextColor(0xFF222222);
    EXPECT_EQ(child.DefaultTextColor(), 0xFF000000u) << "the root's value wins";
    EXPECT_EQ(child.LinkTextColor(), 0xFF222222u);
}

TEST(ManagerParentChain, CyclesAreRefused) {
    CWindowManager first;
    CWindowManager second;
    CWindowManager third;
    EXPECT_FALSE(first.SetParentManager(&first));
    ASSERT_TRUE(second.SetParentManager(&first));
    ASSERT_TRUE(third.SetParentManager(&second));
    EXPECT_FALSE(first.SetParentManager(&third));
    EXPECT_EQ(first.ParentManager(), nullptr);
    EXPECT_TRUE(third.SetParentManager(nullptr));
    EXPECT_EQ(third.ParentManager(), nullptr);
    EXPECT_TRUE(first.SetParentManager(&third));
}

using ManagerNames = ManagerFixture;

TEST_F(ManagerNames, AdoptedTreesEnterTheirNamesAndTheLastVisitedWins) {
    EXPECT_EQ(Manager().FindControlByName(L"A"), a_);
    EXPECT_EQ(Manager().FindControlByName(L"root"), root_);
    auto* group = new TestContainer(&log_, L"group");
    auto* earlier = group->Add(new TestControl(&log_, L"twin"), RECT{});
    auto* later = group->Add(new TestControl(&log_, L"twin"), RECT{});
    root_->Add(group, RECT{});
    EXPECT_EQ(Manager().FindControlByName(L"twin"), later);
    EXPECT_EQ(later->Manager(), &Manager());
    EXPECT_EQ(later->Parent(), group);

    // Forgetting the earlier twin leaves the entry of the later one.
    Manager().ForgetControl(earlier);
    EXPECT_EQ(Manager().FindControlByName(L"twin"), later);
    Manager().ForgetControl(later);
    EXPECT_EQ(Manager().FindControlByName(L"twin"), nullptr);
    EXPECT_FALSE(Manager().AdoptControlTree(nullptr));
}

TEST_F(ManagerNames, ForgettingDropsFocusHoverPressAndKeyDown) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, PointParam(20, 20));
    Send(WM_MOUSEMOVE, MK_LBUTTON, PointParam(20, 20));
    Send(WM_KEYDOWN, 'K', 0);
    ASSERT_EQ(Manager().FocusedControl(), a_);
    Manager().ForgetControl(a_);
    EXPECT_EQ(Manager().FocusedControl(), nullptr);
    log_.Clear();
    Send(WM_KEYUP, 'K', 0);
    Send(WM_MOUSEMOVE, 0, PointParam(150, 20));
    Send(WM_LBUTTONUP, 0, PointParam(150, 20));
    EXPECT_TRUE(log_.TypesFor(a_).empty());
    Manager().ReleaseMouse();
}

// Records the reflected messages it receives and answers a fixed value.
LRESULT CALLBACK ReflectTargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= 0x2000 && message < 0x3000) {
        SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(message));
        return 77;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(ManagerNames, ChildMessagesAreReflectedToTheirSender) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ReflectTargetProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TavikReflectTarget";
    RegisterClassW(&windowClass);
    HWND child = CreateWindowExW(0, L"TavikReflectTarget", nullptr, WS_CHILD, 0, 0, 10, 10, Handle(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    auto lastReflected = [&] { return static_cast<UINT>(GetWindowLongPtrW(child, GWLP_USERDATA)); };

    EXPECT_EQ(Send(WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(child)), 77);
    EXPECT_EQ(lastReflected(), 0x2111u);
    NMHDR header = {child, 1, NM_CLICK};
    EXPECT_EQ(Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header)), 77);
    EXPECT_EQ(lastReflected(), 0x204Eu);
    HDC dc = GetDC(Handle());
    EXPECT_EQ(Send(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)), 77);
    EXPECT_EQ(lastReflected(), 0x2133u);
    EXPECT_EQ(Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)), 77);
    EXPECT_EQ(lastReflected(), 0x2138u);
    ReleaseDC(Handle(), dc);

    LRESULT result = 5;
    EXPECT_FALSE(Manager().HandleWindowMessage(WM_COMMAND, 1, 0, result));
    EXPECT_TRUE(Manager().HandleWindowMessage(WM_NOTIFY, 1, 0, result)) << "answered, with nothing to reflect";
    EXPECT_EQ(result, 5);
    EXPECT_FALSE(Manager().HandleWindowMessage(WM_CTLCOLOREDIT, 0, 0, result));
    DestroyWindow(child);
}

TEST_F(ManagerNames, TrackSizeLimitsOverrideOnlyWhatIsSet) {
    Manager().SetMinInfo(120, 0);
    Manager().SetMaxInfo(0, 700);
    MINMAXINFO info = {};
    info.ptMinTrackSize = {1, 2};
    info.ptMaxTrackSize = {3, 4};
    LRESULT result = 0;
    EXPECT_FALSE(Manager().HandleWindowMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info), result));
    EXPECT_EQ(info.ptMinTrackSize.x, 120);
    EXPECT_EQ(info.ptMinTrackSize.y, 2);
    EXPECT_EQ(info.ptMaxTrackSize.x, 3);
    EXPECT_EQ(info.ptMaxTrackSize.y, 700);
}

TEST(ManagerWindowSettings, InitialSizeResizesOnlyBeforeARoot) {
    HiddenWindow window;
    ASSERT_NE(window.handle, nullptr);
    CWindowManager manager;
    manager.Attach(window.handle);
    manager.SetInitialSize(123, 77);
    RECT rect;
    GetWindowRect(window.handle, &rect);
    EXPECT_EQ(rect.right - rect.left, 123);
    EXPECT_EQ(rect.bottom - rect.top, 77);
    EXPECT_EQ(manager.InitialSize().cx, 123);

    manager.AttachRoot(new CControlUI);
    manager.SetInitialSize(300, 300);
    GetWindowRect(window.handle, &rect);
    EXPECT_EQ(rect.right - rect.left, 123);
}

TEST(ManagerWindowSettings, WindowAlphaIsClampedAndMakesTheWindowLayered) {
    HiddenWindow window;
    CWindowManager manager;
    manager.SetWindowAlpha(300);
    EXPECT_EQ(manager.WindowAlpha(), 255);
    manager.Attach(window.handle);
    manager.SetWindowAlpha(-5);
    EXPECT_EQ(manager.WindowAlpha(), 0);
    manager.SetWindowAlpha(128);
    EXPECT_TRUE(GetWindowLongPtrW(window.handle, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window.handle, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 128);
    EXPECT_EQ(flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));
}

TEST(ManagerBinding, UnboundManagerHandlesNothing) {
    CWindowManager manager;
    LRESULT result = 0;
    EXPECT_FALSE(manager.HandleWindowMessage(WM_ERASEBKGND, 0, 0, result));
    EXPECT_FALSE(manager.HandleWindowMessage(WM_SIZE, 0, 0, result));
}

}  // namespace
}  // namespace ManagerTests
