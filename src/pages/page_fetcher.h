#pragma once

#include <string>

#include "http/http_client.h"

namespace quillcrest {

// One GET of a page or picture: the status code and the body. Failures are thrown with the web page client's
// messages ("Operation timed out", "[11001] Host not found", ...); a fetch that the program's quit request ended
// throws EExchangeAbandoned, which callers do not report.
class PageFetcher {
  public:
    struct Answer {
        int status = 0;
        std::string body;
    };

    virtual ~PageFetcher() = default;
    virtual Answer Fetch(const std::string& url) = 0;
    // True while a fetch waits; its waits dispatch window messages, so a handler may ask during one.
    virtual bool Busy() const = 0;
};

// Fetches through a page window's own web page client.
class HttpPageFetcher : public PageFetcher {
  public:
    explicit HttpPageFetcher(HttpClient& client) : client_(client) {}

    Answer Fetch(const std::string& url) override;
    bool Busy() const override { return client_.ExchangeRunning(); }

  private:
    HttpClient& client_;
};

}  // namespace quillcrest
