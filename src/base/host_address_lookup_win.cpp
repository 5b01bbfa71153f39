#include "base/host_address_lookup_win.h"

#include <ws2tcpip.h>

#include <memory>
#include <thread>

#include "base/exception.h"
#include "base/system_message_win.h"
#include "base/win_handles_win.h"
#include "base/winsock_session_win.h"

namespace quillcrest {
namespace {

// Shared by the waiting thread and the worker; whichever lets go last frees it, so a wait that gave up leaves
// the worker everything it still uses.
struct LookupState {
    explicit LookupState(std::string name, int type) : host(std::move(name)), socketType(type) {}

    WinsockSession session;
    UniqueKernelHandle answered{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    const std::string host;
    const int socketType;
    // Written by the worker before it signals answered, read by the waiting thread only after that.
    HostAddressAnswer answer;
};

HostAddressAnswer AskResolver(const std::string& host, int socketType, int flags = 0) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = socketType;
    hints.ai_flags = flags;
    UniqueAddressInfo found;
    HostAddressAnswer answer;
    answer.code = ::getaddrinfo(host.c_str(), nullptr, &hints, found.put());
    if (answer.code != 0)
        return answer;
    for (const addrinfo* entry = found.get(); entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
            answer.address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
            break;
        }
    }
    return answer;
}

}  // namespace

std::optional<HostAddressAnswer> LookUpHostAddress(const std::string& host,
                                                   int socketType,
                                                   const EventWait& wait,
                                                   std::chrono::milliseconds timeout) {
    // An address written in numbers needs no resolver and cannot block: it is read here at once, without the
    // worker thread, whose start costs more than a whole lookup exchange on loopback. Anything else (a name)
    // fails this at once too and goes to the worker.
    {
        const WinsockSession session;
        const HostAddressAnswer numeric = AskResolver(host, socketType, AI_NUMERICHOST);
        if (numeric.code == 0)
            return numeric;
    }
    auto state = std::make_shared<LookupState>(host, socketType);
    if (!state->answered)
        throw Exception("Cannot look up \"" + host + "\": " + SystemMessageText(::GetLastError()));
    std::thread([state] {
        state->answer = AskResolver(state->host, state->socketType);
        ::SetEvent(state->answered.get());
    }).detach();
    if (!wait(state->answered.get(), timeout))
        return std::nullopt;
    return state->answer;
}

}  // namespace quillcrest
