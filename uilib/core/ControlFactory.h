// The library's skin tag table: which control class each known tag makes.
#pragma once

namespace TavikUI {

class CControlUI;

// A new control for a tag of the table (compared exactly, case-sensitive);
// null for a tag outside the table and for a tag whose class the library
// does not have, so that the skin builder offers it to the plug-in creators
// and the window's callback like any unknown tag.
CControlUI* CreateLibraryControl(const wchar_t* tag);

}  // namespace TavikUI
