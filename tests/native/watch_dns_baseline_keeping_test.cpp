#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "resolution/dns_baseline_file.h"
#include "support/resolution_settings_builder.h"
#include "support/row_name.h"
#include "support/watch_fake_file_system.h"
#include "watch/dns_baseline_storage.h"
#include "watch/resolution_alert.h"

namespace quillcrest {
namespace {

using fakes::Machine;

constexpr char kPath[] = "C:\\Program Files\\Quillcrest\\DNSBaseline.txt";
constexpr char kDamagedPath[] = "C:\\Program Files\\Quillcrest\\DNSBaseline.txt.damaged";
constexpr char kDamagedText[] = "Quillcrest DNS baseline 1\r\nhosts sideways\r\n";

ResolutionSettings Stored() {
    return Machine().Adapter("{A}", "Ethernet", {}).Hosts("# hosts\r\n127.0.0.1 localhost\r\n").settings;
}

// What the elevated run found beside itself, and what it read: the stored settings, or a redirection of them.
enum class Found { Nothing, Same, Redirected, CommentsChanged, Damaged };

ResolutionSettings Now(Found found) {
    Machine machine;
    machine.settings = Stored();
    if (found == Found::Redirected)
        machine.Adapter("{B}", "VPN", {"fd00::66"})
            .Hosts("# hosts\r\n127.0.0.1 localhost\r\n127.0.0.9 bank.example\r\n");
    if (found == Found::CommentsChanged)
        machine.Hosts("# hosts, edited\r\n127.0.0.1 localhost\r\n");
    return machine.settings;
}

// "/keep-dns-baseline" in the elevated run: which stored baseline it finds, what the user answers if asked.
struct KeepCase {
    const char* name;
    Found found;
    bool answer;
    std::vector<std::string> askedLines;  // empty: no question
    bool kept;
};

void PrintTo(const KeepCase& row, std::ostream* out) {
    *out << row.name;
}

const KeepCase kKeepCases[] = {
    {"no stored baseline needs no question", Found::Nothing, false, {}, true},
    {"the same settings need no question", Found::Same, false, {}, true},
    {"a change of comments only needs no question and is kept", Found::CommentsChanged, false, {}, true},
    {"a difference is shown and kept on yes",
     Found::Redirected,
     true,
     {"Network adapter with DNS servers (\"VPN\"): was none, now IPv6 fd00::66; handed out by the network "
      "(DHCPv6 or a router advertisement)",
      "Hosts file \"bank.example\": was none, now 127.0.0.9"},
     true},
    {"a difference is shown and nothing is kept on no",
     Found::Redirected,
     false,
     {"Network adapter with DNS servers (\"VPN\"): was none, now IPv6 fd00::66; handed out by the network "
      "(DHCPv6 or a router advertisement)",
      "Hosts file \"bank.example\": was none, now 127.0.0.9"},
     false},
    {"a damaged baseline is set aside without a question", Found::Damaged, false, {}, true},
};

class KeepDnsBaselineTest : public ::testing::TestWithParam<KeepCase> {};

TEST_P(KeepDnsBaselineTest, AsksOnlyWhereAStoredBaselineDiffersAndKeepsNothingOnNo) {
    const KeepCase& row = GetParam();
    SCOPED_TRACE(row.name);
    fakes::FakeFileSystem files;
    if (row.found == Found::Damaged)
        files.files[kPath] = kDamagedText;
    else if (row.found != Found::Nothing)
        files.files[kPath] = SerializeDnsBaseline(Stored());
    const std::optional<std::string> before =
        files.files.count(kPath) ? std::optional(files.files[kPath]) : std::nullopt;
    const ResolutionSettings now = Now(row.found);

    std::vector<std::string> asked;
    const bool kept = KeepDnsBaselineIfConfirmed(files, kPath, now, [&](const auto& differences) {
        asked = DifferenceLines(differences, kMostDifferencesInAlert);
        return row.answer;
    });

    EXPECT_EQ(kept, row.kept);
    EXPECT_EQ(asked, row.askedLines);
    EXPECT_EQ(files.files[kPath], row.kept ? std::optional(SerializeDnsBaseline(now)) : before);
    EXPECT_EQ(files.files.count(kDamagedPath), row.found == Found::Damaged ? 1u : 0u);
    if (row.found == Found::Damaged) {
        EXPECT_EQ(files.files[kDamagedPath], kDamagedText);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, KeepDnsBaselineTest, ::testing::ValuesIn(kKeepCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

// A failed save leaves the stored baseline as it was and says why.
TEST(KeepDnsBaselineFailureTest, AFailedWriteRaisesAndLeavesTheStoredBaseline) {
    fakes::FakeFileSystem files;
    files.files[kPath] = SerializeDnsBaseline(Stored());
    files.failingSteps.insert(fakes::FakeFileSystem::Step::Write);
    EXPECT_THROW(KeepDnsBaselineIfConfirmed(files, kPath, Now(Found::Same), [](const auto&) { return true; }),
                 EFileError);
    EXPECT_EQ(files.files[kPath], SerializeDnsBaseline(Stored()));
}

}  // namespace
}  // namespace quillcrest
