#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace quillcrest::fakes {

// Stands in for a thread's window message queue in native tests: tasks posted from any thread run on the
// waiting thread when its socket wait dispatches pending work. A pipe makes the queue wake a poll() the way
// QS_ALLINPUT wakes MsgWaitForMultipleObjects.
class PosixMessageQueue {
  public:
    PosixMessageQueue() {
        if (::pipe2(fds_, O_NONBLOCK | O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2 failed");
    }
    ~PosixMessageQueue() {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    PosixMessageQueue(const PosixMessageQueue&) = delete;
    PosixMessageQueue& operator=(const PosixMessageQueue&) = delete;

    void Post(std::function<void()> task) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        const char wake = 1;
        [[maybe_unused]] const auto written = ::write(fds_[1], &wake, 1);
    }

    // Readable while tasks wait.
    int WakeDescriptor() const { return fds_[0]; }

    // Runs the tasks that are waiting now (tasks they post wait for the next call).
    void DispatchPending() {
        char drain[64];
        while (::read(fds_[0], drain, sizeof(drain)) > 0) {
        }
        std::deque<std::function<void()>> ready;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ready.swap(tasks_);
        }
        for (auto& task : ready)
            task();
    }

  private:
    int fds_[2] = {-1, -1};
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace quillcrest::fakes
