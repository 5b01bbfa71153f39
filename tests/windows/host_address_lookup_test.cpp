// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "base/host_address_lookup_win.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using namespace std::chrono_literals;

struct HostRow {
    const char* name;
    std::string host;
    bool waits;                            // whether the answer is waited for (a worker thread asks the resolver)
    std::optional<std::uint32_t> address;  // in network byte order
};

void PrintTo(const HostRow& row, std::ostream* out) {
    *out << row.name;
}

class HostAddressLookupTest : public ::testing::TestWithParam<HostRow> {};

// Counts the waits and waits for real, so a name's answer still arrives.
TEST_P(HostAddressLookupTest, NumbersAreReadAtOnceAndNamesGoToTheWorker) {
    const HostRow& row = GetParam();
    SCOPED_TRACE(row.host);
    int waits = 0;
    const EventWait wait = [&waits](HANDLE event, std::chrono::milliseconds timeout) {
        ++waits;
        return ::WaitForSingleObject(event, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
    };
    const std::optional<HostAddressAnswer> answer = LookUpHostAddress(row.host, SOCK_DGRAM, wait, 10s);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(waits, row.waits ? 1 : 0);
    EXPECT_EQ(answer->code, 0);
    EXPECT_EQ(answer->address, row.address);
}

INSTANTIATE_TEST_SUITE_P(Hosts,
                         HostAddressLookupTest,
                         ::testing::Values(HostRow{"Loopback", "127.0.0.1", false, 0x0100007Fu},
                                           HostRow{"PublicAddress", "192.0.2.10", false, 0x0A0200C0u},
                                           HostRow{"Name", "localhost", true, 0x0100007Fu}),
                         fakes::RowName<HostRow>);

}  // namespace
}  // namespace quillcrest
