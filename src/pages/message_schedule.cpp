#include "pages/message_schedule.h"

#include <utility>

#include "http/exchange_abandoned.h"
#include "pages/page_addresses.h"

namespace quillcrest {
namespace {

constexpr int kStatusOk = 200;

// Clears a flag on every way out of the scope that set it.
class FlagHeld {
  public:
    explicit FlagHeld(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagHeld() { flag_ = false; }
    FlagHeld(const FlagHeld&) = delete;
    FlagHeld& operator=(const FlagHeld&) = delete;

  private:
    bool& flag_;
};

}  // namespace

MessageSchedule::MessageSchedule(MessageWindowHost& host,
                                 PageFetcher& fetcher,
                                 RegistryApi& registry,
                                 const LocalClock& clock,
                                 MessageServer server,
                                 char decimalSeparator)
    : host_(host),
      fetcher_(fetcher),
      registry_(registry),
      clock_(clock),
      server_(std::move(server)),
      decimalSeparator_(decimalSeparator) {}

void MessageSchedule::Start() {
    tickCount_ = 0;
    host_.StartFetchTimer(kFirstFetchIntervalMs);
}

void MessageSchedule::OnFetchTick() {
    // A tick inside the wait of our own fetch, or inside the picture fetches of the page being loaded.
    if (fetching_ || fetcher_.Busy())
        return;
    if (tickCount_ > 0) {
        try {
            const FlagHeld fetching(fetching_);
            const PageFetcher::Answer answer = fetcher_.Fetch(MessagePageAddress(server_.host));
            if (answer.status == kStatusOk) {
                host_.LoadPage(answer.body);
                host_.StopFetchTimer();
            }
        } catch (const EExchangeAbandoned&) {
            // The program is closing; a report would only hold it up.
            return;
        } catch (const std::exception& error) {
            // The count does not advance, so the next tick fetches again. The flag is down by now: ticks inside
            // the report's box may retry.
            ReportFetchFailure(error);
            return;
        }
    }
    ++tickCount_;
}

void MessageSchedule::ReportFetchFailure(const std::exception& error) {
    if (fetchFailureReported_ || host_.ErrorReportOnScreen())
        return;
    fetchFailureReported_ = true;
    host_.ReportError(error);
}

void MessageSchedule::OnHideTick() {
    if (!host_.IsShowing())
        return;
    host_.Hide();
    tickCount_ = 0;
    host_.StartFetchTimer(kRearmedFetchIntervalMs);
}

void MessageSchedule::OnThanks() {
    const MessageCounters stored = ReadMessageCounters(registry_, identifier_, decimalSeparator_);
    const MessageCounters counted = CountThanks(shownCount_, stored, clock_.Now());
    shownCount_ = counted.shown;
    WriteMessageCounters(registry_, identifier_, counted, decimalSeparator_);
    host_.Hide();
}

void MessageSchedule::OnMetaTag(const std::string& name, const std::string& content) {
    ApplyMessageMetaTag(name, content, limits_, identifier_);
}

std::optional<std::string> MessageSchedule::OnPictureRequest(const std::string& source) {
    if (fetcher_.Busy())
        return std::nullopt;
    try {
        PageFetcher::Answer answer =
            fetcher_.Fetch(MessagePictureAddress(source, server_.domain, MessagePictureBase(server_.host)));
        if (answer.status != kStatusOk)
            return std::nullopt;
        return std::move(answer.body);
    } catch (const std::exception&) {
        // A picture that cannot be fetched is missing from the page like one the server does not have; the
        // message itself still loads.
        return std::nullopt;
    }
}

void MessageSchedule::OnPageLoaded() {
    const MessageCounters stored = ReadMessageCounters(registry_, identifier_, decimalSeparator_);
    shownCount_ = stored.shown;
    if (MessageMayBeShown(limits_, stored, clock_.Now()))
        host_.ShowInFront();
}

}  // namespace quillcrest
