#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "lookupd_fakes.h"
#include "request_log.h"

namespace quillcrest::lookupd {
namespace {

using std::chrono::milliseconds;
using testing::Address;
using Clock = std::chrono::steady_clock;

// An output that stalls until released, like a journal that has stopped reading; keeps what was written.
class StalledOutput : public std::streambuf {
  public:
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    std::string Text() {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }

  protected:
    std::streamsize xsputn(const char* data, std::streamsize size) override {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return released_; });
        text_.append(data, static_cast<std::size_t>(size));
        return size;
    }
    int_type overflow(int_type c) override {
        const char byte = static_cast<char>(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string text_;
    bool released_ = false;
};

TEST(LookupdRequestLogTest, AStalledOutputNeverHoldsUpTheCallerAndWhatIsLostIsCounted) {
    StalledOutput stalled;
    std::ostream out(&stalled);
    LogLimits limits;
    limits.requestLinesBurst = 1000;
    limits.queuedLines = 10;
    limits.summaryInterval = milliseconds(50);
    limits.stopWait = std::chrono::seconds(10);  // the writer must be done with `stalled` before it goes
    {
        RequestLog log(out, limits);
        const auto started = Clock::now();
        for (int i = 0; i < 200; ++i) {
            log.Write(RequestEvent::Answered, Address(192, 0, 2, 1), 5353, "8.8.8.8",
                      "answered: line " + std::to_string(i));
            log.Count(RequestEvent::NotAnAddress);
        }
        EXPECT_LT(Clock::now() - started, milliseconds(1000));  // the writer is stuck; the caller is not
        stalled.Release();
    }

    const std::string written = stalled.Text();
    SCOPED_TRACE(written);
    EXPECT_NE(written.find("answered: line 0\n"), std::string::npos);
    EXPECT_EQ(written.find("answered: line 199\n"), std::string::npos);
    EXPECT_NE(written.find("200 not an address"), std::string::npos);
    EXPECT_NE(written.find(" log lines dropped"), std::string::npos);
}

TEST(LookupdRequestLogTest, RequestLinesLastWhileTheBudgetDoesThenAreCounted) {
    std::ostringstream text;
    LogLimits limits;
    limits.requestLinesBurst = 3;
    limits.requestLinesPerSecond = 0.001;
    {
        RequestLog log(text, limits);
        for (int i = 0; i < 10; ++i)
            log.Write(RequestEvent::Answered, Address(192, 0, 2, 1), 5353, "8.8.8.8", "answered");
        log.Write(RequestEvent::NotAnswered, Address(192, 0, 2, 1), 5353, "8.8.8.8", "not answered");
    }
    const std::string written = text.str();
    SCOPED_TRACE(written);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 4);  // three lines and the summary
    EXPECT_NE(written.find("192.0.2.1:5353 \"8.8.8.8\" answered\n"), std::string::npos);
    EXPECT_NE(written.find("7 answered, 1 not answered\n"), std::string::npos);
}

}  // namespace
}  // namespace quillcrest::lookupd
