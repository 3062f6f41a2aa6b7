#include "FastbootLoader.h"

#include "SimAndroidUsb.h"

namespace {

constexpr char kOkay[] = "OKAY";
constexpr char kFail[] = "FAIL";
constexpr char kErase[] = "erase:";
constexpr char kBootLoaderPartition[] = "sbl1";

// A restart from the boot loader: an erased boot loader leaves only the
// emergency download mode; otherwise the storage decides as at any restart.
bool Restart(SimPhone& phone) {
    if (SimBootLoaderErased(phone)) {
        return SetSimBootLoaderErased(phone, false) && phone.SetMode(SimPhoneMode::EmergencyDownload);
    }
    return phone.Boot();
}

}  // namespace

void FastbootLoader::Receive(SimPhone& phone, const std::string& bytes, AnswerQueue& answers) {
    if (bytes.empty() || bytes.size() > kSimFastbootMaxCommand) {
        phone.AppendJournal("fastboot refused " + std::to_string(bytes.size()) + " bytes");
        answers.Push(kFail);
        return;
    }
    // Commands are printable text; anything else is shown as '?'.
    std::string shown = bytes;
    for (char& letter : shown) {
        if (letter < 0x20 || letter > 0x7E) {
            letter = '?';
        }
    }
    if (phone.HasFault(SimPhoneFault::FastbootFail)) {
        phone.AppendJournal("fastboot FAIL " + shown);
        answers.Push(kFail);
        return;
    }
    if (bytes.compare(0, sizeof(kErase) - 1, kErase) == 0 && bytes.size() > sizeof(kErase) - 1) {
        const std::string partition = bytes.substr(sizeof(kErase) - 1);
        phone.AppendJournal("fastboot " + shown);
        if (partition == kBootLoaderPartition && !SetSimBootLoaderErased(phone, true)) {
            answers.Push(kFail);
            return;
        }
        answers.Push(kOkay);
        return;
    }
    if (bytes == "reboot") {
        phone.AppendJournal("fastboot reboot");
        answers.Push(kOkay);
        // The answer is on its way before the boot loader goes down.
        Restart(phone);
        phone.AppendJournal(std::string("phone restarted in ") + SimPhoneModeName(phone.Mode()));
        return;
    }
    phone.AppendJournal("fastboot unknown " + shown);
    answers.Push(kFail);
}
