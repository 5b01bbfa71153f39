#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exception.h"
#include "netconfig/adapter_dns_query.h"
#include "netconfig/adapter_dns_win.h"
#include "netconfig/adapter_method_return.h"
#include "netconfig/com_error.h"
#include "netconfig/wmi_query_win.h"
#include "support/netconfig_fake_wbem_services_win.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::FakeProperty;
using fakes::FakeWbemObject;
using fakes::FakeWbemServices;
using fakes::ReceivedPut;

constexpr const char* kId = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kExpectedQuery =
    "Select * from Win32_NetworkAdapterConfiguration where IPEnabled=TRUE AND SettingID='"
    "{4D36E972-E325-11CE-BFC1-08002BE10318}'";

// One adapter the query finds: its object path and the out-parameters its method call answers with.
struct FakeAdapter {
    FakeWbemObject object;
    FakeWbemObject output;
};

class SetAdaptorDnsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        // Whatever path the call took, it must have let go of every object it was handed or fetched.
        EXPECT_EQ(services_.references(), 0u);
        for (const FakeWbemObject* object : {&services_.adapterClass, &services_.signature, &services_.input})
            EXPECT_EQ(object->references(), 0u);
        EXPECT_EQ(services_.adapters.references(), 0u);
        for (const FakeAdapter& adapter : adapters_) {
            EXPECT_EQ(adapter.object.references(), 0u);
            EXPECT_EQ(adapter.output.references(), 0u);
        }
    }

    // Adapters the query finds, each answering the method with 0 unless a test says otherwise.
    void matchAdapters(std::size_t count) {
        adapters_ = std::vector<FakeAdapter>(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::string path = PathOf(i);
            adapters_[i].object.properties[L"__PATH"] = {VT_BSTR, 0, std::wstring(path.begin(), path.end())};
            adapters_[i].output.properties[L"ReturnValue"] = {VT_I4, 0, L""};
            services_.methodAnswers[path] = {S_OK, &adapters_[i].output};
            services_.adapters.Add(&adapters_[i].object);
        }
    }

    static std::string PathOf(std::size_t index) {
        return "\\\\HOST\\ROOT\\CIMV2:Win32_NetworkAdapterConfiguration.Index=" + std::to_string(index);
    }

    WmiServicesConnector connector() {
        return [this] { return Microsoft::WRL::ComPtr<IWbemServices>(&services_); };
    }

    DnsChangeOutcome run(const std::vector<std::string>& servers) { return SetAdaptorDNS(kId, servers, connector()); }

    // The one value the in-parameters were given.
    const ReceivedPut& onlyPut() const {
        EXPECT_EQ(services_.input.puts.size(), 1u);
        return services_.input.puts.front();
    }

    FakeWbemServices services_;
    std::vector<FakeAdapter> adapters_;
};

struct ServersCase {
    const char* name;
    std::vector<std::string> servers;
};

void PrintTo(const ServersCase& row, std::ostream* out) {
    *out << row.name;
}

class SetAdaptorDnsArgumentTest : public SetAdaptorDnsTest, public ::testing::WithParamInterface<ServersCase> {};

TEST_P(SetAdaptorDnsArgumentTest, MethodReceivesTheServersAsAnArrayOfStringsInOrder) {
    const ServersCase& row = GetParam();
    SCOPED_TRACE(row.name);
    matchAdapters(1);
    run(row.servers);

    ASSERT_EQ(services_.queries.size(), 1u);
    EXPECT_EQ(services_.queries[0].language, "WQL");
    EXPECT_EQ(services_.queries[0].text, kExpectedQuery);
    EXPECT_EQ(services_.queries[0].flags, WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY);
    // The in-parameters come from the class's own signature of the method.
    EXPECT_EQ(services_.objectsAsked, std::vector<std::string>{"Win32_NetworkAdapterConfiguration"});
    EXPECT_EQ(services_.adapterClass.methodsAsked, std::vector<std::string>{"SetDNSServerSearchOrder"});
    EXPECT_EQ(services_.signature.spawnCount, 1);
    const ReceivedPut& put = onlyPut();
    EXPECT_EQ(put.name, "DNSServerSearchOrder");
    EXPECT_EQ(put.flags, 0);
    EXPECT_EQ(put.type, 0) << "an instance's property keeps its own type";
    EXPECT_EQ(put.valueType, VT_ARRAY | VT_BSTR);
    EXPECT_EQ(put.lowerBound, 0);
    EXPECT_EQ(put.elements, row.servers);
    ASSERT_EQ(services_.methodCalls.size(), 1u);
    EXPECT_EQ(services_.methodCalls[0].path, PathOf(0)) << "the adapter the query found, by its object path";
    EXPECT_EQ(services_.methodCalls[0].method, "SetDNSServerSearchOrder");
    EXPECT_EQ(services_.methodCalls[0].input, static_cast<IWbemClassObject*>(&services_.input));
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

// Calling the method without its parameter clears the static list and hands the adapter back to DHCP; through
// WMI's interface that is the parameter left null, never an empty array.
TEST_F(SetAdaptorDnsTest, NoServersLeavesTheParameterNull) {
    matchAdapters(1);
    run({});
    EXPECT_EQ(onlyPut().name, "DNSServerSearchOrder");
    EXPECT_EQ(onlyPut().valueType, VT_NULL);
    EXPECT_EQ(services_.methodCalls.size(), 1u);
}

TEST_F(SetAdaptorDnsTest, EveryMatchedAdapterIsCalledByItsOwnPathWithOneSignatureRead) {
    matchAdapters(3);
    run({"10.0.0.1", "10.0.0.2"});
    ASSERT_EQ(services_.methodCalls.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(services_.methodCalls[i].path, PathOf(i));
    EXPECT_EQ(services_.adapterClass.methodsAsked.size(), 1u);
    EXPECT_EQ(onlyPut().elements, (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
}

TEST_F(SetAdaptorDnsTest, NoMatchingAdapterChangesNothingAndReportsNothing) {
    matchAdapters(0);
    DnsChangeOutcome outcome;
    EXPECT_NO_THROW(outcome = run({"10.0.0.1"}));
    EXPECT_EQ(services_.queries.size(), 1u);
    EXPECT_TRUE(services_.methodCalls.empty());
    EXPECT_FALSE(outcome.Refused());
}

TEST_F(SetAdaptorDnsTest, FailingCallsAreRefusalsAndTheWalkGoesOn) {
    matchAdapters(4);
    services_.methodAnswers[PathOf(0)].result = E_ACCESSDENIED;
    adapters_[1].object.properties.erase(L"__PATH");
    services_.methodAnswers[PathOf(2)].output = nullptr;  // succeeded, but with no out-parameters at all
    DnsChangeOutcome outcome;
    EXPECT_NO_THROW(outcome = run({"10.0.0.1"}));
    ASSERT_EQ(services_.methodCalls.size(), 3u) << "the adapter without a path cannot be called";
    EXPECT_EQ(services_.methodCalls.back().path, PathOf(3));
    ASSERT_EQ(outcome.refusals.size(), 3u) << "the first three kept their servers, and the user must hear of it";
    for (const AdapterRefusal& refusal : outcome.refusals) {
        EXPECT_EQ(refusal.settingId, kId);
        EXPECT_FALSE(refusal.reason.empty());
    }
}

// As under Wine, whose adapter class has no methods at all: each adapter found is refused, none is called.
TEST_F(SetAdaptorDnsTest, MethodMissingFromTheClassRefusesEveryMatchedAdapter) {
    matchAdapters(2);
    services_.adapterClass.methodResult = WBEM_E_NOT_FOUND;
    const DnsChangeOutcome outcome = run({"10.0.0.1"});
    EXPECT_TRUE(services_.methodCalls.empty());
    ASSERT_EQ(outcome.refusals.size(), 2u);
    for (const AdapterRefusal& refusal : outcome.refusals) {
        EXPECT_EQ(refusal.returnCode, kAdapterMethodMissing) << refusal.reason;
        EXPECT_EQ(refusal.reason, AdapterMethodReturnText(kAdapterMethodMissing));
    }
}

// Each way the in-parameters can fail to come about, and so the method cannot be called.
struct SpoiledInputCase {
    const char* name;
    void (*spoil)(FakeWbemServices& services);
};

void PrintTo(const SpoiledInputCase& row, std::ostream* out) {
    *out << row.name;
}

class SetAdaptorDnsInputTest : public SetAdaptorDnsTest, public ::testing::WithParamInterface<SpoiledInputCase> {};

TEST_P(SetAdaptorDnsInputTest, AdapterIsRefusedWhenItsInParametersCannotBeMade) {
    const SpoiledInputCase& row = GetParam();
    SCOPED_TRACE(row.name);
    matchAdapters(1);
    row.spoil(services_);
    const DnsChangeOutcome outcome = run({"10.0.0.1"});
    EXPECT_TRUE(services_.methodCalls.empty());
    ASSERT_EQ(outcome.refusals.size(), 1u);
    EXPECT_EQ(outcome.refusals[0].returnCode, kAdapterMethodCallFailed);
    EXPECT_FALSE(outcome.refusals[0].reason.empty());
}

const SpoiledInputCase kSpoiledInputCases[] = {
    {"the class cannot be read", [](FakeWbemServices& s) { s.objectResult = WBEM_E_ACCESS_DENIED; }},
    {"the method takes no parameters", [](FakeWbemServices& s) { s.adapterClass.signature = nullptr; }},
    {"no instance of the signature", [](FakeWbemServices& s) { s.signature.spawnResult = E_OUTOFMEMORY; }},
    {"the parameter is refused", [](FakeWbemServices& s) { s.input.putResult = WBEM_E_TYPE_MISMATCH; }},
};

INSTANTIATE_TEST_SUITE_P(Table,
                         SetAdaptorDnsInputTest,
                         ::testing::ValuesIn(kSpoiledInputCases),
                         fakes::RowName<SpoiledInputCase>);

// What the out-parameters hold, and what the outcome must say of it.
struct ReturnValueCase {
    const char* name;
    FakeProperty returnValue;
    bool present;
    bool refused;
    bool restartNeeded;
    std::uint32_t returnCode;
};

void PrintTo(const ReturnValueCase& row, std::ostream* out) {
    *out << row.name;
}

class SetAdaptorDnsReturnValueTest : public SetAdaptorDnsTest, public ::testing::WithParamInterface<ReturnValueCase> {};

TEST_P(SetAdaptorDnsReturnValueTest, ReturnValueIsReadWhateverItsVariantType) {
    const ReturnValueCase& row = GetParam();
    SCOPED_TRACE(row.name);
    matchAdapters(2);
    if (row.present)
        adapters_[0].output.properties[L"ReturnValue"] = row.returnValue;
    else
        adapters_[0].output.properties.erase(L"ReturnValue");
    const DnsChangeOutcome outcome = run({"10.0.0.1"});
    EXPECT_EQ(services_.methodCalls.size(), 2u) << "the walk goes on";
    EXPECT_EQ(outcome.restartNeeded, row.restartNeeded);
    ASSERT_EQ(outcome.refusals.size(), row.refused ? 1u : 0u);
    if (row.refused) {
        EXPECT_EQ(outcome.refusals[0].returnCode, row.returnCode);
        EXPECT_EQ(outcome.refusals[0].reason, AdapterMethodReturnText(row.returnCode));
    }
}

const ReturnValueCase kReturnValueCases[] = {
    {"done", {VT_I4, 0, L""}, true, false, false, 0},
    {"done as unsigned", {VT_UI4, 0, L""}, true, false, false, 0},
    {"done after a restart", {VT_I4, 1, L""}, true, false, true, 0},
    {"access denied", {VT_I4, 91, L""}, true, true, false, 91},
    {"undocumented", {VT_I4, 99, L""}, true, true, false, 99},
    {"empty is no answer", {VT_EMPTY, 0, L""}, true, true, false, kAdapterMethodCallFailed},
    {"null is no answer", {VT_NULL, 0, L""}, true, true, false, kAdapterMethodCallFailed},
    {"not a number", {VT_BSTR, 0, L"done"}, true, true, false, kAdapterMethodCallFailed},
    {"missing", {}, false, true, false, kAdapterMethodCallFailed},
};

INSTANTIATE_TEST_SUITE_P(Table,
                         SetAdaptorDnsReturnValueTest,
                         ::testing::ValuesIn(kReturnValueCases),
                         fakes::RowName<ReturnValueCase>);

TEST_F(SetAdaptorDnsTest, ConnectionFailureRaisesBeforeAnyQuery) {
    matchAdapters(1);
    const WmiServicesConnector failing = []() -> Microsoft::WRL::ComPtr<IWbemServices> {
        throw EComError(0x80040154, "Class not registered");
    };
    EXPECT_THROW(SetAdaptorDNS(kId, {"10.0.0.1"}, failing), Exception);
    const WmiServicesConnector empty = [] { return Microsoft::WRL::ComPtr<IWbemServices>(); };
    EXPECT_THROW(SetAdaptorDNS(kId, {"10.0.0.1"}, empty), Exception);
    EXPECT_TRUE(services_.queries.empty());
    EXPECT_TRUE(services_.methodCalls.empty());
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
    services_.queryResult = E_ACCESSDENIED;
    try {
        run({"10.0.0.1"});
        FAIL() << "no error raised";
    } catch (const EComError& error) {
        EXPECT_EQ(error.code(), static_cast<std::uint32_t>(E_ACCESSDENIED));
        const std::string expected = PlatformText(ERROR_ACCESS_DENIED);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(error.what(), expected);
    }
    EXPECT_TRUE(services_.methodCalls.empty());
}

// The query runs while it is walked: a failure to fetch is its failure, not the end of the adapters found.
TEST_F(SetAdaptorDnsTest, FailingWalkRaisesInsteadOfEndingQuietly) {
    matchAdapters(1);
    services_.adapters.endResult = WBEM_E_INVALID_QUERY;
    try {
        run({"10.0.0.1"});
        FAIL() << "no error raised";
    } catch (const EComError& error) {
        EXPECT_EQ(error.code(), static_cast<std::uint32_t>(WBEM_E_INVALID_QUERY));
    }
    EXPECT_EQ(services_.methodCalls.size(), 1u) << "the adapter fetched before the failure was called";
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// The real locator, query and enumerator, on a real adapter. Only under Wine, which lacks the method: on
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
    query.setWql(AdapterDnsQuery(id));
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
