#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "netconfig/tcpip_interfaces_win.h"

namespace quillcrest {
namespace {

// Works on the prefix's real HKLM key with subkeys of its own, named per process so parallel runs do not meet.
class TcpipInterfacesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string suffix = std::to_string(GetCurrentProcessId());
        scratch_ = {"{QC-TEST-" + suffix + "-A}", "{QC-TEST-" + suffix + "-B}"};
        HKEY probe = nullptr;
        parentExisted_ = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTcpipInterfacesKey, 0, KEY_READ, &probe) == ERROR_SUCCESS;
        if (probe)
            RegCloseKey(probe);
    }

    void TearDown() override {
        for (const std::string& name : scratch_)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kTcpipInterfacesKey) + "\\" + name).c_str());
        // Fails while other subkeys exist, so only a parent this test created alone goes again.
        if (!parentExisted_)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTcpipInterfacesKey);
    }

    void createScratchKeys() {
        for (const std::string& name : scratch_) {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kTcpipInterfacesKey) + "\\" + name).c_str(), 0,
                                      nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                      ERROR_SUCCESS);
            RegCloseKey(key);
        }
    }

    std::vector<std::string> scratch_;
    bool parentExisted_ = false;
};

TEST_F(TcpipInterfacesTest, ListsEverySubkeyAndReplacesOldContent) {
    createScratchKeys();
    std::vector<std::string> names = {"stale entry"};
    GetTcpipInterfaces(names);
    EXPECT_EQ(std::count(names.begin(), names.end(), "stale entry"), 0);
    for (const std::string& name : scratch_)
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << name;

    // A removed interface is gone from the next listing.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kTcpipInterfacesKey) + "\\" + scratch_[0]).c_str());
    GetTcpipInterfaces(names);
    EXPECT_EQ(std::count(names.begin(), names.end(), scratch_[0]), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), scratch_[1]), 1);
}

TEST_F(TcpipInterfacesTest, MissingKeyGivesEmptyListSilently) {
    std::vector<std::string> names = {"stale entry"};
    GetTcpipInterfaces(HKEY_LOCAL_MACHINE, "SOFTWARE\\QC-TEST-no-such-key-" + std::to_string(GetCurrentProcessId()),
                       names);
    EXPECT_TRUE(names.empty());
}

TEST_F(TcpipInterfacesTest, KeyWithoutSubkeysGivesEmptyList) {
    createScratchKeys();
    std::vector<std::string> names = {"stale entry"};
    GetTcpipInterfaces(HKEY_LOCAL_MACHINE, std::string(kTcpipInterfacesKey) + "\\" + scratch_[0], names);
    EXPECT_TRUE(names.empty());
}

}  // namespace
}  // namespace quillcrest
