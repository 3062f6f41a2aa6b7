#include <algorithm>
#include <cstring>

#include "AndroidFunction.h"

void AnswerQueue::Push(std::string answer) {
    if (!answer.empty()) {
        answers_.push_back(std::move(answer));
    }
}

uint32_t AnswerQueue::Take(void* buffer, uint32_t bytes) {
    if (answers_.empty()) {
        return 0;
    }
    const std::string& front = answers_.front();
    const size_t count = std::min<size_t>(bytes, front.size() - frontTaken_);
    if (count > 0) {
        std::memcpy(buffer, front.data() + frontTaken_, count);
    }
    frontTaken_ += count;
    if (frontTaken_ == front.size()) {
        answers_.pop_front();
        frontTaken_ = 0;
    }
    return static_cast<uint32_t>(count);
}
