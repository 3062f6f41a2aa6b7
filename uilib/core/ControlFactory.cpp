#include "ControlFactory.h"

#include <cwchar>

#include "ButtonUI.h"
#include "CheckBoxUI.h"
#include "ChildLayoutUI.h"
#include "ContainerUI.h"
#include "ControlUI.h"
#include "DateTimeUI.h"
#include "EditUI.h"
#include "HorizontalLayoutUI.h"
#include "LabelUI.h"
#include "OptionUI.h"
#include "ProgressUI.h"
#include "ScrollBarUI.h"
#include "SliderUI.h"
#include "TabLayoutUI.h"
#include "TextUI.h"
#include "TileLayoutUI.h"
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
    {L"Edit", Make<CEditUI>},
    {L"List", nullptr},
    {L"Text", Make<CTextUI>},
    {L"Combo", nullptr},
    {L"Label", Make<CLabelUI>},
    {L"Flash", nullptr},
    {L"Button", Make<CButtonUI>},
    {L"Option", Make<COptionUI>},
    {L"Slider", Make<CSliderUI>},
    {L"Control", Make<CControlUI>},
    {L"ActiveX", nullptr},
    {L"Progress", Make<CProgressUI>},
    {L"RichEdit", nullptr},
    {L"CheckBox", Make<CCheckBoxUI>},
    {L"ComboBox", nullptr},
    {L"DateTime", Make<CDateTimeUI>},
    {L"TreeView", nullptr},
    {L"Container", Make<CContainerUI>},
    {L"TabLayout", Make<CTabLayoutUI>},
    {L"ScrollBar", Make<CScrollBarUI>},
    {L"ListHeader", nullptr},
    {L"TileLayout", Make<CTileLayoutUI>},
    {L"WebBrowser", nullptr},
    {L"ChildLayout", Make<CChildLayoutUI>},
    {L"VerticalLayout", Make<CVerticalLayoutUI>},
    {L"ListHeaderItem", nullptr},
    {L"ListTextElement", nullptr},
    {L"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {L"ListLabelElement", nullptr},
    {L"ListContainerElement", nullptr},
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
