#pragma once

#include <atomic>
#include <functional>

namespace quillcrest {

// Hands signals from one thread to a receiver on another, a burst of them as one: a signal is posted only while
// the receiver holds none that it has not taken yet. The receiver takes a signal before it acts on it, so a signal
// raised after that is posted again and none is lost, and its queue never holds more than one of ours however
// fast the signals come.
class CoalescedSignal {
  public:
    // post hands one signal to the receiver (it may post a window message) and answers whether it went out.
    explicit CoalescedSignal(std::function<bool()> post);

    // Any thread: posts a signal unless one is still waiting to be taken.
    void Raise();
    // The receiver, before it acts on the signal it got: the next Raise posts again.
    void Take();

  private:
    std::function<bool()> post_;
    std::atomic<bool> pending_{false};
};

}  // namespace quillcrest
