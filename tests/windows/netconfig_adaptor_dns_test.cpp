#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exception.h"
#include "netconfig/adapter_method_return.h"
#include "netconfig/adaptor_dns_query.h"
#include "netconfig/adaptor_dns_win.h"
#include "netconfig/com_error.h"
#include "netconfig/wmi_query_win.h"
#include "support/http_row_name.h"
#include "support/netconfig_fake_wmi_services.h"
#include "support/watch_row_name.h"

namespace quillcrest {
namespace {

using fakes::FakeWmiAdapter;
using fakes::FakeWmiServices;
using fakes::ReceivedCall;

constexpr const char* kId = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kExpectedQuery =
    "Select * from Win32_NetworkAdapterConfiguration where IPEnabled=TRUE AND SettingID='"
    "{4D36E972-E325-11CE-BFC1-08002BE10318}'";

class SetAdaptorDnsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        // Whatever path the call took, it must have let go of every object it was handed or fetched.
        EXPECT_EQ(services_.references(), 0u);
        EXPECT_EQ(services_.adapterSet.references(), 0u);
        EXPECT_EQ(services_.adapterSet.enumerator.references(), 0u);
        for (const FakeWmiAdapter& adapter : adapters_)
            EXPECT_EQ(adapter.references(), 0u);
    }

    void matchAdapters(std::size_t count) {
        adapters_ = std::vector<FakeWmiAdapter>(count);
        for (FakeWmiAdapter& adapter : adapters_)
            services_.adapterSet.enumerator.adapters.push_back(&adapter);
    }

    WmiServicesBinder binder() {
        return [this] { return Microsoft::WRL::ComPtr<IDispatch>(&services_); };
    }

    DnsChangeOutcome run(const std::vector<std::string>& servers) { return SetAdaptorDNS(kId, servers, binder()); }

    FakeWmiServices services_;
    std::vector<FakeWmiAdapter> adapters_;
};

struct ServersCase {
    const char* name;
    std::vector<std::string> servers;
};

void PrintTo(const ServersCase& row, std::ostream* out) {
    *out << row.name;
}

class SetAdaptorDnsArgumentTest : public SetAdaptorDnsTest, public ::testing::WithParamInterface<ServersCase> {};

TEST_P(SetAdaptorDnsArgumentTest, MethodReceivesServersByReferenceFromIndexOne) {
    const ServersCase& row = GetParam();
    SCOPED_TRACE(row.name);
    matchAdapters(1);
    run(row.servers);

    ASSERT_EQ(services_.queries, std::vector<std::string>{kExpectedQuery});
    EXPECT_EQ(services_.queryFlags, std::vector<WORD>{DISPATCH_METHOD});
    EXPECT_EQ(services_.adapterSet.newEnumFlags, std::vector<WORD>{DISPATCH_PROPERTYGET});
    ASSERT_EQ(adapters_[0].calls.size(), 1u);
    const ReceivedCall& call = adapters_[0].calls[0];
    EXPECT_EQ(call.flags, DISPATCH_METHOD);
    EXPECT_EQ(call.argumentCount, 1u);
    EXPECT_EQ(call.namedArgumentCount, 0u);
    EXPECT_EQ(call.argumentType, VT_BYREF | VT_VARIANT);
    EXPECT_EQ(call.referencedType, VT_ARRAY | VT_BSTR);
    EXPECT_EQ(call.lowerBound, 1);
    EXPECT_EQ(call.upperBound, static_cast<LONG>(row.servers.size()));
    EXPECT_EQ(call.elements, row.servers);
}

const ServersCase kServersCases[] = {
    {"one server", {"208.67.222.222"}},
    {"two servers keep their order", {"208.67.222.222", "208.67.220.220"}},
    {"three servers keep their order", {"10.0.0.3", "10.0.0.1", "10.0.0.2"}},
    {"more than three are still passed whole", {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5"}},
};

INSTANTIATE_TEST_SUITE_P(Table,
                         SetAdaptorDnsArgumentTest,
                         ::testing::ValuesIn(kServersCases),
                         fakes::RowName<ServersCase>);

TEST_F(SetAdaptorDnsTest, NoServersOmitsTheArgument) {
    matchAdapters(1);
    run({});
    ASSERT_EQ(adapters_[0].calls.size(), 1u);
    const ReceivedCall& call = adapters_[0].calls[0];
    EXPECT_EQ(call.argumentCount, 1u);
    EXPECT_EQ(call.argumentType, VT_ERROR);
    EXPECT_EQ(call.missingMarker, DISP_E_PARAMNOTFOUND);
}

TEST_F(SetAdaptorDnsTest, EveryMatchedAdapterIsCalled) {
    matchAdapters(3);
    run({"10.0.0.1", "10.0.0.2"});
    for (const FakeWmiAdapter& adapter : adapters_) {
        ASSERT_EQ(adapter.calls.size(), 1u);
        EXPECT_EQ(adapter.calls[0].elements, (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
    }
}

TEST_F(SetAdaptorDnsTest, NoMatchingAdapterChangesNothingAndReportsNothing) {
    matchAdapters(0);
    EXPECT_NO_THROW(run({"10.0.0.1"}));
    EXPECT_EQ(services_.queries.size(), 1u);
}

TEST_F(SetAdaptorDnsTest, FailingCallsAreRefusalsAndTheWalkGoesOn) {
    matchAdapters(4);
    adapters_[0].namesResult = DISP_E_UNKNOWNNAME;  // as in Wine, where the method does not exist
    adapters_[1].invokeResult = E_ACCESSDENIED;
    adapters_[2].failWithException = true;
    DnsChangeOutcome outcome;
    EXPECT_NO_THROW(outcome = run({"10.0.0.1"}));
    EXPECT_TRUE(adapters_[0].calls.empty());
    EXPECT_EQ(adapters_[1].calls.size(), 1u);
    EXPECT_EQ(adapters_[2].calls.size(), 1u);
    ASSERT_EQ(adapters_[3].calls.size(), 1u);
    EXPECT_EQ(adapters_[3].calls[0].elements, std::vector<std::string>{"10.0.0.1"});
    ASSERT_EQ(outcome.refusals.size(), 3u) << "the first three kept their servers, and the user must hear of it";
    for (const AdapterRefusal& refusal : outcome.refusals) {
        EXPECT_EQ(refusal.settingId, kId);
        EXPECT_FALSE(refusal.reason.empty());
    }
    EXPECT_EQ(outcome.refusals[0].returnCode, kAdapterMethodMissing) << "a method the system does not have";
    EXPECT_EQ(outcome.refusals[0].reason, AdapterMethodReturnText(kAdapterMethodMissing));
    EXPECT_EQ(outcome.refusals[1].returnCode, kAdapterMethodCallFailed);
    EXPECT_EQ(outcome.refusals[2].returnCode, kAdapterMethodCallFailed);
    EXPECT_EQ(outcome.refusals[2].reason, "Invalid parameter") << "the server's own description";
}

// What the method answers, and what the outcome must say of it.
struct ReturnValueCase {
    const char* name;
    LONG returnValue;
    VARTYPE returnType;
    bool refused;
    bool restartNeeded;
    const char* reason;
};

void PrintTo(const ReturnValueCase& row, std::ostream* out) {
    *out << row.name;
}

class SetAdaptorDnsReturnValueTest : public SetAdaptorDnsTest, public ::testing::WithParamInterface<ReturnValueCase> {};

TEST_P(SetAdaptorDnsReturnValueTest, ReturnValueDecidesBetweenDoneAndRefused) {
    const ReturnValueCase& row = GetParam();
    SCOPED_TRACE(row.name);
    matchAdapters(2);
    adapters_[0].returnValue = row.returnValue;
    adapters_[0].returnType = row.returnType;
    const DnsChangeOutcome outcome = run({"10.0.0.1"});
    EXPECT_EQ(adapters_[1].calls.size(), 1u) << "the walk goes on";
    EXPECT_EQ(outcome.restartNeeded, row.restartNeeded);
    ASSERT_EQ(outcome.refusals.size(), row.refused ? 1u : 0u);
    if (row.refused) {
        EXPECT_EQ(outcome.refusals[0].reason, row.reason);
    }
}

const ReturnValueCase kReturnValueCases[] = {
    {"done", 0, VT_I4, false, false, ""},
    {"done as unsigned", 0, VT_UI4, false, false, ""},
    {"done after a restart", 1, VT_I4, false, true, ""},
    {"access denied", 91, VT_I4, true, false, "Access denied"},
    {"ip not enabled", 84, VT_I4, true, false, "IP not enabled on adapter"},
    {"invalid address", 70, VT_I4, true, false, "Invalid IP address"},
    {"undocumented", 99, VT_I4, true, false, "The adapter refused the change (code 99)"},
    {"no answer at all", 0, VT_EMPTY, true, false, "The adapter's configuration method failed"},
};

INSTANTIATE_TEST_SUITE_P(Table,
                         SetAdaptorDnsReturnValueTest,
                         ::testing::ValuesIn(kReturnValueCases),
                         [](const ::testing::TestParamInfo<ReturnValueCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

TEST_F(SetAdaptorDnsTest, BindingFailureRaisesBeforeAnyQuery) {
    matchAdapters(1);
    const WmiServicesBinder failing = []() -> Microsoft::WRL::ComPtr<IDispatch> {
        throw EComError(0x800401EA, "Moniker cannot open file");
    };
    EXPECT_THROW(SetAdaptorDNS(kId, {"10.0.0.1"}, failing), Exception);
    const WmiServicesBinder empty = [] { return Microsoft::WRL::ComPtr<IDispatch>(); };
    EXPECT_THROW(SetAdaptorDNS(kId, {"10.0.0.1"}, empty), Exception);
    EXPECT_TRUE(services_.queries.empty());
    EXPECT_TRUE(adapters_[0].calls.empty());
}

std::string PlatformText(DWORD code) {
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

TEST_F(SetAdaptorDnsTest, FailingExecQueryRaisesWithPlatformText) {
    matchAdapters(1);
    services_.execQueryResult = E_ACCESSDENIED;
    try {
        run({"10.0.0.1"});
        FAIL() << "no error raised";
    } catch (const EComError& error) {
        EXPECT_EQ(error.code(), static_cast<std::uint32_t>(E_ACCESSDENIED));
        const std::string expected = PlatformText(ERROR_ACCESS_DENIED);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(error.what(), expected);
    }
    EXPECT_TRUE(adapters_[0].calls.empty());
}

TEST_F(SetAdaptorDnsTest, ExecQueryExceptionRaisesWithServerDescription) {
    matchAdapters(1);
    services_.execQueryException = true;
    try {
        run({"10.0.0.1"});
        FAIL() << "no error raised";
    } catch (const EComError& error) {
        EXPECT_EQ(error.code(), 0x80041017u);
        EXPECT_STREQ(error.what(), "Invalid query");
    }
    EXPECT_TRUE(adapters_[0].calls.empty());
}

TEST_F(SetAdaptorDnsTest, FailingNewEnumRaises) {
    matchAdapters(1);
    services_.adapterSet.newEnumResult = E_OUTOFMEMORY;
    EXPECT_THROW(run({"10.0.0.1"}), EComError);
    EXPECT_TRUE(adapters_[0].calls.empty());
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// The real moniker, query and enumerator, on a real adapter. Only under Wine, which lacks the method: on
// Windows this would change the machine's DNS settings.
TEST(SetAdaptorDnsRealTest, RealPathReportsWinesMissingMethodAsARefusal) {
    if (!RunningUnderWine())
        GTEST_SKIP() << "changes the DNS settings outside Wine";
    WmiConnection connection;
    WbemQuery query(&connection);
    query.setWql("Select * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled=TRUE");
    query.open();
    if (query.eof())
        GTEST_SKIP() << "no IP-enabled adapter";
    const std::string id = query.fieldByName("SettingID").asText();
    // The assignment's own query finds this adapter, so the method call is really attempted.
    query.setWql(AdaptorDnsQuery(id));
    query.open();
    EXPECT_FALSE(query.eof());
    query.close();
    // Wine has no SetDNSServerSearchOrder: the adapter kept its servers, and the outcome says why in words.
    for (const std::vector<std::string>& servers :
         {std::vector<std::string>{"10.0.0.1", "10.0.0.2"}, std::vector<std::string>{}}) {
        const DnsChangeOutcome outcome = SetAdaptorDNS(id, servers);
        ASSERT_EQ(outcome.refusals.size(), 1u);
        EXPECT_EQ(outcome.refusals[0].settingId, id);
        EXPECT_EQ(outcome.refusals[0].returnCode, kAdapterMethodMissing);
        EXPECT_EQ(outcome.refusals[0].reason, AdapterMethodReturnText(kAdapterMethodMissing));
    }
    EXPECT_FALSE(SetAdaptorDNS("", {"10.0.0.1"}).Refused()) << "no adapter matched, so none refused";
}

}  // namespace
}  // namespace quillcrest
