#include "ControlFactory.h"

#include <cwchar>

#include "ActiveXUI.h"
#include "ButtonUI.h"
#include "CheckBoxUI.h"
#include "ChildLayoutUI.h"
#include "ComboBoxUI.h"
#include "ComboUI.h"
#include "ContainerUI.h"
#include "ControlUI.h"
#include "DateTimeUI.h"
#include "EditUI.h"
#include "FlashUI.h"
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
#include "RichEditUI.h"
#include "ScrollBarUI.h"
#include "SliderUI.h"
#include "TabLayoutUI.h"
#include "TextUI.h"
#include "TileLayoutUI.h"
#include "TreeViewUI.h"
#include "VerticalLayoutUI.h"
#include "WebBrowserUI.h"

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
    {L"Edit", Make<CEditUI>},
    {L"List", Make<CListUI>},
    {L"Text", Make<CTextUI>},
    {L"Combo", Make<CComboUI>},
    {L"Label", Make<CLabelUI>},
    {L"Flash", Make<CFlashUI>},
    {L"Button", Make<CButtonUI>},
    {L"Option", Make<COptionUI>},
    {L"Slider", Make<CSliderUI>},
    {L"Control", Make<CControlUI>},
    {L"ActiveX", Make<CActiveXUI>},
    {L"Progress", Make<CProgressUI>},
    {L"RichEdit", Make<CRichEditUI>},
    {L"CheckBox", Make<CCheckBoxUI>},
    {L"ComboBox", Make<CComboBoxUI>},
    {L"DateTime", Make<CDateTimeUI>},
    {L"TreeView", Make<CTreeViewUI>},
    {L"Container", Make<CContainerUI>},
    {L"TabLayout", Make<CTabLayoutUI>},
    {L"ScrollBar", Make<CScrollBarUI>},
    {L"ListHeader", Make<CListHeaderUI>},
    {L"TileLayout", Make<CTileLayoutUI>},
    {L"WebBrowser", Make<CWebBrowserUI>},
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
