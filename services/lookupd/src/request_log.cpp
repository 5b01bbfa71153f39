#include "request_log.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "ipv4.h"

namespace quillcrest::lookupd {
namespace {

using Clock = std::chrono::steady_clock;

// Requests are outside input: the log shows at most this much of one, printable ASCII only.
constexpr std::size_t kLoggedRequestBytes = 32;

constexpr std::size_t kEventKinds = static_cast<std::size_t>(RequestEvent::NotAnswered) + 1;

// How each counted event reads in a summary, in the order of RequestEvent.
constexpr std::array<const char*, kEventKinds> kCountedAs = {
    "not an address", "over the rate limit", "over the reply budget", "busy", "answered", "not answered",
};

std::string Printable(std::string_view request) {
    std::string shown;
    for (std::size_t i = 0; i < request.size() && i < kLoggedRequestBytes; ++i) {
        const auto code = static_cast<unsigned char>(request[i]);
        shown += (code > 0x20 && code < 0x7F) ? request[i] : '?';
    }
    if (request.size() > kLoggedRequestBytes)
        shown += "...";
    return shown;
}

std::string UtcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

}  // namespace

// Everything the writer thread uses, kept alive by it: a writer stuck in a stalled output may outlive the log.
struct RequestLog::Shared {
    Shared(std::ostream& out, LogLimits limits)
        : out(out), limits(limits), lineTokens(limits.requestLinesBurst), tokensUpdated(Clock::now()) {}

    std::ostream& out;
    const LogLimits limits;

    std::array<std::atomic<std::uint64_t>, kEventKinds> counted{};
    std::atomic<std::uint64_t> droppedLines{0};

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> lines;
    double lineTokens;
    Clock::time_point tokensUpdated;
    bool stopping = false;
    bool writerEnded = false;

    void Queue(std::string line);
    bool TakeLineToken();
    std::string Summary(std::chrono::milliseconds interval);
    void WriteLines();
};

void RequestLog::Shared::Queue(std::string line) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (lines.size() < limits.queuedLines && !stopping) {
            lines.push_back(std::move(line));
            changed.notify_one();
            return;
        }
    }
    ++droppedLines;
}

bool RequestLog::Shared::TakeLineToken() {
    std::lock_guard<std::mutex> lock(mutex);
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - tokensUpdated).count();
    lineTokens = std::min(limits.requestLinesBurst, lineTokens + seconds * limits.requestLinesPerSecond);
    tokensUpdated = now;
    if (lineTokens < 1)
        return false;
    lineTokens -= 1;
    return true;
}

// The summary of what was counted since the last one; empty when nothing was.
std::string RequestLog::Shared::Summary(std::chrono::milliseconds interval) {
    std::string parts;
    for (std::size_t kind = 0; kind < kEventKinds; ++kind) {
        const std::uint64_t count = counted[kind].exchange(0);
        if (count != 0)
            parts += (parts.empty() ? "" : ", ") + std::to_string(count) + " " + kCountedAs[kind];
    }
    const std::uint64_t dropped = droppedLines.exchange(0);
    if (dropped != 0)
        parts += (parts.empty() ? "" : ", ") + std::to_string(dropped) + " log lines dropped";
    if (parts.empty())
        return parts;
    return UtcNow() + " in " + std::to_string(interval.count()) + " ms, counted without a line each: " + parts + "\n";
}

void RequestLog::Shared::WriteLines() {
    std::unique_lock<std::mutex> lock(mutex);
    Clock::time_point lastSummary = Clock::now();
    for (;;) {
        const Clock::time_point nextSummary = lastSummary + limits.summaryInterval;
        changed.wait_until(lock, nextSummary, [&] { return stopping || !lines.empty(); });
        std::deque<std::string> batch;
        batch.swap(lines);
        const bool last = stopping;
        const Clock::time_point now = Clock::now();
        std::string summary;
        if (last || now >= nextSummary) {
            summary = Summary(std::chrono::duration_cast<std::chrono::milliseconds>(now - lastSummary));
            lastSummary = now;
        }
        lock.unlock();
        for (const std::string& line : batch)
            out << line;
        out << summary << std::flush;
        lock.lock();
        if (last)
            break;
    }
    writerEnded = true;
    changed.notify_all();
}

RequestLog::RequestLog(std::ostream& out, LogLimits limits) : shared_(std::make_shared<Shared>(out, limits)) {
    std::thread([shared = shared_] { shared->WriteLines(); }).detach();
}

RequestLog::~RequestLog() {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->stopping = true;
    shared_->changed.notify_all();
    shared_->changed.wait_for(lock, shared_->limits.stopWait, [&] { return shared_->writerEnded; });
}

void RequestLog::Count(RequestEvent event) {
    ++shared_->counted[static_cast<std::size_t>(event)];
}

void RequestLog::Write(RequestEvent event,
                       std::uint32_t source,
                       std::uint16_t port,
                       std::string_view request,
                       const std::string& outcome) {
    if (!shared_->TakeLineToken()) {
        Count(event);
        return;
    }
    shared_->Queue(UtcNow() + " " + FormatDottedAddress(source) + ":" + std::to_string(port) + " \"" +
                   Printable(request) + "\" " + outcome + "\n");
}

void RequestLog::Note(const std::string& text) {
    shared_->Queue(UtcNow() + " " + text + "\n");
}

}  // namespace quillcrest::lookupd
