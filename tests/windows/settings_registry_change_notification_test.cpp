#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>

#include "base/win_handles_win.h"
#include "netconfig/dns_settings_keys_win.h"
#include "netconfig/tcpip_interfaces_win.h"
#include "settings/registry_change_notification_win.h"

namespace quillcrest {
namespace {

constexpr DWORD kSignalWaitMs = 5000;
// Long enough for a signal on its way to arrive, short enough to wait for several times.
constexpr DWORD kQuietWaitMs = 300;

// Counts the notification's calls and lets the test wait for the next one.
class Signals {
  public:
    Signals() : event_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    void operator()() {
        ++count;
        ::SetEvent(event_.get());
    }
    bool Next(DWORD ms = kSignalWaitMs) { return ::WaitForSingleObject(event_.get(), ms) == WAIT_OBJECT_0; }
    std::atomic<int> count{0};

  private:
    UniqueKernelHandle event_;
};

void WriteText(HKEY root, const std::string& path, const char* name, const std::string& text) {
    UniqueKey key;
    ASSERT_EQ(::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS)
        << path;
    ASSERT_EQ(::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
}

bool KeyExists(HKEY root, const std::string& path) {
    UniqueKey key;
    return ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::string ProcessSuffix() {
    return std::to_string(::GetCurrentProcessId());
}

// The prefix's real Interfaces key (made when missing, and removed again then) with an adapter key of the
// test's own.
class DnsSettingsNotificationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        interfacesExisted_ = KeyExists(HKEY_LOCAL_MACHINE, kTcpipInterfacesKey);
        WriteText(HKEY_LOCAL_MACHINE, adapterKey_, "IPAddress", "127.0.0.1");
    }
    void TearDown() override {
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, adapterKey_.c_str());
        // Fails while other subkeys exist, so only a parent this test made alone goes again.
        if (!interfacesExisted_)
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTcpipInterfacesKey);
    }

    const std::string adapterKey_ = std::string(kTcpipInterfacesKey) + "\\{QC-TEST-NOTIFY-" + ProcessSuffix() + "}";
    bool interfacesExisted_ = false;
};

TEST_F(DnsSettingsNotificationTest, ValueWrittenUnderAnAdapterSignalsEveryTime) {
    Signals signals;
    RegistryChangeNotification notification(DnsSettingsKeys(), [&signals] { signals(); });
    ASSERT_TRUE(notification.Start());
    EXPECT_FALSE(signals.Next(kQuietWaitMs)) << "signalled although nothing changed";

    WriteText(HKEY_LOCAL_MACHINE, adapterKey_, "NameServer", "127.0.0.53");
    EXPECT_TRUE(signals.Next()) << "no signal for NameServer";
    // Re-armed after the first signal: the next write is seen as well.
    WriteText(HKEY_LOCAL_MACHINE, adapterKey_, "DhcpNameServer", "127.0.0.54");
    EXPECT_TRUE(signals.Next()) << "no signal for the second write";
    WriteText(HKEY_LOCAL_MACHINE, adapterKey_, "NameServer", "127.0.0.55");
    EXPECT_TRUE(signals.Next()) << "no signal for the third write";
}

TEST_F(DnsSettingsNotificationTest, StoppedNotificationIsSilentAndStartsAgain) {
    Signals signals;
    RegistryChangeNotification notification(DnsSettingsKeys(), [&signals] { signals(); });
    ASSERT_TRUE(notification.Start());
    EXPECT_TRUE(notification.Start()) << "a second start while watching";
    notification.Stop();
    EXPECT_FALSE(notification.watching());

    WriteText(HKEY_LOCAL_MACHINE, adapterKey_, "NameServer", "127.0.0.56");
    EXPECT_FALSE(signals.Next(kQuietWaitMs)) << "signalled after Stop";
    EXPECT_EQ(signals.count, 0);

    ASSERT_TRUE(notification.Start());
    WriteText(HKEY_LOCAL_MACHINE, adapterKey_, "NameServer", "127.0.0.57");
    EXPECT_TRUE(signals.Next()) << "no signal after starting again";
}

// Wine's registry has no Interfaces key: its parent is watched and sees the key made with its first adapter.
TEST(RegistryChangeNotificationTest, MissingKeyIsWatchedThroughItsParent) {
    const std::string parameters = "Software\\QC-TEST-NOTIFY-" + ProcessSuffix() + "\\Parameters";
    const std::string interfaces = parameters + "\\Interfaces";
    WriteText(HKEY_CURRENT_USER, parameters, "Hostname", "qc");
    Signals signals;
    {
        RegistryChangeNotification notification({{HKEY_CURRENT_USER, {interfaces, parameters}}},
                                                [&signals] { signals(); });
        ASSERT_TRUE(notification.Start());
        WriteText(HKEY_CURRENT_USER, interfaces + "\\{ADAPTER}", "NameServer", "127.0.0.58");
        EXPECT_TRUE(signals.Next()) << "no signal for the new Interfaces key";
        WriteText(HKEY_CURRENT_USER, interfaces + "\\{ADAPTER}", "NameServer", "127.0.0.59");
        EXPECT_TRUE(signals.Next()) << "no signal for the next write beneath it";
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\QC-TEST-NOTIFY-" + ProcessSuffix()).c_str());
}

TEST(RegistryChangeNotificationTest, NoKeyThatOpensMeansNoWatching) {
    Signals signals;
    RegistryChangeNotification notification({{HKEY_CURRENT_USER, {"Software\\QC-TEST-no-such-key-" + ProcessSuffix()}}},
                                            [&signals] { signals(); });
    EXPECT_FALSE(notification.Start());
    EXPECT_FALSE(notification.watching());
}

}  // namespace
}  // namespace quillcrest
