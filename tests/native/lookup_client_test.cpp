#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lookup/lookup_client.h"
#include "lookup/lookup_reply.h"
#include "lookup/lookup_run.h"
#include "support/lookup_posix_udp_socket.h"
#include "support/lookup_scripted_udp_peer.h"

namespace quillcrest {
namespace {

using fakes::PeerStep;
using fakes::PosixHostResolver;
using fakes::PosixUdpSocket;
using fakes::ScriptedUdpPeer;
using std::chrono::milliseconds;

constexpr char kLoopback[] = "127.0.0.1";
// Short enough to keep the silent cases quick, long enough for a loopback round trip on a busy machine.
constexpr milliseconds kTestTimeout{1000};

// Counts how the client uses the platform, so tests can tell what it did not do.
class CountingResolver : public HostResolver {
  public:
    std::uint32_t Resolve(const std::string& host) override {
        ++calls;
        if (failing)
            throw ELookupTransportError("no such host");
        return real.Resolve(host);
    }
    int calls = 0;
    bool failing = false;
    PosixHostResolver real;
};

struct ClientRig {
    explicit ClientRig(std::uint16_t port, milliseconds timeout = kTestTimeout)
        : client(
              resolver,
              [this]() -> std::unique_ptr<DatagramSocket> {
                  ++socketsOpened;
                  return std::make_unique<PosixUdpSocket>();
              },
              LookupClientSettings{port, timeout, kLookupReceiveBufferBytes}) {
        client.SetHost(kLoopback);
    }
    CountingResolver resolver;
    int socketsOpened = 0;
    LookupClient client;
};

// A port on which nothing listens: bound once, then released.
std::uint16_t ClosedLoopbackPort() {
    fakes::UniqueFd fd(::socket(AF_INET, SOCK_DGRAM, 0));
    const sockaddr_in address = fakes::ToSockaddr({INADDR_LOOPBACK, 0});
    ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&bound), &length);
    return ntohs(bound.sin_port);
}

// One reply of the service as it arrives on the wire, and what the client makes of it.
struct ReplyCase {
    const char* name;
    std::optional<std::string> datagram;  // nothing: the service stays silent
    LookupOutcome outcome;
    LookupAnswer answer;  // compared only for Answered
};

std::string CaseName(const ::testing::TestParamInfo<ReplyCase>& info) {
    return info.param.name;
}

const ReplyCase kReplyCases[] = {
    {"SixFields",
     "203.0.113.7;8.8.8.8;dns.google;United States;United States;none",
     LookupOutcome::Answered,
     {"203.0.113.7", "8.8.8.8", "dns.google", "United States", "United States", "none"}},
    {"ThirtyCharactersAfterTrimmingAreUnverified",
     " \r\n1.2.3.4;5.6.7.8;host;Land;Lan;\r\n",
     LookupOutcome::Unverified,
     {}},
    {"ThirtyOneCharactersAreAnswered",
     "1.2.3.4;5.6.7.8;host;Land;Land;",
     LookupOutcome::Answered,
     {"1.2.3.4", "5.6.7.8", "host", "Land", "Land", ""}},
    {"FewerThanSixFieldsLeaveTheRestEmpty",
     "203.0.113.7;8.8.8.8;dns.google;United States",
     LookupOutcome::Answered,
     {"203.0.113.7", "8.8.8.8", "dns.google", "United States", "", ""}},
    {"MoreThanSixFieldsEndTheWarningAtTheSixthDelimiter",
     "203.0.113.7;8.8.4.4;dns.google;Canada;United States;none;extra;more",
     LookupOutcome::Answered,
     {"203.0.113.7", "8.8.4.4", "dns.google", "Canada", "United States", "none"}},
    {"QuotedDelimiterStaysInItsField",
     "203.0.113.7;8.8.8.8;\"odd;name\";Canada;Canada;none",
     LookupOutcome::Answered,
     {"203.0.113.7", "8.8.8.8", "\"odd;name\"", "Canada", "Canada", "none"}},
    {"BlanksAroundTheReplyGoBlanksInsideStay",
     "\t  203.0.113.7;8.8.8.8;dns google ;United States;United States;Look here \r\n\r\n",
     LookupOutcome::Answered,
     {"203.0.113.7", "8.8.8.8", "dns google ", "United States", "United States", "Look here"}},
    {"LoopbackServerGetsNoWarning",
     "203.0.113.7;127.0.0.1;localhost;Unknown;Unknown;Rogue server",
     LookupOutcome::Answered,
     {"203.0.113.7", "127.0.0.1", "localhost", "Unknown", "Unknown", "None"}},
    {"HomeRouterGetsNoWarning",
     "203.0.113.7;192.168.1.1;router;Unknown;Unknown;Rogue server",
     LookupOutcome::Answered,
     {"203.0.113.7", "192.168.1.1", "router", "Unknown", "Unknown", "None"}},
    {"TenNetworkGetsNoWarning",
     "203.0.113.7;10.0.0.138;gateway;Unknown;Unknown",
     LookupOutcome::Answered,
     {"203.0.113.7", "10.0.0.138", "gateway", "Unknown", "Unknown", "None"}},
    {"SharedAddressSpaceIsNoPrivatePrefix",
     "203.0.113.7;100.64.0.1;cgnat;Unknown;Unknown;Rogue server",
     LookupOutcome::Answered,
     {"203.0.113.7", "100.64.0.1", "cgnat", "Unknown", "Unknown", "Rogue server"}},
    {"OneSevenTwoSixteenIsNoPrivatePrefix",
     "203.0.113.7;172.16.0.1;office;Unknown;Unknown;",
     LookupOutcome::Answered,
     {"203.0.113.7", "172.16.0.1", "office", "Unknown", "Unknown", ""}},
    {"PrefixMustStartTheAddress",
     "203.0.113.7;8.10.192.1;somewhere;Unknown;Unknown;Rogue server",
     LookupOutcome::Answered,
     {"203.0.113.7", "8.10.192.1", "somewhere", "Unknown", "Unknown", "Rogue server"}},
    {"BytesAboveOneTwentySevenAreNotTrimmed",
     "203.0.113.7;8.8.8.8;dns.google;Canada;Canada;none\xA0",
     LookupOutcome::Answered,
     {"203.0.113.7", "8.8.8.8", "dns.google", "Canada", "Canada", "none\xA0"}},
    {"LongTextWithoutDelimitersIsAllPublicAddress",
     "0123456789012345678901234567890123456789",
     LookupOutcome::Answered,
     {"0123456789012345678901234567890123456789", "", "", "", "", ""}},
    {"EmptyDatagramIsUnverified", "", LookupOutcome::Unverified, {}},
    {"SilenceIsUnverified", std::nullopt, LookupOutcome::Unverified, {}},
};

class LookupReplyExchangeTest : public ::testing::TestWithParam<ReplyCase> {
  protected:
    ScriptedUdpPeer peer;
};

TEST_P(LookupReplyExchangeTest, ClassifiesTheReplyThatArrives) {
    const ReplyCase& c = GetParam();
    SCOPED_TRACE(c.name);
    peer.Script({PeerStep{c.datagram}});
    ClientRig rig(peer.port());

    const std::vector<LookupResult> results = LookupEachServer(rig.client, {"8.8.8.8"});

    EXPECT_EQ(peer.Requests(), std::vector<std::string>{"8.8.8.8"});
    ASSERT_EQ(results.size(), 1u);
    const LookupResult& result = results[0];
    EXPECT_EQ(result.Outcome, c.outcome);
    if (c.outcome != LookupOutcome::Answered)
        return;
    EXPECT_EQ(result.Answer.PublicAddress, c.answer.PublicAddress);
    EXPECT_EQ(result.Answer.ServerAddress, c.answer.ServerAddress);
    EXPECT_EQ(result.Answer.ServerHostName, c.answer.ServerHostName);
    EXPECT_EQ(result.Answer.PublicCountry, c.answer.PublicCountry);
    EXPECT_EQ(result.Answer.ServerCountry, c.answer.ServerCountry);
    EXPECT_EQ(result.Answer.Warning, c.answer.Warning);
}

INSTANTIATE_TEST_SUITE_P(Replies, LookupReplyExchangeTest, ::testing::ValuesIn(kReplyCases), CaseName);

class LookupClientExchangeTest : public ::testing::Test {
  protected:
    ScriptedUdpPeer peer;
};

TEST_F(LookupClientExchangeTest, AnEmptyHostIsUnreachableWithoutTouchingTheNetwork) {
    ClientRig rig(peer.port());
    rig.client.SetHost("");

    const LookupQueryReply reply = rig.client.QueryLookupService("8.8.8.8");

    EXPECT_FALSE(reply.reached);
    EXPECT_EQ(rig.resolver.calls, 0);
    EXPECT_EQ(rig.socketsOpened, 0);
    EXPECT_TRUE(peer.Requests().empty());
}

TEST_F(LookupClientExchangeTest, AHostThatDoesNotResolveIsUnreachable) {
    ClientRig rig(peer.port());
    rig.resolver.failing = true;

    const std::vector<LookupResult> results = LookupEachServer(rig.client, {"8.8.8.8"});

    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].Outcome, LookupOutcome::Unreachable);
    EXPECT_TRUE(peer.Requests().empty());
}

TEST_F(LookupClientExchangeTest, APortThatIsNotListeningIsUnreachable) {
    ClientRig rig(ClosedLoopbackPort(), std::chrono::seconds(5));

    const auto started = std::chrono::steady_clock::now();
    const LookupQueryReply reply = rig.client.QueryLookupService("8.8.8.8");

    EXPECT_FALSE(reply.reached);
    // The network's refusal ends the wait; it is not mistaken for silence.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
}

TEST_F(LookupClientExchangeTest, ADatagramFromAnotherPortIsIgnored) {
    const std::string real = "203.0.113.7;8.8.8.8;dns.google;United States;United States;none";
    peer.Script({PeerStep{real, milliseconds(50), std::string("198.51.100.1;6.6.6.6;forged;Nowhere;Nowhere;none")}});
    ClientRig rig(peer.port());

    const LookupQueryReply reply = rig.client.QueryLookupService("8.8.8.8");

    EXPECT_TRUE(reply.reached);
    EXPECT_EQ(reply.reply, real);
}

TEST_F(LookupClientExchangeTest, ALateReplyIsNotTakenForTheNextRequest) {
    const std::string late = "203.0.113.7;8.8.8.8;dns.google;United States;United States;none";
    const std::string second = "203.0.113.7;8.8.4.4;dns.google;United States;United States;none";
    peer.Script({PeerStep{late, kTestTimeout + milliseconds(300)}, PeerStep{second}});
    ClientRig rig(peer.port());

    const LookupQueryReply first = rig.client.QueryLookupService("8.8.8.8");
    EXPECT_TRUE(first.reached);
    EXPECT_EQ(first.reply, "");
    // The late reply is now waiting in the socket.
    ASSERT_TRUE(peer.WaitForHandled(1));

    const LookupQueryReply next = rig.client.QueryLookupService("8.8.4.4");
    EXPECT_TRUE(next.reached);
    EXPECT_EQ(next.reply, second);
}

TEST(LookupClientRecoveryTest, AServiceThatComesBackIsReachedWithAFreshSocket) {
    const std::uint16_t port = ClosedLoopbackPort();
    ClientRig rig(port);
    EXPECT_FALSE(rig.client.QueryLookupService("8.8.8.8").reached);

    ScriptedUdpPeer peer(port);
    peer.Script({PeerStep{std::string("203.0.113.7;8.8.8.8;dns.google;United States;United States;none")}});
    const LookupQueryReply reply = rig.client.QueryLookupService("8.8.8.8");

    EXPECT_TRUE(reply.reached);
    EXPECT_EQ(reply.reply, "203.0.113.7;8.8.8.8;dns.google;United States;United States;none");
    // The socket that saw the refusal was not used again.
    EXPECT_EQ(rig.socketsOpened, 2);
}

TEST_F(LookupClientExchangeTest, OneSocketServesEveryExchangeAndTheHostIsResolvedEachTime) {
    const std::string answer = "203.0.113.7;8.8.8.8;dns.google;United States;United States;none";
    peer.Script({PeerStep{answer}, PeerStep{answer}, PeerStep{answer}});
    ClientRig rig(peer.port());

    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(rig.client.QueryLookupService("8.8.8.8").reached);

    EXPECT_EQ(rig.socketsOpened, 1);
    EXPECT_EQ(rig.resolver.calls, 3);
}

TEST_F(LookupClientExchangeTest, ALongerDatagramIsCutToTheReceiveBuffer) {
    std::string huge = "203.0.113.7;8.8.8.8;dns.google;United States;United States;";
    huge.append(kLookupReceiveBufferBytes + 1000 - huge.size(), 'w');
    peer.Script({PeerStep{huge}});
    ClientRig rig(peer.port());

    const LookupQueryReply reply = rig.client.QueryLookupService("8.8.8.8");

    EXPECT_TRUE(reply.reached);
    EXPECT_EQ(reply.reply, huge.substr(0, kLookupReceiveBufferBytes));
}

TEST_F(LookupClientExchangeTest, AFailedSocketOpeningIsUnreachableAndTriedAgainNextTime) {
    const std::string answer = "203.0.113.7;8.8.8.8;dns.google;United States;United States;none";
    peer.Script({PeerStep{answer}});
    CountingResolver resolver;
    int attempts = 0;
    LookupClient client(
        resolver,
        [&]() -> std::unique_ptr<DatagramSocket> {
            if (++attempts == 1)
                throw ELookupTransportError("no sockets left");
            return std::make_unique<PosixUdpSocket>();
        },
        LookupClientSettings{peer.port(), kTestTimeout, kLookupReceiveBufferBytes});
    client.SetHost(kLoopback);

    EXPECT_FALSE(client.QueryLookupService("8.8.8.8").reached);
    const LookupQueryReply second = client.QueryLookupService("8.8.8.8");

    EXPECT_TRUE(second.reached);
    EXPECT_EQ(second.reply, answer);
    EXPECT_EQ(attempts, 2);
}

TEST_F(LookupClientExchangeTest, EachServerIsAskedInTurnWithItsOwnOutcome) {
    peer.Script({PeerStep{std::string("203.0.113.7;208.67.222.222;resolver1.opendns.com;Canada;United States;none")},
                 PeerStep{std::nullopt}, PeerStep{std::string("too short")}});
    ClientRig rig(peer.port());

    const std::vector<LookupResult> results =
        LookupEachServer(rig.client, {"208.67.222.222", "208.67.220.220", "192.168.1.1"});

    EXPECT_EQ(peer.Requests(), (std::vector<std::string>{"208.67.222.222", "208.67.220.220", "192.168.1.1"}));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].Outcome, LookupOutcome::Answered);
    EXPECT_EQ(results[0].Answer.ServerHostName, "resolver1.opendns.com");
    EXPECT_EQ(results[1].Outcome, LookupOutcome::Unverified);
    EXPECT_EQ(results[2].Outcome, LookupOutcome::Unverified);
    for (std::size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ(results[i].AskedServer, peer.Requests()[i]) << "result " << i << " names the address it asked";
}

}  // namespace
}  // namespace quillcrest
