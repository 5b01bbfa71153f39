#pragma once

#include <windows.h>
#include <winsock2.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "base/message_dispatching_wait_win.h"

namespace quillcrest {

// What one getaddrinfo call answered.
struct HostAddressAnswer {
    int code = 0;                          // getaddrinfo's result: 0, or a Windows Sockets code such as 11001
    std::optional<std::uint32_t> address;  // the first IPv4 address (in network byte order) when code is 0
};

// Looks up the first IPv4 address of host (getaddrinfo with AF_INET and socketType). An address in numbers is
// answered at once on the calling thread. A name is looked up on a worker thread of its own, waited for with
// wait, at most timeout: the system's resolver can take many seconds for every server it tries, and a broken
// resolver is just what the lookup tool is for, so the calling thread must stay free to paint and tick its
// timers meanwhile. Nothing when the wait ended first (its time ran out, or a quit request ended it): the worker
// then finishes by itself and its answer is dropped; it holds its own Winsock start-up, so the caller may stop
// Winsock meanwhile. Throws when no worker can be started.
std::optional<HostAddressAnswer> LookUpHostAddress(const std::string& host,
                                                   int socketType,
                                                   const EventWait& wait,
                                                   std::chrono::milliseconds timeout);

}  // namespace quillcrest
