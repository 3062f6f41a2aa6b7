// The phone's end of its Android USB interface: what the host wrote goes to
// the function the phone runs in its mode (the ADB daemon in normal mode, the
// boot loader's fastboot in fastboot mode), whose answers wait in a queue
// until the host reads them.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "SimPhone.h"

// The phone's answers not yet read. A read takes at most what it asked of the
// oldest answer; the rest of that answer stays for the next read, as the USB
// driver keeps what did not fit.
class AnswerQueue {
public:
    void Push(std::string answer);
    bool Empty() const { return answers_.empty(); }
    uint32_t Take(void* buffer, uint32_t bytes);

private:
    std::deque<std::string> answers_;
    size_t frontTaken_ = 0;
};

class AndroidFunction {
public:
    virtual ~AndroidFunction() = default;
    // One transfer the host wrote.
    virtual void Receive(SimPhone& phone, const std::string& bytes, AnswerQueue& answers) = 0;
};
