#include "FastBootComm.h"

#include <cstring>

namespace {

constexpr AdbDebugSource kDebugSource{L"FastBootComm", 48, 52};
constexpr int32_t kAnswerBytes = 4;
constexpr char kFailAnswer[] = "FAIL";

}  // namespace

int32_t CFastBootComm::Open(const std::wstring& devicePath) {
    return OpenAdbInterface(*this, devicePath, kDebugSource);
}

int32_t CFastBootComm::SendCommand(const std::string& command) {
    if (usb_write(*this, command.data(), static_cast<int32_t>(command.size())) == 0) {
        return 0;
    }
    char answer[kAnswerBytes] = {};
    if (usb_read(*this, answer, kAnswerBytes) == 0) {
        return 0;
    }
    // A refused command is no success, whatever arrived with it.
    return std::memcmp(answer, kFailAnswer, kAnswerBytes) == 0 ? 0 : 1;
}
