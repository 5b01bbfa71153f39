#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/coalesced_signal.h"

namespace quillcrest {
namespace {

// The receiver's queue: how many signals wait in it.
struct ReceiverQueue {
    std::atomic<int> waiting{0};
    std::atomic<int> mostWaiting{0};
    bool accepts = true;

    bool Post() {
        if (!accepts)
            return false;
        const int now = ++waiting;
        int most = mostWaiting.load();
        while (now > most && !mostWaiting.compare_exchange_weak(most, now)) {
        }
        return true;
    }
};

TEST(BaseCoalescedSignalTest, ABurstPostsOneSignalUntilTheReceiverTakesIt) {
    ReceiverQueue queue;
    CoalescedSignal signal([&queue] { return queue.Post(); });
    for (int i = 0; i < 5; ++i)
        signal.Raise();
    EXPECT_EQ(queue.waiting, 1);

    --queue.waiting;
    signal.Take();
    signal.Raise();
    signal.Raise();
    EXPECT_EQ(queue.waiting, 1) << "a signal raised after the last one was taken";
}

TEST(BaseCoalescedSignalTest, ASignalThatCouldNotBePostedHoldsNoneBack) {
    ReceiverQueue queue;
    queue.accepts = false;
    CoalescedSignal signal([&queue] { return queue.Post(); });
    signal.Raise();
    EXPECT_EQ(queue.waiting, 0);

    queue.accepts = true;
    signal.Raise();
    EXPECT_EQ(queue.waiting, 1) << "the failed post left a signal counted as waiting";
}

// A writer changes a value and raises a signal, again and again, while the receiver on another thread takes each
// signal and then reads the value: whatever the interleaving, the receiver ends up having read the last value,
// and never finds more than one signal waiting.
TEST(BaseCoalescedSignalTest, NoChangeIsMissedBetweenThreads) {
    constexpr int kChanges = 20000;
    ReceiverQueue queue;
    CoalescedSignal signal([&queue] { return queue.Post(); });
    std::atomic<int> value{0};
    std::atomic<bool> writerDone{false};

    std::thread writer([&] {
        for (int change = 1; change <= kChanges; ++change) {
            value.store(change);
            signal.Raise();
        }
        writerDone = true;
    });
    int seen = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (seen < kChanges && std::chrono::steady_clock::now() < end) {
        if (queue.waiting == 0) {
            // Nothing waits: once the writer is done, nothing ever will, and the last change was missed.
            if (writerDone && queue.waiting == 0)
                break;
            std::this_thread::yield();
            continue;
        }
        --queue.waiting;
        signal.Take();
        seen = value.load();
    }
    writer.join();

    EXPECT_EQ(seen, kChanges);
    EXPECT_LE(queue.mostWaiting, 1);
}

}  // namespace
}  // namespace quillcrest
