#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace quillcrest::lookupd {

// What became of one datagram.
enum class RequestEvent {
    NotAnAddress,     // ignored: not exactly a dotted IPv4 address
    OverRateLimit,    // refused: its source is over the rate limit
    OverReplyBudget,  // refused: the service's reply budget is spent
    Busy,             // dropped: too many requests waiting
    Answered,         // answered
    NotAnswered,      // not answered: the answer did not fit, the send failed, or the service stopped
};

struct LogLimits {
    double requestLinesBurst = 5;                     // request lines written in a row before counting takes over
    double requestLinesPerSecond = 0.5;               // request lines written each second in the long run
    std::chrono::milliseconds summaryInterval{1000};  // at most one summary line this often
    std::size_t queuedLines = 256;                    // lines waiting for a slow output; more are dropped, counted
    std::chrono::milliseconds stopWait{250};          // how long the destructor waits for a slow output
};

// The service's log. A flood must not become a flood of lines, and a slow output (a stalled journal) must not
// hold up the service, so:
// - Datagrams that a flood produces cheaply (not an address, over a limit, busy) are only counted; answered and
//   unanswered requests get a line of their own while a small line budget lasts, and are counted after that.
//   What was counted goes out as one summary line per interval at most, only when there is something to say.
// - Lines are written by a thread of the log's own; the caller only queues them, and a line that finds the queue
//   full is dropped and counted in the next summary.
// Thread-safe.
class RequestLog {
  public:
    // `out` must outlive the log and any write it leaves running when destroyed (see the destructor).
    explicit RequestLog(std::ostream& out, LogLimits limits = {});
    // Writes what is still queued and counted, waiting at most limits.stopWait for the output; a writer stuck in
    // a stalled output is left to finish on its own.
    ~RequestLog();

    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    // Counts an event for the next summary, with no line of its own. Never blocks.
    void Count(RequestEvent event);
    // A line about one request while the line budget lasts, otherwise counted. Never blocks.
    void Write(RequestEvent event,
               std::uint32_t source,
               std::uint16_t port,
               std::string_view request,
               const std::string& outcome);
    // A line about the service itself (start, stop), outside the budget. Never blocks.
    void Note(const std::string& text);

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace quillcrest::lookupd
