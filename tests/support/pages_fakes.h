#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "http/exchange_abandoned.h"
#include "pages/local_clock.h"
#include "pages/message_schedule.h"
#include "pages/page_fetcher.h"

namespace quillcrest::fakes {

class FakeLocalClock : public LocalClock {
  public:
    double Now() const override { return now; }
    double now = 0;
};

// A web page client whose answers are scripted per address. An answer with an error text throws it, as the
// client does. whileWaiting runs inside a fetch, where the real client's waits dispatch window messages.
class ScriptedPageFetcher : public PageFetcher {
  public:
    struct Reply {
        Reply(int status, std::string body, std::string error = "")
            : status(status), body(std::move(body)), error(std::move(error)) {}
        // A fetch that a quit request ended while it waited.
        static Reply Abandoned() {
            Reply reply(0, "");
            reply.abandoned = true;
            return reply;
        }
        int status;
        std::string body;
        std::string error;  // thrown when not empty
        bool abandoned = false;
    };

    // Answers for an address, used in order; the last one repeats.
    void Script(const std::string& url, std::vector<Reply> replies) {
        scripts_[url] = std::deque<Reply>(replies.begin(), replies.end());
    }

    Answer Fetch(const std::string& url) override {
        if (busy_)
            throw std::runtime_error("the client refuses a second exchange while one waits");
        requests.push_back(url);
        busy_ = true;
        if (whileWaiting)
            whileWaiting(url);
        busy_ = false;
        auto script = scripts_.find(url);
        if (script == scripts_.end() || script->second.empty())
            throw std::runtime_error("[10061] Connection refused");
        const Reply reply = script->second.front();
        if (script->second.size() > 1)
            script->second.pop_front();
        if (reply.abandoned)
            throw EExchangeAbandoned();
        if (!reply.error.empty())
            throw std::runtime_error(reply.error);
        return {reply.status, reply.body};
    }
    bool Busy() const override { return busy_; }

    std::vector<std::string> requests;
    std::function<void(const std::string& url)> whileWaiting;

  private:
    std::map<std::string, std::deque<Reply>> scripts_;
    bool busy_ = false;
};

// The message window without a screen. Its "view" reads a page written as lines: "img SOURCE" asks for a
// picture, "NAME=CONTENT" is a meta tag, anything else is text; the end of the page ends the load.
class FakeMessageWindowHost : public MessageWindowHost {
  public:
    void Attach(MessageSchedule& schedule) { schedule_ = &schedule; }

    void StartFetchTimer(unsigned intervalMs) override {
        fetchTimerRunning = true;
        fetchIntervalMs = intervalMs;
    }
    void StopFetchTimer() override { fetchTimerRunning = false; }
    void LoadPage(const std::string& body) override {
        std::size_t start = 0;
        while (start <= body.size()) {
            std::size_t end = body.find('\n', start);
            if (end == std::string::npos)
                end = body.size();
            const std::string line = body.substr(start, end - start);
            const std::size_t equals = line.find('=');
            if (line.rfind("img ", 0) == 0)
                pictures.push_back(schedule_->OnPictureRequest(line.substr(4)));
            else if (equals != std::string::npos)
                schedule_->OnMetaTag(line.substr(0, equals), line.substr(equals + 1));
            start = end + 1;
        }
        ++loads;
        schedule_->OnPageLoaded();
    }
    bool IsShowing() const override { return showing; }
    void ShowInFront() override {
        showing = true;
        ++showings;
    }
    void Hide() override { showing = false; }
    bool ErrorReportOnScreen() const override { return otherReportOnScreen || reportOpen_; }
    void ReportError(const std::exception& error) override {
        reports.push_back(error.what());
        // The box is modal: timer ticks keep arriving while it is open.
        reportOpen_ = true;
        if (whileReportOpen)
            whileReportOpen();
        reportOpen_ = false;
    }

    bool fetchTimerRunning = false;
    unsigned fetchIntervalMs = 0;
    bool showing = false;
    int showings = 0;
    int loads = 0;
    bool otherReportOnScreen = false;
    std::vector<std::string> reports;
    std::vector<std::optional<std::string>> pictures;
    std::function<void()> whileReportOpen;

  private:
    MessageSchedule* schedule_ = nullptr;
    bool reportOpen_ = false;
};

}  // namespace quillcrest::fakes
