#pragma once

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace quillcrest::lookupd {

// One line per request: who asked, what, and what became of it. Thread-safe; lines are flushed at once so a
// service manager's journal sees them as they happen.
class RequestLog {
  public:
    explicit RequestLog(std::ostream& out) : out_(out) {}

    void Write(std::uint32_t source, std::uint16_t port, std::string_view request, const std::string& outcome);

  private:
    std::mutex mutex_;
    std::ostream& out_;
};

}  // namespace quillcrest::lookupd
