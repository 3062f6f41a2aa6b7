#include "CheckBoxUI.h"

namespace TavikUI {

const wchar_t* CCheckBoxUI::ClassName() const { return L"ButtonUI"; }

}  // namespace TavikUI
