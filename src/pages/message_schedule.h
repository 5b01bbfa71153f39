#pragma once

#include <exception>
#include <optional>
#include <string>

#include "pages/local_clock.h"
#include "pages/message_counters.h"
#include "pages/message_meta_tags.h"
#include "pages/page_fetcher.h"
#include "settings/registry_api.h"

namespace quillcrest {

// What the message window does on the platform's side for its schedule.
class MessageWindowHost {
  public:
    virtual ~MessageWindowHost() = default;

    // (Re)starts the fetch timer with this interval; its ticks come back as MessageSchedule::OnFetchTick.
    virtual void StartFetchTimer(unsigned intervalMs) = 0;
    virtual void StopFetchTimer() = 0;
    // Loads the page into the view, which reports its meta tags and picture requests and the end of the load
    // back to the schedule while it reads.
    virtual void LoadPage(const std::string& body) = 0;
    virtual bool IsShowing() const = 0;
    // Shows the window without making it modal and brings it to the front.
    virtual void ShowInFront() = 0;
    virtual void Hide() = 0;
    // True while one of the program's error reports is on screen.
    virtual bool ErrorReportOnScreen() const = 0;
    // Shows the general error report; returns when the user has closed it.
    virtual void ReportError(const std::exception& error) = 0;
};

struct MessageServer {
    std::string host;    // with an optional ":port"
    std::string domain;  // marks the server's own picture addresses
};

// The message window's rules: when the page is fetched, what its meta tags set, whether it is shown, what
// "Thanks" counts, and where its pictures come from.
//
// The fetch timer ticks every 10 s from the start; the first tick only counts, so the first fetch comes 20 s
// after the start, and fetches repeat at every tick until one answers 200, which stops the timer. The hide
// timer (60 s, never stopped, run by the window) hides a shown message at its next tick and re-arms the fetch
// timer at 15 minutes with the count back at 0, so the page comes again 30 minutes later.
//
// Because the web page client's waits dispatch window messages, ticks arrive during a fetch: they are ignored
// and do not count, so no second fetch ever starts while one waits. A failed fetch is reported at most once per
// run, and not while another error report is on screen: the timer keeps ticking inside the report's box, and
// without the limit a computer without the message server would pile up a new box every 10 seconds. Failures
// not reported retry silently at the next tick.
class MessageSchedule {
  public:
    static constexpr unsigned kFirstFetchIntervalMs = 10000;
    static constexpr unsigned kRearmedFetchIntervalMs = 900000;
    static constexpr unsigned kHideIntervalMs = 60000;

    // Everything passed in must outlive the schedule.
    MessageSchedule(MessageWindowHost& host,
                    PageFetcher& fetcher,
                    RegistryApi& registry,
                    const LocalClock& clock,
                    MessageServer server,
                    char decimalSeparator);

    // Starts the fetch timer at 10 s; the window calls this once it exists.
    void Start();

    void OnFetchTick();
    void OnHideTick();
    void OnThanks();

    // The view's callbacks while a page loads.
    void OnMetaTag(const std::string& name, const std::string& content);
    std::optional<std::string> OnPictureRequest(const std::string& source);
    void OnPageLoaded();

    int TickCount() const { return tickCount_; }
    const std::string& Identifier() const { return identifier_; }
    const MessageLimits& Limits() const { return limits_; }
    int ShownCount() const { return shownCount_; }

  private:
    void ReportFetchFailure(const std::exception& error);

    MessageWindowHost& host_;
    PageFetcher& fetcher_;
    RegistryApi& registry_;
    const LocalClock& clock_;
    MessageServer server_;
    char decimalSeparator_;

    int tickCount_ = 0;
    std::string identifier_;
    MessageLimits limits_;
    int shownCount_ = 0;
    bool fetching_ = false;
    bool fetchFailureReported_ = false;
};

}  // namespace quillcrest
