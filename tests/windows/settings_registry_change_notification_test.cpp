#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "netconfig/dns_settings_keys_win.h"
#include "netconfig/tcpip_interfaces_win.h"
#include "settings/registry_change_notification_win.h"

namespace quillcrest {
namespace {

constexpr DWORD kSignalWaitMs = 5000;
// Long enough for a signal on its way to arrive, short enough to wait for several times.
constexpr DWORD kQuietWaitMs = 300;

// Counts the notification's signals and lets the test wait for the next one.
class Signals {
  public:
    Signals() : event_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    bool operator()() {
        ++count;
        ::SetEvent(event_.get());
        return true;
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
    RegistryChangeNotification notification(DnsSettingsKeys(), [&signals] { return signals(); });
    ASSERT_TRUE(notification.Start());
    EXPECT_FALSE(signals.Next(kQuietWaitMs)) << "signalled although nothing changed";

    WriteText(HKEY_LOCAL_MACHINE, adapterKey_, "NameServer", "127.0.0.53");
    EXPECT_TRUE(signals.Next()) << "no signal for NameServer";
    // Re-armed after the first signal, and taken as the main window takes each: the next write is seen as well.
    notification.SignalTaken();
    WriteText(HKEY_LOCAL_MACHINE, adapterKey_, "DhcpNameServer", "127.0.0.54");
    EXPECT_TRUE(signals.Next()) << "no signal for the second write";
    notification.SignalTaken();
    WriteText(HKEY_LOCAL_MACHINE, adapterKey_, "NameServer", "127.0.0.55");
    EXPECT_TRUE(signals.Next()) << "no signal for the third write";
}

TEST_F(DnsSettingsNotificationTest, StoppedNotificationIsSilentAndStartsAgain) {
    Signals signals;
    RegistryChangeNotification notification(DnsSettingsKeys(), [&signals] { return signals(); });
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
                                                [&signals] { return signals(); });
        ASSERT_TRUE(notification.Start());
        WriteText(HKEY_CURRENT_USER, interfaces + "\\{ADAPTER}", "NameServer", "127.0.0.58");
        EXPECT_TRUE(signals.Next()) << "no signal for the new Interfaces key";
        notification.SignalTaken();
        WriteText(HKEY_CURRENT_USER, interfaces + "\\{ADAPTER}", "NameServer", "127.0.0.59");
        EXPECT_TRUE(signals.Next()) << "no signal for the next write beneath it";
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\QC-TEST-NOTIFY-" + ProcessSuffix()).c_str());
}

// A tree of the test's own under HKCU: "Parameters" with "Interfaces" beneath it, watched as the DNS settings are
// (Interfaces, or Parameters where it is missing).
class RegistryTreeNotificationTest : public ::testing::Test {
  protected:
    void SetUp() override { WriteText(HKEY_CURRENT_USER, interfaces_, "Hostname", "qc"); }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, tree_.c_str()); }

    std::vector<WatchedRegistryKey> Keys() const { return {{HKEY_CURRENT_USER, {interfaces_, parameters_}}}; }

    const std::string tree_ = "Software\\QC-TEST-NOTIFY-TREE-" + ProcessSuffix();
    const std::string parameters_ = tree_ + "\\Parameters";
    const std::string interfaces_ = parameters_ + "\\Interfaces";
};

// Deleting the watched key ends its notification for good unless the watch moves to what is left: the key made
// again, and the writes beneath it, must still be seen. Wine fires no notification of a deleted key itself, only
// of its parent, and of the key for subkeys deleted with it.
class RegistryKeyDeletionTest : public RegistryTreeNotificationTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RegistryKeyDeletionTest, KeyDeletedAndMadeAgainIsStillWatched) {
    const bool withSubkey = GetParam();
    SCOPED_TRACE(withSubkey ? "key with a subkey" : "key without subkeys");
    Signals signals;
    RegistryChangeNotification notification(Keys(), [&signals] { return signals(); });
    ASSERT_TRUE(notification.Start());
    if (withSubkey)
        WriteText(HKEY_CURRENT_USER, interfaces_ + "\\{ADAPTER}", "NameServer", "127.0.0.60");
    else
        WriteText(HKEY_CURRENT_USER, interfaces_, "NameServer", "127.0.0.60");
    ASSERT_TRUE(signals.Next()) << "no signal for a write beneath the key";
    notification.SignalTaken();

    ASSERT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, interfaces_.c_str()), ERROR_SUCCESS);
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, interfaces_));
    EXPECT_TRUE(signals.Next()) << "no signal for the key's deletion";
    // The deletion may come as several signals; let them all arrive before the key is made again.
    while (signals.Next(kQuietWaitMs))
        notification.SignalTaken();
    notification.SignalTaken();

    WriteText(HKEY_CURRENT_USER, interfaces_ + "\\{ADAPTER}", "NameServer", "127.0.0.61");
    EXPECT_TRUE(signals.Next()) << "no signal for the key made again";
    while (signals.Next(kQuietWaitMs))
        notification.SignalTaken();
    notification.SignalTaken();
    WriteText(HKEY_CURRENT_USER, interfaces_ + "\\{ADAPTER}", "NameServer", "127.0.0.62");
    EXPECT_TRUE(signals.Next()) << "no signal for a later write beneath the key made again";
}

INSTANTIATE_TEST_SUITE_P(Keys, RegistryKeyDeletionTest, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "WithASubkey" : "WithoutSubkeys");
});

// The signals go to the receiver's message queue as window messages do; the receiver is this thread.
constexpr UINT kSignalMessage = WM_APP + 0x71;

// Waits until a signal message is in this thread's queue, leaving it there.
bool SignalMessageArrives(DWORD ms = kSignalWaitMs) {
    const DWORD started = ::GetTickCount();
    MSG message;
    while (!::PeekMessageA(&message, nullptr, kSignalMessage, kSignalMessage, PM_NOREMOVE)) {
        const DWORD waited = ::GetTickCount() - started;
        if (waited >= ms)
            return false;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, ms - waited, QS_POSTMESSAGE, MWMO_INPUTAVAILABLE);
    }
    return true;
}

// Takes every signal message out of this thread's queue; how many there were.
int TakeSignalMessages() {
    int count = 0;
    MSG message;
    while (::PeekMessageA(&message, nullptr, kSignalMessage, kSignalMessage, PM_REMOVE))
        ++count;
    return count;
}

TEST_F(RegistryTreeNotificationTest, ABurstOfWritesPostsOneMessageUntilTheReceiverTakesIt) {
    MSG message;
    ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // gives this thread its message queue
    const DWORD receiver = ::GetCurrentThreadId();
    RegistryChangeNotification notification(
        Keys(), [receiver] { return ::PostThreadMessageA(receiver, kSignalMessage, 0, 0) != FALSE; });
    ASSERT_TRUE(notification.Start());

    WriteText(HKEY_CURRENT_USER, interfaces_, "NameServer", "127.0.0.63");
    ASSERT_TRUE(SignalMessageArrives()) << "no message for the first write";
    // Each write apart from the others, so that the notification has re-armed and signalled for every one.
    for (const char* server : {"127.0.0.64", "127.0.0.65", "127.0.0.66"}) {
        WriteText(HKEY_CURRENT_USER, interfaces_, "NameServer", server);
        ::Sleep(kQuietWaitMs);
    }
    EXPECT_EQ(TakeSignalMessages(), 1) << "a burst of writes posted more than one message";

    // Taken: a write after that posts again.
    notification.SignalTaken();
    WriteText(HKEY_CURRENT_USER, interfaces_, "NameServer", "127.0.0.67");
    ASSERT_TRUE(SignalMessageArrives()) << "no message for a write after the receiver took the signal";
    ::Sleep(kQuietWaitMs);
    EXPECT_EQ(TakeSignalMessages(), 1);
}

TEST(RegistryChangeNotificationTest, NoKeyThatOpensMeansNoWatching) {
    Signals signals;
    RegistryChangeNotification notification({{HKEY_CURRENT_USER, {"Software\\QC-TEST-no-such-key-" + ProcessSuffix()}}},
                                            [&signals] { return signals(); });
    EXPECT_FALSE(notification.Start());
    EXPECT_FALSE(notification.watching());
}

}  // namespace
}  // namespace quillcrest
