#include "ControlFactory.h"

#include <cwchar>

#include "ButtonUI.h"
#include "CheckBoxUI.h"
#include "ChildLayoutUI.h"
#include "ComboBoxUI.h"
#include "ComboUI.h"
#include "ContainerUI.h"
#include "ControlUI.h"
#include "HorizontalLayoutUI.h"
#include "LabelUI.h"
#include "ListContainerElementUI.h"
#include "ListHeaderItemUI.h"
#include "ListHeaderUI.h"
#include "ListLabelElementUI.h"
#include "ListTextElementUI.h"
#include "ListUI.h"
#include "OptionUI.h"
#include "ProgressUI.h"
#include "ScrollBarUI.h"
#include "TabLayoutUI.h"
#include "TileLayoutUI.h"
#include "TreeViewUI.h"
#include "VerticalLayoutUI.h"

namespace TavikUI {
namespace {

using ControlMaker = CControlUI* (*)();

template <class Control>
CControlUI* Make() {
    return new Control();
}

struct TagRow {
    const wchar_t* tag;
    // Null while the library has no class for the tag.
    ControlMaker make;
};

// Every class is entered here, and only here, once it is part of the
// library: a self-registering object in a static library would be dropped
// by the linker.
const TagRow kTagTable[] = {
    {L"Edit", nullptr},
    {L"List", Make<CListUI>},
    {L"Text", nullptr},
    {L"Combo", Make<CComboUI>},
    {L"Label", Make<CLabelUI>},
    {L"Flash", nullptr},
    {L"Button", Make<CButtonUI>},
    {L"Option", Make<COptionUI>},
    {L"Slider", nullptr},
    {L"Control", Make<CControlUI>},
    {L"ActiveX", nullptr},
    {L"Progress", Make<CProgressUI>},
    {L"RichEdit", nullptr},
    {L"CheckBox", Make<CCheckBoxUI>},
    {L"ComboBox", Make<CComboBoxUI>},
    {L"DateTime", nullptr},
    {L"TreeView", Make<CTreeViewUI>},
    {L"Container", Make<CContainerUI>},
    {L"TabLayout", Make<CTabLayoutUI>},
    {L"ScrollBar", Make<CScrollBarUI>},
    {L"ListHeader", Make<CListHeaderUI>},
    {L"TileLayout", Make<CTileLayoutUI>},
    {L"WebBrowser", nullptr},
    {L"ChildLayout", Make<CChildLayoutUI>},
    {L"VerticalLayout", Make<CVerticalLayoutUI>},
    {L"ListHeaderItem", Make<CListHeaderItemUI>},
    {L"ListTextElement", Make<CListTextElementUI>},
    {L"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {L"ListLabelElement", Make<CListLabelElementUI>},
    {L"ListContainerElement", Make<CListContainerElementUI>},
};

}  // namespace

CControlUI* CreateLibraryControl(const wchar_t* tag) {
    if (!tag) {
        return nullptr;
    }
    for (const TagRow& row : kTagTable) {
        if (wcscmp(tag, row.tag) == 0) {
            return row.make ? row.make() : nullptr;
        }
    }
    return nullptr;
}

}  // namespace TavikUI
