#include "request_log.h"

#include <chrono>
#include <ctime>

#include "ipv4.h"

namespace quillcrest::lookupd {
namespace {

// Requests are outside input: the log shows at most this much of one, printable ASCII only.
constexpr std::size_t kLoggedRequestBytes = 32;

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

void RequestLog::Write(std::uint32_t source, std::uint16_t port, std::string_view request, const std::string& outcome) {
    const std::string line = UtcNow() + " " + FormatDottedAddress(source) + ":" + std::to_string(port) + " \"" +
                             Printable(request) + "\" " + outcome + "\n";
    std::lock_guard<std::mutex> lock(mutex_);
    out_ << line << std::flush;
}

}  // namespace quillcrest::lookupd
