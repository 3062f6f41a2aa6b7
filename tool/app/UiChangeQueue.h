// Control changes that other threads hand to the UI thread. The queue owns
// every change until the UI thread runs it or the queue is closed, so a
// change whose doorbell message is lost with the window is still freed.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

class CUiChangeQueue {
public:
    using Change = std::function<void()>;

    // False, dropping the change, once the queue is closed.
    bool Push(Change change) {
        std::lock_guard<std::mutex> guard(lock_);
        if (closed_) {
            return false;
        }
        changes_.push_back(std::move(change));
        return true;
    }

    // Runs the waiting changes in order on the calling thread; a change may
    // push another one.
    void RunAll() {
        for (;;) {
            Change change;
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (changes_.empty()) {
                    return;
                }
                change = std::move(changes_.front());
                changes_.pop_front();
            }
            if (change) {
                change();
            }
        }
    }

    // Drops what waits and refuses every later change.
    void Close() {
        std::deque<Change> dropped;
        {
            std::lock_guard<std::mutex> guard(lock_);
            closed_ = true;
            dropped.swap(changes_);
        }
    }

private:
    std::mutex lock_;
    std::deque<Change> changes_;
    bool closed_ = false;
};
