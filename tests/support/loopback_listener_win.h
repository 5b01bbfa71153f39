#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>

#include "base/exception.h"
#include "base/win_handles_win.h"

namespace quillcrest::fakes {

// A TCP socket listening on 127.0.0.1 at a port the system picks, for servers that tests run in a thread.
inline UniqueSocket ListenOnLoopback(int backlog, std::uint16_t& port) {
    UniqueSocket listener(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (!listener || ::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener.get(), backlog) != 0 ||
        ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw Exception("cannot listen on loopback");
    port = ::ntohs(address.sin_port);
    return listener;
}

// True when the socket has something to read (a connection to accept) within the time.
inline bool SocketReadable(SOCKET socket, int milliseconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return ::select(0, &set, nullptr, nullptr, &wait) > 0;
}

}  // namespace quillcrest::fakes
