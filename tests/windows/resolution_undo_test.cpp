#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "base/win_handles_win.h"
#include "resolution/adapter_dns_source_win.h"
#include "resolution/dns_baseline_file.h"
#include "resolution/elevated_undo_win.h"
#include "resolution/interface_dns_settings_win.h"
#include "resolution/resolution_comparison.h"
#include "resolution/system_resolution_reader_win.h"
#include "resolution/undo_actions_win.h"
#include "resolution/undo_executor.h"
#include "resolution/undo_outcome_code.h"
#include "resolution/undo_plan.h"
#include "resolution/undo_report.h"
#include "support/resolution_registry_scratch_win.h"

namespace quillcrest {
namespace {

using fakes::DwordBytes;
using fakes::RegistryScratch;
using fakes::Utf16Bytes;
using fakes::Wide;

constexpr char kTcpipParameters[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr char kTcpip6Interfaces[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces";
constexpr char kPolicyClient[] = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\DNSClient";
constexpr char kDnscacheParameters[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters";
constexpr char kInterfaceParameters[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\InterfaceSpecificParameters";
// Line ends of three kinds, a NUL, bytes of no encoding and no line end at the end: what comes back is the very
// bytes, not a text that means the same.
constexpr char kBaselineHostsBytes[] =
    "# hosts of this PC\r\n127.0.0.1 localhost\n10.0.0.1 intranet\r\x00\xff\xfe odd\r\n::1 localhost";
const std::string kBaselineHosts(kBaselineHostsBytes, sizeof kBaselineHostsBytes - 1);
const std::string kChangedHosts = kBaselineHosts + "\r\n127.0.66.66 bank.example\r\n";

std::string Suffix() {
    return std::to_string(::GetCurrentProcessId());
}

std::string Text(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << ::GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The owner and DACL of a file as SDDL, as far as the file system keeps them.
std::wstring SecurityText(const std::wstring& path) {
    constexpr SECURITY_INFORMATION kWhat = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    ::GetFileSecurityW(path.c_str(), kWhat, nullptr, 0, &needed);
    std::vector<BYTE> descriptor(needed);
    if (needed == 0 || !::GetFileSecurityW(path.c_str(), kWhat, descriptor.data(), needed, &needed))
        return L"unreadable";
    LPWSTR text = nullptr;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1, kWhat, &text,
                                                                nullptr))
        return L"unconvertible";
    const UniqueLocal owned(text);
    return text;
}

void RemoveFolder(const std::wstring& folder) {
    for (const std::wstring& name : FolderEntries(folder)) {
        const std::wstring path = folder + L"\\" + name;
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
    }
    ::RemoveDirectoryW(folder.c_str());
}

std::vector<std::string> Settings(const UndoPlan& plan) {
    std::vector<std::string> settings;
    for (const UndoItem& item : plan.items)
        settings.push_back(item.setting);
    return settings;
}

struct PutBack {
    UndoPlan plan;
    UndoOutcome outcome;
};

// "DataBasePath" names a folder of the test's own while it runs, so the prefix's hosts file is never touched;
// every key the test writes goes again at its end.
class ResolutionUndoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fakes::HostsFolderForTest(registry_, L"quillcrest-undo-");
        hostsPath_ = folder_ + L"\\hosts";
    }
    void TearDown() override {
        RemoveFolder(folder_);
        RemoveFolder(folder_ + L"-moved");
    }

    PutBack Undo(const ResolutionSettings& baseline, const ResolutionSettings& current) {
        PutBack result;
        result.plan = MakeUndoPlan(baseline, current, CompareResolutionSettings(baseline, current));
        Win32UndoActions actions;
        result.outcome = CarryOutUndo(result.plan, actions);
        return result;
    }

    static std::vector<UndoItemOutcome> AllDone(const UndoPlan& plan) {
        return std::vector<UndoItemOutcome>(plan.items.size());
    }

    RegistryScratch registry_;
    SystemResolutionReader reader_;
    std::wstring folder_;
    std::wstring hostsPath_;
};

TEST_F(ResolutionUndoTest, RegistryKindsArePutBackExactly) {
    const AdapterSnapshot adapters = Win32AdapterDnsSource().ReadAdapters();
    ASSERT_FALSE(adapters.adapters.empty()) << "Wine lists at least one adapter";
    const std::string localRule = "{QC-UNDO-LOCAL-" + Suffix() + "}";
    const std::string policyRule = "{QC-UNDO-POLICY-" + Suffix() + "}";
    const std::string localRuleKey = std::string(kDnscacheParameters) + "\\DnsPolicyConfig\\" + localRule;
    const std::string policyRuleKey = std::string(kPolicyClient) + "\\DnsPolicyConfig\\" + policyRule;
    const std::string templateKey = std::string(kDnscacheParameters) + "\\DohWellKnownServers\\127.0.53.56";
    const std::string adapterTemplateKey = std::string(kInterfaceParameters) + "\\" + adapters.adapters.front().id +
                                           "\\DohInterfaceSettings\\Doh\\127.0.53.57";
    registry_.Set(localRuleKey, "Name", REG_MULTI_SZ, Utf16Bytes(L".corp.example") + std::string(2, '\0'));
    registry_.Set(localRuleKey, "GenericDNSServers", REG_SZ, Utf16Bytes(L"127.0.53.53"));
    registry_.Set(localRuleKey, "ConfigOptions", REG_DWORD, DwordBytes(8));
    // Forms no text shows: a string cut in the middle of a unit, bytes of no type Windows names.
    registry_.Set(localRuleKey, "QcOdd", REG_SZ,
                  std::string("1\0"
                              "2",
                              3));
    registry_.Set(localRuleKey, "QcBytes", 0x4242, std::string("\x00\xff\x10", 3));
    registry_.Set(kPolicyClient, "NameServer", REG_SZ, Utf16Bytes(L"127.0.53.54"));
    registry_.Set(templateKey, "Template", REG_SZ, Utf16Bytes(L"https://dns.example/dns-query"));
    registry_.Set(adapterTemplateKey, "DohTemplate", REG_SZ, Utf16Bytes(L"https://dns.example/q"));
    registry_.Set(adapterTemplateKey, "DohFlags", REG_QWORD, std::string("\x01\0\0\0\0\0\0\0", 8));
    const ResolutionSettings baseline = reader_.ReadAll();

    // A rule's servers swapped, a value added, one removed, one of another type; a policy rule added with a key
    // beneath it; the policy's servers changed and its encrypted-DNS policy added; a template swapped and an
    // adapter's template removed.
    registry_.Set(localRuleKey, "GenericDNSServers", REG_SZ, Utf16Bytes(L"127.0.66.66"));
    registry_.Set(localRuleKey, "QcAdded", REG_DWORD, DwordBytes(1));
    registry_.Set(localRuleKey, "QcOdd", REG_BINARY, "x");
    {
        UniqueKey key;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(localRuleKey).c_str(), 0, KEY_SET_VALUE, key.put()),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegDeleteValueW(key.get(), L"ConfigOptions"), ERROR_SUCCESS);
    }
    registry_.Set(policyRuleKey, "GenericDNSServers", REG_SZ, Utf16Bytes(L"127.0.66.67"));
    registry_.Set(policyRuleKey + "\\QcBeneath", "QcValue", REG_DWORD, DwordBytes(1));
    registry_.Set(kPolicyClient, "NameServer", REG_SZ, Utf16Bytes(L"127.0.66.68"));
    registry_.Set(kPolicyClient, "DoHPolicy", REG_DWORD, DwordBytes(3));
    registry_.Set(templateKey, "Template", REG_SZ, Utf16Bytes(L"https://evil.example/q"));
    ASSERT_EQ(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(adapterTemplateKey).c_str()), ERROR_SUCCESS);

    const PutBack undo = Undo(baseline, reader_.ReadAll());

    EXPECT_EQ(Settings(undo.plan),
              (std::vector<std::string>{
                  "policy DNS servers (\"group policy\")",
                  "encrypted DNS policy (\"group policy\")",
                  "name resolution rule \"" + policyRule + "\" (\"policy rules\")",
                  "name resolution rule \".corp.example\" (\"local rules\")",
                  "encrypted DNS template \"127.0.53.56\"",
                  "encrypted DNS template \"127.0.53.57\" (\"" + adapters.adapters.front().name + "\")",
              }));
    EXPECT_EQ(undo.outcome.items, AllDone(undo.plan));
    const ResolutionSettings after = reader_.ReadAll();
    std::vector<std::string> left;
    for (const ResolutionDifference& difference : CompareResolutionSettings(baseline, after))
        left.push_back(DescribeDifference(difference));
    EXPECT_EQ(left, std::vector<std::string>()) << "type and bytes of every value as they were";
    UniqueKey gone;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(policyRuleKey).c_str(), 0, KEY_READ, gone.put()),
              ERROR_FILE_NOT_FOUND)
        << "the added rule goes with the key beneath it";
}

TEST_F(ResolutionUndoTest, HostsFileIsWrittenBackByteForByteWhereItsLocationWasMoved) {
    WriteBytes(hostsPath_, kBaselineHosts);
    const ResolutionSettings baseline = reader_.ReadAll();
    ASSERT_EQ(baseline.hosts.state, HostsFileState::Read);
    ASSERT_EQ(baseline.hosts.path, Text(hostsPath_));

    // The file gets a line, and "DataBasePath" names a folder with a hosts file of its own.
    const std::wstring moved = folder_ + L"-moved";
    ASSERT_TRUE(::CreateDirectoryW(moved.c_str(), nullptr));
    WriteBytes(hostsPath_, kChangedHosts);
    WriteBytes(moved + L"\\hosts", "127.0.66.66 bank.example\r\n");
    registry_.Set(kTcpipParameters, "DataBasePath", REG_SZ, Utf16Bytes(moved));

    const PutBack undo = Undo(baseline, reader_.ReadAll());

    EXPECT_EQ(Settings(undo.plan),
              (std::vector<std::string>{"hosts file location", "hosts file (\"" + Text(hostsPath_) + "\")"}));
    EXPECT_EQ(undo.outcome.items, AllDone(undo.plan));
    EXPECT_EQ(ReadBytes(hostsPath_), kBaselineHosts);
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::wstring>{L"hosts"}) << "no temporary file is left";
    EXPECT_EQ(ReadBytes(moved + L"\\hosts"), "127.0.66.66 bank.example\r\n") << "only the baseline's file is written";
    UniqueKey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kTcpipParameters).c_str(), 0, KEY_READ, key.put()),
              ERROR_SUCCESS);
    DWORD type = 0;
    wchar_t data[MAX_PATH + 1] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    ASSERT_EQ(::RegQueryValueExW(key.get(), L"DataBasePath", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), Utf16Bytes(folder_));
}

TEST_F(ResolutionUndoTest, HostsFileHeldOpenWithoutSharingIsReportedAndLeftAsItWas) {
    WriteBytes(hostsPath_, kBaselineHosts);
    const ResolutionSettings baseline = reader_.ReadAll();
    WriteBytes(hostsPath_, kChangedHosts);
    const ResolutionSettings current = reader_.ReadAll();
    UniqueFile held(::CreateFileW(hostsPath_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    const PutBack undo = Undo(baseline, current);
    held.reset();

    ASSERT_EQ(undo.outcome.items.size(), 1u);
    EXPECT_EQ(undo.outcome.items[0].refusal, UndoRefusal::FileInUse);
    EXPECT_EQ(ReadBytes(hostsPath_), kChangedHosts);
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::wstring>{L"hosts"}) << "no temporary file is left";
    EXPECT_EQ(UndoReportText(undo.plan, undo.outcome),
              "Nothing was put back.\n\nNot put back:\nhosts file (\"" + Text(hostsPath_) +
                  "\"): not written: another program holds the file open, so it was left as it was.");
}

// Wine keeps a file's DACL as its Unix mode: a DACL that lets nobody write makes the file read-only, and that is
// what can be seen of it here. The new content must come with the old file's owner and DACL, not with the ones a
// new file in the folder gets.
TEST_F(ResolutionUndoTest, HostsFileKeepsItsOwnerAndDacl) {
    WriteBytes(hostsPath_, kBaselineHosts);
    const ResolutionSettings baseline = reader_.ReadAll();
    WriteBytes(hostsPath_, kChangedHosts);
    const std::wstring fresh = SecurityText(hostsPath_);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FR;;;WD)(A;;FA;;;SY)", SDDL_REVISION_1,
                                                                       &readOnly, nullptr));
    const UniqueLocal ownedReadOnly(readOnly);
    ASSERT_TRUE(::SetFileSecurityW(hostsPath_.c_str(), DACL_SECURITY_INFORMATION, readOnly));
    const std::wstring before = SecurityText(hostsPath_);
    ASSERT_NE(before, fresh) << "the file system keeps something of the DACL";

    const PutBack undo = Undo(baseline, reader_.ReadAll());

    EXPECT_EQ(undo.outcome.items, AllDone(undo.plan));
    EXPECT_EQ(ReadBytes(hostsPath_), kBaselineHosts);
    EXPECT_EQ(SecurityText(hostsPath_), before);
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::wstring>{L"hosts"});
}

TEST_F(ResolutionUndoTest, Ipv6ServersWithoutSetInterfaceDnsSettingsAreReportedForTheUserToSet) {
    ASSERT_EQ(FindSetInterfaceDnsSettings(), nullptr) << "Wine has no SetInterfaceDnsSettings, not even a stub";
    const AdapterSnapshot adapters = Win32AdapterDnsSource().ReadAdapters();
    ASSERT_FALSE(adapters.adapters.empty());
    const AdapterDns& adapter = adapters.adapters.front();
    const ResolutionSettings baseline = reader_.ReadAll();
    registry_.Set(std::string(kTcpip6Interfaces) + "\\" + adapter.id, "NameServer", REG_SZ, Utf16Bytes(L"::1"));

    const PutBack undo = Undo(baseline, reader_.ReadAll());

    ASSERT_EQ(undo.outcome.items.size(), 1u);
    EXPECT_EQ(undo.outcome.items[0].refusal, UndoRefusal::FunctionMissing);
    EXPECT_EQ(UndoReportText(undo.plan, undo.outcome),
              "Nothing was put back.\n\nNot put back:\nIPv6 DNS servers (\"" + adapter.name +
                  "\"): not set: this Windows cannot set IPv6 DNS servers by program (that takes Windows 10 version "
                  "2004 or later). Set them by hand: in the adapter's properties, open \"Internet Protocol Version 6 "
                  "(TCP/IPv6)\" and choose \"Obtain DNS server address automatically\".");
}

// The run with administrator rights, as the wiring calls it: the baseline its file holds, the question, the
// change, and the number that carries the outcome back to the side that made the same plan before starting it.
TEST_F(ResolutionUndoTest, ElevatedRunPutsBackWhatTheBaselineHolds) {
    const std::string rule = std::string(kDnscacheParameters) + "\\DnsPolicyConfig\\{QC-UNDO-RUN-" + Suffix() + "}";
    registry_.Set(rule, "Name", REG_MULTI_SZ, Utf16Bytes(L".corp.example") + std::string(2, '\0'));
    registry_.Set(rule, "GenericDNSServers", REG_SZ, Utf16Bytes(L"127.0.53.53"));
    WriteBytes(hostsPath_, kBaselineHosts);
    const std::string baselineText = SerializeDnsBaseline(reader_.ReadAll());
    registry_.Set(rule, "GenericDNSServers", REG_SZ, Utf16Bytes(L"127.0.66.66"));
    WriteBytes(hostsPath_, kChangedHosts);

    const PreparedUndo beforeStarting = PrepareUndo(ParseDnsBaseline(baselineText), reader_.ReadAll());
    const ElevatedUndo undo = PrepareElevatedUndo(ParseDnsBaseline(baselineText));

    ASSERT_EQ(undo.prepared.status, PreparedUndo::Status::Ready);
    EXPECT_EQ(undo.prepared.confirmationText,
              "Quillcrest will put these DNS settings back as the baseline recorded them:\n"
              "name resolution rule \".corp.example\" (\"local rules\"): set back to servers 127.0.53.53\n"
              "hosts file (\"" +
                  Text(hostsPath_) + "\"): write back its recorded content (" + std::to_string(kBaselineHosts.size()) +
                  " bytes)\n\nPut these settings back? If you did not ask for it just now, choose No.");
    ASSERT_TRUE(undo.carryOut);
    const UndoOutcome outcome = undo.carryOut();
    EXPECT_EQ(outcome.items, AllDone(undo.prepared.plan));
    EXPECT_EQ(ReadBytes(hostsPath_), kBaselineHosts);
    EXPECT_TRUE(CompareResolutionSettings(ParseDnsBaseline(baselineText).settings, reader_.ReadAll()).empty());
    EXPECT_EQ(ReadUndoOutcomeCode(UndoOutcomeCode(undo.prepared.plan, outcome), beforeStarting.plan), outcome);
}

TEST_F(ResolutionUndoTest, ElevatedRunWithoutAUsableBaselineChangesNothing) {
    const ElevatedUndo none = PrepareElevatedUndo(ParseDnsBaseline(std::nullopt));
    EXPECT_EQ(none.prepared.status, PreparedUndo::Status::NoBaseline);
    EXPECT_FALSE(none.carryOut);

    const ElevatedUndo damaged = PrepareElevatedUndo(ParseDnsBaseline("Quillcrest DNS baseline 1\r\nnot a record\r\n"));
    EXPECT_EQ(damaged.prepared.status, PreparedUndo::Status::BaselineNotUsable);
    EXPECT_NE(damaged.prepared.problem.find("line 2"), std::string::npos) << damaged.prepared.problem;
    EXPECT_FALSE(damaged.carryOut);
}

// What a Windows that has the function is handed: captured by a stand-in of the same type.
struct InterfaceDnsCall {
    int calls = 0;
    GUID adapter{};
    DnsInterfaceSettingsVersion1 settings{};
    std::wstring nameServer;
    DWORD answer = NO_ERROR;
};
InterfaceDnsCall interfaceDnsCall;

DWORD WINAPI CaptureSetInterfaceDnsSettings(GUID adapter, const DnsInterfaceSettingsVersion1* settings) {
    ++interfaceDnsCall.calls;
    interfaceDnsCall.adapter = adapter;
    interfaceDnsCall.settings = *settings;
    interfaceDnsCall.nameServer = settings->NameServer ? settings->NameServer : L"<null>";
    return interfaceDnsCall.answer;
}

TEST(ResolutionInterfaceDnsSettingsTest, HandsTheIpv6ServersOfTheAdapterAndNothingElse) {
    static_assert(std::is_same_v<decltype(&CaptureSetInterfaceDnsSettings), SetInterfaceDnsSettingsFunction>);
    interfaceDnsCall = InterfaceDnsCall();
    const std::string id = "{4D36E972-E325-11CE-BFC1-08002BE10318}";

    EXPECT_EQ(SetInterfaceIpv6DnsServers(&CaptureSetInterfaceDnsSettings, id, {"fd00::53", "fd00::54"}),
              UndoItemOutcome{});

    ASSERT_EQ(interfaceDnsCall.calls, 1);
    const GUID expected = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    EXPECT_TRUE(::IsEqualGUID(interfaceDnsCall.adapter, expected));
    const DnsInterfaceSettingsVersion1& settings = interfaceDnsCall.settings;
    EXPECT_EQ(settings.Version, 1u);
    EXPECT_EQ(settings.Flags, 0x3u) << "DNS_SETTING_IPV6 | DNS_SETTING_NAMESERVER";
    EXPECT_EQ(interfaceDnsCall.nameServer, L"fd00::53,fd00::54");
    EXPECT_EQ(settings.Domain, nullptr);
    EXPECT_EQ(settings.SearchList, nullptr);
    EXPECT_EQ(settings.ProfileNameServer, nullptr);
    EXPECT_EQ(
        settings.RegistrationEnabled + settings.RegisterAdapterName + settings.EnableLLMNR + settings.QueryAdapterName,
        0u);

    interfaceDnsCall.answer = ERROR_ACCESS_DENIED;
    EXPECT_EQ(SetInterfaceIpv6DnsServers(&CaptureSetInterfaceDnsSettings, id, {}),
              (UndoItemOutcome{UndoRefusal::AccessDenied, ERROR_ACCESS_DENIED}));
    EXPECT_EQ(interfaceDnsCall.nameServer, L"") << "the empty text: automatic servers";

    EXPECT_EQ(SetInterfaceIpv6DnsServers(&CaptureSetInterfaceDnsSettings, "Ethernet", {"fd00::53"}).refusal,
              UndoRefusal::Failed);
    EXPECT_EQ(interfaceDnsCall.calls, 2) << "no call for a name that is no GUID";
    EXPECT_EQ(SetInterfaceIpv6DnsServers(nullptr, id, {"fd00::53"}).refusal, UndoRefusal::FunctionMissing);
}

}  // namespace
}  // namespace quillcrest
