// The phone's boot loader speaking fastboot: "erase:PARTITION" and "reboot",
// each answered "OKAY" or "FAIL". Erasing sbl1 leaves a phone that the next
// reboot starts in emergency download mode.
#pragma once

#include "AndroidFunction.h"

// Longest command the boot loader takes.
constexpr size_t kSimFastbootMaxCommand = 64;

class FastbootLoader : public AndroidFunction {
public:
    void Receive(SimPhone& phone, const std::string& bytes, AnswerQueue& answers) override;
};
