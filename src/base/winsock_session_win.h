#pragma once

#include <windows.h>
#include <winsock2.h>

namespace quillcrest {

// Owns one Winsock start-up: WSAStartup on construction, the matching WSACleanup on destruction. Winsock counts
// start-ups per process, so each user of sockets may hold its own session and the library stays loaded until
// the last one ends. Throws quillcrest::Exception when Winsock cannot start.
class WinsockSession {
  public:
    WinsockSession();
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
};

}  // namespace quillcrest
