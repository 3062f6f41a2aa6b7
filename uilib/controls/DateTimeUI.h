// A label that shows a date as "yyyy-mm-dd" and, while it has the focus, lays
// the system date picker (CDateTimeWnd) over itself. The picked date is taken
// over when the picker loses the focus; Backspace or Delete empty the label,
// Escape cancels.
#pragma once

#include <windows.h>

#include "LabelUI.h"

namespace TavikUI {

class CDateTimeWnd;

class CDateTimeUI : public CLabelUI {
public:
    // What UpdateText does.
    enum UpdateMode : int {
        kTakePickerDate = 0,
        kShowStoredDate = 1,
        kClearText = 2,
        kLeaveText = 3,
    };

    // Shows today's date.
    CDateTimeUI();
    // Closes a picker that is still open: its last messages must not reach a
    // control that is gone.
    ~CDateTimeUI() override;

    const wchar_t* ClassName() const override;
    // "DateTime" answers the control; anything else goes to the label query.
    void* InterfaceByName(const wchar_t* name) override;
    void HandleEvent(UIEvent& event) override;

    // By the update mode: the stored date as text, an empty text, or nothing.
    void UpdateText();
    int Mode() const { return updateMode_; }
    void SetMode(int mode) { updateMode_ = mode; }
    // The date shown and handed to the picker.
    const SYSTEMTIME& StoredTime() const { return time_; }
    void StoreTime(const SYSTEMTIME& time) { time_ = time; }
    // The open picker, or null.
    CDateTimeWnd* Picker() const { return picker_; }

private:
    friend class CDateTimeWnd;

    // Makes a picker when none is open and (re)initialises it over the control.
    void OpenPicker();

    SYSTEMTIME time_;
    int updateMode_;
    CDateTimeWnd* picker_;
};

}  // namespace TavikUI
