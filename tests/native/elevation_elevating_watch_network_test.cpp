#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "elevation/action_exit_code.h"
#include "elevation/elevating_watch_network.h"
#include "elevation/privileged_action.h"
#include "netconfig/adapter_method_return.h"
#include "support/elevation_fakes.h"
#include "support/watch_fake_network.h"

namespace quillcrest {
namespace {

using fakes::FakeActionLauncher;
using fakes::FakeProcessElevation;
using fakes::FakeProgramProtection;
using fakes::FakeWatchNetwork;

const std::string kA = "{AAAAAAAA-0000-0000-0000-00000000000A}";
const std::string kB = "{AAAAAAAA-0000-0000-0000-00000000000B}";
const std::string kC = "{AAAAAAAA-0000-0000-0000-00000000000C}";

class ElevatingWatchNetworkTest : public ::testing::Test {
  protected:
    // Answers as the real elevated run would, had its adapters answered with `codes` (by identifier).
    void RunAnswersWith(std::map<std::string, std::uint32_t> codes) {
        launcher.answer = [codes](const std::string& arguments) {
            const auto action = ParseActionArguments(arguments);
            if (!action)
                return ActionExitForRefusedCommandLine();
            DnsChangeOutcome outcome;
            for (const DnsAssignment& assignment : action->assignments) {
                const auto code = codes.find(assignment.settingId);
                if (code != codes.end())
                    outcome.refusals.push_back({assignment.settingId, code->second, ""});
            }
            return ActionExitForDnsOutcome(action->assignments, outcome);
        };
    }

    FakeWatchNetwork inProcess;
    FakeProcessElevation elevation;
    FakeProgramProtection protection;
    FakeActionLauncher launcher;
    ElevatedActions elevated{elevation, protection, launcher, nullptr};
    // The connection names the network reads for its report; a test may make the read fail.
    ConnectionNames names;
    bool namesUnreadable = false;
    int nameReads = 0;
    ElevatingWatchNetwork network{inProcess, elevated, [this] {
                                      ++nameReads;
                                      if (namesUnreadable)
                                          throw Exception("the adapters cannot be read");
                                      return names;
                                  }};
    const std::vector<DnsAssignment> threeAdapters{{kA, {"208.67.222.222", "208.67.220.220"}},
                                                   {kB, {}},
                                                   {kC, {"10.0.0.1"}}};
};

TEST_F(ElevatingWatchNetworkTest, ElevatedProcessChangesInProcessAndLaunchesNothing) {
    elevation.elevated = true;
    protection.MakeUnprotected();
    inProcess.refusingAdapters = {{kB, 91}};
    const DnsChangeOutcome outcome = network.ChangeAdaptersDns(threeAdapters);
    EXPECT_TRUE(launcher.runs.empty());
    EXPECT_EQ(protection.checks, 0) << "an elevated process starts nothing, so there is nothing to check";
    EXPECT_EQ(inProcess.changeRequests, 1);
    ASSERT_EQ(outcome.refusals.size(), 1u);
    EXPECT_EQ(outcome.refusals[0].settingId, kB);
}

TEST_F(ElevatingWatchNetworkTest, UnelevatedProcessSendsTheWholeActionToOneElevatedRun) {
    const DnsChangeOutcome outcome = network.ChangeAdaptersDns(threeAdapters);
    EXPECT_FALSE(outcome.Refused());
    EXPECT_EQ(inProcess.changeRequests, 0) << "nothing changed in-process";
    EXPECT_EQ(protection.checks, 1);
    ASSERT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(launcher.runs[0], "/set-dns " + kA + "=208.67.222.222,208.67.220.220 " + kB + "= " + kC + "=10.0.0.1");
}

TEST_F(ElevatingWatchNetworkTest, UnprotectedProgramStartsNothingAndSaysWhyOncePerAction) {
    protection.MakeUnprotected();
    // Enough adapters for two runs: the first refusal ends the action.
    std::vector<DnsAssignment> many(kMostActionAssignments + 1, {kA, {}});
    try {
        network.ChangeAdaptersDns(many);
        FAIL() << "a change that was not made must not pass for one";
    } catch (const EProgramUnprotected& error) {
        EXPECT_EQ(error.what(), UnprotectedProgramMessage(FakeProgramProtection::kReason));
    }
    EXPECT_TRUE(launcher.runs.empty());
    EXPECT_EQ(inProcess.changeRequests, 0);
    EXPECT_EQ(protection.checks, 1);
}

TEST_F(ElevatingWatchNetworkTest, ProtectionIsCheckedRightBeforeEveryRun) {
    std::vector<DnsAssignment> many(kMostActionAssignments + 1, {kA, {}});
    // The folder loses its protection after the first run has started.
    launcher.answer = [this](const std::string&) {
        protection.MakeUnprotected();
        return kActionExitDone;
    };
    EXPECT_THROW(network.ChangeAdaptersDns(many), EProgramUnprotected);
    EXPECT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(protection.checks, 2);
}

TEST_F(ElevatingWatchNetworkTest, PartialRefusalNamesTheRefusingAdaptersOfTheRun) {
    RunAnswersWith({{kA, 91}, {kC, 91}});
    const DnsChangeOutcome outcome = network.ChangeAdaptersDns(threeAdapters);
    ASSERT_EQ(outcome.refusals.size(), 2u);
    EXPECT_EQ(outcome.refusals[0].settingId, kA);
    EXPECT_EQ(outcome.refusals[1].settingId, kC);
    EXPECT_EQ(outcome.refusals[0].reason, "Access denied");
    const std::string report = EDnsChangeRefused(outcome).what();
    EXPECT_NE(report.find("\n" + kA + ", " + kC + ": Access denied"), std::string::npos) << report;
    EXPECT_EQ(report.find(kB), std::string::npos) << report;
}

TEST_F(ElevatingWatchNetworkTest, DeclinedConsentChangesNothingAndRaisesThePlainMessage) {
    launcher.behaviour = FakeActionLauncher::Behaviour::kDeclined;
    try {
        network.ChangeAdaptersDns(threeAdapters);
        FAIL() << "a declined prompt must not pass for a change";
    } catch (const EElevationDeclined& error) {
        EXPECT_STREQ(error.what(), kElevationDeclinedMessage);
    }
    EXPECT_EQ(launcher.runs.size(), 1u) << "asked once, not again";
    EXPECT_EQ(inProcess.changeRequests, 0);
}

TEST_F(ElevatingWatchNetworkTest, LaunchFailureAndRunErrorsRaise) {
    launcher.behaviour = FakeActionLauncher::Behaviour::kFailsToStart;
    EXPECT_THROW(network.ChangeAdaptersDns(threeAdapters), Exception);

    launcher.behaviour = FakeActionLauncher::Behaviour::kRuns;
    launcher.answer = [](const std::string&) { return ActionExitForError(0x80041003); };
    EXPECT_THROW(network.ChangeAdaptersDns(threeAdapters), Exception);
    launcher.answer = [](const std::string&) { return 0xC0000005u; };
    EXPECT_THROW(network.ChangeAdaptersDns(threeAdapters), Exception);
    EXPECT_EQ(inProcess.changeRequests, 0);
}

TEST_F(ElevatingWatchNetworkTest, IdentifiersThatNameNoAdapterAreLeftOutAndAnEmptyActionAsksNothing) {
    network.ChangeAdaptersDns({{"Tcpip_not-a-guid", {}}, {kA, {"10.0.0.1"}}});
    ASSERT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(launcher.runs[0], "/set-dns " + kA + "=10.0.0.1");

    network.ChangeAdaptersDns({{"Tcpip_not-a-guid", {}}});
    EXPECT_EQ(launcher.runs.size(), 1u) << "no prompt for nothing";
}

TEST_F(ElevatingWatchNetworkTest, MoreAdaptersThanOneRunCarriesTakeAnotherRun) {
    std::vector<DnsAssignment> many(kMostActionAssignments + 1, {kA, {}});
    many.back().settingId = kC;
    RunAnswersWith({{kC, 70}});
    const DnsChangeOutcome outcome = network.ChangeAdaptersDns(many);
    EXPECT_EQ(launcher.runs.size(), 2u);
    ASSERT_EQ(outcome.refusals.size(), 1u);
    EXPECT_EQ(outcome.refusals[0].settingId, kC);
    EXPECT_EQ(outcome.refusals[0].reason, "Invalid IP address");
}

// A refusal is reported by the adapters' connection names, from an elevated run and from an in-process change
// alike; an adapter without one, or names that cannot be read, leave the identifier.
TEST_F(ElevatingWatchNetworkTest, RefusalsCarryTheAdaptersConnectionNames) {
    names.Add(kA, "Ethernet");
    names.Add(kC, "Wi-Fi");
    for (const bool inProcessChange : {false, true}) {
        SCOPED_TRACE(inProcessChange ? "elevated, in-process" : "through the elevated run");
        elevation.elevated = inProcessChange;
        inProcess.refusingAdapters = {{kA, kAdapterMethodMissing}, {kB, 91}};
        RunAnswersWith({{kA, kAdapterMethodMissing}, {kB, kAdapterMethodMissing}});
        const DnsChangeOutcome outcome = network.ChangeAdaptersDns(threeAdapters);
        ASSERT_EQ(outcome.refusals.size(), 2u);
        EXPECT_EQ(outcome.refusals[0].connectionName, "Ethernet");
        EXPECT_EQ(outcome.refusals[1].connectionName, "");
        const std::string report = EDnsChangeRefused(outcome).what();
        EXPECT_EQ(report.find("The DNS servers of these adapters were not changed:\nEthernet"), 0u) << report;
        EXPECT_NE(report.find(kB + ": "), std::string::npos) << report;
    }

    namesUnreadable = true;
    const DnsChangeOutcome unnamed = network.ChangeAdaptersDns(threeAdapters);
    ASSERT_EQ(unnamed.refusals.size(), 2u);
    EXPECT_NE(std::string(EDnsChangeRefused(unnamed).what()).find("\n" + kA + ": "), std::string::npos)
        << "the report still comes, naming the adapter by its identifier";
}

TEST_F(ElevatingWatchNetworkTest, NamesAreReadOnlyForARefusal) {
    network.ChangeAdaptersDns(threeAdapters);
    elevation.elevated = true;
    network.ChangeAdaptersDns(threeAdapters);
    EXPECT_EQ(nameReads, 0);
}

// Which assignments the elevated run's own window shows and asks about, so that the caller need not ask as well.
TEST_F(ElevatingWatchNetworkTest, AsksBeforeChangingExactlyWhenTheChangeGoesToTheElevatedRun) {
    EXPECT_TRUE(network.AsksBeforeChanging(threeAdapters));
    EXPECT_TRUE(network.AsksBeforeChanging({{kA, {}}}));
    EXPECT_FALSE(network.AsksBeforeChanging({})) << "nothing to change asks nothing";
    EXPECT_FALSE(network.AsksBeforeChanging({{"Tcpip_not-a-guid", {}}})) << "no run starts for it";
    EXPECT_FALSE(network.AsksBeforeChanging({{kA, {"1.1.1.1", "2.2.2.2", "3.3.3.3", "4.4.4.4"}}}));
    EXPECT_FALSE(network.AsksBeforeChanging({{kA, {}}, {"Tcpip_not-a-guid", {}}})) << "not every one is shown";
    elevation.elevated = true;
    EXPECT_FALSE(network.AsksBeforeChanging(threeAdapters)) << "an in-process change asks nobody";
    EXPECT_TRUE(launcher.runs.empty());
}

TEST_F(ElevatingWatchNetworkTest, ReadsAndTheFlushNeedNoRights) {
    inProcess.tcpipInterfaces = {kA};
    EXPECT_EQ(network.CurrentDnsList(), inProcess.currentList);
    EXPECT_EQ(network.GetTcpipInterfaces(), std::vector<std::string>{kA});
    network.FlushDNSCache();
    EXPECT_EQ(inProcess.log, std::vector<std::string>{"flush"});
    EXPECT_TRUE(launcher.runs.empty());
}

}  // namespace
}  // namespace quillcrest
