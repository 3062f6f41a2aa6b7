// A check box: an option under another class name. It answers "ButtonUI",
// so code that tells controls apart by class name treats it as a button.
#pragma once

#include "OptionUI.h"

namespace TavikUI {

class CCheckBoxUI : public COptionUI {
public:
    const wchar_t* ClassName() const override;
};

}  // namespace TavikUI
