#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "lookup/lookup_client.h"
#include "lookup/lookup_window_win.h"
#include "netconfig/ip_config_snapshot_win.h"
#include "support/fake_ip_helper_win.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::FakeIpHelper;

// Every name resolves to loopback; nothing leaves the test.
class LoopbackResolver : public HostResolver {
  public:
    std::uint32_t Resolve(const std::string&) override { return 0x7F000001; }
};

// Records each datagram and never answers, so every server reads as unverified and the run ends without a box.
class SilentSocket : public DatagramSocket {
  public:
    explicit SilentSocket(std::vector<std::string>& sent) : sent_(sent) {}
    void Connect(const Ipv4Endpoint&) override {}
    void DiscardPending() override {}
    void Send(const std::string& datagram) override { sent_.push_back(datagram); }
    std::optional<std::string> Receive(std::size_t, std::chrono::milliseconds) override { return std::nullopt; }

  private:
    std::vector<std::string>& sent_;
};

struct RunCase {
    const char* name;
    std::optional<DWORD> networkProbeResult;
    std::optional<DWORD> adaptersProbeResult;
    std::vector<std::string> expectedSent;
    std::string expectedError;  // empty: the run goes through
};

void PrintTo(const RunCase& row, std::ostream* out) {
    *out << row.name;
}

class LookupWindowRunTest : public testing::TestWithParam<RunCase> {};

// A run asks about the DNS servers alone: adapters the platform cannot list do not stop it, while servers it
// cannot read end it with the error, never with an empty report.
TEST_P(LookupWindowRunTest, ReadsOnlyTheServers) {
    const RunCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeIpHelper ipHelper;
    ipHelper.network.dnsServers = {"127.0.0.1", "127.0.0.2"};
    ipHelper.networkProbeResult = row.networkProbeResult;
    ipHelper.adaptersProbeResult = row.adaptersProbeResult;
    LoopbackResolver resolver;
    std::vector<std::string> sent;
    LookupClient client(resolver, [&sent] { return std::make_unique<SilentSocket>(sent); });
    LookupWindow window(nullptr, client, "lookup.test", PictureContainer(), ipHelper);
    ASSERT_NE(window.hwnd(), nullptr);

    std::string error;
    try {
        window.RunLookup();
    } catch (const EconIPConfigError& e) {
        error = e.what();
    }

    EXPECT_EQ(error, row.expectedError);
    EXPECT_EQ(sent, row.expectedSent);
    EXPECT_EQ(ipHelper.CallsTo("GetAdaptersInfo"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    LookupWindowRunTest,
    testing::ValuesIn(std::vector<RunCase>{
        {"no adapter at all", std::nullopt, std::nullopt, {"127.0.0.1", "127.0.0.2"}, ""},
        {"adapter list unreadable", std::nullopt, ERROR_NOT_SUPPORTED, {"127.0.0.1", "127.0.0.2"}, ""},
        {"servers unreadable",
         ERROR_NOT_SUPPORTED,
         std::nullopt,
         {},
         "Problem getting Host info:\rtext for " + std::to_string(ERROR_NOT_SUPPORTED)},
    }),
    fakes::RowName<RunCase>);

}  // namespace
}  // namespace quillcrest
