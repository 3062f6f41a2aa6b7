// The list built from skin XML and driven by window messages: selection by
// keys, wheel and clicks with its notifications, removal, header columns
// (drag, hidden header, horizontal scroll), text rows from a provider with
// links, and the row colours by pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ControlFactory.h"
#include "ControlsTestSupport.h"
#include "ListBodyUI.h"
#include "ListHeaderItemUI.h"
#include "ListHeaderUI.h"
#include "ListLabelElementUI.h"
#include "ListTextElementUI.h"
#include "ListUI.h"

using ControlsTests::CountNear;
using ControlsTests::Rgb;
using ControlsTests::SkinWindowTest;
using RenderTests::RenderCanvas;
using TavikUI::CControlUI;
using TavikUI::CListHeaderItemUI;
using TavikUI::CListUI;
using TavikUI::CUISize;

namespace {

using NoteList = std::vector<std::wstring>;

const uint32_t kListBk = 0xFFFFFFFF;
const uint32_t kItemBk = 0xFFE0E0F0;
const uint32_t kHotBk = 0xFF60C060;
const uint32_t kSelectedBk = 0xFF4060E0;
const uint32_t kDisabledBk = 0xFFB0B0B0;
const uint32_t kLine = 0xFFC00000;

// Rows r0..r5 of 20 pixels under a 24-pixel header of two columns (100 and
// 120 wide), in a list at (10,10)-(310,130): the body shows about four rows.
// r3 is selected by the skin, r5 disabled.
std::wstring ListSkin(const std::wstring& listAttributes) {
    return L"<Window><Container bkcolor=\"#FFFFFFFF\">"
           L"<List name=\"list\" float=\"true\" pos=\"10,10,310,130\" bkcolor=\"#FFFFFFFF\" vscrollbar=\"true\" "
           L"itembkcolor=\"#FFE0E0F0\" itemaltbk=\"true\" itemhotbkcolor=\"#FF60C060\" "
           L"itemselectedbkcolor=\"#FF4060E0\" itemdisabledbkcolor=\"#FFB0B0B0\" itemlinecolor=\"#FFC00000\" " +
           listAttributes +
           L">"
           L"<ListHeader name=\"header\" height=\"24\">"
           L"<ListHeaderItem name=\"h0\" text=\"Name\" width=\"100\"/>"
           L"<ListHeaderItem name=\"h1\" text=\"Size\" width=\"120\"/>"
           L"</ListHeader>"
           L"<ListLabelElement name=\"r0\" text=\"zero\" height=\"20\"/>"
           L"<ListTextElement name=\"r1\" height=\"20\"/>"
           L"<ListContainerElement name=\"r2\" height=\"20\"><Control/></ListContainerElement>"
           L"<ListLabelElement name=\"r3\" text=\"three\" height=\"20\" selected=\"true\"/>"
           L"<ListLabelElement name=\"r4\" text=\"four\" height=\"20\"/>"
           L"<ListLabelElement name=\"r5\" text=\"five\" height=\"20\" enabled=\"false\"/>"
           L"</List></Container></Window>";
}

class CellTexts : public TavikUI::ICellTextProvider {
public:
    const wchar_t* CellText(CControlUI*, int row, int column) override {
        ++calls;
        if (row == 1 && column == 0) {
            return L"{a go}link{/a}";
        }
        return nullptr;
    }
    int calls = 0;
};

class ListWindowTest : public SkinWindowTest {
protected:
    void Build(const std::wstring& listAttributes = L"") {
        ASSERT_TRUE(BuildSkin(ListSkin(listAttributes)));
        list_ = Find<CListUI>(L"list");
        ASSERT_NE(list_, nullptr);
    }
    RECT RowRect(const wchar_t* name) { return manager_->FindControlByName(name)->Rect(); }
    POINT Middle(const wchar_t* name) {
        const RECT rect = RowRect(name);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    void ClickRow(const wchar_t* name) {
        const POINT point = Middle(name);
        Click(point.x, point.y);
    }
    void Wheel(int delta) {
        const POINT point = Middle(L"r0");
        Send(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(point.x, point.y));
    }
    std::vector<std::pair<WPARAM, LPARAM>> SelectParams() const {
        std::vector<std::pair<WPARAM, LPARAM>> params;
        for (const auto& entry : notes_.entries) {
            if (entry.type == L"itemselect") {
                params.push_back({entry.wParam, entry.lParam});
            }
        }
        return params;
    }
    void ClearNotes() { notes_.entries.clear(); }

    CListUI* list_ = nullptr;
};

TEST_F(ListWindowTest, TheSkinBuildsHeaderBodyAndNumberedRowsWithTheSelectedOne) {
    Build();
    EXPECT_EQ(list_->ChildCount(), 6);
    EXPECT_EQ(list_->CurrentSelection(), 3);
    // Built before the list had a window: nobody was told.
    EXPECT_EQ(std::count(buildNotes_.begin(), buildNotes_.end(), L"itemselect:list"), 0);
    for (int i = 0; i < list_->ChildCount(); ++i) {
        EXPECT_EQ(TavikUI::AsListItem(list_->ChildAt(i))->Index(), i);
    }
    EXPECT_EQ(list_->Header()->ChildCount(), 2);
    EXPECT_EQ(list_->ListInfo()->columnCount, 2);
    EXPECT_EQ(list_->ListInfo()->columns[1].left, 110);
    EXPECT_EQ(list_->ListInfo()->columns[1].right, 230);
    // The rows span the header's 220 pixels or the body, whichever is wider.
    EXPECT_EQ(RowRect(L"r0").top, 34);
    EXPECT_EQ(RowRect(L"r1").top, 54);
}

TEST_F(ListWindowTest, KeysAndWheelMoveTheSelectionClickComesBeforeSelect) {
    Build();
    ClickRow(L"r0");
    EXPECT_EQ(Notes(), (NoteList{L"itemclick:r0", L"itemselect:list"}));
    EXPECT_EQ(SelectParams(), (std::vector<std::pair<WPARAM, LPARAM>>{{0, 3}}));

    ClearNotes();
    Key(VK_UP);  // at the first row: stays, silent
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_END);  // the last row is disabled: nothing selectable from there
    EXPECT_EQ(list_->CurrentSelection(), -1);
    Key(VK_HOME);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(Notes(), (NoteList{L"itemselect:list", L"itemselect:list", L"itemselect:list", L"itemselect:list",
                                 L"itemactivate:r1"}));
    EXPECT_EQ(SelectParams(), (std::vector<std::pair<WPARAM, LPARAM>>{{1, 0}, {2, 1}, {0, -1}, {1, 0}}));

    // Down from the row before the disabled last one clears the selection.
    list_->SelectItem(4, true);
    ClearNotes();
    Key(VK_DOWN);
    EXPECT_EQ(list_->CurrentSelection(), -1);
    EXPECT_TRUE(Notes().empty());

    // The wheel scrolls, or with scroll-select moves the selection.
    list_->SelectItem(0, true);
    Wheel(-WHEEL_DELTA);
    EXPECT_GT(list_->ScrollPosition().cy, 0);
    Key(VK_PRIOR);
    EXPECT_EQ(list_->ScrollPosition().cy, 0);
    Key(VK_NEXT);
    EXPECT_GT(list_->ScrollPosition().cy, 0);
    list_->SetScrollSelect(true);
    ClearNotes();
    Wheel(-WHEEL_DELTA);
    Wheel(-WHEEL_DELTA);
    Wheel(WHEEL_DELTA);
    EXPECT_EQ(SelectParams(), (std::vector<std::pair<WPARAM, LPARAM>>{{1, 0}, {2, 1}, {1, 2}}));
    // A double click activates the row under it.
    ClearNotes();
    const POINT point = Middle(L"r4");
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    const NoteList notes = Notes();
    EXPECT_NE(std::find(notes.begin(), notes.end(), L"itemactivate:r4"), notes.end());
}

TEST_F(ListWindowTest, RemovingRowsRenumbersAndReselects) {
    Build();
    list_->SelectItem(2, false);
    ClearNotes();
    // The row that moves into the removed selected index is chosen.
    ASSERT_TRUE(list_->RemoveChildAt(2));
    EXPECT_EQ(list_->CurrentSelection(), 2);
    EXPECT_STREQ(list_->ChildAt(2)->Name().Text(), L"r3");
    EXPECT_EQ(SelectParams(), (std::vector<std::pair<WPARAM, LPARAM>>{{2, -1}}));
    // A row before the selection shifts it silently.
    ClearNotes();
    ASSERT_TRUE(list_->RemoveChild(list_->ChildAt(0)));
    EXPECT_EQ(list_->CurrentSelection(), 1);
    EXPECT_TRUE(Notes().empty());
    for (int i = 0; i < list_->ChildCount(); ++i) {
        EXPECT_EQ(TavikUI::AsListItem(list_->ChildAt(i))->Index(), i);
    }
    // Rows r1, r3, r4, r5: removing r4 (selected) before the disabled last
    // row falls back to the nearest selectable row before it.
    list_->SelectItem(2, false);
    ASSERT_TRUE(list_->RemoveChildAt(2));
    EXPECT_STREQ(list_->ChildAt(list_->CurrentSelection())->Name().Text(), L"r3");
    EXPECT_FALSE(list_->RemoveChildAt(7));
}

TEST_F(ListWindowTest, HeaderSeparatorDragResizesWithinTheMinimumAndRowsFollow) {
    Build();
    auto* h0 = Find<CListHeaderItemUI>(L"h0");
    ASSERT_NE(h0, nullptr);
    // The grip is the 4-pixel separator plus 4 pixels inside: x 102..109.
    MoveTo(108, 20);
    Press(108, 20);
    MoveTo(138, 20);
    RepaintNow();
    EXPECT_EQ(h0->Rect().right, 140);
    EXPECT_EQ(list_->ListInfo()->columns[1].left, 140);
    // Narrower than the minimum (16) is refused; the drag goes on from the
    // last accepted point.
    MoveTo(20, 20);
    RepaintNow();
    EXPECT_EQ(h0->Rect().right, 140);
    MoveTo(128, 20);
    Release(128, 20);
    RepaintNow();
    EXPECT_EQ(h0->Rect().right, 130);
    EXPECT_EQ(list_->ListInfo()->columns[0].right, 130);
    EXPECT_TRUE(Notes().empty());
    // A click away from the grip is a header click.
    Click(50, 20);
    EXPECT_EQ(Notes(), (NoteList{L"headerclick:h0"}));
}

TEST_F(ListWindowTest, AHiddenHeaderStillGivesColumnsAndHorizontalScrollMovesBoth) {
    Build(L"header=\"hidden\" hscrollbar=\"true\"");
    EXPECT_FALSE(list_->Header()->IsVisible());
    EXPECT_EQ(list_->ListInfo()->columns[0].left, 10);
    EXPECT_EQ(list_->ListInfo()->columns[1].right, 230);
    EXPECT_EQ(RowRect(L"r0").top, 10);

    // Columns wider than the body give a horizontal range.
    list_->ApplyAttribute(L"header", L"visible");
    Find<CListHeaderItemUI>(L"h1")->SetDeclaredWidth(400);
    RepaintNow();
    ASSERT_GT(list_->ScrollRange().cx, 30);
    const int rowLeft = RowRect(L"r0").left;
    list_->SetScrollPosition(CUISize(30, 0));
    EXPECT_EQ(Find<CListHeaderItemUI>(L"h0")->Rect().left, 10 - 30);
    EXPECT_EQ(list_->ListInfo()->columns[1].left, 110 - 30);
    EXPECT_EQ(RowRect(L"r0").left, rowLeft - 30);
    // A new layout keeps the shift.
    list_->MarkForLayout();
    RepaintNow();
    EXPECT_EQ(list_->ListInfo()->columns[0].left, 10 - 30);
}

TEST_F(ListWindowTest, TextRowsTakeCellsFromTheProviderAndSendLinks) {
    Build(L"itemshowhtml=\"true\"");
    CellTexts provider;
    list_->SetCellTextProvider(&provider);
    RepaintNow();
    EXPECT_GT(provider.calls, 0);
    auto* row = Find<TavikUI::CListTextElementUI>(L"r1");
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->LinkCount(), 1);
    const RECT link = row->LinkRect(0);
    EXPECT_GE(link.left, 10);
    EXPECT_LE(link.right, 110);
    const int x = (link.left + link.right) / 2;
    const int y = (link.top + link.bottom) / 2;
    Click(x, y);
    EXPECT_EQ(Notes(), (NoteList{L"itemclick:r1", L"itemselect:list", L"link:r1"}));
    // Without markup a row has no links.
    list_->ApplyAttribute(L"itemshowhtml", L"false");
    RepaintNow();
    EXPECT_EQ(row->LinkCount(), 0);
}

TEST_F(ListWindowTest, RowColoursFollowTheirStateAndTheLineSitsAtTheBottom) {
    Build();
    list_->SelectItem(3, false);
    MoveTo(Middle(L"r2").x, Middle(L"r2").y);
    RenderCanvas canvas(400, 300);
    Print(canvas);
    // Sampled at the right end, clear of texts and of the scroll bar.
    const int x = 250;
    auto at = [&](const wchar_t* name) { return canvas.At(x, RowRect(name).top + 5); };
    EXPECT_EQ(at(L"r0"), Rgb(kItemBk));
    EXPECT_EQ(at(L"r1"), Rgb(kListBk));  // odd rows have no colour
    EXPECT_EQ(at(L"r2"), Rgb(kHotBk));
    EXPECT_EQ(at(L"r3"), Rgb(kSelectedBk));
    EXPECT_EQ(canvas.At(x, RowRect(L"r0").bottom - 1), Rgb(kLine));
    list_->SetScrollPosition(CUISize(0, 100));
    Print(canvas);
    EXPECT_EQ(canvas.At(x, RowRect(L"r5").top + 5), Rgb(kDisabledBk));
    // Selected text is drawn in the selected text colour.
    list_->SetSelectedItemTextColor(0xFFFFFF00);
    list_->SelectItem(4, false);
    Print(canvas);
    const RECT r4 = RowRect(L"r4");
    EXPECT_GT(CountNear(canvas, RECT{r4.left, r4.top, r4.left + 60, r4.bottom}, 0xFFFF00), 5);
}

TEST(ListAttributeTest, AlignWordsAndTheTagTable) {
    CListUI list;
    list.ApplyAttribute(L"itemalign", L"center right");
    EXPECT_EQ(list.ListInfo()->textStyle & (DT_CENTER | DT_RIGHT), static_cast<UINT>(DT_RIGHT));
    EXPECT_EQ(list.InterfaceByName(L"IListOwner"), static_cast<TavikUI::IListOwnerUI*>(&list));
    // A row selected outside any window is quiet and safe.
    auto* row = new TavikUI::CListLabelElementUI();
    list.AddChild(row);
    row->ApplyAttribute(L"selected", L"true");
    EXPECT_EQ(list.CurrentSelection(), 0);
    // Each tag builds its own class (the class name is the tag with "UI").
    for (const std::wstring tag : {L"List", L"ListHeader", L"ListHeaderItem", L"ListTextElement", L"ListLabelElement",
                                   L"ListContainerElement", L"Combo", L"ComboBox"}) {
        std::unique_ptr<CControlUI> control(TavikUI::CreateLibraryControl(tag.c_str()));
        ASSERT_NE(control, nullptr) << tag;
        EXPECT_EQ(std::wstring(control->ClassName()), tag + L"UI");
    }
}

}  // namespace
