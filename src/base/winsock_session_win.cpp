#include "base/winsock_session_win.h"

#include <string>

#include "base/exception.h"

namespace quillcrest {

WinsockSession::WinsockSession() {
    WSADATA data{};
    const int result = ::WSAStartup(MAKEWORD(2, 2), &data);
    if (result != 0)
        throw Exception("Winsock could not start (error " + std::to_string(result) + ")");
}

WinsockSession::~WinsockSession() {
    ::WSACleanup();
}

}  // namespace quillcrest
