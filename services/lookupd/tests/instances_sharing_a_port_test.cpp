// Several instances of the service on one host share its port (SO_REUSEPORT), and Linux lets sockets share a port
// only when they belong to one user id: the systemd unit gives all instances one user for that reason. These run
// the real service program as separate processes, under the user ids a row names when the test runs as root.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/unique_handle.h"

namespace quillcrest::lookupd {
namespace {

using std::chrono::milliseconds;
using UniqueFd = UniqueHandle<int, decltype(&::close), &::close, -1>;

constexpr milliseconds kStartWait{10000};
constexpr milliseconds kReplyWait{5000};
// Two unprivileged user ids, as a dynamic user of systemd is (neither needs to be in the user database).
constexpr uid_t kServiceUser = 65534;
constexpr uid_t kOtherUser = 65533;
// A private address: the service answers it from its own tables, without asking any name server.
constexpr char kRequest[] = "10.0.0.138";
constexpr char kReply[] = "127.0.0.1;10.0.0.138;10.0.0.138;Unknown;Unknown;none";

// A UDP port on loopback that nothing uses at the moment.
std::uint16_t FreeUdpPort() {
    UniqueFd probe(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

// The reply of the service on port to one request, if one comes.
std::optional<std::string> Ask(std::uint16_t port) {
    UniqueFd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_in service{};
    service.sin_family = AF_INET;
    service.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    service.sin_port = htons(port);
    if (::sendto(socket.get(), kRequest, sizeof kRequest - 1, 0, reinterpret_cast<const sockaddr*>(&service),
                 sizeof service) < 0)
        return std::nullopt;
    pollfd readable{socket.get(), POLLIN, 0};
    if (::poll(&readable, 1, static_cast<int>(kReplyWait.count())) != 1)
        return std::nullopt;
    char buffer[512];
    const ssize_t got = ::recv(socket.get(), buffer, sizeof buffer, 0);
    if (got < 0)
        return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(got));
}

// One process of the service program on 127.0.0.1:port, under user when one is given. Its standard output and
// error are read until it says it is listening or ends; it is stopped with SIGTERM when the object goes.
class ServiceProcess {
  public:
    ServiceProcess(std::uint16_t port, std::optional<uid_t> user) {
        int output[2];
        if (::pipe2(output, O_CLOEXEC) != 0)
            return;
        UniqueFd readEnd(output[0]);
        UniqueFd writeEnd(output[1]);
        const std::string portText = std::to_string(port);
        std::vector<const char*> argv = {LOOKUPD_SERVICE_PROGRAM, "--address", "127.0.0.1", "--port",
                                         portText.c_str(),        nullptr};
        pid_ = ::fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls between fork and exec: the test process has threads.
            if (user && (::setgroups(0, nullptr) != 0 || ::setgid(*user) != 0 || ::setuid(*user) != 0))
                ::_exit(126);
            ::dup2(writeEnd.get(), STDOUT_FILENO);
            ::dup2(writeEnd.get(), STDERR_FILENO);
            ::execv(argv[0], const_cast<char* const*>(argv.data()));
            ::_exit(127);
        }
        writeEnd.reset();
        output_ = std::move(readEnd);
        ReadUntilListeningOrEnd();
    }
    ~ServiceProcess() { Stop(); }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool listening() const { return listening_; }
    const std::string& output() const { return text_; }

    // Ends the process and waits for it; its exit status.
    int Stop() {
        if (pid_ <= 0)
            return status_;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, &status_, 0);
        pid_ = -1;
        return status_;
    }

  private:
    void ReadUntilListeningOrEnd() {
        const auto end = std::chrono::steady_clock::now() + kStartWait;
        char buffer[256];
        while (text_.find("listening on") == std::string::npos) {
            const auto left = std::chrono::duration_cast<milliseconds>(end - std::chrono::steady_clock::now());
            pollfd readable{output_.get(), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) != 1)
                return;
            const ssize_t got = ::read(output_.get(), buffer, sizeof buffer);
            if (got <= 0)
                return;
            text_.append(buffer, static_cast<std::size_t>(got));
        }
        listening_ = true;
    }

    pid_t pid_ = -1;
    int status_ = 0;
    UniqueFd output_;
    std::string text_;
    bool listening_ = false;
};

struct SharingCase {
    const char* name;
    bool sameUser;
    bool secondBinds;
};

void PrintTo(const SharingCase& row, std::ostream* out) {
    *out << row.name;
}

class LookupdSharedPortTest : public ::testing::TestWithParam<SharingCase> {};

TEST_P(LookupdSharedPortTest, ASecondInstanceBindsTheSamePortOnlyUnderTheSameUser) {
    const SharingCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const bool root = ::geteuid() == 0;
    if (!row.sameUser && !root)
        GTEST_SKIP() << "starting processes under other user ids needs root";
    const std::optional<uid_t> firstUser = root ? std::optional<uid_t>(kServiceUser) : std::nullopt;
    const std::optional<uid_t> secondUser =
        root ? std::optional<uid_t>(row.sameUser ? kServiceUser : kOtherUser) : std::nullopt;
    const std::uint16_t port = FreeUdpPort();
    ASSERT_NE(port, 0);

    ServiceProcess first(port, firstUser);
    ASSERT_TRUE(first.listening()) << first.output();
    EXPECT_EQ(Ask(port), kReply) << "the first instance does not answer";

    ServiceProcess second(port, secondUser);
    EXPECT_EQ(second.listening(), row.secondBinds) << second.output();
    if (!row.secondBinds) {
        EXPECT_NE(second.output().find("Address already in use"), std::string::npos) << second.output();
        EXPECT_EQ(Ask(port), kReply) << "the first instance stopped answering";
        return;
    }
    // With the first one gone, the answer can only come from the second: both were bound at once.
    first.Stop();
    EXPECT_EQ(Ask(port), kReply) << "the second instance does not answer";
}

const SharingCase kSharingCases[] = {
    {"SameUserShares", true, true},
    {"OtherUserCannotBind", false, false},
};

INSTANTIATE_TEST_SUITE_P(Instances, LookupdSharedPortTest, ::testing::ValuesIn(kSharingCases), [](const auto& info) {
    return std::string(info.param.name);
});

}  // namespace
}  // namespace quillcrest::lookupd
