#pragma once

#include <cstdint>
#include <string>

namespace quillcrest {

inline constexpr std::uint16_t kDefaultHttpPort = 80;
// Longer host parts are cut to this length, the most a host name may have.
inline constexpr std::size_t kMaxHostLength = 255;

// Where one page lives: the server, its TCP port and the path sent in the request line.
struct HttpAddress {
    std::string host;
    std::uint16_t port = kDefaultHttpPort;
    std::string requestPath = "/";
};

// Splits a page address. A leading "http://" in any letter case is dropped; the host part runs up to the first
// "/" (the request path is the rest from that "/" on, or "/" without one); a ":" in the host part separates the
// host from a decimal port, and a port that is no number between 0 and 65535 gives port 80. Never fails.
HttpAddress ParseHttpUrl(const std::string& url);

}  // namespace quillcrest
